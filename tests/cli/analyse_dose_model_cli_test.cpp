// orvane-cli analyse --dose-model on the realistic SAR sample: the model over the accepted
// aliquots equals orvane-cli dose-model run on a CSV of the same doses, picked from the run's
// paleodose elements; the counts of excluded aliquots follow the sample's truth (discs 9 to
// 13 fail a criterion); the refusals.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "cli/json_value.h"
#include "cli_run.h"
#include "temp_folder.h"
#include "tools/sample_generator.h"

using cli_test::TRun;

namespace {

class AnalyseDoseModelCli : public ::testing::Test {
protected:
    void SetUp() override { MakeSample(folder_.path().string()); }
    TRun Run(const std::vector<std::string>& args) {
        return cli_test::RunCli(folder_.path(), args);
    }
    std::string Path(const std::string& name) const { return folder_.File(name); }
    // "SA Regenerative" over every disc of SAR12.DAT, with more words.
    TRun Discs(const std::vector<std::string>& more) {
        std::vector<std::string> args = {
            "analyse", Path("SAR12.DAT"), "--method", "10", "--device", "1", "--sa-signal", "0",
            "0.8",     "--sa-background", "30",       "40", "--all"};
        args.insert(args.end(), more.begin(), more.end());
        return Run(args);
    }
    // The accepted aliquots' doses of the run's paleodose elements as a De,DeError file.
    std::string AcceptedDosesCsv(const TJson& run, int& accepted) {
        const std::string path = Path("accepted.csv");
        std::ofstream csv(path, std::ios::binary);
        csv << "De,DeError\n";
        accepted = 0;
        for (const TJson& e : run["plateau"].items) {
            if (!e["accepted"].boolean || e["state"].number != 1) continue;
            char line[96];
            std::snprintf(line, sizeof line, "%.17g,%.17g\n", e["value"].number, e["error"].number);
            csv << line;
            ++accepted;
        }
        return path;
    }
    TTempFolder folder_;
};

}  // namespace

TEST_F(AnalyseDoseModelCli, EqualsDoseModelOnTheAcceptedDoses) {
    const struct {
        std::vector<std::string> model;  // the words after --dose-model / --model
    } cases[] = {
        {{"cam"}},
        {{"common"}},
        {{"mean"}},
        {{"mam3", "--sigmab", "0.1"}},
        {{"mam4", "--sigmab", "0.1"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model[0]);
        std::vector<std::string> more = {"--dose-model"};
        more.insert(more.end(), c.model.begin(), c.model.end());
        const TRun run = Discs(more);
        ASSERT_EQ(run.status, 0) << run.err;
        const TJson json = TJsonReader::Parse(run.out);
        ASSERT_TRUE(json.Has("dose_model"));
        const TJson& model = json["dose_model"];

        int accepted = 0;
        std::vector<std::string> args = {"dose-model", AcceptedDosesCsv(json, accepted), "--model"};
        args.insert(args.end(), c.model.begin(), c.model.end());
        const TRun second = Run(args);
        ASSERT_EQ(second.status, 0) << second.err;
        const TJson direct = TJsonReader::Parse(second.out);

        // Discs 9 to 13 fail a criterion; the other eight have a defined dose.
        EXPECT_EQ(accepted, 8);
        EXPECT_EQ(model["n"].number, 8);
        EXPECT_EQ(model["excluded"]["rejected"].number, 5);
        EXPECT_EQ(model["excluded"]["failed"].number, 0);
        EXPECT_EQ(model["summary"].text, "8 aliquots used; excluded: 5 rejected by the criteria");
        for (const std::string& name : direct.order) {
            SCOPED_TRACE(name);
            ASSERT_TRUE(model.Has(name));
            if (name == "model")
                EXPECT_EQ(model[name].text, direct[name].text);
            else
                EXPECT_DOUBLE_EQ(model[name].number, direct[name].number);
        }
    }
}

TEST_F(AnalyseDoseModelCli, AcceptingAliquotsBringsThemIn) {
    const TRun run = Discs({"--accept-aliquots", "9,10", "--dose-model", "cam"});
    ASSERT_EQ(run.status, 0) << run.err;
    const TJson json = TJsonReader::Parse(run.out);
    EXPECT_EQ(json["dose_model"]["n"].number, 10);
    EXPECT_EQ(json["dose_model"]["excluded"]["rejected"].number, 3);
}

TEST_F(AnalyseDoseModelCli, Refusals) {
    const struct {
        const char* name;
        std::vector<std::string> args;
        int status;
        std::string message;
    } cases[] = {
        {"one aliquot",
         {"analyse", Path("SAR12.DAT"), "--method", "10", "--device", "1", "--index", "3",
          "--dose-model", "cam"},
         1,
         "--range or --all"},
        {"not over aliquots",
         {"analyse", Path("S12.DAT"), "--all", "--dose-model", "cam"},
         1,
         "single-aliquot method"},
        {"minimum age model without sigma_b",
         {"analyse", Path("SAR12.DAT"), "--method", "10", "--device", "1", "--all", "--dose-model",
          "mam3"},
         1,
         "needs --sigmab"},
        {"sigma_b without a minimum age model",
         {"analyse", Path("SAR12.DAT"), "--method", "10", "--device", "1", "--all", "--dose-model",
          "cam", "--sigmab", "0.1"},
         1,
         "--sigmab goes with"},
        {"unknown model",
         {"analyse", Path("SAR12.DAT"), "--method", "10", "--device", "1", "--all", "--dose-model",
          "median"},
         2,
         "'median'"},
        {"every aliquot rejected",
         {"analyse", Path("SAR12.DAT"), "--method", "10", "--device", "1", "--all", "--criteria",
          "recycling=0.0001", "--dose-model", "cam"},
         1,
         "at least 2 doses"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TRun run = Run(c.args);
        EXPECT_EQ(run.status, c.status) << run.out;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty()) << run.out;
    }
}
