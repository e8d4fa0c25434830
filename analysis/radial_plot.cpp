#include "analysis/radial_plot.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kArcPoints = 120;
constexpr int kDensityPoints = 200;

// Where the line of log-dose offset t = ln D - ln D0 meets the arc: x^2 + (y / k)^2 = R^2
// with y = t x.
void OnArc(double t, double radius, double yPerX, double& x, double& y) {
    x = radius / std::sqrt(1.0 + (t / yPerX) * (t / yPerX));
    y = t * x;
}

}  // namespace

std::vector<double> RoundDoses(double low, double high, int count) {
    std::vector<double> all;
    if (!(low > 0.0) || !(high > low)) return all;
    for (int e = static_cast<int>(std::floor(std::log10(low))) - 1;
         e <= static_cast<int>(std::ceil(std::log10(high))); ++e)
        for (double m : {1.0, 2.0, 5.0}) {
            const double v = m * std::pow(10.0, e);
            if (v >= low && v <= high) all.push_back(v);
        }
    // Thin to about `count`, keeping every k-th.
    const size_t step = std::max<size_t>(1, (all.size() + count - 1) / std::max(1, count));
    std::vector<double> kept;
    for (size_t i = 0; i < all.size(); i += step) kept.push_back(all[i]);
    if (kept.size() < 2) {
        kept = {low, high};
    }
    return kept;
}

TRadialPlot BuildRadialPlot(const std::vector<TDoseValue>& doses, double referenceDose,
                            double yPerX) {
    TRadialPlot plot;
    plot.ReferenceDose = referenceDose;
    const double z0 = std::log(referenceDose);
    double tMin = 0.0, tMax = 0.0, yAbs = 2.0;
    std::vector<double> z;
    for (const TDoseValue& d : doses) {
        const double s = d.DeError / d.De;
        const double t = std::log(d.De) - z0;
        z.push_back(std::log(d.De));
        plot.X.push_back(1.0 / s);
        plot.Y.push_back(t / s);
        plot.XMax = std::max(plot.XMax, 1.0 / s);
        tMin = std::min(tMin, t);
        tMax = std::max(tMax, t);
        yAbs = std::max(yAbs, std::fabs(t / s));
    }
    // The arc lies beyond every point; the y axis reaches past the arc's top.
    plot.YPerX = yPerX > 0.0 ? yPerX : 1.1 * yAbs / (1.12 * plot.XMax);
    double reach = 0.0;
    for (size_t i = 0; i < plot.X.size(); ++i)
        reach = std::max(reach, std::hypot(plot.X[i], plot.Y[i] / plot.YPerX));
    plot.ArcRadius = 1.08 * reach;
    plot.YLimit = std::max(1.1 * yAbs, 1.05 * plot.ArcRadius * plot.YPerX);
    // The arc spans the doses' range, widened to round doses at its ends.
    const double dLow = referenceDose * std::exp(tMin), dHigh = referenceDose * std::exp(tMax);
    for (int i = 0; i <= kArcPoints; ++i) {
        const double t = tMin + (tMax - tMin) * i / kArcPoints;
        double x, y;
        OnArc(t, plot.ArcRadius, plot.YPerX, x, y);
        plot.ArcX.push_back(x);
        plot.ArcY.push_back(y);
    }
    for (double dose : RoundDoses(dLow, dHigh, 8)) {
        TRadialTick tick;
        tick.Dose = dose;
        OnArc(std::log(dose) - z0, plot.ArcRadius, plot.YPerX, tick.X, tick.Y);
        plot.Ticks.push_back(tick);
    }

    // Silverman's rule of thumb: 0.9 min(sd, IQR / 1.34) n^(-1/5).
    const double n = static_cast<double>(z.size());
    double mean = 0.0;
    for (double v : z) mean += v / n;
    double var = 0.0;
    for (double v : z) var += (v - mean) * (v - mean) / std::max(1.0, n - 1.0);
    std::vector<double> sorted = z;
    std::sort(sorted.begin(), sorted.end());
    const auto quantile = [&](double q) {
        const double at = q * (n - 1.0);
        const size_t i = static_cast<size_t>(at);
        const double f = at - i;
        return i + 1 < sorted.size() ? sorted[i] * (1 - f) + sorted[i + 1] * f : sorted.back();
    };
    double spread = std::sqrt(var);
    const double iqr = (quantile(0.75) - quantile(0.25)) / 1.34;
    if (iqr > 0.0) spread = std::min(spread, iqr);
    plot.Bandwidth = spread > 0.0 ? 0.9 * spread * std::pow(n, -0.2) : 0.05;
    const double h = plot.Bandwidth;
    const double lo = sorted.front() - 3.0 * h, hi = sorted.back() + 3.0 * h;
    const double norm = 1.0 / (n * h * std::sqrt(2.0 * 3.14159265358979323846));
    for (int i = 0; i < kDensityPoints; ++i) {
        const double at = lo + (hi - lo) * i / (kDensityPoints - 1);
        double sum = 0.0;
        for (double v : z) sum += std::exp(-0.5 * ((at - v) / h) * ((at - v) / h));
        plot.DensityDose.push_back(std::exp(at));
        plot.Density.push_back(sum * norm);
    }
    return plot;
}
