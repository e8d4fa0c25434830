#include "platform/number_text.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace {

template <typename... Format>
std::string ToChars(double value, Format... format) {
    // Fixed notation of the largest double needs 309 digits before the point.
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, format...);
    if (result.ec != std::errc()) return std::string();
    return std::string(buffer, result.ptr);
}

}  // namespace

std::string NumberGeneral(double value, int significant) {
    return ToChars(value, std::chars_format::general, significant < 1 ? 1 : significant);
}

std::string NumberFixed(double value, int decimals) {
    return ToChars(value, std::chars_format::fixed, decimals < 0 ? 0 : decimals);
}

std::string NumberScientific(double value, int decimals) {
    return ToChars(value, std::chars_format::scientific, decimals < 0 ? 0 : decimals);
}

std::string NumberShortest(double value) {
    return ToChars(value);
}

bool ParseNumberText(std::string_view text, double& value) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && (text.front() == '+' || text.front() == '-')) return false;
    }
    if (text.empty()) return false;
    double v = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), v);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return false;
    if (!std::isfinite(v)) return false;
    value = v;
    return true;
}
