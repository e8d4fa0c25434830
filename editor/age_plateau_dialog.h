#pragma once
// "Age plateau": the ages of the last Range or All computation of growth-curve mode (each
// index's equivalent dose over the sample's dose rate) in the result viewer, age against
// temperature, channel, ROI or disk, and the weighted mean age over the x range the user picks.
// The dose-rate inputs are those "Compute age" keeps beside the data file.
#include <QDialog>

#include "analysis/age_plateau.h"

class QDoubleSpinBox;
class QLabel;
class TEditorShell;

class TAgePlateauDialog : public QDialog {
    Q_OBJECT
public:
    TAgePlateauDialog(TEditorShell& shell, const TDoseRateInputs& inputs,
                      QWidget* parent = nullptr);

    // Computes the ages and shows them; false (with the message shown) when refused.
    bool Compute();
    // The weighted mean over [from, to] of x; its text is shown under the range fields.
    void SetRange(double from, double to);
    const TWeightedMeanAge& Mean() const { return mean_; }
    bool HasMean() const { return hasMean_; }
    QString MeanText() const;

signals:
    void helpRequested();

private:
    void UpdateMean();
    void SendToViewer();

    TEditorShell& shell_;
    TDoseRateInputs inputs_;
    TAgePlateau plateau_;
    TWeightedMeanAge mean_;
    bool hasMean_ = false;
    QString meanMessage_;
    QDoubleSpinBox* from_ = nullptr;
    QDoubleSpinBox* to_ = nullptr;
    QLabel* result_ = nullptr;
};
