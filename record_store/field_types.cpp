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
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}
