#include "fitting/covariance_scaling.h"

#include <gtest/gtest.h>

#include "fitting/engine_limits.h"

TEST(RepairNegativeVariances, EveryNegativeDiagonalElementIsRepaired) {
    // Negative variances in the second and the fourth place: both become positive, the
    // positive ones and the covariances stay as they are.
    double cov[kMatrixSize] = {};
    const double diagonal[] = {4.0, -9.0, 1.0, -0.25};
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) cov[i * kMatrixStride + j] = i == j ? diagonal[i] : 0.5;
    }
    EXPECT_TRUE(RepairNegativeVariances(4, cov));
    const double repaired[] = {4.0, 9.0, 1.0, 0.25};
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            EXPECT_EQ(cov[i * kMatrixStride + j], i == j ? repaired[i] : 0.5) << i << j;
        }
    }
    EXPECT_FALSE(RepairNegativeVariances(4, cov));
}
