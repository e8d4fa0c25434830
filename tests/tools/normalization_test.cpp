// Normalisation: the window sums, the choice of operation, TL glow curves scaled to the mean
// normalisation signal disk by disk, refused integrals, and the raw-intensity change.
#include "tools/normalization.h"

#include <gtest/gtest.h>

#include "record_store/curve_access.h"
#include "tool_test_files.h"
#include "tools/background_subtraction.h"

using namespace tool_test;

namespace {

// A TL record whose subtracted curve holds `value` at glow-curve index `index` (the aligned
// sequence: "Subtracted data" element index - 2).
TRecordFixture TL(int run, int disk, bool norm, double value, int index = 60, bool tlRun = true) {
    TRecordFixture s;
    s.run = run;
    s.disk = disk;
    s.dev = 0;
    s.npt = 99;
    s.spacing = 5;
    s.tlRun = tlRun;
    s.normalization = norm;
    s.factor = 3;  // an earlier factor, which the tools replace
    s.raw.assign(100, 10.0);
    s.subtracted.assign(98, 0.0);
    s.subtracted[static_cast<std::size_t>(index - 2)] = value;
    return s;
}

TRecordFixture Osl(int run, int disk, bool norm) {
    TRecordFixture s;
    s.run = run;
    s.disk = disk;
    s.dev = 2100;
    s.npt = 99;
    s.normalization = norm;
    s.timeBases = {99, 0, 0, 0};
    s.raw.assign(100, 7.0);
    s.subtracted.assign(98, 5.0);
    return s;
}

double Subtracted(TBinDataSet& view, int n, int index) {
    view.GotoBookmark(IdOf(view, n));
    return ReadSubtractedCurve(view)[static_cast<std::size_t>(index)];
}

double Factor(TBinDataSet& view, int n) {
    view.GotoBookmark(IdOf(view, n));
    return view.AsFloat("Normalization factor");
}

}  // namespace

TEST(TLWindowIntegralTest, SumsAboveStartUpToStop) {
    TFloatArray ones(100, 1.0);
    TFloatArray ramp(100);
    for (std::size_t k = 0; k < ramp.size(); ++k) ramp[k] = static_cast<double>(k);
    struct Case {
        const TFloatArray* sequence;
        int last;
        TTLNormWindow window;
        double expected;
    };
    const Case cases[] = {
        {&ones, 99, {250, 450}, 40},                                   // indices 50..89
        {&ones, 70, {250, 450}, 21},                                   // 50..70
        {&ones, 99, {295, 300}, 1},                                    // 59..59
        {&ones, 99, {200, 500}, 60},                                   // 40..99
        {&ramp, 99, {250, 260}, 50 + 51}, {&ones, 40, {250, 450}, 0},  // last index below the start
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(TLWindowIntegral(*c.sequence, c.last, c.window), c.expected)
            << c.window.start << ".." << c.window.stop << " last " << c.last;
    }
    TFloatArray shorter(70, 1.0);  // a curve shorter than the window
    EXPECT_DOUBLE_EQ(TLWindowIntegral(shorter, 99, {250, 450}), 20);
}

TEST(NormalizeTest, ChoosesTLOnlyWithTwoTLNormalisationRuns) {
    TTempFolder folder;
    struct Case {
        std::vector<TRecordFixture> records;
        TNormalizeOperation expected;
    };
    const Case cases[] = {
        {{TL(1, 1, true, 100), TL(2, 1, false, 5)}, TNormalizeOperation::RawIntensity},
        {{TL(1, 1, true, 100), TL(1, 2, true, 5)}, TNormalizeOperation::TLGlowCurves},
        // OSL normalisation shines and TL background runs do not count.
        {{TL(1, 1, true, 100), Osl(1, 2, true), Osl(1, 3, true)},
         TNormalizeOperation::RawIntensity},
        {{TL(1, 1, true, 100), TL(1, 2, true, 100, 60, false)}, TNormalizeOperation::RawIntensity},
    };
    int i = 0;
    for (const Case& c : cases) {
        const auto view = OpenDat(
            WriteDatFile(folder, c.records, DatSampleFields(), "C" + std::to_string(i++) + ".DAT"));
        EXPECT_EQ(ChooseNormalization(*view), c.expected) << i;
    }
}

TEST(NormalizeTest, ScalesEachDiskToTheMeanNormalisationSignal) {
    TTempFolder folder;
    // Integrals 100 (disk 1) and 300 (disk 2): M = 200, F = 2 and 2/3.
    const auto view = OpenDat(WriteDatFile(folder, {
                                                       TL(1, 1, true, 100),
                                                       TL(1, 2, true, 300),
                                                       TL(2, 1, false, 30),
                                                       TL(2, 2, false, 30),
                                                       TL(2, 3, false, 30),  // no norm run
                                                       TL(3, 1, false, 30, 60, false),
                                                       Osl(4, 1, false),
                                                       // outside the window: not summed
                                                       TL(5, 3, false, 900, 45),
                                                   }));
    const TNormalizationReport report =
        NormalizeTLGlowCurves(*view, DatCurves(*view), TTLNormWindow{250, 450});
    ASSERT_EQ(report.normRecords.size(), 2u);
    EXPECT_DOUBLE_EQ(report.mean, 200);
    EXPECT_DOUBLE_EQ(report.normRecords[0].factor, 2);
    EXPECT_DOUBLE_EQ(report.normRecords[1].factor, 2.0 / 3.0);
    EXPECT_EQ(report.changed, (std::vector<std::int32_t>{IdOf(*view, 3), IdOf(*view, 4)}));
    EXPECT_DOUBLE_EQ(Subtracted(*view, 3, 60), 60);
    EXPECT_DOUBLE_EQ(Factor(*view, 3), 0.5);
    EXPECT_DOUBLE_EQ(Subtracted(*view, 4, 60), 20);
    EXPECT_DOUBLE_EQ(Factor(*view, 4), 1.5);
    // The normalisation runs, the disk without one, the background run and OSL stay.
    EXPECT_DOUBLE_EQ(Subtracted(*view, 1, 60), 100);
    EXPECT_DOUBLE_EQ(Factor(*view, 1), 3);
    EXPECT_DOUBLE_EQ(Subtracted(*view, 5, 60), 30);
    EXPECT_DOUBLE_EQ(Subtracted(*view, 6, 60), 30);
    EXPECT_DOUBLE_EQ(Subtracted(*view, 7, 5), 5);
}

TEST(NormalizeTest, DiskWithTwoNormalisationRunsStoresTheReciprocalOfBothFactors) {
    TTempFolder folder;
    // Integrals 100 and 250 on disk 1, 250 on disk 2: M = 200; disk 1 gets 2 x 0.8 = 1.6.
    const auto view =
        OpenDat(WriteDatFile(folder, {TL(1, 1, true, 100), TL(2, 1, true, 250), TL(1, 2, true, 250),
                                      TL(3, 1, false, 50), TL(3, 2, false, 50)}));
    NormalizeTLGlowCurves(*view, DatCurves(*view), TTLNormWindow{250, 450});
    EXPECT_DOUBLE_EQ(Subtracted(*view, 4, 60), 80);
    EXPECT_DOUBLE_EQ(Factor(*view, 4), 1 / 1.6);
    EXPECT_DOUBLE_EQ(Subtracted(*view, 5, 60), 40);
    EXPECT_DOUBLE_EQ(Factor(*view, 5), 1.25);
    // The stored factor takes the curve back to where it was.
    EXPECT_DOUBLE_EQ(Subtracted(*view, 4, 60) * Factor(*view, 4), 50);
}

TEST(NormalizeTest, RefusesANormalisationSignalOfZeroOrLessBeforeChangingAnything) {
    TTempFolder folder;
    for (double bad : {0.0, -20.0}) {
        const std::string path =
            WriteDatFile(folder, {TL(1, 1, true, 100), TL(1, 2, true, bad), TL(2, 1, false, 50)});
        const auto view = OpenDat(path);
        EXPECT_EQ(ErrorOf([&] {
                      NormalizeTLGlowCurves(*view, DatCurves(*view), TTLNormWindow{250, 450});
                  }),
                  "Record 2 (run 1, disk 2): the normalization signal between 250 and 450 deg C "
                  "is not positive");
        EXPECT_DOUBLE_EQ(Subtracted(*view, 3, 60), 50);
        EXPECT_FALSE(view->Modified());
    }
    const auto view = OpenDat(WriteDatFile(folder, {TL(1, 1, true, 100)}));
    EXPECT_EQ(ErrorOf([&] { NormalizeTLGlowCurves(*view, {}, TTLNormWindow{}); }),
              "Curve data not defined.");
    EXPECT_EQ(ErrorOf([&] {
                  NormalizeTLGlowCurves(*view, {ReadCurveFieldInfo(*view, "Raw data")},
                                        TTLNormWindow{});
              }),
              "'Subtracted data' not found");
}

TEST(RawIntensityTest, MultipliesTheSelectedRawCurvesAndKeepsTheFactor) {
    TTempFolder folder;
    const auto view = OpenDat(WriteDatFile(
        folder, {TL(1, 1, false, 1), TL(1, 2, false, 1), Osl(1, 3, false), TL(1, 4, false, 1)}));
    const std::vector<std::int32_t> selection{IdOf(*view, 3), IdOf(*view, 1), IdOf(*view, 2)};
    const TNormalizationReport report = ChangeRawIntensity(*view, DatCurves(*view), 2, selection);
    EXPECT_EQ(report.changed, selection);
    for (int n : {1, 2, 3}) {
        view->GotoBookmark(IdOf(*view, n));
        const TFloatArray raw = ReadRawCurve(*view);
        EXPECT_DOUBLE_EQ(raw[0], n == 3 ? 14 : 20) << n;
        EXPECT_DOUBLE_EQ(raw[99], n == 3 ? 14 : 20) << n;
        // The scaling lives in the raw curve; the earlier factor (3, OSL 1) stays.
        EXPECT_DOUBLE_EQ(Factor(*view, n), n == 3 ? 1 : 3) << n;
    }
    view->GotoBookmark(IdOf(*view, 4));
    EXPECT_DOUBLE_EQ(ReadRawCurve(*view)[0], 10);
    EXPECT_DOUBLE_EQ(Factor(*view, 4), 3);

    // No selection: the current record.
    view->GotoBookmark(IdOf(*view, 4));
    ChangeRawIntensity(*view, DatCurves(*view), 100, {});
    EXPECT_DOUBLE_EQ(ReadRawCurve(*view)[5], 1000);
    EXPECT_DOUBLE_EQ(Factor(*view, 4), 3);
}

TEST(RawIntensityTest, ASubtractionAfterwardsScalesTheCurveOnce) {
    // Raw 7 counts in every channel, no background runs and a stored rate of 0: the
    // subtracted curve is the raw curve divided by "Normalization factor" (1).
    TTempFolder folder;
    const auto view = OpenDat(WriteDatFile(folder, {Osl(1, 1, false)}));
    view->GotoBookmark(IdOf(*view, 1));
    ChangeRawIntensity(*view, DatCurves(*view), 2, {});
    TSubtractionSettings settings;
    settings.tlCurves = false;
    const TBackgroundAssignment assignment = TBackgroundAssignment::Default(*view, false);
    SubtractBackgrounds(*view, assignment, settings,
                        SubtractionRecords(assignment, TSubtractScope::All, std::nullopt, {}));
    EXPECT_DOUBLE_EQ(Subtracted(*view, 1, 50), 14);  // 2 x 7, not 4 x 7
}

TEST(RawIntensityTest, FactorsOutsideTheRangeAndUnknownRecordsAreRefused) {
    for (double x : {0.0, -1.0, 100.01, 1e9}) EXPECT_FALSE(RawIntensityFactorAccepted(x)) << x;
    for (double x : {0.01, 1.0, 100.0}) EXPECT_TRUE(RawIntensityFactorAccepted(x)) << x;
    TTempFolder folder;
    const auto view = OpenDat(WriteDatFile(folder, {TL(1, 1, false, 1), TL(1, 2, false, 1)}));
    EXPECT_FALSE(ErrorOf([&] { ChangeRawIntensity(*view, DatCurves(*view), 0, {}); }).empty());
    // The first record is changed before the unknown bookmark stops the run.
    EXPECT_EQ(ErrorOf([&] {
                  ChangeRawIntensity(*view, DatCurves(*view), 2, {IdOf(*view, 1), 9999});
              }),
              "Invalid bookmark list");
    view->GotoBookmark(IdOf(*view, 1));
    EXPECT_DOUBLE_EQ(ReadRawCurve(*view)[0], 20);
}
