#include "record_store/curve_access.h"

#include <gtest/gtest.h>

#include "curve_test_files.h"
#include "record_store/bin_data_set.h"
#include "record_store/views.h"

using namespace curve_test;

namespace {

// A DAT file of two records written by hand: a TL record (Dev# 17, NPT 4, Spacing 10,
// Shift 3, factor 2) and an OSL record (Dev# 2103, NPT 4, Shift 7.5, factor 1), both with
// curves: raw[i] = 100 + i and i * i, subtracted[k] = 0.5 k and -k.
class DatCurves : public ::testing::Test {
protected:
    void SetUp() override {
        for (int r = 0; r < 2; ++r) {
            TBytes main(dat::kMainSize, 0);
            TBytes sub(dat::kSubSize, 0);
            const bool tl = r == 0;
            Put16(main, dat::kRun, static_cast<std::uint16_t>(r + 1));
            Put16(main, dat::kDev, tl ? 17 : 2103);
            Put16(main, dat::kNpt, 4);
            Put16(main, dat::kSpacing, 10);
            Put8(main, dat::kHasCurve, 1);
            Put8(main, dat::kTLRun, 1);
            // Six-byte reals 2.0 and 1.0: exponent bytes 0x82 and 0x81, fraction 0.
            Put8(main, dat::kNormalizationFactor, tl ? 0x82 : 0x81);
            PutFloat(main, dat::kShift, tl ? 3.0f : 7.5f);
            for (int i = 0; i < 100; ++i) PutDouble(sub, dat::kRaw + 8 * i, tl ? 100 + i : i * i);
            for (int k = 0; k < 98; ++k)
                PutDouble(sub, dat::kSubtracted + 8 * k, tl ? 0.5 * k : -k);
            mains_.push_back(main);
            subs_.push_back(sub);
        }
        WriteAll();
        CopyDataFile("DAT.sch", folder_.File("DAT.sch"));
        ConfigureView(view_, TViewKind::Dat);
        view_.SetFileName(folder_.File("S1.DAT"));
        view_.SetSchemaFileName(folder_.File("DAT.sch"));
        view_.Open();
        view_.First();
    }

    void WriteAll() {
        TBytes main, sub;
        for (const auto& m : mains_) main.insert(main.end(), m.begin(), m.end());
        for (const auto& s : subs_) sub.insert(sub.end(), s.begin(), s.end());
        WriteFile(folder_.File("S1.DAT"), main);
        WriteFile(folder_.File("S1.SUB"), sub);
    }

    TCurveFieldList MakerCurves() {
        return {ReadCurveFieldInfo(view_, "Raw data"),
                ReadCurveFieldInfo(view_, "Subtracted data")};
    }

    TTempFolder folder_;
    std::vector<TBytes> mains_, subs_;
    TBinDataSet view_;
};

TEST_F(DatCurves, RawAndSubtractedCurvesOfTLAndOSLRecords) {
    const TFloatArray raw = ReadRawCurve(view_);
    ASSERT_EQ(raw.size(), 100u);
    EXPECT_EQ(raw[0], 100);
    EXPECT_EQ(raw[99], 199);

    // TL: [0, 0, subtracted values ...], aligned with the 100 raw indexes.
    TFloatArray sub = ReadSubtractedCurve(view_);
    ASSERT_EQ(sub.size(), 100u);
    EXPECT_EQ(sub[0], 0);
    EXPECT_EQ(sub[1], 0);
    EXPECT_EQ(sub[2], 0);
    EXPECT_EQ(sub[3], 0.5);
    EXPECT_EQ(sub[99], 0.5 * 97);

    // OSL: [0, "Shift", subtracted values ...].
    view_.Next();
    sub = ReadSubtractedCurve(view_);
    ASSERT_EQ(sub.size(), 100u);
    EXPECT_EQ(sub[0], 0);
    EXPECT_EQ(sub[1], 7.5);
    EXPECT_EQ(sub[3], -1);
    EXPECT_EQ(ReadRawCurve(view_)[9], 81);
}

TEST_F(DatCurves, WriteSubtractedCurveEditsThreeFieldsAndSavesThem) {
    view_.Next();
    WriteSubtractedCurve(view_, TFloatArray{10, 20, 30}, 11.25, -1.0, 12.3);
    EXPECT_TRUE(view_.Modified());
    EXPECT_EQ(view_.State(), TDataSetState::Browse);
    const TFloatArray sub = ReadSubtractedCurve(view_);
    EXPECT_EQ(sub[1], 11.25);
    EXPECT_EQ(sub[2], 10);
    EXPECT_EQ(sub[4], 30);
    EXPECT_EQ(sub[5], -3);  // past the values given: kept
    EXPECT_EQ(view_.AsFloat("Normalization factor"), -1.0);

    // The files, byte for byte: the second record changed in its sub part (three doubles),
    // "Shift" (single 11.25), the factor (six-byte real -1: 81 00 00 00 00 80) and
    // "OSL BGD" (123 byte-exchanged: bytes 00 7B); saving numbers the position words 0, 1.
    view_.SaveToFile(folder_.File("S1.DAT"));
    for (double v : {10.0, 20.0, 30.0}) {
        const std::size_t k = static_cast<std::size_t>(v / 10) - 1;
        PutDouble(subs_[1], dat::kSubtracted + 8 * k, v);
    }
    PutFloat(mains_[1], dat::kShift, 11.25f);
    Put8(mains_[1], dat::kNormalizationFactor + 5, 0x80);
    Put8(mains_[1], dat::kOslBgd, 0x00);
    Put8(mains_[1], dat::kOslBgd + 1, 0x7B);
    Put16(mains_[1], dat::kPosition, 1);
    const TBytes expectedMain = [&] {
        TBytes b(mains_[0]);
        b.insert(b.end(), mains_[1].begin(), mains_[1].end());
        return b;
    }();
    EXPECT_EQ(ReadFile(folder_.File("S1.DAT")), expectedMain);
    TBytes expectedSub(subs_[0]);
    expectedSub.insert(expectedSub.end(), subs_[1].begin(), subs_[1].end());
    EXPECT_EQ(ReadFile(folder_.File("S1.SUB")), expectedSub);
}

TEST_F(DatCurves, MoreSubtractedValuesThanTheFieldHoldsAreDropped) {
    WriteSubtractedCurve(view_, TFloatArray(150, 4.0), 0, 1);
    const TBytes bytes = view_.FieldBytes("Subtracted data");
    ASSERT_EQ(bytes.size(), 784u);
    EXPECT_EQ(GetDouble(bytes, 776), 4.0);
}

TEST_F(DatCurves, LocateReadAndWriteTheMakerCurves) {
    const TCurveFieldList curves = MakerCurves();
    EXPECT_TRUE(curves[0].isBytes);
    EXPECT_EQ(curves[0].elementType, TCurveElementType::Double);

    // TL record: raw count "NPT" + 1 = 5, spacing 10.
    TLocatedCurve raw = LocateCurve(view_, curves, TCurveChoice::First);
    EXPECT_EQ(raw.entry.name, "Raw data");
    EXPECT_EQ(raw.count, 5);
    EXPECT_EQ(raw.sequenceLength, 5);
    EXPECT_TRUE(raw.isTL);
    EXPECT_EQ(raw.spacing, 10);
    EXPECT_EQ(ReadCurveSequence(view_, raw), (TFloatArray{100, 101, 102, 103, 104}));

    // Subtracted: count "NPT" - 1 = 3, with the factor and "Shift" in front.
    TLocatedCurve sub = LocateCurve(view_, curves, TCurveChoice::Subtracted);
    EXPECT_EQ(sub.count, 3);
    EXPECT_EQ(sub.sequenceLength, 5);
    EXPECT_EQ(ReadCurveSequence(view_, sub), (TFloatArray{2, 3, 0, 0.5, 1}));

    // Writing: the c elements from the start, zero bytes after them, header not written.
    WriteCurveSequence(view_, sub, {99, 98, 7, 8, 9});
    EXPECT_TRUE(view_.Modified());
    TBytes expected(784, 0);
    PutDouble(expected, 0, 7);
    PutDouble(expected, 8, 8);
    PutDouble(expected, 16, 9);
    EXPECT_EQ(view_.FieldBytes("Subtracted data"), expected);
    EXPECT_EQ(view_.AsFloat("Normalization factor"), 2);
    EXPECT_EQ(view_.AsFloat("Shift"), 3);

    // Of two entries named "Subtracted data" the last one is the subtracted curve.
    TCurveFieldList two = curves;
    two.push_back(curves[1]);
    two.back().countExpr = "2";
    EXPECT_EQ(LocateCurve(view_, two, TCurveChoice::Subtracted).count, 2);

    // OSL record: spacing 1.
    view_.Next();
    raw = LocateCurve(view_, curves, TCurveChoice::First);
    EXPECT_FALSE(raw.isTL);
    EXPECT_EQ(raw.spacing, 1);
}

// A small schema with curves of several element types; FIELD7 has a blank before its "=",
// so its curve-field extension is not found.
constexpr const char* kCurveSchema =
    "FILETYPE=FIXED BINARY\n"
    "FIELD1=Dev#, LONGINT, 4, 0\n"
    "FIELD2=NPT, LONGINT, 4, 4\n"
    "FIELD3=Spacing, LONGINT, 4, 8\n"
    "FIELD4=Words, BYTES, 8, 12, word, \"NPT\"\n"
    "FIELD5=Signed, BYTES, 4, 20, SHORTINT, \"NPT\" + 1\n"
    "FIELD6=Ext, BYTES, 20, 24, EXTENDED, 2\n"
    "FIELD7 =Lost, BYTES, 4, 44, WORD, 2\n"
    "FIELD8=Gain, FLOAT, 4, 48, SINGLE, \"NPT\"\n"
    "FIELD9=Max point, LONGINT, 4, 52\n";

class SmallCurves : public ::testing::Test {
protected:
    void SetUp() override {
        record_ = TBytes(56, 0);
        Put32(record_, 52, 9);
        Put32(record_, 0, 2103);
        Put32(record_, 4, 3);
        Put32(record_, 8, 5);
        const TBytes words = {0x01, 0x00, 0xFF, 0xFF, 0x34, 0x12, 0xAA, 0xBB};
        const TBytes signedBytes = {0xFE, 0x7F, 0x80, 0x01};
        // Extended 1.0 and -3.0.
        const TBytes ext = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F,
                            0, 0, 0, 0, 0, 0, 0, 0xC0, 0x00, 0xC0};
        std::copy(words.begin(), words.end(), record_.begin() + 12);
        std::copy(signedBytes.begin(), signedBytes.end(), record_.begin() + 20);
        std::copy(ext.begin(), ext.end(), record_.begin() + 24);
        Put16(record_, 44, 0x5555);
        WriteFile(folder_.File("C1.crv"), record_);
        WriteText(folder_.File("CRV.sch"), kCurveSchema);
        view_.SetFileName(folder_.File("C1.crv"));
        view_.SetSchemaFileName(folder_.File("CRV.sch"));
        view_.Open();
        view_.First();
        for (const char* name : {"Words", "Signed", "Ext", "Lost", "Gain"}) {
            curves_.push_back(ReadCurveFieldInfo(view_, name));
        }
    }

    void SetNpt(int n) {
        view_.Edit();
        view_.SetAsInteger("NPT", n);
        view_.Post();
        view_.SetModified(false);
    }

    TLocatedCurve Located(const char* name) {
        TCurveFieldList one = {*FindCurveField(curves_, name)};
        return LocateCurve(view_, one, TCurveChoice::First);
    }

    TTempFolder folder_;
    TBytes record_;
    TBinDataSet view_;
    TCurveFieldList curves_;
};

TEST_F(SmallCurves, CurveFieldInfoFromTheSchemaLines) {
    const TCurveFieldInfo* words = FindCurveField(curves_, "Words");
    ASSERT_NE(words, nullptr);
    EXPECT_TRUE(words->isBytes);
    EXPECT_EQ(words->elementType, TCurveElementType::Word);
    EXPECT_EQ(words->countExpr, "\"NPT\"");
    EXPECT_EQ(words->startExpr, "");
    // Not BYTES: the width item is the start expression.
    const TCurveFieldInfo* gain = FindCurveField(curves_, "Gain");
    EXPECT_FALSE(gain->isBytes);
    EXPECT_EQ(gain->elementType, TCurveElementType::Single);
    EXPECT_EQ(gain->startExpr, "4");
    EXPECT_EQ(Located("Gain").start, 4);
    // "FIELD7 =" is not the key "FIELD7": empty items, but the entry keeps the field's name.
    const TCurveFieldInfo* lost = FindCurveField(curves_, "Lost");
    ASSERT_NE(lost, nullptr);
    EXPECT_FALSE(lost->isBytes);
    EXPECT_EQ(lost->elementType, TCurveElementType::None);
    EXPECT_EQ(lost->countExpr, "");
    EXPECT_EQ(FindCurveField(curves_, "words"), nullptr);  // exact names only
}

TEST_F(SmallCurves, ReadCurveValuesDecodesEachElementType) {
    EXPECT_EQ(ReadCurveValues(view_, curves_[0]), (TFloatArray{1, 65535, 4660}));
    EXPECT_EQ(ReadCurveValues(view_, curves_[1]), (TFloatArray{-2, 127, -128, 1}));
    EXPECT_EQ(ReadCurveValues(view_, curves_[2]), (TFloatArray{1, -3}));
    EXPECT_EQ(ReadCurveValues(view_, curves_[3]), TFloatArray{});
    // Positions beyond the field's bytes read 0.
    SetNpt(6);
    EXPECT_EQ(ReadCurveValues(view_, curves_[0]), (TFloatArray{1, 65535, 4660, 0xBBAA, 0, 0}));
    // A negative count reads nothing.
    SetNpt(-5);
    EXPECT_EQ(ReadCurveValues(view_, curves_[0]), TFloatArray{});
    EXPECT_EQ(Located("Words").sequenceLength, 0);
}

TEST_F(SmallCurves, WriteWordCurveRoundsAndKeepsLowBits) {
    WriteCurveSequence(view_, Located("Words"), {70000.4, 2.5, 3.5});
    // 70000 = 0x11170 keeps 0x1170 = 4464; 2.5 -> 2, 3.5 -> 4; the 4th word becomes 0.
    EXPECT_EQ(view_.FieldBytes("Words"), (TBytes{0x70, 0x11, 0x02, 0x00, 0x04, 0x00, 0, 0}));
    EXPECT_EQ(ReadCurveSequence(view_, Located("Words")), (TFloatArray{4464, 2, 4}));
    EXPECT_TRUE(view_.Modified());

    // A sequence shorter than the count gives 0 for the missing elements.
    WriteCurveSequence(view_, Located("Words"), {5});
    EXPECT_EQ(view_.FieldBytes("Words"), (TBytes{5, 0, 0, 0, 0, 0, 0, 0}));

    // A count beyond the field: the elements that fit are written, the rest dropped.
    SetNpt(6);
    WriteCurveSequence(view_, Located("Words"), {1, 2, 3, 4, 5, 6});
    EXPECT_EQ(view_.FieldBytes("Words"), (TBytes{1, 0, 2, 0, 3, 0, 4, 0}));
    // Neighbouring fields untouched.
    EXPECT_EQ(view_.FieldBytes("Signed"), (TBytes{0xFE, 0x7F, 0x80, 0x01}));
}

TEST_F(SmallCurves, SignedAndExtendedCurvesRoundTrip) {
    WriteCurveSequence(view_, Located("Signed"), {-1, 128, 300, -0.5});
    // -1 -> FF; 128 keeps its low byte 80 (reads -128); 300 = 0x12C -> 2C; -0.5 -> -0 -> 00.
    EXPECT_EQ(view_.FieldBytes("Signed"), (TBytes{0xFF, 0x80, 0x2C, 0x00}));
    WriteCurveSequence(view_, Located("Ext"), {0.1, -2.5});
    EXPECT_EQ(ReadCurveSequence(view_, Located("Ext")), (TFloatArray{0.1, -2.5}));
    const TBytes ext = view_.FieldBytes("Ext");
    EXPECT_EQ(TBytes(ext.begin(), ext.begin() + 10),
              (TBytes{0x00, 0xD0, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xFB, 0x3F}));
}

TEST_F(SmallCurves, CurveOfTypeNoneIsNotWritten) {
    // Its count is empty (0): writing would only zero the field.
    EXPECT_EQ(ErrorOf([&] {
                  WriteCurveSequence(view_, Located("Lost"), {1, 2});
              }),
              "Curve data not defined.");
    EXPECT_EQ(view_.FieldBytes("Lost"), (TBytes{0x55, 0x55, 0, 0}));
    EXPECT_FALSE(view_.Modified());
    EXPECT_EQ(view_.State(), TDataSetState::Browse);
}

TEST_F(SmallCurves, WritingWithoutACurrentRecordAddsNoRecord) {
    const TLocatedCurve words = Located("Words");
    view_.Delete();
    ASSERT_EQ(view_.RecordCount(), 0);
    EXPECT_NE(ErrorOf([&] { WriteCurveSequence(view_, words, {1, 2, 3}); }), "");
    EXPECT_EQ(view_.RecordCount(), 0);
}

TEST_F(SmallCurves, LocateCurveChoicesAndFailures) {
    EXPECT_EQ(ErrorOf([&] { LocateCurve(view_, {}, TCurveChoice::First); }),
              "Curve data not defined.");
    EXPECT_EQ(ErrorOf([&] { LocateCurve(view_, curves_, TCurveChoice::Subtracted); }),
              "'Subtracted data' not found");
    TCurveFieldList missing = {TCurveFieldInfo{"Nope", true, TCurveElementType::Word, "", "2"}};
    EXPECT_EQ(ErrorOf([&] { LocateCurve(view_, missing, TCurveChoice::First); }),
              "Field 'Nope' not found");
    // Dev# 2103 is OSL: spacing 1 although "Spacing" holds 5.
    const TLocatedCurve words = Located("Words");
    EXPECT_FALSE(words.isTL);
    EXPECT_EQ(words.spacing, 1);
    EXPECT_EQ(words.count, 3);
}

TEST_F(SmallCurves, EvalFieldExpression) {
    const struct {
        const char* expr;
        std::int64_t value;
    } cases[] = {
        {"\"NPT\"", 3},
        {"\"NPT\"+2", 5},
        {"100", 100},
        {" \"NPT\" \t- 3 ", 0},
        {"\"NPT\"x", 3},
        {"", 0},
        {"-7", -7},
        {"\"Dev#\"", 2103},
        {"\"NPT\"+2.5", 3},
        {"\"Spacing\" + 10", 15},
        // Blanks inside the quotes belong to the name; its ends are trimmed.
        {"\"Max point\"", 9},
        {" \" Max point \" +1", 10},
        {"\"Max point", 9},  // no closing quote: the rest is the name
    };
    for (const auto& c : cases) EXPECT_EQ(EvalFieldExpression(view_, c.expr), c.value) << c.expr;
    EXPECT_EQ(ErrorOf([&] { EvalFieldExpression(view_, "\"Nope\" + 1"); }),
              "Field 'Nope' not found");
}

// A SAD file written by hand: "Raw data" holds SMALLINT values ("NPT" of them), "Subtracted
// data" SINGLE values ("Max point" of them); the view has no "Shift" and no "Normalization
// factor", so the header values of the subtracted sequence read 0.
TEST(SadCurves, SubtractedSinglesCountedByMaxPoint) {
    TTempFolder folder;
    CopyDataFile("SAD.sch", folder.File("SAD.sch"));
    TBytes main(167, 0);
    Put16(main, 8, 2000);  // Dev#
    Put16(main, 10, 3);    // NPT
    Put8(main, 13, 2);     // Max point
    Put8(main, 14, 1);     // has a curve
    TBytes sub(80, 0);
    Put16(sub, 0, static_cast<std::uint16_t>(-5));
    Put16(sub, 2, 7);
    Put16(sub, 4, 300);
    PutFloat(sub, 40, 1.5f);
    PutFloat(sub, 44, 2.5f);
    PutFloat(sub, 48, 3.5f);  // beyond "Max point"
    WriteFile(folder.File("S1.SAD"), main);
    WriteFile(folder.File("S1.SAB"), sub);
    TBinDataSet view;
    ConfigureView(view, TViewKind::Sad);
    view.SetFileName(folder.File("S1.SAD"));
    view.SetSchemaFileName(folder.File("SAD.sch"));
    view.Open();
    view.First();
    const TCurveFieldList curves = {ReadCurveFieldInfo(view, "Raw data"),
                                    ReadCurveFieldInfo(view, "Subtracted data")};
    const TLocatedCurve raw = LocateCurve(view, curves, TCurveChoice::First);
    EXPECT_EQ(ReadCurveSequence(view, raw), (TFloatArray{-5, 7, 300}));
    const TLocatedCurve subtracted = LocateCurve(view, curves, TCurveChoice::Subtracted);
    EXPECT_EQ(ReadCurveSequence(view, subtracted), (TFloatArray{0, 0, 1.5, 2.5}));

    WriteCurveSequence(view, subtracted, {9, 9, 4.25, -1});
    TBytes expected(40, 0);
    PutFloat(expected, 0, 4.25f);
    PutFloat(expected, 4, -1.0f);
    EXPECT_EQ(view.FieldBytes("Subtracted data"), expected);
}

}  // namespace
