// Speed of the dose-rate calculator: one computation with 10 000 Monte Carlo draws (goal:
// under 50 ms). The result is checked before it is reported: the Monte Carlo mean and spread
// of the total must agree with the first-order propagation.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>

#include "analysis/dose_rate.h"

namespace {

TDoseRateInputs FeldsparSample() {
    TDoseRateInputs in;
    in.K = {1.2, 0.05};
    in.U = {2.5, 0.1};
    in.Th = {9.0, 0.4};
    in.Rb = {80, 8};
    in.HasGrainSize = true;
    in.GrainSize = {180, 212};
    in.Attenuation = TBetaAttenuationTable::Guerin2012Feldspar;
    in.HasEtch = true;
    in.Etch = {8, 12};
    in.Water = {0.12, 0.04};
    in.HasInternalK = true;
    in.InternalK = {12.5, 0.5};
    in.HasSite = true;
    in.Site = {51.2, 7.1, 120, 1.5, 1.8};
    in.MonteCarloDraws = 10000;
    in.Seed = 1;
    return in;
}

void BM_DoseRateMonteCarlo10000(benchmark::State& state) {
    const TDoseRateInputs inputs = FeldsparSample();
    TDoseRateResult result;
    std::string message;
    bool ok = true;
    for (auto _ : state) {
        ok = ComputeDoseRate(inputs, result, message) && ok;
        double total = result.MonteCarlo.Total.Value;
        benchmark::DoNotOptimize(total);
    }
    if (!ok) {
        state.SkipWithError(("refused: " + message).c_str());
        return;
    }
    const TDoseRateValue& linear = result.Total;
    const TDoseRateValue& drawn = result.MonteCarlo.Total;
    if (result.MonteCarlo.Draws != 10000 ||
        std::abs(drawn.Value - linear.Value) > 5 * linear.Error / std::sqrt(10000.0) ||
        std::abs(drawn.Error - linear.Error) > 0.05 * linear.Error) {
        const std::string text = "Monte Carlo total " + std::to_string(drawn.Value) + " +- " +
                                 std::to_string(drawn.Error) + " disagrees with " +
                                 std::to_string(linear.Value) + " +- " +
                                 std::to_string(linear.Error);
        state.SkipWithError(text.c_str());
        return;
    }
    state.counters["total"] = linear.Value;
    state.counters["total_error"] = linear.Error;
    state.counters["mc_error"] = drawn.Error;
}
BENCHMARK(BM_DoseRateMonteCarlo10000)->Unit(benchmark::kMillisecond);

}  // namespace
