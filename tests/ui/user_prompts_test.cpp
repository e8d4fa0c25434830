// The file dialogs of the window's prompts, answered like a user: picking an existing file to
// save over asks whether to replace it; picking one to append to (a log) does not.
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "editor/user_prompts.h"

class UserPromptsTest : public QObject {
    Q_OBJECT

private slots:
    void anExistingFileIsReplacedOnlyAfterAskingUnlessAppendedTo() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString existing = dir.filePath(QStringLiteral("S12.lgf"));
        QFile file(existing);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("earlier block\r\n");
        file.close();

        struct Case {
            const char* name;
            bool append;
            bool asks;
        } cases[] = {{"save", false, true}, {"append", true, false}};
        for (const Case& c : cases) {
            TDialogPrompts prompts;
            bool asked = false;
            bool dialogSeen = false;
            // The user picks the existing file; a question that comes up is answered "Yes".
            // (A timer does not fire again while its slot runs: the question, shown from
            // within the dialog's accept, needs a timer of its own.)
            QTimer pick, question;
            for (QTimer* t : {&pick, &question}) t->setInterval(20);
            connect(&pick, &QTimer::timeout, this, [&] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                if (!dialog || dialogSeen) return;
                dialogSeen = true;
                dialog->selectFile(existing);
                QMetaObject::invokeMethod(dialog, "accept");  // the Save button
            });
            connect(&question, &QTimer::timeout, this, [&] {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                    asked = true;
                    box->button(QMessageBox::Yes)->click();
                }
            });
            pick.start();
            question.start();
            const QString title = QStringLiteral("Save solutions to file");
            const QString filter = QStringLiteral("Log files (*.lgf)|*.lgf");
            const QString chosen =
                c.append ? prompts.AppendFileName(nullptr, title, existing, filter, "lgf")
                         : prompts.SaveFileName(nullptr, title, existing, filter, "lgf");
            pick.stop();
            question.stop();
            QVERIFY2(dialogSeen, c.name);
            QCOMPARE(chosen, existing);
            QVERIFY2(asked == c.asks, c.name);
        }
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("earlier block\r\n"));  // dialogs write nothing
    }
};

QTEST_MAIN(UserPromptsTest)
#include "user_prompts_test.moc"
