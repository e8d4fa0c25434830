// orvane-cli normalize: the "Normalize" tool headless: TL glow curves scaled to the mean
// normalisation signal over a temperature window, or the raw curves of records multiplied by
// a factor; saved with backups.
#include <cmath>
#include <iostream>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "cli/curve_tool_support.h"
#include "cli/json_writer.h"
#include "record_store/bin_data_set.h"
#include "record_store/editor_error.h"
#include "tools/normalization.h"

namespace {

// The window of "--tl-window T1 T2": 200 to 500 degC in steps of 5, T1 below T2.
std::optional<TTLNormWindow> TakeTLWindow(std::vector<std::string>& args) {
    const auto pair = TakeNumberPair(args, "--tl-window");
    if (!pair) return std::nullopt;
    const auto valid = [](double t) {
        return t >= kTLNormLowest && t <= kTLNormHighest && std::fmod(t, kTLNormStep) == 0;
    };
    if (!valid(pair->first) || !valid(pair->second) || pair->first >= pair->second)
        throw TUsageError{"--tl-window needs T1 < T2 in steps of 5 between 200 and 500 degC"};
    return TTLNormWindow{static_cast<int>(pair->first), static_cast<int>(pair->second)};
}

}  // namespace

int RunNormalizeCommand(const std::vector<std::string>& arguments) {
    return RunGuarded([&] {
        std::vector<std::string> args = arguments;
        const std::optional<TTLNormWindow> window = TakeTLWindow(args);
        const TCommandLine line =
            ParseCommandLine(args, {"--schema", "--raw-factor", "--records"}, {});
        if (line.help) {
            std::cout << UsageText();
            return static_cast<int>(kExitOk);
        }
        if (line.positional.size() != 1) throw TUsageError{"normalize needs one FILE"};
        if (window.has_value() == line.Has("--raw-factor"))
            throw TUsageError{"normalize needs either --tl-window T1 T2 or --raw-factor X"};
        if (window && line.Has("--records"))
            throw TUsageError{
                "--records goes with --raw-factor; TL normalization works on every disk"};

        TBinDataSet store;
        OpenToolView(store, line.positional[0], line.Value("--schema").value_or(""));
        const TCurveFieldList curves = ToolCurveFields(store);
        TNormalizationReport report;
        if (window) {
            if (ChooseNormalization(store) != TNormalizeOperation::TLGlowCurves)
                throw TEditorError("The file holds fewer than two TL normalization runs");
            report = NormalizeTLGlowCurves(store, curves, *window);
        } else {
            const double factor = ParseNumberOption("--raw-factor", *line.Value("--raw-factor"));
            if (!RawIntensityFactorAccepted(factor))
                throw TUsageError{"--raw-factor must be above 0 and at most 100"};
            const auto list = ParseRecordList(store, line.Value("--records").value_or("all"));
            std::vector<std::int32_t> selection;
            if (!list) {
                for (int i = 0; i < store.RecordCount(); ++i)
                    selection.push_back(store.RecordAt(i).id);
            } else if (list->size() == 1) {
                store.GotoBookmark(list->front());
            } else {
                selection = *list;
            }
            report = ChangeRawIntensity(store, curves, factor, selection);
        }
        const auto number = SaveToolRun(store);
        TJsonWriter json(std::cout);
        json.BeginObject();
        json.Member("operation", std::string(window ? "tl" : "raw"));
        if (window) {
            json.Member("mean", report.mean);
            json.Key("normalization");
            json.BeginArray();
            for (const TTLNormRecord& n : report.normRecords) {
                json.BeginObject();
                json.Member("record", number(n.record));
                json.Member("disk", static_cast<std::int64_t>(n.disk));
                json.Member("integral", n.integral);
                json.Member("factor", n.factor);
                json.EndObject();
            }
            json.EndArray();
        }
        json.Key("changed");
        json.BeginArray();
        for (std::int32_t id : report.changed) json.Integer(number(id));
        json.EndArray();
        json.EndObject();
        json.Finish();
        return CloseRecordFile(store);
    });
}
