// orvane-cli plot-curves on the sample, run as a program without a display: the image has the
// size asked for and shows the curves (the first in red); SVG and PDF come by extension, and
// bad sizes and file types are refused.
#include <QFile>
#include <QImage>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QtTest>

#include "ui/cli_run.h"
#include "ui/plot_image.h"

class PlotCurvesCliTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString Dat() const { return dir_.filePath(QStringLiteral("S12.DAT")); }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QCOMPARE(RunCli({QStringLiteral("make-sample"), dir_.path()}).status, 0);
    }

    void writesAPngOfTheRequestedSizeThatShowsTheCurves() {
        const QString png = dir_.filePath(QStringLiteral("curves.png"));
        const TCliRun run =
            RunCli({QStringLiteral("plot-curves"), Dat(), QStringLiteral("--records"),
                    QStringLiteral("4,5,6"), QStringLiteral("--out"), png, QStringLiteral("--size"),
                    QStringLiteral("640x480")});
        QVERIFY2(run.status == 0, qPrintable(run.err));
        QVERIFY(run.out.contains(QStringLiteral("\"curves\": 3")));
        const QImage image(png);
        QCOMPARE(image.size(), QSize(640, 480));
        const auto [ink, red] = InkAndRed(image);
        QVERIFY(ink > 3000);  // frame, ticks, labels and curves
        QVERIFY(red > 50);    // the first record's curve
    }

    void svgAndPdfByExtension() {
        const QString svg = dir_.filePath(QStringLiteral("curves.svg"));
        QCOMPARE(
            RunCli({QStringLiteral("plot-curves"), Dat(), QStringLiteral("--records"),
                    QStringLiteral("all"), QStringLiteral("--log-x"), QStringLiteral("--out"), svg})
                .status,
            0);
        QVERIFY(QSvgRenderer(svg).isValid());
        const QString pdf = dir_.filePath(QStringLiteral("curves.pdf"));
        QCOMPARE(RunCli({QStringLiteral("plot-curves"), Dat(), QStringLiteral("--records"),
                         QStringLiteral("7"), QStringLiteral("--subtracted"),
                         QStringLiteral("--out"), pdf})
                     .status,
                 0);
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(5), QByteArray("%PDF-"));
    }

    void refusesBadSizesFileTypesAndRecords() {
        const struct {
            QStringList extra;
            int status;
            const char* message;
        } cases[] = {
            {{QStringLiteral("--records"), QStringLiteral("1"), QStringLiteral("--out"),
              QStringLiteral("x.png"), QStringLiteral("--size"), QStringLiteral("0x10")},
             2,
             "--size"},
            {{QStringLiteral("--records"), QStringLiteral("1"), QStringLiteral("--out"),
              QStringLiteral("x.png"), QStringLiteral("--size"), QStringLiteral("640")},
             2,
             "--size"},
            {{QStringLiteral("--records"), QStringLiteral("1")}, 2, "--out"},
            {{QStringLiteral("--out"), QStringLiteral("x.png")}, 2, "--records"},
            {{QStringLiteral("--records"), QStringLiteral("1"), QStringLiteral("--out"),
              QStringLiteral("x.gif")},
             1,
             "Unknown plot file type"},
            {{QStringLiteral("--records"), QStringLiteral("9999"), QStringLiteral("--out"),
              QStringLiteral("x.png")},
             1,
             ""},
        };
        for (const auto& c : cases) {
            const TCliRun run = RunCli(QStringList{QStringLiteral("plot-curves"), Dat()} + c.extra);
            QCOMPARE(run.status, c.status);
            QVERIFY2(run.err.contains(QLatin1String(c.message)), qPrintable(run.err));
        }
    }

    // analyse --plot: the point viewer's plot of the solution, after subtracting the OSL
    // backgrounds as a lab would, in the size asked for; blue natural points and ink enough
    // for points, curve and text. The JSON names the file and its size.
    void analysePlotDrawsTheSolution() {
        QCOMPARE(RunCli({QStringLiteral("subtract"), Dat(), QStringLiteral("--curves"),
                         QStringLiteral("osl")})
                     .status,
                 0);
        const QString png = dir_.filePath(QStringLiteral("growth.png"));
        const TCliRun run = RunCli({QStringLiteral("analyse"), Dat(), QStringLiteral("--device"),
                                    QStringLiteral("1"), QStringLiteral("--plot"), png,
                                    QStringLiteral("--plot-size"), QStringLiteral("800x600")});
        QVERIFY2(run.status == 0, qPrintable(run.err));
        QVERIFY(run.err.isEmpty());
        QVERIFY(run.out.contains(QStringLiteral("\"plot\":{\"file\":")));
        QVERIFY(run.out.contains(QStringLiteral("\"width\":800,\"height\":600")));
        const QImage image(png);
        QCOMPARE(image.size(), QSize(800, 600));
        const auto [ink, red] = InkAndRed(image);
        QVERIFY(ink > 8000);
        int blue = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.blue() > 150 && c.red() < 60 && c.green() < 120) ++blue;
            }
        QVERIFY(blue > 40);  // the natural aliquots' marks
        // A bad size is refused before anything is drawn; --plot-size alone is a usage error.
        const TCliRun bad = RunCli({QStringLiteral("analyse"), Dat(), QStringLiteral("--device"),
                                    QStringLiteral("1"), QStringLiteral("--plot"), png,
                                    QStringLiteral("--plot-size"), QStringLiteral("8x8")});
        QVERIFY(bad.status != 0);
        QVERIFY(bad.err.contains(QStringLiteral("--plot-size")));
        QVERIFY(RunCli({QStringLiteral("analyse"), Dat(), QStringLiteral("--plot-size"),
                        QStringLiteral("800x600")})
                    .status != 0);
    }
};

QTEST_MAIN(PlotCurvesCliTest)
#include "plot_curves_cli_test.moc"
