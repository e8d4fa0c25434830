#pragma once
// What the commands of orvane-cli share: exit statuses, the usage text, option parsing,
// opening a record file, and reporting errors on standard error.
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

class TBinDataSet;

enum TExitStatus : int {
    kExitOk = 0,
    kExitFailure = 1,  // the command could not be carried out
    kExitUsage = 2,    // bad command line
};

// The usage text of the whole tool.
const char* UsageText();

// A bad command line: the message is printed before the usage text.
struct TUsageError {
    std::string message;
};

// Words of a command line after the command name: positional words and options. Options
// named in `valued` take the next word as their value; `flags` take none; an option may be
// repeated, its values kept in order. Throws TUsageError for an unknown option or a missing
// value.
struct TCommandLine {
    std::vector<std::string> positional;
    std::map<std::string, std::vector<std::string>> options;
    bool help = false;

    bool Has(const std::string& option) const { return options.count(option) > 0; }
    // The last value of an option, or nullopt.
    std::optional<std::string> Value(const std::string& option) const;
    const std::vector<std::string>& Values(const std::string& option) const;
};
TCommandLine ParseCommandLine(const std::vector<std::string>& args,
                              const std::vector<std::string>& valued,
                              const std::vector<std::string>& flags);

// A text in single quotes, as messages show a value the user gave.
std::string InQuotes(std::string_view text);

// Runs a command body: TUsageError prints its message and the usage text and gives
// kExitUsage; TEditorError and other failures print their message and give kExitFailure.
int RunGuarded(const std::function<int()>& body);

// The schema a store uses for a record file when none is given: the one the record store
// derives from the file name, matched without regard to case when the file system has it
// under another case (DAT.sch for a derived DAT.SCH).
std::string DerivedSchemaFor(const std::string& recordPath);

// Opens `store` on a record file with the given schema (empty: derived). The view's field
// list must be configured before.
void OpenRecordFile(TBinDataSet& store, const std::string& path, const std::string& schema);
// Closes the record file without saving anything more (a command saves what it changes
// itself) and gives the exit status of a command that succeeded.
int CloseRecordFile(TBinDataSet& store);
