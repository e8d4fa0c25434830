#include "record_store/schema.h"

#include <cctype>
#include <charconv>
#include <fstream>
#include <sstream>

#include "record_store/editor_error.h"

namespace {

std::string_view Trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return s.substr(b, e - b);
}

std::string Upper(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return r;
}

// A decimal integer with an optional sign, nothing else.
bool ParseDecimal(std::string_view s, int64_t& out) {
    const char* b = s.data();
    const char* e = b + s.size();
    if (b != e && *b == '+') ++b;
    if (b == e) return false;
    auto [p, ec] = std::from_chars(b, e, out);
    return ec == std::errc() && p == e;
}

[[noreturn]] void FieldError(const std::string& name) {
    throw TEditorError("Schema Read Error: Error processing field " + name + " in schema file");
}

}  // namespace

std::vector<std::string_view> SplitSchemaItems(std::string_view value) {
    std::vector<std::string_view> items;
    size_t start = 0;
    while (true) {
        size_t comma = value.find(',', start);
        items.push_back(Trim(value.substr(start, comma - start)));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return items;
}

const TSchemaField* TSchema::Find(std::string_view name) const {
    for (const TSchemaField& f : fields) {
        if (SameFieldName(f.name, name)) return &f;
    }
    return nullptr;
}

bool SameFieldName(std::string_view a, std::string_view b) {
    return EqualNoCase(a, b);
}

TSchema ParseSchema(std::string_view text) {
    TSchema schema;
    bool inSub = false;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t nl = text.find('\n', pos);
        std::string_view line =
            text.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
        pos = nl == std::string_view::npos ? text.size() : nl + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

        if (line == "[SUB]") {
            inSub = true;
            continue;
        }
        size_t eq = line.find('=');
        std::string key;
        std::string_view value;
        if (eq == std::string_view::npos) {
            value = Trim(line);
        } else {
            key = Upper(Trim(line.substr(0, eq)));
            value = Trim(line.substr(eq + 1, 255));
        }
        if (key.empty() || key == "CHARSET" || key == "DELIMITER" || key == "SEPARATOR" ||
            key[0] == '[')
            continue;
        if (key == "FILETYPE") {
            if (value != "FIXED BINARY")
                throw TEditorError("Schema error: FILETYPE must be FIXED BINARY");
            continue;
        }
        if (key.find("FIELD") == std::string::npos) continue;

        std::vector<std::string_view> items = SplitSchemaItems(value);
        TSchemaField f;
        f.name = std::string(items[0]);
        if (items.size() < 4) FieldError(f.name);
        f.typeKeyword = std::string(items[1]);
        f.type = FieldTypeFromKeyword(items[1]);
        int64_t width = 0, offset = 0;
        if (!ParseDecimal(items[2], width) || !ParseDecimal(items[3], offset)) FieldError(f.name);
        // Widths are 16-bit; a negative one, or a BYTES field of no bytes, is meaningless.
        if (width < 0 || width > 0xFFFF || (f.type == TFieldType::Bytes && width == 0))
            FieldError(f.name);
        if (offset < INT32_MIN || offset > INT32_MAX) FieldError(f.name);
        f.width = static_cast<uint16_t>(width);
        f.offset = static_cast<int32_t>(offset);
        f.part = inSub ? TFieldPart::Sub : TFieldPart::Main;
        f.recordOffset =
            inSub ? static_cast<int32_t>(schema.mainSize + offset) : static_cast<int32_t>(offset);
        if (inSub)
            schema.subSize += f.width;
        else
            schema.mainSize += f.width;
        f.size = FieldTypeHasSize(f.type) ? f.width : 0;
        f.position = static_cast<int>(schema.fields.size()) + 1;
        schema.fields.push_back(std::move(f));
    }

    // Every field must name bytes of its own part, so that no read or write leaves a record;
    // and a file with curve data keeps its sub-part flag at offset 14 of the main part.
    for (const TSchemaField& f : schema.fields) {
        const int64_t partSize = f.part == TFieldPart::Sub ? schema.subSize : schema.mainSize;
        if (f.offset < 0 || int64_t{f.offset} + f.width > partSize) FieldError(f.name);
    }
    if (schema.subSize > 0 && schema.mainSize <= kSubPartFlagOffset) {
        for (const TSchemaField& f : schema.fields) {
            if (f.part == TFieldPart::Sub) FieldError(f.name);
        }
    }
    return schema;
}

std::optional<std::string> ReadTextFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream ss;
    ss << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return ss.str();
}
