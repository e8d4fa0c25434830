// The radial plot's coordinates worked by hand for two doses, the arc's ticks lying on the
// lines of their doses at the arc's radius, and the density of the doses integrating to one.
#include "analysis/radial_plot.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(RadialPlot, CoordinatesOfTwoDosesByHand) {
    // Reference 10 Gy. 20 +- 2 Gy: relative error 0.1, x = 10, y = ln 2 / 0.1 = 6.9315.
    // 5 +- 1 Gy: relative error 0.2, x = 5, y = ln 0.5 / 0.2 = -3.4657.
    const TRadialPlot plot = BuildRadialPlot({{20, 2}, {5, 1}}, 10.0, 1.0);
    const struct {
        double x, y;
    } expected[] = {{10.0, 6.931471805599453}, {5.0, -3.465735902799726}};
    ASSERT_EQ(plot.X.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_NEAR(plot.X[i], expected[i].x, 1e-12);
        EXPECT_NEAR(plot.Y[i], expected[i].y, 1e-12);
    }
}

TEST(RadialPlot, TicksLieOnTheirDoseLinesAtTheArc) {
    const double yPerX = 0.8;
    const TRadialPlot plot = BuildRadialPlot({{20, 2}, {5, 1}, {12, 0.6}}, 10.0, yPerX);
    ASSERT_FALSE(plot.Ticks.empty());
    for (const TRadialTick& t : plot.Ticks) {
        SCOPED_TRACE(t.Dose);
        EXPECT_NEAR(t.Y / t.X, std::log(t.Dose / 10.0), 1e-12);
        EXPECT_NEAR(std::hypot(t.X, t.Y / yPerX), plot.ArcRadius, 1e-9 * plot.ArcRadius);
        EXPECT_GE(t.Dose, 5.0);
        EXPECT_LE(t.Dose, 20.0);
    }
}

TEST(RadialPlot, DensityOfTheLogDosesIntegratesToOne) {
    const TRadialPlot plot = BuildRadialPlot({{20, 2}, {5, 1}, {12, 0.6}, {9, 1}}, 10.0);
    double integral = 0.0;
    for (size_t i = 1; i < plot.Density.size(); ++i)
        integral += 0.5 * (plot.Density[i] + plot.Density[i - 1]) *
                    std::log(plot.DensityDose[i] / plot.DensityDose[i - 1]);
    // Three bandwidths beyond the extremes leave 0.13 % out on each side.
    EXPECT_NEAR(integral, 1.0, 4e-3);
}

}  // namespace
