// The solve steps of the additive and regenerative methods on curves given by their
// parameters, for the conditions a least-squares fit cannot be steered into.
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <string>

#include "fitting/dose_methods.h"

namespace {

// A dose computation whose fitted curves are set by hand.
struct THandCurve {
    TPointSet Set1;
    TPointSet Set2;
    TFitRecord Fit;
    std::string Note;
    ResultCode Code = 0;
    TDoseWork Work{0, 1, 0, 0, Set1, Set2, Fit, Note, Code};

    THandCurve(int method, FunctionCode code, const double* params, int n) {
        Work.Method = method;
        Work.Code1 = Work.Code2 = code;
        Fit.NParams1 = Fit.NParams2 = n;
        for (int j = 0; j < n; ++j) Fit.Params1[j] = Fit.Params2[j] = params[j];
    }
    THandCurve(int method, FunctionCode code, std::initializer_list<double> params)
        : THandCurve(method, code, params.begin(), static_cast<int>(params.size())) {}
};

TEST(DoseSolve, AdditivePolynomialPassesOverADoubleRoot) {
    // (x + 10)^2 (x + 30) = x^3 + 50 x^2 + 700 x + 3000: the double root at -10 does not
    // cross zero, the simple root at -30 does.
    THandCurve c(2, 4, {3000, 700, 50, 1});
    SolveBelowZero(c.Work, 0.0, 0.0);
    EXPECT_EQ(c.Code, kResultOk) << c.Note;
    EXPECT_NEAR(c.Fit.ED, 30.0, 1e-6);
    // Slope (x + 10)(3x + 70) = 400 at -30; no covariance, so only the level error counts.
    THandCurve withLevelError(2, 4, {3000, 700, 50, 1});
    SolveBelowZero(withLevelError.Work, 0.0, 8.0);
    EXPECT_NEAR(withLevelError.Fit.EDError, 8.0 / 400.0, 1e-9);
}

TEST(DoseSolve, AdditiveLineErrorCombinesCurveAndLevel) {
    // 100 + 10 x with C00 = 4, C01 = -0.1, C11 = 0.01 at the level 50: x = -5,
    // sF^2 = 4 + 1 + 0.25 = 5.25, level error 2: EDError = sqrt(9.25)/10.
    THandCurve c(3, 1, {100, 10});
    c.Fit.Cov1[0] = 4.0;
    c.Fit.Cov1[1] = c.Fit.Cov1[15] = -0.1;
    c.Fit.Cov1[16] = 0.01;
    SolveBelowZero(c.Work, 50.0, 2.0);
    EXPECT_EQ(c.Code, kResultOk);
    EXPECT_DOUBLE_EQ(c.Fit.ED, 5.0);
    EXPECT_DOUBLE_EQ(c.Fit.EDError, std::sqrt(9.25) / 10.0);
}

TEST(DoseSolve, AdditiveLineWithANegativeVarianceIsACovarianceFailure) {
    THandCurve c(2, 1, {100, 10});
    c.Fit.Cov1[0] = -1.0;
    SolveBelowZero(c.Work, 0.0, 0.0);
    EXPECT_EQ(c.Code, kInvalidCovariance);
    EXPECT_EQ(c.Note, "");
}

struct THandCase {
    const char* Name;
    bool Additive;
    FunctionCode Code;
    int N;
    double Params[4];
    double Level;
    double CovarianceDiagonal;
    const char* Note;
};

class DoseSolveNotes : public ::testing::TestWithParam<THandCase> {};

TEST_P(DoseSolveNotes, AppendThePhrase) {
    const THandCase& h = GetParam();
    THandCurve c(h.Additive ? 2 : 5, h.Code, h.Params, h.N);
    for (int j = 0; j < c.Fit.NParams1; ++j)
        c.Fit.Cov1[j * 16] = c.Fit.Cov2[j * 16] = h.CovarianceDiagonal;
    if (h.Additive) {
        SolveBelowZero(c.Work, h.Level, 0.0);
    } else {
        SolveAboveZero(c.Work, h.Level, 0.0);
    }
    EXPECT_EQ(c.Code, kIllConditioned);
    EXPECT_EQ(c.Note, h.Note);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DoseSolveNotes,
    ::testing::Values(
        THandCase{"AdditiveConstant", true, 16, 1, {5}, 0, 0, "function is constant; "},
        THandCase{"RegenerativeConstant", false, 16, 1, {5}, 10, 0, "constant function; "},
        // A flat exponential or one without decay constant has no dose.
        THandCase{"RegenerativeFlatExponential",
                  false,
                  8,
                  3,
                  {1000, 0, 0.005},
                  500,
                  0,
                  "solution doesn't exist; "},
        THandCase{"RegenerativeExponentialWithoutDecay",
                  false,
                  8,
                  3,
                  {1000, -800, 0},
                  500,
                  0,
                  "solution doesn't exist; "},
        // sF at x = ln 2 / 0.005 is far above 1e5 and above 10 |x|.
        THandCase{"RegenerativeErrorTooBig",
                  false,
                  8,
                  3,
                  {1000, -800, 0.005},
                  600,
                  1e12,
                  "error too big or can't be computed; "},
        // Slope A2 A3 exp(-A3 x) = 1e-30 x 1e-300 x 0.5 underflows to 0 at the solution.
        THandCase{"RegenerativeZeroSlope",
                  false,
                  8,
                  3,
                  {0, -1e-30, 1e-300},
                  -0.5e-30,
                  0,
                  "can't compute error; "},
        THandCase{"RegenerativeQuadraticFalling",
                  false,
                  2,
                  3,
                  {100, -1, 0},
                  200,
                  0,
                  "function not increasing; "},
        THandCase{"AdditiveQuadraticFalling",
                  true,
                  2,
                  3,
                  {100, -1, 0},
                  50,
                  0,
                  "function not increasing; "},
        // x^2 + 20 x + 100 = (x + 10)^2: discriminant 0, below 1e-10.
        THandCase{"AdditiveQuadraticTouching",
                  true,
                  2,
                  3,
                  {100, 20, 1},
                  0,
                  0,
                  "solution doesn't exist; "},
        // A cubic without cubic term, (x + 10)^2: its real roots touch zero without crossing.
        THandCase{"AdditiveCubicTouching", true, 4, 4, {100, 20, 1, 0}, 0, 0, "not double root; "},
        THandCase{"AdditiveExponentialWithoutDecay",
                  true,
                  8,
                  3,
                  {1000, -800, 0},
                  0,
                  0,
                  "function not increasing; "}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
