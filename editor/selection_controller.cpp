#include "editor/selection_controller.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>

#include "editor/bin_data_grid.h"
#include "editor/layout_commands.h"
#include "editor/layout_controller.h"
#include "editor/layout_field_edit.h"
#include "editor/main_window.h"
#include "editor/record_form.h"
#include "editor/selection_edits.h"
#include "record_store/bin_data_set.h"

namespace {

const char* const kControllerName = "SelectionController";

}  // namespace

TSelectionController::TSelectionController(TEdForm1& form)
    : QObject(&form), form_(form), formObject_(&form) {
    setObjectName(QString::fromLatin1(kControllerName));
    TBinDataGrid* grid = form_.Grid();
    grid->installEventFilter(this);
    grid->verticalHeader()->viewport()->installEventFilter(this);
    connect(grid, &TBinDataGrid::mousePressed, this, [this](QMouseEvent*) {
        // A click into a data cell leaves row selection so that the cell can be edited.
        if (rowSelect_) SetRowSelection(false);
    });
    connect(grid->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        // The grid clears its selection when it moves its current cell: paint it again.
        if (rowSelect_ && !applying_)
            QMetaObject::invokeMethod(
                this, [this] { ApplyToGrid(); }, Qt::QueuedConnection);
    });
    connect(grid->Model(), &QAbstractItemModel::modelReset, this, [this] {
        if (rowSelect_)
            QMetaObject::invokeMethod(
                this, [this] { ApplyToGrid(); }, Qt::QueuedConnection);
    });

    auto on = [this](const char* name, auto slot) {
        if (QAction* a = Action(name)) connect(a, &QAction::triggered, this, slot);
    };
    on("ActionRowSelect", [this] { SetRowSelection(!rowSelect_); });
    on("ActionSelectTL", [this] { SelectTL(true); });
    on("ActionSelectOSL", [this] { SelectTL(false); });
    on("ActionSelectAll", [this] { SelectAll(); });
    on("ActionUnselectAll", [this] { UnselectAll(); });
    on("ActionFlipSelect", [this] { ToggleSelection(); });
    on("ActionSetAll", [this] { PostFieldToSelected(); });
    on("ActionPasteRec", [this] { CopyToClipboard(); });
    on("ActionToolsDuplicateDosing", [this] { DuplicateDosing(); });
    if (QAction* a = Action("ActionSetAll"))
        a->setToolTip(QStringLiteral("Writes current field value to all selected records"));

    auto leave = [this] {
        rowSelect_ = false;
        selection_.Clear();
        UpdateActions();
    };
    connect(&form_, &TEdForm1::viewClosing, this, leave);
    connect(&form_, &TEdForm1::viewOpened, this, [this](bool) { SetRowSelection(false); });
    connect(&form_, &TEdForm1::modeChanged, this, [this] { SetRowSelection(false); });
    connect(&form_, &TEdForm1::currentRecordChanged, this, [this] { UpdateActions(); });
    connect(qApp, &QApplication::focusChanged, this, [this] { UpdateActions(); });
    if (auto* menu = form_.findChild<QMenu*>(QStringLiteral("EditMenu")))
        connect(menu, &QMenu::aboutToShow, this, [this] { UpdateActions(); });
    UpdateActions();
}

TSelectionController* TSelectionController::Of(const TEdForm1& form) {
    return form.findChild<TSelectionController*>(QString::fromLatin1(kControllerName),
                                                 Qt::FindDirectChildrenOnly);
}

QAction* TSelectionController::Action(const char* name) const {
    return form_.findChild<QAction*>(QString::fromLatin1(name));
}

void TSelectionController::SetRowSelection(bool on) {
    TBinDataGrid* grid = form_.Grid();
    rowSelect_ = on;
    if (on) {
        grid->setSelectionBehavior(QAbstractItemView::SelectRows);
        // Rows are selected by the commands and the row indicators, not by the view itself.
        grid->setSelectionMode(QAbstractItemView::NoSelection);
        grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    } else {
        selection_.Clear();
        grid->SetNormalOptions();
    }
    ApplyToGrid();
    UpdateActions();
}

int32_t TSelectionController::IdOfRow(int row) const {
    TBinDataSet* view = form_.ShownView();
    if (!view || row < 0 || row >= view->RecordCount()) return 0;
    return view->RecordAt(row).id;
}

void TSelectionController::ApplyToGrid() {
    TBinDataGrid* grid = form_.Grid();
    TBinDataSet* view = form_.ShownView();
    applying_ = true;
    QItemSelection rows;
    if (rowSelect_ && view) {
        const int columns = grid->Model()->columnCount();
        for (int r = 0; r < view->RecordCount() && columns > 0; ++r) {
            if (selection_.Contains(view->RecordAt(r).id))
                rows.select(grid->Model()->index(r, 0), grid->Model()->index(r, columns - 1));
        }
    }
    if (rowSelect_) {
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
    form_.RefreshView();
    if (TLayoutController* layout = TLayoutController::Of(form_)) layout->RefreshEdits();
    ApplyToGrid();
    UpdateActions();
}

void TSelectionController::SelectTL(bool tl) {
    TBinDataSet* view = form_.ShownView();
    if (!view) return;
    SetRowSelection(true);
    const bool sampleRunsOnly = form_.SubtractedCurves();
    SelectWhere(*view, selection_,
                [&](const TBinDataSet& v) { return SelectsAsTL(v, tl, sampleRunsOnly); });
    ApplyToGrid();
    UpdateActions();
}

void TSelectionController::SelectAll() {
    TBinDataSet* view = form_.ShownView();
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
    TBinDataSet* view = form_.ShownView();
    if (!view) return;
    if (!rowSelect_) SetRowSelection(true);
    ToggleShown(*view, selection_);
    ApplyToGrid();
    UpdateActions();
}

void TSelectionController::ClickRowIndicator(int row, Qt::KeyboardModifiers modifiers) {
    TBinDataSet* view = form_.ShownView();
    if (!view || row < 0 || row >= view->RecordCount()) return;
    if (!rowSelect_) SetRowSelection(true);
    const int32_t id = IdOfRow(row);
    if (modifiers & Qt::ControlModifier) {
        selection_.Toggle(id);
    } else if (modifiers & Qt::ShiftModifier) {
        const int from = std::max(form_.Grid()->CurrentRow(), 0);
        const int step = row >= from ? 1 : -1;
        for (int r = from;; r += step) {
            selection_.Add(IdOfRow(r));
            if (r == row) break;
        }
    } else {
        selection_.Clear();
        selection_.Add(id);
    }
    form_.GoToRecord(row + 1);
    ApplyToGrid();
    UpdateActions();
}

std::string TSelectionController::FocusedField() const {
    QWidget* focus = QApplication::focusWidget();
    if (!focus) return {};
    if (auto* edit = qobject_cast<TLayoutFieldEdit*>(focus)) {
        if (form_.IsGeneralMode() && edit->isVisible()) return edit->Field();
        return {};
    }
    TBinDataSet* view = form_.ShownView();
    if (form_.IsGeneralMode() || !view || !qobject_cast<QLineEdit*>(focus)) return {};
    for (const TBinField& f : view->Fields())
        if (form_.RecordForm()->EditOf(QString::fromStdString(f.name)) == focus) return f.name;
    return {};
}

void TSelectionController::PostFieldToSelected() {
    TBinDataSet* view = form_.ShownView();
    const std::string field = FocusedField();
    if (!view || !rowSelect_ || field.empty()) return;
    auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    const std::string text = edit->text().toStdString();
    if (text.empty()) return;
    try {
        ::PostFieldToSelected(
            *view, form_.ShownRecordKind(), field, text, selection_.Ids(),
            presentation::TBooleanTexts::Parse(form_.BooleanDisplay().toStdString()),
            form_.Grid()->Model()->TextLocale());
    } catch (const std::exception& e) {
        form_.ShowError(QString::fromStdString(e.what()));
    }
    AfterEdit();
}

QString TSelectionController::ClipboardText() {
    TBinDataSet* view = form_.ShownView();
    if (!view) return {};
    TBinDataModel* model = form_.Grid()->Model();
    std::vector<std::string> columns;
    for (int c = 0; c < model->columnCount(); ++c)
        columns.push_back(model->FieldOfColumn(c).toStdString());
    TClipboardOptions options;
    options.halcyonMode = !form_.IsGeneralMode();
    options.kind = form_.ShownRecordKind();
    options.locale = model->TextLocale();
    options.layoutBooleans =
        presentation::TBooleanTexts::Parse(form_.BooleanDisplay().toStdString());
    options.hasLayoutBooleans = [this](const std::string& f) {
        return LayoutGaveBooleanTexts(form_, f);
    };
    options.curves = OpenFileCurveFields(form_);
    const std::vector<int32_t> selected = rowSelect_ ? selection_.Ids() : std::vector<int32_t>{};
    try {
        return QString::fromStdString(RecordsClipboardText(*view, columns, selected, options));
    } catch (const std::exception& e) {
        form_.ShowError(QString::fromStdString(e.what()));
        return {};
    }
}

void TSelectionController::CopyToClipboard() {
    const QString text = ClipboardText();
    if (!text.isEmpty()) QApplication::clipboard()->setText(text);
}

void TSelectionController::DuplicateDosing() {
    TBinDataSet* view = form_.ShownView();
    if (!view || form_.ShownViewKind() != TEdForm1::TShownView::Dat || view->IsEmpty()) return;
    try {
        ::DuplicateDosing(*view);
    } catch (const std::exception& e) {
        form_.ShowError(QString::fromStdString(e.what()));
    }
    AfterEdit();
    form_.GoToRecord(1);
}

void TSelectionController::UpdateActions() {
    if (!FormAlive()) return;
    TBinDataSet* view = form_.FileCommandsEnabled() ? form_.ShownView() : nullptr;
    const bool hasRecords = view && !view->IsEmpty();
    if (QAction* a = Action("ActionRowSelect")) {
        a->setEnabled(view != nullptr);
        a->setText(rowSelect_ ? QStringLiteral("Disable row selection")
                              : QStringLiteral("Enable row selection"));
    }
    for (const char* name : {"ActionSelectOSL", "ActionSelectTL", "ActionSelectAll",
                             "ActionUnselectAll", "ActionFlipSelect"})
        if (QAction* a = Action(name)) a->setEnabled(hasRecords);
    if (QAction* a = Action("ActionPasteRec")) a->setEnabled(hasRecords);
    if (QAction* a = Action("ActionSetAll")) {
        a->setVisible(rowSelect_);
        a->setEnabled(rowSelect_ && !selection_.Empty() && !FocusedField().empty());
    }
    // The command reads and writes fields of the DAT view only.
    if (QAction* a = Action("ActionToolsDuplicateDosing"))
        a->setEnabled(hasRecords && form_.ShownViewKind() == TEdForm1::TShownView::Dat);
}

bool TSelectionController::FormAlive() const {
    // Focus changes and events reach here while the window is being destroyed.
    return qobject_cast<const TEdForm1*>(formObject_) != nullptr;
}

bool TSelectionController::eventFilter(QObject* watched, QEvent* event) {
    if (!FormAlive()) return QObject::eventFilter(watched, event);
    TBinDataGrid* grid = form_.Grid();
    if (watched == grid && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy) && !form_.IsGeneralMode() &&
        form_.ShownView()) {
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
