#include "fitting/format_scientific.h"

#include <charconv>
#include <cmath>

namespace {

// Fixed notation with a '.' whatever the C locale says.
std::string Fixed(int digits, double value) {
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, digits);
    return std::string(buffer, result.ptr);
}

}  // namespace

std::string FormatScientific(int width, int digits, double x, std::string_view decimalSeparator) {
    if (digits < 1 || digits > 13) digits = 3;
    std::string text;
    if (x == 0.0 || !std::isfinite(x)) {
        text = Fixed(digits, x == 0.0 ? 0.0 : x);
    } else {
        const double magnitude = std::fabs(x);
        int exponent = static_cast<int>(std::floor(std::log10(magnitude)));
        double mantissa = magnitude / std::pow(10.0, exponent);
        // log10 may land just beside an integer; keep the mantissa in [1, 10).
        if (mantissa >= 10.0) {
            mantissa /= 10.0;
            ++exponent;
        } else if (mantissa < 1.0) {
            mantissa *= 10.0;
            --exponent;
        }
        // A mantissa that rounds up to 10 at this precision is written as 1 of the next decade.
        if (Fixed(digits, mantissa).starts_with("10")) {
            mantissa /= 10.0;
            ++exponent;
        }
        text = Fixed(digits, x < 0.0 ? -mantissa : mantissa);
        if (exponent != 0) {
            text.append(exponent > 0 ? "E+" : "E").append(std::to_string(exponent));
        }
    }
    const std::size_t point = text.find('.');
    if (point != std::string::npos) text.replace(point, 1, decimalSeparator);
    if (width > 0 && text.size() < static_cast<std::size_t>(width)) {
        text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
    }
    return text;
}
