#include "tools/normalization.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

#include "record_store/bin_data_set.h"
#include "record_store/curve_access.h"
#include "record_store/editor_error.h"
#include "record_store/measurement_access.h"
#include "record_store/measurement_codes.h"
#include "record_store/measurement_fields.h"
#include "tools/record_cursor.h"

namespace {

// The fields that classify a record for the TL normalisation, looked up once.
struct TNormFields {
    const TBinField* tlRun;
    const TBinField* dev;
    const TBinField* norm;
    const TBinField* disk;
    explicit TNormFields(const TBinDataSet& view)
        : tlRun(view.FindField(fields::kTLRun)),
          dev(view.FindField(fields::kDevNo)),
          norm(view.FindField(fields::kNormalization)),
          disk(view.FindField(fields::kDisk)) {}
    bool Flag(const TBinDataSet& view, const TBinField* field, int index) const {
        return field != nullptr && ValueAsBoolean(view.ValueAt(index, field->index));
    }
    // A TL run of a TL device: the records the normalisation works on.
    bool IsTLRun(const TBinDataSet& view, int index) const {
        if (!Flag(view, tlRun, index) || dev == nullptr) return false;
        return IsTLDeviceCode(static_cast<int>(ValueAsInteger(view.ValueAt(index, dev->index))));
    }
    bool IsNormRun(const TBinDataSet& view, int index) const {
        return IsTLRun(view, index) && Flag(view, norm, index);
    }
    std::int32_t Disk(const TBinDataSet& view, int index) const {
        return disk ? static_cast<std::int32_t>(ValueAsInteger(view.ValueAt(index, disk->index)))
                    : 0;
    }
};

// Multiplies the elements of the current record's curve by `factor` and writes them back;
// then sets "Normalization factor" (when the view has it) to `stored`.
// Scales the located curve of the current record; with `stored`, also sets "Normalization
// factor" to it.
void ScaleCurrentCurve(TBinDataSet& view, const TCurveLocator& locator, double factor,
                       std::optional<double> stored) {
    const TLocatedCurve located = locator.Locate(view);
    TFloatArray sequence = ReadCurveSequence(view, located);
    const std::size_t first = located.HasHeader() ? 2 : 0;
    for (std::size_t k = first; k < sequence.size(); ++k) sequence[k] *= factor;
    WriteCurveSequence(view, located, sequence);
    const TBinField* normFactor = view.FindField(fields::kNormalizationFactor);
    if (normFactor == nullptr || !stored) return;
    BeginRecordEdit(view);
    view.SetAsFloat(normFactor->index, *stored);
    view.Post();
}

}  // namespace

TNormalizeOperation ChooseNormalization(const TBinDataSet& view) {
    const TNormFields f(view);
    int count = 0;
    for (int i = 0; i < view.RecordCount(); ++i) {
        if (f.IsNormRun(view, i) && ++count >= 2) return TNormalizeOperation::TLGlowCurves;
    }
    return TNormalizeOperation::RawIntensity;
}

double TLWindowIntegral(const TFloatArray& sequence, int lastIndex, const TTLNormWindow& window) {
    const long lo = std::max(window.start / kTLNormStep, 0);
    long hi = std::min<long>(window.stop / kTLNormStep - 1, lastIndex);
    hi = std::min<long>(hi, static_cast<long>(sequence.size()) - 1);
    double sum = 0;
    for (long k = lo; k <= hi; ++k) sum += sequence[static_cast<std::size_t>(k)];
    return sum;
}

TNormalizationReport NormalizeTLGlowCurves(TBinDataSet& view, const TCurveFieldList& curves,
                                           const TTLNormWindow& window) {
    if (curves.empty()) throw TEditorError("Curve data not defined.");
    if (FindCurveField(curves, fields::kSubtractedData) == nullptr)
        throw TEditorError("'Subtracted data' not found");
    TNormalizationReport report;
    const TNormFields f(view);
    const TRecordPositions positions(view);
    TUnfilteredRun unfiltered(view);
    const TCurveLocator locator(view, curves, TCurveChoice::Subtracted);

    // The integrals first: a refused one leaves every record as it was.
    TFloatArray sequence;
    for (int i = 0; i < view.RecordCount(); ++i) {
        if (!f.IsNormRun(view, i)) continue;
        const std::int32_t id = view.RecordAt(i).id;
        int stored = i;
        if (!locator.ReadsStoredRecords()) {
            positions.Goto(view, id, "Invalid bookmark");
            stored = -1;
        }
        const TLocatedCurve located = locator.Locate(view, stored);
        ReadCurveSequence(view, located, sequence, stored);
        const double integral =
            TLWindowIntegral(sequence, static_cast<int>(sequence.size()) - 1, window);
        if (!(integral > 0)) {
            throw TEditorError(positions.Describe(view, id) +
                               ": the normalization signal between " +
                               std::to_string(window.start) + " and " +
                               std::to_string(window.stop) + " deg C is not positive");
        }
        report.normRecords.push_back({id, f.Disk(view, i), integral, 1});
    }
    if (report.normRecords.empty()) return report;
    double sum = 0;
    for (const TTLNormRecord& n : report.normRecords) sum += n.integral;
    report.mean = sum / static_cast<double>(report.normRecords.size());
    // A disk with several normalisation runs gets the product of their factors, and stores
    // its reciprocal, so that "Normalization factor" undoes exactly what was applied.
    std::map<std::int32_t, double> diskFactor;
    for (TTLNormRecord& n : report.normRecords) {
        n.factor = report.mean / n.integral;
        auto [it, added] = diskFactor.emplace(n.disk, n.factor);
        if (!added) it->second *= n.factor;
    }

    std::vector<std::int32_t> targets;
    for (int i = 0; i < view.RecordCount(); ++i) {
        if (!f.IsTLRun(view, i) || f.IsNormRun(view, i)) continue;
        if (diskFactor.count(f.Disk(view, i)) == 0) continue;
        targets.push_back(view.RecordAt(i).id);
    }
    for (std::int32_t id : targets) {
        positions.Goto(view, id, "Invalid bookmark");
        const double factor = diskFactor.at(f.Disk(view, positions.IndexOf(id)));
        ScaleCurrentCurve(view, locator, factor, 1.0 / factor);
        report.changed.push_back(id);
    }
    return report;
}

bool RawIntensityFactorAccepted(double factor) {
    return factor > 0 && factor <= 100;
}

TNormalizationReport ChangeRawIntensity(TBinDataSet& view, const TCurveFieldList& curves,
                                        double factor, const std::vector<std::int32_t>& selection) {
    if (!RawIntensityFactorAccepted(factor))
        throw TEditorError("The factor must be above 0 and at most 100");
    if (curves.empty()) throw TEditorError("Curve data not defined.");
    TNormalizationReport report;
    const TCurveLocator locator(view, curves, TCurveChoice::First);
    if (selection.empty()) {
        const std::optional<std::int32_t> current = view.GetBookmark();
        if (!current) return report;
        ScaleCurrentCurve(view, locator, factor, std::nullopt);
        report.changed.push_back(*current);
        return report;
    }
    const TRecordPositions positions(view);
    TUnfilteredRun unfiltered(view);
    for (std::int32_t id : selection) {
        positions.Goto(view, id, "Invalid bookmark list");
        ScaleCurrentCurve(view, locator, factor, std::nullopt);
        report.changed.push_back(id);
    }
    return report;
}
