#pragma once
// The single-aliquot methods disk by disk: "SA Additive" (additive doses on one aliquot, the
// signal loss of repeated shines corrected from depletion disks) and "SA Regenerative" (the
// natural and regenerated signals of one aliquot, each normalised by the test-dose signal
// that follows it). The growth points of one aliquot, and the solution computed from them.
//
// Typical use:
//   TSaLimits limits;                                     // the panel's " Select limits "
//   TSaRawCurves raw(view, curves);                       // raw curves read as stored
//   TSaPointsReport r = BuildSarGrowthPoints(table, *platter.Find(n), device, raw, limits);
//   TSolution s = ComputeSarSolution(r.points, disk, device, options, limits);
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "analysis/aliquot_set.h"
#include "analysis/growth_compute.h"
#include "analysis/growth_points.h"
#include "analysis/sar_criteria.h"
#include "fitting/result_codes.h"
#include "record_store/curve_fields.h"
#include "record_store/float_array.h"
#include "record_store/measurement_codes.h"

class TBinDataSet;

// Test-dose normalisation of SAR: "No", "OSL", "TL", "NCF".
enum TSaNormalization : int { kSaNormNone = 0, kSaNormOsl = 1, kSaNormTL = 2, kSaNormNcf = 3 };

// The limits group of the panel. Signal and background windows of the OSL shine in seconds
// (rewritten to the channel boundaries by the SAR points), the TL windows in degC.
struct TSaLimits {
    double signalFrom = 0, signalTo = 1;
    double backgroundFrom = 59, backgroundTo = 60;
    bool ownBackground = true;  // "use always own bgd"
    int normalization = kSaNormOsl;
    double tlSignalFrom = 70, tlSignalTo = 150;
    double tlBackgroundFrom = 0, tlBackgroundTo = 50;
    // The rejection criteria's thresholds (SAR).
    TSarThresholds criteria;
};

// Channels (1-based, in time order) of the signal window i..j and the background window k..l
// of an OSL shine; the limits rewritten to the start of channel i, the end of channel j, the
// start of channel k and the end of channel l (an end beyond the last channel becomes the
// end of the last channel).
struct TChannelWindows {
    int i = 1, j = 1, k = 1, l = 1;
};
TChannelWindows OslChannelWindows(const TTimeBases& bases, TSaLimits& limits);

// The first curve ("Raw data") of the record behind a table entry, read as stored.
class TSaRawCurves {
public:
    TSaRawCurves(const TBinDataSet& view, const TCurveFieldList& curves);
    TFloatArray Curve(const TLookupRecord& entry) const;

private:
    const TBinDataSet& view_;
    const TCurveFieldList& curves_;
};
using TRawCurveSource = std::function<TFloatArray(const TLookupRecord&)>;

// The natural-signal correction of an NCF disk: the ratio of the TL test-dose signals after
// and before the natural, scaled by the disk's NcfScale, and its error. It is computed each
// time the disk's points are built and travels with them (TSaPointsReport::ncf).
struct TNcfFactor {
    double NCF = 1, NCFError = 0;
};

// NCF and its error from the disk's chosen TL pair (NcfSecondTL over NcfFirstTL), each less
// its background: the first TL normalisation shine after it that is not a TL run, or its own
// background window scaled to the signal window. The TL windows are read in points of the
// pair's own "Spacing". A TL signal of 0 or less, or a "Spacing" of 0, gives NCF 1 with the
// reason in `warning`; without a pair the factor is the disk's NcfScale.
TNcfFactor ComputeNcfFactor(const TLookupTable& table, const TDiskList& disk,
                            const TRawCurveSource& raw, const TSaLimits& limits,
                            std::string& warning);

// What the points of an aliquot leave for its solution to say: notes ("...; ", appended to
// the engine's note) and a warning code the solution carries when the engine gave none
// (kTestDoseMissing: computed without normalisation).
struct TSaPointsNotes {
    std::string Note;
    ResultCode Warning = kResultOk;
};

struct TSaPointsReport {
    TGrowthPoints points;
    // NCF mode: the factor applied at the disk's first measurement (stays empty when the mode
    // fell back or the disk has no template).
    std::optional<TNcfFactor> ncf;
    // Everything the user must hear about this aliquot, each naming it: a missing test dose
    // (the aliquot alone is computed without normalisation; the limits stay as they are), a
    // test dose taken from a later cycle, windows beyond the end of the shine.
    std::vector<std::string> warnings;
    TSaPointsNotes notes;
    // SAR: every signal measurement in measurement order (the IR-then-OSL one included,
    // which is left out of `points`), and the relative error of the natural's test-dose net
    // signal (NaN when the aliquot is not normalised or that signal is not positive).
    std::vector<TSarSignal> measurements;
    double testDoseError = std::numeric_limits<double>::quiet_NaN();
};

// SAA growth points of one disk (levels of running dose, kind 1; a depletion disk's levels
// numbered 0, 1, 2, ... of kind 5), errors from the background rate of the first record.
TGrowthPoints BuildSaaGrowthPoints(const TLookupTable& table, const TDiskList& disk,
                                   const TDeviceKey& device);

// SAR growth points of one aliquot. The test dose of a measurement is the normalisation
// record that follows it; an aliquot without normalisation records whose measurements
// alternate signal and test dose (single grains) takes each second measurement as the test
// dose of the one before it. A signal measurement that follows an IR shine of the aliquot
// (an IRSL device, devices 28 and 48, with only glow curves between) is the IR-then-OSL
// measurement of the depletion check: it is kept in `measurements` but never becomes a
// growth point; a 0 Gy regeneration is a point of the 0 Gy level, whose fit point stays the
// origin. Each point is L = S x Tref / T with S and T the net signals
// (background scaled to the signal window) and Tref the natural's test dose; its error
// carries the counting errors of the signal, its background and the test dose in full.
TSaPointsReport BuildSarGrowthPoints(const TLookupTable& table, const TDiskList& disk,
                                     const TDeviceKey& device, const TRawCurveSource& raw,
                                     TSaLimits& limits);

// The line prefix of an aliquot: "Disk %3d: ", or "Disk 1 hole 12: " for a grain.
std::string AliquotLinePrefix(const TDiskList& disk);

// SAR ("Regenerative", arbitrary errors) from the accepted points; unless the result code is
// fatal the dose is reduced by the first dose of point set 1, or with an NCF factor by the
// disk's NcfDoseSum, and the line then shows "NCF 1.023(±0.015); " after the dose.
TSolution ComputeSarSolution(TGrowthPoints& points, const TDiskList& disk,
                             const TFitOptions& options,
                             const std::optional<TNcfFactor>& ncf = std::nullopt,
                             const TSaPointsNotes& notes = {});

// The rejection criteria of an SAR solution from the report of its points; `overridden`:
// the user accepts the aliquot whatever the criteria.
void AttachSarCriteria(TSolution& solution, const TSaPointsReport& report,
                       const TSarThresholds& thresholds, bool overridden = false);

// The error of the SAR origin point (0 Gy, no signal): the smallest positive error of the
// measured points (set 1, and set 2 after its first point, the origin); 1 without any.
double OriginError(const TPointSet& natural, const TPointSet& regenerated);

// The engine's function of the depletion fit list's object: 1 linear, 49..52 one to four
// exponentials ("1 exponent" .. "4 exponents"); anything else is linear.
FunctionCode DepletionFunctionCode(int depletionObject);

// SAA: the depletion fit over the depletion disks, then the single-aliquot solution of
// `disk`. On failure the solution's line holds the prefix only and `error` the message.
TSolution ComputeSaaSolution(TGrowthPoints& points, const TPlatter& platter, const TDiskList& disk,
                             const TLookupTable& table, int depletionObject,
                             const TFitOptions& options, std::string& error);
