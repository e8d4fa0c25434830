#include "graph/graph_printer.h"

#include <qcustomplot.h>

#include <QDateTime>
#include <QLocale>
#include <QPrinter>
#include <cmath>

namespace {

// The program's mark in the header: a ring with a glow curve inside.
void DrawMark(QPainter& painter, const QRect& box) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(30, 60, 140), std::max(1, box.width() / 12)));
    painter.drawEllipse(box.adjusted(1, 1, -1, -1));
    QPainterPath glow;
    const double w = box.width(), h = box.height();
    glow.moveTo(box.left() + 0.2 * w, box.top() + 0.75 * h);
    glow.cubicTo(box.left() + 0.45 * w, box.top() + 0.75 * h, box.left() + 0.45 * w,
                 box.top() + 0.2 * h, box.left() + 0.55 * w, box.top() + 0.25 * h);
    glow.cubicTo(box.left() + 0.65 * w, box.top() + 0.3 * h, box.left() + 0.65 * w,
                 box.top() + 0.75 * h, box.left() + 0.8 * w, box.top() + 0.75 * h);
    painter.setPen(QPen(QColor(90, 90, 90), std::max(1, box.width() / 14)));
    painter.drawPath(glow);
    painter.restore();
}

// Black pens for every plottable while printing in black and white; restores them after.
class TMonochrome {
public:
    TMonochrome(QCustomPlot& chart, bool on) : chart_(chart) {
        if (!on) return;
        for (int i = 0; i < chart.plottableCount(); ++i) {
            QCPAbstractPlottable* p = chart.plottable(i);
            pens_.push_back(p->pen());
            QPen pen = p->pen();
            pen.setColor(Qt::black);
            p->setPen(pen);
        }
    }
    ~TMonochrome() {
        for (int i = 0; i < static_cast<int>(pens_.size()); ++i)
            chart_.plottable(i)->setPen(pens_[static_cast<std::size_t>(i)]);
    }

private:
    QCustomPlot& chart_;
    std::vector<QPen> pens_;
};

}  // namespace

bool PrintGraph(QPrinter& printer, QCustomPlot& chart, const QString& title, const QString& notes,
                const TPrintOptions& options) {
    printer.setPageOrientation(options.layout == 2 ? QPageLayout::Landscape
                                                   : QPageLayout::Portrait);
    QCPPainter painter;
    if (!painter.begin(&printer)) return false;
    const double dx = printer.logicalDpiX(), dy = printer.logicalDpiY();
    const int x0 = static_cast<int>(std::lround(0.5 * dx));
    const int W = printer.width();

    // Header: the mark at the right edge, title and time right-aligned beside it.
    QFont header = painter.font();
    header.setPointSize(8);
    painter.setFont(header);
    const QFontMetrics hm(header, &printer);
    const int line = hm.height();
    const int markSize = static_cast<int>(std::lround(0.25 * dy));
    DrawMark(painter, QRect(W - markSize, line - markSize / 2, markSize, markSize));
    const int textRight = W - markSize;
    painter.drawText(QRect(0, 0, textRight, line), Qt::AlignRight | Qt::AlignTop,
                     QStringLiteral("  ") + title);
    painter.drawText(QRect(0, line, textRight, line), Qt::AlignRight | Qt::AlignTop,
                     QLocale().toString(QDateTime::currentDateTime(), QLocale::ShortFormat) +
                         QStringLiteral("  "));
    int y = 2 * line + line / 2;

    QFont body = painter.font();
    body.setPointSize(9);
    auto printNotes = [&] {
        painter.setFont(body);
        const QFontMetrics bm(body, &printer);
        for (const QString& text : QString(notes)
                                       .replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
                                       .split(QLatin1Char('\n'))) {
            painter.drawText(x0, y + bm.ascent(), text);
            y += bm.height();
        }
        y += bm.height();
    };
    auto printChart = [&] {
        const bool landscape = options.layout == 2;
        const double d1 = landscape ? dy : dx, d2 = landscape ? dx : dy;
        const double screen = chart.logicalDpiX();
        const int width = static_cast<int>(std::lround((W - x0) * screen / d1));
        const int height =
            static_cast<int>(std::lround(width * std::sqrt((std::sqrt(5.0) - 1) / 2) * d2 / d1));
        // The caption, bold, centred over the usable width; the chart below without it.
        QCPTextElement* caption =
            chart.plotLayout()->rowCount() > 1
                ? qobject_cast<QCPTextElement*>(chart.plotLayout()->element(0, 0))
                : nullptr;
        QFont bold = painter.font();
        bold.setPointSize(10);
        bold.setBold(true);
        painter.setFont(bold);
        const QFontMetrics cm(bold, &printer);
        if (caption) {
            painter.drawText(QRect(x0, y, W - x0, cm.height()), Qt::AlignHCenter, caption->text());
            y += cm.height();
            caption->setVisible(false);
            chart.plotLayout()->take(caption);
            chart.plotLayout()->simplify();
        }
        {
            const TMonochrome mono(chart, options.blackAndWhite);
            painter.save();
            painter.translate(x0, y);
            painter.scale(d1 / screen, d1 / screen);
            chart.toPainter(&painter, width, height);
            painter.restore();
        }
        if (caption) {
            chart.plotLayout()->insertRow(0);
            chart.plotLayout()->addElement(0, 0, caption);
            caption->setVisible(true);
        }
        chart.replot();
        y += static_cast<int>(std::lround(height * d1 / screen)) + line;
    };
    if (options.layout == 1) {
        printNotes();
        printChart();
    } else {
        printChart();
        printNotes();
    }
    return painter.end();
}
