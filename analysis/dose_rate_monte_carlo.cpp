#include <cmath>
#include <random>

#include "analysis/dose_rate_terms.h"

namespace {

// Running mean and variance (Welford).
struct TRunning {
    long long N = 0;
    double Mean = 0.0;
    double M2 = 0.0;

    void Add(double x) {
        ++N;
        const double delta = x - Mean;
        Mean += delta / static_cast<double>(N);
        M2 += delta * (x - Mean);
    }
    TDoseRateValue Value() const {
        return {Mean, N > 1 ? std::sqrt(M2 / static_cast<double>(N - 1)) : 0.0};
    }
};

// A draw of a non-negative quantity: normal, drawn again while below 0.
double DrawNonNegative(double mean, double sigma, std::mt19937_64& engine,
                       std::normal_distribution<double>& normal) {
    if (!(sigma > 0.0)) return mean;
    double v = mean + sigma * normal(engine);
    for (int attempt = 0; attempt < 64 && v < 0.0; ++attempt) v = mean + sigma * normal(engine);
    return v < 0.0 ? 0.0 : v;
}

}  // namespace

// Each draw takes every uncertain input from its (truncated) normal distribution,
// independently, and evaluates the whole model, so inputs shared by several components stay
// correlated.
TMonteCarloSummary RunDoseRateMonteCarlo(const TDoseRateModel& model, int draws, std::uint64_t seed,
                                         const TMeasured* de, double calibrationRelative) {
    std::mt19937_64 engine(seed);
    std::normal_distribution<double> normal(0.0, 1.0);
    TRunning alpha, beta, gamma, cosmic, internal, total, age;
    std::array<double, kParamCount> x{};
    for (int n = 0; n < draws; ++n) {
        for (std::size_t i = 0; i < kParamCount; ++i) {
            x[i] = DrawNonNegative(model.Mean[i], model.Sigma[i], engine, normal);
        }
        const TDoseRateComponents c = model.Evaluate(x);
        if (de != nullptr) {
            const double dose = DrawNonNegative(de->Value, de->Error, engine, normal) *
                                DrawNonNegative(1.0, calibrationRelative, engine, normal);
            if (c.Total > 0.0) age.Add(dose / c.Total);
        }
        alpha.Add(c.Alpha);
        beta.Add(c.Beta);
        gamma.Add(c.Gamma);
        cosmic.Add(c.Cosmic);
        internal.Add(c.Internal);
        total.Add(c.Total);
    }
    TMonteCarloSummary s;
    s.Draws = draws;
    s.Seed = seed;
    s.Alpha = alpha.Value();
    s.Beta = beta.Value();
    s.Gamma = gamma.Value();
    s.Cosmic = cosmic.Value();
    s.Internal = internal.Value();
    s.Total = total.Value();
    if (de != nullptr) {
        s.HasAge = true;
        s.Age = age.Value();
    }
    return s;
}
