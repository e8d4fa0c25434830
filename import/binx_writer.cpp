#include "import/binx_writer.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "import/binx_layout.h"

namespace {

void Put16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
void PutF32(uint8_t* p, float f) {
    uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    Put32(p, u);
}
void PutString(uint8_t* p, const std::string& text, int width) {
    const std::size_t n = std::min<std::size_t>(text.size(), static_cast<std::size_t>(width));
    p[0] = static_cast<uint8_t>(n);
    std::memcpy(p + 1, text.data(), n);
}

}  // namespace

uint32_t AppendBinxRecord(const TBinxRecord& r, uint32_t previousLength,
                          std::vector<uint8_t>& out) {
    const int version = std::clamp(r.version, 3, 8);
    const TBinxLayout l = BinxLayoutOf(version);
    const bool old = version <= 4;
    const auto length = static_cast<uint32_t>(l.header + 4 * r.counts.size());
    const std::size_t start = out.size();
    out.resize(start + length, 0);
    uint8_t* p = out.data() + start;
    p[0] = static_cast<uint8_t>(version);
    const auto npoints = static_cast<uint32_t>(r.counts.size());
    if (old) {
        Put16(p + 2, length);
        Put16(p + 4, previousLength);
        Put16(p + 6, npoints);
        p[l.position] = static_cast<uint8_t>(r.position);
        p[l.run] = static_cast<uint8_t>(r.run);
        p[l.set] = static_cast<uint8_t>(r.set);
    } else {
        Put32(p + 2, length);
        Put32(p + 6, previousLength);
        Put32(p + 10, npoints);
        if (version == 8) p[14] = r.recordType;
        Put16(p + l.position, static_cast<uint32_t>(r.position));
        Put16(p + l.run, static_cast<uint32_t>(r.run));
        Put16(p + l.set, static_cast<uint32_t>(r.set));
    }
    Put16(p + l.grain, static_cast<uint32_t>(r.grain));
    PutString(p + l.sample, r.sample, 20);
    PutString(p + l.comment, r.comment, 80);
    PutString(p + l.time, r.time, 6);
    PutString(p + l.date, r.date, 6);
    p[l.dataType] = r.dataType;
    p[l.tag] = r.tag;
    p[l.lumType] = r.lumType;
    p[l.lightSource] = r.lightSource;
    PutF32(p + l.lightPower, r.lightPower);
    PutF32(p + l.low, r.low);
    PutF32(p + l.high, r.high);
    PutF32(p + l.rate, r.rate);
    Put16(p + l.temperature, static_cast<uint32_t>(r.temperature));
    PutF32(p + l.anTemp, r.anTemp);
    PutF32(p + l.anTime, r.anTime);
    PutF32(p + l.irrTime, r.irrTime);
    if (l.doseRate >= 0) PutF32(p + l.doseRate, r.doseRate);
    if (l.doseRateError >= 0) PutF32(p + l.doseRateError, r.doseRateError);
    uint8_t* data = p + l.header;
    for (std::size_t i = 0; i < r.counts.size(); ++i) Put32(data + 4 * i, r.counts[i]);
    return length;
}

std::vector<uint8_t> EncodeBinxFile(const std::vector<TBinxRecord>& records) {
    std::vector<uint8_t> out;
    uint32_t previous = 0;
    for (const TBinxRecord& r : records) previous = AppendBinxRecord(r, previous, out);
    return out;
}
