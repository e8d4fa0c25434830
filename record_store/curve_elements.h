#pragma once
// Numeric element types of curve fields and their byte encodings. A curve is a run of elements
// of one type, one after the other from the start of its field, little-endian, without gaps.
#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

// The element type of a curve (its numeric type); the order is the type's code (0 to 9) as
// used in the curve-field extension of a schema.
enum class TNumericType {
    None,
    ShortInt,  // signed 8-bit
    SmallInt,  // signed 16-bit
    Integer,   // signed 32-bit
    Byte,      // unsigned 8-bit
    Word,      // unsigned 16-bit
    Single,    // IEEE single
    Real48,    // six-byte real
    Double,    // IEEE double
    Extended,  // 80-bit x87 extended
};
using TCurveElementType = TNumericType;

// Nearest integer, halves to the even one (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
double RoundHalfEven(double x);

// Bytes taken by one element (0 for None).
std::size_t CurveElementSize(TCurveElementType type);

// "NONE", "SHORTINT", ..., "EXTENDED", compared without regard to case; blanks around the
// name are ignored. An unknown name gives None.
TCurveElementType CurveElementTypeFromName(std::string_view name);
const char* CurveElementTypeName(TCurveElementType type);

// Integer element types are stored as integers (and rounded when written).
bool IsIntegerElementType(TCurveElementType type);

// Decodes one element from `bytes` (CurveElementSize(type) bytes). None gives 0.
double DecodeCurveElement(TCurveElementType type, const std::uint8_t* bytes);

// Encodes `value` into `bytes` (CurveElementSize(type) bytes). Integer types take the value
// rounded to the nearest integer (halves to the even one) and keep its low 8, 16 or 32 bits;
// NaN and infinities store 0. Single takes the nearest single, Double the value, Extended
// the value widened (exactly). A value a six-byte real cannot hold (too large, NaN or
// infinite) returns false and leaves the bytes untouched; every other case returns true.
bool EncodeCurveElement(TCurveElementType type, double value, std::uint8_t* bytes);

// 80-bit x87 extended <-> double, by bytes (10 bytes, little-endian: 64-bit significand with
// its explicit integer bit, then sign and 15-bit exponent). Decoding rounds to the nearest
// double, halves to even; widening is exact.
double DecodeExtended(const std::uint8_t* bytes);
void EncodeExtended(double value, std::uint8_t* bytes);

// Encodes `values` as DOUBLE elements from `bytes` on (8 bytes each, little-endian).
inline void EncodeDoubleElements(std::span<const double> values, std::uint8_t* bytes) {
    if constexpr (std::endian::native == std::endian::little) {
        if (!values.empty()) std::memcpy(bytes, values.data(), values.size() * sizeof(double));
    } else {
        for (std::size_t k = 0; k < values.size(); ++k)
            EncodeCurveElement(TCurveElementType::Double, values[k], bytes + k * sizeof(double));
    }
}

// Elements k = 0 .. count - 1 of `type` decoded from `bytes`, written to out[first + k];
// elements whose bytes lie beyond `bytes` read 0. `out` must hold first + count values.
template <class TOut>
void DecodeCurveElements(const std::uint8_t* bytes, std::size_t byteCount, TCurveElementType type,
                         int count, TOut& out, std::size_t first) {
    if (type == TCurveElementType::Double && std::endian::native == std::endian::little) {
        // The common case, and the one whole files are walked in: the bytes are the doubles.
        const auto n = static_cast<std::size_t>(std::max(count, 0));
        const std::size_t whole = std::min(n, byteCount / sizeof(double));
        for (std::size_t k = 0; k < whole; ++k) {
            double d;
            std::memcpy(&d, bytes + k * sizeof(double), sizeof d);
            out[first + k] = d;
        }
        for (std::size_t k = whole; k < n; ++k) out[first + k] = 0.0;
        return;
    }
    const std::size_t size = CurveElementSize(type);
    for (int k = 0; k < count; ++k) {
        const std::size_t end = (static_cast<std::size_t>(k) + 1) * size;
        out[first + k] =
            (size > 0 && end <= byteCount) ? DecodeCurveElement(type, bytes + end - size) : 0.0;
    }
}
