#pragma once
// The curve fields of an open file: which fields hold curves (marked by the editor layout
// file) and, from each field's schema line, how its bytes divide into elements and how many
// of them the record holds.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "record_store/curve_elements.h"
#include "record_store/float_array.h"
#include "record_store/schema_extension.h"

class TBinDataSet;

struct TCurveFieldInfo {
    std::string name;      // the view's field name
    bool isBytes = false;  // the schema type is BYTES
    TCurveElementType elementType = TCurveElementType::None;
    std::string startExpr;  // only for a field that is not BYTES
    std::string countExpr;  // e.g. "NPT" in double quotes, "NPT" quoted + 2, or 100
};

// In the order of the view's fields. The first curve is entry 0; the subtracted curve is the
// last entry named exactly "Subtracted data".
using TCurveFieldList = std::vector<TCurveFieldInfo>;

// The entry for a field from the curve-field extension of its schema line. `fieldName` is the
// view's name of the field; it names the entry even when the schema line was not found (the
// other items are then empty: not BYTES, element type None, no expressions).
TCurveFieldInfo MakeCurveFieldInfo(const TCurveFieldExtension& extension,
                                   std::string_view fieldName);

// Reads the schema file again and builds the entry of the field at schema position
// `position` (1-based among all FIELD lines, the line "FIELD" + position).
TCurveFieldInfo ReadCurveFieldInfo(const std::string& schemaPath, int position,
                                   std::string_view fieldName);
// The same for a field of an open view (the schema file it was opened with and the field's
// schema position): what the layout file's curve marks call for each marked field. Throws
// TEditorError("Field '<name>' not found") when the view has no such field.
TCurveFieldInfo ReadCurveFieldInfo(const TBinDataSet& view, std::string_view fieldName);

// The entry of exactly that name (the first one), or nullptr.
const TCurveFieldInfo* FindCurveField(const TCurveFieldList& list, std::string_view name);

// Value of a start or count expression (read by ParseFieldExpression) on the view's current
// record: the named field's value as an integer (0 when the expression names none) plus
// the constant (0 when absent or unreadable). Throws TEditorError("Field '<name>' not found") for a
// field the view lacks.
std::int64_t EvalFieldExpression(const TBinDataSet& view, std::string_view expression);
// A field's value plus an expression's constant, held at the int64 limits.
std::int64_t AddFieldConstant(std::int64_t value, int constant);

// More elements than a record field (at most 65535 bytes) can hold of the smallest type are
// never read: larger counts are cut to this, negative counts to 0.
constexpr std::int64_t kMaxCurveElements = 65535;

// Count-expression many elements of the entry's element type decoded from the field's
// bytes, as doubles; positions beyond the field's bytes (and every position of type None)
// read 0.
TFloatArray ReadCurveValues(const TBinDataSet& view, const TCurveFieldInfo& curve);
