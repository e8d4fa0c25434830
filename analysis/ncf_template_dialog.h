#pragma once
// The dialog "Select normalization scheme": for one disk, the natural and normalisation
// measurements of its natural-signal normalisation template and the two TL measurements whose
// ratio corrects the natural signal (numerator after the natural, denominator before it);
// and, on its second tab, the two tolerances of recognising the template. The caller fills
// the fields and lists, shows it modally and reads the result: kApplyToCurrent,
// kApplyToAll or kCancel.
#include <QDialog>

#include "analysis/single_aliquot_ncf.h"

class QComboBox;
class QDoubleSpinBox;
class QLineEdit;
class QPushButton;
class QTabWidget;

class TNCFTemplateDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kApplyToCurrent = 6;
    static constexpr int kApplyToAll = 10;
    static constexpr int kCancel = 2;

    // The tolerances are the caller's; each change of a field writes them at once.
    explicit TNCFTemplateDlg(TNcfTolerances& tolerances, QWidget* parent = nullptr);

    void SetCurrentDisk(const QString& text);
    void SetNatural(const QString& text);
    void SetNormalization(const QString& text);
    void SetCorrection(double scale);  // fixed, 3 decimals
    // Both lists back to "select record" and "1.0"; then entries with their objects (element
    // indices, -1 for the "1.00" entry).
    void ClearLists();
    void AddNumerator(const QString& text, int object);
    void AddDenominator(const QString& text, int object);
    void SelectNumerator(int item);
    void SelectDenominator(int item);
    int NumeratorItem() const;
    int DenominatorItem() const;
    // The object of the selected entry; nullopt for "select record" and "1.0".
    std::optional<int> NumeratorObject() const;
    std::optional<int> DenominatorObject() const;

    // Opens on the first tab; returns 6, 10 or 2.
    int exec() override;

private:
    void UpdateButtons();

    TNcfTolerances& tolerances_;
    QTabWidget* tabs_ = nullptr;
    QLineEdit* currentDisk_ = nullptr;
    QLineEdit* natural_ = nullptr;
    QLineEdit* normalization_ = nullptr;
    QLineEdit* correction_ = nullptr;
    QComboBox* numerator_ = nullptr;
    QComboBox* denominator_ = nullptr;
    QPushButton* applyAll_ = nullptr;
    QDoubleSpinBox* firstTL_ = nullptr;
    QDoubleSpinBox* sumToReference_ = nullptr;
};
