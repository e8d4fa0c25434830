#include "graph/curve_table_model.h"

#include "editor/text_locale.h"

#include <algorithm>

TCurveTableModel::TCurveTableModel(std::vector<TCurveColumn>& columns, QObject* parent)
    : QAbstractTableModel(parent), columns_(columns) {}

void TCurveTableModel::Reset() {
    beginResetModel();
    rows_ = columns_.empty() ? 100 : 0;
    for (const TCurveColumn& c : columns_) rows_ = std::max(rows_, static_cast<int>(c.rows.size()));
    endResetModel();
}

int TCurveTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int TCurveTableModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return columns_.empty() ? 1 : static_cast<int>(columns_.size());
}

QVariant TCurveTableModel::data(const QModelIndex& index, int role) const {
    if (columns_.empty() || !index.isValid()) return {};
    const TCurveColumn& c = columns_[static_cast<std::size_t>(index.column())];
    if (index.row() >= static_cast<int>(c.rows.size())) return {};
    const double v = c.rows[static_cast<std::size_t>(index.row())];
    if (role == Qt::DisplayRole) return LocaleNumber(v, 'g', 10);
    if (role == Qt::EditRole) return v;
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

bool TCurveTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !editable_ || columns_.empty() || !index.isValid()) return false;
    TCurveColumn& c = columns_[static_cast<std::size_t>(index.column())];
    if (index.row() >= static_cast<int>(c.rows.size())) return false;
    // A spin box delegate hands a double; a text is read in the user's locale.
    const std::optional<double> v = value.typeId() == QMetaType::Double
                                        ? std::optional<double>(value.toDouble())
                                        : ReadLocaleNumber(value.toString());
    if (!v) return false;
    c.rows[static_cast<std::size_t>(index.row())] = *v;
    c.changed = true;
    emit dataChanged(index, index);
    if (cellEdited) cellEdited(index.column(), index.row() + 1);
    return true;
}

Qt::ItemFlags TCurveTableModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (editable_ && !columns_.empty() && index.isValid() &&
        index.row() <
            static_cast<int>(columns_[static_cast<std::size_t>(index.column())].rows.size()))
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant TCurveTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
    if (orientation == Qt::Vertical) return section + 1;
    if (columns_.empty()) return QStringLiteral("No data");
    return QString::fromStdString(columns_[static_cast<std::size_t>(section)].title);
}
