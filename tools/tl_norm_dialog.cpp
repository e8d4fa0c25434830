#include "tools/tl_norm_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

constexpr int kLowestPosition = kTLNormLowest / kTLNormStep;    // 40
constexpr int kHighestPosition = kTLNormHighest / kTLNormStep;  // 100

// A read-only temperature field and the up/down buttons beside it (a spin box narrowed to its
// arrows).
QSpinBox* UpDown(QWidget* parent, const char* name, int value) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(kLowestPosition, kHighestPosition);
    box->setValue(value);
    box->setFixedWidth(22);
    box->setKeyboardTracking(false);
    return box;
}

QLineEdit* Shown(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setReadOnly(true);
    edit->setMaximumWidth(60);
    return edit;
}

}  // namespace

TTLNorm::TTLNorm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TLNorm"));
    setWindowTitle(QStringLiteral("Normalize TL glow curves"));
    const TTLNormWindow initial;
    start_ = Shown(this, "StartT");
    stop_ = Shown(this, "StopT");
    upDnStart_ = UpDown(this, "UpDnStart", initial.start / kTLNormStep);
    upDnStop_ = UpDown(this, "UpDnStop", initial.stop / kTLNormStep);
    // The start can rise only while it stays below the stop, the stop fall only while it stays
    // above the start.
    const auto bound = [this] {
        upDnStart_->setMaximum(upDnStop_->value() - 1);
        upDnStop_->setMinimum(upDnStart_->value() + 1);
        ShowValues();
    };
    connect(upDnStart_, &QSpinBox::valueChanged, this, bound);
    connect(upDnStop_, &QSpinBox::valueChanged, this, bound);
    bound();

    auto* grid = new QGridLayout;
    grid->addWidget(
        new QLabel(QStringLiteral("For normalization use TL signal integrated between"), this), 0,
        0, 1, 6);
    grid->addWidget(start_, 1, 0);
    grid->addWidget(upDnStart_, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("and"), this), 1, 2);
    grid->addWidget(stop_, 1, 3);
    grid->addWidget(upDnStop_, 1, 4);
    grid->addWidget(new QLabel(QStringLiteral("deg C"), this), 1, 5);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
}

void TTLNorm::ShowValues() {
    start_->setText(QString::number(upDnStart_->value() * kTLNormStep));
    stop_->setText(QString::number(upDnStop_->value() * kTLNormStep));
}

TTLNormWindow TTLNorm::Window() const {
    return {upDnStart_->value() * kTLNormStep, upDnStop_->value() * kTLNormStep};
}
