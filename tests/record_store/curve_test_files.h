#pragma once
// Small helpers for tests that write record files and schemas by hand in a temporary folder.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "temp_folder.h"

namespace curve_test {

using TBytes = std::vector<std::uint8_t>;

using ::TTempFolder;

inline void WriteFile(const std::string& path, const TBytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
}

inline void WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

inline TBytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return TBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void CopyDataFile(const std::string& name, const std::string& target) {
    std::filesystem::copy_file(std::string(ORVANE_TEST_DATA) + "/record_store/curves/" + name,
                               target, std::filesystem::copy_options::overwrite_existing);
}

// Little-endian stores into a record being written by hand.
inline void Put8(TBytes& b, std::size_t at, std::uint8_t v) {
    b.at(at) = v;
}
inline void Put16(TBytes& b, std::size_t at, std::uint16_t v) {
    b.at(at) = static_cast<std::uint8_t>(v & 0xFF);
    b.at(at + 1) = static_cast<std::uint8_t>(v >> 8);
}
inline void Put32(TBytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.at(at + i) = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void PutFloat(TBytes& b, std::size_t at, float f) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, 4);
    Put32(b, at, bits);
}
inline void PutDouble(TBytes& b, std::size_t at, double d) {
    std::uint64_t bits;
    std::memcpy(&bits, &d, 8);
    for (int i = 0; i < 8; ++i) b.at(at + i) = static_cast<std::uint8_t>(bits >> (8 * i));
}
inline double GetDouble(const TBytes& b, std::size_t at) {
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) bits = (bits << 8) | b.at(at + i);
    double d;
    std::memcpy(&d, &bits, 8);
    return d;
}

}  // namespace curve_test

namespace curve_test {

// The message of the TEditorError (or other exception) `f` throws; empty when none.
template <class F>
std::string ErrorOf(F&& f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return {};
}

// Byte offsets of the hand-written schema tests/data/record_store/curves/DAT.sch.
namespace dat {
constexpr std::size_t kMainSize = 175;
constexpr std::size_t kSubSize = 1584;
constexpr std::size_t kRun = 0, kDisk = 2, kPosition = 4, kDev = 6, kNpt = 8, kSpacing = 10;
constexpr std::size_t kHasCurve = 14, kTLRun = 16;
constexpr std::size_t kTimeBase10 = 29, kTimeBase100 = 31, kTimeBase1000 = 33, kTimeBase10000 = 35;
constexpr std::size_t kSampleTempHi = 37, kSampleTemp = 38, kOslBgd = 39;
constexpr std::size_t kNormalizationFactor = 123;   // six-byte real
constexpr std::size_t kShift = 129;                 // single
constexpr std::size_t kRaw = 0, kSubtracted = 800;  // in the sub part
}  // namespace dat

}  // namespace curve_test
