// orvane-cli analyse reports only what it can stand behind: on the sample's TL plateau the
// noisy tail (no significant growth) and results with an undefined error carry warning codes
// in the lines, the JSON, the warnings list and the plateau states; grains are named by disk
// and hole; what the command cannot do is refused; unsubtracted data come with a hint.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "cli/json_value.h"
#include "cli_run.h"
#include "fitting/result_codes.h"
#include "temp_folder.h"
#include "tools/sample_generator.h"

namespace {

using cli_test::TRun;

class HonestResultsCli : public ::testing::Test {
protected:
    void SetUp() override { MakeSample(folder_.path().string()); }
    TRun Run(const std::vector<std::string>& args) {
        return cli_test::RunCli(folder_.path(), args);
    }
    std::string Path(const std::string& name) const { return folder_ / name; }
    void Subtract() {
        ASSERT_EQ(Run({"subtract", Path("S12.DAT"), "--curves", "tl"}).status, 0);
        ASSERT_EQ(Run({"subtract", Path("S12.DAT"), "--curves", "osl"}).status, 0);
    }
    TTempFolder folder_;
};

const TJson* SolutionAt(const TJson& json, double index) {
    for (const TJson& s : json["solutions"].items)
        if (s["index"].number == index) return &s;
    return nullptr;
}

}  // namespace

TEST_F(HonestResultsCli, PlateauTailWithoutGrowthIsNoLongerOk) {
    Subtract();
    const TRun run = Run({"analyse", Path("S12.DAT"), "--all", "--no-rois"});
    ASSERT_EQ(run.status, 0) << run.err;
    const TJson json = TJsonReader::Parse(run.out);
    // The growing part of the glow curve keeps its results.
    for (double t = 200; t <= 420; t += 5) {
        const TJson* s = SolutionAt(json, t);
        ASSERT_NE(s, nullptr) << t;
        EXPECT_EQ((*s)["ResultCode"].number, 0) << (*s)["line"].text;
    }
    // From 425 degC on nothing is "O.K."; the results that keep numbers are warnings, drawn as
    // such (state 3) and listed among the warnings.
    int warned = 0;
    for (const TJson& s : json["solutions"].items) {
        if (s["index"].number < 425) continue;
        EXPECT_NE(s["ResultCode"].number, 0) << s["line"].text;
        if (IsWarning(static_cast<ResultCode>(s["ResultCode"].number))) {
            ++warned;
            EXPECT_EQ(s["line"].text.find("O.K."), std::string::npos);
            bool listed = false;
            for (const TJson& w : json["warnings"].items) listed |= w.text == s["line"].text;
            EXPECT_TRUE(listed) << s["line"].text;
        }
    }
    EXPECT_GT(warned, 5);
    const TJson* t445 = SolutionAt(json, 445);
    ASSERT_NE(t445, nullptr);
    EXPECT_EQ((*t445)["ResultCode"].number, kNoSignificantGrowth);
    for (const TJson& p : json["plateau"].items) {
        if (p["x"].number == 445) EXPECT_EQ(p["state"].number, 3);
    }

    // OSL channel 88: the engine's own warning survives, no "O.K." with a zero covariance.
    const TRun osl = Run({"analyse", Path("S12.DAT"), "--device", "1", "--index", "88"});
    ASSERT_EQ(osl.status, 0) << osl.err;
    const TJson oslJson = TJsonReader::Parse(osl.out);
    const TJson& s88 = oslJson["solutions"][0];
    EXPECT_TRUE(IsWarning(static_cast<ResultCode>(s88["ResultCode"].number)))
        << s88["line"].text;
}

TEST_F(HonestResultsCli, GrainsAreNamedByDiskAndHole) {
    const std::string log = Path("grains.lgf");
    const TRun run = Run({"analyse", Path("S12.DAS"), "--method", "10", "--function", "linear",
                          "--sa-signal", "0", "0.5", "--sa-background", "1", "1.5", "--all",
                          "--log", log});
    ASSERT_EQ(run.status, 0) << run.err;
    const TJson json = TJsonReader::Parse(run.out);
    const TJson& second = json["solutions"][1];
    EXPECT_EQ(second["aliquot"]["disk"].number, 1);
    EXPECT_EQ(second["aliquot"]["hole"].number, 37);
    EXPECT_EQ(second["from"].text, "1");
    EXPECT_EQ(second["to"].text, "37");
    const std::string text = cli_test::ReadFile(log);
    EXPECT_NE(text.find("\r\nDisk,  1, 37,"), std::string::npos) << text;
    EXPECT_EQ(text.find("\r\nDisk,  2,"), std::string::npos);

    // Whole disks have no hole.
    const TRun disks = Run({"analyse", Path("S12.SAD"), "--method", "9", "--index", "1"});
    ASSERT_EQ(disks.status, 0) << disks.err;
    const TJson disksJson = TJsonReader::Parse(disks.out);
    const TJson& aliquot = disksJson["solutions"][0]["aliquot"];
    EXPECT_EQ(aliquot["disk"].number, 1);
    EXPECT_EQ(aliquot["hole"].kind, TJson::Null);
}

TEST_F(HonestResultsCli, WindowsBeyondTheShineAreSaidForEveryGrain) {
    // The default background window, 59-60 s, lies beyond the 1.5 s grain shines.
    const TRun run = Run({"analyse", Path("S12.DAS"), "--method", "10", "--function", "linear",
                          "--all"});
    ASSERT_EQ(run.status, 0) << run.err;
    const TJson json = TJsonReader::Parse(run.out);
    for (const TJson& s : json["solutions"].items) {
        EXPECT_NE(s["Note"].text.find("background window beyond the shine"), std::string::npos)
            << s["line"].text;
    }
    ASSERT_EQ(json["warnings"].items.size(), json["solutions"].items.size());
    EXPECT_EQ(json["warnings"][0].text,
              "Disk 1 hole 12: the background window 59.00-60.00 s lies beyond the shine "
              "(1.50 s): no background subtracted");
}

TEST_F(HonestResultsCli, WhatTheCommandCannotDoIsRefused) {
    Subtract();
    const struct {
        std::vector<std::string> args;
        int status;
        const char* message;
    } cases[] = {
        {{"--method", "-1"}, 2, "--method takes 0 to 10"},
        {{"--method", "11"}, 2, "--method takes 0 to 10"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"analyse", Path("S12.DAT")};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const TRun run = Run(args);
        EXPECT_EQ(run.status, c.status) << c.args[1];
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
    const TRun model =
        Run({"analyse", Path("S12.DAS"), "--method", "10", "--error-model", "equal"});
    EXPECT_EQ(model.status, 2);
    EXPECT_NE(model.err.find("arbitrary errors"), std::string::npos) << model.err;

    // A file whose only aliquots are bleached has no natural to date.
    for (int record = 1; record <= 4; ++record) {
        ASSERT_EQ(Run({"set", Path("S12.DAS"), "--record", std::to_string(record), "--field",
                       "Bleach time", "--value", "0.025"})
                      .status,
                  0);
    }
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"analyse", Path("S12.DAS"), "--list"},
          std::vector<std::string>{"analyse", Path("S12.DAS")},
          std::vector<std::string>{"analyse", Path("S12.DAS"), "--method", "10", "--all"}}) {
        const TRun run = Run(args);
        EXPECT_EQ(run.status, 1) << args.back();
        EXPECT_EQ(run.err, "No method was recognized by program!\n") << args.back();
    }
}

TEST_F(HonestResultsCli, SingleAliquotPlotsAndRejectedRecords) {
    const std::string png = Path("grain.png");
    const TRun one = Run({"analyse", Path("S12.DAS"), "--method", "10", "--function", "linear",
                          "--index", "2", "--plot", png, "--plot-size", "400x300"});
    ASSERT_EQ(one.status, 0) << one.err;
    EXPECT_GT(std::filesystem::file_size(png), 1000u);
    EXPECT_EQ(TJsonReader::Parse(one.out)["plot"]["width"].number, 400);
    const TRun noIndex =
        Run({"analyse", Path("S12.DAS"), "--method", "10", "--plot", Path("x.png")});
    EXPECT_EQ(noIndex.status, 2);

    const std::string svg = Path("paleodose.svg");
    const TRun all = Run({"analyse", Path("S12.DAS"), "--method", "10", "--function", "linear",
                          "--all", "--plot", svg});
    ASSERT_EQ(all.status, 0) << all.err;
    const std::string drawing = cli_test::ReadFile(svg);
    EXPECT_NE(drawing.find("Grain (disk:hole)"), std::string::npos);
    EXPECT_NE(drawing.find("1:37"), std::string::npos);

    // Record 1 is the natural of grain 1 (hole 12): taken out, the grain has no natural.
    const TRun rejected = Run({"analyse", Path("S12.DAS"), "--method", "10", "--function",
                               "linear", "--index", "1", "--reject", "1"});
    ASSERT_EQ(rejected.status, 0) << rejected.err;
    EXPECT_EQ(TJsonReader::Parse(rejected.out)["solutions"][0]["ResultCode"].number,
              kInputControlDataError);
}

TEST_F(HonestResultsCli, UnsubtractedDataComeWithAHint) {
    const TRun run = Run({"analyse", Path("S12.DAT")});
    ASSERT_EQ(run.status, 0) << run.err;
    const TJson json = TJsonReader::Parse(run.out);
    ASSERT_EQ(json["warnings"].items.size(), 1u);
    EXPECT_EQ(json["warnings"][0].text,
              "No subtracted curve data: run background subtraction first");
    EXPECT_NE(json["solutions"][0]["ResultCode"].number, 0);
}
