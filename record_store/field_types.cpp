#include "record_store/field_types.h"

#include <cctype>

namespace {}  // namespace

TFieldType FieldTypeFromKeyword(std::string_view keyword) {
    struct Entry {
        const char* keyword;
        TFieldType type;
    };
    static const Entry kEntries[] = {
        {"CHAR", TFieldType::String},
        {"FLOAT", TFieldType::Float},
        {"NUMERIC", TFieldType::Integer},
        {"LONGINT", TFieldType::Integer},
        {"LONG INTEGER", TFieldType::Integer},
        {"BOOL", TFieldType::Boolean},
        {"DATE", TFieldType::Date},
        {"TIME", TFieldType::Time},
        {"TIMESTAMP", TFieldType::DateTime},
        {"WORD", TFieldType::Word},
        {"BYTES", TFieldType::Bytes},
    };
    for (const Entry& e : kEntries) {
        if (EqualNoCase(keyword, e.keyword)) return e.type;
    }
    return TFieldType::Unknown;
}

const char* FieldTypeName(TFieldType type) {
    switch (type) {
        case TFieldType::String:
            return "String";
        case TFieldType::Float:
            return "Float";
        case TFieldType::Integer:
            return "Integer";
        case TFieldType::Boolean:
            return "Boolean";
        case TFieldType::Date:
            return "Date";
        case TFieldType::Time:
            return "Time";
        case TFieldType::DateTime:
            return "DateTime";
        case TFieldType::Word:
            return "Word";
        case TFieldType::Bytes:
            return "Bytes";
        case TFieldType::Unknown:
            break;
    }
    return "Unknown";
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    // Names and keywords of the files are ASCII: only a-z fold, whatever the locale.
    const auto fold = [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u >= 'a' && u <= 'z' ? static_cast<unsigned char>(u - ('a' - 'A')) : u;
    };
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i] && fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}
