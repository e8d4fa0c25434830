#pragma once
// The record grid: a table view over a TBinDataModel. It keeps the current row and the
// store's cursor together, reports every mouse press to its owner before handling it, and
// can make a record and a column current.
#include <QTableView>

#include "editor/bin_data_model.h"

// The columns the grid shows for a view when no mode puts its own in place: the fixed
// columns of its kind (with whether each is hidden), or every field of a general view.
QStringList NormalGridColumns(const TBinDataSet* view, TRecordKind kind,
                              std::vector<bool>* hidden = nullptr);

class TBinDataGrid : public QTableView {
    Q_OBJECT

public:
    explicit TBinDataGrid(QWidget* parent = nullptr);

    TBinDataModel* Model() const { return model_; }
    // Shows a view with the fixed columns of its kind (the general view: all its data
    // fields) and sizes the columns to their content. Column titles set before are dropped.
    void ShowView(TBinDataSet* view, TRecordKind kind);
    // Shows the view's records under the given columns (field names of the view), all
    // visible, with titles for some of them (a mode's own columns).
    void ShowColumns(const QStringList& columns, std::map<std::string, std::string> titles);
    void Clear();
    // Makes the row of the record at 0-based index current and keeps it visible.
    void SelectRecord(int row);
    // Moves the store's cursor to the record of `row` and makes `column` current.
    void MoveToRow(int row, int column = -1);
    int CurrentRow() const;
    // Restores the normal options: no row selection, editing allowed.
    void SetNormalOptions();
    void FitColumns();

signals:
    void mousePressed(QMouseEvent* event);  // sent before the grid handles the press
    void currentRowChanged(int row);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    TBinDataModel* model_ = nullptr;
};
