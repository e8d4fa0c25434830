// The record grid on real files: fixed columns and labels, display texts, in-place editing
// through the entry conversions, keyboard use, and a file at the 32 767-record limit.
#include <QHeaderView>
#include <QLineEdit>
#include <QProcess>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include "editor/bin_data_grid.h"
#include "editor/large_sample.h"
#include "editor/main_window.h"
#include "editor/qt_settings_store.h"
#include "editor/scripted_prompts.h"
#include "record_store/bin_data_set.h"
#include "ui/sample_window_fixture.h"

class GridModelTest : public QObject, TSampleWindowFixture {
    Q_OBJECT

private:
    QString Path(const char* name) const { return tmp_->path() + QLatin1Char('/') + name; }
    TBinDataModel* Model() const { return form_->Grid()->Model(); }
    QModelIndex Cell(int row, const char* field) const {
        return Model()->index(row, Model()->ColumnOfField(QLatin1String(field)));
    }
    QStringList ShownHeaders() const {
        QStringList out;
        for (int c = 0; c < Model()->columnCount(); ++c)
            if (!form_->Grid()->isColumnHidden(c))
                out << Model()->headerData(c, Qt::Horizontal).toString();
        return out;
    }

private slots:
    void init() { QVERIFY(SetUp()); }
    void cleanup() { TearDown(); }

    void fixedColumnsOfEachView() {
        QVERIFY(form_->OpenFile(Path("S12.DAT")));
        QCOMPARE(ShownHeaders(), (QStringList{"Run",
                                              "Disk",
                                              "Device",
                                              "Info",
                                              "Nat TL",
                                              "TL run",
                                              "Single aliquot",
                                              "Before irrad",
                                              "Normalization",
                                              "Ramp",
                                              "OSL time",
                                              "OSL BGD",
                                              "Sample temp",
                                              "Bleach time",
                                              "Bleach filter",
                                              "Irradiation",
                                              "Normalization factor",
                                              "Shift",
                                              "Remark",
                                              "Points"}));
        QVERIFY(form_->Grid()->isColumnHidden(Model()->ColumnOfField("Dev#")));
        QVERIFY(form_->Grid()->isColumnHidden(Model()->ColumnOfField("Gamma rate")));
        QVERIFY(form_->OpenFile(Path("S12.SAD")));
        QCOMPARE(
            ShownHeaders(),
            (QStringList{"Run", "Disk", "Device", "Info", "Nat TL", "TL run", "DeviceNum",
                         "DeviceInfo", "Power", "OSL time", "OSL BGD", "Sample temp", "Irradiation",
                         "Preheat temperature", "Preheat time", "Remark", "NPT"}));
        QVERIFY(form_->OpenFile(Path("S12.DAS")));
        QCOMPARE(ShownHeaders().mid(0, 4), (QStringList{"Run", "Disk", "Hole#", "Device"}));
        QCOMPARE(ShownHeaders().last(), QStringLiteral("Points"));
        // Columns are wide enough for their header.
        for (int c = 0; c < Model()->columnCount(); ++c) {
            if (form_->Grid()->isColumnHidden(c)) continue;
            const QString h = Model()->headerData(c, Qt::Horizontal).toString();
            QVERIFY2(form_->Grid()->columnWidth(c) >=
                         form_->Grid()->horizontalHeader()->fontMetrics().horizontalAdvance(h),
                     qPrintable(h));
        }
    }

    void generalModeTitlesColumnsWithTheLayoutCaptions() {
        // The sample's OV_DAT.INI sits beside S12.DAT; "Sample run" and "Bad" are its captions.
        form_->SwitchMode();
        QVERIFY(form_->OpenFile(Path("S12.DAT")));
        QVERIFY(prompts_->dialogs.isEmpty());
        QVERIFY(prompts_->errors.isEmpty());
        auto title = [&](const char* field) {
            return Model()->headerData(Model()->ColumnOfField(QLatin1String(field)),
                                       Qt::Horizontal);
        };
        QCOMPARE(title("TL run").toString(), QStringLiteral("Sample run"));
        QCOMPARE(title("Second").toString(), QStringLiteral("Bad"));
        QCOMPARE(title("Run#").toString(), QStringLiteral("Run"));
        // A column is at least as wide as its title.
        const int column = Model()->ColumnOfField(QStringLiteral("TL run"));
        QVERIFY(form_->Grid()->columnWidth(column) >=
                form_->Grid()->horizontalHeader()->fontMetrics().horizontalAdvance(
                    QStringLiteral("Sample run")));
        const QByteArray dir = qgetenv("ORVANE_SCREENSHOTS");
        if (!dir.isEmpty()) form_->grab().save(QString::fromLocal8Bit(dir) + "/general_sample.png");
    }

    void inPlaceEditingUsesTheEntryConversions() {
        QVERIFY(form_->OpenFile(Path("S12.DAT")));
        TBinDataSet* view = form_->ShownView();
        view->Edit();
        view->SetAsInteger("Dev#", 2807);
        view->Post();
        form_->RefreshView();
        QCOMPARE(Model()->data(Cell(0, "Device")).toString(), QStringLiteral("IRSL"));
        QCOMPARE(Model()->data(Cell(0, "Dev#")).toString(), QStringLiteral("28"));
        QCOMPARE(Model()->data(Cell(0, "Dev#"), Qt::EditRole).toString(), QStringLiteral("28"));
        QVERIFY(Model()->setData(Cell(0, "Dev#"), QStringLiteral("21")));
        QCOMPARE(view->AsInteger("Dev#"), int64_t{2107});
        QCOMPARE(Model()->data(Cell(0, "Device")).toString(), QStringLiteral("OSL #1"));
        QVERIFY(!Model()->setData(Cell(0, "Dev#"), QStringLiteral("30")));  // ignored
        QCOMPARE(view->AsInteger("Dev#"), int64_t{2107});
        // Calculated columns and the run number cannot be edited.
        QVERIFY(!(Model()->flags(Cell(0, "Info")) & Qt::ItemIsEditable));
        QVERIFY(!(Model()->flags(Cell(0, "Run#")) & Qt::ItemIsEditable));
        QVERIFY(Model()->flags(Cell(0, "Disk#")) & Qt::ItemIsEditable);
        // A text that is no number reports and changes nothing.
        QVERIFY(!Model()->setData(Cell(1, "Disk#"), QStringLiteral("abc")));
        QCOMPARE(prompts_->errors.size(), 1);
        QVERIFY(prompts_->errors[0].contains(QStringLiteral("abc")));
    }

    void booleanDisplayTexts() {
        QVERIFY(form_->OpenFile(Path("S12.DAT")));
        const QString before = Model()->data(Cell(0, "Nat TL")).toString();
        QVERIFY(before == QStringLiteral("Yes") || before == QStringLiteral("No"));
        form_->SetBooleanDisplay(QStringLiteral("Ja;Nein"));
        QCOMPARE(Model()->data(Cell(0, "Nat TL")).toString(),
                 before == QStringLiteral("Yes") ? QStringLiteral("Ja") : QStringLiteral("Nein"));
        QVERIFY(Model()->setData(Cell(0, "Nat TL"), QStringLiteral("Nein")));
        QCOMPARE(Model()->data(Cell(0, "Nat TL")).toString(), QStringLiteral("Nein"));
    }

    void keyboardEditingInTheGrid() {
        QVERIFY(form_->OpenFile(Path("S12.DAT")));
        TBinDataGrid* grid = form_->Grid();
        form_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form_));
        grid->setFocus();
        grid->setCurrentIndex(Cell(0, "Remark"));
        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(form_->ShownView()->RecNo(), 2);
        QTest::keyClick(grid, Qt::Key_F2);
        QLineEdit* editor = nullptr;
        for (QLineEdit* e : grid->viewport()->findChildren<QLineEdit*>())
            if (e->isVisible()) editor = e;
        QVERIFY(editor);
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor, QStringLiteral("typed"));
        QCOMPARE(editor->text(), QStringLiteral("typed"));
        QTest::keyClick(editor, Qt::Key_Return);
        QApplication::processEvents();
        QCOMPARE(Model()->data(Cell(1, "Remark")).toString(), QStringLiteral("typed"));
        QVERIFY(form_->ShownView()->Modified());
    }

    void aFileAtTheRecordLimitOpensAndScrolls() {
        QVERIFY(WriteRepeatedRecords(Path("S12.DAT"), Path("BIG.DAT"), 213, 1584, 32767));
        QVERIFY(form_->OpenFile(Path("BIG.DAT")));
        QCOMPARE(Model()->rowCount(), 32767);
        TBinDataSet* view = form_->ShownView();
        QCOMPARE(view->RecNo(), 1);
        // Rows are read on demand and reading does not move the cursor.
        QCOMPARE(Model()->data(Cell(32766, "Disk#")).toString(),
                 Model()->data(Cell(32766 % 168, "Disk#")).toString());
        QCOMPARE(view->RecNo(), 1);
        form_->Grid()->scrollToBottom();
        QApplication::processEvents();
        form_->GoToRecord(32767);
        QCOMPARE(view->RecNo(), 32767);
        QCOMPARE(form_->Grid()->CurrentRow(), 32766);
        QVERIFY(form_->Grid()->verticalScrollBar()->value() > 0);
    }
};

QTEST_MAIN(GridModelTest)
#include "grid_model_test.moc"
