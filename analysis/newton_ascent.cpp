#include "analysis/newton_ascent.h"

#include <algorithm>
#include <cmath>

namespace {

// Solves A y = b for a symmetric positive definite A of size n (Cholesky); false when A is
// not positive definite.
bool SolvePositive(double a[kNewtonMaxDimension][kNewtonMaxDimension], const double* b, int n,
                   double* y) {
    double l[kNewtonMaxDimension][kNewtonMaxDimension] = {};
    for (int i = 0; i < n; ++i)
        for (int j = 0; j <= i; ++j) {
            double sum = a[i][j];
            for (int k = 0; k < j; ++k) sum -= l[i][k] * l[j][k];
            if (i == j) {
                if (!(sum > 0.0)) return false;
                l[i][i] = std::sqrt(sum);
            } else {
                l[i][j] = sum / l[j][j];
            }
        }
    double z[kNewtonMaxDimension];
    for (int i = 0; i < n; ++i) {
        double sum = b[i];
        for (int k = 0; k < i; ++k) sum -= l[i][k] * z[k];
        z[i] = sum / l[i][i];
    }
    for (int i = n - 1; i >= 0; --i) {
        double sum = z[i];
        for (int k = i + 1; k < n; ++k) sum -= l[k][i] * y[k];
        y[i] = sum / l[i][i];
    }
    return true;
}

}  // namespace

TNewtonResult NewtonAscent(const std::function<double(const double*)>& f, double* x, int dim,
                           const bool* nonNegative, double tolerance, double h,
                           int maxIterations) {
    TNewtonResult result;
    auto eval = [&](const double* p) {
        ++result.Evaluations;
        return f(p);
    };
    double fx = eval(x);
    for (int iteration = 0; iteration < maxIterations; ++iteration) {
        double g[kNewtonMaxDimension], hess[kNewtonMaxDimension][kNewtonMaxDimension];
        double fPlus[kNewtonMaxDimension];
        for (int k = 0; k < dim; ++k) {
            double p[kNewtonMaxDimension];
            std::copy(x, x + dim, p);
            p[k] = x[k] + h;
            fPlus[k] = eval(p);
            if (nonNegative[k] && x[k] < h) {
                // At the bound: one-sided differences of second order.
                p[k] = x[k] + 2.0 * h;
                const double fPlus2 = eval(p);
                g[k] = (-3.0 * fx + 4.0 * fPlus[k] - fPlus2) / (2.0 * h);
                hess[k][k] = (fx - 2.0 * fPlus[k] + fPlus2) / (h * h);
            } else {
                p[k] = x[k] - h;
                const double fMinus = eval(p);
                g[k] = (fPlus[k] - fMinus) / (2.0 * h);
                hess[k][k] = (fPlus[k] - 2.0 * fx + fMinus) / (h * h);
            }
        }
        for (int k = 0; k < dim; ++k)
            for (int m = k + 1; m < dim; ++m) {
                double p[kNewtonMaxDimension];
                std::copy(x, x + dim, p);
                p[k] += h;
                p[m] += h;
                hess[k][m] = hess[m][k] = (eval(p) - fPlus[k] - fPlus[m] + fx) / (h * h);
            }
        // The free variables: all but those held at their bound by an outward slope.
        int free[kNewtonMaxDimension], n = 0;
        for (int k = 0; k < dim; ++k)
            if (!(nonNegative[k] && x[k] <= 0.0 && g[k] <= 0.0)) free[n++] = k;
        double step[kNewtonMaxDimension] = {};
        if (n > 0) {
            double a[kNewtonMaxDimension][kNewtonMaxDimension], b[kNewtonMaxDimension];
            double y[kNewtonMaxDimension];
            for (int i = 0; i < n; ++i) {
                b[i] = g[free[i]];
                for (int j = 0; j < n; ++j) a[i][j] = -hess[free[i]][free[j]];
            }
            if (!SolvePositive(a, b, n, y)) break;
            for (int i = 0; i < n; ++i) step[free[i]] = y[i];
        }
        double t = 1.0;
        bool rose = false;
        double moved = 0.0;
        for (int halving = 0; halving < 12; ++halving, t *= 0.5) {
            double p[kNewtonMaxDimension];
            moved = 0.0;
            for (int k = 0; k < dim; ++k) {
                p[k] = x[k] + t * step[k];
                if (nonNegative[k]) p[k] = std::max(p[k], 0.0);
                moved = std::max(moved, std::fabs(p[k] - x[k]));
            }
            if (moved <= tolerance) {
                result.Converged = true;
                break;
            }
            const double fp = eval(p);
            if (fp >= fx) {
                std::copy(p, p + dim, x);
                fx = fp;
                rose = true;
                break;
            }
        }
        if (result.Converged) break;
        if (!rose) {
            // No step rose: converged all the same when the rise the quadratic model
            // promised, g.step / 2, lies within the rounding of the function's value (a sum
            // over thousands of terms), so no step can show it.
            double promised = 0.0;
            for (int k = 0; k < dim; ++k) promised += 0.5 * g[k] * step[k];
            result.Converged = promised <= 1e-12 * (1.0 + std::fabs(fx));
            break;
        }
        if (moved <= tolerance) {
            result.Converged = true;
            break;
        }
    }
    result.Value = fx;
    return result;
}
