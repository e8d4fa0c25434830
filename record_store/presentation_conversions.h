#pragma once
// Display, edit and entry conversions of the maker's fields: what the grid and the record
// form show for a field of a record, the text offered when the user edits it, and how a typed
// text is stored. TL and OSL are decided per record from "Dev#".
#include <optional>
#include <string>

#include "record_store/presentation_values.h"

namespace presentation {

// The text shown for `field` of the record, or nullopt when the field has no conversion of
// its own (the plain value is shown then).
std::optional<std::string> DisplayText(TRecordKind kind, const std::string& field,
                                       const TRecordValues& record, char decimalSeparator = '.');

// The text offered for editing, or nullopt when the plain value is edited.
std::optional<std::string> EditText(TRecordKind kind, const std::string& field,
                                    const TRecordValues& record, char decimalSeparator = '.');

struct TEntry {
    enum class TKind {
        Ordinary,  // no conversion: store the typed text by the field's type
        Store,     // store `value` into the field
        Ignore,    // the entry changes nothing
        ReadOnly,  // a calculated field: it cannot be entered
    };
    TKind kind = TKind::Ordinary;
    long long value = 0;
};

// Converts a typed text for `field` of the record.
// "Dev#": a device number 0 or 20 to 28 keeps the sub-number (code modulo 100); any other
// entry changes nothing. "OSL BGD": a rate r stores round(r * 10) byte-swapped (a rate
// outside the 16-bit range changes nothing). "Power": a percentage clamped to 0-100 stores
// round(p * 2.55).
TEntry ConvertEntry(TRecordKind kind, const std::string& field, const std::string& text,
                    const TRecordValues& record, char decimalSeparator = '.');

// True when `field` is a calculated field of the maker's views.
bool IsCalculatedField(const std::string& field);

// "Yes;No"-style display texts of boolean fields.
struct TBooleanTexts {
    std::string trueText = "Yes";
    std::string falseText = "No";
    // Splits "Yes;No"; a text without ";" gives the true text and an empty false text.
    static TBooleanTexts Parse(const std::string& yesNo);
    const std::string& For(bool value) const { return value ? trueText : falseText; }
};

// Display labels of fields in the maker's views ("Run" for "Run#", "Disk" for "Disk#",
// "Points" for "NPT" in the DAT and DAS views); the name itself when it has none.
std::string DisplayLabel(TRecordKind kind, const std::string& field);

}  // namespace presentation
