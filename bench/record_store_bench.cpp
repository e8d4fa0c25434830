// Opening and saving a record file at the 32 767-record limit with a 1 584-byte sub part,
// beside plain reads and writes of the same bytes (the physical limit of this machine).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "record_store/bin_data_set.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRecords = 32767;
constexpr size_t kMainSize = 544;
constexpr size_t kSubSize = 1584;

// The file set, made once in a temporary folder and removed at exit.
struct FileSet {
    std::string folder;
    std::string dat, sub;
    std::vector<char> mainBytes, subBytes;

    FileSet() {
        std::string pattern = (fs::temp_directory_path() / "orvane-bench-XXXXXX").string();
        folder = ::mkdtemp(pattern.data());
        dat = folder + "/BENCH.DAT";
        sub = folder + "/BENCH.SUB";
        std::FILE* schema = std::fopen((folder + "/DAT.sch").c_str(), "w");
        std::fputs(
            "FILETYPE = FIXED BINARY\n"
            "FIELD1 = Run#, NUMERIC, 4, 0\n"
            "FIELD2 = Position, WORD, 2, 4\n"
            "FIELD3 = Remark, CHAR, 8, 6\n"
            "FIELD4 = Has curve, BOOL, 1, 14\n"
            "FIELD5 = Settings, BYTES, 529, 15\n"
            "[SUB]\n"
            "FIELD6 = Raw data, BYTES, 800, 0, DOUBLE, 100\n"
            "FIELD7 = Subtracted data, BYTES, 784, 800, DOUBLE, 98\n",
            schema);
        std::fclose(schema);
        mainBytes.assign(kMainSize * kRecords, 0);
        subBytes.assign(kSubSize * kRecords, 0);
        for (int i = 0; i < kRecords; ++i) {
            char* m = mainBytes.data() + i * kMainSize;
            m[0] = static_cast<char>(i);
            m[1] = static_cast<char>(i >> 8);
            m[14] = 1;
            for (size_t k = 0; k < kSubSize; ++k)
                subBytes[i * kSubSize + k] = static_cast<char>(i + k);
        }
        Write(dat, mainBytes);
        Write(sub, subBytes);
    }
    ~FileSet() {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
    static void Write(const std::string& path, const std::vector<char>& bytes) {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    static std::vector<char> Read(const std::string& path) {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        std::vector<char> bytes(fs::file_size(path));
        size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        bytes.resize(got);
        return bytes;
    }
};

FileSet& Files() {
    static FileSet files;
    return files;
}

void SetBytes(benchmark::State& state) {
    state.SetBytesProcessed(state.iterations() *
                            static_cast<int64_t>((kMainSize + kSubSize) * kRecords));
}

// The throughput figures count every record of the file set; each benchmark checks that it
// handled all of them before reporting.
bool WholeFileSet(benchmark::State& state, size_t mainBytes, size_t subBytes) {
    if (mainBytes == kMainSize * kRecords && subBytes == kSubSize * kRecords) return true;
    state.SkipWithError(("handled " + std::to_string(mainBytes) + " + " +
                         std::to_string(subBytes) + " bytes, not the whole file set")
                            .c_str());
    return false;
}

void BM_PlainRead(benchmark::State& state) {
    FileSet& files = Files();
    size_t mainBytes = 0, subBytes = 0;
    for (auto _ : state) {
        std::vector<char> m = FileSet::Read(files.dat);
        std::vector<char> s = FileSet::Read(files.sub);
        benchmark::DoNotOptimize(m.data());
        benchmark::DoNotOptimize(s.data());
        mainBytes = m.size();
        subBytes = s.size();
    }
    if (WholeFileSet(state, mainBytes, subBytes)) SetBytes(state);
}

void BM_OpenClose(benchmark::State& state) {
    FileSet& files = Files();
    int records = 0;
    for (auto _ : state) {
        TBinDataSet ds;
        ds.SetFileName(files.dat);
        ds.Open();
        // DoNotOptimize on a copy: GCC may leave the variable itself stale after it.
        int count = ds.RecordCount();
        benchmark::DoNotOptimize(count);
        records = ds.RecordCount();
        ds.Close();
    }
    if (records != kRecords) {
        state.SkipWithError(("opened " + std::to_string(records) + " records").c_str());
        return;
    }
    state.counters["records"] = records;
    SetBytes(state);
}

void BM_PlainWrite(benchmark::State& state) {
    FileSet& files = Files();
    const std::string m = files.folder + "/PLAIN.DAT";
    const std::string s = files.folder + "/PLAIN.SUB";
    for (auto _ : state) {
        FileSet::Write(m, files.mainBytes);
        FileSet::Write(s, files.subBytes);
    }
    SetBytes(state);
}

// Save of the open store to its own name: new files written, backups rotated.
void BM_Save(benchmark::State& state) {
    FileSet& files = Files();
    TBinDataSet ds;
    ds.SetFileName(files.dat);
    ds.Open();
    for (auto _ : state) ds.SaveToFile(files.dat);
    ds.SetModified(false);
    ds.Close();
    if (WholeFileSet(state, fs::file_size(files.dat), fs::file_size(files.sub))) SetBytes(state);
}

BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenClose)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond);

}  // namespace
