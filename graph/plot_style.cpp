#include "graph/plot_style.h"

#include <qcustomplot.h>

namespace {

void StyleAxis(QCPAxis* axis, const QFont& font, const QFont& labelFont) {
    const QPen pen(Qt::black, 1);
    axis->setBasePen(pen);
    axis->setTickPen(pen);
    axis->setSubTickPen(pen);
    axis->setTickLabelFont(font);
    axis->setLabelFont(labelFont);
    axis->setTickLengthIn(0);
    axis->setTickLengthOut(5);
    axis->setSubTickLengthIn(0);
    axis->setSubTickLengthOut(3);
    axis->setPadding(4);
    axis->grid()->setPen(QPen(QColor(220, 220, 220), 1, Qt::DotLine));
    axis->grid()->setZeroLinePen(Qt::NoPen);
    axis->ticker()->setTickCount(6);
}

}  // namespace

QCPTextElement* ApplyPlotStyle(QCustomPlot& chart, const QString& caption) {
    // Sizes in points of the page: a figure of a journal column keeps 7 to 9 pt.
    QFont font(QStringLiteral("DejaVu Sans"), 8);
    QFont labelFont(QStringLiteral("DejaVu Sans"), 9);
    chart.setFont(font);
    chart.setBackground(Qt::white);
    chart.setAntialiasedElements(QCP::aeAll);
    chart.setNotAntialiasedElements(QCP::aeNone);
    chart.setNoAntialiasingOnDrag(true);
    chart.setPlottingHint(QCP::phCacheLabels, true);
    for (QCPAxis* axis : {chart.xAxis, chart.yAxis}) StyleAxis(axis, font, labelFont);
    // A closed frame: the top and right axes without labels.
    chart.axisRect()->setupFullAxesBox(true);
    for (QCPAxis* axis : {chart.xAxis2, chart.yAxis2}) {
        StyleAxis(axis, font, labelFont);
        axis->setTickLabels(false);
        axis->grid()->setVisible(false);
    }
    chart.legend->setFont(font);
    chart.legend->setBrush(QColor(255, 255, 255, 230));
    chart.legend->setBorderPen(QPen(QColor(160, 160, 160)));
    QCPTextElement* title = nullptr;
    if (chart.plotLayout()->rowCount() < 2) {
        chart.plotLayout()->insertRow(0);
        QFont titleFont(QStringLiteral("DejaVu Sans"), 9, QFont::Bold);
        title = new QCPTextElement(&chart, caption, titleFont);
        chart.plotLayout()->addElement(0, 0, title);
    } else {
        title = qobject_cast<QCPTextElement*>(chart.plotLayout()->element(0, 0));
        if (title) title->setText(caption);
    }
    return title;
}

namespace {

void SetLogarithmic(QCPAxis* axis, bool on) {
    if (on) {
        axis->setScaleType(QCPAxis::stLogarithmic);
        axis->setTicker(QSharedPointer<QCPAxisTickerLog>(new QCPAxisTickerLog));
        axis->setNumberFormat(QStringLiteral("g"));
    } else {
        axis->setScaleType(QCPAxis::stLinear);
        axis->setTicker(QSharedPointer<QCPAxisTicker>(new QCPAxisTicker));
    }
    axis->ticker()->setTickCount(6);
}

}  // namespace

void SetLogarithmicY(QCustomPlot& chart, bool on) {
    // A linear axis stays as it is (its ticker may be the caller's).
    if (!on && chart.yAxis->scaleType() == QCPAxis::stLinear) return;
    for (QCPAxis* axis : {chart.yAxis, chart.yAxis2}) SetLogarithmic(axis, on);
}

void SetLogarithmicX(QCustomPlot& chart, bool on) {
    for (QCPAxis* axis : {chart.xAxis, chart.xAxis2}) SetLogarithmic(axis, on);
}
