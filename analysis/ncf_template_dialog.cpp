#include "analysis/ncf_template_dialog.h"

#include "editor/text_locale.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QLineEdit* ReadOnly(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setReadOnly(true);
    return edit;
}

QComboBox* RecordList(QWidget* parent, const char* name) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setMinimumContentsLength(28);
    return box;
}

QDoubleSpinBox* Tolerance(QWidget* parent, const char* name, double value) {
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setDecimals(3);
    box->setRange(0, 1);
    box->setSingleStep(0.005);
    box->setValue(value);
    return box;
}

}  // namespace

TNCFTemplateDlg::TNCFTemplateDlg(TNcfTolerances& tolerances, QWidget* parent)
    : QDialog(parent), tolerances_(tolerances) {
    setObjectName(QStringLiteral("NCFTemplateDlg"));
    setWindowTitle(QStringLiteral("Select normalization scheme"));
    tabs_ = new QTabWidget(this);

    auto* templatePage = new QWidget(tabs_);
    currentDisk_ = ReadOnly(templatePage, "CurrentDisk");
    natural_ = ReadOnly(templatePage, "NaturalEdt");
    normalization_ = ReadOnly(templatePage, "NormalizationEdt");
    correction_ = ReadOnly(templatePage, "CorrEdt");
    numerator_ = RecordList(templatePage, "NumeratorBox");
    denominator_ = RecordList(templatePage, "DenominatorBox");
    auto* diskRow = new QHBoxLayout;
    diskRow->addWidget(new QLabel(QStringLiteral("current disk number"), templatePage));
    diskRow->addWidget(currentDisk_);
    diskRow->addStretch();
    auto* group =
        new QGroupBox(QStringLiteral(" Natural signal normalization template "), templatePage);
    auto* g = new QGridLayout(group);
    g->addWidget(new QLabel(QStringLiteral("Natural"), group), 0, 0);
    g->addWidget(natural_, 0, 1);
    g->addWidget(new QLabel(QStringLiteral("Normal."), group), 1, 0);
    g->addWidget(normalization_, 1, 1);
    g->addWidget(numerator_, 2, 1);
    g->addWidget(new QLabel(QStringLiteral("x"), group), 2, 2, 2, 1);
    g->addWidget(correction_, 2, 3, 2, 1);
    g->addWidget(denominator_, 3, 1);
    auto* hint = new QLabel(
        QStringLiteral(
            "Select numerator and denominator records for the second fraction from the lists."),
        templatePage);
    hint->setWordWrap(true);
    g->addWidget(hint, 4, 0, 1, 4);
    auto* templateLayout = new QVBoxLayout(templatePage);
    templateLayout->addLayout(diskRow);
    templateLayout->addWidget(group);
    tabs_->addTab(templatePage, QStringLiteral("NCF normalization template"));

    auto* parametersPage = new QWidget(tabs_);
    firstTL_ = Tolerance(parametersPage, "FirstTLTolerance", tolerances_.firstTL);
    sumToReference_ = Tolerance(parametersPage, "SumTolerance", tolerances_.sumToReference);
    auto* form = new QFormLayout(parametersPage);
    auto* label1 = new QLabel(QStringLiteral("Maximum relative difference between test dose "
                                             "before and after taking natural signal"),
                              parametersPage);
    label1->setWordWrap(true);
    auto* label2 = new QLabel(QStringLiteral("Maximum relative difference between test dose "
                                             "after taking natural signal and all other"),
                              parametersPage);
    label2->setWordWrap(true);
    form->addRow(label1, firstTL_);
    form->addRow(label2, sumToReference_);
    form->addRow(new QLabel(QStringLiteral("The correction factor takes care of the remaining "
                                           "differences"),
                            parametersPage));
    tabs_->addTab(parametersPage, QStringLiteral("Template parameters"));
    connect(firstTL_, &QDoubleSpinBox::valueChanged, this,
            [this](double v) { tolerances_.firstTL = v; });
    connect(sumToReference_, &QDoubleSpinBox::valueChanged, this,
            [this](double v) { tolerances_.sumToReference = v; });

    auto* applyCurrent = new QPushButton(QStringLiteral("Apply to current"), this);
    applyCurrent->setObjectName(QStringLiteral("ApplyCurrent"));
    applyAll_ = new QPushButton(QStringLiteral("Apply to all"), this);
    applyAll_->setObjectName(QStringLiteral("ApplyAll"));
    applyAll_->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    connect(applyCurrent, &QPushButton::clicked, this, [this] { done(kApplyToCurrent); });
    connect(applyAll_, &QPushButton::clicked, this, [this] { done(kApplyToAll); });
    connect(cancel, &QPushButton::clicked, this, [this] { done(kCancel); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(applyCurrent);
    buttons->addWidget(applyAll_);
    buttons->addWidget(cancel);

    // "select record" in either list takes the other one back to it too.
    connect(numerator_, &QComboBox::currentIndexChanged, this, [this](int item) {
        if (item == 0) denominator_->setCurrentIndex(0);
        UpdateButtons();
    });
    connect(denominator_, &QComboBox::currentIndexChanged, this, [this](int item) {
        if (item == 0) numerator_->setCurrentIndex(0);
        UpdateButtons();
    });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addLayout(buttons);
    ClearLists();
}

void TNCFTemplateDlg::SetCurrentDisk(const QString& text) {
    currentDisk_->setText(text);
}
void TNCFTemplateDlg::SetNatural(const QString& text) {
    natural_->setText(text);
}
void TNCFTemplateDlg::SetNormalization(const QString& text) {
    normalization_->setText(text);
}
void TNCFTemplateDlg::SetCorrection(double scale) {
    correction_->setText(LocaleNumber(scale, 'f', 3));
}

void TNCFTemplateDlg::ClearLists() {
    for (QComboBox* box : {numerator_, denominator_}) {
        const QSignalBlocker block(box);
        box->clear();
        box->addItem(QStringLiteral("select record"));
        box->addItem(QStringLiteral("1.0"), -1);
    }
    UpdateButtons();
}

void TNCFTemplateDlg::AddNumerator(const QString& text, int object) {
    numerator_->addItem(text, object);
    UpdateButtons();
}
void TNCFTemplateDlg::AddDenominator(const QString& text, int object) {
    denominator_->addItem(text, object);
    UpdateButtons();
}
void TNCFTemplateDlg::SelectNumerator(int item) {
    numerator_->setCurrentIndex(item);
    UpdateButtons();
}
void TNCFTemplateDlg::SelectDenominator(int item) {
    denominator_->setCurrentIndex(item);
    UpdateButtons();
}
int TNCFTemplateDlg::NumeratorItem() const {
    return numerator_->currentIndex();
}
int TNCFTemplateDlg::DenominatorItem() const {
    return denominator_->currentIndex();
}

namespace {
std::optional<int> ObjectOf(const QComboBox* box) {
    if (box->currentIndex() < 2) return std::nullopt;
    return box->currentData().toInt();
}
}  // namespace

std::optional<int> TNCFTemplateDlg::NumeratorObject() const {
    return ObjectOf(numerator_);
}
std::optional<int> TNCFTemplateDlg::DenominatorObject() const {
    return ObjectOf(denominator_);
}

void TNCFTemplateDlg::UpdateButtons() {
    applyAll_->setVisible(numerator_->currentIndex() > 0 && denominator_->currentIndex() > 0);
}

int TNCFTemplateDlg::exec() {
    tabs_->setCurrentIndex(0);
    UpdateButtons();
    return QDialog::exec();
}
