#include "cli/analyse_plateau.h"

#include <fstream>
#include <sstream>
#include <tuple>

#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <iostream>

#include "analysis/age_plateau.h"
#include "analysis/device_key.h"
#include "analysis/dose_rate_json.h"
#include "analysis/plateau_test.h"
#include "analysis/solutions_log.h"
#include "analysis/graph_messages.h"
#include "analysis/model_doses.h"
#include "cli/analyse_plot.h"
#include "cli/analyse_single_aliquot.h"
#include "cli/dose_model_json.h"
#include "cli/fit_command.h"
#include "cli/json_writer.h"
#include "fitting/result_codes.h"
#include "record_store/editor_error.h"

namespace {

std::string TimeOfDayNow() {
    return LocaleTimeOfDay(static_cast<long long>(std::time(nullptr)));
}

}  // namespace

std::string PointsJson(const TGrowthPoints& points, const TLookupTable& table, int method) {
    std::string out = "[";
    bool first = true;
    for (const TDosePoints& level : points) {
        int set = level.Kind == kGrowthLevel ? 1 : 2;
        if (method == kSecondGlowIntercept) set = 3 - set;  // the sets are exchanged
        for (const TGrowthPoint& p : level.Points) {
            if (!first) out += ',';
            first = false;
            const int record =
                p.Ordinal >= 0 ? table[static_cast<std::size_t>(p.Ordinal)].RecordIndex + 1 : 0;
            out += "{\"set\":" + std::to_string(set) + ",\"dose\":" + JsonNumber(level.Dose) +
                   ",\"signal\":" + JsonNumber(p.Signal) + ",\"error\":" + JsonNumber(p.Error) +
                   ",\"record\":" + std::to_string(record) +
                   ",\"accepted\":" + (p.Accepted ? "true" : "false") + "}";
        }
    }
    return out + "]";
}

std::string SolutionEntryJson(const TSolution& s, const TSummaryInput& summary,
                              const TGrowthPoints& points, const TLookupTable& table, int method,
                              const std::string& extra) {
    std::string message;
    ResultMessage(s.Fit.ResultCode, message);
    std::string out = "{\"index\":" + std::to_string(summary.IndexValue) + extra;
    out += ",\"line\":" + JsonQuoted(s.Line);
    out += ",\"ED\":" + JsonNumber(s.Fit.ED) + ",\"EDError\":" + JsonNumber(s.Fit.EDError);
    out += ",\"ResultCode\":" + std::to_string(s.Fit.ResultCode);
    out += ",\"Message\":" + JsonQuoted(message) + ",\"Note\":" + JsonQuoted(s.Note);
    out += ",\"Summary\":" + JsonQuoted(ResultSummaryText(summary, s.Fit));
    out += ",\"Points\":" + PointsJson(points, table, method);
    out += ",\"Curve1\":";
    AppendFitCurveJson(out, s.Fit, 1);
    out += ",\"Curve2\":";
    AppendFitCurveJson(out, s.Fit, 2);
    if (s.MonteCarlo) out += MonteCarloJson(*s.MonteCarlo);
    return out + "}";
}

std::string MonteCarloJson(const TMonteCarloDose& mc) {
    const bool ok = mc.Code == TMonteCarloCode::Ok;
    auto number = [ok](double x) { return ok ? JsonNumber(x) : std::string("null"); };
    return ",\"mc\":{\"draws\":" + std::to_string(mc.Draws) + ",\"seed\":" + std::to_string(mc.Seed) +
           ",\"failed\":" + std::to_string(mc.Failed) +
           ",\"status\":" + JsonQuoted(MonteCarloCodeMessage(mc.Code)) +
           ",\"DeError\":" + number(mc.DeError) + ",\"mean\":" + number(mc.Mean) +
           ",\"lower68\":" + number(mc.Lower68) + ",\"upper68\":" + number(mc.Upper68) +
           ",\"lower95\":" + number(mc.Lower95) + ",\"upper95\":" + number(mc.Upper95) +
           ",\"warning\":" + JsonQuoted(mc.Warning) + "}";
}

namespace {

// ,"ages":[...],"mean_age":{...} for the doses of the plateau and the sample's inputs file.
template <class Elements>
std::string AgePlateauJson(const std::string& inputsFile,
                           const std::optional<std::pair<double, double>>& range,
                           const TPlateauArray& doses, const Elements& elements) {
    std::ifstream file(inputsFile, std::ios::binary);
    if (!file) throw TEditorError("Cannot open the inputs file '" + inputsFile + "'");
    std::ostringstream text;
    text << file.rdbuf();
    TDoseRateInputs inputs;
    TAgeFileExtras extras;
    std::string message;
    if (!ParseDoseRateInputsJson(text.str(), inputs, extras, message))
        throw TEditorError(inputsFile + ": " + message);
    TAgePlateau plateau;
    if (!ComputeAgePlateau(doses, inputs, plateau, message)) throw TEditorError(message);
    double from = -1e300, to = 1e300;
    if (range) std::tie(from, to) = *range;
    TWeightedMeanAge mean;
    if (!WeightedMeanAge(plateau, doses, from, to, mean, message)) throw TEditorError(message);
    return ",\"dose_rate\":{\"value\":" + JsonNumber(plateau.DoseRate.Total.Value) +
           ",\"error\":" + JsonNumber(plateau.DoseRate.Total.Error) + "},\"ages\":[" +
           elements(plateau.Ages) + "],\"mean_age\":{\"count\":" + std::to_string(mean.Count) +
           ",\"age_ka\":" + JsonNumber(mean.Age) +
           ",\"error_random\":" + JsonNumber(mean.ErrorRandom) +
           ",\"error_systematic\":" + JsonNumber(mean.ErrorSystematic) +
           ",\"error_total\":" + JsonNumber(mean.ErrorTotal) +
           ",\"mswd\":" + JsonNumber(mean.Mswd) +
           ",\"standard_error\":" + JsonNumber(mean.StandardError) +
           ",\"mean_channel_error\":" + JsonNumber(mean.MeanChannelError) + "}";
}

// ,"dose_model":{...}: the model over the accepted aliquots' doses; its caveat joins the
// run's warnings. Throws TEditorError when the model refuses the doses.
std::string DoseModelJson(const TPlateauArray& plateau, const TDoseModelOptions& options,
                          std::vector<std::string>& warnings) {
    const TModelDoses doses = CollectModelDoses(plateau);
    std::string message;
    const TDoseModelResult result = FitModelDoses(doses, options, message);
    if (result.Code != TDoseModelCode::Ok) throw TEditorError(message);
    if (!result.Warning.empty()) warnings.push_back(result.Warning);
    std::ostringstream text;
    TJsonWriter json(text);
    json.BeginObject();
    WriteDoseModelMembers(json, result);
    json.Key("excluded");
    json.BeginObject();
    json.Member("rejected", doses.RejectedCount);
    json.Member("failed", doses.FailedCount);
    json.EndObject();
    json.Member("summary", ModelDosesSummary(doses));
    json.EndObject();
    return ",\"dose_model\":" + text.str();
}

}  // namespace

void RunPlateauAnalysis(const TPlateauRequest& r) {
    const TDeviceKey& device = r.Device;
    const bool singleAliquot = r.Method == kSaAdditive || r.Method == kSaRegenerative;
    const bool tl = IsTLDevice(device) && !singleAliquot;
    if (tl && device.Spacing <= 0) throw TEditorError(kZeroSpacingMessage);
    TPlateauInput in;
    in.Table = r.Table;
    in.Device = device;
    in.Method = r.Method;
    in.Options = r.Options;
    in.Solve = r.Solve;
    if (r.Solve) {
        in.FirstIndex = r.FirstAliquot;
        in.LastIndex = r.LastAliquot;
    } else {
        IndexRange(*r.Table, device, in.FirstIndex, in.LastIndex);
    }
    int wantFirst = in.FirstIndex, wantLast = in.LastIndex;
    if (!r.All) {
        wantFirst = tl ? r.RangeFrom / device.Spacing - 1 : r.RangeFrom;
        wantLast = tl ? r.RangeTo / device.Spacing - 1 : r.RangeTo;
    }
    if (!ClipPlateauRange(in.FirstIndex, in.LastIndex, wantFirst, wantLast, in.From, in.To)) {
        throw TEditorError("The range is empty: nothing was computed.");
    }
    in.UseRois = r.UseRois && !singleAliquot && (tl || IsOslDevice(device));
    in.Rois = r.Rois;

    const std::filesystem::path file(r.DataFile);
    TSummaryInput summary;
    summary.FileName = file.filename().string();
    summary.Folder = std::filesystem::absolute(file).parent_path().string();
    summary.DeviceText = r.DeviceText;
    summary.Method = r.Method;
    summary.BleachingText = r.BleachingText;
    summary.Osl = !tl;
    summary.PrintedOn = TimeOfDayNow();

    TGrowthPoints points;
    if (!r.Solve) points = BuildGrowthPoints(*r.Table, r.Method, in.From);
    TPlateauRun run(in, points);
    if (!run.Error().empty()) throw TEditorError(run.Error());
    std::string entries;
    std::vector<std::string> warnings;
    while (run.Step()) {
        const TSolutionRecord* stored = run.LastEntry();
        summary.IndexValue = run.LastWasRoi() ? run.CurrentIndex()
                             : tl             ? (run.CurrentIndex() + 1) * device.Spacing
                                              : run.CurrentIndex();
        std::string extra;
        if (stored) {
            extra = ",\"kind\":" + JsonQuoted(stored->Kind) +
                    ",\"from\":" + JsonQuoted(stored->From) + ",\"to\":" + JsonQuoted(stored->To);
        }
        if (run.Last().Aliquot.Disk >= 0) extra += ",\"aliquot\":" + AliquotJson(run.Last().Aliquot);
        extra += CriteriaJson(run.Last().Criteria);
        if (IsWarning(run.Last().Fit.ResultCode) &&
            run.Last().Fit.ResultCode != kSolutionNotAvailable)
            warnings.push_back(run.Last().Line);
        TSolution solution = run.Last();
        if (r.MonteCarlo) {
            solution.MonteCarlo = SolutionMonteCarlo(solution, *r.MonteCarlo);
            if (!solution.MonteCarlo->Warning.empty())
                warnings.push_back(solution.Line + " " + solution.MonteCarlo->Warning);
        }
        if (!entries.empty()) entries += ',';
        entries += SolutionEntryJson(solution, summary, points, *r.Table, r.Method, extra);
    }
    const TSolutionArray& solutions = run.Solutions();

    if (r.LogFile) {
        if (!solutions.Succeeded) {
            throw TEditorError("No solution of the range succeeded: nothing was written to " +
                               *r.LogFile);
        }
        TSolutionsLogInput log;
        log.Solutions = &solutions;
        log.DataFile = std::filesystem::absolute(file).lexically_normal().string();
        struct stat info {};
        if (::stat(r.DataFile.c_str(), &info) == 0)
            log.FileTimeOfDay = LocaleTimeOfDay(static_cast<long long>(info.st_mtime));
        log.ComputedOn = LocaleShortDate(static_cast<long long>(std::time(nullptr)));
        log.DeviceText = r.DeviceText;
        log.MethodText = MethodLongName(r.Method);
        log.BleachingText = r.BleachingText;
        const TLogLocale locale = UserLogLocale();
        log.Separator = locale.Separator;
        log.DecimalPoint = locale.DecimalPoint;
        std::string error;
        if (!AppendSolutionsLog(*r.LogFile, log, error))
            throw TEditorError("Cannot write " + *r.LogFile + ": " + error);
    }

    std::string out = "{\"device\":" + JsonQuoted(r.DeviceText) +
                      ",\"method\":" + JsonQuoted(MethodLongName(r.Method)) +
                      ",\"range\":{\"first\":" + std::to_string(in.From) +
                      ",\"last\":" + std::to_string(in.To) +
                      ",\"firstIndex\":" + std::to_string(in.FirstIndex) +
                      ",\"lastIndex\":" + std::to_string(in.LastIndex) + "}" +
                      ",\"succeeded\":" + (solutions.Succeeded ? "true" : "false") +
                      ",\"solutions\":[" + entries + "],\"plateau\":[";
    const TPlateauArray doses = BuildPlateauArray(solutions, device);
    // SAR runs: the criteria's verdict per plateau element and for the run.
    const TAcceptedCount accepted = CountAccepted(solutions);
    const auto elements = [](const TPlateauArray& array, bool marks = false) {
        std::string text;
        for (const TPlateauElement& e : array) {
            if (!text.empty()) text += ',';
            text += "{\"index\":" + std::to_string(e.Index) + ",\"x\":" + JsonNumber(e.X) +
                    ",\"spread\":" + JsonNumber(e.XSpread) + ",\"value\":" + JsonNumber(e.Value) +
                    ",\"error\":" + JsonNumber(e.Error) + ",\"state\":" + std::to_string(e.State);
            if (marks) text += std::string(",\"accepted\":") + (e.Rejected ? "false" : "true");
            text += "}";
        }
        return text;
    };
    out += elements(doses, accepted.Of > 0) + "]";
    if (accepted.Of > 0) {
        out += ",\"accepted\":{\"n\":" + std::to_string(accepted.Accepted) +
               ",\"of\":" + std::to_string(accepted.Of) + "}";
    }
    if (r.Warnings) {
        std::vector<std::string> first = r.Warnings();
        warnings.insert(warnings.begin(), first.begin(), first.end());
    }
    if (r.DoseModel) out += DoseModelJson(doses, *r.DoseModel, warnings);
    out += ",\"warnings\":" + JsonStringArray(warnings);
    if (r.PlotFile) {
        TPlateauPlotRequest plot;
        plot.plateau = &doses;
        plot.dataKind = singleAliquot ? gkDisk : tl ? gkTemperature : gkChannel;
        // The window's title names the index; a figure's names the quantity with its unit.
        plot.xLabel = singleAliquot ? PaleodoseAxisTitle(doses, singleAliquot, tl)
                      : tl          ? "Temperature (\u00b0C)"
                                    : "Channel";
        plot.path = *r.PlotFile;
        plot.figure = r.Figure;
        TPlotSize size;
        PlateauPlotWriter()(plot, size);
        out += ",\"plot\":" + PlotJson(*r.PlotFile, size);
    }
    if (r.AgeInputsFile)
        out += AgePlateauJson(*r.AgeInputsFile, r.AgeRange, doses,
                              [&elements](const TPlateauArray& a) { return elements(a); });
    std::cout << out << "}\n";
}
