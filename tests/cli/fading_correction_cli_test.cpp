// orvane-cli g-value and fading-correction run as programs: the members of their JSON, the
// rate of noise-free measurements, the age the Huntley & Lamothe equation faded, and the
// refusals naming the line or the reason.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "cli/json_value.h"
#include "cli_run.h"
#include "temp_folder.h"

namespace {

using cli_test::TRun;

class FadingCorrectionCli : public ::testing::Test {
protected:
    std::string Csv(const std::string& text, const std::string& name = "fading.csv") {
        const std::string path = folder_.File(name);
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    TRun Run(const std::vector<std::string>& args) { return cli_test::RunCli(folder_.path(), args); }
    TTempFolder folder_;
};

// 2 (1 - 0.05 log10(t / 1000 s)): g = 5 %/decade at tc = 1000 s.
const char* kNoiseFree =
    "LxTx,LxTxError,TimeSinceIrradiation\n2,0.01,1000\n1.9,0.01,10000\n1.8,0.01,100000\n"
    "1.7,0.01,1000000\n";

TEST_F(FadingCorrectionCli, GValueOfNoiseFreeMeasurements) {
    const TRun run = Run({"g-value", Csv(kNoiseFree), "--mc", "200", "--seed", "7"});
    ASSERT_EQ(run.status, 0) << run.err;
    const TJson json = TJsonReader::Parse(run.out);
    EXPECT_EQ(json.order,
              (std::vector<std::string>{"g", "g_error", "tc", "g_2days", "g_2days_error"}));
    EXPECT_NEAR(json["g"].number, 5.0, 1e-10);
    EXPECT_EQ(json["tc"].number, 1000.0);
    // 100 k / (1 - k log10(172800 / 1000)), k = 0.05.
    EXPECT_NEAR(json["g_2days"].number, 5.629852005025834, 1e-9);
    // The same seed draws the same error.
    EXPECT_EQ(Run({"g-value", Csv(kNoiseFree), "--mc", "200", "--seed", "7"}).out, run.out);
}

TEST_F(FadingCorrectionCli, CorrectedAgeOfAFadedOne) {
    // 100 ka faded with g = 5 %/decade at 2 days measures 65.8636712648045 ka.
    const TRun run = Run({"fading-correction", "--age", "65.8636712648045", "--age-error", "5",
                          "--g", "5", "--g-error", "1", "--tc", "172800", "--mc", "2000"});
    ASSERT_EQ(run.status, 0) << run.err;
    const TJson json = TJsonReader::Parse(run.out);
    EXPECT_EQ(json.order,
              (std::vector<std::string>{"age", "age_error", "kappa", "g", "g_error"}));
    EXPECT_NEAR(json["age"].number, 100.0, 1e-8);
    EXPECT_NEAR(json["kappa"].number, 0.05 / std::log(10.0), 1e-12);
}

TEST_F(FadingCorrectionCli, Refusals) {
    const struct {
        const char* name;
        std::vector<std::string> args;
        int status;
        std::string message;
    } cases[] = {
        {"error zero",
         {"g-value",
          Csv("LxTx,LxTxError,TimeSinceIrradiation\n2,0.01,1000\n1.9,0,10000\n", "zero.csv")},
         1,
         "line 3: Lx/Tx must be a number"},
        {"age beyond the model",
         {"fading-correction", "--age", "1e6", "--age-error", "1", "--g", "20", "--g-error", "1",
          "--tc", "172800"},
         1,
         "beyond what this fading rate can give"},
        {"no tc", {"fading-correction", "--age", "1", "--age-error", "1", "--g", "2", "--g-error", "1"},
         2, "needs --tc"},
        {"draws not whole", {"g-value", Csv(kNoiseFree), "--mc", "2.5"}, 2, "--mc needs"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TRun run = Run(c.args);
        EXPECT_EQ(run.status, c.status);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
}

}  // namespace
