// orvane-cli run as a program on the generated sample and on hand-written files, each test
// in its own temporary folder.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cli/json_value.h"
#include "cli_run.h"
#include "temp_folder.h"
#include "tools/sample_generator.h"
#include "tools/sample_schemas.h"

namespace fs = std::filesystem;

namespace {

using cli_test::ReadFile;
using cli_test::TRun;

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

class CliTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        sampleFolder_ = new TTempFolder;
        sampleDir_ = &sampleFolder_->path();
        MakeSample(sampleDir_->string());
    }
    static void TearDownTestSuite() {
        delete sampleFolder_;
        sampleFolder_ = nullptr;
        sampleDir_ = nullptr;
    }
    void SetUp() override {
        dir_ = folder_.path();
        for (const std::string& name : SampleFileNames()) fs::copy(*sampleDir_ / name, dir_ / name);
    }

    TRun Run(const std::vector<std::string>& args) { return cli_test::RunCli(dir_, args); }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    static TTempFolder* sampleFolder_;
    static const fs::path* sampleDir_;
    TTempFolder folder_;
    fs::path dir_;
};

TTempFolder* CliTest::sampleFolder_ = nullptr;
const fs::path* CliTest::sampleDir_ = nullptr;

// Days from 1970-01-01 of a date of the proleptic Gregorian calendar (H. Hinnant's
// days_from_civil).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

template <typename T>
void Put(std::string& bytes, size_t offset, T value) {
    std::memcpy(&bytes[offset], &value, sizeof value);
}

}  // namespace

// --- info -----------------------------------------------------------------------------------

TEST_F(CliTest, InfoListsTheSchemaWrittenForTheSample) {
    const TRun run = Run({"info", Path("S12.DAT")});
    ASSERT_EQ(run.status, 0) << run.err;
    const TJson info = TJsonReader::Parse(run.out);
    EXPECT_EQ(info["file"].text, Path("S12.DAT"));
    EXPECT_EQ(info["subfile"].text, Path("S12.SUB"));
    EXPECT_EQ(info["schema"].text, Path("DAT.sch"));
    EXPECT_EQ(info["record_count"].number, 168);
    EXPECT_EQ(info["main_size"].number, 213);
    EXPECT_EQ(info["sub_size"].number, 1584);

    const TSampleSchemaLayout layout = LayoutOf(DatSampleFields());
    const TJson& fields = info["fields"];
    ASSERT_EQ(fields.items.size(), layout.entries.size());
    for (size_t i = 0; i < fields.items.size(); ++i) {
        const TSampleSchemaLayout::Entry& e = layout.entries[i];
        SCOPED_TRACE(e.field.name);
        EXPECT_EQ(fields[i]["name"].text, e.field.name);
        EXPECT_EQ(fields[i]["type"].text, e.field.type);
        EXPECT_EQ(fields[i]["width"].number, e.field.width);
        EXPECT_EQ(fields[i]["offset"].number, e.offset);
        EXPECT_EQ(fields[i]["part"].text, e.field.sub ? "sub" : "main");
        const bool sized = e.field.type == "CHAR" || e.field.type == "BYTES";
        EXPECT_EQ(fields[i]["size"].number, sized ? e.field.width : 0);
    }
    // The two offsets the record store relies on.
    EXPECT_EQ(fields[1]["name"].text, "Position");
    EXPECT_EQ(fields[1]["offset"].number, 4);
    EXPECT_EQ(fields[5]["offset"].number, 14);
    EXPECT_EQ(fields[5]["width"].number, 1);
}

TEST_F(CliTest, InfoOfFilesWithoutSubfile) {
    const TRun run = Run({"info", Path("S12.DAS")});
    ASSERT_EQ(run.status, 0) << run.err;
    const TJson info = TJsonReader::Parse(run.out);
    EXPECT_EQ(info["subfile"].text, "");
    EXPECT_EQ(info["record_count"].number, 24);
    EXPECT_EQ(info["sub_size"].number, 0);
    EXPECT_EQ(info["main_size"].number, LayoutOf(DasSampleFields()).mainSize);
}

// --- dump -----------------------------------------------------------------------------------

TEST_F(CliTest, DumpGivesTheValuesTheGeneratorPutThere) {
    const TRun run = Run({"dump", Path("S12.DAT"), "--curves"});
    ASSERT_EQ(run.status, 0) << run.err;
    const TJson dump = TJsonReader::Parse(run.out);
    const std::vector<TSampleMeasurement> simulated = SimulateDatMeasurements();
    const TJson& records = dump["records"];
    ASSERT_EQ(records.items.size(), simulated.size());
    // A normalisation shine, an IRSL run, an OSL background and the TL run with the spike.
    for (size_t index : {0u, 33u, 90u, 112u + kSampleSpikeDisk - 1}) {
        SCOPED_TRACE(index);
        const TJson& r = records[index];
        const TSampleRecord& expected = simulated[index].record;
        EXPECT_EQ(r["id"].number, index + 1);
        const TJson& f = r["fields"];
        for (const char* name :
             {"Run#", "Disk#", "Dev#", "NPT", "Spacing", "Max point", "Time base 10",
              "Time base 100", "Time base 1000", "Time base 10000", "OSL BGD", "Ramp", "Beta time",
              "Beta rate", "Normalization factor"}) {
            EXPECT_EQ(f[name].number, expected.Number(name)) << name;
        }
        for (const char* name : {"Nat TL", "TL run", "Normalization", "Before irrad"}) {
            EXPECT_EQ(f[name].boolean, expected.Number(name) != 0) << name;
        }
        EXPECT_EQ(f["Remark"].text, std::get<std::string>(*expected.Find("Remark")));
        EXPECT_EQ(f["Beta unit"].text, "Gy/s");
        EXPECT_EQ(f["Irrad date"].text, "2026-03-16");
        EXPECT_EQ(f["Raw data"].text.size(), 1600u);
        EXPECT_FALSE(f.Has("Position"));  // not a field of the maker's view

        const TFloatArray& curve = *expected.FindCurve("Raw data");
        ASSERT_EQ(r["raw_curve"].items.size(), 100u);
        for (size_t i = 0; i < curve.size(); ++i) {
            ASSERT_EQ(r["raw_curve"][i].number, curve[i]) << i;
        }
        ASSERT_EQ(r["subtracted_curve"].items.size(), 100u);
        for (const TJson& v : r["subtracted_curve"].items) EXPECT_EQ(v.number, 0.0);
    }
    const TJson& spiked = records[112 + kSampleSpikeDisk - 1];
    EXPECT_EQ(spiked["fields"]["Disk#"].number, kSampleSpikeDisk);
    EXPECT_GT(spiked["raw_curve"][kSampleSpikePoint].number, kSampleSpikeCounts);
}

TEST_F(CliTest, DumpGeneralViewShowsEverySchemaFieldAndThePositionWords) {
    const TRun run = Run({"dump", Path("S12.DAT"), "--view", "general"});
    ASSERT_EQ(run.status, 0) << run.err;
    const TJson dump = TJsonReader::Parse(run.out);
    const TJson& records = dump["records"];
    ASSERT_EQ(records.items.size(), 168u);
    const std::vector<std::string> order = records[0]["fields"].order;
    ASSERT_EQ(order.size(), DatSampleFields().size());
    for (size_t i = 0; i < order.size(); ++i) EXPECT_EQ(order[i], DatSampleFields()[i].name);
    for (size_t i = 0; i < records.items.size(); ++i) {
        EXPECT_EQ(records[i]["fields"]["Position"].number, i);
        EXPECT_TRUE(records[i]["fields"]["Subfile flag"].boolean);
        EXPECT_FALSE(records[i].Has("raw_curve"));
    }
}

TEST_F(CliTest, DumpOfTheSmallFiles) {
    TRun run = Run({"dump", Path("S12.SAD"), "--curves"});
    ASSERT_EQ(run.status, 0) << run.err;
    TJson dump = TJsonReader::Parse(run.out);
    const std::vector<TSampleRecord> sad = SimulateSadRecords();
    ASSERT_EQ(dump["records"].items.size(), sad.size());
    const TJson& second = dump["records"][1];
    EXPECT_TRUE(second["fields"]["Short shine"].boolean);
    EXPECT_EQ(second["fields"]["Irradiator"].text, "B");
    EXPECT_EQ(second["fields"]["Irradiating time"].number, 360);
    // WORD counts, "NPT" of them, and SINGLE subtracted values, "Max point" of them.
    const TFloatArray& raw = *sad[1].FindCurve("Raw data");
    ASSERT_EQ(second["raw_curve"].items.size(), raw.size());
    for (size_t i = 0; i < raw.size(); ++i) EXPECT_EQ(second["raw_curve"][i].number, raw[i]);
    const TFloatArray& sub = *sad[1].FindCurve("Subtracted data");
    ASSERT_EQ(second["subtracted_curve"].items.size(), sub.size());
    for (size_t i = 0; i < sub.size(); ++i) {
        EXPECT_EQ(second["subtracted_curve"][i].number,
                  static_cast<double>(static_cast<float>(sub[i])));
    }

    run = Run({"dump", Path("S12.DAS"), "--curves"});
    ASSERT_EQ(run.status, 0) << run.err;
    dump = TJsonReader::Parse(run.out);
    ASSERT_EQ(dump["records"].items.size(), 24u);
    EXPECT_EQ(dump["records"][0]["fields"]["Hole#"].number, 12);
    EXPECT_EQ(dump["records"][0]["raw_curve"].items.size(), 100u);
    EXPECT_FALSE(dump["records"][0].Has("subtracted_curve"));  // the DAS view has none
}

// Every value kind in its JSON form, from a file written byte by byte.
TEST_F(CliTest, DumpWritesEachKindOfValue) {
    WriteFile(dir_ / "REC.sch",
              "FILETYPE=FIXED BINARY\n"
              "FIELD1=Name, CHAR, 12, 0\n"
              "FIELD2=When, DATE, 2, 12\n"
              "FIELD3=At, TIME, 4, 14\n"
              "FIELD4=Stamp, TIMESTAMP, 8, 18\n"
              "FIELD5=Blob, BYTES, 3, 26\n"
              "FIELD6=Value, FLOAT, 8, 29\n"
              "FIELD7=Small, FLOAT, 4, 37\n"
              "FIELD8=Flag, BOOL, 1, 41\n"
              "FIELD9=Count, NUMERIC, 2, 42\n"
              "FIELD10=Signed, LONGINT, 4, 44\n");
    std::string record(48, '\0');
    const std::string name = "a\"b\\\x01\xE9";
    record[0] = static_cast<char>(name.size());
    record.replace(1, name.size(), name);
    Put<uint16_t>(record, 12, (126 << 9) | (16 << 4) | 3);        // 2026-03-16
    const uint32_t ms = ((13 * 60 + 45) * 60 + 30) * 1000 + 250;  // 13:45:30.250
    Put<uint32_t>(record, 14, ms);
    const long long days = DaysFromCivil(2026, 3, 16) - DaysFromCivil(1, 1, 1);
    Put<double>(record, 18, static_cast<double>((days + 1) * 86400000LL + ms));
    record[26] = '\x00';
    record[27] = '\xAB';
    record[28] = '\xFF';
    Put<double>(record, 29, 0.1);
    Put<float>(record, 37, 0.1f);
    record[41] = 7;  // any byte but 0 is true
    Put<uint16_t>(record, 42, 0xFFFF);
    Put<int32_t>(record, 44, -5);
    std::string second = record;
    Put<double>(second, 29, std::nan(""));
    Put<float>(second, 37, -2.5f);
    second[41] = 0;
    std::string third = record;
    Put<double>(third, 29, 1e300);
    WriteFile(dir_ / "T.REC", record + second + third);

    const TRun run = Run({"dump", Path("T.REC")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\"Name\": \"a\\\"b\\\\\\u0001\xC3\xA9\""), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("\"When\": \"2026-03-16\""), std::string::npos);
    EXPECT_NE(run.out.find("\"At\": \"13:45:30.250\""), std::string::npos);
    EXPECT_NE(run.out.find("\"Stamp\": \"2026-03-16T13:45:30.250\""), std::string::npos);
    EXPECT_NE(run.out.find("\"Blob\": \"00abff\""), std::string::npos);
    EXPECT_NE(run.out.find("\"Value\": 0.1,"), std::string::npos);
    EXPECT_NE(run.out.find("\"Small\": 0.10000000149011612,"), std::string::npos);
    EXPECT_NE(run.out.find("\"Count\": 65535,"), std::string::npos);
    EXPECT_NE(run.out.find("\"Signed\": -5\n"), std::string::npos);
    EXPECT_NE(run.out.find("\"Value\": null,"), std::string::npos);
    EXPECT_NE(run.out.find("\"Small\": -2.5,"), std::string::npos);
    EXPECT_NE(run.out.find("\"Value\": 1e+300,"), std::string::npos);
    const TJson dump = TJsonReader::Parse(run.out);
    ASSERT_EQ(dump["records"].items.size(), 3u);
    EXPECT_TRUE(dump["records"][0]["fields"]["Flag"].boolean);
    EXPECT_EQ(dump["records"][1]["fields"]["Flag"].kind, TJson::Bool);
    EXPECT_FALSE(dump["records"][1]["fields"]["Flag"].boolean);
    EXPECT_EQ(dump["records"][1]["fields"]["Value"].kind, TJson::Null);

    // The same file under a schema named on the command line.
    fs::rename(dir_ / "REC.sch", dir_ / "other.sch");
    EXPECT_EQ(Run({"dump", Path("T.REC")}).status, 1);
    const TRun named = Run({"dump", Path("T.REC"), "--schema", Path("other.sch")});
    EXPECT_EQ(named.status, 0) << named.err;
    EXPECT_EQ(named.out, run.out);
}

// --- set ------------------------------------------------------------------------------------

TEST_F(CliTest, SetWritesFieldsAndKeepsBackups) {
    const std::string oldDat = ReadFile(dir_ / "S12.DAT");
    const std::string oldSub = ReadFile(dir_ / "S12.SUB");
    const TRun run = Run({"set", Path("S12.DAT"), "--record", "3", "--field", "Remark", "--value",
                          "re-measured \"3\"", "--field", "Beta time", "--value", "123.5"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");

    // The backups hold the files as they were.
    EXPECT_EQ(ReadFile(dir_ / "S12.~DAT"), oldDat);
    EXPECT_EQ(ReadFile(dir_ / "S12.~SUB"), oldSub);
    EXPECT_EQ(ReadFile(dir_ / "S12.SUB"), oldSub);

    // Only the two fields of record 3 changed: "Beta time" (FLOAT 8 at 97) and "Remark"
    // (CHAR 42 at 171) of the 213-byte main part.
    std::string expected = oldDat;
    const size_t base = 2 * 213;
    Put<double>(expected, base + 97, 123.5);
    const std::string remark = "re-measured \"3\"";
    expected.replace(base + 171, 42, std::string(42, '\0'));
    expected[base + 171] = static_cast<char>(remark.size());
    expected.replace(base + 172, remark.size(), remark);
    EXPECT_EQ(ReadFile(dir_ / "S12.DAT"), expected);

    const TJson dump = TJsonReader::Parse(Run({"dump", Path("S12.DAT")}).out);
    EXPECT_EQ(dump["records"][2]["fields"]["Remark"].text, remark);
    EXPECT_EQ(dump["records"][2]["fields"]["Beta time"].number, 123.5);

    // A second save replaces the backups with the state before it.
    const std::string afterFirst = ReadFile(dir_ / "S12.DAT");
    ASSERT_EQ(
        Run({"set", Path("S12.DAT"), "--record", "1", "--field", "Disk#", "--value", "40"}).status,
        0);
    EXPECT_EQ(ReadFile(dir_ / "S12.~DAT"), afterFirst);
}

TEST_F(CliTest, SetRenumbersThePositionWords) {
    ASSERT_EQ(
        Run({"set", Path("S12.DAT"), "--record", "5", "--field", "Position", "--value", "999"})
            .status,
        0);
    const TJson dump = TJsonReader::Parse(Run({"dump", Path("S12.DAT"), "--view", "general"}).out);
    EXPECT_EQ(dump["records"][4]["fields"]["Position"].number, 4);
}

TEST_F(CliTest, SetRefusesValuesThatDoNotFitAndLeavesTheFile) {
    const std::string oldDat = ReadFile(dir_ / "S12.DAT");
    struct Case {
        std::vector<std::string> pair;
        std::string message;
    };
    const Case cases[] = {
        {{"--field", "Disk#", "--value", "abc"}, "'abc' is not a valid integer value"},
        {{"--field", "Disk#", "--value", "70000"}, "'70000' is out of range for field 'Disk#'"},
        {{"--field", "Beta time", "--value", "1.5x"}, "'1.5x' is not a valid floating point value"},
        {{"--field", "Irrad date", "--value", "2026-02-30"}, "'2026-02-30' is not a valid date"},
        {{"--field", "Nat TL", "--value", "perhaps"}, "'perhaps' is not a valid boolean value"},
        {{"--field", "Nope", "--value", "1"}, "Field 'Nope' not found"},
        // A later bad pair stops the earlier good one too.
        {{"--field", "Disk#", "--value", "3", "--field", "Ramp", "--value", "1e300"},
         "'1e300' cannot be stored in field 'Ramp'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        std::vector<std::string> args = {"set", Path("S12.DAT"), "--record", "2"};
        args.insert(args.end(), c.pair.begin(), c.pair.end());
        const TRun run = Run(args);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(ReadFile(dir_ / "S12.DAT"), oldDat);
        EXPECT_FALSE(fs::exists(dir_ / "S12.~DAT"));
    }
    const TRun outside =
        Run({"set", Path("S12.DAT"), "--record", "169", "--field", "Disk#", "--value", "1"});
    EXPECT_EQ(outside.status, 1);
    EXPECT_NE(outside.err.find("Record 169 not found"), std::string::npos) << outside.err;
}

// --- restore ----------------------------------------------------------------------------------

TEST_F(CliTest, RestoreSwapsWithTheBackupsAndRestoringAgainSwapsBack) {
    const std::string oldDat = ReadFile(dir_ / "S12.DAT");
    const std::string oldSub = ReadFile(dir_ / "S12.SUB");
    ASSERT_EQ(
        Run({"set", Path("S12.DAT"), "--record", "2", "--field", "Remark", "--value", "redone"})
            .status,
        0);
    const std::string newDat = ReadFile(dir_ / "S12.DAT");
    const std::string newSub = ReadFile(dir_ / "S12.SUB");
    ASSERT_NE(newDat, oldDat);

    TRun run = Run({"restore", Path("S12.DAT")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const TJson first = TJsonReader::Parse(run.out);
    EXPECT_EQ(first["file"].text, Path("S12.DAT"));
    EXPECT_EQ(first["subfile"].text, Path("S12.SUB"));
    EXPECT_EQ(first["backup"].text, Path("S12.~DAT"));
    EXPECT_EQ(first["subfile_backup"].text, Path("S12.~SUB"));
    EXPECT_EQ(first["record_count"].number, 168);
    EXPECT_EQ(first["restored_time"].text.size(), 19u);  // YYYY-MM-DDTHH:MM:SS
    EXPECT_EQ(ReadFile(dir_ / "S12.DAT"), oldDat);
    EXPECT_EQ(ReadFile(dir_ / "S12.SUB"), oldSub);
    EXPECT_EQ(ReadFile(dir_ / "S12.~DAT"), newDat);
    EXPECT_EQ(ReadFile(dir_ / "S12.~SUB"), newSub);
    ASSERT_EQ(Run({"restore", Path("S12.DAT"), "--schema", Path("DAT.sch")}).status, 0);
    EXPECT_EQ(ReadFile(dir_ / "S12.DAT"), newDat);
    EXPECT_EQ(ReadFile(dir_ / "S12.SUB"), newSub);
    EXPECT_EQ(ReadFile(dir_ / "S12.~DAT"), oldDat);
    EXPECT_EQ(ReadFile(dir_ / "S12.~SUB"), oldSub);
}

TEST_F(CliTest, RestoreWithoutBackupFailsAndChangesNothing) {
    const std::string oldDat = ReadFile(dir_ / "S12.DAT");
    TRun run = Run({"restore", Path("S12.DAT")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Error restoring data file: " + Path("S12.DAT") +
                           "\nThere is no backup of S12.DAT.\n");
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(ReadFile(dir_ / "S12.DAT"), oldDat);
    run = Run({"restore"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("restore needs one FILE"), std::string::npos) << run.err;
}

// --- summary and make-sample ------------------------------------------------------------------

TEST_F(CliTest, SummaryDescribesTheSample) {
    const TRun run = Run({"summary", Path("S12.DAT")});
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char* text :
         {"Records   168", "Disks     28  (1 to 28)",
          "  TL                   56       28          28              0",
          "  OSL                  84       28          28             28",
          "  IRSL                 28       28           0              0",
          "natural + dose       36", "25.05 50.1 100.2 200.4 Gy", "regenerated          27",
          "bleached              9", "beta   source \"Beta 1\", 0.0835 Gy/s",
          "Dev# 0     TL      heating 5 degC/s, 100 points of 5 degC to 500 degC"}) {
        EXPECT_NE(run.out.find(text), std::string::npos) << text << "\n" << run.out;
    }
}

TEST_F(CliTest, SummaryOfTheSmallFilesAndOfOtherKinds) {
    TRun run = Run({"summary", Path("S12.SAD")});
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char* text : {"View      SAD", "Records   18", "natural + dose        8", "30.06 Gy",
                             "10.2 % power at 125 degC, 10 channels over 0.1 s"}) {
        EXPECT_NE(run.out.find(text), std::string::npos) << text << "\n" << run.out;
    }
    // An extension without a view of its own is summarised from the schema's fields.
    fs::copy(dir_ / "S12.DAT", dir_ / "S12.DA3");
    fs::copy(dir_ / "S12.SUB", dir_ / "S12.SU3");
    fs::copy(dir_ / "DAT.sch", dir_ / "DA3.sch");
    run = Run({"summary", Path("S12.DA3")});
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char* text : {"View      general", "Records   168", "regenerated          27"}) {
        EXPECT_NE(run.out.find(text), std::string::npos) << text << "\n" << run.out;
    }
}

TEST_F(CliTest, MakeSampleCreatesTheFolder) {
    const fs::path target = dir_ / "new" / "sample";
    const TRun run = Run({"make-sample", target.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    for (const std::string& name : SampleFileNames()) {
        EXPECT_EQ(ReadFile(target / name), ReadFile(dir_ / name)) << name;
    }
    size_t files = 0;
    for (auto it = fs::directory_iterator(target); it != fs::directory_iterator(); ++it) ++files;
    EXPECT_EQ(files, SampleFileNames().size());  // no backups left behind
}

// --- usage and failures -----------------------------------------------------------------------

TEST_F(CliTest, UsageAndExitStatuses) {
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* errText;
    };
    const Case cases[] = {
        {{}, 2, "usage: orvane-cli COMMAND"},
        {{"frobnicate"}, 2, "unknown command 'frobnicate'"},
        {{"info"}, 2, "usage: orvane-cli COMMAND"},
        {{"info", "a", "b"}, 2, "info needs one FILE"},
        {{"dump", "x.DAT", "--colour"}, 2, "unknown option --colour"},
        {{"dump", "x.DAT", "--view"}, 2, "option --view needs a value"},
        {{"dump", "x.DAT", "--view", "other"}, 2, "--view must be general or maker"},
        {{"dump", "x.REC", "--view", "maker"}, 2, "maker's view exists only"},
        {{"set", "x.DAT", "--field", "A", "--value", "1"}, 2, "set needs --record N"},
        {{"set", "x.DAT", "--record", "1", "--field", "A"}, 2, "--field NAME --value TEXT"},
        {{"set", "x.DAT", "--record", "one", "--field", "A", "--value", "1"}, 2, "'one'"},
        {{"make-sample"}, 2, "make-sample needs one DIR"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        SCOPED_TRACE(args.empty() ? std::string("(none)") : args[0]);
        const TRun run = Run(args);
        EXPECT_EQ(run.status, c.status);
        EXPECT_NE(run.err.find(c.errText), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("Exit status: 0 success, 1 failure, 2 bad usage."),
                  std::string::npos);
        EXPECT_EQ(run.out, "");
    }
    for (const std::vector<std::string>& help :
         {std::vector<std::string>{"--help"}, {"dump", "--help"}, {"set", "--help"}}) {
        const TRun run = Run(help);
        EXPECT_EQ(run.status, 0);
        EXPECT_NE(run.out.find("usage: orvane-cli COMMAND"), std::string::npos);
        EXPECT_EQ(run.err, "");
    }
}

TEST_F(CliTest, FailuresGiveTheStoresMessages) {
    const std::string missing = Path("missing.DAT");
    TRun run = Run({"info", missing});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Error opening data file: " + missing + "\n");
    EXPECT_EQ(run.out, "");

    WriteFile(dir_ / "bad.sch", "FILETYPE = fixed binary\nFIELD1=Run#, LONGINT, 4, 0\n");
    for (const char* command : {"info", "dump", "summary", "set"}) {
        SCOPED_TRACE(command);
        std::vector<std::string> args = {command, Path("S12.DAT"), "--schema", Path("bad.sch")};
        if (std::string(command) == "set") {
            args.insert(args.end(), {"--record", "1", "--field", "Run#", "--value", "2"});
        }
        run = Run(args);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "Error opening data file: " + Path("S12.DAT") +
                               "\nSchema error: FILETYPE must be FIXED BINARY\n");
    }
    run = Run({"dump", Path("S12.DAT"), "--schema", Path("nothing.sch")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Error opening data file: " + Path("S12.DAT") + "\n");
}
