// Growth points and "Compute" at one index: index units, line texts, the engine mapping, the
// closed forms of small crafted data, indices beyond a curve, and the sample's natural dose.
#include <gtest/gtest.h>

#include <cmath>

#include "analysis/aliquot_lists.h"
#include "analysis/growth_compute.h"
#include "analysis/method_recognition.h"
#include "analysis_test_files.h"
#include "fitting/growth_functions.h"
#include "fitting/result_codes.h"
#include "tools/background_subtraction.h"

using namespace analysis_test;

namespace {

TEST(IndexFields, UnitsBoundsAndSpacingZero) {
    TDeviceKey tl = TLKey(5);
    TIndexFields f = IndexFieldsFor(tl, kAdditiveGrowth, nullptr);
    ASSERT_TRUE(f.Valid());
    EXPECT_EQ(f.Unit, TIndexUnit::Temperature);
    EXPECT_EQ(f.Minimum, 200);
    EXPECT_EQ(f.Maximum, 500);
    EXPECT_EQ(f.Step, 5);
    EXPECT_EQ(f.DefaultIndex, 59);
    EXPECT_EQ(ValueOfIndex(f, 59), 300);
    int index = -1;
    std::string message;
    EXPECT_TRUE(IndexFromValue(f, 375, index, message));
    EXPECT_EQ(index, 74);
    EXPECT_FALSE(IndexFromValue(f, 505, index, message));
    EXPECT_FALSE(message.empty());
    tl.EndTemp = 505;
    EXPECT_EQ(IndexFieldsFor(tl, kAdditiveGrowth, nullptr).Maximum, 700);

    TDeviceKey osl = OslKey();
    osl.TimeBase = {0, 0, 40, 0};
    f = IndexFieldsFor(osl, kRegenGrowth, nullptr);
    EXPECT_EQ(f.Unit, TIndexUnit::Channel);
    EXPECT_EQ(f.Minimum, 1);
    EXPECT_EQ(f.Maximum, 40);
    EXPECT_EQ(f.DefaultIndex, 1);
    EXPECT_TRUE(IndexFromValue(f, 7, index, message));
    EXPECT_EQ(index, 7);

    TDeviceKey flat = TLKey(0);
    f = IndexFieldsFor(flat, kAdditiveGrowth, nullptr);
    EXPECT_FALSE(f.Valid());
    EXPECT_FALSE(IndexFromValue(f, 300, index, message));
    EXPECT_EQ(message, kZeroSpacingMessage);
    int first = 0, last = 0;
    IndexRange({}, flat, first, last);  // no division by zero
    EXPECT_EQ(first, 0);
}

TEST(SolutionLine, PrefixesAndFormats) {
    EXPECT_EQ(SolutionLinePrefix(TLKey(5), kAdditiveGrowth, 59), "T  300: ");
    EXPECT_EQ(SolutionLinePrefix(OslKey(), kAdditiveGrowth, 7), "Ch  7: ");
    EXPECT_EQ(SolutionLinePrefix(OslKey(), kSaAdditive, 3), "Disk   3: ");
    TFitRecord fit;
    fit.ED = 41.93;
    fit.EDError = 2.1;
    EXPECT_EQ(SolutionLineResult(fit, ""), "  41.93 \u00b1   2.1; O.K.");
    fit.ResultCode = -10;
    std::string message;
    ResultMessage(-10, message);
    EXPECT_EQ(SolutionLineResult(fit, "function not increasing; ", "+-"),
              "  41.93 +-   2.1; " + message + " - function not increasing; ");
}

TEST(FitOptions, FunctionCodesAndErrorValues) {
    EXPECT_EQ(GrowthFunctionCode(6, 0), 16);
    EXPECT_EQ(GrowthFunctionCode(6, 14), 30);
    EXPECT_EQ(GrowthFunctionCode(3, 0), 4);
    EXPECT_EQ(GrowthFunctionCode(4, 0), 8);
    EXPECT_EQ(GrowthFunctionCode(7, 0), -1);
    const struct {
        int model;
        double percent;
        double value;
    } cases[] = {{3, 150, 1.0}, {3, 10, 0.1}, {3, 0, 1.0},
                 {4, 10, 0.5},  {0, 10, 1.0}, {2, 10, 1.0}};
    for (const auto& c : cases) {
        TFitOptions o;
        o.ErrorModel = c.model;
        o.Percent = c.percent;
        EXPECT_DOUBLE_EQ(ErrorValue(o), c.value) << c.model << " " << c.percent;
    }
    EXPECT_EQ(EngineMethod(kRegenGrowth), 5);
    EXPECT_EQ(EngineMethod(kSecondGlowIntercept), 2);
    EXPECT_EQ(EngineMethod(kAlphaEfficiency), 10);
    EXPECT_EQ(EngineMethod(kFirstSecondGlowCeramic), 7);
    EXPECT_EQ(EngineMethod(kAlphaGrowth), 2);
}

// An OSL measurement whose channel `channel` holds `signal`.
TLookupRecord Measurement(double dose, bool natural, double bleach, bool before, double signal,
                          int channel = 1) {
    TLookupRecord e = Entry(OslKey(), dose, TRadiation::Beta, natural, bleach);
    e.IrradClass = IrradiationClass(e, before);
    e.Methods = MethodBits(e, TViewKind::Dat, false, false);
    e.Curve.assign(92, 0.0);
    e.Curve[static_cast<std::size_t>(channel)] = signal;
    e.LastChannel = 90;
    e.InSelection = true;
    return e;
}

TLookupTable Numbered(TLookupTable t) {
    for (std::size_t i = 0; i < t.size(); ++i) t[i].Ordinal = static_cast<int32_t>(i);
    return t;
}

TEST(Compute, AdditiveLineGivesTheInterceptDose) {
    // Signal 100 + 10 D: the natural signal is reached 10 Gy below zero. The two naturals
    // scatter by -1 and +1, which leaves the fitted line exact and its errors defined.
    const TLookupTable t =
        Numbered({Measurement(0, true, 0, false, 99), Measurement(0, true, 0, false, 101),
                  Measurement(10, true, 0, false, 200), Measurement(20, true, 0, false, 300)});
    TGrowthPoints points = BuildGrowthPoints(t, kAdditiveGrowth, 1);
    ASSERT_EQ(points.size(), 3u);
    EXPECT_EQ(points[0].Points.size(), 2u);
    TFitOptions o;
    o.FunctionObject = 1;
    const TSolution s = ComputeSolution(points, OslKey(), kAdditiveGrowth, 1, o);
    EXPECT_EQ(s.Fit.ResultCode, 0) << s.Note;
    EXPECT_NEAR(s.Fit.ED, 10.0, 1e-9);
    EXPECT_EQ(s.Set1.Count, 4);
    EXPECT_EQ(s.Line.substr(0, 14), "Ch  1:      10");
}

TEST(Compute, RegenerativeLineReachesTheNaturalLevel) {
    // Natural 150; regenerated 50 + 10 D from bleached aliquots: 10 Gy. The regenerated points
    // scatter by +1, -2, +1 about the line, which leaves it exact and its errors defined.
    const TLookupTable t =
        Numbered({Measurement(0, true, 0, false, 150), Measurement(0, true, 60, false, 51),
                  Measurement(10, true, 60, true, 148), Measurement(20, true, 60, true, 251)});
    TGrowthPoints points = BuildGrowthPoints(t, kRegenGrowth, 1);
    ASSERT_EQ(points.size(), 4u);
    EXPECT_EQ(points[0].Kind, kGrowthLevel);
    EXPECT_EQ(points[1].Kind, kRegenLevel);
    EXPECT_EQ(points[1].Dose, 0);
    TFitOptions o;
    o.FunctionObject = 1;
    const TSolution s = ComputeSolution(points, OslKey(), kRegenGrowth, 1, o);
    EXPECT_EQ(s.Fit.ResultCode, 0) << s.Note;
    EXPECT_NEAR(s.Fit.ED, 10.0, 1e-9);
    EXPECT_EQ(s.Set1.Count, 1);
    EXPECT_EQ(s.Set2.Count, 3);
}

TEST(Compute, SecondGlowInterceptExchangesTheSets) {
    // Second-glow (class 3) levels 20 + 2 D: the additive computation's intercept is 10 Gy.
    const TLookupTable t =
        Numbered({Measurement(0, true, 0, false, 999), Measurement(10, false, 0, false, 40),
                  Measurement(20, false, 0, false, 60), Measurement(40, false, 0, false, 100)});
    TGrowthPoints points = BuildGrowthPoints(t, kSecondGlowIntercept, 1);
    ASSERT_EQ(points.size(), 3u);  // the natural measurement joins no list
    for (const TDosePoints& l : points) EXPECT_EQ(l.Kind, kFurtherLevel);
    TFitOptions o;
    o.FunctionObject = 1;
    const TSolution s = ComputeSolution(points, OslKey(), kSecondGlowIntercept, 1, o);
    EXPECT_EQ(s.Set1.Count, 3);  // the class-3 levels went to the first set
    EXPECT_EQ(s.Set2.Count, 0);
    EXPECT_EQ(s.Fit.Method, 2);
    EXPECT_NEAR(s.Fit.ED, 10.0, 1e-9);
}

TEST(GrowthPoints, IndexBeyondACurveIsNotAvailable) {
    TLookupRecord e = Entry(TLKey(5), 0, TRadiation::None, true);
    e.IrradClass = IrradiationClass(e, false);
    e.Methods = MethodBits(e, TViewKind::Dat, false, false);
    e.Curve.assign(100, 7.0);
    e.LastChannel = 99;
    e.InSelection = true;
    TLookupTable t = Numbered({e});
    TGrowthPoints points = BuildGrowthPoints(t, kAdditiveGrowth, 139);  // 700 degC
    ASSERT_EQ(points.size(), 1u);
    const TGrowthPoint& p = points[0].Points[0];
    EXPECT_EQ(p.Available, 0);
    EXPECT_EQ(p.Accepted, 0);
    EXPECT_EQ(p.Signal, 0.0);
    // Taking over the points' flags leaves the measurement accepted.
    EXPECT_FALSE(TakeOverAcceptedFlags(points, t));
    EXPECT_TRUE(t[0].Accepted);
    UpdateGrowthPoints(points, t, 59);
    EXPECT_EQ(points[0].Points[0].Accepted, 1);
    EXPECT_EQ(points[0].Points[0].Signal, 7.0);
    ToggleAccepted(t, 0, points);
    EXPECT_FALSE(t[0].Accepted);
    EXPECT_EQ(points[0].Points[0].Accepted, 0);
}

TEST(ResultSummary, LinesByMethod) {
    TFitRecord fit;
    fit.Code1 = fit.Code2 = kSaturatingExponential;
    fit.NParams1 = fit.NParams2 = 3;
    fit.Params2[0] = 1000;
    fit.ED = 41.93;
    TSummaryInput in{
        "S12.DAT", "/data",   "OSL#1 90.2% @125 43.20s", kRegenGrowth, "BL(120.0/SOLAR)", true,
        1,         "10:42:00"};
    const std::string text = ResultSummaryText(in, fit);
    EXPECT_EQ(text.substr(0, 20), "File name: S12.DAT\r\n");
    EXPECT_NE(
        text.find("Method: Regen growth curve\r\nBleaching: BL(120.0/SOLAR)\r\nChannel(s): 1\r\n"),
        std::string::npos);
    EXPECT_NE(text.find("Result: ED = "), std::string::npos);
    EXPECT_NE(text.find("Fitted function: " + FunctionLongName(kSaturatingExponential)),
              std::string::npos);
    EXPECT_NE(text.find("A1 = 1.0000E+3"), std::string::npos);  // the second curve's list
    EXPECT_EQ(text.substr(text.size() - 33), "Printed on: 10:42:00\r\nComment: \r\n");

    in.Method = kPartialBleach;
    in.Osl = false;
    in.IndexValue = 300;
    in.BleachingText.clear();
    const std::string partial = ResultSummaryText(in, fit);
    EXPECT_NE(partial.find("Temperature(s): 300C\r\n"), std::string::npos);
    EXPECT_NE(partial.find("First fitted function: "), std::string::npos);
    EXPECT_NE(partial.find("Second fitted function parameters: "), std::string::npos);
    EXPECT_EQ(partial.find("Bleaching"), std::string::npos);
    in.Method = kSecondGlowIntercept;
    EXPECT_NE(ResultSummaryText(in, fit).find("Result: Io = "), std::string::npos);
}

// The sample after OSL background subtraction, OSL channel 1, saturating exponential.
class SampleCompute : public ::testing::Test {
protected:
    void SetUp() override {
        view_ = sample_.Open("S12.DAT", TViewKind::Dat, "DAT.sch");
        TSubtractionSettings settings;
        settings.tlCurves = false;
        const TBackgroundAssignment a = TBackgroundAssignment::Default(*view_, false);
        SubtractBackgrounds(*view_, a, settings,
                            SubtractionRecords(a, TSubtractScope::All, std::nullopt, {}));
        table_ = BuildLookupTable(*view_, TViewKind::Dat);
        devices_ = BuildDeviceList(table_);
        irradiations_ = BuildIrradiationList(table_);
        bleachings_ = BuildBleachingList(table_);
    }
    TSolution Compute(int method, const TBleaching& bleaching) {
        const TDeviceKey& osl = devices_[1].Key;
        UpdateSelection(table_, osl, irradiations_, bleaching, method);
        TGrowthPoints points = BuildGrowthPoints(table_, method, 1);
        TFitOptions o;
        o.FunctionObject = 4;
        return ComputeSolution(points, osl, method, 1, o);
    }
    TSampleFiles sample_;
    std::unique_ptr<TBinDataSet> view_;
    TLookupTable table_;
    std::vector<TDeviceEntry> devices_;
    std::vector<TIrradiationEntry> irradiations_;
    std::vector<TBleachingEntry> bleachings_;
};

TEST_F(SampleCompute, AdditiveFindsTheNaturalDose) {
    ASSERT_EQ(devices_[1].Text.substr(0, 5), "OSL#1");
    const TSolution s = Compute(kAdditiveGrowth, bleachings_[1].Bleaching);
    ASSERT_EQ(s.Fit.ResultCode, 0) << s.Line;
    EXPECT_EQ(s.Set1.Count, 16);
    EXPECT_GT(s.Fit.EDError, 0);
    EXPECT_NEAR(s.Fit.ED, kSampleNaturalDose, s.Fit.EDError) << s.Line;
}

TEST_F(SampleCompute, RegenerativeFindsTheClosedForm) {
    // D0 ln((1 - rho f_N) / (1 - f_N)) for the fast OSL component: 41.93 Gy.
    const double fN = 1 - std::exp(-42.0 / 110.0);
    const double expected = 110.0 * std::log((1 - 0.002 * fN) / (1 - fN));
    ASSERT_NEAR(expected, 41.93, 0.005);
    const TSolution s = Compute(kRegenGrowth, bleachings_[0].Bleaching);
    ASSERT_EQ(s.Fit.ResultCode, 0) << s.Line;
    EXPECT_EQ(s.Set1.Count, 4);
    EXPECT_EQ(s.Set2.Count, 12);
    EXPECT_GT(s.Fit.EDError, 0);
    EXPECT_NEAR(s.Fit.ED, expected, s.Fit.EDError) << s.Line;
}

}  // namespace
