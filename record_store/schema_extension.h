#pragma once
// The curve-field extension of a schema's FIELD line: items 5 and 6 (element type and count
// expression) and, for a field that is not BYTES, item 3 read as start expression.
// Curve access reads it; the record store ignores it.
#include <optional>
#include <string>
#include <string_view>

#include "record_store/curve_elements.h"

struct TCurveFieldExtension {
    std::string name;
    bool isBytes = false;
    TNumericType elementType = TNumericType::None;
    std::string startExpr;  // only for a field that is not BYTES (its width item)
    std::string countExpr;
};

// The first line of the schema text whose text before its first "=" equals "FIELD" +
// position, compared without regard to case but with blanks counting ("FIELD3 =" is not
// found). The line is returned without its line end.
std::optional<std::string> FindSchemaFieldLine(std::string_view schemaText, int position);

// Items of one FIELD line (the part after "=" split at commas, each trimmed). A line that is
// empty or not found gives the empty extension (not BYTES, element type None, no expressions).
TCurveFieldExtension ParseCurveFieldExtension(std::string_view line);

// Reads the schema file again and parses the extension of the field at position (1-based).
TCurveFieldExtension ReadCurveFieldExtension(const std::string& schemaPath, int position);

// A start or count expression: an optional field name in double quotes followed by an
// optional signed integer constant (a missing or unreadable constant is 0). Blanks and tabs
// outside the quotes are ignored; inside them they are part of the name ("Max point"), whose
// ends are trimmed. A name without its closing quote runs to the end of the text. Its value
// is the named field's integer value (0 without a name) + constant.
struct TFieldExpression {
    std::string fieldName;  // empty when the expression names no field
    int constant = 0;
};
TFieldExpression ParseFieldExpression(std::string_view text);
