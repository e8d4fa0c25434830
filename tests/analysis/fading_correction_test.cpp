// Fading: the g-value fit of measurements made without noise from a known fading rate, its
// value carried to 2 days against the closed form, the refusals; the fading-corrected age of
// a measured age made from a known age by the Huntley & Lamothe (2001) equation, also from a
// g-value given at another time, and its Monte Carlo error against first-order propagation
// worked out separately.
#include "analysis/fading_correction.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double kTwoDays = 172800.0;
constexpr double kKa = 1000.0 * 365.25 * 86400.0;

// c (1 - kappa10 log10(t / tc)) with c = 2, kappa10 = 0.05, tc = 1000 s.
std::vector<TFadingPoint> NoiseFree() {
    std::vector<TFadingPoint> points;
    for (double t : {1000.0, 3000.0, 1e4, 5e4, 2e5, 1e6})
        points.push_back({2.0 * (1.0 - 0.05 * std::log10(t / 1000.0)), 0.01, t});
    return points;
}

TEST(GValue, NoiseFreeFadingGivesItsRate) {
    struct {
        const char* name;
        double tc;  // option; 0: the shortest time
        double g, tcUsed;
    } const cases[] = {
        {"tc the shortest time", 0.0, 5.0, 1000.0},
        {"tc given", 1000.0, 5.0, 1000.0},
        // Normalised to 10 000 s: 5 / (1 - 0.05 log10(10)) = 5.2631578947.
        {"tc of 10 000 s", 1e4, 5.0 / 0.95, 1e4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TGValueOptions options;
        options.Tc = c.tc;
        const TGValueResult r = FitGValue(NoiseFree(), options);
        ASSERT_EQ(r.Code, TFadingFitCode::Ok);
        EXPECT_NEAR(r.G, c.g, 1e-10);
        EXPECT_EQ(r.Tc, c.tcUsed);
        // 2 days: 100 k / (1 - k log10(172800 / 1000)), k = 0.05.
        EXPECT_NEAR(r.G2Days, 5.629852005025834, 1e-9);
        EXPECT_GT(r.GError, 0.0);
        EXPECT_LT(r.GError, 1.0);
    }
}

TEST(GValue, RefusesWhatCannotBeFitted) {
    const struct {
        const char* name;
        std::vector<TFadingPoint> points;
        TFadingFitCode code;
        int index;
    } cases[] = {
        {"one measurement", {{1, 0.1, 100}}, TFadingFitCode::TooFewPoints, -1},
        {"zero error", {{1, 0.1, 100}, {1, 0, 200}}, TFadingFitCode::BadPoint, 1},
        {"time zero", {{1, 0.1, 0}, {1, 0.1, 200}}, TFadingFitCode::BadPoint, 0},
        {"one time", {{1, 0.1, 100}, {0.9, 0.1, 100}}, TFadingFitCode::SameTimes, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TGValueResult r = FitGValue(c.points, {});
        EXPECT_EQ(r.Code, c.code);
        EXPECT_EQ(r.BadIndex, c.index);
    }
}

TEST(FadingCorrection, RecoversTheAgeTheEquationFaded) {
    // 100 ka faded with g = 5 %/decade at tc = 2 days: Tf = T (1 - kappa (ln(T / tc) - 1)),
    // kappa = 0.05 / ln 10, gives 65.8636712648045 ka.
    const double measured = 65.8636712648045;
    // The same rate given at tc_g = 1000 s: k' = 0.05 / (1 + 0.05 log10(172.8)).
    const double kAt1000 = 0.05 / (1.0 + 0.05 * std::log10(172.8));
    // Its error 1 at tc is (1 - k' log10(172.8))^2 at 1000 s.
    const double shift = 1.0 - kAt1000 * std::log10(172.8);
    struct {
        const char* name;
        double g, gError, tcG;
    } const cases[] = {{"g at tc", 5.0, 1.0, 0.0},
                       {"g at another time", 100.0 * kAt1000, shift * shift, 1000.0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TFadingCorrectionInput in;
        in.Age = measured;
        in.AgeError = 5.0;
        in.G = c.g;
        in.GError = c.gError;
        in.Tc = kTwoDays;
        in.TcG = c.tcG;
        in.AgeUnitSeconds = kKa;
        const TFadingCorrectionResult r = CorrectForFading(in);
        ASSERT_EQ(r.Code, TFadingFitCode::Ok);
        EXPECT_NEAR(r.Age, 100.0, 1e-8);
        EXPECT_NEAR(r.G, 5.0, 1e-10);
        EXPECT_NEAR(r.Kappa, 0.05 / std::log(10.0), 1e-12);
        // First-order propagation of 5 ka and 1 %/decade: 13.29 ka; the equation bends, so
        // the Monte Carlo spread agrees within a few per cent.
        EXPECT_NEAR(r.AgeError, 13.286, 0.08 * 13.286);
    }
}

TEST(FadingCorrection, RefusesAnAgeBeyondTheModel) {
    // With g = 20 %/decade the equation's largest measured age is tc e^(1/kappa) kappa.
    TFadingCorrectionInput in;
    in.Age = 1e6;
    in.G = 20.0;
    in.Tc = kTwoDays;
    in.AgeUnitSeconds = kKa;
    EXPECT_EQ(CorrectForFading(in).Code, TFadingFitCode::BeyondModel);
    in.Age = -1.0;
    EXPECT_EQ(CorrectForFading(in).Code, TFadingFitCode::BadInput);
}

}  // namespace
