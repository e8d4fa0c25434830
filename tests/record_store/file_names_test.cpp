#include "record_store/file_names.h"

#include <gtest/gtest.h>

#include "record_file_test_util.h"

namespace {

TEST(FileNames, SubfileNameFromTheExtension) {
    const struct {
        const char* record;
        const char* sub;
    } cases[] = {
        {"/lab/S12.DAT", "/lab/S12.SUB"},
        {"/lab/S12.dat", "/lab/S12.SUB"},
        {"/lab/S12.DA3", "/lab/S12.SU3"},
        {"/lab/S12.dae", "/lab/S12.SUE"},
        {"/lab/S12.DATX", "/lab/S12.SUT"},  // longer than .DAT: .SU + 4th character
        {"/lab/S12.DAF", ""},
        {"/lab/S12.DA0", ""},
        {"/lab/S12.SAD", "/lab/S12.SAB"},
        {"/lab/S12.sad", "/lab/S12.SAB"},
        {"/lab/S12.SADX", ""},
        {"/lab/S12.SD1", "/lab/S12.SB1"},
        {"/lab/S12.SDE", "/lab/S12.SBE"},
        {"/lab/S12.SDT", ""},
        {"/lab/S12.DAS", ""},
        {"/lab/S12.DA", ""},
        {"/lab/S12", ""},
        {"/lab.DAT/S12", ""},
        {"S12.DAT", "S12.SUB"},
    };
    for (const auto& c : cases) EXPECT_EQ(SubfileNameFor(c.record), c.sub) << c.record;
}

TEST(FileNames, SchemaNames) {
    EXPECT_EQ(DefaultSchemaNameFor("/lab/S12.dat"), "/lab/dat.SCH");
    EXPECT_EQ(DefaultSchemaNameFor("/lab/S12.DAT"), "/lab/DAT.SCH");
    EXPECT_EQ(EditorSchemaNameFor("/lab/S12.dat", ""), "/lab/DAT.sch");
    EXPECT_EQ(EditorSchemaNameFor("/lab/S12.dat", "/schemas"), "/schemas/DAT.sch");
    EXPECT_EQ(EditorSchemaNameFor("/lab/S12.sad", "/schemas/"), "/schemas/SAD.sch");
}

TEST(FileNames, BackupNames) {
    EXPECT_EQ(BackupNameFor("/lab/S12.DAT"), "/lab/S12.~DAT");
    EXPECT_EQ(BackupNameFor("/lab/S12.SUB"), "/lab/S12.~SUB");
    EXPECT_EQ(BackupNameFor("/lab/OV_DAT.INI"), "/lab/OV_DAT.~INI");
    EXPECT_EQ(BackupNameFor("/lab/S12"), "/lab/S12.~");
    EXPECT_EQ(BackupNameFor("/lab.x/S12"), "/lab.x/S12.~");
}

TEST(FileNames, DerivedNamesMatchExistingFilesWithoutRegardToCase) {
    record_test::TempDir dir;
    record_test::WriteFile(dir / "s12.sub", {1});
    record_test::WriteFile(dir / "DAT.sch", {1});
    EXPECT_EQ(ResolveNameCase(dir / "S12.SUB"), dir / "s12.sub");
    EXPECT_EQ(ResolveNameCase(dir / "dat.SCH"), dir / "DAT.sch");
    EXPECT_EQ(ResolveNameCase(dir / "S13.SUB"), dir / "S13.SUB");
    // An exact name wins over other spellings.
    record_test::WriteFile(dir / "S12.SUB", {2});
    EXPECT_EQ(ResolveNameCase(dir / "S12.SUB"), dir / "S12.SUB");
    EXPECT_EQ(ResolveNameCase(dir / "nofolder/x.SUB"), dir / "nofolder/x.SUB");
}

}  // namespace
