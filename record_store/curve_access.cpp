#include "record_store/curve_access.h"

#include <algorithm>

#include "record_store/bin_data_set.h"
#include "record_store/editor_error.h"
#include "record_store/measurement_access.h"
#include "record_store/measurement_fields.h"

namespace {

constexpr std::size_t kDoubleSize = 8;

int ClampCount(std::int64_t n) {
    return static_cast<int>(std::clamp<std::int64_t>(n, 0, kMaxCurveElements));
}

void DecodeElements(const std::vector<std::uint8_t>& bytes, TCurveElementType type, int count,
                    TFloatArray& out, std::size_t first) {
    DecodeCurveElements(bytes.data(), bytes.size(), type, count, out, first);
}

// A float field's value, or 0 when the view has no such field.
double FloatOrZero(const TBinDataSet& view, const char* name) {
    const TBinField* field = view.FindField(name);
    return field ? view.AsFloat(field->index) : 0.0;
}

bool IsSubtractedName(const std::string& name) {
    return name == fields::kSubtractedData;
}

}  // namespace

TFloatArray ReadRawCurve(const TBinDataSet& view) {
    const std::vector<std::uint8_t> bytes = view.FieldBytes(fields::kRawData);
    TFloatArray values(bytes.size() / kDoubleSize);
    DecodeElements(bytes, TCurveElementType::Double, static_cast<int>(values.size()), values, 0);
    return values;
}

TFloatArray ReadSubtractedCurve(const TBinDataSet& view) {
    const std::size_t rawLength = view.FieldByName(fields::kRawData).width / kDoubleSize;
    const std::vector<std::uint8_t> bytes = view.FieldBytes(fields::kSubtractedData);
    TFloatArray curve(rawLength, 0.0);
    if (rawLength > 1 && !IsTLRecord(view)) curve[1] = view.AsFloat(fields::kShift);
    if (rawLength > 2) {
        // Index i >= 2 holds subtracted value i - 2, as far as the field has one.
        const std::size_t stored = bytes.size() / kDoubleSize;
        const int count = static_cast<int>(std::min(rawLength - 2, stored));
        DecodeElements(bytes, TCurveElementType::Double, count, curve, 2);
    }
    return curve;
}

void WriteSubtractedCurve(TBinDataSet& view, const TFloatArray& subtracted, double shift,
                          double normalizationFactor, std::optional<double> oslBackgroundRate) {
    const int dataField = view.FieldByName(fields::kSubtractedData).index;
    const int shiftField = view.FieldByName(fields::kShift).index;
    const int factorField = view.FieldByName(fields::kNormalizationFactor).index;
    if (oslBackgroundRate) view.FieldByName(fields::kOslBgd);  // fail before the first edit

    std::vector<std::uint8_t> bytes = view.FieldBytes(dataField);
    const std::size_t fits = std::min(subtracted.size(), bytes.size() / kDoubleSize);
    for (std::size_t k = 0; k < fits; ++k) {
        EncodeCurveElement(TCurveElementType::Double, subtracted[k],
                           bytes.data() + k * kDoubleSize);
    }
    BeginRecordEdit(view);
    view.SetFieldBytes(dataField, bytes);
    view.Post();

    BeginRecordEdit(view);
    view.SetAsFloat(shiftField, shift);
    view.Post();

    BeginRecordEdit(view);
    view.SetAsFloat(factorField, normalizationFactor);
    if (oslBackgroundRate) StoreOslBackgroundRate(view, *oslBackgroundRate);
    view.Post();
}

bool TLocatedCurve::HasHeader() const {
    return IsSubtractedName(entry.name);
}

TLocatedCurve LocateCurve(const TBinDataSet& view, const TCurveFieldList& curves,
                          TCurveChoice which) {
    if (curves.empty()) throw TEditorError("Curve data not defined.");
    const TCurveFieldInfo* entry = &curves.front();
    if (which == TCurveChoice::Subtracted) {
        const auto found = std::find_if(curves.rbegin(), curves.rend(),
                                        [](const auto& c) { return IsSubtractedName(c.name); });
        if (found == curves.rend()) throw TEditorError("'Subtracted data' not found");
        entry = &*found;
    }
    TLocatedCurve located;
    located.entry = *entry;
    located.fieldIndex = view.FieldByName(entry->name).index;
    located.start = entry->isBytes ? 0 : EvalFieldExpression(view, entry->startExpr);
    located.count = ClampCount(EvalFieldExpression(view, entry->countExpr));
    located.isTL = IsTLRecord(view);
    located.spacing = located.isTL ? static_cast<int>(view.AsInteger(fields::kSpacing)) : 1;
    located.sequenceLength = located.count + (located.HasHeader() ? 2 : 0);
    return located;
}

TFloatArray ReadCurveSequence(const TBinDataSet& view, const TLocatedCurve& curve) {
    TFloatArray sequence(curve.sequenceLength, 0.0);
    std::size_t first = 0;
    if (curve.HasHeader()) {
        sequence[0] = FloatOrZero(view, fields::kNormalizationFactor);
        sequence[1] = FloatOrZero(view, fields::kShift);
        first = 2;
    }
    const int count = std::min<int>(curve.count, curve.sequenceLength - static_cast<int>(first));
    DecodeElements(view.FieldBytes(curve.fieldIndex), curve.entry.elementType, count, sequence,
                   first);
    return sequence;
}

void WriteCurveSequence(TBinDataSet& view, const TLocatedCurve& curve,
                        const TFloatArray& sequence) {
    const TCurveElementType type = curve.entry.elementType;
    // Nothing of type None can be stored: writing would only clear the field.
    if (type == TCurveElementType::None) throw TEditorError("Curve data not defined.");
    const TBinField& field = view.Field(curve.fieldIndex);
    std::vector<std::uint8_t> bytes(field.width, 0);
    const std::size_t size = CurveElementSize(type);
    const std::size_t first = curve.HasHeader() ? 2 : 0;
    for (int k = 0; k < curve.count; ++k) {
        const std::size_t end = (static_cast<std::size_t>(k) + 1) * size;
        if (end > bytes.size()) break;
        const std::size_t at = first + k;
        const double value = at < sequence.size() ? sequence[at] : 0.0;
        EncodeCurveElement(type, value, bytes.data() + end - size);
    }
    BeginRecordEdit(view);
    view.SetFieldBytes(curve.fieldIndex, bytes);
    view.Post();
}
