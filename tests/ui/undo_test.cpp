// Undo and redo of every kind of change to records, on the generated sample: each change is
// made through the window, undone (the records are then byte for byte as opened) and redone
// (byte for byte as changed); the Edit menu names the command; the modified flag follows the
// undo stack's clean state; Save marks it clean; closing the file clears the stack; the
// stack stays within its memory limit.
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QUndoStack>
#include <QtTest>
#include <functional>

#include "editor/bin_data_grid.h"
#include "editor/editor_document.h"
#include "editor/main_window.h"
#include "editor/record_form.h"
#include "editor/records_snapshot_command.h"
#include "editor/selection_controller.h"
#include "record_store/bin_data_set.h"
#include "record_store/curve_access.h"
#include "ui/sample_window_fixture.h"

namespace {

using TRecordBytes = std::vector<std::pair<int32_t, std::vector<uint8_t>>>;

// Every record's id with its main and sub bytes, in order.
TRecordBytes Snapshot(const TBinDataSet& view) {
    TRecordBytes records;
    const size_t dataEnd = static_cast<size_t>(view.MainSize() + view.SubSize());
    for (int i = 0; i < view.RecordCount(); ++i) {
        const TBinRecord& r = view.RecordAt(i);
        records.emplace_back(r.id, std::vector<uint8_t>(r.data.begin(), r.data.begin() + dataEnd));
    }
    return records;
}

}  // namespace

// The general form's edit switches to "General editor" first: that view holds the same
// records, so the snapshot taken in the DAT view stands for it.
Q_DECLARE_METATYPE(std::function<void(TMainWindow&)>)

class UndoTest : public QObject, TSampleWindowFixture {
    Q_OBJECT

private:
    using TChange = std::function<void(TMainWindow&)>;

    QString Path(const QString& name) const { return dir_ + QLatin1Char('/') + name; }
    static QByteArray Bytes(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QAction* Action(TActionId id) const { return form_->Action(id); }
    QUndoStack& Stack() const { return form_->Document().UndoStack(); }
    TBinDataSet& View() const { return *form_->ShownView(); }

    static void EditInGrid(TMainWindow& w) {
        TBinDataModel* m = w.Grid()->Model();
        QVERIFY(m->setData(m->index(3, m->ColumnOfField(QStringLiteral("Remark"))),
                           QStringLiteral("grid edit")));
    }
    static void EditInForm(TMainWindow& w) {
        w.GoToRecord(6);
        QVERIFY(w.RecordForm()->EnterText(QStringLiteral("Remark"), QStringLiteral("form edit")));
    }
    static void EditInGeneralForm(TMainWindow& w) {
        w.SwitchMode();
        QVERIFY(w.IsGeneralMode());
        w.GoToRecord(2);
        auto* edit = w.GeneralFormArea()->findChild<QLineEdit*>(QStringLiteral("dbeRemark"));
        QVERIFY(edit);
        edit->setText(QStringLiteral("general edit"));
        edit->setModified(true);
        emit edit->editingFinished();
    }
    static void PostToSelected(TMainWindow& w) {
        TSelectionController& s = w.SelectionController();
        s.ClickRowIndicator(1, Qt::NoModifier);
        s.ClickRowIndicator(4, Qt::ControlModifier);
        s.ClickRowIndicator(7, Qt::ControlModifier);
        QLineEdit* remark = w.RecordForm()->EditOf(QStringLiteral("Remark"));
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        remark->setFocus();
        remark->setText(QStringLiteral("posted"));
        s.UpdateActions();
        QVERIFY(w.Action(TActionId::SetAll)->isEnabled());
        w.Action(TActionId::SetAll)->trigger();
    }
    // Makes the sample's first OSL run one of device 20 and a normalisation run with a bleach
    // time, which "Duplicate dosing" clears, and saves that as the file's state.
    static void MarkNormalizationRun(TMainWindow& w) {
        TBinDataSet& view = *w.ShownView();
        bool found = false;
        for (bool more = view.FindFirst(); more && !found; more = view.FindNext()) {
            if (view.AsInteger("Dev#") / 100 != 21) continue;
            view.Edit();
            view.SetAsInteger("Dev#", 2000);
            view.SetAsBoolean("Normalization", true);
            view.SetAsFloat("Bleach time", 40.0);
            view.Post();
            found = true;
        }
        QVERIFY(found);
        QVERIFY(w.SaveFile());
    }
    static void DuplicateDosing(TMainWindow& w) {
        QVERIFY(w.Action(TActionId::ToolsDuplicateDosing)->isEnabled());
        w.Action(TActionId::ToolsDuplicateDosing)->trigger();
    }
    // What a curve tool does: one command over several records, each written and posted.
    static void CurveToolRun(TMainWindow& w) {
        TBinDataSet& view = *w.ShownView();
        const std::vector<int32_t> ids = {view.RecordAt(0).id, view.RecordAt(2).id,
                                          view.RecordAt(5).id};
        const TRecordsChange change(&w.Document(),
                                    QStringLiteral("Subtract backgrounds (3 records)"), ids);
        for (int32_t id : ids) {
            view.GotoBookmark(id);
            TFloatArray curve = ReadRawCurve(view);
            for (double& v : curve) v = v / 2 + 1;
            WriteSubtractedCurve(view, curve, 2.5, 0.75, 12.5);
        }
    }
    // Records inserted and deleted in one command.
    static void InsertAndDelete(TMainWindow& w) {
        TBinDataSet& view = *w.ShownView();
        const std::vector<int32_t> doomed = {view.RecordAt(0).id, view.RecordAt(4).id,
                                             view.RecordAt(view.RecordCount() - 1).id};
        const TRecordsChange change(&w.Document(), QStringLiteral("Delete records"), doomed);
        for (int32_t id : doomed) {
            view.GotoBookmark(id);
            view.Delete();
        }
        view.SetRecNo(3);
        view.Insert();
        view.SetAsInteger("Run#", 99);
        view.Post();
        view.Append();
        view.SetAsInteger("Run#", 98);
        view.Post();
    }

private slots:
    void init() { QVERIFY(SetUp()); }
    void cleanup() { TearDown(); }

    void undoAndRedoRestoreTheBytesExactly_data() {
        QTest::addColumn<TChange>("change");
        QTest::addColumn<QString>("undoText");
        QTest::addColumn<TChange>("prepare");  // the file's state before the change
        QTest::newRow("grid edit") << TChange(EditInGrid) << "Undo Edit Remark" << TChange();
        QTest::newRow("form edit") << TChange(EditInForm) << "Undo Edit Remark" << TChange();
        QTest::newRow("general form edit")
            << TChange(EditInGeneralForm) << "Undo Edit Remark" << TChange();
        QTest::newRow("post field to selected")
            << TChange(PostToSelected) << "Undo Post Remark to selected (3 records)" << TChange();
        QTest::newRow("duplicate dosing")
            << TChange(DuplicateDosing) << "Undo Duplicate dosing" << TChange(MarkNormalizationRun);
        QTest::newRow("curve tool")
            << TChange(CurveToolRun) << "Undo Subtract backgrounds (3 records)" << TChange();
        QTest::newRow("insert and delete")
            << TChange(InsertAndDelete) << "Undo Delete records" << TChange();
    }

    void undoAndRedoRestoreTheBytesExactly() {
        QFETCH(TChange, change);
        QFETCH(QString, undoText);
        QFETCH(TChange, prepare);
        QVERIFY(form_->OpenFile(Path("S12.DAT")));
        if (prepare) prepare(*form_);
        QVERIFY(!form_->Document().Modified());
        const TRecordBytes opened = Snapshot(View());
        QVERIFY(!Action(TActionId::EditUndo)->isEnabled());

        change(*form_);
        if (QTest::currentTestFailed()) return;
        const TRecordBytes changed = Snapshot(View());
        QVERIFY(changed != opened);
        QCOMPARE(Stack().count(), 1);
        QVERIFY(Action(TActionId::EditUndo)->isEnabled());
        QCOMPARE(Action(TActionId::EditUndo)->text(), undoText);
        QVERIFY(form_->Document().Modified());

        Action(TActionId::EditUndo)->trigger();
        QVERIFY(Snapshot(View()) == opened);
        QVERIFY(!form_->Document().Modified());
        QCOMPARE(Action(TActionId::EditRedo)->text(), QStringLiteral("Redo ") + undoText.mid(5));

        Action(TActionId::EditRedo)->trigger();
        QVERIFY(Snapshot(View()) == changed);
        QVERIFY(form_->Document().Modified());

        // Undone again, the file closes without a question and stays as it was.
        Action(TActionId::EditUndo)->trigger();
        const QByteArray dat = Bytes(Path("S12.DAT"));
        QVERIFY(form_->CloseFile());
        QCOMPARE(prompts_->saveQuestions, 0);
        QCOMPARE(Bytes(Path("S12.DAT")), dat);
        QVERIFY(QFile::exists(Path("S12.~DAT")) == bool(prepare));  // only the preparation saved
        QVERIFY(prompts_->errors.isEmpty());
    }

    void anUndoneChangeSavedWritesTheFileAsOpened() {
        const QByteArray dat = Bytes(Path("S12.DAT"));
        const QByteArray sub = Bytes(Path("S12.SUB"));
        QVERIFY(form_->OpenFile(Path("S12.DAT")));
        CurveToolRun(*form_);
        EditInGrid(*form_);
        QCOMPARE(Stack().count(), 2);
        Action(TActionId::EditUndo)->trigger();
        Action(TActionId::EditUndo)->trigger();
        QVERIFY(form_->SaveFile());
        QCOMPARE(Bytes(Path("S12.DAT")), dat);
        QCOMPARE(Bytes(Path("S12.SUB")), sub);
    }

    void theModifiedFlagFollowsTheCleanStateAndSaveMarksIt() {
        QVERIFY(form_->OpenFile(Path("S12.DAT")));
        EditInGrid(*form_);
        QVERIFY(form_->SaveFile());
        QVERIFY(!form_->Document().Modified());
        QVERIFY(Stack().isClean());
        // Undo past the save: the file differs from the records again.
        Action(TActionId::EditUndo)->trigger();
        QVERIFY(form_->Document().Modified());
        Action(TActionId::EditRedo)->trigger();
        QVERIFY(!form_->Document().Modified());
        // A new change after an undo drops the redo.
        Action(TActionId::EditUndo)->trigger();
        EditInForm(*form_);
        QVERIFY(!Action(TActionId::EditRedo)->isEnabled());
        QVERIFY(form_->Document().Modified());
        // Closing ("No": the changes are dropped) clears the stack.
        prompts_->saveAnswers = {TUserPrompts::TAnswer::No};
        QVERIFY(form_->CloseFile());
        QCOMPARE(Stack().count(), 0);
        QVERIFY(!Action(TActionId::EditUndo)->isEnabled());
    }

    void undoFollowsTheKeysAndShowsTheRecordsAgain() {
        QVERIFY(form_->OpenFile(Path("S12.DAT")));
        EditInGrid(*form_);
        const QString field = QStringLiteral("Remark");
        QCOMPARE(form_->Grid()->Model()->DisplayText(3, field), QStringLiteral("grid edit"));
        form_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form_));
        form_->Grid()->setFocus();
        QTest::keyClick(form_, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(Stack().index(), 0);
        QVERIFY(form_->Grid()->Model()->DisplayText(3, field) != QStringLiteral("grid edit"));
        QTest::keyClick(form_, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(Stack().index(), 1);
        QCOMPARE(form_->Grid()->Model()->DisplayText(3, field), QStringLiteral("grid edit"));
    }

    void undoStaysWithinItsMemoryLimit() {
        QVERIFY(form_->OpenFile(Path("S12.DAT")));
        TEditorDocument& document = form_->Document();
        auto* status = form_->findChild<QLabel*>(QStringLiteral("StatusTool"));
        QVERIFY(status);

        // A whole-file run copies every record twice: at the record limit it must fit.
        {
            TBinDataSet& view = View();
            const std::vector<int32_t> ids = AllRecordIds(view);
            const TRecordsChange change(&document, QStringLiteral("Whole file"), ids);
            for (int32_t id : ids) {
                view.GotoBookmark(id);
                view.Edit();
                view.SetAsInteger("Run#", view.AsInteger("Run#") + 1000);
                view.Post();
            }
        }
        const std::size_t wholeFile = document.UndoBytes();
        const double perRecord = double(wholeFile) / View().RecordCount();
        QVERIFY(perRecord >= 2.0 * (View().MainSize() + View().SubSize()));
        QVERIFY(32767 * perRecord <= double(TEditorDocument::kUndoMemoryLimit));
        Action(TActionId::EditUndo)->trigger();

        // Curve-tool runs over three records, each writing other values.
        int runs = 0;
        const auto toolRun = [&] {
            TBinDataSet& view = View();
            const std::vector<int32_t> ids = {view.RecordAt(0).id, view.RecordAt(2).id,
                                              view.RecordAt(5).id};
            const TRecordsChange change(&document, QStringLiteral("Tool run"), ids);
            ++runs;
            for (int32_t id : ids) {
                view.GotoBookmark(id);
                WriteSubtractedCurve(view, TFloatArray(50, runs), runs, 1.0, 0.0);
            }
        };
        // Room for two runs: a third drops the earlier ones, the file stays modified (the
        // state as opened cannot be reached any more) and the user is told.
        toolRun();
        const std::size_t one = document.UndoBytes();
        QVERIFY(one > 0);
        document.SetUndoMemoryLimit(2 * one + one / 2);
        toolRun();
        QCOMPARE(Stack().index(), 2);
        QVERIFY(status->text().isEmpty());
        const TRecordBytes afterTwo = Snapshot(View());
        toolRun();
        QCOMPARE(Stack().count(), 1);
        QCOMPARE(document.UndoBytes(), one);
        QVERIFY(status->text().contains(QStringLiteral("cannot be undone")));
        Action(TActionId::EditUndo)->trigger();
        QVERIFY(Snapshot(View()) == afterTwo);
        QVERIFY(document.Modified());
        QVERIFY(!Action(TActionId::EditUndo)->isEnabled());

        // A change larger than the whole limit is made but not kept.
        Action(TActionId::EditRedo)->trigger();
        document.SetUndoMemoryLimit(one / 2);
        status->clear();
        toolRun();
        QCOMPARE(Stack().count(), 0);
        QVERIFY(document.Modified());
        QVERIFY(status->text().contains(QStringLiteral("cannot be undone")));
    }
};

QTEST_MAIN(UndoTest)
#include "undo_test.moc"
