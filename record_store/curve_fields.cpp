#include "record_store/curve_fields.h"

#include <algorithm>
#include <limits>

#include "record_store/bin_data_set.h"
#include "record_store/file_names.h"

TCurveFieldInfo MakeCurveFieldInfo(const TCurveFieldExtension& extension,
                                   std::string_view fieldName) {
    TCurveFieldInfo info;
    info.name = std::string(fieldName);
    info.isBytes = extension.isBytes;
    info.elementType = extension.elementType;
    if (!info.isBytes) info.startExpr = extension.startExpr;
    info.countExpr = extension.countExpr;
    return info;
}

TCurveFieldInfo ReadCurveFieldInfo(const std::string& schemaPath, int position,
                                   std::string_view fieldName) {
    return MakeCurveFieldInfo(ReadCurveFieldExtension(schemaPath, position), fieldName);
}

TCurveFieldInfo ReadCurveFieldInfo(const TBinDataSet& view, std::string_view fieldName) {
    const TBinField& field = view.FieldByName(fieldName);
    // The schema the view was opened with (its name matched to the file on disk); before an
    // open, the name the view would use.
    std::string schemaPath = view.OpenedSchemaPath();
    if (schemaPath.empty()) schemaPath = view.SchemaFileName();
    if (schemaPath.empty()) schemaPath = DefaultSchemaNameFor(view.FileName());
    return ReadCurveFieldInfo(schemaPath, field.position, field.name);
}

const TCurveFieldInfo* FindCurveField(const TCurveFieldList& list, std::string_view name) {
    for (const TCurveFieldInfo& info : list) {
        if (info.name == name) return &info;
    }
    return nullptr;
}

std::int64_t EvalFieldExpression(const TBinDataSet& view, std::string_view expression) {
    const TFieldExpression expr = ParseFieldExpression(expression);
    std::int64_t value = 0;
    if (!expr.fieldName.empty()) value = view.AsInteger(expr.fieldName);
    return AddFieldConstant(value, expr.constant);
}

std::int64_t AddFieldConstant(std::int64_t value, int constant) {
    // A field value near the int64 limits plus the constant must not overflow.
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    if (constant > 0 && value > kMax - constant) return kMax;
    if (constant < 0 && value < kMin - constant) return kMin;
    return value + constant;
}

TFloatArray ReadCurveValues(const TBinDataSet& view, const TCurveFieldInfo& curve) {
    const int count = static_cast<int>(
        std::clamp<std::int64_t>(EvalFieldExpression(view, curve.countExpr), 0, kMaxCurveElements));
    const std::vector<std::uint8_t> bytes = view.FieldBytes(curve.name);
    TFloatArray values(count, 0.0);
    DecodeCurveElements(bytes.data(), bytes.size(), curve.elementType, count, values, 0);
    return values;
}
