// orvane-cli analyse --all --age-inputs: the age plateau of the sample's TL plateau. Each age
// is the plateau's dose over the dose rate; the mean is the weighted mean of the ages in the
// range picked, recomputed here from the printed doses.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>

#include "cli/json_value.h"
#include "cli_run.h"
#include "temp_folder.h"
#include "tools/tool_test_files.h"

namespace {

class AgePlateauCli : public ::testing::Test {
protected:
    void SetUp() override {
        MakeSample(folder_.path().string());
        ASSERT_EQ(Run({"subtract", Path("S12.DAT"), "--curves", "tl"}).status, 0);
        std::ofstream(Path("S12.age.json"))
            << R"({"k": 1.2, "k_error": 0.05, "u": 2.5, "u_error": 0.1, "th": 9.0,)"
               R"( "th_error": 0.4, "water": 0.1, "water_error": 0.03})";
    }
    cli_test::TRun Run(const std::vector<std::string>& args) {
        return cli_test::RunCli(folder_.path(), args);
    }
    std::string Path(const std::string& name) const { return folder_ / name; }
    cli_test::TRun Analyse(std::vector<std::string> options) {
        std::vector<std::string> args = {
            "analyse", Path("S12.DAT"), "--device", "0",     "--method", "1", "--bleaching",
            "0",       "--function",    "exp",      "--all", "--no-rois"};
        args.insert(args.end(), options.begin(), options.end());
        return Run(args);
    }
    TTempFolder folder_;
};

TEST_F(AgePlateauCli, AgesAndTheirWeightedMeanOverTheChosenTemperatures) {
    const cli_test::TRun run =
        Analyse({"--age-inputs", Path("S12.age.json"), "--age-range", "300", "350"});
    ASSERT_EQ(run.status, 0) << run.err;
    const TJson json = TJsonReader::Parse(run.out);
    const double rate = json["dose_rate"]["value"].number;
    ASSERT_GT(rate, 1.0);
    const TJson& doses = json["plateau"];
    const TJson& ages = json["ages"];
    ASSERT_EQ(ages.items.size(), doses.items.size());
    double sumW = 0, sumWA = 0, sumSigma = 0;
    int count = 0;
    for (std::size_t i = 0; i < ages.items.size(); ++i) {
        const TJson& d = doses[i];
        const TJson& a = ages[i];
        EXPECT_EQ(a["x"].number, d["x"].number);
        const int state = static_cast<int>(d["state"].number);
        if (state != 1 && state != 3 && state != 4) continue;
        EXPECT_NEAR(a["value"].number, d["value"].number / rate,
                    1e-9 * std::fabs(a["value"].number));
        const double x = d["x"].number;
        const double sigma = d["error"].number / rate;
        if (x < 300 || x > 350 || !(sigma > 0)) continue;
        sumW += 1 / (sigma * sigma);
        sumWA += a["value"].number / (sigma * sigma);
        sumSigma += sigma;
        ++count;
    }
    const TJson& mean = json["mean_age"];
    EXPECT_EQ(mean["count"].number, count);
    EXPECT_GE(count, 10);  // 300, 305, ... 350 degC
    EXPECT_NEAR(mean["age_ka"].number, sumWA / sumW, 1e-9 * sumWA / sumW);
    // The plateau near 39 Gy over the dose rate.
    EXPECT_NEAR(mean["age_ka"].number * rate, 39.0, 3.0);
    // The channels share their aliquots: the mean keeps their mean error (or the standard
    // error inflated by the scatter, when that is larger), never the bare standard error.
    EXPECT_NEAR(mean["standard_error"].number, 1 / std::sqrt(sumW), 1e-9 / std::sqrt(sumW));
    EXPECT_NEAR(mean["mean_channel_error"].number, sumSigma / count, 1e-9 * sumSigma / count);
    const double own =
        std::max(sumSigma / count,
                 mean["standard_error"].number * std::sqrt(std::max(mean["mswd"].number, 1.0)));
    EXPECT_GE(mean["error_random"].number, own * (1 - 1e-9));
}

TEST_F(AgePlateauCli, RefusalsNameWhatIsMissing) {
    cli_test::TRun run = Analyse({"--age-range", "300", "350"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("--age-range goes with --age-inputs"), std::string::npos) << run.err;
    run = Run({"analyse", Path("S12.DAT"), "--device", "0", "--age-inputs", Path("S12.age.json")});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("--range or --all"), std::string::npos) << run.err;
    run = Analyse({"--age-inputs", Path("none.json")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("none.json"), std::string::npos) << run.err;
    run = Analyse({"--age-inputs", Path("S12.age.json"), "--age-range", "900", "950"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("No age"), std::string::npos) << run.err;
}

}  // namespace
