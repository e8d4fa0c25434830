#include "editor/fading_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QDropEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QVBoxLayout>

TFadingList::TFadingList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
}

bool TFadingList::AddRecord(const QString& text, int32_t id) {
    for (int i = 0; i < count(); ++i)
        if (item(i)->data(Qt::UserRole).toInt() == id) return false;
    auto* item = new QListWidgetItem(text, this);
    item->setData(Qt::UserRole, id);
    return true;
}

std::vector<int32_t> TFadingList::RecordIds() const {
    std::vector<int32_t> ids;
    for (int i = 0; i < count(); ++i) ids.push_back(item(i)->data(Qt::UserRole).toInt());
    return ids;
}

void TFadingList::dragEnterEvent(QDragEnterEvent* event) {
    if (!event->mimeData()->hasFormat(QLatin1String(kMimeType))) {
        event->ignore();
        return;
    }
    emit dragEntered();
    event->acceptProposedAction();
}

void TFadingList::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasFormat(QLatin1String(kMimeType)))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TFadingList::dropEvent(QDropEvent* event) {
    if (!event->mimeData()->hasFormat(QLatin1String(kMimeType))) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit recordsDropped();
}

void TFadingList::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete) {
        // The focused line goes; nothing when no line has the focus.
        if (QListWidgetItem* focused = currentItem()) delete takeItem(row(focused));
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

TFadingPanel::TFadingPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("FadingPanel"));
    auto* layout = new QVBoxLayout(this);

    auto* filter = new QGroupBox(QStringLiteral(" Record filter "));
    auto* filterLayout = new QGridLayout(filter);
    dates_ = new QComboBox;
    dates_->setObjectName(QStringLiteral("ComboBox2"));
    devices_ = new QComboBox;
    devices_->setObjectName(QStringLiteral("ComboBox3"));
    filterLayout->addWidget(new QLabel(QStringLiteral("Irradiation date")), 0, 0);
    filterLayout->addWidget(dates_, 0, 1);
    filterLayout->addWidget(new QLabel(QStringLiteral("Device")), 1, 0);
    filterLayout->addWidget(devices_, 1, 1);

    auto* irradiation = new QGroupBox(QStringLiteral(" Irradiation "));
    auto* boxes = new QGridLayout(irradiation);
    naturalPlusDose_ = new QCheckBox(QStringLiteral("N + D"));
    dose_ = new QCheckBox(QStringLiteral("D"));
    none_ = new QCheckBox(QStringLiteral("no irradiation"));
    alpha_ = new QCheckBox(QStringLiteral("alpha"));
    beta_ = new QCheckBox(QStringLiteral("beta"));
    gamma_ = new QCheckBox(QStringLiteral("gamma"));
    boxes->addWidget(naturalPlusDose_, 0, 0);
    boxes->addWidget(dose_, 1, 0);
    boxes->addWidget(none_, 2, 0);
    boxes->addWidget(alpha_, 0, 1);
    boxes->addWidget(beta_, 1, 1);
    boxes->addWidget(gamma_, 2, 1);
    filterLayout->addWidget(irradiation, 2, 0, 1, 2);
    auto* apply = new QPushButton(QStringLiteral("Apply filter"));
    apply->setObjectName(QStringLiteral("ApplyFilterButton"));
    filterLayout->addWidget(apply, 3, 0, 1, 2);
    layout->addWidget(filter);

    // The lists side by side, each with its label below it, "Check fading" between them.
    auto* lists = new QGridLayout;
    faded_ = new TFadingList;
    faded_->setObjectName(QStringLiteral("ListBox1"));
    fresh_ = new TFadingList;
    fresh_->setObjectName(QStringLiteral("ListBox2"));
    auto* check = new QPushButton(QStringLiteral("Check fading"));
    check->setObjectName(QStringLiteral("CheckFadingButton"));
    lists->addWidget(faded_, 0, 0);
    lists->addWidget(check, 0, 1, Qt::AlignCenter);
    lists->addWidget(fresh_, 0, 2);
    lists->addWidget(new QLabel(QStringLiteral("Faded records")), 1, 0);
    lists->addWidget(new QLabel(QStringLiteral("Fresh records")), 1, 2);
    lists->setColumnStretch(0, 1);
    lists->setColumnStretch(2, 1);
    lists->setRowStretch(0, 1);
    layout->addLayout(lists, 1);
    message_ = new QLabel;
    message_->setObjectName(QStringLiteral("FadingMessage"));
    message_->setWordWrap(true);
    layout->addWidget(message_);

    auto* gBox = new QGroupBox(QStringLiteral(" g-value "));
    auto* gLayout = new QGridLayout(gBox);
    delay_ = new QDoubleSpinBox;
    delay_->setObjectName(QStringLiteral("GValueDelay"));
    delay_->setRange(0.0, 1e9);
    delay_->setDecimals(1);
    delay_->setValue(600.0);
    delay_->setSuffix(QStringLiteral(" s"));
    delay_->setToolTip(QStringLiteral(
        "Time between irradiation and measurement of the records irradiated last; those "
        "irradiated earlier waited the days between their irradiation dates longer"));
    tc_ = new QDoubleSpinBox;
    tc_->setObjectName(QStringLiteral("GValueTc"));
    tc_->setRange(0.0, 1e9);
    tc_->setDecimals(1);
    tc_->setSuffix(QStringLiteral(" s"));
    tc_->setSpecialValueText(QStringLiteral("shortest time"));
    auto* fit = new QPushButton(QStringLiteral("Fit g-value"));
    fit->setObjectName(QStringLiteral("FitGValueButton"));
    gValue_ = new QLabel;
    gValue_->setObjectName(QStringLiteral("GValueResult"));
    gValue_->setWordWrap(true);
    gValue_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // One row of controls, the result beneath: the panel shares its height with the grid.
    gLayout->addWidget(new QLabel(QStringLiteral("Delay")), 0, 0);
    gLayout->addWidget(delay_, 0, 1);
    gLayout->addWidget(new QLabel(QStringLiteral("tc")), 0, 2);
    gLayout->addWidget(tc_, 0, 3);
    gLayout->addWidget(fit, 0, 4);
    gLayout->addWidget(gValue_, 1, 0, 1, 5);
    gLayout->setColumnStretch(1, 1);
    gLayout->setColumnStretch(3, 1);
    layout->addWidget(gBox);
    connect(fit, &QPushButton::clicked, this, &TFadingPanel::fitGValueClicked);

    // "N + D" and "D" exclude "no irradiation"; the radiations exclude each other.
    connect(naturalPlusDose_, &QCheckBox::clicked, this, [this](bool on) {
        if (on) none_->setChecked(false);
    });
    connect(dose_, &QCheckBox::clicked, this, [this](bool on) {
        if (on) none_->setChecked(false);
    });
    connect(none_, &QCheckBox::clicked, this, [this](bool on) {
        if (!on) return;
        naturalPlusDose_->setChecked(false);
        dose_->setChecked(false);
    });
    for (QCheckBox* box : {alpha_, beta_, gamma_}) {
        connect(box, &QCheckBox::clicked, this, [this, box](bool on) {
            if (!on) return;
            for (QCheckBox* other : {alpha_, beta_, gamma_})
                if (other != box) other->setChecked(false);
        });
    }
    connect(apply, &QPushButton::clicked, this, &TFadingPanel::applyFilterClicked);
    connect(check, &QPushButton::clicked, this, &TFadingPanel::checkFadingClicked);
}

void TFadingPanel::SetDates(const std::vector<std::string>& dates) {
    dates_->clear();
    for (const std::string& d : dates) dates_->addItem(QString::fromStdString(d));
    dates_->setCurrentIndex(0);
}

void TFadingPanel::SetDevices(const std::vector<TDeviceEntry>& devices) {
    deviceEntries_ = devices;
    devices_->clear();
    for (const TDeviceEntry& d : devices) devices_->addItem(QString::fromStdString(d.Text));
    devices_->addItem(QStringLiteral("any device"));
    devices_->setCurrentIndex(0);
}

const TDeviceEntry* TFadingPanel::SelectedDevice() const {
    const int at = devices_->currentIndex();
    if (at < 0 || at >= static_cast<int>(deviceEntries_.size())) return nullptr;
    return &deviceEntries_[static_cast<std::size_t>(at)];
}

TFadingFilter TFadingPanel::Filter() const {
    TFadingFilter f;
    const QString date = dates_->currentText();
    if (!date.startsWith(QLatin1String("any "))) f.Date = date.toStdString();
    if (const TDeviceEntry* device = SelectedDevice()) f.Device = device->Text;
    f.NaturalPlusDose = naturalPlusDose_->isChecked();
    f.DoseOnly = dose_->isChecked();
    f.NoIrradiation = none_->isChecked();
    f.Alpha = alpha_->isChecked();
    f.Beta = beta_->isChecked();
    f.Gamma = gamma_->isChecked();
    return f;
}

void TFadingPanel::SetMessage(const QString& text) {
    message_->setText(text);
}

void TFadingPanel::ClearLists() {
    faded_->clear();
    fresh_->clear();
    message_->clear();
    gValue_->clear();
}

double TFadingPanel::Delay() const {
    return delay_->value();
}

double TFadingPanel::Tc() const {
    return tc_->value();
}

void TFadingPanel::SetDelay(double seconds) {
    delay_->setValue(seconds);
}

void TFadingPanel::SetTc(double seconds) {
    tc_->setValue(seconds);
}

void TFadingPanel::SetGValueText(const QString& text) {
    gValue_->setText(text);
}

QString TFadingPanel::GValueText() const {
    return gValue_->text();
}
