// "File type conversion" in the window: the reader's SAR file of the sample converted beside
// it with a dose rate typed under a comma-decimal locale, the result opened; an existing result
// replaced only after a Yes (the old one kept as backup); a damaged file shown with its record
// and byte offset and nothing left behind; a dose rate that is no number refused.
#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QtTest>

#include "editor/editor_document.h"
#include "record_store/bin_data_set.h"
#include "sample_window_fixture.h"

class ImportCommandTest : public QObject, TSampleWindowFixture {
    Q_OBJECT

private:
    QString Bin() const { return dir_ + QStringLiteral("/SAR12-reader.binx"); }
    QString Result() const { return dir_ + QStringLiteral("/SAR12-reader.DAT"); }
    void Convert(const QString& bin, const QString& rate) {
        prompts_->openNames.push_back(bin);
        prompts_->textAnswers.push_back(rate);
        QVERIFY(form_->OpenFile(dir_ + QStringLiteral("/S12.DAT")));  // the Tools menu needs a file
        QAction* convert = form_->Action(TActionId::ToolsConvert);
        QVERIFY(convert->isEnabled());
        convert->trigger();
    }

private slots:
    void init() {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QVERIFY(SetUp());
    }
    void cleanup() {
        TearDown();
        QLocale::setDefault(QLocale::c());
    }

    void convertsWithTheTypedDoseRateAndOpensTheResult() {
        Convert(Bin(), QStringLiteral("0,0835"));
        QVERIFY(prompts_->errors.isEmpty());
        QVERIFY(prompts_->warnings.isEmpty());  // the file gives its dose rate
        QCOMPARE(form_->Document().FileName(), Result());
        TBinDataSet* view = form_->Document().ShownView();
        QVERIFY(view != nullptr);
        QCOMPARE(view->RecordCount(), 429);
        QVERIFY(QFile::exists(dir_ + QStringLiteral("/SAR12-reader.SUB")));
    }

    void theSingleGrainFileTakesTheTypedRate() {
        Convert(dir_ + QStringLiteral("/SAR12G-reader.bin"), QStringLiteral("0,0835"));
        QVERIFY(prompts_->warnings.isEmpty());
        QCOMPARE(form_->Document().FileName(), dir_ + QStringLiteral("/SAR12G-reader.DAS"));
        TBinDataSet* view = form_->Document().ShownView();
        view->SetRecNo(25);  // the first regeneration of the first grain: 240 s of 0.0835 Gy/s
        QCOMPARE(view->AsFloat("Beta rate"), 0.0835);
        QCOMPARE(view->AsFloat("Beta time"), 240.0);
    }

    void anExistingResultIsReplacedOnlyAfterYes() {
        Convert(Bin(), QString());
        const QDateTime first = QFileInfo(Result()).lastModified();
        prompts_->confirmAnswers.push_back(false);
        Convert(Bin(), QString());
        QCOMPARE(prompts_->questions.size(), 1);
        QVERIFY(prompts_->questions.front().contains(QStringLiteral("exists already")));
        QVERIFY(!QFile::exists(dir_ + QStringLiteral("/SAR12-reader.~DAT")));
        QCOMPARE(QFileInfo(Result()).lastModified(), first);
        prompts_->confirmAnswers.push_back(true);
        Convert(Bin(), QString());
        QVERIFY(QFile::exists(dir_ + QStringLiteral("/SAR12-reader.~DAT")));
        QCOMPARE(form_->Document().FileName(), Result());
    }

    void aDamagedFileShowsWhereAndLeavesNothing() {
        QFile in(Bin());
        QVERIFY(in.open(QIODevice::ReadOnly));
        const QByteArray bytes = in.read(3 * 1447 + 100);
        const QString cut = dir_ + QStringLiteral("/cut.binx");
        QFile out(cut);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(bytes);
        out.close();
        Convert(cut, QString());
        QCOMPARE(prompts_->errors.size(), 1);
        QVERIFY2(prompts_->errors.front().contains(QStringLiteral("record 4 at byte 4341")),
                 qPrintable(prompts_->errors.front()));
        QVERIFY(!QFile::exists(dir_ + QStringLiteral("/cut.DAT")));
        QVERIFY(!QFile::exists(dir_ + QStringLiteral("/cut.SUB")));
    }

    void aDoseRateThatIsNoNumberIsRefused() {
        Convert(Bin(), QStringLiteral("0.08.35"));
        QCOMPARE(prompts_->errors.size(), 1);
        QVERIFY(prompts_->errors.front().contains(QStringLiteral("is not a dose rate")));
        QVERIFY(!QFile::exists(Result()));
    }
};

QTEST_MAIN(ImportCommandTest)
#include "import_command_test.moc"
