#pragma once
// Number formatting and rounding of the texts the editor shows for records.
#include <string>

namespace presentation {

// `value` with `decimals` decimals and no padding, rounded at the last shown decimal with
// halves going away from zero. The decision is taken on the value's first 18 significant
// decimal digits, so 2.5 gives "3" and 0.125 with two decimals "0.13". A result of zero
// carries no sign.
std::string FormatFixed(double value, int decimals, char decimalSeparator = '.');

// The descriptions' shorthands: D0, D and D2.
inline std::string D0(double v, char sep = '.') {
    return FormatFixed(v, 0, sep);
}
inline std::string D1(double v, char sep = '.') {
    return FormatFixed(v, 1, sep);
}
inline std::string D2(double v, char sep = '.') {
    return FormatFixed(v, 2, sep);
}

// A float as the grid shows a plain float field: the shortest text of at most 15 significant
// digits ("12.5", "0.001", "1E+20").
std::string FormatGeneral(double value, char decimalSeparator = '.', int significant = 15);

// A picture format of the kind "#.0" / "#.00": `decimals` decimals, and no digit before the
// separator when the integer part is zero (0.5 gives ".5", 0 gives ".0").
std::string FormatHashDecimals(double value, int decimals, char decimalSeparator = '.');

// The unit text up to its first "/" ("Gy/min" gives "Gy"); a text without "/" stays whole.
std::string CutUnit(const std::string& unit);

// Parses a number typed by the user: blanks around it are allowed, and either "." or the
// given separator marks the decimals. False when the text is not a number.
bool ParseNumber(const std::string& text, char decimalSeparator, double& value);

}  // namespace presentation
