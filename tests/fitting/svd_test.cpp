#include "fitting/svd.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr int S = kMatrixStride;

struct TMatrix {
    double a[kPointCapacity * kMatrixStride] = {};
    double& operator()(int i, int j) { return a[i * S + j]; }
};

// A fixed, well-mixed test matrix.
void FillMatrix(TMatrix& m, int rows, int cols) {
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < cols; ++j) m(i, j) = std::sin(1.3 * i + 0.7 * j * j + 0.1) * (j + 1);
    }
}

void CheckDecomposition(int rows, int cols) {
    TMatrix original, u;
    FillMatrix(original, rows, cols);
    u = original;
    double w[kMaxParams], v[kMatrixSize];
    bool ok = false;
    SvdDecompose(u.a, rows, cols, w, v, ok);
    ASSERT_TRUE(ok);
    for (int j = 0; j < cols; ++j) EXPECT_GE(w[j], 0.0);
    // U diag(w) V^T reproduces A.
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < cols; ++j) {
            double sum = 0.0;
            for (int k = 0; k < cols; ++k) sum += u(i, k) * w[k] * v[j * S + k];
            EXPECT_NEAR(sum, original(i, j), 1e-12) << rows << "x" << cols << " " << i << j;
        }
    }
    // V is orthogonal; the columns of U that belong to non-zero singular values are
    // orthonormal.
    for (int a = 0; a < cols; ++a) {
        for (int b = 0; b < cols; ++b) {
            double vv = 0.0, uu = 0.0;
            for (int k = 0; k < cols; ++k) vv += v[k * S + a] * v[k * S + b];
            for (int k = 0; k < rows; ++k) uu += u(k, a) * u(k, b);
            EXPECT_NEAR(vv, a == b ? 1.0 : 0.0, 1e-12);
            if (w[a] > 1e-12 && w[b] > 1e-12) {
                EXPECT_NEAR(uu, a == b ? 1.0 : 0.0, 1e-12);
            }
        }
    }
}

}  // namespace

TEST(Svd, ReconstructsTallSquareAndWideMatrices) {
    CheckDecomposition(7, 4);
    CheckDecomposition(5, 5);
    CheckDecomposition(99, 15);
    CheckDecomposition(3, 5);
}

TEST(Svd, SolveAndCovarianceOfSquareSystem) {
    // A x = b with A = [[4, 1], [2, 3]], x = (1, -2): b = (2, -4).
    TMatrix a;
    a(0, 0) = 4;
    a(0, 1) = 1;
    a(1, 0) = 2;
    a(1, 1) = 3;
    double w[kMaxParams], v[kMatrixSize], x[2], cov[kMatrixSize];
    bool ok = false;
    SvdDecompose(a.a, 2, 2, w, v, ok);
    ASSERT_TRUE(ok);
    const double b[2] = {2.0, -4.0};
    SvdSolve(a.a, w, v, 2, 2, b, x);
    EXPECT_NEAR(x[0], 1.0, 1e-14);
    EXPECT_NEAR(x[1], -2.0, 1e-14);
    // (A^T A)^-1 with A^T A = [[20, 10], [10, 10]]: 1/100 [[10, -10], [-10, 20]].
    SvdCovariance(v, 2, w, cov);
    EXPECT_NEAR(cov[0], 0.1, 1e-14);
    EXPECT_NEAR(cov[1], -0.1, 1e-14);
    EXPECT_NEAR(cov[S], -0.1, 1e-14);
    EXPECT_NEAR(cov[S + 1], 0.2, 1e-14);
}

TEST(LinearLeastSquares, ExactPolynomialIsRecovered) {
    double x[6], y[6], wt[6];
    for (int i = 0; i < 6; ++i) {
        x[i] = i * 1.5;
        y[i] = 2.0 + 3.0 * x[i] - 0.5 * x[i] * x[i];
        wt[i] = 1.0 + i;
    }
    double params[3], u[kPointCapacity * S], v[kMatrixSize], w[kMaxParams], chi = -1.0;
    bool ok = false;
    LinearLeastSquares(x, y, wt, 6, PowerBasis, nullptr, 3, params, chi, u, v, w, ok);
    ASSERT_TRUE(ok);
    EXPECT_NEAR(params[0], 2.0, 1e-12);
    EXPECT_NEAR(params[1], 3.0, 1e-12);
    EXPECT_NEAR(params[2], -0.5, 1e-12);
    EXPECT_NEAR(chi, 0.0, 1e-20);
}

TEST(LinearLeastSquares, WeightedLineMatchesNormalEquations) {
    const double x[] = {0.0, 1.0, 2.0, 4.0, 7.0};
    const double y[] = {1.1, 2.9, 5.2, 8.8, 15.3};
    const double wt[] = {1.0, 4.0, 0.5, 2.0, 0.25};
    // Closed form of the weighted straight line.
    double s = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (int i = 0; i < 5; ++i) {
        s += wt[i];
        sx += wt[i] * x[i];
        sy += wt[i] * y[i];
        sxx += wt[i] * x[i] * x[i];
        sxy += wt[i] * x[i] * y[i];
    }
    const double delta = s * sxx - sx * sx;
    const double slope = (s * sxy - sx * sy) / delta;
    const double intercept = (sxx * sy - sx * sxy) / delta;
    double chiExpected = 0.0;
    for (int i = 0; i < 5; ++i) {
        const double r = y[i] - intercept - slope * x[i];
        chiExpected += wt[i] * r * r;
    }
    double params[2], u[kPointCapacity * S], v[kMatrixSize], w[kMaxParams], chi = 0.0;
    bool ok = false;
    LinearLeastSquares(x, y, wt, 5, PowerBasis, nullptr, 2, params, chi, u, v, w, ok);
    EXPECT_NEAR(params[0], intercept, 1e-12);
    EXPECT_NEAR(params[1], slope, 1e-12);
    EXPECT_NEAR(chi, chiExpected, 1e-12);
    // Covariance of the weighted line: [[sxx, -sx], [-sx, s]] / delta.
    double cov[kMatrixSize];
    SvdCovariance(v, 2, w, cov);
    EXPECT_NEAR(cov[0], sxx / delta, 1e-12);
    EXPECT_NEAR(cov[1], -sx / delta, 1e-12);
    EXPECT_NEAR(cov[S + 1], s / delta, 1e-12);
}

TEST(LinearLeastSquares, SingleDoseGivesMinimumNormSolution) {
    // All points at x = 2: the columns 1 and x are proportional. The minimum-norm solution
    // of a + 2 b = 5 is (1, 2).
    const double x[] = {2.0, 2.0, 2.0};
    const double y[] = {5.0, 5.0, 5.0};
    const double wt[] = {1.0, 1.0, 1.0};
    double params[2], u[kPointCapacity * S], v[kMatrixSize], w[kMaxParams], chi = 0.0;
    bool ok = false;
    LinearLeastSquares(x, y, wt, 3, PowerBasis, nullptr, 2, params, chi, u, v, w, ok);
    EXPECT_TRUE(ok);
    EXPECT_NEAR(params[0], 1.0, 1e-12);
    EXPECT_NEAR(params[1], 2.0, 1e-12);
    EXPECT_TRUE(w[0] == 0.0 || w[1] == 0.0);
}
