#include "editor/bin_data_model.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <algorithm>

#include "editor/records_snapshot_command.h"
#include "record_store/bin_data_set.h"
#include "record_store/editor_error.h"
#include "record_store/presentation_entry.h"

using presentation::TViewRecordValues;

TBinDataModel::TBinDataModel(QObject* parent) : QAbstractTableModel(parent) {}

void TBinDataModel::SetView(TBinDataSet* view, TRecordKind kind, const QStringList& columns) {
    beginResetModel();
    view_ = view;
    kind_ = kind;
    columns_ = columns;
    fieldIndexes_.clear();
    for (const QString& c : columns_) {
        const TBinField* f = view_ && view_->Active() ? view_->FindField(c.toStdString()) : nullptr;
        fieldIndexes_.push_back(f ? f->index : -1);
    }
    filtered_ = view_ && view_->Active() && view_->Filtered();
    rows_ = filtered_ ? view_->VisibleIndexes() : std::vector<int>();
    endResetModel();
}

int TBinDataModel::RecordIndexOfRow(int row) const {
    if (row < 0 || row >= rowCount()) return -1;
    return filtered_ ? rows_[static_cast<size_t>(row)] : row;
}

int TBinDataModel::RowOfRecordIndex(int index) const {
    if (!filtered_) return index >= 0 && index < rowCount() ? index : -1;
    const auto at = std::lower_bound(rows_.begin(), rows_.end(), index);
    return at != rows_.end() && *at == index ? static_cast<int>(at - rows_.begin()) : -1;
}

QString TBinDataModel::FieldOfColumn(int column) const {
    return column >= 0 && column < columns_.size() ? columns_.at(column) : QString();
}

int TBinDataModel::ColumnOfField(const QString& field) const {
    return columns_.indexOf(field);
}

void TBinDataModel::SetBooleanTexts(const presentation::TBooleanTexts& texts) {
    booleans_ = texts;
    if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

void TBinDataModel::SetColumnTitles(std::map<std::string, std::string> titles) {
    titles_ = std::move(titles);
    if (columnCount() > 0) emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

void TBinDataModel::SetTextLocale(const presentation::TTextLocale& locale) {
    locale_ = locale;
}

void TBinDataModel::Reload() {
    SetView(view_, kind_, columns_);
}

int TBinDataModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !view_ || !view_->Active()) return 0;
    return filtered_ ? static_cast<int>(rows_.size()) : view_->RecordCount();
}

int TBinDataModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QString TBinDataModel::ShownText(int row, const QString& field, bool forEdit) const {
    const int at = RecordIndexOfRow(row);
    if (!view_ || !view_->Active() || at < 0 || at >= view_->RecordCount()) return {};
    TViewRecordValues record(*view_, kind_, at, locale_);
    if (lookup_) record.SetBackgroundLookup(&lookup_);
    return QString::fromStdString(record.ShownText(field.toStdString(), booleans_, forEdit));
}

QString TBinDataModel::DisplayText(int row, const QString& field) const {
    return ShownText(row, field, false);
}

QString TBinDataModel::EditText(int row, const QString& field) const {
    return ShownText(row, field, true);
}

QVariant TBinDataModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.column() >= columns_.size()) return {};
    const QString field = columns_.at(index.column());
    switch (role) {
        case Qt::DisplayRole:
            return DisplayText(index.row(), field);
        case Qt::EditRole:
            return EditText(index.row(), field);
        case Qt::TextAlignmentRole: {
            const int fi = fieldIndexes_[static_cast<size_t>(index.column())];
            if (fi < 0) return {};
            const TFieldType t = view_->Field(fi).type;
            const bool numeric =
                t == TFieldType::Integer || t == TFieldType::Word || t == TFieldType::Float;
            return QVariant::fromValue(Qt::AlignVCenter |
                                       (numeric ? Qt::AlignRight : Qt::AlignLeft));
        }
        default:
            return {};
    }
}

bool TBinDataModel::ColumnEditable(int column) const {
    if (column < 0 || column >= static_cast<int>(fieldIndexes_.size())) return false;
    const int fi = fieldIndexes_[static_cast<size_t>(column)];
    if (fi < 0) return false;
    const TBinField& f = view_->Field(fi);
    if (f.calculated || f.type == TFieldType::Bytes) return false;
    return columns_.at(column) != QLatin1String("Run#") || kind_ == TRecordKind::General;
}

Qt::ItemFlags TBinDataModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (ColumnEditable(index.column())) f |= Qt::ItemIsEditable;
    return f;
}

bool TBinDataModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || !ColumnEditable(index.column())) return false;
    try {
        const int at = RecordIndexOfRow(index.row());
        if (at < 0) return false;
        view_->SetRecNo(at + 1);
        const QString& field = columns_.at(index.column());
        const TRecordsChange change(document_, QStringLiteral("Edit ") + field,
                                    {view_->RecordAt(at).id});
        const auto outcome =
            presentation::ApplyEntry(*view_, kind_, columns_.at(index.column()).toStdString(),
                                     value.toString().toStdString(), booleans_, locale_);
        if (outcome == presentation::TEntryOutcome::Unchanged) return false;
    } catch (const std::exception& e) {
        emit entryFailed(QString::fromStdString(e.what()));
        return false;
    }
    // One entry may change other fields of the row (irradiation times, descriptions).
    emit dataChanged(this->index(index.row(), 0), this->index(index.row(), columnCount() - 1));
    emit recordEdited(index.row());
    return true;
}

QVariant TBinDataModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    if (section < 0 || section >= columns_.size()) return {};
    const std::string field = columns_.at(section).toStdString();
    const auto title = titles_.find(field);
    if (title != titles_.end()) return QString::fromStdString(title->second);
    return QString::fromStdString(presentation::DisplayLabel(kind_, field));
}
