#include "editor/bin_data_grid.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QMouseEvent>
#include <algorithm>

#include "record_store/bin_data_set.h"
#include "record_store/presentation_columns.h"

TBinDataGrid::TBinDataGrid(QWidget* parent) : QTableView(parent), model_(new TBinDataModel(this)) {
    setObjectName(QStringLiteral("BinDataGrid"));
    setModel(model_);
    setAlternatingRowColors(true);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setTabKeyNavigation(true);
    setWordWrap(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(true);
    horizontalHeader()->setStretchLastSection(false);
}

void TBinDataGrid::ShowView(TBinDataSet* view, TRecordKind kind) {
    std::vector<bool> hidden;
    const QStringList columns = NormalGridColumns(view, kind, &hidden);
    model_->SetColumnTitles({});
    model_->SetView(view, kind, columns);
    for (int c = 0; c < static_cast<int>(hidden.size()); ++c)
        setColumnHidden(c, hidden[static_cast<size_t>(c)]);
    FitColumns();
}

QStringList NormalGridColumns(const TBinDataSet* view, TRecordKind kind,
                              std::vector<bool>* hidden) {
    QStringList columns;
    std::vector<bool> unused;
    if (!hidden) hidden = &unused;
    if (view && view->Active()) {
        const auto& fixed = presentation::GridColumns(kind);
        if (fixed.empty()) {
            for (const TBinField& f : view->Fields()) {
                columns << QString::fromStdString(f.name);
                hidden->push_back(false);
            }
        } else {
            for (const auto& c : fixed) {
                columns << QString::fromStdString(c.field);
                hidden->push_back(c.hidden);
            }
        }
    }
    return columns;
}

void TBinDataGrid::ShowColumns(const QStringList& columns,
                               std::map<std::string, std::string> titles) {
    model_->SetView(model_->View(), model_->Kind(), columns);
    model_->SetColumnTitles(std::move(titles));
    for (int c = 0; c < columns.size(); ++c) setColumnHidden(c, false);
    FitColumns();
}

void TBinDataGrid::Clear() {
    model_->SetColumnTitles({});
    model_->SetView(nullptr, TRecordKind::General, {});
}

void TBinDataGrid::FitColumns() {
    // Width from the header and the first rows only: a file may hold 32 767 records.
    const QFontMetrics fm(font());
    const QFontMetrics hm(horizontalHeader()->font());
    const int rows = std::min(model_->rowCount(), 50);
    for (int c = 0; c < model_->columnCount(); ++c) {
        if (isColumnHidden(c)) continue;
        int w = hm.horizontalAdvance(model_->headerData(c, Qt::Horizontal).toString()) + 24;
        for (int r = 0; r < rows; ++r)
            w = std::max(w,
                         fm.horizontalAdvance(model_->data(model_->index(r, c)).toString()) + 16);
        setColumnWidth(c, std::min(w, 40 * fm.averageCharWidth()));
    }
    verticalHeader()->setMinimumWidth(fm.horizontalAdvance(QStringLiteral("32767")) + 12);
}

void TBinDataGrid::SelectRecord(int row) {
    if (row < 0 || row >= model_->rowCount()) return;
    int column = currentIndex().isValid() ? currentIndex().column() : 0;
    while (column < model_->columnCount() && isColumnHidden(column)) ++column;
    if (column >= model_->columnCount()) column = 0;
    const QModelIndex idx = model_->index(row, column);
    if (currentIndex() != idx) {
        selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect);
    }
    scrollTo(idx);
}

void TBinDataGrid::MoveToRow(int row, int column) {
    if (row < 0 || row >= model_->rowCount()) return;
    if (TBinDataSet* view = model_->View()) view->SetRecNo(model_->RecordIndexOfRow(row) + 1);
    const int col = column >= 0 ? column : std::max(currentIndex().column(), 0);
    const QModelIndex idx = model_->index(row, col);
    selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect);
    scrollTo(idx);
}

int TBinDataGrid::CurrentRow() const {
    return currentIndex().isValid() ? currentIndex().row() : -1;
}

void TBinDataGrid::SetNormalOptions() {
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
}

void TBinDataGrid::mousePressEvent(QMouseEvent* event) {
    emit mousePressed(event);
    QTableView::mousePressEvent(event);
}

void TBinDataGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (current.row() != previous.row() && current.isValid()) emit currentRowChanged(current.row());
}
