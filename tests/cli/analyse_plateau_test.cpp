// orvane-cli analyse --range / --all: the plateau test on the sample, the solutions log it
// appends, and its refusals.
#include <gtest/gtest.h>

#include <cmath>

#include "cli/json_value.h"
#include "cli_run.h"
#include "temp_folder.h"
#include "tools/tool_test_files.h"

namespace {

using cli_test::TRun;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find("\r\n", at);
        if (end == std::string::npos) {
            lines.push_back(text.substr(at));
            break;
        }
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

class AnalysePlateau : public ::testing::Test {
protected:
    void SetUp() override {
        MakeSample(folder_.path().string());
        ASSERT_EQ(Run({"subtract", Path("S12.DAT"), "--curves", "tl"}).status, 0);
    }
    TRun Run(const std::vector<std::string>& args) {
        return cli_test::RunCli(folder_.path(), args);
    }
    std::string Path(const std::string& name) const { return folder_ / name; }
    // Regenerative TL analysis with a saturating exponential and the options given.
    TJson Tl(std::vector<std::string> options) {
        std::vector<std::string> args = {
            "analyse", Path("S12.DAT"), "--device", "0",          "--method",
            "1",       "--bleaching",   "0",        "--function", "exp"};
        args.insert(args.end(), options.begin(), options.end());
        const TRun run = Run(args);
        EXPECT_EQ(run.status, 0) << run.err;
        return TJsonReader::Parse(run.out);
    }
    TTempFolder folder_;
};

TEST_F(AnalysePlateau, AllShowsTheTlPlateauAndItsDrainedPeak) {
    const TJson json = Tl({"--all", "--log", Path("S12.lgf")});
    const TJson& range = json["range"];
    EXPECT_EQ(range["first"].number, 39);  // 200 degC
    EXPECT_EQ(range["firstIndex"].number, 39);
    const int last = static_cast<int>(range["last"].number);
    EXPECT_EQ(range["lastIndex"].number, last);
    EXPECT_TRUE(json["succeeded"].boolean);
    // One entry per index, then the one ROI of the default set (200..500 degC).
    const std::size_t indices = static_cast<std::size_t>(last - 39 + 1);
    ASSERT_EQ(json["solutions"].items.size(), indices + 1);
    const TJson& roi = json["solutions"][indices];
    EXPECT_EQ(roi["kind"].text, "ROI T.");
    EXPECT_EQ(roi["from"].text, "200");
    EXPECT_EQ(roi["to"].text, "500");

    // D0 ln((1 - rho f_N) / (1 - f_N)), f_N = 1 - exp(-42 / D0): the 325 degC peak.
    const double fN = 1 - std::exp(-42.0 / 180);
    const double expected = 180 * std::log((1 - 0.08 * fN) / (1 - fN));
    ASSERT_NEAR(expected, 38.98, 0.005);
    const TJson* at325 = nullptr;
    const TJson* at210 = nullptr;
    for (const TJson& e : json["plateau"].items) {
        if (e["x"].number == 325) at325 = &e;
        if (e["x"].number == 210) at210 = &e;
    }
    ASSERT_TRUE(at325 && at210);
    EXPECT_EQ((*at325)["state"].number, 1);
    EXPECT_NEAR((*at325)["value"].number, expected, 2 * (*at325)["error"].number);
    EXPECT_LT((*at210)["value"].number + 2 * (*at210)["error"].number, expected / 2);
    const TJson& s325 = json["solutions"][325 / 5 - 1 - 39];
    EXPECT_EQ(s325["index"].number, 325);
    EXPECT_EQ(s325["kind"].text, "Temp.");
    EXPECT_EQ(s325["from"].text, "320");
    EXPECT_EQ(s325["line"].text.substr(0, 8), "T  325: ");

    // The log: header, one line per solution, an empty line.
    const std::vector<std::string> lines = Lines(cli_test::ReadFile(Path("S12.lgf")));
    ASSERT_EQ(lines.size(), 8 + indices + 1 + 1);
    EXPECT_EQ(lines[0], "\"" + std::string(68, '=') + "\"");
    EXPECT_EQ(lines[1], "\"Solutions for data file: \",\"" + Path("S12.DAT") + "\"");
    EXPECT_EQ(lines[3], "\"Selected device: \",\"TL 5deg 5/s\"");
    EXPECT_EQ(lines[4], "\"Selected method: \",\"Regen growth curve\"");
    EXPECT_EQ(lines[5], ",,\"doses: \"");
    EXPECT_EQ(lines[6], "");
    EXPECT_NE(lines[7].find("\"a15\",\"\xB1\",\"Function#2\""), std::string::npos);
    EXPECT_EQ(lines[8 + 64 - 39].substr(0, 14), "Temp.,320,325,");
    EXPECT_EQ(lines[8 + indices].substr(0, 14), "ROI T.,200,500");
    EXPECT_EQ(lines.back(), "");
}

TEST_F(AnalysePlateau, RangeComputesItsStepsAndTheLogListsTheRest) {
    // 250..260 degC at spacing 5: indices 49 to 51.
    const TJson json = Tl({"--range", "250", "260", "--no-rois", "--log", Path("R.lgf")});
    EXPECT_EQ(json["range"]["first"].number, 49);
    EXPECT_EQ(json["range"]["last"].number, 51);
    ASSERT_EQ(json["solutions"].items.size(), 3u);
    EXPECT_EQ(json["solutions"][0]["index"].number, 250);
    EXPECT_EQ(json["solutions"][2]["index"].number, 260);
    ASSERT_EQ(json["plateau"].items.size(), 3u);
    EXPECT_EQ(json["plateau"][0]["x"].number, 250);

    // A second write appends a second whole block.
    Tl({"--range", "250", "260", "--no-rois", "--log", Path("R.lgf")});
    const std::string text = cli_test::ReadFile(Path("R.lgf"));
    const std::vector<std::string> lines = Lines(text);
    const int indices = static_cast<int>(json["range"]["lastIndex"].number) - 39 + 1;
    ASSERT_EQ(lines.size(), 2u * (8 + indices + 1));
    int notAvailable = 0, computed = 0;
    for (const std::string& l : lines) {
        if (l.find(",Solution not available,,Equal errors,") != std::string::npos) ++notAvailable;
        if (l.rfind("Temp.,", 0) == 0) ++computed;
    }
    EXPECT_EQ(computed, 2 * 3);
    EXPECT_EQ(notAvailable, 2 * (indices - 3));
    EXPECT_EQ(lines[8 + 49 - 39].substr(0, 14), "Temp.,245,250,");
    EXPECT_EQ(lines[8 + indices + 1], lines[0]);
}

TEST_F(AnalysePlateau, OslChannelsAndTheirRoi) {
    ASSERT_EQ(Run({"subtract", Path("S12.DAT"), "--curves", "osl"}).status, 0);
    const TRun run = Run({"analyse", Path("S12.DAT"), "--device", "1", "--method", "0",
                          "--function", "exp", "--all"});
    ASSERT_EQ(run.status, 0) << run.err;
    const TJson json = TJsonReader::Parse(run.out);
    EXPECT_EQ(json["range"]["first"].number, 1);
    EXPECT_EQ(json["range"]["last"].number, 90);
    // 90 channels and the default OSL ROI 1..99, which runs past channel 90.
    ASSERT_EQ(json["solutions"].items.size(), 91u);
    const TJson& first = json["solutions"][0];
    EXPECT_EQ(first["kind"].text, "Chan.");
    EXPECT_EQ(first["ResultCode"].number, 0);
    EXPECT_NEAR(first["ED"].number, 42.0, 2 * first["EDError"].number);
    const TJson& roi = json["solutions"][90];
    EXPECT_EQ(roi["kind"].text, "ROI Ch.");
    EXPECT_EQ(roi["ResultCode"].number, -23);
    EXPECT_EQ(roi["line"].text.substr(0, 14), "ROI Ch  1-99: ");
    EXPECT_EQ(json["plateau"].items.back()["state"].number, 2);
    EXPECT_EQ(json["plateau"].items.back()["x"].number, 0);  // the ROI number
}

TEST_F(AnalysePlateau, Refusals) {
    const std::string file = Path("S12.DAT");
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* message;
    } cases[] = {
        {{"--range", "600", "700"}, 1, "The range is empty"},
        {{"--range", "300", "250"}, 1, "The range is empty"},
        {{"--range", "300"}, 2, "--range needs two values"},
        {{"--range", "250", "260", "--all"}, 2, "exclude each other"},
        {{"--all", "--index", "300"}, 2, "not with --index"},
        {{"--log", Path("X.lgf")}, 2, "go with --range or --all"},
        {{"--all", "--roi-set", "Mine"}, 2, "ROI set 'Mine' not found"},
        {{"--all", "--log", ""}, 2, "--log needs a FILE"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"analyse",  file, "--device",    "0",
                                         "--method", "1",  "--bleaching", "0"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const TRun run = Run(args);
        EXPECT_EQ(run.status, c.status) << c.message;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(Path("X.lgf")));
    // No solution succeeds with every record rejected: nothing is written.
    std::string all;
    for (int r = 1; r <= 168; ++r) all += (r > 1 ? "," : "") + std::to_string(r);
    const TRun run = Run({"analyse", file, "--device", "0", "--method", "1", "--bleaching", "0",
                          "--range", "300", "310", "--reject", all, "--log", Path("N.lgf")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("nothing was written"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(Path("N.lgf")));
}

}  // namespace
