#include "fitting/special_functions.h"

#include <gtest/gtest.h>

#include <cmath>

#include "fitting/complex_arithmetic.h"
#include "fitting/index_sort.h"

TEST(SpecialFunctions, ElementaryFunctions) {
    EXPECT_DOUBLE_EQ(ClampedExp(1.0), std::exp(1.0));
    EXPECT_DOUBLE_EQ(ClampedExp(1000.0), std::exp(400.0));
    EXPECT_DOUBLE_EQ(ClampedExp(-1000.0), std::exp(-400.0));
    EXPECT_DOUBLE_EQ(IntPower(3, 2.0), 8.0);
    EXPECT_DOUBLE_EQ(IntPower(-2, 2.0), 0.25);
    EXPECT_DOUBLE_EQ(IntPower(0, 7.0), 1.0);
    EXPECT_DOUBLE_EQ(Sign(-1.0, 3.0), -3.0);
    EXPECT_DOUBLE_EQ(Sign(0.0, -3.0), 3.0);
    EXPECT_DOUBLE_EQ(Sign(2.0, -3.0), 3.0);
    EXPECT_DOUBLE_EQ(Pythag(3.0, 4.0), 5.0);
    EXPECT_DOUBLE_EQ(Pythag(-4.0, 3.0), 5.0);
    EXPECT_DOUBLE_EQ(Pythag(0.0, 0.0), 0.0);
    EXPECT_DOUBLE_EQ(Pythag(3e200, 4e200), 5e200);  // no intermediate overflow
}

TEST(SpecialFunctions, LogGammaKnownValues) {
    const double pi = std::acos(-1.0);
    EXPECT_NEAR(LogGamma(0.5), std::log(std::sqrt(pi)), 1e-9);
    EXPECT_NEAR(LogGamma(1.0), 0.0, 1e-9);
    EXPECT_NEAR(LogGamma(2.0), 0.0, 1e-9);
    EXPECT_NEAR(LogGamma(10.0), std::log(362880.0), 1e-9);
    EXPECT_NEAR(LogGamma(30.5), std::lgamma(30.5), 1e-8);
}

TEST(SpecialFunctions, GammaQChiSquareTable) {
    // Upper 5 % and 1 % points of the chi-square distribution.
    const struct {
        double dof, chiSquare, probability;
    } table[] = {
        {1, 3.841, 0.05},   {1, 6.635, 0.01},   {2, 5.991, 0.05},   {5, 11.070, 0.05},
        {10, 18.307, 0.05}, {10, 23.209, 0.01}, {30, 43.773, 0.05},
    };
    for (const auto& t : table) {
        EXPECT_NEAR(GammaQ(t.dof / 2.0, t.chiSquare / 2.0), t.probability, 1e-4)
            << t.dof << " " << t.chiSquare;
    }
    // Q(1, x) = exp(-x) on both branches (series below a + 1, continued fraction above).
    for (double x : {0.3, 1.5, 7.0}) EXPECT_NEAR(GammaQ(1.0, x), std::exp(-x), 1e-6) << x;
}

TEST(SpecialFunctions, GammaQEdges) {
    EXPECT_DOUBLE_EQ(GammaQ(2.5, 0.0), 1.0);
    EXPECT_DOUBLE_EQ(GammaQ(0.0, 1.0), 0.0);
    EXPECT_DOUBLE_EQ(GammaQ(-1.0, 1.0), 0.0);
    EXPECT_DOUBLE_EQ(GammaQ(1.0, -1.0), 0.0);
    EXPECT_DOUBLE_EQ(GammaQ(1.0, 500.0), 0.0);  // far tail underflows to exactly 0
}

TEST(ComplexArithmetic, DivideAndSqrt) {
    const TComplex q = ComplexDivide({1.0, 2.0}, {3.0, 4.0});
    EXPECT_NEAR(q.Re, 11.0 / 25.0, 1e-15);
    EXPECT_NEAR(q.Im, 2.0 / 25.0, 1e-15);
    const TComplex big = ComplexDivide({1e300, 1e300}, {1e300, 1e300});
    EXPECT_DOUBLE_EQ(big.Re, 1.0);
    EXPECT_DOUBLE_EQ(big.Im, 0.0);
    const struct {
        TComplex z, root;
    } roots[] = {
        {{4.0, 0.0}, {2.0, 0.0}},    {{-4.0, 0.0}, {0.0, 2.0}}, {{0.0, 2.0}, {1.0, 1.0}},
        {{-3.0, -4.0}, {1.0, -2.0}}, {{-3.0, 4.0}, {1.0, 2.0}}, {{0.0, 0.0}, {0.0, 0.0}},
    };
    for (const auto& c : roots) {
        const TComplex r = ComplexSqrt(c.z);
        EXPECT_NEAR(r.Re, c.root.Re, 1e-14) << c.z.Re << "," << c.z.Im;
        EXPECT_NEAR(r.Im, c.root.Im, 1e-14) << c.z.Re << "," << c.z.Im;
    }
    EXPECT_DOUBLE_EQ(ComplexAbs({3.0, -4.0}), 5.0);
}

TEST(IndexSort, SortsPositionsWithoutMovingValues) {
    const double values[] = {5.0, -1.0, 3.0, 3.0, 10.0, 0.0, -7.5, 2.0};
    const int n = 8;
    int index[n];
    IndexSort(n, values, index);
    bool seen[n] = {};
    for (int i = 0; i < n; ++i) {
        ASSERT_GE(index[i], 0);
        ASSERT_LT(index[i], n);
        EXPECT_FALSE(seen[index[i]]);
        seen[index[i]] = true;
        if (i > 0) {
            EXPECT_LE(values[index[i - 1]], values[index[i]]);
        }
    }
    EXPECT_EQ(index[0], 6);
    EXPECT_EQ(index[n - 1], 4);
}

TEST(IndexSort, FewerThanTwoValuesGiveIdentity) {
    int index[1] = {42};
    IndexSort(0, nullptr, index);
    EXPECT_EQ(index[0], 42);
    const double one = 3.0;
    IndexSort(1, &one, index);
    EXPECT_EQ(index[0], 0);
}
