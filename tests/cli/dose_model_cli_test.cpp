// orvane-cli dose-model run as a program: the members of the JSON of each model, the central
// age model of five doses against Galbraith's iteration run by hand, the refusals that name
// the line at fault, and the radial plot written as a file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/json_value.h"
#include "cli_run.h"
#include "temp_folder.h"

namespace {

using cli_test::TRun;

class DoseModelCli : public ::testing::Test {
protected:
    std::string Csv(const std::string& text) {
        const std::string path = folder_.File("doses.csv");
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    TRun Run(const std::vector<std::string>& args) { return cli_test::RunCli(folder_.path(), args); }
    TTempFolder folder_;
};

const char* kFiveDoses = "De,DeError\n10,1\n12,1.2\n15,0.9\n8,0.8\n11,0.5\n";

TEST_F(DoseModelCli, EachModelWritesItsMembers) {
    const std::string csv = Csv(kFiveDoses);
    const struct {
        std::vector<std::string> args;
        std::vector<std::string> members;
    } cases[] = {
        {{"--model", "cam"}, {"model", "n", "De", "DeError", "OD", "ODError", "relOD", "relODError"}},
        {{"--model", "common"}, {"model", "n", "De", "DeError"}},
        {{"--model", "mean"}, {"model", "n", "De", "DeError"}},
        {{"--model", "mam3", "--sigmab", "0.1"},
         {"model", "n", "De", "DeError", "sigma", "p0", "DeLower", "DeUpper", "Lmax", "BIC"}},
        {{"--model", "mam4", "--sigmab", "0.1"},
         {"model", "n", "De", "DeError", "sigma", "p0", "mu", "DeLower", "DeUpper", "Lmax", "BIC"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[1]);
        std::vector<std::string> args = {"dose-model", csv};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const TRun run = Run(args);
        ASSERT_EQ(run.status, 0) << run.err;
        const TJson json = TJsonReader::Parse(run.out);
        EXPECT_EQ(json.order, c.members);
        EXPECT_EQ(json["model"].text, c.args[1]);
        EXPECT_EQ(json["n"].number, 5);
    }
}

TEST_F(DoseModelCli, CentralAgeOfFiveDoses) {
    // Galbraith et al. (1999): delta and sigma iterated to their fixed point by hand.
    const TRun run = Run({"dose-model", Csv(kFiveDoses), "--model", "cam"});
    ASSERT_EQ(run.status, 0) << run.err;
    const TJson json = TJsonReader::Parse(run.out);
    EXPECT_NEAR(json["De"].number, 11.0689251005, 1e-8);
    EXPECT_NEAR(json["relOD"].number, 18.9704313828, 1e-7);
    EXPECT_NEAR(json["relODError"].number, 7.11155701386, 1e-7);
}

TEST_F(DoseModelCli, RefusalsNameTheLine) {
    const struct {
        const char* name;
        std::string csv;
        std::vector<std::string> options;
        int status;
        std::string message;
    } cases[] = {
        {"one dose", "De,DeError\n10,1\n", {"--model", "cam"}, 1, "at least 2 doses"},
        {"not a number", "De,DeError\n10,1\n\n12,abc\n", {"--model", "mean"}, 1,
         "line 4: 'abc' is not a number"},
        {"zero dose on the log scale", "De,DeError\n10,1\n0,1\n12,1\n", {"--model", "cam"}, 1,
         "line 3: the dose is zero or negative"},
        {"negative error", "De,DeError\n10,1\n11,-1\n", {"--model", "mean"}, 1,
         "line 3: the dose error is zero or negative"},
        {"three fields", "De,DeError\n10,1,3\n", {"--model", "cam"}, 1, "line 2: expected 2 fields"},
        {"wrong header", "Dose,Error\n10,1\n", {"--model", "cam"}, 1, "expected the header 'De,DeError'"},
        {"minimum model without sigma_b", kFiveDoses, {"--model", "mam3"}, 2, "needs --sigmab"},
        {"sigma_b for the central model", kFiveDoses, {"--model", "cam", "--sigmab", "0.1"}, 2,
         "--sigmab belongs to mam3 and mam4"},
        {"unknown model", kFiveDoses, {"--model", "mam5"}, 2, "--model cam|common"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args = {"dose-model", Csv(c.csv)};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const TRun run = Run(args);
        EXPECT_EQ(run.status, c.status);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty());
    }
}

}  // namespace

namespace {

TEST_F(DoseModelCli, RadialPlotWrittenInEachFormat) {
    const std::string csv = Csv(kFiveDoses);
    for (const char* name : {"radial.png", "radial.svg", "radial.pdf"}) {
        SCOPED_TRACE(name);
        const std::string plot = folder_.File(name);
        const TRun run = Run({"dose-model", csv, "--model", "cam", "--plot", plot});
        ASSERT_EQ(run.status, 0) << run.err;
        ASSERT_TRUE(std::filesystem::exists(plot));
        EXPECT_GT(std::filesystem::file_size(plot), 1000u);
    }
    const std::string svg = cli_test::ReadFile(folder_.File("radial.svg"));
    EXPECT_NE(svg.find("Standardised estimate"), std::string::npos);
    EXPECT_NE(svg.find("Density"), std::string::npos);
}

}  // namespace
