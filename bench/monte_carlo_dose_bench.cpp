// Speed of the Monte Carlo dose error (goal: 1 000 draws of a 7-point fit under 50 ms). Two
// regenerative growth curves of seven points, one natural and six regenerated, with known
// 2 % errors: a straight line and a saturating exponential. Before the time is reported the
// result is checked: no draw may fail and the Monte Carlo error must lie within 15 % of the
// analytic (propagated) error, as it does for such small errors.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>

#include "fitting/dose_estimation.h"
#include "fitting/monte_carlo_dose.h"

namespace {

TMonteCarloDoseInput Curve(FunctionCode code) {
    TMonteCarloDoseInput in;
    in.Method = dmRegenerative;
    in.Model = kArbitraryErrors;
    in.Code1 = in.Code2 = code;
    auto signal = [code](double dose) {
        return code == kLinearFunction ? 5.0 + 2.0 * dose : 100.0 * (1.0 - std::exp(-dose / 50.0));
    };
    const double natural = 40.0;
    in.Set1.Count = 1;
    in.Set1.Dose[0] = 0.0;
    in.Set1.Signal[0] = signal(natural);
    in.Set1.Error[0] = 0.02 * in.Set1.Signal[0];
    const double doses[] = {10, 20, 30, 60, 90, 120};
    for (double d : doses) {
        const int i = in.Set2.Count++;
        in.Set2.Dose[i] = d;
        in.Set2.Signal[i] = signal(d);
        in.Set2.Error[i] = 0.02 * signal(d);
    }
    return in;
}

void BM_MonteCarloDose(benchmark::State& state, FunctionCode code) {
    const TMonteCarloDoseInput in = Curve(code);
    TMonteCarloDoseOptions options;
    options.Draws = 1000;
    options.Seed = 1;
    TMonteCarloDose result;
    for (auto _ : state) {
        result = MonteCarloDoseError(in, options);
        double error = result.DeError;
        benchmark::DoNotOptimize(error);
    }
    TPointSet set1 = in.Set1, set2 = in.Set2;
    TFitRecord fit;
    std::string note;
    ResultCode code0 = kResultOk;
    EstimateDose(in.Method, in.Model, in.Code1, in.Code2, set1, set2, fit, note, code0);
    if (result.Code != TMonteCarloCode::Ok || result.Failed != 0 ||
        std::fabs(result.DeError / fit.EDError - 1.0) > 0.15) {
        const std::string why = "Monte Carlo error " + std::to_string(result.DeError) +
                                " against analytic " + std::to_string(fit.EDError) + ", " +
                                std::to_string(result.Failed) + " failed";
        state.SkipWithError(why.c_str());
        return;
    }
    state.counters["MC_error"] = result.DeError;
    state.counters["analytic_error"] = fit.EDError;
}

}  // namespace

BENCHMARK_CAPTURE(BM_MonteCarloDose, linear_7_points, kLinearFunction)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MonteCarloDose, saturating_exponential_7_points, kSaturatingExponential)
    ->Unit(benchmark::kMillisecond);
