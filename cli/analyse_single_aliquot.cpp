#include "cli/analyse_single_aliquot.h"

#include <charconv>
#include <filesystem>

#include "analysis/aliquot_set.h"
#include "analysis/single_aliquot_ncf.h"
#include "cli/analyse_plateau.h"
#include "cli/analyse_plot.h"
#include "cli/cli_support.h"
#include "cli/curve_tool_support.h"
#include "cli/json_writer.h"
#include "fitting/result_codes.h"
#include "record_store/editor_error.h"

namespace {

// The value of `option` (word and value removed from args), or nullopt.
std::optional<std::string> TakeWord(std::vector<std::string>& args, const std::string& option) {
    std::optional<std::string> value;
    for (std::size_t i = 0; i < args.size();) {
        if (args[i] != option) {
            ++i;
            continue;
        }
        if (i + 1 >= args.size()) throw TUsageError{option + " needs a value"};
        value = args[i + 1];
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                   args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
    }
    return value;
}

}  // namespace

TSaCliOptions TakeSingleAliquotOptions(std::vector<std::string>& args) {
    TSaCliOptions sa;
    if (const auto s = TakeNumberPair(args, "--sa-signal")) {
        sa.limits.signalFrom = s->first;
        sa.limits.signalTo = s->second;
    }
    if (const auto b = TakeNumberPair(args, "--sa-background")) {
        sa.limits.backgroundFrom = b->first;
        sa.limits.backgroundTo = b->second;
    }
    if (sa.limits.signalFrom >= sa.limits.signalTo ||
        sa.limits.backgroundFrom > sa.limits.backgroundTo || sa.limits.signalFrom < 0 ||
        sa.limits.backgroundFrom < 0)
        throw TUsageError{"--sa-signal and --sa-background need 0 <= FROM < TO seconds"};
    if (const auto n = TakeWord(args, "--ncf")) {
        const std::vector<std::string> modes{"no", "osl", "tl", "ncf"};
        const auto it = std::find(modes.begin(), modes.end(), *n);
        if (it == modes.end()) throw TUsageError{"--ncf takes no, osl, tl or ncf"};
        sa.limits.normalization = static_cast<int>(it - modes.begin());
    }
    if (const auto d = TakeWord(args, "--depletion")) {
        const std::vector<std::string> fits{"linear", "1", "2", "3", "4"};
        const auto it = std::find(fits.begin(), fits.end(), *d);
        if (it == fits.end()) throw TUsageError{"--depletion takes linear, 1, 2, 3 or 4"};
        sa.depletionObject = it == fits.begin() ? 1 : 48 + static_cast<int>(it - fits.begin());
    }
    if (const auto c = TakeWord(args, "--criteria")) {
        std::string error;
        if (!ParseSarThresholds(*c, sa.limits.criteria, error))
            throw TUsageError{"--criteria: " + error};
        sa.criteriaGiven = true;
    }
    if (const auto a = TakeWord(args, "--accept-aliquots")) {
        std::size_t at = 0;
        while (at <= a->size()) {
            std::size_t end = a->find(',', at);
            if (end == std::string::npos) end = a->size();
            const std::string item = a->substr(at, end - at);
            int number = 0;
            const auto [ptr, ec] = std::from_chars(item.data(), item.data() + item.size(), number);
            if (item.empty() || ec != std::errc() || ptr != item.data() + item.size() || number < 0)
                throw TUsageError{"--accept-aliquots takes aliquot numbers N,M,..."};
            sa.acceptAliquots.insert(number);
            at = end + 1;
        }
        sa.criteriaGiven = true;
    }
    return sa;
}

TSaAliquotSolver::TSaAliquotSolver(const TBinDataSet& store, const TCurveFieldList& curves,
                                   const TLookupTable& table, const TDeviceKey& device, int method,
                                   const TFitOptions& options, TSaCliOptions sa)
    : table_(table),
      device_(device),
      method_(method),
      options_(options),
      sa_(sa),
      curves_(curves),
      rawCurves_(store, curves_) {
    if (!BuildAliquotSet(table, platter_) || platter_.Disks.empty())
        throw TEditorError(kNoSingleAliquotData);
    if (method == kSaRegenerative) RecognizeNcfSchemes(platter_, table, TNcfTolerances{});
}

bool TSaAliquotSolver::Solve(int aliquot, TGrowthPoints& points, TSolution& solution) {
    const TDiskList* disk = platter_.Find(aliquot);
    if (disk == nullptr) return false;
    ncf_.reset();
    if (method_ == kSaRegenerative) {
        const TRawCurveSource raw = [this](const TLookupRecord& e) { return rawCurves_.Curve(e); };
        TSaPointsReport report = BuildSarGrowthPoints(table_, *disk, device_, raw, sa_.limits);
        for (const std::string& w : report.warnings) warnings_.push_back(w);
        points = std::move(report.points);
        ncf_ = report.ncf;
        solution = ComputeSarSolution(points, *disk, options_, ncf_, report.notes);
        AttachSarCriteria(solution, report, sa_.limits.criteria,
                          sa_.acceptAliquots.count(aliquot) > 0);
    } else {
        points = BuildSaaGrowthPoints(table_, *disk, device_);
        std::string error;
        solution = ComputeSaaSolution(points, platter_, *disk, table_, sa_.depletionObject,
                                      options_, error);
        if (!error.empty()) throw TEditorError(error);
    }
    solution.Fit.Channel = aliquot;
    return true;
}

std::string AliquotJson(const TAliquotId& aliquot) {
    return "{\"disk\":" + std::to_string(aliquot.Disk) + ",\"hole\":" +
           (aliquot.Hole >= 0 ? std::to_string(aliquot.Hole) : std::string("null")) + "}";
}

std::string CriteriaJson(const std::optional<TSarCriteria>& criteria) {
    if (!criteria) return {};
    const TSarCriteria& c = *criteria;
    const auto optional = [](const std::optional<double>& v) {
        return v ? JsonNumber(*v) : std::string("null");
    };
    std::string out = ",\"criteria\":{\"recycling_ratio\":[";
    for (std::size_t i = 0; i < c.RecyclingRatios.size(); ++i)
        out += (i ? "," : "") + JsonNumber(c.RecyclingRatios[i]);
    out += "],\"recuperation\":" + optional(c.Recuperation);
    out += ",\"test_dose_error\":" + JsonNumber(c.TestDoseError);
    out += ",\"palaeodose_error\":" + JsonNumber(c.PalaeodoseError);
    out += ",\"ir_depletion_ratio\":" + optional(c.IrDepletionRatio);
    out += ",\"exceeds_max_dose\":" + std::string(c.ExceedsMaxDose ? "true" : "false");
    out += ",\"failed\":" + JsonStringArray(c.Failed);
    out += ",\"overridden\":" + std::string(c.Overridden ? "true" : "false");
    return out + ",\"accepted\":" + (c.Accepted() ? "true" : "false") + "}";
}

std::string SingleAliquotJson(const TBinDataSet& store, const TCurveFieldList& curves,
                              const TLookupTable& table, const TDeviceKey& device,
                              const std::string& deviceText, int method, std::optional<int> aliquot,
                              const TFitOptions& options, TSaCliOptions sa,
                              const std::string& plotFile, const TFigureOptions& figure) {
    TSaAliquotSolver solver(store, curves, table, device, method, options, sa);
    if (aliquot && solver.Platter().Find(*aliquot) == nullptr)
        throw TEditorError("No aliquot " + std::to_string(*aliquot) + " in the file");
    std::string out = "{\"device\":" + JsonQuoted(deviceText) +
                      ",\"method\":" + JsonQuoted(MethodLongName(method)) + ",\"solutions\":[";
    bool first = true;
    TPlotSize plotSize;
    std::vector<std::string> monteCarloWarnings;
    for (const auto& [number, disk] : solver.Platter().Disks) {
        if (aliquot && number != *aliquot) continue;
        TSolution s;
        TGrowthPoints points;
        solver.Solve(number, points, s);
        if (sa.monteCarlo) {
            s.MonteCarlo = SolutionMonteCarlo(s, *sa.monteCarlo);
            if (!s.MonteCarlo->Warning.empty())
                monteCarloWarnings.push_back(s.Line + " " + s.MonteCarlo->Warning);
        }
        const std::optional<TNcfFactor>& ncf = solver.LastNcf();
        std::string message;
        ResultMessage(s.Fit.ResultCode, message);
        out += first ? "{" : ",{";
        first = false;
        out += "\"index\":" + std::to_string(number);
        out += ",\"aliquot\":" + AliquotJson(s.Aliquot);
        out += ",\"line\":" + JsonQuoted(s.Line);
        out += ",\"ED\":" + JsonNumber(s.Fit.ED) + ",\"EDError\":" + JsonNumber(s.Fit.EDError);
        if (ncf)
            out += ",\"NCF\":" + JsonNumber(ncf->NCF) + ",\"NCFError\":" + JsonNumber(ncf->NCFError);
        out += ",\"ResultCode\":" + std::to_string(s.Fit.ResultCode);
        out += ",\"Message\":" + JsonQuoted(message) + ",\"Note\":" + JsonQuoted(s.Note);
        out += CriteriaJson(s.Criteria);
        if (s.MonteCarlo) out += MonteCarloJson(*s.MonteCarlo);
        out += "}";
        if (!plotFile.empty() && GrowthPlotWriter()) {
            TGrowthPlotRequest request;
            request.points = &points;
            request.fit = &s.Fit;
            request.index = number;
            request.resultText = s.Line;
            request.path = plotFile;
            request.figure = figure;
            request.figure.idText =
                IdentificationText(std::filesystem::path(store.FileName()).filename().string() +
                                       ", disk " + std::to_string(number),
                                   deviceText, MethodLongName(method), "");
            // SAR points are Lx/Tx scaled by the natural's test-dose signal Tn (counts).
            if (method == kSaRegenerative && sa.limits.normalization != kSaNormNone)
                request.yTitle = "Lx/Tx \u00d7 Tn (counts)";
            GrowthPlotWriter()(request, plotSize);
        }
    }
    std::vector<std::string> warnings = solver.Warnings();
    warnings.insert(warnings.end(), monteCarloWarnings.begin(), monteCarloWarnings.end());
    const TSaLimits& limits = solver.Limits();
    out += "],\"warnings\":" + JsonStringArray(warnings);
    out += ",\"limits\":{\"signal\":[" + JsonNumber(limits.signalFrom) + "," +
           JsonNumber(limits.signalTo) + "],\"background\":[" + JsonNumber(limits.backgroundFrom) +
           "," + JsonNumber(limits.backgroundTo) + "]}";
    if (!plotFile.empty()) {
        out += ",\"plot\":" + PlotJson(plotFile, plotSize);
    }
    return out + "}\n";
    return out;
}
