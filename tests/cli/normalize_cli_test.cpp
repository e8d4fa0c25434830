// orvane-cli normalize: the raw-intensity change on the sample, TL normalisation of a small
// file with two normalisation disks, and the usage errors.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli/json_value.h"
#include "cli_run.h"
#include "record_store/curve_access.h"
#include "tools/tool_test_files.h"

namespace fs = std::filesystem;

namespace {

using cli_test::TRun;

class NormalizeCli : public ::testing::Test {
protected:
    TRun Run(const std::vector<std::string>& args) {
        return cli_test::RunCli(folder_.path(), args);
    }
    TTempFolder folder_;
};

tool_test::TRecordFixture TL(int disk, bool norm, double value) {
    tool_test::TRecordFixture s;
    s.disk = disk;
    s.npt = 99;
    s.normalization = norm;
    s.raw.assign(100, 1.0);
    s.subtracted.assign(98, 0.0);
    s.subtracted[60] = value;  // glow-curve index 62: inside 250..450 degC
    return s;
}

}  // namespace

TEST_F(NormalizeCli, RawFactorMultipliesTheChosenRecordsOfTheSample) {
    MakeSample(folder_.path().string());
    const std::string path = folder_ / "S12.DAT";
    auto before = tool_test::OpenDat(path);
    before->SetRecNo(30);
    const TFloatArray raw30 = ReadRawCurve(*before);
    before->SetRecNo(31);
    const TFloatArray raw31 = ReadRawCurve(*before);
    before.reset();

    const TRun run = Run({"normalize", path, "--raw-factor", "2.5", "--records", "30,29"});
    ASSERT_EQ(run.status, 0) << run.err;
    const TJson json = TJsonReader::Parse(run.out);
    EXPECT_EQ(json["operation"].text, "raw");
    ASSERT_EQ(json["changed"].items.size(), 2u);
    EXPECT_EQ(json["changed"][0].number, 30);
    EXPECT_EQ(json["changed"][1].number, 29);
    auto after = tool_test::OpenDat(path);
    after->SetRecNo(30);
    const TFloatArray raw = ReadRawCurve(*after);
    for (std::size_t k = 0; k < raw.size(); ++k) ASSERT_DOUBLE_EQ(raw[k], 2.5 * raw30[k]) << k;
    // The factor acts once, on the raw curve: the normalisation factor a later subtraction
    // applies stays as it was.
    EXPECT_DOUBLE_EQ(after->AsFloat("Normalization factor"), 1);
    after->SetRecNo(31);
    EXPECT_EQ(ReadRawCurve(*after), raw31);
    EXPECT_DOUBLE_EQ(after->AsFloat("Normalization factor"), 1);
    EXPECT_TRUE(fs::exists(folder_ / "S12.~DAT"));

    // The sample has no TL normalisation runs.
    const TRun tl = Run({"normalize", path, "--tl-window", "250", "450"});
    EXPECT_EQ(tl.status, 1);
    EXPECT_EQ(tl.err, "The file holds fewer than two TL normalization runs\n");
}

TEST_F(NormalizeCli, TLWindowScalesTheDisksToTheMeanSignal) {
    const std::string path = tool_test::WriteDatFile(
        folder_, {TL(1, true, 100), TL(2, true, 300), TL(1, false, 40), TL(2, false, 40)});
    const TRun run = Run({"normalize", path, "--tl-window", "250", "450"});
    ASSERT_EQ(run.status, 0) << run.err;
    const TJson json = TJsonReader::Parse(run.out);
    EXPECT_EQ(json["operation"].text, "tl");
    EXPECT_DOUBLE_EQ(json["mean"].number, 200);
    ASSERT_EQ(json["normalization"].items.size(), 2u);
    EXPECT_EQ(json["normalization"][1]["disk"].number, 2);
    EXPECT_DOUBLE_EQ(json["normalization"][1]["integral"].number, 300);
    EXPECT_DOUBLE_EQ(json["normalization"][0]["factor"].number, 2);
    auto view = tool_test::OpenDat(path);
    view->SetRecNo(3);
    EXPECT_DOUBLE_EQ(ReadSubtractedCurve(*view)[62], 80);
    EXPECT_DOUBLE_EQ(view->AsFloat("Normalization factor"), 0.5);
    view->SetRecNo(4);
    EXPECT_DOUBLE_EQ(ReadSubtractedCurve(*view)[62], 80.0 / 3.0);
}

TEST_F(NormalizeCli, UsageErrors) {
    const std::string path = tool_test::WriteDatFile(folder_, {TL(1, true, 100)});
    const std::vector<std::vector<std::string>> cases = {
        {"normalize", path},
        {"normalize", path, "--tl-window", "250", "450", "--raw-factor", "2"},
        {"normalize", path, "--tl-window", "250"},
        {"normalize", path, "--tl-window", "450", "250"},
        {"normalize", path, "--tl-window", "252", "450"},
        {"normalize", path, "--tl-window", "150", "450"},
        {"normalize", path, "--raw-factor", "0"},
        {"normalize", path, "--raw-factor", "100.5"},
        {"normalize", path, "--tl-window", "250", "450", "--records", "1"},
    };
    for (const auto& args : cases) {
        const TRun run = Run(args);
        EXPECT_EQ(run.status, 2) << args.back() << ": " << run.err;
    }
}
