#pragma once
// Which laboratory methods the measurements support: feasibility of a method for a choice of
// device, irradiations and bleaching, the method grid of growth-curve mode (possible methods
// per bleaching treatment) and the membership of each measurement in the current selection.
#include <array>
#include <vector>

#include "analysis/aliquot_lists.h"
#include "analysis/aliquot_types.h"

// What the user has chosen.
struct TComputeSelection {
    TDeviceKey Device;
    std::vector<TIrradiation> Irradiations;  // the selected irradiations
    TBleaching Bleaching;
};

// Tolerance of the dose levels that recognition counts.
inline constexpr double kRecognitionTolerance = 0.05;

// Whether the accepted measurements that match the selection support method 0..10.
bool MethodFeasible(int method, const TLookupTable& table, const TComputeSelection& selection);

// One row per bleaching entry; for each method [0] possible when the grid was built, [1]
// still possible with the irradiations now selected and the records now accepted.
using TPossibleRow = std::array<std::array<bool, 2>, kMethodCount>;
using TPossibleArray = std::vector<TPossibleRow>;

struct TMethodGrid {
    std::vector<int> Methods;  // method indices possible in some row, ascending
    TPossibleArray Possible;
};

// The selection of a device, the selected entries of the irradiation list and a bleaching.
TComputeSelection MakeSelection(const TDeviceKey& device,
                                const std::vector<TIrradiationEntry>& irradiations,
                                const TBleaching& bleaching);

// The method grid for a device. Methods 0, 4, 5, 6 and 8 are never possible for a bleached
// treatment.
TMethodGrid PossibleMethods(const TLookupTable& table, const TDeviceKey& device,
                            const std::vector<TIrradiationEntry>& irradiations,
                            const std::vector<TBleachingEntry>& bleachings);
// Re-evaluates flag [1] of the grid's methods whose flag [0] is set (after a change of the
// irradiation selection or of accepted flags).
void RecheckPossibleMethods(TMethodGrid& grid, const TLookupTable& table, const TDeviceKey& device,
                            const std::vector<TIrradiationEntry>& irradiations,
                            const std::vector<TBleachingEntry>& bleachings);

// Sets InSelection of every measurement for the current device, irradiation selection,
// bleaching and method; returns how many are in the selection. `methodListEmpty` skips the
// method bit test.
int UpdateSelection(TLookupTable& table, const TDeviceKey& device,
                    const std::vector<TIrradiationEntry>& irradiations, const TBleaching& bleaching,
                    int method, bool methodListEmpty = false);
