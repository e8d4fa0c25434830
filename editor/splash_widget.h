#pragma once
// The picture shown while no file is open: the program's name over a stylised glow curve.
#include <QWidget>

class TSplashWidget : public QWidget {
    Q_OBJECT

public:
    explicit TSplashWidget(QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};
