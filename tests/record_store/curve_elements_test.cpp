#include "record_store/curve_elements.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

struct TElementCase {
    TCurveElementType type;
    double value;                     // decoded value of `bytes`
    std::vector<std::uint8_t> bytes;  // stored form, little-endian
};

// Bytes written by hand from the formats: two's complement integers, IEEE-754 single and
// double, the six-byte real (exponent biased by 129, 39-bit fraction, sign in bit 7 of the
// last byte) and the x87 extended (64-bit significand with explicit integer bit, then sign and
// exponent biased by 16383).
const std::vector<TElementCase> kCases = {
    {TCurveElementType::ShortInt, -2, {0xFE}},
    {TCurveElementType::ShortInt, 127, {0x7F}},
    {TCurveElementType::SmallInt, -2, {0xFE, 0xFF}},
    {TCurveElementType::SmallInt, 4660, {0x34, 0x12}},
    {TCurveElementType::Integer, -2, {0xFE, 0xFF, 0xFF, 0xFF}},
    {TCurveElementType::Integer, 305419896, {0x78, 0x56, 0x34, 0x12}},
    {TCurveElementType::Byte, 254, {0xFE}},
    {TCurveElementType::Word, 65534, {0xFE, 0xFF}},
    {TCurveElementType::Single, 1.5, {0x00, 0x00, 0xC0, 0x3F}},
    {TCurveElementType::Single, -0.25, {0x00, 0x00, 0x80, 0xBE}},
    {TCurveElementType::Real48, 1.0, {0x81, 0, 0, 0, 0, 0}},
    {TCurveElementType::Real48, 1.5, {0x81, 0, 0, 0, 0, 0x40}},
    {TCurveElementType::Real48, -1.5, {0x81, 0, 0, 0, 0, 0xC0}},
    {TCurveElementType::Real48, 10.0, {0x84, 0, 0, 0, 0, 0x20}},
    {TCurveElementType::Real48, 0.0, {0, 0, 0, 0, 0, 0}},
    {TCurveElementType::Double, 1.0, {0, 0, 0, 0, 0, 0, 0xF0, 0x3F}},
    {TCurveElementType::Double, -2.5, {0, 0, 0, 0, 0, 0, 0x04, 0xC0}},
    {TCurveElementType::Extended, 1.0, {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}},
    {TCurveElementType::Extended, -3.0, {0, 0, 0, 0, 0, 0, 0, 0xC0, 0x00, 0xC0}},
    {TCurveElementType::Extended,
     0.1,
     {0x00, 0xD0, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xFB, 0x3F}},
    {TCurveElementType::Extended, 0.0, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
};

TEST(CurveElements, DecodeAndEncodeHandWrittenBytes) {
    for (const auto& c : kCases) {
        SCOPED_TRACE(std::string(CurveElementTypeName(c.type)) + " " + std::to_string(c.value));
        ASSERT_EQ(CurveElementSize(c.type), c.bytes.size());
        EXPECT_EQ(DecodeCurveElement(c.type, c.bytes.data()), c.value);
        std::vector<std::uint8_t> out(c.bytes.size(), 0xAA);
        EXPECT_TRUE(EncodeCurveElement(c.type, c.value, out.data()));
        EXPECT_EQ(out, c.bytes);
    }
}

TEST(CurveElements, NamesSizesAndCodes) {
    const char* names[] = {"NONE", "SHORTINT", "SMALLINT", "INTEGER", "BYTE",
                           "WORD", "SINGLE",   "REAL48",   "DOUBLE",  "EXTENDED"};
    const std::size_t sizes[] = {0, 1, 2, 4, 1, 2, 4, 6, 8, 10};
    for (int code = 0; code < 10; ++code) {
        const auto type = static_cast<TCurveElementType>(code);
        EXPECT_EQ(CurveElementTypeFromName(names[code]), type);
        EXPECT_EQ(CurveElementSize(type), sizes[code]);
    }
    EXPECT_EQ(CurveElementTypeFromName(" double "), TCurveElementType::Double);
    EXPECT_EQ(CurveElementTypeFromName("Extended"), TCurveElementType::Extended);
    EXPECT_EQ(CurveElementTypeFromName("shortint"), TCurveElementType::ShortInt);
    EXPECT_EQ(CurveElementTypeFromName("SmallInt"), TCurveElementType::SmallInt);
    EXPECT_EQ(CurveElementTypeFromName("LONGINT"), TCurveElementType::None);
    EXPECT_EQ(CurveElementTypeFromName("float"), TCurveElementType::None);
    EXPECT_EQ(CurveElementTypeFromName(""), TCurveElementType::None);
    const std::uint8_t anything[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    EXPECT_EQ(DecodeCurveElement(TCurveElementType::None, anything), 0.0);
}

TEST(CurveElements, IntegerTypesRoundHalfEvenAndKeepLowBits) {
    struct {
        TCurveElementType type;
        double value;
        double stored;
    } cases[] = {
        {TCurveElementType::Word, 70000.4, 4464},  // 70000 = 0x11170 -> 0x1170
        {TCurveElementType::Word, 2.5, 2},
        {TCurveElementType::Word, 3.5, 4},
        {TCurveElementType::Word, -1, 65535},
        {TCurveElementType::Byte, 256 + 7.5, 8},
        {TCurveElementType::ShortInt, 200, -56},
        {TCurveElementType::SmallInt, -2.5, -2},
        {TCurveElementType::SmallInt, 40000, -25536},
        {TCurveElementType::Integer, 4294967296.0 + 5, 5},
        {TCurveElementType::Integer, 1e30, 0},  // 10^30 is a multiple of 2^32
        {TCurveElementType::Integer, std::numeric_limits<double>::quiet_NaN(), 0},
        {TCurveElementType::Word, std::numeric_limits<double>::infinity(), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.value));
        std::uint8_t bytes[4] = {};
        EncodeCurveElement(c.type, c.value, bytes);
        EXPECT_EQ(DecodeCurveElement(c.type, bytes), c.stored);
    }
}

TEST(CurveElements, Real48RoundsAndRefusesWhatItCannotHold) {
    std::uint8_t bytes[6];
    // 1 + 2^-40 lies halfway between two 39-bit fractions: rounded away from zero.
    ASSERT_TRUE(EncodeCurveElement(TCurveElementType::Real48, 1.0 + std::ldexp(1.0, -40), bytes));
    EXPECT_EQ(std::vector<std::uint8_t>(bytes, bytes + 6),
              (std::vector<std::uint8_t>{0x81, 0x01, 0, 0, 0, 0}));
    // Below 2^-128: zero bytes.
    ASSERT_TRUE(EncodeCurveElement(TCurveElementType::Real48, std::ldexp(1.0, -129), bytes));
    EXPECT_EQ(std::vector<std::uint8_t>(bytes, bytes + 6), std::vector<std::uint8_t>(6, 0));
    // The largest exponent byte 255 holds up to 2^127 (exclusive); 2^127 does not fit, nor do
    // infinities and NaN: refused with the bytes left as they were.
    const std::vector<std::uint8_t> before = {1, 2, 3, 4, 5, 6};
    for (double refused : {std::ldexp(1.0, 127), -1e300, std::numeric_limits<double>::infinity(),
                           std::numeric_limits<double>::quiet_NaN()}) {
        std::copy(before.begin(), before.end(), bytes);
        EXPECT_FALSE(EncodeCurveElement(TCurveElementType::Real48, refused, bytes)) << refused;
        EXPECT_EQ(std::vector<std::uint8_t>(bytes, bytes + 6), before) << refused;
    }
    EXPECT_TRUE(EncodeCurveElement(TCurveElementType::Real48, std::ldexp(1.0, 126), bytes));
    EXPECT_EQ(bytes[0], 255);
}

TEST(CurveElements, ExtendedSpecialValuesAndRounding) {
    const double inf = std::numeric_limits<double>::infinity();
    std::uint8_t bytes[10];
    EncodeExtended(-inf, bytes);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes, bytes + 10),
              (std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0xFF}));
    EXPECT_EQ(DecodeExtended(bytes), -inf);
    EncodeExtended(std::numeric_limits<double>::quiet_NaN(), bytes);
    EXPECT_TRUE(std::isnan(DecodeExtended(bytes)));

    // 1 + 2^-53 (significand 0x8000000000000400) is a tie between 1 and 1 + 2^-52: even wins.
    const std::uint8_t tie[10] = {0x00, 0x04, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
    EXPECT_EQ(DecodeExtended(tie), 1.0);
    const std::uint8_t above[10] = {0x01, 0x04, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
    EXPECT_EQ(DecodeExtended(above), 1.0 + std::ldexp(1.0, -52));
    // 2^16000 is far beyond a double: infinity; 2^-16000 far below: 0.
    const std::uint8_t huge[10] = {0, 0, 0, 0, 0, 0, 0, 0x80, 0x7F, 0x7E};
    EXPECT_EQ(DecodeExtended(huge), inf);
    const std::uint8_t tiny[10] = {0, 0, 0, 0, 0, 0, 0, 0x80, 0x7F, 0x01};
    EXPECT_EQ(DecodeExtended(tiny), 0.0);
    // The smallest double subnormal widens and comes back exactly.
    const double denormal = std::numeric_limits<double>::denorm_min();
    EncodeExtended(denormal, bytes);
    EXPECT_EQ(DecodeExtended(bytes), denormal);
}

// On x86-64 g++ long double is the x87 type itself: a second, independent encoder.
TEST(CurveElements, ExtendedAgreesWithTheX87Type) {
    if (std::numeric_limits<long double>::digits != 64) GTEST_SKIP();
    const double values[] = {1.0 / 3.0, -123456.789, 6.02214076e23, 1e-300, 5e-324, 1e300};
    for (double v : values) {
        std::uint8_t ours[10];
        EncodeExtended(v, ours);
        long double x = v;
        std::uint8_t theirs[16] = {};
        std::memcpy(theirs, &x, 10);
        EXPECT_EQ(std::vector<std::uint8_t>(ours, ours + 10),
                  std::vector<std::uint8_t>(theirs, theirs + 10));
        // A value with bits a double cannot hold rounds the way the FPU rounds it.
        const long double odd = static_cast<long double>(v) * (1.0L + 0x1p-60L);
        std::memcpy(theirs, &odd, 10);
        EXPECT_EQ(DecodeExtended(theirs), static_cast<double>(odd));
    }
}

}  // namespace
