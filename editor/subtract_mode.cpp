#include "editor/subtract_mode.h"

#include <QAbstractItemView>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <exception>

#include "editor/bin_data_grid.h"
#include "editor/bin_data_model.h"
#include "editor/editor_document.h"
#include "editor/editor_shell.h"
#include "editor/records_snapshot_command.h"
#include "editor/run_progress.h"
#include "editor/subtract_panel.h"
#include "record_store/editor_error.h"
#include "record_store/measurement_access.h"
#include "record_store/measurement_fields.h"
#include "record_store/presentation_record.h"

TSubtractMode::TSubtractMode(TEditorShell& shell) : shell_(shell) {
    panel_ = new TSubtractPanel;
    connect(panel_, &TSubtractPanel::subtractClicked, this, &TSubtractMode::Subtract);
    connect(panel_, &TSubtractPanel::defaultClicked, this, &TSubtractMode::RestoreDefault);
    connect(panel_, &TSubtractPanel::assignClicked, this, &TSubtractMode::AssignSelected);
    connect(panel_, &TSubtractPanel::oslOptionChanged, this, &TSubtractMode::UpdateRange);
    // The range follows the current record until the user types one.
    connect(&shell_.Document(), &TEditorDocument::currentRecordChanged, this, [this] {
        if (on_ && panel_->OslOption() != TOslBackgroundOption::Given && !panel_->RangeEdited())
            UpdateRange();
    });
}

TSubtractMode::~TSubtractMode() {
    // The panel is ours to delete, unless the window's stack took it along as it closed.
    delete panel_.data();
}

QWidget* TSubtractMode::Panel() {
    return panel_;
}

std::function<bool(TBinDataSet&)> TSubtractMode::GridFilter() {
    // Sample records of the current curve kind.
    const bool tl = shell_.TLCurves();
    return [tl](TBinDataSet& view) {
        return view.AsBoolean(fields::kTLRun) && (view.AsInteger(fields::kDevNo) < 1000) == tl;
    };
}

QStringList TSubtractMode::GridColumns() const {
    if (shell_.Document().ShownViewKind() == TEditorDocument::TShownView::General) return {};
    QStringList columns = {QStringLiteral("Run#"), QStringLiteral("Disk#"),
                           QStringLiteral("Device"), QStringLiteral("Info"),
                           QStringLiteral("ShortInfo")};
    if (shell_.Document().ShownViewKind() == TEditorDocument::TShownView::Dat)
        columns << QStringLiteral("Normalization factor") << QStringLiteral("Shift");
    return columns;
}

std::map<std::string, std::string> TSubtractMode::GridColumnTitles() const {
    return {{"ShortInfo", "Background"}};
}

std::vector<TActionId> TSubtractMode::DisabledCommands() const {
    // The panel, filter and assignment are built for one curve kind.
    return {TActionId::CurvesTL, TActionId::CurvesOSL};
}

QString TSubtractMode::StatusText() const {
    return QStringLiteral(" - subtracing backgrounds");
}

void TSubtractMode::Enter() {
    TEditorDocument& document = shell_.Document();
    TBinDataSet* view = document.ShownView();
    if (!view) return;
    for (const char* name : {fields::kTLRun, fields::kDevNo, fields::kRun, fields::kDisk})
        if (!view->FindField(name))
            throw TEditorError(std::string("Field '") + name + "' not found");
    tlCurves_ = shell_.TLCurves();
    on_ = true;
    panel_->SetCurveKind(tlCurves_);
    panel_->SetMessage({});
    BuildDefault();
    // The calculated fields show the assignment ("ShortInfo": the background's line).
    savedCalculation_ = view->OnCalcFields();
    if (document.ShownViewKind() != TEditorDocument::TShownView::General) {
        const presentation::TBackgroundLookup lookup = [this](long long run, long long disk) {
            return assignment_ ? assignment_->LabelFor(run, disk) : std::string();
        };
        view->SetOnCalcFields(presentation::MakeSubtractionCalculationCallback(
            document.ShownRecordKind(), lookup, shell_.Grid()->Model()->TextLocale()));
        shell_.Grid()->Model()->SetBackgroundLookup(lookup);
        // Background lines may be dropped on the grid's rows.
        shell_.Grid()->viewport()->setAcceptDrops(true);
        shell_.Grid()->viewport()->installEventFilter(this);
    }
    if (!tlCurves_) UpdateRange();
}

void TSubtractMode::Leave() {
    on_ = false;
    assignment_.reset();
    shell_.Grid()->viewport()->removeEventFilter(this);
    shell_.Grid()->viewport()->setAcceptDrops(false);
    shell_.Grid()->Model()->SetBackgroundLookup({});
    if (TBinDataSet* view = shell_.Document().ShownView()) view->SetOnCalcFields(savedCalculation_);
    savedCalculation_ = {};
    panel_->SetBackgroundLines({});
}

void TSubtractMode::BuildDefault() {
    TBinDataSet* view = shell_.Document().ShownView();
    if (!view) return;
    assignment_ = TBackgroundAssignment::Default(*view, tlCurves_);
    panel_->SetBackgroundLines(assignment_->ListLines());
    if (tlCurves_ && assignment_->ListLines().empty())
        panel_->SetMessage(QString::fromLatin1(kNoBackgroundRunsMessage));
}

void TSubtractMode::RestoreDefault() {
    if (!on_) return;
    BuildDefault();
    shell_.RefreshView();
}

void TSubtractMode::UpdateRange() {
    TBinDataSet* view = shell_.Document().ShownView();
    if (!on_ || tlCurves_ || !view || view->RecNo() < 1) return;
    try {
        panel_->SetRangeValues(
            OslRangeValues(panel_->OslOption(), ReadTimeBases(*view), OslBackgroundRate(*view)));
    } catch (const std::exception&) {
        // A view without the time bases keeps the values shown.
    }
}

void TSubtractMode::AssignSelected() {
    TBinDataSet* view = shell_.Document().ShownView();
    const int listIndex = panel_->SelectedBackground();
    if (!on_ || !assignment_ || !view || listIndex < 0) return;
    for (int32_t record : shell_.Document().SelectedOrCurrentRecords())
        assignment_->Assign(record, listIndex);
    shell_.RefreshView();
}

void TSubtractMode::AssignToRow(int row, int listIndex) {
    TBinDataSet* view = shell_.Document().ShownView();
    const int at = shell_.Grid()->Model()->RecordIndexOfRow(row);
    if (!on_ || !assignment_ || !view || at < 0) return;
    assignment_->Assign(view->RecordAt(at).id, listIndex);
    shell_.RefreshView();
}

bool TSubtractMode::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return QObject::eventFilter(watched, event);
    auto* drop = static_cast<QDropEvent*>(event);
    const QByteArray data = drop->mimeData()->data(QLatin1String(TBackgroundList::kMimeType));
    TBinDataGrid* grid = shell_.Grid();
    const QModelIndex index = grid->indexAt(drop->position().toPoint());
    if (data.isEmpty() || !index.isValid()) {
        drop->ignore();
        return true;
    }
    if (type == QEvent::Drop) {
        AssignToRow(index.row(), data.toInt());
    } else {
        // The current row follows the pointer, with the "Background" column current.
        const int column = grid->Model()->ColumnOfField(QStringLiteral("ShortInfo"));
        grid->setCurrentIndex(grid->Model()->index(index.row(), std::max(column, 0)));
    }
    drop->acceptProposedAction();
    return true;
}

void TSubtractMode::Subtract() {
    TEditorDocument& document = shell_.Document();
    TBinDataSet* view = document.ShownView();
    if (!on_ || !assignment_ || !view) return;
    if (tlCurves_ && assignment_->ListLines().empty()) {
        panel_->SetMessage(QString::fromLatin1(kNoBackgroundRunsMessage));
        return;
    }
    const std::vector<int32_t> records = SubtractionRecords(
        *assignment_, panel_->Scope(), view->GetBookmark(), document.SelectedRecords());
    TSubtractionReport report;
    try {
        TRunProgress progress(shell_.Window(), QStringLiteral("Subtracting backgrounds..."),
                              static_cast<int>(records.size()));
        const TRecordsChange change(
            &document, QStringLiteral("Subtract backgrounds (%1)").arg(RecordsText(records.size())),
            records);
        report = SubtractBackgrounds(*view, *assignment_, panel_->Settings(), records,
                                     progress.Callback());
    } catch (const std::exception& e) {
        shell_.ShowError(QString::fromStdString(e.what()));
    }
    QStringList lines;
    lines << QStringLiteral("Subtracted %1%2.")
                 .arg(RecordsText(report.processed.size()))
                 .arg(report.cancelled ? QStringLiteral(" (cancelled)") : QString());
    for (const std::string& w : report.warnings) lines << QString::fromStdString(w);
    panel_->SetMessage(lines.join(QLatin1Char('\n')));
    shell_.RefreshView();
    document.NotifyRecordsChanged();
    shell_.UpdateActions();
}
