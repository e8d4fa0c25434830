// The figures of the sample made by orvane-cli as the help's "Figures" page makes them: the
// SVG of a growth plot holds the unit titles, the legend, the result and the identification
// line (and not them with --no-legend and --no-id); the paleodose plot of the TL plateau keeps
// its axis over the valid results, leaving out the -40 +- 7240 Gy at 445 degC; the curves
// plot draws TL curves against temperature and shine-downs against time; sizes in millimetres
// give PNG pixels = mm x dpi and PDF pages of that size.
#include <qcustomplot.h>

#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

#include "analysis/graph_messages.h"
#include "graph/plot_growth.h"
#include "graph/plot_style.h"
#include "ui/cli_run.h"

namespace {

QString FileText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

QJsonObject JsonOf(const TCliRun& run) {
    return QJsonDocument::fromJson(run.out.toUtf8()).object();
}

QSizeF PdfPageSize(const QString& path) {
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {path});
    if (!p.waitForFinished(30000)) return {};
    const QRegularExpression size(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+) pts"));
    const QRegularExpressionMatch m = size.match(QString::fromUtf8(p.readAllStandardOutput()));
    return m.hasMatch() ? QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()) : QSizeF();
}

}  // namespace

class FigureCliTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString Dat() const { return dir_.filePath(QStringLiteral("S12.DAT")); }
    QString Out(const char* name) const { return dir_.filePath(QLatin1String(name)); }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QCOMPARE(RunCli({QStringLiteral("make-sample"), dir_.path()}).status, 0);
        for (const char* curves : {"osl", "tl"})
            QCOMPARE(RunCli({QStringLiteral("subtract"), Dat(), QStringLiteral("--curves"),
                             QLatin1String(curves)})
                         .status,
                     0);
    }

    // What a reader of the growth plot needs is in the SVG as text; the options take the
    // legend and the identification line away and leave the rest.
    void theGrowthPlotCarriesUnitsLegendResultAndIdentification() {
        const struct {
            const char* name;
            QStringList options;
            bool legend, id;
        } cases[] = {
            {"everything", {}, true, true},
            {"--no-legend", {QStringLiteral("--no-legend")}, false, true},
            {"--no-id", {QStringLiteral("--no-id")}, true, false},
        };
        for (const auto& c : cases) {
            const QString svg = Out("growth.svg");
            const TCliRun run =
                RunCli(QStringList{QStringLiteral("analyse"), Dat(), QStringLiteral("--device"),
                                   QStringLiteral("1"), QStringLiteral("--plot"), svg} +
                       c.options);
            QVERIFY2(run.status == 0, qPrintable(run.err));
            const QString text = FileText(svg);
            QVERIFY2(text.contains(QStringLiteral("Dose (Gy)")), c.name);
            QVERIFY2(text.contains(QStringLiteral("Signal (counts)")), c.name);
            // "De = 42.6 ± 3.5 Gy": the dose, the error's digits and the unit.
            const QRegularExpression result(
                QStringLiteral("De = \\d+\\.?\\d* \u00b1 \\d+\\.?\\d* Gy"));
            QVERIFY2(result.match(text).hasMatch(), c.name);
            QCOMPARE(text.contains(QStringLiteral("fitted curve")), c.legend);
            QCOMPARE(text.contains(QStringLiteral("regenerative")), c.legend);
            QCOMPARE(text.contains(QStringLiteral("natural")), c.legend);
            QCOMPARE(text.contains(QStringLiteral("S12.DAT")), c.id);
        }
    }

    // The TL plateau of the sample: its 445 degC result (-40 +- 7240 Gy, a warning) stays in
    // the JSON, but the axis the plot draws spans the valid results only.
    void thePaleodoseAxisOfTheSampleLeavesTheAbsurdResultOut() {
        const QString png = Out("plateau.png");
        const TCliRun run = RunCli({QStringLiteral("analyse"), Dat(), QStringLiteral("--all"),
                                    QStringLiteral("--no-rois"), QStringLiteral("--plot"), png,
                                    QStringLiteral("--plot-size"), QStringLiteral("160x100mm")});
        QVERIFY2(run.status == 0, qPrintable(run.err));
        TPlateauArray plateau;
        double absurd = 0;
        double largestValid = 0;
        for (const QJsonValue& v : JsonOf(run)[QStringLiteral("plateau")].toArray()) {
            const QJsonObject e = v.toObject();
            TPlateauElement element;
            element.Index = e[QStringLiteral("index")].toInt();
            element.X = e[QStringLiteral("x")].toDouble();
            element.XSpread = e[QStringLiteral("spread")].toDouble();
            element.Value = e[QStringLiteral("value")].toDouble();
            element.Error = e[QStringLiteral("error")].toDouble();
            element.State = static_cast<uint8_t>(e[QStringLiteral("state")].toInt());
            if (element.X == 445) absurd = element.Error;
            if (element.State == kPlateauValid)
                largestValid = std::max(largestValid, element.Value + element.Error);
            plateau.push_back(element);
        }
        QVERIFY2(absurd > 1000, qPrintable(QString::number(absurd)));
        QVERIFY(largestValid > 30 && largestValid < 200);
        QCustomPlot chart;
        chart.resize(600, 380);
        ApplyPlotStyle(chart, QStringLiteral("Paleodose results"));
        chart.replot();
        TPickables pickables;
        DrawPlateau(chart, plateau, gkTemperature, false, -1, true, pickables);
        QVERIFY(std::fabs(chart.yAxis->range().upper - 1.05 * largestValid) < 1e-9);
        QVERIFY(chart.yAxis->range().lower > -absurd / 10);
        // 160 x 100 mm at 300 dpi.
        QCOMPARE(QImage(png).size(), QSize(1890, 1181));
    }

    // The single-aliquot methods draw their paleodose plot too, over the disk numbers.
    void singleAliquotRunsDrawTheirPaleodosePlot() {
        const QString sad = dir_.filePath(QStringLiteral("S12.SAD"));
        const QString svg = Out("sa.svg");
        const TCliRun run =
            RunCli({QStringLiteral("analyse"), sad, QStringLiteral("--method"), QStringLiteral("9"),
                    QStringLiteral("--all"), QStringLiteral("--plot"), svg});
        QVERIFY2(run.status == 0, qPrintable(run.err));
        const QString text = FileText(svg);
        QVERIFY(text.contains(QStringLiteral("Disk number")));
        QVERIFY(text.contains(QStringLiteral("Paleodose (Gy)")));
        // One SAR aliquot: its points are Lx/Tx scaled by the natural's test dose.
        const QString sar = dir_.filePath(QStringLiteral("SAR12.DAT"));
        const TCliRun growth =
            RunCli({QStringLiteral("analyse"), sar, QStringLiteral("--device"), QStringLiteral("1"),
                    QStringLiteral("--method"), QStringLiteral("10"), QStringLiteral("--index"),
                    QStringLiteral("3"), QStringLiteral("--plot"), svg});
        QVERIFY2(growth.status == 0, qPrintable(growth.err));
        QVERIFY(FileText(svg).contains(QStringLiteral("Lx/Tx \u00d7 Tn (counts)")));
        QVERIFY(FileText(svg).contains(QStringLiteral("SAR12.DAT, disk 3")));
    }

    // plot-curves: TL curves against the glow temperature, shine-downs against time; each
    // record its legend entry.
    void curvesAreDrawnAgainstTemperatureAndTime() {
        const struct {
            const char* records;
            QStringList options;
            const char* xAxis;
        } cases[] = {
            {"113,114,115", {}, "Temperature (\u00b0C)"},           // run 5: TL
            {"57,58,59", {QStringLiteral("--log-x")}, "Time (s)"},  // run 3: OSL
        };
        for (const auto& c : cases) {
            const QString svg = Out("curves.svg");
            const TCliRun run = RunCli(
                QStringList{QStringLiteral("plot-curves"), Dat(), QStringLiteral("--records"),
                            QLatin1String(c.records), QStringLiteral("--out"), svg} +
                c.options);
            QVERIFY2(run.status == 0, qPrintable(run.err));
            QCOMPARE(JsonOf(run)[QStringLiteral("x_axis")].toString(), QString::fromUtf8(c.xAxis));
            const QString text = FileText(svg);
            QVERIFY(text.contains(QString::fromUtf8(c.xAxis)));
            for (const QString& record : QString::fromLatin1(c.records).split(QLatin1Char(','))) {
                const int n = record.toInt() - 1;
                const QString entry =
                    QStringLiteral("Run %1, disk %2").arg(n / 28 + 1).arg(n % 28 + 1);
                QVERIFY2(text.contains(entry), qPrintable(entry));
            }
        }
    }

    // Sizes in millimetres: PNG pixels = mm / 25.4 x dpi; the PDF page is the plot's size.
    void millimetreSizesGivePixelsAndPages() {
        const struct {
            const char* size;
            const char* dpi;
            QSize pixels;
        } cases[] = {
            {"85x70mm", "", QSize(1004, 827)},        // 85 / 25.4 x 300 = 1003.9
            {"85x70mm", "150", QSize(502, 413)},      // 70 / 25.4 x 150 = 413.4
            {"170x100mm", "600", QSize(4016, 2362)},  // 170 / 25.4 x 600 = 4015.7
        };
        for (const auto& c : cases) {
            QStringList args{QStringLiteral("plot-curves"), Dat(),
                             QStringLiteral("--records"),   QStringLiteral("57,58"),
                             QStringLiteral("--out"),       Out("c.png"),
                             QStringLiteral("--size"),      QLatin1String(c.size)};
            if (*c.dpi) args << QStringLiteral("--dpi") << QLatin1String(c.dpi);
            const TCliRun run = RunCli(args);
            QVERIFY2(run.status == 0, qPrintable(run.err));
            QCOMPARE(QImage(Out("c.png")).size(), c.pixels);
        }
        const TCliRun pdf = RunCli({QStringLiteral("analyse"), Dat(), QStringLiteral("--device"),
                                    QStringLiteral("1"), QStringLiteral("--plot"), Out("g.pdf"),
                                    QStringLiteral("--plot-size"), QStringLiteral("85x70mm")});
        QVERIFY2(pdf.status == 0, qPrintable(pdf.err));
        const QSizeF page = PdfPageSize(Out("g.pdf"));
        QVERIFY2(std::fabs(page.width() - 85 / 25.4 * 72) < 1,
                 qPrintable(QString::number(page.width())));
        QVERIFY2(std::fabs(page.height() - 70 / 25.4 * 72) < 1,
                 qPrintable(QString::number(page.height())));
        const QJsonObject plot = JsonOf(pdf)[QStringLiteral("solutions")].toArray().isEmpty()
                                     ? QJsonObject()
                                     : JsonOf(pdf)[QStringLiteral("plot")].toObject();
        QCOMPARE(plot[QStringLiteral("dpi")].toInt(), 300);
        QCOMPARE(plot[QStringLiteral("width_mm")].toDouble(), 85.0);
    }

    void refusesBadFigureOptions() {
        const struct {
            QStringList options;
            const char* message;
        } cases[] = {
            {{QStringLiteral("--plot-size"), QStringLiteral("5x70mm")}, "10 to 2000 mm"},
            {{QStringLiteral("--plot-size"), QStringLiteral("85x70cm")}, "--plot-size"},
            {{QStringLiteral("--dpi"), QStringLiteral("10")}, "--dpi"},
        };
        for (const auto& c : cases) {
            const TCliRun run =
                RunCli(QStringList{QStringLiteral("analyse"), Dat(), QStringLiteral("--device"),
                                   QStringLiteral("1"), QStringLiteral("--plot"), Out("x.png")} +
                       c.options);
            QCOMPARE(run.status, 2);
            QVERIFY2(run.err.contains(QLatin1String(c.message)), qPrintable(run.err));
        }
        const TCliRun alone = RunCli({QStringLiteral("analyse"), Dat(), QStringLiteral("--device"),
                                      QStringLiteral("1"), QStringLiteral("--no-legend")});
        QCOMPARE(alone.status, 2);
        QVERIFY(alone.err.contains(QStringLiteral("--no-legend goes with --plot")));
    }
};

QTEST_MAIN(FigureCliTest)
#include "figure_cli_test.moc"
