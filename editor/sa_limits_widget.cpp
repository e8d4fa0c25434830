#include "editor/sa_limits_widget.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

TSaLimitsWidget::TSaLimitsWidget(QWidget* parent)
    : QGroupBox(QStringLiteral(" Select limits "), parent) {
    setObjectName(QStringLiteral("GroupBoxSAR"));
    auto* grid = new QGridLayout(this);
    const auto field = [this](int n, double max) {
        auto* box = new QDoubleSpinBox(this);
        box->setObjectName(QStringLiteral("NumIO%1").arg(n + 3));
        box->setDecimals(2);
        box->setRange(0, max);
        box->setMaximumWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("00000.00")) + 36);
        numIO_[n] = box;
        return box;
    };
    const char* rows[] = {"Luminescence signal", "Background signal"};  // NumIO3..6
    for (int r = 0; r < 2; ++r) {
        grid->addWidget(new QLabel(QString::fromLatin1(rows[r]), this), r, 0);
        grid->addWidget(field(2 * r, 100000), r, 1);
        grid->addWidget(field(2 * r + 1, 100000), r, 2);
        grid->addWidget(new QLabel(QStringLiteral("s"), this), r, 3);
    }
    ownBackground_ = new QCheckBox(QStringLiteral("use always own bgd"), this);
    ownBackground_->setObjectName(QStringLiteral("CheckBoxSARbgd"));
    grid->addWidget(ownBackground_, 2, 0, 1, 2);
    setNcf_ = new QPushButton(QStringLiteral("Set NCF template"), this);
    setNcf_->setObjectName(QStringLiteral("SetNCF"));
    grid->addWidget(setNcf_, 2, 2, 1, 2);
    connect(setNcf_, &QPushButton::clicked, this, &TSaLimitsWidget::ncfTemplateRequested);

    // The normalisation and its TL limits to the right of the windows, in rows of the same
    // height, so that the group stays low enough for the panel.
    auto* norm = new QWidget(this);
    norm->setObjectName(QStringLiteral("RadioGroupSARNorm"));
    auto* normLayout = new QHBoxLayout(norm);
    normLayout->setContentsMargins(0, 0, 0, 0);
    normLayout->addWidget(new QLabel(QStringLiteral("Normalization"), norm));
    normalization_ = new QButtonGroup(this);
    const char* modes[] = {"No", "OSL", "TL", "NCF"};
    for (int m = 0; m < 4; ++m) {
        auto* radio = new QRadioButton(QString::fromLatin1(modes[m]), norm);
        normalization_->addButton(radio, m);
        normLayout->addWidget(radio);
    }
    normLayout->addStretch();
    grid->addWidget(norm, 0, 4);

    tlLimits_ = new QWidget(this);
    tlLimits_->setObjectName(QStringLiteral("GroupBoxTLNorm"));
    auto* tl = new QGridLayout(tlLimits_);
    tl->setContentsMargins(0, 0, 0, 0);
    tlLimits_->setToolTip(QStringLiteral("TL norm limits"));
    const char* tlRows[] = {"TL signal", "TL bgd"};
    for (int r = 0; r < 2; ++r) {
        tl->addWidget(new QLabel(QString::fromLatin1(tlRows[r]), tlLimits_), r, 0);
        tl->addWidget(field(4 + 2 * r, 1000), r, 1);
        tl->addWidget(field(5 + 2 * r, 1000), r, 2);
        tl->addWidget(new QLabel(QStringLiteral("deg C"), tlLimits_), r, 3);
    }
    for (int n = 4; n < 8; ++n) numIO_[n]->setParent(tlLimits_);
    grid->addWidget(tlLimits_, 1, 4, 2, 1);
    connect(normalization_, &QButtonGroup::idClicked, this, [this] { UpdateVisibility(); });

    // The thresholds of the SAR rejection criteria, in percent, in one row below the limits.
    auto* criteria = new QWidget(this);
    criteria->setObjectName(QStringLiteral("GroupBoxCriteria"));
    auto* c = new QHBoxLayout(criteria);
    c->setContentsMargins(0, 0, 0, 0);
    c->addWidget(new QLabel(QStringLiteral("Reject, %:"), criteria));
    const struct {
        const char* name;
        const char* label;
        const char* tip;
    } thresholds[] = {
        {"CriteriaRecycling", "Recycl. \u00b1", "Fails when |recycling ratio - 1| exceeds it"},
        {"CriteriaRecuperation", "Recup.", "Fails when the 0 Gy regeneration's Lx/Tx "
                                                 "over the natural's exceeds it"},
        {"CriteriaTestDose", "Test dose", "Fails when the natural test dose's relative "
                                               "error exceeds it"},
        {"CriteriaPalaeodose", "Dose", "Fails when the dose's relative error exceeds it"},
        {"CriteriaDepletion", "IR \u00b1", "Fails when |IR depletion ratio - 1| "
                                                 "exceeds it"},
    };
    for (int n = 0; n < 5; ++n) {
        auto* box = new QDoubleSpinBox(criteria);
        box->setObjectName(QString::fromLatin1(thresholds[n].name));
        box->setDecimals(1);
        box->setRange(0, 1000);
        box->setToolTip(QString::fromUtf8(thresholds[n].tip));
        box->setMinimumWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("100.0")) + 24);
        auto* label = new QLabel(QString::fromUtf8(thresholds[n].label), criteria);
        label->setBuddy(box);
        label->setToolTip(box->toolTip());
        c->addWidget(label);
        c->addWidget(box);
        criteria_[n] = box;
    }
    auto* toggle = new QPushButton(QStringLiteral("Toggle accept"), criteria);
    toggle->setObjectName(QStringLiteral("ToggleAccept"));
    toggle->setToolTip(QStringLiteral("Accept the aliquot of the index field whatever its "
                                      "criteria, or take that back"));
    c->addWidget(toggle);
    c->addStretch();
    connect(toggle, &QPushButton::clicked, this, &TSaLimitsWidget::acceptToggleRequested);
    grid->addWidget(criteria, 3, 0, 1, 5);
    ShowLimits(TSaLimits{});
}

TSaLimits TSaLimitsWidget::Limits() const {
    TSaLimits l;
    l.signalFrom = numIO_[0]->value();
    l.signalTo = numIO_[1]->value();
    l.backgroundFrom = numIO_[2]->value();
    l.backgroundTo = numIO_[3]->value();
    l.tlSignalFrom = numIO_[4]->value();
    l.tlSignalTo = numIO_[5]->value();
    l.tlBackgroundFrom = numIO_[6]->value();
    l.tlBackgroundTo = numIO_[7]->value();
    l.ownBackground = ownBackground_->isChecked();
    l.normalization = std::max(normalization_->checkedId(), 0);
    double* fractions[] = {&l.criteria.Recycling, &l.criteria.Recuperation, &l.criteria.TestDose,
                           &l.criteria.Palaeodose, &l.criteria.Depletion};
    for (int n = 0; n < 5; ++n) *fractions[n] = criteria_[n]->value() / 100;
    return l;
}

void TSaLimitsWidget::ShowLimits(const TSaLimits& l) {
    const double values[] = {l.signalFrom,   l.signalTo,   l.backgroundFrom,   l.backgroundTo,
                             l.tlSignalFrom, l.tlSignalTo, l.tlBackgroundFrom, l.tlBackgroundTo};
    for (int n = 0; n < 8; ++n) numIO_[n]->setValue(values[n]);
    ownBackground_->setChecked(l.ownBackground);
    const double fractions[] = {l.criteria.Recycling, l.criteria.Recuperation, l.criteria.TestDose,
                                l.criteria.Palaeodose, l.criteria.Depletion};
    for (int n = 0; n < 5; ++n) criteria_[n]->setValue(fractions[n] * 100);
    if (QAbstractButton* b = normalization_->button(l.normalization)) b->setChecked(true);
    UpdateVisibility();
}

void TSaLimitsWidget::UpdateVisibility() {
    const int mode = normalization_->checkedId();
    ownBackground_->setVisible(mode == kSaNormOsl || mode == kSaNormNcf);
    tlLimits_->setVisible(mode == kSaNormTL || mode == kSaNormNcf);
    setNcf_->setVisible(mode == kSaNormNcf);
}
