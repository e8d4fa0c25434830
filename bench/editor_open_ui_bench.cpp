// Opening a record file at the 32 767-record limit into the main window, until the grid has
// painted once.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QSettings>
#include <QTemporaryDir>

#include "bench/ui_bench_main.h"
#include "editor/bin_data_grid.h"
#include "editor/large_sample.h"
#include "editor/main_window.h"
#include "editor/scripted_prompts.h"
#include "platform/settings_store.h"
#include "record_store/bin_data_set.h"
#include "tools/sample_generator.h"

namespace {

QTemporaryDir* gDir = nullptr;

QString BigFile() {
    if (!gDir) {
        gDir = new QTemporaryDir;
        MakeSample(gDir->path().toStdString());
        WriteRepeatedRecords(gDir->path() + "/S12.DAT", gDir->path() + "/BIG.DAT", 213, 1584,
                             32767);
    }
    return gDir->path() + "/BIG.DAT";
}

void BM_OpenLargeFileUntilPainted(benchmark::State& state) {
    const QString file = BigFile();
    TMemorySettingsStore settings;
    TScriptedPrompts prompts;
    TMainWindow form(settings, &prompts);
    form.show();
    int records = 0;
    for (auto _ : state) {
        if (!form.OpenFile(file)) {
            state.SkipWithError("open failed");
            break;
        }
        records = form.ShownView() ? form.ShownView()->RecordCount() : 0;
        // Render the grid once, as the screen would.
        const QPixmap shot = form.Grid()->grab();
        benchmark::DoNotOptimize(shot.cacheKey());
        state.PauseTiming();
        form.CloseFile();
        state.ResumeTiming();
    }
    if (records != 32767) {
        state.SkipWithError(("opened " + std::to_string(records) + " records").c_str());
        return;
    }
    state.counters["records"] = records;
}
BENCHMARK(BM_OpenLargeFileUntilPainted)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    const int status = RunUiBenchmarks(argc, argv);
    delete gDir;
    return status;
}
