// Deglitching: the glitch test on hand-made sequences, the index ranges, the record rules
// and messages, and the cosmic-ray spike of the sample.
#include "tools/deglitch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "record_store/curve_access.h"
#include "tool_test_files.h"

using namespace tool_test;

namespace {

TRecordFixture Record(int run, int disk, int dev, bool tlRun, std::vector<double> raw) {
    TRecordFixture s;
    s.run = run;
    s.disk = disk;
    s.dev = dev;
    s.tlRun = tlRun;
    s.npt = 99;
    s.spacing = 1;
    s.timeBases = {99, 0, 0, 0};
    s.raw = std::move(raw);
    return s;
}

}  // namespace

TEST(GlitchTest, IsolatedExtremaBeyondFourSigmaOfBothNeighbours) {
    struct Case {
        const char* what;
        TFloatArray in;
        TFloatArray out;
    };
    const Case cases[] = {
        // (500 - 100)(100 - 500) < 0 and 400 > 4 x sqrt(100) = 40.
        {"spike", {100, 100, 500, 100, 100}, {100, 100, 100, 100, 100}},
        {"drop-out", {400, 400, 0, 400, 400}, {400, 400, 400, 400, 400}},
        // 30 is not above 40.
        {"within noise", {100, 130, 100}, {100, 130, 100}},
        // (b - c)(d - b) = 0: a step is no glitch.
        {"step", {100, 500, 500}, {100, 500, 500}},
        {"two adjacent spikes", {100, 500, 500, 100}, {100, 500, 500, 100}},
        // The last index has no right neighbour and is never tested.
        {"last index", {100, 100, 100, 900}, {100, 100, 100, 900}},
        // A repaired value is the next test's left neighbour: 100, (100+110)/2 ... stays.
        {"repair feeds the next test", {100, 900, 110, 2000, 120}, {100, 105, 110, 115, 120}},
        // 300 lies between 900 and 100 (no extremum) until 900 becomes (100 + 300) / 2 = 200;
        // then 100 > 4 x sqrt(200) and 200 > 4 x sqrt(100): repaired to 150.
        {"repair makes the next point a glitch",
         {100, 900, 300, 100, 100},
         {100, 200, 150, 100, 100}},
        // |b - c| must exceed q sqrt(|c|): exactly 40 is not a glitch, a hair above is.
        {"at the threshold", {100, 140, 100}, {100, 140, 100}},
        {"just above the threshold", {100, 140.000001, 100}, {100, 100, 100}},
    };
    for (const Case& c : cases) {
        TFloatArray v = c.in;
        DeglitchSequence(v, TIndexRange{1, static_cast<std::int64_t>(v.size()) - 2});
        EXPECT_EQ(v, c.out) << c.what;
    }
    TFloatArray v = {100, 100, 500, 100, 100};
    const auto repairs = DeglitchSequence(v, TIndexRange{1, 3});
    ASSERT_EQ(repairs.size(), 1u);
    EXPECT_EQ(repairs[0].index, 2);
    EXPECT_EQ(repairs[0].oldValue, 500);
    EXPECT_EQ(repairs[0].newValue, 100);
}

// The test written out point by point, as the formula reads, against DeglitchSequence on
// noisy curves with spikes and drop-outs: the same points repaired to the same values.
TEST(GlitchTest, AgreesWithTheFormulaWrittenOutOnNoisyCurves) {
    const auto reference = [](TFloatArray v, double q) {
        for (std::size_t i = 1; i + 1 < v.size(); ++i) {
            const double b = v[i], c = v[i - 1], d = v[i + 1];
            if ((b - c) * (d - b) < 0 && std::fabs(b - c) > q * std::sqrt(std::fabs(c)) &&
                std::fabs(b - d) > q * std::sqrt(std::fabs(d)))
                v[i] = (c + d) / 2.0;
        }
        return v;
    };
    std::mt19937 random(20261211);
    int repaired = 0;
    for (int curve = 0; curve < 300; ++curve) {
        const double level = std::pow(10.0, std::uniform_real_distribution<>(0.0, 5.0)(random));
        std::poisson_distribution<int> counts(level);
        std::uniform_int_distribution<int> glitch(0, 40);
        TFloatArray v(120);
        for (double& x : v) {
            x = counts(random);
            const int g = glitch(random);
            if (g == 0) x *= 3.0;       // spike
            if (g == 1) x = 0.0;        // drop-out
            if (g == 2) x = -x / 10.0;  // negative after a subtraction
        }
        for (double q : {4.0, 2.5, 0.0}) {
            TFloatArray got = v;
            const auto repairs =
                DeglitchSequence(got, TIndexRange{1, static_cast<std::int64_t>(v.size()) - 2}, q);
            ASSERT_EQ(got, reference(v, q)) << "curve " << curve << ", q " << q;
            repaired += static_cast<int>(repairs.size());
        }
    }
    EXPECT_GT(repaired, 300);  // the curves do exercise repairs
}

TEST(GlitchTest, IndexRangesOfTheDialog) {
    struct Case {
        bool tl;
        int spacing;
        double from, to;
        TDeglitchCurve curve;
        std::size_t length;
        std::int64_t lo, hi;
    };
    const Case cases[] = {
        // TL, spacing 5, 200 to 500 degC: 40 .. 99, capped at length - 2.
        {true, 5, 200, 500, TDeglitchCurve::Raw, 100, 40, 98},
        {true, 5, 0, 500, TDeglitchCurve::Raw, 100, 1, 98},
        {true, 5, 0, 500, TDeglitchCurve::Subtracted, 100, 3, 98},
        {false, 1, 1, 99, TDeglitchCurve::Subtracted, 100, 2, 98},
        {false, 1, 1.4, 20.6, TDeglitchCurve::Raw, 100, 1, 21},
        // A spacing of 0 gives no temperature scale: nothing is tested.
        {true, 0, 200, 500, TDeglitchCurve::Raw, 100, 1, 0},
    };
    for (const Case& c : cases) {
        const TIndexRange r = DeglitchIndexRange(c.tl, c.spacing, c.from, c.to, c.curve, c.length);
        EXPECT_EQ(r.lo, c.lo) << c.from << "-" << c.to;
        EXPECT_EQ(r.hi, c.hi) << c.from << "-" << c.to;
    }
}

TEST(DeglitchRecords, SubtractedOslCurveUsesShiftAsLeftNeighbourAndKeepsIt) {
    TRecordFixture s = Record(1, 1, 2100, true, {});
    s.shift = 100;                    // channel 1 after subtraction
    s.subtracted = {1000, 100, 100};  // index 2 is a spike next to "Shift"
    s.subtracted.resize(98, 100.0);
    TTempFolder folder;
    auto view = OpenDat(WriteDatFile(folder, {s}));
    const TDeglitchSettings settings = DefaultDeglitchRange(false, TDeglitchCurve::Subtracted);
    const TDeglitchReport report = DeglitchRecords(*view, DatCurves(*view), settings, {});
    ASSERT_EQ(report.repaired.size(), 1u);
    EXPECT_EQ(report.repaired[0].repair.index, 2);
    EXPECT_EQ(report.repaired[0].repair.newValue, 100);
    EXPECT_EQ(ReadSubtractedCurve(*view)[2], 100);
    EXPECT_EQ(view->AsFloat("Shift"), 100);
    EXPECT_TRUE(view->Modified());
}

TEST(DeglitchRecords, SelectedRecordsOfTheViewsKindWithSubtractedCurves) {
    TFloatArray spiky(100, 100.0);
    spiky[10] = 900;
    TTempFolder folder;
    auto view =
        OpenDat(WriteDatFile(folder, {
                                         Record(1, 1, 0, true, spiky),     // TL sample
                                         Record(1, 2, 2100, true, spiky),  // OSL: other kind
                                         Record(2, 1, 0, false, spiky),    // background
                                         Record(3, 1, 0, true, spiky),     // TL sample
                                     }));
    const TCurveFieldList curves = DatCurves(*view);
    TDeglitchSettings raw = DefaultDeglitchRange(true, TDeglitchCurve::Raw);
    raw.from = 0;
    const TDeglitchReport report =
        DeglitchRecords(*view, curves, raw, {IdOf(*view, 4), IdOf(*view, 2), IdOf(*view, 3)});
    // Raw curves: the background counts, the OSL record does not.
    EXPECT_EQ(report.processed, (std::vector<std::int32_t>{IdOf(*view, 4), IdOf(*view, 3)}));
    view->SetRecNo(2);
    EXPECT_EQ(ReadRawCurve(*view)[10], 900);
    view->SetRecNo(4);
    EXPECT_EQ(ReadRawCurve(*view)[10], 100);

    // Subtracted curves: backgrounds have none; OSL is the other kind.
    TDeglitchSettings sub = raw;
    sub.curve = TDeglitchCurve::Subtracted;
    EXPECT_EQ(ErrorOf([&] {
                  DeglitchRecords(*view, curves, sub, {IdOf(*view, 2), IdOf(*view, 3)});
              }),
              "Selected records have no subtracted curves");
    view->SetRecNo(3);
    EXPECT_EQ(ErrorOf([&] { DeglitchRecords(*view, curves, sub, {}); }),
              "Current record has no subtracted curve");
    EXPECT_EQ(ErrorOf([&] { DeglitchRecords(*view, {}, sub, {}); }), "Curve data not defined.");
    EXPECT_EQ(ErrorOf([&] { DeglitchRecords(*view, {curves[0]}, sub, {}); }),
              "'Subtracted data' not found");
    EXPECT_EQ(ErrorOf([&] {
                  DeglitchRecords(*view, curves, raw, {IdOf(*view, 1), 9999});
              }),
              "Invalid bookmark list");
}

TEST(DeglitchRecords, TLRecordsWithoutSpacingAreSkippedWithAWarning) {
    TFloatArray spiky(100, 100.0);
    spiky[60] = 900;  // 300 degC at spacing 5
    TRecordFixture noSpacing = Record(1, 1, 0, true, spiky);
    noSpacing.spacing = 0;
    TRecordFixture spaced = Record(1, 2, 0, true, spiky);
    spaced.spacing = 5;
    TTempFolder folder;
    auto view = OpenDat(WriteDatFile(folder, {noSpacing, spaced}));
    const TCurveFieldList curves = DatCurves(*view);
    const TDeglitchSettings raw = DefaultDeglitchRange(true, TDeglitchCurve::Raw);
    const std::string warning =
        "Record 1 (run 1, disk 1): \"Spacing\" is not positive, the TL range has no "
        "temperatures; not deglitched.";
    struct Case {
        const char* what;
        std::vector<std::int32_t> selection;
        std::vector<std::int32_t> processed;
    };
    const Case cases[] = {
        {"the current record", {}, {}},
        {"a selection", {IdOf(*view, 1), IdOf(*view, 2)}, {IdOf(*view, 2)}},
    };
    for (const Case& c : cases) {
        view->SetRecNo(1);
        const TDeglitchReport report = DeglitchRecords(*view, curves, raw, c.selection);
        EXPECT_EQ(report.processed, c.processed) << c.what;
        EXPECT_EQ(report.warnings, std::vector<std::string>{warning}) << c.what;
        view->SetRecNo(1);
        EXPECT_EQ(ReadRawCurve(*view)[60], 900) << c.what;  // the spike stays, reported
    }
    view->SetRecNo(2);
    EXPECT_EQ(ReadRawCurve(*view)[60], 100);
}

TEST(DeglitchRecords, WordCurvesStoreTheRepairRounded) {
    // The sample's SAD file keeps raw counts as WORD: a mean of 100.5 is stored as 100.
    TTempFolder folder;
    MakeSample(folder.path().string());
    auto view = OpenView(folder / "S12.SAD", TViewKind::Sad, folder / "SAD.sch");
    const TCurveFieldList curves = {ReadCurveFieldInfo(*view, "Raw data")};
    TLocatedCurve located = LocateCurve(*view, curves, TCurveChoice::First);
    TFloatArray seq = ReadCurveSequence(*view, located);
    ASSERT_GE(seq.size(), 6u);
    seq[3] = 100;
    seq[4] = 60000;
    seq[5] = 101;
    WriteCurveSequence(*view, located, seq);
    TDeglitchSettings settings = DefaultDeglitchRange(false, TDeglitchCurve::Raw);
    settings.from = 4;
    settings.to = 4;
    const TDeglitchReport report = DeglitchRecords(*view, curves, settings, {});
    ASSERT_EQ(report.repaired.size(), 1u);
    EXPECT_EQ(report.repaired[0].repair.newValue, 100);
    EXPECT_EQ(ReadCurveSequence(*view, located)[4], 100);
}

TEST(DeglitchRecords, TheSamplesCosmicRaySpikeIsRemoved) {
    TTempFolder folder;
    MakeSample(folder.path().string());
    auto view = OpenView(folder / "S12.DAT", TViewKind::Dat, folder / "DAT.sch");
    const int record = 4 * 28 + kSampleSpikeDisk;  // run 5, the TL glow curve of disk 9
    view->SetRecNo(record);
    const TFloatArray before = ReadRawCurve(*view);
    TDeglitchSettings settings = DefaultDeglitchRange(true, TDeglitchCurve::Raw);
    settings.from = 100;
    settings.to = 200;
    const TDeglitchReport report = DeglitchRecords(*view, DatCurves(*view), settings, {});
    ASSERT_EQ(report.repaired.size(), 1u);
    const TGlitchRepair& r = report.repaired[0].repair;
    EXPECT_EQ(r.index, kSampleSpikePoint);
    EXPECT_EQ(r.oldValue, before[kSampleSpikePoint]);
    EXPECT_EQ(r.newValue, (before[kSampleSpikePoint - 1] + before[kSampleSpikePoint + 1]) / 2);
    // The spike stood 3000 counts above a glow curve near 150 degC.
    EXPECT_NEAR(r.oldValue - r.newValue, kSampleSpikeCounts, 6 * std::sqrt(kSampleSpikeCounts));
}
