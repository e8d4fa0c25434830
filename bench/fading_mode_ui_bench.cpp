// The fading test in the window on the file at the 32 767-record limit: entering the mode
// until the grid has painted the records its filter passes (the date and device lists and the
// filter over every record), and one "Check fading" of 1 000 faded against 1 000 fresh TL
// records, from the button to the result in the viewer's table.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QPixmap>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>

#include "bench/ui_bench_main.h"
#include "editor/bin_data_grid.h"
#include "editor/bin_data_model.h"
#include "editor/editor_document.h"
#include "editor/fading_mode.h"
#include "editor/fading_panel.h"
#include "editor/large_sample.h"
#include "editor/main_window.h"
#include "editor/mode_switcher.h"
#include "editor/scripted_prompts.h"
#include "graph/graph_form.h"
#include "platform/settings_store.h"
#include "record_store/bin_data_set.h"
#include "tools/background_subtraction.h"
#include "tools/sample_generator.h"

namespace {

constexpr int kRecordLimit = 32767;
QTemporaryDir* gFiles = nullptr;

// The sample repeated to the record limit, its TL curves background-subtracted.
QString LargeFile() {
    if (gFiles) return gFiles->path() + QStringLiteral("/R.DAT");
    gFiles = new QTemporaryDir;
    MakeSample(gFiles->path().toStdString());
    const QString file = gFiles->path() + QStringLiteral("/R.DAT");
    WriteRepeatedRecords(gFiles->path() + QStringLiteral("/S12.DAT"), file, 213, 1584,
                         kRecordLimit);
    return file;
}

// TL runs among `count` records repeated from the sample: run 5 of each 168-record cycle.
bool IsTLRun(int record) {
    const int inCycle = record % 168 + 1;
    return inCycle >= 113 && inCycle <= 140;
}

struct TBenchWindow {
    TMemorySettingsStore settings;
    TScriptedPrompts prompts;
    TMainWindow form{settings, &prompts};
    TBenchWindow() { form.show(); }
    TFadingMode* Mode() { return dynamic_cast<TFadingMode*>(form.Modes().Active()); }
    bool Open() {
        if (!form.OpenFile(LargeFile())) return false;
        TBinDataSet& view = *form.ShownView();
        const TBackgroundAssignment a = TBackgroundAssignment::Default(view, true);
        TSubtractionSettings settings;
        settings.tlCurves = true;
        SubtractBackgrounds(view, a, settings,
                            SubtractionRecords(a, TSubtractScope::All, std::nullopt, {}));
        return true;
    }
};

void BM_EnterFadingModeAtRecordLimitUntilPainted(benchmark::State& state) {
    TBenchWindow window;
    if (!window.Open()) {
        state.SkipWithError("open failed");
        return;
    }
    QAction* fading = window.form.Action(TActionId::ComputeFading);
    int rows = 0;
    for (auto _ : state) {
        fading->trigger();
        if (!window.Mode()) {
            state.SkipWithError("the mode did not start");
            return;
        }
        const QPixmap shot = window.form.Grid()->grab();
        benchmark::DoNotOptimize(shot.cacheKey());
        state.PauseTiming();
        rows = window.form.Grid()->Model()->rowCount();
        fading->trigger();
        state.ResumeTiming();
    }
    // The first date (the sample's one) and the first device (TL): every TL run.
    int expected = 0;
    for (int r = 0; r < kRecordLimit; ++r) expected += IsTLRun(r);
    if (rows != expected) {
        state.SkipWithError(("the grid shows " + std::to_string(rows) + " rows").c_str());
        return;
    }
    state.counters["rows"] = rows;
}
BENCHMARK(BM_EnterFadingModeAtRecordLimitUntilPainted)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

void BM_CheckFadingOf1000Against1000(benchmark::State& state) {
    TBenchWindow window;
    if (!window.Open()) {
        state.SkipWithError("open failed");
        return;
    }
    window.form.Action(TActionId::ComputeFading)->trigger();
    TFadingMode* mode = window.Mode();
    if (!mode) {
        state.SkipWithError("the mode did not start");
        return;
    }
    // Alternate TL runs into the two groups.
    TBinDataSet& view = *window.form.ShownView();
    TEditorDocument& document = window.form.Document();
    document.SetRowSelection(true);
    std::vector<int32_t> faded, fresh;
    for (int r = 0; r < kRecordLimit && fresh.size() < 1000; ++r) {
        if (!IsTLRun(r)) continue;
        (faded.size() <= fresh.size() ? faded : fresh).push_back(view.RecordAt(r).id);
    }
    for (auto [ids, list] : {std::pair{&faded, mode->FadingPanel()->FadedList()},
                             std::pair{&fresh, mode->FadingPanel()->FreshList()}}) {
        for (int32_t id : *ids) document.Selection().Add(id);
        mode->AddGridRecords(list);
    }
    auto* check = mode->FadingPanel()->findChild<QPushButton*>(QStringLiteral("CheckFadingButton"));
    int tableRows = 0;
    for (auto _ : state) {
        check->click();
        auto* viewer = window.form.findChild<TGrForm1*>(QStringLiteral("GraphEditor"));
        if (!viewer) {
            state.SkipWithError("no result viewer");
            return;
        }
        const QPixmap shot = viewer->grab();
        benchmark::DoNotOptimize(shot.cacheKey());
        tableRows = viewer->Table()->model()->rowCount();
    }
    const TPlateauArray& result = mode->Result();
    if (mode->FadingPanel()->FadedList()->count() != 1000 ||
        mode->FadingPanel()->FreshList()->count() != 1000 || result.empty() ||
        result.front().X != 200 || tableRows != static_cast<int>(result.size())) {
        state.SkipWithError("unexpected result");
        return;
    }
    state.counters["points"] = static_cast<double>(result.size());
}
BENCHMARK(BM_CheckFadingOf1000Against1000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    const int status = RunUiBenchmarks(argc, argv);
    delete gFiles;
    return status;
}
