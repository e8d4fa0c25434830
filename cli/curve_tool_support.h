// What the curve-tool commands of orvane-cli (subtract, deglitch, export-ascii) share: the
// view and curve fields of the record file, record lists given by number, and numbers.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "record_store/curve_fields.h"
#include "record_store/views.h"
#include "roi/roi_set.h"

class TBinDataSet;
struct TCommandLine;

// Opens the record file in the view the editor shows it in: the maker's view for .DAT, .SAD
// and .DAS, the general view otherwise.
TViewKind OpenToolView(TBinDataSet& store, const std::string& path, const std::string& schema);

// The file's curve fields as the editor has them: the fields its layout file ("OV_" + the
// file kind + ".INI" beside the schema) marks as curves; without a layout file "Raw data"
// and "Subtracted data" when the view has them.
TCurveFieldList ToolCurveFields(const TBinDataSet& store);

// A record list: "all" (nullopt) or record numbers "N,M,..." counted from 1 in file order,
// turned into bookmarks in the order given. Throws TUsageError for a malformed list and
// TEditorError for a number outside the file.
std::optional<std::vector<std::int32_t>> ParseRecordList(const TBinDataSet& store,
                                                         const std::string& text);
// Record number of one command-line word; throws TUsageError / TEditorError as above.
std::int32_t RecordBookmark(const TBinDataSet& store, const std::string& word);

// A decimal number given for `option`; throws TUsageError naming the option.
double ParseNumberOption(const std::string& option, const std::string& text);

// An option followed by two numbers ("--tl-window 250 450"), taken out of `args` before the
// common parsing; the last one given counts. Throws TUsageError when a number is missing.
std::optional<std::pair<double, double>> TakeNumberPair(std::vector<std::string>& args,
                                                        const std::string& option);

// Ends a tool run: saves the file with backups when the run changed records, and returns the
// record number (counted from 1 in file order) of each bookmark, as the commands print them.
std::function<std::int64_t(std::int32_t)> SaveToolRun(TBinDataSet& store);

// The named ROI set of a kind. Without `settingsFile` only the program's default set ("Default
// ROIs", also when no name is given) is known. With it the sets are the user's, read from
// that settings file (--settings): no name gives the set the window has current, "Default
// ROIs" is known even when the file does not hold it. Throws TUsageError for an unknown name
// (naming the sets there are) and TEditorError when the file cannot be read.
TROISet NamedROISet(TROIKind kind, const std::optional<std::string>& name,
                    const std::optional<std::string>& settingsFile = std::nullopt);
// The file given with --settings, or nullopt; throws TUsageError when it is empty.
std::optional<std::string> SettingsFileOption(const TCommandLine& line);
