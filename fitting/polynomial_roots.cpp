#include "fitting/polynomial_roots.h"

#include <cmath>

#include "fitting/engine_limits.h"

namespace {

constexpr int kLaguerreIterations = 100;
constexpr double kRootTolerance = 2e-6;   // relative change that ends an unpolished search
constexpr double kRoundoffFactor = 6e-8;  // |p(x)| below this times the error bound is a root

// Laguerre's iteration for one root of the polynomial a[0..m] (complex coefficients),
// starting from x (Numerical Recipes' laguer).
void Laguerre(const TComplex* a, int m, TComplex& x, bool polish) {
    for (int iter = 1; iter <= kLaguerreIterations; ++iter) {
        TComplex b = a[m];
        double err = ComplexAbs(b);
        TComplex d{0.0, 0.0};
        TComplex f{0.0, 0.0};
        const double abx = ComplexAbs(x);
        for (int j = m - 1; j >= 0; --j) {
            f = ComplexAdd(ComplexMultiply(x, f), d);
            d = ComplexAdd(ComplexMultiply(x, d), b);
            b = ComplexAdd(ComplexMultiply(x, b), a[j]);
            err = ComplexAbs(b) + abx * err;
        }
        if (ComplexAbs(b) <= kRoundoffFactor * err) return;
        const TComplex g = ComplexDivide(d, b);
        const TComplex g2 = ComplexMultiply(g, g);
        const TComplex h = ComplexSubtract(g2, ComplexScale(2.0, ComplexDivide(f, b)));
        const TComplex sq = ComplexSqrt(
            ComplexScale(static_cast<double>(m - 1), ComplexSubtract(ComplexScale(m, h), g2)));
        TComplex gp = ComplexAdd(g, sq);
        const TComplex gm = ComplexSubtract(g, sq);
        const double absGp = ComplexAbs(gp);
        const double absGm = ComplexAbs(gm);
        if (absGp < absGm) gp = gm;
        TComplex dx;
        if (absGp > 0.0 || absGm > 0.0) {
            dx = ComplexDivide(TComplex{static_cast<double>(m), 0.0}, gp);
        } else {
            // Both denominators vanish: the usual fallback of Laguerre's method is a step of
            // size 1 + |x| in a direction that changes with the iteration.
            dx = ComplexScale(1.0 + abx, TComplex{std::cos(iter), std::sin(iter)});
        }
        const TComplex x1 = ComplexSubtract(x, dx);
        if (x1.Re == x.Re && x1.Im == x.Im) return;
        x = x1;
        if (!polish && ComplexAbs(dx) <= kRootTolerance * ComplexAbs(x)) return;
    }
}

}  // namespace

void PolynomialRoots(const double* coefficients, int degree, TComplex* roots, bool polish) {
    if (degree < 1 || degree > kMaxParams) return;
    TComplex original[kMaxParams + 1];
    TComplex deflated[kMaxParams + 1];
    for (int j = 0; j <= degree; ++j) original[j] = deflated[j] = {coefficients[j], 0.0};
    for (int j = degree; j >= 1; --j) {
        TComplex x{0.0, 0.0};
        Laguerre(deflated, j, x, false);
        if (std::fabs(x.Im) <= 2.0 * kRootTolerance * kRootTolerance * std::fabs(x.Re)) x.Im = 0.0;
        roots[j - 1] = x;
        // Synthetic division by (t - x).
        TComplex b = deflated[j];
        for (int jj = j - 1; jj >= 0; --jj) {
            const TComplex c = deflated[jj];
            deflated[jj] = b;
            b = ComplexAdd(ComplexMultiply(x, b), c);
        }
    }
    if (polish) {
        for (int j = 0; j < degree; ++j) Laguerre(original, degree, roots[j], true);
    }
    // Straight insertion by real part; ties keep their order.
    for (int j = 1; j < degree; ++j) {
        const TComplex x = roots[j];
        int i = j - 1;
        while (i >= 0 && roots[i].Re > x.Re) {
            roots[i + 1] = roots[i];
            --i;
        }
        roots[i + 1] = x;
    }
}
