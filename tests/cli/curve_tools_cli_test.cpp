// orvane-cli subtract, deglitch and export-ascii run as a program on the generated sample.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cli/json_value.h"
#include "cli_run.h"
#include "record_store/bin_data_set.h"
#include "record_store/curve_access.h"
#include "record_store/measurement_access.h"
#include "record_store/views.h"
#include "temp_folder.h"
#include "tools/sample_generator.h"

namespace fs = std::filesystem;

namespace {

using cli_test::ReadFile;
using cli_test::TRun;

// Record number of run r, disk d in S12.DAT (six runs over 28 disks).
int RecordOf(int run, int disk) {
    return (run - 1) * 28 + disk;
}

class CurveToolsCli : public ::testing::Test {
protected:
    void SetUp() override { MakeSample(folder_.path().string()); }

    std::string Path(const std::string& name) const { return folder_ / name; }

    TRun Run(const std::vector<std::string>& args) {
        return cli_test::RunCli(folder_.path(), args);
    }

    // The DAT view of the sample file as it is now on disk, on record n.
    std::unique_ptr<TBinDataSet> OpenAt(int n) {
        auto store = std::make_unique<TBinDataSet>();
        ConfigureView(*store, TViewKind::Dat);
        store->SetFileName(Path("S12.DAT"));
        store->SetSchemaFileName(Path("DAT.sch"));
        store->Open();
        store->SetRecNo(n);
        return store;
    }

    TTempFolder folder_;
};

}  // namespace

TEST_F(CurveToolsCli, SubtractOslRecordsWithTheirAssignedBackgrounds) {
    const std::string before = ReadFile(Path("S12.DAT"));
    const TRun run = Run({"subtract", Path("S12.DAT"), "--curves", "osl", "--records",
                          std::to_string(RecordOf(3, 2)) + "," + std::to_string(RecordOf(3, 1))});
    ASSERT_EQ(run.status, 0) << run.err;
    const TJson json = TJsonReader::Parse(run.out);
    // Run 3 of disk 1 has the run-4 background of disk 1.
    bool found = false;
    for (const TJson& a : json["assignments"].items) {
        if (a["record"].number == RecordOf(3, 1)) {
            found = true;
            EXPECT_EQ(a["background"].number, RecordOf(4, 1));
            EXPECT_EQ(a["label"].text, "BGD  d.1     r.4    ");
        }
    }
    EXPECT_TRUE(found);
    ASSERT_EQ(json["processed"].items.size(), 2u);
    EXPECT_EQ(json["processed"][0].number, RecordOf(3, 2));  // in the order given
    EXPECT_EQ(json["processed"][1].number, RecordOf(3, 1));
    EXPECT_TRUE(json["warnings"].items.empty());
    // Saved with backups.
    EXPECT_EQ(ReadFile(Path("S12.~DAT")), before);
    EXPECT_TRUE(fs::exists(Path("S12.~SUB")));

    // The background's rate: its counts over its 43.2 s, summed here channel by channel.
    auto store = OpenAt(RecordOf(4, 1));
    const TFloatArray background = ReadRawCurve(*store);
    double counts = 0;
    for (int ch = 1; ch <= 90; ++ch) counts += background[ch];
    const double rate = counts / 43.2;
    store->SetRecNo(RecordOf(3, 1));
    const TFloatArray raw = ReadRawCurve(*store);
    EXPECT_NEAR(store->AsFloat("Shift"), std::max(raw[1] - rate * 0.01, 0.0), 1e-9);
    EXPECT_NEAR(ReadSubtractedCurve(*store)[60], std::max(raw[60] - rate * 1.0, 0.0), 1e-9);  // 1 s
    EXPECT_NEAR(OslBackgroundRate(*store), std::round(rate * 10) / 10, 1e-12);
}

TEST_F(CurveToolsCli, SubtractErrorsLeaveTheFilesUntouched) {
    const std::string before = ReadFile(Path("S12.DAT"));
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* message;
    };
    const std::string tl = std::to_string(RecordOf(5, 1));
    const Case cases[] = {
        {{"--curves", "tl", "--assign", tl + "=0"}, 1, "a TL curve has no own background"},
        {{"--curves", "tl", "--assign", tl + "=" + tl}, 1, "is not a background run"},
        {{"--curves", "osl", "--records", "999"}, 1, "Record 999 not found"},
        {{"--curves", "osl", "--filter", "gauss3"}, 2, "--filter is for TL curves"},
        {{"--curves", "osl", "--from", "1"}, 2, "--from and --to are given together"},
        {{"--curves", "osl", "--background", "given"}, 2, "needs --value"},
        {{"--curves", "uv"}, 2, "--curves tl or --curves osl"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"subtract", Path("S12.DAT")};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const TRun run = Run(args);
        EXPECT_EQ(run.status, c.status) << c.message;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty());
    }
    EXPECT_EQ(ReadFile(Path("S12.DAT")), before);
    EXPECT_FALSE(fs::exists(Path("S12.~DAT")));
}

TEST_F(CurveToolsCli, SubtractOfABackgroundRecordChangesNothingAndSaysSo) {
    const TRun run = Run({"subtract", Path("S12.DAT"), "--curves", "tl", "--records",
                          std::to_string(RecordOf(6, 1)), "--filter", "boxcar3"});
    ASSERT_EQ(run.status, 0) << run.err;
    const TJson json = TJsonReader::Parse(run.out);
    EXPECT_TRUE(json["processed"].items.empty());
    ASSERT_EQ(json["warnings"].items.size(), 1u);
    EXPECT_EQ(json["warnings"][0].text,
              "Record 141 is not a sample record of the TL curves; skipped.");
    EXPECT_FALSE(fs::exists(Path("S12.~DAT")));
}

TEST_F(CurveToolsCli, DeglitchRemovesTheSpikeOfTheSample) {
    const int record = RecordOf(5, kSampleSpikeDisk);
    const TRun run = Run({"deglitch", Path("S12.DAT"), "--curve", "raw", "--view", "tl", "--from",
                          "100", "--to", "200", "--records", std::to_string(record)});
    ASSERT_EQ(run.status, 0) << run.err;
    const TJson json = TJsonReader::Parse(run.out);
    ASSERT_EQ(json["processed"].items.size(), 1u);
    EXPECT_EQ(json["processed"][0].number, record);
    ASSERT_EQ(json["repaired"].items.size(), 1u);
    const TJson& r = json["repaired"][0];
    EXPECT_EQ(r["record"].number, record);
    EXPECT_EQ(r["index"].number, kSampleSpikePoint);
    auto store = OpenAt(record);
    const TFloatArray raw = ReadRawCurve(*store);
    EXPECT_EQ(r["new"].number, raw[kSampleSpikePoint]);
    EXPECT_EQ(raw[kSampleSpikePoint],
              (raw[kSampleSpikePoint - 1] + raw[kSampleSpikePoint + 1]) / 2);
    EXPECT_GT(r["old"].number - r["new"].number, 2000);
    EXPECT_TRUE(fs::exists(Path("S12.~DAT")));

    const TRun none = Run({"deglitch", Path("S12.DAT"), "--curve", "subtracted", "--view", "tl",
                           "--from", "0", "--to", "500", "--records",
                           std::to_string(RecordOf(6, 1)) + "," + std::to_string(RecordOf(6, 2))});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.err, "Selected records have no subtracted curves\n");
}

TEST_F(CurveToolsCli, ExportAsciiAppendsRowsOrColumns) {
    const std::vector<std::string> args = {
        "export-ascii", Path("S12.DAT"), "--fields", "Run#, Disk#, Raw data", "--records",
        "1,30",         "--arrange",     "rows",     "--delimiter",           "TAB"};
    const TRun run = Run(args);
    ASSERT_EQ(run.status, 0) << run.err;
    const TJson json = TJsonReader::Parse(run.out);
    EXPECT_EQ(json["file"].text, Path("S12.ascii"));
    EXPECT_EQ(json["rows"].number, 3);
    // Every row has the two fields and the raw curve's block of "point 0" to "point 100",
    // as wide as the widest record needs, so values stand under their headings.
    EXPECT_EQ(json["columns"].number, 2 + 101);
    const std::string text = ReadFile(Path("S12.ascii"));
    EXPECT_EQ(text.rfind("Run#\tDisk#\tRaw data point 0\tpoint 1\t", 0), 0u);
    EXPECT_NE(text.find("\n2\t2\t"), std::string::npos);  // record 30: run 2, disk 2

    ASSERT_EQ(Run(args).status, 0);
    const std::string twice = ReadFile(Path("S12.ascii"));
    EXPECT_EQ(twice, text + text);

    const TRun columns = Run(
        {"export-ascii", Path("S12.DAT"), "--fields", "Run#,Raw data", "--records", "29", "--roi"});
    ASSERT_EQ(columns.status, 0) << columns.err;
    // Record 29 (IRSL, 89 channels): "Run#", the block of points 0 to 100, the 10 ROI sums.
    EXPECT_EQ(TJsonReader::Parse(columns.out)["rows"].number, 1 + 101 + 10);
    EXPECT_NE(ReadFile(Path("S12.ascii")).find("\nRun#,2\n"), std::string::npos);

    const std::string exported = ReadFile(Path("S12.ascii"));
    const TRun bad = Run({"export-ascii", Path("S12.DAT"), "--fields", "Run#,Colour"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.err, "Field 'Colour' not found\n");
    EXPECT_EQ(ReadFile(Path("S12.ascii")), exported);
}
