#include "cli/json_writer.h"

#include <charconv>
#include <cmath>

namespace {

// Length of the valid UTF-8 sequence starting at text[i], or 0 when it is not one.
size_t Utf8SequenceLength(std::string_view text, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char c = byte(i);
    size_t length = 0;
    std::uint32_t code = 0;
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
        code = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        code = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        code = c & 0x07;
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    // Overlong forms, surrogates and code points past U+10FFFF are not valid.
    if ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF)) ||
        (code >= 0xD800 && code <= 0xDFFF)) {
        return 0;
    }
    return length;
}

}  // namespace

std::string JsonQuoted(std::string_view text) {
    static const char kHex[] = "0123456789abcdef";
    std::string out = "\"";
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            const size_t length = Utf8SequenceLength(text, i);
            if (length > 0) {
                out.append(text.substr(i, length));
                i += length;
            } else {  // a Latin-1 byte
                out += static_cast<char>(0xC0 | (c >> 6));
                out += static_cast<char>(0x80 | (c & 0x3F));
                ++i;
            }
            continue;
        }
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    out += "\\u00";
                    out += kHex[c >> 4];
                    out += kHex[c & 0x0F];
                } else {
                    out += static_cast<char>(c);
                }
        }
        ++i;
    }
    out += '"';
    return out;
}

std::string ShortestDouble(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string JsonNumber(double value) {
    return std::isfinite(value) ? ShortestDouble(value) : std::string("null");
}

std::string JsonStringArray(const std::vector<std::string>& texts) {
    std::string out = "[";
    for (std::size_t i = 0; i < texts.size(); ++i) out += (i ? "," : "") + JsonQuoted(texts[i]);
    return out + "]";
}

void TJsonWriter::NewLine() {
    out_ << '\n';
    for (size_t i = 0; i < levels_.size(); ++i) out_ << "  ";
}

void TJsonWriter::BeforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!levels_.empty()) {
        Level& level = levels_.back();
        if (level.count++ > 0) out_ << ',';
        NewLine();
    }
}

void TJsonWriter::BeginObject() {
    BeforeValue();
    out_ << '{';
    levels_.push_back({false, 0});
}

void TJsonWriter::EndObject() {
    const bool empty = levels_.back().count == 0;
    levels_.pop_back();
    if (!empty) NewLine();
    out_ << '}';
}

void TJsonWriter::BeginArray() {
    BeforeValue();
    out_ << '[';
    levels_.push_back({true, 0});
}

void TJsonWriter::EndArray() {
    const bool empty = levels_.back().count == 0;
    levels_.pop_back();
    if (!empty) NewLine();
    out_ << ']';
}

void TJsonWriter::Key(std::string_view name) {
    Level& level = levels_.back();
    if (level.count++ > 0) out_ << ',';
    NewLine();
    out_ << JsonQuoted(name) << ": ";
    afterKey_ = true;
}

void TJsonWriter::String(std::string_view text) {
    BeforeValue();
    out_ << JsonQuoted(text);
}

void TJsonWriter::Integer(std::int64_t value) {
    BeforeValue();
    out_ << value;
}

void TJsonWriter::Double(double value) {
    BeforeValue();
    out_ << JsonNumber(value);
}

void TJsonWriter::Bool(bool value) {
    BeforeValue();
    out_ << (value ? "true" : "false");
}

void TJsonWriter::Null() {
    BeforeValue();
    out_ << "null";
}

void TJsonWriter::DoubleArray(const std::vector<double>& values) {
    BeforeValue();
    out_ << '[';
    for (size_t i = 0; i < values.size(); ++i) {
        if (i > 0) out_ << ", ";
        out_ << JsonNumber(values[i]);
    }
    out_ << ']';
}

void TJsonWriter::Finish() {
    out_ << '\n';
}
