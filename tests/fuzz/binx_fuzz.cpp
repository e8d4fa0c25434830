// Fuzzing the BIN/BINX reader and the conversion of what it reads into our records.
// Properties: every record read lies inside the input and its counts are its NPOINTS; read
// records written again read back as the same records; converted curves fit the record
// format, are finite and hold no more counts than the source.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

#include "import/binx_reader.h"
#include "import/binx_writer.h"
#include "tools/binx_conversion.h"
#include "tools/binx_import.h"
#include "tools/curve_rebinning.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool SameRecord(const TBinxRecord& a, const TBinxRecord& b) {
    const bool old = a.version <= 4;
    const auto low8 = [old](int v) { return old ? (v & 0xFF) : static_cast<int16_t>(v); };
    return a.version == b.version && low8(a.position) == b.position && low8(a.run) == b.run &&
           low8(a.set) == b.set && a.grain == b.grain && a.sample == b.sample &&
           a.comment == b.comment && a.time == b.time && a.date == b.date && a.tag == b.tag &&
           a.lumType == b.lumType && a.lightSource == b.lightSource && a.dataType == b.dataType &&
           SameBits(a.low, b.low) && SameBits(a.high, b.high) && SameBits(a.rate, b.rate) &&
           a.temperature == b.temperature && SameBits(a.anTemp, b.anTemp) &&
           SameBits(a.anTime, b.anTime) && SameBits(a.lightPower, b.lightPower) &&
           SameBits(a.irrTime, b.irrTime) && SameBits(a.doseRate, b.doseRate) &&
           SameBits(a.doseRateError, b.doseRateError) && a.counts == b.counts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const TBinxReadResult read = ReadBinx(std::span<const uint8_t>(data, size));
    if (!read.Ok()) {
        Check(!read.Message().empty() && read.records.empty());
        return 0;
    }
    std::vector<TBinxRecord> curves;
    uint64_t previousEnd = 0;
    for (const TBinxRecord& r : read.records) {
        Check(r.offset >= previousEnd && r.offset + r.length <= size);
        previousEnd = r.offset + r.length;
        if (r.recordType != kBinxRoiRecord) {
            Check(r.counts.size() == r.npoints);
            if (r.recordType == 0 && r.npoints < 20000) curves.push_back(r);
        }
    }
    // Written again, the curve records read back as they were.
    if (!curves.empty()) {
        const std::vector<uint8_t> again = EncodeBinxFile(curves);
        const TBinxReadResult reread = ReadBinx(again);
        Check(reread.Ok() && reread.records.size() == curves.size());
        for (std::size_t i = 0; i < curves.size(); ++i) Check(SameRecord(curves[i], reread.records[i]));
    }
    const TBinxConversion conversion = ConvertBinxRecords(read.records, {});
    for (const TImportedMeasurement& m : conversion.measurements) {
        Check(m.curve.size() == static_cast<std::size_t>(kMaxTLPoints));
        Check(m.npt >= 0 && m.npt <= (m.tl ? kMaxTLPoints - 1 : kMaxOslChannels));
        double sum = 0;
        for (double v : m.curve) {
            Check(std::isfinite(v) && v >= 0);
            sum += v;
        }
        const TBinxRecord* source = nullptr;
        for (const TBinxRecord& r : read.records)
            if (r.number == m.sourceRecord) source = &r;
        Check(source != nullptr);
        double total = 0;
        for (uint32_t c : source->counts) total += c;
        Check(sum <= total * (1 + 1e-9) + 1e-6);
        Check(std::isfinite(m.irradiationSeconds) && m.irradiationSeconds >= 0);
    }
    const TImportedBytes bytes = EncodeImportedRecords(conversion);
    Check(bytes.main.size() % 213 == 0 || conversion.singleGrain);
    return 0;
}
