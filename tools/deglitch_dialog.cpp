#include "tools/deglitch_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

TSmoothRangeDlg::TSmoothRangeDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("SmoothRangeDlg"));
    setWindowTitle(QStringLiteral("Deglitching curve data"));
    rangeCaption_ = new QLabel(this);
    from_ = new QSpinBox(this);
    from_->setObjectName(QStringLiteral("From"));
    to_ = new QSpinBox(this);
    to_->setObjectName(QStringLiteral("To"));
    to_->setRange(0, 100000);
    fromUnit_ = new QLabel(this);
    toUnit_ = new QLabel(this);
    auto* range = new QGridLayout;
    range->addWidget(rangeCaption_, 0, 0, 1, 3);
    range->addWidget(new QLabel(QStringLiteral("From"), this), 1, 0);
    range->addWidget(from_, 1, 1);
    range->addWidget(fromUnit_, 1, 2);
    range->addWidget(new QLabel(QStringLiteral("To"), this), 2, 0);
    range->addWidget(to_, 2, 1);
    range->addWidget(toUnit_, 2, 2);

    auto* group = new QGroupBox(QStringLiteral("Deglitch"), this);
    raw_ = new QRadioButton(QStringLiteral("raw curve(s)"), group);
    subtracted_ = new QRadioButton(QStringLiteral("subtracted curve(s)"), group);
    subtracted_->setChecked(true);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(raw_);
    groupLayout->addWidget(subtracted_);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("Deglitch"), QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    buttons->addButton(QDialogButtonBox::Cancel);
    QPushButton* help = buttons->addButton(QDialogButtonBox::Help);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, &TSmoothRangeDlg::helpRequested);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(range);
    layout->addWidget(group);
    layout->addWidget(buttons);
    SetView(true);
}

void TSmoothRangeDlg::SetView(bool tlView) {
    tlView_ = tlView;
    const TDeglitchSettings d = DefaultDeglitchRange(tlView, TDeglitchCurve::Raw);
    rangeCaption_->setText(tlView ? QStringLiteral("TL data range")
                                  : QStringLiteral("OSL data range"));
    const QString unit = tlView ? QStringLiteral("degC") : QStringLiteral("channel");
    fromUnit_->setText(unit);
    toUnit_->setText(unit);
    from_->setRange(0, tlView ? 500 : 99);
    from_->setValue(static_cast<int>(d.from));
    to_->setValue(static_cast<int>(d.to));
}

TDeglitchSettings TSmoothRangeDlg::Settings() const {
    TDeglitchSettings s;
    s.curve = raw_->isChecked() ? TDeglitchCurve::Raw : TDeglitchCurve::Subtracted;
    s.tlView = tlView_;
    s.from = from_->value();
    s.to = to_->value();
    return s;
}
