// orvane-cli analyse with the single-aliquot methods on the sample: every grain of S12.DAS
// (SA Regenerative) and the additive disks of S12.SAD with the depletion correction find the
// natural dose of 42 Gy; Range and All over the aliquots with the solutions log; the options
// of the limits group.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>

#include "cli/json_value.h"
#include "cli_run.h"
#include "fitting/result_codes.h"
#include "temp_folder.h"
#include "tools/sample_generator.h"

namespace {

using cli_test::TRun;

class SingleAliquotCli : public ::testing::Test {
protected:
    void SetUp() override { MakeSample(folder_.path().string()); }
    TRun Run(const std::vector<std::string>& args) {
        return cli_test::RunCli(folder_.path(), args);
    }
    std::string Path(const std::string& name) const { return folder_ / name; }
    TTempFolder folder_;
};

constexpr double kNaturalDose = 42.0;

}  // namespace

TEST_F(SingleAliquotCli, EveryGrainOfTheSingleGrainDiscFindsTheNaturalDose) {
    const TRun run = Run({"analyse", Path("S12.DAS"), "--method", "10", "--function", "linear",
                          "--sa-signal", "0", "0.5", "--sa-background", "1", "1.5"});
    ASSERT_EQ(run.status, 0) << run.err;
    const TJson json = TJsonReader::Parse(run.out);
    EXPECT_EQ(json["method"].text, "SA Regenerative");
    ASSERT_EQ(json["solutions"].items.size(), 4u);
    const char* grains[] = {"Disk 1 hole 12", "Disk 1 hole 37", "Disk 1 hole 58", "Disk 1 hole 81"};
    const int holes[] = {12, 37, 58, 81};
    for (std::size_t g = 0; g < 4; ++g) {
        const TJson& s = json["solutions"][g];
        EXPECT_EQ(s["aliquot"]["disk"].number, 1);
        EXPECT_EQ(s["aliquot"]["hole"].number, holes[g]);
        EXPECT_EQ(s["line"].text.rfind(std::string(grains[g]) + ": ", 0), 0u);
        EXPECT_EQ(s["ResultCode"].number, 0) << s["line"].text;
        // Within twice the error: the straight line through three regenerated points of a
        // saturating curve (D0 = 120 Gy) reads a few percent high.
        EXPECT_LT(std::abs(s["ED"].number - kNaturalDose), 2 * s["EDError"].number)
            << s["line"].text;
        EXPECT_LT(s["EDError"].number, 0.1 * kNaturalDose) << s["line"].text;
    }
    // The limits come back on the channel boundaries (50 x 0.01 s, then 0.1 s channels).
    EXPECT_DOUBLE_EQ(json["limits"]["signal"][1].number, 0.5);
    EXPECT_TRUE(json["warnings"].items.empty());

    // One grain by its aliquot number.
    const TRun one =
        Run({"analyse", Path("S12.DAS"), "--method", "10", "--function", "linear", "--index", "3"});
    ASSERT_EQ(one.status, 0) << one.err;
    const TJson single = TJsonReader::Parse(one.out);
    ASSERT_EQ(single["solutions"].items.size(), 1u);
    EXPECT_EQ(single["solutions"][0]["aliquot"]["hole"].number, 58);
    const TRun missing = Run({"analyse", Path("S12.DAS"), "--method", "10", "--index", "9"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "No aliquot 9 in the file\n");
}

TEST_F(SingleAliquotCli, AdditiveDisksWithTheDepletionCorrection) {
    const TRun run = Run({"analyse", Path("S12.SAD"), "--method", "9", "--function", "exp",
                          "--depletion", "linear"});
    ASSERT_EQ(run.status, 0) << run.err;
    const TJson json = TJsonReader::Parse(run.out);
    EXPECT_EQ(json["method"].text, "SA Additive");
    ASSERT_EQ(json["solutions"].items.size(), 3u);
    EXPECT_EQ(json["solutions"][2]["line"].text, "Disk   3: is a depletion disk");
    // Each additive disk finds the natural dose within its error.
    for (std::size_t disk = 0; disk < 2; ++disk) {
        const TJson& s = json["solutions"][disk];
        EXPECT_EQ(s["ResultCode"].number, 0) << s["line"].text;
        EXPECT_LT(std::abs(s["ED"].number - kNaturalDose), s["EDError"].number) << s["line"].text;
    }

    // Without the saturating function the additive extrapolation reads far above.
    const TRun linear = Run({"analyse", Path("S12.SAD"), "--method", "9", "--function", "linear",
                             "--depletion", "linear", "--index", "2"});
    ASSERT_EQ(linear.status, 0) << linear.err;
    EXPECT_GT(TJsonReader::Parse(linear.out)["solutions"][0]["ED"].number, 50);
}

TEST_F(SingleAliquotCli, RangeAndAllRunOverTheAliquots) {
    // All over S12.SAD: both additive disks, the depletion disk without a dose.
    const TRun all = Run({"analyse", Path("S12.SAD"), "--method", "9", "--all"});
    ASSERT_EQ(all.status, 0) << all.err;
    const TJson json = TJsonReader::Parse(all.out);
    ASSERT_EQ(json["solutions"].items.size(), 3u);
    EXPECT_EQ(json["solutions"][0]["kind"].text, "Disk");
    EXPECT_EQ(json["solutions"][2]["line"].text, "Disk   3: is a depletion disk");
    EXPECT_EQ(json["solutions"][2]["ResultCode"].number, kSolutionNotAvailable);
    ASSERT_EQ(json["plateau"].items.size(), 2u);  // the depletion disk is not plotted
    for (std::size_t n = 0; n < 2; ++n) {
        const TJson& p = json["plateau"][n];
        EXPECT_EQ(p["x"].number, n + 1.0);
        EXPECT_LT(std::abs(p["value"].number - kNaturalDose), p["error"].number);
    }

    // A range of grains, logged: the lines of grains 2 and 3, the others not available.
    const std::string log = Path("grains.lgf");
    const TRun range = Run({"analyse", Path("S12.DAS"), "--method", "10", "--function", "linear",
                            "--range", "2", "3", "--log", log});
    ASSERT_EQ(range.status, 0) << range.err;
    const TJson r = TJsonReader::Parse(range.out);
    ASSERT_EQ(r["solutions"].items.size(), 2u);
    EXPECT_EQ(r["solutions"][0]["line"].text.rfind("Disk 1 hole 37: ", 0), 0u);
    EXPECT_EQ(r["range"]["lastIndex"].number, 4);
    std::ifstream in(log, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("\"Selected method: \",\"SA Regenerative\""), std::string::npos);
    // Grains are written by disk and hole: grains 2 and 3 are holes 37 and 58 of disk 1.
    EXPECT_NE(text.find("\r\nDisk,  1, 37,"), std::string::npos);
    EXPECT_NE(text.find("\r\nDisk,  1, 58,"), std::string::npos);
    EXPECT_EQ(text.find("\r\nDisk,  1, 81,"), std::string::npos);
}

TEST_F(SingleAliquotCli, LimitOptionsAreChecked) {
    const std::vector<std::vector<std::string>> cases = {
        {"analyse", Path("S12.DAS"), "--method", "10", "--sa-signal", "1"},
        {"analyse", Path("S12.DAS"), "--method", "10", "--sa-signal", "1", "0.5"},
        {"analyse", Path("S12.DAS"), "--method", "10", "--ncf", "maybe"},
        {"analyse", Path("S12.SAD"), "--method", "9", "--depletion", "5"},
    };
    for (const auto& args : cases) {
        const TRun run = Run(args);
        EXPECT_EQ(run.status, 2) << args.back() << ": " << run.err;
    }
}
