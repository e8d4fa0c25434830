// Opening the curve editor on many selected records of the sample until its window has
// painted, beside opening the record file itself; at 1 000 records and at the 32 767-record
// limit.
#include <benchmark/benchmark.h>

#include <qcustomplot.h>

#include <QAction>
#include <QApplication>
#include <QPixmap>
#include <QTemporaryDir>

#include "bench/ui_bench_main.h"
#include "editor/bin_data_grid.h"
#include "editor/editor_document.h"
#include "editor/large_sample.h"
#include "editor/main_window.h"
#include "editor/scripted_prompts.h"
#include "graph/curve_editor.h"
#include "graph/graph_form.h"
#include "platform/settings_store.h"
#include "record_store/bin_data_set.h"
#include "tools/sample_generator.h"

namespace {

QTemporaryDir* gDir = nullptr;

// The sample's records repeated to `count` records.
QString SampleOf(int count) {
    if (!gDir) {
        gDir = new QTemporaryDir;
        MakeSample(gDir->path().toStdString());
    }
    const QString file = gDir->path() + QStringLiteral("/R%1.DAT").arg(count);
    if (!QFile::exists(file))
        WriteRepeatedRecords(gDir->path() + "/S12.DAT", file, 213, 1584, count);
    return file;
}

// A main window shown, with settings in memory and scripted prompts.
struct TBenchWindow {
    TMemorySettingsStore settings;
    TScriptedPrompts prompts;
    TMainWindow form{settings, &prompts};
    TBenchWindow() { form.show(); }
};

void BM_OpenFileUntilPainted(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const QString file = SampleOf(count);
    TBenchWindow window;
    TMainWindow& form = window.form;
    int records = 0;
    for (auto _ : state) {
        if (!form.OpenFile(file)) {
            state.SkipWithError("open failed");
            return;
        }
        records = form.ShownView()->RecordCount();
        const QPixmap shot = form.Grid()->grab();
        benchmark::DoNotOptimize(shot.cacheKey());
        state.PauseTiming();
        form.CloseFile();
        state.ResumeTiming();
    }
    if (records != count) {
        state.SkipWithError(("opened " + std::to_string(records) + " records").c_str());
        return;
    }
    state.counters["records"] = records;
}
BENCHMARK(BM_OpenFileUntilPainted)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(3);

// Every record selected, raw curves: one column per record.
void BM_CurveEditorOnSelectionUntilPainted(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const QString file = SampleOf(count);
    TBenchWindow window;
    TMainWindow& form = window.form;
    if (!form.OpenFile(file)) {
        state.SkipWithError("open failed");
        return;
    }
    if (form.SubtractedCurves()) form.Action(TActionId::CurvesSub)->trigger();
    TEditorDocument& doc = form.Document();
    doc.SetRowSelection(true);
    for (int i = 0; i < form.ShownView()->RecordCount(); ++i)
        doc.Selection().Add(form.ShownView()->RecordAt(i).id);
    int columns = 0, plottables = 0;
    for (auto _ : state) {
        TGrForm1* editor = CreateCurveEditor(form);
        editor->show();
        const QPixmap shot = editor->grab();  // the chart and the table painted once
        benchmark::DoNotOptimize(shot.cacheKey());
        state.PauseTiming();
        columns = static_cast<int>(dynamic_cast<TCurveEditor*>(editor->Role())->Columns().size());
        plottables = editor->Chart()->plottableCount();
        delete editor;
        state.ResumeTiming();
    }
    // Every record a column; beyond a few dozen the other curves share one plottable.
    if (columns != count || plottables != 2) {
        state.SkipWithError(("loaded " + std::to_string(columns) + " columns, " +
                             std::to_string(plottables) + " plottables")
                                .c_str());
        return;
    }
    state.counters["records"] = columns;
}
BENCHMARK(BM_CurveEditorOnSelectionUntilPainted)
    ->Arg(1000)
    ->Arg(32767)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    const int status = RunUiBenchmarks(argc, argv);
    delete gDir;
    return status;
}
