#pragma once
// The panel of "Subtract bgd" mode: the heading, which records to subtract from, the TL
// numeric filter or the OSL background option, what to preserve, the OSL range, the buttons
// "Subtract", "Default" and "Assign", the list of background runs (its lines can be dragged
// onto grid rows), and a line for the run's messages. The controls keep their values while
// the mode is on.
//
// The OSL range shows the current record's default range until the user types a range;
// until then every record is subtracted over its own default range (as `orvane-cli
// subtract` does without --from and --to), afterwards over the typed one, which stays until
// the user changes the OSL option or a file is opened. The numbers are shown and read in the
// user's locale.
#include <QListWidget>
#include <QWidget>
#include <string>
#include <vector>

#include "tools/background_subtraction.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

// The background list: lines dragged from it carry their list position.
class TBackgroundList : public QListWidget {
    Q_OBJECT
public:
    static constexpr const char* kMimeType = "application/x-orvane-background";
    explicit TBackgroundList(QWidget* parent = nullptr);

protected:
    QMimeData* mimeData(const QList<QListWidgetItem*>& items) const override;
};

class TSubtractPanel : public QWidget {
    Q_OBJECT

public:
    explicit TSubtractPanel(QWidget* parent = nullptr);

    // Sets the controls for TL or OSL curves (the option list back to its first item).
    void SetCurveKind(bool tlCurves);
    void SetBackgroundLines(const std::vector<std::string>& lines);
    // Shows the values; the range counts as not typed by the user again.
    void SetRangeValues(const TOslRangeValues& values);
    // Whether the user has typed the OSL range (or the given value) since it was last set.
    bool RangeEdited() const { return rangeEdited_; }
    void SetMessage(const QString& text);

    TSubtractScope Scope() const;
    TSubtractionSettings Settings() const;
    TOslBackgroundOption OslOption() const;
    // The selected line of the background list, or -1.
    int SelectedBackground() const;

    TBackgroundList* BackgroundList() const { return list_; }

signals:
    void subtractClicked();
    void defaultClicked();
    void assignClicked();
    void oslOptionChanged();

private:
    bool tl_ = true;
    bool rangeEdited_ = false;
    QRadioButton* current_ = nullptr;
    QRadioButton* selected_ = nullptr;
    QRadioButton* all_ = nullptr;
    QGroupBox* optionBox_ = nullptr;
    QComboBox* option_ = nullptr;
    QCheckBox* normalization_ = nullptr;
    QCheckBox* shift_ = nullptr;
    QGroupBox* rangeBox_ = nullptr;
    QDoubleSpinBox* from_ = nullptr;
    QDoubleSpinBox* to_ = nullptr;
    QLabel* toLabel_ = nullptr;
    QLabel* message_ = nullptr;
    TBackgroundList* list_ = nullptr;
};
