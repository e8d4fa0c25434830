// Speed of the dose models on 1 000 and 10 000 grains (goal: every model under 100 ms on
// 10 000). The doses are
// drawn from a known minimum-age population: 30 % of the grains at 10 Gy, the rest from a
// log-normal of 10 Gy and sigma 0.5 truncated below at 10 Gy, spread by sigma_b = 0.1 and
// measured with 10 % relative error. The result is checked before it is reported: the minimum models must find
// the minimum dose and the proportion, the central and common models a dose above it.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "analysis/dose_models.h"

namespace {

std::vector<TDoseValue> Grains(int count) {
    std::mt19937_64 random(20261211);
    std::normal_distribution<double> normal(0.0, 1.0);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    std::vector<TDoseValue> doses;
    for (int i = 0; i < count; ++i) {
        double logDose = std::log(10.0);
        if (uniform(random) >= 0.3) logDose += 0.5 * std::fabs(normal(random));
        // The spread of a well-bleached sample (sigma_b 0.1) and the measurement (0.1).
        const double measured = logDose + 0.1 * normal(random) + 0.1 * normal(random);
        doses.push_back({std::exp(measured), 0.1 * std::exp(measured)});
    }
    return doses;
}

bool Plausible(const TDoseModelResult& r, TDoseModelKind kind, std::string& why) {
    if (r.Code != TDoseModelCode::Ok) {
        why = DoseModelMessage(r, "");
        return false;
    }
    const bool minimum = kind == TDoseModelKind::Minimum3 || kind == TDoseModelKind::Minimum4;
    if (minimum) {
        // 1 000 grains fix the minimum dose to a few %, the proportion to about 0.1.
        if (std::fabs(r.De / 10.0 - 1.0) > 0.05 || std::fabs(r.P0 - 0.3) > 0.1 ||
            !(r.DeLower < r.De && r.De < r.DeUpper)) {
            why = "minimum dose " + std::to_string(r.De) + " p0 " + std::to_string(r.P0);
            return false;
        }
    } else if (!(r.De > 10.5 && r.De < 16.0 && r.DeError > 0.0)) {
        why = "dose " + std::to_string(r.De);
        return false;
    }
    return true;
}

void BM_DoseModel(benchmark::State& state, TDoseModelKind kind, int count) {
    const std::vector<TDoseValue> doses = Grains(count);
    const TDoseModelOptions options{kind, 0.1};
    TDoseModelResult result;
    for (auto _ : state) {
        result = FitDoseModel(doses, options);
        double de = result.De;
        benchmark::DoNotOptimize(de);
    }
    std::string why;
    if (!Plausible(result, kind, why)) {
        state.SkipWithError(why.c_str());
        return;
    }
    state.counters["De"] = result.De;
}

}  // namespace

BENCHMARK_CAPTURE(BM_DoseModel, cam_10000, TDoseModelKind::Central, 10000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DoseModel, common_10000, TDoseModelKind::Common, 10000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DoseModel, mean_10000, TDoseModelKind::WeightedMean, 10000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DoseModel, mam3_1000, TDoseModelKind::Minimum3, 1000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DoseModel, mam4_1000, TDoseModelKind::Minimum4, 1000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DoseModel, mam3_10000, TDoseModelKind::Minimum3, 10000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(BM_DoseModel, mam4_10000, TDoseModelKind::Minimum4, 10000)->Unit(benchmark::kMillisecond)->Iterations(1);
