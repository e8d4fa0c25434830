// Printing a graph window as a reader of the page sees it: real PDF files printed through
// QPrinter, read back with pdftotext (the words and where they stand) and pdftoppm (the
// pixels). Every page layout on every paper keeps the whole chart and every line of the notes
// inside margins of at least 10 mm; "b/w" prints the point marks black; the "print to file"
// choice outlives the window that showed the dialog.
#include <qcustomplot.h>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QImage>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "analysis/graph_messages.h"
#include "analysis/growth_points.h"
#include "editor/editor_document.h"
#include "graph/curve_editor.h"
#include "graph/graph_form.h"
#include "graph/graph_printer.h"
#include "graph/print_option_dialog.h"
#include "graph/viewer_windows.h"
#include "ui/sample_window_fixture.h"

namespace {

constexpr double kPointsPerMm = 72 / 25.4;

// A word of a PDF page and its box in points from the page's top left corner.
struct TWord {
    QString text;
    QRectF box;
    int page = 0;
};

struct TPdfText {
    QSizeF page;  // points
    int pages = 0;
    std::vector<TWord> words;
    QString Joined() const {
        QStringList all;
        for (const TWord& w : words) all << w.text;
        return all.join(QLatin1Char(' '));
    }
    // The first word that is `text`; nullptr when there is none.
    const TWord* Find(const QString& text) const {
        for (const TWord& w : words)
            if (w.text == text) return &w;
        return nullptr;
    }
};

// The words of a PDF with their boxes (pdftotext -bbox).
TPdfText ReadPdfText(const QString& pdf) {
    TPdfText out;
    QProcess p;
    p.start(QStandardPaths::findExecutable(QStringLiteral("pdftotext")),
            {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(30000)) return out;
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression pageTag(
        QStringLiteral(R"re(<page width="([\d.]+)" height="([\d.]+)">)re"));
    static const QRegularExpression wordTag(QStringLiteral(
        R"re(<word xMin="([\d.-]+)" yMin="([\d.-]+)" xMax="([\d.-]+)" yMax="([\d.-]+)">([^<]*)</word>)re"));
    int page = 0;
    for (const QString& line : html.split(QLatin1Char('\n'))) {
        if (const auto m = pageTag.match(line); m.hasMatch()) {
            out.page = QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble());
            page = ++out.pages;
        } else if (const auto w = wordTag.match(line); w.hasMatch()) {
            const QPointF a(w.captured(1).toDouble(), w.captured(2).toDouble());
            const QPointF b(w.captured(3).toDouble(), w.captured(4).toDouble());
            QString text = w.captured(5);
            text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
            out.words.push_back({text, QRectF(a, b), page});
        }
    }
    return out;
}

// Page `page` (from 1) of a PDF as an image at `dpi` (pdftoppm).
QImage RenderPage(const QString& pdf, int dpi, int page = 1) {
    const QString base = pdf + QStringLiteral("-page%1").arg(page);
    QProcess p;
    p.start(QStandardPaths::findExecutable(QStringLiteral("pdftoppm")),
            {QStringLiteral("-png"), QStringLiteral("-r"), QString::number(dpi),
             QStringLiteral("-singlefile"), QStringLiteral("-f"), QString::number(page),
             QStringLiteral("-l"), QString::number(page), pdf, base});
    if (!p.waitForFinished(30000)) return {};
    return QImage(base + QStringLiteral(".png"));
}

// The box of every pixel that is not white.
QRect InkBox(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != Qt::white) box |= QRect(x, y, 1, 1);
    return box;
}

// Pixels that carry a colour (not a grey) and pixels that are near black.
std::pair<int, int> ColouredAndBlack(const QImage& image) {
    int coloured = 0, black = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const int spread = std::max({c.red(), c.green(), c.blue()}) -
                               std::min({c.red(), c.green(), c.blue()});
            if (spread > 60) ++coloured;
            if (c.red() < 60 && c.green() < 60 && c.blue() < 60) ++black;
        }
    return {coloured, black};
}

// The notes a results viewer carries, with the user's comment on the last line.
QString ResultNotes(int extraLines) {
    QStringList lines = {QStringLiteral("File name: S12.DAT"),
                         QStringLiteral("Full path: /data/lab/S12.DAT"),
                         QStringLiteral("Type of data: OSL curves - Subtracted curves"),
                         QStringLiteral("Method: Regenerative"),
                         QStringLiteral("Bleaching: 20 s"),
                         QStringLiteral("Channel(s): 7"),
                         QStringLiteral("Result: 42.60 +/- 3.50 Gy"),
                         QStringLiteral("Fitted function: saturating exponential")};
    for (int i = 1; i <= extraLines; ++i) lines << QStringLiteral("Remark%1 aliquot").arg(i);
    lines << QStringLiteral("Printed on: today");
    lines << QStringLiteral("Comment: sample dated by Bexley lab");
    return lines.join(QStringLiteral("\r\n"));
}

// Two dose levels of blue marks and a selected one in red: every mark a coloured disc.
TGrowthPoints ColouredPoints() {
    TGrowthPoints points;
    for (double dose : {0.0, 25.0, 50.0}) {
        TDosePoints level;
        level.Kind = kGrowthLevel;
        level.Dose = dose;
        level.Selected = dose == 25.0 ? 1 : 0;
        for (int k = 0; k < 3; ++k) {
            TGrowthPoint p;
            p.Ordinal = k;
            p.Signal = 500 + 40 * dose + 60 * k;
            p.Accepted = 1;
            level.Points.push_back(p);
        }
        points.push_back(level);
    }
    return points;
}

QPageSize::PageSizeId PaperOf(const QString& name) {
    if (name == QLatin1String("Letter")) return QPageSize::Letter;
    if (name == QLatin1String("A5")) return QPageSize::A5;
    return QPageSize::A4;
}

}  // namespace

class GraphPrintingTest : public QObject, TSampleWindowFixture {
    Q_OBJECT

    TGrowthPoints points_;
    int32_t index_ = 7;
    QTemporaryDir out_;

    // The point viewer on the coloured points, with the result's notes.
    TGrForm1* OpenPointViewer(int extraNoteLines = 0) {
        points_ = ColouredPoints();
        TGrForm1* viewer = ShowGraphViewer(*form_, kPointViewer);
        TGraphDispatcher& m = form_->Document().GraphMessages();
        m.SendValue(kPointViewer, gd_Plot, plPoints);
        m.SendText(kPointViewer, gd_Title, "Orvane - View points");
        m.SendValue(kPointViewer, gd_Kind, gkChannel);
        m.SendText(kPointViewer, gd_Caption, "Growth data");
        m.SendText(kPointViewer, gd_XLabel, "Dose, Gy");
        m.SendText(kPointViewer, gd_YLabel, "Intensity");
        m.SendText(kPointViewer, gd_Notes, ResultNotes(extraNoteLines).toStdString());
        m.SendValue(kPointViewer, gd_Spacing, 1);
        m.SendReference(kPointViewer, gd_Points, &points_);
        m.SendReference(kPointViewer, gd_Index, &index_);
        m.SendDraw(kPointViewer, kMaskIndexPoints);
        QCoreApplication::processEvents();
        return viewer;
    }

    // Prints the window to a PDF on the paper given; the file's path.
    QString PrintToPdf(TGrForm1& window, const QString& name, QPageSize::PageSizeId paper,
                       QPageLayout::Orientation before) {
        const QString pdf = out_.filePath(name + QStringLiteral(".pdf"));
        QPrinter printer(QPrinter::ScreenResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageSize(QPageSize(paper));
        printer.setPageOrientation(before);
        printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
        window.PrintTo(printer);
        return pdf;
    }

    static bool HaveTools() {
        return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() &&
               !QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty();
    }

private slots:
    void init() {
        QVERIFY(SetUp());
        QVERIFY(out_.isValid());
    }
    void cleanup() { TearDown(); }

    void everyLayoutKeepsTheWholeChartAndAllNotes_data() {
        QTest::addColumn<int>("layout");
        QTest::addColumn<QString>("paper");
        QTest::addColumn<bool>("landscapeBefore");  // the printer's orientation before printing
        QTest::addColumn<int>("extraNoteLines");
        for (int layout : {0, 1, 2})
            for (const char* paper : {"A4", "Letter", "A5"})
                for (bool landscape : {false, true})
                    QTest::addRow("layout %d, %s, %s", layout, paper,
                                  landscape ? "was landscape" : "was portrait")
                        << layout << QString::fromLatin1(paper) << landscape << 0;
        // Notes longer than a page: the chart keeps its room, the notes go on over page 2.
        for (int layout : {0, 1, 2})
            QTest::addRow("layout %d, A5, 70 lines of notes", layout)
                << layout << QStringLiteral("A5") << false << 60;
    }
    void everyLayoutKeepsTheWholeChartAndAllNotes() {
        if (!HaveTools()) QSKIP("pdftotext and pdftoppm are needed");
        QFETCH(int, layout);
        QFETCH(QString, paper);
        QFETCH(bool, landscapeBefore);
        QFETCH(int, extraNoteLines);
        TGrForm1* viewer = OpenPointViewer(extraNoteLines);
        viewer->PrintOptions().layout = layout;
        viewer->PrintOptions().blackAndWhite = false;
        const QString pdf = PrintToPdf(
            *viewer, QStringLiteral("layout%1%2").arg(layout).arg(paper), PaperOf(paper),
            landscapeBefore ? QPageLayout::Landscape : QPageLayout::Portrait);
        const TPdfText text = ReadPdfText(pdf);
        QVERIFY(text.pages >= 1);
        QCOMPARE(text.page.width() > text.page.height(), layout == 2);
        if (extraNoteLines == 0) QCOMPARE(text.pages, 1);

        // Every line of the notes, the comment included, and the chart's caption and axis
        // titles are on the page (pdftotext drops what lies outside it).
        const QString all = text.Joined();
        for (const QString& noteLine : ResultNotes(extraNoteLines).split(QStringLiteral("\r\n")))
            QVERIFY2(all.contains(noteLine.simplified()), qPrintable(noteLine));
        for (const char* chartText : {"Growth data", "Dose, Gy", "Intensity"})
            QVERIFY2(all.contains(QLatin1String(chartText)), chartText);

        // Notes below the chart in layouts 0 and 2, above it in layout 1.
        const TWord* doseTitle = text.Find(QStringLiteral("Dose,"));
        const TWord* fileName = text.Find(QStringLiteral("File"));
        QVERIFY(doseTitle && fileName);
        if (doseTitle->page == fileName->page)
            QCOMPARE(fileName->box.top() < doseTitle->box.top(), layout == 1);

        // No word comes nearer than 10 mm to an edge of the page (a word's box is the font's
        // full height, which reaches about half a point above the tallest letter).
        const double margin = 10 * kPointsPerMm - 1;
        for (const TWord& w : text.words) {
            const QString where = QStringLiteral("%1 at %2, %3 - %4, %5 on %6 x %7")
                                      .arg(w.text)
                                      .arg(w.box.left())
                                      .arg(w.box.top())
                                      .arg(w.box.right())
                                      .arg(w.box.bottom())
                                      .arg(text.page.width())
                                      .arg(text.page.height());
            QVERIFY2(w.box.left() >= margin && w.box.top() >= margin, qPrintable(where));
            QVERIFY2(w.box.right() <= text.page.width() - margin, qPrintable(where));
            QVERIFY2(w.box.bottom() <= text.page.height() - margin, qPrintable(where));
        }
        // Nor does anything drawn: the ink of every page stays 10 mm from the edges.
        constexpr int dpi = 50;
        const int marginPixels = static_cast<int>(10 / 25.4 * dpi);
        for (int page = 1; page <= text.pages; ++page) {
            const QImage image = RenderPage(pdf, dpi, page);
            QVERIFY(!image.isNull());
            const QRect ink = InkBox(image);
            QVERIFY(!ink.isEmpty());
            QVERIFY(ink.left() >= marginPixels && ink.top() >= marginPixels);
            QVERIFY(ink.right() < image.width() - marginPixels);
            QVERIFY(ink.bottom() < image.height() - marginPixels);
            if (qEnvironmentVariableIsSet("ORVANE_SHOTS") && extraNoteLines == 0 &&
                paper == QLatin1String("A4") && !landscapeBefore)
                RenderPage(pdf, 60, page)
                    .save(qEnvironmentVariable("ORVANE_SHOTS") +
                          QStringLiteral("/print_layout%1.png").arg(layout));
        }
    }

    void blackAndWhitePrintsThePointMarksBlack_data() {
        QTest::addColumn<int>("layout");
        QTest::addRow("portrait") << 0;
        QTest::addRow("landscape") << 2;
    }
    void blackAndWhitePrintsThePointMarksBlack() {
        if (!HaveTools()) QSKIP("pdftoppm is needed");
        QFETCH(int, layout);
        TGrForm1* viewer = OpenPointViewer();
        viewer->PrintOptions().layout = layout;
        // The chart shows only the marks in colour (the axes and lines are black): the colour
        // print has blue and red marks; in black and white the same marks are black, so that
        // the coloured ink turns black rather than vanishing.
        viewer->PrintOptions().blackAndWhite = false;
        const QImage colour =
            RenderPage(PrintToPdf(*viewer, QStringLiteral("colour%1").arg(layout),
                                  QPageSize::A4, QPageLayout::Portrait),
                       150);
        viewer->PrintOptions().blackAndWhite = true;
        const QImage mono = RenderPage(PrintToPdf(*viewer, QStringLiteral("mono%1").arg(layout),
                                                  QPageSize::A4, QPageLayout::Portrait),
                                       150);
        QVERIFY(!colour.isNull() && !mono.isNull());
        const auto [colouredInColour, blackInColour] = ColouredAndBlack(colour);
        const auto [colouredInMono, blackInMono] = ColouredAndBlack(mono);
        QVERIFY(colouredInColour > 500);  // nine marks of 8 pixels on screen, at 150 dpi
        QVERIFY2(colouredInMono < 5, qPrintable(QString::number(colouredInMono)));
        QVERIFY(blackInMono > blackInColour + colouredInColour / 2);
        // The chart on screen has its colours back.
        bool blueOnScreen = false;
        for (int i = 0; i < viewer->Chart()->plottableCount(); ++i)
            if (auto* c = qobject_cast<QCPCurve*>(viewer->Chart()->plottable(i)))
                blueOnScreen |= c->scatterStyle().pen().color().blue() > 150;
        QVERIFY(blueOnScreen);
        if (qEnvironmentVariableIsSet("ORVANE_SHOTS")) {
            colour.save(qEnvironmentVariable("ORVANE_SHOTS") +
                        QStringLiteral("/print_colour%1.png").arg(layout));
            mono.save(qEnvironmentVariable("ORVANE_SHOTS") +
                      QStringLiteral("/print_bw%1.png").arg(layout));
        }
    }

    void marginsAreWidenedToTenMillimetres_data() {
        QTest::addColumn<double>("before");
        QTest::addColumn<double>("after");
        QTest::addRow("none") << 0.0 << 10.0;
        QTest::addRow("narrow") << 4.5 << 10.0;
        QTest::addRow("exactly 10 mm") << 10.0 << 10.0;
        QTest::addRow("wide kept") << 25.0 << 25.0;
    }
    void marginsAreWidenedToTenMillimetres() {
        QFETCH(double, before);
        QFETCH(double, after);
        QPrinter printer(QPrinter::ScreenResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageMargins(QMarginsF(before, before, before, before), QPageLayout::Millimeter);
        EnsurePrintMargins(printer);
        const QMarginsF m = printer.pageLayout().margins(QPageLayout::Millimeter);
        for (double side : {m.left(), m.top(), m.right(), m.bottom()})
            QVERIFY2(std::abs(side - after) < 0.01, qPrintable(QString::number(side)));
    }

    void printToFileOutlivesTheWindowThatShowedTheDialog_data() {
        QTest::addColumn<bool>("toFile");
        QTest::addRow("on") << true;
        QTest::addRow("off") << false;
    }
    void printToFileOutlivesTheWindowThatShowedTheDialog() {
        QFETCH(bool, toFile);
        QVERIFY(form_->OpenFile(dir_ + QStringLiteral("/S12.DAT")));
        // A curve editor sets the choice and prints (into a file when on) and is destroyed.
        const QString pdf = out_.filePath(QStringLiteral("kept-%1.pdf").arg(toFile));
        prompts_->saveNames = {pdf};
        {
            std::unique_ptr<TGrForm1> first(CreateCurveEditor(*form_));
            first->show();
            QTimer::singleShot(0, [=] {
                auto* dialog = qobject_cast<TPrintOptionDlg*>(QApplication::activeModalWidget());
                if (!dialog) return;
                dialog->SetPrintToFile(toFile);
                // Printing to a file writes the PDF; without it the test prints nothing.
                if (toFile)
                    dialog->accept();
                else
                    dialog->reject();
            });
            first->GraphAction(QStringLiteral("Print graph"))->trigger();
            first->reject();
        }
        QCOMPARE(QFile::exists(pdf), toFile);
        // The next window's dialog starts with the choice the user left.
        std::unique_ptr<TGrForm1> second(CreateCurveEditor(*form_));
        second->show();
        bool shown = false, checked = !toFile;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<TPrintOptionDlg*>(QApplication::activeModalWidget());
            if (!dialog) return;
            shown = true;
            for (QCheckBox* box : dialog->findChildren<QCheckBox*>())
                if (box->text() == QStringLiteral("print to file")) checked = box->isChecked();
            dialog->reject();
        });
        second->GraphAction(QStringLiteral("Print graph"))->trigger();
        QVERIFY(shown);
        QCOMPARE(checked, toFile);
    }
};

QTEST_MAIN(GraphPrintingTest)
#include "graph_printing_test.moc"
