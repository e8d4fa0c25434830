// Background subtraction: the default assignment, TL and OSL subtraction on small crafted
// files with hand-computed results, the faults it guards against, and the sample.
#include "tools/background_subtraction.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "record_store/curve_access.h"
#include "record_store/measurement_access.h"
#include "tool_test_files.h"

using namespace tool_test;

namespace {

TRecordFixture TL(int run, int disk, bool tlRun) {
    TRecordFixture s;
    s.run = run;
    s.disk = disk;
    s.tlRun = tlRun;
    s.dev = 0;
    s.npt = 99;
    return s;
}

TRecordFixture Osl(int run, int disk, bool tlRun) {
    TRecordFixture s;
    s.run = run;
    s.disk = disk;
    s.tlRun = tlRun;
    s.dev = 2100;
    s.npt = 30;
    s.timeBases = {10, 10, 10, 0};  // 10 x 0.01 s, 10 x 0.1 s, 10 x 1 s = 11.1 s
    return s;
}

double Dwell(int channel) {
    return channel <= 10 ? 0.01 : channel <= 20 ? 0.1 : 1.0;
}

// Raw counts base + rate x dwell in channels 1..30.
std::vector<double> OslCurve(double base, double rate) {
    std::vector<double> raw(31, 0.0);
    for (int n = 1; n <= 30; ++n) raw[n] = base + rate * Dwell(n);
    return raw;
}

struct TOpened {
    TTempFolder folder;
    std::unique_ptr<TBinDataSet> view;
    explicit TOpened(const std::vector<TRecordFixture>& fixtures,
                     const std::vector<TSampleSchemaField>& fields = DatSampleFields()) {
        view = OpenDat(WriteDatFile(folder, fixtures, fields));
    }
    TBinDataSet& operator*() { return *view; }
    void Go(int n) { view->SetRecNo(n); }
    TFloatArray Subtracted(int n) {
        Go(n);
        return ReadSubtractedCurve(*view);  // aligned with raw: index i >= 2 is value i - 2
    }
    double Float(int n, const char* field) {
        Go(n);
        return view->AsFloat(field);
    }
};

TSubtractionReport RunAll(TBinDataSet& view, const TSubtractionSettings& settings) {
    const TBackgroundAssignment a = TBackgroundAssignment::Default(view, settings.tlCurves);
    return SubtractBackgrounds(view, a, settings,
                               SubtractionRecords(a, TSubtractScope::All, std::nullopt, {}));
}

}  // namespace

// --- Background list and default assignment ----------------------------------------------

TEST(BackgroundList, LinesWriteDiskAndRunOverTheTemplate) {
    EXPECT_EQ(BackgroundListLine(12, 345), "BGD  d.12    r.345  ");
    EXPECT_EQ(BackgroundListLine(3, 4), "BGD  d.3     r.4    ");
    // Digits past position 20 are dropped; a long disk number runs over the run's place.
    EXPECT_EQ(BackgroundListLine(1, 1234567), "BGD  d.1     r.12345");
    EXPECT_EQ(BackgroundListLine(123456789, 2), "BGD  d.123456782    ");
}

TEST(BackgroundAssignment, DefaultRulesSameDiskAfterThenNearestBeforeThenNearestAfter) {
    TOpened f(
        {
            TL(1, 9, true),    // 1: nothing of disk 9 after, nothing before: nearest after (4)
            TL(1, 3, true),    // 2: first disk-3 background after it (4)
            TL(2, 3, true),    // 3: same (4), although 6 is also after it
            TL(3, 3, false),   // 4: background, list line 0
            TL(3, -1, false),  // 5: negative disk: not listed, never chosen
            TL(3, 5, false),   // 6: background, list line 1
            Osl(9, 7, true),   // 7: OSL record: not in a TL table
            TL(4, 7, true),    // 8: no disk 7 after: nearest listed before (6, skipping 5)
            TL(4, -2, true),   // 9: negative disk: no assignment
        },
        DatFieldsWith("Disk#", "LONGINT", 4));
    const TBackgroundAssignment a = TBackgroundAssignment::Default(*f, true);
    EXPECT_EQ(a.ListLines(),
              (std::vector<std::string>{"BGD  d.3     r.3    ", "BGD  d.5     r.3    "}));
    EXPECT_EQ(a.Bookmarks(), (TBGDBookmarkTable{IdOf(*f, 4), IdOf(*f, 6)}));
    EXPECT_EQ(a.Buildup().size(), 8u);  // every TL record, in file order
    const std::pair<int, int> expected[] = {{1, 4}, {2, 4}, {3, 4}, {8, 6}};
    ASSERT_EQ(a.Lookup().size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const TBGDLookupEntry& e = a.Lookup()[i];
        EXPECT_EQ(e.record, IdOf(*f, expected[i].first)) << i;
        EXPECT_EQ(e.background, IdOf(*f, expected[i].second)) << i;
        EXPECT_EQ(e.listIndex, expected[i].second == 4 ? 0 : 1) << i;
        EXPECT_EQ(e.label, a.ListLines()[e.listIndex]) << i;
    }
    EXPECT_EQ(a.LabelFor(4, 7), "BGD  d.5     r.3    ");
    EXPECT_EQ(a.LabelFor(4, -2), "");
}

TEST(BackgroundAssignment, OslWithoutBackgroundRunsUsesOwnBackgroundAndTLNone) {
    TOpened f({Osl(1, 1, true), Osl(1, 2, true), TL(2, 1, true)});
    const TBackgroundAssignment osl = TBackgroundAssignment::Default(*f, false);
    ASSERT_EQ(osl.Lookup().size(), 2u);
    for (const TBGDLookupEntry& e : osl.Lookup()) {
        EXPECT_EQ(e.background, -1);
        EXPECT_EQ(e.listIndex, -1);
        EXPECT_EQ(e.label, "own background");
    }
    const TBackgroundAssignment tl = TBackgroundAssignment::Default(*f, true);
    EXPECT_TRUE(tl.Lookup().empty());
    EXPECT_TRUE(tl.ListLines().empty());
    TSubtractionSettings settings;
    const TSubtractionReport report = SubtractBackgrounds(*f, tl, settings, {IdOf(*f, 3)});
    EXPECT_EQ(report.warnings,
              std::vector<std::string>{"No background runs: nothing to subtract."});
    EXPECT_FALSE((*f).Modified());
}

TEST(BackgroundAssignment, AssignChangesOnlyTheGivenRecordsEntry) {
    // Two samples share run and disk: assigning to the first must not touch the second.
    TOpened f({Osl(1, 1, true), Osl(1, 1, true), Osl(2, 1, false), Osl(3, 2, false)});
    TBackgroundAssignment a = TBackgroundAssignment::Default(*f, false);
    ASSERT_TRUE(a.Assign(IdOf(*f, 1), 1));
    EXPECT_EQ(a.EntryFor(IdOf(*f, 1))->background, IdOf(*f, 4));
    EXPECT_EQ(a.EntryFor(IdOf(*f, 1))->label, "BGD  d.2     r.3    ");
    EXPECT_EQ(a.EntryFor(IdOf(*f, 2))->background, IdOf(*f, 3));
    ASSERT_TRUE(a.Assign(IdOf(*f, 2), -1));
    EXPECT_EQ(a.EntryFor(IdOf(*f, 2))->label, "own background");
    EXPECT_FALSE(a.Assign(IdOf(*f, 3), 0));  // a background has no entry
    EXPECT_FALSE(a.Assign(IdOf(*f, 1), 2));  // outside the list
}

// --- TL ------------------------------------------------------------------------------------

TEST(TLSubtraction, PointByPointOverTheShorterCurveKeepingTheRestOfTheField) {
    TRecordFixture sample = TL(1, 1, true);
    sample.npt = 99;
    sample.factor = 2;
    sample.shift = 0.4;  // rounds to 0: nothing moves
    sample.subtracted.assign(98, 7.0);
    TRecordFixture background = TL(2, 1, false);
    background.npt = 50;
    for (int i = 0; i < 100; ++i) {
        sample.raw.push_back(100.0 + i);
        background.raw.push_back(i == 10 ? 500.0 : 10.0);
    }
    TOpened f({sample, background});
    const TSubtractionReport report = RunAll(*f, TSubtractionSettings{});
    EXPECT_EQ(report.processed, std::vector<std::int32_t>{IdOf(*f, 1)});
    const TFloatArray s = f.Subtracted(1);
    // n = 50: 49 values for raw indexes 2..50, (S - B) / |f|, negative differences made 0.
    for (int i = 2; i <= 50; ++i)
        EXPECT_DOUBLE_EQ(s[i], i == 10 ? 0.0 : (100.0 + i - 10.0) / 2.0) << i;
    for (int i = 51; i < 100; ++i) EXPECT_EQ(s[i], 7.0) << i;
    EXPECT_EQ(f.Float(1, "Normalization factor"), 2.0);
    EXPECT_FLOAT_EQ(f.Float(1, "Shift"), 0.4);
}

TEST(TLSubtraction, UncheckedOptionsMarkTheFactorAndClearTheShift) {
    TRecordFixture sample = TL(1, 1, true);
    sample.factor = 4;
    sample.shift = 12;
    sample.raw.assign(100, 30.0);
    TRecordFixture background = TL(2, 1, false);
    background.raw.assign(100, 10.0);
    TOpened f({sample, background});
    TSubtractionSettings settings;
    settings.keepNormalization = false;
    settings.keepShift = false;
    RunAll(*f, settings);
    EXPECT_EQ(f.Float(1, "Normalization factor"), -1.0);
    EXPECT_EQ(f.Float(1, "Shift"), 0.0);
    EXPECT_DOUBLE_EQ(f.Subtracted(1)[40], 20.0);  // not divided
}

TEST(TLSubtraction, NumericFiltersOnHandComputedValues) {
    // Each filter keeps a constant; responses to a single point, by hand.
    EXPECT_EQ(ApplyNumericFilter({1, 2, 6, 4, 5}, TNumericFilter::Boxcar3),
              (TFloatArray{1, 3, 4, 5, 5}));  // first and last unchanged
    EXPECT_EQ(ApplyNumericFilter({0, 4, 0, 0}, TNumericFilter::Gauss3), (TFloatArray{0, 2, 1, 0}));
    // The window reaches indexes 2 .. m - 3 only; the others keep their (zero) value.
    const TFloatArray g5 = ApplyNumericFilter({0, 0, 0, 3.3, 0, 0, 0}, TNumericFilter::Gauss5);
    const TFloatArray expected5 = {0, 0, 0.78, 1, 0.78, 0, 0};
    for (std::size_t i = 0; i < g5.size(); ++i) EXPECT_NEAR(g5[i], expected5[i], 1e-12) << i;
    for (TNumericFilter f :
         {TNumericFilter::Boxcar3, TNumericFilter::Gauss3, TNumericFilter::Gauss5}) {
        for (double v : ApplyNumericFilter(TFloatArray(9, 6.5), f)) EXPECT_NEAR(v, 6.5, 1e-12);
    }
    EXPECT_TRUE(ApplyNumericFilter({}, TNumericFilter::Gauss5).empty());
}

TEST(TLSubtraction, TemperatureShiftInterpolatesLinearly) {
    // x[k] = 10 k + 3 is linear, so a shift of s degC at step p moves it exactly:
    // y[i] = x(i - s / p), wherever both neighbours exist; zeros elsewhere.
    TFloatArray x;
    for (int k = 0; k < 59; ++k) x.push_back(10.0 * k + 3.0);
    const int n = 60;  // 59 values
    struct Case {
        double shift;
        int firstFull;  // first index interpolated between two points
        int last;       // last index written
    };
    for (const Case c : {Case{7, 2, 58}, Case{-3, 0, 57}, Case{10, 2, 58}, Case{7.5, 2, 58}}) {
        const TFloatArray y = ShiftTLValues(x, n, c.shift, 5, 98);
        const double s = RoundHalfEven(c.shift);
        for (int i = 0; i < 98; ++i) {
            if (i >= c.firstFull && i <= c.last) {
                EXPECT_NEAR(y[i], 10.0 * (i - s / 5.0) + 3.0, 1e-9) << c.shift << " at " << i;
            } else if (i > c.last || i < (s > 0 ? 1 : 0)) {
                EXPECT_EQ(y[i], 0.0) << c.shift << " at " << i;
            }
        }
    }
}

TEST(TLSubtraction, NonZeroShiftClearsTheRestAndZeroSpacingSkipsTheRecord) {
    TRecordFixture sample = TL(1, 1, true);
    sample.npt = 40;
    sample.shift = 5;
    sample.spacing = 5;
    sample.subtracted.assign(98, 7.0);
    sample.raw.assign(100, 20.0);
    TRecordFixture flat = sample;
    flat.run = 2;
    flat.disk = 2;
    flat.spacing = 0;
    TRecordFixture background = TL(3, 1, false);
    background.raw.assign(100, 0.0);
    TOpened f({sample, flat, background});
    const TSubtractionReport report = RunAll(*f, TSubtractionSettings{});
    EXPECT_EQ(report.processed, std::vector<std::int32_t>{IdOf(*f, 1)});
    ASSERT_EQ(report.warnings.size(), 1u);
    EXPECT_NE(report.warnings[0].find("Record 2 (run 2, disk 2)"), std::string::npos);
    EXPECT_NE(report.warnings[0].find("\"Spacing\" is 0"), std::string::npos);
    const TFloatArray s = f.Subtracted(1);
    // One point up: index 2 + 0 is 0, indexes 3 .. 2 + (n - 2) hold 20, the rest 0.
    EXPECT_EQ(s[2], 0.0);
    for (int i = 3; i <= 40; ++i) EXPECT_EQ(s[i], 20.0) << i;
    for (int i = 41; i < 100; ++i) EXPECT_EQ(s[i], 0.0) << i;
    EXPECT_EQ(f.Float(1, "Shift"), 5.0);
    EXPECT_EQ(f.Subtracted(2)[10], 7.0);  // the skipped record is unchanged
}

TEST(TLSubtraction, SelectedRecordsInSelectionOrderOnly) {
    std::vector<TRecordFixture> fixtures;
    for (int d = 1; d <= 5; ++d) fixtures.push_back(TL(1, d, true));
    fixtures.push_back(TL(2, 1, false));
    for (TRecordFixture& s : fixtures) s.raw.assign(100, s.tlRun ? 5.0 : 1.0);
    TOpened f(fixtures);
    const TBackgroundAssignment a = TBackgroundAssignment::Default(*f, true);
    const std::vector<std::int32_t> order = SubtractionRecords(
        a, TSubtractScope::Selected, IdOf(*f, 1), {IdOf(*f, 5), IdOf(*f, 2), IdOf(*f, 6)});
    const TSubtractionReport report = SubtractBackgrounds(*f, a, TSubtractionSettings{}, order);
    EXPECT_EQ(report.processed, (std::vector<std::int32_t>{IdOf(*f, 5), IdOf(*f, 2)}));
    EXPECT_EQ(report.skipped, std::vector<std::int32_t>{IdOf(*f, 6)});  // the background
    EXPECT_EQ(f.Subtracted(1)[5], 0.0);
    EXPECT_EQ(f.Subtracted(2)[5], 4.0);
    EXPECT_EQ(f.Subtracted(5)[5], 4.0);
}

// --- OSL -----------------------------------------------------------------------------------

TEST(OslSubtraction, AssignedBackgroundRateTimesDwellChannelByChannel) {
    TRecordFixture sample = Osl(1, 1, true);
    sample.raw = OslCurve(1000, 50);
    sample.raw[30] = 20;  // below the background: becomes 0
    sample.factor = 2;
    sample.oslRate = 12.3;
    sample.subtracted.assign(98, 7.0);
    TRecordFixture background = Osl(2, 1, false);
    background.raw = OslCurve(0, 50);  // 555 counts over 11.1 s: 50 counts/s
    TOpened f({sample, background});
    TSubtractionSettings settings;
    settings.tlCurves = false;
    const TSubtractionReport report = RunAll(*f, settings);
    EXPECT_EQ(report.processed, std::vector<std::int32_t>{IdOf(*f, 1)});
    EXPECT_TRUE(report.warnings.empty());
    const TFloatArray s = f.Subtracted(1);
    // Channel 1 in "Shift" (index 1), channels 2..30 at indexes 2..30; (1000 / |f|).
    EXPECT_NEAR(f.Float(1, "Shift"), 500.0, 1e-9);
    for (int ch = 2; ch <= 29; ++ch) EXPECT_NEAR(s[ch], 500.0, 1e-9) << ch;
    EXPECT_EQ(s[30], 0.0);
    for (int i = 31; i < 100; ++i) EXPECT_EQ(s[i], 7.0) << i;  // past NPT: kept
    EXPECT_EQ(f.Float(1, "Normalization factor"), 2.0);
    f.Go(1);
    EXPECT_DOUBLE_EQ(OslBackgroundRate(*f), 50.0);
}

TEST(OslSubtraction, RateSourcesByHand) {
    struct Case {
        TOslBackgroundOption option;
        double expectedRate;
    };
    // Sample: 1000 + 50 x dwell, channel 30 holding 1050 (its last channel rate: 1050/s).
    // Backgrounds: 50/s and 100/s over 11.1 s each: average (555 + 1110) / 22.2 = 75/s.
    for (const Case c :
         {Case{TOslBackgroundOption::LastChannels, 1050.0},
          Case{TOslBackgroundOption::Average, 75.0}, Case{TOslBackgroundOption::Given, 12.5}}) {
        TRecordFixture sample = Osl(1, 1, true);
        sample.raw = OslCurve(1000, 50);
        TRecordFixture b1 = Osl(2, 1, false), b2 = Osl(2, 2, false);
        b1.raw = OslCurve(0, 50);
        b2.raw = OslCurve(0, 100);
        TOpened f({sample, b1, b2});
        TSubtractionSettings settings;
        settings.tlCurves = false;
        settings.oslOption = static_cast<int>(c.option);
        settings.givenRate = 12.5;
        RunAll(*f, settings);
        const TFloatArray s = f.Subtracted(1);
        for (int ch = 2; ch <= 30; ++ch) {
            const double expected = std::max(1000 + (50 - c.expectedRate) * Dwell(ch), 0.0);
            EXPECT_NEAR(s[ch], expected, 1e-9) << static_cast<int>(c.option) << " channel " << ch;
        }
        f.Go(1);
        EXPECT_DOUBLE_EQ(OslBackgroundRate(*f), c.expectedRate);
    }
}

TEST(OslSubtraction, OwnBackgroundUsesTheStoredRate) {
    TRecordFixture sample = Osl(1, 1, true);
    sample.raw = OslCurve(1000, 50);
    sample.oslRate = 40;
    TOpened f({sample});
    TSubtractionSettings settings;
    settings.tlCurves = false;
    settings.keepNormalization = false;
    RunAll(*f, settings);
    EXPECT_NEAR(f.Float(1, "Shift"), 1000 + 10 * 0.01, 1e-9);
    EXPECT_NEAR(f.Subtracted(1)[25], 1000 + 10 * 1.0, 1e-9);
    EXPECT_EQ(f.Float(1, "Normalization factor"), -1.0);
}

TEST(OslSubtraction, DivisionsByZeroAreWarnedNotPerformed) {
    TRecordFixture zeroFactor = Osl(1, 1, true);
    zeroFactor.raw = OslCurve(1000, 50);
    zeroFactor.factor = 0;
    TRecordFixture other = Osl(1, 2, true);
    other.raw = OslCurve(1000, 50);
    other.subtracted.assign(98, 7.0);
    TRecordFixture background = Osl(2, 1, false);
    background.raw = OslCurve(0, 50);
    {
        TOpened f({zeroFactor, background});
        TSubtractionSettings settings;
        settings.tlCurves = false;
        const TSubtractionReport report = RunAll(*f, settings);
        ASSERT_EQ(report.warnings.size(), 1u);
        EXPECT_NE(report.warnings[0].find("\"Normalization factor\" is 0"), std::string::npos);
        EXPECT_NEAR(f.Subtracted(1)[5], 1000.0, 1e-9);  // not divided
        EXPECT_EQ(f.Float(1, "Normalization factor"), 0.0);
    }
    {
        // A range ending before it starts: no channel, no rate; nothing written.
        TOpened f({other, background});
        for (TOslBackgroundOption option :
             {TOslBackgroundOption::Assigned, TOslBackgroundOption::LastChannels}) {
            TSubtractionSettings settings;
            settings.tlCurves = false;
            settings.oslOption = static_cast<int>(option);
            settings.range = TTimeRange{500, 100};
            const TSubtractionReport report = RunAll(*f, settings);
            EXPECT_TRUE(report.processed.empty());
            ASSERT_EQ(report.warnings.size(), 1u);
            EXPECT_NE(report.warnings[0].find("Record 1 (run 1, disk 2)"), std::string::npos);
            EXPECT_EQ(f.Subtracted(1)[5], 7.0);
        }
        EXPECT_FALSE((*f).Modified());
    }
}

TEST(OslSubtraction, PointCountsOutsideTheFieldsAreClamped) {
    TRecordFixture beyond = Osl(1, 1, true);
    beyond.npt = 150;
    beyond.timeBases = {150, 0, 0, 0};
    beyond.raw.assign(100, 9.0);
    beyond.oslRate = 100;  // 1 count per 0.01 s channel
    TRecordFixture none = Osl(1, 2, true);
    none.npt = 0;
    none.shift = 3;
    none.subtracted.assign(98, 7.0);
    TOpened f({beyond, none});
    TSubtractionSettings settings;
    settings.tlCurves = false;
    const TSubtractionReport report = RunAll(*f, settings);
    EXPECT_EQ(report.processed.size(), 2u);
    const TFloatArray s = f.Subtracted(1);
    for (int ch = 2; ch <= 99; ++ch) EXPECT_NEAR(s[ch], 8.0, 1e-9) << ch;
    EXPECT_NEAR(f.Float(1, "Shift"), 8.0, 1e-9);
    EXPECT_EQ(f.Subtracted(2)[2], 7.0);  // no channels: the field keeps its values
    EXPECT_EQ(f.Float(2, "Shift"), 0.0);
}

TEST(OslSubtraction, OptionOutOfRangeIsRefused) {
    TOpened f({Osl(1, 1, true)});
    TSubtractionSettings settings;
    settings.tlCurves = false;
    settings.oslOption = 4;
    EXPECT_EQ(ErrorOf([&] { RunAll(*f, settings); }), "OSL background option out of range.");
}

TEST(OslSubtraction, RunsThatWouldWriteWrongRatesAreRefusedChangingNothing) {
    struct Case {
        const char* what;
        TOslBackgroundOption option;
        std::optional<TTimeRange> range;
        double givenRate;
        bool withBackground;
        const char* message;
    };
    const Case cases[] = {
        // Before: every record "processed" with a rate of 0 and "OSL BGD" 0.
        {"average over a reversed range", TOslBackgroundOption::Average, TTimeRange{500, 100}, 0,
         true, kAverageRangeEmptyMessage},
        {"average without background runs", TOslBackgroundOption::Average, std::nullopt, 0, false,
         kNoBackgroundRunsMessage},
        // "OSL BGD" holds 0 to 6553.5 counts/s in tenths.
        {"negative given rate", TOslBackgroundOption::Given, std::nullopt, -0.5, true,
         kGivenRateOutOfRange},
        {"given rate above the word", TOslBackgroundOption::Given, std::nullopt, 6553.6, true,
         kGivenRateOutOfRange},
        {"huge given rate", TOslBackgroundOption::Given, std::nullopt, 1e9, true,
         kGivenRateOutOfRange},
        {"NaN given rate", TOslBackgroundOption::Given, std::nullopt, std::nan(""), true,
         kGivenRateOutOfRange},
    };
    for (const Case& c : cases) {
        TRecordFixture sample = Osl(1, 1, true);
        sample.raw = OslCurve(1000, 50);
        sample.oslRate = 40;
        sample.subtracted.assign(98, 7.0);
        TRecordFixture background = Osl(2, 1, false);
        background.raw = OslCurve(0, 50);
        std::vector<TRecordFixture> records{sample};
        if (c.withBackground) records.push_back(background);
        TOpened f(records);
        TSubtractionSettings settings;
        settings.tlCurves = false;
        settings.oslOption = static_cast<int>(c.option);
        settings.range = c.range;
        settings.givenRate = c.givenRate;
        EXPECT_EQ(ErrorOf([&] { RunAll(*f, settings); }), c.message) << c.what;
        EXPECT_FALSE((*f).Modified()) << c.what;
        EXPECT_EQ(f.Subtracted(1)[5], 7.0) << c.what;
        f.Go(1);
        EXPECT_EQ(OslBackgroundRate(*f), 40.0) << c.what;
    }
}

TEST(OslSubtraction, GivenRateIsSubtractedAsOslBgdStoresIt) {
    struct Case {
        double given;
        double applied;  // the tenth "OSL BGD" keeps, halves to even
    };
    for (const Case c : {Case{12.34, 12.3}, Case{12.25, 12.2}, Case{0, 0}, Case{6553.5, 6553.5}}) {
        TRecordFixture sample = Osl(1, 1, true);
        sample.raw = OslCurve(10000, 0);
        TOpened f({sample});
        TSubtractionSettings settings;
        settings.tlCurves = false;
        settings.oslOption = static_cast<int>(TOslBackgroundOption::Given);
        settings.givenRate = c.given;
        RunAll(*f, settings);
        // Channel 25 dwells 1 s: 10000 - applied.
        EXPECT_NEAR(f.Subtracted(1)[25], 10000 - c.applied, 1e-9) << c.given;
        f.Go(1);
        EXPECT_DOUBLE_EQ(OslBackgroundRate(*f), c.applied) << c.given;
    }
}

TEST(OslSubtraction, ADeletedBackgroundStopsTheRunKeepingWhatWasDone) {
    TRecordFixture first = Osl(1, 1, true), second = Osl(1, 2, true);
    first.raw = OslCurve(1000, 50);
    second.raw = OslCurve(1000, 50);
    TRecordFixture b1 = Osl(2, 1, false), b2 = Osl(2, 2, false);
    b1.raw = OslCurve(0, 50);
    b2.raw = OslCurve(0, 50);
    TOpened f({first, b1, second, b2});
    const TBackgroundAssignment a = TBackgroundAssignment::Default(*f, false);
    // The background of the second sample goes while the assignment is held.
    f.Go(4);
    (*f).Delete();
    TSubtractionSettings settings;
    settings.tlCurves = false;
    EXPECT_EQ(ErrorOf([&] {
                  SubtractBackgrounds(*f, a, settings,
                                      SubtractionRecords(a, TSubtractScope::All, std::nullopt, {}));
              }),
              "Bookmark not found");
    EXPECT_NEAR(f.Float(1, "Shift"), 1000.0, 1e-9);  // processed before the failure
    EXPECT_EQ(f.Float(3, "Shift"), 0.0);
}

// --- Views without the fields, the panel's numbers -----------------------------------------

TEST(SubtractionViews, SadAndDasViewsStopBeforeWritingAnything) {
    TTempFolder folder;
    MakeSample(folder.path().string());
    struct Case {
        const char* file;
        const char* schema;
        TViewKind kind;
        const char* message;
    };
    for (const Case c :
         {Case{"S12.SAD", "SAD.sch", TViewKind::Sad, "Field 'Shift' not found"},
          Case{"S12.DAS", "DAS.sch", TViewKind::Das, "Field 'Subtracted data' not found"}}) {
        auto view = OpenView(folder / c.file, c.kind, folder / c.schema);
        TSubtractionSettings settings;
        settings.tlCurves = false;
        EXPECT_EQ(ErrorOf([&] { RunAll(*view, settings); }), c.message);
        EXPECT_FALSE(view->Modified());
    }
}

TEST(SubtractionPanel, RangeValuesAndTheirText) {
    const TTimeBases b{10, 10, 10, 0};
    const TOslRangeValues assigned = OslRangeValues(TOslBackgroundOption::Assigned, b, 40);
    EXPECT_EQ(assigned.caption, "Background integration range");
    EXPECT_EQ(FormatRangeValue(assigned.from), "0.00");
    EXPECT_EQ(FormatRangeValue(assigned.to), "11.10");
    const TOslRangeValues last = OslRangeValues(TOslBackgroundOption::LastChannels, b, 40);
    EXPECT_EQ(FormatRangeValue(last.from), "10.10");
    const TOslRangeValues given = OslRangeValues(TOslBackgroundOption::Given, b, 40.5);
    EXPECT_EQ(given.caption, "Subtract value");
    EXPECT_FALSE(given.showTo);
    EXPECT_EQ(given.from, 40.5);
    EXPECT_EQ(FormatRangeValue(1234.56), "1234.60");
    EXPECT_EQ(FormatRangeValue(12.345678), "12.35");
}

// --- The sample ----------------------------------------------------------------------------

TEST(SampleSubtraction, NaturalOslCurvesLoseTheBackgroundRateWithinPoissonNoise) {
    TTempFolder folder;
    MakeSample(folder.path().string());
    auto view = OpenView(folder / "S12.DAT", TViewKind::Dat, folder / "DAT.sch");
    TSubtractionSettings settings;
    settings.tlCurves = false;
    const TBackgroundAssignment a = TBackgroundAssignment::Default(*view, false);
    // Every run-3 OSL record gets the run-4 background of its own disk.
    for (const TBGDLookupEntry& e : a.Lookup()) {
        if (e.run == 3) {
            EXPECT_EQ(a.LabelFor(3, e.disk), BackgroundListLine(e.disk, 4));
        }
    }
    RunAll(*view, settings);
    // The background run reads 40 counts/s over 43.2 s, so its rate carries a Poisson error
    // of sqrt(40 x 43.2) / 43.2 = 0.96 counts/s, plus what the slow component still gives
    // after 43.2 s (about 0.25 counts/s). Four standard deviations and that residue:
    const double tolerance = 4 * std::sqrt(40 * 43.2) / 43.2 + 0.5;
    const TTimeBases bases{20, 30, 40, 0};
    for (int disk = 1; disk <= 4; ++disk) {
        view->SetRecNo(2 * 28 + disk);  // run 3 of the disk
        ASSERT_EQ(view->AsInteger("Run#"), 3);
        const TFloatArray raw = ReadRawCurve(*view);
        const TFloatArray sub = ReadSubtractedCurve(*view);
        for (int ch = 1; ch <= 90; ++ch) {
            const double dwell = OslChannelWidth(ch, bases);
            const double expected = std::max(raw[ch] - 40.0 * dwell, 0.0);
            const double got = ch == 1 ? view->AsFloat("Shift") : sub[ch];
            EXPECT_LE(std::fabs(got - expected), tolerance * dwell) << disk << " channel " << ch;
        }
    }
}
