#include "record_store/layout_save.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "record_store/editor_error.h"

namespace {

namespace fs = std::filesystem;

TSavedLabel FieldLabel(const std::string& field, const std::string& caption, TLayoutRect edit,
                       TLayoutRect label, bool isFloat = false, int precision = 4) {
    TSavedLabel l;
    l.fieldName = field;
    l.caption = caption;
    l.edit = edit;
    l.label = label;
    l.isFloat = isFloat;
    l.precision = precision;
    return l;
}

TSavedLabel FreeLabel(const std::string& caption, int left, int top) {
    TSavedLabel l;
    l.free = true;
    l.caption = caption;
    l.label = {left, top, 30, 13};
    return l;
}

std::string Rewrite(const std::string& in, const TLayoutPositions& positions,
                    std::string* booleanDisplay = nullptr) {
    TLayoutText text = TLayoutText::Parse(in);
    const std::string b = RewriteLayoutLines(text.lines, positions);
    if (booleanDisplay) *booleanDisplay = b;
    return text.Format();
}

TEST(LayoutSave, FileTextsInFileTextsOut) {
    TLayoutPositions p;
    p.left = 20;
    p.top = 30;
    p.width = 640;
    p.height = 480;
    p.booleanDisplay = "Yes;No";
    p.labels = {
        FieldLabel("Run#", "Run", {8, 20, 40, 21}, {8, 4, 20, 13}),
        FieldLabel("Disk#", "Disk", {60, 20, 40, 21}, {20, 24, 36, 13}),
        FieldLabel("Ramp", "ramp", {120, 60, 60, 21}, {182, 64, 30, 13}, true, 3),
        FieldLabel("NPT", "Points", {200, 20, 40, 21}, {200, 44, 30, 13}),
        FreeLabel("Hello", 100, 204),
        FreeLabel("Note", 10, 300),
    };
    struct Case {
        const char* name;
        const char* in;
        const char* out;
    } cases[] = {
        {"existing lines are replaced, new ones inserted",
         "[MAIN]\nBooleanDisplay=Yes;No\nLeft=10\n[FIELDS]\nRun#=Yes, 0, 4, 16, 40, 21\n"
         "L_Run#=Run, TOP\nRemark=no\nRamp=no\n[LABELS]\nL_Hello=Hello, 100, 200\n",
         "[MAIN]\nTop=30\nWidth=640\nHeight=480\nBooleanDisplay=Yes;No\nLeft=20\n[FIELDS]\n"
         "NPT=Yes, 0, 200, 20, 40, 21\nL_NPT=Points, BOTTOM\n"
         "Disk#=Yes, 0, 60, 20, 40, 21\nL_Disk#=Disk, LEFT\n"
         "Run#=Yes, 0, 8, 20, 40, 21\nL_Run#=Run, TOP\nRemark=no\n"
         "Ramp=No, 3, 120, 60, 60, 21\nL_Ramp=ramp, RIGHT\n"
         "[LABELS]\nL_Note=Note, 10, 300\nL_Hello=Hello, 100, 204\n"},
        {"an empty file gets every section and key", "",
         "[MAIN]\nLeft=20\nTop=30\nWidth=640\nHeight=480\nBooleanDisplay=Yes;No\n \n"
         "[FIELDS]\n"
         "NPT=Yes, 0, 200, 20, 40, 21\nL_NPT=Points, BOTTOM\n"
         "Ramp=Yes, 3, 120, 60, 60, 21\nL_Ramp=ramp, RIGHT\n"
         "Disk#=Yes, 0, 60, 20, 40, 21\nL_Disk#=Disk, LEFT\n"
         "Run#=Yes, 0, 8, 20, 40, 21\nL_Run#=Run, TOP\n \n"
         "[LABELS]\nL_Note=Note, 10, 300\nL_Hello=Hello, 100, 204\n"},
        {"keys are matched without regard to case; the file's boolean words are used; the "
         "label line of a field line below [LABELS] stays above the marker, where it is not "
         "read as a free label",
         "[main]\r\nbooleandisplay=;Nein\r\nHEIGHT=1\r\n[Labels]\r\nl_note=x, 1, 1\r\n"
         "npt=nein\r\n",
         "[main]\r\nLeft=20\r\nTop=30\r\nWidth=640\r\nbooleandisplay=;Nein\r\nHeight=480\r\n"
         "[FIELDS]\r\n"
         "Ramp=True, 3, 120, 60, 60, 21\r\nL_Ramp=ramp, RIGHT\r\n"
         "Disk#=True, 0, 60, 20, 40, 21\r\nL_Disk#=Disk, LEFT\r\n"
         "Run#=True, 0, 8, 20, 40, 21\r\nL_Run#=Run, TOP\r\n \r\nL_NPT=Points, BOTTOM\r\n"
         "[Labels]\r\nL_Hello=Hello, 100, 204\r\nL_Note=Note, 10, 300\r\n"
         "NPT=Nein, 0, 200, 20, 40, 21\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Rewrite(c.in, p), c.out) << c.name;
        // What was written opens again.
        EXPECT_NO_THROW(ReadFreeLabels(TLayoutText::Parse(c.out).lines)) << c.name;
    }
}

TEST(LayoutSave, BooleanDisplayTakenFromTheFileMadeWhole) {
    TLayoutPositions p;
    p.booleanDisplay = "Ja;Nein";
    std::string b;
    Rewrite("[MAIN]\nBooleanDisplay=Yes;\n", p, &b);
    EXPECT_EQ(b, "Yes;False");
    // Spaces around the words are not part of them, here as where the form reads them.
    Rewrite("[MAIN]\nBooleanDisplay= Ja ;Nein \n", p, &b);
    EXPECT_EQ(b, "Ja ;Nein");
    EXPECT_EQ(Rewrite("[MAIN]\n", p, &b),
              "[MAIN]\nLeft=0\nTop=0\nWidth=0\nHeight=0\nBooleanDisplay=Ja;Nein\n \n[FIELDS]\n \n"
              "[LABELS]\n");
    EXPECT_EQ(b, "Ja;Nein");
}

TEST(LayoutSave, TrailingCommasOfAnEmptyTrueWordAreRemoved) {
    TLayoutPositions p;
    p.booleanDisplay = "";
    p.labels = {FieldLabel("Remark", "Remark", {4, 16, 100, 21}, {4, 0, 40, 13})};
    // BooleanDisplay ";No" made whole is "True;No": the true word is never empty, so the
    // field line keeps all its items.
    EXPECT_EQ(Rewrite("[MAIN]\nBooleanDisplay=;No\n[FIELDS]\n[LABELS]\n", p),
              "[MAIN]\nLeft=0\nTop=0\nWidth=0\nHeight=0\nBooleanDisplay=;No\n[FIELDS]\n"
              "Remark=True, 0, 4, 16, 100, 21\nL_Remark=Remark, TOP\n[LABELS]\n");
}

class LayoutSaveFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("layout_save_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    static std::string ReadAll(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static void WriteAll(const fs::path& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }

    fs::path dir_;
};

TEST_F(LayoutSaveFile, SavingTwiceKeepsTheFileBeforeTheSecondSaveAsBackup) {
    const fs::path ini = dir_ / "OV_DAT.INI";
    const std::string original = "[MAIN]\r\nBooleanDisplay=Yes;No\r\n[FIELDS]\r\n[LABELS]\r\n";
    WriteAll(ini, original);
    TLayoutPositions p;
    p.booleanDisplay = "Yes;No";
    p.left = 1;
    EXPECT_EQ(SaveLayoutPositions(ini.string(), p), "Yes;No");
    const std::string first = ReadAll(ini);
    EXPECT_EQ(first,
              "[MAIN]\r\nLeft=1\r\nTop=0\r\nWidth=0\r\nHeight=0\r\nBooleanDisplay=Yes;No\r\n"
              "[FIELDS]\r\n[LABELS]\r\n");
    EXPECT_EQ(ReadAll(dir_ / "OV_DAT.~INI"), original);

    p.left = 2;
    SaveLayoutPositions(ini.string(), p);
    EXPECT_EQ(ReadAll(dir_ / "OV_DAT.~INI"), first);
    EXPECT_NE(ReadAll(ini).find("Left=2\r\n"), std::string::npos);
}

TEST_F(LayoutSaveFile, AMissingFileCannotBeSaved) {
    const fs::path ini = dir_ / "OV_SAD.INI";
    try {
        SaveLayoutPositions(ini.string(), TLayoutPositions{});
        ADD_FAILURE();
    } catch (const TEditorError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "INI File Error: cannot make new INI file: " + ini.string());
    }
    EXPECT_FALSE(fs::exists(ini));
    EXPECT_FALSE(fs::exists(dir_ / "OV_SAD.~INI"));
}

TEST(LayoutSave, BackupName) {
    EXPECT_EQ(LayoutBackupName("/a/OV_DAT.INI"), "/a/OV_DAT.~INI");
    EXPECT_EQ(LayoutBackupName("/a.b/layout"), "/a.b/layout.~");
}

}  // namespace
