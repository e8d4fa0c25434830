#include "tools/deglitch.h"

#include <algorithm>
#include <cmath>

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

std::vector<TGlitchRepair> DeglitchSequence(TFloatArray& v, const TIndexRange& range, double q) {
    std::vector<TGlitchRepair> repairs;
    const std::int64_t lo = std::max<std::int64_t>(range.lo, 1);
    const std::int64_t hi =
        std::min<std::int64_t>(range.hi, static_cast<std::int64_t>(v.size()) - 2);
    for (std::int64_t i = lo; i <= hi; ++i) {
        const double b = v[i], c = v[i - 1], d = v[i + 1];
        const bool extremum = (b - c) * (d - b) < 0;
        if (extremum && std::fabs(b - c) > q * std::sqrt(std::fabs(c)) &&
            std::fabs(b - d) > q * std::sqrt(std::fabs(d))) {
            v[i] = (c + d) / 2.0;
            repairs.push_back({static_cast<int>(i), b, v[i]});
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

// Deglitches the current record's chosen curve; returns the repairs (written back).
std::vector<TGlitchRepair> DeglitchCurrent(TBinDataSet& view, const TCurveFieldList& curves,
                                           const TDeglitchSettings& settings) {
    const TLocatedCurve located = LocateCurve(
        view, curves,
        settings.curve == TDeglitchCurve::Raw ? TCurveChoice::First : TCurveChoice::Subtracted);
    TFloatArray sequence = ReadCurveSequence(view, located);
    const TIndexRange range = DeglitchIndexRange(located.isTL, located.spacing, settings.from,
                                                 settings.to, settings.curve, sequence.size());
    std::vector<TGlitchRepair> repairs = DeglitchSequence(sequence, range);
    if (repairs.empty()) return repairs;
    WriteCurveSequence(view, located, sequence);
    for (TGlitchRepair& r : repairs)
        r.newValue = StoredValue(located.entry.elementType, r.newValue);
    return repairs;
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
    bool IsTL(const TBinDataSet& view) const {
        return dev == nullptr || IsTLDeviceCode(static_cast<int>(view.AsInteger(dev->index)));
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
        for (const TGlitchRepair& r : DeglitchCurrent(view, curves, settings))
            report.repaired.push_back({*current, r});
        report.processed.push_back(*current);
        return report;
    }

    const TRecordPositions positions(view);
    const TKindFields kind(view);
    TUnfilteredRun unfiltered(view);
    const int total = static_cast<int>(selection.size());
    for (int i = 0; i < total; ++i) {
        const std::int32_t id = selection[i];
        positions.Goto(view, id, "Invalid bookmark list");
        const bool kindMatches = kind.IsTL(view) == settings.tlView;
        if (kindMatches && !(subtracted && !kind.HasSubtractedCurve(view))) {
            for (const TGlitchRepair& r : DeglitchCurrent(view, curves, settings))
                report.repaired.push_back({id, r});
            report.processed.push_back(id);
        }
        if (progress && !progress(i + 1, total)) {
            report.cancelled = i + 1 < total;
            break;
        }
    }
    if (report.processed.empty() && !report.cancelled)
        throw TEditorError(kNoSelectedSubtractedMessage);
    return report;
}
