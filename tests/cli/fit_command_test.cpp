// `orvane-cli fit` run as a program on points files in a temporary folder.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "temp_folder.h"

namespace {

namespace fs = std::filesystem;

class FitCommand : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = folder_.path();
        ASSERT_FALSE(dir_.empty());
    }

    fs::path Write(const std::string& name, const std::string& text) {
        const fs::path path = dir_ / name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    // Runs the program with the arguments; returns its exit status.
    int Run(const std::string& arguments) {
        const std::string command = std::string("'") + ORVANE_CLI_PATH + "' fit " + arguments +
                                    " >'" + (dir_ / "out").string() + "' 2>'" +
                                    (dir_ / "err").string() + "'";
        const int status = std::system(command.c_str());
        out_ = Read(dir_ / "out");
        err_ = Read(dir_ / "err");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    static std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // The number after "key": in the output (first occurrence).
    double Number(const std::string& key) const {
        const auto at = out_.find("\"" + key + "\":");
        if (at == std::string::npos) return -12345.0;
        return std::strtod(out_.c_str() + at + key.size() + 3, nullptr);
    }

    TTempFolder folder_;
    fs::path dir_;
    std::string out_;
    std::string err_;
};

TEST_F(FitCommand, AdditiveLinePrintsTheInterceptAsJson) {
    // Unsorted, with CRLF line ends. The weighted line through the points (errors 2) has
    // A1 = 100.6, A2 = 9.97 by the closed form: ED = A1/A2 = 10.090270812437309.
    const fs::path points = Write("points.csv",
                                  "set,dose,signal,error\r\n"
                                  "1,30,401,2\r\n1,0,100,2\r\n1,10,202,2\r\n"
                                  "1,20,298,2\r\n1,40,499,2\r\n");
    ASSERT_EQ(Run("--points '" + points.string() +
                  "' --method 2 --function 1 --function2 63 --error-model 1"),
              0)
        << err_;
    EXPECT_EQ(out_.rfind("{\"ResultCode\":0,\"Message\":\"O.K.\",\"Note\":\"\",\"ED\":", 0), 0u)
        << out_;
    EXPECT_NEAR(Number("ED"), 10.090270812437309, 1e-12);
    EXPECT_NEAR(Number("EDError"), 0.21091106279615537, 1e-12);
    EXPECT_NE(out_.find("\"Curve1\":{\"Code\":1,\"NParams\":2,\"Params\":["), std::string::npos);
    EXPECT_NE(out_.find("\"Count\":5}"), std::string::npos);
    EXPECT_NE(out_.find("\"Curve2\":{\"Code\":63,\"NParams\":0,\"Params\":[],\"Cov\":[],"),
              std::string::npos);
    // The points as the engine returned them: sorted by dose, shortest number forms.
    EXPECT_NE(out_.find("\"Set1\":[[0,100,2],[10,202,2],[20,298,2],[30,401,2],[40,499,2]],"
                        "\"Set2\":[]}\n"),
              std::string::npos)
        << out_;
    EXPECT_EQ(out_.back(), '\n');
}

TEST_F(FitCommand, RegenerativeUsesTheFirstFunctionForBothCurves) {
    // Natural 300 on the line 100 + 10 D through exact regenerated points: ED = 20.
    const fs::path points = Write("regen.csv",
                                  "set,dose,signal,error\n"
                                  "1,0,300,1.5\n"
                                  "2,0,100,2\n2,10,201,2\n2,20,299,2\n2,30,402,2\n2,40,498,2\n");
    ASSERT_EQ(Run("--points '" + points.string() + "' --method 5 --function 1 --error-model 1"), 0)
        << err_;
    EXPECT_NEAR(Number("ED"), 20.000000000000004, 1e-9);
    EXPECT_NE(out_.find("\"Curve2\":{\"Code\":1,\"NParams\":2,"), std::string::npos) << out_;
    EXPECT_NE(out_.find("\"Cov\":[["), std::string::npos);
}

TEST_F(FitCommand, EngineFailuresStillExitZero) {
    const fs::path points = Write("p.csv", "set,dose,signal,error\n1,0,100,2\n1,10,200,2\n");
    ASSERT_EQ(Run("--points '" + points.string() + "' --method 11 --function 1 --error-model 1"),
              0);
    EXPECT_NEAR(Number("ResultCode"), -1.0, 0.0);
    EXPECT_NE(out_.find("\"Message\":\"Input control data error\""), std::string::npos);
}

TEST_F(FitCommand, OverflowIsAFailedResult) {
    // Numbers near the top of double's range overflow the exponential fit: a failure with
    // its note, never "O.K." with null statistics.
    const fs::path points = Write("huge.csv",
                                  "set,dose,signal,error\n1,0,1e300,1e298\n"
                                  "2,0,2e299,1e298\n2,1e300,6e299,1e298\n2,2e300,9e299,1e298\n"
                                  "2,3e300,1.1e300,1e298\n2,4e300,1.2e300,1e298\n");
    ASSERT_EQ(Run("--points '" + points.string() + "' --method 5 --function 8 --error-model 1"), 0)
        << err_;
    EXPECT_EQ(out_.rfind("{\"ResultCode\":-10,\"Message\":\"Fitting problem is ill-conditioned\","
                         "\"Note\":\"numeric value too big; \"",
                         0),
              0u)
        << out_;
}

TEST_F(FitCommand, CorrectionTableMethodsDefaultTheSecondCode) {
    const fs::path points = Write("t.csv",
                                  "set,dose,signal,error\n"
                                  "1,1,1000,10\n1,2,950,10\n1,3,900,10\n1,4,850,10\n"
                                  "1,1,500,10\n1,2,476,10\n1,3,449,10\n1,4,425,10\n"
                                  "2,0,0,0\n2,0,0,0\n2,0,0,0\n2,0,0,0\n");
    ASSERT_EQ(Run("--points '" + points.string() + "' --method 9 --function 1 --error-model 1"), 0)
        << err_;
    EXPECT_NEAR(Number("ResultCode"), 0.0, 0.0) << out_;
    EXPECT_NE(out_.find("\"Curve2\":{\"Code\":63,"), std::string::npos);
    // The table written into set 2 starts with cycle 1 at 1 with no error.
    EXPECT_NE(out_.find("\"Set2\":[[1,1,0],[2,"), std::string::npos) << out_;
}

TEST_F(FitCommand, HelpPrintsTheUsage) {
    ASSERT_EQ(Run("--help"), 0);
    EXPECT_EQ(out_.rfind("usage: orvane-cli fit --points FILE.csv --method N", 0), 0u) << out_;
    EXPECT_NE(out_.find("Exit status: 0 whenever a result was computed (read ResultCode for the "
                        "engine's verdict,\n0 meaning \"O.K.\"), 1 when nothing could be "
                        "computed"),
              std::string::npos)
        << out_;
    EXPECT_NE(out_.find("2 for bad usage."), std::string::npos);
    EXPECT_EQ(err_, "");
}

TEST_F(FitCommand, SlidePrintsTheScaleFactorAndItsVariance) {
    // A set slid onto a copy of itself: shift 0, and a scale that does not differ from 1
    // is fixed at exactly 1; its variance comes from the curvature of chi-square.
    std::string csv = "set,dose,signal,error\n";
    const char* rows[] = {"0,102,2",   "50,195,4",   "100,290,6",
                          "200,460,9", "300,590,12", "400,700,14"};
    for (int set = 1; set <= 2; ++set) {
        for (const char* row : rows) csv += std::to_string(set) + "," + row + "\n";
    }
    const fs::path points = Write("slide.csv", csv);
    ASSERT_EQ(Run("--points '" + points.string() + "' --method 6 --function 8 --error-model 1"), 0)
        << err_;
    EXPECT_NEAR(Number("ResultCode"), 0.0, 0.0) << out_;
    EXPECT_NEAR(Number("ED"), 0.0, 1e-3);
    EXPECT_EQ(Number("ScaleFactor"), 1.0) << out_;
    const double variance = Number("ScaleFactorVariance");
    EXPECT_GT(variance, 0.0);
    EXPECT_LT(variance, 1.0);
    // Only the slide results carry them.
    ASSERT_EQ(Run("--points '" + points.string() + "' --method 4 --function 1 --error-model 1"), 0);
    EXPECT_EQ(out_.find("ScaleFactor"), std::string::npos) << out_;
}

TEST_F(FitCommand, NinetyNinePointsPerSetAndNotOneMore) {
    std::string csv = "set,dose,signal,error\n";
    for (int i = 0; i < 99; ++i) {
        csv += "1," + std::to_string(i) + "," + std::to_string(100 + 3 * i) + ",2\n";
    }
    const fs::path full = Write("full.csv", csv);
    ASSERT_EQ(Run("--points '" + full.string() + "' --method 1 --function 1 --error-model 1"), 0)
        << err_;
    EXPECT_NEAR(Number("ResultCode"), 0.0, 0.0) << out_;
    EXPECT_NE(out_.find("\"Count\":99}"), std::string::npos);

    const fs::path over = Write("over.csv", csv + "1,99,397,2\n");
    ASSERT_EQ(Run("--points '" + over.string() + "' --method 1 --function 1 --error-model 1"), 1);
    EXPECT_EQ(out_, "");
    EXPECT_NE(err_.find("line 101: more than 99 points in set 1"), std::string::npos) << err_;
}

TEST_F(FitCommand, EchoedFieldsAreCutAndMadePrintable) {
    const std::string longField(100, 'x');
    const fs::path points = Write("long.csv", "set,dose,signal,error\n1,0," + longField + ",2\n");
    ASSERT_EQ(Run("--points '" + points.string() + "' --method 1 --function 1 --error-model 1"), 1);
    EXPECT_NE(err_.find("'" + std::string(40, 'x') + "...' is not a number"), std::string::npos)
        << err_;
    EXPECT_EQ(err_.find(std::string(41, 'x')), std::string::npos);

    const fs::path control = Write("control.csv", "set,dose,signal,error\n1,0,1\x1b[2J,2\n");
    ASSERT_EQ(Run("--points '" + control.string() + "' --method 1 --function 1 --error-model 1"),
              1);
    EXPECT_NE(err_.find("'1?[2J' is not a number"), std::string::npos) << err_;

    ASSERT_EQ(Run("--points '" + points.string() + "' --method " + std::string(60, '7') +
                  " --function 1 --error-model 1"),
              2);
    EXPECT_NE(err_.find("'" + std::string(40, '7') + "...' is not a whole number (--method)"),
              std::string::npos)
        << err_;
}

struct TBadCall {
    const char* Name;
    const char* Csv;  // nullptr: no file written
    const char* Arguments;
    int Status;
};

class FitCommandRejects : public FitCommand, public ::testing::WithParamInterface<TBadCall> {};

TEST_P(FitCommandRejects, WithTheNamedExitStatus) {
    const TBadCall& c = GetParam();
    std::string arguments = c.Arguments;
    const fs::path points = dir_ / "in.csv";
    if (c.Csv != nullptr) Write("in.csv", c.Csv);
    const auto at = arguments.find("FILE");
    if (at != std::string::npos) {
        std::string quoted(1, '\'');
        quoted += points.string();
        quoted += '\'';
        arguments.replace(at, 4, quoted);
    }
    EXPECT_EQ(Run(arguments), c.Status) << out_ << err_;
    EXPECT_EQ(out_, "");
    EXPECT_FALSE(err_.empty());
    if (c.Status == 2) {
        EXPECT_NE(err_.find("usage: orvane-cli fit"), std::string::npos);
    }
}

constexpr const char* kGood = "set,dose,signal,error\n1,0,100,2\n1,10,200,2\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, FitCommandRejects,
    ::testing::Values(
        TBadCall{"NoArguments", nullptr, "", 2},
        TBadCall{"MissingMethod", kGood, "--points FILE --function 1 --error-model 1", 2},
        TBadCall{"MissingErrorModel", kGood, "--points FILE --method 2 --function 1", 2},
        TBadCall{"MethodNotANumber", kGood,
                 "--points FILE --method two --function 1 --error-model 1", 2},
        TBadCall{"UnknownOption", kGood,
                 "--points FILE --method 2 --function 1 --error-model 1 --fast 1", 2},
        TBadCall{"ValueMissing", kGood, "--points FILE --method 2 --function 1 --error-model", 2},
        TBadCall{"SixteenStartParameters", kGood,
                 "--points FILE --method 1 --function 1 --error-model 1 "
                 "--params1 1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16",
                 2},
        TBadCall{"MissingFile", nullptr, "--points FILE --method 2 --function 1 --error-model 1",
                 1},
        TBadCall{"WrongHeader", "dose,signal,error\n0,100,2\n",
                 "--points FILE --method 2 --function 1 --error-model 1", 1},
        TBadCall{"SetThree", "set,dose,signal,error\n3,0,100,2\n",
                 "--points FILE --method 2 --function 1 --error-model 1", 1},
        TBadCall{"TextSignal", "set,dose,signal,error\n1,0,many,2\n",
                 "--points FILE --method 2 --function 1 --error-model 1", 1},
        TBadCall{"ThreeFields", "set,dose,signal,error\n1,0,100\n",
                 "--points FILE --method 2 --function 1 --error-model 1", 1}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
