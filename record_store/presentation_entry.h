#pragma once
// Storing what the user typed into a field of the current record: the entry conversions of
// the maker's fields, ordinary conversion by the field's kind otherwise, and the rule that a
// DAT record carries one irradiation.
#include <string>

#include "record_store/bin_data_set.h"
#include "record_store/presentation_conversions.h"
#include "record_store/presentation_record.h"
#include "record_store/presentation_values.h"

namespace presentation {

enum class TEntryOutcome { Stored, Unchanged };

// Edits the current record of `view`, stores `text` into `field` and posts. An entry that
// the field's conversion ignores changes nothing. Throws TEditorError when the text does not
// convert to the field's kind (the record is left unchanged then). `booleans` are the shown
// texts of boolean fields, accepted besides "True"/"False"; dates are read as the locale
// shows them or as YYYY-MM-DD.
TEntryOutcome ApplyEntry(TBinDataSet& view, TRecordKind kind, const std::string& field,
                         const std::string& text, const TBooleanTexts& booleans,
                         const TTextLocale& locale);
TEntryOutcome ApplyEntry(TBinDataSet& view, TRecordKind kind, const std::string& field,
                         const std::string& text, const TBooleanTexts& booleans,
                         char decimalSeparator = '.');

// The field value of a text typed for a field of the given type, by the ordinary rules.
// Throws TEditorError when it does not convert. A date field takes the locale's short form
// or YYYY-MM-DD, within the years its packed word holds (1900 to 2027).
TFieldValue ParseEntry(const TBinField& field, const std::string& text,
                       const TBooleanTexts& booleans, const TTextLocale& locale);
TFieldValue ParseEntry(const TBinField& field, const std::string& text,
                       const TBooleanTexts& booleans, char decimalSeparator);

}  // namespace presentation
