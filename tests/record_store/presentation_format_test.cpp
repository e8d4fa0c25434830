#include "record_store/presentation_format.h"

#include <gtest/gtest.h>

#include <optional>

#include "comma_locale.h"

using namespace presentation;

TEST(PresentationFormat, FixedRoundsHalvesAwayFromZero) {
    struct Case {
        double value;
        int decimals;
        const char* text;
    } cases[] = {
        {2.5, 0, "3"},
        {1.5, 0, "2"},
        {-2.5, 0, "-3"},
        {0.125, 2, "0.13"},
        {34.56, 1, "34.6"},
        {34.5, 2, "34.50"},
        {0.04, 1, "0.0"},
        {-0.04, 1, "0.0"},
        {0, 2, "0.00"},
        {99.95, 1, "100.0"},
        {1e20, 0, "100000000000000000000"},
        {0.0005, 3, "0.001"},
        {123456.789, 2, "123456.79"},
        // 1.005 is 1.00499999999999989... in binary: the first 18 digits decide.
        {1.005, 2, "1.00"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatFixed(c.value, c.decimals), c.text) << c.value << " " << c.decimals;
}

TEST(PresentationFormat, BleachHoursOfTheDescriptions) {
    EXPECT_EQ(D0(90.0 / 60), "2");   // 1.5
    EXPECT_EQ(D0(150.0 / 60), "3");  // 2.5 away from zero
    EXPECT_EQ(D0(120.0 / 60), "2");
}

TEST(PresentationFormat, DecimalSeparatorIsUsed) {
    EXPECT_EQ(FormatFixed(12.25, 1, ','), "12,3");
    EXPECT_EQ(FormatGeneral(0.5, ','), "0,5");
}

TEST(PresentationFormat, HashPicturesDropTheLeadingZero) {
    EXPECT_EQ(FormatHashDecimals(0.5, 1), ".5");
    EXPECT_EQ(FormatHashDecimals(0, 1), ".0");
    EXPECT_EQ(FormatHashDecimals(2, 1), "2.0");
    EXPECT_EQ(FormatHashDecimals(5.55, 2), "5.55");
    EXPECT_EQ(FormatHashDecimals(10.25, 1), "10.3");
}

TEST(PresentationFormat, GeneralFloatText) {
    EXPECT_EQ(FormatGeneral(12.5), "12.5");
    EXPECT_EQ(FormatGeneral(3), "3");
    EXPECT_EQ(FormatGeneral(0.1 + 0.2), "0.3");
    EXPECT_EQ(FormatGeneral(1.23456, '.', 4), "1.235");
}

TEST(PresentationFormat, UnitIsCutAtTheFirstSlash) {
    EXPECT_EQ(CutUnit("Gy/min"), "Gy");
    EXPECT_EQ(CutUnit("Gy"), "Gy");
    EXPECT_EQ(CutUnit("/s"), "");
    EXPECT_EQ(CutUnit("a/b/c"), "a");
}

TEST(PresentationFormat, ParseNumberAcceptsBothSeparators) {
    double v = 0;
    EXPECT_TRUE(ParseNumber(" 12,5 ", ',', v));
    EXPECT_DOUBLE_EQ(v, 12.5);
    EXPECT_TRUE(ParseNumber("12.5", ',', v));
    EXPECT_DOUBLE_EQ(v, 12.5);
    EXPECT_FALSE(ParseNumber("", '.', v));
    EXPECT_FALSE(ParseNumber("12x", '.', v));
    EXPECT_FALSE(ParseNumber("abc", '.', v));
}

TEST(PresentationFormat, TextsAndReadingDoNotDependOnTheProcessLocale) {
    // The window runs with the C library's locale set from the user's environment: a comma
    // locale must change nothing but the separator the caller asks for.
    struct Case {
        const char* typed;
        char separator;
        double value;
    };
    const Case cases[] = {{"3148,8", ',', 3148.8},
                          {" 0,10 ", ',', 0.1},
                          {"43.20", ',', 43.2},
                          {"12.5", '.', 12.5},
                          {"-1e3", '.', -1000}};
    for (const bool comma : {false, true}) {
        std::optional<TCommaNumericLocale> locale;
        if (comma) {
            locale.emplace();
            if (!locale->Active()) GTEST_SKIP() << "no de_DE locale on this system";
        }
        for (const Case& c : cases) {
            double v = 0;
            EXPECT_TRUE(ParseNumber(c.typed, c.separator, v)) << c.typed << " comma " << comma;
            EXPECT_DOUBLE_EQ(v, c.value) << c.typed;
        }
        EXPECT_EQ(FormatFixed(3148.8, 2, ','), "3148,80");
        EXPECT_EQ(FormatFixed(0.125, 2), "0.13");
        EXPECT_EQ(FormatGeneral(0.1 + 0.2), "0.3");
        EXPECT_EQ(FormatGeneral(1.23456, ',', 4), "1,235");
    }
}
