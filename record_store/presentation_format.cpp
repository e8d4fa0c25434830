#include "record_store/presentation_format.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/number_text.h"

namespace presentation {

namespace {

// Adds one to a string of decimal digits.
void Increment(std::string& digits) {
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return;
        }
        *it = '0';
    }
    digits.insert(digits.begin(), '1');
}

std::string ReplaceSeparator(std::string text, char sep) {
    if (sep != '.') {
        for (char& c : text)
            if (c == '.') c = sep;
    }
    return text;
}

}  // namespace

std::string FormatFixed(double value, int decimals, char decimalSeparator) {
    if (!std::isfinite(value)) return std::isnan(value) ? "NAN" : (value < 0 ? "-INF" : "INF");
    if (decimals < 0) decimals = 0;
    const bool negative = value < 0;
    // 18 significant digits: d.ddddddddddddddddde[+-]x
    const std::string buf = NumberScientific(std::fabs(value), 17);
    std::string digits;
    for (const char* p = buf.c_str(); *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') digits += *p;
    const int exponent = std::atoi(std::strchr(buf.c_str(), 'e') + 1);
    // value = digits * 10^(exponent - 17); scaled = value * 10^decimals
    const int shift = exponent - 17 + decimals;
    std::string scaled;
    if (value == 0) {
        scaled = "0";
    } else if (shift >= 0) {
        scaled = digits + std::string(static_cast<size_t>(shift), '0');
    } else if (-shift > static_cast<int>(digits.size())) {
        scaled = "0";
    } else {
        const size_t keep = digits.size() - static_cast<size_t>(-shift);
        scaled = digits.substr(0, keep);
        if (scaled.empty()) scaled.assign(1, '0');
        if (digits[keep] >= '5') Increment(scaled);
    }
    // Drop leading zeros but keep at least decimals + 1 digits.
    size_t first = scaled.find_first_not_of('0');
    scaled = first == std::string::npos ? "0" : scaled.substr(first);
    const bool zero = scaled == "0";
    if (static_cast<int>(scaled.size()) < decimals + 1)
        scaled.insert(0, static_cast<size_t>(decimals + 1) - scaled.size(), '0');
    std::string text = scaled;
    if (decimals > 0) text.insert(text.size() - static_cast<size_t>(decimals), 1, decimalSeparator);
    if (negative && !zero) text.insert(0, 1, '-');
    return text;
}

std::string FormatGeneral(double value, char decimalSeparator, int significant) {
    std::string text = NumberGeneral(value, significant);
    for (char& c : text)
        if (c == 'e') c = 'E';
    return ReplaceSeparator(text, decimalSeparator);
}

std::string FormatHashDecimals(double value, int decimals, char decimalSeparator) {
    std::string text = FormatFixed(value, decimals, decimalSeparator);
    // "#" before the separator: an integer part of zero shows no digit.
    const bool negative = !text.empty() && text[0] == '-';
    const size_t start = negative ? 1 : 0;
    if (text.size() > start + 1 && text[start] == '0' && text[start + 1] == decimalSeparator)
        text.erase(start, 1);
    return text;
}

std::string CutUnit(const std::string& unit) {
    const size_t slash = unit.find('/');
    return slash == std::string::npos ? unit : unit.substr(0, slash);
}

bool ParseNumber(const std::string& text, char decimalSeparator, double& value) {
    std::string t = text;
    const size_t b = t.find_first_not_of(" \t");
    if (b == std::string::npos) return false;
    const size_t e = t.find_last_not_of(" \t");
    t = t.substr(b, e - b + 1);
    for (char& c : t)
        if (c == decimalSeparator) c = '.';
    for (char c : t)
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+' ||
              c == 'e' || c == 'E'))
            return false;
    return ParseNumberText(t, value);
}

}  // namespace presentation
