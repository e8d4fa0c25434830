// orvane-cli analyse --mc N --seed S: the Monte Carlo error beside the analytic one.
#include <gtest/gtest.h>

#include "cli/json_value.h"
#include "cli_run.h"
#include "temp_folder.h"
#include "tools/tool_test_files.h"

namespace {

using cli_test::TRun;

class MonteCarloCli : public ::testing::Test {
protected:
    void SetUp() override {
        MakeSample(folder_.path().string());
        ASSERT_EQ(Run({"subtract", Path("S12.DAT"), "--curves", "osl"}).status, 0);
    }
    TRun Run(const std::vector<std::string>& args) { return cli_test::RunCli(folder_.path(), args); }
    std::string Path(const std::string& name) const { return folder_ / name; }
    TTempFolder folder_;
};

TEST_F(MonteCarloCli, EachSolutionCarriesItsRepeatableMonteCarloError) {
    const std::vector<std::string> args = {"analyse", Path("S12.DAT"), "--device", "1",
                                           "--method", "0", "--mc", "300", "--seed", "5"};
    const TRun first = Run(args);
    ASSERT_EQ(first.status, 0) << first.err;
    const TJson json = TJsonReader::Parse(first.out);
    const TJson again = TJsonReader::Parse(Run(args).out);
    const TJson& s = json["solutions"][0];
    const TJson& mc = s["mc"];
    for (const char* key : {"DeError", "mean", "lower68", "upper68", "lower95", "upper95"})
        EXPECT_EQ(again["solutions"][0]["mc"][key].text, mc[key].text) << key;
    EXPECT_EQ(mc["draws"].number, 300);
    EXPECT_EQ(mc["seed"].number, 5);
    EXPECT_EQ(mc["status"].text, "O.K.");
    // The sample's saturating growth curve: the draws spread about as the propagation says.
    const double ed = s["ED"].number, analytic = s["EDError"].number;
    EXPECT_GT(mc["DeError"].number, 0.7 * analytic);
    EXPECT_LT(mc["DeError"].number, 1.5 * analytic);
    EXPECT_LT(mc["lower95"].number, mc["lower68"].number);
    EXPECT_LT(mc["lower68"].number, ed);
    EXPECT_LT(ed, mc["upper68"].number);
    EXPECT_LT(mc["upper68"].number, mc["upper95"].number);
}

TEST_F(MonteCarloCli, RefusesWrongDrawsAndASeedAlone) {
    const struct {
        std::vector<std::string> extra;
        const char* message;
    } cases[] = {{{"--seed", "3"}, "--seed goes with --mc"},
                 {{"--mc", "1"}, "--mc takes 2 to 1000000 draws"},
                 {{"--mc", "many"}, "--mc"},
                 {{"--mc", "100", "--list"}, "--mc goes with a computation"}};
    for (const auto& c : cases) {
        std::vector<std::string> args = {"analyse", Path("S12.DAT")};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        const TRun run = Run(args);
        EXPECT_EQ(run.status, 2) << c.message;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
}

}  // namespace
