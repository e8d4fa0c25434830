#include "import/binx_reader.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "import/binx_layout.h"

namespace {

// Little-endian reads from a record whose header is known to lie inside the buffer.
uint8_t U8(const uint8_t* p) {
    return p[0];
}
uint16_t U16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
int16_t I16(const uint8_t* p) {
    return static_cast<int16_t>(U16(p));
}
uint32_t U32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
float F32(const uint8_t* p) {
    const uint32_t u = U32(p);
    float f;
    std::memcpy(&f, &u, sizeof f);
    return f;
}
// A Pascal string: a length byte and a W-byte field; the length is clamped to W.
std::string PString(const uint8_t* p, int width) {
    const int n = std::min<int>(p[0], width);
    return std::string(reinterpret_cast<const char*>(p + 1), static_cast<std::size_t>(n));
}

void DecodeHeader(const uint8_t* p, int version, TBinxRecord& r) {
    const TBinxLayout l = BinxLayoutOf(version);
    const bool old = version <= 4;
    if (old) {
        r.position = U8(p + l.position);
        r.run = U8(p + l.run);
        r.set = U8(p + l.set);
    } else {
        r.position = I16(p + l.position);
        r.run = I16(p + l.run);
        r.set = I16(p + l.set);
    }
    r.grain = I16(p + l.grain);
    r.sample = PString(p + l.sample, 20);
    r.comment = PString(p + l.comment, 80);
    r.time = PString(p + l.time, 6);
    r.date = PString(p + l.date, 6);
    r.dataType = U8(p + l.dataType);
    r.tag = U8(p + l.tag);
    r.lumType = U8(p + l.lumType);
    r.lightSource = U8(p + l.lightSource);
    r.lightPower = F32(p + l.lightPower);
    r.low = F32(p + l.low);
    r.high = F32(p + l.high);
    r.rate = F32(p + l.rate);
    r.temperature = I16(p + l.temperature);
    r.anTemp = F32(p + l.anTemp);
    r.anTime = F32(p + l.anTime);
    r.irrTime = F32(p + l.irrTime);
    if (l.doseRate >= 0) {
        r.hasDoseRate = true;
        r.doseRate = F32(p + l.doseRate);
    }
    if (l.doseRateError >= 0) r.doseRateError = F32(p + l.doseRateError);
}

}  // namespace

std::string TBinxReadResult::Message() const {
    if (failure == TBinxFailure::None) return {};
    if (failure == TBinxFailure::NotBinx || failure == TBinxFailure::Cancelled) return failureText;
    return "record " + std::to_string(failedRecord) + " at byte " + std::to_string(failedOffset) +
           ": " + failureText;
}

TBinxReadResult ReadBinx(std::span<const uint8_t> bytes, const TBinxProgress& progress) {
    TBinxReadResult result;
    const uint64_t size = bytes.size();
    const auto fail = [&](TBinxFailure kind, int number, uint64_t offset, std::string text) {
        result.failure = kind;
        result.failedRecord = number;
        result.failedOffset = offset;
        result.failureText = std::move(text);
        result.records.clear();
        return result;
    };
    if (size == 0) return fail(TBinxFailure::NotBinx, 0, 0, "the file is empty");

    uint64_t offset = 0;
    uint32_t previousLength = 0;
    int firstVersion = 0;
    bool mixed = false;
    int previousMismatches = 0;
    int skippedTypes = 0;
    uint64_t lastReport = 0;
    for (int number = 1; offset < size; ++number) {
        if (progress && offset - lastReport >= (1u << 22)) {
            lastReport = offset;
            if (!progress(offset, size))
                return fail(TBinxFailure::Cancelled, number, offset, "Import cancelled");
        }
        const uint8_t* p = bytes.data() + offset;
        const uint64_t left = size - offset;
        const int version = left >= 2 && p[1] == 0 ? p[0] : 0;
        const int header = BinxHeaderSize(version);
        if (header == 0) {
            if (number == 1) {
                return fail(TBinxFailure::NotBinx, 1, 0,
                            "the file does not begin with a BIN/BINX record (version 03 to 08)");
            }
            return fail(TBinxFailure::Damaged, number, offset,
                        left < 2 ? "the file ends inside the record's version"
                                 : "the version bytes " + std::to_string(p[0]) + " " +
                                       std::to_string(p[1]) + " are not a version 03 to 08");
        }
        const bool old = version <= 4;
        const uint64_t framing = old ? 8 : 14;
        if (left < framing) {
            return fail(TBinxFailure::Damaged, number, offset,
                        "the file ends inside the record's framing (" + std::to_string(left) +
                            " bytes left)");
        }
        TBinxRecord r;
        r.number = number;
        r.offset = offset;
        r.version = version;
        r.length = old ? U16(p + 2) : U32(p + 2);
        r.previous = old ? U16(p + 4) : U32(p + 6);
        r.npoints = old ? U16(p + 6) : U32(p + 10);
        if (left < static_cast<uint64_t>(header)) {
            return fail(TBinxFailure::Damaged, number, offset,
                        "the file ends inside the record's header (" + std::to_string(left) +
                            " of " + std::to_string(header) + " bytes)");
        }
        r.recordType = version == 8 ? p[14] : 0;
        const uint64_t pointSize = r.recordType == kBinxRoiRecord ? 504 : 4;
        const uint64_t expected = header + pointSize * r.npoints;
        const bool knownType =
            r.recordType == 0 || r.recordType == 1 || r.recordType == kBinxRoiRecord;
        if (knownType && r.length != expected) {
            return fail(TBinxFailure::Damaged, number, offset,
                        "LENGTH " + std::to_string(r.length) + " does not match NPOINTS " +
                            std::to_string(r.npoints) + " (" + std::to_string(expected) +
                            " bytes)");
        }
        if (r.length < static_cast<uint64_t>(header)) {
            return fail(TBinxFailure::Damaged, number, offset,
                        "LENGTH " + std::to_string(r.length) + " is shorter than the header (" +
                            std::to_string(header) + " bytes)");
        }
        if (left < r.length) {
            return fail(TBinxFailure::Damaged, number, offset,
                        "the file ends inside the record (" + std::to_string(left) + " of " +
                            std::to_string(r.length) + " bytes)");
        }
        if (firstVersion == 0) firstVersion = version;
        mixed = mixed || version != firstVersion;
        if (number > 1 && r.previous != previousLength && previousMismatches++ == 0) {
            result.warnings.push_back("Record " + std::to_string(number) + " at byte " +
                                      std::to_string(offset) + ": PREVIOUS " +
                                      std::to_string(r.previous) +
                                      " differs from the length of the record before it (" +
                                      std::to_string(previousLength) + ")");
        }
        previousLength = r.length;
        if (!knownType) {
            ++skippedTypes;
        } else {
            DecodeHeader(p, version, r);
            if (r.recordType != kBinxRoiRecord) {
                r.counts.resize(r.npoints);
                const uint8_t* data = p + header;
                if (r.npoints == 0) {
                    // NPOINTS 0 is legal framing: a record without data.
                } else if constexpr (std::endian::native == std::endian::little) {
                    std::memcpy(r.counts.data(), data, 4 * static_cast<std::size_t>(r.npoints));
                } else {
                    for (uint32_t i = 0; i < r.npoints; ++i) r.counts[i] = U32(data + 4 * i);
                }
            }
        if (result.records.empty()) {
            // Records of one file are mostly of one size: room for that many at once.
            result.records.reserve(static_cast<std::size_t>(std::min<uint64_t>(
                size / std::max<uint64_t>(r.length, 1) + 1, uint64_t{1} << 20)));
        }
        result.records.push_back(std::move(r));
        }
        offset += previousLength;
    }
    if (previousMismatches > 1) {
        result.warnings.push_back(std::to_string(previousMismatches) +
                                  " records have a PREVIOUS that differs from the length of the "
                                  "record before them");
    }
    if (mixed) result.warnings.push_back("The file mixes record versions");
    if (skippedTypes > 0) {
        result.warnings.push_back(std::to_string(skippedTypes) +
                                  " records of an unknown RECTYPE were stepped over");
    }
    return result;
}
