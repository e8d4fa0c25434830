// orvane-cli analyse: growth-curve analysis of a record file without the window. --list
// prints the device, irradiation and bleaching lists and the method grid; otherwise one
// "Compute" at one index with the mode's defaults for everything not given.
#include <ctime>
#include <filesystem>
#include <iostream>
#include <optional>
#include <set>

#include "analysis/aliquot_lists.h"
#include "analysis/device_key.h"
#include "analysis/growth_compute.h"
#include "analysis/lookup_table.h"
#include "analysis/method_recognition.h"
#include "cli/analyse_options.h"
#include "cli/analyse_plateau.h"
#include "cli/analyse_plot.h"
#include "cli/analyse_single_aliquot.h"
#include "cli/cli_support.h"
#include "cli/commands.h"
#include "cli/curve_tool_support.h"
#include "cli/fit_command.h"
#include "cli/json_writer.h"
#include "fitting/result_codes.h"
#include "record_store/bin_data_set.h"
#include "record_store/editor_error.h"

namespace {

constexpr const char* kNoValidRecords = "No valid records!";
constexpr const char* kNoMethod = "No method was recognized by program!";

std::string TimeOfDayNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buffer[16];
    std::strftime(buffer, sizeof buffer, "%H:%M:%S", &local);
    return buffer;
}

void PrintList(const TLookupTable& table, const std::vector<TDeviceEntry>& devices,
               const std::vector<TIrradiationEntry>& irradiations,
               const std::vector<TBleachingEntry>& bleachings, const TMethodGrid& grid) {
    TJsonWriter json(std::cout);
    json.BeginObject();
    auto texts = [&json](const char* key, const auto& list) {
        json.Key(key);
        json.BeginArray();
        for (std::size_t i = 0; i < list.size(); ++i) {
            json.BeginObject();
            json.Member("index", static_cast<int>(i));
            json.Member("text", list[i].Text);
            json.EndObject();
        }
        json.EndArray();
    };
    texts("devices", devices);
    texts("irradiations", irradiations);
    texts("bleachings", bleachings);
    json.Key("methods");
    json.BeginArray();
    for (int m : grid.Methods) {
        json.BeginObject();
        json.Member("index", m);
        json.Member("name", MethodLongName(m));
        json.Key("possible");
        json.BeginArray();
        for (const TPossibleRow& row : grid.Possible)
            json.Bool(row[static_cast<std::size_t>(m)][0]);
        json.EndArray();
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
    json.Finish();
    (void)table;
}

}  // namespace

int RunAnalyseCommand(const std::vector<std::string>& arguments) {
    return RunGuarded([&] {
        // "--range A B" and "--age-range A B" carry two values.
        std::vector<std::string> args;
        std::optional<std::pair<std::string, std::string>> range, ageRange;
        for (std::size_t i = 0; i < arguments.size(); ++i) {
            if (arguments[i] != "--range" && arguments[i] != "--age-range") {
                args.push_back(arguments[i]);
                continue;
            }
            if (i + 2 >= arguments.size())
                throw TUsageError{arguments[i] + " needs two values A B"};
            (arguments[i] == "--range" ? range : ageRange) = {arguments[i + 1], arguments[i + 2]};
            i += 2;
        }
        TSaCliOptions singleAliquot = TakeSingleAliquotOptions(args);
        const TCommandLine line = ParseCommandLine(
            args,
            {"--schema", "--device", "--method", "--bleaching", "--irradiations", "--index",
             "--function", "--degree", "--error-model", "--percent", "--reject", "--plot",
             "--plot-size", "--dpi", "--roi-set", "--settings", "--log", "--age-inputs",
             "--dose-model", "--sigmab", "--mc", "--seed"},
            {"--list", "--all", "--no-rois", "--no-legend", "--no-id"});
        if (line.help) {
            std::cout << UsageText();
            return static_cast<int>(kExitOk);
        }
        if (line.positional.size() != 1) throw TUsageError{"analyse needs one FILE"};
        const std::optional<std::string> plotFile = line.Value("--plot");
        const bool plateau = range.has_value() || line.Has("--all");
        if (plotFile && plotFile->empty())
            throw TUsageError{"--plot needs a FILE (.png, .svg, .pdf)"};
        for (const char* option : {"--plot-size", "--dpi", "--no-legend", "--no-id"})
            if (line.Has(option) && !plotFile)
                throw TUsageError{std::string(option) + " goes with --plot"};
        TFigureOptions figure;
        if (plotFile) figure = FigureOptionsOf(line, "--plot-size");
        if (plotFile && !plateau && !GrowthPlotWriter())
            throw TUsageError{"--plot needs orvane-cli built with its plotting library"};
        if (plotFile && line.Has("--list"))
            throw TUsageError{"--plot draws a solution, not --list"};
        if (range && line.Has("--all")) throw TUsageError{"--range and --all exclude each other"};
        if (plateau && (line.Has("--index") || line.Has("--list"))) {
            throw TUsageError{"--range and --all compute many indices: not with --index or --list"};
        }
        if (plateau && plotFile && !PlateauPlotWriter())
            throw TUsageError{"--plot needs orvane-cli built with its plotting library"};
        if (ageRange && !line.Has("--age-inputs"))
            throw TUsageError{"--age-range goes with --age-inputs"};
        if (!plateau && line.Has("--age-inputs"))
            throw TUsageError{"--age-inputs (the age plateau) goes with --range or --all"};
        if (!plateau && (line.Has("--log") || line.Has("--roi-set") || line.Has("--settings") ||
                         line.Has("--no-rois"))) {
            throw TUsageError{
                "--log, --roi-set, --settings and --no-rois go with --range or --all"};
        }
        const std::optional<std::string> settingsFile = SettingsFileOption(line);
        if (line.Has("--log") && line.Value("--log")->empty())
            throw TUsageError{"--log needs a FILE"};
        TFitOptions options;
        if (const auto f = line.Value("--function")) options.FunctionObject = FunctionObjectOf(*f);
        options.Degree = IntegerOption(line, "--degree", 4);
        if (options.Degree < 0 || options.Degree > 14) {
            throw TUsageError{"--degree takes 0 to 14"};
        }
        if (const auto e = line.Value("--error-model")) options.ErrorModel = ErrorModelOf(*e);
        if (const auto p = line.Value("--percent"))
            options.Percent = ParseNumberOption("--percent", *p);

        // --mc N --seed S: the Monte Carlo error beside the analytic one.
        std::optional<TMonteCarloDoseOptions> monteCarlo;
        if (line.Has("--mc")) {
            TMonteCarloDoseOptions mc;
            mc.Draws = IntegerOption(line, "--mc", 1000);
            if (mc.Draws < 2 || mc.Draws > 1000000)
                throw TUsageError{"--mc takes 2 to 1000000 draws"};
            const int seed = IntegerOption(line, "--seed", 1);
            if (seed < 0) throw TUsageError{"--seed takes a whole number from 0"};
            mc.Seed = static_cast<std::uint64_t>(seed);
            monteCarlo = mc;
        } else if (line.Has("--seed")) {
            throw TUsageError{"--seed goes with --mc"};
        }
        if (monteCarlo && line.Has("--list")) throw TUsageError{"--mc goes with a computation, not --list"};
        singleAliquot.monteCarlo = monteCarlo;

        TBinDataSet store;
        const std::string path = line.positional[0];
        const TViewKind kind = OpenToolView(store, path, line.Value("--schema").value_or(""));
        TLookupTable table = BuildLookupTable(store, kind);
        if (table.empty()) throw TEditorError(kNoValidRecords);
        const std::vector<TDeviceEntry> devices = BuildDeviceList(table);
        std::vector<TIrradiationEntry> irradiations = BuildIrradiationList(table);
        const std::vector<TBleachingEntry> bleachings = BuildBleachingList(table);
        if (devices.empty()) throw TEditorError(kNoMethod);

        // Without --device: the first device that has a method, as the window opens.
        int firstWithMethod = 0;
        if (!line.Has("--device")) {
            for (std::size_t d = 0; d < devices.size(); ++d) {
                if (!PossibleMethods(table, devices[d].Key, irradiations, bleachings)
                         .Methods.empty()) {
                    firstWithMethod = static_cast<int>(d);
                    break;
                }
            }
        }
        const int deviceIndex = IntegerOption(line, "--device", firstWithMethod);
        if (deviceIndex < 0 || deviceIndex >= static_cast<int>(devices.size())) {
            throw TEditorError("No device " + std::to_string(deviceIndex) + " in the list (0.." +
                               std::to_string(devices.size() - 1) + ")");
        }
        const TDeviceKey& device = devices[static_cast<std::size_t>(deviceIndex)].Key;
        if (line.Has("--list")) {
            const TMethodGrid grid = PossibleMethods(table, device, irradiations, bleachings);
            if (grid.Methods.empty()) throw TEditorError(kNoMethod);
            PrintList(table, devices, irradiations, bleachings, grid);
            return CloseRecordFile(store);
        }
        SelectIrradiations(line.Value("--irradiations").value_or("all"), irradiations);
        // The grid is built with the irradiations chosen, before any record is rejected.
        const TMethodGrid grid = PossibleMethods(table, device, irradiations, bleachings);
        if (grid.Methods.empty()) throw TEditorError(kNoMethod);

        // The cell: the first possible one, or the first column where the method is possible.
        int method = IntegerOption(line, "--method", -1);
        int bleaching = IntegerOption(line, "--bleaching", -1);
        if (line.Has("--method") && (method < 0 || method >= kMethodCount)) {
            throw TUsageError{"--method takes 0 to 10"};
        }
        if (bleaching != -1 &&
            (bleaching < 0 || bleaching >= static_cast<int>(bleachings.size()))) {
            throw TEditorError("No bleaching " + std::to_string(bleaching) + " in the list (0.." +
                               std::to_string(bleachings.size() - 1) + ")");
        }
        auto possible = [&grid](int b, int m) {
            return grid.Possible[static_cast<std::size_t>(b)][static_cast<std::size_t>(m)][0];
        };
        if (method < 0 || bleaching < 0) {
            bool found = false;
            for (int b = 0; b < static_cast<int>(bleachings.size()) && !found; ++b) {
                if (bleaching >= 0 && b != bleaching) continue;
                for (int m : grid.Methods) {
                    if ((method < 0 || m == method) && possible(b, m)) {
                        bleaching = b;
                        method = m;
                        found = true;
                        break;
                    }
                }
            }
            if (!found && method < 0) throw TEditorError(kNoMethod);
        }
        if (method < 0 || bleaching < 0 || !possible(bleaching, method)) {
            throw TEditorError(
                "Method " + InQuotes(MethodLongName(method)) + " is not possible with these data" +
                (bleaching >= 0 ? " and the bleaching " +
                                      InQuotes(bleachings[static_cast<std::size_t>(bleaching)].Text)
                                : std::string()));
        }
        const bool singleAliquotMethod = method == kSaAdditive || method == kSaRegenerative;
        const std::optional<TDoseModelOptions> doseModel =
            DoseModelOption(line, plateau && singleAliquotMethod);
        if (singleAliquotMethod && line.Has("--error-model")) {
            throw TUsageError{
                "--error-model: the single-aliquot methods always use arbitrary errors"};
        }
        if (singleAliquot.criteriaGiven && method != kSaRegenerative) {
            throw TUsageError{
                "--criteria and --accept-aliquots go with --method 10 (SA Regenerative)"};
        }
        if (singleAliquotMethod && plotFile && !plateau && !line.Has("--index")) {
            throw TUsageError{
                "--plot draws one aliquot: give --index, or --range/--all for the paleodose plot"};
        }
        // Records taken out of the computation, for either kind of method.
        if (const auto reject = line.Value("--reject")) {
            const auto bookmarks = ParseRecordList(store, *reject);
            std::set<std::int32_t> rejected;
            if (bookmarks) rejected.insert(bookmarks->begin(), bookmarks->end());
            for (TLookupRecord& e : table) {
                if (!bookmarks || rejected.count(e.Bookmark)) e.Accepted = false;
            }
        }
        // What Range and All compute, for either kind of method.
        const auto plateauRequest = [&] {
            TPlateauRequest request;
            request.Table = &table;
            request.Device = device;
            request.DeviceText = devices[static_cast<std::size_t>(deviceIndex)].Text;
            request.Method = method;
            if (bleaching > 0)
                request.BleachingText = bleachings[static_cast<std::size_t>(bleaching)].Text;
            request.Options = options;
            request.All = !range;
            if (range) {
                request.RangeFrom = static_cast<int>(ParseNumberOption("--range", range->first));
                request.RangeTo = static_cast<int>(ParseNumberOption("--range", range->second));
            }
            request.DataFile = path;
            request.LogFile = line.Value("--log");
            request.AgeInputsFile = line.Value("--age-inputs");
            request.PlotFile = plotFile;
            request.Figure = figure;
            request.Figure.idText = IdentificationText(
                std::filesystem::path(path).filename().string(), request.DeviceText,
                MethodLongName(method), request.BleachingText);
            request.DoseModel = doseModel;
            request.MonteCarlo = monteCarlo;
            if (ageRange) {
                request.AgeRange = {ParseNumberOption("--age-range", ageRange->first),
                                    ParseNumberOption("--age-range", ageRange->second)};
            }
            return request;
        };
        if ((method == kSaAdditive || method == kSaRegenerative) && plateau) {
            // The aliquots one after the other; no ROIs.
            TSaAliquotSolver solver(store, ToolCurveFields(store), table, device, method, options,
                                    singleAliquot);
            TPlateauRequest request = plateauRequest();
            request.UseRois = false;
            request.Solve = [&solver](int aliquot, TGrowthPoints& points, TSolution& s) {
                return solver.Solve(aliquot, points, s);
            };
            request.Warnings = [&solver] { return solver.Warnings(); };
            request.FirstAliquot = solver.FirstAliquot();
            request.LastAliquot = solver.LastAliquot();
            RunPlateauAnalysis(request);
            return CloseRecordFile(store);
        }
        if (method == kSaAdditive || method == kSaRegenerative) {
            std::optional<int> aliquot;
            if (line.Has("--index")) aliquot = IntegerOption(line, "--index", 0);
            std::cout << SingleAliquotJson(store, ToolCurveFields(store), table, device,
                                           devices[static_cast<std::size_t>(deviceIndex)].Text,
                                           method, aliquot, options, singleAliquot,
                                           plotFile.value_or(""), figure);
            return CloseRecordFile(store);
        }
        const TBleachingEntry& bleach = bleachings[static_cast<std::size_t>(bleaching)];
        // The growth methods read the subtracted curves: without them every signal is 0.
        std::vector<std::string> hints;
        if (!HasCurveData(table)) hints.emplace_back(kNoSubtractedData);

        if (plateau) {
            UpdateSelection(table, device, irradiations, bleach.Bleaching, method);
            TPlateauRequest request = plateauRequest();
            request.UseRois = !line.Has("--no-rois");
            request.Rois = NamedROISet(device.Device < 20 ? TROIKind::TL : TROIKind::OSL,
                                       line.Value("--roi-set"), settingsFile);
            request.Warnings = [hints] { return hints; };
            RunPlateauAnalysis(request);
            return CloseRecordFile(store);
        }
        const TIndexFields fields = IndexFieldsFor(device, method, nullptr);
        if (!fields.Valid()) throw TEditorError(fields.Error);
        int index = fields.DefaultIndex;
        if (line.Has("--index")) {
            std::string message;
            if (!IndexFromValue(fields, IntegerOption(line, "--index", 0), index, message)) {
                throw TEditorError(message);
            }
        }
        UpdateSelection(table, device, irradiations, bleach.Bleaching, method);
        TGrowthPoints points = BuildGrowthPoints(table, method, index);
        TSolution s = ComputeSolution(points, device, method, index, options);
        if (monteCarlo) {
            s.MonteCarlo = SolutionMonteCarlo(s, *monteCarlo);
            if (!s.MonteCarlo->Warning.empty()) hints.push_back(s.MonteCarlo->Warning);
        }

        const std::filesystem::path file(path);
        TSummaryInput summary;
        summary.FileName = file.filename().string();
        summary.Folder = std::filesystem::absolute(file).parent_path().string();
        summary.DeviceText = devices[static_cast<std::size_t>(deviceIndex)].Text;
        summary.Method = method;
        if (bleach.Bleaching.BleachTime > 0) summary.BleachingText = bleach.Text;
        summary.Osl = !IsTLDevice(device);
        summary.IndexValue = ValueOfIndex(fields, index);
        summary.PrintedOn = TimeOfDayNow();

        std::string out = "{\"device\":" + JsonQuoted(summary.DeviceText) +
                          ",\"method\":" + JsonQuoted(MethodLongName(method)) +
                          ",\"bleaching\":" + JsonQuoted(bleach.Text) + ",\"solutions\":[";
        out += SolutionEntryJson(s, summary, points, table, method);
        out.pop_back();  // the entry's closing brace: --plot adds to it
        if (plotFile) {
            TGrowthPlotRequest plot;
            plot.points = &points;
            plot.fit = &s.Fit;
            plot.index = index;
            plot.resultText = s.Line;
            plot.path = *plotFile;
            plot.figure = figure;
            plot.figure.idText = IdentificationText(summary.FileName, summary.DeviceText,
                                                    MethodLongName(method), summary.BleachingText);
            TPlotSize size;
            GrowthPlotWriter()(plot, size);
            out += "}],\"plot\":" + PlotJson(*plotFile, size);
        } else {
            out += "}]";
        }
        out += ",\"warnings\":" + JsonStringArray(hints) + "}\n";
        std::cout << out;
        return CloseRecordFile(store);
    });
}
