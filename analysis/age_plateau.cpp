#include "analysis/age_plateau.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

#include "platform/number_text.h"

namespace {

std::string Number(double v) {
    return NumberGeneral(v, 6);  // printf's %g, with a point under every locale
}

}  // namespace

bool ComputeAgePlateau(const TPlateauArray& doses, const TDoseRateInputs& inputs,
                       TAgePlateau& plateau, std::string& message) {
    plateau = TAgePlateau{};
    if (!ComputeDoseRate(inputs, plateau.DoseRate, message)) return false;
    const double rate = plateau.DoseRate.Total.Value;
    if (!(rate > 0.0)) {
        message = "The dose rate is zero: give the contents, the cosmic dose rate or both.";
        return false;
    }
    const double relRate = plateau.DoseRate.TotalRandomError / rate;
    plateau.CalibrationRelative = inputs.SourceCalibrationError / 100.0;
    plateau.Ages.reserve(doses.size());
    for (const TPlateauElement& d : doses) {
        TPlateauElement a = d;
        a.Value = 0.0;
        a.Error = 0.0;
        if (IsValidPlateauState(d.State) && std::isfinite(d.Value) && std::isfinite(d.Error)) {
            a.Value = d.Value / rate;
            const double relDose = d.Value != 0.0 ? d.Error / d.Value : 0.0;
            a.Error = std::fabs(a.Value) * std::hypot(relDose, relRate);
        } else if (IsValidPlateauState(d.State)) {
            a.State = kPlateauFailed;
        }
        plateau.Ages.push_back(a);
    }
    return true;
}

bool WeightedMeanAge(const TAgePlateau& plateau, const TPlateauArray& doses, double fromX,
                     double toX, TWeightedMeanAge& mean, std::string& message) {
    mean = TWeightedMeanAge{};
    if (fromX > toX) std::swap(fromX, toX);
    const double rate = plateau.DoseRate.Total.Value;
    double sumW = 0.0, sumWA = 0.0, sumError = 0.0;
    std::vector<std::pair<double, double>> used;  // age, weight
    for (std::size_t i = 0; i < plateau.Ages.size() && i < doses.size(); ++i) {
        const TPlateauElement& a = plateau.Ages[i];
        if (!IsValidPlateauState(a.State) || a.X < fromX || a.X > toX) continue;
        // The age's error from its equivalent dose alone.
        const double error = doses[i].Error / rate;
        if (!(error > 0.0) || !std::isfinite(error)) continue;
        const double w = 1.0 / (error * error);
        sumW += w;
        sumWA += w * a.Value;
        sumError += error;
        used.emplace_back(a.Value, w);
    }
    if (used.empty()) {
        message = "No age with an uncertainty between " + Number(fromX) + " and " + Number(toX) +
                  " to average.";
        return false;
    }
    mean.Count = static_cast<int>(used.size());
    mean.Age = sumWA / sumW;
    if (mean.Count > 1) {
        double chi = 0.0;
        for (const auto& [age, w] : used) chi += w * (age - mean.Age) * (age - mean.Age);
        mean.Mswd = chi / (mean.Count - 1);
    }
    // The channels of one glow curve (or the ROIs of one image) come from the same aliquots:
    // their errors are not independent, and the standard error 1 / sqrt(sum w) would shrink
    // with every channel added. The mean keeps the mean error of its channels instead; when
    // the channels scatter more than their errors allow (MSWD above 1), the standard error
    // inflated by sqrt(MSWD) is taken if it is larger.
    mean.StandardError = 1.0 / std::sqrt(sumW);
    mean.MeanChannelError = sumError / mean.Count;
    const double own =
        std::max(mean.MeanChannelError, mean.StandardError * std::sqrt(std::max(mean.Mswd, 1.0)));
    const double relRandom = plateau.DoseRate.TotalRandomError / rate;
    const double relSystematic =
        std::hypot(plateau.DoseRate.TotalSystematicError / rate, plateau.CalibrationRelative);
    mean.ErrorRandom = std::hypot(own, mean.Age * relRandom);
    mean.ErrorSystematic = std::fabs(mean.Age) * relSystematic;
    mean.ErrorTotal = std::hypot(mean.ErrorRandom, mean.ErrorSystematic);
    return true;
}
