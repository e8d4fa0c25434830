#pragma once
// The curve editor's numeric table: one column per loaded curve (titled by the record), one
// row per point, numbered from 1. Before anything is loaded it shows one column "No data"
// and 100 rows. Cells take typed numbers while editing is on: in the user's locale, and
// held as the record stores them (rounded to the curve's element type); a cell confirmed
// without a change of its stored value leaves the column unchanged.
#include <QAbstractTableModel>
#include <functional>
#include <vector>

#include "tools/curve_columns.h"

class TCurveTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit TCurveTableModel(std::vector<TCurveColumn>& columns, QObject* parent = nullptr);

    // The columns were loaded or replaced.
    void Reset();
    void SetEditable(bool on) { editable_ = on; }
    bool Editable() const { return editable_; }
    // Called after a cell took a value other than its old one (column, 1-based row).
    std::function<void(int column, int row)> cellEdited;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<TCurveColumn>& columns_;
    int rows_ = 100;
    bool editable_ = false;
};
