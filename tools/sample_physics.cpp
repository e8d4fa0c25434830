#include "tools/sample_physics.h"

#include <algorithm>
#include <cmath>

namespace {

// Wien constant h c / (lambda k) for light of 420 nm, in kelvin.
constexpr double kIncandescenceTheta = 34260.0;
// Simpson sub-intervals per degree.
constexpr int kStepsPerDegree = 4;

double Kelvin(double celsius) {
    return celsius + kZeroCelsiusKelvin;
}

// Composite Simpson's rule of f over [a, b] with an even number of intervals.
template <typename F>
double Simpson(F f, double a, double b) {
    if (!(b > a)) return 0.0;
    int n = static_cast<int>(std::ceil((b - a) * kStepsPerDegree));
    n = std::max(2, n + (n % 2));
    const double h = (b - a) / n;
    double sum = f(a) + f(b);
    for (int i = 1; i < n; ++i) sum += f(a + i * h) * (i % 2 == 1 ? 4.0 : 2.0);
    return sum * h / 3.0;
}

}  // namespace

double FilledAfterDose(double filled, double dose, double characteristicDose) {
    if (dose <= 0.0) return filled;
    return 1.0 - (1.0 - filled) * std::exp(-dose / characteristicDose);
}

double FrequencyFactor(double energy, double peakKelvin, double heatingRate) {
    const double kt = kBoltzmannEvPerKelvin * peakKelvin;
    return heatingRate * energy / (kt * peakKelvin) * std::exp(energy / kt);
}

double GlowPeakRemaining(const TGlowPeak& peak, double heatingRate, double startCelsius,
                         double celsius) {
    if (celsius <= startCelsius) return 1.0;
    const double s = FrequencyFactor(peak.energy, Kelvin(peak.peakCelsius), heatingRate);
    const double e = peak.energy / kBoltzmannEvPerKelvin;
    const double integral =
        Simpson([e](double t) { return std::exp(-e / Kelvin(t)); }, startCelsius, celsius);
    return std::exp(-s / heatingRate * integral);
}

std::vector<double> GlowCurveCounts(const std::vector<TGlowPeak>& peaks, double heatingRate,
                                    double spacing, int points, double startCelsius) {
    std::vector<double> counts(std::max(points, 0), 0.0);
    for (const TGlowPeak& peak : peaks) {
        if (peak.population <= 0.0) continue;
        const double s = FrequencyFactor(peak.energy, Kelvin(peak.peakCelsius), heatingRate);
        const double e = peak.energy / kBoltzmannEvPerKelvin;
        auto integrand = [e](double t) { return std::exp(-e / Kelvin(t)); };
        // F is accumulated bin by bin, so the whole curve costs one pass of Simpson's rule.
        double f = 0.0;
        double remainingBefore = 1.0;
        for (int i = 0; i < points; ++i) {
            const double low = std::max(i * spacing, startCelsius);
            const double high = (i + 1) * spacing;
            if (high <= startCelsius) continue;
            f += s / heatingRate * Simpson(integrand, low, high);
            const double remainingAfter = std::exp(-f);
            counts[i] += peak.population * (remainingBefore - remainingAfter);
            remainingBefore = remainingAfter;
        }
    }
    return counts;
}

std::vector<double> ThermalBackgroundCounts(double heatingRate, double spacing, int points,
                                            double startCelsius, double rateAt500Celsius,
                                            double darkRate) {
    std::vector<double> counts(std::max(points, 0), 0.0);
    const double reference = kIncandescenceTheta / Kelvin(500.0);
    auto rate = [&](double celsius) {
        return rateAt500Celsius * std::exp(reference - kIncandescenceTheta / Kelvin(celsius)) +
               darkRate;
    };
    for (int i = 0; i < points; ++i) {
        const double low = std::max(i * spacing, startCelsius);
        const double high = (i + 1) * spacing;
        // Counts = integral of the rate over time; dt = dT / beta.
        counts[i] = Simpson(rate, low, high) / heatingRate;
    }
    return counts;
}

std::vector<double> ShineDownCounts(const std::vector<TDecayComponent>& components,
                                    const TTimeBases& bases, double backgroundRate) {
    const int channels = bases.N10 + bases.N100 + bases.N1000 + bases.N10000;
    std::vector<double> counts(channels + 1, 0.0);
    double start = 0.0;
    for (int n = 1; n <= channels; ++n) {
        const double width = OslChannelWidth(n, bases);
        const double end = start + width;
        double sum = backgroundRate * width;
        for (const TDecayComponent& c : components) {
            sum += c.population * (std::exp(-c.decayRate * start) - std::exp(-c.decayRate * end));
        }
        counts[n] = sum;
        start = end;
    }
    return counts;
}

std::vector<TDecayComponent> AfterStimulation(std::vector<TDecayComponent> components,
                                              double seconds) {
    for (TDecayComponent& c : components) c.population *= std::exp(-c.decayRate * seconds);
    return components;
}
