#pragma once
// orvane-cli analyse --range A B | --all: the plateau test without the window. Every index of
// the range, then the ROIs of the ROI set, as "Compute" with "Range" or "All" computes them;
// --log appends the block "Write solutions to file" appends.
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/dose_models.h"
#include "analysis/growth_compute.h"
#include "analysis/lookup_table.h"
#include "cli/analyse_plot.h"
#include "roi/roi_set.h"

struct TPlateauRequest {
    TLookupTable* Table = nullptr;  // InSelection set for the method
    TDeviceKey Device;
    std::string DeviceText;
    int Method = 0;
    std::string BleachingText;  // empty for the first entry of the bleaching list
    TFitOptions Options;
    bool All = false;
    int RangeFrom = 0;  // values of the index field (TL degC, OSL channel)
    int RangeTo = 0;
    bool UseRois = true;
    TROISet Rois{};
    std::string DataFile;  // as given on the command line
    std::optional<std::string> LogFile;
    // The age plateau: the sample's dose-rate inputs (the JSON file of "Compute age") and the
    // range of x values (index field values) whose ages are averaged; none: all of them.
    std::optional<std::string> AgeInputsFile;
    std::optional<std::pair<double, double>> AgeRange;
    // --plot: the paleodose plot of the run (the installed writer draws it).
    std::optional<std::string> PlotFile;
    TFigureOptions Figure;
    // Single-aliquot methods: the aliquots' numbers from first to last are the indices (the
    // range is given in them) and Solve computes one (false: a number the file lacks).
    std::function<bool(int, TGrowthPoints&, TSolution&)> Solve;
    int FirstAliquot = 0;
    int LastAliquot = 0;
    // What the computations had to say beyond their solution lines (single-aliquot methods:
    // missing test doses, windows beyond the shine), read when the run is over.
    std::function<std::vector<std::string>()> Warnings;
    // --dose-model: one dose from the accepted aliquots' doses (single-aliquot runs only).
    std::optional<TDoseModelOptions> DoseModel;
    // --mc N --seed S: the Monte Carlo error of every solution.
    std::optional<TMonteCarloDoseOptions> MonteCarlo;
};

// ,"mc":{"draws", "seed", "failed", "status", "DeError", "mean", "lower68", "upper68",
// "lower95", "upper95", "warning"}: the Monte Carlo error of a solution (numbers null when
// the status is not "O.K.").
std::string MonteCarloJson(const TMonteCarloDose& mc);

// The "Points" array of a solution entry.
std::string PointsJson(const TGrowthPoints& points, const TLookupTable& table, int method);
// One entry of "solutions": index (the index field's value, or the ROI number), `extra`
// members, line, ED, EDError, ResultCode, Message, Note, Summary, Points, Curve1, Curve2, and
// "mc" when the solution carries its Monte Carlo error.
std::string SolutionEntryJson(const TSolution& s, const TSummaryInput& summary,
                              const TGrowthPoints& points, const TLookupTable& table, int method,
                              const std::string& extra = {});

// Prints {"device", "method", "bleaching", "range", "solutions": [...], "plateau": [...],
// "warnings": [...]} (the computations' warnings, then one line per solution that carries a
// warning code),
// with an inputs file also "ages": [...] and "mean_age": {...}, with a dose model
// "dose_model": {the members of dose-model, "excluded": {"rejected", "failed"}, "summary"}.
// Throws TEditorError for an empty range and for a log that cannot be written.
void RunPlateauAnalysis(const TPlateauRequest& request);
