// Figures as a paper needs them, drawn in the test's own process: the result's digits follow
// its error, the paleodose axis ranges over the valid results only and marks the others at its
// edge, channel axes tick at whole numbers, and files have the physical size asked for (PNG
// pixels = millimetres x dpi, PDF pages of exactly the plot's size).
#include <qcustomplot.h>

#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

#include "analysis/graph_messages.h"
#include "graph/plot_export.h"
#include "graph/plot_figure.h"
#include "graph/plot_growth.h"
#include "graph/plot_style.h"

namespace {

// The page size of a PDF in points, as pdfinfo reads it.
QSizeF PdfPageSize(const QString& path) {
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {path});
    if (!p.waitForFinished(30000)) return {};
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    const QRegularExpression size(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+) pts"));
    const QRegularExpressionMatch m = size.match(text);
    if (!m.hasMatch()) return {};
    return {m.captured(1).toDouble(), m.captured(2).toDouble()};
}

int VisibleEdgeMarks(const QCustomPlot& chart, const QString& glyph) {
    int n = 0;
    for (int i = 0; i < chart.itemCount(); ++i) {
        const auto* text = qobject_cast<const QCPItemText*>(chart.item(i));
        if (text && text->visible() && text->text() == glyph) ++n;
    }
    return n;
}

}  // namespace

class FigureExportTest : public QObject {
    Q_OBJECT

private slots:
    // Two significant digits of the error decide the decimals of both numbers.
    void theResultShowsTheDigitsItsErrorAllows() {
        const struct {
            double value, error;
            const char* text;
        } cases[] = {
            {42.63, 3.47, "De = 42.6 \u00b1 3.5 Gy"},
            {123.456, 12.3, "De = 123 \u00b1 12 Gy"},
            {0.12345, 0.0123, "De = 0.123 \u00b1 0.012 Gy"},
            {5.0, 0.96, "De = 5.00 \u00b1 0.96 Gy"},
            {5.0, 0.996, "De = 5.0 \u00b1 1.0 Gy"},  // the error rounds into the next decade
            {-40.2, 7240, "De = \u221240 \u00b1 7240 Gy"},
            {-0.001, 0.5, "De = 0.00 \u00b1 0.50 Gy"},  // no negative zero
            {42.0, 0.0, "De = 42 Gy (error undefined)"},
            {42.0, std::nan(""), "De = 42 Gy (error undefined)"},
        };
        for (const auto& c : cases)
            QCOMPARE(DoseResultText(c.value, c.error), QString::fromUtf8(c.text));
    }

    // The y axis spans min(0, valid value - error) to 1.05 x the largest valid value + error;
    // results beyond it are marked at the edge they lie beyond.
    void thePaleodoseAxisRangesOverTheValidResults() {
        const struct {
            const char* name;
            TPlateauArray plateau;
            double lower, upper;
            int above, below;
        } cases[] = {
            {"a failed result far off",  // its mark lies below 0, its error bar is clipped
             {{0, 300, 0, 40, 2, kPlateauValid},
              {1, 350, 0, 44, 3, kPlateauValid},
              {2, 445, 0, -40, 7240, kPlateauFailed}},
             0,
             1.05 * 47,
             0,
             1},
            {"a warning above and a failed result below",
             {{0, 1, 0, 40, 2, kPlateauValid},
              {1, 2, 0, 900, 50, kPlateauWarning},
              {2, 3, 0, -300, 0, kPlateauFailed}},
             0,
             1.05 * 42,
             1,
             1},
            {"a ROI result counts as valid",
             {{0, 1, 0, 40, 2, kPlateauValid}, {1, 2, 10, 60, 5, kPlateauRoi}},
             0,
             1.05 * 65,
             0,
             0},
            {"a valid result below 0",
             {{0, 1, 0, -5, 2, kPlateauValid}, {1, 2, 0, 10, 1, kPlateauValid}},
             1.05 * -7,
             1.05 * 11,
             0,
             0},
            {"no valid result: all results with a number",
             {{0, 1, 0, 40, 2, kPlateauWarning}, {1, 2, 0, 50, 10, kPlateauFailed}},
             0,
             1.05 * 60,
             0,
             0},
        };
        for (const auto& c : cases) {
            QCustomPlot chart;
            chart.resize(600, 400);
            ApplyPlotStyle(chart, QStringLiteral("Paleodose results"));
            chart.replot();
            TPickables pickables;
            DrawPlateau(chart, c.plateau, gkChannel, false, -1, true, pickables);
            QVERIFY2(std::fabs(chart.yAxis->range().lower - c.lower) < 1e-9, c.name);
            QVERIFY2(std::fabs(chart.yAxis->range().upper - c.upper) < 1e-9, c.name);
            QVERIFY2(VisibleEdgeMarks(chart, QStringLiteral("\u25b2")) == c.above, c.name);
            QVERIFY2(VisibleEdgeMarks(chart, QStringLiteral("\u25bc")) == c.below, c.name);
        }
    }

    // Zooming out brings a result back inside: its edge mark goes.
    void edgeMarksFollowTheZoom() {
        const TPlateauArray plateau = {{0, 1, 0, 40, 2, kPlateauValid},
                                       {1, 2, 0, 900, 50, kPlateauWarning}};
        QCustomPlot chart;
        chart.resize(600, 400);
        ApplyPlotStyle(chart, QStringLiteral("Paleodose results"));
        TPickables pickables;
        DrawPlateau(chart, plateau, gkChannel, false, -1, true, pickables);
        QCOMPARE(VisibleEdgeMarks(chart, QStringLiteral("\u25b2")), 1);
        chart.yAxis->setRange(0, 1000);
        QCOMPARE(VisibleEdgeMarks(chart, QStringLiteral("\u25b2")), 0);
        chart.yAxis->setRange(950, 1000);
        QCOMPARE(VisibleEdgeMarks(chart, QStringLiteral("\u25bc")), 2);
    }

    // Channels and disks are counted: every tick of their axis is a whole number, however
    // few of them the axis spans; temperatures keep the usual ticks.
    void channelAndDiskAxesTickAtWholeNumbers() {
        for (uint8_t kind : {uint8_t(gkChannel), uint8_t(gkDisk)}) {
            for (int last : {2, 3, 7, 40}) {
                TPlateauArray plateau;
                for (int i = 1; i <= last; ++i)
                    plateau.push_back({i, double(i), 0, 40.0 + i, 2, kPlateauValid});
                QCustomPlot chart;
                chart.resize(600, 400);
                ApplyPlotStyle(chart, QStringLiteral("Paleodose results"));
                chart.replot();
                TPickables pickables;
                DrawPlateau(chart, plateau, kind, false, -1, true, pickables);
                chart.replot();
                const QVector<double> ticks = chart.xAxis->tickVector();
                QVERIFY(!ticks.isEmpty());
                for (double t : ticks) QCOMPARE(t, std::round(t));
                for (const QString& label : chart.xAxis->tickVectorLabels())
                    QVERIFY2(!label.contains(QLatin1Char('.')), qPrintable(label));
            }
        }
    }

    // PNG: pixels = millimetres / 25.4 x dpi, and the file carries its resolution. PDF: the
    // page is the plot's physical size (1 pt = 1/72 inch).
    void filesHaveThePhysicalSizeAskedFor() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QCustomPlot chart;
        ApplyPlotStyle(chart, QStringLiteral("Growth data"));
        chart.xAxis->setLabel(QStringLiteral("Dose (Gy)"));
        const struct {
            int width, height, dpi;
            double widthPt, heightPt;
        } cases[] = {
            // 85 x 70 mm at 300 dpi: 85 / 25.4 x 300 = 1003.9, 70 / 25.4 x 300 = 826.8.
            {1004, 827, 300, 85 / 25.4 * 72, 70 / 25.4 * 72},
            {2008, 1654, 600, 85 / 25.4 * 72, 70 / 25.4 * 72},
            // 1200 x 900 pixels at screen resolution: 12.5 x 9.375 inches.
            {1200, 900, 96, 900, 675},
        };
        for (const auto& c : cases) {
            const TPlotFileSize size{c.width, c.height, c.dpi};
            const QString png = dir.filePath(QStringLiteral("plot%1.png").arg(c.dpi));
            QString error;
            QVERIFY2(SavePlotFile(chart, png, size, &error), qPrintable(error));
            const QImage image(png);
            QCOMPARE(image.size(), QSize(c.width, c.height));
            QVERIFY(std::abs(image.dotsPerMeterX() - c.dpi / 0.0254) < 1);
            const QString pdf = dir.filePath(QStringLiteral("plot%1.pdf").arg(c.dpi));
            QVERIFY2(SavePlotFile(chart, pdf, size, &error), qPrintable(error));
            const QSizeF page = PdfPageSize(pdf);
            // Page sizes in whole points at most 1 pt off (pdfinfo rounds, sizes are mm).
            QVERIFY2(std::fabs(page.width() - c.widthPt) < 1.0,
                     qPrintable(QString::number(page.width())));
            QVERIFY2(std::fabs(page.height() - c.heightPt) < 1.0,
                     qPrintable(QString::number(page.height())));
        }
    }

    // A text of 8 pt is 8/72 inch high whatever the resolution: at 600 dpi a tick label is
    // twice as many pixels high as at 300 dpi.
    void fontsKeepTheirPointSizeAtAnyResolution() {
        QTemporaryDir dir;
        QCustomPlot chart;
        ApplyPlotStyle(chart, QStringLiteral("Growth data"));
        QCOMPARE(chart.xAxis->tickLabelFont().pointSizeF(), 8.0);
        QCOMPARE(chart.xAxis->labelFont().pointSizeF(), 9.0);
        const auto inkRows = [&](int dpi) {
            const QString png = dir.filePath(QStringLiteral("t%1.png").arg(dpi));
            QString error;
            SavePlotFile(chart, png,
                         TPlotFileSize{int(std::lround(85 / 25.4 * dpi)),
                                       int(std::lround(70 / 25.4 * dpi)), dpi},
                         &error);
            // The title's rows: from the top down to the first white row after ink.
            const QImage image(png);
            int first = -1, last = -1;
            for (int y = 0; y < image.height() / 4; ++y) {
                bool ink = false;
                for (int x = 0; x < image.width() && !ink; ++x)
                    ink = image.pixelColor(x, y).lightness() < 128;
                if (ink && first < 0) first = y;
                if (!ink && first >= 0) {
                    last = y;
                    break;
                }
            }
            return last - first;
        };
        const int at300 = inkRows(300), at600 = inkRows(600);
        QVERIFY(at300 > 0);
        // 9 pt bold title: about 9/72 x 300 = 37 pixels of line, its ink some 25 pixels.
        QVERIFY2(std::abs(at600 - 2 * at300) <= 3,
                 qPrintable(QStringLiteral("%1 %2").arg(at300).arg(at600)));
    }
};

QTEST_MAIN(FigureExportTest)
#include "figure_export_test.moc"
