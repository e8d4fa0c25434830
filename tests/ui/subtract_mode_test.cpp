// "Subtract bgd" mode on the sample: entering shows the panel, the background runs and only
// the sample records of the curve kind with their assigned background; Assign and a line
// dropped on a grid row change the assignment; Subtract is one undoable command that Undo
// takes back byte for byte; leaving puts the grid back.
#include <QAction>
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
