#include "fitting/linear_solvers.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
constexpr int S = kMatrixStride;
}

TEST(GaussJordan, InvertsAndSolves) {
    // A = [[2, 1, 1], [1, 3, 2], [1, 0, 0]], det = -1; x = (1, 2, 3) gives b = (7, 13, 1).
    double a[kMatrixSize] = {};
    const double values[3][3] = {{2, 1, 1}, {1, 3, 2}, {1, 0, 0}};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) a[i * S + j] = values[i][j];
    }
    double b[kMatrixSize] = {};
    b[0] = 7;
    b[S] = 13;
    b[2 * S] = 1;
    bool ok = false;
    GaussJordan(a, 3, b, 1, ok);
    ASSERT_TRUE(ok);
    EXPECT_NEAR(b[0], 1.0, 1e-14);
    EXPECT_NEAR(b[S], 2.0, 1e-14);
    EXPECT_NEAR(b[2 * S], 3.0, 1e-14);
    // Inverse by cofactors: [[0, 0, 1], [-2, 1, 3], [3, -1, -5]].
    const double inverse[3][3] = {{0, 0, 1}, {-2, 1, 3}, {3, -1, -5}};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) EXPECT_NEAR(a[i * S + j], inverse[i][j], 1e-14);
    }
}

TEST(GaussJordan, SingularMatrixFails) {
    double a[kMatrixSize] = {};
    a[0] = 1;
    a[1] = 2;
    a[S] = 2;
    a[S + 1] = 4;
    double b[kMatrixSize] = {};
    bool ok = true;
    GaussJordan(a, 2, b, 1, ok);
    EXPECT_FALSE(ok);
}

TEST(ExtendedInverse, HilbertMatrix) {
    // The 4 x 4 Hilbert matrix has an integer inverse and determinant 1/6048000.
    double a[kMatrixSize] = {};
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) a[i * S + j] = 1.0 / (i + j + 1);
    }
    const double inverse[4][4] = {{16, -120, 240, -140},
                                  {-120, 1200, -2700, 1680},
                                  {240, -2700, 6480, -4200},
                                  {-140, 1680, -4200, 2800}};
    long double determinant = 0;
    bool overflow = false;
    ExtendedInverse(4, a, determinant, overflow);
    EXPECT_FALSE(overflow);
    EXPECT_NEAR(static_cast<double>(determinant) * 6048000.0, 1.0, 1e-11);
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) EXPECT_NEAR(a[i * S + j], inverse[i][j], 1e-9);
    }
}

TEST(ExtendedInverse, PivotingAndDeterminantSign) {
    // [[0, 1], [1, 0]] needs an exchange; it is its own inverse with determinant -1.
    // [[0, 2], [3, 1]]: det = -6, inverse [[-1/6, 1/3], [1/2, 0]].
    double a[kMatrixSize] = {};
    a[1] = 1;
    a[S] = 1;
    long double det = 0;
    bool overflow = false;
    ExtendedInverse(2, a, det, overflow);
    EXPECT_DOUBLE_EQ(static_cast<double>(det), -1.0);
    EXPECT_DOUBLE_EQ(a[0], 0.0);
    EXPECT_DOUBLE_EQ(a[1], 1.0);
    EXPECT_DOUBLE_EQ(a[S], 1.0);
    EXPECT_DOUBLE_EQ(a[S + 1], 0.0);
    double b[kMatrixSize] = {};
    b[1] = 2;
    b[S] = 3;
    b[S + 1] = 1;
    ExtendedInverse(2, b, det, overflow);
    EXPECT_NEAR(static_cast<double>(det), -6.0, 1e-15);
    EXPECT_NEAR(b[0], -1.0 / 6.0, 1e-15);
    EXPECT_NEAR(b[1], 1.0 / 3.0, 1e-15);
    EXPECT_NEAR(b[S], 0.5, 1e-15);
    EXPECT_NEAR(b[S + 1], 0.0, 1e-15);
}

TEST(ExtendedInverse, ZeroPivotGivesZeroDeterminant) {
    double a[kMatrixSize] = {};
    a[0] = 1;
    a[1] = 2;
    a[S] = 2;
    a[S + 1] = 4;
    long double det = 1;
    bool overflow = false;
    ExtendedInverse(2, a, det, overflow);
    EXPECT_EQ(det, 0.0L);
}

TEST(ExtendedInverse, ClampsToDoubleRange) {
    // The inverse of a subnormal diagonal element exceeds the double range.
    double a[kMatrixSize] = {};
    a[0] = 1e-309;
    a[S + 1] = 1.0;
    long double det = 0;
    bool overflow = false;
    ExtendedInverse(2, a, det, overflow);
    EXPECT_TRUE(overflow);
    EXPECT_DOUBLE_EQ(a[0], 1.7e308);
    EXPECT_DOUBLE_EQ(a[S + 1], 1.0);
    bool flag = false;
    EXPECT_DOUBLE_EQ(ClampToDouble(-1e400L, flag), -1.7e308);
    EXPECT_TRUE(flag);
    flag = false;
    EXPECT_EQ(ClampToDouble(1e-330L, flag), 0.0);
    EXPECT_FALSE(flag);
}
