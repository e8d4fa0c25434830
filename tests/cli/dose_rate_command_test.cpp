// orvane-cli dose-rate and orvane-cli age run as programs.
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
#include "temp_folder.h"

namespace fs = std::filesystem;

namespace {

using cli_test::ReadFile;
using cli_test::TRun;

class DoseRateCommand : public ::testing::Test {
protected:
    TRun Run(const std::vector<std::string>& args) {
        return cli_test::RunCli(folder_.path(), args);
    }
    std::string Write(const std::string& name, const std::string& text) {
        const fs::path path = folder_.path() / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }
    TTempFolder folder_;
};

const std::vector<std::string> kSand = {"--k",  "1.2", "--k-error",  "0.05",
                                        "--u",  "2.5", "--u-error",  "0.1",
                                        "--th", "9.0", "--th-error", "0.4"};

std::vector<std::string> With(std::vector<std::string> args, const std::vector<std::string>& more) {
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

TEST_F(DoseRateCommand, PrintsEveryComponentWithItsErrorAndTheInputs) {
    const TRun run = Run(With({"dose-rate"}, kSand));
    ASSERT_EQ(run.status, 0) << run.err;
    const TJson json = TJsonReader::Parse(run.out);
    for (const char* key : {"alpha", "beta", "gamma", "cosmic", "internal", "total"}) {
        ASSERT_TRUE(json.Has(key)) << key;
        EXPECT_TRUE(json[key].Has("value"));
        EXPECT_TRUE(json[key].Has("error"));
    }
    // Guérin et al. (2011), dry, no grain size, no cosmic: worked by hand.
    EXPECT_NEAR(json["beta"]["value"].number, 2.5 * 0.1457 + 9.0 * 0.0277 + 1.2 * 0.7982, 1e-9);
    EXPECT_NEAR(json["gamma"]["value"].number, 2.5 * 0.1116 + 9.0 * 0.0479 + 1.2 * 0.2491, 1e-9);
    EXPECT_NEAR(json["total"]["value"].number, 2.58041, 1e-9);
    EXPECT_EQ(json["inputs"]["factors"].text, "guerin2011");
    EXPECT_DOUBLE_EQ(json["inputs"]["th_error"].number, 0.4);
    EXPECT_FALSE(json.Has("monte_carlo"));
}

TEST_F(DoseRateCommand, OptionsOverrideTheInputsFile) {
    const std::string inputs = Write(
        "S12.age.json",
        "{\"k\": 2.0, \"k_error\": 0.1, \"u\": 2.5, \"th\": 9, \"grain_size\": [180, 250],"
        " \"water\": 0.15, \"water_error\": 0.05, \"latitude\": 51.2, \"longitude\": 7.1,"
        " \"altitude\": 120, \"depth\": 1.5, \"density\": 1.8, \"factors\": \"cresswell2018\"}");
    const TRun run =
        Run({"dose-rate", "--inputs", inputs, "--k", "1.2", "--factors", "liritzis2013"});
    ASSERT_EQ(run.status, 0) << run.err;
    const TJson json = TJsonReader::Parse(run.out);
    EXPECT_DOUBLE_EQ(json["inputs"]["k"].number, 1.2);
    EXPECT_DOUBLE_EQ(json["inputs"]["k_error"].number, 0.1);
    EXPECT_EQ(json["inputs"]["factors"].text, "liritzis2013");
    EXPECT_DOUBLE_EQ(json["inputs"]["grain_size"][1].number, 250);
    EXPECT_GT(json["cosmic"]["value"].number, 0.1);
    EXPECT_NEAR(json["cosmic"]["error"].number, 0.1 * json["cosmic"]["value"].number, 1e-12);
    EXPECT_TRUE(json["steps"]["cosmic"]["from_site"].boolean);
}

TEST_F(DoseRateCommand, AgeIsTheDoseOverTheDoseRate) {
    const TRun run =
        Run(With({"age", "--de", "42", "--de-error", "2"}, With(kSand, {"--cosmic", "0.2"})));
    ASSERT_EQ(run.status, 0) << run.err;
    const TJson json = TJsonReader::Parse(run.out);
    const double rate = 2.58041 + 0.2;
    EXPECT_NEAR(json["age_ka"].number, 42 / rate, 1e-9);
    EXPECT_NEAR(json["dose_rate"]["total"]["value"].number, rate, 1e-9);
    const double random = json["error_random"].number;
    const double systematic = json["error_systematic"].number;
    EXPECT_NEAR(json["error_total"].number, std::hypot(random, systematic), 1e-12);
    EXPECT_GT(random, json["age_ka"].number * 2 / 42);
    EXPECT_GT(systematic, 0.0);
    EXPECT_EQ(json.order.front(), "age_ka");
}

TEST_F(DoseRateCommand, MonteCarloIsRepeatableForASeed) {
    const auto args = With({"dose-rate"}, With(kSand, {"--mc", "2000", "--seed", "5"}));
    const TRun first = Run(args);
    const TRun second = Run(args);
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.out, second.out);
    const TJson json = TJsonReader::Parse(first.out);
    EXPECT_EQ(json["monte_carlo"]["draws"].number, 2000);
    EXPECT_NEAR(json["monte_carlo"]["total"]["value"].number, json["total"]["value"].number,
                4 * json["total"]["error"].number / std::sqrt(2000.0));
}

// Water in per cent gives what the fraction gives; the new inputs reach the JSON.
TEST_F(DoseRateCommand, WaterInPerCentAndTheNewInputs) {
    const TRun fraction =
        Run(With({"dose-rate"}, With(kSand, {"--water", "0.15", "--water-error", "0.05"})));
    const TRun percent = Run(
        With({"dose-rate"}, With(kSand, {"--water-percent", "15", "--water-error-percent", "5"})));
    ASSERT_EQ(percent.status, 0) << percent.err;
    EXPECT_EQ(fraction.out, percent.out);

    const TRun run = Run(With(
        {"dose-rate"},
        With(
            kSand,
            {"--grain-size", "180",          "250", "--a-value",          "0.1",  "--a-value-error",
             "0.02",         "--internal-u", "0.5", "--internal-th",      "1.5",  "--internal-rb",
             "400",          "--gamma-rate", "0.9", "--gamma-rate-error", "0.05", "--latitude",
             "51",           "--longitude",  "7",   "--altitude",         "100",  "--depth",
             "1.5",          "--density",    "1.8", "--depth-error",      "0.2",  "--density-error",
             "0.1"})));
    ASSERT_EQ(run.status, 0) << run.err;
    const TJson json = TJsonReader::Parse(run.out);
    EXPECT_DOUBLE_EQ(json["gamma"]["value"].number, 0.9);
    EXPECT_DOUBLE_EQ(json["inputs"]["internal_th"].number, 1.5);
    EXPECT_DOUBLE_EQ(json["inputs"]["depth_error"].number, 0.2);
    EXPECT_FALSE(json["steps"]["fine_grains"].boolean);
    const double reach = json["steps"]["alpha_fraction"]["u"]["value"].number;
    EXPECT_GT(reach, 0.05);
    EXPECT_LT(reach, 0.2);
    EXPECT_GT(json["steps"]["rb_absorbed_fraction"]["value"].number, 0.6);
}

TEST_F(DoseRateCommand, AgeWithCalibrationMonteCarloAndReport) {
    const auto args =
        With({"age", "--de", "50", "--de-error", "2"},
             With(kSand, {"--source-calibration-error", "3", "--mc", "2000", "--cosmic", "0.15"}));
    const TRun run = Run(args);
    ASSERT_EQ(run.status, 0) << run.err;
    const TJson json = TJsonReader::Parse(run.out);
    const double age = json["age_ka"].number;
    EXPECT_NEAR(json["error_calibration"].number, 0.03 * age, 1e-9 * age);
    EXPECT_EQ(json["de_source"].text, "typed");
    EXPECT_FALSE(json["program_version"].text.empty());
    EXPECT_NEAR(json["dose_rate"]["monte_carlo"]["age"]["value"].number, age,
                4 * json["error_total"].number / std::sqrt(2000.0) + 0.01 * age);
    const TRun report = Run(With(args, {"--report"}));
    ASSERT_EQ(report.status, 0) << report.err;
    EXPECT_NE(report.out.find("Equivalent dose: 50 ± 2 Gy (typed)"), std::string::npos)
        << report.out;
    EXPECT_NE(report.out.find("Monte Carlo age"), std::string::npos);
    EXPECT_NE(report.out.find("Durcan"), std::string::npos);
}

TEST_F(DoseRateCommand, BadInputsAreRefusedAndNothingIsWritten) {
    const std::string badFile = Write("bad.json", "{\"k\": 1.2, \"potassium\": 3}");
    struct TCase {
        std::vector<std::string> Args;
        int Status;
        const char* Named;
    };
    const TCase cases[] = {
        {With({"dose-rate"}, {"--k", "-1"}), 1, "'k'"},
        {With({"dose-rate"}, With(kSand, {"--water", "1.5"})), 1, "'water'"},
        {With({"dose-rate"}, With(kSand, {"--grain-size", "100", "2000"})), 1, "'grain_size'"},
        {With({"dose-rate"}, With(kSand, {"--latitude", "50", "--longitude", "7", "--altitude",
                                          "100", "--depth", "-1", "--density", "1.8"})),
         1, "'depth'"},
        {With({"dose-rate"}, With(kSand, {"--latitude", "50"})), 2, "--longitude"},
        {With({"dose-rate"}, {"--k", "abc"}), 2, "--k"},
        {With({"dose-rate"}, {"--grain-size", "100"}), 2, "--grain-size"},
        {With({"dose-rate"}, {"--potassium", "1"}), 2, "--potassium"},
        {With({"dose-rate"}, {"--factors", "guerin2010"}), 2, "guerin2010"},
        {With({"dose-rate"}, {"--de", "40"}), 2, "--de"},
        {With({"dose-rate"}, {"--inputs", badFile}), 1, "'potassium'"},
        {With({"dose-rate"},
              {"--inputs", (fs::path(badFile).parent_path() / "none.json").string()}),
         1, "none.json"},
        {With({"age"}, kSand), 2, "--de"},
        {With({"age", "--de", "-3"}, kSand), 1, "'de'"},
        {With({"dose-rate"}, With(kSand, {"--depth-error", "0.2"})), 1, "'depth_error'"},
        {With({"dose-rate"}, With(kSand, {"--source-calibration-error", "-1"})), 1,
         "'source_calibration_error'"},
        {With({"dose-rate"}, With(kSand, {"--report"})), 2, "--report"},
    };
    for (const TCase& c : cases) {
        std::string line;
        for (const auto& a : c.Args) line += a + " ";
        SCOPED_TRACE(line);
        const TRun run = Run(c.Args);
        EXPECT_EQ(run.status, c.Status) << run.err;
        EXPECT_TRUE(run.out.empty()) << run.out;
        EXPECT_NE(run.err.find(c.Named), std::string::npos) << run.err;
    }
}

}  // namespace
