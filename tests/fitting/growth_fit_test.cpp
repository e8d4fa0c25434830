#include "fitting/growth_fit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>

#include "dose_test_points.h"
#include "fitting/special_functions.h"

namespace {

struct TFixture {
    TPointSet set1, set2;
    double w1[kPointCapacity] = {}, w2[kPointCapacity] = {};
    TCurveFit fit;
    std::string note;
    ResultCode rc = 0;
};

}  // namespace

TEST(FitRSquared, MatchesExplainedVarianceOfWeightedLine) {
    const double x[] = {0, 1, 2, 3, 5};
    const double y[] = {1.0, 2.9, 5.2, 6.8, 11.1};
    const double w[] = {1, 2, 1, 0.5, 1};
    // Weighted least-squares line and 1 - SSres / SStot.
    double s = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (int i = 0; i < 5; ++i) {
        s += w[i];
        sx += w[i] * x[i];
        sy += w[i] * y[i];
        sxx += w[i] * x[i] * x[i];
        sxy += w[i] * x[i] * y[i];
    }
    const double d = s * sxx - sx * sx;
    const double params[] = {(sxx * sy - sx * sxy) / d, (s * sxy - sx * sy) / d};
    const double mean = sy / s;
    double res = 0, tot = 0;
    for (int i = 0; i < 5; ++i) {
        const double r = y[i] - params[0] - params[1] * x[i];
        res += w[i] * r * r;
        tot += w[i] * (y[i] - mean) * (y[i] - mean);
    }
    EXPECT_NEAR(FitRSquared(5, x, y, params, 2, w), 1.0 - res / tot, 1e-12);
    const double flat[] = {3, 3, 3, 3, 3};
    EXPECT_EQ(FitRSquared(5, x, flat, params, 2, w), 0.0);
}

TEST(FitGrowthCurve, LineWithKnownErrors) {
    TFixture f;
    f.set1 = MakePoints({30, 0, 10, 20, 40}, {71, 9, 31, 49, 89}, {1, 1, 1, 1, 1});
    FitGrowthCurve(1, kArbitraryErrors, 1, 63, f.set1, f.set2, f.w1, f.w2, f.fit, f.note, f.rc);
    ASSERT_EQ(f.rc, 0);
    EXPECT_EQ(f.fit.NParams, 2);
    // Sorted by dose; y = 10 + 2 x except for +-1 at doses 0, 10, 20, 30 (pattern -1 +1 -1 +1).
    EXPECT_EQ(f.set1.Dose[0], 0);
    EXPECT_EQ(f.set1.Signal[3], 71);
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (int i = 0; i < 5; ++i) {
        sx += f.set1.Dose[i];
        sy += f.set1.Signal[i];
        sxx += f.set1.Dose[i] * f.set1.Dose[i];
        sxy += f.set1.Dose[i] * f.set1.Signal[i];
    }
    const double slope = (5 * sxy - sx * sy) / (5 * sxx - sx * sx);
    const double intercept = (sy - slope * sx) / 5;
    EXPECT_NEAR(f.fit.Params[0], intercept, 1e-12);
    EXPECT_NEAR(f.fit.Params[1], slope, 1e-12);
    double chi = 0;
    for (int i = 0; i < 5; ++i) {
        const double r = f.set1.Signal[i] - intercept - slope * f.set1.Dose[i];
        chi += r * r;
    }
    EXPECT_NEAR(f.fit.ChiSquare, chi, 1e-10);
    EXPECT_NEAR(f.fit.P, GammaQ(1.5, chi / 2), 1e-12);
    EXPECT_GT(f.fit.R2, 0.99);
    EXPECT_LE(f.fit.R2, 1.0);
    EXPECT_EQ(f.note, "");
}

TEST(FitGrowthCurve, ExactFitHasRSquaredOne) {
    TFixture f;
    f.set1 = MakePoints({0, 10, 20, 30}, {10, 30, 50, 70}, {0.5, 0.5, 0.5, 0.5});
    FitGrowthCurve(1, kArbitraryErrors, 1, 63, f.set1, f.set2, f.w1, f.w2, f.fit, f.note, f.rc);
    EXPECT_EQ(f.rc, 0);
    EXPECT_NEAR(f.fit.R2, 1.0, 1e-9);
    EXPECT_NEAR(f.fit.P, 1.0, 1e-9);
}

TEST(FitGrowthCurve, EqualSignalsLeaveRSquaredUndefined) {
    TFixture f;
    f.set1 = MakePoints({0, 10, 20, 30}, {50, 50, 50, 50}, {2, 2, 2, 2});
    FitGrowthCurve(1, kArbitraryErrors, 1, 63, f.set1, f.set2, f.w1, f.w2, f.fit, f.note, f.rc);
    EXPECT_EQ(f.rc, kIllConditioned);
    EXPECT_EQ(f.note, "too many parameters?; ");
    EXPECT_EQ(f.fit.R2, 0.0);
}

TEST(FitGrowthCurve, EqualErrorsWithoutReplicatesAndAsManyPointsAsParameters) {
    TFixture f;
    f.set1 = MakePoints({0, 10, 20}, {10, 32, 49}, {0, 0, 0});
    FitGrowthCurve(1, kEqualErrors, 2, 63, f.set1, f.set2, f.w1, f.w2, f.fit, f.note, f.rc);
    EXPECT_EQ(f.rc, kInsufficientErrorData);
}

TEST(FitGrowthCurve, CorrectionTableTakesNoPartInWeighting) {
    TFixture f;
    f.set1 = MakePoints({20, 0, 10}, {50, 10, 31}, {1, 1, 1});
    f.set2 = MakePoints({3, 1, 2}, {0.8, 1.0, 0.9}, {0, 0, 0});
    FitGrowthCurve(1, kArbitraryErrors, 1, 63, f.set1, f.set2, f.w1, f.w2, f.fit, f.note, f.rc);
    EXPECT_EQ(f.rc, 0);
    EXPECT_EQ(f.set2.Dose[0], 3);  // left in its order
    EXPECT_EQ(f.set2.Error[0], 0);
    EXPECT_EQ(f.set1.Dose[0], 0);
}

TEST(FitGrowthCurve, SecondCurveUsesWeightsFormedForBothSets) {
    TFixture f;
    f.set1 = MakePoints({0, 10, 20}, {5, 25, 44}, {1, 1, 1});
    f.set2 = MakePoints({20, 0, 10}, {40, 0, 21}, {2, 2, 2});
    FitGrowthCurve(1, kArbitraryErrors, 1, 1, f.set1, f.set2, f.w1, f.w2, f.fit, f.note, f.rc);
    ASSERT_EQ(f.rc, 0);
    EXPECT_EQ(f.set2.Dose[0], 0);
    EXPECT_DOUBLE_EQ(f.w2[0], 0.25);
    TCurveFit second;
    FitGrowthCurve(2, kArbitraryErrors, 1, 1, f.set1, f.set2, f.w1, f.w2, second, f.note, f.rc);
    ASSERT_EQ(f.rc, 0);
    // Line through (0, 0), (10, 21), (20, 40) with equal weights: slope 2, intercept 1/3.
    EXPECT_NEAR(second.Params[1], 2.0, 1e-12);
    EXPECT_NEAR(second.Params[0], 1.0 / 3.0, 1e-12);
}

TEST(FitGrowthCurve, StarredErrorsReweightFromTheFittedCurve) {
    // 5 % errors of the fitted value: after the passes every weight is 1/(0.05 F(x))^2, F
    // being the fit of the pass before the last, which differs from the last by little.
    TFixture f;
    f.set1 =
        MakePoints({0, 10, 20, 30, 40}, {102, 195, 310, 398, 505}, {0.05, 0.05, 0.05, 0.05, 0.05});
    FitGrowthCurve(1, kFixedStarPercentErrors, 1, 63, f.set1, f.set2, f.w1, f.w2, f.fit, f.note,
                   f.rc);
    ASSERT_EQ(f.rc, 0);
    for (int i = 0; i < 5; ++i) {
        const double fitted = f.fit.Params[0] + f.fit.Params[1] * f.set1.Dose[i];
        EXPECT_NEAR(f.w1[i] * std::pow(0.05 * fitted, 2), 1.0, 1e-2) << i;
    }
}

TEST(FitGrowthCurve, SaturatingExponentialThroughTheCompositeStep) {
    TFixture f;
    f.set1 = MakePoints({0, 50, 100, 200, 400, 800}, {}, {});
    for (int i = 0; i < 6; ++i) {
        f.set1.Signal[i] = 2000.0 - 1900.0 * std::exp(-0.005 * f.set1.Dose[i]);
        f.set1.Error[i] = 0.02;
    }
    FitGrowthCurve(1, kFixedPercentErrors, 8, 63, f.set1, f.set2, f.w1, f.w2, f.fit, f.note, f.rc);
    ASSERT_EQ(f.rc, 0);
    EXPECT_EQ(f.fit.NParams, 3);
    EXPECT_NEAR(f.fit.Params[2], 0.005, 0.005e-3);
    EXPECT_EQ(f.fit.R2, 0.0);
    EXPECT_GT(f.fit.P, 0.99);
}

TEST(FitGrowthCurve, WarningOfTheExponentialFitIsCleared) {
    // Steep exponential sampled 5 apart: no usable starting exponent (-14 inside the fit),
    // which the composite step clears.
    TFixture f;
    f.set1 = MakePoints({0, 5, 10, 15, 20, 30}, {}, {});
    for (int i = 0; i < 6; ++i) {
        f.set1.Signal[i] = 100.0 - 100.0 * std::exp(-0.5 * f.set1.Dose[i]);
        f.set1.Error[i] = 0.5;
    }
    FitGrowthCurve(1, kArbitraryErrors, 8, 63, f.set1, f.set2, f.w1, f.w2, f.fit, f.note, f.rc);
    EXPECT_EQ(f.rc, 0);
    EXPECT_NEAR(f.fit.Params[2], 0.5, 0.5e-3);
}

TEST(FitCombined, SecondSetWeightsFollowTheScale) {
    // A constant (code 16) fitted to signals 10, 10 (weights 1) and 6 x 2 = 12 (weight 4
    // converted by the model): weighted mean and chi-square by hand.
    const struct {
        ErrorModel model;
        double weight2, mean, chiSquare;
    } cases[] = {
        {kArbitraryErrors, 4.0, 68.0 / 6.0,
         2 * std::pow(4.0 / 3.0, 2) + 4 * std::pow(2.0 / 3.0, 2)},
        {kFixedPercentErrors, 1.0, 32.0 / 3.0, 24.0 / 9.0},
        {kFixedPercentVariances, 2.0, 11.0, 4.0},
    };
    const TPointSet set1 = MakePoints({0, 10}, {10, 10}, {0.1, 0.1});
    const TPointSet set2 = MakePoints({7}, {6}, {0.1});
    const double w1[] = {1, 1}, w2[] = {4};
    for (const auto& c : cases) {
        double params[kMaxParams] = {}, cov[kMatrixSize] = {};
        std::string note;
        ResultCode rc = 0;
        const double chi =
            FitCombined(c.model, 16, 2, set1, w1, 1, set2, w2, 2.0, 3.0, params, cov, note, rc);
        EXPECT_EQ(rc, 0) << c.model;
        EXPECT_NEAR(params[0], c.mean, 1e-12) << c.model;
        EXPECT_NEAR(chi, c.chiSquare, 1e-12) << c.model;
    }
}

TEST(FitCombined, SlidOntoTheSameLine) {
    // Set 2 is the line 10 + 2 x with doses moved by +15 and signals halved.
    const TPointSet set1 = MakePoints({0, 10, 20}, {10, 30, 50}, {1, 1, 1});
    TPointSet set2 = MakePoints({15, 25, 35, 45}, {}, {1, 1, 1, 1});
    for (int i = 0; i < 4; ++i) set2.Signal[i] = (10 + 2 * (set2.Dose[i] - 15)) / 2;
    const double w1[] = {1, 1, 1}, w2[] = {0.5, 0.5, 0.5, 0.5};
    double params[kMaxParams] = {}, cov[kMatrixSize] = {};
    std::string note;
    ResultCode rc = 0;
    const double chi = FitCombined(kArbitraryErrors, 1, 3, set1, w1, 4, set2, w2, 2.0, 15.0, params,
                                   cov, note, rc);
    EXPECT_EQ(rc, 0);
    EXPECT_NEAR(params[0], 10.0, 1e-10);
    EXPECT_NEAR(params[1], 2.0, 1e-12);
    EXPECT_NEAR(chi, 0.0, 1e-18);
}

TEST(FitCombined, TooManyPoints) {
    TPointSet set1, set2;
    set1.Count = 60;
    set2.Count = 40;
    double w[kPointCapacity] = {}, params[kMaxParams] = {}, cov[kMatrixSize] = {};
    std::string note;
    ResultCode rc = 0;
    FitCombined(kEqualErrors, 1, 60, set1, w, 40, set2, w, 1.0, 0.0, params, cov, note, rc);
    EXPECT_EQ(rc, kTooManyDataPoints);
}
