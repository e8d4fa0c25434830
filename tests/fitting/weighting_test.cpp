#include "fitting/weighting.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>

#include "dose_test_points.h"

namespace {

struct TWeights {
    double w1[kPointCapacity] = {};
    double w2[kPointCapacity] = {};
};

}  // namespace

TEST(WeightPoints, RejectsBadModelAndCounts) {
    TPointSet a = MakePoints({0, 1}, {1, 2}, {1, 1});
    TPointSet b;
    TWeights w;
    for (ErrorModel model : {-1, 7}) {
        ResultCode rc = 0;
        WeightPoints(model, a, b, w.w1, w.w2, rc);
        EXPECT_EQ(rc, kInputControlDataError);
    }
    ResultCode rc = 0;
    a.Count = 100;
    WeightPoints(kEqualErrors, a, b, w.w1, w.w2, rc);
    EXPECT_EQ(rc, kInputControlDataError);
}

TEST(WeightPoints, SortsByDoseAndUsesAbsoluteErrors) {
    TPointSet a = MakePoints({20, 0, 10}, {200, 5, 100}, {2, 1e-7, 4});
    TPointSet b = MakePoints({5, 1}, {50, 10}, {0.5, 2e6});
    TWeights w;
    ResultCode rc = 0;
    WeightPoints(kArbitraryErrors, a, b, w.w1, w.w2, rc);
    ASSERT_EQ(rc, 0);
    const double doses[] = {0, 10, 20}, signals[] = {5, 100, 200};
    // Errors below 1e-6 or above 1e6 are replaced by 1.
    const double errors[] = {1, 4, 2}, weights[] = {1, 1.0 / 16, 0.25};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(a.Dose[i], doses[i]);
        EXPECT_EQ(a.Signal[i], signals[i]);
        EXPECT_EQ(a.Error[i], errors[i]);
        EXPECT_DOUBLE_EQ(w.w1[i], weights[i]);
    }
    EXPECT_EQ(b.Dose[0], 1);
    EXPECT_EQ(b.Error[0], 1);
    EXPECT_DOUBLE_EQ(w.w2[0], 1.0);
    EXPECT_DOUBLE_EQ(w.w2[1], 4.0);
}

TEST(WeightPoints, EqualErrorsWithoutReplicatesStayOne) {
    TPointSet a = MakePoints({0, 10, 20}, {1, 2, 3}, {0, 0, 0});
    TPointSet b;
    TWeights w;
    ResultCode rc = 0;
    WeightPoints(kEqualErrors, a, b, w.w1, w.w2, rc);
    EXPECT_EQ(rc, 0);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(w.w1[i], 1.0);
}

TEST(WeightPoints, EqualErrorsUsePooledReplicateVariance) {
    // Groups {1, 3} (SS 2) and {10, 14} (SS 8) in the first set, {5, 7} (SS 2) in the second:
    // S = 2*2 + 2*8 + 2*2 = 24, H = 6, widened by 1.156^2; weight H / S.
    TPointSet a = MakePoints({0, 0, 10, 10, 20}, {1, 3, 10, 14, 20}, {0, 0, 0, 0, 0});
    TPointSet b = MakePoints({3, 3}, {5, 7}, {0, 0});
    TWeights w;
    ResultCode rc = 0;
    WeightPoints(kEqualErrors, a, b, w.w1, w.w2, rc);
    ASSERT_EQ(rc, 0);
    const double expected = 6.0 / (24.0 * 1.156 * 1.156);
    for (int i = 0; i < 5; ++i) EXPECT_DOUBLE_EQ(w.w1[i], expected);
    for (int i = 0; i < 2; ++i) EXPECT_DOUBLE_EQ(w.w2[i], expected);
}

TEST(WeightPoints, CalculatedErrorsFromReplicates) {
    // Group {2, 4}: variance 2 widened by 1.963^2. Group of three equal signals 0.1: the
    // variance is 0 (computed from deviations, never slightly negative), taken as 1 and
    // widened by 1.386^2.
    TPointSet a = MakePoints({0, 0, 10, 10, 10}, {2, 4, 0.1, 0.1, 0.1}, {9, 9, 9, 9, 9});
    TPointSet b;
    TWeights w;
    ResultCode rc = 0;
    WeightPoints(kCalculatedErrors, a, b, w.w1, w.w2, rc);
    ASSERT_EQ(rc, 0);
    const double v1 = 2.0 * 1.963 * 1.963;
    const double v2 = 1.386 * 1.386;
    for (int i = 0; i < 2; ++i) {
        EXPECT_DOUBLE_EQ(w.w1[i], 1.0 / v1);
        EXPECT_DOUBLE_EQ(a.Error[i], std::sqrt(v1));
    }
    for (int i = 2; i < 5; ++i) {
        EXPECT_DOUBLE_EQ(w.w1[i], 1.0 / v2);
        EXPECT_DOUBLE_EQ(a.Error[i], 1.386);
    }
}

TEST(WeightPoints, CalculatedErrorsNeedReplicates) {
    TPointSet a = MakePoints({0, 0, 10}, {1, 2, 3}, {0, 0, 0});
    TPointSet b;
    TWeights w;
    ResultCode rc = 0;
    WeightPoints(kCalculatedErrors, a, b, w.w1, w.w2, rc);
    EXPECT_EQ(rc, kInsufficientErrorData);
}

TEST(WeightPoints, FixedPercentErrorsAndVariances) {
    // Group means 150 (dose 0) and 400 (dose 10); f = 0.1.
    TPointSet a = MakePoints({0, 0, 10}, {100, 200, 400}, {0.1, 0.1, 0.1});
    TPointSet b;
    TWeights w;
    ResultCode rc = 0;
    WeightPoints(kFixedPercentErrors, a, b, w.w1, w.w2, rc);
    ASSERT_EQ(rc, 0);
    EXPECT_DOUBLE_EQ(w.w1[0], 1.0 / (15.0 * 15.0));
    EXPECT_DOUBLE_EQ(w.w1[1], 1.0 / (15.0 * 15.0));
    EXPECT_DOUBLE_EQ(w.w1[2], 1.0 / (40.0 * 40.0));
    TPointSet c = MakePoints({0, 0, 10}, {100, 200, 400}, {0.1, 0.1, 0.1});
    WeightPoints(kFixedPercentVariances, c, b, w.w1, w.w2, rc);
    EXPECT_DOUBLE_EQ(w.w1[0], 1.0 / 15.0);
    EXPECT_DOUBLE_EQ(w.w1[2], 1.0 / 40.0);
    EXPECT_EQ(rc, 0);
}

TEST(WeightPoints, FixedPercentFractionOutsideRange) {
    // A fraction of 0 must be refused, not replaced by 1 like a tiny error entry.
    for (double f : {0.0, -0.1, 1.5}) {
        for (ErrorModel model : {kFixedPercentErrors, kFixedPercentVariances}) {
            TPointSet a = MakePoints({0, 10}, {100, 200}, {f, f});
            TPointSet b;
            TWeights w;
            ResultCode rc = 0;
            WeightPoints(model, a, b, w.w1, w.w2, rc);
            EXPECT_EQ(rc, kInvalidErrorValue) << f << " model " << model;
        }
    }
    // The second set's fraction is checked too.
    TPointSet a = MakePoints({0, 10}, {100, 200}, {0.1, 0.1});
    TPointSet b = MakePoints({0}, {100}, {0.0});
    TWeights w;
    ResultCode rc = 0;
    WeightPoints(kFixedPercentErrors, a, b, w.w1, w.w2, rc);
    EXPECT_EQ(rc, kInvalidErrorValue);
}

TEST(WeightPoints, FixedPercentNeedsPositiveMeans) {
    TPointSet a = MakePoints({0, 0, 10}, {-10, 5, 100}, {0.1, 0.1, 0.1});
    TPointSet b;
    TWeights w;
    ResultCode rc = 0;
    WeightPoints(kFixedPercentErrors, a, b, w.w1, w.w2, rc);
    EXPECT_EQ(rc, kInvalidSignalValue);
}

TEST(WeightPoints, HundredPercentEstimatesRelativeErrorFromScatter) {
    // Relative scatter: group 100 +- 10 gives 2 * 0.02, group 200 +- 10 gives 2 * 0.005;
    // S = 0.05, H = 4, widened by 1.25^2; r = sqrt(S / H).
    TPointSet a = MakePoints({10, 10, 20, 20, 30}, {90, 110, 190, 210, 300}, {1, 1, 1, 1, 1});
    TPointSet b;
    TWeights w;
    ResultCode rc = 0;
    WeightPoints(kFixedPercentErrors, a, b, w.w1, w.w2, rc);
    ASSERT_EQ(rc, 0);
    const double r = std::sqrt(0.05 * 1.25 * 1.25 / 4.0);
    const double means[] = {100, 100, 200, 200, 300};
    for (int i = 0; i < 5; ++i) {
        EXPECT_DOUBLE_EQ(a.Error[i], r);
        EXPECT_NEAR(w.w1[i], 1.0 / (r * means[i] * r * means[i]), 1e-15);
    }
}

TEST(ReweightFromFit, StarredModels) {
    const double errors[] = {0.1, 0.2};
    const double fitted[] = {50, 10};
    double w[2];
    ResultCode rc = 0;
    ReweightFromFit(kFixedStarPercentErrors, 2, errors, fitted, w, rc);
    EXPECT_DOUBLE_EQ(w[0], 1.0 / 25.0);
    EXPECT_DOUBLE_EQ(w[1], 1.0 / 4.0);
    ReweightFromFit(kFixedStarPercentVariances, 2, errors, fitted, w, rc);
    EXPECT_DOUBLE_EQ(w[0], 1.0 / 5.0);
    EXPECT_DOUBLE_EQ(w[1], 1.0 / 2.0);
    EXPECT_EQ(rc, 0);
    ReweightFromFit(kFixedPercentErrors, 2, errors, fitted, w, rc);
    EXPECT_EQ(rc, kInputControlDataError);
    rc = 0;
    ReweightFromFit(kFixedStarPercentErrors, 0, errors, fitted, w, rc);
    EXPECT_EQ(rc, kInputControlDataError);
    rc = 0;
    const double negative[] = {50, 0};
    ReweightFromFit(kFixedStarPercentErrors, 2, errors, negative, w, rc);
    EXPECT_EQ(rc, kInvalidSignalValue);
}

TEST(GroupMean, MeanAndErrorByModel) {
    const double doses[] = {0, 0, 0, 5};
    const double signals[] = {10, 12, 14, 30};
    const double errors[] = {0.1, 0.1, 0.1, 0.1};
    const double ones[] = {1, 1, 1, 1};
    const double weights[] = {1, 4, 1, 1};
    const struct {
        ErrorModel model;
        const double* w;
        double mean, sigma;
    } cases[] = {
        // Spread of the replicates: sqrt(8 / (3 * 2)) widened by 1.386.
        {kEqualErrors, ones, 12.0, std::sqrt(8.0 / 6.0) * 1.386},
        {kCalculatedErrors, ones, 12.0, std::sqrt(8.0 / 6.0) * 1.386},
        {kArbitraryErrors, weights, 12.0, std::sqrt(1.0 / 6.0)},
        {kFixedPercentErrors, ones, 12.0, 0.1 * 12.0 / std::sqrt(3.0)},
        {kFixedStarPercentErrors, ones, 12.0, 0.1 * 12.0 / std::sqrt(3.0)},
        {kFixedPercentVariances, ones, 12.0, std::sqrt(0.1 * 12.0 / 3.0)},
        {kFixedStarPercentVariances, ones, 12.0, std::sqrt(0.1 * 12.0 / 3.0)},
    };
    for (const auto& c : cases) {
        double mean = 0, sigma = 0;
        ResultCode rc = 0;
        GroupMean(c.model, 4, doses, signals, errors, c.w, mean, sigma, rc);
        EXPECT_EQ(rc, 0) << c.model;
        EXPECT_NEAR(mean, c.mean, 1e-12) << c.model;
        EXPECT_NEAR(sigma, c.sigma, 1e-12) << c.model;
    }
}

TEST(GroupMean, SinglePointAndBadWeights) {
    const double doses[] = {0, 5};
    const double signals[] = {10, 30};
    const double errors[] = {1, 1};
    const double weights[] = {4, 1};
    double mean, sigma;
    ResultCode rc = 0;
    GroupMean(kEqualErrors, 2, doses, signals, errors, weights, mean, sigma, rc);
    EXPECT_EQ(rc, 0);
    EXPECT_DOUBLE_EQ(sigma, 0.5);
    GroupMean(kCalculatedErrors, 2, doses, signals, errors, weights, mean, sigma, rc);
    EXPECT_EQ(rc, kInsufficientErrorData);
    rc = 0;
    const double zero[] = {0, 1};
    GroupMean(kArbitraryErrors, 2, doses, signals, errors, zero, mean, sigma, rc);
    EXPECT_EQ(rc, kInvalidErrorValue);
}
