#pragma once
// "Dose models" of the result viewer: one dose from the doses of the last Range or All run
// over aliquots or grains (the accepted ones with a defined dose, analysis/model_doses.h) by
// the central, common or minimum age model or the weighted mean, its numbers in the user's
// locale, and the radial plot with the kernel density beside it, which saves as PNG, SVG or
// PDF. The dose computed is kept in the document, where "Compute age" takes it ("From dose
// model").
#include <QDialog>
#include <QString>

#include "analysis/dose_models.h"
#include "analysis/model_doses.h"

class QComboBox;
class QCustomPlot;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class TEditorShell;

class TDoseModelDialog : public QDialog {
    Q_OBJECT
public:
    explicit TDoseModelDialog(TEditorShell& shell, QWidget* parent = nullptr);

    void SetModel(TDoseModelKind kind);
    // sigma_b of the minimum age models (relative).
    void SetSigmaB(double sigmaB);

    // Fits the chosen model to the last plateau's accepted doses, shows the result and the
    // radial plot and keeps the dose in the document; false with the reason shown.
    bool Compute();
    bool HasResult() const { return hasResult_; }
    const TDoseModelResult& Result() const { return result_; }
    const TModelDoses& Doses() const { return doses_; }
    QString ResultText() const;
    QCustomPlot* Chart() const { return chart_; }

    // Writes the radial plot by the file's extension (.png, .svg, .pdf); false with `error`.
    bool SavePlot(const QString& path, QString* error);

signals:
    void helpRequested();

private:
    void UpdateEnabled();
    void SavePlotAsked();
    void ShowMessage(const QString& text, bool error);

    TEditorShell& shell_;
    TModelDoses doses_;
    TDoseModelResult result_;
    bool hasResult_ = false;
    QString unit_ = QStringLiteral("Gy");
    QComboBox* model_ = nullptr;
    QDoubleSpinBox* sigmaB_ = nullptr;
    QLabel* resultLabel_ = nullptr;
    QLabel* message_ = nullptr;
    QCustomPlot* chart_ = nullptr;
    QPushButton* save_ = nullptr;
};

// The result as the window shows it, numbers in the user's locale: the model and its dose,
// the overdispersion (central age model) or sigma, p0, mu and the 95 % interval (minimum age
// models), the doses used and excluded, and the model's caveat.
QString DoseModelResultText(const TDoseModelResult& result, const TModelDoses& doses,
                            const QString& unit);
