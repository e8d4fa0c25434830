// The plateau test: ranges, places and ROI windows, ROI sums, the paleodose plot, a run over
// crafted channels whose doses are known in closed form, cancelling, and the TL plateau of the
// sample.
#include "analysis/plateau_test.h"

#include <gtest/gtest.h>

#include <cmath>

#include "analysis/aliquot_lists.h"
#include "analysis/device_key.h"
#include "analysis/method_recognition.h"
#include "analysis_test_files.h"
#include "fitting/result_codes.h"
#include "tools/background_subtraction.h"

using namespace analysis_test;

namespace {

TEST(PlateauRange, ClipsToTheDataAndRefusesEmptyRanges) {
    struct Case {
        int first, last, wantFirst, wantLast;
        bool ok;
        int from, to;
    } cases[] = {
        {39, 99, 49, 51, true, 49, 51},   // 250..260 degC at spacing 5
        {39, 99, 0, 500, true, 39, 99},   // beyond both ends
        {1, 90, 90, 90, true, 90, 90},    // one channel
        {1, 90, 60, 50, false, 60, 50},   // reversed
        {39, 38, 39, 38, false, 39, 38},  // data without indices
        {1, 90, 95, 120, false, 95, 90},  // beyond the data
    };
    for (const Case& c : cases) {
        int from = 0, to = 0;
        EXPECT_EQ(ClipPlateauRange(c.first, c.last, c.wantFirst, c.wantLast, from, to), c.ok)
            << c.wantFirst << ".." << c.wantLast;
        EXPECT_EQ(from, c.from);
        EXPECT_EQ(to, c.to);
    }
}

TEST(PlateauRange, SolutionPlaces) {
    TSolutionRecord s;
    SolutionPlace(TLKey(5), false, 59, s);
    EXPECT_EQ(s.Kind, "Temp.");
    EXPECT_EQ(s.From, "295");
    EXPECT_EQ(s.To, "300");
    SolutionPlace(OslKey(), false, 7, s);
    EXPECT_EQ(s.Kind, "Chan.");
    EXPECT_EQ(s.From, "7");
    EXPECT_EQ(s.To, "");
    SolutionPlace(OslKey(), true, 12, s);
    EXPECT_EQ(s.Kind, "Disk");
    EXPECT_EQ(s.From, "12");
    EXPECT_EQ(s.Fit.ResultCode, kSolutionNotAvailable);
}

TEST(PlateauRange, LookupsOutsideTheArrayFindNothing) {
    TSolutionArray a;
    a.FirstIndex = 39;
    a.IndexCount = 3;
    a.Entries.resize(5);  // two ROI entries follow
    EXPECT_EQ(a.AtIndex(39), &a.Entries[0]);
    EXPECT_EQ(a.AtIndex(41), &a.Entries[2]);
    EXPECT_EQ(a.AtIndex(42), nullptr);  // a ROI entry, not index 42
    EXPECT_EQ(a.AtIndex(3), nullptr);   // a ROI number picked in the plot: 3 - 39 = -36
    EXPECT_EQ(a.AtIndex(-2147483647 - 1), nullptr);
    EXPECT_EQ(TSolutionArray{}.AtIndex(0), nullptr);
}

TEST(RoiWindows, TemperaturesAndChannels) {
    TDeviceKey other = OslKey();
    other.Device = 10;
    struct Case {
        TDeviceKey device;
        TROI roi;
        int lastIndex;
        bool takesPart, valid;
        int d, e;
    } cases[] = {
        {TLKey(5), {"", 300, 350}, 99, true, true, 60, 69},
        {TLKey(5), {"", 0, 10}, 99, true, false, 0, 1},        // d < 3
        {TLKey(5), {"", 15, 20}, 99, true, true, 3, 3},        // d = 3: the smallest allowed
        {TLKey(5), {"", 200, 505}, 99, true, false, 40, 100},  // beyond the last index
        {TLKey(5), {"", 350, 300}, 99, false, false, 70, 59},
        {OslKey(), {"", 5, 10}, 90, true, true, 5, 10},
        {OslKey(), {"", 1, 99}, 90, true, false, 1, 99},
        {OslKey(), {"", 0, 5}, 90, false, false, 0, 5},
        {OslKey(), {"", 7, 6}, 90, false, false, 7, 6},
        {other, {"", 5, 10}, 90, true, false, -1, -1},  // neither TL nor OSL: never
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RoiTakesPart(c.device, c.roi), c.takesPart) << c.roi.first << "-" << c.roi.last;
        int d = -1, e = -1;
        EXPECT_EQ(RoiWindow(c.device, c.roi, c.lastIndex, d, e), c.valid)
            << c.roi.first << "-" << c.roi.last;
        EXPECT_EQ(d, c.d);
        EXPECT_EQ(e, c.e);
    }
}

TEST(RoiWindows, SumsTheCurveOverTheWindow) {
    // Curve values i + 1 at index i: the sum over [60, 69] is 61 + ... + 70 = 655.
    TLookupTable table(2);
    for (int k = 0; k < 2; ++k) {
        table[k].Ordinal = k;
        table[k].Accepted = k == 0;
        for (int i = 0; i < 100; ++i) table[k].Curve.push_back((i + 1) * (k + 1));
    }
    TGrowthPoints points{{kGrowthLevel, 0, 0, {TGrowthPoint{}, TGrowthPoint{}}}};
    points[0].Points[0].Ordinal = 0;
    points[0].Points[0].Available = 0;
    points[0].Points[1].Ordinal = 1;
    SumOverRoi(points, table, 60, 69);
    EXPECT_DOUBLE_EQ(points[0].Points[0].Signal, 655);
    EXPECT_DOUBLE_EQ(points[0].Points[1].Signal, 1310);
    EXPECT_EQ(points[0].Points[0].Accepted, 1);
    EXPECT_EQ(points[0].Points[0].Available, 1);
    EXPECT_EQ(points[0].Points[1].Accepted, 0);  // follows the measurement
}

TEST(PlateauPlot, StatesPlacesAndFailedErrors) {
    struct StateCase {
        int code;
        bool roi;
        uint8_t state;
    } states[] = {{0, false, kPlateauValid},      {0, true, kPlateauRoi},
                  {-11, false, kPlateauWarning},  {-15, false, kPlateauWarning},
                  {-18, false, kPlateauWarning},  {-20, true, kPlateauWarning},
                  {-1, false, kPlateauFailed},    {-10, false, kPlateauFailed},
                  {-16, false, kPlateauFailed},   {-17, false, kPlateauFailed},
                  {-22, false, kPlateauFailed},   {-23, true, kPlateauFailed},
                  {-21, false, kPlateauNoResult}, {-24, false, kPlateauWarning},
                  {-25, false, kPlateauWarning},  {-26, true, kPlateauWarning},
                  {-27, false, kPlateauNoResult}, {3, false, kPlateauNoResult}};
    for (const StateCase& c : states) EXPECT_EQ(PlateauStateOf(c.code, c.roi), c.state) << c.code;

    TSolutionArray a;
    a.FirstIndex = 39;
    a.IndexCount = 3;
    a.Entries.resize(5);
    auto set = [&a](std::size_t at, int index, int code, double ed, double error) {
        a.Entries[at].Fit.Channel = index;
        a.Entries[at].Fit.ResultCode = code;
        a.Entries[at].Fit.ED = ed;
        a.Entries[at].Fit.EDError = error;
    };
    set(0, 39, 0, 40, 2);
    set(2, 41, -9, 7, 3);  // entry 1 stays "not available"
    set(3, 4, 0, 38, 1);
    a.Entries[3].Kind = "ROI T.";
    a.Entries[3].From = "300";
    a.Entries[3].To = "350";
    set(4, 5, -23, 0, 0);
    a.Entries[4].Kind = "ROI T.";
    a.Entries[4].From = "0";
    a.Entries[4].To = "10";
    const TPlateauArray tl = BuildPlateauArray(a, TLKey(5));
    ASSERT_EQ(tl.size(), 4u);
    EXPECT_EQ(tl[0].Index, 39);
    EXPECT_DOUBLE_EQ(tl[0].X, 200);  // (39 + 1) x 5
    EXPECT_EQ(tl[0].State, kPlateauValid);
    EXPECT_DOUBLE_EQ(tl[0].Error, 2);
    EXPECT_DOUBLE_EQ(tl[1].X, 210);
    EXPECT_EQ(tl[1].State, kPlateauFailed);
    EXPECT_DOUBLE_EQ(tl[1].Value, 7);
    EXPECT_DOUBLE_EQ(tl[1].Error, 0);
    EXPECT_DOUBLE_EQ(tl[2].X, 325);
    EXPECT_DOUBLE_EQ(tl[2].XSpread, 25);
    EXPECT_EQ(tl[2].State, kPlateauRoi);
    EXPECT_EQ(tl[3].State, kPlateauFailed);
    // A failed ROI stays known as a ROI, with its bounds; a step is none.
    EXPECT_FALSE(tl[1].Roi);
    EXPECT_TRUE(tl[3].Roi);
    EXPECT_EQ(tl[3].RoiFirst, 0);
    EXPECT_EQ(tl[3].RoiLast, 10);
    EXPECT_EQ(tl[2].RoiFirst, 300);
    EXPECT_EQ(tl[2].RoiLast, 350);
    // OSL: every x is the index, ROI results at their ROI number.
    const TPlateauArray osl = BuildPlateauArray(a, OslKey());
    EXPECT_DOUBLE_EQ(osl[0].X, 39);
    EXPECT_DOUBLE_EQ(osl[2].X, 4);
    EXPECT_DOUBLE_EQ(osl[2].XSpread, 0);
}

TEST(PlateauPlot, Notes) {
    TPlateauNotesInput in{"S12.DAT",     "/data", "TL  5.0C/s", kRegenGrowth, "",
                          "Polynomial ", 3,       "12:00:00"};
    EXPECT_EQ(PlateauNotes(in),
              "File name: S12.DAT\r\nFull path: /data\r\nType of data: TL  5.0C/s\r\n"
              "Method: " +
                  MethodLongName(kRegenGrowth) +
                  "\r\nFitted function: Polynomial (degree - 3)\r\nPrinted on: 12:00:00\r\n"
                  "Comment: ");
    in.BleachingText = "BL(120.0/SOLAR)";
    in.FunctionText = "Linear";
    const std::string notes = PlateauNotes(in);
    EXPECT_NE(notes.find("\r\nBleaching: BL(120.0/SOLAR)\r\nFitted function: Linear\r\n"),
              std::string::npos);
}

// Additive-dose OSL measurements over channels 1..5: at channel c the natural signal is 100
// and the dosed ones 100 + (100 / c) D, so the line meets zero at D = -c: ED = c Gy. The two
// naturals read 101 and 99: a scatter that leaves the fitted line exact (it sums to 0, also
// weighted by the dose) and gives it defined errors.
TLookupTable ChannelTable() {
    TLookupTable t;
    const double doses[] = {0, 0, 10, 20, 40};
    const double scatter[] = {1, -1, 0, 0, 0};
    for (double dose : doses) {
        TLookupRecord e = Entry(OslKey(), dose, TRadiation::Beta, true);
        e.IrradClass = IrradiationClass(e, false);
        e.Methods = MethodBits(e, TViewKind::Dat, false, false);
        e.Ordinal = static_cast<int32_t>(t.size());
        e.Run = static_cast<int32_t>(t.size()) + 7;
        e.Curve.assign(6, 0.0);
        for (int c = 1; c <= 5; ++c)
            e.Curve[static_cast<std::size_t>(c)] = 100 + 100.0 / c * dose + scatter[t.size()];
        e.LastChannel = 5;
        e.InSelection = true;
        t.push_back(e);
    }
    return t;
}

TPlateauInput ChannelInput(TLookupTable& table) {
    TPlateauInput in;
    in.Table = &table;
    in.Device = OslKey();
    in.Method = kAdditiveGrowth;
    in.Options.FunctionObject = 1;
    in.FirstIndex = 1;
    in.LastIndex = 5;
    in.From = 2;
    in.To = 4;
    return in;
}

TEST(PlateauRun, RangeComputesItsIndicesOnly) {
    TLookupTable table = ChannelTable();
    TGrowthPoints points;
    TPlateauRun run(ChannelInput(table), points);
    ASSERT_TRUE(run.Error().empty());
    EXPECT_EQ(run.StepsTotal(), 3);
    std::vector<std::string> lines;
    while (run.Step()) lines.push_back(run.Last().Line);
    EXPECT_TRUE(run.Done());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].substr(0, 7), "Ch  2: ");
    const TSolutionArray& s = run.Solutions();
    ASSERT_EQ(s.Entries.size(), 5u);
    EXPECT_TRUE(s.Succeeded);
    EXPECT_FALSE(s.Cancelled);
    for (int c = 1; c <= 5; ++c) {
        const TSolutionRecord* r = s.AtIndex(c);
        ASSERT_NE(r, nullptr);
        if (c < 2 || c > 4) {
            EXPECT_EQ(r->Fit.ResultCode, kSolutionNotAvailable) << c;
            EXPECT_EQ(r->Kind, "");
            continue;
        }
        EXPECT_EQ(r->Fit.ResultCode, 0) << c;
        EXPECT_NEAR(r->Fit.ED, c, 1e-9) << c;
        EXPECT_EQ(r->Fit.Channel, c);
        EXPECT_EQ(r->Kind, "Chan.");
        EXPECT_EQ(r->From, std::to_string(c));
        EXPECT_EQ(r->Runs, (std::vector<int32_t>{7, 8, 9, 10, 11}));
    }
    const TPlateauArray plot = BuildPlateauArray(s, OslKey());
    ASSERT_EQ(plot.size(), 3u);
    EXPECT_DOUBLE_EQ(plot[1].X, 3);
    EXPECT_NEAR(plot[1].Value, 3, 1e-9);
}

TEST(PlateauRun, RoisFollowTheIndices) {
    TLookupTable table = ChannelTable();
    TPlateauInput in = ChannelInput(table);
    in.UseRois = true;
    in.Rois[0] = {"", 1, 99};  // beyond the last channel: -23
    in.Rois[2] = {"", 2, 3};
    in.Rois[5] = {"", 0, 3};  // takes no part
    TGrowthPoints points;
    TPlateauRun run(in, points);
    EXPECT_EQ(run.StepsTotal(), 5);
    std::vector<std::string> lines, kinds;
    while (run.Step()) {
        lines.push_back(run.Last().Line);
        kinds.push_back(run.LastEntry() ? run.LastEntry()->Kind : "-");
        kinds.back() += run.LastWasRoi() ? "+" : "";
    }
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(kinds, (std::vector<std::string>{"Chan.", "Chan.", "Chan.", "ROI Ch.+", "ROI Ch.+"}));
    EXPECT_EQ(lines[3].substr(0, 14), "ROI Ch  1-99: ");
    EXPECT_EQ(lines[4].substr(0, 14), "ROI Ch  2- 3: ");
    const TSolutionArray& s = run.Solutions();
    ASSERT_EQ(s.Entries.size(), 7u);
    EXPECT_EQ(s.Entries[5].Kind, "ROI Ch.");
    EXPECT_EQ(s.Entries[5].Fit.ResultCode, kRoiIntegrationWarning);
    EXPECT_EQ(s.Entries[5].Fit.Channel, 0);
    // Sum of channels 2 and 3: 200 + 100 (1/2 + 1/3) D meets zero at D = -2.4.
    EXPECT_EQ(s.Entries[6].Fit.ResultCode, 0);
    EXPECT_EQ(s.Entries[6].Fit.Channel, 2);
    EXPECT_NEAR(s.Entries[6].Fit.ED, 2.4, 1e-9);
    EXPECT_EQ(s.Entries[6].From, "2");
    EXPECT_EQ(s.Entries[6].To, "3");
}

TEST(PlateauRun, NoRoisWithoutASuccessfulSolution) {
    TLookupTable table = ChannelTable();
    for (TLookupRecord& e : table) e.Accepted = false;  // nothing to fit
    TPlateauInput in = ChannelInput(table);
    in.UseRois = true;
    in.Rois[2] = {"", 2, 3};
    TGrowthPoints points;
    TPlateauRun run(in, points);
    int steps = 0;
    while (run.Step()) ++steps;
    EXPECT_EQ(steps, 3);
    EXPECT_FALSE(run.Solutions().Succeeded);
    EXPECT_EQ(run.Solutions().Entries.size(), 5u);
    EXPECT_TRUE(BuildPlateauArray(run.Solutions(), OslKey()).size() == 3u);
}

TEST(PlateauRun, EmptyRangesAndCancelling) {
    TLookupTable table = ChannelTable();
    struct Case {
        int first, last, from, to;
    } empty[] = {{1, 5, 4, 3}, {1, 0, 1, 0}, {1, 5, 0, 2}, {1, 5, 5, 6}};
    for (const Case& c : empty) {
        TPlateauInput in = ChannelInput(table);
        in.FirstIndex = c.first;
        in.LastIndex = c.last;
        in.From = c.from;
        in.To = c.to;
        TGrowthPoints points;
        TPlateauRun run(in, points);
        EXPECT_FALSE(run.Error().empty()) << c.from << ".." << c.to;
        EXPECT_TRUE(run.Done());
        EXPECT_FALSE(run.Step());
        EXPECT_TRUE(run.Solutions().Entries.empty());
    }

    TPlateauInput in = ChannelInput(table);
    in.From = 1;
    in.To = 5;
    TGrowthPoints points;
    TPlateauRun run(in, points);
    ASSERT_TRUE(run.Step());
    ASSERT_TRUE(run.Step());
    run.Cancel();
    EXPECT_TRUE(run.Done());
    EXPECT_FALSE(run.Step());
    const TSolutionArray& s = run.Solutions();
    EXPECT_TRUE(s.Cancelled);
    EXPECT_EQ(s.Entries[1].Fit.ResultCode, 0);
    EXPECT_EQ(s.Entries[2].Fit.ResultCode, kSolutionNotAvailable);
}

// The TL glow curves of the sample after background subtraction, regenerative method,
// saturating exponential: the plateau over 200..500 degC.
TEST(PlateauRun, SampleTlPlateau) {
    TSampleFiles sample;
    auto view = sample.Open("S12.DAT", TViewKind::Dat, "DAT.sch");
    TSubtractionSettings settings;
    settings.tlCurves = true;
    const TBackgroundAssignment a = TBackgroundAssignment::Default(*view, true);
    SubtractBackgrounds(*view, a, settings,
                        SubtractionRecords(a, TSubtractScope::All, std::nullopt, {}));
    TLookupTable table = BuildLookupTable(*view, TViewKind::Dat);
    const std::vector<TDeviceEntry> devices = BuildDeviceList(table);
    const std::vector<TIrradiationEntry> irradiations = BuildIrradiationList(table);
    const std::vector<TBleachingEntry> bleachings = BuildBleachingList(table);
    ASSERT_TRUE(IsTLDevice(devices[0].Key));
    const TDeviceKey tl = devices[0].Key;
    UpdateSelection(table, tl, irradiations, bleachings[0].Bleaching, kRegenGrowth);

    TPlateauInput in;
    in.Table = &table;
    in.Device = tl;
    in.Method = kRegenGrowth;
    in.Options.FunctionObject = 4;
    IndexRange(table, tl, in.FirstIndex, in.LastIndex);
    EXPECT_EQ(in.FirstIndex, 39);  // 200 degC
    in.From = in.FirstIndex;
    in.To = in.LastIndex;
    TGrowthPoints points;
    TPlateauRun run(in, points);
    while (run.Step()) {
    }
    const TSolutionArray& s = run.Solutions();
    ASSERT_TRUE(s.Succeeded);

    // D0 ln((1 - rho f_N) / (1 - f_N)) with f_N = 1 - exp(-42 / D0).
    auto closedForm = [](double d0, double rho) {
        const double fN = 1 - std::exp(-42.0 / d0);
        return d0 * std::log((1 - rho * fN) / (1 - fN));
    };
    const double peak325 = closedForm(180, 0.08);
    ASSERT_NEAR(peak325, 38.98, 0.005);
    const TSolutionRecord* at325 = s.AtIndex(325 / tl.Spacing - 1);
    ASSERT_NE(at325, nullptr);
    ASSERT_EQ(at325->Fit.ResultCode, 0);
    EXPECT_EQ(at325->Kind, "Temp.");
    EXPECT_EQ(at325->From, "320");
    EXPECT_NEAR(at325->Fit.ED, peak325, std::max(2 * at325->Fit.EDError, 0.05 * peak325));
    // The drained 210 degC peak: far below the stable plateau.
    const TSolutionRecord* at210 = s.AtIndex(210 / tl.Spacing - 1);
    ASSERT_NE(at210, nullptr);
    ASSERT_EQ(at210->Fit.ResultCode, 0);
    EXPECT_LT(at210->Fit.ED, 0.5 * peak325);
    EXPECT_GT(at210->Fit.ED, 0);
}

}  // namespace
