#include "record_store/curve_elements.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstring>
#include <limits>

#include "record_store/field_codec.h"
#include "record_store/field_types.h"

double RoundHalfEven(double x) {
    if (!std::isfinite(x)) return x;
    if (std::fabs(x - std::trunc(x)) == 0.5) return 2.0 * std::round(x / 2.0);
    return std::round(x);
}

namespace {

constexpr std::array<const char*, 10> kTypeNames = {"NONE",   "SHORTINT", "SMALLINT", "INTEGER",
                                                    "BYTE",   "WORD",     "SINGLE",   "REAL48",
                                                    "DOUBLE", "EXTENDED"};

constexpr std::array<std::size_t, 10> kTypeSizes = {0, 1, 2, 4, 1, 2, 4, 6, 8, 10};

std::uint64_t LoadLE(const std::uint8_t* bytes, int count) {
    std::uint64_t v = 0;
    for (int i = count - 1; i >= 0; --i) v = (v << 8) | bytes[i];
    return v;
}

void StoreLE(std::uint64_t v, std::uint8_t* bytes, int count) {
    for (int i = 0; i < count; ++i) {
        bytes[i] = static_cast<std::uint8_t>(v & 0xFF);
        v >>= 8;
    }
}

// The low 32 bits of the integer nearest to `value` (two's complement); 0 for NaN and
// infinities. fmod is exact, so even values far beyond 2^32 keep their true low bits.
std::uint32_t LowBits32(double value) {
    const double r = RoundHalfEven(value);
    if (!std::isfinite(r)) return 0;
    double m = std::fmod(r, 4294967296.0);
    if (m < 0) m += 4294967296.0;
    return static_cast<std::uint32_t>(m);
}

}  // namespace

std::size_t CurveElementSize(TCurveElementType type) {
    const int code = static_cast<int>(type);
    if (code < 0 || code >= static_cast<int>(kTypeSizes.size())) return 0;
    return kTypeSizes[code];
}

TCurveElementType CurveElementTypeFromName(std::string_view name) {
    std::size_t first = 0;
    std::size_t last = name.size();
    while (first < last && std::isspace(static_cast<unsigned char>(name[first]))) ++first;
    while (last > first && std::isspace(static_cast<unsigned char>(name[last - 1]))) --last;
    const std::string_view trimmed = name.substr(first, last - first);
    for (std::size_t code = 0; code < kTypeNames.size(); ++code) {
        if (EqualNoCase(trimmed, kTypeNames[code])) return static_cast<TCurveElementType>(code);
    }
    return TCurveElementType::None;
}

const char* CurveElementTypeName(TCurveElementType type) {
    const int code = static_cast<int>(type);
    if (code < 0 || code >= static_cast<int>(kTypeNames.size())) return kTypeNames[0];
    return kTypeNames[code];
}

bool IsIntegerElementType(TCurveElementType type) {
    switch (type) {
        case TCurveElementType::ShortInt:
        case TCurveElementType::SmallInt:
        case TCurveElementType::Integer:
        case TCurveElementType::Byte:
        case TCurveElementType::Word:
            return true;
        default:
            return false;
    }
}

double DecodeCurveElement(TCurveElementType type, const std::uint8_t* bytes) {
    switch (type) {
        case TCurveElementType::None:
            return 0.0;
        case TCurveElementType::ShortInt:
            return static_cast<std::int8_t>(bytes[0]);
        case TCurveElementType::SmallInt:
            return static_cast<std::int16_t>(LoadLE(bytes, 2));
        case TCurveElementType::Integer:
            return static_cast<std::int32_t>(LoadLE(bytes, 4));
        case TCurveElementType::Byte:
            return bytes[0];
        case TCurveElementType::Word:
            return static_cast<double>(LoadLE(bytes, 2));
        case TCurveElementType::Single: {
            const auto bits = static_cast<std::uint32_t>(LoadLE(bytes, 4));
            float f;
            std::memcpy(&f, &bits, sizeof f);
            return f;
        }
        case TCurveElementType::Real48:
            return Real48ToDouble(bytes);
        case TCurveElementType::Double: {
            const std::uint64_t bits = LoadLE(bytes, 8);
            double d;
            std::memcpy(&d, &bits, sizeof d);
            return d;
        }
        case TCurveElementType::Extended:
            return DecodeExtended(bytes);
    }
    return 0.0;
}

bool EncodeCurveElement(TCurveElementType type, double value, std::uint8_t* bytes) {
    switch (type) {
        case TCurveElementType::None:
            return true;
        case TCurveElementType::ShortInt:
        case TCurveElementType::Byte:
            StoreLE(LowBits32(value), bytes, 1);
            return true;
        case TCurveElementType::SmallInt:
        case TCurveElementType::Word:
            StoreLE(LowBits32(value), bytes, 2);
            return true;
        case TCurveElementType::Integer:
            StoreLE(LowBits32(value), bytes, 4);
            return true;
        case TCurveElementType::Single: {
            const float f = static_cast<float>(value);
            std::uint32_t bits;
            std::memcpy(&bits, &f, sizeof bits);
            StoreLE(bits, bytes, 4);
            return true;
        }
        case TCurveElementType::Real48:
            return DoubleToReal48(value, bytes);
        case TCurveElementType::Double: {
            std::uint64_t bits;
            std::memcpy(&bits, &value, sizeof bits);
            StoreLE(bits, bytes, 8);
            return true;
        }
        case TCurveElementType::Extended:
            EncodeExtended(value, bytes);
            return true;
    }
    return true;
}

double DecodeExtended(const std::uint8_t* bytes) {
    const std::uint64_t significand = LoadLE(bytes, 8);
    const unsigned signExp = static_cast<unsigned>(LoadLE(bytes + 8, 2));
    const bool negative = (signExp & 0x8000) != 0;
    const int biased = static_cast<int>(signExp & 0x7FFF);
    double magnitude;
    if (biased == 0x7FFF) {
        magnitude = (significand << 1) == 0 ? std::numeric_limits<double>::infinity()
                                            : std::numeric_limits<double>::quiet_NaN();
    } else if (significand == 0) {
        magnitude = 0.0;
    } else {
        // value = significand x 2^scale; the smallest exponent field acts as 1 (denormals).
        const int scale = (biased == 0 ? 1 : biased) - 16383 - 63;
        int top = 63;
        while (((significand >> top) & 1) == 0) --top;
        // Exponent of the last bit a double keeps: 52 bits below the top one, but not below
        // the double's subnormal step 2^-1074.
        const int keepExp = std::max(top + scale - 52, -1074);
        const int drop = keepExp - scale;
        std::uint64_t kept;
        if (drop <= 0) {
            kept = significand;
            magnitude = std::ldexp(static_cast<double>(kept), scale);
        } else {
            // Round the dropped bits to nearest, ties to even.
            if (drop > 64) {
                kept = 0;
            } else if (drop == 64) {
                kept = significand > (std::uint64_t{1} << 63) ? 1 : 0;
            } else {
                kept = significand >> drop;
                const std::uint64_t rest = significand & ((std::uint64_t{1} << drop) - 1);
                const std::uint64_t half = std::uint64_t{1} << (drop - 1);
                if (rest > half || (rest == half && (kept & 1))) ++kept;
            }
            magnitude = std::ldexp(static_cast<double>(kept), keepExp);
        }
    }
    return negative ? -magnitude : magnitude;
}

void EncodeExtended(double value, std::uint8_t* bytes) {
    std::uint64_t significand = 0;
    unsigned signExp = std::signbit(value) ? 0x8000 : 0;
    if (std::isnan(value)) {
        std::uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        // A quiet NaN keeping the double's payload in its top fraction bits.
        significand = 0xC000000000000000ULL | ((bits & 0x000FFFFFFFFFFFFFULL) << 11);
        signExp |= 0x7FFF;
    } else if (std::isinf(value)) {
        significand = 0x8000000000000000ULL;
        signExp |= 0x7FFF;
    } else if (value != 0.0) {
        int exp2 = 0;
        const double m = std::frexp(std::fabs(value), &exp2);  // |value| = m x 2^exp2
        significand = static_cast<std::uint64_t>(std::ldexp(m, 64));
        signExp |= static_cast<unsigned>(exp2 - 1 + 16383);
    }
    StoreLE(significand, bytes, 8);
    StoreLE(signExp, bytes + 8, 2);
}
