#pragma once
// Commands that read or write many records at once: "Post field to selected", the records'
// clipboard text and "Duplicate dosing".
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "record_store/curve_fields.h"
#include "record_store/presentation_conversions.h"
#include "record_store/presentation_record.h"

class TBinDataSet;

// Stores `text` into `field` of every selected record (in selection order) as typing it into
// that field of each record would: the entry conversions of the maker's fields apply per
// record ("Dev#" keeps each record's sub-number). The text is checked once, on the current
// record, before any record is written: a text that does not convert throws TEditorError and
// nothing changes. Returns to the record that was current. Returns the records changed.
int PostFieldToSelected(TBinDataSet& view, TRecordKind kind, const std::string& field,
                        const std::string& text, const std::vector<int32_t>& selection,
                        const presentation::TBooleanTexts& booleans,
                        const presentation::TTextLocale& locale);

struct TClipboardOptions {
    bool halcyonMode =
        true;  // the maker's views: curve cells padded as the reader's tools read them
    TRecordKind kind = TRecordKind::Dat;
    presentation::TTextLocale locale;
    // Boolean texts of the fields the layout gave them; other boolean fields read True/False.
    presentation::TBooleanTexts layoutBooleans;
    std::function<bool(const std::string&)> hasLayoutBooleans;
    TCurveFieldList curves;
};

// Tab-separated lines ending in CR LF of the grid's columns (data fields only, hidden ones
// included): the current record alone when nothing is selected, else a header line and the
// selected records in selection order. Returns to the record that was current.
std::string RecordsClipboardText(TBinDataSet& view, const std::vector<std::string>& columns,
                                 const std::vector<int32_t>& selection,
                                 const TClipboardOptions& options);

// Copies the dosing of each IRSL run (device 28) to the OSL run (device 20) of the same disk
// that follows it as the next run, and clears the bleach time of device-20 normalisation runs.
// Goes over all records of the DAT view in file order, then to the first record. Returns the
// records changed.
int DuplicateDosing(TBinDataSet& view);
