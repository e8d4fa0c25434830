// ASCII export: the table of cells, its text in rows and columns, ROI sums, and appending to
// the export file.
#include "tools/ascii_export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tool_test_files.h"

using namespace tool_test;

namespace {

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The sample's DAT schema with "Raw data" counted by "NPT" rather than the whole field.
std::vector<TSampleSchemaField> FieldsCountedByNpt() {
    std::vector<TSampleSchemaField> fields = DatSampleFields();
    for (TSampleSchemaField& f : fields) {
        if (f.name == "Raw data") f.countExpr = "\"NPT\"";
    }
    return fields;
}

TRecordFixture Fixture(int run, int disk, int dev, int npt, int maxPoint, std::vector<double> raw) {
    TRecordFixture s;
    s.run = run;
    s.disk = disk;
    s.dev = dev;
    s.npt = npt;
    s.maxPoint = maxPoint;
    s.raw = std::move(raw);
    return s;
}

TAsciiExportSettings Items(std::vector<std::string> items, TArrangeRecords arrange) {
    TAsciiExportSettings s;
    s.items = std::move(items);
    s.arrange = arrange;
    return s;
}

}  // namespace

TEST(AsciiTable, CurveCellsPaddedToMaxPointInRowsAndColumns) {
    TTempFolder folder;
    auto view =
        OpenDat(WriteDatFile(folder, {Fixture(7, 3, 0, 3, 5, {11, 12, 13})}, FieldsCountedByNpt()));
    const TAsciiExportSettings settings =
        Items({"Run#", "Disk#", "Raw data"}, TArrangeRecords::Rows);
    const TAsciiTable table = BuildAsciiTable(*view, {}, settings, {});
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0], (std::vector<std::string>{"Run#", "Disk#", "Raw data point 0", "point 1",
                                                  "point 2", "point 3", "point 4", "point 5"}));
    // Run, disk, the three stored points, two empty cells ("Max point" - "NPT"), one more.
    EXPECT_EQ(table[1], (std::vector<std::string>{"7", "3", "11", "12", "13", "", "", ""}));
    EXPECT_EQ(FormatAsciiTable(table, ",", TArrangeRecords::Rows),
              "Run#,Disk#,Raw data point 0,point 1,point 2,point 3,point 4,point 5\n"
              "7,3,11,12,13,,,\n");
    const std::string columns = FormatAsciiTable(table, "TAB", TArrangeRecords::Columns);
    EXPECT_EQ(columns.substr(0, columns.find('\n')), "Run#\t7");
    EXPECT_EQ(std::count(columns.begin(), columns.end(), '\n'), 8);
}

TEST(AsciiTable, WidestRecordSizesTheTableSoNoValueIsDropped) {
    TTempFolder folder;
    // The current record provides for 2 points; the second exported record has 5.
    auto view = OpenDat(
        WriteDatFile(folder,
                     {Fixture(1, 1, 0, 2, 2, {1, 2}), Fixture(1, 2, 0, 5, 5, {1, 2, 3, 4, 5}),
                      Fixture(1, 3, 0, 5, 5, {6, 7, 8, 9, 10})},
                     FieldsCountedByNpt()));
    const TAsciiTable table =
        BuildAsciiTable(*view, {}, Items({"Raw data", "Disk#"}, TArrangeRecords::Rows),
                        {IdOf(*view, 1), IdOf(*view, 3), IdOf(*view, 2)});
    ASSERT_EQ(table.size(), 4u);
    for (const auto& row : table) EXPECT_EQ(row.size(), 7u);
    // Points 0 .. 5 from the largest "Max point", 5; "Disk#" under its heading in every row.
    EXPECT_EQ(table[0][5], "point 5");
    EXPECT_EQ(table[0].back(), "Disk#");
    EXPECT_EQ(table[2], (std::vector<std::string>{"6", "7", "8", "9", "10", "", "3"}));
    EXPECT_EQ(table[3], (std::vector<std::string>{"1", "2", "3", "4", "5", "", "2"}));
    EXPECT_EQ(table[1], (std::vector<std::string>{"1", "2", "", "", "", "", "1"}));
}

TEST(AsciiTable, SubtractedCellsShiftOfOslRecordsAndFloatingPoints) {
    TTempFolder folder;
    TRecordFixture tl = Fixture(1, 1, 0, 1, 0, {});
    tl.subtracted = {0.5, 2.25};
    tl.shift = 4;
    TRecordFixture osl = Fixture(2, 1, 2100, 1, 0, {});
    osl.subtracted = {1.0 / 3.0};
    osl.shift = 17.5;
    auto view = OpenDat(WriteDatFile(folder, {tl, osl}));
    const TAsciiTable table = BuildAsciiTable(
        *view, DatCurves(*view), Items({"Shift", "Subtracted data"}, TArrangeRecords::Rows),
        {IdOf(*view, 1), IdOf(*view, 2)});
    // TL: "Shift" as stored, "0", "0", then the 98 stored values.
    EXPECT_EQ(table[1][0], "4");
    EXPECT_EQ(table[1][1], "0");
    EXPECT_EQ(table[1][2], "0");
    EXPECT_EQ(table[1][3], "0.5");
    EXPECT_EQ(table[1][4], "2.25");
    // OSL: "Shift" exported as "0"; the subtracted curve starts with an empty cell and Shift.
    EXPECT_EQ(table[2][0], "0");
    EXPECT_EQ(table[2][1], "");
    EXPECT_EQ(table[2][2], "17.5");
    EXPECT_EQ(table[2][3], "0.333333333333333");
    EXPECT_EQ(table[0][1], "Subtracted data point 0");
}

TEST(AsciiTable, ROISumsOverTheHeldValues) {
    std::vector<double> held(100);
    for (int k = 0; k < 100; ++k) held[k] = k;
    TROISet set = DefaultROISet(TROIKind::TL);  // ROI 0: 200 to 500
    set[1] = {"ROI1", 10, 20};
    set[2] = {"ROI2", 0, 50};  // not set: first x last is 0
    // Spacing 2: indices 100 .. 249, all past the held values.
    EXPECT_EQ(ROISums(held, set, true, 2)[0], 0.0);
    // Spacing 5: indices 40 .. 99, sum 40 + ... + 99 = 4170; ROI 1: 2 .. 3.
    const std::vector<double> tl5 = ROISums(held, set, true, 5);
    EXPECT_EQ(tl5[0], 4170.0);
    EXPECT_EQ(tl5[1], 5.0);
    EXPECT_EQ(tl5[2], 0.0);
    EXPECT_EQ(ROISums(held, set, true, 0)[0], 0.0);  // no spacing: no indices
    // OSL: channels as they are, 10 .. 20.
    EXPECT_EQ(ROISums(held, set, false, 0)[1], 165.0);
}

TEST(AsciiTable, ROIColumnsFollowTheCurve) {
    TTempFolder folder;
    auto view =
        OpenDat(WriteDatFile(folder, {Fixture(1, 1, 2100, 3, 3, {0, 1, 2})}, FieldsCountedByNpt()));
    TAsciiExportSettings settings = Items({"Raw data"}, TArrangeRecords::Rows);
    settings.integrateROIs = true;
    settings.oslSet = DefaultROISet(TROIKind::OSL);  // ROI 0: channels 1 to 99
    const TAsciiTable table = BuildAsciiTable(*view, {}, settings, {});
    ASSERT_EQ(table[0].size(), 14u);  // point 0 .. point 3, Average, ROI 1 .. ROI 9
    EXPECT_EQ(table[0][4], "Average");
    EXPECT_EQ(table[0][13], "ROI 9");
    // The three stored points are indexes 0 .. 2, point 3 is empty; ROI 0 ("Average") sums
    // indexes 1 .. 99: 1 + 2.
    EXPECT_EQ(table[1][3], "");
    EXPECT_EQ(table[1][4], "3");
    EXPECT_EQ(table[1][5], "0");
    EXPECT_EQ(table[1].size(), 14u);
}

TEST(AsciiTable, HeadingsAndValuesLineUpForTLAndOslRecordsInRowsAndColumns) {
    TTempFolder folder;
    TRecordFixture tl = Fixture(11, 1, 0, 5, 5, {});
    tl.subtracted = {1, 2, 3, 4, 5};
    tl.shift = 4;
    TRecordFixture osl = Fixture(12, 2, 2100, 3, 3, {});
    osl.subtracted = {1, 1};  // channels 2 and 3; channel 1 is in "Shift"
    osl.shift = 9;
    auto view = OpenDat(WriteDatFile(folder, {tl, osl}));
    TAsciiExportSettings settings =
        Items({"Run#", "Shift", "Subtracted data", "Disk#"}, TArrangeRecords::Rows);
    settings.integrateROIs = true;
    settings.tlSet = DefaultROISet(TROIKind::TL);
    settings.tlSet[0] = {"a", 5, 15};  // spacing 5: indexes 1 .. 2
    settings.oslSet = DefaultROISet(TROIKind::OSL);
    settings.oslSet[0] = {"a", 1, 3};  // channels 1 .. 3
    const TAsciiTable table =
        BuildAsciiTable(*view, DatCurves(*view), settings, {IdOf(*view, 1), IdOf(*view, 2)});
    ASSERT_EQ(table.size(), 3u);
    const std::vector<std::string>& header = table[0];
    const auto column = [&header](const std::string& heading) {
        const auto at = std::find(header.begin(), header.end(), heading);
        return static_cast<std::size_t>(at - header.begin());
    };
    ASSERT_LT(column("Disk#"), header.size());
    EXPECT_EQ(column("Average") + 10, column("Disk#"));  // ROI 1 .. ROI 9 between
    EXPECT_EQ(header[column("Disk#") - 1], "ROI 9");
    struct Expected {
        std::string run, shift, point1, point2, average, disk;
    };
    // TL: "Shift" as stored, points 0 and 1 are "0", the curve from point 2; ROI 0 holds
    // 0 + 1. OSL: "Shift" exported as "0", point 1 the record's "Shift" (9); ROI 0 holds
    // 9 + 1 + 1.
    const Expected expected[] = {{"11", "4", "0", "1", "1", "1"}, {"12", "0", "9", "1", "11", "2"}};
    for (std::size_t r = 0; r < 2; ++r) {
        const std::vector<std::string>& row = table[r + 1];
        ASSERT_EQ(row.size(), header.size()) << r;
        EXPECT_EQ(row[column("Run#")], expected[r].run) << r;
        EXPECT_EQ(row[column("Shift")], expected[r].shift) << r;
        EXPECT_EQ(row[column("point 1")], expected[r].point1) << r;
        EXPECT_EQ(row[column("point 2")], expected[r].point2) << r;
        EXPECT_EQ(row[column("Average")], expected[r].average) << r;
        EXPECT_EQ(row[column("Disk#")], expected[r].disk) << r;
    }
    // In columns, each heading starts the line of its values.
    const std::string text = FormatAsciiTable(table, ";", TArrangeRecords::Columns);
    EXPECT_NE(text.find("\nAverage;1;11\n"), std::string::npos);
    EXPECT_NE(text.find("\nDisk#;1;2\n"), std::string::npos);
    EXPECT_NE(text.find("\nShift;4;0\n"), std::string::npos);
}

TEST(AsciiFile, AppendsAfterEarlierExportsAndReportsFailures) {
    TTempFolder folder;
    const std::string path = AsciiExportPath(folder / "S12.DAT");
    EXPECT_EQ(std::filesystem::path(path).filename(), "S12.ascii");
    AppendAsciiExport(path, "a,b\n");
    AppendAsciiExport(path, "c,d\n");
    EXPECT_EQ(ReadText(path), "a,b\nc,d\n");
    { std::ofstream(path, std::ios::app) << "unfinished"; }
    AppendAsciiExport(path, "e\n");
    EXPECT_EQ(ReadText(path), "a,b\nc,d\nunfinished\ne\n");

    const std::string blocked = folder / "missing/X.ascii";
    const std::string error = ErrorOf([&] { AppendAsciiExport(blocked, "x\n"); });
    EXPECT_EQ(error.rfind("Error writing file: " + blocked + "\n", 0), 0u) << error;
}

TEST(AsciiTable, UnknownItemsAreRefused) {
    TTempFolder folder;
    auto view = OpenDat(WriteDatFile(folder, {Fixture(1, 1, 0, 3, 3, {})}));
    EXPECT_EQ(ErrorOf([&] {
                  BuildAsciiTable(*view, {}, Items({"Run#", "Colour"}, TArrangeRecords::Rows), {});
              }),
              "Field 'Colour' not found");
}
