#include "record_store/layout_plan.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "record_store/editor_error.h"

namespace {

namespace fs = std::filesystem;

class LayoutPlanTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("layout_plan_" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        std::ofstream(dir_ / "LAY.sch", std::ios::binary)
            << "FILETYPE=FIXED BINARY\r\n"
               "FIELD1=Run#,NUMERIC,4,0\r\n"
               "FIELD2=NPT,NUMERIC,4,4\r\n"
               "FIELD3=Remark,CHAR,10,8\r\n"
               "FIELD4=Ramp,FLOAT,8,18\r\n"
               "FIELD5=Raw data,BYTES,16,26,DOUBLE,\"NPT\"\r\n"
               "FIELD6=Counts,BYTES,8,42,WORD,4\r\n";
        std::ofstream(dir_ / "A.LAY", std::ios::binary) << std::string(50, '\0');
        view_.SetFileName((dir_ / "A.LAY").string());
        view_.SetSchemaFileName((dir_ / "LAY.sch").string());
        view_.Open();
    }
    void TearDown() override { fs::remove_all(dir_); }

    static std::vector<std::string> Lines(const std::string& text) {
        return TLayoutText::Parse(text).lines;
    }

    fs::path dir_;
    TBinDataSet view_;
    const TBooleanWords words_ = BooleanWords("Yes;No");
};

TEST_F(LayoutPlanTest, ShownFieldsControlNamesWidthsAndCurves) {
    const auto lines = Lines(
        "[MAIN]\n[FIELDS]\nRun#=Yes\nRemark=Yes\nRamp=Yes, 6\nRaw data=No\nCounts=Yes\n"
        "L_Run#=Run #1\nL_Raw data=CURVE\nL_Counts=CURVE counts\nL_NPT=CURVE\n[LABELS]\n");
    TLayoutPlan plan;
    BuildLayoutPlan(view_, &lines, words_, plan);

    ASSERT_EQ(plan.shown.size(), 4u);
    const struct {
        const char* name;
        const char* edit;
        const char* label;
        int characters;
    } expected[] = {{"Run#", "dbeRun1", "lblRun1", 5},
                    {"Remark", "dbeRemark", "lblRemark", 10},
                    {"Ramp", "dbeRamp", "lblRamp", 11},
                    {"Counts", "dbeCURVEcounts", "lblCURVEcounts", 15}};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(plan.shown[i].name, expected[i].name);
        EXPECT_EQ(plan.shown[i].editName, expected[i].edit);
        EXPECT_EQ(plan.shown[i].labelName, expected[i].label);
        EXPECT_EQ(plan.shown[i].editCharacters, expected[i].characters);
    }
    // A hidden field is still a curve; "NPT" has no field line and so is no curve.
    ASSERT_EQ(plan.curves.size(), 2u);
    EXPECT_EQ(plan.curves[0].name, "Raw data");
    EXPECT_TRUE(plan.curves[0].isBytes);
    EXPECT_EQ(plan.curves[0].elementType, TCurveElementType::Double);
    EXPECT_EQ(plan.curves[0].countExpr, "\"NPT\"");
    EXPECT_EQ(plan.curves[1].name, "Counts");
    EXPECT_EQ(plan.curves[1].elementType, TCurveElementType::Word);
    EXPECT_EQ(plan.curves[1].countExpr, "4");

    EXPECT_EQ(LayoutCurveFields(view_, lines, words_).size(), 2u);
}

TEST_F(LayoutPlanTest, WithoutALayoutFileEveryFieldShowsAndNoneIsACurve) {
    TLayoutPlan plan;
    BuildLayoutPlan(view_, nullptr, words_, plan);
    ASSERT_EQ(plan.shown.size(), 6u);
    EXPECT_EQ(plan.shown[4].editName, "dbeRawdata");
    EXPECT_TRUE(plan.curves.empty());
}

TEST_F(LayoutPlanTest, AFieldThatCannotBeBuiltStopsTheBuild) {
    struct Case {
        const char* text;
        const char* field;
        std::size_t shownBefore;
    } cases[] = {
        {"Run#=Yes\nRemark=Yes\nL_Run#=Run 1\nL_Remark=Run-1\n", "Remark", 1},
        {"Run#=Yes\nNPT=Yes, x\nRamp=Yes\n", "NPT", 1},
    };
    for (const Case& c : cases) {
        const auto lines = Lines(c.text);
        TLayoutPlan plan;
        try {
            BuildLayoutPlan(view_, &lines, words_, plan);
            ADD_FAILURE() << c.text;
        } catch (const TEditorError& e) {
            EXPECT_EQ(
                std::string(e.what()),
                std::string("INI File Error: Error processing field ") + c.field + " in INI file");
        }
        EXPECT_EQ(plan.shown.size(), c.shownBefore);
    }
}

}  // namespace
