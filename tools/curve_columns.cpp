#include "tools/curve_columns.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "record_store/bin_data_set.h"
#include "record_store/curve_elements.h"
#include "record_store/editor_error.h"
#include "record_store/measurement_access.h"
#include "record_store/measurement_fields.h"

namespace {

bool FlagOf(const TBinDataSet& view, const char* name) {
    return view.FindField(name) != nullptr && view.AsBoolean(name);
}

// Header values in front of the elements of the curve's sequence.
int HeaderOf(const TCurveColumn& column) {
    return column.curve.HasHeader() ? 2 : 0;
}

TCurveColumn LoadColumn(const TBinDataSet& view, const TCurveFieldList& curves,
                        const TCurveLoadOptions& options) {
    TCurveColumn column;
    column.bookmark = view.GetBookmark().value_or(0);
    column.isTL = IsTLRecord(view);
    const bool singleAliquot = FlagOf(view, fields::kSingleAliquot);
    const bool shortShine = FlagOf(view, fields::kShortShine);
    const bool subtracted = options.subtractedView && !singleAliquot && !shortShine;
    column.curve =
        LocateCurve(view, curves, subtracted ? TCurveChoice::Subtracted : TCurveChoice::First);
    const TFloatArray sequence = ReadCurveSequence(view, column.curve);
    const int header = column.curve.HasHeader() ? 2 : 0;
    const int count = column.curve.count;
    auto elements = [&](int from, int n) {
        TFloatArray out;
        for (int k = from; k < from + n && k < count; ++k)
            out.push_back(sequence[static_cast<std::size_t>(header + k)]);
        return out;
    };
    if (subtracted) {
        const double factor = header ? sequence[0] : 1.0;
        const double shift = header ? sequence[1] : 0.0;
        column.storedFactor = factor == 0 ? -1.0 : factor;
        if (column.isTL) {
            column.layout = TColumnLayout::SubtractedTL;
            column.rows = {0.0, 0.0};
            column.firstDataRow = 3;
            column.storedShift = shift;
            column.spacing = column.curve.spacing;
            if (column.spacing <= 0) {
                column.spacing = 1;
                column.spacingWasZero = true;
            }
        } else {
            column.layout = TColumnLayout::SubtractedOSL;
            column.rows = {shift};
            column.firstDataRow = 2;
            column.storedShift = shift;
        }
        const TFloatArray values = elements(0, count);
        column.rows.insert(column.rows.end(), values.begin(), values.end());
    } else if (column.isTL || (shortShine && !singleAliquot)) {
        column.layout = TColumnLayout::RawFromZero;
        column.rows = elements(0, count);
    } else {
        column.layout = singleAliquot ? TColumnLayout::RawSingleAliquot : TColumnLayout::RawFromOne;
        column.firstElement = 1;
        column.rows = elements(1, singleAliquot ? count - 2 : count - 1);
    }
    column.currentShift = column.layout == TColumnLayout::SubtractedTL
                              ? static_cast<int>(RoundHalfEven(column.storedShift))
                              : 0;
    if (column.layout != TColumnLayout::SubtractedTL) column.storedShift = 0;
    column.currentFactor = column.storedFactor;
    if (options.halcyonTitles && view.FindField(fields::kShortInfo))
        column.title = view.AsString(fields::kShortInfo);
    // Views without calculated fields (single-grain files) leave it empty.
    if (column.title.empty()) column.title = "Rec " + std::to_string(column.bookmark);
    column.legend = column.title;
    if (view.FindField(fields::kRun) && view.FindField(fields::kDisk))
        column.legend = "Run " + std::to_string(view.AsInteger(fields::kRun)) + ", disk " +
                        std::to_string(view.AsInteger(fields::kDisk)) + ": " + column.title;
    return column;
}

}  // namespace

int TCurveColumn::PointCount() const {
    for (int r = static_cast<int>(rows.size()); r >= 1; --r)
        if (rows[static_cast<std::size_t>(r - 1)] != 0) return r;
    return 0;
}

double TCurveColumn::ScaleOfDrawing() const {
    return currentFactor == 0 ? 1.0 : std::abs(storedFactor / currentFactor);
}

double TCurveColumn::X(int row) const {
    return static_cast<double>(row) * spacing + currentShift - storedShift;
}

double TCurveColumn::Y(int row) const {
    return ScaleOfDrawing() * rows[static_cast<std::size_t>(row - 1)];
}

TCurveLoadResult LoadCurveColumns(TBinDataSet& view, const TCurveFieldList& curves,
                                  const TCurveLoadOptions& options,
                                  const std::vector<std::int32_t>& ids,
                                  const TToolProgress& progress) {
    TCurveLoadResult result;
    if (curves.empty()) throw TEditorError("Curve data not defined.");
    const std::optional<std::int32_t> current = view.GetBookmark();
    std::vector<std::int32_t> records = ids;
    if (records.empty() && current) records.push_back(*current);
    result.columns.reserve(records.size());
    try {
        int done = 0;
        for (std::int32_t id : records) {
            view.GotoBookmark(id);
            if (!options.subtractedView || !view.FindField(fields::kTLRun) ||
                view.AsBoolean(fields::kTLRun)) {
                result.columns.push_back(LoadColumn(view, curves, options));
                if (result.columns.back().spacingWasZero) ++result.zeroSpacing;
            }
            ++done;
            if (progress && !progress(done, static_cast<int>(records.size()))) {
                result.cancelled = true;
                break;
            }
        }
    } catch (...) {
        if (current) view.GotoBookmark(*current);
        throw;
    }
    if (current) view.GotoBookmark(*current);
    return result;
}

TFloatArray ColumnSequence(const TCurveColumn& column, const TFloatArray& previous) {
    int n = 0;
    double r = 0, q = 1.0;
    const double spacing = column.spacing;
    if (column.Subtracted()) {
        if (column.layout == TColumnLayout::SubtractedTL) {
            const int d = column.currentShift - static_cast<int>(RoundHalfEven(column.storedShift));
            n = static_cast<int>(std::floor(d / spacing));
            r = d - n * spacing;
        }
        q = column.currentFactor / column.storedFactor;
        if (column.currentFactor != -1.0) q = std::abs(q);
    }
    const int header = HeaderOf(column);
    const int count = column.curve.count;
    TFloatArray out = previous;
    out.resize(static_cast<std::size_t>(header + count), 0.0);
    auto elementOfRow = [&](int row) { return column.firstElement + (row - column.firstDataRow); };
    // Every element a row was loaded from starts at 0: a shift leaves some of them behind.
    const int lastRow = static_cast<int>(column.rows.size());
    for (int row = column.firstDataRow; row <= lastRow; ++row) {
        const int e = elementOfRow(row);
        if (e >= 0 && e < count) out[static_cast<std::size_t>(header + e)] = 0;
    }
    const int points = column.PointCount();
    for (int row = column.firstDataRow; row <= points; ++row) {
        double v = column.rows[static_cast<std::size_t>(row - 1)];
        if (r > 0 && row > column.firstDataRow)
            v = (r / spacing) * column.rows[static_cast<std::size_t>(row - 2)] +
                (1 - r / spacing) * v;
        v /= q;
        const int e = elementOfRow(row) + n;
        if (e >= 0 && e < count) out[static_cast<std::size_t>(header + e)] = v;
    }
    return out;
}

void WriteBackColumn(TBinDataSet& view, TCurveColumn& column) {
    view.GotoBookmark(column.bookmark);
    const TFloatArray previous = ReadCurveSequence(view, column.curve);
    const TFloatArray next = ColumnSequence(column, previous);
    const TCurveElementType type = column.curve.entry.elementType;
    if (type == TCurveElementType::None) throw TEditorError("Curve data not defined.");
    // Only the elements whose value changed are encoded into the field's bytes.
    const std::vector<std::uint8_t> before = view.FieldBytes(column.curve.fieldIndex);
    std::vector<std::uint8_t> bytes = before;
    const std::size_t size = CurveElementSize(type);
    const int header = HeaderOf(column);
    for (int k = 0; k < column.curve.count; ++k) {
        const std::size_t at = static_cast<std::size_t>(header + k);
        const std::size_t end = (static_cast<std::size_t>(k) + 1) * size;
        if (end > bytes.size()) break;
        if (next[at] != previous[at]) EncodeCurveElement(type, next[at], bytes.data() + end - size);
    }
    if (bytes != before) {
        BeginRecordEdit(view);
        view.SetFieldBytes(column.curve.fieldIndex, bytes);
        view.Post();
    }
    if (column.Subtracted()) {
        auto writeFloat = [&view](const char* name, double value) {
            if (!view.FindField(name) || view.AsFloat(name) == value) return;
            BeginRecordEdit(view);
            view.SetAsFloat(name, value);
            view.Post();
        };
        if (column.layout == TColumnLayout::SubtractedTL) {
            if (column.currentShift != static_cast<int>(RoundHalfEven(column.storedShift)))
                writeFloat(fields::kShift, column.currentShift);
        } else if (!column.rows.empty()) {
            writeFloat(fields::kShift, column.rows[0]);
        }
        writeFloat(fields::kNormalizationFactor, column.currentFactor);
    }
    column.changed = false;
}

TPlotRanges ColumnRanges(const std::vector<TCurveColumn>& columns) {
    if (columns.empty()) return {};
    TPlotRanges r{0, 0, 0, 0};
    for (const TCurveColumn& c : columns) {
        const int points = c.PointCount();
        for (int row = 1; row <= points; ++row) {
            const double x = c.X(row), y = c.Y(row);
            r.xMin = std::min(r.xMin, x);
            r.xMax = std::max(r.xMax, x);
            r.yMin = std::min(r.yMin, y);
            r.yMax = std::max(r.yMax, y);
        }
    }
    return r;
}

TPlotRanges RescaledRanges(const TPlotRanges& data) {
    TPlotRanges r;
    r.xMin = (data.xMin > 0 && data.xMin < 0.25 * data.xMax) ? 0.0 : data.xMin;
    // Short curves (a few channels) end at the next multiple of 10 rather than of 100.
    const double step = data.xMax > 0 && data.xMax < 100 ? 10.0 : 100.0;
    r.xMax = std::ceil(data.xMax / step) * step;
    if (r.xMax <= r.xMin) r.xMax = r.xMin + step;
    r.yMin = data.yMin > 0 ? 0.0 : data.yMin * 1.05;
    r.yMax = data.yMax < 0 ? data.yMax * 0.95 : data.yMax * 1.05;
    if (r.yMax <= r.yMin) r.yMax = r.yMin + 1.0;
    return r;
}
