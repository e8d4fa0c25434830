#pragma once
// Field types of the record files: the schema's type keywords, the value kind each one
// gives, and the names used in the store's binding messages.
#include <string>
#include <string_view>

enum class TFieldType {
    Unknown,   // keyword not known; opening a file with such a field fails
    String,    // CHAR
    Float,     // FLOAT
    Integer,   // NUMERIC, LONGINT, LONG INTEGER
    Boolean,   // BOOL
    Date,      // DATE
    Time,      // TIME
    DateTime,  // TIMESTAMP
    Word,      // WORD
    Bytes,     // BYTES
};

// Where a field's bytes live in a record buffer: main part, sub (curve) part, or the area of
// calculated fields that is never stored in a file.
enum class TFieldPart { Main, Sub, Calculated };

// Whether two texts are equal without regard to the case of ASCII letters (schema keywords,
// field names).
bool EqualNoCase(std::string_view a, std::string_view b);

// The type of a schema keyword, compared case-insensitively; Unknown when not a keyword.
TFieldType FieldTypeFromKeyword(std::string_view keyword);

// "String", "Float", "Integer", "Boolean", "Date", "Time", "DateTime", "Word", "Bytes",
// "Unknown": the names shown in the type-mismatch message.
const char* FieldTypeName(TFieldType type);

// Only text and bytes fields carry their width as their size.
inline bool FieldTypeHasSize(TFieldType type) {
    return type == TFieldType::String || type == TFieldType::Bytes;
}
