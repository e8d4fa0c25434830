#include "analysis/model_doses.h"

#include <cmath>

TModelDoses CollectModelDoses(const TPlateauArray& plateau) {
    TModelDoses doses;
    for (const TPlateauElement& e : plateau) {
        if (e.IsGrain()) doses.Grains = true;
        const bool defined = e.State == kPlateauValid || e.State == kPlateauRoi;
        if (e.Rejected) {
            ++doses.RejectedCount;
            if (defined && e.Value > 0 && e.Error > 0) doses.Rejected.push_back({e.Value, e.Error});
            continue;
        }
        if (!defined) {
            ++doses.FailedCount;
            continue;
        }
        doses.Used.push_back({e.Value, e.Error});
        doses.UsedIndex.push_back(e.Index);
    }
    return doses;
}

std::string ModelDoseName(const TModelDoses& doses, int usedPosition) {
    const std::string word = doses.Grains ? "grain " : "aliquot ";
    if (usedPosition < 0 || usedPosition >= static_cast<int>(doses.UsedIndex.size()))
        return word + "?";
    return word + std::to_string(doses.UsedIndex[static_cast<std::size_t>(usedPosition)]);
}

std::string ModelDosesSummary(const TModelDoses& doses) {
    const std::string unit = doses.Grains ? "grain" : "aliquot";
    const std::size_t n = doses.Used.size();
    std::string text = std::to_string(n) + " " + unit + (n == 1 ? "" : "s") + " used";
    if (doses.RejectedCount == 0 && doses.FailedCount == 0) return text;
    text += "; excluded:";
    if (doses.RejectedCount > 0)
        text += " " + std::to_string(doses.RejectedCount) + " rejected by the criteria";
    if (doses.FailedCount > 0) {
        if (doses.RejectedCount > 0) text += ",";
        text += " " + std::to_string(doses.FailedCount) + " without a defined dose";
    }
    return text;
}

TDoseModelResult FitModelDoses(const TModelDoses& doses, const TDoseModelOptions& options,
                               std::string& message) {
    message.clear();
    TDoseModelResult result = FitDoseModel(doses.Used, options);
    if (result.Code == TDoseModelCode::Ok) return result;
    if (result.BadIndex >= 0) {
        message = DoseModelMessage(result, ModelDoseName(doses, result.BadIndex));
    } else {
        const std::string summary = ModelDosesSummary(doses);
        message = DoseModelMessage(result, "") + " (" + summary + ")";
    }
    return result;
}
