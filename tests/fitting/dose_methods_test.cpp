// The dose methods that solve fitted curves directly: additive, total and partial bleach,
// regenerative, linear first/second glow and alpha efficiency. Expected doses are the
// closed-form intercepts of the curves the points lie on (or of the closed-form weighted
// straight-line fit for scattered points).
#include <gtest/gtest.h>

#include <cmath>

#include "fitting/dose_support.h"
#include "fitting/dose_test_points.h"

namespace {

// Scattered points near 100 + 10 D; the weighted line through them (errors 2) has
// A1 = 100.6, A2 = 9.97 and the closed-form covariance 4 (X^T X)^-1.
const TPointSet kAdditive = MakePoints({0, 10, 20, 30, 40}, {100, 202, 298, 401, 499}, 2.0);
const TPointSet kNone;

double SaturatingRise(double d) {
    return 1000.0 - 800.0 * std::exp(-0.005 * d);
}

// ---- Results against closed forms ----

struct TDoseCase {
    const char* Name;
    int Method;
    ErrorModel Model;
    FunctionCode Code;
    TPointSet Set1;
    TPointSet Set2;
    double ED;
    double EDError;    // < 0: not checked
    double Tolerance;  // relative
};

class DoseResults : public ::testing::TestWithParam<TDoseCase> {};

TEST_P(DoseResults, MatchTheClosedForm) {
    const TDoseCase& c = GetParam();
    const FunctionCode code2 = c.Method == 2 ? 63 : c.Code;
    TDoseRun run = RunDose(c.Method, c.Model, c.Code, code2, c.Set1, c.Set2);
    ASSERT_EQ(run.Code, kResultOk) << run.Note;
    EXPECT_EQ(run.Note, "");
    EXPECT_NEAR(run.Fit.ED, c.ED, c.Tolerance * std::fabs(c.ED) + 1e-9);
    if (c.EDError >= 0.0) {
        EXPECT_NEAR(run.Fit.EDError, c.EDError, c.Tolerance * c.EDError + 1e-9);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DoseResults,
    ::testing::Values(
        // Intercept of the weighted line: A1/A2, error sqrt(C00 + 2X C01 + X^2 C11)/A2.
        TDoseCase{"AdditiveLine", 2, 1, 1, kAdditive, kNone, 10.090270812437309,
                  0.21091106279615537, 1e-9},
        TDoseCase{"AdditiveDegreeOnePolynomial", 2, 1, 17, kAdditive, kNone, 10.090270812437309,
                  0.21091106279615537, 1e-9},
        // Bleached level: weighted mean 52 with error sqrt(1/sum w) = sqrt(2).
        TDoseCase{"TotalBleachLine", 3, 1, 1, kAdditive, MakePoints({0, 0}, {50, 54}, 2.0),
                  4.874623871614842, 0.23036450623810686, 1e-9},
        // Points on 100 + 10 D + 0.05 D^2 reach 0 at D = (sqrt(80) - 10)/0.1.
        TDoseCase{
            "AdditiveQuadratic", 2, 0, 2,
            PointsOf([](double d) { return 100 + 10 * d + 0.05 * d * d; }, {0, 10, 20, 30, 40, 50}),
            kNone, 10.557280900008408, -1, 1e-7},
        // (D + 10)(0.001 D^2 + 0.05 D + 10): the only real root is -10.
        TDoseCase{"AdditiveCubic", 2, 0, 4,
                  PointsOf([](double d) { return (d + 10) * (0.001 * d * d + 0.05 * d + 10); },
                           {0, 10, 20, 30, 40, 50, 60}),
                  kNone, 10.0, -1, 1e-6},
        // 1000 - 800 exp(-0.005 D) is 0 at D = -ln(1.25)/0.005; the exponent search stops
        // at 0.1 % of the exponent.
        TDoseCase{"AdditiveSaturatingExponential", 2, 0, 8,
                  PointsOf(SaturatingRise, {0, 50, 100, 200, 400, 800}), kNone, 44.62871026284195,
                  -1, 2e-3},
        // 150 + 0.5 D - 50 exp(-0.01 D) = 0 at D = -79.205996843 (bisection by hand).
        TDoseCase{"AdditiveExponentialPlusLine", 2, 0, 9,
                  PointsOf([](double d) { return 150 + 0.5 * d - 50 * std::exp(-0.01 * d); },
                           {0, 25, 50, 100, 200, 300, 400}),
                  kNone, 79.20599684306772, -1, 5e-3},
        // Natural 300 +- 10 (model 0: pooled scatter widened by the Student factor 1.386)
        // on the weighted line through scattered regenerated points.
        TDoseCase{"RegenerativeLine", 5, 0, 1, MakePoints({0, 0, 0}, {300, 310, 290}),
                  MakePoints({0, 10, 20, 30, 40}, {100, 201, 299, 402, 498}), 20.000000000000004,
                  1.0152369972613302, 1e-9},
        TDoseCase{
            "RegenerativeQuadratic", 5, 0, 2, MakePoints({0}, {400}),
            PointsOf([](double d) { return 100 + 10 * d + 0.05 * d * d; }, {0, 10, 20, 30, 40, 50}),
            26.49110640673518, -1, 1e-7},
        // The cubic above reaches 342 at D = 20.
        TDoseCase{"RegenerativeCubic", 5, 0, 4, MakePoints({0}, {342}),
                  PointsOf([](double d) { return (d + 10) * (0.001 * d * d + 0.05 * d + 10); },
                           {0, 10, 20, 30, 40, 50, 60}),
                  20.0, -1, 1e-6},
        // Half-way to saturation: D = ln 2 / 0.005.
        TDoseCase{"RegenerativeSaturatingExponential", 5, 0, 8, MakePoints({0}, {600}),
                  PointsOf(SaturatingRise, {0, 50, 100, 200, 400, 800}), 138.62943611198907, -1,
                  2e-3},
        // 100 + 0.5 D - 100 exp(-0.01 D) at D = 100 is 150 - 100/e.
        TDoseCase{"RegenerativeExponentialPlusLine", 5, 0, 9, MakePoints({0}, {113.21205588285576}),
                  PointsOf([](double d) { return 100 + 0.5 * d - 100 * std::exp(-0.01 * d); },
                           {0, 25, 50, 100, 200, 300, 400}),
                  100.0, -1, 5e-3},
        // 100 + 10 D and 20 + 8 D cross at D = -40 (bisection to 0.1 %). The points scatter by
        // +1, -1, 0, 0, -1, +1, which sums to 0 with and without the dose as weight: the fitted
        // lines stay exact, and their errors are defined.
        TDoseCase{"PartialBleachLines", 4, 0, 1,
                  MakePoints({0, 20, 40, 60, 80, 100}, {101, 299, 500, 700, 899, 1101}),
                  MakePoints({0, 20, 40, 60, 80, 100}, {21, 179, 340, 500, 659, 821}), 40.0, -1,
                  2e-3},
        // Second-glow intercept minus first-glow intercept of two weighted lines.
        TDoseCase{"CeramicLines", 7, 1, 1, kAdditive,
                  MakePoints({0, 10, 20, 30, 40}, {20, 61, 99, 141, 180}, 2.0), 5.040270812437309,
                  0.5013572592571127, 1e-9},
        // Slopes 26 and 10: a = 26 / (13 x 10); relative error from C11 = 4 x 5 / 2000 of each.
        TDoseCase{"AlphaLines", 10, 1, 1,
                  PointsOf([](double d) { return 10 + 10 * d; }, {0, 10, 20, 30}, 2.0),
                  PointsOf([](double d) { return 5 + 26 * d; }, {0, 10, 20, 30}, 2.0), 0.2,
                  0.0019166044926027617, 1e-6},
        // Intercept doses 44.63 and ln 2 / 0.01: a = X1 / (13 X2).
        TDoseCase{"AlphaSaturatingExponentials", 10, 0, 8,
                  PointsOf(SaturatingRise, {0, 50, 100, 200, 400, 800}),
                  PointsOf([](double d) { return 500 - 250 * std::exp(-0.01 * d); },
                           {0, 25, 50, 100, 200, 400}),
                  0.049527399213440355, -1, 4e-3}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(DoseMethods, TotalBleachAtTheNaturalSignalGivesZero) {
    TDoseRun run = RunDose(3, 1, 1, 1, kAdditive, MakePoints({0}, {100.6}, 2.0));
    ASSERT_EQ(run.Code, kResultOk) << run.Note;
    EXPECT_NEAR(run.Fit.ED, 0.0, 1e-9);
}

TEST(DoseMethods, AdditiveLineThroughExactPoints) {
    // Exact points of 100 + 10 D: the intercept lies at D = -10, so the dose is 10. A perfect
    // fit has R2 = 1 and is no failure. The error comes from the given errors (2, weights
    // 1/4): sum w = 1, sum w x = 15, sum w x^2 = 350, so C00 = 2.8, C01 = -0.12, C11 = 0.008
    // and var = C00 + 2 X C01 + X^2 C11 = 6 at X = -10; EDError = sqrt(6) / 10.
    TDoseRun run =
        RunDose(2, 1, 1, 63, MakePoints({0, 10, 20, 30}, {100, 200, 300, 400}, 2.0), kNone);
    ASSERT_EQ(run.Code, kResultOk) << run.Note;
    EXPECT_EQ(run.Note, "");
    EXPECT_NEAR(run.Fit.ED, 10.0, 1e-9);
    EXPECT_NEAR(run.Fit.EDError, std::sqrt(6.0) / 10.0, 1e-9);
}

// ---- Notes and result codes ----

struct TNoteCase {
    const char* Name;
    int Method;
    ErrorModel Model;
    FunctionCode Code1;
    FunctionCode Code2;
    TPointSet Set1;
    TPointSet Set2;
    ResultCode Code;
    const char* Note;
};

class DoseNotes : public ::testing::TestWithParam<TNoteCase> {};

TEST_P(DoseNotes, AppendOnePhrase) {
    const TNoteCase& c = GetParam();
    TDoseRun run = RunDose(c.Method, c.Model, c.Code1, c.Code2, c.Set1, c.Set2);
    EXPECT_EQ(run.Code, c.Code);
    EXPECT_EQ(run.Note, c.Note);
}

const TPointSet kFalling =
    PointsOf([](double d) { return 500 - 10 * d + (d == 20 ? 3 : 0); }, {0, 10, 20, 30, 40});
const TPointSet kSaturating = PointsOf(SaturatingRise, {0, 50, 100, 200, 400, 800});
const TPointSet kDecaying =
    PointsOf([](double d) { return 200 + 800 * std::exp(-0.005 * d); }, {0, 50, 100, 200, 400});
const TPointSet kNegativeSaturating =
    PointsOf([](double d) { return -100 - 200 * std::exp(-0.01 * d); }, {0, 50, 100, 200, 400});

INSTANTIATE_TEST_SUITE_P(
    Cases, DoseNotes,
    ::testing::Values(
        TNoteCase{"AdditiveLineFalling", 2, 0, 1, 63, kFalling, kNone, kIllConditioned,
                  "function not increasing; "},
        // 100 + 10 D + D^2 has no real root.
        TNoteCase{
            "AdditiveQuadraticNoRealRoot", 2, 0, 2, 63,
            PointsOf([](double d) { return 100 + 10 * d + 1.0 * d * d; }, {0, 10, 20, 30, 40}),
            kNone, kIllConditioned, "solution doesn't exist; "},
        TNoteCase{"AdditiveCubicNegativeAtZero", 2, 0, 4, 63,
                  PointsOf([](double d) { return -5 + d + 0.01 * d * d + 0.001 * d * d * d; },
                           {0, 10, 20, 30, 40, 50}),
                  kNone, kIllConditioned, "function is negative or not increasing at 0; "},
        // 100 + D - 1e-4 D^3 has its only real root near D = 104.
        TNoteCase{"AdditiveCubicNoNegativeRoot", 2, 0, 4, 63,
                  PointsOf([](double d) { return 100 + d - 1e-4 * d * d * d; },
                           {0, 10, 20, 30, 40, 50, 60}),
                  kNone, kIllConditioned, "no acceptable double solutions; "},
        TNoteCase{"AdditiveExponentialFalling", 2, 0, 8, 63, kDecaying, kNone, kIllConditioned,
                  "function not increasing; "},
        TNoteCase{"AdditiveExponentialBelowZero", 2, 0, 8, 63, kNegativeSaturating, kNone,
                  kIllConditioned, "solution doesn't exist; "},
        TNoteCase{"AdditiveExponentialPlusLineFalling", 2, 0, 9, 63,
                  PointsOf([](double d) { return 300 - 0.2 * d + 100 * std::exp(-0.01 * d); },
                           {0, 25, 50, 100, 200, 300}),
                  kNone, kIllConditioned, "function is negative or not increasing at 0; "},
        TNoteCase{"RegenerativeLineFalling", 5, 0, 1, 1, MakePoints({0}, {300}), kFalling,
                  kIllConditioned, "function not increasing; "},
        // 100 + 10 D - 0.5 D^2 never reaches 200.
        TNoteCase{"RegenerativeQuadraticTooHigh", 5, 0, 2, 2, MakePoints({0}, {200}),
                  PointsOf([](double d) { return 100 + 10 * d - 0.5 * d * d; }, {0, 4, 8, 12, 16}),
                  kIllConditioned, "problem has no solution; "},
        // The cubic stays below 50 for D >= 0: its only real root lies below zero.
        TNoteCase{"RegenerativeCubicNoRootAboveZero", 5, 0, 4, 4, MakePoints({0}, {50}),
                  PointsOf([](double d) { return (d + 10) * (0.001 * d * d + 0.05 * d + 10); },
                           {0, 10, 20, 30, 40, 50, 60}),
                  kIllConditioned, "no accaptable double solutions; "},
        TNoteCase{"RegenerativeAbovePlateau", 5, 0, 8, 8, MakePoints({0}, {1100}), kSaturating,
                  kIllConditioned, "solution doesn't exist; "},
        // Natural signal far above a growth that ends at 3 x the largest dose.
        TNoteCase{"RegenerativeExponentialPlusLineOutOfRange", 5, 0, 9, 9, MakePoints({0}, {1e6}),
                  PointsOf([](double d) { return 100 + 0.5 * d - 100 * std::exp(-0.01 * d); },
                           {0, 25, 50, 100, 200, 300, 400}),
                  kIllConditioned, "no roots in expected range; "},
        TNoteCase{
            "PartialBleachNegativeAtZero", 4, 0, 1, 1,
            PointsOf([](double d) { return 100 + 10 * d; }, {0, 20, 40, 60, 80}),
            PointsOf([](double d) { return -10 + 5 * d + (d == 40 ? 1 : 0); }, {0, 20, 40, 60, 80}),
            kIllConditioned, "function is negative or not increasing at 0; "},
        // Identical curves meet everywhere, with equal slopes.
        TNoteCase{"PartialBleachSameCurve", 4, 0, 1, 1, kAdditive, kAdditive, kIllConditioned,
                  "functions not increasing at intercept; "},
        // Parallel lines never cross: a surviving warning, no note.
        TNoteCase{
            "PartialBleachParallel", 4, 0, 1, 1,
            PointsOf([](double d) { return 100 + 10 * d + (d == 20 ? 2 : 0); },
                     {0, 10, 20, 30, 40}),
            PointsOf([](double d) { return 50 + 10 * d + (d == 20 ? 2 : 0); }, {0, 10, 20, 30, 40}),
            kRootFindingWarning, ""},
        TNoteCase{"CeramicFalling", 7, 0, 1, 1, kAdditive, kFalling, kIllConditioned,
                  "function not increasing; "},
        TNoteCase{"AlphaLineFalling", 10, 0, 1, 1, kAdditive, kFalling, kIllConditioned,
                  "solution doesn't exist; "},
        TNoteCase{"AlphaExponentialFalling", 10, 0, 8, 8, kSaturating, kDecaying, kIllConditioned,
                  "function not increasing or not saturating; "},
        TNoteCase{"AlphaExponentialBelowZero", 10, 0, 8, 8, kSaturating, kNegativeSaturating,
                  kIllConditioned, "solution doesn't exist; "}),
    [](const auto& info) { return std::string(info.param.Name); });

// Widening for the crossing of the partial-bleach curves.
struct TWideningProbe {
    double Offset = 0.0;
    int Calls = 0;
};

double OffsetLine(double x, void* context, ResultCode&) {
    auto* probe = static_cast<TWideningProbe*>(context);
    ++probe->Calls;
    return x + probe->Offset;
}

double Constant(double, void* context, ResultCode&) {
    ++static_cast<TWideningProbe*>(context)->Calls;
    return 5.0;
}

TEST(PartialBleachWidening, DoublesThenGrowsBothEndsUntilTheSignChanges) {
    // x + 40 from [-10, 0]: [-20, 10], [-32, 16], [-51.2, 25.6], where the sign changes.
    TWideningProbe probe{40.0};
    ResultCode code = kResultOk;
    double a = -10.0;
    double b = 0.0;
    EXPECT_TRUE(WidenToCrossing(OffsetLine, &probe, code, a, b, 100.0));
    EXPECT_DOUBLE_EQ(a, -51.2);
    EXPECT_DOUBLE_EQ(b, 25.6);
    EXPECT_EQ(code, kResultOk);
}

TEST(PartialBleachWidening, StopsAtTheLargestDose) {
    TWideningProbe probe{400.0};
    ResultCode code = kResultOk;
    double a = -10.0;
    double b = 0.0;
    EXPECT_FALSE(WidenToCrossing(OffsetLine, &probe, code, a, b, 40.0));
    EXPECT_DOUBLE_EQ(a, -51.2);  // the first |a| at or beyond 40
}

TEST(PartialBleachWidening, AnInterceptAtZeroGivesUpAfterAHundredWidenings) {
    // a = 0 never grows, so only the bound on the widenings ends the search.
    TWideningProbe probe;
    ResultCode code = kResultOk;
    double a = 0.0;
    double b = 0.0;
    EXPECT_FALSE(WidenToCrossing(Constant, &probe, code, a, b, 40.0));
    EXPECT_LE(probe.Calls, 3 + 2 * 100);
    EXPECT_EQ(code, kResultOk);
}

}  // namespace
