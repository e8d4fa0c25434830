// "Plateau test" on the sample S12.DAT (TL) with the real viewer windows: it is a compute mode
// of its own command that opens the growth panel with "All", replaces "Growth curve" and
// "Fading test" and is replaced by them, disables the record menus while on, and "Compute"
// gives the paleodose plot in the result viewer. The point and curve previews of the growth
// panel are unchecked when the user closes their viewer window, which the next change of
// device or method then leaves closed.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QRadioButton>
#include <QTabBar>
#include <QToolBar>
#include <QtTest>

#include "analysis/graph_messages.h"
#include "editor/fading_mode.h"
#include "editor/growth_mode.h"
#include "editor/growth_panel.h"
#include "editor/main_window.h"
#include "editor/mode_switcher.h"
#include "editor/plateau_mode.h"
#include "graph/graph_form.h"
#include "graph/viewer_windows.h"
#include "ui/growth_panel_cells.h"
#include "ui/sample_window_fixture.h"

class PlateauModeTest : public QObject, TSampleWindowFixture {
    Q_OBJECT

private:
    QString Dat() const { return dir_ + QStringLiteral("/S12.DAT"); }
    QAction* Action(TActionId id) const { return form_->Action(id); }
    // The growth-curve mode at work, whichever of its commands turned it on.
    TGrowthMode* Growth() const {
        TEditorMode* active = form_->Modes().Active();
        if (auto* plateau = dynamic_cast<TPlateauMode*>(active)) return plateau->Growth();
        return dynamic_cast<TGrowthMode*>(active);
    }
    TGrowthPanel* Panel() const { return Growth()->GrowthPanel(); }
    QRadioButton* IndexButton(const QString& caption) const {
        for (QRadioButton* b : Panel()->findChildren<QRadioButton*>())
            if (b->text() == caption) return b;
        return nullptr;
    }
    bool MenusEnabled(bool enabled) const {
        for (TMenuId m : {TMenuId::Edit, TMenuId::Curves, TMenuId::Age, TMenuId::Configuration})
            if (form_->Menu(m)->menuAction()->isEnabled() != enabled) return false;
        return true;
    }
    // The cell "Regen growth curve" after the bleach.
    void ChooseRegenerative() {
        QVERIFY(ChooseMethodCell(Panel(), QStringLiteral("Regen growth curve"),
                                 QStringLiteral("BL(120.0/SOLAR)")));
        QCOMPARE(Growth()->CurrentMethod(), static_cast<int>(kRegenGrowth));
    }
    // A window as the user sees it, kept when ORVANE_SHOTS names a folder.
    static void SaveShot(QWidget* window, const QString& name) {
        QCoreApplication::processEvents();
        const QImage shot = window->grab().toImage();
        QVERIFY(!shot.isNull());
        if (qEnvironmentVariableIsSet("ORVANE_SHOTS"))
            shot.save(qEnvironmentVariable("ORVANE_SHOTS") + QLatin1Char('/') + name);
    }
    bool ViewerVisible(const char* name) {
        TGrForm1* viewer = FindGraphViewer(*form_, name);
        return viewer && viewer->isVisible();
    }

private slots:
    void init() { QVERIFY(SetUp()); }
    void cleanup() { TearDown(); }

    void plateauTestIsAComputeModeThatComputesEveryStep() {
        QAction* plateau = Action(TActionId::ComputePlateau);
        QAction* growth = Action(TActionId::ComputeGrowth);
        QAction* fading = Action(TActionId::ComputeFading);
        QVERIFY(!plateau->isEnabled());  // no file
        QProcess cli;                    // the TL backgrounds subtracted, as for a real plateau
        cli.start(
            QStringLiteral(ORVANE_CLI_PATH),
            {QStringLiteral("subtract"), Dat(), QStringLiteral("--curves"), QStringLiteral("tl")});
        QVERIFY(cli.waitForFinished(60000) && cli.exitCode() == 0);
        QVERIFY(form_->OpenFile(Dat()));
        QVERIFY(plateau->isEnabled());
        QVERIFY(plateau->isCheckable());
        QVERIFY(MenusEnabled(true));

        // From the fading test: the plateau test takes its place.
        fading->trigger();
        QVERIFY(dynamic_cast<TFadingMode*>(form_->Modes().Active()));
        plateau->trigger();
        QVERIFY(dynamic_cast<TPlateauMode*>(form_->Modes().Active()));
        QVERIFY(prompts_->errors.isEmpty() && prompts_->warnings.isEmpty());
        QVERIFY(plateau->isChecked());
        QVERIFY(!growth->isChecked());
        QVERIFY(!fading->isChecked());
        QVERIFY(MenusEnabled(false));
        QVERIFY(Panel()->isVisible());
        QVERIFY(Growth()->ComputeToolBar()->isVisible());
        QCOMPARE(Panel()->IndexMode(), TIndexMode::All);
        QVERIFY(IndexButton(QStringLiteral("All"))->isChecked());
        QVERIFY(Action(TActionId::ToolsUseROIs)->isEnabled());
        QCOMPARE(Growth()->EnteredCommand(), TActionId::ComputePlateau);

        // Another method keeps "All"; "Compute" runs every step and the ROI, and the result
        // viewer shows the paleodose plot.
        ChooseRegenerative();
        QCOMPARE(Panel()->IndexMode(), TIndexMode::All);
        Action(TActionId::GrowthCompute)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!Growth()->RangeRunning(), 120000);
        const TSolutionArray& solutions = Growth()->Solutions();
        QVERIFY(solutions.Succeeded);
        // TL from 200 degC (index 39) to the last step, then the one ROI of the default set.
        QCOMPARE(solutions.FirstIndex, 39);
        QVERIFY(solutions.IndexCount > 1);
        QCOMPARE(static_cast<int>(solutions.Entries.size()), solutions.IndexCount + 1);
        QCOMPARE(Growth()->Plateau().size(), solutions.Entries.size());
        QVERIFY(ViewerVisible(kGraphEditor));
        SaveShot(form_, QStringLiteral("plateau_test_window.png"));
        SaveShot(FindGraphViewer(*form_, kGraphEditor), QStringLiteral("plateau_test_results.png"));
        QVERIFY(Action(TActionId::GrowthWriteSol)->isEnabled());
        // The user may still choose "Range".
        IndexButton(QStringLiteral("Range"))->click();
        QCOMPARE(Panel()->IndexMode(), TIndexMode::Range);

        // "Growth curve" replaces it: the same panel, with "Single".
        growth->trigger();
        QVERIFY(dynamic_cast<TGrowthMode*>(form_->Modes().Active()));
        QVERIFY(growth->isChecked());
        QVERIFY(!plateau->isChecked());
        QVERIFY(MenusEnabled(false));
        QCOMPARE(Panel()->IndexMode(), TIndexMode::Single);
        QCOMPARE(Growth()->EnteredCommand(), TActionId::ComputeGrowth);
        // And back: "Plateau test" replaces growth-curve mode.
        plateau->trigger();
        QVERIFY(dynamic_cast<TPlateauMode*>(form_->Modes().Active()));
        QVERIFY(!growth->isChecked());
        QCOMPARE(Panel()->IndexMode(), TIndexMode::All);

        // "Quit" leaves the plateau test, and the window is as before.
        Action(TActionId::GrowthQuit)->trigger();
        QVERIFY(!form_->Modes().Active());
        QVERIFY(!plateau->isChecked() && !growth->isChecked());
        QVERIFY(MenusEnabled(true));
        QVERIFY(!form_->findChild<QToolBar*>(QStringLiteral("ComputeToolBar"))->isVisible());
        QCOMPARE(form_->findChild<QLabel*>(QStringLiteral("StatusMode"))->text(),
                 QStringLiteral("Halcyon files"));
        // Its own command leaves it too.
        plateau->trigger();
        QVERIFY(plateau->isChecked());
        plateau->trigger();
        QVERIFY(!form_->Modes().Active());
        QVERIFY(MenusEnabled(true));
        QVERIFY(prompts_->errors.isEmpty());
    }

    // The user closes a preview's window with its close box: the preview is unchecked, and
    // a change of method or device does not open the window again; the other preview stays.
    void closingAViewerUnchecksItsPreview() {
        struct Case {
            TActionId closed, kept;
            const char *closedName, *keptName;
        } cases[] = {{TActionId::GrowthPnt, TActionId::GrowthCur, kPointViewer, kCurveViewer},
                     {TActionId::GrowthCur, TActionId::GrowthPnt, kCurveViewer, kPointViewer}};
        QVERIFY(form_->OpenFile(Dat()));
        Action(TActionId::ComputeGrowth)->trigger();
        QVERIFY(Growth());
        for (const Case& c : cases) {
            for (TActionId id : {c.closed, c.kept}) {
                if (!Action(id)->isChecked()) Action(id)->trigger();
                QVERIFY(Action(id)->isChecked());
            }
            QVERIFY(ViewerVisible(c.closedName));
            QVERIFY(ViewerVisible(c.keptName));
            QVERIFY(FindGraphViewer(*form_, c.closedName)->close());
            QVERIFY(!ViewerVisible(c.closedName));
            QVERIFY2(!Action(c.closed)->isChecked(), c.closedName);
            QVERIFY(Action(c.kept)->isChecked());

            // Another method, another device: the kept viewer follows, the closed one stays
            // closed.
            ChooseRegenerative();
            QTabBar* tabs = Panel()->DeviceTabs();
            tabs->setCurrentIndex((tabs->currentIndex() + 1) % tabs->count());
            QVERIFY(!ViewerVisible(c.closedName));
            QVERIFY(ViewerVisible(c.keptName));
            QVERIFY(!Action(c.closed)->isChecked());
            tabs->setCurrentIndex(0);
        }
        // The point preview was kept last: its own command still closes its window and
        // leaves it unchecked.
        QVERIFY(Action(TActionId::GrowthPnt)->isChecked());
        QVERIFY(ViewerVisible(kPointViewer));
        Action(TActionId::GrowthPnt)->trigger();
        QVERIFY(!Action(TActionId::GrowthPnt)->isChecked());
        QVERIFY(!ViewerVisible(kPointViewer));
        // Closed while the mode is off, a preview is not reopened when the mode comes back.
        Action(TActionId::GrowthCur)->trigger();
        QVERIFY(Action(TActionId::GrowthCur)->isChecked());
        Action(TActionId::ComputeGrowth)->trigger();
        QVERIFY(!form_->Modes().Active());
        QVERIFY(ViewerVisible(kCurveViewer));  // viewers stay open when the mode is left
        FindGraphViewer(*form_, kCurveViewer)->close();
        QVERIFY(!Action(TActionId::GrowthCur)->isChecked());
        Action(TActionId::ComputeGrowth)->trigger();
        QVERIFY(Growth());
        QVERIFY(!ViewerVisible(kCurveViewer));
        QVERIFY(prompts_->errors.isEmpty());
    }
};

QTEST_MAIN(PlateauModeTest)
#include "plateau_mode_test.moc"
