#include "record_store/schema_extension.h"

#include <cctype>
#include <charconv>

#include "record_store/schema.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Blanks and tabs only: the ends of an expression or of a quoted name.
std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

}  // namespace

std::optional<std::string> FindSchemaFieldLine(std::string_view schemaText, int position) {
    const std::string wanted = "FIELD" + std::to_string(position);
    size_t pos = 0;
    while (pos < schemaText.size()) {
        size_t nl = schemaText.find('\n', pos);
        std::string_view line = schemaText.substr(
            pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
        pos = nl == std::string_view::npos ? schemaText.size() : nl + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        if (SameFieldName(line.substr(0, eq), wanted)) return std::string(line);
    }
    return std::nullopt;
}

TCurveFieldExtension ParseCurveFieldExtension(std::string_view line) {
    TCurveFieldExtension ext;
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) return ext;
    const std::vector<std::string_view> items = SplitSchemaItems(line.substr(eq + 1));
    auto item = [&](size_t i) { return i < items.size() ? items[i] : std::string_view(); };
    ext.name = std::string(item(0));
    ext.isBytes = SameFieldName(item(1), "BYTES");
    if (!ext.isBytes) ext.startExpr = std::string(item(2));
    ext.elementType = CurveElementTypeFromName(item(4));
    ext.countExpr = std::string(item(5));
    return ext;
}

TCurveFieldExtension ReadCurveFieldExtension(const std::string& schemaPath, int position) {
    std::optional<std::string> text = ReadTextFile(schemaPath);
    if (!text) return TCurveFieldExtension();
    std::optional<std::string> line = FindSchemaFieldLine(*text, position);
    return line ? ParseCurveFieldExtension(*line) : TCurveFieldExtension();
}

TFieldExpression ParseFieldExpression(std::string_view text) {
    TFieldExpression expr;
    std::string_view rest = TrimBlanks(text);
    if (!rest.empty() && rest.front() == '"') {
        const size_t close = rest.find('"', 1);
        // Blanks inside the quotes belong to the name: many field names have them.
        expr.fieldName =
            std::string(TrimBlanks(rest.substr(1, close == rest.npos ? rest.npos : close - 1)));
        if (close == rest.npos) return expr;
        rest.remove_prefix(close + 1);
    }
    std::string constant;
    for (char c : rest) {
        if (!IsBlank(c)) constant += c;
    }
    const char* begin = constant.data();
    const char* end = begin + constant.size();
    if (begin != end && *begin == '+') ++begin;
    int value = 0;
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (error == std::errc() && stop == end && begin != end) expr.constant = value;
    return expr;
}
