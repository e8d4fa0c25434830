#include "record_store/schema.h"

#include <gtest/gtest.h>

#include "record_file_test_util.h"
#include "record_store/editor_error.h"
#include "record_store/schema_extension.h"

namespace {

std::string ParseError(const std::string& text) {
    try {
        ParseSchema(text);
    } catch (const TEditorError& e) {
        return e.what();
    }
    return "(accepted)";
}

std::string FieldError(const std::string& name) {
    return "Schema Read Error: Error processing field " + name + " in schema file";
}

TEST(Schema, ParsesMainAndSubFieldsWithLayouts) {
    const TSchema s = ParseSchema(
        "FILETYPE = FIXED BINARY\r\n"
        "CHARSET = ascii\r\n"
        "FIELD1 = Run#, NUMERIC, 4, 0\r\n"
        "FIELD2=Sample name,char,11,4\r\n"
        "FIELD3 = Has curve, BOOL, 1, 15\r\n"
        "FIELD4 = Gap, BYTES, 1, 14, SINGLE, 5\r\n"
        "[SUB]\r\n"
        "FIELD5 = Curve, BYTES, 40, 0, DOUBLE, \"NPT\"\r\n"
        "FIELD6 = Extra, WORD, 2, 40\r\n");
    ASSERT_EQ(s.fields.size(), 6u);
    EXPECT_EQ(s.mainSize, 17);
    EXPECT_EQ(s.subSize, 42);
    const TSchemaField& name = s.fields[1];
    EXPECT_EQ(name.name, "Sample name");
    EXPECT_EQ(name.type, TFieldType::String);
    EXPECT_EQ(name.size, 11);
    EXPECT_EQ(name.width, 11);
    EXPECT_EQ(name.offset, 4);
    EXPECT_EQ(name.position, 2);
    EXPECT_EQ(s.fields[0].size, 0);  // only text and bytes carry a size
    const TSchemaField& extra = s.fields[5];
    EXPECT_EQ(extra.part, TFieldPart::Sub);
    EXPECT_EQ(extra.offset, 40);
    EXPECT_EQ(extra.recordOffset, 17 + 40);
    EXPECT_EQ(extra.position, 6);
    EXPECT_EQ(s.Find("run#"), &s.fields[0]);
    EXPECT_EQ(s.Find("Run"), nullptr);
}

TEST(Schema, LineRules) {
    // Key contains FIELD anywhere (after upper-casing).
    TSchema s = ParseSchema("FIELD1 = Pad, BYTES, 20, 0\nmyfield3 = Gain, float, 4, 20\n");
    ASSERT_EQ(s.fields.size(), 2u);
    EXPECT_EQ(s.fields[1].name, "Gain");
    EXPECT_EQ(s.fields[1].type, TFieldType::Float);
    EXPECT_EQ(s.fields[1].offset, 20);
    EXPECT_EQ(s.mainSize, 24);

    // Blanks around key, "=" and value are accepted.
    EXPECT_EQ(ParseError("   FILETYPE   =   FIXED BINARY   \n"), "(accepted)");
    // Ignored lines: sections, CHARSET/DELIMITER/SEPARATOR, lines without "=", other keys,
    // keys beginning with "[".
    s = ParseSchema(
        "[Layout]\nDELIMITER = ,\nSEPARATOR=;\njust words\nNAME = x\n[FIELD9 = a, b, c, d\n"
        "FIELD1 = A, BYTES, 15, 0\n");
    EXPECT_EQ(s.fields.size(), 1u);

    // "[SUB]" only in exactly that spelling starts the sub part.
    for (const char* notSub : {" [SUB]", "[sub]", "[SUB] "}) {
        s = ParseSchema(std::string("FIELD1 = A, BYTES, 15, 0\n") + notSub +
                        "\nFIELD2 = B, BYTES, 4, 15\n");
        EXPECT_EQ(s.subSize, 0) << notSub;
        EXPECT_EQ(s.mainSize, 19) << notSub;
    }
    EXPECT_EQ(ParseSchema("FILETYPE = FIXED BINARY\n").mainSize, 0);
}

TEST(Schema, Errors) {
    const std::string kFileType = "Schema error: FILETYPE must be FIXED BINARY";
    const struct {
        const char* text;
        std::string message;
    } cases[] = {
        {"FILETYPE = fixed binary\n", kFileType},
        {"FILETYPE = FIXED  BINARY\n", kFileType},
        {"FILETYPE =\n", kFileType},
        {"FIELD1 = Run#, NUMERIC, 4\n", FieldError("Run#")},
        {"FIELD1 =\n", FieldError("")},
        {"FIELD1 = Run#, NUMERIC, four, 0\n", FieldError("Run#")},
        {"FIELD1 = Run#, NUMERIC, 4, 0x0\n", FieldError("Run#")},
        {"FIELD1 = Run#, NUMERIC, 4, 1.5\n", FieldError("Run#")},
        {"FIELD1 = Name, CHAR, -3, 0\n", FieldError("Name")},
        {"FIELD1 = Blob, BYTES, 0, 0\n", FieldError("Blob")},
        {"FIELD1 = Run#, NUMERIC, -4, 0\n", FieldError("Run#")},
        {"FIELD1 = Big, BYTES, 65536, 0\n", FieldError("Big")},
        {"FIELD1 = Huge, BYTES, 99999999999999999999, 0\n", FieldError("Huge")},
        // Bytes outside the field's part.
        {"FIELD1 = A, NUMERIC, 4, 0\nFIELD2 = B, NUMERIC, 4, 5\n", FieldError("B")},
        {"FIELD1 = A, NUMERIC, 4, -1\nFIELD2 = B, NUMERIC, 4, 4\n", FieldError("A")},
        {"FIELD1 = A, BYTES, 20, 0\n[SUB]\nFIELD2 = C, BYTES, 8, 1\n", FieldError("C")},
        {"FIELD1 = A, BYTES, 20, 0\n[SUB]\nFIELD2 = C, BYTES, 8, 2147483647\n", FieldError("C")},
        // A sub part needs the flag byte at offset 14 of the main part.
        {"FIELD1 = A, BYTES, 14, 0\n[SUB]\nFIELD2 = C, BYTES, 8, 0\n", FieldError("C")},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseError(c.text), c.message) << c.text;
}

TEST(Schema, AcceptsOverlapsUnknownTypesAndZeroWidths) {
    TSchema s = ParseSchema(
        "FIELD1 = A, NUMERIC, 4, 0\nFIELD2 = Low, WORD, 2, 0\nFIELD3 = Odd, QUAD, 4, 0\n"
        "FIELD4 = None, FLOAT, 0, 10\n");
    ASSERT_EQ(s.fields.size(), 4u);
    EXPECT_EQ(s.fields[2].type, TFieldType::Unknown);
    EXPECT_EQ(s.fields[2].typeKeyword, "QUAD");
    EXPECT_EQ(s.mainSize, 10);
    // The main part may be exactly 15 bytes when there is a sub part.
    s = ParseSchema("FIELD1 = A, BYTES, 15, 0\n[SUB]\nFIELD2 = C, BYTES, 8, 0\n");
    EXPECT_EQ(s.subSize, 8);
    EXPECT_EQ(s.fields[1].recordOffset, 15);
}

TEST(Schema, ValueIsCutAt255Characters) {
    std::string name(251, 'n');  // "name, BYTES, 4, 0" exceeds 255 characters after "="
    EXPECT_EQ(ParseError("FIELD1=" + name + ",BYTES,4,0\n"), FieldError(name));
}

TEST(CurveFieldExtension, FindsTheLineByPositionWithBlanksCounting) {
    const std::string text =
        "FIELD1 = A, BYTES, 15, 0\nfield2= Raw data, BYTES, 800, 15, double, \"NPT\"\n"
        "FIELD3 = Sub, FLOAT, 4, 815\nFIELD30= X, WORD, 2, 0\n";
    EXPECT_EQ(FindSchemaFieldLine(text, 2), "field2= Raw data, BYTES, 800, 15, double, \"NPT\"");
    EXPECT_FALSE(FindSchemaFieldLine(text, 3).has_value());  // blank before "="
    EXPECT_EQ(FindSchemaFieldLine(text, 30), "FIELD30= X, WORD, 2, 0");
    EXPECT_FALSE(FindSchemaFieldLine(text, 4).has_value());

    TCurveFieldExtension raw = ParseCurveFieldExtension(*FindSchemaFieldLine(text, 2));
    EXPECT_EQ(raw.name, "Raw data");
    EXPECT_TRUE(raw.isBytes);
    EXPECT_EQ(raw.elementType, TNumericType::Double);
    EXPECT_EQ(raw.startExpr, "");
    EXPECT_EQ(raw.countExpr, "\"NPT\"");

    TCurveFieldExtension curve =
        ParseCurveFieldExtension("FIELD7 = Counts, WORD, \"Start\" + 1, 20, smallint, 50");
    EXPECT_FALSE(curve.isBytes);
    EXPECT_EQ(curve.startExpr, "\"Start\" + 1");
    EXPECT_EQ(curve.elementType, TNumericType::SmallInt);
    EXPECT_EQ(curve.countExpr, "50");

    TCurveFieldExtension empty = ParseCurveFieldExtension("");
    EXPECT_FALSE(empty.isBytes);
    EXPECT_EQ(empty.elementType, TNumericType::None);
    EXPECT_EQ(ParseCurveFieldExtension("FIELD1 = A, BYTES, 4, 0, LONGDOUBLE").elementType,
              TNumericType::None);

    record_test::TempDir dir;
    record_test::WriteText(dir / "DAT.sch", text);
    EXPECT_EQ(ReadCurveFieldExtension(dir / "DAT.sch", 2).countExpr, "\"NPT\"");
    EXPECT_EQ(ReadCurveFieldExtension(dir / "missing.sch", 2).name, "");
}

TEST(CurveFieldExtension, FieldExpressions) {
    const struct {
        const char* text;
        const char* field;
        int constant;
    } cases[] = {
        {"\"NPT\"", "NPT", 0},
        {"\"NPT\"+2", "NPT", 2},
        {" \"NPT\" \t- 3 ", "NPT", -3},
        {"100", "", 100},
        {"", "", 0},
        {"\"NPT\"+x", "NPT", 0},
        // Blanks inside the quotes belong to the name; its ends are trimmed.
        {"\"Max point\"", "Max point", 0},
        {" \" Max point \" + 1", "Max point", 1},
        {"\"NPT", "NPT", 0},  // no closing quote: the rest is the name
        {"+7", "", 7},
    };
    for (const auto& c : cases) {
        TFieldExpression s = ParseFieldExpression(c.text);
        EXPECT_EQ(s.fieldName, c.field) << c.text;
        EXPECT_EQ(s.constant, c.constant) << c.text;
    }
}

}  // namespace
