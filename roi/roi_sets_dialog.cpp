#include "roi/roi_sets_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr int kNameColumn = 0;
constexpr int kFromColumn = 1;
constexpr int kToColumn = 2;

int32_t CellInteger(const QTableWidgetItem* item) {
    if (!item) return 0;
    bool ok = false;
    const int value = item->text().trimmed().toInt(&ok);
    return ok ? value : 0;
}

QTableWidgetItem* NameItem(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

}  // namespace

TRoiSetsDlg::TRoiSetsDlg(TROISets& sets, TSettingsStore& store, QWidget* parent)
    : QDialog(parent), sets_(sets), store_(store) {
    setObjectName(QStringLiteral("PagesDlg"));
    setWindowTitle(QStringLiteral("System parameters"));
    reportError_ = [this](const QString& message) {
        QMessageBox::critical(this, QStringLiteral("Orvane Editor"), message);
    };

    tabs_ = new QTabWidget(this);
    BuildPage(tl_, TROIKind::TL, QStringLiteral("Set TL ROIs"));
    BuildPage(osl_, TROIKind::OSL, QStringLiteral("Set OSL ROIs"));

    ok_ = new QPushButton(QStringLiteral("OK"), this);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    help_ = new QPushButton(QStringLiteral("Help"), this);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(help_, &QPushButton::clicked, this, &TRoiSetsDlg::helpRequested);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(ok_);
    bottom->addWidget(cancel_);
    bottom->addWidget(help_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addLayout(bottom);

    ShowSets(tl_);
    ShowSets(osl_);
    UpdateButtons();
}

void TRoiSetsDlg::BuildPage(TPage& p, TROIKind kind, const QString& title) {
    const QString prefix = kind == TROIKind::TL ? QStringLiteral("TL") : QStringLiteral("OSL");
    p.kind = kind;
    p.widget = new QWidget;
    p.widget->setObjectName(prefix + QStringLiteral("Page"));

    p.listLabel = new QLabel(QStringLiteral("Select ROI set"));
    p.list = new QListWidget;
    p.list->setObjectName(prefix + QStringLiteral("SetList"));
    p.newNameLabel = new QLabel(QStringLiteral("Name the new set"));
    p.newName = new QLineEdit;
    p.newName->setObjectName(prefix + QStringLiteral("NewName"));

    auto button = [&](const QString& caption, const QString& name) {
        auto* b = new QPushButton(caption);
        b->setObjectName(prefix + name);
        b->setAutoDefault(false);
        return b;
    };
    p.newButton = button(QStringLiteral("New ROIs"), QStringLiteral("NewButton"));
    p.saveButton = button(QStringLiteral("Save ROIs"), QStringLiteral("SaveButton"));
    p.deleteButton = button(QStringLiteral("Delete ROIs"), QStringLiteral("DeleteButton"));
    p.acceptButton = button(QStringLiteral("Accept new"), QStringLiteral("AcceptNewButton"));
    p.cancelNewButton = button(QStringLiteral("Cancel new"), QStringLiteral("CancelNewButton"));

    p.grid = new QTableWidget(kROICount, 3);
    p.grid->setObjectName(prefix + QStringLiteral("Grid"));
    p.grid->setHorizontalHeaderLabels(
        {QStringLiteral("ROI"), QStringLiteral("from"), QStringLiteral("to")});
    p.grid->verticalHeader()->hide();
    p.grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    p.grid->setMinimumWidth(240);

    auto* left = new QVBoxLayout;
    left->addWidget(p.listLabel);
    left->addWidget(p.list);
    left->addWidget(p.newNameLabel);
    left->addWidget(p.newName);
    left->addWidget(p.acceptButton);
    left->addWidget(p.cancelNewButton);
    left->addStretch();
    left->addWidget(p.newButton);
    left->addWidget(p.saveButton);
    left->addWidget(p.deleteButton);
    // The left column keeps its width while the naming controls replace the list.
    auto* leftColumn = new QWidget;
    leftColumn->setFixedWidth(190);
    leftColumn->setLayout(left);
    left->setContentsMargins(0, 0, 0, 0);
    auto* row = new QHBoxLayout(p.widget);
    row->addWidget(leftColumn);
    row->addWidget(p.grid, 1);
    tabs_->addTab(p.widget, title);

    TPage* page = &p;
    connect(p.list, &QListWidget::currentRowChanged, this,
            [this, page](int r) { OnSetChosen(*page, r); });
    connect(p.newButton, &QPushButton::clicked, this, [this, page] { OnNew(*page); });
    connect(p.saveButton, &QPushButton::clicked, this, [this, page] { OnSave(*page); });
    connect(p.deleteButton, &QPushButton::clicked, this, [this, page] { OnDelete(*page); });
    connect(p.acceptButton, &QPushButton::clicked, this, [this, page] { OnAcceptNew(*page); });
    connect(p.cancelNewButton, &QPushButton::clicked, this, [this, page] { OnCancelNew(*page); });
    connect(p.grid, &QTableWidget::itemChanged, this, [this, page] { OnCellChanged(*page); });
    ShowNaming(p, false);
}

void TRoiSetsDlg::ShowPage(TROIKind kind) {
    tabs_->setCurrentWidget(page(kind).widget);
}

TROIKind TRoiSetsDlg::CurrentPage() const {
    return tabs_->currentWidget() == osl_.widget ? TROIKind::OSL : TROIKind::TL;
}

void TRoiSetsDlg::showEvent(QShowEvent* event) {
    LoadAll();
    QDialog::showEvent(event);
}

void TRoiSetsDlg::LoadAll() {
    sets_.Load(store_);
    if (naming_) {
        naming_ = false;
        ShowNaming(tl_, false);
        ShowNaming(osl_, false);
    }
    ShowSets(tl_);
    ShowSets(osl_);
    UpdateButtons();
}

void TRoiSetsDlg::ShowSets(TPage& p) {
    const TROIKindSets& k = sets_.Of(p.kind);
    filling_ = true;
    p.list->clear();
    for (const std::string& name : k.List().names) p.list->addItem(QString::fromStdString(name));
    p.list->setCurrentRow(k.CurrentIndex());
    filling_ = false;
    ShowSet(p, k.Current());
}

void TRoiSetsDlg::ShowSet(TPage& p, const TROISet& set) {
    filling_ = true;
    for (int r = 0; r < kROICount; ++r) {
        const TROI& roi = set[r];
        p.grid->setItem(
            r, kNameColumn,
            NameItem(r == 0 ? QStringLiteral("Average") : QString::fromStdString(roi.name)));
        p.grid->setItem(r, kFromColumn,
                        new QTableWidgetItem(roi.IsSet() ? QString::number(roi.first) : QString()));
        p.grid->setItem(r, kToColumn,
                        new QTableWidgetItem(roi.IsSet() ? QString::number(roi.last) : QString()));
    }
    filling_ = false;
}

TROISet TRoiSetsDlg::ReadGrid(const TPage& p) const {
    TROISet set = sets_.Of(p.kind).Current();
    for (int r = 0; r < kROICount; ++r) {
        set[r].first = CellInteger(p.grid->item(r, kFromColumn));
        set[r].last = CellInteger(p.grid->item(r, kToColumn));
    }
    set[0].name = ROIName(0);
    return set;
}

void TRoiSetsDlg::StoreKind(TROIKind kind) {
    if (!sets_.Of(kind).Store(store_)) reportError_(QString::fromLatin1(kStoreFailedMessage));
}

void TRoiSetsDlg::UpdateButtons() {
    for (TPage* p : {&tl_, &osl_}) {
        const TROIKindSets& k = sets_.Of(p->kind);
        p->newButton->setEnabled(!naming_);
        p->saveButton->setEnabled(k.Changed() && !naming_);
        p->deleteButton->setEnabled(!naming_ && k.CanDelete(p->list->currentRow()));
    }
    ok_->setEnabled(!naming_);
    cancel_->setEnabled(!naming_);
}

void TRoiSetsDlg::ShowNaming(TPage& p, bool on) {
    p.listLabel->setVisible(!on);
    p.list->setVisible(!on);
    p.newNameLabel->setVisible(on);
    p.newName->setVisible(on);
    p.acceptButton->setVisible(on);
    p.cancelNewButton->setVisible(on);
}

void TRoiSetsDlg::OnSetChosen(TPage& p, int row) {
    if (filling_ || row < 0) return;
    TROIKindSets& k = sets_.Of(p.kind);
    k.Choose(row);
    ShowSet(p, k.Current());
    UpdateButtons();
}

void TRoiSetsDlg::OnSave(TPage& p) {
    TROIKindSets& k = sets_.Of(p.kind);
    k.Current() = ReadGrid(p);
    k.KeepCurrent();
    StoreKind(p.kind);
    UpdateButtons();
}

void TRoiSetsDlg::OnNew(TPage& p) {
    if (naming_) return;
    naming_ = true;
    ShowNaming(p, true);
    p.newName->setText(QStringLiteral("New name"));
    p.newName->selectAll();
    p.newName->setFocus();
    filling_ = true;
    for (int r = 0; r < kROICount; ++r) {
        const bool whole = r == 0;
        p.grid->setItem(
            r, kFromColumn,
            new QTableWidgetItem(whole ? QString::number(DefaultFirst(p.kind)) : QString()));
        p.grid->setItem(
            r, kToColumn,
            new QTableWidgetItem(whole ? QString::number(DefaultLast(p.kind)) : QString()));
    }
    filling_ = false;
    UpdateButtons();
}

void TRoiSetsDlg::OnAcceptNew(TPage& p) {
    if (!naming_) return;
    naming_ = false;
    ShowNaming(p, false);
    sets_.Of(p.kind).Append(p.newName->text().toStdString(), ReadGrid(p));
    ShowSets(p);
    UpdateButtons();
}

void TRoiSetsDlg::OnCancelNew(TPage& p) {
    if (!naming_) return;
    naming_ = false;
    ShowNaming(p, false);
    ShowSet(p, sets_.Of(p.kind).Current());
    UpdateButtons();
}

void TRoiSetsDlg::OnDelete(TPage& p) {
    TROIKindSets& k = sets_.Of(p.kind);
    const int row = p.list->currentRow();
    if (naming_ || !k.CanDelete(row)) return;
    k.Delete(row);
    ShowSets(p);
    UpdateButtons();
}

void TRoiSetsDlg::OnCellChanged(TPage& p) {
    if (filling_ || naming_) return;
    sets_.Of(p.kind).SetChanged(true);
    UpdateButtons();
}

void TRoiSetsDlg::done(int result) {
    // Closing by the window's own means (Escape, the close box) while naming drops the name.
    if (naming_) {
        naming_ = false;
        for (TPage* p : {&tl_, &osl_}) {
            ShowNaming(*p, false);
            ShowSet(*p, sets_.Of(p->kind).Current());
        }
    }
    for (TROIKind kind : {TROIKind::TL, TROIKind::OSL})
        if (sets_.Of(kind).Changed()) StoreKind(kind);
    QDialog::done(result);
}
