// "Restore from backup" in the main window: enabled only with a backup, asks first, swaps
// the files with their backups, reopens the file with an empty undo stack; restoring again
// brings the newer files back. On the generated sample in a temporary folder.
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QtTest>

#include "editor/editor_document.h"
#include "editor/main_window.h"
#include "editor/record_form.h"
#include "record_store/bin_data_set.h"
#include "ui/sample_window_fixture.h"

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class RestoreBackupTest : public QObject, TSampleWindowFixture {
    Q_OBJECT

private:
    QString File(const char* name) const { return dir_ + QLatin1Char('/') + QLatin1String(name); }
    QAction* Restore() const { return form_->Action(TActionId::FileRestore); }
    std::string Remark() const { return form_->ShownView()->AsString("Remark"); }
    QString ExpectedQuestion() const {
        const QDateTime when = QFileInfo(File("S12.~DAT")).lastModified();
        const QLocale locale;
        return QStringLiteral("Replace S12.DAT with its backup of %1 %2?")
            .arg(locale.toString(when.date(), QLocale::ShortFormat),
                 locale.toString(when.time(), QLocale::LongFormat));
    }

private slots:
    void init() { QVERIFY(SetUp()); }
    void cleanup() { TearDown(); }

    void restoreSwapsWithTheBackupAndRestoringAgainSwapsBack() {
        QVERIFY(form_->OpenFile(File("S12.DAT")));
        QVERIFY(!Restore()->isEnabled());  // the sample has no backup yet
        form_->GoToRecord(3);
        const std::string original = Remark();
        QVERIFY(form_->RecordForm()->EnterText(QStringLiteral("Remark"), QStringLiteral("newer")));
        QVERIFY(form_->SaveFile());
        QVERIFY(Restore()->isEnabled());
        const QByteArray newerDat = ReadAll(File("S12.DAT"));
        const QByteArray newerSub = ReadAll(File("S12.SUB"));
        const QByteArray olderDat = ReadAll(File("S12.~DAT"));
        const QByteArray olderSub = ReadAll(File("S12.~SUB"));
        QVERIFY(newerDat != olderDat);

        // No: nothing changes.
        Restore()->trigger();
        QCOMPARE(prompts_->questions, QStringList{ExpectedQuestion()});
        QCOMPARE(ReadAll(File("S12.DAT")), newerDat);
        QCOMPARE(Remark(), std::string("newer"));

        // Yes: the files swap places and the file is shown again as restored.
        form_->RecordForm()->EnterText(QStringLiteral("Remark"), QStringLiteral("not saved"));
        QVERIFY(form_->Document().UndoStack().count() > 0);
        prompts_->confirmAnswers.push_back(true);
        Restore()->trigger();
        QVERIFY2(prompts_->errors.isEmpty(), qPrintable(prompts_->errors.join('\n')));
        QCOMPARE(ReadAll(File("S12.DAT")), olderDat);
        QCOMPARE(ReadAll(File("S12.SUB")), olderSub);
        QCOMPARE(ReadAll(File("S12.~DAT")), newerDat);
        QCOMPARE(ReadAll(File("S12.~SUB")), newerSub);
        QVERIFY(form_->ShownView());
        QCOMPARE(form_->FileName(), QFileInfo(File("S12.DAT")).absoluteFilePath());
        QCOMPARE(form_->Document().UndoStack().count(), 0);
        QVERIFY(!form_->Document().Modified());
        form_->GoToRecord(3);
        QCOMPARE(Remark(), original);

        // Restoring again brings the newer files back.
        prompts_->confirmAnswers.push_back(true);
        Restore()->trigger();
        QCOMPARE(ReadAll(File("S12.DAT")), newerDat);
        QCOMPARE(ReadAll(File("S12.SUB")), newerSub);
        QCOMPARE(ReadAll(File("S12.~DAT")), olderDat);
        QCOMPARE(ReadAll(File("S12.~SUB")), olderSub);
        form_->GoToRecord(3);
        QCOMPARE(Remark(), std::string("newer"));
    }

    void aBackupThatCannotBeRestoredIsReportedAndTheFileStaysAsItWas() {
        QVERIFY(form_->OpenFile(File("S12.DAT")));
        QVERIFY(form_->SaveFile());
        const QByteArray current = ReadAll(File("S12.DAT"));
        QFile cut(File("S12.~DAT"));
        QVERIFY(cut.open(QIODevice::WriteOnly | QIODevice::Truncate));
        cut.write("short");
        cut.close();
        prompts_->confirmAnswers.push_back(true);
        Restore()->trigger();
        QCOMPARE(prompts_->errors.size(), 1);
        QVERIFY2(prompts_->errors[0].startsWith(QStringLiteral("Error restoring data file: ")),
                 qPrintable(prompts_->errors[0]));
        QCOMPARE(ReadAll(File("S12.DAT")), current);
        QVERIFY(form_->ShownView());
        QCOMPARE(form_->ShownView()->RecordCount(), 168);
    }
};

QTEST_MAIN(RestoreBackupTest)
#include "restore_backup_test.moc"
