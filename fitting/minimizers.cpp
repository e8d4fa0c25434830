#include "fitting/minimizers.h"

#include <cmath>
#include <utility>

#include "fitting/special_functions.h"

namespace {

constexpr double kGolden = 1.618034;
constexpr double kGrowthLimit = 100.0;
constexpr double kTiny = 1e-20;
constexpr double kGoldenSection = 0.381966;
constexpr double kAbsoluteTolerance = 1e-10;
constexpr int kBrentIterations = 100;
constexpr int kSimplexEvaluations = 5000;
constexpr double kSimplexTiny = 1e-10;

// Reflects the worst vertex through the centroid of the others by factor fac and replaces
// it when the trial is better (Numerical Recipes' amotry, two dimensions).
double SimplexTry(TPlaneFunction f, void* context, double simplex[3][2], double values[3],
                  double psum[2], int ihi, double fac, ResultCode& code) {
    const double fac1 = (1.0 - fac) / 2.0;
    const double fac2 = fac1 - fac;
    double trial[2];
    for (int j = 0; j < 2; ++j) trial[j] = psum[j] * fac1 - simplex[ihi][j] * fac2;
    const double ytry = f(trial, context, code);
    if (IsFatal(code)) return ytry;
    if (ytry < values[ihi]) {
        values[ihi] = ytry;
        for (int j = 0; j < 2; ++j) {
            psum[j] += trial[j] - simplex[ihi][j];
            simplex[ihi][j] = trial[j];
        }
    }
    return ytry;
}

}  // namespace

// Golden-ratio expansion with parabolic extrapolation (Numerical Recipes' mnbrak).
void BracketMinimum(TScalarFunction f, void* context, ResultCode& code, double& a, double& b,
                    double& c, double& fa, double& fb, double& fc) {
    fa = f(a, context, code);
    if (IsFatal(code)) return;
    fb = f(b, context, code);
    if (IsFatal(code)) return;
    if (fb > fa) {
        std::swap(a, b);
        std::swap(fa, fb);
    }
    c = b + kGolden * (b - a);
    fc = f(c, context, code);
    if (IsFatal(code)) return;
    // Expand only while the function still falls: on a plateau (fb == fc) the golden steps
    // would run off towards overflow.
    while (fb > fc) {
        const double r = (b - a) * (fb - fc);
        const double q = (b - c) * (fb - fa);
        const double denominator = std::fabs(q - r) > kTiny ? std::fabs(q - r) : kTiny;
        // Vertex of the parabola through the three points.
        double u = b - ((b - c) * q - (b - a) * r) / (2.0 * Sign(q - r, denominator));
        const double ulim = b + kGrowthLimit * (c - b);
        double fu;
        if ((b - u) * (u - c) > 0.0) {
            fu = f(u, context, code);
            if (IsFatal(code)) return;
            if (fu < fc) {
                a = b;
                b = u;
                fa = fb;
                fb = fu;
                return;
            }
            if (fu > fb) {
                c = u;
                fc = fu;
                return;
            }
            u = c + kGolden * (c - b);
            fu = f(u, context, code);
        } else if ((c - u) * (u - ulim) > 0.0) {
            fu = f(u, context, code);
            if (IsFatal(code)) return;
            if (fu < fc) {
                b = c;
                c = u;
                u = c + kGolden * (c - b);
                fb = fc;
                fc = fu;
                fu = f(u, context, code);
            }
        } else if ((u - ulim) * (ulim - c) >= 0.0) {
            u = ulim;
            fu = f(u, context, code);
        } else {
            u = c + kGolden * (c - b);
            fu = f(u, context, code);
        }
        if (IsFatal(code)) return;
        a = b;
        b = c;
        c = u;
        fa = fb;
        fb = fc;
        fc = fu;
    }
}

// Brent's minimiser: golden section with parabolic interpolation (Numerical Recipes' brent).
double BrentMinimize(TScalarFunction f, void* context, double a0, double b0, double c0, double tol,
                     double& xmin, ResultCode& code) {
    double a = a0 < c0 ? a0 : c0;
    double b = a0 > c0 ? a0 : c0;
    double x = b0, w = b0, v = b0;
    double fx = f(x, context, code);
    xmin = x;
    if (IsFatal(code)) return fx;
    double fw = fx, fv = fx;
    double d = 0.0, e = 0.0;
    for (int iter = 0; iter < kBrentIterations; ++iter) {
        const double xm = 0.5 * (a + b);
        const double tol1 = tol * std::fabs(x) + kAbsoluteTolerance;
        const double tol2 = 2.0 * tol1;
        if (std::fabs(x - xm) <= tol2 - 0.5 * (b - a)) {
            xmin = x;
            return fx;
        }
        if (std::fabs(e) > tol1) {
            const double r = (x - w) * (fx - fv);
            double q = (x - v) * (fx - fw);
            double p = (x - v) * q - (x - w) * r;
            q = 2.0 * (q - r);
            if (q > 0.0) p = -p;
            q = std::fabs(q);
            const double etemp = e;
            e = d;
            if (std::fabs(p) >= std::fabs(0.5 * q * etemp) || p <= q * (a - x) ||
                p >= q * (b - x)) {
                e = x >= xm ? a - x : b - x;
                d = kGoldenSection * e;
            } else {
                d = p / q;
                const double u = x + d;
                if (u - a < tol2 || b - u < tol2) d = Sign(xm - x, tol1);
            }
        } else {
            e = x >= xm ? a - x : b - x;
            d = kGoldenSection * e;
        }
        const double u = std::fabs(d) >= tol1 ? x + d : x + Sign(d, tol1);
        const double fu = f(u, context, code);
        if (IsFatal(code)) {
            xmin = x;
            return fx;
        }
        if (fu <= fx) {
            if (u >= x) {
                a = x;
            } else {
                b = x;
            }
            v = w;
            w = x;
            x = u;
            fv = fw;
            fw = fx;
            fx = fu;
        } else {
            if (u < x) {
                a = u;
            } else {
                b = u;
            }
            if (fu <= fw || w == x) {
                v = w;
                w = u;
                fv = fw;
                fw = fu;
            } else if (fu <= fv || v == x || v == w) {
                v = u;
                fv = fu;
            }
        }
    }
    code = kChiSquareMinimumNotFound;
    xmin = x;
    return fx;
}

// Nelder-Mead downhill simplex (Numerical Recipes' amoeba) in two dimensions.
void SimplexMinimize(TPlaneFunction f, void* context, double simplex[3][2], double values[3],
                     double ftol, ResultCode& code) {
    double psum[2];
    auto sumVertices = [&]() {
        for (int j = 0; j < 2; ++j) psum[j] = simplex[0][j] + simplex[1][j] + simplex[2][j];
    };
    sumVertices();
    int evaluations = 0;
    for (;;) {
        int ilo = 0;
        int ihi, inhi;
        if (values[0] > values[1]) {
            ihi = 0;
            inhi = 1;
        } else {
            ihi = 1;
            inhi = 0;
        }
        for (int i = 0; i < 3; ++i) {
            if (values[i] <= values[ilo]) ilo = i;
            if (values[i] > values[ihi]) {
                inhi = ihi;
                ihi = i;
            } else if (values[i] > values[inhi] && i != ihi) {
                inhi = i;
            }
        }
        const double rtol = 2.0 * std::fabs(values[ihi] - values[ilo]) /
                            (std::fabs(values[ihi]) + std::fabs(values[ilo]) + kSimplexTiny);
        if (rtol < ftol) {
            // The best vertex goes first.
            std::swap(values[0], values[ilo]);
            for (int j = 0; j < 2; ++j) std::swap(simplex[0][j], simplex[ilo][j]);
            return;
        }
        if (evaluations >= kSimplexEvaluations) {
            code = kChiSquareMinimumNotFound;
            return;
        }
        evaluations += 2;
        double ytry = SimplexTry(f, context, simplex, values, psum, ihi, -1.0, code);
        if (IsFatal(code)) return;
        if (ytry <= values[ilo]) {
            SimplexTry(f, context, simplex, values, psum, ihi, 2.0, code);
            if (IsFatal(code)) return;
        } else if (ytry >= values[inhi]) {
            const double ysave = values[ihi];
            ytry = SimplexTry(f, context, simplex, values, psum, ihi, 0.5, code);
            if (IsFatal(code)) return;
            if (ytry >= ysave) {
                // Contract around the best vertex.
                for (int i = 0; i < 3; ++i) {
                    if (i == ilo) continue;
                    for (int j = 0; j < 2; ++j) {
                        simplex[i][j] = 0.5 * (simplex[i][j] + simplex[ilo][j]);
                    }
                    values[i] = f(simplex[i], context, code);
                    if (IsFatal(code)) return;
                }
                evaluations += 2;
                sumVertices();
            }
        } else {
            --evaluations;
        }
    }
}
