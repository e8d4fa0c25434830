#pragma once
// The record navigator: first, prior, next and last buttons and the record position.
#include <QWidget>

class QLabel;
class QToolButton;

class TRecordNavigator : public QWidget {
    Q_OBJECT

public:
    explicit TRecordNavigator(QWidget* parent = nullptr);
    // Shows "Record n of count"; count 0 disables the buttons.
    void SetPosition(int position, int count);

signals:
    void moveRequested(int position);  // 1-based

private:
    QToolButton* first_ = nullptr;
    QToolButton* prior_ = nullptr;
    QToolButton* next_ = nullptr;
    QToolButton* last_ = nullptr;
    QLabel* label_ = nullptr;
    int position_ = 0;
    int count_ = 0;
};
