#include "fitting/fit_polynomial.h"

#include <gtest/gtest.h>

#include <cmath>

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
