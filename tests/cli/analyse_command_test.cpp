// orvane-cli analyse run as a program on the sample and on small crafted files.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "cli/json_value.h"
#include "cli_run.h"
#include "temp_folder.h"
#include "tools/tool_test_files.h"

namespace {

using cli_test::TRun;

class AnalyseCommand : public ::testing::Test {
protected:
    void SetUp() override { MakeSample(folder_.path().string()); }
    TRun Run(const std::vector<std::string>& args) {
        return cli_test::RunCli(folder_.path(), args);
    }
    std::string Path(const std::string& name) const { return folder_ / name; }
    // The first solution of an analysis of S12.DAT after its OSL backgrounds were subtracted.
    TJson Analyse(std::vector<std::string> options) {
        std::vector<std::string> args = {"analyse", Path("S12.DAT")};
        args.insert(args.end(), options.begin(), options.end());
        const TRun run = Run(args);
        EXPECT_EQ(run.status, 0) << run.err;
        return TJsonReader::Parse(run.out);
    }
    void SubtractOsl() {
        ASSERT_EQ(Run({"subtract", Path("S12.DAT"), "--curves", "osl"}).status, 0);
    }
    TTempFolder folder_;
};

TEST_F(AnalyseCommand, ListsDevicesIrradiationsBleachingsAndTheMethodGrid) {
    const TRun run = Run({"analyse", Path("S12.DAT"), "--list"});
    ASSERT_EQ(run.status, 0) << run.err;
    const TJson json = TJsonReader::Parse(run.out);
    ASSERT_EQ(json["devices"].items.size(), 3u);
    EXPECT_EQ(json["devices"][0]["text"].text, "TL 5deg 5/s");
    EXPECT_EQ(json["devices"][1]["text"].text, "OSL#1 90.2% @125 43.20s");
    EXPECT_EQ(json["devices"][2]["text"].text, "IRSL 80.0% @50 89.00s");
    ASSERT_EQ(json["irradiations"].items.size(), 1u);
    EXPECT_EQ(json["irradiations"][0]["text"].text, "beta 2026-03-16 00:00:00");
    ASSERT_EQ(json["bleachings"].items.size(), 2u);
    EXPECT_EQ(json["bleachings"][0]["text"].text, "BL(120.0/SOLAR)");
    EXPECT_EQ(json["bleachings"][1]["text"].text, "Not bleached");
    // Additive only unbleached; regenerative, total bleach and the slide only bleached.
    const struct {
        int index;
        const char* name;
        bool bleached, unbleached;
    } methods[] = {{0, "Additive growth curve", false, true},
                   {1, "Regen growth curve", true, false},
                   {2, "Total bleach", true, false},
                   {7, "Additive/Regen - Slide", true, false}};
    ASSERT_EQ(json["methods"].items.size(), std::size(methods));
    for (std::size_t i = 0; i < std::size(methods); ++i) {
        const TJson& m = json["methods"][i];
        EXPECT_EQ(m["index"].number, methods[i].index);
        EXPECT_EQ(m["name"].text, methods[i].name);
        EXPECT_EQ(m["possible"][0].boolean, methods[i].bleached) << methods[i].name;
        EXPECT_EQ(m["possible"][1].boolean, methods[i].unbleached) << methods[i].name;
    }
}

TEST_F(AnalyseCommand, AdditiveOslFindsTheNaturalDose) {
    SubtractOsl();
    const TJson json =
        Analyse({"--device", "1", "--method", "0", "--index", "1", "--function", "exp"});
    EXPECT_EQ(json["method"].text, "Additive growth curve");
    EXPECT_EQ(json["bleaching"].text, "Not bleached");
    const TJson& s = json["solutions"][0];
    ASSERT_EQ(s["ResultCode"].number, 0) << s["line"].text;
    EXPECT_EQ(s["index"].number, 1);
    EXPECT_EQ(s["line"].text.substr(0, 7), "Ch  1: ");
    EXPECT_GT(s["EDError"].number, 0);
    EXPECT_NEAR(s["ED"].number, 42.0, s["EDError"].number);
    // The points are the OSL records (run 3) of disks 1 to 16: records 57 to 72.
    std::set<int> records;
    for (const TJson& p : s["Points"].items) {
        records.insert(static_cast<int>(p["record"].number));
        EXPECT_EQ(p["set"].number, 1);
        EXPECT_EQ(p["error"].number, 1);
    }
    EXPECT_EQ(records.size(), 16u);
    EXPECT_EQ(*records.begin(), 57);
    EXPECT_EQ(*records.rbegin(), 72);
    EXPECT_EQ(s["Curve1"]["Code"].number, 8);
    EXPECT_EQ(s["Curve1"]["Count"].number, 16);
    EXPECT_NE(s["Summary"].text.find("Method: Additive growth curve\r\n"), std::string::npos);
}

TEST_F(AnalyseCommand, RegenerativeOslFindsTheClosedForm) {
    SubtractOsl();
    // D0 ln((1 - rho f_N) / (1 - f_N)) of the fast component (D0 110 Gy, rho 0.002).
    const double fN = 1 - std::exp(-42.0 / 110.0);
    const double expected = 110.0 * std::log((1 - 0.002 * fN) / (1 - fN));
    const TJson json = Analyse({"--device", "1", "--method", "1", "--function", "exp"});
    EXPECT_EQ(json["bleaching"].text, "BL(120.0/SOLAR)");
    const TJson& s = json["solutions"][0];
    ASSERT_EQ(s["ResultCode"].number, 0) << s["line"].text;
    EXPECT_NEAR(s["ED"].number, expected, s["EDError"].number);
    int natural = 0, regenerated = 0;
    for (const TJson& p : s["Points"].items) (p["set"].number == 1 ? natural : regenerated)++;
    EXPECT_EQ(natural, 4);
    EXPECT_EQ(regenerated, 12);
}

TEST_F(AnalyseCommand, OtherMethodFamiliesAndRejectedRecords) {
    SubtractOsl();
    for (const char* method : {"2", "7"}) {
        const TJson json = Analyse({"--device", "1", "--method", method, "--function", "linear"});
        const TJson& s = json["solutions"][0];
        EXPECT_EQ(s["ResultCode"].number, 0) << method << ": " << s["line"].text;
        EXPECT_GT(s["ED"].number, 0) << method;
    }
    // Rejected records stay among the points, not accepted, and out of the fit.
    const TJson json = Analyse({"--device", "1", "--method", "0", "--reject", "57,58"});
    const TJson& s = json["solutions"][0];
    int rejected = 0;
    for (const TJson& p : s["Points"].items) {
        const int record = static_cast<int>(p["record"].number);
        EXPECT_EQ(p["accepted"].boolean, record != 57 && record != 58) << record;
        rejected += p["accepted"].boolean ? 0 : 1;
    }
    EXPECT_EQ(rejected, 2);
    EXPECT_EQ(s["Curve1"]["Count"].number, 14);
}

TEST_F(AnalyseCommand, DefaultsAreTheModesOwn) {
    // Device 0 (TL), the first possible cell (bleached column, "Regen growth curve"), 300 degC.
    const TJson json = Analyse({});
    EXPECT_EQ(json["device"].text, "TL 5deg 5/s");
    EXPECT_EQ(json["method"].text, "Regen growth curve");
    const TJson& s = json["solutions"][0];
    EXPECT_EQ(s["index"].number, 300);
    EXPECT_EQ(s["line"].text.substr(0, 8), "T  300: ");
    // --method alone takes the first column where the method is possible.
    EXPECT_EQ(Analyse({"--method", "0", "--index", "375"})["bleaching"].text, "Not bleached");
}

TEST_F(AnalyseCommand, Refusals) {
    const struct {
        std::vector<std::string> args;
        int status;
        const char* message;
    } cases[] = {
        {{"--device", "1", "--index", "91"}, 1, "outside 1..90"},
        {{"--index", "195"}, 1, "outside 200..500"},
        {{"--method", "4"}, 1, "not possible"},
        {{"--method", "0", "--bleaching", "0"}, 1, "not possible"},
        {{"--device", "3"}, 1, "No device 3"},
        {{"--function", "spline"}, 2, "--function"},
        {{"--irradiations", "1"}, 1, "No irradiation 1"},
        {{"--irradiations", "1e300"}, 1, "No irradiation 1e300"},
        {{"--degree", "1e300"}, 2, "--degree needs a whole number"},
        {{"--device", "-3e9"}, 2, "--device needs a whole number"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"analyse", Path("S12.DAT")};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const TRun run = Run(args);
        EXPECT_EQ(run.status, c.status) << c.args[0];
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty());
    }
}

TEST_F(AnalyseCommand, NoValidRecordsAndNoMethod) {
    TTempFolder other;
    tool_test::TRecordFixture background;
    background.tlRun = false;  // a background run: the growth-curve filter passes nothing
    background.npt = 99;
    std::string path = tool_test::WriteDatFile(other, {background});
    TRun run = Run({"analyse", path, "--list"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("No valid records!"), std::string::npos) << run.err;

    tool_test::TRecordFixture natural;  // one TL measurement: no method
    natural.npt = 99;
    path = tool_test::WriteDatFile(other, {natural}, DatSampleFields(), "N.DAT");
    run = Run({"analyse", path});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("No method was recognized by program!"), std::string::npos) << run.err;
}

}  // namespace
