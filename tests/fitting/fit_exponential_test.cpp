#include "fitting/fit_exponential.h"

#include <gtest/gtest.h>

#include <cmath>

#include "fitting/linear_solvers.h"

namespace {

constexpr int S = kMatrixStride;

struct TData {
    int N = 0;
    double x[kPointCapacity] = {}, y[kPointCapacity] = {}, w[kPointCapacity] = {};
};

// Points on A1 + [A2 X +] Aa exp(-k X), weights w.
TData Curve(int n, const double* a, std::initializer_list<double> doses, double weight) {
    TData d;
    for (double dose : doses) {
        double value = a[0];
        if (n == 4) value += a[1] * dose;
        value += a[n - 2] * std::exp(-a[n - 1] * dose);
        d.x[d.N] = dose;
        d.y[d.N] = value;
        d.w[d.N] = weight;
        ++d.N;
    }
    return d;
}

}  // namespace

TEST(InitialExponent, CurvatureOfThreeGroups) {
    // For equally spaced points h apart on an exponential the three-group estimate is
    // (2 / h) tanh(k h / 2).
    const double a[] = {100, -80, 0.5};
    TData d = Curve(3, a, {0, 1, 2, 3}, 1.0);
    EXPECT_NEAR(InitialExponent(d.N, d.x, d.y), 2.0 * std::tanh(0.25), 1e-12);
    // Replicates at a dose form one group with its mean.
    TData r = Curve(3, a, {0, 0, 1, 2, 2}, 1.0);
    r.y[0] += 1.0;
    r.y[1] -= 1.0;
    EXPECT_NEAR(InitialExponent(r.N, r.x, r.y), 2.0 * std::tanh(0.25), 1e-12);
    // Two dose groups have no interior group.
    TData two = Curve(3, a, {0, 0, 5, 5}, 1.0);
    EXPECT_EQ(InitialExponent(two.N, two.x, two.y), 0.0);
}

TEST(FitExponential, SaturatingExponentialRecoversParameters) {
    const double a[] = {5000.0, -4800.0, 0.004};
    TData d = Curve(3, a, {0, 50, 100, 200, 400, 800, 1200}, 1e-4);
    double params[3], cov[kMatrixSize] = {}, chi = -1;
    std::string note;
    ResultCode rc = 0;
    FitExponential(d.N, d.x, d.y, d.w, 3, 8, params, cov, chi, note, rc);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(note, "");
    // Exact points: the polished exponent and the linear parameters are the true ones.
    EXPECT_NEAR(params[2], 0.004, 0.004 * 1e-10);
    EXPECT_NEAR(params[0], 5000.0, 5000.0 * 1e-10);
    EXPECT_NEAR(params[1], -4800.0, 4800.0 * 1e-10);
    EXPECT_LT(chi, 1e-12);
    // The inputs keep the caller's units.
    EXPECT_EQ(d.x[1], 50.0);
    EXPECT_EQ(d.w[0], 1e-4);
}

TEST(FitExponential, LinearPlusExponentialRecoversParameters) {
    const double a[] = {300.0, 2.0, -250.0, 0.02};
    TData d = Curve(4, a, {0, 10, 25, 50, 75, 100, 150, 200, 300}, 0.01);
    double params[4], cov[kMatrixSize] = {}, chi = -1;
    std::string note;
    ResultCode rc = 0;
    FitExponential(d.N, d.x, d.y, d.w, 4, 9, params, cov, chi, note, rc);
    EXPECT_EQ(rc, 0);
    EXPECT_NEAR(params[3], 0.02, 0.02 * 1e-10);
    EXPECT_NEAR(params[0], 300.0, 300.0 * 1e-10);
    EXPECT_NEAR(params[1], 2.0, 2.0 * 1e-10);
    EXPECT_NEAR(params[2], -250.0, 250.0 * 1e-10);
}

TEST(FitExponential, CovarianceIsInverseFisherMatrix) {
    // Noisy points: the covariance must equal the inverse of sum w g g^T at the solution,
    // computed here independently in double precision.
    const double a[] = {1000.0, -900.0, 0.01};
    TData d = Curve(3, a, {0, 20, 50, 100, 150, 250, 400}, 0.01);
    const double noise[] = {3, -5, 4, -2, 6, -4, 1};
    for (int i = 0; i < d.N; ++i) d.y[i] += noise[i];
    double p[3], cov[kMatrixSize] = {}, chi = 0;
    std::string note;
    ResultCode rc = 0;
    FitExponential(d.N, d.x, d.y, d.w, 3, 8, p, cov, chi, note, rc);
    ASSERT_EQ(rc, 0);
    double fisher[kMatrixSize] = {}, rhs[kMatrixSize] = {};
    double chiExpected = 0;
    for (int i = 0; i < d.N; ++i) {
        const double e = std::exp(-p[2] * d.x[i]);
        const double g[] = {1.0, e, -p[1] * d.x[i] * e};
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c) fisher[r * S + c] += d.w[i] * g[r] * g[c];
        }
        const double res = d.y[i] - p[0] - p[1] * e;
        chiExpected += d.w[i] * res * res;
    }
    bool ok = false;
    GaussJordan(fisher, 3, rhs, 0, ok);
    ASSERT_TRUE(ok);
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_NEAR(cov[r * S + c], fisher[r * S + c], 1e-9 * std::fabs(fisher[r * S + c]))
                << r << c;
        }
    }
    EXPECT_NEAR(chi, chiExpected, 1e-9 * chiExpected);
}

TEST(FitExponential, NoStartingExponentStartsFromFour) {
    // Doses 5 apart with a steep exponent: every three-group estimate exceeds 20 in the
    // working units (doses / 100), so the search starts from 4 and still finds 0.5.
    const double a[] = {100.0, -100.0, 0.5};
    TData d = Curve(3, a, {0, 5, 10, 15, 20, 30}, 1.0 / 4.0);
    double params[3], cov[kMatrixSize] = {}, chi = 0;
    std::string note;
    ResultCode rc = 0;
    FitExponential(d.N, d.x, d.y, d.w, 3, 8, params, cov, chi, note, rc);
    EXPECT_EQ(rc, kInitialFitWarning);
    EXPECT_NEAR(params[2], 0.5, 0.5e-10);
    EXPECT_NEAR(params[0], 100.0, 100.0 * 1e-10);
}

TEST(FitExponential, UnknownErrorsWithTooFewPoints) {
    const double a[] = {100.0, -100.0, 0.01};
    TData d = Curve(3, a, {0, 100, 200}, 1.0);
    double params[3], cov[kMatrixSize] = {}, chi = 0;
    std::string note;
    ResultCode rc = 0;
    FitExponential(d.N, d.x, d.y, d.w, 3, 8, params, cov, chi, note, rc);
    EXPECT_EQ(rc, kInsufficientErrorData);
}

TEST(FitExponential, WrongCodeOrCount) {
    TData d;
    double params[4], cov[kMatrixSize], chi;
    std::string note;
    ResultCode rc = 0;
    FitExponential(3, d.x, d.y, d.w, 4, 8, params, cov, chi, note, rc);
    EXPECT_EQ(rc, kInvalidParameterCount);
    rc = 0;
    FitExponential(3, d.x, d.y, d.w, 3, 2, params, cov, chi, note, rc);
    EXPECT_EQ(rc, kUnknownFunctionType);
}
