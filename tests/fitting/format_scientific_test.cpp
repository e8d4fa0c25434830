#include "fitting/format_scientific.h"

#include <gtest/gtest.h>

TEST(FormatScientific, Cases) {
    const struct {
        int width, digits;
        double x;
        const char* text;
    } cases[] = {
        {0, 3, 12500.0, "1.250E+4"},
        {10, 2, -0.05, "  -5.00E-2"},
        {0, 0, 12500.0, "1.250E+4"},
        {0, 14, 12500.0, "1.250E+4"},
        {0, 3, 0.0, "0.000"},
        {6, 1, 0.0, "   0.0"},
        {0, 3, 1.5, "1.500"},
        {0, 3, -1.5, "-1.500"},
        {0, 3, 1000.0, "1.000E+3"},
        {0, 2, 0.001, "1.00E-3"},
        {0, 4, 123.456, "1.2346E+2"},
        {0, 3, 9.9996, "1.000E+1"},
        {0, 3, -9.9996, "-1.000E+1"},
        {0, 3, 0.099996, "1.000E-1"},
        {0, 3, 9.9994, "9.999"},
        {3, 3, 2.0e-12, "2.000E-12"},
        {0, 13, 1.0, "1.0000000000000"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatScientific(c.width, c.digits, c.x), c.text)
            << c.width << " " << c.digits << " " << c.x;
    }
}

TEST(FormatScientific, LocaleDecimalSeparator) {
    EXPECT_EQ(FormatScientific(0, 3, 12500.0, ","), "1,250E+4");
    EXPECT_EQ(FormatScientific(9, 3, -0.0125, ","), "-1,250E-2");
}
