// orvane-cli fading: the fading test of two groups of records, as "Check fading" in the
// fading-test mode computes it: the ratio faded / fresh of the group means of the subtracted
// curves, with its error, per glow temperature or OSL channel.
#include <iostream>

#include "analysis/fading_test.h"
#include "cli/cli_support.h"
#include "cli/commands.h"
#include "cli/curve_tool_support.h"
#include "cli/json_writer.h"
#include "record_store/bin_data_set.h"
#include "record_store/editor_error.h"

namespace {

std::vector<std::int32_t> GroupOption(const TBinDataSet& store, const TCommandLine& line,
                                      const std::string& option) {
    const std::optional<std::string> text = line.Value(option);
    if (!text) throw TUsageError{"fading needs " + option + " N,M,..."};
    const auto list = ParseRecordList(store, *text);
    if (!list) throw TUsageError{"fading needs record numbers for " + option};
    return *list;
}

}  // namespace

int RunFadingCommand(const std::vector<std::string>& args) {
    return RunGuarded([&] {
        const TCommandLine line = ParseCommandLine(args, {"--schema", "--faded", "--fresh"}, {});
        if (line.help) {
            std::cout << UsageText();
            return static_cast<int>(kExitOk);
        }
        if (line.positional.size() != 1) throw TUsageError{"fading needs one FILE"};
        TBinDataSet store;
        OpenToolView(store, line.positional[0], line.Value("--schema").value_or(""));
        const std::vector<std::int32_t> faded = GroupOption(store, line, "--faded");
        const std::vector<std::int32_t> fresh = GroupOption(store, line, "--fresh");
        const std::string problem = FadingRecordsProblem(store, faded, fresh);
        if (!problem.empty()) throw TEditorError(problem);
        const TFadingResult result = CheckFading(store, faded, fresh);
        if (result.Code != TFadingCode::Ok) throw TEditorError(FadingMessage(result.Code));
        TJsonWriter json(std::cout);
        json.BeginObject();
        json.Key("points");
        json.BeginArray();
        for (const TPlateauElement& e : result.Points) {
            json.BeginObject();
            json.Member("index", static_cast<std::int64_t>(e.Index));
            json.Member("x", e.X);
            json.Member("ratio", e.Value);
            json.Member("error", e.Error);
            json.Member("state", static_cast<std::int64_t>(e.State));
            json.EndObject();
        }
        json.EndArray();
        json.EndObject();
        json.Finish();
        return CloseRecordFile(store);
    });
}
