#include "graph/plot_curves.h"

#include <qcustomplot.h>

#include <cmath>
#include <limits>

#include "graph/plot_style.h"

namespace {

QVector<QCPCurveData> CurveData(const TCurveColumn& column, bool logX, double& t) {
    QVector<QCPCurveData> data;
    const int points = column.PointCount();
    data.reserve(points);
    for (int row = 1; row <= points; ++row) {
        const double x = column.X(row);
        if (logX && x <= 0) continue;
        data.append(QCPCurveData(t++, x, column.Y(row)));
    }
    return data;
}

QCPCurve* AddCurve(QCustomPlot& chart, QVector<QCPCurveData> data, const QPen& pen,
                   const QString& name, bool singleMark) {
    auto* curve = new QCPCurve(chart.xAxis, chart.yAxis);
    curve->data()->set(data, true);
    curve->setPen(pen);
    curve->setName(name);
    if (singleMark) {
        curve->setLineStyle(QCPCurve::lsNone);
        curve->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCircle, pen.color(), 5));
    }
    return curve;
}

}  // namespace

QString CurveXAxisLabel(const std::vector<TCurveColumn>& columns) {
    bool tl = false, osl = false, point = false;
    for (const TCurveColumn& c : columns) {
        if (c.layout == TColumnLayout::SubtractedTL && !c.spacingWasZero)
            tl = true;
        else if (!c.isTL)
            osl = true;
        else
            point = true;
    }
    if (tl && !osl && !point) return QStringLiteral("Temperature (\u00b0C)");
    if (osl && !tl && !point) return QStringLiteral("Channel");
    return QStringLiteral("Point");
}

bool AllShineDown(const std::vector<TCurveColumn>& columns) {
    if (columns.empty()) return false;
    for (const TCurveColumn& c : columns)
        if (c.isTL) return false;
    return true;
}

void DrawCurveColumns(QCustomPlot& chart, const std::vector<TCurveColumn>& columns,
                      const TCurvePlotOptions& options) {
    chart.clearPlottables();
    chart.clearItems();
    const QColor other = options.monochrome ? QColor(110, 110, 110) : QColor(Qt::black);
    const QColor current = options.monochrome ? QColor(Qt::black) : QColor(200, 0, 0);
    const int n = static_cast<int>(columns.size());
    const bool together = n > kSeparateCurveLimit;
    double t = 0;
    if (together) {
        // One plottable for all other columns, broken by a gap between records.
        QVector<QCPCurveData> data;
        std::size_t total = 0;
        for (const TCurveColumn& c : columns) total += static_cast<std::size_t>(c.PointCount()) + 1;
        data.reserve(static_cast<int>(total));
        const double gap = std::numeric_limits<double>::quiet_NaN();
        for (int i = 0; i < n; ++i) {
            if (i == options.currentColumn) continue;
            data.append(CurveData(columns[static_cast<std::size_t>(i)], options.logX, t));
            data.append(QCPCurveData(t++, gap, gap));
        }
        QCPCurve* rest = AddCurve(chart, data, QPen(other, 0),
                                  QStringLiteral("%1 other records").arg(n - 1), false);
        // Thousands of curves: anti-aliasing would cost more than it shows.
        rest->setAntialiased(n < 2000);
    } else {
        for (int i = 0; i < n; ++i) {
            if (i == options.currentColumn) continue;
            const TCurveColumn& c = columns[static_cast<std::size_t>(i)];
            AddCurve(chart, CurveData(c, options.logX, t), QPen(other, 1),
                     QString::fromStdString(c.legend), c.PointCount() < 2);
        }
    }
    if (options.currentColumn >= 0 && options.currentColumn < n) {
        const TCurveColumn& c = columns[static_cast<std::size_t>(options.currentColumn)];
        AddCurve(chart, CurveData(c, options.logX, t), QPen(current, 1.6),
                 QString::fromStdString(c.legend), c.PointCount() < 2);
    }
    // Axis lines through the origin.
    const QPen axisPen(Qt::black, 1);
    auto* horizontal = new QCPItemStraightLine(&chart);
    horizontal->point1->setCoords(0, 0);
    horizontal->point2->setCoords(1, 0);
    horizontal->setPen(axisPen);
    horizontal->setSelectable(false);
    if (!options.logX) {
        auto* vertical = new QCPItemStraightLine(&chart);
        vertical->point1->setCoords(0, 0);
        vertical->point2->setCoords(0, 1);
        vertical->setPen(axisPen);
        vertical->setSelectable(false);
    }
    chart.xAxis->setLabel(CurveXAxisLabel(columns));
    chart.yAxis->setLabel(QString::fromLatin1(kLuminescenceAxisLabel));
    chart.legend->setVisible(n > 1);
    if (n > 1) chart.axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignTop | Qt::AlignRight);
    SetLogarithmicX(chart, options.logX);
    if (options.rescale) {
        const TPlotRanges r = RescaledRanges(ColumnRanges(columns));
        double xMin = r.xMin, xMax = r.xMax;
        if (options.logX) {
            xMin = 1;
            for (const TCurveColumn& c : columns)
                if (c.PointCount() > 0) xMax = std::max(xMax, c.X(c.PointCount()));
            xMax = std::pow(10.0, std::ceil(std::log10(std::max(xMax, 10.0))));
        }
        chart.xAxis->setRange(xMin, xMax);
        chart.yAxis->setRange(r.yMin, r.yMax);
    }
    chart.xAxis2->setRange(chart.xAxis->range());
    chart.yAxis2->setRange(chart.yAxis->range());
}
