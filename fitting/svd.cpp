#include "fitting/svd.h"

#include <algorithm>
#include <cmath>

#include "fitting/special_functions.h"

namespace {

constexpr int kSvdIterations = 30;
constexpr double kSingularValueCutoff = 1e-15;

inline double& At(double* a, int i, int j) {
    return a[i * kMatrixStride + j];
}
inline double At(const double* a, int i, int j) {
    return a[i * kMatrixStride + j];
}

}  // namespace

// Golub-Reinsch: Householder reduction to bidiagonal form, accumulation of the right and left
// transformations, then implicit shifted QR on the bidiagonal (Golub and Reinsch 1970, in the
// formulation of Numerical Recipes' svdcmp).
void SvdDecompose(double* a, int m, int n, double* w, double* v, bool& ok) {
    ok = true;
    double rv1[kMaxParams];
    double g = 0.0, scale = 0.0, anorm = 0.0;
    int l = 0;
    for (int i = 0; i < n; ++i) {
        l = i + 1;
        rv1[i] = scale * g;
        g = scale = 0.0;
        double s = 0.0;
        if (i < m) {
            for (int k = i; k < m; ++k) scale += std::fabs(At(a, k, i));
            if (scale != 0.0) {
                for (int k = i; k < m; ++k) {
                    At(a, k, i) /= scale;
                    s += At(a, k, i) * At(a, k, i);
                }
                double f = At(a, i, i);
                g = -Sign(f, std::sqrt(s));
                const double h = f * g - s;
                At(a, i, i) = f - g;
                for (int j = l; j < n; ++j) {
                    s = 0.0;
                    for (int k = i; k < m; ++k) s += At(a, k, i) * At(a, k, j);
                    f = s / h;
                    for (int k = i; k < m; ++k) At(a, k, j) += f * At(a, k, i);
                }
                for (int k = i; k < m; ++k) At(a, k, i) *= scale;
            }
        }
        w[i] = scale * g;
        g = s = scale = 0.0;
        if (i < m && i != n - 1) {
            for (int k = l; k < n; ++k) scale += std::fabs(At(a, i, k));
            if (scale != 0.0) {
                for (int k = l; k < n; ++k) {
                    At(a, i, k) /= scale;
                    s += At(a, i, k) * At(a, i, k);
                }
                const double f = At(a, i, l);
                g = -Sign(f, std::sqrt(s));
                const double h = f * g - s;
                At(a, i, l) = f - g;
                for (int k = l; k < n; ++k) rv1[k] = At(a, i, k) / h;
                for (int j = l; j < m; ++j) {
                    s = 0.0;
                    for (int k = l; k < n; ++k) s += At(a, j, k) * At(a, i, k);
                    for (int k = l; k < n; ++k) At(a, j, k) += s * rv1[k];
                }
                for (int k = l; k < n; ++k) At(a, i, k) *= scale;
            }
        }
        anorm = std::max(anorm, std::fabs(w[i]) + std::fabs(rv1[i]));
    }
    // Accumulation of the right-hand transformations.
    for (int i = n - 1; i >= 0; --i) {
        if (i < n - 1) {
            if (g != 0.0) {
                // Double division avoids a possible underflow.
                for (int j = l; j < n; ++j) At(v, j, i) = (At(a, i, j) / At(a, i, l)) / g;
                for (int j = l; j < n; ++j) {
                    double s = 0.0;
                    for (int k = l; k < n; ++k) s += At(a, i, k) * At(v, k, j);
                    for (int k = l; k < n; ++k) At(v, k, j) += s * At(v, k, i);
                }
            }
            for (int j = l; j < n; ++j) At(v, i, j) = At(v, j, i) = 0.0;
        }
        At(v, i, i) = 1.0;
        g = rv1[i];
        l = i;
    }
    // Accumulation of the left-hand transformations.
    for (int i = std::min(m, n) - 1; i >= 0; --i) {
        l = i + 1;
        g = w[i];
        for (int j = l; j < n; ++j) At(a, i, j) = 0.0;
        if (g != 0.0) {
            g = 1.0 / g;
            for (int j = l; j < n; ++j) {
                double s = 0.0;
                for (int k = l; k < m; ++k) s += At(a, k, i) * At(a, k, j);
                const double f = (s / At(a, i, i)) * g;
                for (int k = i; k < m; ++k) At(a, k, j) += f * At(a, k, i);
            }
            for (int j = i; j < m; ++j) At(a, j, i) *= g;
        } else {
            for (int j = i; j < m; ++j) At(a, j, i) = 0.0;
        }
        At(a, i, i) += 1.0;
    }
    // Diagonalisation of the bidiagonal form: loop over singular values and over the allowed
    // iterations.
    for (int k = n - 1; k >= 0; --k) {
        for (int its = 1; its <= kSvdIterations; ++its) {
            bool flag = true;
            int nm = 0;
            for (l = k; l >= 0; --l) {
                nm = l - 1;  // rv1[0] is always 0, so the test on l = 0 ends the loop
                if (std::fabs(rv1[l]) + anorm == anorm) {
                    flag = false;
                    break;
                }
                if (std::fabs(w[nm]) + anorm == anorm) break;
            }
            if (flag) {
                // Cancellation of rv1[l] when l > 0.
                double c = 0.0, s = 1.0;
                for (int i = l; i <= k; ++i) {
                    const double f = s * rv1[i];
                    rv1[i] = c * rv1[i];
                    if (std::fabs(f) + anorm == anorm) break;
                    g = w[i];
                    double h = Pythag(f, g);
                    w[i] = h;
                    h = 1.0 / h;
                    c = g * h;
                    s = -f * h;
                    for (int j = 0; j < m; ++j) {
                        const double y = At(a, j, nm);
                        const double z = At(a, j, i);
                        At(a, j, nm) = y * c + z * s;
                        At(a, j, i) = z * c - y * s;
                    }
                }
            }
            double z = w[k];
            if (l == k) {
                // Convergence: make the singular value non-negative.
                if (z < 0.0) {
                    w[k] = -z;
                    for (int j = 0; j < n; ++j) At(v, j, k) = -At(v, j, k);
                }
                break;
            }
            if (its == kSvdIterations) {
                ok = false;
                return;
            }
            // Shift from the bottom 2 x 2 minor.
            double x = w[l];
            nm = k - 1;
            double y = w[nm];
            g = rv1[nm];
            double h = rv1[k];
            double f = ((y - z) * (y + z) + (g - h) * (g + h)) / (2.0 * h * y);
            g = Pythag(f, 1.0);
            f = ((x - z) * (x + z) + h * ((y / (f + Sign(f, g))) - h)) / x;
            // Next QR transformation.
            double c = 1.0, s = 1.0;
            for (int j = l; j <= nm; ++j) {
                const int i = j + 1;
                g = rv1[i];
                y = w[i];
                h = s * g;
                g = c * g;
                z = Pythag(f, h);
                rv1[j] = z;
                c = f / z;
                s = h / z;
                f = x * c + g * s;
                g = g * c - x * s;
                h = y * s;
                y *= c;
                for (int jj = 0; jj < n; ++jj) {
                    x = At(v, jj, j);
                    z = At(v, jj, i);
                    At(v, jj, j) = x * c + z * s;
                    At(v, jj, i) = z * c - x * s;
                }
                z = Pythag(f, h);
                w[j] = z;  // rotation can be arbitrary when z = 0
                if (z != 0.0) {
                    z = 1.0 / z;
                    c = f * z;
                    s = h * z;
                }
                f = c * g + s * y;
                x = c * y - s * g;
                for (int jj = 0; jj < m; ++jj) {
                    y = At(a, jj, j);
                    z = At(a, jj, i);
                    At(a, jj, j) = y * c + z * s;
                    At(a, jj, i) = z * c - y * s;
                }
            }
            rv1[l] = 0.0;
            rv1[k] = f;
            w[k] = x;
        }
    }
}

void SvdSolve(const double* u, const double* w, const double* v, int m, int n, const double* b,
              double* x) {
    double tmp[kMaxParams];
    for (int j = 0; j < n; ++j) {
        double s = 0.0;
        if (w[j] != 0.0) {
            for (int i = 0; i < m; ++i) s += At(u, i, j) * b[i];
            s /= w[j];
        }
        tmp[j] = s;
    }
    for (int j = 0; j < n; ++j) {
        double s = 0.0;
        for (int jj = 0; jj < n; ++jj) s += At(v, j, jj) * tmp[jj];
        x[j] = s;
    }
}

void SvdCovariance(const double* v, int n, const double* w, double* cov) {
    double wti[kMaxParams];
    for (int i = 0; i < n; ++i) wti[i] = w[i] != 0.0 ? 1.0 / (w[i] * w[i]) : 0.0;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j <= i; ++j) {
            double sum = 0.0;
            for (int k = 0; k < n; ++k) sum += At(v, i, k) * At(v, j, k) * wti[k];
            At(cov, j, i) = At(cov, i, j) = sum;
        }
    }
}

void PowerBasis(double x, double* values, int nparams, void*) {
    if (nparams <= 0) return;
    values[0] = 1.0;
    for (int j = 1; j < nparams; ++j) values[j] = values[j - 1] * x;
}

void LinearLeastSquares(const double* x, const double* y, const double* weight, int npoints,
                        TBasisFunction basis, void* basisContext, int nparams, double* params,
                        double& chiSquare, double* u, double* v, double* w, bool& ok) {
    // The work arrays hold the capacities of a point set and a function; a count beyond them
    // is cut to them rather than written past their ends.
    npoints = std::clamp(npoints, 0, kPointCapacity);
    nparams = std::clamp(nparams, 0, kMaxParams);
    double b[kPointCapacity] = {};
    double afunc[kMaxParams] = {};
    for (int i = 0; i < npoints; ++i) {
        basis(x[i], afunc, nparams, basisContext);
        const double s = std::sqrt(weight[i]);
        for (int j = 0; j < nparams; ++j) At(u, i, j) = afunc[j] * s;
        b[i] = y[i] * s;
    }
    SvdDecompose(u, npoints, nparams, w, v, ok);
    double wmax = 0.0;
    for (int j = 0; j < nparams; ++j) wmax = std::max(wmax, w[j]);
    const double threshold = kSingularValueCutoff * wmax;
    for (int j = 0; j < nparams; ++j) {
        if (w[j] < threshold) w[j] = 0.0;
    }
    SvdSolve(u, w, v, npoints, nparams, b, params);
    chiSquare = 0.0;
    for (int i = 0; i < npoints; ++i) {
        basis(x[i], afunc, nparams, basisContext);
        double sum = 0.0;
        for (int j = 0; j < nparams; ++j) sum += params[j] * afunc[j];
        const double r = y[i] - sum;
        chiSquare += weight[i] * r * r;
    }
}
