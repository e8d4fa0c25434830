// Growth-curve mode, "Compute" with "Range" or "All": the plateau test run in slices, the
// paleodose plot sent to "GraphEditor", and "Write solutions to file".
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QMainWindow>
#include <QStatusBar>
#include <QTime>
#include <cstdlib>
#include <ctime>

#include "analysis/device_key.h"
#include "analysis/solutions_log.h"
#include "editor/editor_document.h"
#include "editor/editor_shell.h"
#include "editor/growth_mode.h"
#include "editor/plateau_runner.h"
#include "editor/sa_limits_widget.h"
#include "editor/user_prompts.h"
#include "roi/roi_sets.h"

namespace {

constexpr const char* kSolutionsFilter =
    "Log files (*.lgf)|*.lgf|Text files (*.txt)|*.txt|All files (*.*)|*.*";

void ShowStatusMessage(QWidget* window, const QString& text) {
    if (auto* main = qobject_cast<QMainWindow*>(window)) main->statusBar()->showMessage(text, 8000);
}

}  // namespace

bool TGrowthMode::RangeRunning() const {
    return runner_ && runner_->Running();
}

void TGrowthMode::CancelRange() {
    if (RangeRunning()) runner_->Cancel();
}

bool TGrowthMode::TakeStoredSolution() {
    const TSolutionRecord* stored = solutions_.AtIndex(index_);
    if (!stored || stored->Fit.ResultCode == kSolutionNotAvailable) return false;
    const std::string description = fit_.Description;
    fit_ = stored->Fit;
    fit_.Description = description;
    return true;
}

void TGrowthMode::RevisitRoi(const TSolutionRecord& solution) {
    // The ROI solutions were computed on the points of the data, their signals summed over
    // the ROI's window.
    int first = 0, last = 0;
    IndexRange(table_, Device(), first, last);
    TROI roi;
    roi.first = std::atoi(solution.From.c_str());
    roi.last = std::atoi(solution.To.c_str());
    points_ = BuildGrowthPoints(table_, method_, first);
    hasPoints_ = false;  // the next data index builds its own
    int d = 0, e = 0;
    if (RoiWindow(Device(), roi, last, d, e)) SumOverRoi(points_, table_, d, e);
    const std::string description = fit_.Description;
    fit_ = solution.Fit;
    fit_.Description = description;
    messages_.SendReference(kPointViewer, gd_Points, &points_);
    messages_.SendDraw(kPointViewer, kMaskIndexPointsFit);
    messages_.SendDraw(kGraphEditor, kMaskIndexPlateau);
    shell_.SetModeStatus(QStringLiteral("%1 %2-%3: the ROI's growth points and solution")
                             .arg(QString::fromStdString(solution.Kind),
                                  QString::fromStdString(solution.From),
                                  QString::fromStdString(solution.To)));
}

void TGrowthMode::ComputeRange() {
    TPlateauInput in;
    in.Table = &table_;
    in.Device = Device();
    in.Method = method_;
    in.Options = panel_->FitOptions();
    rangeError_.clear();
    if (SingleAliquot()) {
        // The indices are the aliquots' numbers; a number the set lacks is skipped.
        if (!hasPlatter_ || platter_.Disks.empty()) return;
        in.FirstIndex = platter_.Disks.begin()->first;
        in.LastIndex = platter_.Disks.rbegin()->first;
        saLimits_ = panel_->SaLimits()->Limits();
        in.Solve = [this](int aliquot, TGrowthPoints&, TSolution& solution) {
            if (platter_.Find(aliquot) == nullptr) return false;
            std::string error;
            solution = SolveSingleAliquot(aliquot, error);
            if (!error.empty() && rangeError_.empty()) rangeError_ = error;
            return true;
        };
    } else {
        IndexRange(table_, Device(), in.FirstIndex, in.LastIndex);
    }
    const bool all = panel_->IndexMode() == TIndexMode::All;
    const int wantFirst = all ? in.FirstIndex : rangeFirst_;
    const int wantLast = all ? in.LastIndex : rangeLast_;
    if (!ClipPlateauRange(in.FirstIndex, in.LastIndex, wantFirst, wantLast, in.From, in.To)) {
        const QString message = QStringLiteral("The range is empty: nothing was computed.");
        panel_->AppendSolution(message);
        ShowStatusMessage(shell_.Window(), message);
        return;
    }
    QAction* useRois = shell_.Action(TActionId::ToolsUseROIs);
    in.UseRois = useRois->isEnabled() && useRois->isChecked();
    in.Rois = Device().Device < 20 ? ProgramROISets().CurrentTL() : ProgramROISets().CurrentOSL();

    // The growth points as for one computation at the first index of the range.
    index_ = in.From;
    if (!SingleAliquot()) EnsurePoints();
    PrepareResultViewer();
    auto run = std::make_unique<TPlateauRun>(in, points_);
    if (!run->Error().empty()) {
        panel_->AppendSolution(QString::fromStdString(run->Error()));
        return;
    }
    solutions_ = {};
    plateau_.clear();
    runner_->Start(
        std::move(run), [this](TPlateauRun& r) { RangeStep(r); },
        [this](TPlateauRun& r) { RangeFinished(r); });
    UpdateCommands();
}

void TGrowthMode::RangeStep(TPlateauRun& run) {
    index_ = run.CurrentIndex();
    fit_ = run.Last().Fit;
    panel_->AppendSolution(QString::fromStdString(run.Last().Line));
    AppendCriteria(run.Last());
    AppendMonteCarlo(run.Last(), false);
    messages_.SendReference(kPointViewer, gd_Points, &points_);
    messages_.SendReference(kPointViewer, gd_Index, &index_);
    messages_.SendDraw(kPointViewer, kMaskIndexPoints);
    SendResult(true);
}

void TGrowthMode::RangeFinished(TPlateauRun& run) {
    const bool cancelled = run.Solutions().Cancelled;
    const int done = run.StepsDone();
    const int total = run.StepsTotal();
    const bool lastWasRoi = run.LastWasRoi();
    solutions_ = run.TakeSolutions();
    // After the ROIs the index is a data index again, with its own points.
    if (lastWasRoi) {
        int last = solutions_.FirstIndex;
        for (int i = 0; i < solutions_.IndexCount; ++i) {
            if (solutions_.Entries[static_cast<std::size_t>(i)].Fit.ResultCode !=
                kSolutionNotAvailable)
                last = solutions_.FirstIndex + i;
        }
        index_ = last;
        EnsurePoints();
        TakeStoredSolution();
    }
    if (cancelled) {
        panel_->AppendSolution(
            QStringLiteral("Cancelled: %1 of %2 solutions computed; the others are marked "
                           "\"Solution not available\".")
                .arg(done)
                .arg(total));
    } else if (!solutions_.Succeeded) {
        panel_->AppendSolution(QStringLiteral("No solution of the range succeeded."));
    }
    const TAcceptedCount accepted = CountAccepted(solutions_);
    if (accepted.Of > 0) panel_->AppendSolution(QString::fromStdString(AcceptedSummary(accepted)));
    if (SingleAliquot()) panel_->SaLimits()->ShowLimits(saLimits_);
    if (!rangeError_.empty()) shell_.ShowError(QString::fromStdString(rangeError_));
    ShowStatusMessage(shell_.Window(), cancelled ? QStringLiteral("Computation cancelled")
                                                 : QStringLiteral("Computation finished"));
    SendPlateau();
    UpdateCommands();
}

// The paleodose plot to "GraphEditor", shown while a solution succeeded and hidden otherwise.
void TGrowthMode::SendPlateau() {
    if (!solutions_.Succeeded) {
        plateau_.clear();
        if (closeViewer_) closeViewer_(kGraphEditor);
        return;
    }
    plateau_ = BuildPlateauArray(solutions_, Device());
    if (showViewer_) showViewer_(kGraphEditor);
    const bool tl = IsTLDevice(Device()) && !SingleAliquot();
    const uint8_t kind = SingleAliquot() ? gkDisk : tl ? gkTemperature : gkChannel;
    const std::string xLabel = PaleodoseAxisTitle(plateau_, SingleAliquot(), tl);
    // The doses' unit: that of the first irradiated record's source.
    std::string unit = "Gy";
    for (const TLookupRecord& record : table_) {
        if (record.Irradiation.Dose > 0) {
            unit = record.Irradiation.DoseUnit;
            break;
        }
    }
    shell_.Document().SetLastPlateau({plateau_, kind, Device().Spacing, xLabel, unit});
    const QFileInfo file(shell_.Document().FileName());
    TPlateauNotesInput notes;
    notes.FileName = file.fileName().toStdString();
    notes.Folder = file.absolutePath().toStdString();
    notes.DeviceText = devices_[static_cast<std::size_t>(device_)].Text;
    notes.Method = method_;
    if (bleaching_ > 0)
        notes.BleachingText = bleachings_[static_cast<std::size_t>(bleaching_)].Text;
    notes.FunctionText = panel_->FunctionText().toStdString();
    notes.Degree = panel_->FitOptions().Degree;
    notes.PrintedOn = QLocale().toString(QTime::currentTime(), QLocale::LongFormat).toStdString();
    messages_.SendValue(kGraphEditor, gd_Plot, plPlateau);
    messages_.SendText(kGraphEditor, gd_Title, "Orvane - View results");
    messages_.SendValue(kGraphEditor, gd_Kind, kind);
    messages_.SendText(kGraphEditor, gd_Caption, "Paleodose results");
    messages_.SendText(kGraphEditor, gd_XLabel, xLabel);
    messages_.SendText(kGraphEditor, gd_YLabel, "Paleodose");
    messages_.SendText(kGraphEditor, gd_Notes, PlateauNotes(notes));
    messages_.SendValue(kGraphEditor, gd_Spacing, Device().Spacing);
    messages_.SendReference(kGraphEditor, gd_Index, &index_);
    messages_.SendReference(kGraphEditor, gd_Plateau, &plateau_);
    messages_.SendDraw(kGraphEditor, kMaskPlateau);
}

void TGrowthMode::WriteSolutions() {
    if (!on_ || RangeRunning() || !solutions_.Succeeded) return;
    const QFileInfo data(shell_.Document().FileName());
    const QString proposed = QDir::current().filePath(data.completeBaseName().toUpper());
    const QString path = shell_.Prompts().AppendFileName(
        shell_.Window(), QStringLiteral("Save solutions to file"), proposed,
        QString::fromLatin1(kSolutionsFilter), QStringLiteral("lgf"));
    if (path.isEmpty()) return;
    TSolutionsLogInput log;
    log.Solutions = &solutions_;
    log.DataFile = data.absoluteFilePath().toStdString();
    log.FileTimeOfDay = LocaleTimeOfDay(data.lastModified().toSecsSinceEpoch());
    log.ComputedOn = LocaleShortDate(static_cast<long long>(std::time(nullptr)));
    log.DeviceText = devices_[static_cast<std::size_t>(device_)].Text;
    log.MethodText = MethodLongName(method_);
    if (bleaching_ > 0) log.BleachingText = bleachings_[static_cast<std::size_t>(bleaching_)].Text;
    const TLogLocale locale = UserLogLocale();
    log.Separator = locale.Separator;
    log.DecimalPoint = locale.DecimalPoint;
    std::string error;
    if (!AppendSolutionsLog(path.toStdString(), log, error)) {
        shell_.ShowError(QStringLiteral("Cannot write %1: %2")
                             .arg(QDir::toNativeSeparators(path), QString::fromStdString(error)));
    }
}
