#include "graph/plot_curves.h"

#include <qcustomplot.h>

#include <cmath>
#include <limits>

#include "graph/plot_style.h"

namespace {

// The x of a row: the figure's physical x when given, else the editor's.
double RowX(const TCurveColumn& column, const std::vector<double>* physical, int row) {
    if (physical && !physical->empty())
        return row - 1 < static_cast<int>(physical->size())
                   ? (*physical)[static_cast<std::size_t>(row - 1)]
                   : std::numeric_limits<double>::quiet_NaN();
    return column.X(row);
}

double RowFactor(const std::vector<double>* factors, int row) {
    if (!factors || row - 1 >= static_cast<int>(factors->size())) return 1.0;
    return (*factors)[static_cast<std::size_t>(row - 1)];
}

QVector<QCPCurveData> CurveData(const TCurveColumn& column, const std::vector<double>* physical,
                                const std::vector<double>* factors,
                                const TCurvePlotOptions& options, double& t) {
    QVector<QCPCurveData> data;
    const int points = column.PointCount();
    data.reserve(points);
    for (int row = 1; row <= points; ++row) {
        const double x = RowX(column, physical, row);
        const double y = column.Y(row) * RowFactor(factors, row);
        if (!std::isfinite(x) || (options.logX && x <= 0) || (options.logY && y <= 0)) continue;
        data.append(QCPCurveData(t++, x, y));
    }
    return data;
}

const std::vector<double>* PhysicalX(const TCurvePlotOptions& options, int column) {
    return column < static_cast<int>(options.physicalX.size())
               ? &options.physicalX[static_cast<std::size_t>(column)]
               : nullptr;
}

const std::vector<double>* YFactors(const TCurvePlotOptions& options, int column) {
    return column < static_cast<int>(options.yFactor.size())
               ? &options.yFactor[static_cast<std::size_t>(column)]
               : nullptr;
}

// Ranges of what is drawn with physical x: x from 0 (the smallest x on a log axis), y over
// the values (the smallest positive one on a log axis).
TPlotRanges PhysicalRanges(const std::vector<TCurveColumn>& columns,
                           const TCurvePlotOptions& options, double& smallestX, double& smallestY) {
    TPlotRanges r{0, 0, 0, 0};
    smallestX = smallestY = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const std::vector<double>* physical = PhysicalX(options, static_cast<int>(i));
        const std::vector<double>* factors = YFactors(options, static_cast<int>(i));
        for (int row = 1; row <= columns[i].PointCount(); ++row) {
            const double x = RowX(columns[i], physical, row);
            const double y = columns[i].Y(row) * RowFactor(factors, row);
            if (!std::isfinite(x) || !std::isfinite(y)) continue;
            r.xMin = std::min(r.xMin, x);
            r.xMax = std::max(r.xMax, x);
            r.yMin = std::min(r.yMin, y);
            r.yMax = std::max(r.yMax, y);
            if (x > 0) smallestX = std::min(smallestX, x);
            if (y > 0) smallestY = std::min(smallestY, y);
        }
    }
    return r;
}

double DecadeBelow(double v) {
    return std::pow(10.0, std::floor(std::log10(v)));
}
double DecadeAbove(double v) {
    return std::pow(10.0, std::ceil(std::log10(v)));
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

QColor CurveColour(int position) {
    static const QColor colours[kCurveColours] = {
        QColor(200, 0, 0), QColor(0, 114, 178),   QColor(230, 159, 0),  QColor(0, 158, 115),
        QColor(0, 0, 0),   QColor(204, 121, 167), QColor(86, 180, 233), QColor(120, 80, 30)};
    return colours[((position % kCurveColours) + kCurveColours) % kCurveColours];
}

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
    const QColor current = options.monochrome ? QColor(Qt::black) : CurveColour(0);
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
            data.append(CurveData(columns[static_cast<std::size_t>(i)], PhysicalX(options, i),
                                  YFactors(options, i), options, t));
            data.append(QCPCurveData(t++, gap, gap));
        }
        QCPCurve* rest = AddCurve(chart, data, QPen(other, 0),
                                  QStringLiteral("%1 other records").arg(n - 1), false);
        // Thousands of curves: anti-aliasing would cost more than it shows.
        rest->setAntialiased(n < 2000);
    } else {
        // The current record takes the first colour, the others the next ones in order.
        int position = 1;
        for (int i = 0; i < n; ++i) {
            if (i == options.currentColumn) continue;
            const TCurveColumn& c = columns[static_cast<std::size_t>(i)];
            const QColor colour =
                options.colourCycle && !options.monochrome ? CurveColour(position++) : other;
            AddCurve(chart, CurveData(c, PhysicalX(options, i), YFactors(options, i), options, t),
                     QPen(colour, 1), QString::fromStdString(c.legend), c.PointCount() < 2);
        }
    }
    if (options.currentColumn >= 0 && options.currentColumn < n) {
        const TCurveColumn& c = columns[static_cast<std::size_t>(options.currentColumn)];
        QCPCurve* top =
            AddCurve(chart,
                     CurveData(c, PhysicalX(options, options.currentColumn),
                               YFactors(options, options.currentColumn), options, t),
                     QPen(current, 1.6), QString::fromStdString(c.legend), c.PointCount() < 2);
        // The current record heads the legend.
        if (n > 1 && !together) {
            chart.legend->removeItem(chart.legend->itemWithPlottable(top));
            chart.legend->insertRow(0);
            chart.legend->addElement(0, 0, new QCPPlottableLegendItem(chart.legend, top));
        }
    }
    // Axis lines through the origin.
    const QPen axisPen(Qt::black, 1);
    if (!options.logY) {
        auto* horizontal = new QCPItemStraightLine(&chart);
        horizontal->point1->setCoords(0, 0);
        horizontal->point2->setCoords(1, 0);
        horizontal->setPen(axisPen);
        horizontal->setSelectable(false);
    }
    if (!options.logX) {
        auto* vertical = new QCPItemStraightLine(&chart);
        vertical->point1->setCoords(0, 0);
        vertical->point2->setCoords(0, 1);
        vertical->setPen(axisPen);
        vertical->setSelectable(false);
    }
    chart.xAxis->setLabel(options.xLabel.isEmpty() ? CurveXAxisLabel(columns) : options.xLabel);
    chart.yAxis->setLabel(options.yLabel.isEmpty() ? QString::fromLatin1(kLuminescenceAxisLabel)
                                                   : options.yLabel);
    chart.legend->setVisible(n > 1 && options.legend);
    if (n > 1) chart.axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignTop | Qt::AlignRight);
    SetLogarithmicX(chart, options.logX);
    SetLogarithmicY(chart, options.logY);
    if (options.rescale) {
        double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
        if (!options.physicalX.empty()) {
            double smallestX = 0, smallestY = 0;
            const TPlotRanges data = PhysicalRanges(columns, options, smallestX, smallestY);
            const TPlotRanges r = RescaledRanges(data);
            xMin = r.xMin;
            xMax = r.xMax;
            yMin = r.yMin;
            yMax = r.yMax;
            if (options.logX && std::isfinite(smallestX)) {
                xMin = DecadeBelow(smallestX);
                xMax = DecadeAbove(std::max(data.xMax, 10 * xMin));
            }
            if (options.logY && std::isfinite(smallestY)) {
                yMin = DecadeBelow(smallestY);
                yMax = DecadeAbove(std::max(data.yMax, 10 * yMin));
            }
        } else {
            const TPlotRanges data = ColumnRanges(columns);
            const TPlotRanges r = RescaledRanges(data);
            xMin = r.xMin;
            xMax = r.xMax;
            yMin = r.yMin;
            yMax = r.yMax;
            if (options.logX) {
                xMin = 1;
                for (const TCurveColumn& c : columns)
                    if (c.PointCount() > 0) xMax = std::max(xMax, c.X(c.PointCount()));
                xMax = std::pow(10.0, std::ceil(std::log10(std::max(xMax, 10.0))));
            }
            if (options.logY) {
                yMin = std::max(1.0, DecadeBelow(std::max(data.yMin, 1.0)));
                yMax = DecadeAbove(std::max(data.yMax, 10.0));
            }
        }
        chart.xAxis->setRange(xMin, xMax);
        chart.yAxis->setRange(yMin, yMax);
    }
    chart.xAxis2->setRange(chart.xAxis->range());
    chart.yAxis2->setRange(chart.yAxis->range());
}
