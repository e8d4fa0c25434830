#pragma once
// `orvane-cli analyse` for "SA Additive" and "SA Regenerative": the limits group's options,
// taken out of the command words before the common parsing, and the computation of one
// aliquot (--index) or of every aliquot of the file, as JSON.
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "analysis/growth_compute.h"
#include "analysis/single_aliquot.h"
#include "cli/analyse_plot.h"
#include "fitting/monte_carlo_dose.h"

class TBinDataSet;

struct TSaCliOptions {
    TSaLimits limits;
    int depletionObject = 49;  // 1 linear, 49..52 one to four exponentials, as in the window
    // SAR: aliquots (their numbers) accepted whatever the rejection criteria say.
    std::set<int> acceptAliquots;
    bool criteriaGiven = false;  // --criteria or --accept-aliquots was given
    // --mc N --seed S: the Monte Carlo error of each aliquot's dose.
    std::optional<TMonteCarloDoseOptions> monteCarlo;
};

// --sa-signal FROM TO, --sa-background FROM TO (seconds), --ncf no|osl|tl|ncf, --depletion
// linear|1|2|3|4, --criteria NAME=VALUE,... (the rejection thresholds), --accept-aliquots
// N,M,... (all are removed too). Throws TUsageError.
TSaCliOptions TakeSingleAliquotOptions(std::vector<std::string>& args);

// The aliquots of a file and the computation of one of them, as "Compute" does it in the
// window: the NCF templates recognised for SA Regenerative, the limits rewritten by the first
// SAR computation (and the normalisation when it falls back).
class TSaAliquotSolver {
public:
    // Throws TEditorError when the file holds no single-aliquot data.
    TSaAliquotSolver(const TBinDataSet& store, const TCurveFieldList& curves,
                     const TLookupTable& table, const TDeviceKey& device, int method,
                     const TFitOptions& options, TSaCliOptions sa);

    const TPlatter& Platter() const { return platter_; }
    int FirstAliquot() const { return platter_.Disks.begin()->first; }
    int LastAliquot() const { return platter_.Disks.rbegin()->first; }
    // The points and solution of an aliquot; false for a number the file lacks. Throws
    // TEditorError when the depletion fit of SA Additive fails.
    bool Solve(int aliquot, TGrowthPoints& points, TSolution& solution);
    // The NCF factor of the last SAR computation in NCF mode.
    const std::optional<TNcfFactor>& LastNcf() const { return ncf_; }
    const std::vector<std::string>& Warnings() const { return warnings_; }
    const TSaLimits& Limits() const { return sa_.limits; }

private:
    const TLookupTable& table_;
    TDeviceKey device_;
    int method_;
    TFitOptions options_;
    TSaCliOptions sa_;
    TPlatter platter_;
    TCurveFieldList curves_;  // rawCurves_ reads through it
    TSaRawCurves rawCurves_;
    std::optional<TNcfFactor> ncf_;
    std::vector<std::string> warnings_;
};

// {"disk": D, "hole": H} of a single-aliquot solution ("hole": null for a whole disk).
std::string AliquotJson(const TAliquotId& aliquot);
// ,"criteria":{...} of a SAR solution; empty without criteria.
std::string CriteriaJson(const std::optional<TSarCriteria>& criteria);

// The JSON of the single-aliquot computation; with a plot file (and an aliquot), the point
// viewer's plot of that aliquot is written too ("plot" in the JSON). Throws TEditorError when the
// aliquot is not in the file or the depletion fit fails.
std::string SingleAliquotJson(const TBinDataSet& store, const TCurveFieldList& curves,
                              const TLookupTable& table, const TDeviceKey& device,
                              const std::string& deviceText, int method, std::optional<int> aliquot,
                              const TFitOptions& options, TSaCliOptions sa,
                              const std::string& plotFile = {}, const TFigureOptions& figure = {});
