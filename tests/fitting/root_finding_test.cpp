#include "fitting/root_finding.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct TCounter {
    int calls = 0;
    double offset = 0.0;
};

double CubeMinusTwo(double x, void* context, ResultCode&) {
    ++static_cast<TCounter*>(context)->calls;
    return x * x * x - 2.0;
}

double Cosine(double x, void*, ResultCode&) {
    return std::cos(x);
}
double Sine(double x, void*, ResultCode&) {
    return std::sin(x);
}
double LineMinusOne(double x, void*, ResultCode&) {
    return x - 1.0;
}
double AlwaysPositive(double x, void*, ResultCode&) {
    return x * x + 1.0;
}

double Shifted(double x, void* context, ResultCode&) {
    auto* c = static_cast<TCounter*>(context);
    ++c->calls;
    return x - c->offset;
}

double FailsAtOnce(double x, void* context, ResultCode& code) {
    ++static_cast<TCounter*>(context)->calls;
    code = kIllConditioned;
    return x;
}

}  // namespace

TEST(BrentRoot, KnownRoots) {
    TCounter counter;
    ResultCode code = 0;
    EXPECT_NEAR(BrentRoot(CubeMinusTwo, &counter, code, 1e-12, 0.0, 3.0), std::cbrt(2.0), 1e-11);
    EXPECT_EQ(code, 0);
    EXPECT_NEAR(BrentRoot(Cosine, nullptr, code, 1e-12, 1.0, 2.0), std::acos(0.0), 1e-11);
    EXPECT_EQ(code, 0);
    // Bracket given in descending order.
    EXPECT_NEAR(BrentRoot(Cosine, nullptr, code, 1e-12, 2.0, 1.0), std::acos(0.0), 1e-11);
}

TEST(BrentRoot, UnbracketedIntervalRaisesWarning) {
    ResultCode code = 0;
    EXPECT_EQ(BrentRoot(AlwaysPositive, nullptr, code, 1e-8, -1.0, 1.0), 0.0);
    EXPECT_EQ(code, kRootFindingWarning);
}

TEST(BrentRoot, FatalCodeFromCallbackStopsAtOnce) {
    TCounter counter;
    ResultCode code = 0;
    BrentRoot(FailsAtOnce, &counter, code, 1e-8, -1.0, 1.0);
    EXPECT_EQ(code, kIllConditioned);
    EXPECT_EQ(counter.calls, 1);
}

TEST(ScanRoots, FindsSignChangesUpToTheWantedCount) {
    ResultCode code = 0;
    double earlier[5], later[5];
    int count = 5;
    ScanRoots(Sine, nullptr, code, 20, 0.5, 10.5, earlier, later, count);
    ASSERT_EQ(count, 3);  // pi, 2 pi, 3 pi
    const double pi = std::acos(-1.0);
    for (int i = 0; i < 3; ++i) {
        EXPECT_LT(earlier[i], (i + 1) * pi);
        EXPECT_GT(later[i], (i + 1) * pi);
        EXPECT_NEAR(later[i] - earlier[i], 0.5, 1e-12);
    }
    count = 2;
    ScanRoots(Sine, nullptr, code, 20, 0.5, 10.5, earlier, later, count);
    EXPECT_EQ(count, 2);
    // Scanning downward records the point reached first as the earlier one.
    count = 1;
    ScanRoots(Sine, nullptr, code, 10, 4.0, -1.0, earlier, later, count);
    ASSERT_EQ(count, 1);
    EXPECT_GT(earlier[0], pi);
    EXPECT_LT(later[0], pi);
    EXPECT_EQ(code, 0);
}

TEST(ScanRoots, ZeroOnAGridPointEndsABracket) {
    // f(1) = 0 exactly counts as positive: the bracket (0, 1) has the root at its end.
    ResultCode code = 0;
    double earlier[3], later[3];
    int count = 3;
    ScanRoots(LineMinusOne, nullptr, code, 2, 0.0, 2.0, earlier, later, count);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(earlier[0], 0.0);
    EXPECT_EQ(later[0], 1.0);
    EXPECT_DOUBLE_EQ(BrentRoot(LineMinusOne, nullptr, code, 1e-10, earlier[0], later[0]), 1.0);
    EXPECT_EQ(code, 0);
}

TEST(ExpandBracket, WidensUntilSignChange) {
    TCounter counter;
    counter.offset = 5.0;
    ResultCode code = 0;
    double x1 = 0.0, x2 = 0.0;
    ASSERT_TRUE(ExpandBracket(Shifted, &counter, code, x1, x2));
    EXPECT_LT(Shifted(x1, &counter, code) * Shifted(x2, &counter, code), 0.0);
    // Started from [0, 1] with f = -5 and -4: the end nearer zero (the upper one) moves out
    // by 1.6 times the width each time: 1 -> 2.6 -> 6.76.
    EXPECT_DOUBLE_EQ(x1, 0.0);
    EXPECT_DOUBLE_EQ(x2, 6.76);
    // Both values positive: the same rule moves the lower end toward the root at -5.
    counter.offset = -5.0;
    x1 = 0.0;
    x2 = 1.0;
    ASSERT_TRUE(ExpandBracket(Shifted, &counter, code, x1, x2));
    EXPECT_DOUBLE_EQ(x1, -5.76);  // 0 -> -1.6 -> -5.76
    EXPECT_DOUBLE_EQ(x2, 1.0);
    ResultCode code2 = 0;
    double a = -1.0, b = 1.0;
    EXPECT_FALSE(ExpandBracket(AlwaysPositive, nullptr, code2, a, b));
}
