#pragma once
// Regions of interest: temperature windows of TL glow curves (degC) and channel windows of OSL
// shine-down curves. A set holds exactly ten of them; ROI 0 is the whole range ("Average"),
// ROIs 1 to 9 are sub-ranges.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

constexpr int kROICount = 10;

struct TROI {
    std::string name;
    int32_t first = 0;
    int32_t last = 0;

    // A first value of 0 or less, or a last value below 1, leaves the ROI unset.
    bool IsSet() const { return first > 0 && last >= 1; }
    bool operator==(const TROI&) const = default;
};

using TROISet = std::array<TROI, kROICount>;

enum class TROIKind { TL, OSL };

// The named sets of one kind in list order, with their display names (parallel lists).
struct TROIList {
    std::vector<TROISet> sets;
    std::vector<std::string> names;

    int Count() const { return static_cast<int>(sets.size()); }
};

// "ROI" + number for ROI number r.
std::string ROIName(int r);

// The set installed when the settings hold none of the kind: ROI 0 from 200 to 500 degC (TL)
// or channels 1 to 99 (OSL), the others unset.
TROISet DefaultROISet(TROIKind kind);
inline constexpr const char* kDefaultROISetName = "Default ROIs";

// First and last of the whole range that a new set starts with.
int32_t DefaultFirst(TROIKind kind);
int32_t DefaultLast(TROIKind kind);

// Stored form of one ROI: first and last as decimal integers joined by "-".
std::string FormatROIValue(const TROI& roi);
// Splits at the first "-"; a part that is not an integer reads as 0.
void ParseROIValue(const std::string& text, int32_t& first, int32_t& last);
