#pragma once
// Background subtraction: the "Subtracted data" curve of each sample record from its raw
// curve. TL glow curves lose another record's curve point by point, with an optional
// smoothing filter and temperature shift; OSL shine-down curves lose a count rate times each
// channel's dwell time. Results go into "Subtracted data", "Shift" and "Normalization
// factor" (and, for OSL, "OSL BGD") through WriteSubtractedCurve, each write posted.
//
// Failures that stop a run throw TEditorError with the user's message; records skipped for
// their own data are reported as warnings.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "record_store/float_array.h"
#include "record_store/measurement_codes.h"
#include "tools/bgd_tables.h"
#include "tools/osl_time_range.h"

class TBinDataSet;

enum class TNumericFilter { None, Boxcar3, Gauss3, Gauss5 };
enum class TOslBackgroundOption { Assigned, LastChannels, Average, Given };
enum class TSubtractScope { Current, Selected, All };

// The option lists of the panel, in their order.
const std::vector<std::string>& NumericFilterNames();  // "none", "3 point boxcar", ...
const std::vector<std::string>& OslBackgroundNames();  // "assigned curve(s)", ...

inline constexpr const char* kNoBackgroundRunsMessage = "No background runs: nothing to subtract.";
inline constexpr const char* kOslOptionOutOfRange = "OSL background option out of range.";
inline constexpr const char* kAverageRangeEmptyMessage =
    "The background integration range covers no channel of any background run: nothing "
    "subtracted.";
inline constexpr const char* kGivenRateOutOfRange =
    "The given background rate must lie between 0 and 6553.5 counts/s (what \"OSL BGD\" "
    "holds): nothing subtracted.";

struct TSubtractionSettings {
    bool tlCurves = true;
    TNumericFilter filter = TNumericFilter::None;  // TL
    // OSL; an integer so that a value outside the four options can be refused.
    int oslOption = static_cast<int>(TOslBackgroundOption::Assigned);
    // The integration range of every record read; none: each record's own default range
    // (0 to its total time, or its last channel for "last channel(s)").
    std::optional<TTimeRange> range;
    double givenRate = 0;  // counts/s for "given value"
    bool keepNormalization = true;
    bool keepShift = true;  // TL
};

struct TSubtractionReport {
    std::vector<std::int32_t> processed;  // bookmarks, in processing order
    std::vector<std::int32_t> skipped;    // asked for, but without an assignment entry
    std::vector<std::string> warnings;
    bool cancelled = false;
};

// Called after each record with the records done and the total; returning false stops the
// run (the records done keep their new values).
using TToolProgress = std::function<bool(int done, int total)>;

// The records a run processes, as bookmarks: the current record's entry, the entries of the
// selected records in selection order, or every entry in table order.
std::vector<std::int32_t> SubtractionRecords(const TBackgroundAssignment& assignment,
                                             TSubtractScope scope,
                                             std::optional<std::int32_t> current,
                                             const std::vector<std::int32_t>& selection);

// Subtracts the backgrounds of the given sample records (bookmarks) in order. The view's
// filter is lifted for the run and put back afterwards, with the current record as it was.
// Throws TEditorError: "Field '<name>' not found" before anything is written when the view
// lacks a field; "Bookmark not found" when an assigned background no longer exists (records
// processed before keep their values); "OSL background option out of range."; before
// anything is written, for "average curve(s)" without background runs or with a range that
// covers none of their channels, and for a "given value" that "OSL BGD" cannot hold (the
// given rate is applied as the field keeps it, to 0.1 counts/s).
TSubtractionReport SubtractBackgrounds(TBinDataSet& view, const TBackgroundAssignment& assignment,
                                       const TSubtractionSettings& settings,
                                       const std::vector<std::int32_t>& records,
                                       const TToolProgress& progress = {});

// --- The steps, on plain arrays ------------------------------------------------------------

// The TL smoothing filters on m values; each result uses the unfiltered values, and values
// the filter window does not reach keep their value.
TFloatArray ApplyNumericFilter(const TFloatArray& values, TNumericFilter filter);

// Moves subtracted TL values by a temperature shift (degC, rounded half to even) on a curve
// of step `spacing` degC: `values` are the n - 1 new values, `fieldLength` the values
// "Subtracted data" holds. Returns the whole new field: shifted values with linear
// interpolation between points, zeros elsewhere. `spacing` must be positive.
TFloatArray ShiftTLValues(const TFloatArray& values, int n, double shift, int spacing,
                          std::size_t fieldLength);

// Average background rate: the sum of all range sums over the sum of their dwell times; 0
// without sums; the plain count sum when the dwell times add up to 0.
double AverageRate(const std::vector<TRangeSum>& sums);

// --- The panel's OSL range values ------------------------------------------------------------

struct TOslRangeValues {
    std::string caption;  // "Background integration range" or "Subtract value"
    double from = 0;
    double to = 0;
    bool showTo = true;
};
// For the current record's time bases and stored background rate.
TOslRangeValues OslRangeValues(TOslBackgroundOption option, const TTimeBases& bases,
                               double storedRate);
// A value rounded to 5 significant digits, as the panel shows it (1234.56 gives 1234.6).
double RoundRangeValue(double value);
// Fixed notation with two decimals after rounding to 5 significant digits (1234.56 gives
// "1234.60").
std::string FormatRangeValue(double value, char decimalSeparator = '.');
