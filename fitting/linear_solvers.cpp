#include "fitting/linear_solvers.h"

#include <cmath>
#include <limits>
#include <utility>

namespace {

constexpr long double kDoubleLimit = 1.7e308L;

template <typename T>
inline T& At(T* a, int i, int j) {
    return a[i * kMatrixStride + j];
}

}  // namespace

// Gauss-Jordan elimination with full pivoting (Numerical Recipes' gaussj).
void GaussJordan(double* a, int n, double* b, int m, bool& ok) {
    ok = true;
    int indxc[kMaxParams], indxr[kMaxParams], ipiv[kMaxParams] = {};
    int irow = 0, icol = 0;
    for (int i = 0; i < n; ++i) {
        double big = 0.0;
        for (int j = 0; j < n; ++j) {
            if (ipiv[j] == 1) continue;
            for (int k = 0; k < n; ++k) {
                if (ipiv[k] == 0) {
                    if (std::fabs(At(a, j, k)) >= big) {
                        big = std::fabs(At(a, j, k));
                        irow = j;
                        icol = k;
                    }
                } else if (ipiv[k] > 1) {
                    ok = false;
                    return;
                }
            }
        }
        ++ipiv[icol];
        if (ipiv[icol] > 1) {
            ok = false;
            return;
        }
        if (irow != icol) {
            for (int l = 0; l < n; ++l) std::swap(At(a, irow, l), At(a, icol, l));
            for (int l = 0; l < m; ++l) std::swap(At(b, irow, l), At(b, icol, l));
        }
        indxr[i] = irow;
        indxc[i] = icol;
        if (At(a, icol, icol) == 0.0) {
            ok = false;
            return;
        }
        const double pivinv = 1.0 / At(a, icol, icol);
        At(a, icol, icol) = 1.0;
        for (int l = 0; l < n; ++l) At(a, icol, l) *= pivinv;
        for (int l = 0; l < m; ++l) At(b, icol, l) *= pivinv;
        for (int ll = 0; ll < n; ++ll) {
            if (ll == icol) continue;
            const double dum = At(a, ll, icol);
            At(a, ll, icol) = 0.0;
            for (int l = 0; l < n; ++l) At(a, ll, l) -= At(a, icol, l) * dum;
            for (int l = 0; l < m; ++l) At(b, ll, l) -= At(b, icol, l) * dum;
        }
    }
    // Undo the column interchanges in reverse order.
    for (int l = n - 1; l >= 0; --l) {
        if (indxr[l] != indxc[l]) {
            for (int k = 0; k < n; ++k) std::swap(At(a, k, indxr[l]), At(a, k, indxc[l]));
        }
    }
}

double ClampToDouble(long double value, bool& overflow) {
    const long double magnitude = std::fabs(value);
    if (magnitude > kDoubleLimit) {
        overflow = true;
        return value > 0 ? 1.7e308 : -1.7e308;
    }
    if (magnitude < static_cast<long double>(std::numeric_limits<double>::denorm_min())) {
        return 0.0;
    }
    return static_cast<double>(value);
}

// In-place inversion with full pivoting: the pivot is brought to the diagonal by exchanging
// rows and columns (each exchange changes the sign of the determinant), and the exchanges
// are undone in reverse order on the inverse.
void ExtendedInverse(int n, double* a, long double& determinant, bool& overflow) {
    long double m[kMaxParams][kMaxParams];
    int rowSwap[kMaxParams], colSwap[kMaxParams];
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) m[i][j] = At(a, i, j);
    }
    determinant = 1.0L;
    for (int k = 0; k < n; ++k) {
        long double big = 0.0L;
        int pr = k, pc = k;
        for (int i = k; i < n; ++i) {
            for (int j = k; j < n; ++j) {
                if (std::fabs(m[i][j]) > big) {
                    big = std::fabs(m[i][j]);
                    pr = i;
                    pc = j;
                }
            }
        }
        rowSwap[k] = pr;
        colSwap[k] = pc;
        if (pr != k) {
            for (int j = 0; j < n; ++j) std::swap(m[k][j], m[pr][j]);
            determinant = -determinant;
        }
        if (pc != k) {
            for (int i = 0; i < n; ++i) std::swap(m[i][k], m[i][pc]);
            determinant = -determinant;
        }
        const long double pivot = m[k][k];
        if (pivot == 0.0L) {
            determinant = 0.0L;
            return;
        }
        determinant *= pivot;
        // Jordan step on row and column k.
        for (int i = 0; i < n; ++i) {
            if (i != k) m[i][k] = -m[i][k] / pivot;
        }
        for (int i = 0; i < n; ++i) {
            if (i == k) continue;
            for (int j = 0; j < n; ++j) {
                if (j != k) m[i][j] += m[i][k] * m[k][j];
            }
        }
        for (int j = 0; j < n; ++j) {
            if (j != k) m[k][j] /= pivot;
        }
        m[k][k] = 1.0L / pivot;
    }
    // A row exchange of the matrix is a column exchange of its inverse and vice versa.
    for (int k = n - 1; k >= 0; --k) {
        if (rowSwap[k] != k) {
            for (int i = 0; i < n; ++i) std::swap(m[i][k], m[i][rowSwap[k]]);
        }
        if (colSwap[k] != k) {
            for (int j = 0; j < n; ++j) std::swap(m[k][j], m[colSwap[k]][j]);
        }
    }
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) At(a, i, j) = ClampToDouble(m[i][j], overflow);
    }
}
