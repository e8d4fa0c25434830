#pragma once
// ASCII export: chosen fields and curves of records as delimited text appended to a file
// beside the record file, for spreadsheets. The curves can also be integrated over the
// current ROI sets.
//
// Every curve item is a block of point cells ("point k" over the value at sequence index k:
// for "Subtracted data" the two leading cells are indexes 0 and 1) as wide as the widest
// exported record needs (at least its "Max point" + 1), followed by its ten ROI sums when
// they are asked for; shorter records leave empty cells, so every value stands under its
// heading, in rows and in columns, for TL and OSL records alike.
#include <cstdint>
#include <string>
#include <vector>

#include "record_store/curve_fields.h"
#include "record_store/presentation_record.h"
#include "record_store/presentation_values.h"
#include "roi/roi_set.h"

class TBinDataSet;

enum class TArrangeRecords { Rows, Columns };

// The delimiter list of the dialog; "TAB" stands for a tab character.
const std::vector<std::string>& AsciiDelimiterNames();
// The character(s) a delimiter text stands for.
std::string DelimiterText(const std::string& name);

struct TAsciiExportSettings {
    std::vector<std::string> items;  // field names in the order of "Convert to ASCII: "
    std::string delimiter = ",";     // as typed ("TAB" for a tab)
    TArrangeRecords arrange = TArrangeRecords::Columns;
    bool integrateROIs = false;
    TROISet tlSet{};   // current TL ROI set
    TROISet oslSet{};  // current OSL ROI set
    TRecordKind kind = TRecordKind::Dat;
    presentation::TTextLocale locale;
};

// Row 0 is the header, then one row per record; every row has the same number of cells.
using TAsciiTable = std::vector<std::vector<std::string>>;

// The table of the current record (empty `records`) or of the given records (bookmarks) in
// order; the cursor returns to where it was. Throws TEditorError("Field '<name>' not found")
// for an item the view lacks.
TAsciiTable BuildAsciiTable(TBinDataSet& view, const TCurveFieldList& curves,
                            const TAsciiExportSettings& settings,
                            const std::vector<std::int32_t>& records);

// The ten ROI sums of a curve held as 100 values (see AsciiExport's ROI rules): for a TL
// record ROI temperatures become indices with the record's spacing.
std::vector<double> ROISums(const std::vector<double>& held, const TROISet& set, bool tlRecord,
                            std::int64_t spacing);

// The lines of the table, each ending in a line feed: rows, or columns (line i made of cell
// i of every row).
std::string FormatAsciiTable(const TAsciiTable& table, const std::string& delimiter,
                             TArrangeRecords arrange);

// The record file's path with its extension replaced by ".ascii".
std::string AsciiExportPath(const std::string& recordPath);

// Appends the text to the file (created when missing), starting on a line of its own; the
// earlier contents are never rewritten. Throws TEditorError("Error writing file: <path>\n
// <cause>").
void AppendAsciiExport(const std::string& path, const std::string& text);
