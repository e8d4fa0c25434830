#include "fitting/minimizers.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

double Parabola(double x, void*, ResultCode&) {
    return (x - 2.0) * (x - 2.0) + 1.0;
}
double Cosine(double x, void*, ResultCode&) {
    return std::cos(x);
}

struct TCounter {
    int calls = 0;
};

double Rosenbrock(const double* p, void* context, ResultCode&) {
    if (context != nullptr) ++static_cast<TCounter*>(context)->calls;
    const double a = 1.0 - p[0];
    const double b = p[1] - p[0] * p[0];
    return a * a + 100.0 * b * b;
}

double Plane(const double* p, void*, ResultCode&) {
    return p[0] + p[1];
}

double FailsOnSecondCall(double x, void* context, ResultCode& code) {
    auto* c = static_cast<TCounter*>(context);
    if (++c->calls == 2) code = kChiSquareMinimumNotFound;
    return x * x;
}

}  // namespace

TEST(BracketMinimum, BracketsTheMinimumOfAParabola) {
    for (const auto& start : {std::pair{0.0, 0.5}, std::pair{10.0, 9.0}, std::pair{1.9, 2.3}}) {
        double a = start.first, b = start.second, c = 0, fa, fb, fc;
        ResultCode code = 0;
        BracketMinimum(Parabola, nullptr, code, a, b, c, fa, fb, fc);
        EXPECT_EQ(code, 0);
        EXPECT_LT(fb, fa);
        EXPECT_LE(fb, fc);
        EXPECT_LT(std::min(a, c), 2.0);
        EXPECT_GT(std::max(a, c), 2.0);
        EXPECT_TRUE((a < b && b < c) || (c < b && b < a));
        EXPECT_DOUBLE_EQ(fa, Parabola(a, nullptr, code));
    }
}

double SteepParabola(double x, void*, ResultCode&) {
    return 3.0 * (x + 1.5) * (x + 1.5) - 4.0;
}

// Constant; a search that runs on is stopped by a fatal code after 100 calls.
double Flat(double, void* context, ResultCode& code) {
    if (++static_cast<TCounter*>(context)->calls > 100) code = kChiSquareMinimumNotFound;
    return 7.0;
}

TEST(BracketMinimum, ParabolicStepLandsOnTheVertexOfAParabola) {
    // The parabola through three points of a parabola is the function itself, so the first
    // extrapolated point is its vertex (closed form -B/2A), which becomes the middle of the
    // bracket; the golden step before it gives c = b + 1.618034 (b - a), the new left end.
    const struct {
        TScalarFunction f;
        double a, b, vertex;
    } cases[] = {
        {Parabola, 0.0, 0.5, 2.0},        // rightwards
        {SteepParabola, 1.0, 0.7, -1.5},  // leftwards, other curvature
    };
    for (const auto& c0 : cases) {
        double a = c0.a, b = c0.b, c = 0, fa, fb, fc;
        ResultCode code = 0;
        BracketMinimum(c0.f, nullptr, code, a, b, c, fa, fb, fc);
        EXPECT_EQ(code, 0);
        EXPECT_NEAR(b, c0.vertex, 1e-12);
        EXPECT_NEAR(a, c0.b + 1.618034 * (c0.b - c0.a), 1e-12);
    }
}

TEST(BracketMinimum, FlatFunctionStopsAtOnce) {
    // No point is lower than another: the search must not walk off towards infinity.
    TCounter counter;
    double a = 0.0, b = 1.0, c = 0, fa, fb, fc;
    ResultCode code = 0;
    BracketMinimum(Flat, &counter, code, a, b, c, fa, fb, fc);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(counter.calls, 3);
    EXPECT_DOUBLE_EQ(c, 1.0 + 1.618034);
}

TEST(BrentMinimize, FindsKnownMinima) {
    double a = 0.0, b = 0.5, c, fa, fb, fc;
    ResultCode code = 0;
    BracketMinimum(Parabola, nullptr, code, a, b, c, fa, fb, fc);
    double xmin = 0.0;
    const double fmin = BrentMinimize(Parabola, nullptr, a, b, c, 1e-8, xmin, code);
    EXPECT_EQ(code, 0);
    EXPECT_NEAR(xmin, 2.0, 1e-6);
    EXPECT_NEAR(fmin, 1.0, 1e-12);
    // cos has its minimum at pi.
    const double cmin = BrentMinimize(Cosine, nullptr, 2.0, 3.0, 4.5, 1e-8, xmin, code);
    EXPECT_NEAR(xmin, std::acos(-1.0), 1e-6);
    EXPECT_NEAR(cmin, -1.0, 1e-12);
    EXPECT_EQ(code, 0);
}

TEST(BrentMinimize, PassesFatalCodeOfCallbackOn) {
    TCounter counter;
    ResultCode code = 0;
    double xmin = 0.0;
    BrentMinimize(FailsOnSecondCall, &counter, -1.0, 0.3, 1.0, 1e-8, xmin, code);
    EXPECT_EQ(code, kChiSquareMinimumNotFound);
    EXPECT_EQ(counter.calls, 2);
}

TEST(SimplexMinimize, Rosenbrock) {
    TCounter counter;
    ResultCode code = 0;
    double simplex[3][2] = {{-1.2, 1.0}, {-1.0, 1.0}, {-1.2, 1.2}};
    double values[3];
    for (int i = 0; i < 3; ++i) values[i] = Rosenbrock(simplex[i], nullptr, code);
    SimplexMinimize(Rosenbrock, &counter, simplex, values, 1e-3, code);
    EXPECT_EQ(code, 0);
    EXPECT_NEAR(simplex[0][0], 1.0, 1e-3);
    EXPECT_NEAR(simplex[0][1], 1.0, 2e-3);
    EXPECT_LE(values[0], values[1]);
    EXPECT_LE(values[0], values[2]);
    EXPECT_LT(counter.calls, 5000);
}

TEST(SimplexMinimize, UnboundedFunctionExhaustsEvaluations) {
    ResultCode code = 0;
    double simplex[3][2] = {{0, 0}, {1, 0}, {0, 1}};
    double values[3];
    for (int i = 0; i < 3; ++i) values[i] = Plane(simplex[i], nullptr, code);
    SimplexMinimize(Plane, nullptr, simplex, values, 1e-3, code);
    EXPECT_EQ(code, kChiSquareMinimumNotFound);
}
