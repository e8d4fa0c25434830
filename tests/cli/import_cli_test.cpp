// orvane-cli import on the reader's files of the realistic SAR sample: the JSON, the
// converted aliquots analysed with "SA Regenerative" against the sample's truth, and the
// refusals (a damaged file, a file of another kind) that leave nothing behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cli/json_value.h"
#include "cli_run.h"
#include "temp_folder.h"
#include "tools/sample_generator.h"
#include "tools/sample_sar.h"

namespace fs = std::filesystem;
using cli_test::TRun;

namespace {

class ImportCli : public ::testing::Test {
protected:
    void SetUp() override { MakeSample(folder_.path().string()); }
    TRun Run(const std::vector<std::string>& args) {
        return cli_test::RunCli(folder_.path(), args);
    }
    std::string Path(const std::string& name) const { return folder_.File(name); }
    // "SA Regenerative" over every aliquot of a file, OSL device given.
    TJson Analyse(const std::string& file, const std::string& device,
                  const std::vector<std::string>& limits) {
        std::vector<std::string> args = {"analyse", file, "--method", "10", "--device", device};
        args.insert(args.end(), limits.begin(), limits.end());
        const TRun run = Run(args);
        EXPECT_EQ(run.status, 0) << run.err;
        return TJsonReader::Parse(run.out);
    }
    TTempFolder folder_;
};

const std::vector<std::string> kAliquotLimits = {"--sa-signal",     "0",  "0.8",
                                                 "--sa-background", "30", "40"};

// Disks 1-12 carry 42 Gy, disk 13 130 Gy; disks 11 (dim) and 12 (feldspar) scatter more.
void ExpectAliquotTruth(const TJson& json) {
    ASSERT_EQ(json["solutions"].items.size(), static_cast<std::size_t>(kSarDisks));
    for (const TJson& s : json["solutions"].items) {
        const int disk = static_cast<int>(s["index"].number);
        SCOPED_TRACE(s["line"].text);
        EXPECT_EQ(s["Message"].text, "O.K.");
        const double truth = disk == kSarOldDisk ? kSarOldDose : kSampleNaturalDose;
        const double tolerance = disk == kSarOldDisk || disk >= kSarDimDisk ? 0.2 : 0.08;
        EXPECT_NEAR(s["ED"].number, truth, tolerance * truth);
    }
}

}  // namespace

TEST_F(ImportCli, TheReadersSarFileImportsAndEveryAliquotFindsItsDose) {
    const TRun run = Run({"import", Path("SAR12-reader.binx"), "--out", Path("imported")});
    ASSERT_EQ(run.status, 0) << run.err;
    const TJson json = TJsonReader::Parse(run.out);
    EXPECT_EQ(json["version"].number, 7);
    EXPECT_EQ(json["records"].number, 429);  // 13 discs x (8 cycles x 4 + 1 IRSL)
    ASSERT_EQ(json["written"].items.size(), 4u);
    EXPECT_EQ(json["written"].items[0].text, Path("imported") + "/SAR12-reader.DAT");
    EXPECT_EQ(json["written"].items[1].text, Path("imported") + "/SAR12-reader.SUB");
    ASSERT_EQ(json["positions"].items.size(), static_cast<std::size_t>(kSarDisks));
    EXPECT_EQ(json["positions"].items.back().number, kSarDisks);
    EXPECT_TRUE(json["warnings"].items.empty());
    ExpectAliquotTruth(Analyse(Path("imported/SAR12-reader.DAT"), "1", kAliquotLimits));
}

TEST_F(ImportCli, OurOwnSarFileFindsTheSameTruth) {
    ExpectAliquotTruth(Analyse(Path("SAR12.DAT"), "1", kAliquotLimits));
}

TEST_F(ImportCli, TheSingleGrainFileNeedsTheDoseRateOrGivesSeconds) {
    TRun run = Run({"import", Path("SAR12G-reader.bin"), "--out", Path("seconds")});
    ASSERT_EQ(run.status, 0) << run.err;
    TJson json = TJsonReader::Parse(run.out);
    EXPECT_EQ(json["version"].number, 3);
    ASSERT_EQ(json["warnings"].items.size(), 1u);
    EXPECT_EQ(json["warnings"].items[0].text,
              "Dose rate not given: doses are in seconds of irradiation");
    EXPECT_NE(run.err.find("Dose rate not given"), std::string::npos);

    run =
        Run({"import", Path("SAR12G-reader.bin"), "--out", Path("gray"), "--dose-rate", "0.0835"});
    ASSERT_EQ(run.status, 0) << run.err;
    json = TJsonReader::Parse(run.out);
    EXPECT_TRUE(json["warnings"].items.empty());
    EXPECT_EQ(json["written"].items[0].text, Path("gray") + "/SAR12G-reader.DAS");
    const TJson grains = Analyse(Path("gray/SAR12G-reader.DAS"), "0",
                                 {"--sa-signal", "0", "0.1", "--sa-background", "0.7", "1"});
    ASSERT_EQ(grains["solutions"].items.size(), std::size(kSarGrainHoles));
    for (const TJson& s : grains["solutions"].items) {
        SCOPED_TRACE(s["line"].text);
        const double hole = s["aliquot"]["hole"].number;
        if (hole == kSarOldHole) {
            EXPECT_GT(s["ED"].number, 100.2);  // beyond the largest regeneration dose
        } else if (hole != kSarDimHole && hole != kSarRecyclingHole) {
            EXPECT_NEAR(s["ED"].number, kSampleNaturalDose, 0.12 * kSampleNaturalDose);
        }
    }
}

TEST_F(ImportCli, DamagedAndForeignFilesFailLeavingNothing) {
    std::ifstream in(Path("SAR12-reader.binx"), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    bytes.resize(3 * 1447 + 100);  // inside the header of record 4
    std::ofstream(Path("cut.binx"), std::ios::binary) << bytes;
    TRun run = Run({"import", Path("cut.binx"), "--out", Path("cut")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("record 4 at byte 4341"), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty());
    EXPECT_FALSE(fs::exists(Path("cut")) && !fs::is_empty(Path("cut")));

    run = Run({"import", Path("DAT.sch"), "--out", Path("schema")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("not a BIN/BINX file"), std::string::npos) << run.err;

    run = Run({"import", Path("SAR12-reader.binx")});
    EXPECT_EQ(run.status, 2);
}
