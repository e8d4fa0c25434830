#include "graph/plot_radial.h"

#include <qcustomplot.h>

#include <QLocale>

#include <algorithm>
#include <cmath>

#include "analysis/radial_plot.h"
#include "graph/plot_growth.h"

namespace {

const QColor kPointBlue(30, 70, 170);
const QColor kBandGrey(120, 120, 120, 45);

QCPCurve* Polyline(QCPAxis* x, QCPAxis* y, const std::vector<double>& xs,
                   const std::vector<double>& ys, const QPen& pen) {
    auto* curve = new QCPCurve(x, y);
    QVector<double> t(static_cast<int>(xs.size()));
    for (int i = 0; i < t.size(); ++i) t[i] = i;
    curve->setData(t, QVector<double>(xs.begin(), xs.end()), QVector<double>(ys.begin(), ys.end()));
    curve->setPen(pen);
    return curve;
}

QCPGraph* Scatter(QCPAxis* x, QCPAxis* y, const std::vector<double>& xs,
                  const std::vector<double>& ys, const QCPScatterStyle& style) {
    auto* g = new QCPGraph(x, y);
    g->setLineStyle(QCPGraph::lsNone);
    g->setScatterStyle(style);
    g->setData(QVector<double>(xs.begin(), xs.end()), QVector<double>(ys.begin(), ys.end()));
    return g;
}

// In the locale of the chart's other axis numbers (QCustomPlot draws them in QLocale()).
QString DoseLabel(double dose) { return QLocale().toString(dose, 'g', 3); }

}  // namespace

void DrawRadialPlot(QCustomPlot& chart, const std::vector<TDoseValue>& doses,
                    const std::vector<TDoseValue>& rejected, double referenceDose,
                    const QString& resultText) {
    chart.clearPlottables();
    chart.clearItems();
    QCPAxisRect* radial = chart.axisRect(0);
    // The density panel: a second axis rect to the right, made once.
    QCPAxisRect* side = chart.axisRectCount() > 1 ? chart.axisRect(1) : nullptr;
    QCPLayoutGrid* layout = chart.plotLayout();
    if (side == nullptr) {
        side = new QCPAxisRect(&chart);
        const int row = layout->rowCount() - 1;
        layout->addElement(row, 1, side);
        layout->setColumnStretchFactors({3.2, 1.0});
        for (QCPAxis* axis : side->axes()) {
            axis->setBasePen(chart.xAxis->basePen());
            axis->setTickLabelFont(chart.xAxis->tickLabelFont());
            axis->setLabelFont(chart.xAxis->labelFont());
            axis->setTickLengthIn(0);
            axis->setTickLengthOut(5);
            axis->setSubTickLengthIn(0);
            axis->setSubTickLengthOut(3);
            axis->grid()->setPen(QPen(QColor(220, 220, 220), 1, Qt::DotLine));
        }
        QCPAxis* doseAxis = side->axis(QCPAxis::atRight);
        doseAxis->setVisible(true);
        doseAxis->setScaleType(QCPAxis::stLogarithmic);
        doseAxis->setTicker(QSharedPointer<QCPAxisTickerLog>(new QCPAxisTickerLog));
        doseAxis->setNumberFormat(QStringLiteral("g"));
        doseAxis->setLabel(QStringLiteral("De (Gy)"));
        side->axis(QCPAxis::atLeft)->setTickLabels(false);
        side->axis(QCPAxis::atLeft)->setScaleType(QCPAxis::stLogarithmic);
        side->axis(QCPAxis::atBottom)->setLabel(QStringLiteral("Density"));
        side->axis(QCPAxis::atBottom)->setTickLabels(false);
    }
    chart.xAxis->setLabel(QStringLiteral("Precision (1 / relative error)"));
    chart.yAxis->setLabel(QStringLiteral("Standardised estimate"));
    if (doses.empty() || !(referenceDose > 0.0)) {
        chart.replot();
        return;
    }

    const TRadialPlot plot = BuildRadialPlot(doses, referenceDose);
    const double xSpan = 1.3 * plot.ArcRadius;
    chart.xAxis->setRange(0.0, xSpan);
    chart.yAxis->setRange(-plot.YLimit, plot.YLimit);

    // The +-2 band and the model's line from the origin to the arc.
    auto* band = new QCPItemRect(&chart);
    band->setClipAxisRect(radial);
    band->topLeft->setAxes(chart.xAxis, chart.yAxis);
    band->bottomRight->setAxes(chart.xAxis, chart.yAxis);
    band->topLeft->setCoords(0.0, 2.0);
    band->bottomRight->setCoords(plot.ArcRadius, -2.0);
    band->setPen(Qt::NoPen);
    band->setBrush(kBandGrey);
    Polyline(chart.xAxis, chart.yAxis, {0.0, plot.ArcRadius}, {0.0, 0.0},
             QPen(Qt::black, 1, Qt::DashLine));

    // The arc, its ticks and their doses.
    Polyline(chart.xAxis, chart.yAxis, plot.ArcX, plot.ArcY, QPen(Qt::black, 1.2));
    for (const TRadialTick& t : plot.Ticks) {
        const double out = 1.025;
        Polyline(chart.xAxis, chart.yAxis, {t.X, t.X * out}, {t.Y, t.Y * out}, QPen(Qt::black, 1));
        auto* label = new QCPItemText(&chart);
        label->setClipAxisRect(radial);
        label->position->setAxes(chart.xAxis, chart.yAxis);
        label->position->setCoords(t.X * 1.04, t.Y * 1.04);
        label->setPositionAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        label->setText(DoseLabel(t.Dose));
        label->setFont(chart.xAxis->tickLabelFont());
    }
    auto* arcLabel = new QCPItemText(&chart);
    arcLabel->setClipAxisRect(radial);
    arcLabel->position->setType(QCPItemPosition::ptAxisRectRatio);
    arcLabel->position->setCoords(0.98, 0.03);
    arcLabel->setPositionAlignment(Qt::AlignRight | Qt::AlignTop);
    arcLabel->setText(QStringLiteral("De (Gy)"));
    arcLabel->setFont(chart.xAxis->labelFont());

    // Rejected doses first, so the doses used stay on top.
    if (!rejected.empty()) {
        const TRadialPlot grey = BuildRadialPlot(rejected, referenceDose, plot.YPerX);
        Scatter(chart.xAxis, chart.yAxis, grey.X, grey.Y,
                QCPScatterStyle(QCPScatterStyle::ssCross, QColor(140, 140, 140), 7));
    }
    Scatter(chart.xAxis, chart.yAxis, plot.X, plot.Y,
            QCPScatterStyle(QCPScatterStyle::ssCircle, kPointBlue, kPointBlue, 6));

    // The density of the doses against dose, on the dose range of the arc.
    QCPAxis* densityAxis = side->axis(QCPAxis::atBottom);
    QCPAxis* doseAxis = side->axis(QCPAxis::atRight);
    Polyline(densityAxis, doseAxis, plot.Density, plot.DensityDose, QPen(kPointBlue, 1.5))
        ->setBrush(QColor(30, 70, 170, 40));
    const double top = *std::max_element(plot.Density.begin(), plot.Density.end());
    densityAxis->setRange(0.0, top * 1.08);
    doseAxis->setRange(plot.DensityDose.front(), plot.DensityDose.back());
    // The dose ticks of the arc, and round doses beyond it within the density's range.
    auto ticker = QSharedPointer<QCPAxisTickerText>(new QCPAxisTickerText);
    for (double dose : RoundDoses(plot.DensityDose.front(), plot.DensityDose.back(), 8))
        ticker->addTick(dose, DoseLabel(dose));
    doseAxis->setTicker(ticker);
    side->axis(QCPAxis::atLeft)->setRange(doseAxis->range());
    Polyline(densityAxis, doseAxis, {0.0, top * 1.08}, {referenceDose, referenceDose},
             QPen(Qt::black, 1, Qt::DashLine));
    AddResultText(chart, resultText);
    chart.replot();
}
