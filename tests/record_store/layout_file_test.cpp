#include "record_store/layout_file.h"
#include "record_store/layout_flow.h"

#include <gtest/gtest.h>

#include "record_store/editor_error.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
    return TLayoutText::Parse(text).lines;
}

TEST(LayoutFileName, NameFilterAndPreferenceKind) {
    EXPECT_EQ(LayoutFileName("/lab/", "DAT"), "/lab/OV_DAT.INI");
    EXPECT_EQ(LayoutOpenFilter("SAD"), "Configuration files (*.ini)|OV_SAD*.ini");
    EXPECT_EQ(LayoutOpenFilter(""), "Configuration files (*.ini)|OV_*.ini");
    EXPECT_EQ(PreferenceKind("/x/OV_SADX.INI"), "SAD");
    EXPECT_EQ(PreferenceKind("/x/ov_das.ini"), "DAS");
    EXPECT_EQ(PreferenceKind("C:\\lab\\OV_DAT.INI"), "DAT");
    EXPECT_EQ(PreferenceKind("/x/MYLAYOUT.INI"), std::nullopt);
    EXPECT_EQ(PreferenceKind("/x/OV_XYZ.INI"), std::nullopt);
    EXPECT_EQ(PreferenceKind("/OV_/OV_D"), std::nullopt);
}

TEST(IniList, UpperCasesCutsAndUpdatesByKind) {
    TIniList list;
    list.Set("dat", "/a/OV_DAT.INI");
    list.Set("sadxy", "/a/OV_SAD.INI");
    list.Set("DAT", "/b/OV_DAT.INI");
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Get("DAT"), "/b/OV_DAT.INI");
    EXPECT_EQ(list.Get("SADX"), "/a/OV_SAD.INI");
    EXPECT_EQ(list.Get("dat"), std::nullopt);  // looked up exactly after the upper-casing
    EXPECT_EQ(list.Get("DAS"), std::nullopt);
}

TEST(LayoutText, KeepsLinesAndLineEnding) {
    const TLayoutText crlf = TLayoutText::Parse("[MAIN]\r\nLeft=3\r\n\r\n[FIELDS]");
    EXPECT_EQ(crlf.lines, (std::vector<std::string>{"[MAIN]", "Left=3", "", "[FIELDS]"}));
    EXPECT_TRUE(crlf.crlf);
    EXPECT_EQ(crlf.Format(), "[MAIN]\r\nLeft=3\r\n\r\n[FIELDS]\r\n");
    EXPECT_EQ(TLayoutText::Parse("a\nb\n").Format(), "a\nb\n");
    // Stray carriage returns before a line break, or ending the last line, are dropped: the
    // lines read the same after writing them back.
    for (const char* text : {"\r\r", "a\r\r\nb", "a\nb\r"}) {
        const TLayoutText once = TLayoutText::Parse(text);
        const TLayoutText twice = TLayoutText::Parse(once.Format());
        EXPECT_EQ(twice.lines, once.lines) << text;
        EXPECT_EQ(twice.crlf, once.crlf) << text;
    }
    EXPECT_EQ(TLayoutText::Parse("a\r\r\nb").lines, (std::vector<std::string>{"a", "b"}));
}

TEST(LayoutText, KeysAnywhereCaseIgnoredFirstLineCounts) {
    const auto lines = Lines("[MAIN]\nleft=5\n[FIELDS]\nLEFT=7\nRun#=Yes\nRun# =No\nx=a=b\n");
    EXPECT_EQ(KeyValue(lines, "Left"), "5");
    EXPECT_EQ(KeyValue(lines, "run#"), "Yes");
    EXPECT_EQ(KeyValue(lines, "x"), "a=b");
    EXPECT_EQ(KeyValue(lines, "Top"), std::nullopt);
    EXPECT_EQ(SplitList(" a , b,,c "), (std::vector<std::string>{"a", "b", "", "c"}));
}

TEST(BooleanDisplay, MadeWhole) {
    struct Case {
        const char* text;
        const char* whole;
        const char* trueWord;
        const char* falseWord;
    } cases[] = {
        {"", "True;False", "True", "False"},    {"Yes;", "Yes;False", "Yes", "False"},
        {";Nein", "True;Nein", "True", "Nein"}, {";", "True;False", "True", "False"},
        {"Ja;Nein", "Ja;Nein", "Ja", "Nein"},   {"on;off;x", "on;off;x", "on", "off;x"},
    };
    for (const Case& c : cases) {
        const std::string whole = WholeBooleanDisplay(c.text);
        EXPECT_EQ(whole, c.whole) << c.text;
        const TBooleanWords w = BooleanWords(whole);
        EXPECT_EQ(w.trueText, c.trueWord);
        EXPECT_EQ(w.falseText, c.falseWord);
    }
    EXPECT_EQ(BooleanWords("Yes;No").falseUpper, "NO");
}

TEST(LayoutMain, ReadsWindowNumbersUntilOneIsNotAnInteger) {
    struct Case {
        const char* text;
        std::optional<int> left, top, width, height;
    } cases[] = {
        {"[MAIN]\nLeft=10\nTop=20\nWidth=600\nHeight=400\n", 10, 20, 600, 400},
        {"[MAIN]\nLeft=10\nTop=x\nWidth=600\nHeight=400\n", 10, {}, {}, {}},
        {"[MAIN]\nLeft=\nTop=-5\nHeight=400\n", {}, -5, {}, 400},
        {"[MAIN]\n", {}, {}, {}, {}},
    };
    for (const Case& c : cases) {
        const TLayoutMain m = ReadLayoutMain(Lines(c.text));
        EXPECT_EQ(m.left, c.left) << c.text;
        EXPECT_EQ(m.top, c.top) << c.text;
        EXPECT_EQ(m.width, c.width) << c.text;
        EXPECT_EQ(m.height, c.height) << c.text;
    }
    EXPECT_EQ(ReadLayoutMain(Lines("BooleanDisplay= Yes;No \n")).booleanDisplay, "Yes;No");
    EXPECT_EQ(ReadLayoutMain(Lines("[MAIN]\n")).booleanDisplay, std::nullopt);
}

TEST(LayoutField, FieldAndLabelLines) {
    const auto lines = Lines(
        "[MAIN]\nBooleanDisplay=Yes;No\n[FIELDS]\n"
        "Remark=no\nRamp=maybe, 6, 100, 40, 80, 25\nNPT=Yes\nDisk#=Yes,,12\n"
        "L_Ramp=Heating rate, LEFT\nL_NPT=, bottom\nL_Disk#=Disk, middle\n");
    const TBooleanWords words = BooleanWords("Yes;No");

    EXPECT_FALSE(ReadLayoutField(&lines, "Remark", words)->visible);
    const TLayoutField ramp = *ReadLayoutField(&lines, "Ramp", words);
    EXPECT_TRUE(ramp.visible);
    EXPECT_EQ(ramp.precision, 6);
    EXPECT_EQ((std::array{ramp.left, ramp.top, ramp.width, ramp.height}),
              (std::array{100, 40, 80, 25}));
    EXPECT_EQ(ramp.caption, "Heating rate");
    EXPECT_EQ(ramp.labelPosition, TLabelPosition::Left);

    const TLayoutField npt = *ReadLayoutField(&lines, "NPT", words);
    EXPECT_EQ(npt.precision, 4);
    EXPECT_EQ(npt.caption, "NPT");  // an empty caption is the field name
    EXPECT_EQ(npt.labelPosition, TLabelPosition::Bottom);
    const TLayoutField disk = *ReadLayoutField(&lines, "Disk#", words);
    EXPECT_EQ(disk.left, 12);
    EXPECT_EQ(disk.top, 0);
    EXPECT_EQ(disk.labelPosition, TLabelPosition::Top);

    // No field line in an existing layout file: hidden, no edit.
    EXPECT_EQ(ReadLayoutField(&lines, "Spacing", words), std::nullopt);
    // Without a layout file every field shows with defaults.
    const TLayoutField plain = *ReadLayoutField(nullptr, "Spacing", words);
    EXPECT_TRUE(plain.visible);
    EXPECT_EQ(plain.precision, 4);
    EXPECT_EQ(plain.caption, "Spacing");
}

TEST(LayoutField, VisibleWordComparedWithTheFalseWord) {
    const auto lines = Lines("Remark=no\nInfo=maybe\nNPT=Nein\n");
    const TBooleanWords yesNo = BooleanWords("Yes;No");
    EXPECT_FALSE(ReadLayoutField(&lines, "Remark", yesNo)->visible);
    EXPECT_TRUE(ReadLayoutField(&lines, "Info", yesNo)->visible);
    EXPECT_TRUE(ReadLayoutField(&lines, "NPT", yesNo)->visible);
    EXPECT_FALSE(ReadLayoutField(&lines, "NPT", BooleanWords("True;Nein"))->visible);
}

TEST(LayoutField, NumbersBeyondAWindowAreTakenAsTheLargestWidgetSize) {
    const auto lines = Lines("Ramp=Yes, 2147483647, -2147483648, 16777216, 2147483647, 5\n");
    const TLayoutField ramp = *ReadLayoutField(&lines, "Ramp", BooleanWords("Yes;No"));
    EXPECT_EQ(ramp.precision, 16777215);
    EXPECT_EQ(ramp.left, -16777215);
    EXPECT_EQ(ramp.top, 16777215);
    EXPECT_EQ(ramp.width, 16777215);
    EXPECT_EQ(ramp.height, 5);
    // The form's edges stay within range.
    TFlowLayout flow(400);
    const TFlowPlacement placed =
        flow.Place(ramp.left, ramp.top, ramp.width, ramp.height, 40, 13, TLabelPosition::Right);
    EXPECT_GT(placed.label.Right(), placed.edit.left);
}

TEST(LayoutField, BadNumbersReportTheField) {
    const TBooleanWords words = BooleanWords("Yes;No");
    for (const char* text : {"Ramp=Yes, four\n", "Ramp=Yes, 4, 1x\n", "Ramp=Yes,4,1,2,3,h\n"}) {
        const auto lines = Lines(text);
        try {
            ReadLayoutField(&lines, "Ramp", words);
            ADD_FAILURE() << text;
        } catch (const TEditorError& e) {
            EXPECT_STREQ(e.what(), "INI File Error: Error processing field Ramp in INI file");
        }
    }
}

TEST(LayoutField, CurveMarkNeedsUpperCaseCurveAtTheStart) {
    const auto lines = Lines(
        "Raw data=No\nSubtracted data=Yes\nShift=Yes\nRemark=Yes\n"
        "L_Raw data=CURVE raw\nL_Subtracted data=CURVE\nL_Shift=curve shift\nL_Remark= a CURVE\n");
    const TBooleanWords words = BooleanWords("Yes;No");
    const TLayoutField raw = *ReadLayoutField(&lines, "Raw data", words);
    EXPECT_TRUE(raw.curve);
    EXPECT_FALSE(raw.visible);  // a hidden field can still be a curve
    EXPECT_TRUE(ReadLayoutField(&lines, "Subtracted data", words)->curve);
    EXPECT_FALSE(ReadLayoutField(&lines, "Shift", words)->curve);
    EXPECT_FALSE(ReadLayoutField(&lines, "Remark", words)->curve);
    EXPECT_TRUE(ContainsCurveMark(lines));
    EXPECT_FALSE(ContainsCurveMark(Lines("L_Shift=curve\n")));
}

TEST(FreeLabels, OnePerLineWithEqualsAfterTheSection) {
    const auto lines = Lines(
        "[MAIN]\nL_Note=ignored before, 1, 1\n[FIELDS]\n[LABELS]\nL_Title=Title, 10, 20\n"
        "just text\nl_title=Other, 30, 40\nL_Sample=Sample 12, 100, 8\n");
    const TFreeLabelList list = ReadFreeLabels(lines);
    EXPECT_EQ(list.error, "");
    const std::vector<TFreeLabel>& labels = list.labels;
    ASSERT_EQ(labels.size(), 3u);
    EXPECT_EQ(labels[0].caption, "Title");
    EXPECT_EQ(labels[0].left, 10);
    // Two free labels of the same key both take the first such line.
    EXPECT_EQ(labels[1].caption, "Title");
    EXPECT_EQ(labels[1].top, 20);
    EXPECT_EQ(labels[2].caption, "Sample 12");
    EXPECT_EQ(labels[2].left, 100);
    EXPECT_EQ(labels[2].top, 8);
    EXPECT_TRUE(ReadFreeLabels(Lines("[MAIN]\nL_A=A, 1, 2\n")).labels.empty());
}

TEST(FreeLabels, ABadPositionStopsThereAndKeepsTheLabelsBeforeIt) {
    struct Case {
        const char* text;
        std::vector<std::string> kept;
        std::string error;
    };
    const Case cases[] = {
        {"[LABELS]\nL_A=A, 1x, 2\n", {}, "'1x' is not a valid integer value"},
        {"[LABELS]\nL_A=A, 1\n", {}, "'' is not a valid integer value"},
        {"[LABELS]\nL_A=A, 1, 2\nL_B=B, 3, 4\nL_C=C, 5, top\nL_D=D, 7, 8\n",
         {"A", "B"},
         "'top' is not a valid integer value"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const TFreeLabelList list = ReadFreeLabels(Lines(c.text));
        std::vector<std::string> captions;
        for (const TFreeLabel& l : list.labels) captions.push_back(l.caption);
        EXPECT_EQ(captions, c.kept);
        EXPECT_EQ(list.error, c.error);
    }
}

}  // namespace
