// Newton's ascent against maxima known in closed form: inside the domain, on a bound held by
// an outward slope, and a start where the function is not concave, which it must report.
#include "analysis/newton_ascent.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(NewtonAscent, FindsKnownMaxima) {
    // f = -(x - 1)^2 - 2 (y - c)^2 - 0.5 (x - 1)(y - c): the maximum at (1, c) inside; with
    // y >= 0 and c = -1 the maximum on y = 0 is where df/dx = 0: x = 1 - 0.25 (0 - c) / 1.
    struct {
        const char* name;
        double c;
        bool yNonNegative;
        double x, y;
    } const cases[] = {
        {"inside", 0.5, true, 1.0, 0.5},
        {"on the bound", -1.0, true, 0.75, 0.0},
        {"unbounded", -1.0, false, 1.0, -1.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto f = [&](const double* p) {
            const double dx = p[0] - 1.0, dy = p[1] - c.c;
            return -dx * dx - 2.0 * dy * dy - 0.5 * dx * dy;
        };
        double x[2] = {3.0, 2.0};
        const bool nonNegative[2] = {false, c.yNonNegative};
        const TNewtonResult r = NewtonAscent(f, x, 2, nonNegative, 1e-10);
        EXPECT_TRUE(r.Converged);
        EXPECT_NEAR(x[0], c.x, 1e-7);
        EXPECT_NEAR(x[1], c.y, 1e-7);
    }
}

TEST(NewtonAscent, ReportsAStartWhereTheFunctionIsNotConcave) {
    // cos x has a minimum at pi: the Hessian there is positive.
    auto f = [](const double* p) { return std::cos(p[0]); };
    double x[1] = {3.14159};
    const bool nonNegative[1] = {false};
    EXPECT_FALSE(NewtonAscent(f, x, 1, nonNegative, 1e-10).Converged);
}

}  // namespace
