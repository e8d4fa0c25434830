#include "fitting/fit_decay.h"

#include <gtest/gtest.h>

#include <cmath>

#include "fitting/linear_solvers.h"

namespace {
constexpr int S = kMatrixStride;

double Decay(int n, const double* a, double x) {
    double value = a[0];
    for (int j = 1; j + 1 < n; j += 2) value += a[j] * std::exp(-a[j + 1] * x);
    return value;
}
}  // namespace

TEST(FitDecay, TwoExponentialsFromNearbyStart) {
    const double truth[] = {5.0, 100.0, 0.5, 50.0, 0.05};
    double x[40], y[40], w[40];
    for (int i = 0; i < 40; ++i) {
        x[i] = i;
        y[i] = Decay(5, truth, x[i]);
        w[i] = 0.5;
    }
    double params[kMaxParams] = {4.0, 90.0, 0.4, 60.0, 0.06};
    double cov[kMatrixSize] = {}, chi = -1;
    ResultCode rc = 0;
    FitDecay(40, x, y, w, 5, 50, params, cov, chi, rc);
    EXPECT_EQ(rc, 0);
    // The fit stops once chi-square changes by less than 0.1 twice.
    for (int j = 0; j < 5; ++j) EXPECT_NEAR(params[j], truth[j], 2e-2 * truth[j]) << j;
    EXPECT_LT(chi, 0.2);
}

TEST(FitDecay, CovarianceIsInverseCurvature) {
    const double truth[] = {10.0, 200.0, 0.2};
    double x[20], y[20], w[20];
    for (int i = 0; i < 20; ++i) {
        x[i] = i;
        y[i] = Decay(3, truth, x[i]) + ((i % 3) - 1) * 2.0;
        w[i] = 0.25;
    }
    double params[kMaxParams] = {12.0, 180.0, 0.25};
    double cov[kMatrixSize] = {}, chi = 0;
    ResultCode rc = 0;
    FitDecay(20, x, y, w, 3, 49, params, cov, chi, rc);
    ASSERT_EQ(rc, 0);
    double alpha[kMatrixSize] = {}, rhs[kMatrixSize] = {};
    for (int i = 0; i < 20; ++i) {
        const double e = std::exp(-params[2] * x[i]);
        const double g[] = {1.0, e, -x[i] * params[1] * e};
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c) alpha[r * S + c] += w[i] * g[r] * g[c];
        }
    }
    bool ok = false;
    GaussJordan(alpha, 3, rhs, 0, ok);
    ASSERT_TRUE(ok);
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_NEAR(cov[r * S + c], alpha[r * S + c], 1e-9 * std::fabs(alpha[r * S + c]));
        }
    }
}

TEST(FitDecay, SingularCurvatureFails) {
    // With a zero amplitude the exponent has no influence: its gradient column vanishes.
    double x[5] = {0, 1, 2, 3, 4}, y[5] = {1, 1, 1, 1, 1}, w[5] = {2, 2, 2, 2, 2};
    double params[kMaxParams] = {1.0, 0.0, 0.5};
    double cov[kMatrixSize] = {}, chi = 0;
    ResultCode rc = 0;
    FitDecay(5, x, y, w, 3, 49, params, cov, chi, rc);
    EXPECT_EQ(rc, kInitialFitFailed);
}

TEST(FitDecay, UserDefinedCodesHaveNoModel) {
    double x[2] = {0, 1}, y[2] = {1, 2}, w[2] = {1, 1};
    double params[kMaxParams] = {}, cov[kMatrixSize] = {}, chi = 0;
    ResultCode rc = 0;
    FitDecay(2, x, y, w, 1, 32, params, cov, chi, rc);
    EXPECT_EQ(rc, kUnknownFunctionType);
    rc = 0;
    FitDecay(2, x, y, w, 5, 49, params, cov, chi, rc);
    EXPECT_EQ(rc, kInvalidParameterCount);
}
