// Single-aliquot computations: channel windows of the limits, single grains as aliquots, SAR
// points normalised by their test doses (hand computations on small curves), SAA levels and
// errors, the depletion disks' checks.
#include "analysis/single_aliquot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <vector>

#include "analysis/single_aliquot_ncf.h"
#include "fitting/result_codes.h"
#include "record_store/measurement_codes.h"

namespace {

// One measurement of a hand-made table.
TLookupRecord Entry(int disk, double dose, bool bleached, bool norm = false, int hole = -1) {
    TLookupRecord e;
    e.Disk = disk;
    e.HoleKey = hole >= 0 ? 255 - hole : 0;
    e.Key.Device = 20;
    e.Key.Spacing = 1;
    e.Key.TimeBase = {10, 0, 0, 0};  // 10 channels of 0.01 s
    e.Irradiation.Dose = dose;
    e.Irradiation.Radiation = dose > 0 ? TRadiation::Beta : TRadiation::None;
    e.Bleaching.BleachTime = bleached ? 1 : 0;
    e.IrradClass = bleached ? kRegenerated : (dose > 0 ? kNaturalPlusDose : kNotIrradiated);
    e.Natural = !bleached;
    e.NormRecord = norm;
    e.TLRun = true;
    e.Curve.assign(11, 0.0);
    return e;
}

void Number(TLookupTable& table) {
    for (std::size_t i = 0; i < table.size(); ++i) {
        table[i].Ordinal = static_cast<int32_t>(i);
        table[i].RecordIndex = static_cast<int32_t>(i);
        table[i].Bookmark = static_cast<int32_t>(i + 1);
        table[i].Run = static_cast<int32_t>(i + 1);
    }
}

}  // namespace

TEST(SaChannelWindowsTest, LimitsBecomeChannelBoundaries) {
    struct Case {
        TTimeBases bases;
        double from, to, bFrom, bTo;
        TChannelWindows expected;
        double newFrom, newTo, newBFrom, newBTo;
    };
    const Case cases[] = {
        // 100 channels of 0.01 s: 0..1 s is channels 1..100, the fields keep 0.00 and 1.00.
        {{100, 0, 0, 0}, 0, 1, 0.9, 1, {1, 100, 91, 100}, 0, 1, 0.9, 1},
        // 0.005..0.025 s: channels 1..3, shown as 0.00..0.03.
        {{100, 0, 0, 0}, 0.005, 0.025, 0.5, 0.6, {1, 3, 51, 60}, 0, 0.03, 0.5, 0.6},
        // Mixed time bases: 10 x 0.01 s then 10 x 0.1 s; 0.15 s lies in channel 11.
        {{10, 10, 0, 0}, 0.15, 0.45, 0.9, 1.1, {11, 14, 19, 20}, 0.1, 0.5, 0.9, 1.1},
        // A background beyond the shine: the end of the last channel.
        {{10, 0, 0, 0}, 0, 0.05, 59, 60, {1, 5, 11, 10}, 0, 0.05, 0.1, 0.1},
    };
    for (const Case& c : cases) {
        TSaLimits limits;
        limits.signalFrom = c.from;
        limits.signalTo = c.to;
        limits.backgroundFrom = c.bFrom;
        limits.backgroundTo = c.bTo;
        const TChannelWindows w = OslChannelWindows(c.bases, limits);
        EXPECT_EQ(w.i, c.expected.i) << c.from;
        EXPECT_EQ(w.j, c.expected.j) << c.to;
        EXPECT_EQ(w.k, c.expected.k) << c.bFrom;
        EXPECT_EQ(w.l, c.expected.l) << c.bTo;
        EXPECT_NEAR(limits.signalFrom, c.newFrom, 1e-12);
        EXPECT_NEAR(limits.signalTo, c.newTo, 1e-12);
        EXPECT_NEAR(limits.backgroundFrom, c.newBFrom, 1e-12);
        EXPECT_NEAR(limits.backgroundTo, c.newBTo, 1e-12);
    }
}

TEST(SaAliquotsTest, GrainsOfOneDiscAreAliquotsOfTheirOwn) {
    TLookupTable table;
    for (int hole : {37, 12, 37, 12}) table.push_back(Entry(1, 5, true, false, hole));
    Number(table);
    TPlatter platter;
    ASSERT_TRUE(BuildAliquotSet(table, platter));
    ASSERT_EQ(platter.Count(), 2);
    EXPECT_EQ(platter.Find(1)->Hole, 12);
    EXPECT_EQ(platter.Find(2)->Hole, 37);
    EXPECT_EQ(platter.Find(1)->Elements.size(), 2u);
    EXPECT_EQ(AliquotLinePrefix(*platter.Find(2)), "Disk 1 hole 37: ");
    EXPECT_EQ(DiskListTexts(platter)[0].rfind("Disk 1 hole 12 ", 0), 0u);

    // Without holes the disk number is the key, as before.
    TLookupTable plain = {Entry(4, 5, true), Entry(7, 5, true)};
    Number(plain);
    ASSERT_TRUE(BuildAliquotSet(plain, platter));
    EXPECT_NE(platter.Find(7), nullptr);
    EXPECT_EQ(AliquotLinePrefix(*platter.Find(7)), "Disk   7: ");
}

TEST(SarPointsTest, SignalsNormalisedByTheFollowingTestDose) {
    // N, T, R1, T, R2, T on one disk, T being normalisation records. Every channel of a
    // curve holds the same count c: over channels 1..2 the signal is 2c, the background
    // (channels 9..10, the same width) 2c as well when given; here the background window
    // holds half the count.
    TLookupTable table = {Entry(1, 0, false), Entry(1, 5, true, true),
                          Entry(1, 20, true), Entry(1, 5, true, true),
                          Entry(1, 40, true), Entry(1, 5, true, true)};
    Number(table);
    const std::map<int, double> counts = {{0, 100}, {1, 50}, {2, 60}, {3, 55}, {4, 90}, {5, 60}};
    const TRawCurveSource raw = [&](const TLookupRecord& e) {
        TFloatArray curve(11, counts.at(e.Ordinal));
        curve[0] = 0;
        curve[9] = curve[10] = 4;  // background 8 over the window
        return curve;
    };
    TPlatter platter;
    ASSERT_TRUE(BuildAliquotSet(table, platter));
    TSaLimits limits;
    limits.signalFrom = 0;
    limits.signalTo = 0.02;
    limits.backgroundFrom = 0.08;
    limits.backgroundTo = 0.1;
    const TSaPointsReport r =
        BuildSarGrowthPoints(table, *platter.Find(1), table[0].Key, raw, limits);
    EXPECT_TRUE(r.warnings.empty());
    // First list {0}, second list {0, 20, 40}.
    ASSERT_EQ(r.points.size(), 4u);
    EXPECT_EQ(r.points[0].Kind, kGrowthLevel);
    EXPECT_EQ(r.points[1].Dose, 0);
    EXPECT_EQ(r.points[1].Points.size(), 1u);  // the origin only
    EXPECT_EQ(r.points[1].Points[0].Ordinal, -1);
    // E = 2c - 8, B = 2t - 8 (own background), Tref = B_N.
    const double eN = 192, bN = 92;
    EXPECT_DOUBLE_EQ(r.points[0].Points[0].Signal, eN);  // E_N x Tref / B_N = E_N
    const double e1 = 112, b1 = 102;
    EXPECT_DOUBLE_EQ(r.points[2].Points[0].Signal, e1 * bN / b1);
    const double e2 = 172, b2 = 112;
    EXPECT_DOUBLE_EQ(r.points[3].Points[0].Signal, e2 * bN / b2);
    // The error in full: sigma_E^2 = 8 + 200 (background counts, then signal counts) and
    // sigma_T^2 = 8 + 100, as relative errors of E and T.
    const double rel = std::sqrt(108.0 / (bN * bN) + 208.0 / (eN * eN));
    EXPECT_NEAR(r.points[0].Points[0].Error, eN * rel, 1e-9);
    const double rel1 = std::sqrt((8.0 + 110) / (b1 * b1) + (8.0 + 120) / (e1 * e1));
    EXPECT_NEAR(r.points[2].Points[0].Error, e1 * bN / b1 * rel1, 1e-9);

    // Without normalisation records this aliquot falls back to "No" with a warning naming
    // the measurement; the limits keep the user's choice.
    for (TLookupRecord& e : table) e.NormRecord = false;
    TPlatter plain;
    ASSERT_TRUE(BuildAliquotSet(table, plain));
    TSaLimits tl;
    tl.normalization = kSaNormTL;
    const TSaPointsReport fallback =
        BuildSarGrowthPoints(table, *plain.Find(1), table[0].Key, raw, tl);
    EXPECT_EQ(tl.normalization, kSaNormTL);
    const std::vector<std::string> expected = {
        "Disk 1: the background window 59.00-60.00 s lies beyond the shine (0.10 s): no "
        "background subtracted",
        "Disk 1: no test-dose measurement for run 1; the aliquot is computed without "
        "normalization"};
    EXPECT_EQ(fallback.warnings, expected);
    EXPECT_EQ(fallback.notes.Warning, kTestDoseMissing);
}

TEST(SaaTest, LevelsOfRunningDoseAndErrorsFromTheBackgroundRate) {
    TLookupTable table = {Entry(1, 0, false), Entry(1, 10, false), Entry(1, 10, false)};
    for (TLookupRecord& e : table) e.OslBgdWord = RateToOslBgd(12.3);
    table[0].Curve[1] = 400;
    table[1].Curve[1] = 500;
    table[2].Curve[1] = 600;
    Number(table);
    TPlatter platter;
    ASSERT_TRUE(BuildAliquotSet(table, platter));
    // "OSL BGD" read as counts per second, 12.3, not its stored word.
    EXPECT_NEAR(platter.Find(1)->BgdRate, 12.3, 1e-9);
    const TGrowthPoints points = BuildSaaGrowthPoints(table, *platter.Find(1), table[0].Key);
    ASSERT_EQ(points.size(), 3u);
    EXPECT_EQ(points[1].Dose, 10);
    EXPECT_EQ(points[2].Dose, 20);
    // T = 0.1 s: a = 0.05 x 0.1 x sqrt(20 x 12.3), b = 12.3 x 0.1.
    const double a = 0.005 * std::sqrt(246.0), b = 1.23;
    EXPECT_NEAR(points[2].Points[0].Error, std::sqrt(a * a + b + 600), 1e-9);
}

TEST(SaaTest, DepletionDisksMustHaveEqualCounts) {
    TLookupTable table = {Entry(1, 0, false), Entry(1, 10, false)};
    for (int n = 0; n < 5; ++n) table.push_back(Entry(2, 0, false));
    for (int n = 0; n < 4; ++n) table.push_back(Entry(3, 0, false));
    for (TLookupRecord& e : table) e.Curve[1] = 100;
    Number(table);
    TPlatter platter;
    ASSERT_TRUE(BuildAliquotSet(table, platter));
    TGrowthPoints points = BuildSaaGrowthPoints(table, *platter.Find(1), table[0].Key);
    std::string error;
    const TSolution s =
        ComputeSaaSolution(points, platter, *platter.Find(1), table, 1, TFitOptions{}, error);
    EXPECT_EQ(error, "Error condition in SAA computations.\r\nDisk 3 has less measurements.");
    EXPECT_EQ(s.Line, "Disk   1: ");
    // A depletion disk's own line.
    TGrowthPoints depletion = BuildSaaGrowthPoints(table, *platter.Find(2), table[0].Key);
    EXPECT_EQ(depletion.front().Kind, kDepletionLevel);
    EXPECT_EQ(depletion[3].Dose, 3);
    EXPECT_EQ(s.Fit.ResultCode, kSolutionNotAvailable);
    error.clear();
    const TSolution d =
        ComputeSaaSolution(depletion, platter, *platter.Find(2), table, 1, TFitOptions{}, error);
    EXPECT_EQ(d.Line, "Disk   2: is a depletion disk");
    // No dose: not a result of 0 Gy that a plateau or an age would take.
    EXPECT_EQ(d.Fit.ResultCode, kSolutionNotAvailable);
}

TEST(SaaTest, DepletionFunctionCodes) {
    // The list's objects: "Linear" 1, "1 exponent" .. "4 exponents" 49..52.
    EXPECT_EQ(DepletionFunctionCode(1), kLinearFunction);
    for (int exponents = 1; exponents <= 4; ++exponents)
        EXPECT_EQ(DepletionFunctionCode(48 + exponents), kDecayBase + exponents);
    EXPECT_EQ(DepletionFunctionCode(53), kLinearFunction);
}

TEST(SarPointsTest, TLTestDosesIntegratedOverTheTLWindows) {
    // N, T, R1, T with T TL normalisation runs ("Spacing" 5): the TL windows 70..150 degC
    // and 0..50 degC are points 14..30 and 0..10.
    TLookupTable table = {Entry(1, 0, false), Entry(1, 5, true, true), Entry(1, 20, true),
                          Entry(1, 5, true, true)};
    for (int t : {1, 3}) {
        table[static_cast<std::size_t>(t)].Key = TDeviceKey{};
        table[static_cast<std::size_t>(t)].Key.Spacing = 5;
    }
    Number(table);
    const TRawCurveSource raw = [&](const TLookupRecord& e) {
        TFloatArray curve(100, 0.0);
        if (e.Key.Device == 0) {
            // 1 below point 14, then 10 (first test) or 20 (second).
            for (int k = 0; k < 100; ++k) curve[k] = k < 14 ? 1 : (e.Ordinal == 1 ? 10 : 20);
        } else {
            for (int k = 1; k <= 10; ++k) curve[k] = e.Ordinal == 0 ? 100 : 60;
        }
        return curve;
    };
    TPlatter platter;
    ASSERT_TRUE(BuildAliquotSet(table, platter));
    TSaLimits limits;
    limits.normalization = kSaNormTL;
    limits.signalTo = 0.02;  // channels 1..2; no background (59..60 s lies beyond the shine)
    const TSaPointsReport r =
        BuildSarGrowthPoints(table, *platter.Find(1), table[0].Key, raw, limits);
    ASSERT_EQ(r.warnings.size(), 1u);
    EXPECT_EQ(r.warnings[0],
              "Disk 1: the background window 59.00-60.00 s lies beyond the shine (0.10 s): no "
              "background subtracted");
    // B = 17 x 10 - 11 x 17 / 11 = 153 for the natural, 17 x 20 - 17 = 323 after R1.
    const double eN = 200, e1 = 120;
    EXPECT_DOUBLE_EQ(r.points[0].Points[0].Signal, eN);
    ASSERT_EQ(r.points.back().Dose, 20);
    EXPECT_DOUBLE_EQ(r.points.back().Points[0].Signal, e1 * 153.0 / 323.0);

    // A TL test dose without "Spacing" is skipped with a warning; the mode falls back.
    table[1].Key.Spacing = 0;
    TSaLimits again;
    again.normalization = kSaNormTL;
    const TSaPointsReport skipped =
        BuildSarGrowthPoints(table, *platter.Find(1), table[0].Key, raw, again);
    ASSERT_EQ(skipped.warnings.size(), 3u);
    EXPECT_EQ(skipped.warnings[1],
              "Disk 1: the TL test dose run 2 has \"Spacing\" 0 and is skipped");
    EXPECT_EQ(again.normalization, kSaNormTL);
    EXPECT_EQ(skipped.notes.Warning, kTestDoseMissing);
}

namespace {

// A disk measured by the NCF template: TL test dose 2 Gy, its second heating, the natural
// shine, TL 2 Gy, its second heating, the reference shine (5 Gy), then R1 = 20 Gy, T = 7.2 Gy,
// R2 = 40 Gy, T = 7.2 Gy. TL records have "Spacing" 10; OSL records 10 channels of 0.01 s.
struct TNcfDisk {
    TLookupTable table;
    TPlatter platter;
    std::map<int, TFloatArray> curves;  // by ordinal

    explicit TNcfDisk(bool withBackgroundHeatings) {
        enum TKind { kTL, kTLBackground, kNatural, kRef, kRegen };
        std::vector<std::pair<TKind, double>> run = {
            {kTL, 2},  {kTLBackground, 0}, {kNatural, 0}, {kTL, 2},     {kTLBackground, 0},
            {kRef, 5}, {kRegen, 20},       {kRef, 7.2},   {kRegen, 40}, {kRef, 7.2}};
        if (!withBackgroundHeatings)
            std::erase_if(run, [](const auto& m) { return m.first == kTLBackground; });
        TDiskList& disk = platter.Disks[1];
        disk.Disk = 1;
        for (const auto& [kind, dose] : run) {
            const bool tl = kind == kTL || kind == kTLBackground;
            TLookupRecord e = Entry(1, dose, kind == kRegen, kind == kRef || kind == kTLBackground);
            e.Ordinal = e.RecordIndex = static_cast<int32_t>(table.size());
            if (tl) {
                e.Key = TDeviceKey{};
                e.Key.Spacing = 10;
                e.TLRun = kind == kTL;
            }
            TFloatArray curve(11, 0.0);
            // TL: the first test dose glows 100 per point, the second 120; background
            // heatings 10 and 20; each own background window (points 5..6) holds 8.
            // OSL: constant over channels 1..8, 4 in channels 9..10 (the background).
            const int before = static_cast<int>(table.size());
            for (int k = 1; k <= 10; ++k) {
                if (tl) {
                    const bool first = before < 2;
                    curve[k] = kind == kTL ? (first ? 100 : 120) : (first ? 10 : 20);
                    if (kind == kTL && (k == 5 || k == 6)) curve[k] = 8;
                } else {
                    // Net signals over channels 1..2 (count x 2 - 8): natural 192, test
                    // doses 92, R1 100 and R2 200, so that after normalisation the
                    // regenerated points lie on 5 per Gy.
                    const double count = kind == kNatural ? 100
                                         : kind == kRef   ? 50
                                         : dose == 20     ? 54
                                                          : 104;
                    curve[k] = k >= 9 ? 4 : count;
                }
            }
            curves[e.Ordinal] = curve;
            TDiskElement el;
            el.Ordinal = e.Ordinal;
            el.Dose = dose;
            el.IsTL = tl;
            el.Natural = kind == kNatural;
            disk.Elements.push_back(el);
            table.push_back(e);
        }
        RecognizeNcfSchemes(platter, table, TNcfTolerances{});
    }
    TRawCurveSource Raw() const {
        return [this](const TLookupRecord& e) { return curves.at(e.Ordinal); };
    }
    static TSaLimits Limits() {
        TSaLimits limits;
        limits.normalization = kSaNormNcf;
        limits.signalTo = 0.02;  // channels 1..2
        limits.backgroundFrom = 0.08;
        limits.backgroundTo = 0.1;  // channels 9..10
        limits.tlSignalFrom = 10;
        limits.tlSignalTo = 30;  // points 1..3
        limits.tlBackgroundFrom = 50;
        limits.tlBackgroundTo = 60;  // points 5..6: scaled by 3/2
        return limits;
    }
};

}  // namespace

TEST(SarNcfTest, NaturalCorrectedByTheRatioOfTheTLTestDoses) {
    struct Case {
        bool backgroundHeatings;
        double a, aVariance, h, hVariance;  // net TL signals of the pair and their variances
    };
    const Case cases[] = {
        // Backgrounds from the second heatings: A = 360 - 60, H = 300 - 30.
        {true, 300, 420, 270, 330},
        // None: each its own window, 16 scaled by 3/2 (variance 16 x 9/4).
        {false, 360 - 24, 360 + 36, 300 - 24, 300 + 36},
    };
    for (const Case& c : cases) {
        TNcfDisk fixture(c.backgroundHeatings);
        const TDiskList& disk = *fixture.platter.Find(1);
        ASSERT_TRUE(disk.NcfFound) << c.backgroundHeatings;
        // (5 + 2) x (2 / 2) / 7.2
        const double scale = 7.0 / 7.2;
        EXPECT_NEAR(disk.NcfScale, scale, 1e-12);
        const double ncf = scale * c.a / c.h;
        const double ncfError =
            ncf * std::sqrt(c.hVariance / (c.h * c.h) + c.aVariance / (c.a * c.a));

        TSaLimits limits = TNcfDisk::Limits();
        const TSaPointsReport r = BuildSarGrowthPoints(
            fixture.table, disk, fixture.table.back().Key, fixture.Raw(), limits);
        EXPECT_TRUE(r.warnings.empty());
        ASSERT_TRUE(r.ncf.has_value());
        EXPECT_NEAR(r.ncf->NCF, ncf, 1e-12);
        EXPECT_NEAR(r.ncf->NCFError, ncfError, 1e-12);
        // The natural: E x Tref / (B / NCF) = 192 x NCF, its error from the test dose's
        // counts (8 + 100), the factor's error and the signal's counts (8 + 200).
        const TGrowthPoint& natural = r.points[0].Points[0];
        EXPECT_NEAR(natural.Signal, 192 * ncf, 1e-9);
        const double relative = std::sqrt(
            108.0 / (92.0 * 92.0) + (ncfError / ncf) * (ncfError / ncf) + 208.0 / (192.0 * 192.0));
        EXPECT_NEAR(natural.Error, 192 * ncf * relative, 1e-9);

        // The regenerated points lie on 5 per Gy through the origin, so a line gives the
        // natural dose 192 x NCF / 5, less the TL doses before the natural (2 Gy).
        TFitOptions linear;
        linear.FunctionObject = 1;
        TGrowthPoints points = r.points;
        const TSolution s = ComputeSarSolution(points, disk, linear, r.ncf);
        ASSERT_EQ(s.Fit.ResultCode, 0) << s.Line;
        EXPECT_NEAR(s.Fit.ED, 192 * ncf / 5 - 2, 1e-6);
        char expected[64];
        std::snprintf(expected, sizeof expected, "; NCF %4.3f(\u00b1%4.3f); ", ncf, ncfError);
        EXPECT_NE(s.Line.find(expected), std::string::npos) << s.Line;
        EXPECT_EQ(s.Line.rfind("Disk   1: ", 0), 0u);
    }
}

TEST(SarNcfTest, UnfitPairGivesOneWithAWarning) {
    // The first TL test dose glows no more than its background: H = 0.
    TNcfDisk fixture(true);
    for (int k = 1; k <= 10; ++k) fixture.curves[0][k] = 10;
    TSaLimits limits = TNcfDisk::Limits();
    const TSaPointsReport r = BuildSarGrowthPoints(fixture.table, *fixture.platter.Find(1),
                                                   fixture.table.back().Key, fixture.Raw(), limits);
    ASSERT_TRUE(r.ncf.has_value());
    EXPECT_EQ(r.ncf->NCF, 1);
    EXPECT_EQ(r.ncf->NCFError, 0);
    ASSERT_EQ(r.warnings.size(), 1u);
    EXPECT_NE(r.warnings[0].find("NCF set to 1"), std::string::npos);
    EXPECT_DOUBLE_EQ(r.points[0].Points[0].Signal, 192);
}

namespace {

// Four disks of SAR measurements (N natural, R regenerated, T test dose) whose curves hold a
// constant count in every channel: natural 100, regenerated 10 per Gy, test doses 50.
//   disk 1: N T R20 T          complete
//   disk 2: N T R20 T R40      the last regeneration has no test dose
//   disk 3: N T R20 T          complete again: nothing of disk 2 carries over
//   disk 4: N T R20 R40 T      R20's test dose is that of R40, a later cycle
struct TSarDisks {
    TLookupTable table;
    TPlatter platter;
    TSarDisks() {
        const auto add = [this](int disk, std::initializer_list<std::pair<char, double>> run) {
            for (const auto& [kind, dose] : run)
                table.push_back(Entry(disk, dose, kind != 'N', kind == 'T'));
        };
        add(1, {{'N', 0}, {'T', 5}, {'R', 20}, {'T', 5}});
        add(2, {{'N', 0}, {'T', 5}, {'R', 20}, {'T', 5}, {'R', 40}});
        add(3, {{'N', 0}, {'T', 5}, {'R', 20}, {'T', 5}});
        add(4, {{'N', 0}, {'T', 5}, {'R', 20}, {'R', 40}, {'T', 5}});
        Number(table);
        BuildAliquotSet(table, platter);
    }
    TRawCurveSource Raw() const {
        return [this](const TLookupRecord& e) {
            const double count = e.NormRecord ? 50 : e.Natural ? 100 : 10 * e.Irradiation.Dose;
            TFloatArray curve(11, count);
            curve[0] = 0;
            return curve;
        };
    }
};

}  // namespace

TEST(SarPointsTest, AMissingTestDoseSpoilsOnlyItsOwnAliquot) {
    const TSarDisks d;
    TSaLimits limits;
    limits.signalTo = 0.02;  // channels 1..2; the 59..60 s background lies beyond the shine
    struct Case {
        int disk;
        ResultCode warning;
        const char* note;   // expected in the notes; "" for none
        double regenerated;  // the R20 point
    };
    const Case cases[] = {
        {1, kResultOk, "", 400.0 * 100 / 100},
        {2, kTestDoseMissing, "no test dose for run 9: not normalised; ", 400.0},
        {3, kResultOk, "", 400.0},
        {4, kResultOk, "test dose of run 16 taken from run 18; ", 400.0},
    };
    for (const Case& c : cases) {
        const TSaPointsReport r =
            BuildSarGrowthPoints(d.table, *d.platter.Find(c.disk), d.table[0].Key, d.Raw(), limits);
        EXPECT_EQ(limits.normalization, kSaNormOsl) << c.disk;
        EXPECT_EQ(r.notes.Warning, c.warning) << c.disk;
        if (*c.note) {
            EXPECT_NE(r.notes.Note.find(c.note), std::string::npos) << c.disk << ": " << r.notes.Note;
        }
        // The R20 point: normalised, 400 x 100 / 100 = 400, or as measured, 400 counts; never
        // the measured signal times the natural's test dose.
        const TDosePoints* r20 = nullptr;
        for (const TDosePoints& level : r.points)
            if (level.Kind != kGrowthLevel && level.Dose == 20) r20 = &level;
        ASSERT_NE(r20, nullptr) << c.disk;
        EXPECT_DOUBLE_EQ(r20->Points[0].Signal, c.regenerated) << c.disk;
        // The background window beyond the shine is said for every aliquot.
        EXPECT_NE(r.notes.Note.find("background window beyond the shine: no background; "),
                  std::string::npos)
            << c.disk;
    }
    // The solution of disk 2 carries the warning and the note in its line.
    TSaLimits again = limits;
    TSaPointsReport r2 =
        BuildSarGrowthPoints(d.table, *d.platter.Find(2), d.table[0].Key, d.Raw(), again);
    TFitOptions linear;
    linear.FunctionObject = 1;
    const TSolution s = ComputeSarSolution(r2.points, *d.platter.Find(2), linear, r2.ncf, r2.notes);
    EXPECT_EQ(s.Fit.ResultCode, kTestDoseMissing) << s.Line;
    EXPECT_NE(s.Line.find("no test dose for run 9"), std::string::npos) << s.Line;
    EXPECT_EQ(s.Aliquot.Disk, 2);
    EXPECT_EQ(s.Aliquot.Hole, -1);
}

TEST(SarPointsTest, OriginWeighsLikeTheBestMeasuredPoint) {
    const TPointSet natural = [] {
        TPointSet p;
        p.Count = 1;
        p.Error[0] = 12;
        return p;
    }();
    TPointSet regenerated;
    regenerated.Count = 3;
    const double errors[] = {1.0, 9.0, 15.0};  // the origin's placeholder, then measured
    std::copy(std::begin(errors), std::end(errors), regenerated.Error);
    EXPECT_DOUBLE_EQ(OriginError(natural, regenerated), 9.0);
    EXPECT_DOUBLE_EQ(OriginError(TPointSet{}, TPointSet{}), 1.0);
}

namespace {

// Counts of one shine: 50 channels of 0.01 s, an exponential decay of `amplitude` counts in
// all (lifetime 3 channels) over a background of 20 per channel, Poisson-distributed.
TFloatArray PoissonShine(double amplitude, std::mt19937& random) {
    TFloatArray curve(51, 0.0);
    const double tau = 3.0;
    for (int k = 1; k <= 50; ++k) {
        const double share = std::exp(-(k - 1) / tau) - std::exp(-k / tau);
        std::poisson_distribution<int> counts(amplitude * share + 20.0);
        curve[static_cast<std::size_t>(k)] = counts(random);
    }
    return curve;
}

}  // namespace

TEST(SarMonteCarlo, PullOfTheDoseHasUnitSpread) {
    // Grains with a saturating dose response L(D) = 4000 (1 - exp(-D / 150)), a natural dose
    // of 50 Gy, regenerations of 20, 40, 80 and 120 Gy, each shine followed by a test dose of
    // 10 Gy (the response to 10 Gy), a sensitivity that grows from cycle to cycle, and
    // Poisson counts. If the point errors are right, (ED - 50) / EDError scatters with a
    // standard deviation near 1 over many grains.
    const double trueDose = 50, d0 = 150, saturation = 4000;
    const auto response = [&](double dose) { return saturation * (1 - std::exp(-dose / d0)); };
    const std::vector<double> regenerations = {20, 40, 80, 120};
    std::mt19937 random(20261211);
    TFitOptions exponential;
    exponential.FunctionObject = 4;  // saturating exponential
    TSaLimits limits;
    limits.signalFrom = 0;
    limits.signalTo = 0.05;  // channels 1..5
    limits.backgroundFrom = 0.3;
    limits.backgroundTo = 0.5;  // channels 31..50
    std::vector<double> pulls;
    const int grains = 400;
    for (int g = 0; g < grains; ++g) {
        TLookupTable table;
        std::map<int, TFloatArray> curves;
        double sensitivity = 1.0;
        const auto measure = [&](double dose, bool natural, double signalDose) {
            TLookupRecord shine = Entry(1, natural ? 0 : dose, !natural);
            TLookupRecord test = Entry(1, 10, true, true);
            for (TLookupRecord* e : {&shine, &test}) e->Key.TimeBase = {50, 0, 0, 0};
            curves[static_cast<int>(table.size())] =
                PoissonShine(sensitivity * response(signalDose), random);
            table.push_back(shine);
            curves[static_cast<int>(table.size())] = PoissonShine(sensitivity * response(10), random);
            table.push_back(test);
            sensitivity *= 1.08;
        };
        measure(0, true, trueDose);
        for (double d : regenerations) measure(d, false, d);
        Number(table);
        TPlatter platter;
        ASSERT_TRUE(BuildAliquotSet(table, platter));
        const TRawCurveSource raw = [&](const TLookupRecord& e) { return curves.at(e.Ordinal); };
        TSaLimits l = limits;
        TSaPointsReport r = BuildSarGrowthPoints(table, *platter.Find(1), table[0].Key, raw, l);
        const TSolution s = ComputeSarSolution(r.points, *platter.Find(1), exponential, r.ncf, r.notes);
        if (s.Fit.ResultCode != kResultOk) continue;
        pulls.push_back((s.Fit.ED - trueDose) / s.Fit.EDError);
    }
    ASSERT_GT(pulls.size(), grains * 9u / 10);
    double mean = 0;
    for (double p : pulls) mean += p;
    mean /= pulls.size();
    double variance = 0;
    for (double p : pulls) variance += (p - mean) * (p - mean);
    const double spread = std::sqrt(variance / (pulls.size() - 1));
    EXPECT_GT(spread, 0.85);
    EXPECT_LT(spread, 1.15);
    EXPECT_LT(std::abs(mean), 0.25);
}

namespace {

// One SAR aliquot as a lab measures it: natural, 20 and 40 Gy, a 0 Gy regeneration, the 20 Gy
// repeat, then an IR shine and the 20 Gy again; every test dose 400 counts in channels 1..2.
// Counts per channel: Lx/Tx = 2.0 (natural), 1.2, 2.0, 0.04, 1.44 (recycled), 0.96 (after IR).
struct TSarCycleDisk {
    TLookupTable table;
    TPlatter platter;
    std::map<int, double> counts;  // per ordinal
    TSarCycleDisk() {
        const auto add = [this](double dose, bool bleached, bool norm, double perChannel,
                                int device = 20) {
            TLookupRecord e = Entry(1, dose, bleached, norm);
            e.Key.Device = device;
            counts[static_cast<int>(table.size())] = perChannel;
            table.push_back(e);
        };
        add(0, false, false, 400);
        add(5, true, true, 200);
        for (const auto& [dose, lx] :
             std::initializer_list<std::pair<double, double>>{{20, 240}, {40, 400}, {0, 8}, {20, 288}}) {
            add(dose, true, false, lx);
            add(5, true, true, 200);
        }
        add(20, true, false, 5000, 28);  // the IR shine
        add(20, true, false, 192);
        add(5, true, true, 200);
        Number(table);
        BuildAliquotSet(table, platter);
    }
    TRawCurveSource Raw() const {
        return [this](const TLookupRecord& e) {
            TFloatArray curve(11, 0.0);
            curve[1] = curve[2] = counts.at(e.Ordinal);  // the signal; channels 9..10 hold 0
            return curve;
        };
    }
};

}  // namespace

TEST(SarPointsTest, CriteriaInputsOfASarCycle) {
    const TSarCycleDisk d;
    TSaLimits limits;
    limits.signalTo = 0.02;  // channels 1..2
    limits.backgroundFrom = 0.08;
    limits.backgroundTo = 0.1;  // channels 9..10: no counts
    const TSaPointsReport r =
        BuildSarGrowthPoints(d.table, *d.platter.Find(1), d.table[0].Key, d.Raw(), limits);
    // Tref = 400 = every Tx: the points are the net signals, 2 x counts per channel.
    const std::vector<TSarSignal> expected = {
        {0, 800, true, false}, {20, 480, false, false}, {40, 800, false, false},
        {0, 16, false, false}, {20, 576, false, false}, {20, 384, false, true}};
    ASSERT_EQ(r.measurements.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_DOUBLE_EQ(r.measurements[i].Dose, expected[i].Dose) << i;
        EXPECT_NEAR(r.measurements[i].Ratio, expected[i].Ratio, 1e-9) << i;
        EXPECT_EQ(r.measurements[i].Natural, expected[i].Natural) << i;
        EXPECT_EQ(r.measurements[i].IrBefore, expected[i].IrBefore) << i;
    }
    // The natural Tx: 400 counts, no background: sqrt(400) / 400.
    EXPECT_NEAR(r.testDoseError, 0.05, 1e-12);
    // The IR-then-OSL measurement is no growth point: 20 Gy holds the first and the recycled.
    bool found = false;
    for (const TDosePoints& level : r.points) {
        if (level.Kind == kRegenLevel && level.Dose == 20) {
            found = true;
            ASSERT_EQ(level.Points.size(), 2u);
            EXPECT_NEAR(level.Points[0].Signal, 480, 1e-9);
            EXPECT_NEAR(level.Points[1].Signal, 576, 1e-9);
        }
    }
    EXPECT_TRUE(found);
    TFitRecord fit;
    fit.ED = 40;
    fit.EDError = 2;
    const TSarCriteria c = EvaluateSarCriteria(r.measurements, r.testDoseError, fit, {});
    ASSERT_EQ(c.RecyclingRatios.size(), 1u);
    EXPECT_NEAR(c.RecyclingRatios[0], 1.2, 1e-12);     // 576 / 480
    EXPECT_NEAR(*c.Recuperation, 0.02, 1e-12);         // 16 / 800
    EXPECT_NEAR(*c.IrDepletionRatio, 0.8, 1e-12);      // 384 / 480
    EXPECT_EQ(c.Failed, (std::vector<std::string>{kCriterionRecycling, kCriterionDepletion}));
}
