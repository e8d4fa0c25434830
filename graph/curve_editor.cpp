#include "graph/curve_editor.h"

#include <qcustomplot.h>

#include <QAction>
#include <QDateTime>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QSpinBox>
#include <QTableView>
#include <cmath>
#include <exception>
#include <limits>

#include "editor/editor_document.h"
#include "editor/editor_shell.h"
#include "editor/records_snapshot_command.h"
#include "editor/run_progress.h"
#include "editor/text_locale.h"
#include "editor/user_prompts.h"
#include "graph/curve_table_model.h"
#include "graph/graph_form.h"
#include "graph/plot_curves.h"
#include "record_store/bin_data_set.h"

namespace {

const QString kTypeOfData = QStringLiteral("Type of data: ");
const QString kDivideByZero =
    QStringLiteral("A curve cannot be divided by 0: enter a factor other than 0.");

// Loading this many records shows progress; fewer load at once.
constexpr int kProgressFrom = 200;

}  // namespace

QString CurveEditorNotes(TEditorShell& shell) {
    const TEditorDocument& doc = shell.Document();
    const QString crlf = QStringLiteral("\r\n");
    const QString kind =
        (shell.TLCurves() ? QStringLiteral("TL curves") : QStringLiteral("OSL curves")) +
        QStringLiteral(" - ") +
        (shell.SubtractedCurves() ? QStringLiteral("Subtracted curves")
                                  : QStringLiteral("Raw curves"));
    return QStringLiteral("File name: ") + QFileInfo(doc.FileName()).fileName() + crlf +
           QStringLiteral("Full path: ") + doc.FileName() + crlf + kTypeOfData + kind + crlf +
           QStringLiteral("Printed on: ") +
           QLocale().toString(QDateTime::currentDateTime(), QLocale::ShortFormat) + crlf +
           QStringLiteral("Comment: ");
}

TCurveEditor::TCurveEditor(TGrForm1& form) : form_(form), shell_(form.Shell()) {
    model_ = new TCurveTableModel(columns_, this);
    model_->cellEdited = [this](int column, int row) { OnCellEdited(column, row); };
    QMenu* curve = form.CurveMenu();
    curve->clear();
    shiftAction_ = curve->addAction(QStringLiteral("Shift"));
    divideAction_ = curve->addAction(QStringLiteral("Divide"));
    multiplyAction_ = curve->addAction(QStringLiteral("Multiply"));
    for (QAction* a : {shiftAction_, divideAction_, multiplyAction_}) a->setCheckable(true);
    connect(shiftAction_, &QAction::triggered, this,
            [this] { ChooseOperation(TOperation::Shift); });
    connect(divideAction_, &QAction::triggered, this,
            [this] { ChooseOperation(TOperation::Divide); });
    connect(multiplyAction_, &QAction::triggered, this,
            [this] { ChooseOperation(TOperation::Multiply); });
    editTableAction_ = form.GraphMenu()->addAction(QStringLiteral("Edit table"));
    editTableAction_->setCheckable(true);
    connect(editTableAction_, &QAction::toggled, this, [this](bool on) { SetTableEditing(on); });

    connect(form.SpinEdit(), qOverload<int>(&QSpinBox::valueChanged), this, [this](int v) {
        if (!filling_ && operation_ == TOperation::Shift) ApplyShift(v);
    });
    connect(form.FactorField(), &QLineEdit::textChanged, this, &TCurveEditor::OnFactorTextChanged);
    connect(form.FactorField(), &QLineEdit::editingFinished, this, [this] {
        const std::optional<double> v = ReadLocaleNumber(form_.FactorField()->text());
        if (v && operation_ != TOperation::None && operation_ != TOperation::Shift) ApplyFactor(*v);
    });
}

TCurveEditor::~TCurveEditor() = default;

QAbstractItemModel* TCurveEditor::TableModel() {
    return model_;
}

QAction* TCurveEditor::OperationAction(TOperation op) const {
    switch (op) {
        case TOperation::Shift:
            return shiftAction_;
        case TOperation::Divide:
            return divideAction_;
        case TOperation::Multiply:
            return multiplyAction_;
        default:
            return nullptr;
    }
}

void TCurveEditor::Load() {
    columns_.clear();
    current_ = 0;
    dataChanged_ = false;
    TEditorDocument& doc = shell_.Document();
    TBinDataSet* view = doc.ShownView();
    const QString notes = form_.Notes();
    shiftAllowed_ = notes.contains(kTypeOfData + QStringLiteral("TL curves - Subtracted curves"));
    scaleAllowed_ = shiftAllowed_ ||
                    notes.contains(kTypeOfData + QStringLiteral("OSL curves - Subtracted curves"));
    QString status;
    if (view && !view->IsEmpty()) {
        const std::vector<std::int32_t> ids = doc.SelectedRecords();
        const TCurveLoadOptions options{shell_.SubtractedCurves(), !doc.GeneralMode()};
        try {
            TCurveLoadResult result;
            if (static_cast<int>(ids.size()) >= kProgressFrom) {
                TRunProgress progress(&form_, QStringLiteral("Loading curves..."),
                                      static_cast<int>(ids.size()));
                // Every 64 records is often enough to move the bar and see Cancel.
                const TToolProgress report = progress.Callback();
                result = LoadCurveColumns(
                    *view, doc.CurveFields(), options, ids, [&report](int done, int total) {
                        return (done % 64 != 0 && done != total) || report(done, total);
                    });
            } else {
                result = LoadCurveColumns(*view, doc.CurveFields(), options, ids);
            }
            columns_ = std::move(result.columns);
            if (result.zeroSpacing > 0)
                status = QStringLiteral("Spacing 0: %1 drawn against the point number.")
                             .arg(result.zeroSpacing == 1
                                      ? QStringLiteral("1 curve is")
                                      : QStringLiteral("%1 curves are").arg(result.zeroSpacing));
            if (result.cancelled)
                status = QStringLiteral("Loading cancelled: %1 of %2 shown.")
                             .arg(columns_.size())
                             .arg(RecordsText(ids.size()));
        } catch (const std::exception& e) {
            columns_.clear();
            shell_.ShowError(QString::fromStdString(e.what()));
        }
    }
    model_->Reset();
    form_.SetStatusText(status);
    UpdateOperationFields();
}

void TCurveEditor::Draw(QCustomPlot& chart, bool rescale) {
    TCurvePlotOptions options;
    options.currentColumn = columns_.empty() ? -1 : current_;
    options.logX = form_.LogTimeAxis();
    options.rescale = rescale;
    DrawCurveColumns(chart, columns_, options);
    if (columns_.empty() && rescale) {
        chart.xAxis->setRange(0, 10);
        chart.yAxis->setRange(0, 100);
    }
}

bool TCurveEditor::HasTimeAxis() const {
    return AllShineDown(columns_);
}

void TCurveEditor::SetCurrentColumn(int column) {
    if (column < 0 || column >= static_cast<int>(columns_.size()) || column == current_) return;
    current_ = column;
    UpdateOperationFields();
    form_.Redraw(false);
}

void TCurveEditor::TableColumnPicked(int column) {
    SetCurrentColumn(column);
}

void TCurveEditor::ChartClicked(const QPoint& pixel) {
    QCustomPlot& chart = *form_.Chart();
    double best = std::numeric_limits<double>::max();
    int bestColumn = -1, bestRow = 0;
    const double px = pixel.x(), py = pixel.y();
    for (int c = 0; c < static_cast<int>(columns_.size()); ++c) {
        const TCurveColumn& col = columns_[static_cast<std::size_t>(c)];
        const int points = col.PointCount();
        for (int row = 1; row <= points; ++row) {
            const double dx = chart.xAxis->coordToPixel(col.X(row)) - px;
            const double dy = chart.yAxis->coordToPixel(col.Y(row)) - py;
            const double d = dx * dx + dy * dy;
            if (d < best) {
                best = d;
                bestColumn = c;
                bestRow = row;
            }
        }
    }
    if (bestColumn < 0) return;
    const QModelIndex cell = model_->index(bestRow - 1, bestColumn);
    form_.Table()->setCurrentIndex(cell);
    form_.Table()->scrollTo(cell, QAbstractItemView::PositionAtCenter);
    SetCurrentColumn(bestColumn);
}

void TCurveEditor::SetTableEditing(bool on) {
    model_->SetEditable(on);
    form_.Table()->setEditTriggers(on ? QAbstractItemView::DoubleClicked |
                                            QAbstractItemView::EditKeyPressed |
                                            QAbstractItemView::AnyKeyPressed
                                      : QAbstractItemView::NoEditTriggers);
    if (editTableAction_->isChecked() != on) editTableAction_->setChecked(on);
}

void TCurveEditor::OnCellEdited(int column, int /*row*/) {
    dataChanged_ = true;
    SetCurrentColumn(column);
    // The y range widens to the new value; the x range stays.
    QCustomPlot& chart = *form_.Chart();
    const TPlotRanges data = ColumnRanges(columns_);
    QCPRange y = chart.yAxis->range();
    if (data.yMax > y.upper) y.upper = data.yMax * 1.05;
    if (data.yMin < y.lower) y.lower = data.yMin * 1.05;
    form_.Redraw(false);
    chart.yAxis->setRange(y);
    chart.replot();
}

void TCurveEditor::ChooseOperation(TOperation op) {
    operation_ = (op == operation_) ? TOperation::None : op;
    UpdateOperationFields();
    if (operation_ == TOperation::None) {
        form_.Table()->setFocus();
    } else if (operation_ == TOperation::Shift) {
        form_.SpinEdit()->setFocus();
    } else {
        form_.FactorField()->setFocus();
    }
}

void TCurveEditor::UpdateOperationFields() {
    const bool any = !columns_.empty();
    shiftAction_->setEnabled(any && shiftAllowed_);
    divideAction_->setEnabled(any && scaleAllowed_);
    multiplyAction_->setEnabled(any && scaleAllowed_);
    if (!any || (operation_ == TOperation::Shift && !shiftAllowed_) ||
        (operation_ != TOperation::Shift && !scaleAllowed_))
        operation_ = TOperation::None;
    for (TOperation op : {TOperation::Shift, TOperation::Divide, TOperation::Multiply})
        OperationAction(op)->setChecked(op == operation_);
    const bool shift = operation_ == TOperation::Shift;
    const bool scale = operation_ == TOperation::Divide || operation_ == TOperation::Multiply;
    form_.DivMulLabel()->setVisible(shift || scale);
    form_.SpinEdit()->setVisible(shift);
    form_.FactorField()->setVisible(scale);
    if (!any) return;
    const TCurveColumn& c = columns_[static_cast<std::size_t>(current_)];
    filling_ = true;
    if (shift) {
        form_.DivMulLabel()->setText(QStringLiteral("Shifted by "));
        form_.SpinEdit()->setValue(c.currentShift);
    } else if (scale) {
        const bool divide = operation_ == TOperation::Divide;
        form_.DivMulLabel()->setText(divide ? QStringLiteral("Divide by ")
                                            : QStringLiteral("Multiply by "));
        const double shown = divide ? c.currentFactor : 1.0 / c.currentFactor;
        form_.FactorField()->setText(LocaleNumber(shown, 'f', 4));
    }
    filling_ = false;
}

void TCurveEditor::ApplyShift(int shift) {
    if (columns_.empty() || !shiftAllowed_) return;
    TCurveColumn& c = columns_[static_cast<std::size_t>(current_)];
    c.currentShift = shift;
    c.changed = true;
    dataChanged_ = true;
    form_.Redraw(true);
}

void TCurveEditor::OnFactorTextChanged(const QString& text) {
    if (filling_ || columns_.empty()) return;
    if (operation_ != TOperation::Divide && operation_ != TOperation::Multiply) return;
    const double v = ReadLocaleNumber(text).value_or(0.0);
    TCurveColumn& c = columns_[static_cast<std::size_t>(current_)];
    c.changed = true;
    dataChanged_ = true;
    if (v > 0.01 && v < 100) c.currentFactor = operation_ == TOperation::Divide ? v : 1.0 / v;
    form_.Redraw(false);
    // The y range widens to the scaled values.
    const TPlotRanges data = ColumnRanges(columns_);
    QCPRange y = form_.Chart()->yAxis->range();
    y.upper = std::max(y.upper, data.yMax * 1.05);
    y.lower = std::min(y.lower, data.yMin * 1.05);
    form_.Chart()->yAxis->setRange(y);
    form_.Chart()->replot();
}

bool TCurveEditor::ApplyFactor(double v) {
    if (columns_.empty()) return false;
    TCurveColumn& c = columns_[static_cast<std::size_t>(current_)];
    if (operation_ == TOperation::Divide) {
        if (v == 0) {
            shell_.Prompts().ShowError(&form_, kDivideByZero);
            filling_ = true;
            form_.FactorField()->setText(LocaleNumber(c.currentFactor, 'f', 4));
            filling_ = false;
            return false;
        }
        c.currentFactor = v;
    } else if (operation_ == TOperation::Multiply) {
        if (!(v > 0)) return false;
        c.currentFactor = 1.0 / v;
    } else {
        return false;
    }
    c.changed = true;
    dataChanged_ = true;
    form_.Redraw(false);
    return true;
}

void TCurveEditor::WriteBack() {
    TEditorDocument& doc = shell_.Document();
    TBinDataSet* view = doc.ShownView();
    if (!view) return;
    std::vector<std::int32_t> ids;
    for (const TCurveColumn& c : columns_)
        if (c.changed) ids.push_back(c.bookmark);
    if (!ids.empty()) {
        const std::optional<std::int32_t> current = view->GetBookmark();
        try {
            const TRecordsChange change(
                &doc, QStringLiteral("Edit curves (%1)").arg(RecordsText(ids.size())), ids);
            for (TCurveColumn& c : columns_)
                if (c.changed) WriteBackColumn(*view, c);
        } catch (const std::exception& e) {
            shell_.ShowError(QString::fromStdString(e.what()));
        }
        if (current && view->BookmarkValid(*current)) view->GotoBookmark(*current);
        shell_.RefreshView();
        doc.NotifyRecordsChanged();
        shell_.UpdateActions();
    }
    dataChanged_ = false;
}

bool TCurveEditor::PrepareClose() {
    if (!dataChanged_) return true;
    switch (shell_.Prompts().AskSaveChanges(&form_)) {
        case TUserPrompts::TAnswer::Yes:
            WriteBack();
            return true;
        case TUserPrompts::TAnswer::No:
            return true;
        default:
            return false;
    }
}

TGrForm1* CreateCurveEditor(TEditorShell& shell) {
    auto* form = new TGrForm1(shell, shell.Window());
    form->SetNotes(CurveEditorNotes(shell));
    auto role = std::make_unique<TCurveEditor>(*form);
    TCurveEditor* editor = role.get();
    editor->Load();
    form->SetRole(std::move(role));
    return form;
}
