// Numbers as text for files and JSON: the same texts as printf in the C locale, and no
// difference when the process runs under a locale with a decimal comma.
#include "platform/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

#include "comma_locale.h"

namespace {

// printf under the C locale: the independent reference.
std::string Printf(const char* format, int precision, double value) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, precision, value);
    return buffer;
}

}  // namespace

TEST(NumberText, WritesAsPrintfInTheCLocaleWhateverTheProcessLocale) {
    const double values[] = {0.0,   -0.0,    0.1,      1.0 / 3.0, 31488.0,      12.25,
                             -2.5,  1e-7,    6.02e23,  1234.565,  1e300,        5e-324,
                             0.125, 99999.5, 1e15 + 1, -1e-300,   2.0 / 3.0e10, 65535.0};
    std::string expected[3][std::size(values)];
    for (std::size_t i = 0; i < std::size(values); ++i) {
        expected[0][i] = Printf("%.*g", 15, values[i]);
        expected[1][i] = Printf("%.*f", 3, values[i]);
        expected[2][i] = Printf("%.*e", 5, values[i]);
    }
    for (const bool comma : {false, true}) {
        std::optional<TCommaNumericLocale> locale;
        if (comma) {
            locale.emplace();
            if (!locale->Active()) GTEST_SKIP() << "no de_DE locale on this system";
            ASSERT_EQ(Printf("%.*f", 1, 0.5), "0,5");  // the C library follows it
        }
        for (std::size_t i = 0; i < std::size(values); ++i) {
            EXPECT_EQ(NumberGeneral(values[i], 15), expected[0][i]) << values[i];
            EXPECT_EQ(NumberFixed(values[i], 3), expected[1][i]) << values[i];
            EXPECT_EQ(NumberScientific(values[i], 5), expected[2][i]) << values[i];
            double back = 0;
            ASSERT_TRUE(ParseNumberText(NumberShortest(values[i]), back)) << values[i];
            EXPECT_EQ(back, values[i]);
        }
    }
}

TEST(NumberText, ReadsWholeDecimalNumbersWithAPointOnly) {
    struct Case {
        const char* text;
        bool ok;
        double value;
    };
    const Case cases[] = {
        {"0.5", true, 0.5},   {"+0.5", true, 0.5}, {"-12.25", true, -12.25}, {"1e3", true, 1000},
        {"1E-2", true, 0.01}, {".5", true, 0.5},   {"7", true, 7},           {"0,5", false, 0},
        {"", false, 0},       {"+", false, 0},     {"++1", false, 0},        {"+-1", false, 0},
        {" 1", false, 0},     {"1 ", false, 0},    {"1.5x", false, 0},       {"inf", false, 0},
        {"nan", false, 0},    {"1e999", false, 0}, {"0x10", false, 0},
    };
    for (const bool comma : {false, true}) {
        std::optional<TCommaNumericLocale> locale;
        if (comma) locale.emplace();
        for (const Case& c : cases) {
            double value = -1;
            EXPECT_EQ(ParseNumberText(c.text, value), c.ok) << c.text << " comma " << comma;
            if (c.ok) EXPECT_EQ(value, c.value) << c.text;
        }
    }
}
