// "Normalize" on real widgets: the two dialogs of the command and the NCF template dialog,
// the raw-intensity change on the sample and the TL normalisation of a file with TL
// normalisation runs, each one undoable command.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QUndoStack>
#include <QtTest>
#include <filesystem>
#include <functional>

#include "analysis/ncf_template_dialog.h"
#include "editor/editor_actions.h"
#include "editor/editor_document.h"
#include "editor/main_window.h"
#include "record_store/bin_data_set.h"
#include "record_store/curve_access.h"
#include "tools/raw_intensity_dialog.h"
#include "tools/tl_norm_dialog.h"
#include "tools/tool_test_files.h"
#include "ui/sample_window_fixture.h"

class NormalizeTest : public QObject, TSampleWindowFixture {
    Q_OBJECT

private:
    static void Screenshot(QWidget& w, const QString& name) {
        const QByteArray dir = qgetenv("ORVANE_SCREENSHOTS");
        if (!dir.isEmpty()) w.grab().save(QString::fromLocal8Bit(dir) + "/" + name);
    }

    template <typename Dialog>
    bool TriggerWith(const std::function<void(Dialog&)>& handle) {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
                seen = true;
                handle(*dialog);
            }
        });
        form_->Action(TActionId::ToolsNormalize)->trigger();
        return seen;
    }

    static tool_test::TRecordFixture TL(int disk, bool norm, double value) {
        tool_test::TRecordFixture s;
        s.disk = disk;
        s.npt = 99;
        s.normalization = norm;
        s.raw.assign(100, 1.0);
        s.subtracted.assign(98, 0.0);
        s.subtracted[60] = value;  // glow-curve index 62, 315 degC
        return s;
    }

private slots:
    void init() { QVERIFY(SetUp()); }
    void cleanup() { TearDown(); }

    void tlWindowStartStaysBelowStop() {
        TTLNorm dlg;
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Normalize TL glow curves"));
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        Screenshot(dlg, "tl_norm_dialog.png");
        auto* start = dlg.findChild<QLineEdit*>(QStringLiteral("StartT"));
        auto* stop = dlg.findChild<QLineEdit*>(QStringLiteral("StopT"));
        auto* upStart = dlg.findChild<QSpinBox*>(QStringLiteral("UpDnStart"));
        auto* upStop = dlg.findChild<QSpinBox*>(QStringLiteral("UpDnStop"));
        QVERIFY(start && stop && upStart && upStop);
        QVERIFY(start->isReadOnly());
        QCOMPARE(start->text(), QStringLiteral("250"));
        QCOMPARE(stop->text(), QStringLiteral("450"));
        // Stop down to 300 degC; the start then rises to 295 at most.
        upStop->setValue(60);
        for (int i = 0; i < 20; ++i) upStart->stepUp();
        QCOMPARE(start->text(), QStringLiteral("295"));
        QCOMPARE(dlg.Window().start, 295);
        // And the stop cannot come down to the start.
        upStop->stepDown();
        upStop->stepDown();
        QCOMPARE(stop->text(), QStringLiteral("300"));
        // The ends of the scale.
        upStart->setValue(0);
        upStop->setValue(1000);
        QCOMPARE(dlg.Window().start, 200);
        QCOMPARE(dlg.Window().stop, 500);
    }

    void rawDialogOffersMultiplyOnlyForAcceptedFactors() {
        TSecretNormDlg dlg;
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Change raw intensity"));
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        Screenshot(dlg, "raw_intensity_dialog.png");
        auto* factor = dlg.findChild<QDoubleSpinBox*>(QStringLiteral("Factor"));
        QPushButton* multiply = nullptr;
        for (auto* b : dlg.findChildren<QPushButton*>())
            if (b->text() == QStringLiteral("Multiply")) multiply = b;
        QVERIFY(factor && multiply);
        QCOMPARE(factor->decimals(), 2);
        factor->setValue(0);
        QVERIFY(!multiply->isEnabled());
        factor->setValue(100);
        QVERIFY(multiply->isEnabled());
        QCOMPARE(dlg.Factor(), 100.0);
    }

    void ncfTemplateListsAndResults() {
        TNcfTolerances tolerances;
        TNCFTemplateDlg dlg(tolerances);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Select normalization scheme"));
        dlg.SetCurrentDisk(QStringLiteral("3"));
        dlg.SetNatural(QStringLiteral("r#4: OSL #1 natural"));
        dlg.SetCorrection(1.23456);
        dlg.AddNumerator(QStringLiteral("r#5: TL 2"), 5);
        dlg.AddDenominator(QStringLiteral("r#1: TL 1"), 1);
        auto* numerator = dlg.findChild<QComboBox*>(QStringLiteral("NumeratorBox"));
        auto* denominator = dlg.findChild<QComboBox*>(QStringLiteral("DenominatorBox"));
        auto* applyAll = dlg.findChild<QPushButton*>(QStringLiteral("ApplyAll"));
        auto* tabs = dlg.findChild<QTabWidget*>();
        QVERIFY(numerator && denominator && applyAll && tabs);
        QCOMPARE(numerator->itemText(0), QStringLiteral("select record"));
        QCOMPARE(numerator->itemText(1), QStringLiteral("1.0"));
        QCOMPARE(dlg.findChild<QLineEdit*>(QStringLiteral("CorrEdt"))->text(),
                 QLocale().toString(1.235, 'f', 3));

        dlg.SelectNumerator(2);
        dlg.SelectDenominator(2);
        QCOMPARE(dlg.NumeratorObject(), std::optional<int>(5));
        QCOMPARE(dlg.DenominatorObject(), std::optional<int>(1));
        // "select record" in one list takes the other back to it; "Apply to all" hides.
        denominator->setCurrentIndex(0);
        QCOMPARE(numerator->currentIndex(), 0);
        dlg.SelectNumerator(1);
        dlg.SelectDenominator(1);
        QCOMPARE(dlg.NumeratorObject(), std::nullopt);  // "1.0" has no record

        // The tolerances follow the fields at once; showing opens the first tab.
        tabs->setCurrentIndex(1);
        dlg.findChild<QDoubleSpinBox*>(QStringLiteral("FirstTLTolerance"))->setValue(0.02);
        QCOMPARE(tolerances.firstTL, 0.02);
        const struct {
            const char* button;
            int result;
        } cases[] = {{"ApplyAll", TNCFTemplateDlg::kApplyToAll},
                     {"ApplyCurrent", TNCFTemplateDlg::kApplyToCurrent}};
        for (const auto& c : cases) {
            QTimer::singleShot(0, [&] {
                QCOMPARE(tabs->currentIndex(), 0);
                QVERIFY(applyAll->isVisible());
                Screenshot(dlg, "ncf_template_dialog.png");
                dlg.findChild<QPushButton*>(QString::fromLatin1(c.button))->click();
            });
            tabs->setCurrentIndex(1);
            QCOMPARE(dlg.exec(), c.result);
        }
        dlg.SelectNumerator(0);
        QTimer::singleShot(0, [&] {
            QVERIFY(!applyAll->isVisible());
            dlg.reject();
        });
        dlg.exec();
    }

    void rawIntensityOnTheSampleIsOneUndoableRun() {
        QVERIFY(form_->OpenFile(dir_ + QStringLiteral("/S12.DAT")));
        QVERIFY(form_->Action(TActionId::ToolsNormalize)->isEnabled());
        TBinDataSet* view = form_->Document().ShownView();
        form_->GoToRecord(60);
        const TFloatArray before = ReadRawCurve(*view);
        QUndoStack& undo = form_->Document().UndoStack();
        // The sample has no TL normalisation runs: the raw dialog.
        QVERIFY(TriggerWith<TSecretNormDlg>([](TSecretNormDlg& dlg) {
            dlg.findChild<QDoubleSpinBox*>(QStringLiteral("Factor"))->setValue(3);
            dlg.accept();
        }));
        QCOMPARE(undo.undoText(), QStringLiteral("Change raw intensity (1 record)"));
        TFloatArray after = ReadRawCurve(*view);
        for (std::size_t k = 0; k < after.size(); ++k) QCOMPARE(after[k], 3 * before[k]);
        // The factor lives in the raw curve: "Normalization factor" keeps its value.
        QCOMPARE(view->AsFloat("Normalization factor"), 1.0);
        undo.undo();
        QCOMPARE(ReadRawCurve(*view), before);
        QCOMPARE(view->AsFloat("Normalization factor"), 1.0);
    }

    void tlNormalisationOfAFileWithNormalisationRuns() {
        TTempFolder folder;
        const std::string path = tool_test::WriteDatFile(
            folder, {TL(1, true, 100), TL(2, true, 300), TL(1, false, 40), TL(2, false, 40)});
        std::filesystem::copy_file((dir_ + QStringLiteral("/OV_DAT.INI")).toStdString(),
                                   folder / "OV_DAT.INI");
        QVERIFY(form_->OpenFile(QString::fromStdString(path)));
        TBinDataSet* view = form_->Document().ShownView();
        QUndoStack& undo = form_->Document().UndoStack();
        QVERIFY(TriggerWith<TTLNorm>([](TTLNorm& dlg) { dlg.accept(); }));
        QCOMPARE(undo.undoText(), QStringLiteral("Normalize TL glow curves"));
        form_->GoToRecord(3);
        QCOMPARE(ReadSubtractedCurve(*view)[62], 80.0);
        QCOMPARE(view->AsFloat("Normalization factor"), 0.5);
        undo.undo();
        form_->GoToRecord(3);
        QCOMPARE(ReadSubtractedCurve(*view)[62], 40.0);
        // Cancel changes nothing.
        const int commands = undo.count();
        QVERIFY(TriggerWith<TTLNorm>([](TTLNorm& dlg) { dlg.reject(); }));
        QCOMPARE(undo.count(), commands);
    }
};

QTEST_MAIN(NormalizeTest)
#include "normalize_test.moc"
