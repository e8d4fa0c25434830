#include "graph/plot_figure.h"

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "fitting/fit_record.h"

namespace {

const char* kIdentificationName = "identification";

class TWholeNumberTicker : public QCPAxisTicker {
protected:
    double getTickStep(const QCPRange& range) override {
        return std::max(1.0, std::round(QCPAxisTicker::getTickStep(range)));
    }
    int getSubTickCount(double tickStep) override {
        const long step = std::lround(tickStep);
        if (step <= 1) return 0;
        if (step == 2) return 1;
        return step % 5 == 0 ? 4 : static_cast<int>(std::min<long>(step - 1, 4));
    }
};

// Takes every plottable out of the legend.
void EmptyLegend(QCustomPlot& chart) {
    chart.legend->clearItems();
}

// How many drawn vertices (marks, curve points) and texts fall into `area` (pixels).
int Crowding(QCustomPlot& chart, const QRectF& area) {
    int n = 0;
    for (int i = 0; i < chart.plottableCount(); ++i) {
        const auto* curve = qobject_cast<const QCPCurve*>(chart.plottable(i));
        if (!curve || !curve->visible()) continue;
        const QCPAxis* x = curve->keyAxis();
        const QCPAxis* y = curve->valueAxis();
        for (auto it = curve->data()->constBegin(); it != curve->data()->constEnd(); ++it) {
            if (!std::isfinite(it->key) || !std::isfinite(it->value)) continue;
            if (area.contains(x->coordToPixel(it->key), y->coordToPixel(it->value))) ++n;
        }
    }
    // A text in the plot (the result) is never covered.
    for (int i = 0; i < chart.itemCount(); ++i) {
        const auto* text = qobject_cast<const QCPItemText*>(chart.item(i));
        if (!text || !text->visible() || text->text().isEmpty()) continue;
        const QPointF topLeft = text->topLeft->pixelPosition();
        const QPointF bottomRight = text->bottomRight->pixelPosition();
        // An edge mark is one mark; the result's box is never covered.
        const int weight = text->property("edgeMark").isValid() ? 1 : 1000;
        if (area.intersects(QRectF(topLeft, bottomRight).normalized())) n += weight;
    }
    return n;
}

// Moves the legend into the plot's inset layout (inside = true, framed as the plot style has
// it) or into a row of its own under the plot, its entries side by side and unframed.
void MoveLegend(QCustomPlot& chart, bool inside) {
    QCPLegend* legend = chart.legend;
    QCPLayoutInset* inset = chart.axisRect()->insetLayout();
    QCPLayoutGrid* grid = chart.plotLayout();
    const bool isInside = legend->layout() == inset;
    if (inside == isInside) return;
    if (inside) {
        grid->take(legend);
        grid->simplify();
        legend->setWrap(0);
        legend->setColumnSpacing(0);
        legend->setFillOrder(QCPLayoutGrid::foRowsFirst, true);
        legend->setBorderPen(QPen(QColor(160, 160, 160)));
        legend->setBrush(QColor(255, 255, 255, 230));
        inset->addElement(legend, Qt::AlignTop | Qt::AlignRight);
        return;
    }
    inset->take(legend);
    int row = 0, column = 0;
    for (int r = 0; r < grid->rowCount(); ++r)
        for (int c = 0; c < grid->columnCount(); ++c)
            if (grid->element(r, c) == chart.axisRect()) {
                row = r;
                column = c;
            }
    grid->insertRow(row + 1);
    grid->addElement(row + 1, column, legend);
    grid->setRowStretchFactor(row + 1, 0.001);
    legend->setBorderPen(Qt::NoPen);
    legend->setBrush(Qt::NoBrush);
    // As many entries a line as the plot's width takes.
    int widest = 1;
    for (int i = 0; i < legend->itemCount(); ++i)
        widest = std::max(widest, legend->item(i)->minimumOuterSizeHint().width());
    constexpr int kSpacing = 12;
    legend->setColumnSpacing(kSpacing);
    const int width = chart.viewport().width() - 20;
    legend->setWrap(std::max(1, std::min(legend->itemCount(), width / (widest + kSpacing))));
    legend->setFillOrder(QCPLayoutGrid::foColumnsFirst, true);
}

}  // namespace

// The legend goes into the corner of the plot where it covers the least: first choice the
// upper right, then lower right, upper left and lower left; when every corner would cover
// more than a few marks, under the plot.
void PlaceLegend(QCustomPlot& chart, bool visible) {
    QCPLegend* legend = chart.legend;
    MoveLegend(chart, true);
    legend->setVisible(visible && legend->itemCount() > 0);
    // Rows as high as a line of text: the items clip what reaches beyond them.
    legend->setIconSize(QSize(20, QFontMetrics(legend->font()).height() + 1));
    legend->setIconTextPadding(5);
    QCPLayoutInset* inset = chart.axisRect()->insetLayout();
    const Qt::Alignment corners[] = {Qt::AlignTop | Qt::AlignRight,
                                     Qt::AlignBottom | Qt::AlignRight, Qt::AlignTop | Qt::AlignLeft,
                                     Qt::AlignBottom | Qt::AlignLeft};
    inset->setInsetAlignment(0, corners[0]);
    if (!legend->visible()) return;
    chart.replot(QCustomPlot::rpImmediateRefresh);  // lays out the axis rectangle and texts
    const QRect plot = chart.axisRect()->rect();
    const QSize size = legend->minimumOuterSizeHint();
    int best = -1;
    int leastCrowded = 0;
    for (int i = 0; i < 4; ++i) {
        const bool right = corners[i] & Qt::AlignRight;
        const bool top = corners[i] & Qt::AlignTop;
        const QRectF area(right ? plot.right() - size.width() : plot.left(),
                          top ? plot.top() : plot.bottom() - size.height(), size.width(),
                          size.height());
        // A mark reaches some pixels beyond its centre.
        const int n = Crowding(chart, area.adjusted(-6, -6, 6, 6));
        if (best < 0 || n < leastCrowded) {
            best = i;
            leastCrowded = n;
        }
    }
    constexpr int kFewMarks = 2;
    if (leastCrowded > kFewMarks) {
        MoveLegend(chart, false);
        return;
    }
    inset->setInsetAlignment(0, corners[best]);
}

namespace {

// Breaks `text` at its " — " separators into lines no wider than `width` pixels.
QString WrappedAtSeparators(const QString& text, const QFont& font, int width) {
    const QString separator = QStringLiteral(" \u2014 ");
    const QStringList parts = text.split(separator);
    const QFontMetrics metrics(font);
    QStringList lines;
    QString line;
    for (const QString& part : parts) {
        const QString longer = line.isEmpty() ? part : line + separator + part;
        if (!line.isEmpty() && metrics.horizontalAdvance(longer) > width) {
            lines << line;
            line = part;
        } else {
            line = longer;
        }
    }
    lines << line;
    return lines.join(QLatin1Char('\n'));
}

}  // namespace

int DecimalsForError(double error) {
    if (!std::isfinite(error) || error <= 0) return -1;
    const int exponent = static_cast<int>(std::floor(std::log10(error)));
    // Rounding may carry into the next decade (9.96 -> 10): count its digits then.
    const double rounded =
        std::round(error / std::pow(10.0, exponent - 1)) * std::pow(10.0, exponent - 1);
    const int carried = static_cast<int>(std::floor(std::log10(rounded)));
    return std::max(0, 1 - carried);
}

QString DoseResultText(double value, double error, const QString& unit) {
    const int decimals = DecimalsForError(error);
    const QString suffix = unit.isEmpty() ? QString() : QLatin1Char(' ') + unit;
    if (!std::isfinite(value)) return QStringLiteral("De undefined");
    if (decimals < 0) {
        return QStringLiteral("De = %1%2 (error undefined)")
            .arg(QString::number(value, 'g', 3), suffix);
    }
    const double scale = std::pow(10.0, decimals);
    const double rounded = std::round(value * scale) / scale;
    QString v = QString::number(rounded == 0 ? 0.0 : rounded, 'f', decimals);  // no "-0.0"
    if (v.startsWith(QLatin1Char('-'))) v.replace(0, 1, QChar(0x2212));        // a minus sign
    return QStringLiteral("De = %1 \u00b1 %2%3")
        .arg(v, QString::number(error, 'f', decimals), suffix);
}

QString PointSetName(uint8_t kind, int method, bool allDosesZero) {
    switch (kind) {
        case kGrowthLevel:
            if (method == dmRegenerative || allDosesZero) return QStringLiteral("natural");
            return QStringLiteral("additive");
        case kPartialBleachLevel:
            return QStringLiteral("partial bleach");
        case kRegenLevel:
            return QStringLiteral("regenerative");
        case kFurtherLevel:
            return QStringLiteral("second set");
        case kDepletionLevel:
            return QStringLiteral("depletion");
        default:
            return QStringLiteral("points");
    }
}

void ShowGrowthLegend(QCustomPlot& chart, const TGrowthPoints& points, int method, bool visible) {
    EmptyLegend(chart);
    std::map<int, bool> allZero;
    for (const TDosePoints& level : points) {
        auto [it, fresh] = allZero.emplace(level.Kind, level.Dose == 0);
        if (!fresh) it->second = it->second && level.Dose == 0;
    }
    // The marks of each set, the accepted ones first.
    std::map<int, QCPAbstractPlottable*> firstOfKind;
    bool rejected = false;
    QCPAbstractPlottable* rejectedMarks = nullptr;
    for (int i = 0; i < chart.plottableCount(); ++i) {
        QCPAbstractPlottable* p = chart.plottable(i);
        const QVariant kind = p->property("levelKind");
        if (!kind.isValid()) continue;
        if (!p->property("accepted").toBool()) {
            if (!rejected) rejectedMarks = p;
            rejected = true;
            continue;
        }
        firstOfKind.emplace(kind.toInt(), p);
    }
    for (const auto& [kind, plottable] : firstOfKind) {
        plottable->setName(PointSetName(static_cast<uint8_t>(kind), method, allZero[kind]));
        plottable->addToLegend();
    }
    if (rejectedMarks) {
        rejectedMarks->setName(QStringLiteral("not accepted"));
        rejectedMarks->addToLegend();
    }
    for (const char* role : {"fittedCurve", "secondCurve", "errorBand", "doseMark"}) {
        for (int i = 0; i < chart.plottableCount(); ++i) {
            QCPAbstractPlottable* p = chart.plottable(i);
            if (p->property("figureRole").toString() == QLatin1String(role)) {
                p->addToLegend();
                break;
            }
        }
    }
    PlaceLegend(chart, visible);
}

void ShowPlateauLegend(QCustomPlot& chart, bool visible) {
    EmptyLegend(chart);
    std::map<QString, QCPAbstractPlottable*> byName;
    for (int i = 0; i < chart.plottableCount(); ++i) {
        QCPAbstractPlottable* p = chart.plottable(i);
        const QString name = p->property("resultKind").toString();
        if (name.isEmpty() || byName.count(name)) continue;
        byName[name] = p;
        p->setName(name);
    }
    // Always in the same order: valid, warning, rejected, failed, ROI, edge marks.
    for (const char* name : {"valid", "warning", "rejected", "failed", "ROI", "beyond the axis"}) {
        const auto it = byName.find(QLatin1String(name));
        if (it != byName.end()) it->second->addToLegend();
    }
    // One kind of result alone needs no legend.
    PlaceLegend(chart, visible && chart.legend->itemCount() > 1);
}

void SetIdentificationLine(QCustomPlot& chart, const QString& text) {
    QCPLayoutGrid* layout = chart.plotLayout();
    QCPTextElement* line = nullptr;
    for (int i = 0; i < layout->elementCount(); ++i) {
        auto* element = qobject_cast<QCPTextElement*>(layout->elementAt(i));
        if (element && element->objectName() == QLatin1String(kIdentificationName)) line = element;
    }
    if (text.isEmpty()) {
        if (line) {
            layout->remove(line);
            layout->simplify();
        }
        return;
    }
    const QFont font(QStringLiteral("DejaVu Sans"), 7);
    if (!line) {
        const int row = layout->rowCount();
        layout->insertRow(row);
        line = new QCPTextElement(&chart, text, font);
        line->setObjectName(QLatin1String(kIdentificationName));
        line->setTextColor(QColor(80, 80, 80));
        line->setMargins(QMargins(6, 2, 6, 4));
        line->setTextFlags(Qt::AlignLeft | Qt::AlignVCenter);
        layout->addElement(row, 0, line);
    }
    line->setText(WrappedAtSeparators(text, font, chart.width() - 16));
}

void SetWholeNumberTicks(QCPAxis* axis) {
    auto ticker = QSharedPointer<TWholeNumberTicker>::create();
    ticker->setTickCount(6);
    axis->setTicker(ticker);
    axis->setNumberFormat(QStringLiteral("f"));
    axis->setNumberPrecision(0);
}
