// Growth-curve mode on the single-aliquot samples and the paleodose plot's ROI results:
// "All" computes every grain of S12.DAS and every disk of S12.SAD (each finding the natural
// dose of 42 Gy within its error) and plots them against the disk number; "Set NCF template"
// on data without the template warns and offers only "1.0"; a ROI result picked in the
// result viewer brings back the ROI's points and solution, not the channel of the same number.
#include <algorithm>

#include <QAction>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QRegularExpression>
#include <QGroupBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTableView>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>
#include <qcustomplot.h>

#include "analysis/graph_messages.h"
#include "analysis/ncf_template_dialog.h"
#include "editor/editor_document.h"
#include "fitting/result_codes.h"
#include "editor/growth_mode.h"
#include "editor/growth_panel.h"
#include "editor/main_window.h"
#include "editor/mode_switcher.h"
#include "graph/graph_form.h"
#include "graph/viewer_role.h"
#include "graph/viewer_windows.h"
#include "roi/roi_sets.h"
#include "ui/growth_panel_cells.h"
#include "ui/sample_window_fixture.h"

namespace {

constexpr double kNaturalDose = 42.0;

QStringList BoxLines(TGrowthPanel* panel) {
    return panel->SolutionBox()->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

bool IsWarningLine(const QString& line) {
    return line.startsWith(QStringLiteral("Warning: "));
}

// The solution lines of the box, without the warnings written beside them, the SAR criteria
// after them and the count of aliquots accepted.
QStringList SolutionLines(TGrowthPanel* panel) {
    QStringList lines = BoxLines(panel);
    lines.removeIf([](const QString& l) {
        return IsWarningLine(l) || l.startsWith(QStringLiteral("    Criteria: ")) ||
               l.endsWith(QStringLiteral(" aliquots accepted"));
    });
    return lines;
}

}  // namespace

class SingleAliquotModeTest : public QObject, TSampleWindowFixture {
    Q_OBJECT

private:
    TGrowthMode* Mode() const { return dynamic_cast<TGrowthMode*>(form_->Modes().Active()); }
    TGrowthPanel* Panel() const { return Mode()->GrowthPanel(); }
    void Enter(const char* file) {
        QVERIFY(form_->OpenFile(dir_ + QLatin1Char('/') + QLatin1String(file)));
        form_->Action(TActionId::ComputeGrowth)->trigger();
        QVERIFY(Mode());
    }
    void Choose(const QString& text) {
        for (QRadioButton* b : Panel()->findChildren<QRadioButton*>())
            if (b->text() == text) b->click();
    }
    void ChooseFunction(const QString& text) {
        auto* functions = Panel()->findChild<QComboBox*>(QStringLiteral("ComboBox4"));
        functions->setCurrentIndex(functions->findText(text));
        emit functions->activated(functions->currentIndex());
    }
    void ComputeAll() {
        Choose(QStringLiteral("All"));
        form_->Action(TActionId::GrowthCompute)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!Mode()->RangeRunning(), 60000);
    }

private slots:
    void init() {
        // The window takes the locale it is made in: the comma-locale case sets it first.
        if (QByteArray(QTest::currentDataTag()).startsWith("German"))
            QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QVERIFY(SetUp());
    }
    void cleanup() {
        TearDown();
        QLocale::setDefault(QLocale::c());
    }

    void allComputesEveryAliquot_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("function");
        QTest::addColumn<QStringList>("prefixes");
        QTest::addColumn<int>("dosed");  // aliquots with a dose (the rest: depletion disks)
        QTest::addColumn<QString>("axis");
        QTest::addColumn<QString>("secondRow");  // the table's title of the second result
        QTest::addColumn<int>("warnings");       // lines beside the solutions
        QTest::newRow("grains, SA Regenerative")
            << QStringLiteral("S12.DAS") << QStringLiteral("Linear")
            << QStringList{QStringLiteral("Disk 1 hole 12: "), QStringLiteral("Disk 1 hole 37: "),
                           QStringLiteral("Disk 1 hole 58: "), QStringLiteral("Disk 1 hole 81: ")}
            << 4 << QStringLiteral("Grain (disk:hole)") << QStringLiteral("Disk 1 hole 37")
            << 4;  // the default background window lies beyond each 1.5 s shine
        QTest::newRow("disks, SA Additive")
            << QStringLiteral("S12.SAD") << QStringLiteral("Saturating exponential")
            << QStringList{QStringLiteral("Disk   1: "), QStringLiteral("Disk   2: "),
                           QStringLiteral("Disk   3: is a depletion disk")}
            << 2 << QStringLiteral("Disk number") << QStringLiteral("Disk          2") << 0;
    }
    void allComputesEveryAliquot() {
        QFETCH(QString, file);
        QFETCH(QString, function);
        QFETCH(QStringList, prefixes);
        QFETCH(int, dosed);
        QFETCH(QString, axis);
        QFETCH(QString, secondRow);
        QFETCH(int, warnings);
        Enter(file.toLatin1().constData());
        ChooseFunction(function);
        QVERIFY(!form_->Action(TActionId::ToolsUseROIs)->isEnabled());
        ComputeAll();
        QVERIFY2(prompts_->errors.isEmpty(), qPrintable(prompts_->errors.join(QLatin1Char('|'))));

        const QStringList lines = SolutionLines(Panel());
        QCOMPARE(lines.size(), prefixes.size());
        // Every warning stays in the box beside its line, naming its aliquot.
        const QStringList box = BoxLines(Panel());
        QCOMPARE(static_cast<int>(std::count_if(box.begin(), box.end(), IsWarningLine)), warnings);
        if (warnings > 0) {
            // The warning of hole 37 comes right before its line.
            const int at = box.indexOf(QRegularExpression(QStringLiteral("^Disk 1 hole 37: .*")));
            QVERIFY(at > 0);
            QVERIFY(box[at - 1].startsWith(
                QStringLiteral("Warning: Disk 1 hole 37: the background window")));
        }
        for (int i = 0; i < prefixes.size(); ++i)
            QVERIFY2(lines[i].startsWith(prefixes[i]), qPrintable(lines[i]));
        const TSolutionArray& s = Mode()->Solutions();
        QVERIFY(s.Succeeded);
        QCOMPARE(s.FirstIndex, 1);
        QCOMPARE(s.IndexCount, static_cast<int>(prefixes.size()));
        for (int n = 1; n <= dosed; ++n) {
            const TFitRecord& fit = s.AtIndex(n)->Fit;
            QCOMPARE(s.AtIndex(n)->Kind, std::string("Disk"));
            QCOMPARE(fit.ResultCode, 0);
            QVERIFY2(std::abs(fit.ED - kNaturalDose) < 2 * fit.EDError, qPrintable(lines[n - 1]));
        }

        // The paleodose plot: against the disk number, in the result viewer.
        const TPlateauArray& plot = Mode()->Plateau();
        QVERIFY(static_cast<int>(plot.size()) >= dosed);
        for (int n = 0; n < dosed; ++n) QCOMPARE(plot[static_cast<std::size_t>(n)].X, n + 1.0);
        TGrForm1* viewer = FindGraphViewer(*form_, kGraphEditor);
        QVERIFY(viewer && viewer->isVisible());
        auto& role = *static_cast<TViewerRole*>(viewer->Role());
        QCOMPARE(role.DataKind(), static_cast<uint8_t>(gkDisk));
        QCOMPARE(role.Caption(), QStringLiteral("Paleodose results"));
        QCOMPARE(QString::fromStdString(form_->Document().LastPlateau()->XLabel), axis);
        QCOMPARE(viewer->Table()->model()->headerData(1, Qt::Vertical).toString().trimmed(),
                 secondRow);
        if (qEnvironmentVariableIsSet("ORVANE_SHOTS"))
            viewer->grab().save(qEnvironmentVariable("ORVANE_SHOTS") + QLatin1Char('/') + file +
                                QStringLiteral("_plateau.png"));

        // Picking the second aliquot's result brings its solution back.
        QTableView* table = viewer->Table();
        const QModelIndex second = table->model()->index(1, 1);
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                          table->visualRect(second).center());
        QCOMPARE(Mode()->CurrentIndex(), 2);
        QCOMPARE(Mode()->Fit().ED, s.AtIndex(2)->Fit.ED);
    }

    void ncfTemplateWithoutTemplateWarns() {
        Enter("S12.DAS");
        auto* limits = Panel()->findChild<QGroupBox*>(QStringLiteral("GroupBoxSAR"));
        auto* setNcf = limits->findChild<QPushButton*>(QStringLiteral("SetNCF"));
        QVERIFY(setNcf && !setNcf->isVisible());
        for (QRadioButton* b : limits->findChildren<QRadioButton*>())
            if (b->text() == QStringLiteral("NCF")) b->click();
        QVERIFY(setNcf->isVisible());
        if (qEnvironmentVariableIsSet("ORVANE_SHOTS"))
            form_->grab().save(qEnvironmentVariable("ORVANE_SHOTS") +
                               QStringLiteral("/ncf_limits.png"));

        // The dialog: the disk of the index field, nothing found, the lists without records.
        QString disk, natural;
        int numerators = -1, denominators = -1;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<TNCFTemplateDlg*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            disk = dialog->findChild<QLineEdit*>(QStringLiteral("CurrentDisk"))->text();
            natural = dialog->findChild<QLineEdit*>(QStringLiteral("NaturalEdt"))->text();
            numerators = dialog->findChild<QComboBox*>(QStringLiteral("NumeratorBox"))->count();
            denominators = dialog->findChild<QComboBox*>(QStringLiteral("DenominatorBox"))->count();
            dialog->done(TNCFTemplateDlg::kCancel);
        });
        QTest::mouseClick(setNcf, Qt::LeftButton);
        QCOMPARE(prompts_->warnings,
                 QStringList{QStringLiteral("Measurements do not follow NCF template\n\r   or "
                                            "parameters are too restrictive.")});
        QCOMPARE(disk, QStringLiteral("1"));
        QCOMPARE(natural, QStringLiteral("not found"));
        QCOMPARE(numerators, 2);  // "select record", "1.0"
        QCOMPARE(denominators, 2);

        // Computing in NCF mode without a template computes this grain without normalisation,
        // says so in its line with a warning, and leaves the user's choice as it was.
        form_->Action(TActionId::GrowthCompute)->trigger();
        QVERIFY(setNcf->isVisible());
        const QString line = SolutionLines(Panel()).last();
        QVERIFY2(line.startsWith(QStringLiteral("Disk 1 hole 12: ")), qPrintable(line));
        QVERIFY2(!line.contains(QStringLiteral("; NCF ")), qPrintable(line));
        QVERIFY2(line.contains(QStringLiteral("Warning: test dose missing, aliquot not normalised")),
                 qPrintable(line));
        QVERIFY2(line.contains(QStringLiteral("no NCF template: not normalised")), qPrintable(line));
        QCOMPARE(Mode()->Fit().ResultCode, kTestDoseMissing);
    }

    void pointsFollowTheAliquot() {
        Enter("S12.DAS");
        form_->Action(TActionId::GrowthPnt)->trigger();  // point preview
        auto* first = Panel()->findChild<QSpinBox*>(QStringLiteral("SpinEdit1"));
        for (int grain : {3, 2}) {
            first->setValue(grain);
            const int hole = grain == 3 ? 58 : 37;
            int points = 0;
            for (const TDosePoints& level : Mode()->Points()) {
                for (const TGrowthPoint& p : level.Points) {
                    if (p.Ordinal < 0) continue;  // the origin
                    const TLookupRecord& e = Mode()->Table()[static_cast<std::size_t>(p.Ordinal)];
                    QCOMPARE(255 - e.HoleKey, hole);
                    ++points;
                }
            }
            QVERIFY2(points >= 3, qPrintable(QString::number(points)));
        }
    }

    void rangeResultsGoWithTheirChoices() {
        QProcess cli;
        cli.start(QStringLiteral(ORVANE_CLI_PATH),
                  {QStringLiteral("subtract"), dir_ + QStringLiteral("/S12.DAT"),
                   QStringLiteral("--curves"), QStringLiteral("tl")});
        QVERIFY(cli.waitForFinished(60000) && cli.exitCode() == 0);
        Enter("S12.DAT");
        QVERIFY(ChooseMethodCell(Panel(), QStringLiteral("Regen growth curve"),
                                 QStringLiteral("BL(120.0/SOLAR)")));
        Choose(QStringLiteral("Range"));
        Panel()->findChild<QSpinBox*>(QStringLiteral("SpinEdit1"))->setValue(300);
        Panel()->findChild<QSpinBox*>(QStringLiteral("SpinEdit2"))->setValue(310);
        form_->Action(TActionId::GrowthCompute)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!Mode()->RangeRunning(), 60000);
        QVERIFY(Mode()->Solutions().Succeeded);
        TGrForm1* viewer = FindGraphViewer(*form_, kGraphEditor);
        QVERIFY(viewer && viewer->isVisible());
        // Another method (or device, or bleaching): the results of the run are dropped.
        QVERIFY(ChooseMethodCell(Panel(), QStringLiteral("Total bleach"),
                                 QStringLiteral("BL(120.0/SOLAR)")));
        QVERIFY(Mode()->Solutions().Entries.empty());
        QVERIFY(Mode()->Plateau().empty());
        QVERIFY(!viewer->isVisible());
    }

    void rangeStartsBetweenAliquots() {
        // S12.SAD with disk 2 renumbered 5: the aliquots are 1, 3 (depletion) and 5.
        for (int record = 7; record <= 12; ++record) {
            QProcess cli;
            cli.start(QStringLiteral(ORVANE_CLI_PATH),
                      {QStringLiteral("set"), dir_ + QStringLiteral("/S12.SAD"),
                       QStringLiteral("--record"), QString::number(record),
                       QStringLiteral("--field"), QStringLiteral("Disk#"),
                       QStringLiteral("--value"), QStringLiteral("5")});
            QVERIFY(cli.waitForFinished(60000) && cli.exitCode() == 0);
        }
        Enter("S12.SAD");
        ChooseFunction(QStringLiteral("Saturating exponential"));
        Choose(QStringLiteral("Range"));
        // 2 is no aliquot: the range starts there all the same, at aliquot 3.
        Panel()->findChild<QSpinBox*>(QStringLiteral("SpinEdit1"))->setValue(2);
        Panel()->findChild<QSpinBox*>(QStringLiteral("SpinEdit2"))->setValue(5);
        form_->Action(TActionId::GrowthCompute)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!Mode()->RangeRunning(), 60000);
        const TSolutionArray& s = Mode()->Solutions();
        QCOMPARE(s.AtIndex(1)->Fit.ResultCode, kSolutionNotAvailable);
        QVERIFY(s.AtIndex(5)->Fit.ResultCode != kSolutionNotAvailable);
        // The single-aliquot methods have no error model to choose.
        QComboBox* errorModels = nullptr;
        for (QComboBox* box : Panel()->findChildren<QComboBox*>())
            if (box->findText(QStringLiteral("Equal errors")) >= 0) errorModels = box;
        QVERIFY(errorModels && !errorModels->isEnabled());
    }

    void mixedSingleAliquotDataAreRefused() {
        // A natural given a dose: natural-plus-dose and regenerated measurements together.
        QProcess cli;
        cli.start(QStringLiteral(ORVANE_CLI_PATH),
                  {QStringLiteral("set"), dir_ + QStringLiteral("/S12.DAS"),
                   QStringLiteral("--record"), QStringLiteral("1"), QStringLiteral("--field"),
                   QStringLiteral("Beta time"), QStringLiteral("--value"), QStringLiteral("10")});
        QVERIFY(cli.waitForFinished(60000) && cli.exitCode() == 0);
        Enter("S12.DAS");
        form_->Action(TActionId::GrowthCompute)->trigger();
        QVERIFY(prompts_->errors.contains(
            QStringLiteral("Data set does not contain valid single aliquot measurements.")));
    }

    void roiResultPickedBringsTheRoiBack() {
        // A second TL ROI, 300..350 degC: channels 60..69 at spacing 5.
        TROISet& rois = ProgramROISets().Of(TROIKind::TL).Current();
        const TROISet saved = rois;
        rois[1] = TROI{"ROI 2", 300, 350};
        QProcess cli;
        cli.start(QStringLiteral(ORVANE_CLI_PATH),
                  {QStringLiteral("subtract"), dir_ + QStringLiteral("/S12.DAT"),
                   QStringLiteral("--curves"), QStringLiteral("tl")});
        QVERIFY(cli.waitForFinished(60000) && cli.exitCode() == 0);
        Enter("S12.DAT");
        QVERIFY(ChooseMethodCell(Panel(), QStringLiteral("Regen growth curve"),
                                 QStringLiteral("BL(120.0/SOLAR)")));
        Choose(QStringLiteral("Range"));
        Panel()->findChild<QSpinBox*>(QStringLiteral("SpinEdit1"))->setValue(300);
        Panel()->findChild<QSpinBox*>(QStringLiteral("SpinEdit2"))->setValue(310);
        form_->Action(TActionId::GrowthCompute)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!Mode()->RangeRunning(), 60000);
        rois = saved;

        // Steps 59..61, then ROI 0 (200..500, cannot be integrated) and ROI 1 (number 1, as
        // is the temperature step of 10 degC).
        const TSolutionArray& s = Mode()->Solutions();
        const TSolutionRecord* roi = s.AtPlotRow(4);
        QVERIFY(roi && roi->IsRoi());
        QCOMPARE(roi->From, std::string("300"));
        QCOMPARE(roi->Fit.ResultCode, 0);
        TGrForm1* viewer = FindGraphViewer(*form_, kGraphEditor);
        QVERIFY(viewer && viewer->isVisible());
        auto& role = *static_cast<TViewerRole*>(viewer->Role());
        // The table names the ROIs by their bounds, the failed one too.
        QAbstractItemModel* rows = viewer->Table()->model();
        QCOMPARE(rows->headerData(3, Qt::Vertical).toString(), QStringLiteral("ROI 200-500"));
        QCOMPARE(rows->headerData(4, Qt::Vertical).toString(), QStringLiteral("ROI 300-350"));
        role.TableRowPicked(0);  // step 59 first
        QCOMPARE(Mode()->Fit().ED, s.AtIndex(59)->Fit.ED);
        role.TableRowPicked(4);
        QCOMPARE(Mode()->CurrentIndex(), 1);
        if (qEnvironmentVariableIsSet("ORVANE_SHOTS"))
            viewer->grab().save(qEnvironmentVariable("ORVANE_SHOTS") +
                                QStringLiteral("/roi_picked.png"));
        QCOMPARE(Mode()->Fit().ED, roi->Fit.ED);
        QCOMPARE(Mode()->Fit().Channel, 1);
        // The points are the ROI's sums: every signal is the sum of its curve over 60..69.
        const TLookupTable& table = Mode()->Table();
        int checked = 0;
        for (const TDosePoints& level : Mode()->Points()) {
            for (const TGrowthPoint& p : level.Points) {
                const TFloatArray& curve = table[static_cast<std::size_t>(p.Ordinal)].Curve;
                double sum = 0;
                for (int i = 60; i <= 69; ++i) sum += curve[static_cast<std::size_t>(i)];
                QCOMPARE(p.Signal, sum);
                ++checked;
            }
        }
        QVERIFY(checked > 10);
        // Back to a step: its own points and solution.
        role.TableRowPicked(1);
        QCOMPARE(Mode()->CurrentIndex(), 60);
        QCOMPARE(Mode()->Fit().ED, s.AtIndex(60)->Fit.ED);
    }

    // SAR12.DAT, SA Regenerative over all discs: each solution line is followed by its
    // criteria, the box ends with the count accepted, and the paleodose plot draws the
    // failed discs as triangles. A recycling threshold of 30 % typed in a comma locale
    // accepts disc 9 (recycling 1.279).
    void sarCriteriaMarkFailedAliquots_data() {
        QTest::addColumn<QString>("recycling");  // typed; empty: left at 10 %
        QTest::addColumn<QString>("disc9");      // the start of disc 9's criteria
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QList<int>>("failed");
        QTest::newRow("C, 10 %") << QString()
                                 << QStringLiteral("    Criteria: recycling 1.27")
                                 << QStringLiteral("8 of 13 aliquots accepted")
                                 << QList<int>{9, 10, 11, 12, 13};
        QTest::newRow("German, 30 % recycling")
            << QStringLiteral("30,0")
            << QStringLiteral("    Criteria: recycling 1,27")
            << QStringLiteral("9 of 13 aliquots accepted") << QList<int>{10, 11, 12, 13};
    }
    void sarCriteriaMarkFailedAliquots() {
        QFETCH(QString, recycling);
        QFETCH(QString, disc9);
        QFETCH(QString, summary);
        QFETCH(QList<int>, failed);
        Enter("SAR12.DAT");
        QTabBar* tabs = Panel()->DeviceTabs();
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->tabText(i).startsWith(QStringLiteral("OSL#1"))) tabs->setCurrentIndex(i);
        const double windows[] = {0, 0.8, 30, 40};
        for (int n = 0; n < 4; ++n)
            Panel()->findChild<QDoubleSpinBox*>(QStringLiteral("NumIO%1").arg(n + 3))->setValue(windows[n]);
        auto* threshold = Panel()->findChild<QDoubleSpinBox*>(QStringLiteral("CriteriaRecycling"));
        QVERIFY(threshold);
        QCOMPARE(threshold->value(), 10.0);
        if (!recycling.isEmpty()) {
            threshold->selectAll();
            QTest::keyClicks(threshold, recycling);
            QCOMPARE(threshold->value(), 30.0);
        }
        ComputeAll();
        QVERIFY2(prompts_->errors.isEmpty(), qPrintable(prompts_->errors.join(QLatin1Char('|'))));

        if (qEnvironmentVariableIsSet("ORVANE_SHOTS"))
            form_->grab().save(qEnvironmentVariable("ORVANE_SHOTS") +
                               QStringLiteral("/SAR12_criteria_window.png"));
        const QStringList lines = BoxLines(Panel());
        QCOMPARE(lines.last(), summary);
        const int at = lines.indexOf(QRegularExpression(QStringLiteral("^Disk   9: .*")));
        QVERIFY(at >= 0);
        // The numbers are the window's: in its locale (a comma under de_DE as well).
        disc9.replace(QLatin1Char('.'), QLocale().decimalPoint());
        QVERIFY2(lines[at + 1].startsWith(disc9), qPrintable(lines[at + 1]));
        QCOMPARE(lines[at + 1].contains(QStringLiteral("failed: recycling")),
                 failed.contains(9));

        const TPlateauArray& plot = Mode()->Plateau();
        QCOMPARE(static_cast<int>(plot.size()), 13);
        for (const TPlateauElement& e : plot) QCOMPARE(e.Rejected, failed.contains(e.Index));
        TGrForm1* viewer = FindGraphViewer(*form_, kGraphEditor);
        QVERIFY(viewer);
        int triangles = 0;
        for (QCustomPlot* chart : viewer->findChildren<QCustomPlot*>())
            for (int i = 0; i < chart->plottableCount(); ++i)
                if (auto* c = qobject_cast<QCPCurve*>(chart->plottable(i)))
                    triangles += c->scatterStyle().shape() == QCPScatterStyle::ssTriangle;
        QCOMPARE(triangles, static_cast<int>(failed.size()));
        if (qEnvironmentVariableIsSet("ORVANE_SHOTS"))
            viewer->grab().save(qEnvironmentVariable("ORVANE_SHOTS") +
                                QStringLiteral("/SAR12_criteria_plateau.png"));

        // "Toggle accept" on disc 13 (the index after All): accepted by the user, its mark
        // gone, the count one up; a second click takes it back.
        QCOMPARE(Mode()->CurrentIndex(), 13);
        auto* toggle = Panel()->findChild<QPushButton*>(QStringLiteral("ToggleAccept"));
        QVERIFY(toggle);
        toggle->click();
        QCOMPARE(BoxLines(Panel()).last(),
                 QStringLiteral("%1 of 13 aliquots accepted").arg(14 - failed.size()));
        QVERIFY(BoxLines(Panel()).contains(QStringLiteral("Disk  13: accepted by the user")));
        QVERIFY(!Mode()->Plateau().back().Rejected);
        toggle->click();
        QCOMPARE(BoxLines(Panel()).last(), summary);
        QVERIFY(Mode()->Plateau().back().Rejected);
    }
};

QTEST_MAIN(SingleAliquotModeTest)
#include "single_aliquot_mode_test.moc"
