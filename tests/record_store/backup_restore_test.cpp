#include "record_store/backup_restore.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "record_file_test_util.h"
#include "record_store/bin_data_set.h"
#include "record_store/editor_error.h"

namespace {

using record_test::Bytes;
using record_test::ReadFile;
using record_test::WriteFile;
namespace fs = std::filesystem;

// Main part 16 bytes with the sub-part flag at 14; sub part 4 bytes.
const char* kSchema =
    "FILETYPE = FIXED BINARY\n"
    "FIELD1 = Run#, NUMERIC, 4, 0\n"
    "FIELD2 = Label, CHAR, 10, 4\n"
    "FIELD3 = HasCurve, BYTES, 1, 14\n"
    "FIELD4 = Spare, BYTES, 1, 15\n"
    "[SUB]\n"
    "FIELD5 = Curve, BYTES, 4, 0\n";

std::time_t MTime(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? st.st_mtime : 0;
}

void SetMTime(const std::string& path, std::time_t when) {
    const struct timespec times[2] = {{when, 0}, {when, 0}};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

using record_test::Error;

class BackupRestoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        record_test::WriteText(dir / "DAT.sch", kSchema);
        Bytes rec(16, 0);
        rec[0] = 1;
        rec[14] = 1;
        older = {rec, Bytes{0xA1, 0xA2, 0xA3, 0xA4}};
        rec[0] = 2;
        rec[4] = 3;
        newer = {record_test::Concat({rec, rec}), Bytes{0xB1, 0xB2, 0xB3, 0xB4, 5, 6, 7, 8}};
    }
    struct Pair {
        Bytes dat, sub;
    };
    void Put(const Pair& current, const Pair& backup) {
        WriteFile(dat, current.dat);
        WriteFile(sub, current.sub);
        WriteFile(dir / "S12.~DAT", backup.dat);
        WriteFile(dir / "S12.~SUB", backup.sub);
    }
    void ExpectFiles(const Pair& current, const Pair& backup) {
        EXPECT_EQ(ReadFile(dat), current.dat);
        EXPECT_EQ(ReadFile(sub), current.sub);
        EXPECT_EQ(ReadFile(dir / "S12.~DAT"), backup.dat);
        EXPECT_EQ(ReadFile(dir / "S12.~SUB"), backup.sub);
        // No temporary or parked file is left behind.
        EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"DAT.sch", "S12.DAT", "S12.SUB",
                                                           "S12.~DAT", "S12.~SUB"}));
    }

    record_test::TempDir dir;
    std::string dat = dir / "S12.DAT";
    std::string sub = dir / "S12.SUB";
    Pair older, newer;
};

TEST_F(BackupRestoreTest, RestoringTwiceGivesTheNewerFilesBack) {
    Put(newer, older);
    SetMTime(dir / "S12.~DAT", 1700000000);
    SetMTime(dat, 1760000000);
    const TBackupFiles files = BackupFilesFor(dat, true);
    EXPECT_EQ(files.subFile, sub);
    EXPECT_EQ(files.subBackup, dir / "S12.~SUB");
    ASSERT_TRUE(HasBackup(files));
    EXPECT_EQ(BackupTime(files), std::optional<std::time_t>(1700000000));

    RestoreFromBackup(files, 16);
    ExpectFiles(older, newer);
    // The restored file keeps the date of its content; the backup is now the newer one.
    EXPECT_EQ(MTime(dat), 1700000000);
    EXPECT_EQ(BackupTime(files), std::optional<std::time_t>(1760000000));

    RestoreFromBackup(files, 16);
    ExpectFiles(newer, older);
}

TEST_F(BackupRestoreTest, ASavedChangeIsUndoneByRestoreAndTheRestoredFileOpens) {
    Put(older, newer);
    fs::remove(dir / "S12.~DAT");
    fs::remove(dir / "S12.~SUB");
    {
        TBinDataSet ds;
        ds.SetFileName(dat);
        ds.SetSchemaFileName(dir / "DAT.sch");
        ds.Open();
        ds.Edit();
        ds.SetAsString("Label", "changed");
        ds.Post();
        ds.SaveToFile(dat);
    }
    const Bytes saved = ReadFile(dat);
    ASSERT_NE(saved, older.dat);
    RestoreFromBackup(BackupFilesFor(dat, true), 16);
    ExpectFiles(older, {saved, older.sub});

    TBinDataSet ds;
    ds.SetFileName(dat);
    ds.SetSchemaFileName(dir / "DAT.sch");
    ds.Open();
    EXPECT_EQ(ds.AsString("Label"), "");
    EXPECT_EQ(ds.FieldBytes("Curve"), (Bytes{0xA1, 0xA2, 0xA3, 0xA4}));
}

TEST_F(BackupRestoreTest, RefusalsChangeNothing) {
    const std::string prefix = "Error restoring data file: " + dat + "\n";
    struct Case {
        const char* what;
        std::function<void()> arrange;
        std::string message;
    };
    const Case cases[] = {
        {"no backup", [&] { fs::remove(dir / "S12.~DAT"); }, "There is no backup of S12.DAT."},
        {"subfile without backup", [&] { fs::remove(dir / "S12.~SUB"); },
         "There is no backup of the curve subfile S12.SUB; restoring S12.DAT alone would pair "
         "its old records with newer curve data."},
        {"empty backup", [&] { WriteFile(dir / "S12.~DAT", {}); },
         "The backup S12.~DAT does not hold whole records of 16 bytes."},
        {"backup cut short", [&] { WriteFile(dir / "S12.~DAT", Bytes(17, 1)); },
         "The backup S12.~DAT does not hold whole records of 16 bytes."},
        // The subfile pair is swapped first; the read-only record backup then stops the
        // restore and the subfile swap is rolled back.
        {"read-only backup", [&] { fs::permissions(dir / "S12.~DAT", fs::perms::owner_read); },
         "Unable to remove old backup file.\n" + std::string(dir / "S12.~DAT")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Put(newer, older);
        fs::permissions(dir / "S12.~DAT", fs::perms::owner_read | fs::perms::owner_write);
        c.arrange();
        const Bytes backupDat = ReadFile(dir / "S12.~DAT");
        const bool hadSubBackup = fs::exists(dir / "S12.~SUB");
        EXPECT_EQ(Error([&] { RestoreFromBackup(BackupFilesFor(dat, true), 16); }),
                  prefix + c.message);
        EXPECT_EQ(ReadFile(dat), newer.dat);
        EXPECT_EQ(ReadFile(sub), newer.sub);
        EXPECT_EQ(ReadFile(dir / "S12.~DAT"), backupDat);
        if (hadSubBackup) {
            EXPECT_EQ(ReadFile(dir / "S12.~SUB"), older.sub);
        }
        for (const std::string& name : dir.Entries()) {
            EXPECT_EQ(name.find(".S12"), std::string::npos) << name;
        }
    }
}

TEST_F(BackupRestoreTest, RecordsWithoutSubPartSwapOnlyTheRecordFile) {
    Put(newer, older);
    const TBackupFiles files = BackupFilesFor(dat, false);
    EXPECT_EQ(files.subFile, "");
    RestoreFromBackup(files, 16);
    EXPECT_EQ(ReadFile(dat), older.dat);
    EXPECT_EQ(ReadFile(dir / "S12.~DAT"), newer.dat);
    EXPECT_EQ(ReadFile(sub), newer.sub);
    EXPECT_EQ(ReadFile(dir / "S12.~SUB"), older.sub);
}

TEST_F(BackupRestoreTest, BackupsAreFoundWhateverTheirCase) {
    Put(newer, older);
    fs::rename(dir / "S12.~DAT", dir / "S12.~dat");
    fs::rename(dir / "S12.~SUB", dir / "s12.~sub");
    const TBackupFiles files = BackupFilesFor(dat, true);
    EXPECT_EQ(files.recordBackup, dir / "S12.~dat");
    EXPECT_EQ(files.subBackup, dir / "s12.~sub");
    RestoreFromBackup(files, 16);
    EXPECT_EQ(ReadFile(dat), older.dat);
    EXPECT_EQ(ReadFile(dir / "s12.~sub"), newer.sub);
}

}  // namespace
