// Slide methods: a regenerated set that is a copy of the additive set moved along the dose
// axis (and scaled in signal) by known amounts must slide back by exactly those amounts.
#include "fitting/slide_solver.h"

#include <gtest/gtest.h>

#include "fitting/dose_test_points.h"

namespace {

constexpr double kDoses[] = {0, 20, 40, 60, 80, 100};
constexpr double kScatter[] = {1.5, -2.0, 0.7, 2.2, -1.1, -0.4};

double Growth(double d) {
    return 200.0 + 8.0 * d - 0.02 * d * d;
}

// The additive set, and a copy with doses + shift and signals x factor.
TPointSet Additive() {
    TPointSet set;
    for (int i = 0; i < 6; ++i) {
        set.Dose[i] = kDoses[i];
        set.Signal[i] = Growth(kDoses[i]) + kScatter[i];
        set.Error[i] = 1.0;
    }
    set.Count = 6;
    return set;
}

TPointSet MovedCopy(double shift, double factor) {
    TPointSet set = Additive();
    for (int i = 0; i < set.Count; ++i) {
        set.Dose[i] += shift;
        set.Signal[i] *= factor;
    }
    return set;
}

TEST(SlideSolver, IdenticalSetsGiveShiftZeroAndScaleOne) {
    TDoseRun run = RunDose(6, 0, 2, 2, Additive(), Additive());
    ASSERT_EQ(run.Code, kResultOk) << run.Note;
    EXPECT_NEAR(run.Fit.ED, 0.0, 1e-3);
    EXPECT_GT(run.Fit.EDError, 0.0);
    EXPECT_EQ(run.Fit.NParams1, 3);
    EXPECT_EQ(run.Fit.NParams2, 3);
    EXPECT_EQ(run.Fit.Params2[3], 1.0);  // the scale, fixed at 1
    EXPECT_GT(run.Fit.Cov2[3 * 15 + 3], 0.0);
}

TEST(SlideSolver, CopyShiftedByAKnownDoseSlidesBack) {
    TDoseRun run = RunDose(6, 0, 2, 2, Additive(), MovedCopy(50.0, 1.0));
    ASSERT_EQ(run.Code, kResultOk) << run.Note;
    EXPECT_NEAR(run.Fit.ED, 50.0, 1e-3);
    EXPECT_EQ(run.Fit.Params2[3], 1.0);
    // One function through both sets: the record holds it twice, with one chi-square.
    for (int j = 0; j < 3; ++j) EXPECT_EQ(run.Fit.Params1[j], run.Fit.Params2[j]);
    EXPECT_EQ(run.Fit.ChiSquare1, run.Fit.ChiSquare2);
    EXPECT_EQ(run.Fit.P1, run.Fit.P2);
    EXPECT_GT(run.Fit.R2_1, 0.99);
    EXPECT_EQ(run.Fit.R2_1, run.Fit.R2_2);
    // The joined fit recovers the growth the points scatter around.
    EXPECT_NEAR(run.Fit.Params1[1], 8.0, 0.1);
}

TEST(SlideSolver, ScaledCopyKeepsItsScale) {
    // Signals 1.5 times larger: a scale of 2/3 lays them back, far outside its error.
    TDoseRun run = RunDose(6, 0, 2, 2, Additive(), MovedCopy(30.0, 1.5));
    ASSERT_EQ(run.Code, kResultOk) << run.Note;
    EXPECT_NEAR(run.Fit.Params2[3], 2.0 / 3.0, 3e-4);
    EXPECT_NEAR(run.Fit.ED, 30.0, 0.05);
}

TEST(SlideSolver, StarredModelReweightsFromTheJoinedFit) {
    // Fixed* % errors: 2 % of the fitted value; the shifted copy still slides back.
    TPointSet additive = Additive();
    TPointSet regenerated = MovedCopy(40.0, 1.0);
    for (int i = 0; i < 6; ++i) additive.Error[i] = regenerated.Error[i] = 0.02;
    TDoseRun run = RunDose(6, 5, 2, 2, additive, regenerated);
    ASSERT_EQ(run.Code, kResultOk) << run.Note;
    EXPECT_NEAR(run.Fit.ED, 40.0, 1e-3);
    EXPECT_EQ(run.Fit.ErrorModel, 5);
}

TEST(SlideSolver, CeramicWithACurveUsesTheSlide) {
    TDoseRun run = RunDose(7, 0, 2, 2, Additive(), MovedCopy(25.0, 1.0));
    ASSERT_EQ(run.Code, kResultOk) << run.Note;
    EXPECT_NEAR(run.Fit.ED, 25.0, 1e-3);
}

TEST(SlideSolver, SaturatingExponentialCopySlidesBack) {
    TPointSet additive =
        PointsOf([](double d) { return 1000.0 - 800.0 * std::exp(-0.005 * (d + 100.0)); },
                 {0, 50, 100, 200, 300, 500});
    TPointSet regenerated = PointsOf([](double d) { return 1000.0 - 800.0 * std::exp(-0.005 * d); },
                                     {0, 50, 100, 150, 200, 300, 500, 700});
    additive.Signal[2] += 3.0;
    regenerated.Signal[4] -= 3.0;
    TDoseRun run = RunDose(6, 0, 8, 8, additive, regenerated);
    ASSERT_EQ(run.Code, kResultOk) << run.Note;
    EXPECT_NEAR(run.Fit.ED, 100.0, 2.0);
}

TEST(SlideSolver, FailingStartingDoseEndsWithItsNote) {
    TPointSet falling = MakePoints({0, 20, 40, 60}, {400, 300, 205, 100});
    TDoseRun run = RunDose(6, 0, 1, 1, Additive(), falling);
    EXPECT_EQ(run.Code, kIllConditioned);
    EXPECT_EQ(run.Note, "function not increasing; ");
}

TEST(SlideSolver, RejectsAJoinedSetBeyondTheArrays) {
    TPointSet big = Additive();
    big.Count = 60;
    TPointSet other = Additive();
    other.Count = 40;
    TDoseRun run = RunDose(6, 0, 2, 2, big, other);
    EXPECT_EQ(run.Code, kTooManyDataPoints);
}

}  // namespace
