#pragma once
// The dialog "Normalize TL glow curves": the temperature window over which the normalisation
// runs are integrated, 200 to 500 degC in steps of 5, the start always below the stop. The
// window persists between uses while the program runs (the dialog lives as long as the
// window).
#include <QDialog>

#include "tools/normalization.h"

class QLineEdit;
class QSpinBox;

class TTLNorm : public QDialog {
    Q_OBJECT

public:
    explicit TTLNorm(QWidget* parent = nullptr);
    TTLNormWindow Window() const;

private:
    void ShowValues();

    QLineEdit* start_ = nullptr;
    QLineEdit* stop_ = nullptr;
    QSpinBox* upDnStart_ = nullptr;  // positions 40..100; the temperature is 5 x position
    QSpinBox* upDnStop_ = nullptr;
};
