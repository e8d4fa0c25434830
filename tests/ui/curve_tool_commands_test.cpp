// "Deglitch data" and "ASCII conversion" from the Tools menu on the sample: a spike planted in
// a TL glow curve is repaired by one undoable run and comes back with Undo; the export appends
// the chosen fields to the record file's .ascii file. A tool run while "Subtract bgd" is on
// reports beside the mode's status, and the export offers the file's fields, not the mode's
// columns.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QTimer>
#include <QUndoStack>
#include <QtTest>
#include <functional>

#include "editor/editor_actions.h"
#include "editor/editor_document.h"
#include "editor/main_window.h"
#include "editor/mode_switcher.h"
#include "record_store/bin_data_set.h"
#include "record_store/curve_access.h"
#include "tools/ascii_export_dialog.h"
#include "tools/deglitch_dialog.h"
#include "ui/sample_window_fixture.h"

class CurveToolCommandsTest : public QObject, TSampleWindowFixture {
    Q_OBJECT

private:
    QString Dat() const { return dir_ + QStringLiteral("/S12.DAT"); }

    // Runs `handle` on the modal dialog the command opens, then triggers the command.
    template <typename Dialog>
    bool TriggerWith(TActionId id, const std::function<void(Dialog&)>& handle) {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
                seen = true;
                handle(*dialog);
            }
        });
        form_->Action(id)->trigger();
        return seen;
    }

    // Goes to the first TL record whose raw glow curve reaches 300 degC; its located curve.
    bool FindTLRecord(TLocatedCurve& curve) {
        TBinDataSet* view = form_->Document().ShownView();
        for (int n = 1; n <= view->RecordCount(); ++n) {
            form_->GoToRecord(n);
            curve = LocateCurve(*view, form_->Document().CurveFields(), TCurveChoice::First);
            if (curve.isTL && curve.spacing == 5 && curve.count > 70) return true;
        }
        return false;
    }

private slots:
    void init() { QVERIFY(SetUp()); }
    void cleanup() { TearDown(); }

    void deglitchRepairsASpikeAsOneUndoableRun() {
        QVERIFY(form_->OpenFile(Dat()));
        TBinDataSet* view = form_->Document().ShownView();
        TLocatedCurve curve;
        QVERIFY(FindTLRecord(curve));
        // A spike at 305 degC (index 60): a local maximum far beyond its neighbours' noise.
        TFloatArray values = ReadCurveSequence(*view, curve);
        const double c = values[59], d = values[61];
        const double spike = 3 * std::max(c, d) + 1000;
        values[60] = spike;
        WriteCurveSequence(*view, curve, values);
        QUndoStack& undo = form_->Document().UndoStack();
        const int commands = undo.count();

        QVERIFY(form_->Action(TActionId::ToolsDeglitch)->isEnabled());
        QVERIFY(TriggerWith<TSmoothRangeDlg>(TActionId::ToolsDeglitch, [](TSmoothRangeDlg& dlg) {
            for (auto* radio : dlg.findChildren<QRadioButton*>())
                if (radio->text() == QStringLiteral("raw curve(s)")) radio->click();
            dlg.accept();
        }));
        values = ReadCurveSequence(*view, curve);
        QVERIFY(std::abs(values[60] - (c + d) / 2) <= 0.5);
        QCOMPARE(undo.count(), commands + 1);
        QCOMPARE(undo.undoText(), QStringLiteral("Deglitch curves (1 record)"));

        undo.undo();
        QCOMPARE(ReadCurveSequence(*view, curve)[60], spike);
        undo.redo();
        QVERIFY(std::abs(ReadCurveSequence(*view, curve)[60] - (c + d) / 2) <= 0.5);

        // Cancel changes nothing and records nothing.
        QVERIFY(TriggerWith<TSmoothRangeDlg>(TActionId::ToolsDeglitch,
                                             [](TSmoothRangeDlg& dlg) { dlg.reject(); }));
        QCOMPARE(undo.count(), commands + 1);
    }

    void asciiConversionAppendsTheChosenFields() {
        QVERIFY(form_->OpenFile(Dat()));
        form_->GoToRecord(1);
        const QString run = QString::number(form_->Document().ShownView()->AsInteger("Run#"));
        auto choose = [](TConvASCIIDlg& dlg) {
            for (QListWidgetItem* item :
                 dlg.AllFieldsList()->findItems(QStringLiteral("Run#"), Qt::MatchExactly))
                item->setSelected(true);
            dlg.AddSelected();
            dlg.accept();
        };
        QVERIFY(TriggerWith<TConvASCIIDlg>(TActionId::ToolsASCII, choose));
        // A second export appends; the dialog keeps its choice.
        QVERIFY(TriggerWith<TConvASCIIDlg>(TActionId::ToolsASCII,
                                           [](TConvASCIIDlg& dlg) { dlg.accept(); }));
        QFile file(dir_ + QStringLiteral("/S12.ascii"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        QCOMPARE(text, QStringLiteral("Run#,%1\nRun#,%1\n").arg(run));
    }

    void toolsWhileSubtractingReportBesideTheModeAndExportTheFilesFields() {
        QVERIFY(form_->OpenFile(Dat()));
        form_->GoToRecord(1);
        // The fields the file's grid shows without a mode.
        QStringList fileFields;
        QVERIFY(TriggerWith<TConvASCIIDlg>(TActionId::ToolsASCII, [&](TConvASCIIDlg& dlg) {
            for (int i = 0; i < dlg.AllFieldsList()->count(); ++i)
                fileFields << dlg.AllFieldsList()->item(i)->text();
            dlg.reject();
        }));
        QVERIFY(fileFields.size() > 7);

        form_->Action(TActionId::CurvesOSL)->trigger();
        form_->Action(TActionId::ToolsSubtract)->trigger();
        QVERIFY(form_->Modes().Active());
        auto* mode = form_->findChild<QLabel*>(QStringLiteral("StatusMode"));
        auto* tool = form_->findChild<QLabel*>(QStringLiteral("StatusTool"));
        QVERIFY(mode && tool);
        const QString modeText = mode->text();
        QVERIFY(modeText.endsWith(QStringLiteral(" - subtracing backgrounds")));
        QVERIFY(TriggerWith<TSmoothRangeDlg>(TActionId::ToolsDeglitch,
                                             [](TSmoothRangeDlg& dlg) { dlg.accept(); }));
        QVERIFY(tool->text().startsWith(QStringLiteral("Deglitched 1 record")));
        QCOMPARE(mode->text(), modeText);

        // While the mode shows its seven columns, the dialog still offers the file's fields.
        QStringList offered;
        QVERIFY(TriggerWith<TConvASCIIDlg>(TActionId::ToolsASCII, [&](TConvASCIIDlg& dlg) {
            for (int i = 0; i < dlg.AllFieldsList()->count(); ++i)
                offered << dlg.AllFieldsList()->item(i)->text();
            dlg.reject();
        }));
        QCOMPARE(offered, fileFields);
    }
};

QTEST_MAIN(CurveToolCommandsTest)
#include "curve_tool_commands_test.moc"
