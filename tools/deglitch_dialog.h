#pragma once
// The dialog "Deglitching curve data": the range of the curve to treat (degC for TL, channels
// for OSL) and whether the raw or the subtracted curves are deglitched. The choice of curve
// persists between uses; the range is set for the view each time the dialog opens.
#include <QDialog>

#include "tools/deglitch.h"

class QLabel;
class QRadioButton;
class QSpinBox;

class TSmoothRangeDlg : public QDialog {
    Q_OBJECT

public:
    explicit TSmoothRangeDlg(QWidget* parent = nullptr);

    // Sets caption, units and range for the main window's curve kind.
    void SetView(bool tlView);
    TDeglitchSettings Settings() const;

signals:
    void helpRequested();

private:
    bool tlView_ = true;
    QLabel* rangeCaption_ = nullptr;
    QSpinBox* from_ = nullptr;
    QSpinBox* to_ = nullptr;
    QLabel* fromUnit_ = nullptr;
    QLabel* toUnit_ = nullptr;
    QRadioButton* raw_ = nullptr;
    QRadioButton* subtracted_ = nullptr;
};
