#include "editor/splash_widget.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

TSplashWidget::TSplashWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Splash"));
    setFixedSize(sizeHint());
}

QSize TSplashWidget::sizeHint() const {
    return {560, 340};
}

void TSplashWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = rect();
    QLinearGradient sky(r.topLeft(), r.bottomLeft());
    sky.setColorAt(0, QColor(18, 30, 56));
    sky.setColorAt(1, QColor(44, 70, 110));
    p.fillRect(r, sky);

    // Two glow peaks (first-order kinetics shapes) and an OSL decay, as on a reader's screen.
    const double left = 40, right = r.width() - 40, base = r.height() - 60, top = 150;
    auto peak = [](double t, double tm, double width) {
        const double x = (t - tm) / width;
        return std::exp(1 + x - std::exp(x));
    };
    QPainterPath glow;
    QPainterPath decay;
    for (int i = 0; i <= 200; ++i) {
        const double t = i / 200.0;
        const double y = 0.55 * peak(t, 0.35, 0.06) + 0.9 * peak(t, 0.68, 0.08);
        const QPointF pt(left + t * (right - left), base - y * (base - top));
        if (i == 0)
            glow.moveTo(pt);
        else
            glow.lineTo(pt);
        const QPointF pd(left + t * (right - left), base - 0.8 * std::exp(-t * 9) * (base - top));
        if (i == 0)
            decay.moveTo(pd);
        else
            decay.lineTo(pd);
    }
    p.setPen(QPen(QColor(120, 170, 230, 160), 2, Qt::DashLine));
    p.drawPath(decay);
    p.setPen(QPen(QColor(255, 190, 80), 3));
    p.drawPath(glow);
    p.setPen(QPen(QColor(200, 210, 230), 1));
    p.drawLine(QPointF(left, base), QPointF(right, base));

    QFont title = font();
    title.setPointSizeF(title.pointSizeF() * 2.6);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 28, r.width(), 60), Qt::AlignHCenter | Qt::AlignVCenter,
               QStringLiteral("Orvane Editor"));
    QFont sub = font();
    sub.setPointSizeF(sub.pointSizeF() * 1.1);
    p.setFont(sub);
    p.setPen(QColor(200, 215, 240));
    p.drawText(QRectF(0, 88, r.width(), 28), Qt::AlignHCenter | Qt::AlignVCenter,
               QStringLiteral("TL/OSL record files: luminescence dating and dosimetry"));
    p.drawText(QRectF(0, r.height() - 44, r.width(), 28), Qt::AlignHCenter | Qt::AlignVCenter,
               QStringLiteral("File \u2192 Open (Ctrl+O) to start"));
}
