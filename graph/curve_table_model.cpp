#include "graph/curve_table_model.h"

#include <QLocale>
#include <algorithm>
#include <array>

#include "editor/text_locale.h"
#include "record_store/curve_elements.h"

namespace {

// The element type the row's value is stored as: the curve's for rows that hold an element,
// none (a plain double) for the leading rows ("Shift", the zero rows of a TL curve).
TCurveElementType RowType(const TCurveColumn& c, int row) {
    return row >= c.firstDataRow ? c.curve.entry.elementType : TCurveElementType::None;
}

// `v` as the record will hold it: rounded to an integer type, to the nearest single, ...;
// nothing when the type cannot hold it (a six-byte real out of range).
std::optional<double> AsStored(TCurveElementType type, double v) {
    if (type == TCurveElementType::None) return v;
    std::array<std::uint8_t, 16> bytes{};
    if (!EncodeCurveElement(type, v, bytes.data())) return std::nullopt;
    return DecodeCurveElement(type, bytes.data());
}

// The value in the user's locale with as many digits as its stored type carries: the
// shortest text that reads back as the same single for SINGLE curves, as the same double
// otherwise (integers show no decimals).
QString EditText(TCurveElementType type, double v) {
    if (type == TCurveElementType::Single) {
        for (int digits = 1; digits < 9; ++digits) {
            const double back = QLocale::c().toString(v, 'g', digits).toDouble();
            if (static_cast<float>(back) == static_cast<float>(v)) return LocaleNumber(v, 'g', digits);
        }
        return LocaleNumber(v, 'g', 9);
    }
    return LocaleNumber(v, 'g', QLocale::FloatingPointShortest);
}

}  // namespace

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
    // The editor is a text field in the user's locale holding every stored digit (a spin
    // box would round to its two decimals).
    if (role == Qt::EditRole) return EditText(RowType(c, index.row() + 1), v);
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

bool TCurveTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !editable_ || columns_.empty() || !index.isValid()) return false;
    TCurveColumn& c = columns_[static_cast<std::size_t>(index.column())];
    if (index.row() >= static_cast<int>(c.rows.size())) return false;
    // A number from code comes as a double; what the user typed is read in the locale.
    const std::optional<double> typed = value.typeId() == QMetaType::Double
                                            ? std::optional<double>(value.toDouble())
                                            : ReadLocaleNumber(value.toString());
    if (!typed) return false;
    const std::optional<double> v = AsStored(RowType(c, index.row() + 1), *typed);
    if (!v) return false;
    double& cell = c.rows[static_cast<std::size_t>(index.row())];
    // Confirming a cell without changing its stored value changes nothing.
    if (*v == cell) return true;
    cell = *v;
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
