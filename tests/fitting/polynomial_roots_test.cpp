#include "fitting/polynomial_roots.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct TCase {
    const char* name;
    int degree;
    double coefficients[6];  // c0 first
    TComplex roots[5];       // in increasing real part
    // Laguerre's iteration stops when |p(x)| is below 6e-8 of its rounding bound, which
    // leaves simple roots good to about 1e-7 and double roots to about 1e-5.
    double tolerance;
};

}  // namespace

TEST(PolynomialRoots, KnownRootsInOrderOfRealPart) {
    const double h = std::sqrt(3.0) / 2.0;
    const TCase cases[] = {
        {"(x-1)(x-2)(x-3)", 3, {-6, 11, -6, 1}, {{1, 0}, {2, 0}, {3, 0}}, 1e-6},
        {"(x+1)(x-2)^2", 3, {4, 0, -3, 1}, {{-1, 0}, {2, 0}, {2, 0}}, 1e-5},
        {"(x^2+2x+5)(x-3)", 3, {-15, -1, -1, 1}, {{-1, -2}, {-1, 2}, {3, 0}}, 1e-6},
        {"2x - 3", 1, {-3, 2}, {{1.5, 0}}, 1e-12},
        {"x^3 + 1", 3, {1, 0, 0, 1}, {{-1, 0}, {0.5, -h}, {0.5, h}}, 1e-6},
        {"x^4 - 16", 4, {-16, 0, 0, 0, 1}, {{-2, 0}, {0, -2}, {0, 2}, {2, 0}}, 1e-6},
    };
    for (const auto& c : cases) {
        TComplex roots[5];
        PolynomialRoots(c.coefficients, c.degree, roots, true);
        // Roots with equal real parts may come in either order of imaginary part.
        for (int i = 0; i < c.degree; ++i) {
            EXPECT_NEAR(roots[i].Re, c.roots[i].Re, c.tolerance) << c.name << " root " << i;
            bool matched = false;
            for (int j = 0; j < c.degree; ++j) {
                if (std::fabs(roots[i].Re - c.roots[j].Re) < c.tolerance &&
                    std::fabs(roots[i].Im - c.roots[j].Im) < c.tolerance) {
                    matched = true;
                }
            }
            EXPECT_TRUE(matched) << c.name << " root " << i << " = " << roots[i].Re << " + "
                                 << roots[i].Im << "i";
            if (i > 0) {
                EXPECT_LE(roots[i - 1].Re, roots[i].Re) << c.name;
            }
        }
    }
}

TEST(PolynomialRoots, ImaginaryUnitPair) {
    const double c[] = {1, 0, 1};
    TComplex roots[2];
    PolynomialRoots(c, 2, roots, true);
    EXPECT_NEAR(roots[0].Re, 0.0, 1e-7);
    EXPECT_NEAR(roots[1].Re, 0.0, 1e-7);
    EXPECT_NEAR(std::fabs(roots[0].Im), 1.0, 1e-7);
    EXPECT_NEAR(roots[0].Im + roots[1].Im, 0.0, 1e-7);
}

TEST(PolynomialRoots, RealRootsHaveExactlyZeroImaginaryPart) {
    // Roots found by deflation whose imaginary part is negligible are made real.
    const double c[] = {-6, 11, -6, 1};
    TComplex roots[3];
    PolynomialRoots(c, 3, roots, false);
    for (const TComplex& r : roots) EXPECT_EQ(r.Im, 0.0);
}
