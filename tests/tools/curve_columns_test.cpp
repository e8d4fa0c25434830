// The curve editor's columns: which rows a curve fills, where they are drawn, and what goes
// back into the record after shifts, scales and cell edits, checked against hand-worked values.
#include "tools/curve_columns.h"

#include <gtest/gtest.h>

#include "record_store/curve_access.h"
#include "tool_test_files.h"

using namespace tool_test;

namespace {

TRecordFixture TLSubtracted(std::vector<double> values, int spacing, double shift,
                            double factor = 1) {
    TRecordFixture s;
    s.dev = 0;
    s.npt = static_cast<int>(values.size());
    s.spacing = spacing;
    s.shift = shift;
    s.factor = factor;
    s.raw = {1, 2, 3};
    s.subtracted = std::move(values);
    return s;
}

TRecordFixture OslRaw(std::vector<double> raw) {
    TRecordFixture s;
    s.dev = 2100;
    s.npt = static_cast<int>(raw.size()) - 1;
    s.timeBases = {s.npt, 0, 0, 0};
    s.raw = std::move(raw);
    return s;
}

struct TFile {
    TTempFolder folder;
    std::unique_ptr<TBinDataSet> view;
    TCurveFieldList curves;
    explicit TFile(const std::vector<TRecordFixture>& records) {
        view = OpenDat(WriteDatFile(folder, records));
        curves = DatCurves(*view);
    }
    TCurveColumn Load(bool subtracted, int n = 1) {
        TCurveLoadResult r = LoadCurveColumns(*view, curves, {subtracted, false}, {IdOf(*view, n)});
        EXPECT_EQ(r.columns.size(), 1u);
        return r.columns.at(0);
    }
};

}  // namespace

TEST(CurveColumnsTest, SubtractedTLRowsAndDrawingPositions) {
    TFile file({TLSubtracted({10, 20, 30, 40, 50}, 2, 3.4)});
    const TCurveColumn c = file.Load(true);
    ASSERT_GE(c.rows.size(), 7u);
    EXPECT_EQ(c.rows[0], 0);
    EXPECT_EQ(c.rows[1], 0);
    EXPECT_EQ(c.rows[2], 10);
    EXPECT_EQ(c.rows[6], 50);
    EXPECT_EQ(c.PointCount(), 7);
    EXPECT_EQ(c.currentShift, 3);  // 3.4 to the nearest integer
    // x = j * 2 + 3 - 3.4 for rows 3 to 7.
    const double expected[] = {5.6, 7.6, 9.6, 11.6, 13.6};
    for (int k = 0; k < 5; ++k) EXPECT_NEAR(c.X(3 + k), expected[k], 1e-12) << k;
    EXPECT_EQ(c.title, "Rec " + std::to_string(IdOf(*file.view, 1)));
}

TEST(CurveColumnsTest, ShiftWritesWholeStepsAndInterpolatesTheRest) {
    TFile file({TLSubtracted({10, 20, 30, 40, 50}, 2, 3.4)});
    TCurveColumn c = file.Load(true);
    c.currentShift = 8;  // shifted by 5: d = 8 - 3 = 5, two whole steps of 2 and 1 left over
    c.changed = true;
    WriteBackColumn(*file.view, c);
    file.view->GotoBookmark(c.bookmark);
    EXPECT_EQ(file.view->AsFloat("Shift"), 8.0);
    const TFloatArray sub = ReadSubtractedCurve(*file.view);  // raw indexes: element k at k + 2
    // Element 2 + k takes row 3 + k, from the second data row on half and half with the row
    // before it; elements 0 and 1 become 0.
    const double expected[] = {0, 0, 10, 15, 25, 35, 45, 0};
    for (int k = 0; k < 8; ++k) EXPECT_DOUBLE_EQ(sub[2 + k], expected[k]) << k;
    EXPECT_FALSE(c.changed);
}

TEST(CurveColumnsTest, ShiftDropsTheRowsPastTheCurvesEnd) {
    std::vector<double> full(98);
    for (int k = 0; k < 98; ++k) full[k] = k + 1;
    TFile file({TLSubtracted(full, 1, 0)});
    TCurveColumn c = file.Load(true);
    c.currentShift = 2;
    WriteBackColumn(*file.view, c);
    file.view->GotoBookmark(c.bookmark);
    const TFloatArray sub = ReadSubtractedCurve(*file.view);
    EXPECT_EQ(sub[2 + 0], 0);
    EXPECT_EQ(sub[2 + 1], 0);
    EXPECT_EQ(sub[2 + 2], 1);
    EXPECT_EQ(sub[2 + 97], 96);  // rows of elements 96 and 97 had nowhere to go
}

TEST(CurveColumnsTest, FactorScalesDrawingAndWriteBack) {
    struct Case {
        const char* what;
        double stored;
        double current;
        double drawn;          // drawn value of a stored 30
        double writtenFactor;  // "Normalization factor" afterwards
        double writtenValue;   // the element afterwards
    };
    const Case cases[] = {
        {"divide by 2", 1, 2, 15, 2, 15},
        {"multiply by 4 (factor 1/4)", 1, 0.25, 120, 0.25, 120},
        {"stored 0 counts as -1: unscaled, -1 written", 0, -1, 30, -1, 30},
        {"stored 2 divided to 4", 2, 4, 15, 4, 15},
    };
    for (const Case& k : cases) {
        TFile file({TLSubtracted({30, 40}, 5, 0, k.stored)});
        TCurveColumn c = file.Load(true);
        if (k.stored != 0) c.currentFactor = k.current;
        EXPECT_DOUBLE_EQ(c.Y(3), k.drawn) << k.what;
        WriteBackColumn(*file.view, c);
        file.view->GotoBookmark(c.bookmark);
        EXPECT_DOUBLE_EQ(file.view->AsFloat("Normalization factor"), k.writtenFactor) << k.what;
        EXPECT_DOUBLE_EQ(ReadSubtractedCurve(*file.view)[2], k.writtenValue) << k.what;
    }
}

TEST(CurveColumnsTest, CellEditChangesExactlyTheBytesOfThatElement) {
    TFile file({OslRaw({7, 100, 90, 80, 70})});
    TCurveColumn c = file.Load(false);
    // Element 0 is no channel: not shown, and kept as it is.
    ASSERT_EQ(c.layout, TColumnLayout::RawFromOne);
    EXPECT_EQ(c.rows[0], 100);
    EXPECT_EQ(c.X(1), 1.0);
    const std::vector<std::uint8_t> before = file.view->RecordAt(0).data;
    c.rows[2] = 85;  // channel 3
    c.changed = true;
    WriteBackColumn(*file.view, c);
    const std::vector<std::uint8_t>& after = file.view->RecordAt(0).data;
    ASSERT_EQ(before.size(), after.size());
    std::vector<std::size_t> differing;
    for (std::size_t i = 0; i < before.size(); ++i)
        if (before[i] != after[i]) differing.push_back(i);
    ASSERT_FALSE(differing.empty());
    EXPECT_LE(differing.size(), 8u);  // within one DOUBLE
    EXPECT_LT(differing.back() - differing.front(), 8u);
    file.view->GotoBookmark(c.bookmark);
    const TFloatArray raw = ReadRawCurve(*file.view);
    EXPECT_EQ(raw[0], 7);
    EXPECT_EQ(raw[3], 85);
}

TEST(CurveColumnsTest, WhichRecordsGetColumnsAndFailures) {
    TRecordFixture background = TLSubtracted({5, 5}, 5, 0);
    background.tlRun = false;
    TRecordFixture zeroSpacing = TLSubtracted({5, 6, 7}, 0, 0);
    TFile file({TLSubtracted({1, 2}, 5, 0), background, zeroSpacing});
    const std::vector<std::int32_t> all = {IdOf(*file.view, 1), IdOf(*file.view, 2),
                                           IdOf(*file.view, 3)};
    file.view->GotoBookmark(all[1]);
    const TCurveLoadResult sub = LoadCurveColumns(*file.view, file.curves, {true, false}, all);
    ASSERT_EQ(sub.columns.size(), 2u);  // the background run gets no column
    EXPECT_EQ(sub.zeroSpacing, 1);
    EXPECT_TRUE(sub.columns[1].spacingWasZero);
    EXPECT_EQ(sub.columns[1].X(3), 3.0);          // against the point number
    EXPECT_EQ(file.view->GetBookmark(), all[1]);  // the cursor is back where it was
    EXPECT_EQ(LoadCurveColumns(*file.view, file.curves, {false, false}, all).columns.size(), 3u);

    // Cancelled after the first record.
    const TCurveLoadResult cancelled = LoadCurveColumns(*file.view, file.curves, {false, false},
                                                        all, [](int, int) { return false; });
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_EQ(cancelled.columns.size(), 1u);

    EXPECT_EQ(ErrorOf([&] {
                  LoadCurveColumns(*file.view, {}, {false, false}, all);
              }),
              "Curve data not defined.");
    const TCurveFieldList rawOnly = {file.curves[0]};
    EXPECT_EQ(ErrorOf([&] {
                  LoadCurveColumns(*file.view, rawOnly, {true, false}, all);
              }),
              "'Subtracted data' not found");
}

TEST(CurveColumnsTest, RescaledRanges) {
    struct Case {
        TPlotRanges data;
        TPlotRanges shown;
    };
    const Case cases[] = {
        {{0, 430, 0, 1000}, {0, 500, 0, 1050}},
        {{50, 430, 10, 1000}, {0, 500, 0, 1050}},  // a small x minimum starts at 0
        {{200, 430, -100, 1000}, {200, 500, -105, 1050}},
        {{0, 500, -40, -20}, {0, 500, -42, -19}},  // a negative maximum shrinks
    };
    for (const Case& c : cases) {
        const TPlotRanges r = RescaledRanges(c.data);
        EXPECT_DOUBLE_EQ(r.xMin, c.shown.xMin);
        EXPECT_DOUBLE_EQ(r.xMax, c.shown.xMax);
        EXPECT_DOUBLE_EQ(r.yMin, c.shown.yMin);
        EXPECT_DOUBLE_EQ(r.yMax, c.shown.yMax);
    }
}
