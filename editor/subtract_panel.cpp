#include "editor/subtract_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TBackgroundList::TBackgroundList(QWidget* parent) : QListWidget(parent) {
    setObjectName(QStringLiteral("BackgroundList"));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    QFont mono(QStringLiteral("Monospace"));
    mono.setStyleHint(QFont::TypeWriter);
    setFont(mono);
}

QMimeData* TBackgroundList::mimeData(const QList<QListWidgetItem*>& items) const {
    auto* data = new QMimeData;
    if (!items.isEmpty())
        data->setData(QLatin1String(kMimeType), QByteArray::number(row(items.first())));
    return data;
}

TSubtractPanel::TSubtractPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("SubtractPanel"));
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel(QStringLiteral("Subtract backgrounds"));
    QFont bold = heading->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    heading->setFont(bold);
    layout->addWidget(heading);

    auto* scope = new QGroupBox(QStringLiteral("Subtract from"));
    auto* scopeLayout = new QHBoxLayout(scope);
    current_ = new QRadioButton(QStringLiteral("current"));
    selected_ = new QRadioButton(QStringLiteral("selected"));
    all_ = new QRadioButton(QStringLiteral("all"));
    all_->setChecked(true);
    for (QRadioButton* b : {current_, selected_, all_}) scopeLayout->addWidget(b);
    layout->addWidget(scope);

    optionBox_ = new QGroupBox(QStringLiteral("Numeric filter"));
    auto* optionLayout = new QVBoxLayout(optionBox_);
    option_ = new QComboBox;
    option_->setObjectName(QStringLiteral("OptionList"));
    optionLayout->addWidget(option_);
    layout->addWidget(optionBox_);

    auto* preserve = new QGroupBox(QStringLiteral("Preserve"));
    auto* preserveLayout = new QVBoxLayout(preserve);
    normalization_ = new QCheckBox(QStringLiteral("normalization factors"));
    shift_ = new QCheckBox(QStringLiteral("temperature shifts"));
    normalization_->setChecked(true);
    shift_->setChecked(true);
    preserveLayout->addWidget(normalization_);
    preserveLayout->addWidget(shift_);
    layout->addWidget(preserve);

    rangeBox_ = new QGroupBox(QStringLiteral("Background integration range"));
    auto* rangeLayout = new QHBoxLayout(rangeBox_);
    from_ = new QDoubleSpinBox;
    to_ = new QDoubleSpinBox;
    from_->setObjectName(QStringLiteral("RangeFrom"));
    to_->setObjectName(QStringLiteral("RangeTo"));
    for (QDoubleSpinBox* box : {from_, to_}) {
        box->setDecimals(2);
        box->setRange(0, 1e9);
        connect(box, &QDoubleSpinBox::valueChanged, this, [this] { rangeEdited_ = true; });
    }
    rangeLayout->addWidget(new QLabel(QStringLiteral("from")));
    rangeLayout->addWidget(from_);
    toLabel_ = new QLabel(QStringLiteral("to"));
    rangeLayout->addWidget(toLabel_);
    rangeLayout->addWidget(to_);
    layout->addWidget(rangeBox_);

    auto* buttons = new QHBoxLayout;
    auto* subtract = new QPushButton(QStringLiteral("Subtract"));
    auto* byDefault = new QPushButton(QStringLiteral("Default"));
    auto* assign = new QPushButton(QStringLiteral("Assign"));
    subtract->setObjectName(QStringLiteral("SubtractButton"));
    byDefault->setObjectName(QStringLiteral("DefaultButton"));
    assign->setObjectName(QStringLiteral("AssignButton"));
    subtract->setToolTip(QStringLiteral("Do subtraction."));
    byDefault->setToolTip(QStringLiteral("Revert to default background assignment."));
    assign->setToolTip(QStringLiteral("Assign selected background to selected curves."));
    for (QPushButton* b : {subtract, byDefault, assign}) buttons->addWidget(b);
    layout->addLayout(buttons);

    layout->addWidget(new QLabel(QStringLiteral("Background runs")));
    list_ = new TBackgroundList;
    layout->addWidget(list_, 1);
    message_ = new QLabel;
    message_->setObjectName(QStringLiteral("SubtractMessage"));
    message_->setWordWrap(true);
    layout->addWidget(message_);

    connect(subtract, &QPushButton::clicked, this, &TSubtractPanel::subtractClicked);
    connect(byDefault, &QPushButton::clicked, this, &TSubtractPanel::defaultClicked);
    connect(assign, &QPushButton::clicked, this, &TSubtractPanel::assignClicked);
    connect(option_, &QComboBox::currentIndexChanged, this, [this] {
        if (!tl_) emit oslOptionChanged();
    });
    SetCurveKind(true);
}

void TSubtractPanel::SetCurveKind(bool tlCurves) {
    tl_ = tlCurves;
    const QSignalBlocker block(option_);
    option_->clear();
    for (const std::string& name : tlCurves ? NumericFilterNames() : OslBackgroundNames())
        option_->addItem(QString::fromStdString(name));
    option_->setCurrentIndex(0);
    optionBox_->setTitle(tlCurves ? QStringLiteral("Numeric filter")
                                  : QStringLiteral("OSL background"));
    shift_->setVisible(tlCurves);
    rangeBox_->setVisible(!tlCurves);
}

void TSubtractPanel::SetBackgroundLines(const std::vector<std::string>& lines) {
    list_->clear();
    for (const std::string& line : lines) list_->addItem(QString::fromStdString(line));
}

void TSubtractPanel::SetRangeValues(const TOslRangeValues& values) {
    rangeBox_->setTitle(QString::fromStdString(values.caption));
    // A given rate is what "OSL BGD" holds: tenths of counts/s up to 6553.5.
    const QSignalBlocker blockFrom(from_);
    const QSignalBlocker blockTo(to_);
    from_->setDecimals(values.showTo ? 2 : 1);
    from_->setMaximum(values.showTo ? 1e9 : kMaxOslBgdRate);
    from_->setValue(RoundRangeValue(values.from));
    to_->setValue(RoundRangeValue(values.to));
    rangeEdited_ = false;
    to_->setVisible(values.showTo);
    toLabel_->setVisible(values.showTo);
}

void TSubtractPanel::SetMessage(const QString& text) {
    message_->setText(text);
}

TSubtractScope TSubtractPanel::Scope() const {
    if (current_->isChecked()) return TSubtractScope::Current;
    if (selected_->isChecked()) return TSubtractScope::Selected;
    return TSubtractScope::All;
}

TOslBackgroundOption TSubtractPanel::OslOption() const {
    return static_cast<TOslBackgroundOption>(std::max(option_->currentIndex(), 0));
}

TSubtractionSettings TSubtractPanel::Settings() const {
    TSubtractionSettings s;
    s.tlCurves = tl_;
    s.keepNormalization = normalization_->isChecked();
    s.keepShift = tl_ && shift_->isChecked();
    if (tl_) {
        s.filter = static_cast<TNumericFilter>(std::max(option_->currentIndex(), 0));
        return s;
    }
    s.oslOption = option_->currentIndex();
    if (OslOption() == TOslBackgroundOption::Given) {
        s.givenRate = from_->value();
    } else if (rangeEdited_) {
        s.range = TTimeRange{HundredthsOf(from_->value()), HundredthsOf(to_->value())};
    }
    return s;
}

int TSubtractPanel::SelectedBackground() const {
    const QList<QListWidgetItem*> items = list_->selectedItems();
    return items.isEmpty() ? -1 : list_->row(items.first());
}
