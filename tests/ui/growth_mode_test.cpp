// "Growth curve" mode on the sample: entering shows the growth panel with the sample's devices,
// bleaching treatments and methods and the compute tool bar, leaving puts the window back; a
// file without measurements or without a method stays off with the warning; "Compute" after
// subtracting the OSL backgrounds writes one solution line whose regenerative dose is the
// sample's closed-form value, sends the fit to the point viewer and records the dose for the
// age computation; toggling acceptance from the curves list's pop-up menu or the space key
// flips the measurement and tells the viewers; an index the viewer picks moves the panel;
// reading a large file can be cancelled.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QLoggingCategory>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTableWidget>
#include <QTextEdit>
#include <QToolBar>
#include <QTreeView>
#include <QtTest>
#include <algorithm>
#include <cmath>

#include "analysis/graph_messages.h"
#include "editor/editor_document.h"
#include "editor/growth_mode.h"
#include "editor/growth_panel.h"
#include "editor/help_window.h"
#include "editor/large_sample.h"
#include "editor/main_window.h"
#include "editor/mode_switcher.h"
#include "editor/subtract_mode.h"
#include "record_store/bin_data_set.h"
#include "record_store/field_value.h"
#include "ui/growth_panel_cells.h"
#include "ui/sample_window_fixture.h"

namespace {

QStringList g_trace;
void CaptureTrace(QtMsgType, const QMessageLogContext& context, const QString& text) {
    if (QLatin1String(context.category) == QLatin1String("orvane.graph")) g_trace << text;
}

// A graph window stand-in: records what arrives.
struct TRecorder : TGraphReceiver {
    struct TItem {
        uint32_t msg;
        int kind;
        TGraphicDataMask mask;  // draws
        std::uintptr_t address;
    };
    std::vector<TItem> items;
    std::map<int, std::string> texts;

    void HandleGraphMessage(TGraphMessage& m) override {
        TItem item{m.Msg, static_cast<int>(m.Kind()), 0, m.WParam};
        if (m.Msg == WM_GraphicDraw && m.WParam)
            item.mask = *reinterpret_cast<const TGraphicDataMask*>(m.WParam);
        if (m.Msg == WM_GraphicData && m.Kind() >= gd_Title && m.Kind() <= gd_Notes)
            texts[m.Kind()] = *reinterpret_cast<const std::string*>(m.WParam);
        items.push_back(item);
    }
    bool Drew(TGraphicDataMask mask) const {
        for (const TItem& i : items)
            if (i.msg == WM_GraphicDraw && i.mask == mask) return true;
        return false;
    }
    std::uintptr_t Reference(int kind) const {
        std::uintptr_t a = 0;
        for (const TItem& i : items)
            if (i.msg == WM_GraphicData && i.kind == kind) a = i.address;
        return a;
    }
};

}  // namespace

class GrowthModeTest : public QObject, TSampleWindowFixture {
    Q_OBJECT

private:
    QString Dat() const { return dir_ + QStringLiteral("/S12.DAT"); }
    TGrowthMode* Mode() const { return dynamic_cast<TGrowthMode*>(form_->Modes().Active()); }
    TGrowthPanel* Panel() const { return Mode()->GrowthPanel(); }

    // Every record of the shown view gets `value` in `field`.
    void SetEveryRecord(const char* field, const TFieldValue& value) {
        TBinDataSet* view = form_->Document().ShownView();
        for (int n = 1; n <= view->RecordCount(); ++n) {
            view->SetRecNo(n);
            view->Edit();
            QVERIFY(view->SetValue(field, value));
            view->Post();
        }
    }
    void SubtractOslBackgrounds() {
        form_->Action(TActionId::CurvesOSL)->trigger();
        form_->Action(TActionId::ToolsSubtract)->trigger();
        auto* subtract = dynamic_cast<TSubtractMode*>(form_->Modes().Active());
        QVERIFY(subtract);
        subtract->Subtract();
        form_->Action(TActionId::ToolsSubtract)->trigger();
        QVERIFY(!form_->Modes().Active());
    }
    // The window as the user sees it, kept when ORVANE_SHOTS names a folder.
    void SaveShot(const QString& name) const {
        QCoreApplication::processEvents();  // the layout settles as it would on screen
        const QImage shot = form_->grab().toImage();
        QVERIFY(!shot.isNull());
        if (qEnvironmentVariableIsSet("ORVANE_SHOTS"))
            shot.save(qEnvironmentVariable("ORVANE_SHOTS") + QLatin1Char('/') + name);
    }
    // Opens the sample and enters the mode, `viewer` standing in for the point viewer.
    void EnterOnSampleWith(TRecorder& viewer) {
        QVERIFY(form_->OpenFile(Dat()));
        form_->Document().GraphMessages().Register(kPointViewer, &viewer);
        form_->Action(TActionId::ComputeGrowth)->trigger();
        QVERIFY(Mode());
        StandInViewers();
        StandInViewers();
    }
    // The recorders stand in for the viewer windows: the mode opens none of its own.
    void StandInViewers() { Mode()->SetViewerHooks({}, {}); }
    int TabOf(const QString& prefix) const {
        QTabBar* tabs = Panel()->DeviceTabs();
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->tabText(i).startsWith(prefix)) return i;
        return -1;
    }
    // The grid cell of a method (by its long name) and a bleaching text.
    QPoint CellOf(const QString& method, const QString& bleaching) const {
        return MethodCell(Panel(), method, bleaching);
    }
    QString CellText(const QString& method, const QString& bleaching) const {
        const QPoint at = CellOf(method, bleaching);
        if (at.x() < 0 || at.y() < 0) return QStringLiteral("<no cell>");
        return Panel()->MethodGrid()->item(at.y(), at.x())->text();
    }

private slots:
    void init() { QVERIFY(SetUp()); }
    void cleanup() { TearDown(); }

    void enteringAndLeavingOnTheSample() {
        QVERIFY(form_->OpenFile(Dat()));
        QAction* growth = form_->Action(TActionId::ComputeGrowth);
        QAction* compute = form_->Action(TActionId::GrowthCompute);
        QVERIFY(growth->isEnabled());
        QVERIFY(!compute->isEnabled());
        growth->trigger();
        QVERIFY(Mode());
        QVERIFY(prompts_->errors.isEmpty() && prompts_->warnings.isEmpty());
        QVERIFY(growth->isChecked());
        QCOMPARE(form_->findChild<QLabel*>(QStringLiteral("StatusMode"))->text(),
                 QStringLiteral("Halcyon files - computing paleodose: S12.DAT"));
        QVERIFY(Panel()->isVisible());
        QVERIFY(Mode()->ComputeToolBar()->isVisible());
        for (TActionId id : {TActionId::GrowthCompute, TActionId::GrowthRec, TActionId::GrowthPnt,
                             TActionId::GrowthCur, TActionId::GrowthAcc, TActionId::GrowthAll,
                             TActionId::GrowthQuit})
            QVERIFY(form_->Action(id)->isEnabled());
        QVERIFY(!form_->Menu(TMenuId::Edit)->menuAction()->isEnabled());
        QVERIFY(!form_->Action(TActionId::EditUndo)->isEnabled());

        // The sample measured with the heater (TL), blue and infrared stimulation; 28 disks
        // in four measuring runs, runs 1 (normalisation) and the background runs left out.
        const TLookupTable& table = Mode()->Table();
        QCOMPARE(static_cast<int>(table.size()), 3 * 28);
        QTabBar* tabs = Panel()->DeviceTabs();
        QCOMPARE(tabs->count(), 3);
        QCOMPARE(tabs->currentIndex(), 0);
        QVERIFY(TabOf(QStringLiteral("OSL#1")) >= 0);
        QCOMPARE(Panel()->CurvesList()->model()->rowCount(), 3 * 28);

        // Method grid: a fixed row and column, one column per treatment.
        QTableWidget* grid = Panel()->MethodGrid();
        QCOMPARE(grid->item(0, 0)->text(), QStringLiteral("Methods"));
        QCOMPARE(grid->columnCount(), 3);
        QCOMPARE(grid->item(0, 1)->text(), QStringLiteral("BL(120.0/SOLAR)"));
        QCOMPARE(grid->item(0, 2)->text(), QStringLiteral("Not bleached"));
        QCOMPARE(grid->columnWidth(0), 140);
        QCOMPARE(grid->columnWidth(1), 70);
        // Natural + dose aliquots: additive, never with a bleached treatment; bleached and
        // regenerated aliquots: regenerative with the bleaching.
        QVERIFY(CellText(QStringLiteral("Additive growth curve"), QStringLiteral("Not bleached"))
                    .startsWith(QLatin1Char('*')));
        QVERIFY(CellText(QStringLiteral("Additive growth curve"), QStringLiteral("BL(120.0/SOLAR)"))
                    .isEmpty());
        QVERIFY(CellText(QStringLiteral("Regen growth curve"), QStringLiteral("BL(120.0/SOLAR)"))
                    .startsWith(QLatin1Char('*')));
        // The focus is on the first possible cell, bleached column first.
        QCOMPARE(grid->currentColumn(), 1);
        QVERIFY(grid->currentItem()->text().startsWith(QLatin1Char('*')));
        QCOMPARE(Mode()->CurrentBleaching(), 0);
        QCOMPARE(grid->item(grid->currentRow(), 0)->text(),
                 QString::fromStdString(MethodLongName(Mode()->CurrentMethod())));

        // A cell without "*" is chosen all the same: the selection follows that method.
        const QPoint plain =
            CellOf(QStringLiteral("Additive growth curve"), QStringLiteral("BL(120.0/SOLAR)"));
        grid->setCurrentCell(plain.y(), plain.x());
        QCOMPARE(Mode()->CurrentMethod(), static_cast<int>(kAdditiveGrowth));
        QCOMPARE(Mode()->CurrentBleaching(), 0);
        for (const TLookupRecord& e : Mode()->Table())
            QVERIFY2(!e.InSelection || (e.Methods & MethodBit(kAdditiveGrowth)),
                     e.Description.c_str());
        const QPoint regen =
            CellOf(QStringLiteral("Regen growth curve"), QStringLiteral("BL(120.0/SOLAR)"));
        grid->setCurrentCell(regen.y(), regen.x());

        // TL first: temperature index in steps of 5 degC, 300 degC shown, index 59.
        auto* first = Panel()->findChild<QSpinBox*>(QStringLiteral("SpinEdit1"));
        QCOMPARE(first->value(), 300);
        QCOMPARE(first->singleStep(), 5);
        QCOMPARE(first->minimum(), 200);
        QCOMPARE(Mode()->CurrentIndex(), 59);
        QCOMPARE(Panel()->findChild<QLabel*>(QStringLiteral("SpinEdit1Label"))->text(),
                 QStringLiteral("For degC"));
        QVERIFY(!Panel()->findChild<QSpinBox*>(QStringLiteral("SpinEdit2"))->isVisible());

        // The OSL tab: channels from 1.
        tabs->setCurrentIndex(TabOf(QStringLiteral("OSL#1")));
        QCOMPARE(Mode()->CurrentDevice(), tabs->currentIndex());
        QCOMPARE(first->value(), 1);
        QCOMPARE(first->maximum(), 90);
        QCOMPARE(Panel()->findChild<QLabel*>(QStringLiteral("SpinEdit1Label"))->text(),
                 QStringLiteral("For channel"));
        // "Range" shows both fields from the first to the last channel.
        Mode()->ChooseIndexMode(TIndexMode::Range);
        QCOMPARE(Panel()->findChild<QLabel*>(QStringLiteral("SpinEdit1Label"))->text(),
                 QStringLiteral("From channel"));
        QVERIFY(Panel()->findChild<QSpinBox*>(QStringLiteral("SpinEdit2"))->isVisible());
        QCOMPARE(Panel()->findChild<QSpinBox*>(QStringLiteral("SpinEdit2"))->value(), 90);
        Mode()->ChooseIndexMode(TIndexMode::Single);

        // "Quit" leaves like the mode's own command.
        form_->Action(TActionId::GrowthQuit)->trigger();
        QVERIFY(!form_->Modes().Active());
        QVERIFY(!growth->isChecked());
        QVERIFY(!compute->isEnabled());
        QVERIFY(form_->Menu(TMenuId::Edit)->menuAction()->isEnabled());
        auto* toolBar = form_->findChild<QToolBar*>(QStringLiteral("ComputeToolBar"));
        QVERIFY(toolBar && !toolBar->isVisible());
        QCOMPARE(form_->findChild<QLabel*>(QStringLiteral("StatusMode"))->text(),
                 QStringLiteral("Halcyon files"));
        QVERIFY(!form_->findChild<TGrowthPanel*>() ||
                !form_->findChild<TGrowthPanel*>()->isVisible());
    }

    void closingAndOpeningAFileWithTheModeOn() {
        TRecorder points;
        TGraphDispatcher& messages = form_->Document().GraphMessages();
        EnterOnSampleWith(points);
        form_->Action(TActionId::GrowthPnt)->trigger();
        QVERIFY(points.Reference(gd_Points) != 0);
        // Closing: the viewer lets go, the panel goes, the mode waits for the next file.
        form_->CloseFile();
        QCOMPARE(points.Reference(gd_Points), std::uintptr_t{0});
        QVERIFY(!form_->Action(TActionId::GrowthCompute)->isEnabled());
        QVERIFY(!form_->findChild<TGrowthPanel*>() ||
                !form_->findChild<TGrowthPanel*>()->isVisible());
        // The next file opened is read again, the point preview sent again.
        points.items.clear();
        QVERIFY(form_->OpenFile(dir_ + QStringLiteral("/S12.SAD")));
        QVERIFY(Mode());
        QVERIFY(Panel()->isVisible());
        // Two disks, each a natural and four dosed short shines, and a depletion disk of five
        // short shines; the background shines not.
        QCOMPARE(static_cast<int>(Mode()->Table().size()), 3 * 5);
        QVERIFY(form_->Action(TActionId::GrowthCompute)->isEnabled());
        QCOMPARE(points.texts[gd_Title], std::string("Orvane - View points"));
        form_->Action(TActionId::ComputeGrowth)->trigger();
        QVERIFY(!form_->Modes().Active());
        messages.Unregister(kPointViewer);
    }

    void fileWithoutMeasurementsOrMethodsStaysOff_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("isFlag");
        QTest::addColumn<QString>("warning");
        // Background runs only: nothing passes the filter.
        QTest::newRow("no TL run")
            << QStringLiteral("TL run") << true << QStringLiteral("No valid records!");
        // Natural aliquots only: no dose levels for any method.
        QTest::newRow("no beta dose") << QStringLiteral("Beta time") << false
                                      << QStringLiteral("No method was recognized by program!");
    }
    void fileWithoutMeasurementsOrMethodsStaysOff() {
        QFETCH(QString, field);
        QFETCH(bool, isFlag);
        QFETCH(QString, warning);
        QVERIFY(form_->OpenFile(Dat()));
        SetEveryRecord(field.toLatin1().constData(),
                       isFlag ? TFieldValue(false) : TFieldValue(0.0));
        form_->Action(TActionId::ComputeGrowth)->trigger();
        QCOMPARE(prompts_->warnings, QStringList{warning});
        QVERIFY(prompts_->errors.isEmpty());
        QVERIFY(!form_->Modes().Active());
        QVERIFY(!form_->Action(TActionId::ComputeGrowth)->isChecked());
        QVERIFY(!form_->Action(TActionId::GrowthCompute)->isEnabled());
        QVERIFY(!form_->findChild<TGrowthPanel*>() ||
                !form_->findChild<TGrowthPanel*>()->isVisible());
        QCOMPARE(form_->findChild<QLabel*>(QStringLiteral("StatusMode"))->text(),
                 QStringLiteral("Halcyon files"));
    }

    void fittingListsFollowTheMethod_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("method");
        QTest::addColumn<bool>("decay");       // "Exponential decay" ends the function list
        QTest::addColumn<bool>("calculated");  // "Calculated errors" offered
        QTest::addColumn<QString>("indexLabel");
        QTest::newRow("multi-aliquot")
            << QStringLiteral("S12.DAT") << QStringLiteral("Regen growth curve") << false << true
            << QStringLiteral("For degC");
        QTest::newRow("SA additive") << QStringLiteral("S12.SAD") << QStringLiteral("SA Additive")
                                     << true << false << QStringLiteral("For disk");
        QTest::newRow("SA regenerative")
            << QStringLiteral("S12.DAS") << QStringLiteral("SA Regenerative") << false << false
            << QStringLiteral("For disk");
    }
    void fittingListsFollowTheMethod() {
        QFETCH(QString, file);
        QFETCH(QString, method);
        QFETCH(bool, decay);
        QFETCH(bool, calculated);
        QFETCH(QString, indexLabel);
        QVERIFY(form_->OpenFile(dir_ + QLatin1Char('/') + file));
        form_->Action(TActionId::ComputeGrowth)->trigger();
        QVERIFY(Mode());
        QCOMPARE(QString::fromStdString(MethodLongName(Mode()->CurrentMethod())), method);
        auto* functions = Panel()->findChild<QComboBox*>(QStringLiteral("ComboBox4"));
        auto* errors = Panel()->findChild<QComboBox*>(QStringLiteral("ComboBox5"));
        auto* depletion = Panel()->findChild<QComboBox*>(QStringLiteral("ComboBox6"));
        QCOMPARE(functions->itemText(functions->count() - 1) == QStringLiteral("Exponential decay"),
                 decay);
        QCOMPARE(functions->count(), decay ? 7 : 6);
        QCOMPARE(errors->findText(QStringLiteral("Calculated errors")) >= 0, calculated);
        QCOMPARE(errors->currentText(), QStringLiteral("Equal errors"));
        // The depletion fit belongs to "SA Additive" alone.
        QCOMPARE(depletion->isVisible(), decay);
        QCOMPARE(depletion->currentText(), QStringLiteral("1 exponent"));
        QCOMPARE(Panel()->findChild<QLabel*>(QStringLiteral("SpinEdit1Label"))->text(), indexLabel);
        // "degree" shows for the polynomial only; "%" for fixed % errors only.
        auto* degree = Panel()->findChild<QSpinBox*>(QStringLiteral("SpinEdit3"));
        auto* percent = Panel()->findChild<QSpinBox*>(QStringLiteral("SpinEdit4"));
        QVERIFY(!degree->isVisible() && !percent->isVisible());
        functions->setCurrentIndex(functions->findText(QStringLiteral("Polynomial ")));
        emit functions->activated(functions->currentIndex());
        QVERIFY(degree->isVisible());
        errors->setCurrentIndex(errors->findText(QStringLiteral("Fixed % errors")));
        emit errors->activated(errors->currentIndex());
        QVERIFY(percent->isVisible());
        percent->setValue(10);
        degree->setValue(14);
        const TFitOptions options = Panel()->FitOptions();
        QCOMPARE(options.FunctionObject, 6);
        QCOMPARE(options.Degree, 14);
        QCOMPARE(options.ErrorModel, 3);
        QCOMPARE(options.Percent, 10.0);
        // Compute names the index as the field does.
        // (A single aliquot's warnings come before its line, its criteria after it.)
        form_->Action(TActionId::GrowthCompute)->trigger();
        const QString expected = calculated ? QStringLiteral("T  300: ") : QStringLiteral("Disk ");
        const QStringList lines = Panel()->Solutions().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QVERIFY2(std::any_of(lines.begin(), lines.end(),
                             [&](const QString& l) { return l.startsWith(expected); }),
                 qPrintable(lines.join(QLatin1Char('|'))));
    }

    void singleGrainsAreComputedGrainByGrain() {
        QVERIFY(form_->OpenFile(dir_ + QStringLiteral("/S12.DAS")));
        form_->Action(TActionId::ComputeGrowth)->trigger();
        QVERIFY(Mode());
        auto* functions = Panel()->findChild<QComboBox*>(QStringLiteral("ComboBox4"));
        functions->setCurrentIndex(functions->findText(QStringLiteral("Linear")));
        emit functions->activated(functions->currentIndex());
        // The limits group: the signal window moves to the channel boundaries.
        auto* limits = Panel()->findChild<QGroupBox*>(QStringLiteral("GroupBoxSAR"));
        QVERIFY(limits && limits->isVisible());
        auto* from = limits->findChild<QDoubleSpinBox*>(QStringLiteral("NumIO3"));
        auto* to = limits->findChild<QDoubleSpinBox*>(QStringLiteral("NumIO4"));
        QVERIFY(from && to);
        QCOMPARE(to->value(), 1.0);
        to->setValue(0.025);
        form_->Action(TActionId::GrowthCompute)->trigger();
        QCOMPARE(to->value(), 0.03);
        to->setValue(1);
        form_->Action(TActionId::GrowthCompute)->trigger();
        const QString line =
            Panel()->Solutions().split(QLatin1Char('\n')).filter(QStringLiteral("Disk")).last();
        QVERIFY2(line.startsWith(QStringLiteral("Disk 1 hole 12: ")), qPrintable(line));
        QVERIFY2(line.contains(QStringLiteral("O.K.")), qPrintable(line));
        // The grain's dose, 42 Gy within twice its error, is the one "Compute age" takes.
        const double ed = Mode()->Fit().ED, error = Mode()->Fit().EDError;
        QVERIFY2(std::abs(ed - 42) < 2 * error, qPrintable(line));
    }

    void glowCurvesWithoutSpacingAreRefused() {
        QVERIFY(form_->OpenFile(Dat()));
        SetEveryRecord("Spacing", TFieldValue(int64_t{0}));
        form_->Action(TActionId::ComputeGrowth)->trigger();
        QVERIFY(Mode());
        QCOMPARE(Mode()->CurrentDevice(), 0);
        QVERIFY(Panel()->DeviceTabs()->tabText(0).startsWith(QStringLiteral("TL")));
        // The previews and the index fields have nothing to show; Compute says why.
        form_->Action(TActionId::GrowthPnt)->trigger();
        Mode()->ChooseIndexMode(TIndexMode::Range);
        Mode()->ChooseIndexMode(TIndexMode::Single);
        form_->Action(TActionId::GrowthCompute)->trigger();
        QCOMPARE(prompts_->errors, QStringList{QString::fromLatin1(kZeroSpacingMessage)});
        QVERIFY(Panel()->Solutions().isEmpty());
        // The OSL devices compute as before.
        Panel()->DeviceTabs()->setCurrentIndex(1);
        form_->Action(TActionId::GrowthCompute)->trigger();
        QVERIFY2(Panel()->Solutions().startsWith(QStringLiteral("Ch  1: ")),
                 qPrintable(Panel()->Solutions()));
    }

    void monteCarloErrorFollowsTheSolutionLine() {
        QVERIFY(form_->OpenFile(Dat()));
        SubtractOslBackgrounds();
        TRecorder viewer;
        form_->Document().GraphMessages().Register(kPointViewer, &viewer);
        form_->Action(TActionId::ComputeGrowth)->trigger();
        QVERIFY(Mode());
        StandInViewers();
        Panel()->DeviceTabs()->setCurrentIndex(TabOf(QStringLiteral("OSL#1")));
        const QPoint cell =
            CellOf(QStringLiteral("Regen growth curve"), QStringLiteral("BL(120.0/SOLAR)"));
        Panel()->MethodGrid()->setCurrentCell(cell.y(), cell.x());
        // Off at first: Compute writes the analytic line alone.
        QCheckBox* box = Panel()->MonteCarloBox();
        QSpinBox* draws = Panel()->MonteCarloDrawsField();
        QVERIFY(box && draws && box->isVisible());
        QVERIFY(!box->isChecked() && !draws->isEnabled());
        form_->Action(TActionId::GrowthCompute)->trigger();
        QVERIFY(!Panel()->Solutions().contains(QStringLiteral("MC")));
        box->setChecked(true);
        QVERIFY(draws->isEnabled());
        draws->setValue(400);
        QCOMPARE(Panel()->MonteCarloDraws(), 400);
        form_->Action(TActionId::GrowthCompute)->trigger();
        form_->Action(TActionId::GrowthCompute)->trigger();
        const QStringList lines =
            Panel()->Solutions().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 5);
        QVERIFY2(lines[2].startsWith(QStringLiteral("    MC \u00b1 ")), qPrintable(lines[2]));
        QVERIFY2(lines[2].contains(QStringLiteral("; 400 draws)")), qPrintable(lines[2]));
        // Seeded: the same points give the same Monte Carlo line.
        QCOMPARE(lines[4], lines[2]);
        SaveShot(QStringLiteral("growth_monte_carlo.png"));
    }

    void computeWritesTheRegenerativeDose() {
        QVERIFY(form_->OpenFile(Dat()));
        SubtractOslBackgrounds();
        TRecorder viewer;
        form_->Document().GraphMessages().Register(kPointViewer, &viewer);
        form_->Action(TActionId::ComputeGrowth)->trigger();
        QVERIFY(Mode());
        StandInViewers();
        Panel()->DeviceTabs()->setCurrentIndex(TabOf(QStringLiteral("OSL#1")));
        const QPoint cell =
            CellOf(QStringLiteral("Regen growth curve"), QStringLiteral("BL(120.0/SOLAR)"));
        Panel()->MethodGrid()->setCurrentCell(cell.y(), cell.x());
        QCOMPARE(Mode()->CurrentMethod(), static_cast<int>(kRegenGrowth));
        QCOMPARE(Mode()->CurrentBleaching(), 0);
        QCOMPARE(Panel()->FitOptions().FunctionObject, 4);  // "Saturating exponential"

        double dose = 0, error = 0;
        QVERIFY(!form_->Document().LastEquivalentDose(dose, error));
        // The messages to the viewer are traced in "orvane.graph".
        QLoggingCategory::setFilterRules(QStringLiteral("orvane.graph.debug=true"));
        const QtMessageHandler previous = qInstallMessageHandler(CaptureTrace);
        form_->Action(TActionId::GrowthCompute)->trigger();
        qInstallMessageHandler(previous);
        QLoggingCategory::setFilterRules(QStringLiteral("orvane.graph.debug=false"));
        QVERIFY(g_trace.contains(
            QStringLiteral("WM_GraphicData to PointViewer: Title = Orvane - View results.")));
        QVERIFY(std::any_of(g_trace.begin(), g_trace.end(), [](const QString& line) {
            return line.startsWith(QStringLiteral("WM_GraphicDraw to PointViewer: Mask @")) &&
                   line.endsWith(QStringLiteral(" [gd_Index,gd_Points,gd_Fit]."));
        }));
        QVERIFY(prompts_->errors.isEmpty());
        const QStringList lines =
            Panel()->SolutionBox()->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines[0].startsWith(QStringLiteral("Ch  1: ")), qPrintable(lines[0]));
        QVERIFY2(lines[0].endsWith(QStringLiteral("O.K.")), qPrintable(lines[0]));

        // The fast OSL component: D0 ln((1 - rho f_N) / (1 - f_N)) with D0 110 Gy, rho 0.002
        // and f_N = 1 - exp(-42 / D0).
        const double fN = 1 - std::exp(-42.0 / 110.0);
        const double expected = 110.0 * std::log((1 - 0.002 * fN) / (1 - fN));
        const TFitRecord& fit = Mode()->Fit();
        QCOMPARE(fit.ResultCode, 0);
        QVERIFY(fit.EDError > 0 && fit.EDError < 10);
        QVERIFY2(std::abs(fit.ED - expected) <= fit.EDError,
                 qPrintable(QStringLiteral("%1 vs %2").arg(fit.ED).arg(expected)));
        // The line shows the dose to five significant digits.
        QVERIFY2(lines[0].contains(QString::number(fit.ED, 'g', 5)), qPrintable(lines[0]));
        QVERIFY(form_->Document().LastEquivalentDose(dose, error));
        QCOMPARE(dose, fit.ED);
        QCOMPARE(error, fit.EDError);

        // The point viewer got the results: points, index and fit by address, the summary.
        QVERIFY(viewer.Drew(kMaskIndexPointsFit));
        QCOMPARE(viewer.Reference(gd_Fit), reinterpret_cast<std::uintptr_t>(&fit));
        QCOMPARE(viewer.Reference(gd_Points), reinterpret_cast<std::uintptr_t>(&Mode()->Points()));
        QCOMPARE(viewer.texts[gd_Title], std::string("Orvane - View results"));
        QVERIFY(viewer.texts[gd_Notes].find("Regen") != std::string::npos);
        QVERIFY(viewer.texts[gd_Notes].find("S12.DAT") != std::string::npos);

        SaveShot(QStringLiteral("growth_compute.png"));

        // A second computation at channel 2 adds a second line.
        Panel()->findChild<QSpinBox*>(QStringLiteral("SpinEdit1"))->setValue(2);
        QCOMPARE(Mode()->CurrentIndex(), 2);
        form_->Action(TActionId::GrowthCompute)->trigger();
        const QStringList more =
            Panel()->SolutionBox()->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(more.size(), 2);
        QVERIFY(more[1].startsWith(QStringLiteral("Ch  2: ")));

        // Leaving tells the viewer to let go of the mode's data.
        form_->Action(TActionId::ComputeGrowth)->trigger();
        QCOMPARE(viewer.Reference(gd_Fit), std::uintptr_t{0});
        QCOMPARE(viewer.Reference(gd_Points), std::uintptr_t{0});
        form_->Document().GraphMessages().Unregister(kPointViewer);
    }

    void togglingAcceptanceTellsTheViewers() {
        QVERIFY(form_->OpenFile(Dat()));
        TRecorder points, curves;
        TGraphDispatcher& messages = form_->Document().GraphMessages();
        messages.Register(kPointViewer, &points);
        messages.Register(kCurveViewer, &curves);
        form_->Action(TActionId::ComputeGrowth)->trigger();
        QVERIFY(Mode());
        StandInViewers();
        form_->Action(TActionId::GrowthRec)->trigger();  // the curves list
        QTreeView* list = Panel()->CurvesList();
        QVERIFY(list->isVisible());

        // A measurement in the selection.
        int ordinal = -1;
        for (const TLookupRecord& e : Mode()->Table())
            if (e.InSelection && e.Accepted && ordinal < 0) ordinal = e.Ordinal;
        QVERIFY(ordinal >= 0);
        const QModelIndex item = list->model()->index(ordinal, 1);
        QVERIFY(item.data(Qt::FontRole).value<QFont>().bold());
        list->scrollTo(item);
        const QPoint at = list->visualRect(item).center();

        // Right-click on it: the menu offers "Toggle accept".
        QContextMenuEvent click(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
        QApplication::sendEvent(list->viewport(), &click);
        QMenu* menu = Mode()->PopupMenu();
        QVERIFY(menu->isVisible());
        QAction* toggle = menu->findChild<QAction*>(QStringLiteral("PopupToggleAccept"));
        QVERIFY(toggle->isVisible() && toggle->isEnabled());
        menu->hide();
        points.items.clear();
        toggle->trigger();
        QVERIFY(!Mode()->Table()[static_cast<std::size_t>(ordinal)].Accepted);
        QVERIFY(!item.data(Qt::FontRole).value<QFont>().bold());
        QCOMPARE(item.data(Qt::ForegroundRole).value<QColor>(),
                 list->palette().color(QPalette::Disabled, QPalette::Text));
        QVERIFY(points.Drew(kMaskViewCurvesPoints));
        QVERIFY(curves.Drew(kMaskViewCurvesPoints));

        // Space on the focused entry flips it back; only the point viewer is told.
        list->setFocus();
        list->setCurrentIndex(item);
        points.items.clear();
        curves.items.clear();
        QTest::keyClick(list, Qt::Key_Space);
        QVERIFY(Mode()->Table()[static_cast<std::size_t>(ordinal)].Accepted);
        QVERIFY(points.Drew(kMaskPoints));
        QVERIFY(curves.items.empty());

        // A right-click beside the curves list hides "Toggle accept".
        QWidget* grid = Panel()->MethodGrid()->viewport();
        QContextMenuEvent beside(QContextMenuEvent::Mouse, QPoint(5, 5),
                                 grid->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(grid, &beside);
        QVERIFY(menu->isVisible());
        QVERIFY(!toggle->isVisible());
        menu->hide();

        // The viewer reports a toggled point: the measurement follows, the viewers redraw.
        form_->Action(TActionId::GrowthPnt)->trigger();  // points built and sent
        QVERIFY(points.Drew(kMaskIndexPoints));
        auto& growth = const_cast<TGrowthPoints&>(Mode()->Points());
        QVERIFY(!growth.empty() && !growth[0].Points.empty());
        TGrowthPoint& p = growth[0].Points[0];
        p.Accepted = 0;
        points.items.clear();
        messages.SendUpdatedData(kMainWindowName, 0);
        QVERIFY(!Mode()->Table()[static_cast<std::size_t>(p.Ordinal)].Accepted);
        QVERIFY(points.Drew(kMaskViewCurvesPoints));

        // "Accept all" accepts it again.
        form_->Action(TActionId::GrowthAll)->trigger();
        QVERIFY(Mode()->Table()[static_cast<std::size_t>(p.Ordinal)].Accepted);
        form_->Action(TActionId::GrowthPnt)->trigger();

        SaveShot(QStringLiteral("growth_curves.png"));
        form_->Action(TActionId::ComputeGrowth)->trigger();
        messages.Unregister(kPointViewer);
        messages.Unregister(kCurveViewer);
    }

    void viewerIndexMovesThePanel() {
        TRecorder points;
        TGraphDispatcher& messages = form_->Document().GraphMessages();
        EnterOnSampleWith(points);
        Panel()->DeviceTabs()->setCurrentIndex(TabOf(QStringLiteral("OSL#1")));
        form_->Action(TActionId::GrowthPnt)->trigger();
        QVERIFY(form_->Action(TActionId::GrowthPnt)->isChecked());
        QCOMPARE(points.texts[gd_Title], std::string("Orvane - View points"));
        QVERIFY(points.texts[gd_Notes].find("Channel(s): 1\r\n") != std::string::npos);
        const std::uintptr_t index = points.Reference(gd_Index);
        QCOMPARE(index, reinterpret_cast<std::uintptr_t>(&Mode()->CurrentIndex()));
        auto* spin = Panel()->findChild<QSpinBox*>(QStringLiteral("SpinEdit1"));

        struct Case {
            const char* name;
            int32_t index;
            bool viaData;  // WM_UpdatedData with gd_Index, else WM_UpdatedPoints
        };
        for (const Case& c : {Case{"points", 5, false}, Case{"data", 12, true}}) {
            points.items.clear();
            *reinterpret_cast<int32_t*>(index) = c.index;  // as the viewer writes it
            if (c.viaData)
                messages.SendUpdatedData(kMainWindowName, kMaskIndex);
            else
                messages.SendUpdatedPoints(kMainWindowName);
            QVERIFY2(spin->value() == c.index, c.name);
            // The points now hold the signals at the new index.
            const TGrowthPoints expected =
                BuildGrowthPoints(Mode()->Table(), Mode()->CurrentMethod(), c.index);
            QCOMPARE(Mode()->Points().size(), expected.size());
            for (std::size_t l = 0; l < expected.size(); ++l)
                for (std::size_t i = 0; i < expected[l].Points.size(); ++i)
                    QCOMPARE(Mode()->Points()[l].Points[i].Signal, expected[l].Points[i].Signal);
            QVERIFY2(points.Drew(c.viaData ? kMaskViewCurvesPoints : kMaskIndexViewCurvesPoints),
                     c.name);
        }
        // The user's index field moves the viewers.
        points.items.clear();
        spin->setValue(7);
        QCOMPARE(Mode()->CurrentIndex(), 7);
        QVERIFY(points.Drew(kMaskIndexPoints));
        form_->Action(TActionId::ComputeGrowth)->trigger();
        messages.Unregister(kPointViewer);
    }

    void tlSolutionLineAndMethodStillPossible() {
        QVERIFY(form_->OpenFile(Dat()));
        form_->Action(TActionId::ComputeGrowth)->trigger();
        QVERIFY(Mode());
        QCOMPARE(Mode()->CurrentDevice(), 0);  // TL, 5 degC a point
        const QPoint cell =
            CellOf(QStringLiteral("Regen growth curve"), QStringLiteral("BL(120.0/SOLAR)"));
        Panel()->MethodGrid()->setCurrentCell(cell.y(), cell.x());
        form_->Action(TActionId::GrowthCompute)->trigger();
        QVERIFY2(Panel()->Solutions().startsWith(QStringLiteral("T  300: ")),
                 qPrintable(Panel()->Solutions()));

        // Rejecting every natural aliquot leaves no natural level: the method stays in the
        // grid with its mark cleared; "Accept all" brings the mark back.
        const QString regen = QStringLiteral("Regen growth curve");
        const QString bleached = QStringLiteral("BL(120.0/SOLAR)");
        QCOMPARE(CellText(regen, bleached), QStringLiteral("* \u2713"));
        for (const TLookupRecord& e : Mode()->Table())
            if (e.InSelection && e.Irradiation.Dose == 0 && e.Bleaching.BleachTime == 0)
                emit Panel()->acceptKeyPressed(e.Ordinal);
        QCOMPARE(CellText(regen, bleached), QStringLiteral("* \u2717"));
        form_->Action(TActionId::GrowthAll)->trigger();
        QCOMPARE(CellText(regen, bleached), QStringLiteral("* \u2713"));
    }

    void cancellingTheReadingLeavesTheModeOff() {
        const QString large = dir_ + QStringLiteral("/L.DAT");
        QVERIFY(WriteRepeatedRecords(Dat(), large, 213, 1584, 3000));
        QVERIFY(form_->OpenFile(large));
        bool cancelled = false;
        QTimer::singleShot(0, form_, [this, &cancelled] {
            if (auto* progress = form_->findChild<QProgressDialog*>()) {
                progress->cancel();
                cancelled = true;
            }
        });
        form_->Action(TActionId::ComputeGrowth)->trigger();
        QVERIFY(cancelled);
        QVERIFY(!form_->Modes().Active());
        QVERIFY(prompts_->warnings.isEmpty() && prompts_->errors.isEmpty());
        QVERIFY(!form_->Action(TActionId::GrowthCompute)->isEnabled());
        // Without Cancel the same file enters.
        form_->Action(TActionId::ComputeGrowth)->trigger();
        QVERIFY(Mode());
        QCOMPARE(static_cast<int>(Mode()->Table().size()), 3000 / 168 * 84 + 84);
    }

    void helpOpensTheGrowthPage() {
        QVERIFY(form_->OpenFile(Dat()));
        form_->Action(TActionId::ComputeGrowth)->trigger();
        QVERIFY(Mode());
        Panel()->findChild<QPushButton*>(QStringLiteral("GrowthHelpButton"))->click();
        THelpWindow* help = form_->HelpWindow();
        QVERIFY(help->isVisible());
        QCOMPARE(help->CurrentUrl().path(), QStringLiteral("/help/growth.html"));
        QCOMPARE(help->CurrentUrl().fragment(), QStringLiteral("ctx172"));
        help->hide();
        // F1 in the panel opens the same page.
        Panel()->MethodGrid()->setFocus();
        QTest::keyClick(Panel()->MethodGrid(), Qt::Key_F1);
        QVERIFY(help->isVisible());
        QCOMPARE(help->CurrentUrl().path(), QStringLiteral("/help/growth.html"));
    }
};

QTEST_MAIN(GrowthModeTest)
#include "growth_mode_test.moc"
