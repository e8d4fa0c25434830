#pragma once
// Ages over a plateau of equivalent doses: each index's equivalent dose (a plateau test over
// temperatures, channels, ROIs or disks) divided by the sample's dose rate, and the weighted
// mean age over a range of indexes the user picks.
//
// The dose rate's uncertainty is shared by every age of the plateau: it is left out of the
// weights and added once to the mean (random part in quadrature with the mean's own error,
// systematic part beside it), so that averaging many indexes does not shrink it. The indexes
// share their aliquots as well, so the mean's own error does not shrink with their number
// either: it is the mean error of the averaged ages, or the standard error inflated by
// sqrt(MSWD) when that is larger.
#include <string>

#include "analysis/dose_rate.h"
#include "analysis/plateau_array.h"

struct TAgePlateau {
    // Value: age (ka); Error: its random error (equivalent dose and dose rate); X, Index,
    // XSpread and State as in the doses. Indexes without a valid dose keep their state and 0.
    TPlateauArray Ages;
    TDoseRateResult DoseRate;
    double CalibrationRelative = 0.0;  // the source calibration's uncertainty, a fraction
};

// The ages of the valid doses (states 1, 3 and 4); false with a message when the dose rate is
// refused or 0.
bool ComputeAgePlateau(const TPlateauArray& doses, const TDoseRateInputs& inputs,
                       TAgePlateau& plateau, std::string& message);

struct TWeightedMeanAge {
    int Count = 0;  // ages averaged
    double Age = 0.0;
    double StandardError = 0.0;     // 1 / sqrt(sum of weights), for comparison
    double MeanChannelError = 0.0;  // the mean error of the averaged ages
    double ErrorRandom = 0.0;       // the mean's own error and the dose rate's random part
    double ErrorSystematic = 0.0;   // the dose rate's systematic part
    double ErrorTotal = 0.0;
    double Mswd = 0.0;  // mean square of weighted deviates; 0 for a single age
};

// The inverse-variance weighted mean of the valid ages whose X lies in [fromX, toX] (weights
// from the equivalent doses' errors alone); false with a message when none has an error above 0.
bool WeightedMeanAge(const TAgePlateau& plateau, const TPlateauArray& doses, double fromX,
                     double toX, TWeightedMeanAge& mean, std::string& message);

// True for the states that carry a result.
inline bool IsValidPlateauState(uint8_t state) {
    return state == kPlateauValid || state == kPlateauWarning || state == kPlateauRoi;
}
