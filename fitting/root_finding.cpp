#include "fitting/root_finding.h"

#include <cmath>

#include "fitting/special_functions.h"

namespace {

constexpr int kBrentIterations = 100;
constexpr double kMachineTolerance = 6e-15;  // twice the relative precision aimed at
constexpr int kBracketMoves = 50;
constexpr double kBracketFactor = 1.6;

}  // namespace

// Van Wijngaarden-Dekker-Brent root finding (Numerical Recipes' zbrent).
double BrentRoot(TScalarFunction f, void* context, ResultCode& code, double tol, double x1,
                 double x2) {
    double a = x1, b = x2, c = x2, d = 0.0, e = 0.0;
    double fa = f(a, context, code);
    if (IsFatal(code)) return 0.0;
    double fb = f(b, context, code);
    if (IsFatal(code)) return 0.0;
    if (fa * fb > 0.0) {
        code = kRootFindingWarning;
        return 0.0;
    }
    double fc = fb;
    for (int iter = 0; iter < kBrentIterations; ++iter) {
        if ((fb > 0.0 && fc > 0.0) || (fb < 0.0 && fc < 0.0)) {
            c = a;
            fc = fa;
            e = d = b - a;
        }
        if (std::fabs(fc) < std::fabs(fb)) {
            a = b;
            b = c;
            c = a;
            fa = fb;
            fb = fc;
            fc = fa;
        }
        const double tol1 = kMachineTolerance * std::fabs(b) + 0.5 * tol;
        const double xm = 0.5 * (c - b);
        if (std::fabs(xm) <= tol1 || fb == 0.0) return b;
        if (std::fabs(e) >= tol1 && std::fabs(fa) > std::fabs(fb)) {
            // Inverse quadratic interpolation (secant when only two points are distinct).
            const double s = fb / fa;
            double p, q;
            if (a == c) {
                p = 2.0 * xm * s;
                q = 1.0 - s;
            } else {
                const double qq = fa / fc;
                const double r = fb / fc;
                p = s * (2.0 * xm * qq * (qq - r) - (b - a) * (r - 1.0));
                q = (qq - 1.0) * (r - 1.0) * (s - 1.0);
            }
            if (p > 0.0) q = -q;
            p = std::fabs(p);
            const double min1 = 3.0 * xm * q - std::fabs(tol1 * q);
            const double min2 = std::fabs(e * q);
            if (2.0 * p < (min1 < min2 ? min1 : min2)) {
                e = d;
                d = p / q;
            } else {
                d = xm;
                e = d;
            }
        } else {
            d = xm;
            e = d;
        }
        a = b;
        fa = fb;
        b += std::fabs(d) > tol1 ? d : Sign(xm, tol1);
        fb = f(b, context, code);
        if (IsFatal(code)) return b;
    }
    code = kRootFindingWarning;
    return b;
}

void ScanRoots(TScalarFunction f, void* context, ResultCode& code, int steps, double x1, double x2,
               double* earlier, double* later, int& count) {
    const int wanted = count;
    count = 0;
    if (steps <= 0 || wanted <= 0) return;
    const double dx = (x2 - x1) / steps;
    double previous = x1;
    const double f0 = f(x1, context, code);
    if (IsFatal(code)) return;
    // A value of exactly 0 counts as positive, so a root on a grid point ends a bracket.
    bool positive = f0 >= 0.0;
    for (int i = 1; i <= steps; ++i) {
        const double x = i == steps ? x2 : x1 + i * dx;
        const double fx = f(x, context, code);
        if (IsFatal(code)) return;
        const bool nowPositive = fx >= 0.0;
        if (nowPositive != positive) {
            earlier[count] = previous;
            later[count] = x;
            if (++count == wanted) return;
        }
        positive = nowPositive;
        previous = x;
    }
}

bool ExpandBracket(TScalarFunction f, void* context, ResultCode& code, double& x1, double& x2) {
    if (x1 == x2) x2 = 2.0 * x1 + 1.0;
    double f1 = f(x1, context, code);
    if (IsFatal(code)) return false;
    double f2 = f(x2, context, code);
    if (IsFatal(code)) return false;
    for (int j = 0; j < kBracketMoves; ++j) {
        if (f1 * f2 < 0.0) return true;
        // The end whose value is nearer zero moves out (comparing magnitudes: a signed
        // comparison would push the wrong end when both values are negative).
        if (std::fabs(f1) < std::fabs(f2)) {
            x1 += kBracketFactor * (x1 - x2);
            f1 = f(x1, context, code);
        } else {
            x2 += kBracketFactor * (x2 - x1);
            f2 = f(x2, context, code);
        }
        if (IsFatal(code)) return false;
    }
    return false;
}
