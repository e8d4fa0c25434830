// orvane-cli fading run as a program on the generated sample: the ratios of two groups of
// natural aliquots after TL background subtraction against the values in the file; records
// that cannot be compared (unsubtracted, background runs, TL with OSL, twice) refused by
// number, and the errors of the command line.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/json_value.h"
#include "cli_run.h"
#include "record_store/bin_data_set.h"
#include "record_store/curve_access.h"
#include "record_store/views.h"
#include "temp_folder.h"
#include "tools/sample_generator.h"

namespace {

using cli_test::TRun;

class FadingCli : public ::testing::Test {
protected:
    void SetUp() override { MakeSample(folder_.path().string()); }
    std::string Path(const std::string& name) const { return folder_ / name; }
    TRun Run(const std::vector<std::string>& args) {
        return cli_test::RunCli(folder_.path(), args);
    }
    // "Subtracted data" of record n (1-based) as stored, aligned with the raw indexes.
    std::vector<double> Subtracted(int n) {
        TBinDataSet store;
        ConfigureView(store, TViewKind::Dat);
        store.SetFileName(Path("S12.DAT"));
        store.SetSchemaFileName(Path("DAT.sch"));
        store.Open();
        store.SetRecNo(n);
        const TFloatArray curve = ReadSubtractedCurve(store);
        return std::vector<double>(curve.begin(), curve.end());
    }
    TTempFolder folder_;
};

}  // namespace

TEST_F(FadingCli, RatiosOfTwoNaturalGroupsAfterSubtraction) {
    // Before any subtraction the curves are all 0: refused, naming the record.
    const TRun before =
        Run({"fading", Path("S12.DAT"), "--faded", "113,114", "--fresh", "115,116"});
    EXPECT_EQ(before.status, 1);
    EXPECT_EQ(before.err,
              "Record 113 has no subtracted curve data: run background subtraction first.\n");

    ASSERT_EQ(Run({"subtract", Path("S12.DAT"), "--curves", "tl"}).status, 0);
    const TRun run = Run({"fading", Path("S12.DAT"), "--faded", "113,114", "--fresh", "115,116"});
    ASSERT_EQ(run.status, 0) << run.err;
    const TJson json = TJsonReader::Parse(run.out);
    const TJson& points = json["points"];
    // Points of 5 degC from index 39 (200 degC) on, up to the shortest curve.
    ASSERT_GT(points.items.size(), 40u);
    for (std::size_t i = 0; i < points.items.size(); ++i) {
        EXPECT_EQ(points[i]["index"].number, 39 + static_cast<double>(i));
        EXPECT_EQ(points[i]["x"].number, 200 + 5 * static_cast<double>(i));
    }
    EXPECT_EQ(points[0].order, (std::vector<std::string>{"index", "x", "ratio", "error", "state"}));

    // 375 degC, index 74: the means of the two values of each group.
    const std::size_t at = 74;
    const double faded = (Subtracted(113)[at] + Subtracted(114)[at]) / 2;
    const double fresh = (Subtracted(115)[at] + Subtracted(116)[at]) / 2;
    const TJson& p = points[at - 39];
    EXPECT_EQ(p["x"].number, 375);
    EXPECT_EQ(p["state"].number, 1);
    EXPECT_NEAR(p["ratio"].number, faded / fresh, 1e-9);
    EXPECT_GT(p["error"].number, 0);
    EXPECT_LT(std::fabs(p["ratio"].number - 1), 3 * p["error"].number);
}

TEST_F(FadingCli, RecordsThatCannotBeComparedAreRefusedByNumber) {
    ASSERT_EQ(Run({"subtract", Path("S12.DAT"), "--curves", "tl"}).status, 0);
    ASSERT_EQ(Run({"subtract", Path("S12.DAT"), "--curves", "osl"}).status, 0);
    const struct {
        const char* faded;
        const char* fresh;
        const char* message;
    } cases[] = {
        {"113,114", "115,113", "Record 113 is listed twice."},
        {"113,113", "115", "Record 113 is listed twice."},
        {"113,85", "115", "Record 85 is a background run, not a measurement to compare."},
        {"113", "1",
         "Record 1 is an OSL record, record 113 a TL record: TL and OSL mixed."},
    };
    for (const auto& c : cases) {
        const TRun run = Run({"fading", Path("S12.DAT"), "--faded", c.faded, "--fresh", c.fresh});
        EXPECT_EQ(run.status, 1) << c.faded << " / " << c.fresh;
        EXPECT_EQ(run.err, std::string(c.message) + "\n");
        EXPECT_TRUE(run.out.empty());
    }
}

TEST_F(FadingCli, CommandLineErrors) {
    const struct {
        std::vector<std::string> args;
        int status;
    } cases[] = {
        {{"fading", Path("S12.DAT"), "--faded", "113"}, 2},                  // no fresh group
        {{"fading", Path("S12.DAT"), "--faded", "all", "--fresh", "1"}, 2},  // no numbers
        {{"fading", Path("S12.DAT"), "--faded", "113", "--fresh", "999"}, 1},
        {{"fading", Path("NONE.DAT"), "--faded", "1", "--fresh", "2"}, 1},
    };
    for (const auto& c : cases) {
        const TRun run = Run(c.args);
        EXPECT_EQ(run.status, c.status) << c.args[2] << " " << c.args[3];
        EXPECT_TRUE(run.out.empty());
        EXPECT_FALSE(run.err.empty());
    }
}
