#include "record_store/field_codec.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "record_store/curve_elements.h"

namespace {

uint64_t ReadLE(std::span<const uint8_t> bytes, size_t n) {
    n = std::min(n, bytes.size());
    uint64_t v = 0;
    for (size_t i = 0; i < n; ++i) v |= static_cast<uint64_t>(bytes[i]) << (8 * i);
    return v;
}

void WriteLE(std::span<uint8_t> bytes, size_t n, uint64_t v) {
    n = std::min(n, bytes.size());
    for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(v >> (8 * i));
}

// A FLOAT field holds one element of the type its width names; other widths hold nothing
// (they read as 0 and store zero bytes).
TCurveElementType FloatElementType(size_t width) {
    switch (width) {
        case 4:
            return TCurveElementType::Single;
        case 6:
            return TCurveElementType::Real48;
        case 8:
            return TCurveElementType::Double;
        default:
            return TCurveElementType::None;
    }
}

}  // namespace

double Real48ToDouble(const uint8_t* b) {
    if (b[0] == 0) return 0.0;
    uint64_t f = static_cast<uint64_t>(b[1]) | static_cast<uint64_t>(b[2]) << 8 |
                 static_cast<uint64_t>(b[3]) << 16 | static_cast<uint64_t>(b[4]) << 24 |
                 static_cast<uint64_t>(b[5] & 0x7F) << 32;
    double mant = 1.0 + std::ldexp(static_cast<double>(f), -39);
    double v = std::ldexp(mant, static_cast<int>(b[0]) - 129);
    return (b[5] & 0x80) ? -v : v;
}

bool DoubleToReal48(double value, uint8_t* bytes) {
    if (std::isnan(value) || std::isinf(value)) return false;
    double mag = std::fabs(value);
    if (mag < std::ldexp(1.0, -128)) {
        std::memset(bytes, 0, 6);
        return true;
    }
    int exp = 0;
    double m = std::frexp(mag, &exp);  // mag = m * 2^exp, m in [0.5, 1)
    int e = exp - 1 + 129;
    // The 39 fraction bits, rounded half away from zero (the magnitude is positive).
    double frac = std::floor((m * 2.0 - 1.0) * 549755813888.0 + 0.5);
    uint64_t f = static_cast<uint64_t>(frac);
    if (f >= (uint64_t{1} << 39)) {
        f = 0;
        ++e;
    }
    if (e > 255) return false;
    bytes[0] = static_cast<uint8_t>(e);
    for (int i = 0; i < 4; ++i) bytes[1 + i] = static_cast<uint8_t>(f >> (8 * i));
    bytes[5] = static_cast<uint8_t>((f >> 32) & 0x7F) | (value < 0 ? 0x80 : 0x00);
    return true;
}

uint16_t PackDate(const TDate& d) {
    const int64_t year = static_cast<int64_t>(d.year) - 1900;
    return static_cast<uint16_t>((year & 0x7F) << 9 | (d.day & 0x1F) << 4 | (d.month & 0x0F));
}

TDate UnpackDate(uint16_t w) {
    return TDate{(w >> 9) + 1900, w & 0x0F, (w >> 4) & 0x1F};
}

double DateTimeToTimestamp(const TDateTime& v) {
    return static_cast<double>(DaysSinceEpoch1(v.date) + 1) * 86400000.0 + v.ms;
}

TDateTime TimestampToDateTime(double ts) {
    TDateTime r;
    if (!std::isfinite(ts) || std::fabs(ts) > 1.0e17) ts = 0;
    double days = std::floor(ts / 86400000.0);
    double ms = ts - days * 86400000.0;
    r.date = DateFromDaysSinceEpoch1(static_cast<int64_t>(days) - 1);
    r.ms = static_cast<uint32_t>(std::clamp(std::nearbyint(ms), 0.0, 86399999.0));
    return r;
}

TFieldValue DecodeField(TFieldType type, std::span<const uint8_t> bytes) {
    const size_t w = bytes.size();
    switch (type) {
        case TFieldType::String: {
            if (w == 0) return std::string();
            if (w == 1) return bytes[0] == 0 ? std::string() : std::string(1, char(bytes[0]));
            size_t len = std::min<size_t>(bytes[0], w - 1);
            return std::string(reinterpret_cast<const char*>(bytes.data() + 1), len);
        }
        case TFieldType::Float:
            return DecodeCurveElement(FloatElementType(w), bytes.data());
        case TFieldType::Integer:
            if (w == 4) return static_cast<int64_t>(static_cast<int32_t>(ReadLE(bytes, 4)));
            return static_cast<int64_t>(ReadLE(bytes, 4));
        case TFieldType::Word:
            if (w == 1 || w == 2) return static_cast<int64_t>(ReadLE(bytes, w));
            return int64_t{0};
        case TFieldType::Boolean:
            return w > 0 && bytes[0] != 0;
        case TFieldType::Date: {
            uint16_t word = static_cast<uint16_t>(ReadLE(bytes, 2));
            return word == 0 ? CurrentDate() : UnpackDate(word);
        }
        case TFieldType::Time: {
            uint32_t ms = static_cast<uint32_t>(ReadLE(bytes, 4));
            return ms == 0 ? CurrentTime() : TTime{ms};
        }
        case TFieldType::DateTime: {
            double d = 0;
            if (w == 8) std::memcpy(&d, bytes.data(), 8);
            return TimestampToDateTime(d);
        }
        case TFieldType::Bytes:
            return TBytes(bytes.begin(), bytes.end());
        case TFieldType::Unknown:
            break;
    }
    return std::monostate{};
}

bool EncodeField(TFieldType type, const TFieldValue& value, std::span<uint8_t> bytes) {
    const TFieldValue v = ConvertValue(value, type);
    const size_t w = bytes.size();
    std::vector<uint8_t> out(w, 0);
    std::span<uint8_t> o(out);
    switch (type) {
        case TFieldType::String: {
            const std::string& s = std::get<std::string>(v);
            if (w == 1) {
                out[0] = s.empty() ? 0 : static_cast<uint8_t>(s[0]);
            } else if (w > 1) {
                size_t len = std::min<size_t>({s.size(), w - 1, 255});
                out[0] = static_cast<uint8_t>(len);
                std::memcpy(out.data() + 1, s.data(), len);
            }
            break;
        }
        case TFieldType::Float:
            if (!EncodeCurveElement(FloatElementType(w), std::get<double>(v), out.data())) {
                return false;
            }
            break;
        case TFieldType::Integer:
            if (w == 1 || w == 2 || w == 4)
                WriteLE(o, w, static_cast<uint64_t>(std::get<int64_t>(v)));
            break;
        case TFieldType::Word:
            if (w == 1 || w == 2) WriteLE(o, w, static_cast<uint64_t>(std::get<int64_t>(v)));
            break;
        case TFieldType::Boolean:
            if (w > 0) out[0] = std::get<bool>(v) ? 1 : 0;
            break;
        case TFieldType::Date:
            WriteLE(o, 2, PackDate(std::get<TDate>(v)));
            break;
        case TFieldType::Time:
            WriteLE(o, 4, std::get<TTime>(v).ms);
            break;
        case TFieldType::DateTime:
            if (w == 8) {
                double d = DateTimeToTimestamp(std::get<TDateTime>(v));
                std::memcpy(out.data(), &d, 8);
            }
            break;
        case TFieldType::Bytes: {
            const TBytes& b = std::get<TBytes>(v);
            std::memcpy(out.data(), b.data(), std::min(b.size(), w));
            break;
        }
        case TFieldType::Unknown:
            return false;
    }
    std::copy(out.begin(), out.end(), bytes.begin());
    return true;
}

int CalculatedFieldWidth(TFieldType type, int size) {
    switch (type) {
        case TFieldType::String:
            return std::clamp(size, 0, 255) + 1;
        case TFieldType::Float:
        case TFieldType::DateTime:
            return 8;
        case TFieldType::Integer:
        case TFieldType::Time:
            return 4;
        case TFieldType::Word:
        case TFieldType::Date:
            return 2;
        case TFieldType::Boolean:
            return 1;
        case TFieldType::Bytes:
            return std::max(size, 0);
        case TFieldType::Unknown:
            break;
    }
    return 0;
}
