#include "editor/selection_controller.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMouseEvent>

#include "editor/bin_data_grid.h"
#include "editor/bin_data_model.h"
#include "editor/editor_document.h"
#include "editor/editor_shell.h"
#include "editor/layout_controller.h"
#include "editor/layout_field_edit.h"
#include "editor/record_form.h"
#include "editor/records_snapshot_command.h"
#include "editor/selection_edits.h"
#include "record_store/bin_data_set.h"

TSelectionController::TSelectionController(TEditorShell& shell)
    : QObject(shell.Window()),
      shell_(shell),
      document_(shell.Document()),
      selection_(document_.Selection()),
      windowObject_(shell.Window()) {
    setObjectName(QStringLiteral("SelectionController"));
    TBinDataGrid* grid = shell_.Grid();
    grid->installEventFilter(this);
    grid->verticalHeader()->viewport()->installEventFilter(this);
    connect(grid, &TBinDataGrid::mousePressed, this, [this](QMouseEvent*) {
        // A click into a data cell leaves row selection so that the cell can be edited.
        if (RowSelection()) SetRowSelection(false);
    });
    connect(grid->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        // The grid clears its selection when it moves its current cell: paint it again.
        if (RowSelection() && !applying_)
            QMetaObject::invokeMethod(
                this, [this] { ApplyToGrid(); }, Qt::QueuedConnection);
    });
    connect(grid->Model(), &QAbstractItemModel::modelReset, this, [this] {
        if (RowSelection())
            QMetaObject::invokeMethod(
                this, [this] { ApplyToGrid(); }, Qt::QueuedConnection);
    });

    auto on = [this](TActionId id, auto slot) {
        connect(shell_.Action(id), &QAction::triggered, this, slot);
    };
    on(TActionId::RowSelect, [this] { SetRowSelection(!RowSelection()); });
    on(TActionId::SelectTL, [this] { SelectTL(true); });
    on(TActionId::SelectOSL, [this] { SelectTL(false); });
    on(TActionId::SelectAll, [this] { SelectAll(); });
    on(TActionId::UnselectAll, [this] { UnselectAll(); });
    on(TActionId::FlipSelect, [this] { ToggleSelection(); });
    on(TActionId::SetAll, [this] { PostFieldToSelected(); });
    on(TActionId::PasteRec, [this] { CopyToClipboard(); });
    on(TActionId::ToolsDuplicateDosing, [this] { DuplicateDosing(); });
    shell_.Action(TActionId::SetAll)
        ->setToolTip(QStringLiteral("Writes current field value to all selected records"));

    // The document leaves row selection when its view closes.
    connect(&document_, &TEditorDocument::closing, this, [this] { UpdateActions(); });
    connect(&document_, &TEditorDocument::opened, this, [this](bool) { SetRowSelection(false); });
    connect(&document_, &TEditorDocument::viewModeChanged, this,
            [this] { SetRowSelection(false); });
    connect(&document_, &TEditorDocument::currentRecordChanged, this, [this] { UpdateActions(); });
    connect(&document_, &TEditorDocument::recordsChanged, this, [this] {
        // Undo and redo may take selected records away or bring them back.
        if (RowSelection()) ApplyToGrid();
        UpdateActions();
    });
    connect(qApp, &QApplication::focusChanged, this, [this] { UpdateActions(); });
    connect(shell_.Menu(TMenuId::Edit), &QMenu::aboutToShow, this, [this] { UpdateActions(); });
    UpdateActions();
}

bool TSelectionController::RowSelection() const {
    return document_.RowSelection();
}

QAction* TSelectionController::Action(TActionId id) const {
    return shell_.Action(id);
}

void TSelectionController::SetRowSelection(bool on) {
    TBinDataGrid* grid = shell_.Grid();
    document_.SetRowSelection(on);
    if (on) {
        grid->setSelectionBehavior(QAbstractItemView::SelectRows);
        // Rows are selected by the commands and the row indicators, not by the view itself.
        grid->setSelectionMode(QAbstractItemView::NoSelection);
        grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    } else {
        grid->SetNormalOptions();
    }
    ApplyToGrid();
    UpdateActions();
}

int32_t TSelectionController::IdOfRow(int row) const {
    TBinDataSet* view = document_.ShownView();
    const int at = shell_.Grid()->Model()->RecordIndexOfRow(row);
    if (!view || at < 0 || at >= view->RecordCount()) return 0;
    return view->RecordAt(at).id;
}

void TSelectionController::ApplyToGrid() {
    TBinDataGrid* grid = shell_.Grid();
    TBinDataSet* view = document_.ShownView();
    applying_ = true;
    QItemSelection rows;
    if (RowSelection() && view) {
        const int columns = grid->Model()->columnCount();
        const TBinDataModel* model = grid->Model();
        for (int r = 0; r < model->rowCount() && columns > 0; ++r) {
            if (selection_.Contains(view->RecordAt(model->RecordIndexOfRow(r)).id))
                rows.select(grid->Model()->index(r, 0), grid->Model()->index(r, columns - 1));
        }
    }
    if (RowSelection()) {
        grid->selectionModel()->select(rows, QItemSelectionModel::ClearAndSelect);
    } else {
        const QModelIndex current = grid->currentIndex();
        grid->selectionModel()->clearSelection();
        if (current.isValid()) grid->selectionModel()->select(current, QItemSelectionModel::Select);
    }
    grid->viewport()->update();
    applying_ = false;
}

void TSelectionController::AfterEdit() {
    shell_.RefreshView();
    document_.NotifyRecordsChanged();
    ApplyToGrid();
    UpdateActions();
}

void TSelectionController::SelectTL(bool tl) {
    TBinDataSet* view = document_.ShownView();
    if (!view) return;
    SetRowSelection(true);
    const bool sampleRunsOnly = shell_.SubtractedCurves();
    SelectWhere(*view, selection_,
                [&](const TBinDataSet& v) { return SelectsAsTL(v, tl, sampleRunsOnly); });
    ApplyToGrid();
    UpdateActions();
}

void TSelectionController::SelectAll() {
    TBinDataSet* view = document_.ShownView();
    if (!view) return;
    SetRowSelection(true);
    SelectAllShown(*view, selection_);
    ApplyToGrid();
    UpdateActions();
}

void TSelectionController::UnselectAll() {
    selection_.Clear();
    ApplyToGrid();
    UpdateActions();
}

void TSelectionController::ToggleSelection() {
    TBinDataSet* view = document_.ShownView();
    if (!view) return;
    if (!RowSelection()) SetRowSelection(true);
    ToggleShown(*view, selection_);
    ApplyToGrid();
    UpdateActions();
}

void TSelectionController::ClickRowIndicator(int row, Qt::KeyboardModifiers modifiers) {
    TBinDataSet* view = document_.ShownView();
    if (!view || row < 0 || row >= view->RecordCount()) return;
    if (!RowSelection()) SetRowSelection(true);
    const int32_t id = IdOfRow(row);
    if (modifiers & Qt::ControlModifier) {
        selection_.Toggle(id);
    } else if (modifiers & Qt::ShiftModifier) {
        const int from = std::max(shell_.Grid()->CurrentRow(), 0);
        const int step = row >= from ? 1 : -1;
        for (int r = from;; r += step) {
            selection_.Add(IdOfRow(r));
            if (r == row) break;
        }
    } else {
        selection_.Clear();
        selection_.Add(id);
    }
    shell_.GoToRecord(row + 1);
    ApplyToGrid();
    UpdateActions();
}

std::string TSelectionController::FocusedField() const {
    QWidget* focus = QApplication::focusWidget();
    if (!focus) return {};
    if (auto* edit = qobject_cast<TLayoutFieldEdit*>(focus)) {
        if (document_.GeneralMode() && edit->isVisible()) return edit->Field();
        return {};
    }
    TBinDataSet* view = document_.ShownView();
    if (document_.GeneralMode() || !view || !qobject_cast<QLineEdit*>(focus)) return {};
    for (const TBinField& f : view->Fields())
        if (shell_.RecordForm()->EditOf(QString::fromStdString(f.name)) == focus) return f.name;
    return {};
}

void TSelectionController::PostFieldToSelected() {
    TBinDataSet* view = document_.ShownView();
    const std::string field = FocusedField();
    if (!view || !RowSelection() || field.empty()) return;
    auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    const std::string text = edit->text().toStdString();
    if (text.empty()) return;
    try {
        const TRecordsChange change(&document_,
                                    QStringLiteral("Post %1 to selected (%2 records)")
                                        .arg(QString::fromStdString(field))
                                        .arg(selection_.Count()),
                                    selection_.Ids());
        ::PostFieldToSelected(
            *view, document_.ShownRecordKind(), field, text, selection_.Ids(),
            presentation::TBooleanTexts::Parse(shell_.BooleanDisplay().toStdString()),
            shell_.Grid()->Model()->TextLocale());
    } catch (const std::exception& e) {
        shell_.ShowError(QString::fromStdString(e.what()));
    }
    AfterEdit();
}

QString TSelectionController::ClipboardText() {
    TBinDataSet* view = document_.ShownView();
    if (!view) return {};
    TBinDataModel* model = shell_.Grid()->Model();
    std::vector<std::string> columns;
    for (int c = 0; c < model->columnCount(); ++c)
        columns.push_back(model->FieldOfColumn(c).toStdString());
    TClipboardOptions options;
    options.halcyonMode = !document_.GeneralMode();
    options.kind = document_.ShownRecordKind();
    options.locale = model->TextLocale();
    options.layoutBooleans =
        presentation::TBooleanTexts::Parse(shell_.BooleanDisplay().toStdString());
    options.hasLayoutBooleans = [this](const std::string& f) {
        return layout_ && layout_->HasLayoutBooleanTexts(f);
    };
    options.curves = document_.CurveFields();
    const std::vector<int32_t> selected =
        RowSelection() ? selection_.Ids() : std::vector<int32_t>{};
    try {
        return QString::fromStdString(RecordsClipboardText(*view, columns, selected, options));
    } catch (const std::exception& e) {
        shell_.ShowError(QString::fromStdString(e.what()));
        return {};
    }
}

void TSelectionController::CopyToClipboard() {
    const QString text = ClipboardText();
    if (!text.isEmpty()) QApplication::clipboard()->setText(text);
}

void TSelectionController::DuplicateDosing() {
    TBinDataSet* view = document_.ShownView();
    if (!view || document_.ShownViewKind() != TEditorDocument::TShownView::Dat || view->IsEmpty())
        return;
    try {
        const TRecordsChange change(&document_, QStringLiteral("Duplicate dosing"),
                                    AllRecordIds(*view));
        ::DuplicateDosing(*view);
    } catch (const std::exception& e) {
        shell_.ShowError(QString::fromStdString(e.what()));
    }
    AfterEdit();
    shell_.GoToRecord(1);
}

void TSelectionController::UpdateActions() {
    if (!WindowAlive()) return;
    TBinDataSet* view = shell_.FileCommandsEnabled() ? document_.ShownView() : nullptr;
    const bool hasRecords = view && !view->IsEmpty();
    const bool rowSelection = RowSelection();
    QAction* rowSelect = Action(TActionId::RowSelect);
    rowSelect->setEnabled(view != nullptr);
    rowSelect->setText(rowSelection ? QStringLiteral("Disable row selection")
                                    : QStringLiteral("Enable row selection"));
    for (TActionId id : {TActionId::SelectOSL, TActionId::SelectTL, TActionId::SelectAll,
                         TActionId::UnselectAll, TActionId::FlipSelect, TActionId::PasteRec})
        Action(id)->setEnabled(hasRecords);
    // The record-graph command names what it will graph.
    Action(TActionId::RecToGraph)
        ->setText(rowSelection && !selection_.Empty() ? QStringLiteral("Graph selected records")
                                                      : QStringLiteral("Graph current record"));
    QAction* setAll = Action(TActionId::SetAll);
    setAll->setVisible(rowSelection);
    setAll->setEnabled(rowSelection && !selection_.Empty() && !FocusedField().empty());
    // The command reads and writes fields of the DAT view only; a mode may hold it back.
    Action(TActionId::ToolsDuplicateDosing)
        ->setEnabled(hasRecords && document_.ShownViewKind() == TEditorDocument::TShownView::Dat &&
                     !shell_.CommandBlocked(TActionId::ToolsDuplicateDosing));
}

bool TSelectionController::WindowAlive() const {
    // Focus changes and events reach here while the window is being destroyed.
    // (The window deletes its controllers first as it goes; this guards what is left.)
    return qobject_cast<const QMainWindow*>(windowObject_) != nullptr;
}

bool TSelectionController::eventFilter(QObject* watched, QEvent* event) {
    if (!WindowAlive()) return QObject::eventFilter(watched, event);
    TBinDataGrid* grid = shell_.Grid();
    if (watched == grid && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy) && !document_.GeneralMode() &&
        document_.ShownView()) {
        CopyToClipboard();
        return true;
    }
    if (watched == grid->verticalHeader()->viewport() &&
        event->type() == QEvent::MouseButtonPress) {
        auto* e = static_cast<QMouseEvent*>(event);
        if (e->button() == Qt::LeftButton) {
            const int row = grid->verticalHeader()->logicalIndexAt(e->position().toPoint());
            if (row >= 0) ClickRowIndicator(row, e->modifiers());
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
