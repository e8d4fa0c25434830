#pragma once
// One result with its error per temperature, channel, ROI or disk: what the plateau and
// fading tests produce and the result viewer draws.
#include <cstdint>
#include <vector>

enum TPlateauState : uint8_t {
    kPlateauNoResult = 0,
    kPlateauValid = 1,
    kPlateauFailed = 2,
    kPlateauWarning = 3,
    kPlateauRoi = 4,  // valid, computed over a region of interest
};

struct TPlateauElement {
    int32_t Index = 0;   // temperature step, channel, ROI number or disk
    double X = 0;        // where the result is drawn
    double XSpread = 0;  // half the width of a ROI result
    double Value = 0;
    double Error = 0;
    uint8_t State = kPlateauNoResult;
    bool Roi = false;                   // computed over a region of interest, whatever its State
    int32_t RoiFirst = 0, RoiLast = 0;  // the ROI's bounds (degC or channels)
    // A grain of a single-grain disc: its disk and hole (the index is its number among the
    // grains); -1 for every other result.
    int32_t GrainDisk = -1, GrainHole = -1;
    bool IsGrain() const { return GrainHole >= 0; }
    // A SAR aliquot that fails a rejection criterion (and is not accepted by the user): its
    // dose is kept, and drawn apart.
    bool Rejected = false;
};

using TPlateauArray = std::vector<TPlateauElement>;
