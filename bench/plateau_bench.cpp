// The plateau test "All" over the 90 OSL channels of the sample (regenerative, saturating
// exponential, after OSL background subtraction) set against the 90 engine fits alone on the
// same point sets: what the workflow around the engine (growth points, solution lines,
// solutions array, plateau array, log block) adds. Each checks its result before it reports.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "analysis/aliquot_lists.h"
#include "analysis/lookup_table.h"
#include "analysis/method_recognition.h"
#include "analysis/plateau_test.h"
#include "analysis/solutions_log.h"
#include "fitting/dose_estimation.h"
#include "record_store/bin_data_set.h"
#include "record_store/views.h"
#include "tools/background_subtraction.h"
#include "tools/sample_generator.h"

namespace {

namespace fs = std::filesystem;

struct TOslSample {
    std::string folder;
    TLookupTable table;
    TDeviceKey device;
    TPlateauInput input;

    TOslSample() {
        std::string pattern = (fs::temp_directory_path() / "orvane-bench-XXXXXX").string();
        folder = ::mkdtemp(pattern.data());
        MakeSample(folder);
        TBinDataSet store;
        ConfigureView(store, TViewKind::Dat);
        store.SetFileName(folder + "/S12.DAT");
        store.SetSchemaFileName(folder + "/DAT.sch");
        store.Open();
        TSubtractionSettings settings;
        settings.tlCurves = false;
        const TBackgroundAssignment a = TBackgroundAssignment::Default(store, false);
        SubtractBackgrounds(store, a, settings,
                            SubtractionRecords(a, TSubtractScope::All, std::nullopt, {}));
        table = BuildLookupTable(store, TViewKind::Dat);
        const std::vector<TDeviceEntry> devices = BuildDeviceList(table);
        const std::vector<TIrradiationEntry> irradiations = BuildIrradiationList(table);
        const std::vector<TBleachingEntry> bleachings = BuildBleachingList(table);
        device = devices[1].Key;  // OSL#1
        UpdateSelection(table, device, irradiations, bleachings[0].Bleaching, kRegenGrowth);
        input.Table = &table;
        input.Device = device;
        input.Method = kRegenGrowth;
        input.Options.FunctionObject = 4;
        IndexRange(table, device, input.FirstIndex, input.LastIndex);
        input.From = input.FirstIndex;
        input.To = input.LastIndex;
        input.UseRois = false;
    }
    ~TOslSample() {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
};

TOslSample& Sample() {
    static TOslSample sample;
    return sample;
}

// The fast OSL component's regenerative dose in closed form: 41.93 Gy.
double ExpectedDose() {
    const double fN = 1 - std::exp(-42.0 / 110.0);
    return 110.0 * std::log((1 - 0.002 * fN) / (1 - fN));
}

void BM_PlateauAllOslChannels(benchmark::State& state) {
    TOslSample& s = Sample();
    TSolutionArray solutions;
    TPlateauArray plot;
    std::size_t logBytes = 0;
    for (auto _ : state) {
        TGrowthPoints points;
        TPlateauRun run(s.input, points);
        while (run.Step()) benchmark::DoNotOptimize(run.Last().Line.data());
        solutions = run.TakeSolutions();
        plot = BuildPlateauArray(solutions, s.device);
        TSolutionsLogInput log;
        log.Solutions = &solutions;
        logBytes = SolutionsLogBlock(log).size();
    }
    const TSolutionRecord* first = solutions.AtIndex(1);
    if (solutions.IndexCount != 90 || plot.size() != 90 || !first || first->Fit.ResultCode != 0 ||
        std::abs(first->Fit.ED - ExpectedDose()) > 3 * first->Fit.EDError || logBytes < 90 * 100) {
        state.SkipWithError("unexpected plateau over the OSL channels");
    }
    state.counters["solutions"] = static_cast<double>(solutions.IndexCount);
}

// The engine alone: the same 90 point sets, fitted without the workflow around them.
void BM_EngineFitsAlone(benchmark::State& state) {
    TOslSample& s = Sample();
    std::vector<std::pair<TPointSet, TPointSet>> sets;
    {
        TGrowthPoints points;
        TPlateauRun run(s.input, points);
        while (run.Step()) sets.emplace_back(run.Last().Set1, run.Last().Set2);
    }
    const FunctionCode code = GrowthFunctionCode(4, 0);
    double firstDose = 0;
    int succeeded = 0;
    for (auto _ : state) {
        succeeded = 0;
        for (std::size_t i = 0; i < sets.size(); ++i) {
            TPointSet set1 = sets[i].first;
            TPointSet set2 = sets[i].second;
            TFitRecord fit;
            std::string note;
            ResultCode result = 0;
            EstimateDose(dmRegenerative, 0, code, code, set1, set2, fit, note, result);
            if (result == 0) ++succeeded;
            if (i == 0) firstDose = fit.ED;
        }
    }
    if (sets.size() != 90 || succeeded == 0 || std::abs(firstDose - ExpectedDose()) > 5)
        state.SkipWithError("unexpected engine fits");
    state.counters["fits"] = static_cast<double>(sets.size());
}

}  // namespace

BENCHMARK(BM_PlateauAllOslChannels)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EngineFitsAlone)->Unit(benchmark::kMillisecond);
