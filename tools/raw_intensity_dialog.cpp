#include "tools/raw_intensity_dialog.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "tools/normalization.h"

TSecretNormDlg::TSecretNormDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("SecretNormDlg"));
    setWindowTitle(QStringLiteral("Change raw intensity"));
    factor_ = new QDoubleSpinBox(this);
    factor_->setObjectName(QStringLiteral("Factor"));
    factor_->setDecimals(2);
    factor_->setRange(0, 100);
    factor_->setValue(1);

    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Selected records"), this));
    row->addWidget(new QLabel(QStringLiteral(" multiply by "), this));
    row->addWidget(factor_);
    auto* warning = new QLabel(
        QStringLiteral("This is a specialized tool that operates on raw data. Changing raw data "
                       "cannot be automatically reversed.Press 'Help' to get further "
                       "information."),
        this);
    warning->setObjectName(QStringLiteral("Warning"));
    warning->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(this);
    multiply_ = buttons->addButton(QStringLiteral("Multiply"), QDialogButtonBox::AcceptRole);
    multiply_->setDefault(true);
    buttons->addButton(QDialogButtonBox::Cancel);
    QPushButton* help = buttons->addButton(QStringLiteral("&Help"), QDialogButtonBox::HelpRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, &TSecretNormDlg::helpRequested);
    connect(factor_, &QDoubleSpinBox::valueChanged, this,
            [this](double x) { multiply_->setEnabled(RawIntensityFactorAccepted(x)); });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(warning);
    layout->addWidget(buttons);
}

double TSecretNormDlg::Factor() const {
    return factor_->value();
}
