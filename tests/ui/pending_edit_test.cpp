// Text typed into a field and not yet stored (no Enter, no focus change) is stored before a
// command saves, closes, opens another file, switches the mode or moves to another record:
// with the keyboard shortcuts, the close box and the navigator, on the generated sample.
#include <QLineEdit>
#include <QToolButton>
#include <QtTest>

#include "editor/main_window.h"
#include "editor/record_form.h"
#include "editor/record_navigator.h"
#include "record_store/bin_data_set.h"
#include "ui/sample_window_fixture.h"

class PendingEditTest : public QObject, TSampleWindowFixture {
    Q_OBJECT

private:
    QString Dat() const { return dir_ + QStringLiteral("/S12.DAT"); }
    QLineEdit* Remark() const { return form_->RecordForm()->EditOf(QStringLiteral("Remark")); }
    // Types into the Remark edit of record 1 without ending the edit.
    void TypeRemark(const QString& text) {
        QLineEdit* edit = Remark();
        QVERIFY(edit);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QCOMPARE(edit->text(), text);
    }
    // The Remark of record `position` as a fresh window reads it from the file.
    QString RemarkInFile(int position) {
        TScriptedPrompts prompts;
        TMainWindow other(*settings_, &prompts);
        if (!other.OpenFile(Dat())) return QStringLiteral("(not opened)");
        other.GoToRecord(position);
        return QString::fromStdString(other.ShownView()->AsString("Remark"));
    }

private slots:
    void init() {
        QVERIFY(SetUp());
        // Shortcuts reach only the active window.
        QVERIFY(QTest::qWaitForWindowActive(form_));
    }
    void cleanup() { TearDown(); }

    void saveAndCloseShortcutsStoreTheTypedText() {
        struct Case {
            const char* name;
            std::function<void(PendingEditTest&)> command;
        };
        const Case cases[] = {
            {"Ctrl+S",
             [](PendingEditTest& t) {
                 QTest::keyClick(t.Remark(), Qt::Key_S, Qt::ControlModifier);
             }},
            {"Ctrl+W, Yes to saving",
             [](PendingEditTest& t) {
                 t.prompts_->saveAnswers.push_back(TUserPrompts::TAnswer::Yes);
                 QTest::keyClick(t.Remark(), Qt::Key_W, Qt::ControlModifier);
                 QVERIFY(!t.form_->ShownView());
             }},
            {"Ctrl+O of another file, Yes to saving",
             [](PendingEditTest& t) {
                 t.prompts_->openNames.push_back(t.dir_ + QStringLiteral("/S12.SAD"));
                 t.prompts_->saveAnswers.push_back(TUserPrompts::TAnswer::Yes);
                 QTest::keyClick(t.Remark(), Qt::Key_O, Qt::ControlModifier);
                 QCOMPARE(t.form_->FileKind(), QStringLiteral("SAD"));
             }},
            {"close box, Yes to saving",
             [](PendingEditTest& t) {
                 t.prompts_->saveAnswers.push_back(TUserPrompts::TAnswer::Yes);
                 QVERIFY(t.form_->close());
             }},
            {"mode switch",
             [](PendingEditTest& t) {
                 t.form_->Action(TActionId::Halcyon)->trigger();
                 QVERIFY(t.form_->IsGeneralMode());
             }},
        };
        int n = 0;
        for (const Case& c : cases) {
            const QString typed = QStringLiteral("typed %1").arg(++n);
            QVERIFY(form_->OpenFile(Dat()));
            if (form_->IsGeneralMode()) form_->SwitchMode();
            form_->GoToRecord(1);
            TypeRemark(typed);
            c.command(*this);
            QVERIFY2(prompts_->errors.isEmpty(), qPrintable(prompts_->errors.join('\n')));
            if (form_->ShownView()) QVERIFY(form_->CloseFile());
            QCOMPARE(RemarkInFile(1), typed);
            if (!form_->isVisible()) {
                form_->show();
                QVERIFY(QTest::qWaitForWindowActive(form_));
            }
        }
    }

    void aTypedTextThatCannotBeStoredStopsTheSave() {
        QVERIFY(form_->OpenFile(Dat()));
        form_->GoToRecord(1);
        QLineEdit* date = form_->RecordForm()->EditOf(QStringLiteral("Irrad date"));
        QVERIFY(date);
        date->setFocus();
        date->selectAll();
        QTest::keyClicks(date, QStringLiteral("31 Febr"));
        QTest::keyClick(date, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(prompts_->errors,
                 QStringList{QStringLiteral("'31 Febr' is not a valid date value")});
        // Nothing was written: no backup was made.
        QVERIFY(!QFile::exists(dir_ + QStringLiteral("/S12.~DAT")));
    }

    void theNavigatorStoresTheTypedTextInTheRecordItLeaves() {
        QVERIFY(form_->OpenFile(Dat()));
        form_->GoToRecord(1);
        TypeRemark(QStringLiteral("left behind"));
        auto* navigator = form_->findChild<TRecordNavigator*>();
        QVERIFY(navigator);
        QToolButton* next = nullptr;
        for (QToolButton* b : navigator->findChildren<QToolButton*>())
            if (b->toolTip() == QStringLiteral("Next record")) next = b;
        QVERIFY(next);
        QTest::mouseClick(next, Qt::LeftButton);
        TBinDataSet* view = form_->ShownView();
        QCOMPARE(view->RecNo(), 2);
        QCOMPARE(ValueAsString(view->ValueAt(0, view->FieldByName("Remark").index)),
                 std::string("left behind"));
    }
};

QTEST_MAIN(PendingEditTest)
#include "pending_edit_test.moc"
