// The "System parameters" dialog on real widgets, with the sets kept in a real QSettings file
// in a temporary folder.
#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "editor/main_window.h"
#include "editor/qt_settings_store.h"
#include "editor/roi_commands.h"
#include "roi/roi_sets_dialog.h"

class RoiDialogTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;

    static QString Cell(QTableWidget* grid, int row, int column) {
        return grid->item(row, column) ? grid->item(row, column)->text() : QString();
    }
    static void SetCell(QTableWidget* grid, int row, int column, const QString& text) {
        grid->item(row, column)->setText(text);
    }
    static QVariant Stored(const QString& key) {
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
                           QStringLiteral("Halcyon Systems"), QStringLiteral("Orvane Editor"));
        return settings.value(key);
    }
    static void Screenshot(QWidget& w, const QString& name) {
        const QByteArray dir = qgetenv("ORVANE_SCREENSHOTS");
        if (!dir.isEmpty()) w.grab().save(QString::fromLocal8Bit(dir) + "/" + name);
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path());
    }

    void init() {
        TQtSettingsStore store;
        store.Native().clear();
        store.Native().sync();
    }

    void emptySettingsShowTheDefaultSetsAndClosingStoresThem() {
        TQtSettingsStore store;
        TROISets sets;
        TRoiSetsDlg dlg(sets, store);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("System parameters"));
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        Screenshot(dlg, "roi_dialog_tl.png");

        QTableWidget* tl = dlg.Grid(TROIKind::TL);
        QCOMPARE(dlg.SetList(TROIKind::TL)->count(), 1);
        QCOMPARE(dlg.SetList(TROIKind::TL)->item(0)->text(), QStringLiteral("Default ROIs"));
        QCOMPARE(Cell(tl, 0, 0), QStringLiteral("Average"));
        QCOMPARE(Cell(tl, 0, 1), QStringLiteral("200"));
        QCOMPARE(Cell(tl, 0, 2), QStringLiteral("500"));
        QCOMPARE(Cell(tl, 9, 0), QStringLiteral("ROI9"));
        QCOMPARE(Cell(tl, 9, 1), QString());
        QTableWidget* osl = dlg.Grid(TROIKind::OSL);
        QCOMPARE(Cell(osl, 0, 1), QStringLiteral("1"));
        QCOMPARE(Cell(osl, 0, 2), QStringLiteral("99"));
        QVERIFY(dlg.SaveButton(TROIKind::TL)->isEnabled());     // the defaults are unsaved
        QVERIFY(!dlg.DeleteButton(TROIKind::TL)->isEnabled());  // the first set stays
        QVERIFY(!Stored("TLROIs/Set0/ROI0").isValid());

        dlg.ShowPage(TROIKind::OSL);
        Screenshot(dlg, "roi_dialog_osl.png");
        dlg.CancelButton()->click();  // Cancel stores changed kinds too
        QCOMPARE(Stored("TLROIs/Set0/ROI0").toString(), QStringLiteral("200-500"));
        QCOMPARE(Stored("OSLROIs/Set0/ROI0").toString(), QStringLiteral("1-99"));
        QCOMPARE(Stored("TLROIs/Set0/ROI5").toString(), QStringLiteral("0-0"));
        QCOMPARE(Stored("TLROIs/LastSet").toInt(), 0);
        QCOMPARE(Stored("TLROIs/Set0").toString(), QStringLiteral("Default ROIs"));
        QCOMPARE(Stored("TLROIs").toString(),
                 QStringLiteral("List of ROI sets for TL computations"));
    }

    void aNewSetIsNamedAcceptedAndSaved() {
        TQtSettingsStore store;
        TROISets sets;
        {
            TRoiSetsDlg dlg(sets, store);
            dlg.show();
            dlg.NewButton(TROIKind::TL)->click();
            QVERIFY(dlg.NamingNewSet());
            QVERIFY(dlg.NewNameEdit(TROIKind::TL)->isVisible());
            QVERIFY(!dlg.SetList(TROIKind::TL)->isVisible());
            QCOMPARE(dlg.NewNameEdit(TROIKind::TL)->text(), QStringLiteral("New name"));
            for (TROIKind kind : {TROIKind::TL, TROIKind::OSL}) {
                QVERIFY(!dlg.NewButton(kind)->isEnabled());
                QVERIFY(!dlg.SaveButton(kind)->isEnabled());
                QVERIFY(!dlg.DeleteButton(kind)->isEnabled());
            }
            QVERIFY(!dlg.OkButton()->isEnabled());
            QVERIFY(!dlg.CancelButton()->isEnabled());
            Screenshot(dlg, "roi_dialog_naming.png");

            QTableWidget* grid = dlg.Grid(TROIKind::TL);
            QCOMPARE(Cell(grid, 0, 1), QStringLiteral("200"));
            QCOMPARE(Cell(grid, 0, 2), QStringLiteral("500"));
            QCOMPARE(Cell(grid, 3, 0), QStringLiteral("ROI3"));
            QCOMPARE(Cell(grid, 3, 1), QString());
            dlg.NewNameEdit(TROIKind::TL)->setText(QStringLiteral("Quartz"));
            SetCell(grid, 3, 1, QStringLiteral("250"));
            SetCell(grid, 3, 2, QStringLiteral("300"));
            SetCell(grid, 4, 1, QStringLiteral("abc"));
            SetCell(grid, 4, 2, QStringLiteral("20"));
            dlg.AcceptNewButton(TROIKind::TL)->click();

            QVERIFY(!dlg.NamingNewSet());
            QCOMPARE(dlg.SetList(TROIKind::TL)->count(), 2);
            QCOMPARE(dlg.SetList(TROIKind::TL)->currentRow(), 1);
            QVERIFY(dlg.DeleteButton(TROIKind::TL)->isEnabled());
            QCOMPARE(sets.CurrentTL()[3], (TROI{"ROI3", 250, 300}));
            QCOMPARE(sets.CurrentTL()[4], (TROI{"ROI4", 0, 20}));
            QCOMPARE(Cell(grid, 4, 1), QString());  // not set: empty cells
            dlg.SaveButton(TROIKind::TL)->click();
            QVERIFY(!dlg.SaveButton(TROIKind::TL)->isEnabled());
            QCOMPARE(Stored("TLROIs/Set1").toString(), QStringLiteral("Quartz"));
            QCOMPARE(Stored("TLROIs/Set1/ROI3").toString(), QStringLiteral("250-300"));
            QCOMPARE(Stored("TLROIs/LastSet").toInt(), 1);
            dlg.OkButton()->click();
        }
        TROISets again;
        TRoiSetsDlg dlg(again, store);
        dlg.show();
        QCOMPARE(dlg.SetList(TROIKind::TL)->currentItem()->text(), QStringLiteral("Quartz"));
        QCOMPARE(Cell(dlg.Grid(TROIKind::TL), 3, 1), QStringLiteral("250"));
        QCOMPARE(again.CurrentTL()[3].last, 300);
    }

    void cancelNewShowsTheCurrentSetAgain() {
        TQtSettingsStore store;
        TROISets sets;
        TRoiSetsDlg dlg(sets, store);
        dlg.show();
        dlg.ShowPage(TROIKind::OSL);
        dlg.NewButton(TROIKind::OSL)->click();
        SetCell(dlg.Grid(TROIKind::OSL), 0, 2, QStringLiteral("50"));
        dlg.CancelNewButton(TROIKind::OSL)->click();
        QVERIFY(dlg.SetList(TROIKind::OSL)->isVisible());
        QCOMPARE(Cell(dlg.Grid(TROIKind::OSL), 0, 2), QStringLiteral("99"));
        QCOMPARE(sets.Of(TROIKind::OSL).List().Count(), 1);
    }

    void editsAreLostWhenAnotherSetIsChosenBeforeSaving() {
        TQtSettingsStore store;
        TROISets sets;
        TRoiSetsDlg dlg(sets, store);
        dlg.show();
        dlg.NewButton(TROIKind::TL)->click();
        dlg.AcceptNewButton(TROIKind::TL)->click();
        dlg.SaveButton(TROIKind::TL)->click();
        QTableWidget* grid = dlg.Grid(TROIKind::TL);
        SetCell(grid, 0, 1, QStringLiteral("150"));
        QVERIFY(dlg.SaveButton(TROIKind::TL)->isEnabled());  // editing marks the kind changed
        dlg.SetList(TROIKind::TL)->setCurrentRow(0);
        dlg.SetList(TROIKind::TL)->setCurrentRow(1);
        QCOMPARE(Cell(grid, 0, 1), QStringLiteral("200"));
    }

    void aROIFromZeroShowsEmptyCellsAndReadsBackAsZero() {
        {
            QSettings s(QSettings::NativeFormat, QSettings::UserScope,
                        QStringLiteral("Halcyon Systems"), QStringLiteral("Orvane Editor"));
            s.setValue("TLROIs/Set0/ROI0", "200-500");
            s.setValue("TLROIs/Set0/ROI1", "0-50");
            s.setValue("TLROIs/Set0/ROI2", "x-300");
        }
        TQtSettingsStore store;
        TROISets sets;
        TRoiSetsDlg dlg(sets, store);
        dlg.show();
        QTableWidget* grid = dlg.Grid(TROIKind::TL);
        QCOMPARE(dlg.SetList(TROIKind::TL)->item(0)->text(), QStringLiteral("Set0"));
        QCOMPARE(Cell(grid, 1, 1), QString());
        QCOMPARE(Cell(grid, 1, 2), QString());
        QCOMPARE(Cell(grid, 2, 1), QString());  // a first part that is not an integer is 0
        SetCell(grid, 5, 1, QStringLiteral("300"));
        SetCell(grid, 5, 2, QStringLiteral("320"));
        dlg.SaveButton(TROIKind::TL)->click();
        QCOMPARE(Stored("TLROIs/Set0/ROI1").toString(), QStringLiteral("0-0"));
        QCOMPARE(Stored("TLROIs/Set0/ROI2").toString(), QStringLiteral("0-0"));
        QCOMPARE(Stored("TLROIs/Set0/ROI5").toString(), QStringLiteral("300-320"));
    }

    void deletingTheLastOfThreeMakesTheSecondCurrent() {
        TQtSettingsStore store;
        TROISets sets;
        TRoiSetsDlg dlg(sets, store);
        dlg.show();
        for (const char* name : {"B", "C"}) {
            dlg.NewButton(TROIKind::TL)->click();
            dlg.NewNameEdit(TROIKind::TL)->setText(QString::fromLatin1(name));
            dlg.AcceptNewButton(TROIKind::TL)->click();
        }
        QCOMPARE(dlg.SetList(TROIKind::TL)->currentRow(), 2);
        dlg.DeleteButton(TROIKind::TL)->click();
        QCOMPARE(dlg.SetList(TROIKind::TL)->count(), 2);
        QCOMPARE(dlg.SetList(TROIKind::TL)->currentItem()->text(), QStringLiteral("B"));
        dlg.SetList(TROIKind::TL)->setCurrentRow(0);
        QVERIFY(!dlg.DeleteButton(TROIKind::TL)->isEnabled());
        dlg.OkButton()->click();
        QCOMPARE(Stored("TLROIs/LastSet").toInt(), 0);
        QCOMPARE(Stored("TLROIs/Set1").toString(), QStringLiteral("B"));
        QVERIFY(!Stored("TLROIs/Set2").isValid());
    }

    void aFailedWriteIsReported() {
        TMemorySettingsStore store;
        store.SetReadOnly(true);
        TROISets sets;
        TRoiSetsDlg dlg(sets, store);
        QStringList reported;
        dlg.SetErrorReporter([&](const QString& m) { reported << m; });
        dlg.show();
        dlg.OkButton()->click();
        QCOMPARE(reported.size(), 2);  // both kinds held unsaved defaults
        QCOMPARE(reported[0], QString::fromLatin1(TRoiSetsDlg::kStoreFailedMessage));
        QVERIFY(sets.Of(TROIKind::TL).Changed());
    }

    void theMainWindowOpensTheDialogOnTheTLPageForROIs() {
        TQtSettingsStore store;
        TMainWindow form(store);
        TRoiSetsDlg* dlg = form.SystemParametersDialog();
        QVERIFY(dlg);
        auto* rois = form.findChild<QAction*>(QStringLiteral("ActionToolsROIs"));
        auto* sysPars = form.findChild<QAction*>(QStringLiteral("ActionToolsSysPars"));
        QVERIFY(sysPars->isEnabled());
        dlg->ShowPage(TROIKind::OSL);
        TROIKind shown = TROIKind::OSL;
        QTimer::singleShot(0, dlg, [&] {
            shown = dlg->CurrentPage();
            dlg->OkButton()->click();
        });
        rois->trigger();
        QCOMPARE(shown, TROIKind::TL);
        // Closing stored the default sets the settings lacked.
        QCOMPARE(Stored("OSLROIs/Set0/ROI0").toString(), QStringLiteral("1-99"));
        form.SwitchMode();
        QVERIFY(!sysPars->isEnabled());
        QVERIFY(!form.findChild<QAction*>(QStringLiteral("ActionFileParameters"))->isEnabled());
    }
};

QTEST_MAIN(RoiDialogTest)
#include "roi_dialog_test.moc"
