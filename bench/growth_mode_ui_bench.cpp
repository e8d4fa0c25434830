// Growth-curve mode in the window: entering it on the file at the 32 767-record limit until
// the panel has painted (measurement table, lists, method grid, curves list), beside opening
// that file; and one "Compute" at one index on the sample, from the command to the solution
// line in the panel, without and with the point viewer.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QPixmap>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTreeView>

#include "bench/ui_bench_main.h"
#include "editor/bin_data_grid.h"
#include "editor/growth_mode.h"
#include "editor/growth_panel.h"
#include "editor/large_sample.h"
#include "editor/main_window.h"
#include "editor/mode_switcher.h"
#include "editor/scripted_prompts.h"
#include "editor/subtract_mode.h"
#include "platform/settings_store.h"
#include "record_store/bin_data_set.h"
#include "tools/sample_generator.h"

namespace {

constexpr int kRecordLimit = 32767;
QTemporaryDir* gFiles = nullptr;

QString SampleFile(int count) {
    if (!gFiles) {
        gFiles = new QTemporaryDir;
        MakeSample(gFiles->path().toStdString());
    }
    const QString sample = gFiles->path() + QStringLiteral("/S12.DAT");
    if (count <= 0) return sample;
    const QString file = gFiles->path() + QStringLiteral("/R%1.DAT").arg(count);
    if (!QFile::exists(file)) WriteRepeatedRecords(sample, file, 213, 1584, count);
    return file;
}

// Measurements among `count` records repeated from the sample: runs 2, 3 and 5 of each
// 168-record cycle (records 29..84 and 113..140 of it).
int MeasurementsIn(int count) {
    int n = 0;
    for (int r = 0; r < count; ++r) {
        const int inCycle = r % 168 + 1;
        n += (inCycle >= 29 && inCycle <= 84) || (inCycle >= 113 && inCycle <= 140);
    }
    return n;
}

struct TBenchWindow {
    TMemorySettingsStore settings;
    TScriptedPrompts prompts;
    TMainWindow form{settings, &prompts};
    TBenchWindow() { form.show(); }
    TGrowthMode* Mode() { return dynamic_cast<TGrowthMode*>(form.Modes().Active()); }
};

void BM_OpenAtRecordLimitUntilPainted(benchmark::State& state) {
    const QString file = SampleFile(kRecordLimit);
    TBenchWindow window;
    int records = 0;
    for (auto _ : state) {
        if (!window.form.OpenFile(file)) {
            state.SkipWithError("open failed");
            return;
        }
        records = window.form.ShownView()->RecordCount();
        const QPixmap shot = window.form.Grid()->grab();
        benchmark::DoNotOptimize(shot.cacheKey());
        state.PauseTiming();
        window.form.CloseFile();
        state.ResumeTiming();
    }
    if (records != kRecordLimit) {
        state.SkipWithError(("opened " + std::to_string(records) + " records").c_str());
        return;
    }
    state.counters["records"] = records;
}
BENCHMARK(BM_OpenAtRecordLimitUntilPainted)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_EnterGrowthModeAtRecordLimitUntilPainted(benchmark::State& state) {
    const QString file = SampleFile(kRecordLimit);
    TBenchWindow window;
    if (!window.form.OpenFile(file)) {
        state.SkipWithError("open failed");
        return;
    }
    QAction* growth = window.form.Action(TActionId::ComputeGrowth);
    int measurements = 0, curves = 0;
    for (auto _ : state) {
        growth->trigger();
        TGrowthMode* mode = window.Mode();
        if (!mode) {
            state.SkipWithError("the mode did not start");
            return;
        }
        const QPixmap shot = mode->GrowthPanel()->grab();
        benchmark::DoNotOptimize(shot.cacheKey());
        state.PauseTiming();
        measurements = static_cast<int>(mode->Table().size());
        curves = mode->GrowthPanel()->CurvesList()->model()->rowCount();
        growth->trigger();
        state.ResumeTiming();
    }
    if (measurements != MeasurementsIn(kRecordLimit) || curves != measurements) {
        state.SkipWithError(("read " + std::to_string(measurements) + " measurements, " +
                             std::to_string(curves) + " curves list lines")
                                .c_str());
        return;
    }
    state.counters["measurements"] = measurements;
}
BENCHMARK(BM_EnterGrowthModeAtRecordLimitUntilPainted)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// "Compute" at OSL channel 1 of the sample (regenerative, the mode's first cell of the OSL
// tab): growth points, fit, solution line; with the point viewer drawing the points and the
// fitted curve twice (range(0) 1), or without a viewer window (0).
void BM_ComputeOneLineInThePanel(benchmark::State& state) {
    TBenchWindow window;
    if (!window.form.OpenFile(SampleFile(0))) {
        state.SkipWithError("open failed");
        return;
    }
    // The sample's OSL backgrounds subtracted, as the regenerative analysis wants them.
    window.form.Action(TActionId::CurvesOSL)->trigger();
    window.form.Action(TActionId::ToolsSubtract)->trigger();
    if (auto* subtract = dynamic_cast<TSubtractMode*>(window.form.Modes().Active()))
        subtract->Subtract();
    window.form.Action(TActionId::ToolsSubtract)->trigger();
    window.form.Action(TActionId::ComputeGrowth)->trigger();
    TGrowthMode* mode = window.Mode();
    if (!mode) {
        state.SkipWithError("the mode did not start");
        return;
    }
    if (state.range(0) == 0) mode->SetViewerHooks({}, {});
    QTabBar* tabs = mode->GrowthPanel()->DeviceTabs();
    for (int i = 0; i < tabs->count(); ++i)
        if (tabs->tabText(i).startsWith(QStringLiteral("OSL#1"))) tabs->setCurrentIndex(i);
    QAction* compute = window.form.Action(TActionId::GrowthCompute);
    for (auto _ : state) compute->trigger();
    const QString text = mode->GrowthPanel()->Solutions();
    const qsizetype lines = text.count(QLatin1Char('\n')) + 1;
    if (mode->Fit().ResultCode != 0 || !text.startsWith(QStringLiteral("Ch  1: ")) ||
        lines != static_cast<qsizetype>(state.iterations())) {
        state.SkipWithError(("unexpected solution: " + text.left(80).toStdString()).c_str());
        return;
    }
    state.counters["ED"] = mode->Fit().ED;
}
BENCHMARK(BM_ComputeOneLineInThePanel)
    ->ArgName("viewer")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(200);

}  // namespace

int main(int argc, char** argv) {
    const int status = RunUiBenchmarks(argc, argv);
    delete gFiles;
    return status;
}
