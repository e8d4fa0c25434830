#pragma once
// The schema file: a text description of how the bytes of one record divide into named,
// typed fields of a main part and an optional sub (curve) part.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "record_store/field_types.h"

struct TSchemaField {
    std::string name;         // as written (case kept)
    std::string typeKeyword;  // as written
    TFieldType type = TFieldType::Unknown;
    int size = 0;      // the width for CHAR and BYTES fields, 0 for the others
    int position = 0;  // 1-based among all field lines, main and sub counted together
    TFieldPart part = TFieldPart::Main;
    int32_t offset = 0;        // as written: from the start of the field's part
    uint16_t width = 0;        // bytes
    int32_t recordOffset = 0;  // from the start of the record buffer (sub: main size + offset)
};

struct TSchema {
    std::vector<TSchemaField> fields;
    int mainSize = 0;  // sum of the widths of the main fields
    int subSize = 0;   // sum of the widths of the sub fields
    bool HasSubPart() const { return subSize > 0; }
    // The field of a name compared case-insensitively, or nullptr.
    const TSchemaField* Find(std::string_view name) const;
};

// The byte of the main part that says whether a record has a sub part, and the 16-bit word
// the save commands overwrite with the record's 0-based position (files with a sub part).
constexpr int kSubPartFlagOffset = 14;
constexpr int kPositionWordOffset = 4;

// Parses schema text. Throws TEditorError with "Schema error: FILETYPE must be FIXED BINARY"
// or "Schema Read Error: Error processing field <name> in schema file" (also for a field
// whose bytes lie outside its part, and for a schema with a sub part whose main part has no
// byte at offset 14). Unknown type keywords are kept as TFieldType::Unknown.
TSchema ParseSchema(std::string_view text);

// The whole text of a file, or nullopt when it cannot be read.
std::optional<std::string> ReadTextFile(const std::string& path);

// The items of a schema line's value, split at commas and each trimmed of blanks.
std::vector<std::string_view> SplitSchemaItems(std::string_view value);

// Case-insensitive field name comparison used by schemas and stores.
bool SameFieldName(std::string_view a, std::string_view b);
