#pragma once
// Growth points of the multi-aliquot methods (0..8): the measurements of the selection
// grouped into dose levels, each point holding the measurement's curve value at the current
// index; and the index of growth-curve mode with its units (OSL channel, TL temperature,
// disk number).
//
// Typical use (what "Compute" at one index does):
//   TIndexFields fields = IndexFieldsFor(device, method, &platter);   // refuse when !Valid()
//   int index;  IndexFromValue(fields, device, 300, index, message);  // 300 degC -> 59
//   UpdateSelection(table, device, irradiations, bleaching, method);  // method_recognition.h
//   TGrowthPoints points = BuildGrowthPoints(table, method, index);
//   TSolution s = ComputeSolution(points, table, device, method, index, options);
// and later, at another index, UpdateGrowthPoints(points, table, newIndex).
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/aliquot_set.h"
#include "analysis/aliquot_types.h"

struct TGrowthPoint {
    int32_t Ordinal = -1;  // entry of the measurement table; -1: no measurement
    double Signal = 0;
    double Error = 0;      // the error value handed to the engine by the last computation
    uint8_t Accepted = 0;  // written by the graph windows (toggle a point)
    uint8_t Focus = 0;     // the curves list moves its focus to this measurement
    // 0 when the index lies beyond the measurement's curve: the point then reads Signal 0,
    // is not accepted and is drawn greyed; toggling it changes nothing.
    uint8_t Available = 1;
};

// Level kinds.
inline constexpr uint8_t kGrowthLevel = 1;         // unbleached doses
inline constexpr uint8_t kPartialBleachLevel = 2;  // bleached levels of "Partial bleach"
inline constexpr uint8_t kRegenLevel = 3;          // bleached levels of methods 1, 7 and 10
inline constexpr uint8_t kFurtherLevel = 4;        // second levels of methods 2, 4, 5 and 8
inline constexpr uint8_t kDepletionLevel = 5;      // single-aliquot disk without added dose

struct TDosePoints {
    uint8_t Kind = kGrowthLevel;
    uint8_t Selected = 0;  // written by the graph windows
    double Dose = 0;
    std::vector<TGrowthPoint> Points;
};

// Kind-1 levels first in ascending dose, then the other levels in ascending dose.
using TGrowthPoints = std::vector<TDosePoints>;

// --- The index ---------------------------------------------------------------------------
enum class TIndexUnit { Channel, Temperature, Disk };

// The index fields of the panel for a device and method: the bounds and step of the value
// the user types (channel, degC or disk number) and the index the mode starts with.
struct TIndexFields {
    TIndexUnit Unit = TIndexUnit::Channel;
    int Minimum = 0;
    int Maximum = 0;
    int Step = 1;
    int Spacing = 1;       // TL: degrees per index step
    int DefaultIndex = 0;  // channel; temperature step k for (k + 1) x Spacing degC; disk
    std::string UnitWord;  // "channel", "degC", "disk"
    std::string Error;     // why the device has no index ("Spacing" 0); empty when valid
    bool Valid() const { return Error.empty(); }
};

inline constexpr const char* kZeroSpacingMessage =
    "The device's \"Spacing\" is 0: its glow curves have no temperature scale.";

// Index fields of a device: OSL channels 1..channel count; TL 200..500 degC (700 when the
// glow curves end above 500) in steps of "Spacing", starting at 300 degC; single-aliquot
// methods (9, 10) the disk numbers of the aliquot set.
TIndexFields IndexFieldsFor(const TDeviceKey& device, int method, const TPlatter* platter);
// The index of a value of the index field (TL: value / Spacing - 1); false with a message
// for a value outside the fields' range or a device without index.
bool IndexFromValue(const TIndexFields& fields, int value, int& index, std::string& message);
// The value the index field shows for an index (TL: (index + 1) x Spacing).
int ValueOfIndex(const TIndexFields& fields, int index);

// --- Growth points -------------------------------------------------------------------------
// First and last index over the measurements in the selection (OSL 1 .. the smallest last
// channel; TL from 200 degC, or less when the curves end below, to the smallest last index).
void IndexRange(const TLookupTable& table, const TDeviceKey& device, int& first, int& last);
// Growth points of the measurements in the selection (InSelection) for method 0..8 at
// `index`, measurements sorted to the first or second dose list by the method and grouped
// into levels of equal dose.
TGrowthPoints BuildGrowthPoints(const TLookupTable& table, int method, int index);
// Signals (and availability) at another index; levels and memberships stay.
void UpdateGrowthPoints(TGrowthPoints& points, const TLookupTable& table, int index);
// The accepted flags of the points back into the measurements (after a graph window toggled
// points); points not available at the index are skipped. Returns whether any changed.
bool TakeOverAcceptedFlags(const TGrowthPoints& points, TLookupTable& table);
// Flips a measurement's accepted flag and copies it into its growth points.
void ToggleAccepted(TLookupTable& table, int ordinal, TGrowthPoints& points);
