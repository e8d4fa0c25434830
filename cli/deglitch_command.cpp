// orvane-cli deglitch: glitch repair of raw or subtracted curves as the "Deglitching curve
// data" dialog does it, saved with backups.
#include <iostream>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "cli/curve_tool_support.h"
#include "cli/json_writer.h"
#include "record_store/bin_data_set.h"
#include "tools/deglitch.h"

int RunDeglitchCommand(const std::vector<std::string>& args) {
    return RunGuarded([&] {
        const TCommandLine line = ParseCommandLine(
            args, {"--schema", "--curve", "--view", "--from", "--to", "--records"}, {});
        if (line.help) {
            std::cout << UsageText();
            return static_cast<int>(kExitOk);
        }
        if (line.positional.size() != 1) throw TUsageError{"deglitch needs one FILE"};
        const std::optional<std::string> curve = line.Value("--curve");
        if (!curve || (*curve != "raw" && *curve != "subtracted"))
            throw TUsageError{"deglitch needs --curve raw or --curve subtracted"};
        const std::optional<std::string> view = line.Value("--view");
        if (!view || (*view != "tl" && *view != "osl"))
            throw TUsageError{"deglitch needs --view tl or --view osl"};
        if (!line.Has("--from") || !line.Has("--to"))
            throw TUsageError{"deglitch needs --from A --to B"};
        TDeglitchSettings settings;
        settings.curve = *curve == "raw" ? TDeglitchCurve::Raw : TDeglitchCurve::Subtracted;
        settings.tlView = *view == "tl";
        settings.from = ParseNumberOption("--from", *line.Value("--from"));
        settings.to = ParseNumberOption("--to", *line.Value("--to"));

        TBinDataSet store;
        OpenToolView(store, line.positional[0], line.Value("--schema").value_or(""));
        const TCurveFieldList curves = ToolCurveFields(store);
        const auto list = ParseRecordList(store, line.Value("--records").value_or("all"));
        // One number acts as the current record; several (or all) as a grid selection.
        std::vector<std::int32_t> selection;
        if (!list) {
            for (int i = 0; i < store.RecordCount(); ++i) selection.push_back(store.RecordAt(i).id);
        } else if (list->size() == 1) {
            store.GotoBookmark(list->front());
        } else {
            selection = *list;
        }
        const TDeglitchReport report = DeglitchRecords(store, curves, settings, selection);
        const auto number = SaveToolRun(store);
        TJsonWriter json(std::cout);
        json.BeginObject();
        json.Key("processed");
        json.BeginArray();
        for (std::int32_t id : report.processed) json.Integer(number(id));
        json.EndArray();
        json.Key("repaired");
        json.BeginArray();
        for (const TRecordRepair& r : report.repaired) {
            json.BeginObject();
            json.Member("record", number(r.record));
            json.Member("index", r.repair.index);
            json.Member("old", r.repair.oldValue);
            json.Member("new", r.repair.newValue);
            json.EndObject();
        }
        json.EndArray();
        json.Key("warnings");
        json.BeginArray();
        for (const std::string& w : report.warnings) json.String(w);
        json.EndArray();
        json.EndObject();
        json.Finish();
        return CloseRecordFile(store);
    });
}
