// Background subtraction and deglitching on a file at the 32 767-record limit, each set
// against one save of that file, the median of seven: ratio_to_save in elapsed time (what the
// user waits for; a save waits for its files to reach the disk), cpu_ratio_to_save in
// processor time, and cpu_ratio_to_fastest_save against the fastest of the seven saves. The
// file repeats the records of the bundled sample, so it holds OSL samples with their
// background runs and TL glow curves.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "record_store/bin_data_set.h"
#include "record_store/curve_fields.h"
#include "record_store/views.h"
#include "tools/background_subtraction.h"
#include "tools/deglitch.h"
#include "tools/sample_generator.h"
#include "tools/sample_schemas.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRecords = TBinDataSet::kMaxRecordsWithSubPart;

// Processor time of this process (user and system): on a machine shared with other work the
// wall clock measures the others as well.
double CpuSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

double WallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Elapsed and processor seconds of one piece of work.
struct TTimes {
    double wall = 0, cpu = 0;
    TTimes& operator+=(const TTimes& t) {
        wall += t.wall;
        cpu += t.cpu;
        return *this;
    }
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

template <class Work>
TTimes Timed(Work&& work) {
    const double wall = WallSeconds(), cpu = CpuSeconds();
    work();
    return {WallSeconds() - wall, CpuSeconds() - cpu};
}

struct LargeFile {
    std::string folder;
    std::string dat;
    std::unique_ptr<TBinDataSet> store;
    TTimes save;         // the median of seven saves
    TTimes fastestSave;  // the fastest of them

    LargeFile() {
        std::string pattern = (fs::temp_directory_path() / "orvane-bench-XXXXXX").string();
        folder = ::mkdtemp(pattern.data());
        MakeSample(folder);
        const std::vector<TSampleMeasurement> sample = SimulateDatMeasurements();
        std::vector<TSampleRecord> records;
        records.reserve(kRecords);
        for (int i = 0; i < kRecords; ++i) records.push_back(sample[i % sample.size()].record);
        dat = folder + "/LARGE.DAT";
        WriteSampleRecords(dat, folder + "/DAT.sch", DatSampleFields(), records);
        store = std::make_unique<TBinDataSet>();
        ConfigureView(*store, TViewKind::Dat);
        store->SetFileName(dat);
        store->SetSchemaFileName(folder + "/DAT.sch");
        store->Open();
        // One save, timed as the yardstick: the best of five after a first one that makes the
        // target files.
        store->SaveToFile(folder + "/SAVED.DAT");
        std::vector<double> walls, cpus;
        for (int i = 0; i < 7; ++i) {
            const TTimes t = Timed([&] { store->SaveToFile(folder + "/SAVED.DAT"); });
            walls.push_back(t.wall);
            cpus.push_back(t.cpu);
        }
        save = {Median(walls), Median(cpus)};
        fastestSave = {*std::min_element(walls.begin(), walls.end()),
                       *std::min_element(cpus.begin(), cpus.end())};
    }
    ~LargeFile() {
        store.reset();
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
};

LargeFile& File() {
    static LargeFile file;
    return file;
}

void ReportRatio(benchmark::State& state, const TTimes& total, int iterations) {
    const TTimes& save = File().save;
    state.counters["save_s"] = save.wall;
    state.counters["save_cpu_s"] = save.cpu;
    state.counters["ratio_to_save"] = total.wall / iterations / save.wall;
    state.counters["cpu_ratio_to_save"] = total.cpu / iterations / save.cpu;
    state.counters["cpu_ratio_to_fastest_save"] = total.cpu / iterations / File().fastestSave.cpu;
}

void BM_SaveAtRecordLimit(benchmark::State& state) {
    LargeFile& f = File();
    for (auto _ : state) f.store->SaveToFile(f.folder + "/SAVED.DAT");
    if (fs::file_size(f.folder + "/SAVED.DAT") != fs::file_size(f.dat)) {
        state.SkipWithError("the saved file differs in size from the original");
    }
}

void BM_SubtractOslAssigned(benchmark::State& state) {
    LargeFile& f = File();
    const TBackgroundAssignment assignment = TBackgroundAssignment::Default(*f.store, false);
    const std::vector<std::int32_t> records =
        SubtractionRecords(assignment, TSubtractScope::All, std::nullopt, {});
    TSubtractionSettings settings;
    settings.tlCurves = false;
    TTimes total;
    int iterations = 0;
    std::size_t processed = 0;
    for (auto _ : state) {
        total += Timed([&] {
            processed =
                SubtractBackgrounds(*f.store, assignment, settings, records).processed.size();
        });
        ++iterations;
    }
    // Every OSL sample record (runs 1 to 3 of each repetition) is processed.
    if (processed != assignment.Lookup().size() || processed < kRecords / 3) {
        state.SkipWithError("not every OSL sample record was subtracted");
        return;
    }
    ReportRatio(state, total, iterations);
}

void BM_DeglitchEveryRecord(benchmark::State& state) {
    LargeFile& f = File();
    const TCurveFieldList curves = {ReadCurveFieldInfo(*f.store, "Raw data")};
    std::vector<std::int32_t> all;
    for (int i = 0; i < f.store->RecordCount(); ++i) all.push_back(f.store->RecordAt(i).id);
    TTimes total;
    int iterations = 0;
    std::size_t processed = 0;
    for (auto _ : state) {
        total += Timed([&] {
            processed = 0;
            for (bool tl : {true, false}) {
                TDeglitchSettings s = DefaultDeglitchRange(tl, TDeglitchCurve::Raw);
                s.from = 0;
                processed += DeglitchRecords(*f.store, curves, s, all).processed.size();
            }
        });
        ++iterations;
    }
    if (processed != all.size()) {
        state.SkipWithError("not every record was deglitched");
        return;
    }
    ReportRatio(state, total, iterations);
}

}  // namespace

BENCHMARK(BM_SaveAtRecordLimit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SubtractOslAssigned)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeglitchEveryRecord)->Unit(benchmark::kMillisecond);
