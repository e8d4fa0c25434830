// Speed of the dose-estimation engine: growth-curve fits with the dose solve, a slide
// computation and a plateau-like loop of 99 fits. The "allocs" counter is the number of
// heap allocations per iteration inside the timed loop (the engine should make none).
#include <benchmark/benchmark.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>
#include <string>

#include "fitting/dose_estimation.h"
#include "fitting/fit_record.h"
#include "fitting/point_set.h"

namespace {

std::atomic<long> gAllocations{0};

}  // namespace

// Counting replacements of the global allocation functions. They stay out of line, so that the
// compiler pairs every inlined new with its delete through these two functions only.
[[gnu::noinline]] void* operator new(std::size_t size) {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* p) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

// Small deterministic scatter of about +-1 %.
double Scatter(int i) {
    return 0.01 * std::sin(1.7 * i + 0.3);
}

// Regenerated points of a saturating growth (optionally with a linear term) at `count`
// doses up to 800, and three natural points at the level of dose 150.
void GrowthPoints(int count, bool withLine, TPointSet& natural, TPointSet& regenerated) {
    auto growth = [&](double d) {
        return 1000.0 - 800.0 * std::exp(-0.005 * d) + (withLine ? 0.2 * d : 0.0);
    };
    regenerated.Count = count;
    for (int i = 0; i < count; ++i) {
        const double d = 800.0 * i / (count - 1);
        regenerated.Dose[i] = d;
        regenerated.Signal[i] = growth(d) * (1.0 + Scatter(i));
        regenerated.Error[i] = 0.02 * regenerated.Signal[i];
    }
    natural.Count = 3;
    for (int i = 0; i < 3; ++i) {
        natural.Dose[i] = 0.0;
        natural.Signal[i] = growth(150.0) * (1.0 + Scatter(100 + i));
        natural.Error[i] = 0.02 * natural.Signal[i];
    }
}

// Every benchmark's natural signal is the growth at dose 150 with 1 % scatter (about 3 Gy at
// that slope): a dose outside 150 +- 10 % means the estimate went wrong.
bool NearTheGivenDose(double ed) {
    return std::fabs(ed - 150.0) <= 15.0;
}

void RunDose(benchmark::State& state, int method, FunctionCode code, const TPointSet& set1,
             const TPointSet& set2) {
    TPointSet work1;
    TPointSet work2;
    TFitRecord fit;
    std::string note;
    note.reserve(256);
    ResultCode result = 0;
    const long before = gAllocations.load();
    for (auto _ : state) {
        work1 = set1;
        work2 = set2;
        fit.ED = 0.0;
        EstimateDose(method, kArbitraryErrors, code, code, work1, work2, fit, note, result);
        benchmark::ClobberMemory();
    }
    state.counters["allocs"] = benchmark::Counter(static_cast<double>(gAllocations.load() - before),
                                                  benchmark::Counter::kAvgIterations);
    if (result != 0) {
        state.SkipWithError(("result code " + std::to_string(result)).c_str());
        return;
    }
    if (!NearTheGivenDose(fit.ED)) {
        state.SkipWithError(("dose " + std::to_string(fit.ED) + " far from 150").c_str());
        return;
    }
    state.counters["ED"] = fit.ED;
}

void BM_RegenerativeSaturatingExponential(benchmark::State& state) {
    TPointSet natural;
    TPointSet regenerated;
    GrowthPoints(static_cast<int>(state.range(0)), false, natural, regenerated);
    RunDose(state, dmRegenerative, kSaturatingExponential, natural, regenerated);
}
BENCHMARK(BM_RegenerativeSaturatingExponential)->Arg(7)->Arg(50)->Unit(benchmark::kMicrosecond);

void BM_RegenerativeExponentialPlusLine(benchmark::State& state) {
    TPointSet natural;
    TPointSet regenerated;
    GrowthPoints(static_cast<int>(state.range(0)), true, natural, regenerated);
    RunDose(state, dmRegenerative, kSaturatingExponentialLinear, natural, regenerated);
}
BENCHMARK(BM_RegenerativeExponentialPlusLine)->Arg(7)->Arg(50)->Unit(benchmark::kMicrosecond);

// Additive points (the growth seen from a natural dose of 150) slid onto regenerated ones.
void BM_SlideSaturatingExponential(benchmark::State& state) {
    TPointSet natural;
    TPointSet regenerated;
    GrowthPoints(8, false, natural, regenerated);
    TPointSet additive;
    additive.Count = 7;
    for (int i = 0; i < additive.Count; ++i) {
        const double d = 100.0 * i;
        additive.Dose[i] = d;
        additive.Signal[i] =
            (1000.0 - 800.0 * std::exp(-0.005 * (d + 150.0))) * (1.0 + Scatter(50 + i));
        additive.Error[i] = 0.02 * additive.Signal[i];
    }
    RunDose(state, dmSlide, kSaturatingExponential, additive, regenerated);
}
BENCHMARK(BM_SlideSaturatingExponential)->Unit(benchmark::kMillisecond);

// A plateau test: 99 channels, each a regenerative saturating-exponential dose of 7 points
// whose signals change from channel to channel.
void BM_PlateauLoop99(benchmark::State& state) {
    TPointSet naturals[99];
    TPointSet regenerations[99];
    for (int c = 0; c < 99; ++c) {
        GrowthPoints(7, false, naturals[c], regenerations[c]);
        const double gain = 0.5 + c / 50.0;
        for (int i = 0; i < 7; ++i) {
            regenerations[c].Signal[i] *= gain * (1.0 + 0.5 * Scatter(7 * c + i));
            regenerations[c].Error[i] *= gain;
        }
        for (int i = 0; i < 3; ++i) {
            naturals[c].Signal[i] *= gain;
            naturals[c].Error[i] *= gain;
        }
    }
    TPointSet work1;
    TPointSet work2;
    TFitRecord fit;
    std::string note;
    note.reserve(256);
    ResultCode result = 0;
    int failures = 0;
    const long before = gAllocations.load();
    for (auto _ : state) {
        failures = 0;
        for (int c = 0; c < 99; ++c) {
            work1 = naturals[c];
            work2 = regenerations[c];
            fit.ED = 0.0;
            EstimateDose(dmRegenerative, kArbitraryErrors, kSaturatingExponential,
                         kSaturatingExponential, work1, work2, fit, note, result);
            if (result != 0 || !NearTheGivenDose(fit.ED)) ++failures;
            benchmark::ClobberMemory();
        }
    }
    if (failures != 0) {
        state.SkipWithError((std::to_string(failures) + " of 99 channels gave no dose near 150")
                                .c_str());
        return;
    }
    state.counters["allocs"] = benchmark::Counter(static_cast<double>(gAllocations.load() - before),
                                                  benchmark::Counter::kAvgIterations);
    state.counters["failures"] = failures;
}
BENCHMARK(BM_PlateauLoop99)->Unit(benchmark::kMillisecond);

}  // namespace
