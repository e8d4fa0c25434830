#include "editor/record_navigator.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QToolButton>

TRecordNavigator::TRecordNavigator(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("RecordNavigator"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 0);
    layout->setSpacing(2);
    auto make = [this, layout](QStyle::StandardPixmap icon, const QString& tip) {
        auto* b = new QToolButton(this);
        b->setIcon(style()->standardIcon(icon));
        b->setToolTip(tip);
        b->setAutoRaise(true);
        layout->addWidget(b);
        return b;
    };
    first_ = make(QStyle::SP_MediaSkipBackward, tr("First record"));
    prior_ = make(QStyle::SP_MediaSeekBackward, tr("Prior record"));
    next_ = make(QStyle::SP_MediaSeekForward, tr("Next record"));
    last_ = make(QStyle::SP_MediaSkipForward, tr("Last record"));
    label_ = new QLabel(this);
    layout->addSpacing(8);
    layout->addWidget(label_);
    layout->addStretch();
    connect(first_, &QToolButton::clicked, this, [this] { emit moveRequested(1); });
    connect(prior_, &QToolButton::clicked, this,
            [this] { emit moveRequested(qMax(1, position_ - 1)); });
    connect(next_, &QToolButton::clicked, this,
            [this] { emit moveRequested(qMin(count_, position_ + 1)); });
    connect(last_, &QToolButton::clicked, this, [this] { emit moveRequested(count_); });
    SetPosition(0, 0);
}

void TRecordNavigator::SetPosition(int position, int count) {
    position_ = position;
    count_ = count;
    first_->setEnabled(count > 0 && position > 1);
    prior_->setEnabled(count > 0 && position > 1);
    next_->setEnabled(count > 0 && position < count);
    last_->setEnabled(count > 0 && position < count);
    label_->setText(count > 0 ? tr("Record %1 of %2").arg(qMax(position, 0)).arg(count)
                              : QString());
}
