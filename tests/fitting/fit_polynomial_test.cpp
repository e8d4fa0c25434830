#include "fitting/fit_polynomial.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "fitting/engine_limits.h"

namespace {
constexpr int S = kMatrixStride;
}

TEST(FitPolynomial, ExactCubicWithKnownErrors) {
    double x[8], y[8], w[8];
    for (int i = 0; i < 8; ++i) {
        x[i] = 10.0 * i;
        y[i] = 5.0 + 0.8 * x[i] - 0.01 * x[i] * x[i] + 2e-5 * x[i] * x[i] * x[i];
        w[i] = 0.25;
    }
    double params[4], cov[kMatrixSize] = {}, chi = -1;
    ResultCode rc = 0;
    FitPolynomial(8, x, y, w, 4, params, cov, chi, rc);
    EXPECT_EQ(rc, 0);
    EXPECT_NEAR(params[0], 5.0, 1e-10);
    EXPECT_NEAR(params[1], 0.8, 1e-11);
    EXPECT_NEAR(params[2], -0.01, 1e-12);
    EXPECT_NEAR(params[3], 2e-5, 1e-14);
    EXPECT_NEAR(chi, 0.0, 1e-18);
    EXPECT_GT(cov[0], 0.0);  // known errors: covariance is not rescaled by chi-square
}

TEST(FitPolynomial, UnknownErrorsScaleCovarianceByResiduals) {
    // Straight line with weights 1: covariance = [[Sxx, -Sx], [-Sx, N]] / D * X2 / (N - 2).
    const double x[] = {0, 1, 2, 3, 5};
    const double y[] = {1.0, 2.9, 5.2, 6.8, 11.1};
    const double w[] = {1, 1, 1, 1, 1};
    double n = 5, sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (int i = 0; i < 5; ++i) {
        sx += x[i];
        sy += y[i];
        sxx += x[i] * x[i];
        sxy += x[i] * y[i];
    }
    const double d = n * sxx - sx * sx;
    const double b = (n * sxy - sx * sy) / d;
    const double a = (sxx * sy - sx * sxy) / d;
    double chiExpected = 0;
    for (int i = 0; i < 5; ++i) chiExpected += (y[i] - a - b * x[i]) * (y[i] - a - b * x[i]);
    const double factor = chiExpected / 3.0;

    double params[2], cov[kMatrixSize] = {}, chi = 0;
    ResultCode rc = 0;
    FitPolynomial(5, x, y, w, 2, params, cov, chi, rc);
    EXPECT_EQ(rc, 0);
    EXPECT_NEAR(params[0], a, 1e-12);
    EXPECT_NEAR(params[1], b, 1e-12);
    EXPECT_NEAR(chi, chiExpected, 1e-12);
    EXPECT_NEAR(cov[0], sxx / d * factor, 1e-12);
    EXPECT_NEAR(cov[1], -sx / d * factor, 1e-12);
    EXPECT_NEAR(cov[S], -sx / d * factor, 1e-12);
    EXPECT_NEAR(cov[S + 1], n / d * factor, 1e-12);
}

TEST(FitPolynomial, AsManyParametersAsPointsWithUnknownErrors) {
    const double x[] = {0, 1}, y[] = {1, 3}, w[] = {1, 1};
    double params[2], cov[kMatrixSize] = {}, chi = 0;
    ResultCode rc = 0;
    FitPolynomial(2, x, y, w, 2, params, cov, chi, rc);
    EXPECT_EQ(rc, kInsufficientErrorData);
    EXPECT_NEAR(params[1], 2.0, 1e-12);
}

TEST(FitPolynomial, FifteenParameters) {
    // Degree 14 through 30 points on [-1, 1] of a polynomial of that degree.
    double x[30], y[30], w[30];
    double coefficients[15];
    for (int k = 0; k < 15; ++k) coefficients[k] = (k % 3 == 0 ? 1.0 : -0.5) / (k + 1);
    for (int i = 0; i < 30; ++i) {
        x[i] = -1.0 + 2.0 * i / 29.0;
        double value = 0, power = 1;
        for (int k = 0; k < 15; ++k) {
            value += coefficients[k] * power;
            power *= x[i];
        }
        y[i] = value;
        w[i] = 4.0;
    }
    double params[15], cov[kMatrixSize] = {}, chi = 0;
    ResultCode rc = 0;
    FitPolynomial(30, x, y, w, 15, params, cov, chi, rc);
    EXPECT_EQ(rc, 0);
    for (int k = 0; k < 15; ++k) EXPECT_NEAR(params[k], coefficients[k], 1e-6) << k;
    EXPECT_LT(chi, 1e-20);
}

TEST(FitPolynomial, BadCounts) {
    const double x[] = {0}, y[] = {0}, w[] = {1};
    double params[kMaxParams], cov[kMatrixSize], chi;
    ResultCode rc = 0;
    FitPolynomial(1, x, y, w, 16, params, cov, chi, rc);
    EXPECT_EQ(rc, kInvalidParameterCount);
    rc = 0;
    FitPolynomial(0, x, y, w, 2, params, cov, chi, rc);
    EXPECT_EQ(rc, kInputControlDataError);
}

namespace {

// Chi-square and fitted values of the weighted least-squares polynomial of n parameters,
// by modified Gram-Schmidt in extended precision on powers of the doses mapped to [-1, 1]:
// a second method, independent of the engine's decomposition.
void GramSchmidtFit(int N, const double* x, const double* y, const double* w, int n,
                    long double& chiSquare, long double* fitted) {
    const long double low = *std::min_element(x, x + N);
    const long double high = *std::max_element(x, x + N);
    std::vector<std::vector<long double>> q(n, std::vector<long double>(N));
    for (int i = 0; i < N; ++i) {
        const long double t = (2.0L * x[i] - low - high) / (high - low);
        long double power = 1.0L;
        for (int k = 0; k < n; ++k) {
            q[k][i] = power * std::sqrt(static_cast<long double>(w[i]));
            power *= t;
        }
    }
    std::vector<long double> residual(N);
    for (int i = 0; i < N; ++i) residual[i] = y[i] * std::sqrt(static_cast<long double>(w[i]));
    for (int k = 0; k < n; ++k) {
        for (int j = 0; j < k; ++j) {
            long double dot = 0.0L;
            for (int i = 0; i < N; ++i) dot += q[j][i] * q[k][i];
            for (int i = 0; i < N; ++i) q[k][i] -= dot * q[j][i];
        }
        long double norm = 0.0L;
        for (int i = 0; i < N; ++i) norm += q[k][i] * q[k][i];
        norm = std::sqrt(norm);
        for (int i = 0; i < N; ++i) q[k][i] /= norm;
        long double dot = 0.0L;
        for (int i = 0; i < N; ++i) dot += q[k][i] * residual[i];
        for (int i = 0; i < N; ++i) residual[i] -= dot * q[k][i];
    }
    chiSquare = 0.0L;
    for (int i = 0; i < N; ++i) {
        chiSquare += residual[i] * residual[i];
        fitted[i] = y[i] - residual[i] / std::sqrt(static_cast<long double>(w[i]));
    }
}

}  // namespace

TEST(FitPolynomial, HighDegreesOnDosesInTheHundreds) {
    // 30 doses 0..290 on a saturating growth with a little scatter. Unscaled powers of such
    // doses span 35 orders of magnitude by degree 14; every degree must still fit, to what
    // the power basis on [0, 290] allows (about eight digits at degree 14).
    constexpr int N = 30;
    double x[N], y[N], w[N];
    for (int i = 0; i < N; ++i) {
        x[i] = 10.0 * i;
        y[i] = 5000.0 - 4800.0 * std::exp(-x[i] / 120.0) + 30.0 * std::sin(1.3 * i);
        w[i] = 1.0 / (0.01 * y[i] * 0.01 * y[i]);
    }
    for (int degree = 6; degree <= 14; ++degree) {
        SCOPED_TRACE(degree);
        const int n = degree + 1;
        double params[kMaxParams], cov[kMatrixSize] = {}, chi = -1;
        ResultCode rc = 0;
        FitPolynomial(N, x, y, w, n, params, cov, chi, rc);
        ASSERT_EQ(rc, 0);
        long double expectedChi = 0.0L;
        long double expectedFit[N];
        GramSchmidtFit(N, x, y, w, n, expectedChi, expectedFit);
        EXPECT_NEAR(chi, static_cast<double>(expectedChi), 1e-8 * static_cast<double>(expectedChi));
        for (int i = 0; i < N; ++i) {
            long double value = 0.0L;
            for (int k = n - 1; k >= 0; --k) value = value * x[i] + params[k];
            EXPECT_NEAR(static_cast<double>(value), static_cast<double>(expectedFit[i]),
                        1e-8 * y[i])
                << "dose " << x[i];
        }
        for (int k = 0; k < n; ++k) EXPECT_GT(cov[k * S + k], 0.0) << k;
    }
}

TEST(FitPolynomial, KnownErrorsNeedMorePointsThanParameters) {
    // Two points with known errors determine a line exactly but leave nothing to judge it by;
    // three points under a parabola are refused the same way.
    const double x[] = {0, 10, 20}, y[] = {5, 25, 44}, w[] = {0.25, 0.25, 0.25};
    for (int n : {2, 3}) {
        double params[3], cov[kMatrixSize] = {}, chi = 0;
        ResultCode rc = 0;
        FitPolynomial(n, x, y, w, n, params, cov, chi, rc);
        EXPECT_EQ(rc, kInsufficientErrorData) << n;
    }
}
