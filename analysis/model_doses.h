#pragma once
// The doses a dose model combines after a Range or All run over aliquots or grains: every
// result with a defined dose whose aliquot the rejection criteria (or the user) accepted.
// Aliquots that fail a criterion keep their dose for the plot but stay out of the model;
// results without a defined dose (failed fits, results with a warning) stay out entirely.
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/dose_models.h"
#include "analysis/plateau_array.h"

struct TModelDoses {
    std::vector<TDoseValue> Used;
    std::vector<int32_t> UsedIndex;    // the aliquot's (or grain's) index of each used dose
    bool Grains = false;               // the run was over the grains of single-grain discs
    int RejectedCount = 0;             // failing a criterion, whatever their result
    std::vector<TDoseValue> Rejected;  // those of them with a dose and error > 0, to draw
    int FailedCount = 0;               // accepted but without a defined dose
};

TModelDoses CollectModelDoses(const TPlateauArray& plateau);

// "aliquot 7" or "grain 7": names a used dose by its position in Used.
std::string ModelDoseName(const TModelDoses& doses, int usedPosition);

// "11 aliquots used; excluded: 2 rejected by the criteria, 1 without a defined dose".
std::string ModelDosesSummary(const TModelDoses& doses);

// Fits the model to the used doses. A refused dose is named by its aliquot or grain in
// `message` (empty when the result is O.K.).
TDoseModelResult FitModelDoses(const TModelDoses& doses, const TDoseModelOptions& options,
                               std::string& message);
