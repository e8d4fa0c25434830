// The dialogs "Deglitching curve data" and "Select fields for conversion" on real widgets.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QtTest>

#include "tools/ascii_export_dialog.h"
#include "tools/deglitch_dialog.h"

class CurveToolDialogsTest : public QObject {
    Q_OBJECT

private:
    static void Screenshot(QWidget& w, const QString& name) {
        const QByteArray dir = qgetenv("ORVANE_SCREENSHOTS");
        if (!dir.isEmpty()) w.grab().save(QString::fromLocal8Bit(dir) + "/" + name);
    }
    static QStringList Texts(QListWidget* list) {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
        return texts;
    }
    static QRadioButton* Radio(QWidget& w, const QString& text) {
        for (QRadioButton* b : w.findChildren<QRadioButton*>())
            if (b->text() == text) return b;
        return nullptr;
    }
    static void Select(QListWidget* list, const QStringList& names) {
        list->clearSelection();
        for (int i = 0; i < list->count(); ++i) {
            if (names.contains(list->item(i)->text())) {
                list->setCurrentRow(i, QItemSelectionModel::Select);
            }
        }
    }

private slots:
    void deglitchDialogFollowsTheViewAndKeepsTheCurveChoice() {
        TSmoothRangeDlg dlg;
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Deglitching curve data"));
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        Screenshot(dlg, "deglitch_dialog.png");
        auto* from = dlg.findChild<QSpinBox*>(QStringLiteral("From"));
        auto* to = dlg.findChild<QSpinBox*>(QStringLiteral("To"));
        QVERIFY(from && to);
        // TL: 200 to 500 degC, subtracted curves chosen at start.
        QCOMPARE(from->value(), 200);
        QCOMPARE(to->value(), 500);
        QCOMPARE(from->maximum(), 500);
        TDeglitchSettings s = dlg.Settings();
        QVERIFY(s.tlView);
        QCOMPARE(s.curve, TDeglitchCurve::Subtracted);
        QVERIFY(dlg.findChildren<QLabel*>().size() > 0);
        bool caption = false;
        for (QLabel* l : dlg.findChildren<QLabel*>()) caption |= l->text() == "TL data range";
        QVERIFY(caption);

        // The user picks the raw curves and a range; OSL view next time: channels 1 to 99,
        // the curve choice kept.
        Radio(dlg, QStringLiteral("raw curve(s)"))->setChecked(true);
        from->setValue(250);
        dlg.SetView(false);
        QCOMPARE(from->value(), 1);
        QCOMPARE(to->value(), 99);
        QCOMPARE(from->maximum(), 99);
        s = dlg.Settings();
        QVERIFY(!s.tlView);
        QCOMPARE(s.curve, TDeglitchCurve::Raw);
        int units = 0;
        for (QLabel* l : dlg.findChildren<QLabel*>()) units += l->text() == "channel";
        QCOMPARE(units, 2);
    }

    void asciiDialogMovesFieldsKeepingGridOrder() {
        TConvASCIIDlg dlg;
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Select fields for conversion"));
        dlg.FillFields({{"Run#", 0}, {"Disk#", 1}, {"Device", 2}, {"Raw data", 5}, {"NPT", 7}});
        QListWidget* all = dlg.AllFieldsList();
        QListWidget* chosen = dlg.AsciiFieldsList();
        auto* add = dlg.findChild<QPushButton*>(QStringLiteral("AddButton"));
        auto* remove = dlg.findChild<QPushButton*>(QStringLiteral("RemoveButton"));
        auto* up = dlg.findChild<QPushButton*>(QStringLiteral("UpButton"));
        auto* down = dlg.findChild<QPushButton*>(QStringLiteral("DownButton"));
        QVERIFY(add && remove && up && down);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QVERIFY(!add->isEnabled());
        QVERIFY(!remove->isEnabled());

        // Add three fields at once: they go to the end in list order.
        Select(all, {"NPT", "Run#", "Raw data"});
        QVERIFY(add->isEnabled());
        QTest::mouseClick(add, Qt::LeftButton);
        QCOMPARE(Texts(chosen), (QStringList{"Run#", "Raw data", "NPT"}));
        QCOMPARE(Texts(all), (QStringList{"Disk#", "Device"}));

        // Move "NPT" up to the middle; the first item cannot go further up.
        chosen->setCurrentRow(2);
        QVERIFY(up->isEnabled());
        QVERIFY(!down->isEnabled());
        QTest::mouseClick(up, Qt::LeftButton);
        QCOMPARE(Texts(chosen), (QStringList{"Run#", "NPT", "Raw data"}));
        chosen->setCurrentRow(0);
        QVERIFY(!up->isEnabled());

        // Remove "Run#": it goes back before "Disk#" (grid order); "NPT", now first, is selected.
        QTest::mouseClick(remove, Qt::LeftButton);
        QCOMPARE(Texts(all), (QStringList{"Run#", "Disk#", "Device"}));
        QCOMPARE(chosen->currentItem()->text(), QStringLiteral("NPT"));
        // Removing the last item selects the new last one.
        chosen->setCurrentRow(1);
        QTest::mouseClick(remove, Qt::LeftButton);
        QCOMPARE(Texts(all), (QStringList{"Run#", "Disk#", "Device", "Raw data"}));
        QCOMPARE(chosen->currentItem()->text(), QStringLiteral("NPT"));
        Screenshot(dlg, "ascii_dialog.png");

        // Delimiter, arrangement and ROI integration as chosen.
        auto* delimiter = dlg.findChild<QComboBox*>(QStringLiteral("Delimiter"));
        QCOMPARE(delimiter->currentText(), QStringLiteral(","));
        delimiter->setCurrentText(QStringLiteral("TAB"));
        Radio(dlg, QStringLiteral("in rows"))->setChecked(true);
        dlg.findChild<QCheckBox*>(QStringLiteral("IntegrateROIs"))->setChecked(true);
        const TAsciiExportSettings s = dlg.Settings();
        QCOMPARE(s.items, (std::vector<std::string>{"NPT"}));
        QCOMPARE(s.delimiter, std::string("TAB"));
        QCOMPARE(s.arrange, TArrangeRecords::Rows);
        QVERIFY(s.integrateROIs);

        // The same fields offered again leave the lists as the user left them.
        dlg.FillFields({{"Run#", 0}, {"Disk#", 1}, {"Device", 2}, {"Raw data", 5}, {"NPT", 7}});
        QCOMPARE(Texts(all), (QStringList{"Run#", "Disk#", "Device", "Raw data"}));
        QCOMPARE(Texts(chosen), (QStringList{"NPT"}));
        // Another file's fields: what it has stays chosen, the rest of its fields is offered.
        dlg.FillFields({{"NPT", 0}, {"Other", 1}});
        QCOMPARE(Texts(chosen), (QStringList{"NPT"}));
        QCOMPARE(Texts(all), (QStringList{"Other"}));
        dlg.FillFields({{"Other", 0}});
        QCOMPARE(Texts(chosen), QStringList());
        QCOMPARE(Texts(all), (QStringList{"Other"}));
    }
};

QTEST_MAIN(CurveToolDialogsTest)
#include "curve_tool_dialogs_test.moc"
