#include "analysis/fading_g_value.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "analysis/fading_test.h"
#include "record_store/bin_data_set.h"
#include "record_store/field_value.h"
#include "record_store/measurement_fields.h"

namespace {

struct TRecordSignal {
    int RecordIndex = 0;
    double Signal = 0.0;
    double IrradiationSeconds = 0.0;  // since 0001-01-01
};

// Seconds since 0001-01-01 of the record's "Irrad date"; false when it has none.
bool IrradiationSeconds(const TBinDataSet& view, int recordIndex, double& seconds) {
    const int field = view.FieldIndex(fields::kIrradDate);
    if (field < 0) return false;
    try {
        const TDateTime when = ValueAsDateTime(view.ValueAt(recordIndex, field));
        if (!IsValidDate(when.date)) return false;
        seconds = static_cast<double>(DaysSinceEpoch1(when.date)) * 86400.0 + when.ms / 1000.0;
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace

TGValueRecords FadingGValuePoints(const TBinDataSet& view, const std::vector<int32_t>& fadedIds,
                                  const std::vector<int32_t>& freshIds, double delaySeconds) {
    TGValueRecords out;
    if (fadedIds.empty() || freshIds.empty()) {
        out.Problem = "List faded and fresh records first.";
        return out;
    }
    if (!(delaySeconds > 0.0) || !std::isfinite(delaySeconds)) {
        out.Problem = "The delay between irradiation and measurement must be above 0 s.";
        return out;
    }
    std::vector<TRecordSignal> records;
    int freshCount = 0;
    double freshSum = 0.0;
    for (const std::vector<int32_t>* ids : {&fadedIds, &freshIds}) {
        for (int32_t id : *ids) {
            const int at = view.IndexOfId(id);
            if (at < 0) continue;
            const std::string name = "Record " + std::to_string(at + 1);
            const std::optional<TFadingCurve> curve = ReadFadingCurve(view, at);
            if (!curve) {
                out.Problem = name + " has no subtracted curve data.";
                return out;
            }
            TRecordSignal r;
            r.RecordIndex = at;
            r.Signal = std::accumulate(curve->Values.begin(), curve->Values.end(), 0.0);
            if (!IrradiationSeconds(view, at, r.IrradiationSeconds)) {
                out.Problem = name + " has no irradiation date.";
                return out;
            }
            if (ids == &freshIds) {
                ++freshCount;
                freshSum += r.Signal;
            }
            records.push_back(r);
        }
    }
    if (freshCount == 0 || !(freshSum > 0.0)) {
        out.Problem = "The fresh records' signal is not above 0.";
        return out;
    }
    const double scale = freshSum / freshCount;
    double latest = records.front().IrradiationSeconds;
    for (const TRecordSignal& r : records) latest = std::max(latest, r.IrradiationSeconds);
    for (const TRecordSignal& r : records) {
        TFadingPoint p;
        p.LxTx = r.Signal / scale;
        p.Error = std::sqrt(std::fabs(r.Signal)) / scale;
        p.Time = delaySeconds + (latest - r.IrradiationSeconds);
        out.Points.push_back(p);
        out.RecordIndex.push_back(r.RecordIndex);
    }
    return out;
}
