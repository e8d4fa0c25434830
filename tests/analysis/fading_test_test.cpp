// The fading test: ratios and errors of group means against hand computations, the length
// and start of the result, the failures (a group without data, means of 0, spacing 0), the
// texts of the lists, the record filter, and on the sample two groups given the same
// treatment.
#include "analysis/fading_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "analysis_test_files.h"
#include "record_store/bin_data_set.h"
#include "record_store/curve_access.h"
#include "tools/background_subtraction.h"

namespace {

using namespace analysis_test;

// A TL curve of `count` values, each `value` (0 after the last).
TFadingCurve Tl(double value, int count, int spacing = 5) {
    TFadingCurve c;
    c.Values.assign(static_cast<std::size_t>(std::max(98, count)), 0.0);
    for (int i = 0; i < count; ++i) c.Values[static_cast<std::size_t>(i)] = value;
    c.Spacing = spacing;
    return c;
}

TFadingCurve Osl(double value, int count, double shift = 0) {
    TFadingCurve c = Tl(value, count);
    c.Tl = false;
    c.Shift = shift;
    return c;
}

const TPlateauElement* At(const TFadingResult& r, int index) {
    for (const TPlateauElement& e : r.Points)
        if (e.Index == index) return &e;
    return nullptr;
}

}  // namespace

TEST(FadingMean, CountingStatisticsOrSampleDeviation) {
    // One value: sqrt(mean). Equal values: sqrt(mean / n). Scatter: the standard error of the
    // mean, the sample deviation over sqrt(n), in both branches.
    const struct {
        std::vector<double> values;
        double mean, deviation;
    } cases[] = {
        {{400}, 400, 20},
        {{200, 200}, 200, 10},
        {{90, 110}, 100, 10.0},               // s^2 = 200, s / sqrt(2) = 10
        {{1, 2, 3, 6}, 3, std::sqrt(7.0 / 6.0)},  // s^2 = 14/3, over n = 4
        {{-50}, 50, std::sqrt(50.0)},  // the mean is taken as |sum| / n
        {{0, 0}, 0, 0},
    };
    for (const auto& c : cases) {
        double sum = 0, squares = 0;
        for (double v : c.values) sum += v, squares += v * v;
        const TFadingMean m = FadingMean(sum, squares, static_cast<int>(c.values.size()));
        EXPECT_DOUBLE_EQ(m.Mean, c.mean);
        EXPECT_NEAR(m.Deviation, c.deviation, 1e-12) << c.values.size() << " values";
    }
}

TEST(FadingRatio, SingleRecordsUseCountingStatistics) {
    const TFadingResult r = ComputeFading({Tl(100, 98)}, {Tl(400, 98)});
    ASSERT_EQ(r.Code, TFadingCode::Ok);
    EXPECT_EQ(r.FadedCount, 1);
    EXPECT_EQ(r.FreshCount, 1);
    const TPlateauElement* e = At(r, 50);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->State, kPlateauValid);
    EXPECT_DOUBLE_EQ(e->X, 255);  // (50 + 1) x 5 degC
    EXPECT_DOUBLE_EQ(e->Value, 0.25);
    EXPECT_NEAR(e->Error, 0.25 * std::sqrt(1.0 / 100 + 1.0 / 400), 1e-15);
}

TEST(FadingRatio, GroupsOfTwoCombineRelativeErrors) {
    // Faded 90 and 110: mean 100, standard error sqrt(200) / sqrt(2) = 10; fresh 200 twice:
    // mean 200, counting error sqrt(200 / 2) = 10. Ratio 0.5, error 0.5 x sqrt(0.1^2 + 0.05^2).
    const TFadingResult r = ComputeFading({Tl(90, 98), Tl(110, 98)}, {Tl(200, 98), Tl(200, 98)});
    ASSERT_EQ(r.Code, TFadingCode::Ok);
    for (const TPlateauElement& e : r.Points) {
        EXPECT_DOUBLE_EQ(e.Value, 0.5) << e.Index;
        EXPECT_NEAR(e.Error, 0.5 * std::sqrt(0.0125), 1e-12) << e.Index;
    }
}

TEST(FadingRatio, LengthFollowsTheShortestCurveAndStartsAt200C) {
    // Last non-zero values at 99, 99 and 89 (faded), 99 (fresh): 92 entries; spacing 5 drops
    // the indices below 39 (200 degC).
    auto curve = [](int last) { return Tl(10, last + 1); };
    const TFadingResult r =
        ComputeFading({curve(99), curve(99), curve(89)}, {curve(99), curve(99)});
    ASSERT_EQ(r.Code, TFadingCode::Ok);
    ASSERT_EQ(r.Points.size(), 92u - 39u);
    EXPECT_EQ(r.Points.front().Index, 39);
    EXPECT_DOUBLE_EQ(r.Points.front().X, 200);
    EXPECT_EQ(r.Points.back().Index, 91);
    EXPECT_DOUBLE_EQ(r.Points.back().X, 460);
    // Index 91 holds value 89 of each curve: all five curves still count there.
    EXPECT_DOUBLE_EQ(r.Points.back().Value, 1.0);

    // A spacing of 2 starts at index 99 (200 div 2 - 1), beyond these curves: nothing left.
    EXPECT_TRUE(ComputeFading({Tl(10, 50, 2)}, {Tl(10, 50, 2)}).Points.empty());
    // A spacing above 200 keeps every index; 0 and 1 have no result.
    const TFadingResult wide = ComputeFading({Tl(10, 5, 250)}, {Tl(20, 5, 250)});
    ASSERT_EQ(wide.Points.size(), 7u);
    EXPECT_EQ(wide.Points[0].State, kPlateauNoResult);
    EXPECT_EQ(wide.Points[2].State, kPlateauValid);
    EXPECT_DOUBLE_EQ(wide.Points[2].X, 750);
}

TEST(FadingRatio, OslChannelsStartAtTheShift) {
    // Index 1 holds "Shift", channel x = index. Shift 0 in both groups: a mean of 0, no result.
    const TFadingResult r = ComputeFading({Osl(30, 10), Osl(50, 10)}, {Osl(40, 10)});
    ASSERT_EQ(r.Code, TFadingCode::Ok);
    EXPECT_FALSE(r.Tl);
    EXPECT_EQ(r.Step, 1);
    ASSERT_EQ(r.Points.size(), 11u);  // 9 + 3 entries less entry 0
    EXPECT_EQ(r.Points[0].Index, 1);
    EXPECT_EQ(r.Points[0].State, kPlateauNoResult);
    EXPECT_TRUE(std::isfinite(r.Points[0].Value) && std::isfinite(r.Points[0].Error));
    EXPECT_EQ(r.Points[1].Index, 2);
    EXPECT_DOUBLE_EQ(r.Points[1].X, 2);
    EXPECT_DOUBLE_EQ(r.Points[1].Value, 1.0);
    // With shifts the index 1 ratio is theirs: 4 / 2.
    const TFadingResult shifted = ComputeFading({Osl(30, 10, 4)}, {Osl(40, 10, 2)});
    EXPECT_EQ(shifted.Points[0].State, kPlateauValid);
    EXPECT_DOUBLE_EQ(shifted.Points[0].Value, 2.0);
}

TEST(FadingRatio, MeansOfZeroGiveNoResult) {
    TFadingCurve fresh = Tl(100, 98);
    fresh.Values[60] = 0;  // index 62
    TFadingCurve faded = Tl(50, 98);
    faded.Values[70] = 0;  // index 72
    const TFadingResult r = ComputeFading({faded}, {fresh});
    ASSERT_EQ(r.Code, TFadingCode::Ok);
    for (int index : {62, 72}) {
        const TPlateauElement* e = At(r, index);
        ASSERT_TRUE(e);
        EXPECT_EQ(e->State, kPlateauNoResult) << index;
        EXPECT_EQ(e->Value, 0) << index;
        EXPECT_EQ(e->Error, 0) << index;
    }
    EXPECT_EQ(At(r, 61)->State, kPlateauValid);
}

TEST(FadingRatio, BothGroupsMustYieldData) {
    const TFadingCurve empty;  // a record without curve data
    const struct {
        std::vector<TFadingCurve> faded, fresh;
        TFadingCode code;
    } cases[] = {
        {{}, {Tl(1, 98)}, TFadingCode::EmptyList},
        {{Tl(1, 98)}, {}, TFadingCode::EmptyList},
        {{empty}, {Tl(1, 98)}, TFadingCode::NoFadedData},
        {{Tl(1, 98)}, {empty, empty}, TFadingCode::NoFreshData},
        {{Tl(1, 98, 0)}, {Tl(1, 98, 0)}, TFadingCode::ZeroSpacing},
    };
    for (const auto& c : cases) {
        const TFadingResult r = ComputeFading(c.faded, c.fresh);
        EXPECT_EQ(r.Code, c.code);
        EXPECT_TRUE(r.Points.empty());
        EXPECT_FALSE(FadingMessage(r.Code).empty());
    }
    // Records without data are skipped within a group that has some.
    const TFadingResult r = ComputeFading({empty, Tl(10, 98)}, {Tl(20, 98), empty});
    EXPECT_EQ(r.Code, TFadingCode::Ok);
    EXPECT_EQ(r.FadedCount, 1);
    EXPECT_EQ(r.FreshCount, 1);
}

TEST(FadingTexts, InfoTextOfTheLists) {
    const struct {
        const char* info;
        const char* text;
    } cases[] = {
        {"  N + 50Gy  ", "N+50Gy"},
        {"Bleach 120 min (SOLAR) + 25 Gy", "BL 120 min +25 Gy"},
        {"bleached(2h) then BLEACH", "BLed then BL"},
        {"dose (no closing", "dose "},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(FadingInfoText(c.info), c.text) << c.info;
}

TEST(FadingFilter, IrradiationBoxes) {
    TFadingRecord natural;  // N + D with beta
    natural.TLRun = true;
    natural.Natural = true;
    natural.BetaDose = 25;
    natural.DateText = "2026-03-16 10:00:00";
    natural.DeviceText = "TL 5deg 5/s";
    TFadingRecord regen = natural;  // D only, alpha
    regen.Natural = false;
    regen.BetaDose = 0;
    regen.AlphaDose = 3;
    TFadingRecord bare = natural;  // no irradiation
    bare.BetaDose = 0;
    TFadingRecord background = natural;
    background.TLRun = false;

    auto with = [](auto set) {
        TFadingFilter f;
        set(f);
        return f;
    };
    const struct {
        const char* what;
        TFadingFilter filter;
        bool natural, regen, bare;
    } cases[] = {
        {"none", {}, true, true, true},
        {"N + D", with([](TFadingFilter& f) { f.NaturalPlusDose = true; }), true, false, false},
        {"D", with([](TFadingFilter& f) { f.DoseOnly = true; }), false, true, false},
        {"no irradiation", with([](TFadingFilter& f) { f.NoIrradiation = true; }), false, false,
         true},
        {"beta alone: N + D or D", with([](TFadingFilter& f) { f.Beta = true; }), false, false,
         false},
        {"N + D, alpha", with([](TFadingFilter& f) { f.NaturalPlusDose = f.Alpha = true; }), false,
         false, false},
        {"D, alpha", with([](TFadingFilter& f) { f.DoseOnly = f.Alpha = true; }), false, true,
         false},
        {"no irradiation, alpha", with([](TFadingFilter& f) { f.NoIrradiation = f.Alpha = true; }),
         true, false, true},
        {"date", with([](TFadingFilter& f) { f.Date = "2026-03-17 10:00:00"; }), false, false,
         false},
        {"device", with([](TFadingFilter& f) { f.Device = "TL 5deg 5/s"; }), true, true, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PassesFadingFilter(natural, c.filter), c.natural) << c.what;
        EXPECT_EQ(PassesFadingFilter(regen, c.filter), c.regen) << c.what;
        EXPECT_EQ(PassesFadingFilter(bare, c.filter), c.bare) << c.what;
        EXPECT_FALSE(PassesFadingFilter(background, c.filter)) << c.what;
    }
}

// On the sample, after TL background subtraction: the natural aliquots (disks 1-4, TL run 5)
// split into two groups measured alike give ratios of 1 within their errors.
TEST(FadingSample, SameTreatmentGivesRatiosOfOne) {
    TSampleFiles sample;
    auto view = sample.Open("S12.DAT", TViewKind::Dat, "DAT.sch");
    TSubtractionSettings settings;
    settings.tlCurves = true;
    const TBackgroundAssignment a = TBackgroundAssignment::Default(*view, true);
    SubtractBackgrounds(*view, a, settings,
                        SubtractionRecords(a, TSubtractScope::All, std::nullopt, {}));
    auto id = [&](int record) { return view->RecordAt(record - 1).id; };  // 1-based
    // Run 5 is records 113..140.
    const TFadingResult r = CheckFading(*view, {id(113), id(114)}, {id(115), id(116)});
    ASSERT_EQ(r.Code, TFadingCode::Ok);
    EXPECT_TRUE(r.Tl);
    EXPECT_EQ(r.Step, 5);
    ASSERT_FALSE(r.Points.empty());
    EXPECT_DOUBLE_EQ(r.Points.front().X, 200);
    // The stable peaks (300-400 degC): the groups differ by their aliquots' brightness (8 %
    // scatter), which two aliquots per group estimate only roughly (the standard error of a
    // mean of two has one degree of freedom), and every temperature shares the same four
    // aliquots, so the 21 ratios are nearly one draw; they still lie about 1 within a few
    // of their errors.
    int valid = 0, withinOne = 0, withinTwo = 0;
    for (const TPlateauElement& e : r.Points) {
        ASSERT_TRUE(std::isfinite(e.Value) && std::isfinite(e.Error)) << e.X;
        if (e.State != kPlateauValid || e.X < 300 || e.X > 400) continue;
        ++valid;
        if (std::fabs(e.Value - 1) <= e.Error) ++withinOne;
        if (std::fabs(e.Value - 1) <= 2 * e.Error) ++withinTwo;
    }
    EXPECT_EQ(valid, 21);
    EXPECT_GE(withinTwo, valid / 2) << withinTwo << " of " << valid;
    EXPECT_GE(withinOne, 1) << withinOne << " of " << valid;

    // 325 degC is index 64: subtracted value 62 of each record, read here through the
    // current-record accessor, which puts it at index 64.
    auto value325 = [&](int record) {
        view->GotoBookmark(id(record));
        return ReadSubtractedCurve(*view)[64];
    };
    const double f1 = value325(113), f2 = value325(114), r1 = value325(115), r2 = value325(116);
    auto deviation = [](double a, double b) {
        return std::fabs(a - b) / 2;  // standard error of the mean of two values
    };
    const double faded = (f1 + f2) / 2, fresh = (r1 + r2) / 2;
    const TPlateauElement* e325 = At(r, 64);
    ASSERT_TRUE(e325);
    EXPECT_DOUBLE_EQ(e325->X, 325);
    EXPECT_NEAR(e325->Value, faded / fresh, 1e-12);
    EXPECT_NEAR(e325->Error,
                faded / fresh * std::hypot(deviation(f1, f2) / faded, deviation(r1, r2) / fresh),
                1e-9);

    // The item texts and the lists of the filter panel.
    // The filter read lazily from the view agrees with the filter of the whole record; TL
    // runs without irradiation on the TL device: disks 1-4 (natural) and 17-19 (bleached).
    TFadingFilter tlBare;
    tlBare.Device = "TL 5deg 5/s";
    tlBare.NoIrradiation = true;
    TFadingFilter dosedBeta;
    dosedBeta.NaturalPlusDose = dosedBeta.Beta = true;
    dosedBeta.Date = "2026-03-16";
    TFadingFilter osl;
    osl.Device = "OSL#1 90.2% @125 43.20s";
    osl.DoseOnly = true;
    const struct {
        TFadingFilter filter;
        int passing;
    } filters[] = {
        {{}, 4 * 28},  // the measurement runs 1, 2, 3 and 5
        {tlBare, 7},
        {dosedBeta, 3 * 21},  // disks 5-16 and 20-28 ("Nat TL" on all) of runs 2, 3 and 5
        {osl, 0},             // every aliquot carries its natural dose
    };
    for (const auto& f : filters) {
        int passing = 0;
        for (int i = 0; i < view->RecordCount(); ++i) {
            const bool lazy = PassesFadingFilter(*view, i, f.filter);
            EXPECT_EQ(lazy, PassesFadingFilter(ReadFadingRecord(*view, i), f.filter)) << i;
            passing += lazy;
        }
        EXPECT_EQ(passing, f.passing) << f.filter.Device << f.filter.Date;
    }

    // Aliquots of one run and treatment differ by their disk; "Info" and the date as shown.
    EXPECT_EQ(FadingItemText(*view, 112), "r# 5 d# 1; N; 2026-03-16");
    EXPECT_EQ(FadingItemText(*view, 115), "r# 5 d# 4; N; 2026-03-16");
    EXPECT_EQ(FadingItemText(*view, 120), "r# 5 d# 9; N+50.1Gy beta; 2026-03-16");
    const std::vector<std::string> dates = FadingDateList(*view);
    EXPECT_EQ(dates, (std::vector<std::string>{"2026-03-16", "any irrad date"}));
    const std::vector<TDeviceEntry> devices = FadingDeviceList(*view);
    ASSERT_FALSE(devices.empty());
    std::vector<std::string> texts;
    for (const TDeviceEntry& d : devices) texts.push_back(d.Text);
    // Power 90 % of 255 = 229.5, rounded half to even: 230 (90.2 %); 10 %: 25.5 to 26.
    EXPECT_EQ(texts,
              (std::vector<std::string>{"TL 5deg 5/s", "OSL#1 10.2% @125 0.10s",
                                        "OSL#1 90.2% @125 43.20s", "IRSL 80.0% @50 89.00s"}));
}
