#include "fitting/growth_functions.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr int S = kMatrixStride;

double Evaluate(FunctionCode code, int n, const double* params, double x, ResultCode& rc) {
    std::string note;
    double s1, s2;
    return EvaluateFit(code, n, params, false, note, rc, x, s1, s2, nullptr);
}

}  // namespace

TEST(EvaluateFit, ValuesOfAllKinds) {
    const double e1 = std::exp(-1.0);
    const struct {
        FunctionCode code;
        int n;
        double params[7];
        double x;
        double value;
    } cases[] = {
        {1, 2, {3, 2}, 4.0, 11.0},
        {17, 2, {3, 2}, 4.0, 11.0},
        {2, 3, {1, 2, 3}, 2.0, 17.0},
        {4, 4, {1, 2, 3, 4}, 2.0, 49.0},
        {16, 1, {7}, 5.0, 7.0},
        {20, 5, {1, 1, 1, 1, 1}, 2.0, 31.0},
        {8, 3, {10, -8, 0.5}, 2.0, 10.0 - 8.0 * e1},
        {9, 4, {10, 3, -8, 0.5}, 2.0, 16.0 - 8.0 * e1},
        {10, 5, {1, 2, 3, -8, 0.5}, 2.0, 17.0 - 8.0 * e1},
        {48, 1, {4}, 9.0, 4.0},
        {50, 5, {5, 100, 0.5, 50, 0.25}, 2.0, 5.0 + 100.0 * e1 + 50.0 * std::exp(-0.5)},
        {32, 1, {4}, 9.0, 0.0},
        {46, 15, {1, 1, 1, 1, 1, 1, 1}, 9.0, 0.0},
    };
    for (const auto& c : cases) {
        ResultCode rc = 0;
        double params[kMaxParams] = {};
        for (int i = 0; i < 7; ++i) params[i] = c.params[i];
        EXPECT_NEAR(Evaluate(c.code, c.n, params, c.x, rc), c.value, 1e-12) << c.code;
        EXPECT_EQ(rc, 0) << c.code;
    }
}

TEST(EvaluateFit, StandardErrorFromGradientAndCovariance) {
    // Quadratic at x = 2: g = (1, 2, 4); g^T C g with C = [[1, .1, 0], [.1, .25, 0], [0, 0, .01]]
    // = 1 + 2 * 2 * 0.1 + 4 * 0.25 + 16 * 0.01 = 2.56.
    double cov[kMatrixSize] = {};
    cov[0] = 1.0;
    cov[1] = cov[S] = 0.1;
    cov[S + 1] = 0.25;
    cov[2 * S + 2] = 0.01;
    const double params[] = {1, 2, 3};
    std::string note = "old";
    ResultCode rc = 0;
    double s1 = 0, s2 = 0;
    EXPECT_DOUBLE_EQ(EvaluateFit(2, 3, params, true, note, rc, 2.0, s1, s2, cov), 17.0);
    EXPECT_NEAR(s1, 1.6, 1e-14);
    EXPECT_EQ(s1, s2);
    EXPECT_EQ(note, "");
    // Saturating exponential with unit covariance: g = (1, e^-1, -x A2 e^-1) = (1, e^-1, 16 e^-1).
    double unit[kMatrixSize] = {};
    for (int i = 0; i < 3; ++i) unit[i * S + i] = 1.0;
    const double sat[] = {10, -8, 0.5};
    const double e1 = std::exp(-1.0);
    EvaluateFit(8, 3, sat, true, note, rc, 2.0, s1, s2, unit);
    EXPECT_NEAR(s1, std::sqrt(1.0 + e1 * e1 + 256.0 * e1 * e1), 1e-12);
    // Without error both sigmas are 0.
    EvaluateFit(8, 3, sat, false, note, rc, 2.0, s1, s2, unit);
    EXPECT_EQ(s1, 0.0);
    EXPECT_EQ(s2, 0.0);
    EXPECT_EQ(rc, 0);
}

TEST(EvaluateFit, Failures) {
    const double params[kMaxParams] = {1, 2, 3};
    ResultCode rc = 0;
    EXPECT_EQ(Evaluate(1, 3, params, 1.0, rc), 0.0);
    EXPECT_EQ(rc, kInvalidParameterCount);
    for (FunctionCode code : {0, 3, 31, 47, 56, 62, 63}) {
        rc = 0;
        EXPECT_EQ(Evaluate(code, 2, params, 1.0, rc), 0.0) << code;
        EXPECT_EQ(rc, kUnknownFunctionType) << code;
    }
    // A negative variance beyond rounding.
    double cov[kMatrixSize] = {};
    cov[0] = -1.0;
    std::string note;
    double s1 = 1, s2 = 1;
    rc = 0;
    EXPECT_EQ(EvaluateFit(1, 2, params, true, note, rc, 1.0, s1, s2, cov), 0.0);
    EXPECT_EQ(rc, kInvalidCovariance);
    EXPECT_EQ(s1, 0.0);
    // A variance just below zero from rounding gives sigma 0.
    cov[0] = -1e-12;
    rc = 0;
    EXPECT_EQ(EvaluateFit(1, 2, params, true, note, rc, 0.0, s1, s2, cov), 1.0);
    EXPECT_EQ(s1, 0.0);
    EXPECT_EQ(rc, 0);
}

TEST(EvaluateFit, PendingCodeZeroesValueAndErrorOnlyWithError) {
    const double params[] = {1, 2};
    double cov[kMatrixSize] = {};
    std::string note;
    double s1, s2;
    ResultCode rc = kNoConvergenceWarning;
    EXPECT_EQ(EvaluateFit(1, 2, params, true, note, rc, 3.0, s1, s2, cov), 0.0);
    EXPECT_EQ(s1, 0.0);
    EXPECT_EQ(rc, kNoConvergenceWarning);
    // The value alone stays available, so root searches still work on the fitted curve.
    EXPECT_EQ(EvaluateFit(1, 2, params, false, note, rc, 3.0, s1, s2, cov), 7.0);
}

TEST(FunctionSlope, AgreesWithDifferenceQuotient) {
    const struct {
        FunctionCode code;
        int n;
        double params[5];
    } cases[] = {
        {1, 2, {3, 2}},        {2, 3, {1, 2, 3}},
        {4, 4, {1, 2, 3, 4}},  {22, 7, {1, -1, 1, -1, 1}},
        {8, 3, {10, -8, 0.5}}, {9, 4, {10, 3, -8, 0.5}},
    };
    for (const auto& c : cases) {
        double params[kMaxParams] = {};
        for (int i = 0; i < 5; ++i) params[i] = c.params[i];
        for (double x : {0.0, 0.7, 2.0}) {
            ResultCode rc = 0;
            const double h = 1e-6;
            const double numeric = (Evaluate(c.code, c.n, params, x + h, rc) -
                                    Evaluate(c.code, c.n, params, x - h, rc)) /
                                   (2 * h);
            EXPECT_NEAR(FunctionSlope(c.code, c.n, params, rc, x), numeric, 1e-6)
                << c.code << " at " << x;
            EXPECT_EQ(rc, 0);
        }
    }
    ResultCode rc = 0;
    const double p[] = {1, 2, 3, 4};
    EXPECT_DOUBLE_EQ(FunctionSlope(4, 4, p, rc, 2.0), 62.0);  // 2 + 12 + 48
    EXPECT_DOUBLE_EQ(FunctionSlope(8, 3, p, rc, 0.0), -6.0);  // -A2 A3
}

TEST(FunctionSlope, UndefinedKinds) {
    const double p[kMaxParams] = {1, 2, 3};
    ResultCode rc = 0;
    EXPECT_EQ(FunctionSlope(32, 1, p, rc, 1.0), 0.0);
    EXPECT_EQ(FunctionSlope(47, 3, p, rc, 1.0), 0.0);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(FunctionSlope(49, 3, p, rc, 1.0), 0.0);
    EXPECT_EQ(rc, kUnknownFunctionType);
    rc = 0;
    EXPECT_EQ(FunctionSlope(62, 3, p, rc, 1.0), 0.0);
    EXPECT_EQ(rc, kUnknownFunctionType);
    rc = 0;
    EXPECT_EQ(FunctionSlope(8, 4, p, rc, 1.0), 0.0);
    EXPECT_EQ(rc, kInvalidParameterCount);
}

TEST(FormulaText, QuotedFieldsWithListSeparator) {
    const struct {
        FunctionCode code;
        const char* text;
    } cases[] = {
        {1, "\"F(X) = A1 + A2 X\","},
        {2, "\"F(X) = A1 + A2 X + A3 X^2\","},
        {4, "\"F(X) = A1 + A2 X + A3 X^2 + A4 X^3\","},
        {8, "\"F(X) = A1 + A2 exp(-A3 X)\","},
        {9, "\"F(X) = A1 + A2 X + A3 exp(-A4 X)\","},
        {16, "\"F(X) = A1 \","},
        {17, "\"F(X) = A1 + A2 X^1 \","},
        {18, "\"F(X) = A1 + A2 X^1 + A3 X^2 \","},
        {32, ""},
        {49, ""},
        {63, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(FormulaText(c.code), c.text) << c.code;
    EXPECT_EQ(FormulaText(1, ";"), "\"F(X) = A1 + A2 X\";");
}

TEST(FunctionNames, LongNamesAndSelections) {
    const struct {
        FunctionCode code;
        const char* name;
    } cases[] = {
        {1, "Linear"},
        {2, "Quadratic"},
        {4, "Cubic"},
        {8, "Saturating exponential"},
        {9, "Saturating exponential + linear"},
        {16, "0th degree polynomial"},
        {17, "1st degree polynomial"},
        {18, "2nd degree polynomial"},
        {19, "3rd degree polynomial"},
        {20, "4th degree polynomial"},
        {27, "11th degree polynomial"},
        {30, "14th degree polynomial"},
        {32, "User defined"},
        {48, "Exponential decay"},
        {55, "Exponential decay"},
        {63, "Correction table"},
        {62, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(FunctionLongName(c.code), c.name) << c.code;

    const char* longNames[] = {"Linear",
                               "Quadratic",
                               "Cubic",
                               "Saturating exponential",
                               "Saturating exponential + linear",
                               " degree polynomial",
                               "User defined",
                               "Exponential decay",
                               "Correction table"};
    const char* shortNames[] = {"Linear",
                                "Quadratic",
                                "Cubic",
                                "Saturating exponential",
                                "Linear + sat.exponent.",
                                "Polynomial ",
                                "User defined",
                                "Exponential decay",
                                "Correction table"};
    const FunctionCode codes[] = {1, 2, 4, 8, 9, 16 + 3, 32, 48, 63};
    for (int i = 0; i < kFunctionSelectionCount; ++i) {
        EXPECT_EQ(FunctionSelectionName(i), longNames[i]);
        EXPECT_EQ(FunctionShortName(i), shortNames[i]);
        EXPECT_EQ(FunctionSelectionCode(i, 3), codes[i]);
    }
    EXPECT_EQ(FunctionSelectionName(9), "");
    EXPECT_EQ(FunctionSelectionCode(-1), -1);

    const char* decayNames[] = {"Linear", "1 exponent", "2 exponents", "3 exponents",
                                "4 exponents"};
    const FunctionCode decayCodes[] = {1, 49, 50, 51, 52};
    for (int i = 0; i < kDecaySelectionCount; ++i) {
        EXPECT_EQ(DecaySelectionName(i), decayNames[i]);
        EXPECT_EQ(DecaySelectionCode(i), decayCodes[i]);
    }
    EXPECT_EQ(DecaySelectionName(5), "");
}

TEST(PointSet, ParameterCounts) {
    const struct {
        FunctionCode code;
        int n;
    } cases[] = {{1, 2},   {2, 3},   {4, 4},   {8, 3},   {9, 4},   {16, 1}, {30, 15},
                 {32, 1},  {46, 15}, {48, 1},  {49, 3},  {55, 15}, {63, 0}, {3, -1},
                 {10, -1}, {31, -1}, {47, -1}, {56, -1}, {62, -1}};
    for (const auto& c : cases) EXPECT_EQ(ParameterCount(c.code), c.n) << c.code;
}

TEST(PointSet, ReplicateGroupsWithinOnePercent) {
    const double doses[] = {0, 0, 10, 10.05, 10.2, 20};
    int start[7];
    int count = 0;
    ReplicateGroups(6, doses, start, count);
    ASSERT_EQ(count, 4);
    const int expected[] = {0, 2, 4, 5, 6};
    for (int g = 0; g <= count; ++g) EXPECT_EQ(start[g], expected[g]);
}
