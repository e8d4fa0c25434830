#include "record_store/curve_access.h"

#include <algorithm>
#include <climits>

#include "record_store/bin_data_set.h"
#include "record_store/editor_error.h"
#include "record_store/measurement_access.h"
#include "record_store/measurement_codes.h"
#include "record_store/measurement_fields.h"
#include "record_store/schema_extension.h"

namespace {

constexpr std::size_t kDoubleSize = 8;

int ClampCount(std::int64_t n) {
    return static_cast<int>(std::clamp<std::int64_t>(n, 0, kMaxCurveElements));
}

void DecodeElements(const std::vector<std::uint8_t>& bytes, TCurveElementType type, int count,
                    TFloatArray& out, std::size_t first) {
    DecodeCurveElements(bytes.data(), bytes.size(), type, count, out, first);
}

bool IsSubtractedName(const std::string& name) {
    return name == fields::kSubtractedData;
}

}  // namespace

TFloatArray ReadRawCurve(const TBinDataSet& view) {
    return ReadRawCurve(view, view.FieldByName(fields::kRawData).index);
}

TFloatArray ReadRawCurve(const TBinDataSet& view, int rawField) {
    TFloatArray values;
    ReadRawCurve(view, rawField, values);
    return values;
}

void ReadRawCurve(const TBinDataSet& view, int rawField, TFloatArray& values) {
    const std::span<const std::uint8_t> bytes = view.FieldData(rawField);
    const std::size_t width = static_cast<std::size_t>(view.Field(rawField).width);
    values.resize(width / kDoubleSize);
    DecodeCurveElements(bytes.data(), bytes.size(), TCurveElementType::Double,
                        static_cast<int>(values.size()), values, 0);
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

TSubtractedCurveFields::TSubtractedCurveFields(const TBinDataSet& view, bool withOslBackground)
    : data(view.FieldByName(fields::kSubtractedData).index),
      shift(view.FieldByName(fields::kShift).index),
      factor(view.FieldByName(fields::kNormalizationFactor).index),
      oslBgd(withOslBackground ? view.FieldByName(fields::kOslBgd).index : -1) {}

void WriteSubtractedCurve(TBinDataSet& view, std::span<const double> subtracted, double shift,
                          double normalizationFactor, std::optional<double> oslBackgroundRate) {
    WriteSubtractedCurve(view, TSubtractedCurveFields(view, oslBackgroundRate.has_value()),
                         subtracted, shift, normalizationFactor, oslBackgroundRate);
}

void WriteSubtractedCurve(TBinDataSet& view, const TSubtractedCurveFields& fields,
                          std::span<const double> subtracted, double shift,
                          double normalizationFactor, std::optional<double> oslBackgroundRate) {
    if (oslBackgroundRate && fields.oslBgd < 0) view.FieldByName(fields::kOslBgd);  // throws
    BeginRecordEdit(view);
    view.EditFieldBytes(fields.data, [&](std::span<std::uint8_t> bytes) {
        const std::size_t fits = std::min(subtracted.size(), bytes.size() / kDoubleSize);
        EncodeDoubleElements(subtracted.first(fits), bytes.data());
    });
    view.SetAsFloat(fields.shift, shift);
    view.SetAsFloat(fields.factor, normalizationFactor);
    if (oslBackgroundRate) view.SetAsInteger(fields.oslBgd, RateToOslBgd(*oslBackgroundRate));
    view.Post();
}

bool TLocatedCurve::HasHeader() const {
    return IsSubtractedName(entry.name);
}

TCurveLocator::TFieldRef TCurveLocator::Find(const TBinDataSet& view, std::string name) {
    TFieldRef ref;
    const TBinField* field = view.FindField(name);
    if (field) {
        ref.index = field->index;
        if (field->calculated) storedOnly_ = false;
    }
    ref.name = std::move(name);
    return ref;
}

std::int64_t TCurveLocator::Integer(const TBinDataSet& view, const TFieldRef& field,
                                    int storedIndex) {
    if (field.index < 0) throw TEditorError("Field '" + field.name + "' not found");
    if (storedIndex >= 0) return ValueAsInteger(view.ValueAt(storedIndex, field.index));
    return view.AsInteger(field.index);
}

std::int64_t TCurveLocator::Evaluate(const TBinDataSet& view, const TExpression& expression,
                                     int storedIndex) {
    std::int64_t value = 0;
    if (!expression.field.name.empty()) value = Integer(view, expression.field, storedIndex);
    return AddFieldConstant(value, expression.constant);
}

TCurveLocator::TCurveLocator(const TBinDataSet& view, const TCurveFieldList& curves,
                             TCurveChoice which) {
    if (curves.empty()) throw TEditorError("Curve data not defined.");
    const TCurveFieldInfo* entry = &curves.front();
    if (which == TCurveChoice::Subtracted) {
        const auto found = std::find_if(curves.rbegin(), curves.rend(),
                                        [](const auto& c) { return IsSubtractedName(c.name); });
        if (found == curves.rend()) throw TEditorError("'Subtracted data' not found");
        entry = &*found;
    }
    located_.entry = *entry;
    curveField_ = Find(view, entry->name);
    const auto parse = [this, &view](const std::string& text) {
        const TFieldExpression parsed = ParseFieldExpression(text);
        TExpression e;
        e.constant = parsed.constant;
        if (!parsed.fieldName.empty()) e.field = Find(view, parsed.fieldName);
        return e;
    };
    if (!entry->isBytes) start_ = parse(entry->startExpr);
    count_ = parse(entry->countExpr);
    device_ = Find(view, fields::kDevNo);
    spacing_ = Find(view, fields::kSpacing);
    if (IsSubtractedName(entry->name)) {
        Find(view, fields::kNormalizationFactor);
        Find(view, fields::kShift);
    }
}

TLocatedCurve TCurveLocator::Locate(const TBinDataSet& view) const {
    return Locate(view, -1);
}

TLocatedCurve TCurveLocator::Locate(const TBinDataSet& view, int storedIndex) const {
    if (curveField_.index < 0) throw TEditorError("Field '" + curveField_.name + "' not found");
    TLocatedCurve located = located_;
    located.fieldIndex = curveField_.index;
    located.start = located.entry.isBytes ? 0 : Evaluate(view, start_, storedIndex);
    located.count = ClampCount(Evaluate(view, count_, storedIndex));
    const std::int64_t device = Integer(view, device_, storedIndex);
    located.isTL =
        IsTLDeviceCode(static_cast<int>(std::clamp<std::int64_t>(device, INT32_MIN, INT32_MAX)));
    located.spacing = located.isTL ? static_cast<int>(Integer(view, spacing_, storedIndex)) : 1;
    located.sequenceLength = located.count + (located.HasHeader() ? 2 : 0);
    return located;
}

TLocatedCurve LocateCurve(const TBinDataSet& view, const TCurveFieldList& curves,
                          TCurveChoice which) {
    return TCurveLocator(view, curves, which).Locate(view);
}

TFloatArray ReadCurveSequence(const TBinDataSet& view, const TLocatedCurve& curve) {
    TFloatArray sequence;
    ReadCurveSequence(view, curve, sequence);
    return sequence;
}

void ReadCurveSequence(const TBinDataSet& view, const TLocatedCurve& curve, TFloatArray& sequence,
                       int storedIndex) {
    sequence.assign(static_cast<std::size_t>(curve.sequenceLength), 0.0);
    std::size_t first = 0;
    if (curve.HasHeader()) {
        const auto header = [&](const char* name) {
            const TBinField* field = view.FindField(name);
            if (!field) return 0.0;
            return storedIndex >= 0 ? ValueAsFloat(view.ValueAt(storedIndex, field->index))
                                    : view.AsFloat(field->index);
        };
        sequence[0] = header(fields::kNormalizationFactor);
        sequence[1] = header(fields::kShift);
        first = 2;
    }
    const int count = std::min<int>(curve.count, curve.sequenceLength - static_cast<int>(first));
    const std::span<const std::uint8_t> bytes =
        storedIndex >= 0 ? view.StoredFieldData(storedIndex, curve.fieldIndex)
                         : view.FieldData(curve.fieldIndex);
    DecodeCurveElements(bytes.data(), bytes.size(), curve.entry.elementType, count, sequence,
                        first);
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
