// Single-aliquot additive dose (method 8) and the depletion correction table (method 9).
#include "fitting/single_aliquot_solver.h"

#include <gtest/gtest.h>

#include <cmath>

#include "fitting/dose_test_points.h"

namespace {

// A correction table of `count` cycles: C(m) = remaining^(m - 1), no errors.
TPointSet Table(int count, double remaining = 1.0) {
    TPointSet table;
    for (int m = 1; m <= count; ++m) {
        table.Dose[m - 1] = m;
        table.Signal[m - 1] = std::pow(remaining, m - 1);
        table.Error[m - 1] = 0.0;
    }
    table.Count = count;
    return table;
}

// One aliquot: natural, then 10 added before each further cycle; signals near 100 + 10 D at
// the cumulative doses 0, 10, 20, 30, 40 (the additive set of the other dose tests).
TPointSet Aliquot(double error = 2.0) {
    return MakePoints({0, 10, 10, 10, 10}, {100, 202, 298, 401, 499}, error);
}

TEST(SingleAliquot, AllOnesTableGivesTheAdditiveIntercept) {
    // Effective doses are the cumulative added doses: closed-form weighted line,
    // ED = A1/A2 and its error sqrt(C00 + 2X C01 + X^2 C11)/A2 at X = -A1/A2.
    TDoseRun run = RunDose(8, 1, 1, 63, Aliquot(), Table(6));
    ASSERT_EQ(run.Code, kResultOk) << run.Note;
    EXPECT_NEAR(run.Fit.ED, 10.090270812437309, 1e-9);
    EXPECT_NEAR(run.Fit.EDError, 0.21091106279615537, 1e-9);
    const double shown[] = {0, 10, 20, 30, 40};
    for (int i = 0; i < 5; ++i) EXPECT_NEAR(run.Set1.Dose[i], shown[i], 1e-12) << i;
    EXPECT_EQ(run.Fit.NParams1, 2);
    EXPECT_GT(run.Fit.R2_1, 0.99);
    EXPECT_GT(run.Fit.P1, 0.0);
}

TEST(SingleAliquot, FixedVariancesTurnTheFractionIntoErrors) {
    // f = 0.5: errors sqrt(0.5 x signal), weights 1/(0.5 x signal) in the closed-form fit.
    TDoseRun run = RunDose(8, 4, 1, 63, Aliquot(0.5), Table(5));
    ASSERT_EQ(run.Code, kResultOk) << run.Note;
    const double signals[] = {100, 202, 298, 401, 499};
    for (int i = 0; i < 5; ++i) EXPECT_DOUBLE_EQ(run.Set1.Error[i], std::sqrt(0.5 * signals[i]));
    EXPECT_NEAR(run.Fit.ED, 10.061875537215542, 1e-9);
    EXPECT_NEAR(run.Fit.EDError, 0.9045135038416336, 1e-9);
}

TEST(SingleAliquot, DepletedDosesIterateToTheSelfConsistentDose) {
    // C(m) = 0.9^(m-1): signals 5 (20 + x_i(20)) plus scatter. The dose E whose effective
    // doses give a line with A1/A2 = E was found by bisection on E: 20.063399272266345.
    TPointSet aliquot =
        MakePoints({0, 10, 10, 10, 10}, {100.8, 138.8, 176.5, 209.40000000000003, 236.96}, 2.0);
    TDoseRun run = RunDose(8, 1, 1, 63, aliquot, Table(5, 0.9));
    ASSERT_EQ(run.Code, kResultOk) << run.Note;
    EXPECT_NEAR(run.Fit.ED, 20.063399272266345, 1e-4);
    // Shown doses at the final E: 0, then -E + 0.9^i E + the depleted added doses.
    const double e = run.Fit.ED;
    EXPECT_EQ(run.Set1.Dose[0], 0.0);
    EXPECT_NEAR(run.Set1.Dose[1], -e + 0.9 * e + 10.0, 1e-9);
    EXPECT_NEAR(run.Set1.Dose[2], -e + 0.81 * e + 10.0 * 0.9 + 10.0, 1e-9);
}

TEST(SingleAliquot, SaturatingExponentialMatchesTheAdditiveMethod) {
    // With an all-ones table the aliquot is an additive growth curve in its cumulative doses.
    auto rise = [](double d) { return 1000.0 - 800.0 * std::exp(-0.005 * d); };
    TPointSet aliquot =
        MakePoints({0, 50, 50, 100, 200, 400},
                   {rise(0), rise(50), rise(100), rise(200), rise(400), rise(800)}, 2.0);
    TPointSet additive = PointsOf(rise, {0, 50, 100, 200, 400, 800}, 2.0);
    TDoseRun single = RunDose(8, 1, 8, 63, aliquot, Table(6));
    TDoseRun reference = RunDose(2, 1, 8, 63, additive, TPointSet{});
    ASSERT_EQ(single.Code, kResultOk) << single.Note;
    ASSERT_EQ(reference.Code, kResultOk) << reference.Note;
    EXPECT_NEAR(single.Fit.ED, reference.Fit.ED, 1e-9 * reference.Fit.ED);
    EXPECT_NEAR(single.Fit.ED, 44.62871026284195, 2e-3 * 44.63);  // -ln(1.25)/0.005
    EXPECT_NEAR(single.Fit.EDError, reference.Fit.EDError, 1e-6 * reference.Fit.EDError);
}

TEST(SingleAliquot, ExponentialPlusLineFindsTheInterceptRoot) {
    // 150 + 0.5 D - 50 exp(-0.01 D) = 0 at D = -79.205996843 (bisection by hand).
    auto rise = [](double d) { return 150.0 + 0.5 * d - 50.0 * std::exp(-0.01 * d); };
    TPointSet aliquot =
        MakePoints({0, 25, 25, 50, 100, 100, 100},
                   {rise(0), rise(25), rise(50), rise(100), rise(200), rise(300), rise(400)}, 2.0);
    TDoseRun run = RunDose(8, 1, 9, 63, aliquot, Table(7));
    ASSERT_EQ(run.Code, kResultOk) << run.Note;
    EXPECT_NEAR(run.Fit.ED, 79.20599684306772, 5e-3 * 79.2);
}

TEST(SingleAliquot, RunawayIterationEndsWithTheConvergenceWarning) {
    // A table that grows by half each cycle makes the dose estimate run away; after 100
    // iterations the warning is the final code and the results of the last pass stay.
    TDoseRun run = RunDose(8, 1, 1, 63, Aliquot(), Table(5, 1.5));
    EXPECT_EQ(run.Code, kNoConvergenceWarning);
    EXPECT_EQ(run.Note, "");
    EXPECT_GT(run.Fit.ED, 1000.0);
    EXPECT_EQ(run.Set1.Dose[0], 0.0);
}

struct TAliquotCase {
    const char* Name;
    ErrorModel Model;
    FunctionCode Code1;
    FunctionCode Code2;
    TPointSet Set1;
    TPointSet Set2;
    ResultCode Code;
    const char* Note;
};

class SingleAliquotChecks : public ::testing::TestWithParam<TAliquotCase> {};

TEST_P(SingleAliquotChecks, ReportTheFailure) {
    const TAliquotCase& c = GetParam();
    TDoseRun run = RunDose(8, c.Model, c.Code1, c.Code2, c.Set1, c.Set2);
    EXPECT_EQ(run.Code, c.Code);
    EXPECT_EQ(run.Note, c.Note);
}

TPointSet WithError(TPointSet set, int index, double error) {
    set.Error[index] = error;
    return set;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SingleAliquotChecks,
    ::testing::Values(
        TAliquotCase{"TableShorterThanTheCycles", 1, 1, 63, Aliquot(), Table(4),
                     kInputControlDataError, ""},
        TAliquotCase{"EqualErrors", 0, 1, 63, Aliquot(), Table(5), kInputControlDataError, ""},
        TAliquotCase{"Quadratic", 1, 2, 63, Aliquot(), Table(5), kInputControlDataError, ""},
        TAliquotCase{"SecondCurveNotATable", 1, 1, 1, Aliquot(), Table(5), kInputControlDataError,
                     ""},
        TAliquotCase{"EmptyAliquot", 1, 1, 63, TPointSet{}, Table(5), kInputControlDataError, ""},
        TAliquotCase{"ZeroError", 1, 1, 63, WithError(Aliquot(), 3, 0.0), Table(5),
                     kInvalidErrorValue, ""},
        TAliquotCase{"FractionZero", 4, 1, 63, Aliquot(0.0), Table(5), kInvalidErrorValue, ""},
        TAliquotCase{"FractionAboveOne", 4, 1, 63, Aliquot(1.5), Table(5), kInvalidErrorValue, ""},
        TAliquotCase{"LineFalling", 1, 1, 63,
                     MakePoints({0, 10, 10, 10}, {400, 301, 199, 100}, 2.0), Table(4),
                     kIllConditioned, "function not increasing at 0; "},
        TAliquotCase{"ExponentialFalling", 1, 8, 63,
                     MakePoints({0, 50, 50, 100, 200}, {1000, 846.7, 735.9, 604.5, 529.3}, 2.0),
                     Table(5), kIllConditioned, "function not increasing or not saturating; "}),
    [](const auto& info) { return std::string(info.param.Name); });

// ---- Depletion correction table ----

// Two depletion aliquots of four cycles each; errors 10.
TPointSet Depletion() {
    return MakePoints({1, 2, 3, 4, 1, 2, 3, 4}, {1000, 950, 900, 850, 500, 476, 449, 425}, 10.0);
}

TEST(DecayCorrection, LinearDepletionGivesTheNormalisedLine) {
    // Blocks normalised to their first cycle (errors 0.01 and 0.02), the weighted line by its
    // closed form, the table F(m)/F(1) with errors sF(m)/F(1) (hand-computed).
    TPointSet table;
    table.Count = 4;
    TDoseRun run = RunDose(9, 1, 1, 63, Depletion(), table);
    ASSERT_EQ(run.Code, kResultOk) << run.Note;
    const double expected[] = {1.0, 0.9499260088789344, 0.899852017757869, 0.8497780266368035};
    const double errors[] = {0.0, 0.004898391678564927, 0.004898391678564925, 0.007482416883521856};
    ASSERT_EQ(run.Set2.Count, 4);
    for (int m = 0; m < 4; ++m) {
        EXPECT_EQ(run.Set2.Dose[m], m + 1.0);
        EXPECT_NEAR(run.Set2.Signal[m], expected[m], 1e-12) << m;
        EXPECT_NEAR(run.Set2.Error[m], errors[m], 1e-12) << m;
    }
    EXPECT_EQ(run.Fit.ED, 0.0);
    EXPECT_EQ(run.Fit.EDError, 0.0);
}

TEST(DecayCorrection, ExponentialDepletionGivesTheDecayCurve) {
    // Every block decays as 0.2 + 0.8 exp(-0.3 (m - 1)); the one-exponential decay fit
    // starts from a saturating-exponential pre-fit and the table reproduces the curve.
    auto remaining = [](double m) { return 0.2 + 0.8 * std::exp(-0.3 * (m - 1.0)); };
    TPointSet depletion;
    for (int block = 0; block < 2; ++block) {
        const double first = block == 0 ? 1000.0 : 400.0;
        for (int m = 1; m <= 6; ++m) {
            const int i = depletion.Count++;
            depletion.Dose[i] = m;
            depletion.Signal[i] = first * remaining(m);
            depletion.Error[i] = 0.01 * first;
        }
    }
    TPointSet table;
    table.Count = 6;
    TDoseRun run = RunDose(9, 1, 49, 63, depletion, table);
    ASSERT_EQ(run.Code, kResultOk) << run.Note;
    EXPECT_EQ(run.Fit.NParams1, 3);
    for (int m = 1; m <= 6; ++m) {
        EXPECT_NEAR(run.Set2.Signal[m - 1], remaining(m), 1e-4) << m;
    }
    EXPECT_EQ(run.Set2.Error[0], 0.0);
}

TEST(DecayCorrection, FixedVariancesUseTheFirstFraction) {
    // f = 0.5: errors sqrt(0.5 x signal) before normalising: sqrt(500)/1000 for the first
    // cycle of the first aliquot.
    TPointSet depletion = Depletion();
    for (int i = 0; i < depletion.Count; ++i) depletion.Error[i] = i == 0 ? 0.5 : 0.9;
    TPointSet table;
    table.Count = 4;
    TDoseRun run = RunDose(9, 4, 1, 63, depletion, table);
    ASSERT_EQ(run.Code, kResultOk) << run.Note;
    bool found = false;
    for (int i = 0; i < run.Set1.Count; ++i) {
        if (run.Set1.Signal[i] == 1.0 && run.Set1.Dose[i] == 1.0 &&
            std::fabs(run.Set1.Error[i] - std::sqrt(500.0) / 1000.0) < 1e-15) {
            found = true;
        }
    }
    EXPECT_TRUE(found);
}

struct TTableCase {
    const char* Name;
    ErrorModel Model;
    FunctionCode Code1;
    FunctionCode Code2;
    int Count1;
    int Count2;
    double FirstSignal;
    double FirstError;
    ResultCode Code;
};

class DecayCorrectionChecks : public ::testing::TestWithParam<TTableCase> {};

TEST_P(DecayCorrectionChecks, RejectTheInput) {
    const TTableCase& c = GetParam();
    TPointSet depletion;
    for (int i = 0; i < c.Count1; ++i) {
        depletion.Dose[i] = 1 + i % 4;
        depletion.Signal[i] = 1000.0 - 50.0 * (i % 4) + i;
        depletion.Error[i] = 10.0;
    }
    depletion.Count = c.Count1;
    depletion.Signal[0] = c.FirstSignal;
    depletion.Error[0] = c.FirstError;
    TPointSet table;
    table.Count = c.Count2;
    TDoseRun run = RunDose(9, c.Model, c.Code1, c.Code2, depletion, table);
    EXPECT_EQ(run.Code, c.Code);
    EXPECT_EQ(run.Note, "");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DecayCorrectionChecks,
    ::testing::Values(
        TTableCase{"TwelvePointsInFives", 1, 1, 63, 12, 5, 1000, 10, kInputControlDataError},
        TTableCase{"EmptyTable", 1, 1, 63, 8, 0, 1000, 10, kInputControlDataError},
        TTableCase{"CalculatedErrors", 2, 1, 63, 8, 4, 1000, 10, kInputControlDataError},
        TTableCase{"Quadratic", 1, 2, 63, 8, 4, 1000, 10, kInputControlDataError},
        TTableCase{"SecondCode", 1, 1, 1, 8, 4, 1000, 10, kInputControlDataError},
        TTableCase{"FractionAboveOne", 4, 1, 63, 8, 4, 1000, 1.5, kInvalidErrorValue},
        // A block cannot be normalised by a first signal of 0 or below.
        TTableCase{"ZeroFirstSignal", 1, 1, 63, 8, 4, 0, 10, kInvalidSignalValue},
        TTableCase{"NegativeFirstSignal", 1, 1, 63, 8, 4, -5, 10, kInvalidSignalValue}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(DecayCorrection, RejectsACurveWithoutSignalAtTheFirstCycle) {
    // Normalised signals 1, 2.01, 3 at cycles 3, 4, 5: the fitted line is near m - 2, below
    // zero at m = 1, so the table cannot be normalised by F(1).
    TPointSet depletion = MakePoints({3, 4, 5}, {100, 201, 300}, 1.0);
    TPointSet table;
    table.Count = 3;
    TDoseRun run = RunDose(9, 1, 1, 63, depletion, table);
    EXPECT_EQ(run.Code, kInvalidSignalValue);
    EXPECT_EQ(run.Note, "");
}

}  // namespace
