// "Compute" with "Range" and "All" in growth-curve mode on the sample: the TL range computes
// its temperature steps and the ROI of the current set, sends the paleodose plot to
// "GraphEditor" in its order, "Write solutions to file" appends the very bytes that
// `orvane-cli analyse --log` appends, a picked result moves the index and brings its solution
// back; an empty range computes nothing and says so; a long OSL run can be cancelled with the
// status bar's button or Esc and keeps what it computed.
#include <QAction>
#include <QFile>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTextEdit>
#include <QtTest>

#include "analysis/graph_messages.h"
#include "editor/editor_document.h"
#include "editor/growth_mode.h"
#include "editor/growth_panel.h"
#include "editor/main_window.h"
#include "editor/mode_switcher.h"
#include "editor/plateau_runner.h"
#include "graph/graph_form.h"
#include "graph/viewer_windows.h"
#include "ui/growth_panel_cells.h"
#include "ui/sample_window_fixture.h"

namespace {

// A graph window stand-in: records what arrives, in order.
struct TRecorder : TGraphReceiver {
    struct TItem {
        uint32_t msg;
        int kind;
        TGraphicDataMask mask;
        std::uintptr_t address;
    };
    std::vector<TItem> items;
    std::map<int, std::string> texts;
    std::map<int, int32_t> values;

    void HandleGraphMessage(TGraphMessage& m) override {
        TItem item{m.Msg, static_cast<int>(m.Kind()), 0, m.WParam};
        if (m.Msg == WM_GraphicDraw && m.WParam)
            item.mask = *reinterpret_cast<const TGraphicDataMask*>(m.WParam);
        if (m.Msg == WM_GraphicData && m.Kind() >= gd_Title && m.Kind() <= gd_Notes)
            texts[m.Kind()] = *reinterpret_cast<const std::string*>(m.WParam);
        if (m.Msg == WM_GraphicData && m.Kind() <= gd_Plot && m.Kind() != gd_Index)
            values[m.Kind()] = static_cast<int32_t>(m.WParam);
        items.push_back(item);
    }
    std::uintptr_t Reference(int kind) const {
        std::uintptr_t a = 0;
        for (const TItem& i : items)
            if (i.msg == WM_GraphicData && i.kind == kind) a = i.address;
        return a;
    }
};

QStringList SolutionLines(TGrowthPanel* panel) {
    return panel->SolutionBox()->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

}  // namespace

class GrowthRangeTest : public QObject, TSampleWindowFixture {
    Q_OBJECT

private:
    QString Dat() const { return dir_ + QStringLiteral("/S12.DAT"); }
    TGrowthMode* Mode() const { return dynamic_cast<TGrowthMode*>(form_->Modes().Active()); }
    TGrowthPanel* Panel() const { return Mode()->GrowthPanel(); }
    QSpinBox* Spin(const char* name) const {
        return Panel()->findChild<QSpinBox*>(QLatin1String(name));
    }
    void Cli(const QStringList& args) {
        QProcess cli;
        cli.start(QStringLiteral(ORVANE_CLI_PATH), args);
        QVERIFY(cli.waitForFinished(60000));
        QVERIFY2(cli.exitCode() == 0, cli.readAllStandardError().constData());
    }
    // Subtracts the backgrounds of `curves` on disk, opens the sample, enters the mode on the
    // device whose text starts with `device` and picks "Regen growth curve" after the bleach.
    void EnterRegenerative(const char* curves, const QString& device) {
        Cli({QStringLiteral("subtract"), Dat(), QStringLiteral("--curves"), QLatin1String(curves)});
        QVERIFY(form_->OpenFile(Dat()));
        TGraphDispatcher& messages = form_->Document().GraphMessages();
        messages.Register(kPointViewer, &points_);
        messages.Register(kGraphEditor, &results_);
        form_->Action(TActionId::ComputeGrowth)->trigger();
        QVERIFY(Mode());
        Mode()->SetViewerHooks({}, {});  // the recorders stand in for the windows
        QTabBar* tabs = Panel()->DeviceTabs();
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->tabText(i).startsWith(device)) tabs->setCurrentIndex(i);
        QVERIFY(ChooseMethodCell(Panel(), QStringLiteral("Regen growth curve"),
                                 QStringLiteral("BL(120.0/SOLAR)")));
        QCOMPARE(Mode()->CurrentMethod(), static_cast<int>(kRegenGrowth));
    }
    void Choose(const QString& mode) {
        for (QRadioButton* b : Panel()->findChildren<QRadioButton*>())
            if (b->text() == mode) b->click();
    }
    void Finish() { QTRY_VERIFY_WITH_TIMEOUT(!Mode()->RangeRunning(), 60000); }
    void Unregister() {
        form_->Document().GraphMessages().Unregister(kPointViewer);
        form_->Document().GraphMessages().Unregister(kGraphEditor);
    }

    TRecorder points_;
    TRecorder results_;

private slots:
    void init() {
        QVERIFY(SetUp());
        points_ = {};
        results_ = {};
    }
    void cleanup() {
        Unregister();
        TearDown();
    }

    void tlRangeSendsThePlateauAndWritesTheLog() {
        EnterRegenerative("tl", QStringLiteral("TL"));
        QAction* write = form_->Action(TActionId::GrowthWriteSol);
        QAction* useRois = form_->Action(TActionId::ToolsUseROIs);
        QVERIFY(!write->isEnabled());
        QVERIFY(!useRois->isEnabled());  // "Single"
        Choose(QStringLiteral("Range"));
        QVERIFY(useRois->isEnabled());
        QVERIFY(useRois->isChecked());
        Spin("SpinEdit1")->setValue(250);
        Spin("SpinEdit2")->setValue(260);
        form_->Action(TActionId::GrowthCompute)->trigger();
        QVERIFY(Mode()->RangeRunning());
        QVERIFY(!Panel()->isEnabled());
        Finish();
        QVERIFY(Panel()->isEnabled());

        // Steps 49, 50 and 51, then the default set's ROI 200..500 degC, which runs past the
        // last temperature step and cannot be integrated.
        const QStringList lines = SolutionLines(Panel());
        QCOMPARE(lines.size(), 4);
        QVERIFY2(lines[0].startsWith(QStringLiteral("T  250: ")), qPrintable(lines[0]));
        QVERIFY(lines[2].startsWith(QStringLiteral("T  260: ")));
        QVERIFY2(lines[3].startsWith(QStringLiteral("ROI T 200-500: ")), qPrintable(lines[3]));
        QVERIFY(lines[3].endsWith(QStringLiteral("Warning: cannot integrate over ROI")));
        const TSolutionArray& s = Mode()->Solutions();
        QVERIFY(s.Succeeded);
        QVERIFY(!s.Cancelled);
        QCOMPARE(s.FirstIndex, 39);
        QCOMPARE(static_cast<int>(s.Entries.size()), s.IndexCount + 1);
        QCOMPARE(s.AtIndex(48)->Fit.ResultCode, kSolutionNotAvailable);
        QCOMPARE(s.AtIndex(50)->Kind, std::string("Temp."));
        QCOMPARE(s.AtIndex(50)->From, std::string("250"));

        // The paleodose plot: the items of "GraphEditor" in their order.
        const std::vector<int> order = {gd_Plot,   gd_Title, gd_Kind,    gd_Caption, gd_XLabel,
                                        gd_YLabel, gd_Notes, gd_Spacing, gd_Index,   gd_Plateau};
        QCOMPARE(results_.items.size(), order.size() + 1);
        for (std::size_t i = 0; i < order.size(); ++i) {
            QCOMPARE(results_.items[i].msg, static_cast<uint32_t>(WM_GraphicData));
            QCOMPARE(results_.items[i].kind, order[i]);
        }
        QCOMPARE(results_.items.back().msg, static_cast<uint32_t>(WM_GraphicDraw));
        QCOMPARE(results_.items.back().mask, kMaskPlateau);
        QCOMPARE(results_.values[gd_Plot], static_cast<int32_t>(plPlateau));
        QCOMPARE(results_.values[gd_Kind], static_cast<int32_t>(gkTemperature));
        QCOMPARE(results_.values[gd_Spacing], 5);
        QCOMPARE(results_.texts[gd_Caption], std::string("Paleodose results"));
        QCOMPARE(results_.texts[gd_XLabel], std::string("Glow temperature, C"));
        QCOMPARE(results_.texts[gd_YLabel], std::string("Paleodose"));
        const std::string& notes = results_.texts[gd_Notes];
        QVERIFY(notes.find("File name: S12.DAT\r\n") == 0);
        QVERIFY(notes.find("\r\nBleaching: ") == std::string::npos);  // the first entry
        QVERIFY(notes.find("\r\nFitted function: Saturating exponential\r\n") != std::string::npos);
        QVERIFY(notes.substr(notes.size() - 11) == "\r\nComment: ");
        QCOMPARE(results_.Reference(gd_Plateau),
                 reinterpret_cast<std::uintptr_t>(&Mode()->Plateau()));
        const TPlateauArray& plot = Mode()->Plateau();
        QCOMPARE(plot.size(), std::size_t{4});
        QCOMPARE(plot[0].X, 250.0);
        QCOMPARE(plot[2].X, 260.0);
        QCOMPARE(plot[3].X, 350.0);  // the ROI's middle
        QCOMPARE(plot[3].XSpread, 150.0);
        QCOMPARE(plot[3].State, static_cast<uint8_t>(kPlateauFailed));

        // Picking step 50 in the plot brings its solution back; picking the ROI (number 0,
        // below the first step) finds no stored solution and leaves the fit alone.
        auto* index = reinterpret_cast<int32_t*>(results_.Reference(gd_Index));
        QCOMPARE(index, &Mode()->CurrentIndex());
        TGraphDispatcher& messages = form_->Document().GraphMessages();
        *index = 50;
        messages.SendUpdatedData(kMainWindowName, kMaskIndex);
        QCOMPARE(Spin("SpinEdit1")->value(), 255);
        QCOMPARE(Mode()->Fit().ED, s.AtIndex(50)->Fit.ED);
        QCOMPARE(Mode()->Fit().Channel, 50);
        *index = 0;
        messages.SendUpdatedData(kMainWindowName, kMaskIndex);
        QCOMPARE(Mode()->Fit().Channel, 50);

        // "Write solutions to file" twice, then the command line's log of the same range.
        QVERIFY(write->isEnabled());
        const QString log = dir_ + QStringLiteral("/window.lgf");
        prompts_->saveNames = {log, log};
        write->trigger();
        write->trigger();
        QCOMPARE(prompts_->dialogs.size(), 2);
        QCOMPARE(prompts_->dialogs[0].title, QStringLiteral("Save solutions to file"));
        QVERIFY(prompts_->dialogs[0].directory.endsWith(QStringLiteral("/S12")));
        QCOMPARE(
            prompts_->dialogs[0].filter,
            QStringLiteral("Log files (*.lgf)|*.lgf|Text files (*.txt)|*.txt|All files (*.*)|*.*"));
        QCOMPARE(prompts_->dialogs[0].defaultSuffix, QStringLiteral("lgf"));
        // The log is appended to: the dialog does not ask whether to overwrite it.
        QVERIFY(prompts_->dialogs[0].append && prompts_->dialogs[1].append);
        const QString cliLog = dir_ + QStringLiteral("/cli.lgf");
        Cli({QStringLiteral("analyse"), Dat(), QStringLiteral("--device"), QStringLiteral("0"),
             QStringLiteral("--method"), QStringLiteral("1"), QStringLiteral("--bleaching"),
             QStringLiteral("0"), QStringLiteral("--function"), QStringLiteral("exp"),
             QStringLiteral("--range"), QStringLiteral("250"), QStringLiteral("260"),
             QStringLiteral("--log"), cliLog});
        QFile windowFile(log), cliFile(cliLog);
        QVERIFY(windowFile.open(QIODevice::ReadOnly));
        QVERIFY(cliFile.open(QIODevice::ReadOnly));
        const QByteArray fromWindow = windowFile.readAll();
        const QByteArray fromCli = cliFile.readAll();
        QVERIFY(fromWindow.startsWith('"' + QByteArray(68, '=') + "\"\r\n"));
        QVERIFY(!fromCli.isEmpty());
        QCOMPARE(fromWindow, fromCli + fromCli);
        // Fields are separated by the locale's list separator: ";" where the decimal separator
        // is a comma.
        const QByteArray sep = QLocale().decimalPoint() == QStringLiteral(",") ? ";" : ",";
        QVERIFY(fromCli.contains("\"a1\"" + sep + "\"\xB1\"" + sep));
        QVERIFY(prompts_->errors.isEmpty());

        // A log that cannot be written reports the system's error.
        prompts_->saveNames = {dir_ + QStringLiteral("/missing/x.lgf")};
        write->trigger();
        QCOMPARE(prompts_->errors.size(), 1);
        QVERIFY(prompts_->errors[0].startsWith(QStringLiteral("Cannot write ")));
    }

    void allOpensThePlateauInTheResultViewer() {
        Cli({QStringLiteral("subtract"), Dat(), QStringLiteral("--curves"), QStringLiteral("tl")});
        QVERIFY(form_->OpenFile(Dat()));
        form_->Action(TActionId::ComputeGrowth)->trigger();
        QVERIFY(Mode());
        QVERIFY(ChooseMethodCell(Panel(), QStringLiteral("Regen growth curve"),
                                 QStringLiteral("BL(120.0/SOLAR)")));
        QCOMPARE(Mode()->CurrentMethod(), static_cast<int>(kRegenGrowth));
        Choose(QStringLiteral("All"));
        form_->Action(TActionId::GrowthCompute)->trigger();
        Finish();
        TGrForm1* viewer = FindGraphViewer(*form_, kGraphEditor);
        QVERIFY(viewer);
        QVERIFY(viewer->isVisible());
        QCoreApplication::processEvents();
        const QImage shot = viewer->grab().toImage();
        QVERIFY(!shot.isNull());
        if (qEnvironmentVariableIsSet("ORVANE_SHOTS")) {
            shot.save(qEnvironmentVariable("ORVANE_SHOTS") + QStringLiteral("/plateau_tl.png"));
            form_->grab().save(qEnvironmentVariable("ORVANE_SHOTS") +
                               QStringLiteral("/plateau_window.png"));
        }
        form_->Action(TActionId::ComputeGrowth)->trigger();
    }

    void emptyRangeComputesNothing() {
        EnterRegenerative("tl", QStringLiteral("TL"));
        Choose(QStringLiteral("Range"));
        Spin("SpinEdit1")->setValue(400);
        Spin("SpinEdit2")->setValue(300);
        form_->Action(TActionId::GrowthCompute)->trigger();
        QVERIFY(!Mode()->RangeRunning());
        QCOMPARE(SolutionLines(Panel()),
                 QStringList{QStringLiteral("The range is empty: nothing was computed.")});
        QVERIFY(Mode()->Solutions().Entries.empty());
        QVERIFY(results_.items.empty());
        QVERIFY(!form_->Action(TActionId::GrowthWriteSol)->isEnabled());
    }

    void cancellingKeepsWhatWasComputed_data() {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Cancel button") << false;
        QTest::newRow("Esc") << true;
    }
    void cancellingKeepsWhatWasComputed() {
        QFETCH(bool, escape);
        EnterRegenerative("osl", QStringLiteral("OSL#1"));
        Choose(QStringLiteral("All"));
        TPlateauRunner* runner = Mode()->RangeRunner();
        runner->SetSliceMilliseconds(0);  // one step per slice
        form_->Action(TActionId::GrowthCompute)->trigger();
        QVERIFY(runner->CancelButton()->isVisible());
        QVERIFY(runner->ProgressBar()->isVisible());
        // Each pass of the event loop computes one slice; the window answers in between.
        for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
        QVERIFY(Mode()->RangeRunning());
        QVERIFY(runner->ProgressBar()->value() >= 2);
        if (escape) {
            QTest::keyClick(form_, Qt::Key_Escape);
        } else {
            QTest::mouseClick(runner->CancelButton(), Qt::LeftButton);
        }
        QVERIFY(!Mode()->RangeRunning());
        QVERIFY(!runner->CancelButton()->isVisible());
        const TSolutionArray& s = Mode()->Solutions();
        QVERIFY(s.Cancelled);
        QCOMPARE(s.IndexCount, 90);
        int computed = 0;
        for (const TSolutionRecord& e : s.Entries)
            computed += e.Fit.ResultCode != kSolutionNotAvailable ? 1 : 0;
        QVERIFY(computed >= 2);
        QVERIFY(computed < 90);
        QCOMPARE(s.AtIndex(1)->Kind, std::string("Chan."));
        QCOMPARE(s.AtIndex(90)->Fit.ResultCode, kSolutionNotAvailable);
        const QStringList lines = SolutionLines(Panel());
        QCOMPARE(lines.size(), computed + 1);
        QVERIFY2(lines.back().startsWith(QStringLiteral("Cancelled: %1 of ").arg(computed)),
                 qPrintable(lines.back()));
        // The plot shows what was computed; the solutions can be written.
        QCOMPARE(static_cast<int>(Mode()->Plateau().size()), computed);
        QCOMPARE(results_.values[gd_Kind], static_cast<int32_t>(gkChannel));
        QVERIFY(form_->Action(TActionId::GrowthWriteSol)->isEnabled());
        QVERIFY(Panel()->isEnabled());

        // Leaving the mode during a run stops it.
        form_->Action(TActionId::GrowthCompute)->trigger();
        QVERIFY(Mode()->RangeRunning());
        form_->Action(TActionId::ComputeGrowth)->trigger();
        QVERIFY(!form_->Modes().Active());
        QVERIFY(!runner->CancelButton()->isVisible());
    }
};

QTEST_MAIN(GrowthRangeTest)
#include "growth_range_test.moc"
