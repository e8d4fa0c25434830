#include "record_store/field_codec.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// Six-byte reals worked out by hand from the layout: exponent byte biased by 129, 39-bit
// fraction least significant byte first, sign in bit 7 of the last byte.
struct Real48Case {
    double value;
    Bytes bytes;
};

const Real48Case kReal48Cases[] = {
    {0.0, {0, 0, 0, 0, 0, 0}},
    {1.0, {0x81, 0, 0, 0, 0, 0}},
    {-1.0, {0x81, 0, 0, 0, 0, 0x80}},
    {0.5, {0x80, 0, 0, 0, 0, 0}},
    {1.5, {0x81, 0, 0, 0, 0, 0x40}},
    {-3.0, {0x82, 0, 0, 0, 0, 0xC0}},
    {0.1, {0x7D, 0xCD, 0xCC, 0xCC, 0xCC, 0x4C}},  // 0.6 * 2^39 rounds up to ...CD
    {std::ldexp(1.0, -128), {0x01, 0, 0, 0, 0, 0}},
    {std::ldexp(2.0 - std::ldexp(1.0, -39), 126), {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}},
    {1.0 + std::ldexp(1.0, -39), {0x81, 1, 0, 0, 0, 0}},
};

TEST(Real48, EncodesAndDecodesHandWorkedValues) {
    for (const Real48Case& c : kReal48Cases) {
        uint8_t out[6] = {9, 9, 9, 9, 9, 9};
        ASSERT_TRUE(DoubleToReal48(c.value, out)) << c.value;
        EXPECT_EQ(Bytes(out, out + 6), c.bytes) << c.value;
        // 0.1 has no exact six-byte form: it reads back as 1.6 with a 39-bit fraction.
        const double exact =
            c.value == 0.1 ? std::ldexp(1.0 + std::ldexp(329853488333.0, -39), -4) : c.value;
        EXPECT_EQ(Real48ToDouble(c.bytes.data()), exact) << c.value;
    }
}

TEST(Real48, RoundsHalvesAwayFromZeroAndCarriesIntoExponent) {
    uint8_t out[6];
    // 1 + 2^-40 lies halfway between two 39-bit fractions.
    ASSERT_TRUE(DoubleToReal48(1.0 + std::ldexp(1.0, -40), out));
    EXPECT_EQ(Bytes(out, out + 6), (Bytes{0x81, 1, 0, 0, 0, 0}));
    ASSERT_TRUE(DoubleToReal48(-(1.0 + std::ldexp(1.0, -40)), out));
    EXPECT_EQ(Bytes(out, out + 6), (Bytes{0x81, 1, 0, 0, 0, 0x80}));
    // 2 - 2^-41 rounds up to 2.
    ASSERT_TRUE(DoubleToReal48(2.0 - std::ldexp(1.0, -41), out));
    EXPECT_EQ(Bytes(out, out + 6), (Bytes{0x82, 0, 0, 0, 0, 0}));
}

TEST(Real48, TinyValuesBecomeZeroAndLargeOnesFail) {
    uint8_t out[6] = {1, 2, 3, 4, 5, 6};
    ASSERT_TRUE(DoubleToReal48(std::ldexp(1.0, -129), out));
    EXPECT_EQ(Bytes(out, out + 6), Bytes(6, 0));
    const Bytes junkWithZeroExponent = {0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(Real48ToDouble(junkWithZeroExponent.data()), 0.0);

    uint8_t kept[6] = {1, 2, 3, 4, 5, 6};
    for (double v : {std::ldexp(1.0, 127), -1e300, double(NAN), double(INFINITY)}) {
        EXPECT_FALSE(DoubleToReal48(v, kept)) << v;
        EXPECT_EQ(Bytes(kept, kept + 6), (Bytes{1, 2, 3, 4, 5, 6}));
    }
}

// One row per type and width: stored bytes and the value they read as (both directions).
struct FieldCase {
    const char* what;
    TFieldType type;
    Bytes bytes;
    TFieldValue value;
};

const FieldCase kFieldCases[] = {
    {"CHAR 1", TFieldType::String, {'X'}, std::string("X")},
    {"CHAR 1 empty", TFieldType::String, {0}, std::string()},
    {"CHAR 5", TFieldType::String, {3, 'a', 'b', 'c', 0}, std::string("abc")},
    {"FLOAT 4", TFieldType::Float, {0, 0, 0xC0, 0x3F}, 1.5},
    {"FLOAT 6", TFieldType::Float, {0x81, 0, 0, 0, 0, 0xC0}, -1.5},
    {"FLOAT 8", TFieldType::Float, {0, 0, 0, 0, 0, 0, 0xF8, 0x3F}, 1.5},
    {"NUMERIC 4", TFieldType::Integer, {0xFF, 0xFF, 0xFF, 0xFF}, int64_t{-1}},
    {"NUMERIC 4 big", TFieldType::Integer, {0x78, 0x56, 0x34, 0x12}, int64_t{0x12345678}},
    {"NUMERIC 2", TFieldType::Integer, {0xFF, 0xFF}, int64_t{65535}},
    {"NUMERIC 1", TFieldType::Integer, {0xFF}, int64_t{255}},
    {"WORD 1", TFieldType::Word, {0xFE}, int64_t{254}},
    {"WORD 2", TFieldType::Word, {0x34, 0x12}, int64_t{0x1234}},
    {"BOOL false", TFieldType::Boolean, {0}, false},
    {"BOOL true", TFieldType::Boolean, {1}, true},
    {"DATE", TFieldType::Date, {0xC7, 0xC6}, TDate{1999, 7, 12}},
    {"DATE 2027", TFieldType::Date, {0xCC, 0xFE}, TDate{2027, 12, 12}},
    {"TIME", TFieldType::Time, {0xFC, 0xCE, 0x38, 0x00}, TTime{3723004}},  // 01:02:03.004
    {"TIMESTAMP day 1",
     TFieldType::DateTime,
     {0, 0, 0, 0, 0x70, 0x99, 0x94, 0x41},
     TDateTime{TDate{1, 1, 1}, 0}},
    {"TIMESTAMP 2000",
     TFieldType::DateTime,
     {0, 0, 0x07, 0x5B, 0xC2, 0xAF, 0xCC, 0x42},
     TDateTime{TDate{2000, 1, 1}, 43200000}},
    {"BYTES", TFieldType::Bytes, {1, 2, 3}, TBytes{1, 2, 3}},
};

TEST(FieldCodec, EveryTypeAndWidthBothDirections) {
    for (const FieldCase& c : kFieldCases) {
        const Bytes& bytes = c.bytes;
        EXPECT_EQ(DecodeField(c.type, bytes), c.value) << c.what;
        Bytes out(bytes.size(), 0xAA);
        ASSERT_TRUE(EncodeField(c.type, c.value, out)) << c.what;
        EXPECT_EQ(out, bytes) << c.what;
    }
}

TEST(FieldCodec, StoringCutsAndMasks) {
    struct Case {
        const char* what;
        TFieldType type;
        size_t width;
        TFieldValue value;
        Bytes stored;
    };
    const Case cases[] = {
        {"12 letters in CHAR 8",
         TFieldType::String,
         8,
         std::string("ABCDEFGHIJKL"),
         {7, 'A', 'B', 'C', 'D', 'E', 'F', 'G'}},
        {"11 letters in CHAR 10",
         TFieldType::String,
         10,
         std::string("ABCDEFGHIJK"),
         {9, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I'}},
        {"short text zero-fills", TFieldType::String, 5, std::string("x"), {1, 'x', 0, 0, 0}},
        {"CHAR 300 holds 255", TFieldType::String, 300, std::string(400, 'q'), {}},
        {"NUMERIC 2 low bits", TFieldType::Integer, 2, int64_t{70000}, {0x70, 0x11}},
        {"NUMERIC 2 of -1", TFieldType::Integer, 2, int64_t{-1}, {0xFF, 0xFF}},
        {"NUMERIC 1 low bits", TFieldType::Integer, 1, int64_t{0x1FF}, {0xFF}},
        {"NUMERIC 3 stores zeros", TFieldType::Integer, 3, int64_t{5}, {0, 0, 0}},
        {"WORD 4 stores zeros", TFieldType::Word, 4, int64_t{5}, {0, 0, 0, 0}},
        {"FLOAT 3 stores zeros", TFieldType::Float, 3, 2.0, {0, 0, 0}},
        {"BOOL any value true", TFieldType::Boolean, 1, int64_t{7}, {1}},
        {"DATE year masked", TFieldType::Date, 2, TDate{2028, 1, 2}, {0x21, 0x00}},
        {"float rounds to integer", TFieldType::Integer, 4, 2.5, {2, 0, 0, 0}},
        {"text to integer", TFieldType::Integer, 4, std::string(" 42 "), {42, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        Bytes out(c.width, 0xAA);
        ASSERT_TRUE(EncodeField(c.type, c.value, out)) << c.what;
        if (c.stored.empty()) {
            EXPECT_EQ(out[0], 255) << c.what;
            EXPECT_EQ(out[255], 'q') << c.what;
            EXPECT_EQ(out[256], 0) << c.what;
        } else {
            EXPECT_EQ(out, c.stored) << c.what;
        }
    }
}

TEST(FieldCodec, ReadingStaysInsideTheField) {
    // A length byte larger than the field reads only the characters the field holds.
    EXPECT_EQ(DecodeField(TFieldType::String, Bytes{200, 'a', 'b', 'c', 'd'}),
              TFieldValue(std::string("abcd")));
    EXPECT_EQ(DecodeField(TFieldType::String, Bytes{}), TFieldValue(std::string()));
    // Other widths of NUMERIC read the first bytes zero-extended; of FLOAT and WORD 0.
    EXPECT_EQ(DecodeField(TFieldType::Integer, Bytes{1, 2, 3}), TFieldValue(int64_t{0x030201}));
    EXPECT_EQ(DecodeField(TFieldType::Integer, Bytes{0xFF, 0xFF, 0xFF, 0xFF, 9, 9}),
              TFieldValue(int64_t{0xFFFFFFFF}));
    EXPECT_EQ(DecodeField(TFieldType::Float, Bytes{1, 2, 3}), TFieldValue(0.0));
    EXPECT_EQ(DecodeField(TFieldType::Word, Bytes{1, 2, 3}), TFieldValue(int64_t{0}));
    EXPECT_EQ(DecodeField(TFieldType::Boolean, Bytes{0x80}), TFieldValue(true));
}

TEST(FieldCodec, ZeroDateAndTimeReadAsNow) {
    TDate before = CurrentDate();
    TDate read = std::get<TDate>(DecodeField(TFieldType::Date, Bytes{0, 0}));
    TDate after = CurrentDate();
    EXPECT_TRUE(read == before || read == after);
    TTime t0 = CurrentTime();
    uint32_t ms = std::get<TTime>(DecodeField(TFieldType::Time, Bytes{0, 0, 0, 0})).ms;
    EXPECT_GE(ms + 1000, t0.ms);  // within a second (a midnight wrap would fail, rarely)
    EXPECT_GT(ms, 0u);
}

TEST(FieldCodec, SixByteRealOverflowLeavesTheBytes) {
    Bytes field = {0x81, 0, 0, 0, 0, 0};
    EXPECT_FALSE(EncodeField(TFieldType::Float, 1e300, field));
    EXPECT_EQ(field, (Bytes{0x81, 0, 0, 0, 0, 0}));
}

TEST(FieldCodec, DatePackingMatchesWorkedExample) {
    EXPECT_EQ(PackDate(TDate{1999, 7, 12}), (99 << 9 | 12 << 4 | 7));
    EXPECT_EQ(PackDate(TDate{1999, 7, 12}), 0xC6C7);
    EXPECT_EQ(UnpackDate(0xC6C7), (TDate{1999, 7, 12}));
}

TEST(FieldValues, ConversionsBetweenKinds) {
    EXPECT_EQ(ValueAsInteger(std::string("-17")), -17);
    EXPECT_EQ(ValueAsInteger(3.5), 4);  // halves to even
    EXPECT_EQ(ValueAsInteger(2.5), 2);
    EXPECT_DOUBLE_EQ(ValueAsFloat(std::string("2.25")), 2.25);
    EXPECT_EQ(ValueAsString(int64_t{12}), "12");
    EXPECT_EQ(ValueAsString(0.1), "0.1");
    EXPECT_EQ(ValueAsString(true), "True");
    EXPECT_EQ(ValueAsString(TDate{1999, 7, 12}), "1999-07-12");
    EXPECT_EQ(ValueAsString(TTime{3723004}), "01:02:03.004");
    EXPECT_TRUE(ValueAsBoolean(std::string("true")));
    EXPECT_EQ(ValueAsDate(std::string("2001-02-03")), (TDate{2001, 2, 3}));
    EXPECT_DOUBLE_EQ(ValueAsFloat(TDate{1900, 1, 1}), 2.0);  // days since 1899-12-30
    EXPECT_EQ(ValueAsDate(2.0), (TDate{1900, 1, 1}));
    try {
        ValueAsInteger(std::string("abc"));
        FAIL();
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
    }
}

}  // namespace
