// The record form on real files: groups and fields by file kind and by TL or OSL record, the
// irradiation selector, and entries typed into the form.
#include <QDate>
#include <QLineEdit>
#include <QLocale>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include "editor/bin_data_grid.h"
#include "editor/main_window.h"
#include "editor/qt_settings_store.h"
#include "editor/record_form.h"
#include "editor/scripted_prompts.h"
#include "record_store/bin_data_set.h"
#include "ui/sample_window_fixture.h"

using TRadiation = TRecordForm::TRadiation;

class RecordFormAdaptTest : public QObject, TSampleWindowFixture {
    Q_OBJECT

private:
    TRecordForm* Form() const { return form_->RecordForm(); }
    TBinDataSet* View() const { return form_->ShownView(); }
    void Open(const char* name) {
        QVERIFY(form_->OpenFile(tmp_->path() + QLatin1Char('/') + QLatin1String(name)));
        QVERIFY(View());
    }
    // Writes fields of the current record as another part of the program would.
    void Set(std::initializer_list<std::pair<const char*, TFieldValue>> values) {
        View()->Edit();
        for (const auto& [name, value] : values) View()->SetValue(name, value);
        View()->Post();
        form_->RefreshView();
    }

private slots:
    void init() { QVERIFY(SetUp()); }
    void cleanup() { TearDown(); }

    void datFormAdaptsToOslAndTlRecords() {
        Open("S12.DAT");
        for (const char* group :
             {"General info", "Bleaching", "Remark", "Device info", "Curve", "Irradiation"})
            QVERIFY2(Form()->GroupShown(QLatin1String(group)), group);
        Set({{"Dev#", int64_t{2103}}, {"Time base 10", int64_t{5}}, {"NPT", int64_t{5}}});
        QCOMPARE(Form()->ShownText("Device"), QStringLiteral("OSL #1"));
        QCOMPARE(Form()->ShownText("Run kind"), QStringLiteral("OSL"));
        QCOMPARE(Form()->ShownText("Time base 10"), QStringLiteral("  5 * 10 ms"));
        for (const char* caption : {"Channels", "total:", "power % max", "OSL bgd", "sample temp"})
            QVERIFY2(Form()->CaptionShown(QLatin1String(caption)), caption);
        for (const char* caption : {"ramp rate deg/s", "points", "shift"})
            QVERIFY2(!Form()->CaptionShown(QLatin1String(caption)), caption);
        for (const char* field : {"MaxTemp", "Spacing", "Shift"})
            QVERIFY2(!Form()->FieldShown(QLatin1String(field)), field);
        for (const char* field : {"Time base 10", "Time base 10000", "OSL time", "OSL BGD", "NPT"})
            QVERIFY2(Form()->FieldShown(QLatin1String(field)), field);

        Set({{"Dev#", int64_t{17}}, {"Spacing", int64_t{10}}, {"NPT", int64_t{49}}});
        QCOMPARE(Form()->ShownText("Device"), QStringLiteral("TL"));
        QCOMPARE(Form()->ShownText("MaxTemp"), QStringLiteral("max temperature 500 degC"));
        QCOMPARE(Form()->ShownText("Spacing"), QStringLiteral("spacing 10 degC"));
        QCOMPARE(Form()->ShownText("NPT"), QStringLiteral("50"));
        for (const char* caption : {"ramp rate deg/s", "points", "shift"})
            QVERIFY2(Form()->CaptionShown(QLatin1String(caption)), caption);
        for (const char* caption : {"Channels", "total:", "power % max", "OSL bgd", "sample temp"})
            QVERIFY2(!Form()->CaptionShown(QLatin1String(caption)), caption);
        QVERIFY(!Form()->FieldShown("Time base 10"));
        QVERIFY(Form()->FieldShown("Shift"));
        QVERIFY(Form()->FieldShown("Ramp"));
    }

    void sadFormHidesBleachingCurveAndNorm() {
        Open("S12.SAD");
        QVERIFY(!Form()->GroupShown("Bleaching"));
        QVERIFY(!Form()->GroupShown("Curve"));
        QVERIFY(Form()->GroupShown("Irradiation"));
        QVERIFY(!Form()->FieldShown("Norm"));
        QVERIFY(!Form()->FieldShown("MaxTemp"));
        QVERIFY(Form()->FieldShown("Power"));
        QVERIFY(!Form()->FieldShown("Ramp"));
        QVERIFY(!Form()->CaptionShown("ramp rate deg/s"));
        QCOMPARE(Form()->IrradiationFields(),
                 (QStringList{"Source", "Irradiating time", "Dose rate", "Dose rate unit"}));
        Set({{"Power", int64_t{128}}, {"Dev#", int64_t{2100}}});
        QCOMPARE(Form()->ShownText("Power"), QLocale().toString(50.2));
        QVERIFY(Form()->CaptionShown("power % max"));
    }

    void dasFormShowsBleachingButNoCurveGroup() {
        Open("S12.DAS");
        QVERIFY(Form()->GroupShown("Bleaching"));
        QVERIFY(!Form()->GroupShown("Curve"));
        QCOMPARE(Form()->IrradiationFields(),
                 (QStringList{"Alpha source", "Alpha time", "Alpha rate", "Alpha unit"}));
        // The selector stays off and clicks change nothing.
        Set({{"Beta time", 2.0}});
        QVERIFY(!Form()->RadiationChecked(TRadiation::Beta));
        Form()->ClickRadiation(TRadiation::Gamma);
        QVERIFY(!Form()->RadiationChecked(TRadiation::Gamma));
        QCOMPARE(Form()->IrradiationFields()[0], QStringLiteral("Alpha source"));
    }

    void datIrradiationSelector() {
        Open("S12.DAT");
        Set({{"Alpha time", 0.0},
             {"Gamma time", 0.0},
             {"Beta time", 2.0},
             {"Beta source", std::string("Sr-90")}});
        form_->GoToRecord(2);
        form_->GoToRecord(1);  // moving to the record shows the fields of its irradiation
        QVERIFY(Form()->RadiationChecked(TRadiation::Beta));
        QVERIFY(!Form()->RadiationChecked(TRadiation::Alpha));
        QCOMPARE(Form()->IrradiationFields(),
                 (QStringList{"Beta source", "Beta time", "Beta rate", "Beta unit"}));
        QCOMPARE(Form()->ShownText("Beta source"), QStringLiteral("Sr-90"));
        Form()->ClickRadiation(TRadiation::Alpha);
        QCOMPARE(Form()->IrradiationFields(),
                 (QStringList{"Alpha source", "Alpha time", "Alpha rate", "Alpha unit"}));
        QVERIFY(!Form()->RadiationChecked(TRadiation::Alpha));  // the record has no alpha dose
        QVERIFY(Form()->EnterText("Alpha time", "3"));
        QCOMPARE(View()->AsFloat("Alpha time"), 3.0);
        QCOMPARE(View()->AsFloat("Beta time"), 0.0);
        QVERIFY(Form()->RadiationChecked(TRadiation::Alpha));
        QVERIFY(!Form()->RadiationChecked(TRadiation::Beta));
        // The grid's row follows the edit.
        QCOMPARE(form_->Grid()->Model()->DisplayText(0, "Alpha time"), QStringLiteral("3"));
    }

    void sadIrradiationSelectorSetsTheIrradiatorLetter() {
        Open("S12.SAD");
        Set({{"Irradiating time", 4.0}, {"Irradiator", std::string("B")}});
        QVERIFY(Form()->RadiationChecked(TRadiation::Beta));
        QVERIFY(!Form()->RadiationChecked(TRadiation::Gamma));
        View()->SetModified(false);
        Form()->ClickRadiation(TRadiation::Gamma);
        QCOMPARE(View()->AsString("Irradiator"), std::string("G"));
        QVERIFY(View()->Modified());
        QVERIFY(Form()->RadiationChecked(TRadiation::Gamma));
        QVERIFY(!Form()->RadiationChecked(TRadiation::Beta));
        Set({{"Irradiating time", 0.0}});
        QVERIFY(!Form()->RadiationChecked(TRadiation::Gamma));
    }

    void entriesThroughTheFormUseTheConversions() {
        Open("S12.DAT");
        Set({{"Dev#", int64_t{2103}}});
        // Typed as the user's locale writes it: 12.3 counts/s, stored as 123 byte-swapped.
        QVERIFY(Form()->EnterText("OSL BGD", QLocale().toString(12.3)));
        QCOMPARE(View()->AsInteger("OSL BGD"), int64_t{0x7B00});
        QCOMPARE(Form()->ShownText("OSL BGD"), QLocale().toString(12.3) + QStringLiteral("/s"));
        QVERIFY(Form()->EnterText("Disk#", "7"));
        QCOMPARE(form_->Grid()->Model()->DisplayText(0, "Disk#"), QStringLiteral("7"));
        // A text that is no number is refused with a message; the value stays.
        QVERIFY(Form()->EnterText("Disk#", "seven"));
        QCOMPARE(prompts_->errors.size(), 1);
        QCOMPARE(View()->AsInteger("Disk#"), int64_t{7});
        // The edit offers the edit text while it has the focus.
        QLineEdit* bgd = Form()->EditOf("OSL BGD");
        QVERIFY(bgd);
        bgd->setFocus();
        QApplication::processEvents();
        if (bgd->hasFocus()) QCOMPARE(bgd->text(), QLocale().toString(12.3));
    }

    void datesAreTypedBackAsTheyAreShown() {
        Open("S12.DAT");
        QLineEdit* edit = Form()->EditOf("Irrad date");
        QVERIFY(edit);
        auto type = [&](const QString& text) {
            edit->setFocus();
            edit->selectAll();
            QTest::keyClicks(edit, text);
            QTest::keyClick(edit, Qt::Key_Return);
        };
        const QString shown = QLocale().toString(QDate(2026, 3, 16), QLocale::ShortFormat);
        type(shown);
        QCOMPARE(prompts_->errors, QStringList());
        QCOMPARE(View()->AsDate("Irrad date"), (TDate{2026, 3, 16}));
        QCOMPARE(Form()->ShownText("Irrad date"), shown);
        type(QStringLiteral("2001-12-31"));
        QCOMPARE(View()->AsDate("Irrad date"), (TDate{2001, 12, 31}));

        // A text that is no date is refused with the conversion's message; the date stays.
        View()->SetModified(false);
        type(QStringLiteral("31 Febr"));
        QCOMPARE(prompts_->errors,
                 QStringList{QStringLiteral("'31 Febr' is not a valid date value")});
        QCOMPARE(View()->AsDate("Irrad date"), (TDate{2001, 12, 31}));
        QVERIFY(!View()->Modified());
    }

    void formFollowsTheGridsCurrentRecord() {
        Open("S12.DAT");
        QSignalSpy spy(form_, &TMainWindow::currentRecordChanged);
        form_->Grid()->setFocus();
        QTest::keyClick(form_->Grid(), Qt::Key_Down);
        QTest::keyClick(form_->Grid(), Qt::Key_Down);
        QCOMPARE(View()->RecNo(), 3);
        QCOMPARE(Form()->ShownText("Disk#"), form_->Grid()->Model()->DisplayText(2, "Disk#"));
        QCOMPARE(spy.count(), 2);
        QTest::keyClick(form_->Grid(), Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(View()->RecNo(), 168);
        form_->GoToRecord(10);
        QCOMPARE(form_->Grid()->CurrentRow(), 9);
        QCOMPARE(View()->RecNo(), 10);
    }
};

QTEST_MAIN(RecordFormAdaptTest)
#include "record_form_adapt_test.moc"
