// "Compute age" on a real dialog offscreen: an age from typed inputs, the inputs kept beside
// the data file and read back, the equivalent dose from the growth-curve hook, refusals
// shown instead of a result, and the report saved as text and CSV.
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

#include "analysis/age_dialog.h"

class AgeDialogTest : public QObject {
    Q_OBJECT

private:
    template <typename T>
    static T* Find(const TAgeDialog& dialog, const char* name) {
        T* widget = dialog.findChild<T*>(QLatin1String(name));
        if (widget == nullptr) qFatal("no widget %s", name);
        return widget;
    }
    static void Type(const TAgeDialog& dialog, const char* name, double value) {
        auto* box = Find<QDoubleSpinBox>(dialog, name);
        box->selectAll();
        QTest::keyClicks(box, QString::number(value, 'f', box->decimals())
                                  .replace('.', box->locale().decimalPoint()));
        QTest::keyClick(box, Qt::Key_Tab);
        QCOMPARE(box->value(), value);
    }
    // The sand of the issue: K 1.2 +- 0.05 %, U 2.5 +- 0.1 ppm, Th 9.0 +- 0.4 ppm, typed
    // cosmic 0.2 Gy/ka, De 42 +- 2 Gy, no grain size.
    static void TypeSand(TAgeDialog& dialog) {
        Find<QGroupBox>(dialog, "grainBox")->setChecked(false);
        Type(dialog, "deEdit", 42);
        Type(dialog, "deErrorEdit", 2);
        Type(dialog, "kEdit", 1.2);
        Type(dialog, "kErrorEdit", 0.05);
        Type(dialog, "uEdit", 2.5);
        Type(dialog, "uErrorEdit", 0.1);
        Type(dialog, "thEdit", 9.0);
        Type(dialog, "thErrorEdit", 0.4);
        Find<QComboBox>(dialog, "cosmicCombo")->setCurrentIndex(2);
        Type(dialog, "cosmicEdit", 0.2);
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void computesTheAgeFromTypedInputs() {
        QTemporaryDir dir;
        const QString data = dir.filePath("S12.DAT");
        TAgeDialog dialog(data);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        TypeSand(dialog);
        QTest::mouseClick(Find<QPushButton>(dialog, "computeButton"), Qt::LeftButton);
        QVERIFY(dialog.HasResult());
        // Guérin et al. (2011), dry, worked by hand: beta 1.57139, gamma 1.00902, cosmic 0.2.
        const double rate = 1.57139 + 1.00902 + 0.2;
        QVERIFY(std::abs(dialog.Result().DoseRate.Total.Value - rate) < 1e-9);
        QVERIFY(std::abs(dialog.Result().Age - 42 / rate) < 1e-9);
        const QString label = Find<QLabel>(dialog, "ageLabel")->text();
        QVERIFY2(label.contains(QStringLiteral("15.11 ± ")), qPrintable(label));
        QVERIFY(label.contains(QStringLiteral("random")) && label.contains("systematic"));
        const QString report = Find<QPlainTextEdit>(dialog, "reportView")->toPlainText();
        QVERIFY(report.contains(QStringLiteral("Total dose rate: 2.78 ± ")));
        QVERIFY(report.contains(QStringLiteral("Guérin et al. (2011)")));

        QImage shot = dialog.grab().toImage();
        QVERIFY(!shot.isNull());
        shot.save(qEnvironmentVariable("ORVANE_SCREENSHOT_DIR", dir.path()) +
                  QStringLiteral("/age_dialog.png"));

        // The inputs are kept beside the data file and come back in a new dialog.
        QVERIFY(QFile::exists(dir.filePath("S12.age.json")));
        TAgeDialog again(data);
        QCOMPARE(Find<QDoubleSpinBox>(again, "thEdit")->value(), 9.0);
        QCOMPARE(Find<QDoubleSpinBox>(again, "deEdit")->value(), 42.0);
        QCOMPARE(Find<QComboBox>(again, "cosmicCombo")->currentIndex(), 2);
        QVERIFY(again.Compute());
        QCOMPARE(again.Result().Age, dialog.Result().Age);
    }

    void aChangedInputsFileKeepsThePreviousAsBackup() {
        QTemporaryDir dir;
        const QString data = dir.filePath("S12.DAT");
        QFile broken(dir.filePath("S12.age.json"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("{\"k\": 1.2, oops");
        broken.close();
        TAgeDialog dialog(data);
        QVERIFY(Find<QLabel>(dialog, "statusLabel")->text().contains("not valid JSON"));
        TypeSand(dialog);
        QVERIFY(dialog.Compute());
        QFile backup(dir.filePath("S12.age.~json"));
        QVERIFY(backup.open(QIODevice::ReadOnly));
        QCOMPARE(backup.readAll(), QByteArray("{\"k\": 1.2, oops"));
    }

    void refusedInputsShowTheMessageAndNoAge() {
        QTemporaryDir dir;
        TAgeDialog dialog(dir.filePath("S12.DAT"));
        TypeSand(dialog);
        Find<QGroupBox>(dialog, "grainBox")->setChecked(true);
        Type(dialog, "grainMinEdit", 250);
        Type(dialog, "grainMaxEdit", 180);
        QVERIFY(!dialog.Compute());
        QVERIFY(!dialog.HasResult());
        QVERIFY(Find<QLabel>(dialog, "statusLabel")->text().contains("'grain_size'"));
        QVERIFY(Find<QPlainTextEdit>(dialog, "reportView")->toPlainText().isEmpty());
        QString error;
        QVERIFY(!dialog.SaveReport(dir.filePath("r.txt"), error));
        QVERIFY(!QFile::exists(dir.filePath("r.txt")));
    }

    void equivalentDoseFromTheGrowthCurveHook() {
        QTemporaryDir dir;
        TAgeDialog dialog(dir.filePath("S12.DAT"));
        auto* button = Find<QPushButton>(dialog, "fromGrowthButton");
        QVERIFY(!button->isEnabled());
        bool solved = false;
        dialog.SetEquivalentDoseSource([&](double& dose, double& error) {
            dose = 37.5;
            error = 1.25;
            return solved;
        });
        QVERIFY(button->isEnabled());
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(Find<QLabel>(dialog, "statusLabel")->text().contains("no solution"));
        solved = true;
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(Find<QDoubleSpinBox>(dialog, "deEdit")->value(), 37.5);
        QCOMPARE(Find<QDoubleSpinBox>(dialog, "deErrorEdit")->value(), 1.25);
    }

    void helpButtonAsksForTheHelpPage() {
        TAgeDialog dialog{QString()};
        QSignalSpy spy(&dialog, &TAgeDialog::helpRequested);
        auto* box = dialog.findChild<QDialogButtonBox*>();
        QVERIFY(box != nullptr);
        QTest::mouseClick(box->button(QDialogButtonBox::Help), Qt::LeftButton);
        QCOMPARE(spy.count(), 1);
    }

    void reportIsCopiedAndSavedAsTextAndCsv() {
        QTemporaryDir dir;
        TAgeDialog dialog(dir.filePath("S12.DAT"));
        TypeSand(dialog);
        QVERIFY(dialog.Compute());
        QTest::mouseClick(Find<QPushButton>(dialog, "copyButton"), Qt::LeftButton);
        QCOMPARE(QGuiApplication::clipboard()->text(), dialog.ReportText());

        QString error;
        QVERIFY2(dialog.SaveReport(dir.filePath("age.csv"), error), qPrintable(error));
        QFile csv(dir.filePath("age.csv"));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = csv.readAll().split('\n');
        QCOMPARE(lines.first(), QByteArray("quantity,value,error,unit"));
        bool ageRow = false;
        for (const QByteArray& line : lines) {
            if (!line.startsWith("Age,")) continue;
            const QList<QByteArray> fields = line.split(',');
            QCOMPARE(fields.size(), 4);
            QVERIFY(std::abs(fields[1].toDouble() - dialog.Result().Age) < 1e-8);
            QVERIFY(std::abs(fields[2].toDouble() - dialog.Result().ErrorTotal) < 1e-8);
            ageRow = true;
        }
        QVERIFY(ageRow);
        QVERIFY(dialog.SaveReport(dir.filePath("age.txt"), error));
        QFile text(dir.filePath("age.txt"));
        QVERIFY(text.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(text.readAll()), dialog.ReportText());
    }
};

QTEST_MAIN(AgeDialogTest)
#include "age_dialog_test.moc"
