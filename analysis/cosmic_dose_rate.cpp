#include "analysis/cosmic_dose_rate.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <iterator>
#include <numbers>

namespace {

// F, J and H against geomagnetic latitude 0..36 degrees (constant beyond), as tabulated by
// the open dose-rate calculators from the figure of Prescott & Stephan (1982).
constexpr double kF[] = {0.40, 0.40,  0.40, 0.40,  0.40, 0.40,  0.40,  0.3975, 0.395, 0.3925,
                         0.39, 0.39,  0.39, 0.385, 0.38, 0.38,  0.375, 0.37,   0.365, 0.36,
                         0.35, 0.345, 0.34, 0.33,  0.32, 0.315, 0.31,  0.305,  0.30,  0.29,
                         0.28, 0.27,  0.26, 0.255, 0.25, 0.24,  0.235, 0.23};
constexpr double kJ[] = {0.52,   0.52, 0.52,  0.525, 0.53,  0.53,  0.535, 0.54,  0.54, 0.545,
                         0.5475, 0.55, 0.55,  0.555, 0.56,  0.57,  0.57,  0.575, 0.58, 0.59,
                         0.595,  0.60, 0.61,  0.62,  0.63,  0.635, 0.645, 0.66,  0.67, 0.68,
                         0.69,   0.70, 0.715, 0.73,  0.745, 0.755, 0.76,  0.76};
constexpr double kH[] = {
    4.40,  4.395, 4.3925, 4.39,   4.3875, 4.385,  4.38,   4.375, 4.37, 4.365,  4.36, 4.355, 4.35,
    4.345, 4.34,  4.335,  4.3275, 4.32,   4.3125, 4.3075, 4.30,  4.29, 4.28,   4.27, 4.26,  4.25,
    4.24,  4.23,  4.21,   4.20,   4.1825, 4.16,   4.14,   4.125, 4.11, 4.1025, 4.10, 4.10};
constexpr std::size_t kLastDegree = std::size(kF) - 1;
static_assert(std::size(kJ) == std::size(kF) && std::size(kH) == std::size(kF));

double Lerp(const double* table, double degrees) {
    const double clamped = std::min(degrees, static_cast<double>(kLastDegree));
    const auto i = static_cast<std::size_t>(std::floor(clamped));
    if (i >= kLastDegree) return table[kLastDegree];
    const double t = clamped - static_cast<double>(i);
    return table[i] + t * (table[i + 1] - table[i]);
}

}  // namespace

double CosmicSeaLevelDoseRate(double x) {
    // Prescott & Hutton (1994): below 167 g/cm2 the soft component matters and the
    // published fit is the polynomial; deeper the hard component alone.
    if (x < 1.67) {
        return 0.0321 * std::pow(x, 4) - 0.135 * std::pow(x, 3) + 0.221 * x * x - 0.207 * x + 0.295;
    }
    return 6072.0 / ((std::pow(x + 11.6, 1.68) + 75.0) * (x + 212.0)) * std::exp(-0.00055 * x);
}

double GeomagneticLatitude(double latitude, double longitude) {
    constexpr double kRad = std::numbers::pi / 180.0;
    const double s = 0.203 * std::cos(latitude * kRad) * std::cos((longitude - 291.0) * kRad) +
                     0.979 * std::sin(latitude * kRad);
    return std::asin(std::clamp(s, -1.0, 1.0)) / kRad;
}

void CosmicLatitudeFactors(double geomagneticLatitude, double& f, double& j, double& h) {
    const double degrees = std::abs(geomagneticLatitude);
    f = Lerp(kF, degrees);
    j = Lerp(kJ, degrees);
    h = Lerp(kH, degrees);
}

TCosmicDetails CosmicDoseRate(const TCosmicSite& site) {
    TCosmicDetails d;
    d.Overburden = site.Depth * site.Density;
    d.GeomagneticLatitude = GeomagneticLatitude(site.Latitude, site.Longitude);
    d.SeaLevelDoseRate = CosmicSeaLevelDoseRate(d.Overburden);
    CosmicLatitudeFactors(d.GeomagneticLatitude, d.F, d.J, d.H);
    d.DoseRate = d.SeaLevelDoseRate * (d.F + d.J * std::exp(site.Altitude / 1000.0 / d.H));
    return d;
}
