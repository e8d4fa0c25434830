#pragma once
// Scientific number texts for logs and printed results: 1.250E+4, -5.00E-2.
#include <string>
#include <string_view>

// Mantissa with `digits` decimals (1..13, else 3) and "E+d"/"E-d" exponent (none for an
// exponent of 0); 0 in fixed notation. The decimal point becomes decimalSeparator and the
// text is padded on the left with blanks to at least width characters.
std::string FormatScientific(int width, int digits, double x,
                             std::string_view decimalSeparator = ".");
