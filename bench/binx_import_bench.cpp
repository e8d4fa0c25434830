// Importing a 100 MB BINX file (version 07, SAR-like: glow curves of 500 points and OSL shines
// of 1 000 channels over 48 positions) beside reading its bytes: the reader alone, the
// conversion into our records in memory, and the whole import with the files written. Each
// checks the record count and the counts of one curve.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "import/binx_reader.h"
#include "import/binx_writer.h"
#include "tools/binx_conversion.h"
#include "tools/binx_import.h"

namespace {

namespace fs = std::filesystem;

constexpr uint64_t kTargetBytes = 100u << 20;

struct TBinxFile {
    std::string folder, path;
    int records = 0;
    uint64_t bytes = 0;
    double firstOslSum = 0;  // the counts of the second record, the first OSL shine

    TBinxFile() {
        std::string pattern = (fs::temp_directory_path() / "orvane-bench-XXXXXX").string();
        folder = ::mkdtemp(pattern.data());
        path = folder + "/BIG.binx";
        std::vector<uint8_t> out;
        out.reserve(kTargetBytes + 8192);
        uint32_t previous = 0;
        TBinxRecord r;
        r.version = 7;
        r.sample = "BENCH";
        r.date = "160326";
        r.tag = 1;
        r.rate = 5;
        r.lightPower = 90;
        r.doseRate = 0.1f;
        while (out.size() < kTargetBytes) {
            const int n = records++;
            const bool tl = n % 2 == 0;
            r.position = (n / 2) % 48 + 1;
            r.run = n / 96 + 1;
            r.lumType = tl ? kBinxTL : kBinxOSL;
            r.lightSource = tl ? 0 : kBinxBlueDiodes;
            r.high = tl ? 500.0f : 40.0f;
            r.temperature = tl ? 0 : 125;
            r.irrTime = tl || (n / 96) % 2 == 1 ? 0.0f : 100.0f * ((n / 192) % 5);
            r.counts.resize(tl ? 500 : 1000);
            for (std::size_t i = 0; i < r.counts.size(); ++i)
                r.counts[i] = static_cast<uint32_t>(tl ? 10 + i : 20 + 5000 / (1 + i));
            if (n == 1)
                for (uint32_t c : r.counts) firstOslSum += c;
            previous = AppendBinxRecord(r, previous, out);
        }
        bytes = out.size();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(out.data()), static_cast<long>(out.size()));
    }
    ~TBinxFile() {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
};

const TBinxFile& File() {
    static const TBinxFile file;
    return file;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    std::vector<uint8_t> bytes(static_cast<std::size_t>(in.tellg()));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<long>(bytes.size()));
    return bytes;
}

double CurveSum(const TImportedMeasurement& m) {
    double sum = 0;
    for (double v : m.curve) sum += v;
    return sum;
}

void SetBytes(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * File().bytes));
    state.counters["records"] = File().records;
}

void BM_ReadBytes(benchmark::State& state) {
    for (auto _ : state) {
        const std::vector<uint8_t> bytes = ReadBytes(File().path);
        if (bytes.size() != File().bytes) state.SkipWithError("short read");
        benchmark::DoNotOptimize(bytes.data());
    }
    SetBytes(state);
}

void BM_ReadBinx(benchmark::State& state) {
    for (auto _ : state) {
        const TBinxReadResult r = ReadBinx(ReadBytes(File().path));
        if (!r.Ok() || static_cast<int>(r.records.size()) != File().records)
            state.SkipWithError("wrong record count");
        double sum = 0;
        for (uint32_t c : r.records[1].counts) sum += c;
        if (sum != File().firstOslSum) state.SkipWithError("wrong counts");
    }
    SetBytes(state);
}

void BM_ConvertInMemory(benchmark::State& state) {
    for (auto _ : state) {
        const TBinxReadResult r = ReadBinx(ReadBytes(File().path));
        const TBinxConversion c = ConvertBinxRecords(r.records, {});
        const TImportedBytes bytes = EncodeImportedRecords(c);
        if (static_cast<int>(c.measurements.size()) != File().records)
            state.SkipWithError("wrong record count");
        // Every count of a shine that the channels cover is kept.
        if (std::abs(CurveSum(c.measurements[1]) - File().firstOslSum) > 1e-6 * File().firstOslSum)
            state.SkipWithError("wrong counts");
        benchmark::DoNotOptimize(bytes.main.data());
    }
    SetBytes(state);
}

void BM_ImportToFolder(benchmark::State& state) {
    const std::string out = File().folder + "/out";
    for (auto _ : state) {
        const TBinxImportResult r = ImportBinxFile(File().path, out, {}, true);
        if (r.records != File().records) state.SkipWithError("wrong record count");
    }
    SetBytes(state);
}

}  // namespace

BENCHMARK(BM_ReadBytes)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ReadBinx)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ConvertInMemory)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ImportToFolder)->Unit(benchmark::kMillisecond)->MinTime(2.0);
