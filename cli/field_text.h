#pragma once
// Field values as orvane-cli writes and reads them: JSON values for dump, and the text of
// --value for set. The two forms match, so a value dumped can be set again.
#include <string>

#include "record_store/bin_data_set.h"
#include "record_store/field_value.h"

class TJsonWriter;

std::string DateText(const TDate& date);           // YYYY-MM-DD
std::string TimeText(std::uint32_t ms);            // HH:MM:SS.mmm
std::string DateTimeText(const TDateTime& value);  // YYYY-MM-DDTHH:MM:SS.mmm
std::string HexText(const TBytes& bytes);          // lowercase, two digits a byte

// Integers and floats as numbers, text as strings, booleans as true/false, dates and times
// in the forms above, bytes as hex, no value as null.
void WriteFieldValue(TJsonWriter& json, const TFieldValue& value);

// The value for `field` that the command-line text stands for: integers in decimal (within
// what the field's width holds), floats in any C notation, booleans true/false (also
// yes/no, 1/0, any case), dates, times and timestamps in the forms above (milliseconds
// optional), bytes as hex (at most the field's width), text as it is. Throws TEditorError
// naming the text when it does not fit the field.
TFieldValue ParseFieldText(const TBinField& field, const std::string& text);
