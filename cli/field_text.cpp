#include "cli/field_text.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "cli/cli_support.h"
#include "cli/json_writer.h"
#include "platform/number_text.h"
#include "record_store/editor_error.h"

std::string DateText(const TDate& date) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

std::string TimeText(std::uint32_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u.%03u", ms / 3600000u, ms / 60000u % 60u,
                  ms / 1000u % 60u, ms % 1000u);
    return text;
}

std::string DateTimeText(const TDateTime& value) {
    return DateText(value.date) + "T" + TimeText(value.ms);
}

std::string HexText(const TBytes& bytes) {
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (std::uint8_t b : bytes) {
        text += kHex[b >> 4];
        text += kHex[b & 0x0F];
    }
    return text;
}

void WriteFieldValue(TJsonWriter& json, const TFieldValue& value) {
    struct Visitor {
        TJsonWriter& json;
        void operator()(std::monostate) const { json.Null(); }
        void operator()(const std::string& s) const { json.String(s); }
        void operator()(std::int64_t i) const { json.Integer(i); }
        void operator()(double d) const { json.Double(d); }
        void operator()(bool b) const { json.Bool(b); }
        void operator()(const TDate& d) const { json.String(DateText(d)); }
        void operator()(const TTime& t) const { json.String(TimeText(t.ms)); }
        void operator()(const TDateTime& t) const { json.String(DateTimeText(t)); }
        void operator()(const TBytes& b) const { json.String(HexText(b)); }
    };
    std::visit(Visitor{json}, value);
}

namespace {

[[noreturn]] void Invalid(const std::string& text, const std::string& what) {
    throw TEditorError(InQuotes(text) + " is not a valid " + what);
}

// Reads an unsigned decimal number of exactly `digits` digits at text[pos].
bool ReadDigits(const std::string& text, size_t& pos, int digits, int& value) {
    if (pos + digits > text.size()) return false;
    value = 0;
    for (int i = 0; i < digits; ++i) {
        const char c = text[pos + i];
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        value = value * 10 + (c - '0');
    }
    pos += digits;
    return true;
}

bool ReadChar(const std::string& text, size_t& pos, char c) {
    if (pos >= text.size() || text[pos] != c) return false;
    ++pos;
    return true;
}

bool ParseDate(const std::string& text, size_t& pos, TDate& date) {
    return ReadDigits(text, pos, 4, date.year) && ReadChar(text, pos, '-') &&
           ReadDigits(text, pos, 2, date.month) && ReadChar(text, pos, '-') &&
           ReadDigits(text, pos, 2, date.day) && IsValidDate(date);
}

bool ParseTime(const std::string& text, size_t& pos, std::uint32_t& ms) {
    int h = 0, m = 0, s = 0, milli = 0;
    if (!(ReadDigits(text, pos, 2, h) && ReadChar(text, pos, ':') && ReadDigits(text, pos, 2, m) &&
          ReadChar(text, pos, ':') && ReadDigits(text, pos, 2, s))) {
        return false;
    }
    if (ReadChar(text, pos, '.') && !ReadDigits(text, pos, 3, milli)) return false;
    if (h > 23 || m > 59 || s > 59) return false;
    ms = static_cast<std::uint32_t>(((h * 60 + m) * 60 + s) * 1000 + milli);
    return true;
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The range of integers a field of this type and width stores without losing bits.
void IntegerRange(const TBinField& field, std::int64_t& low, std::int64_t& high) {
    if (field.width == 1) {
        low = 0;
        high = 255;
    } else if (field.width == 2) {
        low = 0;
        high = 65535;
    } else if (field.type == TFieldType::Integer && field.width == 4) {
        low = INT32_MIN;
        high = INT32_MAX;
    } else {
        low = 0;
        high = 0;
    }
}

}  // namespace

TFieldValue ParseFieldText(const TBinField& field, const std::string& text) {
    switch (field.type) {
        case TFieldType::String:
            return text;
        case TFieldType::Integer:
        case TFieldType::Word: {
            std::int64_t value = 0;
            const char* end = text.data() + text.size();
            const auto result = std::from_chars(text.data(), end, value);
            if (text.empty() || result.ec != std::errc() || result.ptr != end) {
                Invalid(text, "integer value");
            }
            std::int64_t low = 0, high = 0;
            IntegerRange(field, low, high);
            if (value < low || value > high) {
                throw TEditorError(InQuotes(text) + " is out of range for field " +
                                   InQuotes(field.name));
            }
            return value;
        }
        case TFieldType::Float: {
            double value = 0;
            if (!ParseNumberText(text, value)) {
                Invalid(text, "floating point value");
            }
            return value;
        }
        case TFieldType::Boolean: {
            const std::string word = Lower(text);
            if (word == "true" || word == "yes" || word == "1") return true;
            if (word == "false" || word == "no" || word == "0") return false;
            Invalid(text, "boolean value");
        }
        case TFieldType::Date: {
            TDate date;
            size_t pos = 0;
            if (!ParseDate(text, pos, date) || pos != text.size()) Invalid(text, "date");
            return date;
        }
        case TFieldType::Time: {
            TTime time;
            size_t pos = 0;
            if (!ParseTime(text, pos, time.ms) || pos != text.size()) Invalid(text, "time");
            return time;
        }
        case TFieldType::DateTime: {
            TDateTime value;
            size_t pos = 0;
            if (!ParseDate(text, pos, value.date) || !ReadChar(text, pos, 'T') ||
                !ParseTime(text, pos, value.ms) || pos != text.size()) {
                Invalid(text, "date and time");
            }
            return value;
        }
        case TFieldType::Bytes: {
            if (text.size() % 2 != 0 || text.size() / 2 > static_cast<size_t>(field.width)) {
                Invalid(text, "byte string for field '" + field.name + "'");
            }
            TBytes bytes;
            for (size_t i = 0; i < text.size(); i += 2) {
                unsigned value = 0;
                const auto result =
                    std::from_chars(text.data() + i, text.data() + i + 2, value, 16);
                if (result.ec != std::errc() || result.ptr != text.data() + i + 2) {
                    Invalid(text, "byte string for field '" + field.name + "'");
                }
                bytes.push_back(static_cast<std::uint8_t>(value));
            }
            bytes.resize(field.width, 0);
            return bytes;
        }
        case TFieldType::Unknown:
            break;
    }
    throw TEditorError("Field '" + field.name + "' cannot be written");
}
