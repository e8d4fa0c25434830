#include "graph/graph_printer.h"

#include <qcustomplot.h>

#include <QDateTime>
#include <QLocale>
#include <QPrinter>
#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace {

// Golden-section height of the chart: height = 0.786 x width (sqrt((sqrt 5 - 1) / 2)).
const double kChartAspect = std::sqrt((std::sqrt(5.0) - 1) / 2);
// A chart squeezed by long notes keeps at least this share of the page's height; the notes
// then go on over the next page.
constexpr double kLeastChartShare = 0.4;
// A chart is never wider than this many times its height: a flat chart on a landscape page
// is narrowed and centred instead.
constexpr double kWidestChart = 1.6;

// The program's mark in the header: a ring with a glow curve inside (black on a black and
// white print).
void DrawMark(QPainter& painter, const QRect& box, bool blackAndWhite) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(blackAndWhite ? QColor(Qt::black) : QColor(30, 60, 140),
                        std::max(1, box.width() / 12)));
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

bool NearWhite(const QColor& c) {
    return c.alpha() == 0 || (c.red() > 240 && c.green() > 240 && c.blue() > 240);
}

// A pen as black-and-white print draws it: every visible colour black, style and width kept.
QPen BlackPen(QPen pen) {
    if (pen.style() != Qt::NoPen && !NearWhite(pen.color())) pen.setColor(Qt::black);
    return pen;
}

// A fill in black and white: the grey of its lightness, so that a band or a label's
// background does not hide what lies under it; white stays white.
QBrush GreyBrush(QBrush brush) {
    if (brush.style() == Qt::NoBrush || NearWhite(brush.color())) return brush;
    const QColor c = brush.color();
    const int grey = qGray(c.rgb());
    brush.setColor(QColor(grey, grey, grey, c.alpha()));
    return brush;
}

// A mark in black and white: black outline, filled marks filled black, open marks stay open.
QCPScatterStyle BlackScatter(QCPScatterStyle style) {
    style.setPen(BlackPen(style.pen()));
    if (style.brush().style() != Qt::NoBrush && !NearWhite(style.brush().color())) {
        QBrush brush = style.brush();
        brush.setColor(Qt::black);
        style.setBrush(brush);
    }
    return style;
}

// Black and white for everything drawn in the chart while printing: lines, marks, error bars,
// text and items; fills turn grey. The destructor puts every colour back.
class TMonochrome {
public:
    TMonochrome(QCustomPlot& chart, bool on) {
        if (!on) return;
        for (int i = 0; i < chart.plottableCount(); ++i) {
            QCPAbstractPlottable* p = chart.plottable(i);
            Change(p, p->pen(), BlackPen(p->pen()), &QCPAbstractPlottable::setPen);
            Change(p, p->brush(), GreyBrush(p->brush()), &QCPAbstractPlottable::setBrush);
            if (auto* g = qobject_cast<QCPGraph*>(p))
                Change(g, g->scatterStyle(), BlackScatter(g->scatterStyle()),
                       &QCPGraph::setScatterStyle);
            if (auto* c = qobject_cast<QCPCurve*>(p))
                Change(c, c->scatterStyle(), BlackScatter(c->scatterStyle()),
                       &QCPCurve::setScatterStyle);
        }
        for (int i = 0; i < chart.itemCount(); ++i) {
            QCPAbstractItem* item = chart.item(i);
            ChangeProperty(item, "pen", [](const QVariant& v) {
                return QVariant::fromValue(BlackPen(v.value<QPen>()));
            });
            ChangeProperty(item, "brush", [](const QVariant& v) {
                return QVariant::fromValue(GreyBrush(v.value<QBrush>()));
            });
            ChangeProperty(item, "color", [](const QVariant& v) {
                return NearWhite(v.value<QColor>()) ? v : QVariant::fromValue(QColor(Qt::black));
            });
        }
    }
    ~TMonochrome() {
        for (auto it = restore_.rbegin(); it != restore_.rend(); ++it) (*it)();
    }
    TMonochrome(const TMonochrome&) = delete;
    TMonochrome& operator=(const TMonochrome&) = delete;

private:
    template <class Object, class Value, class Setter>
    void Change(Object* object, const Value& old, const Value& now, Setter set) {
        (object->*set)(now);
        QPointer<Object> guard(object);
        restore_.push_back([guard, old, set] {
            if (guard) (guard.data()->*set)(old);
        });
    }
    void ChangeProperty(QObject* object, const char* name,
                        const std::function<QVariant(const QVariant&)>& change) {
        const QVariant old = object->property(name);
        if (!old.isValid()) return;  // the item has no such colour
        object->setProperty(name, change(old));
        QPointer<QObject> guard(object);
        restore_.push_back([guard, name, old] {
            if (guard) guard->setProperty(name, old);
        });
    }

    std::vector<std::function<void()>> restore_;
};

// Lines of the notes as the main window sends them (CR LF between lines).
QStringList NoteLines(const QString& notes) {
    return QString(notes)
        .replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .split(QLatin1Char('\n'));
}

}  // namespace

void EnsurePrintMargins(QPrinter& printer) {
    const QMarginsF m = printer.pageLayout().margins(QPageLayout::Millimeter);
    const QMarginsF least(std::max(m.left(), kLeastPrintMarginMm),
                          std::max(m.top(), kLeastPrintMarginMm),
                          std::max(m.right(), kLeastPrintMarginMm),
                          std::max(m.bottom(), kLeastPrintMarginMm));
    if (least != m) printer.setPageMargins(least, QPageLayout::Millimeter);
}

bool PrintGraph(QPrinter& printer, QCustomPlot& chart, const QString& title, const QString& notes,
                const TPrintOptions& options) {
    printer.setFullPage(false);
    printer.setPageOrientation(options.layout == 2 ? QPageLayout::Landscape
                                                   : QPageLayout::Portrait);
    EnsurePrintMargins(printer);
    QCPPainter painter;
    if (!painter.begin(&printer)) return false;
    const double dx = printer.logicalDpiX(), dy = printer.logicalDpiY();
    const int x0 = static_cast<int>(std::lround(0.5 * dx));
    // The printable area of the page as it lies (width and height swap in landscape).
    const int W = printer.width(), H = printer.height();

    // Header: the mark at the right edge, title and time right-aligned beside it.
    QFont header = painter.font();
    header.setPointSize(8);
    painter.setFont(header);
    const QFontMetrics hm(header, &printer);
    const int line = hm.height();
    const int markSize = static_cast<int>(std::lround(0.25 * dy));
    const int markTop = std::max(0, line - markSize / 2);
    DrawMark(painter, QRect(W - markSize, markTop, markSize, markSize), options.blackAndWhite);
    const int textRight = W - markSize - markSize / 4;
    painter.drawText(QRect(0, 0, textRight, line), Qt::AlignRight | Qt::AlignTop,
                     QStringLiteral("  ") + title);
    painter.drawText(QRect(0, line, textRight, line), Qt::AlignRight | Qt::AlignTop,
                     QLocale().toString(QDateTime::currentDateTime(), QLocale::ShortFormat) +
                         QStringLiteral("  "));
    int y = std::max(2 * line + line / 2, markTop + markSize + line / 2);
    const int top = y;

    QFont body = painter.font();
    body.setPointSize(9);
    const QFontMetrics bm(body, &printer);
    QFont bold = painter.font();
    bold.setPointSize(10);
    bold.setBold(true);
    const QFontMetrics cm(bold, &printer);
    const QStringList lines = NoteLines(notes);
    const int notesHeight = static_cast<int>(lines.size() + 1) * bm.height();

    // The caption, bold, centred over the usable width; the chart below without it.
    QCPTextElement* caption =
        chart.plotLayout()->rowCount() > 1
            ? qobject_cast<QCPTextElement*>(chart.plotLayout()->element(0, 0))
            : nullptr;
    const int captionHeight = caption ? cm.height() : 0;

    // The chart takes the usable width at the golden-section height when chart and notes fit
    // on the page together; otherwise the room the notes leave (down to a least share of the
    // page, the notes then going on over the next page), narrowed to stay in proportion.
    const int usableWidth = W - x0;
    int chartWidth = usableWidth;
    int chartHeight = static_cast<int>(std::lround(chartWidth * kChartAspect * dy / dx));
    const int room = H - top - captionHeight - notesHeight - line;
    const int least = static_cast<int>(std::lround(kLeastChartShare * (H - top)));
    if (chartHeight > room) {
        chartHeight = std::max(room, least);
        chartHeight = std::min(chartHeight, H - top - captionHeight - line);
        chartWidth = std::min(usableWidth,
                              static_cast<int>(std::lround(kWidestChart * chartHeight * dx / dy)));
    }

    bool ok = true;
    auto newPage = [&] {
        if (!printer.newPage()) ok = false;
        y = 0;
    };
    auto printNotes = [&] {
        painter.setFont(body);
        for (const QString& text : lines) {
            if (y + bm.height() > H) newPage();
            painter.drawText(x0, y + bm.ascent(), text);
            y += bm.height();
        }
        y += bm.height();
    };
    auto printChart = [&] {
        if (y + captionHeight + chartHeight > H) newPage();
        const int left = x0 + (usableWidth - chartWidth) / 2;
        if (caption) {
            painter.setFont(bold);
            painter.drawText(QRect(x0, y, usableWidth, cm.height()), Qt::AlignHCenter,
                             caption->text());
            y += captionHeight;
            caption->setVisible(false);
            chart.plotLayout()->take(caption);
            chart.plotLayout()->simplify();
        }
        // The chart is laid out in screen pixels (QCustomPlot sizes its texts in points of
        // the screen) and scaled onto the printer's pixels.
        const double screen = chart.logicalDpiX();
        const int widthPx = static_cast<int>(std::lround(chartWidth * screen / dx));
        const int heightPx = static_cast<int>(std::lround(chartHeight * screen / dy));
        {
            const TMonochrome mono(chart, options.blackAndWhite);
            painter.save();
            painter.translate(left, y);
            painter.scale(dx / screen, dy / screen);
            chart.toPainter(&painter, widthPx, heightPx);
            painter.restore();
        }
        if (caption) {
            chart.plotLayout()->insertRow(0);
            chart.plotLayout()->addElement(0, 0, caption);
            caption->setVisible(true);
        }
        chart.replot();
        y += chartHeight + line;
    };
    if (options.layout == 1) {
        printNotes();
        printChart();
    } else {
        printChart();
        printNotes();
    }
    return painter.end() && ok;
}
