#pragma once
// The fading test: two groups of measurements given the same treatment, "Faded records"
// (measured after a storage time) and "Fresh records" (measured promptly). The subtracted
// curves of each group are averaged index by index and the ratio faded / fresh is given with
// its uncertainty, one element per glow temperature (TL) or OSL channel.
//
// The order of calls: the mode (or the command line) names the records of each group by id;
// CheckFading reads their curves with ReadFadingCurve and runs ComputeFading. The record
// filter of the mode uses ReadFadingRecord and PassesFadingFilter; its lists come from
// FadingDateList and FadingDeviceList, the list lines from FadingItemText.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/aliquot_lists.h"
#include "analysis/aliquot_texts.h"
#include "analysis/aliquot_types.h"
#include "analysis/plateau_array.h"
#include "record_store/presentation_record.h"

class TBinDataSet;

// --- The computation -------------------------------------------------------------------------

// One record's curve as the fading test reads it.
struct TFadingCurve {
    std::vector<double> Values;  // "Subtracted data", from its first value
    bool Tl = true;              // "Dev#" div 1000 = 0
    int32_t Spacing = 0;         // "Spacing" (degC per point of a TL curve)
    double Shift = 0;            // "Shift" (added at index 1 of an OSL curve)
};

// Mean of one index over a group of n curves and the standard error of that mean: counting
// statistics, sqrt(mean / n), where the scatter is negligible (mean x 1E-10 >= variance),
// otherwise the sample standard deviation over sqrt(n), sqrt(variance / (n - 1)) with the
// variance taken over n. The mean is |sum| / n.
struct TFadingMean {
    double Mean = 0;
    double Deviation = 0;
};
TFadingMean FadingMean(double sum, double sumOfSquares, int n);

enum class TFadingCode {
    Ok,
    EmptyList,    // a list holds no record: nothing is computed
    NoFadedData,  // no faded record has curve data
    NoFreshData,  // no fresh record has curve data
    ZeroSpacing,  // the first faded TL record has "Spacing" 0 or less
};
// The user's message for a code other than Ok ("" for Ok).
std::string FadingMessage(TFadingCode code);

struct TFadingResult {
    TFadingCode Code = TFadingCode::EmptyList;
    bool Tl = true;    // kind of the first faded record read
    int32_t Step = 1;  // x distance of successive indices: "Spacing" for TL, 1 for OSL
    int FadedCount = 0;
    int FreshCount = 0;
    // One element per index: Index, X, Value = faded mean / fresh mean, Error, State
    // (kPlateauValid; kPlateauNoResult where either mean is 0). TL results start at 200 degC.
    TPlateauArray Points;
};

// Curves without values are skipped. Both groups must yield data, or no points are built.
TFadingResult ComputeFading(const std::vector<TFadingCurve>& faded,
                            const std::vector<TFadingCurve>& fresh);

// --- Reading records -------------------------------------------------------------------------

// The curve of the record at 0-based `recordIndex`, read by position (the view's cursor and
// filter stay as they are); nullopt when the record has no "Subtracted data".
std::optional<TFadingCurve> ReadFadingCurve(const TBinDataSet& view, int recordIndex);

// Why the records named by id cannot be compared, or "" when they can: a record listed twice
// (in one list or in both), a background run ("TL run" off), a record whose subtracted curve
// is all 0 (backgrounds not subtracted yet), TL and OSL records mixed. The message names the
// record by its number in file order (from 1).
std::string FadingRecordsProblem(const TBinDataSet& view, const std::vector<int32_t>& fadedIds,
                                 const std::vector<int32_t>& freshIds);

// Reads the records named by id (ids not in the view are skipped) and computes the ratios.
TFadingResult CheckFading(const TBinDataSet& view, const std::vector<int32_t>& fadedIds,
                          const std::vector<int32_t>& freshIds);

// --- The record filter and the lists ---------------------------------------------------------

// What the fading filter looks at in a record.
struct TFadingRecord {
    bool TLRun = false;
    bool Natural = false;                               // "Nat TL"
    double AlphaDose = 0, BetaDose = 0, GammaDose = 0;  // time x rate
    std::string DateText;                               // "Irrad date" as text
    std::string DeviceText;                             // DeviceText of FadingDeviceKey
};
// The texts of a record as the grid shows them: `kind` is the view's record kind, `locale` the
// grid's text locale.
struct TFadingTexts {
    TRecordKind Kind = TRecordKind::Dat;
    presentation::TTextLocale Locale;
};
TFadingRecord ReadFadingRecord(const TBinDataSet& view, int recordIndex,
                               const TFadingTexts& texts = {});

// The filter panel's choices. Empty Date or Device: any.
struct TFadingFilter {
    std::string Date;
    std::string Device;
    bool NaturalPlusDose = false;  // "N + D"
    bool DoseOnly = false;         // "D"
    bool NoIrradiation = false;    // "no irradiation"
    bool Alpha = false, Beta = false, Gamma = false;
};
bool PassesFadingFilter(const TFadingRecord& record, const TFadingFilter& filter);
// The same for the record at 0-based `recordIndex` of a view, reading only what the filter's
// choices need (the grid evaluates it for every record).
bool PassesFadingFilter(const TBinDataSet& view, int recordIndex, const TFadingFilter& filter,
                        const TFadingTexts& texts = {});

// The device of a record as the fading lists show it: for OSL units the power is
// round("Ramp" x 255 / 100) and PowerM 0.
TDeviceKey FadingDeviceKey(const TBinDataSet& view, int recordIndex);

// The distinct "Irrad date" texts of all records, sorted, then "any irrad date".
std::vector<std::string> FadingDateList(const TBinDataSet& view, const TFadingTexts& texts = {});
// The distinct devices of all records ordered by CompareDeviceKeys (records without a device
// text are left out). The caller appends "any device".
std::vector<TDeviceEntry> FadingDeviceList(const TBinDataSet& view);

// The "Info" text (the record's calculated description) as the lists show it: " + " becomes "+",
// trimmed, every "bleach" (any letter case) becomes "BL", and the first "(" ... ")" is removed.
std::string FadingInfoText(const std::string& info);
// "r# " + "Run#" + " d# " + "Disk#" + "; " + FadingInfoText("Info") + "; " + "Irrad date":
// the aliquots of one run given one treatment are told apart by their disk.
std::string FadingItemText(const TBinDataSet& view, int recordIndex,
                           const TFadingTexts& texts = {});
