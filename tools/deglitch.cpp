#include "tools/deglitch.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "record_store/bin_data_set.h"
#include "record_store/curve_access.h"
#include "record_store/curve_elements.h"
#include "record_store/editor_error.h"
#include "record_store/measurement_access.h"
#include "record_store/measurement_fields.h"
#include "tools/record_cursor.h"

TDeglitchSettings DefaultDeglitchRange(bool tlView, TDeglitchCurve curve) {
    TDeglitchSettings s;
    s.curve = curve;
    s.tlView = tlView;
    s.from = tlView ? 200 : 1;
    s.to = tlView ? 500 : 99;
    return s;
}

namespace {

// A double bounded into the 64-bit range before it becomes an integer.
std::int64_t ToIndex(double v) {
    if (std::isnan(v)) return 0;
    return static_cast<std::int64_t>(std::clamp(v, -1.0e15, 1.0e15));
}

}  // namespace

TIndexRange DeglitchIndexRange(bool tlRecord, int spacing, double from, double to,
                               TDeglitchCurve curve, std::size_t sequenceLength) {
    TIndexRange r;
    if (tlRecord) {
        if (spacing <= 0) return {1, 0};
        r.lo = ToIndex(std::trunc(from / spacing));
        r.hi = ToIndex(std::trunc(to / spacing)) - 1;
    } else {
        r.lo = ToIndex(std::nearbyint(from));
        r.hi = ToIndex(std::nearbyint(to));
    }
    const std::int64_t lowest = curve == TDeglitchCurve::Raw ? 1 : (tlRecord ? 3 : 2);
    r.lo = std::max(r.lo, lowest);
    r.hi = std::min(r.hi, static_cast<std::int64_t>(sequenceLength) - 2);
    return r;
}

namespace {

// A necessary condition for |x| > q * sqrt(|y|), from the squares and without a branch
// (`q2` is q * q, or -1 for a negative q, when it always holds). It is false only where the
// squares are accurate and apart by more than their rounding, so no point the formula
// would repair is missed; most points of a noisy curve stop here.
bool MayBeAboveNoise(double x, double y, double q2) {
    const double lhs = x * x;
    return !(lhs < q2 * std::fabs(y) * (1.0 - 1e-9)) | (lhs < 1e-280);
}

}  // namespace

std::vector<TGlitchRepair> DeglitchSequence(TFloatArray& v, const TIndexRange& range, double q) {
    std::vector<TGlitchRepair> repairs;
    const std::int64_t lo = std::max<std::int64_t>(range.lo, 1);
    const std::int64_t hi =
        std::min<std::int64_t>(range.hi, static_cast<std::int64_t>(v.size()) - 2);
    if (hi < lo) return repairs;
    // Candidates among the values as they are, over the whole range in one loop without
    // branches (it vectorises); then the formula itself at the candidates. A repair changes
    // the left neighbour of the next point, so that point is tested again whatever its flag.
    const double q2 = q >= 0.0 ? q * q : -1.0;
    const auto n = static_cast<std::size_t>(hi - lo + 1);
    static thread_local std::vector<unsigned char> candidates;
    candidates.resize(n);
    const double* __restrict p = v.data() + lo;
    unsigned char* __restrict flags = candidates.data();
    for (std::size_t k = 0; k < n; ++k) {
        const double b = p[k], c = p[k - 1], d = p[k + 1];
        flags[k] =
            static_cast<unsigned char>(((b - c) * (d - b) < 0) & MayBeAboveNoise(b - c, c, q2) &
                                       MayBeAboveNoise(b - d, d, q2));
    }
    bool retest = false;
    for (std::int64_t i = lo; i <= hi; ++i) {
        if (!candidates[static_cast<std::size_t>(i - lo)] && !retest) continue;
        retest = false;
        const double b = v[i], c = v[i - 1], d = v[i + 1];
        const bool extremum = (b - c) * (d - b) < 0;
        if (extremum && std::fabs(b - c) > q * std::sqrt(std::fabs(c)) &&
            std::fabs(b - d) > q * std::sqrt(std::fabs(d))) {
            v[i] = (c + d) / 2.0;
            repairs.push_back({static_cast<int>(i), b, v[i]});
            retest = true;
        }
    }
    return repairs;
}

namespace {

// The value an element of `type` holds after storing `value`.
double StoredValue(TCurveElementType type, double value) {
    std::uint8_t bytes[16] = {};
    EncodeCurveElement(type, value, bytes);
    return DecodeCurveElement(type, bytes);
}

TCurveChoice ChoiceOf(const TDeglitchSettings& settings) {
    return settings.curve == TDeglitchCurve::Raw ? TCurveChoice::First : TCurveChoice::Subtracted;
}

// Deglitches one record's chosen curve; returns the repairs (written back). The record is
// the current one, or with `storedIndex` >= 0 the stored record there, which is read as
// stored and made current (through `makeCurrent`) only when it has something to repair:
// most records of a file have no glitch, and a run over the file then copies none of them.
// Without a positive "Spacing" a TL record has no temperature scale: nothing (no value) is
// returned and the record is left alone.
template <class MakeCurrent>
std::optional<std::vector<TGlitchRepair>> DeglitchRecord(TBinDataSet& view,
                                                         const TCurveLocator& locator,
                                                         const TDeglitchSettings& settings,
                                                         int storedIndex, TFloatArray& sequence,
                                                         MakeCurrent&& makeCurrent) {
    const TLocatedCurve located = locator.Locate(view, storedIndex);
    if (located.isTL && located.spacing <= 0) return std::nullopt;
    ReadCurveSequence(view, located, sequence, storedIndex);
    const TIndexRange range = DeglitchIndexRange(located.isTL, located.spacing, settings.from,
                                                 settings.to, settings.curve, sequence.size());
    std::vector<TGlitchRepair> repairs = DeglitchSequence(sequence, range);
    if (repairs.empty()) return repairs;
    makeCurrent();
    WriteCurveSequence(view, located, sequence);
    for (TGlitchRepair& r : repairs)
        r.newValue = StoredValue(located.entry.elementType, r.newValue);
    return repairs;
}

std::string NoSpacingWarning(const TBinDataSet& view, const TRecordPositions& positions,
                             std::int32_t id) {
    return positions.Describe(view, id) +
           ": \"Spacing\" is not positive, the TL range has no temperatures; not deglitched.";
}

// "TL run" and "Dev#" of the view, looked up once for a run over many records.
struct TKindFields {
    const TBinField* tlRun;
    const TBinField* dev;
    explicit TKindFields(const TBinDataSet& view)
        : tlRun(view.FindField(fields::kTLRun)), dev(view.FindField(fields::kDevNo)) {}
    // Background runs ("TL run" off) have no subtracted curve.
    bool HasSubtractedCurve(const TBinDataSet& view) const {
        return tlRun == nullptr || view.AsBoolean(tlRun->index);
    }
    // The same two tests on the record at `index` as stored, without making it current: a
    // run over a whole file skips the other kind's records without copying them.
    bool HasSubtractedCurve(const TBinDataSet& view, int index) const {
        return tlRun == nullptr || ValueAsBoolean(view.ValueAt(index, tlRun->index));
    }
    bool IsTL(const TBinDataSet& view, int index) const {
        return dev == nullptr ||
               IsTLDeviceCode(static_cast<int>(ValueAsInteger(view.ValueAt(index, dev->index))));
    }
};

}  // namespace

TDeglitchReport DeglitchRecords(TBinDataSet& view, const TCurveFieldList& curves,
                                const TDeglitchSettings& settings,
                                const std::vector<std::int32_t>& selection,
                                const TToolProgress& progress) {
    if (curves.empty()) throw TEditorError("Curve data not defined.");
    if (settings.curve == TDeglitchCurve::Subtracted &&
        FindCurveField(curves, fields::kSubtractedData) == nullptr)
        throw TEditorError("'Subtracted data' not found");
    const bool subtracted = settings.curve == TDeglitchCurve::Subtracted;
    TDeglitchReport report;

    if (selection.empty()) {
        const std::optional<std::int32_t> current = view.GetBookmark();
        if (!current) return report;
        if (subtracted && !TKindFields(view).HasSubtractedCurve(view))
            throw TEditorError(kNoSubtractedCurveMessage);
        const TCurveLocator locator(view, curves, ChoiceOf(settings));
        TFloatArray sequence;
        const auto repairs = DeglitchRecord(view, locator, settings, -1, sequence, [] {});
        if (!repairs) {
            report.warnings.push_back(NoSpacingWarning(view, TRecordPositions(view), *current));
            return report;
        }
        for (const TGlitchRepair& r : *repairs) report.repaired.push_back({*current, r});
        report.processed.push_back(*current);
        return report;
    }

    const TRecordPositions positions(view);
    const TKindFields kind(view);
    const TCurveLocator locator(view, curves, ChoiceOf(settings));
    TFloatArray sequence;
    TUnfilteredRun unfiltered(view);
    const int total = static_cast<int>(selection.size());
    for (int i = 0; i < total; ++i) {
        const std::int32_t id = selection[i];
        const int index = positions.IndexOf(id);
        if (index < 0 || index >= view.RecordCount() || view.RecordAt(index).id != id)
            throw TEditorError("Invalid bookmark list");
        const bool kindMatches = kind.IsTL(view, index) == settings.tlView;
        if (kindMatches && !(subtracted && !kind.HasSubtractedCurve(view, index))) {
            const auto makeCurrent = [&] { positions.Goto(view, id, "Invalid bookmark list"); };
            int storedIndex = index;
            if (!locator.ReadsStoredRecords()) {
                makeCurrent();
                storedIndex = -1;
            }
            const auto repairs =
                DeglitchRecord(view, locator, settings, storedIndex, sequence, makeCurrent);
            if (repairs) {
                for (const TGlitchRepair& r : *repairs) report.repaired.push_back({id, r});
                report.processed.push_back(id);
            } else {
                report.warnings.push_back(NoSpacingWarning(view, positions, id));
            }
        }
        if (progress && !progress(i + 1, total)) {
            report.cancelled = i + 1 < total;
            break;
        }
    }
    if (report.processed.empty() && report.warnings.empty() && !report.cancelled)
        throw TEditorError(kNoSelectedSubtractedMessage);
    return report;
}
