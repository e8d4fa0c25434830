// "Compute age" on a real dialog offscreen: an age from typed inputs, the inputs kept beside
// the data file and read back (and nothing written when closed without computing), the
// equivalent dose from the growth-curve hook in Gy or refused, refusals shown instead of a
// result, water typed in per cent, measured dose rates, the report saved as text and CSV,
// numbers typed and shown under a comma-decimal locale, the dose of the last dose model ("From
// dose model") and the fading-corrected age after the age.
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

#include "analysis/age_dialog.h"
#include "analysis/age_report.h"

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
        const QString shown =
            QString::fromStdString(FormatMeasured(dialog.Result().Age, dialog.Result().ErrorTotal))
                .replace('.', QLocale().decimalPoint());
        QVERIFY2(label.contains(QStringLiteral("Age: ") + shown + QStringLiteral(" ka")),
                 qPrintable(label));
        QVERIFY(shown.startsWith(QStringLiteral("15")));
        QVERIFY(label.contains(QStringLiteral("random")) && label.contains("systematic"));
        const QString report = Find<QPlainTextEdit>(dialog, "reportView")->toPlainText();
        QVERIFY2(report.contains(QStringLiteral("Total dose rate: 2.78 ± ")), qPrintable(report));
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
        std::string unit = "Gy";
        double given = 37.5;
        dialog.SetEquivalentDoseSource([&](double& dose, double& error, std::string& u) {
            dose = given;
            error = 1.25;
            u = unit;
            return solved;
        });
        QVERIFY(button->isEnabled());
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(Find<QLabel>(dialog, "statusLabel")->text().contains("no solution"));
        solved = true;
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(Find<QDoubleSpinBox>(dialog, "deEdit")->value(), 37.5);
        QCOMPARE(Find<QDoubleSpinBox>(dialog, "deErrorEdit")->value(), 1.25);
        QVERIFY(dialog.Extras().DeSource.find("growth curve") != std::string::npos);
        // A dose in mGy is converted; one in seconds is refused and the typed dose stays.
        unit = "mGy";
        given = 42500;
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(Find<QDoubleSpinBox>(dialog, "deEdit")->value(), 42.5);
        QVERIFY(dialog.Extras().DeSource.find("converted from mGy") != std::string::npos);
        unit = "s";
        Type(dialog, "deEdit", 40);
        QCOMPARE(dialog.Extras().DeSource, std::string("typed"));
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(Find<QDoubleSpinBox>(dialog, "deEdit")->value(), 40.0);
        QVERIFY(Find<QLabel>(dialog, "statusLabel")->text().contains("not in Gy"));
    }

    void closingWithoutComputingWritesNothing() {
        QTemporaryDir dir;
        TAgeDialog dialog(dir.filePath("S12.DAT"));
        dialog.show();
        TypeSand(dialog);
        dialog.reject();
        QVERIFY(!QFile::exists(dir.filePath("S12.age.json")));
    }

    // Typing 15 means 15 % of the dry mass; the inputs file keeps the fraction.
    void waterIsTypedInPerCent() {
        TAgeDialog dialog{QString()};
        TypeSand(dialog);
        Type(dialog, "waterEdit", 15);
        Type(dialog, "waterErrorEdit", 5);
        QCOMPARE(dialog.Inputs().Water.Value, 0.15);
        QCOMPARE(dialog.Inputs().Water.Error, 0.05);
        TDoseRateInputs in = dialog.Inputs();
        in.Water = {0.1, 0.02};
        dialog.SetInputs(in, TAgeFileExtras{});
        QCOMPARE(Find<QDoubleSpinBox>(dialog, "waterEdit")->value(), 10.0);
        QCOMPARE(Find<QDoubleSpinBox>(dialog, "waterErrorEdit")->value(), 2.0);
    }

    // Pairs of value and uncertainty read "±"; no field pair reads "to".
    void pairsReadPlusMinusAndMeasuredRatesAreUsed() {
        TAgeDialog dialog{QString()};
        for (const QLabel* label : dialog.findChildren<QLabel*>()) {
            QVERIFY2(label->text() != QStringLiteral("to"), "a pair reads 'to'");
        }
        TypeSand(dialog);
        Find<QCheckBox>(dialog, "gammaRateCheck")->setChecked(true);
        Type(dialog, "gammaRateEdit", 0.9);
        Type(dialog, "gammaRateErrorEdit", 0.05);
        Find<QComboBox>(dialog, "cosmicCombo")->setCurrentIndex(1);
        Type(dialog, "depthEdit", 1.5);
        Type(dialog, "depthErrorEdit", 0.2);
        Type(dialog, "calibrationEdit", 3);
        QVERIFY(dialog.Compute());
        QCOMPARE(dialog.Result().DoseRate.Gamma.Value, 0.9);
        QCOMPARE(dialog.Inputs().DepthError, 0.2);
        QVERIFY(std::abs(dialog.Result().ErrorCalibration - 0.03 * dialog.Result().Age) < 1e-9);
    }

    // Under a comma-decimal locale the fields take "0,05" and the age reads "15,1"; the
    // report, a document saved to files, keeps its decimal points.
    void commaDecimalLocale() {
        const QLocale before;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        {
            TAgeDialog dialog{QString()};
            TypeSand(dialog);
            QCOMPARE(Find<QDoubleSpinBox>(dialog, "kErrorEdit")->text(), QStringLiteral("0,0500"));
            QVERIFY(dialog.Compute());
            const QString label = Find<QLabel>(dialog, "ageLabel")->text();
            QVERIFY2(label.contains(QStringLiteral("Age: 15,")), qPrintable(label));
            QVERIFY(dialog.ReportText().contains(QStringLiteral("Total dose rate: 2.78 ± ")));
        }
        QLocale::setDefault(before);
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

    // "From dose model" takes the model's dose in Gy (converted from mGy), names the model as
    // the source in the report, and stays disabled while there is no model.
    void fromDoseModelTakesTheModelsDose_data() {
        QTest::addColumn<double>("dose");
        QTest::addColumn<double>("error");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<double>("gray");
        QTest::addColumn<double>("grayError");
        QTest::newRow("Gy") << 11.5 << 0.75 << QStringLiteral("Gy") << 11.5 << 0.75;
        QTest::newRow("mGy") << 11500.0 << 750.0 << QStringLiteral("mGy") << 11.5 << 0.75;
    }
    void fromDoseModelTakesTheModelsDose() {
        QFETCH(double, dose);
        QFETCH(double, error);
        QFETCH(QString, unit);
        QFETCH(double, gray);
        QFETCH(double, grayError);
        TAgeDialog dialog{QString()};
        auto* button = Find<QPushButton>(dialog, "fromDoseModelButton");
        QVERIFY(!button->isEnabled());
        bool computed = false;
        const auto source = [&](double& d, double& e, std::string& u, std::string& s) {
            d = dose;
            e = error;
            u = unit.toStdString();
            s = "Central age model (n = 8)";
            return computed;
        };
        dialog.SetDoseModelSource(source);
        QVERIFY(!button->isEnabled());
        computed = true;
        dialog.SetDoseModelSource(source);
        QVERIFY(button->isEnabled());
        TypeSand(dialog);
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(Find<QDoubleSpinBox>(dialog, "deEdit")->value(), gray);
        QCOMPARE(Find<QDoubleSpinBox>(dialog, "deErrorEdit")->value(), grayError);
        QVERIFY(dialog.Compute());
        QVERIFY2(dialog.ReportText().contains(
                     QStringLiteral("dose model, Central age model (n = 8)")),
                 qPrintable(dialog.ReportText()));
    }

    // The fading-corrected age solves Tf / T = 1 - kappa (ln(T / tc) - 1) with kappa =
    // g / (100 ln 10) and tc in years; its error is that of orvane-cli fading-correction on
    // the same age, g and times. The label and the report show it.
    void fadingCorrectionFollowsTheAge() {
        TAgeDialog dialog{QString()};
        TypeSand(dialog);
        Find<QGroupBox>(dialog, "fadingBox")->setChecked(true);
        Type(dialog, "fadingGEdit", 5.0);
        Type(dialog, "fadingGErrorEdit", 1.0);
        Type(dialog, "fadingTcEdit", 172800.0);
        QVERIFY(dialog.Compute());
        QVERIFY(dialog.HasFadingResult());
        const double measured = dialog.Result().Age;
        const double corrected = dialog.FadingResult().Age;
        QVERIFY(corrected > measured);
        const double kappa = 5.0 / (100.0 * std::log(10.0));
        const double tcYears = 172800.0 / (365.25 * 86400.0);
        const double years = corrected * 1000.0;
        QVERIFY(std::abs(measured / corrected - (1.0 - kappa * (std::log(years / tcYears) - 1.0))) <
                1e-9);

        QProcess cli;
        cli.start(QStringLiteral(ORVANE_CLI_PATH),
                  {QStringLiteral("fading-correction"), QStringLiteral("--age"),
                   QString::number(measured, 'g', 17), QStringLiteral("--age-error"),
                   QString::number(dialog.Result().ErrorTotal, 'g', 17), QStringLiteral("--g"),
                   QStringLiteral("5"), QStringLiteral("--g-error"), QStringLiteral("1"),
                   QStringLiteral("--tc"), QStringLiteral("172800"), QStringLiteral("--seed"),
                   QStringLiteral("1")});
        QVERIFY(cli.waitForFinished(60000));
        QCOMPARE(cli.exitCode(), 0);
        const QJsonObject json = QJsonDocument::fromJson(cli.readAllStandardOutput()).object();
        QVERIFY(std::abs(json.value(QStringLiteral("age")).toDouble() - corrected) < 1e-9);
        QVERIFY(std::abs(json.value(QStringLiteral("age_error")).toDouble() -
                         dialog.FadingResult().AgeError) < 1e-9);

        const QString shown = QString::fromStdString(
            FormatMeasured(corrected, dialog.FadingResult().AgeError))
                                  .replace(QLatin1Char('.'), QLocale().decimalPoint());
        QVERIFY2(Find<QLabel>(dialog, "ageLabel")->text().contains(
                     QStringLiteral("Fading-corrected: ") + shown + QStringLiteral(" ka")),
                 qPrintable(Find<QLabel>(dialog, "ageLabel")->text()));
        QVERIFY(dialog.ReportText().contains(
            QStringLiteral("Fading-corrected age: ") +
            QString::fromStdString(FormatMeasured(corrected, dialog.FadingResult().AgeError)) +
            QStringLiteral(" ka")));
        QVERIFY(dialog.ReportCsv().contains(QStringLiteral("\nFading-corrected age,")));

        // Off again: no corrected age.
        Find<QGroupBox>(dialog, "fadingBox")->setChecked(false);
        QVERIFY(dialog.Compute());
        QVERIFY(!dialog.HasFadingResult());
        QVERIFY(!dialog.ReportText().contains(QStringLiteral("Fading")));
    }
};

QTEST_MAIN(AgeDialogTest)
#include "age_dialog_test.moc"
