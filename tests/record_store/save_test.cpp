#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>

#include "record_file_test_util.h"
#include "record_store/bin_data_set.h"
#include "record_store/editor_error.h"

namespace {

using record_test::Bytes;
using record_test::Concat;
using record_test::ReadFile;
using record_test::WriteFile;

// Main part 20 bytes (flag byte at 14, position word at 4), sub part 8 bytes.
const char* kSubSchema =
    "FILETYPE = FIXED BINARY\n"
    "FIELD1 = Run#, NUMERIC, 4, 0\n"
    "FIELD2 = Pos, WORD, 2, 4\n"
    "FIELD3 = Label, CHAR, 8, 6\n"
    "FIELD4 = HasCurve, BYTES, 1, 14\n"
    "FIELD5 = Rest, BYTES, 5, 15\n"
    "[SUB]\n"
    "FIELD6 = Curve, BYTES, 8, 0\n";

Bytes Main(uint8_t run, uint16_t pos, uint8_t flag) {
    Bytes r(20, 0);
    r[0] = run;
    r[4] = static_cast<uint8_t>(pos);
    r[5] = static_cast<uint8_t>(pos >> 8);
    r[6] = 1;
    r[7] = static_cast<uint8_t>('a' + run);
    r[14] = flag;
    return r;
}

Bytes Block(uint8_t v) {
    return Bytes(8, v);
}

using record_test::Error;

class SaveTest : public ::testing::Test {
protected:
    void SetUp() override {
        record_test::WriteText(dir / "DAT.sch", kSubSchema);
        WriteFile(dat, originalDat);
        WriteFile(sub, originalSub);
    }
    void OpenStore() {
        ds.SetFileName(dat);
        ds.SetSchemaFileName(dir / "DAT.sch");
        ds.Open();
    }
    void EditLabel(int recNo, const std::string& label) {
        ds.SetRecNo(recNo);
        ds.Edit();
        ds.SetAsString("Label", label);
        ds.Post();
    }
    void ExpectUnchanged(const Bytes& datBackup, const Bytes& subBackup) {
        EXPECT_EQ(ReadFile(dat), originalDat);
        EXPECT_EQ(ReadFile(sub), originalSub);
        EXPECT_EQ(ReadFile(dir / "S12.~DAT"), datBackup);
        EXPECT_EQ(ReadFile(dir / "S12.~SUB"), subBackup);
    }

    record_test::TempDir dir;
    std::string dat = dir / "S12.DAT";
    std::string sub = dir / "S12.SUB";
    // Records flagged 1, 0, 1 with position words 7: the subfile holds two blocks.
    Bytes originalDat = Concat({Main(1, 7, 1), Main(2, 7, 0), Main(3, 7, 1)});
    Bytes originalSub = Concat({Block(0xA1), Block(0xA3)});
    TBinDataSet ds;
};

TEST_F(SaveTest, SubBlocksBelongToFlaggedRecordsOnly) {
    OpenStore();
    EXPECT_EQ(ds.SubSize(), 8);
    EXPECT_EQ(ds.OpenedSubFilePath(), sub);
    EXPECT_EQ(ds.FieldBytes("Curve"), Block(0xA1));
    ds.Next();
    EXPECT_EQ(ds.FieldBytes("Curve"), Block(0));
    ds.Next();
    EXPECT_EQ(ds.FieldBytes("Curve"), Block(0xA3));
    EXPECT_EQ(ds.FieldByName("Curve").offset, 20);
}

TEST_F(SaveTest, ShortSubfiles) {
    // A subfile that ends at a block boundary leaves later flagged records with zero sub parts.
    WriteFile(sub, Block(0xA1));
    OpenStore();
    ds.Last();
    EXPECT_EQ(ds.SubPart().size(), 8u);
    EXPECT_EQ(Bytes(ds.SubPart().begin(), ds.SubPart().end()), Block(0));
    ds.Close();
    // A block cut short is an error.
    WriteFile(sub, Concat({Block(0xA1), Bytes(3, 0xA3)}));
    EXPECT_EQ(Error([&] { OpenStore(); }),
              "Error opening data file: " + dat + "\nRead beyond end of file");
}

TEST_F(SaveTest, SaveRenumbersPositionWordsAndKeepsBackups) {
    OpenStore();
    ds.SaveToFile(dat);
    const Bytes firstSave = Concat({Main(1, 0, 1), Main(2, 1, 0), Main(3, 2, 1)});
    EXPECT_EQ(ReadFile(dat), firstSave);
    EXPECT_EQ(ReadFile(sub), originalSub);
    EXPECT_EQ(ReadFile(dir / "S12.~DAT"), originalDat);
    EXPECT_EQ(ReadFile(dir / "S12.~SUB"), originalSub);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(ds.ValueAt(i, 1), TFieldValue(int64_t{i}));
    EXPECT_EQ(ds.AsInteger("Pos"), 0);
    EXPECT_FALSE(ds.Modified());
    EXPECT_EQ(ds.FileName(), dat);

    // A second save replaces the backups with the state before it.
    EditLabel(2, "zz");
    ds.SaveToFile(dat);
    EXPECT_EQ(ReadFile(dir / "S12.~DAT"), firstSave);
    EXPECT_EQ(ReadFile(dat)[26], 2);  // label length of record 2
    EXPECT_EQ(dir.Entries(),
              (std::vector<std::string>{"DAT.sch", "S12.DAT", "S12.SUB", "S12.~DAT", "S12.~SUB"}));
}

TEST_F(SaveTest, CloseTimeSaveLeavesThePositionWord) {
    OpenStore();
    EditLabel(3, "xyz");
    ds.Close();
    EXPECT_FALSE(ds.Active());
    Bytes expected = originalDat;
    expected[40 + 6] = 3;
    expected[40 + 7] = 'x';
    expected[40 + 8] = 'y';
    expected[40 + 9] = 'z';
    EXPECT_EQ(ReadFile(dat), expected);
    EXPECT_EQ(ReadFile(sub), originalSub);
    EXPECT_EQ(ReadFile(dir / "S12.~DAT"), originalDat);
    EXPECT_EQ(ReadFile(dir / "S12.~SUB"), originalSub);
}

TEST_F(SaveTest, CloseWithoutChangesWritesNothing) {
    OpenStore();
    ds.Close();
    EXPECT_FALSE(record_test::Exists(dir / "S12.~DAT"));
}

TEST_F(SaveTest, FilesWithoutSubPartKeepThePositionWord) {
    record_test::WriteText(dir / "DAT.sch",
                           "FIELD1 = Run#, NUMERIC, 4, 0\nFIELD2 = Pos, WORD, 2, 4\n"
                           "FIELD3 = Rest, BYTES, 14, 6\n");
    OpenStore();
    ds.SaveToFile(dat);
    EXPECT_EQ(ReadFile(dat), originalDat);
    EXPECT_FALSE(record_test::Exists(dir / "S12.~SUB"));
    EXPECT_EQ(ReadFile(sub), originalSub);
}

TEST_F(SaveTest, MissingSubfileGivesZeroBlocksOnSave) {
    std::filesystem::remove(sub);
    OpenStore();
    EXPECT_EQ(ds.OpenedSubFilePath(), "");
    EXPECT_EQ(ds.FieldBytes("Curve"), Block(0));
    EditLabel(2, "q");
    ds.Close();
    EXPECT_EQ(ReadFile(sub), Concat({Block(0), Block(0)}));
    EXPECT_FALSE(record_test::Exists(dir / "S12.~SUB"));
}

TEST_F(SaveTest, RoundTripToANewNameIsByteForByte) {
    originalDat = Concat({Main(1, 0, 1), Main(2, 1, 0), Main(3, 2, 1)});
    WriteFile(dat, originalDat);
    OpenStore();
    ds.SaveToFile(dir / "COPY.DAT");
    EXPECT_EQ(ReadFile(dir / "COPY.DAT"), originalDat);
    EXPECT_EQ(ReadFile(dir / "COPY.SUB"), originalSub);
    EXPECT_FALSE(record_test::Exists(dir / "COPY.~DAT"));
}

TEST_F(SaveTest, ReadOnlyOldBackupFailsTheCloseTimeSaveAndKeepsEverything) {
    WriteFile(dir / "S12.~DAT", {1, 2, 3});
    WriteFile(dir / "S12.~SUB", {4, 5});
    std::filesystem::permissions(dir / "S12.~DAT", std::filesystem::perms::owner_read);
    OpenStore();
    EditLabel(1, "new");
    EXPECT_EQ(Error([&] { ds.Close(); }), "Error saving data to file: " + dat +
                                              "\nUnable to remove old backup file.\n" +
                                              std::string(dir / "S12.~DAT"));
    // The subfile was not replaced before the failure showed, and the store is still open.
    ExpectUnchanged({1, 2, 3}, {4, 5});
    EXPECT_TRUE(ds.Active());
    EXPECT_TRUE(ds.Modified());
    EXPECT_EQ(ds.RecordCount(), 3);
    EXPECT_EQ(ds.AsString("Label"), "new");
    // The save commands ignore the backup that cannot be removed and fail at the rename.
    EXPECT_EQ(Error([&] { ds.SaveToFile(dat); }), "Error saving data to file: " + dat +
                                                      "\nUnable to create backup file.\n" +
                                                      std::string(dir / "S12.~DAT"));
    ExpectUnchanged({1, 2, 3}, {4, 5});
    EXPECT_EQ(dir.Entries(),
              (std::vector<std::string>{"DAT.sch", "S12.DAT", "S12.SUB", "S12.~DAT", "S12.~SUB"}));
    // Dropping the changes lets it close.
    ds.SetModified(false);
    ds.Close();
    EXPECT_FALSE(ds.Active());
}

TEST_F(SaveTest, ReadOnlySubBackup) {
    WriteFile(dir / "S12.~DAT", {1, 2, 3});
    WriteFile(dir / "S12.~SUB", {4, 5});
    std::filesystem::permissions(dir / "S12.~SUB", std::filesystem::perms::owner_read);
    OpenStore();
    EditLabel(1, "new");
    EXPECT_EQ(Error([&] { ds.SaveOnClose(); }), "Error saving data to file: " + dat +
                                                    "\nUnable to remove old backup (sub) file.\n" +
                                                    std::string(dir / "S12.~SUB"));
    EXPECT_EQ(Error([&] { ds.SaveToFile(dat); }), "Error saving data to file: " + dat +
                                                      "\nUnable to create backup (sub) file.\n" +
                                                      std::string(dir / "S12.~SUB"));
    ExpectUnchanged({1, 2, 3}, {4, 5});
    // Position words of the records in memory change only with a successful save.
    EXPECT_EQ(ds.ValueAt(2, 1), TFieldValue(int64_t{7}));
}

TEST_F(SaveTest, BackupNameTakenByAFolderFailsCleanly) {
    std::filesystem::create_directories(dir / "S12.~DAT/inside");
    OpenStore();
    EditLabel(1, "new");
    EXPECT_EQ(Error([&] { ds.Close(); }), "Error saving data to file: " + dat +
                                              "\nUnable to remove old backup file.\n" +
                                              std::string(dir / "S12.~DAT"));
    EXPECT_EQ(ReadFile(dat), originalDat);
    EXPECT_EQ(ReadFile(sub), originalSub);
    EXPECT_FALSE(record_test::Exists(dir / "S12.~SUB"));
}

TEST_F(SaveTest, FailingWriteLeavesNoPartialFile) {
    OpenStore();
    EditLabel(1, "new");
    // Writes beyond 30 bytes fail as on a full disk.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 30;
    setrlimit(RLIMIT_FSIZE, &small);
    const std::string message = Error([&] { ds.SaveToFile(dat); });
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, SIG_DFL);
    EXPECT_EQ(message, "Error saving data to file: " + dat + "\n" + dat + ": File too large");
    EXPECT_EQ(ReadFile(dat), originalDat);
    EXPECT_EQ(ReadFile(sub), originalSub);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"DAT.sch", "S12.DAT", "S12.SUB"}));
    EXPECT_TRUE(ds.Modified());
}

TEST_F(SaveTest, SaveAsAnotherExtensionBacksUpTheTargetAndNamesItsSubfile) {
    WriteFile(dir / "S12.DA3", {9, 9});
    WriteFile(dir / "S12.SU3", {8});
    OpenStore();
    ds.SaveToFile(dir / "S12.DA3");
    EXPECT_EQ(ReadFile(dir / "S12.~DA3"), (Bytes{9, 9}));
    EXPECT_EQ(ReadFile(dir / "S12.~SU3"), (Bytes{8}));
    EXPECT_EQ(ReadFile(dir / "S12.DA3"), Concat({Main(1, 0, 1), Main(2, 1, 0), Main(3, 2, 1)}));
    EXPECT_EQ(ReadFile(dir / "S12.SU3"), originalSub);
    EXPECT_EQ(ReadFile(dat), originalDat);
    EXPECT_FALSE(record_test::Exists(dir / "S12.~DAT"));
    EXPECT_FALSE(record_test::Exists(dir / "S12.~SUB"));
    EXPECT_EQ(ds.FileName(), dat);
}

TEST_F(SaveTest, SaveAsAnExtensionWithoutSubfileIsRefused) {
    OpenStore();
    const std::vector<std::string> before = dir.Entries();
    const std::string target = dir / "S12.XYZ";
    const std::string message = Error([&] { ds.SaveToFile(target); });
    EXPECT_EQ(message.rfind("Error saving data to file: " + target + "\n", 0), 0u) << message;
    EXPECT_NE(message.find("curve subfile"), std::string::npos);
    EXPECT_EQ(dir.Entries(), before);
}

TEST_F(SaveTest, CompanionFilesAreFoundWithoutRegardToCase) {
    std::filesystem::remove(dat);
    std::filesystem::remove(sub);
    const std::string lowerDat = dir / "S12.dat";
    WriteFile(lowerDat, originalDat);
    WriteFile(dir / "s12.sub", originalSub);
    ds.SetFileName(lowerDat);  // schema derived as dat.SCH, subfile as S12.SUB
    ds.Open();
    EXPECT_EQ(ds.OpenedSchemaPath(), dir / "DAT.sch");
    EXPECT_EQ(ds.OpenedSubFilePath(), dir / "s12.sub");
    ds.Last();
    EXPECT_EQ(ds.FieldBytes("Curve"), Block(0xA3));
    EditLabel(1, "n");
    ds.Close();
    EXPECT_EQ(dir.Entries(),
              (std::vector<std::string>{"DAT.sch", "S12.dat", "S12.~dat", "s12.sub", "s12.~sub"}));
    EXPECT_EQ(ReadFile(dir / "s12.sub"), originalSub);
}

TEST_F(SaveTest, MoreThan32767RecordsWithCurvesAreNeverWrittenShort) {
    Bytes many;
    for (int i = 0; i < 32768; ++i) {
        Bytes r = Main(static_cast<uint8_t>(i), 0, 0);
        many.insert(many.end(), r.begin(), r.end());
    }
    WriteFile(dat, many);
    OpenStore();
    EXPECT_EQ(ds.RecordCount(), 32768);
    EditLabel(1, "n");
    const std::string expected = "Error saving data to file: " + dat +
                                 "\nA file with curve data holds at most 32767 records; this one "
                                 "has 32768.";
    EXPECT_EQ(Error([&] { ds.SaveToFile(dat); }), expected);
    EXPECT_EQ(Error([&] { ds.Close(); }), expected);
    EXPECT_EQ(ReadFile(dat), many);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"DAT.sch", "S12.DAT", "S12.SUB"}));
    // One record fewer saves.
    ds.Delete();
    ds.SaveToFile(dat);
    EXPECT_EQ(ReadFile(dat).size(), 32767u * 20);
}

}  // namespace
