#include "cli/curve_tool_support.h"

#include <cctype>
#include <cmath>
#include <filesystem>
#include <memory>

#include "cli/cli_support.h"
#include "cli/settings_file.h"
#include "platform/number_text.h"
#include "record_store/bin_data_set.h"
#include "record_store/editor_error.h"
#include "record_store/file_names.h"
#include "record_store/layout_file.h"
#include "record_store/layout_plan.h"
#include "record_store/measurement_fields.h"
#include "roi/roi_sets.h"
#include "tools/record_cursor.h"

namespace fs = std::filesystem;

TViewKind OpenToolView(TBinDataSet& store, const std::string& path, const std::string& schema) {
    const TViewKind kind = ViewKindForFile(path);
    ConfigureView(store, kind);
    OpenRecordFile(store, path, schema);
    return kind;
}

TCurveFieldList ToolCurveFields(const TBinDataSet& store) {
    std::string kind = fs::path(store.FileName()).extension().string();
    if (!kind.empty()) kind.erase(0, 1);
    for (char& c : kind) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const fs::path schemaDir = fs::path(store.OpenedSchemaPath()).parent_path();
    const std::string layout =
        ResolveNameCase(LayoutFileName(schemaDir.empty() ? "" : schemaDir.string() + "/", kind));
    if (const auto text = ReadLayoutText(layout)) {
        return LayoutCurveFields(store, text->lines, BooleanWords(WholeBooleanDisplay("")));
    }
    TCurveFieldList curves;
    for (const char* name : {fields::kRawData, fields::kSubtractedData}) {
        if (store.FindField(name)) curves.push_back(ReadCurveFieldInfo(store, name));
    }
    return curves;
}

std::int32_t RecordBookmark(const TBinDataSet& store, const std::string& word) {
    int number = 0;
    try {
        std::size_t used = 0;
        number = std::stoi(word, &used);
        if (used != word.size()) throw std::invalid_argument("");
    } catch (const std::exception&) {
        throw TUsageError{"a record number is needed, not '" + word + "'"};
    }
    if (number < 1 || number > store.RecordCount()) {
        throw TEditorError("Record " + word + " not found: the file holds " +
                           std::to_string(store.RecordCount()) + " records");
    }
    return store.RecordAt(number - 1).id;
}

std::optional<std::vector<std::int32_t>> ParseRecordList(const TBinDataSet& store,
                                                         const std::string& text) {
    if (text == "all") return std::nullopt;
    std::vector<std::int32_t> ids;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        ids.push_back(RecordBookmark(store, text.substr(start, comma - start)));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return ids;
}

double ParseNumberOption(const std::string& option, const std::string& text) {
    double value = 0;
    if (ParseNumberText(text, value)) return value;
    throw TUsageError{option + " needs a number, not '" + text + "'"};
}

std::function<std::int64_t(std::int32_t)> SaveToolRun(TBinDataSet& store) {
    if (store.Modified()) store.SaveToFile(store.FileName());
    auto positions = std::make_shared<const TRecordPositions>(store);
    return [positions](std::int32_t id) {
        return static_cast<std::int64_t>(positions->IndexOf(id) + 1);
    };
}

TROISet NamedROISet(TROIKind kind, const std::optional<std::string>& name,
                    const std::optional<std::string>& settingsFile) {
    if (!settingsFile) {
        if (!name || *name == kDefaultROISetName) return DefaultROISet(kind);
        throw TUsageError{"ROI set '" + *name + "' not found: without --settings FILE the " +
                          "command-line tool knows only '" + std::string(kDefaultROISetName) + "'"};
    }
    const TSettingsFileReader reader = SettingsFileReader();
    if (!reader) throw TUsageError{"--settings needs orvane-cli built with the editor's settings"};
    TROIKindSets sets(kind);
    sets.Load(*reader(*settingsFile));
    if (!name) return sets.Current();
    const TROIList& list = sets.List();
    for (int n = 0; n < list.Count(); ++n)
        if (list.names[static_cast<std::size_t>(n)] == *name)
            return list.sets[static_cast<std::size_t>(n)];
    if (*name == kDefaultROISetName) return DefaultROISet(kind);
    std::string known;
    for (const std::string& n : list.names) known += (known.empty() ? "'" : ", '") + n + "'";
    throw TUsageError{"ROI set '" + *name + "' not found: the " +
                      (kind == TROIKind::TL ? "TL" : "OSL") + " ROI sets in " + *settingsFile +
                      " are " + known};
}

std::optional<std::string> SettingsFileOption(const TCommandLine& line) {
    std::optional<std::string> file = line.Value("--settings");
    if (file && file->empty()) throw TUsageError{"--settings needs a FILE"};
    return file;
}

std::optional<std::pair<double, double>> TakeNumberPair(std::vector<std::string>& args,
                                                        const std::string& option) {
    std::optional<std::pair<double, double>> pair;
    for (std::size_t i = 0; i < args.size();) {
        if (args[i] != option) {
            ++i;
            continue;
        }
        if (i + 2 >= args.size()) throw TUsageError{option + " needs two numbers"};
        pair = std::make_pair(ParseNumberOption(option, args[i + 1]),
                              ParseNumberOption(option, args[i + 2]));
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                   args.begin() + static_cast<std::ptrdiff_t>(i) + 3);
    }
    return pair;
}
