#pragma once
// The solutions log: "Write solutions to file" appends one block per write to a delimited
// text file (".lgf") for spreadsheets: a header naming the data file, device, method and
// bleaching, a column header, one line per solution. Texts are enclosed in double quotes,
// lines end in CR LF, the text is single-byte (ISO 8859-1: "±" is the byte 0xB1).
#include <string>

#include "analysis/plateau_test.h"

struct TSolutionsLogInput {
    const TSolutionArray* Solutions = nullptr;
    std::string DataFile;       // full name
    std::string FileTimeOfDay;  // the data file's modification time, locale's long time
    std::string ComputedOn;     // today, locale's short date
    std::string DeviceText;
    std::string MethodText;     // long method name
    std::string BleachingText;  // empty: no bleaching
    char Separator = ',';       // the locale's list separator
    std::string DecimalPoint = ".";
};

// The block of the SAR rejection criteria that follows the solution lines when solutions
// carry criteria (empty otherwise): a line "Rejection criteria: ","n of m aliquots accepted",
// a column header, one line per aliquot (No#, from, to as the solution lines; the recycling
// ratios as one quoted text, spaces between; recuperation, test dose error, dose error, IR
// depletion with four decimals, empty where there is none; "yes"/"no" beyond the largest
// regeneration dose; the failed criteria's names; "yes", "no" or "by the user"), an empty
// line.
std::string CriteriaLogBlock(const TSolutionArray& solutions, char separator,
                             const std::string& decimalPoint = ".");
// The block as UTF-8 (each "±" is U+00B1).
std::string SolutionsLogBlock(const TSolutionsLogInput& input);
// One solution's line (without line end).
std::string SolutionsLogLine(const TSolutionRecord& solution, char separator,
                             const std::string& decimalPoint = ".");

// UTF-8 to ISO 8859-1; characters beyond it become '?'.
std::string Latin1FromUtf8(const std::string& text);

// Appends the block, converted to ISO 8859-1, to `path` (created when missing). False with
// the system's message when the file cannot be opened, written or closed; what was written
// before stays.
bool AppendSolutionsLog(const std::string& path, const TSolutionsLogInput& input,
                        std::string& error);

// The user's locale (from the environment): list separator (';' where the decimal point is a
// comma, ',' otherwise), decimal point, and time texts of the log's header.
struct TLogLocale {
    char Separator = ',';
    std::string DecimalPoint = ".";
};
TLogLocale UserLogLocale();
// The time of day of `time` in the user's locale ("%X"), the date ("%x").
std::string LocaleTimeOfDay(long long time);
std::string LocaleShortDate(long long time);
