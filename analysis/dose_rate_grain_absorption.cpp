#include "analysis/dose_rate_grain_absorption.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>

namespace {

// U-238 series with radon retained, and U-235 at its natural activity ratio of 0.046 to U-238
// (nuclear data tables; main lines, mean energies where a nuclide has several).
constexpr double kU235 = 0.046;
constexpr TAlphaGroup kUSeries[] = {
    {4.198, 1.0},   {4.775, 1.0},   {4.687, 1.0},
    {4.784, 1.0},  // U-238, U-234, Th-230, Ra-226
    {5.490, 1.0},   {6.002, 1.0},   {7.687, 1.0},
    {5.304, 1.0},  // Rn-222, Po-218, Po-214, Po-210
    {4.398, kU235}, {5.014, kU235}, {5.900, kU235},
    {5.716, kU235},                                  // U-235, Pa-231, Th-227, Ra-223
    {6.819, kU235}, {7.386, kU235}, {6.570, kU235},  // Rn-219, Po-215, Bi-211
};

// Th-232 series; Bi-212 decays by alpha in 35.94 % of cases, the rest through Po-212.
constexpr TAlphaGroup kThSeries[] = {
    {4.012, 1.0},    {5.423, 1.0},    {5.685, 1.0},  // Th-232, Th-228, Ra-224
    {6.288, 1.0},    {6.778, 1.0},                   // Rn-220, Po-216
    {6.070, 0.3594}, {8.785, 0.6406},                // Bi-212, Po-212
};

std::span<const TAlphaGroup> SeriesGroups(TAlphaSeries series) {
    return series == TAlphaSeries::U ? std::span<const TAlphaGroup>(kUSeries)
                                     : std::span<const TAlphaGroup>(kThSeries);
}

// The escaping energy fraction of one group of range R from a sphere of diameter d, in
// closed form: with u = 1 - s/R the integrand p(s) u^(2/3) is a polynomial in u times u^(2/3).
double GroupEscape(double range, double diameter) {
    const double q = (range / diameter) * (range / diameter);
    const auto antiderivative = [q](double u) {
        const double u53 = std::pow(u, 5.0 / 3.0);
        const double u83 = u53 * u;
        const double u113 = u83 * u;
        return 0.6 * u53 - q * (0.6 * u53 - 0.75 * u83 + 3.0 / 11.0 * u113);
    };
    const double u0 = std::max(0.0, 1.0 - diameter / range);
    return 1.5 * range / diameter * (antiderivative(1.0) - antiderivative(u0));
}

// H(t): the energy an isotropic layer at depth t R above a plane sends across it, per unit
// range; G(t0) = integral of H from t0 to 1 over the integral from 0 to 1, tabulated once.
constexpr int kEtchSteps = 2000;

const std::array<double, kEtchSteps + 1>& PlanarCarryOver() {
    static const std::array<double, kEtchSteps + 1> table = [] {
        const auto h = [](double t) {
            // The integral over mu from t to 1 of (1 - t/mu)^(2/3), by the midpoint rule in
            // v = (mu - t)^(1/3), which takes away the root at mu = t.
            constexpr int n = 200;
            const double top = std::cbrt(1.0 - t);
            double sum = 0.0;
            for (int i = 0; i < n; ++i) {
                const double v = (i + 0.5) * top / n;
                const double mu = t + v * v * v;
                sum += std::pow(1.0 - t / mu, 2.0 / 3.0) * 3.0 * v * v;
            }
            return sum * top / n;
        };
        std::array<double, kEtchSteps + 1> g{};
        // Cumulative integral from t to 1 by the trapezoidal rule, then normalised.
        double previous = h(1.0);
        g[kEtchSteps] = 0.0;
        for (int i = kEtchSteps - 1; i >= 0; --i) {
            const double current = h(static_cast<double>(i) / kEtchSteps);
            g[i] = g[i + 1] + 0.5 * (current + previous) / kEtchSteps;
            previous = current;
        }
        const double whole = g[0];
        for (double& v : g) v /= whole;
        return g;
    }();
    return table;
}

double Planar(double t0) {
    if (t0 <= 0.0) return 1.0;
    if (t0 >= 1.0) return 0.0;
    const auto& g = PlanarCarryOver();
    const double x = t0 * kEtchSteps;
    const int i = std::min(static_cast<int>(x), kEtchSteps - 1);
    return g[i] + (x - i) * (g[i + 1] - g[i]);
}

TGrainFraction ForRange(double (*f)(double), double low, double high) {
    const double a = f(low);
    const double b = f(high);
    return {(a + b) / 2.0, std::abs(b - a) / 2.0};
}

double AlphaExternalU(double d) {
    return AlphaExternalFraction(TAlphaSeries::U, d);
}
double AlphaExternalTh(double d) {
    return AlphaExternalFraction(TAlphaSeries::Th, d);
}
double AlphaEtchU(double e) {
    return AlphaEtchFactor(TAlphaSeries::U, e);
}
double AlphaEtchTh(double e) {
    return AlphaEtchFactor(TAlphaSeries::Th, e);
}

}  // namespace

std::span<const TAlphaGroup> AlphaGroups(TAlphaSeries series) {
    return SeriesGroups(series);
}

double AlphaRangeInQuartz(double energyMeV) {
    // Bragg-Kleeman for SiO2: A^(1/3) from the mass fractions (Si 0.4674, O 0.5326) as
    // 1 / sum(w / A^(1/3)) = 2.737; 0.56 * 2.737 mg/cm2 per cm of air over 2.65 g/cm3.
    constexpr double kMicronsPerCmAir = 0.56 * 2.737 / 2.65 * 10.0;
    return kMicronsPerCmAir * 0.318 * std::pow(energyMeV, 1.5);
}

double AlphaExternalFraction(TAlphaSeries series, double diameter) {
    if (!(diameter > 0.0)) return 1.0;
    double sum = 0.0, weight = 0.0;
    for (const TAlphaGroup& g : SeriesGroups(series)) {
        const double w = g.Energy * g.PerDecay;
        sum += w * GroupEscape(AlphaRangeInQuartz(g.Energy), diameter);
        weight += w;
    }
    return sum / weight;
}

TGrainFraction AlphaExternalFractionForRange(TAlphaSeries series, double minDiameter,
                                             double maxDiameter) {
    return ForRange(series == TAlphaSeries::U ? AlphaExternalU : AlphaExternalTh, minDiameter,
                    maxDiameter);
}

double AlphaEtchFactor(TAlphaSeries series, double depth) {
    if (depth >= kAlphaEtchLimit) return 0.0;
    if (!(depth > 0.0)) return 1.0;
    // Each group's share of the external dose of a large grain is proportional to its energy
    // times its range (0.9 R / d); what it carries past the etched depth is G(depth / R).
    double sum = 0.0, weight = 0.0;
    for (const TAlphaGroup& g : SeriesGroups(series)) {
        const double range = AlphaRangeInQuartz(g.Energy);
        const double w = g.Energy * g.PerDecay * range;
        sum += w * Planar(depth / range);
        weight += w;
    }
    return sum / weight;
}

TGrainFraction AlphaEtchFactorForRange(TAlphaSeries series, double minDepth, double maxDepth) {
    return ForRange(series == TAlphaSeries::U ? AlphaEtchU : AlphaEtchTh, minDepth, maxDepth);
}

// Readhead (2002, Ancient TL 20, 25-28), the fraction of the Rb-87 beta dose that escapes a
// K-feldspar sphere, 1 - phi, by diameter (µm). Between the tabulated sizes the fraction is
// interpolated linearly; below 5 µm towards 1 at no size; beyond 1000 µm it falls as 1/d, the
// trend of the table's largest sizes.
struct TRbEscape {
    double Diameter;
    double Escaping;
};
constexpr TRbEscape kReadheadRbEscape[] = {
    {0, 1.000},    {5, 0.957},    {10, 0.919},   {15, 0.885},   {20, 0.853},  {30, 0.795},
    {40, 0.743},   {50, 0.695},   {60, 0.652},   {70, 0.612},   {80, 0.576},  {90, 0.543},
    {100, 0.512},  {120, 0.458},  {140, 0.412},  {160, 0.373},  {180, 0.340}, {200, 0.311},
    {250, 0.256},  {300, 0.216},  {400, 0.165},  {500, 0.133},  {600, 0.111}, {800, 0.084},
    {1000, 0.068},
};

double RbAbsorbedFraction(double diameter) {
    if (!(diameter > 0.0)) return 0.0;
    const auto& table = kReadheadRbEscape;
    const TRbEscape& last = table[std::size(table) - 1];
    if (diameter >= last.Diameter) return 1.0 - last.Escaping * last.Diameter / diameter;
    std::size_t i = 1;
    while (table[i].Diameter < diameter) ++i;
    const TRbEscape& a = table[i - 1];
    const TRbEscape& b = table[i];
    const double t = (diameter - a.Diameter) / (b.Diameter - a.Diameter);
    return 1.0 - (a.Escaping + t * (b.Escaping - a.Escaping));
}

TGrainFraction RbAbsorbedFractionForRange(double minDiameter, double maxDiameter) {
    return ForRange(RbAbsorbedFraction, minDiameter, maxDiameter);
}
