#include "tools/ascii_export_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <map>

namespace {

constexpr int kColumnRole = Qt::UserRole;

int ColumnOf(const QListWidgetItem* item) {
    return item->data(kColumnRole).toInt();
}

}  // namespace

TConvASCIIDlg::TConvASCIIDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ConvASCIIDlg"));
    setWindowTitle(QStringLiteral("Select fields for conversion"));
    all_ = new QListWidget(this);
    all_->setObjectName(QStringLiteral("AllFieldsList"));
    all_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    chosen_ = new QListWidget(this);
    chosen_->setObjectName(QStringLiteral("AsciiFieldsList"));
    chosen_->setSelectionMode(QAbstractItemView::SingleSelection);

    add_ = new QPushButton(QStringLiteral(">"), this);
    add_->setObjectName(QStringLiteral("AddButton"));
    add_->setToolTip(QStringLiteral("Add the selected fields"));
    remove_ = new QPushButton(QStringLiteral("<"), this);
    remove_->setObjectName(QStringLiteral("RemoveButton"));
    remove_->setToolTip(QStringLiteral("Remove the selected field"));
    up_ = new QPushButton(QStringLiteral("Up"), this);
    up_->setObjectName(QStringLiteral("UpButton"));
    down_ = new QPushButton(QStringLiteral("Down"), this);
    down_->setObjectName(QStringLiteral("DownButton"));

    delimiter_ = new QComboBox(this);
    delimiter_->setObjectName(QStringLiteral("Delimiter"));
    delimiter_->setEditable(true);
    for (const std::string& d : AsciiDelimiterNames())
        delimiter_->addItem(QString::fromStdString(d));
    delimiter_->setCurrentIndex(0);

    auto* arrange = new QGroupBox(QStringLiteral(" Arrange records "), this);
    rows_ = new QRadioButton(QStringLiteral("in rows"), arrange);
    columns_ = new QRadioButton(QStringLiteral("in columns"), arrange);
    columns_->setChecked(true);
    auto* arrangeLayout = new QVBoxLayout(arrange);
    arrangeLayout->addWidget(rows_);
    arrangeLayout->addWidget(columns_);
    rois_ = new QCheckBox(QStringLiteral("integrate over ROI's"), this);
    rois_->setObjectName(QStringLiteral("IntegrateROIs"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* lists = new QGridLayout;
    lists->addWidget(new QLabel(QStringLiteral("Fields: "), this), 0, 0);
    lists->addWidget(new QLabel(QStringLiteral("Convert to ASCII: "), this), 0, 2);
    lists->addWidget(all_, 1, 0);
    auto* middle = new QVBoxLayout;
    middle->addStretch();
    middle->addWidget(add_);
    middle->addWidget(remove_);
    middle->addStretch();
    lists->addLayout(middle, 1, 1);
    lists->addWidget(chosen_, 1, 2);
    auto* move = new QVBoxLayout;
    move->addWidget(new QLabel(QStringLiteral("Move"), this));
    move->addWidget(up_);
    move->addWidget(down_);
    move->addStretch();
    lists->addLayout(move, 1, 3);

    auto* options = new QHBoxLayout;
    auto* delimiterBox = new QVBoxLayout;
    delimiterBox->addWidget(new QLabel(QStringLiteral("use delimeter:"), this));
    delimiterBox->addWidget(delimiter_);
    delimiterBox->addStretch();
    options->addLayout(delimiterBox);
    options->addWidget(arrange);
    options->addWidget(rois_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists);
    layout->addLayout(options);
    layout->addWidget(buttons);

    connect(add_, &QPushButton::clicked, this, &TConvASCIIDlg::AddSelected);
    connect(remove_, &QPushButton::clicked, this, &TConvASCIIDlg::RemoveSelected);
    connect(up_, &QPushButton::clicked, this, [this] { MoveSelected(-1); });
    connect(down_, &QPushButton::clicked, this, [this] { MoveSelected(1); });
    connect(all_, &QListWidget::itemSelectionChanged, this, &TConvASCIIDlg::UpdateButtons);
    connect(chosen_, &QListWidget::itemSelectionChanged, this, &TConvASCIIDlg::UpdateButtons);
    UpdateButtons();
}

void TConvASCIIDlg::FillFields(const std::vector<std::pair<std::string, int>>& columns) {
    if (columns == offered_) return;
    offered_ = columns;
    // Chosen fields the file still has stay chosen, at their new column positions.
    std::map<QString, int> positions;
    for (const auto& [name, column] : columns) positions[QString::fromStdString(name)] = column;
    for (int i = chosen_->count() - 1; i >= 0; --i) {
        const auto at = positions.find(chosen_->item(i)->text());
        if (at == positions.end()) {
            delete chosen_->takeItem(i);
        } else {
            chosen_->item(i)->setData(kColumnRole, at->second);
            positions.erase(at);
        }
    }
    all_->clear();
    for (const auto& [name, column] : columns) {
        if (positions.count(QString::fromStdString(name)) == 0) continue;
        auto* item = new QListWidgetItem(QString::fromStdString(name), all_);
        item->setData(kColumnRole, column);
    }
    UpdateButtons();
}

TAsciiExportSettings TConvASCIIDlg::Settings() const {
    TAsciiExportSettings s;
    for (int i = 0; i < chosen_->count(); ++i)
        s.items.push_back(chosen_->item(i)->text().toStdString());
    s.delimiter = delimiter_->currentText().toStdString();
    s.arrange = rows_->isChecked() ? TArrangeRecords::Rows : TArrangeRecords::Columns;
    s.integrateROIs = rois_->isChecked();
    return s;
}

void TConvASCIIDlg::AddSelected() {
    // In list order, not in the order of selecting.
    for (int i = 0; i < all_->count();) {
        if (all_->item(i)->isSelected()) {
            QListWidgetItem* item = all_->takeItem(i);
            item->setSelected(false);
            chosen_->addItem(item);
        } else {
            ++i;
        }
    }
    UpdateButtons();
}

void TConvASCIIDlg::RemoveSelected() {
    const int row = chosen_->currentRow();
    if (row < 0 || !chosen_->item(row)->isSelected()) return;
    QListWidgetItem* item = chosen_->takeItem(row);
    // Back before the first field whose grid column is not before its own: "Fields: " stays
    // in grid column order.
    int at = all_->count();
    for (int i = 0; i < all_->count(); ++i) {
        if (ColumnOf(all_->item(i)) >= ColumnOf(item)) {
            at = i;
            break;
        }
    }
    all_->insertItem(at, item);
    item->setSelected(false);
    if (chosen_->count() > 0) {
        const int next = std::min(row, chosen_->count() - 1);
        chosen_->setCurrentRow(next);
        chosen_->item(next)->setSelected(true);
    }
    UpdateButtons();
}

void TConvASCIIDlg::MoveSelected(int step) {
    const int row = chosen_->currentRow();
    const int target = row + step;
    if (row < 0 || target < 0 || target >= chosen_->count()) return;
    QListWidgetItem* item = chosen_->takeItem(row);
    chosen_->insertItem(target, item);
    chosen_->setCurrentRow(target);
    item->setSelected(true);
    UpdateButtons();
}

void TConvASCIIDlg::UpdateButtons() {
    add_->setEnabled(!all_->selectedItems().isEmpty());
    const int row = chosen_->currentRow();
    const bool selected = row >= 0 && chosen_->item(row)->isSelected();
    remove_->setEnabled(selected);
    up_->setEnabled(selected && row > 0);
    down_->setEnabled(selected && row < chosen_->count() - 1);
}
