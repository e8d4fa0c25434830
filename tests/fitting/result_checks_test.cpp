// A dose is "O.K." only when its error is defined: finite positive parameter variances, a
// finite positive dose error, and a curve that rises significantly (3 standard errors) over
// the measured doses. Results that fail keep their numbers with a warning code.
#include "fitting/result_checks.h"

#include <gtest/gtest.h>

#include <cmath>

#include "dose_test_points.h"
#include "fitting/dose_methods.h"
#include "fitting/result_codes.h"

TEST(FittedRise, LineAndSaturatingExponentialAgainstClosedForms) {
    // A line: the rise is A2 (to - from), its error sqrt(C11) (to - from).
    double line[kMaxParams] = {5.0, 2.0};
    double lineCov[kMatrixSize] = {};
    lineCov[0] = 4.0;
    lineCov[1] = lineCov[kMatrixStride] = -0.5;
    lineCov[kMatrixStride + 1] = 0.25;
    const TFittedRise r = FittedRise(kLinearFunction, 2, line, lineCov, 10.0, 30.0);
    EXPECT_NEAR(r.Rise, 40.0, 1e-9);
    EXPECT_NEAR(r.Sigma, 0.5 * 20.0, 1e-6);

    // A1 + A2 exp(-A3 x): the gradient of F(t) - F(f) by (A1, A2, A3) is
    // (0, e^-A3t - e^-A3f, -A2 (t e^-A3t - f e^-A3f)).
    const double a1 = 100, a2 = -90, a3 = 0.02, from = 0, to = 80;
    double exp3[kMaxParams] = {a1, a2, a3};
    double cov[kMatrixSize] = {};
    const double variances[3] = {9.0, 16.0, 1e-6};
    for (int i = 0; i < 3; ++i) cov[i * kMatrixStride + i] = variances[i];
    cov[1 * kMatrixStride + 2] = cov[2 * kMatrixStride + 1] = 2e-3;
    const double et = std::exp(-a3 * to), ef = std::exp(-a3 * from);
    const double g[3] = {0.0, et - ef, -a2 * (to * et - from * ef)};
    double variance = 0;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) variance += g[i] * cov[i * kMatrixStride + j] * g[j];
    const TFittedRise e = FittedRise(kSaturatingExponential, 3, exp3, cov, from, to);
    EXPECT_NEAR(e.Rise, a2 * (et - ef), 1e-9);
    EXPECT_NEAR(e.Sigma, std::sqrt(variance), 1e-6 * std::sqrt(variance));

    // Significance: 3 standard errors; a falling curve never grows.
    EXPECT_TRUE(RiseIsSignificant({30.0, 10.0}));
    EXPECT_FALSE(RiseIsSignificant({29.9, 10.0}));
    EXPECT_FALSE(RiseIsSignificant({-40.0, 1.0}));
    EXPECT_TRUE(RiseIsSignificant({1.0, 0.0}));
    EXPECT_FALSE(RiseIsSignificant({1.0, std::nan("")}));
}

TEST(DefinedResults, OnlyDefinedErrorsAreOk) {
    struct Case {
        const char* what;
        int method;
        ErrorModel model;
        FunctionCode code;
        TPointSet set1, set2;
        ResultCode expected;
        double ed;  // the dose (not checked where the curve does not grow)
    };
    const Case cases[] = {
        // Two replicated levels exactly on 10 per Gy: no scatter, so the scaled covariance
        // is 0 and the error undefined ("3 +- 0; O.K." before).
        {"two exact levels", dmRegenerative, kEqualErrors, kLinearFunction,
         MakePoints({0, 0}, {30, 30}), MakePoints({10, 10, 20, 20}, {100, 100, 200, 200}),
         kCovarianceWarning, 3.0},
        // Noise around a flat line (slope 0.07 +- 0.16): no dose can be read from it.
        {"noise only", dmRegenerative, kArbitraryErrors, kLinearFunction,
         MakePoints({0}, {100}, 5.0), MakePoints({0, 10, 20, 30, 40}, {97, 103, 98, 102, 101}, 5.0),
         kNoSignificantGrowth, 0.0},
        // A clear line: 100 + 10 D with errors of 5 (slope 10 +- 0.16).
        {"growing", dmRegenerative, kArbitraryErrors, kLinearFunction,
         MakePoints({0}, {250}, 5.0), MakePoints({0, 10, 20, 30, 40}, {100, 200, 300, 400, 500}, 5.0),
         kResultOk, 15.0},
        // A natural below the curve's start: a negative dose, still a result (young samples).
        {"negative dose", dmRegenerative, kArbitraryErrors, kLinearFunction,
         MakePoints({0}, {50}, 5.0), MakePoints({0, 10, 20, 30, 40}, {100, 200, 300, 400, 500}, 5.0),
         kResultOk, -5.0},
        // Additive on noise.
        {"additive noise", dmAdditive, kArbitraryErrors, kLinearFunction,
         MakePoints({0, 10, 20, 30, 40}, {97, 103, 98, 102, 101}, 5.0), TPointSet{},
         kNoSignificantGrowth, 0.0},
    };
    for (const Case& c : cases) {
        const TDoseRun run = RunDose(c.method, c.model, c.code, c.code, c.set1, c.set2);
        EXPECT_EQ(run.Code, c.expected) << c.what << ": " << run.Note;
        EXPECT_EQ(run.Fit.ResultCode, c.expected) << c.what;
        if (c.expected != kNoSignificantGrowth) EXPECT_NEAR(run.Fit.ED, c.ed, 1e-6) << c.what;
        EXPECT_TRUE(std::isfinite(run.Fit.ED)) << c.what;
        if (c.expected == kResultOk) EXPECT_GT(run.Fit.EDError, 0.0) << c.what;
    }
}

TEST(DefinedResults, NewWarningCodesHaveMessages) {
    for (ResultCode code : {kDoseErrorUndefined, kNoSignificantGrowth, kTestDoseMissing}) {
        EXPECT_TRUE(IsWarning(code)) << code;
        EXPECT_FALSE(IsFatal(code)) << code;
        std::string text;
        ResultMessage(code, text);
        EXPECT_EQ(text.rfind("Warning: ", 0), 0u) << code;
    }
}
