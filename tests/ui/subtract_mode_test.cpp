// "Subtract bgd" mode on the sample: entering shows the panel, the background runs and only
// the sample records of the curve kind with their assigned background; Assign and a line
// dropped on a grid row change the assignment; Subtract is one undoable command that Undo
// takes back byte for byte; leaving puts the grid back. The OSL range typed by the user (in
// the user's locale) is kept while other records are picked, and the window's result
// equals `orvane-cli subtract` byte for byte, with the defaults and with a typed range; the
// curve kind cannot change while the mode is on.
#include <QAction>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QDropEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QUndoStack>
#include <QtTest>

#include "editor/bin_data_grid.h"
#include "editor/bin_data_model.h"
#include "editor/editor_document.h"
#include "editor/main_window.h"
#include "editor/mode_switcher.h"
#include "editor/subtract_mode.h"
#include "editor/subtract_panel.h"
#include "record_store/bin_data_set.h"
#include "record_store/field_value.h"
#include "ui/sample_window_fixture.h"

class SubtractModeTest : public QObject, TSampleWindowFixture {
    Q_OBJECT

private:
    QString Dat() const { return dir_ + QStringLiteral("/S12.DAT"); }
    TSubtractMode* Mode() const { return dynamic_cast<TSubtractMode*>(form_->Modes().Active()); }
    QString BackgroundShown(int row) const {
        const TBinDataModel* model = form_->Grid()->Model();
        return model->data(model->index(row, model->ColumnOfField(QStringLiteral("ShortInfo"))))
            .toString();
    }
    TSubtractPanel* Panel() const { return Mode()->SubtractPanel(); }
    QDoubleSpinBox* Box(const char* name) const {
        return Panel()->findChild<QDoubleSpinBox*>(QLatin1String(name));
    }
    // Types a number into a spin box as the user does: in the user's locale.
    static void Type(QDoubleSpinBox* box, double value) {
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, QLocale().toString(value, 'f', 2));
        QTest::keyClick(box, Qt::Key_Tab);
    }
    // The record files of two folders hold the same bytes.
    static void CompareFiles(const QString& a, const QString& b) {
        for (const QString name : {QStringLiteral("S12.DAT"), QStringLiteral("S12.SUB")}) {
            QFile fa(a + QLatin1Char('/') + name), fb(b + QLatin1Char('/') + name);
            QVERIFY(fa.open(QIODevice::ReadOnly) && fb.open(QIODevice::ReadOnly));
            QVERIFY2(fa.readAll() == fb.readAll(), qPrintable(name));
        }
    }
    std::vector<std::vector<uint8_t>> AllBytes() const {
        std::vector<std::vector<uint8_t>> bytes;
        const TBinDataSet* view = form_->Document().ShownView();
        for (int i = 0; i < view->RecordCount(); ++i) bytes.push_back(view->RecordAt(i).data);
        return bytes;
    }

private slots:
    void init() { QVERIFY(SetUp()); }
    void cleanup() { TearDown(); }

    void oslSubtractionWithAssignmentDropAndUndo() {
        QVERIFY(form_->OpenFile(Dat()));
        form_->Action(TActionId::CurvesOSL)->trigger();
        form_->Action(TActionId::ToolsSubtract)->trigger();
        TSubtractMode* mode = Mode();
        QVERIFY(mode);
        QVERIFY(prompts_->errors.isEmpty());
        QVERIFY(form_->Action(TActionId::ToolsSubtract)->isChecked());
        QCOMPARE(form_->findChild<QLabel*>(QStringLiteral("StatusMode"))->text(),
                 QStringLiteral("Halcyon files - subtracing backgrounds"));

        // Only OSL sample records, each with its background in the "Background" column.
        TBinDataSet* view = form_->Document().ShownView();
        const TBinDataModel* model = form_->Grid()->Model();
        const TBackgroundAssignment* assignment = mode->Assignment();
        QVERIFY(assignment && !assignment->ListLines().empty());
        QCOMPARE(model->rowCount(), static_cast<int>(assignment->Lookup().size()));
        QCOMPARE(
            model->headerData(model->ColumnOfField(QStringLiteral("ShortInfo")), Qt::Horizontal)
                .toString(),
            QStringLiteral("Background"));
        for (int row = 0; row < model->rowCount(); ++row) {
            const TBinRecord& r = view->RecordAt(model->RecordIndexOfRow(row));
            QCOMPARE(BackgroundShown(row).trimmed(),
                     QString::fromStdString(assignment->EntryFor(r.id)->label).trimmed());
        }
        TBackgroundList* list = mode->SubtractPanel()->BackgroundList();
        QCOMPARE(list->count(), static_cast<int>(assignment->ListLines().size()));

        // Assign the last background to the current record (row 0).
        form_->GoToRecord(1);
        const int last = list->count() - 1;
        list->setCurrentRow(last);
        mode->SubtractPanel()->findChild<QPushButton*>(QStringLiteral("AssignButton"))->click();
        QCOMPARE(BackgroundShown(0).trimmed(), list->item(last)->text().trimmed());

        // Drop the first background on row 1.
        QVERIFY(model->rowCount() > 1);
        QMimeData data;
        data.setData(QLatin1String(TBackgroundList::kMimeType), QByteArray::number(0));
        TBinDataGrid* grid = form_->Grid();
        const QPoint at = grid->visualRect(model->index(1, 0)).center();
        QVERIFY(grid->viewport()->acceptDrops());
        // As a drag does it: enter the grid, move over the row, drop.
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(grid->viewport(), &enter);
        QVERIFY(enter.isAccepted());
        QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(grid->viewport(), &move);
        QCOMPARE(grid->currentIndex().row(), 1);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(grid->viewport(), &drop);
        QCOMPARE(BackgroundShown(1).trimmed(), list->item(0)->text().trimmed());

        // Subtract all: one command, taken back exactly by Undo.
        const auto before = AllBytes();
        QUndoStack& undo = form_->Document().UndoStack();
        mode->SubtractPanel()->findChild<QPushButton*>(QStringLiteral("SubtractButton"))->click();
        QVERIFY(prompts_->errors.isEmpty());
        QCOMPARE(undo.undoText(),
                 QStringLiteral("Subtract backgrounds (%1 records)").arg(model->rowCount()));
        QVERIFY(AllBytes() != before);
        undo.undo();
        QVERIFY(AllBytes() == before);
        undo.redo();
        QVERIFY(AllBytes() != before);

        // Leaving shows every record again with the normal columns.
        form_->Action(TActionId::ToolsSubtract)->trigger();
        QVERIFY(!form_->Modes().Active());
        QVERIFY(!view->Filtered());
        QCOMPARE(form_->Grid()->Model()->rowCount(), view->RecordCount());
        QCOMPARE(form_->Grid()->Model()->ColumnOfField(QStringLiteral("ShortInfo")) >= 0 &&
                     form_->Grid()->Model()->headerData(
                         form_->Grid()->Model()->ColumnOfField(QStringLiteral("ShortInfo")),
                         Qt::Horizontal) == QStringLiteral("Background"),
                 false);
    }

    void typedOslRangeIsKeptAndTheWindowSubtractsAsTheCommandLine() {
        struct Case {
            const char* name;
            bool typeRange;
        };
        for (const Case c : {Case{"defaults", false}, Case{"typed", true}}) {
            const QString copy = CopySample(QString::fromLatin1(c.name));
            QVERIFY(form_->OpenFile(copy + QStringLiteral("/S12.DAT")));
            form_->Action(TActionId::CurvesOSL)->trigger();
            form_->Action(TActionId::ToolsSubtract)->trigger();
            QVERIFY(Mode());
            // The curve kind belongs to the mode while it is on.
            QVERIFY(!form_->Action(TActionId::CurvesTL)->isEnabled());
            QVERIFY(!form_->Action(TActionId::CurvesOSL)->isEnabled());
            // A record with a long shine-down (the short normalisation shines last 0.1 s).
            QDoubleSpinBox* from = Box("RangeFrom");
            QDoubleSpinBox* to = Box("RangeTo");
            for (int n = 1; n <= form_->Grid()->Model()->rowCount() && to->value() <= 1; ++n)
                form_->GoToRecord(n);
            const double total = to->value();
            QVERIFY(total > 1);
            QStringList cli = {QStringLiteral("subtract"), dir_ + QStringLiteral("/S12.DAT"),
                               QStringLiteral("--curves"), QStringLiteral("osl")};
            if (c.typeRange) {
                Type(from, 0.1);
                Type(to, total - 0.8);
                QCOMPARE(from->value(), 0.1);
                QCOMPARE(to->value(), total - 0.8);
                QVERIFY(Panel()->RangeEdited());
                // Picking other records keeps what was typed.
                form_->GoToRecord(3);
                form_->GoToRecord(2);
                QCOMPARE(from->value(), 0.1);
                QCOMPARE(to->value(), total - 0.8);
                // The command line reads its numbers with a point, whatever the locale.
                cli << QStringLiteral("--from") << QStringLiteral("0.10") << QStringLiteral("--to")
                    << QString::number(total - 0.8, 'f', 2);
            } else {
                QVERIFY(!Panel()->RangeEdited());
            }
            Panel()->findChild<QPushButton*>(QStringLiteral("SubtractButton"))->click();
            QVERIFY2(prompts_->errors.isEmpty(), qPrintable(prompts_->errors.join('\n')));
            QVERIFY(form_->SaveFile());
            form_->Action(TActionId::ToolsSubtract)->trigger();
            QVERIFY(form_->Action(TActionId::CurvesTL)->isEnabled());
            QVERIFY(form_->CloseFile());

            const QString reference = CopySample(QStringLiteral("cli-") + QLatin1String(c.name));
            cli[1] = reference + QStringLiteral("/S12.DAT");
            QVERIFY(RunCli(cli));
            CompareFiles(copy, reference);
        }
    }

    void averageOverAnEmptyRangeIsRefusedAndChangesNothing() {
        QVERIFY(form_->OpenFile(Dat()));
        form_->Action(TActionId::CurvesOSL)->trigger();
        form_->Action(TActionId::ToolsSubtract)->trigger();
        QVERIFY(Mode());
        Panel()->findChild<QComboBox*>(QStringLiteral("OptionList"))->setCurrentIndex(2);
        // A range that ends before it starts covers no channel.
        Type(Box("RangeTo"), 1);
        Type(Box("RangeFrom"), 5);
        const auto before = AllBytes();
        Panel()->findChild<QPushButton*>(QStringLiteral("SubtractButton"))->click();
        QCOMPARE(prompts_->errors, QStringList{QString::fromLatin1(kAverageRangeEmptyMessage)});
        QVERIFY(AllBytes() == before);
        QVERIFY(!form_->Document().UndoStack().canUndo());
    }

    void tlPanelFilterAndNoBackgroundMessage() {
        QVERIFY(form_->OpenFile(Dat()));
        form_->Action(TActionId::CurvesTL)->trigger();
        form_->Action(TActionId::ToolsSubtract)->trigger();
        TSubtractMode* mode = Mode();
        QVERIFY(mode);
        const TBinDataModel* model = form_->Grid()->Model();
        TBinDataSet* view = form_->Document().ShownView();
        for (int row = 0; row < model->rowCount(); ++row) {
            const int at = model->RecordIndexOfRow(row);
            QVERIFY(ValueAsBoolean(view->ValueAt(at, view->FieldIndex("TL run"))));
            QVERIFY(ValueAsInteger(view->ValueAt(at, view->FieldIndex("Dev#"))) < 1000);
        }
        QVERIFY(model->rowCount() > 0);
        QVERIFY(!mode->SubtractPanel()->findChild<QGroupBox*>()->title().isEmpty());
        QImage shot = form_->grab().toImage();
        QVERIFY(!shot.isNull());
        shot.save(dir_ + QStringLiteral("/subtract_mode.png"));
        if (qEnvironmentVariableIsSet("ORVANE_SHOTS"))
            shot.save(qEnvironmentVariable("ORVANE_SHOTS"));
    }
};

QTEST_MAIN(SubtractModeTest)
#include "subtract_mode_test.moc"
