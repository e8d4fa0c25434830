// The SAR rejection criteria from hand-made Lx/Tx ratios: every value, every failure, the
// thresholds, the user's override, and the thresholds' text.
#include "analysis/sar_criteria.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <vector>

#include "fitting/fit_record.h"
#include "fitting/result_codes.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TSarSignal N(double ratio) {
    return {0, ratio, true, false};
}
TSarSignal R(double dose, double ratio) {
    return {dose, ratio, false, false};
}
TSarSignal IR(double dose, double ratio) {
    return {dose, ratio, false, true};
}

TFitRecord Dose(double ed, double error, ResultCode code = kResultOk) {
    TFitRecord f;
    f.ED = ed;
    f.EDError = error;
    f.ResultCode = code;
    return f;
}

}  // namespace

TEST(SarCriteriaTest, ValuesAndFailuresFromHandComputedRatios) {
    struct Case {
        const char* what;
        std::vector<TSarSignal> ms;
        double testDoseError;
        TFitRecord fit;
        TSarThresholds thresholds;
        std::vector<double> recycling;
        std::optional<double> recuperation;
        double palaeodoseError;
        std::optional<double> depletion;
        bool exceeds;
        std::vector<std::string> failed;
    };
    const TSarThresholds t10;
    TSarThresholds loose;
    loose.Recycling = 0.25;
    loose.Depletion = 0.25;
    const Case cases[] = {
        // 1.05 / 1.0, 0.02 / 2.0, 0.95 / 1.0 (the first 20 Gy, not the repeat), 1.5 / 30.
        {"within every threshold",
         {N(2.0), R(20, 1.0), R(40, 1.8), R(0, 0.02), R(20, 1.05), IR(20, 0.95)},
         0.02,
         Dose(30, 1.5),
         t10,
         {1.05},
         0.01,
         0.05,
         0.95,
         false,
         {}},
        // Two repeats, each over its own first measurement: 0.85 / 1.0 and 1.89 / 1.8.
        {"one of two recycling ratios off",
         {N(2.0), R(20, 1.0), R(40, 1.8), R(20, 0.85), R(40, 1.89)},
         0.02,
         Dose(30, 1.5),
         t10,
         {0.85, 1.05},
         std::nullopt,
         0.05,
         std::nullopt,
         false,
         {kCriterionRecycling}},
        // 0.3 / 2.0 = 0.15 recuperation; IR 0.8 / 1.0 = 0.8.
        {"recuperation and IR depletion",
         {N(2.0), R(20, 1.0), R(0, 0.3), R(40, 1.8), IR(20, 0.8)},
         0.05,
         Dose(30, 2.4),
         t10,
         {},
         0.15,
         0.08,
         0.8,
         false,
         {kCriterionRecuperation, kCriterionDepletion}},
        // The same ratios with 25 % allowed: only the recuperation still fails.
        {"looser thresholds",
         {N(2.0), R(20, 1.0), R(0, 0.3), R(40, 1.8), IR(20, 0.8), R(20, 1.2)},
         0.05,
         Dose(30, 2.4),
         loose,
         {1.2},
         0.15,
         0.08,
         0.8,
         false,
         {kCriterionRecuperation}},
        // No test dose (NaN) and no dose (a fatal fit): both undefined, both fail.
        {"undefined errors fail",
         {N(2.0), R(20, 1.0), R(40, 1.8)},
         kNaN,
         Dose(0, 0, kInitialFitFailed),
         t10,
         {},
         std::nullopt,
         kNaN,
         std::nullopt,
         false,
         {kCriterionTestDose, kCriterionPalaeodose}},
        // 50 Gy beyond the largest regeneration of 40 Gy; 6 / 50 = 0.12; test dose 0.11.
        {"dose beyond the largest regeneration",
         {N(2.0), R(20, 1.0), R(40, 1.8)},
         0.11,
         Dose(50, 6),
         t10,
         {},
         std::nullopt,
         0.12,
         std::nullopt,
         true,
         {kCriterionTestDose, kCriterionPalaeodose, kCriterionMaxDose}},
    };
    for (const Case& c : cases) {
        const TSarCriteria r = EvaluateSarCriteria(c.ms, c.testDoseError, c.fit, c.thresholds);
        ASSERT_EQ(r.RecyclingRatios.size(), c.recycling.size()) << c.what;
        for (std::size_t i = 0; i < c.recycling.size(); ++i)
            EXPECT_NEAR(r.RecyclingRatios[i], c.recycling[i], 1e-12) << c.what;
        ASSERT_EQ(r.Recuperation.has_value(), c.recuperation.has_value()) << c.what;
        if (c.recuperation) {
            EXPECT_NEAR(*r.Recuperation, *c.recuperation, 1e-12) << c.what;
        }
        ASSERT_EQ(r.IrDepletionRatio.has_value(), c.depletion.has_value()) << c.what;
        if (c.depletion) {
            EXPECT_NEAR(*r.IrDepletionRatio, *c.depletion, 1e-12) << c.what;
        }
        if (std::isnan(c.palaeodoseError)) {
            EXPECT_TRUE(std::isnan(r.PalaeodoseError)) << c.what;
        } else {
            EXPECT_NEAR(r.PalaeodoseError, c.palaeodoseError, 1e-12) << c.what;
        }
        EXPECT_EQ(r.ExceedsMaxDose, c.exceeds) << c.what;
        EXPECT_EQ(r.Failed, c.failed) << c.what;
        EXPECT_EQ(r.Accepted(), c.failed.empty()) << c.what;
    }
}

TEST(SarCriteriaTest, TheUserAcceptsAFailingAliquotWhichKeepsItsFailures) {
    TSarCriteria c = EvaluateSarCriteria({N(2.0), R(20, 1.0), R(20, 1.3)}, 0.02, Dose(15, 0.75),
                                         TSarThresholds{});
    EXPECT_FALSE(c.Accepted());
    c.Overridden = true;
    EXPECT_TRUE(c.Accepted());
    EXPECT_EQ(c.Failed, std::vector<std::string>{kCriterionRecycling});
    EXPECT_NE(SarCriteriaText(c).find("failed: recycling, accepted by the user"),
              std::string::npos);
    // The window's text in a comma-decimal locale.
    EXPECT_NE(SarCriteriaText(c, ',').find("recycling 1,300; recuperation n.a.; test dose error "
                                           "0,020; dose error 0,050; IR depletion n.a."),
              std::string::npos)
        << SarCriteriaText(c, ',');
}

TEST(SarCriteriaTest, ThresholdsText) {
    struct Case {
        const char* text;
        bool ok;
        double recycling, depletion;  // after parsing (0.1 at first)
    };
    const Case cases[] = {
        {"recycling=0.2", true, 0.2, 0.1},
        {"depletion=0.05,recycling=0,testdose=1", true, 0, 0.05},
        {"recycling=0,1", false, 0.1, 0.1},  // a comma decimal is a second item without '='
        {"recycling=abc", false, 0.1, 0.1},
        {"recycling=-0.1", false, 0.1, 0.1},
        {"recycling=0.2,ratio=0.1", false, 0.1, 0.1},  // nothing changes on an error
        {"", false, 0.1, 0.1},
        {"recycling=", false, 0.1, 0.1},
    };
    for (const Case& c : cases) {
        TSarThresholds t;
        std::string error;
        EXPECT_EQ(ParseSarThresholds(c.text, t, error), c.ok) << c.text;
        EXPECT_EQ(error.empty(), c.ok) << c.text;
        EXPECT_DOUBLE_EQ(t.Recycling, c.recycling) << c.text;
        EXPECT_DOUBLE_EQ(t.Depletion, c.depletion) << c.text;
    }
}
