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
#include "temp_folder.h"

namespace fs = std::filesystem;

namespace {

struct TRun {
    int Status = -1;
    std::string Out;
    std::string Err;
};

std::string Quoted(const std::string& word) {
    std::string q = "'";
    for (char c : word) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class DoseRateCommand : public ::testing::Test {
protected:
    TRun Run(const std::vector<std::string>& args) {
        std::string command = Quoted(ORVANE_CLI_PATH);
        for (const std::string& a : args) command += " " + Quoted(a);
        const fs::path out = folder_.path() / "out";
        const fs::path err = folder_.path() / "err";
        command += " >" + Quoted(out.string()) + " 2>" + Quoted(err.string());
        const int raw = std::system(command.c_str());
        TRun run;
        run.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        run.Out = ReadFile(out);
        run.Err = ReadFile(err);
        return run;
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
    ASSERT_EQ(run.Status, 0) << run.Err;
    const TJson json = TJsonReader::Parse(run.Out);
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
    ASSERT_EQ(run.Status, 0) << run.Err;
    const TJson json = TJsonReader::Parse(run.Out);
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
    ASSERT_EQ(run.Status, 0) << run.Err;
    const TJson json = TJsonReader::Parse(run.Out);
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
    ASSERT_EQ(first.Status, 0) << first.Err;
    EXPECT_EQ(first.Out, second.Out);
    const TJson json = TJsonReader::Parse(first.Out);
    EXPECT_EQ(json["monte_carlo"]["draws"].number, 2000);
    EXPECT_NEAR(json["monte_carlo"]["total"]["value"].number, json["total"]["value"].number,
                4 * json["total"]["error"].number / std::sqrt(2000.0));
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
    };
    for (const TCase& c : cases) {
        std::string line;
        for (const auto& a : c.Args) line += a + " ";
        SCOPED_TRACE(line);
        const TRun run = Run(c.Args);
        EXPECT_EQ(run.Status, c.Status) << run.Err;
        EXPECT_TRUE(run.Out.empty()) << run.Out;
        EXPECT_NE(run.Err.find(c.Named), std::string::npos) << run.Err;
    }
}

}  // namespace
