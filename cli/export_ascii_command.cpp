// orvane-cli export-ascii: chosen fields and curves of records appended as delimited text to
// the export file beside the record file, as "ASCII conversion" does it.
#include <iostream>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "cli/curve_tool_support.h"
#include "cli/json_writer.h"
#include "record_store/bin_data_set.h"
#include "roi/roi_sets.h"
#include "tools/ascii_export.h"

namespace {

std::vector<std::string> SplitFields(const std::string& text) {
    std::vector<std::string> items;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        std::string item = text.substr(start, comma - start);
        const std::size_t first = item.find_first_not_of(' ');
        const std::size_t last = item.find_last_not_of(' ');
        item = first == std::string::npos ? "" : item.substr(first, last - first + 1);
        if (!item.empty()) items.push_back(item);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return items;
}

TRecordKind RecordKindOf(TViewKind view) {
    switch (view) {
        case TViewKind::Dat:
            return TRecordKind::Dat;
        case TViewKind::Sad:
            return TRecordKind::Sad;
        case TViewKind::Das:
            return TRecordKind::Das;
        case TViewKind::General:
            break;
    }
    return TRecordKind::General;
}

}  // namespace

int RunExportAsciiCommand(const std::vector<std::string>& args) {
    return RunGuarded([&] {
        const TCommandLine line =
            ParseCommandLine(args,
                             {"--schema", "--fields", "--records", "--delimiter", "--arrange",
                              "--roi-set-tl", "--roi-set-osl", "--settings"},
                             {"--roi"});
        if (line.help) {
            std::cout << UsageText();
            return static_cast<int>(kExitOk);
        }
        if (line.positional.size() != 1) throw TUsageError{"export-ascii needs one FILE"};
        TAsciiExportSettings settings;
        settings.items = SplitFields(line.Value("--fields").value_or(""));
        if (settings.items.empty()) throw TUsageError{"export-ascii needs --fields \"A,B,...\""};
        settings.delimiter = line.Value("--delimiter").value_or(",");
        if (settings.delimiter.empty()) throw TUsageError{"--delimiter must not be empty"};
        const std::string arrange = line.Value("--arrange").value_or("columns");
        if (arrange != "rows" && arrange != "columns")
            throw TUsageError{"--arrange must be rows or columns"};
        settings.arrange = arrange == "rows" ? TArrangeRecords::Rows : TArrangeRecords::Columns;
        settings.integrateROIs = line.Has("--roi");
        const std::optional<std::string> settingsFile = SettingsFileOption(line);
        settings.tlSet = NamedROISet(TROIKind::TL, line.Value("--roi-set-tl"), settingsFile);
        settings.oslSet = NamedROISet(TROIKind::OSL, line.Value("--roi-set-osl"), settingsFile);

        TBinDataSet store;
        settings.kind = RecordKindOf(
            OpenToolView(store, line.positional[0], line.Value("--schema").value_or("")));
        const TCurveFieldList curves = ToolCurveFields(store);
        const auto list = ParseRecordList(store, line.Value("--records").value_or("all"));
        std::vector<std::int32_t> records;
        if (!list) {
            for (int i = 0; i < store.RecordCount(); ++i) records.push_back(store.RecordAt(i).id);
        } else if (list->size() == 1) {
            store.GotoBookmark(list->front());
        } else {
            records = *list;
        }
        const TAsciiTable table = BuildAsciiTable(store, curves, settings, records);
        const std::string path = AsciiExportPath(store.FileName());
        AppendAsciiExport(path, FormatAsciiTable(table, settings.delimiter, settings.arrange));

        const bool rows = settings.arrange == TArrangeRecords::Rows;
        const std::size_t cells = table.empty() ? 0 : table[0].size();
        TJsonWriter json(std::cout);
        json.BeginObject();
        json.Member("file", path);
        json.Member("rows", static_cast<std::int64_t>(rows ? table.size() : cells));
        json.Member("columns", static_cast<std::int64_t>(rows ? cells : table.size()));
        json.EndObject();
        json.Finish();
        return CloseRecordFile(store);
    });
}
