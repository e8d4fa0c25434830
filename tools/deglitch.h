#pragma once
// Deglitching: single-channel spikes and drop-outs of photon-counting curves. In a range of
// the raw or the subtracted curve every isolated outlier (a strict local extremum standing
// more than q = 4 standard deviations of Poisson counting off both neighbours) is replaced by
// the mean of its two neighbours.
//
// File and editing failures throw TEditorError with the user's message.
#include <cstdint>
#include <string>
#include <vector>

#include "record_store/curve_fields.h"
#include "record_store/float_array.h"
#include "tools/background_subtraction.h"

class TBinDataSet;

enum class TDeglitchCurve { Raw, Subtracted };

inline constexpr double kGlitchThreshold = 4.0;
inline constexpr const char* kNoSubtractedCurveMessage = "Current record has no subtracted curve";
inline constexpr const char* kNoSelectedSubtractedMessage =
    "Selected records have no subtracted curves";

struct TDeglitchSettings {
    TDeglitchCurve curve = TDeglitchCurve::Subtracted;
    bool tlView = true;  // the main window's curve kind: the range is degC (TL) or channels
    double from = 200;
    double to = 500;
};

// The dialog's range for a view: TL 200 to 500 degC, OSL channels 1 to 99.
TDeglitchSettings DefaultDeglitchRange(bool tlView, TDeglitchCurve curve);

struct TGlitchRepair {
    int index = 0;  // in the curve's value sequence (for "Subtracted data" aligned with raw)
    double oldValue = 0;
    double newValue = 0;
};

// Indices lo..hi tested on one record's sequence. TL: From / spacing to To / spacing - 1
// (truncated); OSL: From to To rounded. lo is raised to 3 (subtracted TL), 2 (subtracted
// OSL) or 1 (raw) and hi lowered to length - 2. A TL spacing of 0 or less tests nothing.
struct TIndexRange {
    std::int64_t lo = 1;
    std::int64_t hi = 0;
};
TIndexRange DeglitchIndexRange(bool tlRecord, int spacing, double from, double to,
                               TDeglitchCurve curve, std::size_t sequenceLength);

// Tests and repairs indices lo..hi in order, in place (a repaired value is the left neighbour
// of the next test). Returns the repairs.
std::vector<TGlitchRepair> DeglitchSequence(TFloatArray& values, const TIndexRange& range,
                                            double q = kGlitchThreshold);

struct TRecordRepair {
    std::int32_t record = 0;  // bookmark
    TGlitchRepair repair;
};

struct TDeglitchReport {
    std::vector<std::int32_t> processed;  // bookmarks of the records treated
    std::vector<TRecordRepair> repaired;  // stored values (converted to the curve's type)
    // Records left alone with the reason ("Record 3 (run 2, disk 1): ..."): a TL record
    // whose "Spacing" is not positive has no temperature scale for the range.
    std::vector<std::string> warnings;
    bool cancelled = false;
};

// Deglitches the current record (empty selection) or the selected records in selection
// order. A record's curve is written back (one posted edit) only when a value changed. A TL
// record with "Spacing" 0 or less is skipped with a warning and not counted as processed.
// Throws "Curve data not defined.", "'Subtracted data' not found", "Current record has no
// subtracted curve", "Selected records have no subtracted curves", "Invalid bookmark list".
TDeglitchReport DeglitchRecords(TBinDataSet& view, const TCurveFieldList& curves,
                                const TDeglitchSettings& settings,
                                const std::vector<std::int32_t>& selection,
                                const TToolProgress& progress = {});
