// File commands of the main window on real files: open, save, save as, close, exit, the
// mode switch, their questions and backups, and files that do not open.
#include <QAction>
#include <QFile>
#include <QMenu>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "editor/bin_data_grid.h"
#include "editor/main_window.h"
#include "editor/qt_settings_store.h"
#include "editor/record_form.h"
#include "editor/scripted_prompts.h"
#include "record_store/bin_data_set.h"
#include "ui/sample_window_fixture.h"

using TAnswer = TUserPrompts::TAnswer;

class MainWindowFilesTest : public QObject, TSampleWindowFixture {
    Q_OBJECT

private:
    QString Path(const QString& name) const { return dir_ + QLatin1Char('/') + name; }
    static QByteArray Bytes(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QAction* Action(const char* name) const {
        return form_->findChild<QAction*>(QLatin1String(name));
    }
    // Changes "Remark" of the record in grid row `row` through the grid's model.
    bool EditRemark(int row, const QString& text) {
        TBinDataModel* m = form_->Grid()->Model();
        return m->setData(m->index(row, m->ColumnOfField(QStringLiteral("Remark"))), text);
    }
    QString Remark(int row) const {
        return form_->Grid()->Model()->DisplayText(row, QStringLiteral("Remark"));
    }

private slots:
    void init() { QVERIFY(SetUp()); }
    void cleanup() { TearDown(); }

    void opensAFileIntoTheMakersView() {
        QSignalSpy opened(form_, &TMainWindow::viewOpened);
        QVERIFY(form_->OpenFile(Path("S12.DAT")));
        QCOMPARE(opened.count(), 1);
        QCOMPARE(form_->ShownViewKind(), TMainWindow::TShownView::Dat);
        QCOMPARE(form_->FileLabelText(), QStringLiteral("File open: S12.DAT"));
        QCOMPARE(form_->FileKind(), QStringLiteral("DAT"));
        QCOMPARE(form_->Grid()->Model()->rowCount(), 168);
        QCOMPARE(form_->ShownView()->RecNo(), 1);
        QCOMPARE(QString::fromStdString(settings_->ReadString("", "Data files directory").value()),
                 QDir::toNativeSeparators(QFileInfo(dir_).absoluteFilePath()));
        QVERIFY(Action("ActionFileClose")->isEnabled());
        QVERIFY(Action("ActionFileSave")->isEnabled());
        QVERIFY(prompts_->errors.isEmpty());
    }

    void openCommandAsksWithTitleFilterAndDirectory() {
        settings_->WriteString("", "Data files directory", dir_.toStdString());
        prompts_->openNames.push_back(Path("S12.SAD"));
        Action("ActionFileOpen")->trigger();
        QCOMPARE(prompts_->dialogs.size(), 1);
        QCOMPARE(prompts_->dialogs[0].title, QStringLiteral("Open data file"));
        QCOMPARE(prompts_->dialogs[0].directory, dir_);
        QCOMPARE(prompts_->dialogs[0].filter,
                 QStringLiteral("Halcyon files (*.dat;*.sad)|*.dat;*.sad|Single grain files "
                                "(*.das)|*.das|All files (*.*)|*.*"));
        QCOMPARE(form_->ShownViewKind(), TMainWindow::TShownView::Sad);
        // A cancelled dialog changes nothing.
        Action("ActionFileOpen")->trigger();
        QCOMPARE(form_->ShownViewKind(), TMainWindow::TShownView::Sad);
    }

    void schemaComesFromTheDataDirectoryWhenSet() {
        const QString schemas = Path("schemas");
        QDir().mkpath(schemas);
        QVERIFY(QFile::rename(Path("DAT.sch"), schemas + QStringLiteral("/DAT.sch")));
        QVERIFY(!form_->OpenFile(Path("S12.DAT")));  // no schema beside the file
        QCOMPARE(prompts_->errors.size(), 1);
        settings_->WriteString("", "Data directory", schemas.toStdString());  // no separator
        QCOMPARE(form_->DataDirectory(), schemas.toStdString() + "/");
        QVERIFY(form_->OpenFile(Path("S12.DAT")));
        QCOMPARE(form_->Grid()->Model()->rowCount(), 168);
    }

    void badFilesShowTheOpenErrorAndNoFile() {
        QFile f(Path("S12.DAT"));
        QVERIFY(f.open(QIODevice::Append));
        f.write("xyz", 3);  // a record cut short
        f.close();
        QVERIFY(!form_->OpenFile(Path("S12.DAT")));
        QCOMPARE(prompts_->errors.size(), 1);
        QVERIFY(prompts_->errors[0].startsWith(QStringLiteral("Error opening data file: ")));
        QVERIFY(prompts_->errors[0].contains(QStringLiteral("S12.DAT")));
        QVERIFY(form_->FileName().isEmpty());
        QVERIFY(!form_->ShownView());
        QVERIFY(!Action("ActionFileClose")->isEnabled());
        QVERIFY(!Action("ActionFileSave")->isEnabled());
        // Empty and missing files too.
        QFile empty(Path("E.DAT"));
        QVERIFY(empty.open(QIODevice::WriteOnly));
        empty.close();
        QVERIFY(!form_->OpenFile(Path("E.DAT")));
        QVERIFY(!form_->OpenFile(Path("missing.DAT")));
        QCOMPARE(prompts_->errors.size(), 3);
        // The window still opens a good file afterwards.
        QVERIFY(form_->OpenFile(Path("S12.SAD")));
    }

    void closeAsksAndHonoursCancelNoAndYes() {
        const QByteArray before = Bytes(Path("S12.DAT"));
        QVERIFY(form_->OpenFile(Path("S12.DAT")));
        QVERIFY(EditRemark(2, QStringLiteral("changed")));
        QVERIFY(form_->ShownView()->Modified());

        prompts_->saveAnswers = {TAnswer::Cancel};
        Action("ActionFileClose")->trigger();
        QCOMPARE(prompts_->saveQuestions, 1);
        QVERIFY(form_->ShownView());
        QCOMPARE(Remark(2), QStringLiteral("changed"));

        prompts_->saveAnswers = {TAnswer::No};
        Action("ActionFileClose")->trigger();
        QVERIFY(!form_->ShownView());
        QVERIFY(form_->FileName().isEmpty());
        QCOMPARE(Bytes(Path("S12.DAT")), before);
        QVERIFY(!QFile::exists(Path("S12.~DAT")));

        QVERIFY(form_->OpenFile(Path("S12.DAT")));
        QVERIFY(EditRemark(2, QStringLiteral("kept")));
        prompts_->saveAnswers = {TAnswer::Yes};
        QVERIFY(form_->CloseFile());
        QCOMPARE(Bytes(Path("S12.~DAT")), before);
        QVERIFY(QFile::exists(Path("S12.~SUB")));
        QVERIFY(form_->OpenFile(Path("S12.DAT")));
        QCOMPARE(Remark(2), QStringLiteral("kept"));
        QCOMPARE(prompts_->saveQuestions, 3);
    }

    void anUnchangedFileClosesWithoutAQuestion() {
        QVERIFY(form_->OpenFile(Path("S12.DAT")));
        QVERIFY(form_->CloseFile());
        QCOMPARE(prompts_->saveQuestions, 0);
        QVERIFY(!QFile::exists(Path("S12.~DAT")));
    }

    void openingASecondFileCancelledKeepsTheFirst() {
        QVERIFY(form_->OpenFile(Path("S12.DAT")));
        QVERIFY(EditRemark(0, QStringLiteral("pending")));
        prompts_->saveAnswers = {TAnswer::Cancel};
        QVERIFY(!form_->OpenFile(Path("S12.SAD")));
        QCOMPARE(form_->ShownViewKind(), TMainWindow::TShownView::Dat);
        QCOMPARE(Remark(0), QStringLiteral("pending"));
        QVERIFY(form_->ShownView()->Modified());
    }

    void saveWritesWithBackupsAndKeepsTheViewOpen() {
        const QByteArray dat = Bytes(Path("S12.DAT"));
        const QByteArray sub = Bytes(Path("S12.SUB"));
        QVERIFY(form_->OpenFile(Path("S12.DAT")));
        form_->GoToRecord(5);
        QVERIFY(EditRemark(4, QStringLiteral("saved remark")));
        Action("ActionFileSave")->trigger();
        QVERIFY(prompts_->errors.isEmpty());
        QCOMPARE(Bytes(Path("S12.~DAT")), dat);
        QCOMPARE(Bytes(Path("S12.~SUB")), sub);
        QVERIFY(Bytes(Path("S12.DAT")) != dat);
        QVERIFY(form_->ShownView());
        QVERIFY(!form_->ShownView()->Modified());
        QCOMPARE(form_->ShownView()->RecNo(), 5);
        QVERIFY(form_->CloseFile());
        QCOMPARE(prompts_->saveQuestions, 0);
    }

    void saveAsWritesTheNewFilesAndLaterSavesGoThere() {
        const QByteArray old = Bytes(Path("S12.DAT"));
        QVERIFY(form_->OpenFile(Path("S12.DAT")));
        QVERIFY(EditRemark(0, QStringLiteral("new file")));
        prompts_->saveNames.push_back(Path("new.dat"));
        Action("ActionFileSaveAs")->trigger();
        QCOMPARE(prompts_->dialogs.size(), 1);
        QCOMPARE(prompts_->dialogs[0].title, QStringLiteral("Save data file as..."));
        QCOMPARE(prompts_->dialogs[0].directory, Path("S12.DAT"));
        QCOMPARE(prompts_->dialogs[0].defaultSuffix, QStringLiteral("DAT"));
        QVERIFY(QFile::exists(Path("new.dat")));
        QVERIFY(QFile::exists(Path("new.SUB")));
        QCOMPARE(Bytes(Path("S12.DAT")), old);
        QCOMPARE(form_->FileLabelText(), QStringLiteral("File open: new.dat"));
        QCOMPARE(form_->FileName(), Path("new.dat"));
        QVERIFY(EditRemark(1, QStringLiteral("second save")));
        QVERIFY(form_->SaveFile());
        QVERIFY(QFile::exists(Path("new.~dat")));
        QCOMPARE(Bytes(Path("S12.DAT")), old);
        QVERIFY(!QFile::exists(Path("S12.~DAT")));
    }

    void modeSwitchWritesChangesWithoutAskingAndReopens() {
        const QByteArray before = Bytes(Path("S12.DAT"));
        QSignalSpy modes(form_, &TMainWindow::modeChanged);
        QSignalSpy closing(form_, &TMainWindow::viewClosing);
        QVERIFY(form_->OpenFile(Path("S12.DAT")));
        QCOMPARE(Action("ActionHalcyon")->text(), QStringLiteral("General editor"));
        QVERIFY(EditRemark(3, QStringLiteral("via mode switch")));
        Action("ActionHalcyon")->trigger();
        QCOMPARE(prompts_->saveQuestions, 0);
        QCOMPARE(modes.count(), 1);
        QCOMPARE(closing.count(), 1);
        QVERIFY(form_->IsGeneralMode());
        QCOMPARE(Action("ActionHalcyon")->text(), QStringLiteral("Halcyon files"));
        QCOMPARE(form_->ShownViewKind(), TMainWindow::TShownView::General);
        QCOMPARE(Bytes(Path("S12.~DAT")), before);
        QVERIFY(QFile::exists(Path("S12.~SUB")));
        QCOMPARE(Remark(3), QStringLiteral("via mode switch"));
        // "Utilities", "Compute" and "Age computation" work only in Halcyon mode.
        QVERIFY(!form_->findChild<QMenu*>("ComputeMenu")->menuAction()->isEnabled());
        QVERIFY(!form_->findChild<QMenu*>("UtilitiesMenu")->menuAction()->isEnabled());
        QVERIFY(form_->findChild<QMenu*>("ToolsMenu")->menuAction()->isEnabled());
        // The general grid shows every schema field.
        QCOMPARE(form_->Grid()->Model()->columnCount(), form_->ShownView()->FieldCount());
        QCOMPARE(form_->ShownView()->RecNo(), 1);
        Action("ActionHalcyon")->trigger();
        QCOMPARE(form_->ShownViewKind(), TMainWindow::TShownView::Dat);
        QCOMPARE(form_->Grid()->Model()->headerData(0, Qt::Horizontal).toString(),
                 QStringLiteral("Run"));
        QVERIFY(form_->findChild<QMenu*>("ComputeMenu")->menuAction()->isEnabled());
        QVERIFY(form_->findChild<QMenu*>("AgeMenu")->menuAction()->isEnabled());
    }

    void otherKindsShowNothingInHalcyonModeAndOpenInGeneralMode() {
        QVERIFY(QFile::copy(Path("S12.DAT"), Path("S12.XYZ")));
        QVERIFY(QFile::copy(Path("DAT.sch"), Path("XYZ.sch")));
        QVERIFY(form_->OpenFile(Path("S12.XYZ")));
        QCOMPARE(form_->ShownViewKind(), TMainWindow::TShownView::None);
        QVERIFY(!form_->ShownView());
        QCOMPARE(form_->Grid()->Model()->rowCount(), 0);
        QVERIFY(Action("ActionFileClose")->isEnabled());
        QVERIFY(!Action("ActionFileSave")->isEnabled());  // nothing to save
        QVERIFY(!Action("ActionFileSaveAs")->isEnabled());
        Action("ActionFileSave")->trigger();  // does nothing, does not crash
        form_->SwitchMode();
        QCOMPARE(form_->ShownViewKind(), TMainWindow::TShownView::General);
        QCOMPARE(form_->Grid()->Model()->rowCount(), 168);
    }

    void dasFilesComeBackToTheDasView() {
        QVERIFY(form_->OpenFile(Path("S12.DAS")));
        QCOMPARE(form_->ShownViewKind(), TMainWindow::TShownView::Das);
        form_->SwitchMode();
        QCOMPARE(form_->ShownViewKind(), TMainWindow::TShownView::General);
        form_->SwitchMode();
        QCOMPARE(form_->ShownViewKind(), TMainWindow::TShownView::Das);
    }

    void aFailedSaveWhileClosingKeepsTheFileOpenWithItsChanges() {
        QVERIFY(form_->OpenFile(Path("S12.DAT")));
        QSignalSpy closing(form_, &TMainWindow::viewClosing);
        QVERIFY(EditRemark(0, QStringLiteral("unsaved")));
        form_->GoToRecord(7);
        // A backup that cannot be removed: a folder of that name with a file in it.
        QVERIFY(QDir().mkpath(Path("S12.~DAT/inside")));
        for (int step = 0; step < 3; ++step) {
            prompts_->errors.clear();
            prompts_->saveAnswers = {TAnswer::Yes};
            switch (step) {
                case 0:
                    QVERIFY(!form_->CloseFile());
                    break;
                case 1:
                    QVERIFY(!form_->OpenFile(Path("S12.SAD")));
                    break;
                case 2:
                    QVERIFY(!form_->PrepareExit());
                    break;
            }
            QCOMPARE(prompts_->errors.size(), 1);
            QVERIFY2(prompts_->errors[0].startsWith(QStringLiteral("Error saving data to file: ")),
                     qPrintable(prompts_->errors[0]));
            QVERIFY(form_->ShownView());
            QVERIFY(form_->ShownView()->Modified());
            QCOMPARE(form_->ShownViewKind(), TMainWindow::TShownView::Dat);
            QCOMPARE(Remark(0), QStringLiteral("unsaved"));
            QCOMPARE(form_->ShownView()->RecNo(), 7);  // the user stays where they were
            QCOMPARE(closing.count(), 0);
        }
        // The mode switch saves without asking; when that fails the mode stays.
        prompts_->errors.clear();
        form_->SwitchMode();
        QCOMPARE(prompts_->errors.size(), 1);
        QVERIFY(!form_->IsGeneralMode());
        QCOMPARE(form_->ShownViewKind(), TMainWindow::TShownView::Dat);
        QVERIFY(form_->ShownView()->Modified());
        // Once the obstacle is gone the changes are saved.
        QVERIFY(QDir(Path("S12.~DAT")).removeRecursively());
        prompts_->saveAnswers = {TAnswer::Yes};
        QVERIFY(form_->CloseFile());
        QVERIFY(QFile::exists(Path("S12.~DAT")));
    }

    void exitAnsweredNoLeavesTheFileAsItWas() {
        const QByteArray before = Bytes(Path("S12.DAT"));
        QVERIFY(form_->OpenFile(Path("S12.DAT")));
        QVERIFY(EditRemark(0, QStringLiteral("dropped")));
        prompts_->saveAnswers = {TAnswer::No};
        Action("ActionFileExit")->trigger();
        QVERIFY(!form_->isVisible());
        QCOMPARE(Bytes(Path("S12.DAT")), before);
        QVERIFY(!QFile::exists(Path("S12.~DAT")));
    }

    void theCloseBoxAsksAsExitDoes() {
        QVERIFY(form_->OpenFile(Path("S12.DAT")));
        QVERIFY(EditRemark(0, QStringLiteral("close box")));
        prompts_->saveAnswers = {TAnswer::Cancel};
        QVERIFY(!form_->close());
        QCOMPARE(prompts_->saveQuestions, 1);
        QVERIFY(form_->isVisible());
        QVERIFY(form_->ShownView());
        prompts_->saveAnswers = {TAnswer::Yes};
        QVERIFY(form_->close());
        QCOMPARE(prompts_->saveQuestions, 2);
        QVERIFY(QFile::exists(Path("S12.~DAT")));
    }
};

QTEST_MAIN(MainWindowFilesTest)
#include "main_window_files_test.moc"
