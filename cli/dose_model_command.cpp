// orvane-cli dose-model: one dose from the doses of many aliquots or grains in a CSV file
// (header De,DeError) by the central, common or minimum age model or the weighted mean.
#include <iostream>

#include "analysis/dose_models.h"
#include "cli/cli_support.h"
#include "cli/commands.h"
#include "cli/csv_table.h"
#include "cli/dose_model_json.h"
#include "cli/analyse_plot.h"
#include "cli/dose_model_plot.h"
#include "cli/json_writer.h"
#include "record_store/editor_error.h"

namespace {

constexpr const char* kDoseModelUsage =
    "usage: orvane-cli dose-model FILE.csv --model cam|common|mam3|mam4|mean [--sigmab S]\n"
    "                             [--plot FILE.svg|png|pdf [--plot-size WxH[mm]] [--dpi N]]\n"
    "\n"
    "One dose from the doses in FILE.csv (header De,DeError, one line per aliquot or grain):\n"
    "cam the central age model, common the common age model, mam3 and mam4 the minimum age\n"
    "model with 3 or 4 parameters (--sigmab, the relative spread of a well-bleached sample,\n"
    "e.g. 0.1, required), mean the inverse-variance weighted mean. All but mean work on the\n"
    "logarithms of the doses and refuse doses of 0 or less. JSON: \"model\", \"n\", \"De\",\n"
    "\"DeError\"; cam also \"OD\", \"ODError\" (overdispersion as a dose) and \"relOD\",\n"
    "\"relODError\" (%); mam3 and mam4 \"sigma\", \"p0\", \"mu\" (mam4, as a dose), \"DeLower\",\n"
    "\"DeUpper\" (95 % profile-likelihood interval), \"Lmax\", \"BIC\". --plot draws the radial\n"
    "plot with the model's dose and the density of the doses.\n"
    "\n"
    "Exit status: 0 success, 1 failure (fewer than 2 doses, a field that is not a number, a\n"
    "refused dose, named by its line), 2 bad usage.\n";

}  // namespace

int RunDoseModelCommand(const std::vector<std::string>& args) {
    return RunGuarded([&] {
        const TCommandLine line =
            ParseCommandLine(args, {"--model", "--sigmab", "--plot", "--plot-size", "--dpi"}, {});
        if (line.help) {
            std::cout << kDoseModelUsage;
            return static_cast<int>(kExitOk);
        }
        if (line.positional.size() != 1) throw TUsageError{"dose-model needs one FILE.csv"};
        const std::optional<std::string> modelName = line.Value("--model");
        TDoseModelOptions options;
        if (!modelName || !DoseModelFromName(*modelName, options.Kind))
            throw TUsageError{"dose-model needs --model cam|common|mam3|mam4|mean"};
        const bool minimum = options.Kind == TDoseModelKind::Minimum3 ||
                             options.Kind == TDoseModelKind::Minimum4;
        if (const std::optional<std::string> sigmaB = line.Value("--sigmab")) {
            if (!minimum) throw TUsageError{"--sigmab belongs to mam3 and mam4"};
            if (!ParseFieldDouble(*sigmaB, options.SigmaB))
                throw TUsageError{"--sigmab needs a number, not " + EchoedField(*sigmaB)};
        } else if (minimum) {
            throw TUsageError{*modelName + " needs --sigmab S (relative, e.g. 0.1)"};
        }
        if (line.Has("--plot") && DoseModelPlotWriter() == nullptr)
            throw TUsageError{"--plot is not available in this build"};

        const std::string& path = line.positional[0];
        TNumberTable table;
        std::string message;
        if (!ReadNumberTableFile(path, "De,DeError", table, message)) throw TEditorError(message);
        std::vector<TDoseValue> doses;
        for (const std::vector<double>& row : table.Rows) doses.push_back({row[0], row[1]});
        const TDoseModelResult r = FitDoseModel(doses, options);
        if (r.Code != TDoseModelCode::Ok) {
            const std::string where =
                r.BadIndex >= 0 ? path + " line " + std::to_string(table.Lines[r.BadIndex]) : path;
            throw TEditorError(r.BadIndex >= 0 ? DoseModelMessage(r, where)
                                               : path + ": " + DoseModelMessage(r, ""));
        }
        if (!r.Warning.empty()) std::cerr << "orvane-cli dose-model: warning: " << r.Warning << "\n";

        TJsonWriter json(std::cout);
        json.BeginObject();
        WriteDoseModelMembers(json, r);
        json.EndObject();
        json.Finish();
        if (const std::optional<std::string> plot = line.Value("--plot")) {
            TDoseModelPlotRequest request;
            request.doses = &doses;
            request.result = &r;
            request.path = *plot;
            request.figure = FigureOptionsOf(line, "--plot-size");
            DoseModelPlotWriter()(request);
        }
        return static_cast<int>(kExitOk);
    });
}
