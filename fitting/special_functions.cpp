#include "fitting/special_functions.h"

#include <cmath>

double ClampedExp(double x) {
    if (x > 400.0) x = 400.0;
    if (x < -400.0) x = -400.0;
    return std::exp(x);
}

double IntPower(int n, double x) {
    const int count = n < 0 ? -n : n;
    double result = 1.0;
    for (int i = 0; i < count; ++i) result *= x;
    return n < 0 ? 1.0 / result : result;
}

double Sign(double a, double b) {
    return a >= 0.0 ? std::fabs(b) : -std::fabs(b);
}

double Pythag(double a, double b) {
    const double absA = std::fabs(a);
    const double absB = std::fabs(b);
    if (absA > absB) {
        const double r = absB / absA;
        return absA * std::sqrt(1.0 + r * r);
    }
    if (absB == 0.0) return 0.0;
    const double r = absA / absB;
    return absB * std::sqrt(1.0 + r * r);
}

double LogGamma(double x) {
    // Lanczos series with six terms (gamma = 5, N = 6), accurate to about 2e-10.
    static const double kCoefficients[6] = {76.18009173,  -86.50532033,   24.01409822,
                                            -1.231739516, 0.120858003e-2, -0.536382e-5};
    const double y = x - 1.0;
    const double t = y + 5.5;
    double s = 1.0;
    for (int j = 0; j < 6; ++j) s += kCoefficients[j] / (y + j + 1.0);
    return (y + 0.5) * std::log(t) - t + std::log(2.50662827465 * s);
}

namespace {

constexpr int kGammaIterations = 100;
constexpr double kGammaEpsilon = 3e-7;

// Lower regularised incomplete gamma P(a, x) by its series, for x < a + 1.
double GammaSeries(double a, double x) {
    if (x <= 0.0) return 0.0;
    double ap = a;
    double sum = 1.0 / a;
    double del = sum;
    for (int n = 0; n < kGammaIterations; ++n) {
        ap += 1.0;
        del *= x / ap;
        sum += del;
        if (std::fabs(del) < std::fabs(sum) * kGammaEpsilon) break;
    }
    return sum * ClampedExp(-x + a * std::log(x) - LogGamma(a));
}

// Upper regularised incomplete gamma Q(a, x) by its continued fraction, for x >= a + 1.
double GammaContinuedFraction(double a, double x) {
    double gold = 0.0;
    double g = 0.0;
    double a0 = 1.0, a1 = x, b0 = 0.0, b1 = 1.0, fac = 1.0;
    for (int n = 1; n <= kGammaIterations; ++n) {
        const double an = n;
        const double ana = an - a;
        a0 = (a1 + a0 * ana) * fac;
        b0 = (b1 + b0 * ana) * fac;
        const double anf = an * fac;
        a1 = x * a0 + anf * a1;
        b1 = x * b0 + anf * b1;
        if (a1 != 0.0) {
            fac = 1.0 / a1;
            g = b1 * fac;
            if (std::fabs((g - gold) / g) < kGammaEpsilon) break;
            gold = g;
        }
    }
    const double exponent = a * std::log(x) - x - LogGamma(a);
    if (exponent < -88.5) return 0.0;
    return ClampedExp(exponent) * g;
}

}  // namespace

double GammaQ(double a, double x) {
    if (x < 0.0 || a <= 0.0) return 0.0;
    if (x < a + 1.0) return 1.0 - GammaSeries(a, x);
    return GammaContinuedFraction(a, x);
}
