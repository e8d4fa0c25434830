// Entry checks, dispatch and the record EstimateDose fills in.
#include "fitting/dose_estimation.h"

#include <gtest/gtest.h>

#include "fitting/dose_test_points.h"

namespace {

const TPointSet kLine = MakePoints({0, 10, 20, 30, 40}, {100, 202, 298, 401, 499}, 2.0);
const TPointSet kFlat = MakePoints({0, 0}, {50, 54}, 2.0);

TPointSet Points(int count) {
    TPointSet set;
    for (int i = 0; i < count; ++i) {
        set.Dose[i] = 10.0 * (i % 10);
        set.Signal[i] = 100.0 + 10.0 * set.Dose[i] + (i % 3);
        set.Error[i] = 2.0;
    }
    set.Count = count;
    return set;
}

struct TEntryCase {
    const char* Name;
    int Method;
    ErrorModel Model;
    FunctionCode Code1;
    FunctionCode Code2;
    int Count1;
    int Count2;
    ResultCode Expected;
};

class EntryChecks : public ::testing::TestWithParam<TEntryCase> {};

TEST_P(EntryChecks, RejectBeforeAnyFit) {
    const TEntryCase& c = GetParam();
    TDoseRun run = RunDose(c.Method, c.Model, c.Code1, c.Code2, Points(c.Count1), Points(c.Count2));
    EXPECT_EQ(run.Code, c.Expected);
    EXPECT_EQ(run.Fit.ResultCode, c.Expected);
    EXPECT_EQ(run.Note, "");
    EXPECT_EQ(run.Fit.ChiSquare1, 0.0);
    EXPECT_EQ(run.Fit.ED, 0.0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EntryChecks,
    ::testing::Values(
        TEntryCase{"ModelBelowRange", 2, -1, 1, 63, 5, 0, kInputControlDataError},
        TEntryCase{"ModelAboveRange", 2, 7, 1, 63, 5, 0, kInputControlDataError},
        TEntryCase{"MethodZero", 0, 1, 1, 63, 5, 0, kInputControlDataError},
        TEntryCase{"MethodEleven", 11, 1, 1, 63, 5, 0, kInputControlDataError},
        TEntryCase{"HundredPoints", 2, 1, 1, 63, 100, 0, kInputControlDataError},
        TEntryCase{"NegativeCount", 2, 1, 1, 63, -1, 0, kInputControlDataError},
        TEntryCase{"EmptyFirstSet", 2, 1, 1, 63, 0, 0, kInputControlDataError},
        TEntryCase{"BleachWithoutBleachedPoints", 3, 1, 1, 63, 5, 0, kInputControlDataError},
        TEntryCase{"Code1Ten", 2, 1, 10, 63, 5, 0, kUnknownFunctionType},
        TEntryCase{"Code1CorrectionTable", 2, 1, 63, 63, 5, 0, kUnknownFunctionType},
        TEntryCase{"Code2Decay", 4, 1, 1, 48, 5, 5, kUnknownFunctionType},
        TEntryCase{"Code2SixtyTwo", 5, 1, 1, 62, 5, 5, kUnknownFunctionType},
        TEntryCase{"Code1Three", 2, 1, 3, 63, 5, 0, kUnknownFunctionType},
        TEntryCase{"SlideCodesDiffer", 6, 1, 2, 8, 5, 5, kInputControlDataError},
        TEntryCase{"CeramicCodesDiffer", 7, 1, 1, 2, 5, 5, kInputControlDataError},
        TEntryCase{"SlideHundredPoints", 6, 1, 2, 2, 60, 40, kTooManyDataPoints},
        TEntryCase{"CeramicCurvedHundredPoints", 7, 1, 8, 8, 60, 40, kTooManyDataPoints},
        TEntryCase{"SlideFifteenParameters", 6, 1, 30, 30, 20, 20, kInputControlDataError},
        TEntryCase{"AlphaQuadratic", 10, 1, 2, 2, 5, 5, kInputControlDataError},
        TEntryCase{"AlphaCodesDiffer", 10, 1, 1, 17, 5, 5, kInputControlDataError}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(EstimateDose, ResetsOutputsAndRecordsTheCall) {
    TPointSet set1 = kLine;
    TPointSet set2;
    TFitRecord fit;
    fit.ED = -5.0;
    fit.EDError = 7.0;
    fit.ChiSquare2 = 3.0;
    fit.Cov2[0] = 1.0;
    fit.Params2[0] = 42.0;  // start values stay as given
    std::string note = "old; ";
    ResultCode code = -3;
    EstimateDose(1, 1, 1, 63, set1, set2, fit, note, code);
    EXPECT_EQ(code, kResultOk);
    EXPECT_EQ(note, "");
    EXPECT_EQ(fit.ED, 0.0);
    EXPECT_EQ(fit.EDError, 0.0);
    EXPECT_EQ(fit.ChiSquare2, 0.0);
    EXPECT_EQ(fit.Cov2[0], 0.0);
    EXPECT_EQ(fit.Params2[0], 42.0);
    EXPECT_EQ(fit.Method, 1);
    EXPECT_EQ(fit.ErrorModel, 1);
    EXPECT_EQ(fit.Code1, 1);
    EXPECT_EQ(fit.Code2, 63);
    EXPECT_EQ(fit.Count1, 5);
    EXPECT_EQ(fit.Count2, 0);
    EXPECT_EQ(fit.NParams1, 2);
    EXPECT_EQ(fit.NParams2, 0);
    // Test a fit: the line through the points (closed-form weighted least squares).
    EXPECT_NEAR(fit.Params1[0], 100.6, 1e-9);
    EXPECT_NEAR(fit.Params1[1], 9.97, 1e-11);
}

TEST(EstimateDose, SortsBothSetsByDose) {
    TPointSet set1 = MakePoints({30, 0, 40, 10, 20}, {401, 100, 499, 202, 298}, 2.0);
    TDoseRun run = RunDose(2, 1, 1, 63, set1, TPointSet{});
    ASSERT_EQ(run.Code, kResultOk);
    for (int i = 1; i < run.Set1.Count; ++i) EXPECT_LE(run.Set1.Dose[i - 1], run.Set1.Dose[i]);
    EXPECT_EQ(run.Set1.Signal[0], 100.0);
    EXPECT_NEAR(run.Fit.ED, 10.090270812437309, 1e-9);
}

TEST(EstimateDose, SixtyPlusThirtyNinePointsPassTheSlideCountCheck) {
    TDoseRun run = RunDose(6, 1, 2, 2, Points(60), Points(39));
    EXPECT_NE(run.Code, kTooManyDataPoints);
    EXPECT_NE(run.Code, kInputControlDataError);
}

}  // namespace
