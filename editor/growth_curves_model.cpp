#include "editor/growth_curves_model.h"

TGrowthCurvesModel::TGrowthCurvesModel(QObject* parent) : QAbstractTableModel(parent) {}

void TGrowthCurvesModel::SetTable(const TLookupTable* table) {
    beginResetModel();
    table_ = table;
    endResetModel();
}

void TGrowthCurvesModel::Redraw() {
    if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

void TGrowthCurvesModel::SetFonts(const QFont& font, const QColor& text, const QColor& grey) {
    font_ = font;
    text_ = text;
    grey_ = grey;
}

int TGrowthCurvesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !table_ ? 0 : static_cast<int>(table_->size());
}

int TGrowthCurvesModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant TGrowthCurvesModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const TLookupRecord& e = (*table_)[static_cast<std::size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole:
            return index.column() == 0 ? QVariant(e.RecordIndex + 1)
                                       : QVariant(QString::fromStdString(e.Description));
        case Qt::FontRole: {
            QFont font = font_;
            font.setItalic(!e.InSelection);
            font.setBold(e.InSelection && e.Accepted);
            return font;
        }
        case Qt::ForegroundRole:
            return e.Accepted ? text_ : grey_;
        case Qt::UserRole:
            return e.Ordinal;
        default:
            return {};
    }
}

QVariant TGrowthCurvesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return section == 0 ? QStringLiteral("Record") : QStringLiteral("Description");
}
