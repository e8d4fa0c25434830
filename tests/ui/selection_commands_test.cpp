// Record selection and bulk edits on the main window, with small DAT files written in a
// temporary folder and the settings in a real QSettings file there.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>
#include <fstream>

#include "editor/bin_data_grid.h"
#include "editor/main_window.h"
#include "editor/qt_settings_store.h"
#include "editor/record_form.h"
#include "editor/selection_controller.h"
#include "editor/selection_edits.h"
#include "editor/user_prompts.h"
#include "record_store/bin_data_set.h"
#include "record_store/editor_error.h"

namespace {

using TValues = std::vector<std::pair<std::string, TFieldValue>>;

struct TRecordPlan {
    TValues values;
    std::vector<double> raw;  // "Raw data" values from index 0
};

TValues With(TValues base, const TValues& more) {
    base.insert(base.end(), more.begin(), more.end());
    return base;
}

// Writes `records` as a DAT file with its DAT.sch into `dir`: zero records first, then the
// values through the record store, which also writes the curve subfile.
QString WriteDatFile(const QString& dir, const QString& name,
                     const std::vector<TRecordPlan>& records) {
    QFile::copy(QStringLiteral(ORVANE_TEST_DATA "/layout/DAT.sch"), dir + "/DAT.sch");
    const std::string path = (dir + "/" + name).toStdString();
    {
        std::ofstream out(path, std::ios::binary);
        out << std::string(213 * records.size(), '\0');
    }
    TBinDataSet store;
    store.SetFileName(path);
    store.SetSchemaFileName((dir + "/DAT.sch").toStdString());
    store.Open();
    for (std::size_t i = 0; i < records.size(); ++i) {
        store.SetRecNo(static_cast<int>(i) + 1);
        store.Edit();
        store.SetValue("Irrad date", TFieldValue(TDate{2020, 3, 4}));
        for (const auto& [field, value] : records[i].values) store.SetValue(field, value);
        if (!records[i].raw.empty()) {
            store.SetValue("Subfile flag", TFieldValue(true));
            TBytes bytes(800, 0);
            std::memcpy(bytes.data(), records[i].raw.data(), records[i].raw.size() * 8);
            store.SetFieldBytes("Raw data", bytes);
        }
        store.Post();
    }
    store.SaveToFile(path);
    store.SetModified(false);
    store.Close();
    QFile::remove(dir + "/" + QString(name).replace(".DAT", ".~DAT"));
    return dir + "/" + name;
}

TValues Record(int64_t run, int64_t disk, int64_t dev, bool sampleRun = true) {
    return {{"Run#", TFieldValue(run)},
            {"Disk#", TFieldValue(disk)},
            {"Dev#", TFieldValue(dev)},
            {"TL run", TFieldValue(sampleRun)}};
}

class TTestPrompts : public TUserPrompts {
public:
    TAnswer AskSaveChanges(QWidget*) override { return TAnswer::No; }
    void ShowError(QWidget*, const QString& message) override { errors << message; }
    QString OpenFileName(QWidget*, const QString&, const QString&, const QString&) override {
        return openAnswer;
    }
    QString SaveFileName(QWidget*, const QString&, const QString&, const QString&,
                         const QString&) override {
        return saveAnswer;
    }
    QStringList errors;
    QString openAnswer;
    QString saveAnswer;
};

const char* const kLayout =
    "[MAIN]\r\nBooleanDisplay=Yes;No\r\n[FIELDS]\r\n"
    "Run#=Yes\r\nDisk#=Yes\r\nDev#=Yes\r\nRemark=Yes\r\nNat TL=Yes\r\n"
    "Raw data=No\r\nSubtracted data=No\r\n"
    "L_Raw data=CURVE raw\r\nL_Subtracted data=CURVE subtracted\r\n[LABELS]\r\n";

}  // namespace

class SelectionCommandsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    std::unique_ptr<TQtSettingsStore> settings_;
    TTestPrompts prompts_;
    std::unique_ptr<TMainWindow> form_;

    TSelectionController& Selection() { return form_->SelectionController(); }
    TBinDataSet& View() { return *form_->ShownView(); }
    QAction* Action(const char* name) {
        return form_->findChild<QAction*>(QString::fromLatin1(name));
    }
    std::vector<int32_t> Ids(std::initializer_list<int32_t> ids) { return ids; }

    void Open(const std::vector<TRecordPlan>& records) {
        form_.reset();
        const QString path = WriteDatFile(dir_.path(), "T.DAT", records);
        QFile layout(dir_.path() + "/OV_DAT.INI");
        QVERIFY(layout.open(QIODevice::WriteOnly));
        layout.write(kLayout);
        layout.close();
        form_ = std::make_unique<TMainWindow>(*settings_, &prompts_);
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
        QVERIFY(form_->OpenFile(path));
        QVERIFY(form_->ShownView());
    }

    // Ten TL records (two of them background runs) and five OSL records.
    void OpenMixed() {
        std::vector<TRecordPlan> records;
        for (int i = 1; i <= 10; ++i) records.push_back({Record(i, i, 5, i != 3 && i != 7), {}});
        for (int i = 11; i <= 15; ++i) records.push_back({Record(i, i, 2000 + i, true), {}});
        Open(records);
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path());
        settings_ = std::make_unique<TQtSettingsStore>();
        settings_->WriteString("", "Data directory", dir_.path().toStdString());
    }
    void cleanup() {
        form_.reset();
        prompts_.errors.clear();
    }

    void rowSelectionModeCaptionAndPostVisibility() {
        OpenMixed();
        QAction* rowSelect = Action("ActionRowSelect");
        QCOMPARE(rowSelect->text(), QStringLiteral("Enable row selection"));
        QVERIFY(!Action("ActionSetAll")->isVisible());
        rowSelect->trigger();
        QCOMPARE(rowSelect->text(), QStringLiteral("Disable row selection"));
        QVERIFY(Action("ActionSetAll")->isVisible());
        QVERIFY(form_->Document().RowSelection());
        Selection().SelectAll();
        QCOMPARE(Selection().Selection().Count(), 15);
        rowSelect->trigger();
        QCOMPARE(rowSelect->text(), QStringLiteral("Enable row selection"));
        QVERIFY(Selection().Selection().Empty());
        QVERIFY(form_->Document().SelectedRecords().empty());
        QVERIFY(!Action("ActionSetAll")->isVisible());
    }

    void selectTLAndOSL() {
        OpenMixed();
        form_->GoToRecord(4);
        QVERIFY(form_->SubtractedCurves());
        Action("ActionSelectTL")->trigger();  // background runs are left out
        QVERIFY(Selection().RowSelection());
        QCOMPARE(form_->Document().SelectedRecords(), Ids({1, 2, 4, 5, 6, 8, 9, 10}));
        QCOMPARE(View().RecNo(), 4);
        Action("ActionCurvesSub")->trigger();
        QVERIFY(!form_->SubtractedCurves());
        Action("ActionSelectTL")->trigger();
        QCOMPARE(form_->Document().SelectedRecords().size(), 10u);
        Action("ActionSelectOSL")->trigger();
        QCOMPARE(form_->Document().SelectedRecords(), Ids({11, 12, 13, 14, 15}));
        QCOMPARE(View().RecNo(), 4);
        QCoreApplication::processEvents();
        QCOMPARE(form_->Grid()->selectionModel()->selectedRows().size(), 5);
    }

    void selectCommandsWalkOnlyTheRecordsTheFilterShows() {
        OpenMixed();
        TBinDataSet& view = View();
        view.SetFilter([](TBinDataSet& v) { return v.AsInteger("Run#") % 2 == 0; });
        view.SetFiltered(true);
        view.First();
        Selection().SelectAll();
        QCOMPARE(form_->Document().SelectedRecords(), Ids({2, 4, 6, 8, 10, 12, 14}));
        Selection().ToggleSelection();
        QVERIFY(form_->Document().SelectedRecords().empty());
        Selection().SelectTL(false);
        QCOMPARE(form_->Document().SelectedRecords(), Ids({12, 14}));
        QCOMPARE(view.RecNo(), 2);
        view.SetFiltered(false);
    }

    void toggleTwiceGivesBackTheSelection() {
        OpenMixed();
        Selection().ClickRowIndicator(4, Qt::NoModifier);
        Selection().ClickRowIndicator(1, Qt::ControlModifier);
        const std::vector<int32_t> before = form_->Document().SelectedRecords();
        QCOMPARE(before, Ids({5, 2}));
        Action("ActionFlipSelect")->trigger();
        QCOMPARE(form_->Document().SelectedRecords().size(), 13u);
        Action("ActionFlipSelect")->trigger();
        std::vector<int32_t> after = form_->Document().SelectedRecords();
        std::sort(after.begin(), after.end());
        QCOMPARE(after, Ids({2, 5}));
        Action("ActionUnselectAll")->trigger();
        QVERIFY(form_->Document().SelectedRecords().empty());
        QCOMPARE(View().RecNo(), 2);  // the record of the last click
    }

    void selectionKeepsTheOrderOfSelecting() {
        OpenMixed();
        QHeaderView* header = form_->Grid()->verticalHeader();
        auto click = [&](int row, Qt::KeyboardModifiers mods) {
            const int y = header->sectionViewportPosition(row) + header->sectionSize(row) / 2;
            QTest::mouseClick(header->viewport(), Qt::LeftButton, mods, QPoint(5, y));
        };
        click(8, Qt::NoModifier);
        QVERIFY(Selection().RowSelection());
        click(2, Qt::ControlModifier);
        click(5, Qt::ControlModifier);
        QCOMPARE(form_->Document().SelectedRecords(), Ids({9, 3, 6}));
        click(2, Qt::ControlModifier);  // deselects
        QCOMPARE(form_->Document().SelectedRecords(), Ids({9, 6}));
        // A click into a data cell leaves row selection.
        const QRect cell = form_->Grid()->visualRect(form_->Grid()->Model()->index(1, 0));
        QTest::mouseClick(form_->Grid()->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
        QVERIFY(!Selection().RowSelection());
        QVERIFY(form_->Document().SelectedRecords().empty());
    }

    void postFieldToSelectedWritesEverySelectedRecord() {
        OpenMixed();
        form_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
        form_->GoToRecord(2);
        Selection().ClickRowIndicator(5, Qt::NoModifier);
        Selection().ClickRowIndicator(9, Qt::ControlModifier);
        Selection().ClickRowIndicator(12, Qt::ControlModifier);
        form_->GoToRecord(2);
        QLineEdit* remark = form_->RecordForm()->EditOf(QStringLiteral("Remark"));
        QVERIFY(remark);
        remark->setFocus();
        QCOMPARE(Selection().FocusedField(), std::string("Remark"));
        Selection().UpdateActions();
        QVERIFY(Action("ActionSetAll")->isEnabled());
        remark->setText(QStringLiteral("ok"));
        Action("ActionSetAll")->trigger();
        QCOMPARE(View().RecNo(), 2);
        for (int i = 0; i < 15; ++i) {
            const bool selected = i == 5 || i == 9 || i == 12;
            QCOMPARE(
                View().ValueAt(i, View().FieldIndex("Remark")) == TFieldValue(std::string("ok")),
                selected);
        }
        QVERIFY(prompts_.errors.isEmpty());
    }

    void postFieldFromAnEditOfTheGeneralForm() {
        OpenMixed();
        form_->SwitchMode();
        QVERIFY(form_->IsGeneralMode());
        form_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
        Selection().ClickRowIndicator(3, Qt::NoModifier);
        Selection().ClickRowIndicator(0, Qt::ControlModifier);
        auto* remark = form_->GeneralFormArea()->findChild<QLineEdit*>(QStringLiteral("dbeRemark"));
        QVERIFY(remark);
        remark->setFocus();
        QCOMPARE(Selection().FocusedField(), std::string("Remark"));
        remark->setText(QStringLiteral("moved"));
        Action("ActionSetAll")->trigger();
        TBinDataSet& view = View();
        const int field = view.FieldIndex("Remark");
        QCOMPARE(std::get<std::string>(view.ValueAt(3, field)), std::string("moved"));
        QCOMPARE(std::get<std::string>(view.ValueAt(0, field)), std::string("moved"));
        QCOMPARE(std::get<std::string>(view.ValueAt(1, field)), std::string());
        QCOMPARE(view.RecNo(), 1);
        // An empty text posts nothing.
        remark->setText(QString());
        Action("ActionSetAll")->trigger();
        QCOMPARE(std::get<std::string>(view.ValueAt(3, field)), std::string("moved"));
    }

    void postFieldAppliesTheEntryConversionPerRecord() {
        Open({{Record(1, 1, 2805), {}}, {Record(2, 1, 2003), {}}, {Record(3, 1, 5), {}}});
        TBinDataSet& view = View();
        const auto booleans = presentation::TBooleanTexts::Parse("Yes;No");
        const std::vector<int32_t> all = {1, 2, 3};
        // A device number keeps each record's sub-number: OSL records stay OSL records.
        QCOMPARE(PostFieldToSelected(view, TRecordKind::Dat, "Dev#", "21", all, booleans, {}), 3);
        auto dev = [&](int i) {
            return std::get<int64_t>(view.ValueAt(i, view.FieldIndex("Dev#")));
        };
        QCOMPARE(dev(0), int64_t{2105});
        QCOMPARE(dev(1), int64_t{2103});
        QCOMPARE(dev(2), int64_t{2105});
        QCOMPARE(PostFieldToSelected(view, TRecordKind::Dat, "Dev#", "30", all, booleans, {}), 0);
        QCOMPARE(dev(1), int64_t{2103});
        // A rate is stored as ten times the rate, byte-swapped.
        PostFieldToSelected(view, TRecordKind::Dat, "OSL BGD", "12.3", {2}, booleans, {});
        QCOMPARE(std::get<int64_t>(view.ValueAt(1, view.FieldIndex("OSL BGD"))), int64_t{0x7B00});
        // A positive beta time clears the other irradiation times of each record.
        PostFieldToSelected(view, TRecordKind::Dat, "Alpha time", "5", {1, 3}, booleans, {});
        PostFieldToSelected(view, TRecordKind::Dat, "Beta time", "7", {1}, booleans, {});
        QCOMPARE(std::get<double>(view.ValueAt(0, view.FieldIndex("Alpha time"))), 0.0);
        QCOMPARE(std::get<double>(view.ValueAt(2, view.FieldIndex("Alpha time"))), 5.0);
        // A text that does not convert is refused before any record is written.
        bool refused = false;
        try {
            PostFieldToSelected(view, TRecordKind::Dat, "Ramp", "fast", all, booleans, {});
        } catch (const TEditorError&) {
            refused = true;
        }
        QVERIFY(refused);
        QCOMPARE(std::get<double>(view.ValueAt(0, view.FieldIndex("Ramp"))), 0.0);
    }

    void copyOneRecordAndTwoSelectedRecords() {
        const TValues tl = With(Record(1, 2, 5), {{"NPT", TFieldValue(int64_t{3})},
                                                  {"Spacing", TFieldValue(int64_t{10})},
                                                  {"Max point", TFieldValue(int64_t{5})},
                                                  {"Ramp", TFieldValue(5.0)},
                                                  {"Nat TL", TFieldValue(true)},
                                                  {"Remark", TFieldValue(std::string("first"))}});
        const TValues osl =
            With(Record(2, 2, 2003), {{"NPT", TFieldValue(int64_t{2})},
                                      {"Shift", TFieldValue(7.5)},
                                      {"Normalization", TFieldValue(true)},
                                      {"Remark", TFieldValue(std::string("second"))}});
        Open({{tl, {1.5, 2, 3.25}}, {osl, {}}});
        const QString date = QLocale().toString(QDate(2020, 3, 4), QLocale::ShortFormat);
        // Numbers are copied with the user's decimal separator.
        auto Decimal = [](QString text) {
            return text.replace(QLatin1Char('.'), QLocale().decimalPoint());
        };
        auto cells = [](const char* cell, int n) {
            QString s;
            for (int i = 0; i < n; ++i) s += QString::fromLatin1(cell) + "\t";
            return s;
        };
        const QString tlLine =
            "1\t2\tYes\tTrue\tFalse\tFalse\tFalse\t5\t0\t0\t0\t0\t0\t0\t0\t0\t\t0\t0\t0\t0\t0\t0\t"
            "\t\t\t\t\t\t" +
            date + "\t0\t0\tfirst\t3\t10\t5\t5\t" + Decimal("1.5\t2\t3.25\t") + cells("0", 97) +
            "\t\t" +                              // raw, then Max point - NPT cells
            "0\t0\t" + cells("0", 98) + "\t\t" +  // subtracted of a TL record
            "False\r\n";
        const QString oslLine =
            "2\t2\tNo\tTrue\tFalse\tFalse\tTrue\t0\t0\t0\t0\t0\t0\t0\t0\t0\t\t0\t0\t0\t0\t0\t0\t"
            "\t\t\t\t\t\t" +
            date + Decimal("\t0\t7.5\tsecond\t2\t0\t2003\t0\t") + cells("0", 100) +
            Decimal("\t7.5\t") + cells("0", 98) + "False\r\n";
        QCOMPARE(Selection().ClipboardText(), tlLine);

        Selection().ClickRowIndicator(1, Qt::NoModifier);
        Selection().ClickRowIndicator(0, Qt::ControlModifier);
        const QString header =
            "Run#\tDisk#\tNat TL\tTL run\tSingle aliquot\tBefore irrad\tNormalization\tRamp\t"
            "Time base 10\tTime base 100\tTime base 1000\tTime base 10000\tSample temp hi\t"
            "OSL BGD\tSample temp\tBleach time\tBleach filter\tGamma rate\tBeta rate\t"
            "Alpha rate\tGamma time\tBeta time\tAlpha time\tGamma unit\tBeta unit\tAlpha unit\t"
            "Gamma source\tBeta source\tAlpha source\tIrrad date\tNormalization factor\tShift\t"
            "Remark\tNPT\tSpacing\tDev#\tMax point\tRaw data\t\t\t\t\t\tSubtracted data\t\t\t\t\t\t"
            "Second\r\n";
        const QString text = Selection().ClipboardText();
        QCOMPARE(text.count("\r\n"), 3);
        QCOMPARE(text, header + oslLine + tlLine);

        Action("ActionPasteRec")->trigger();
        QCOMPARE(QApplication::clipboard()->text(), text);
        QApplication::clipboard()->clear();
        form_->Grid()->setFocus();
        QTest::keySequence(form_->Grid(), QKeySequence::Copy);
        QCOMPARE(QApplication::clipboard()->text(), text);
    }

    void duplicateDosingCopiesIrslDosingToTheNextOslRun() {
        Open({
            {With(Record(5, 3, 2000),
                  {{"Normalization", TFieldValue(true)}, {"Bleach time", TFieldValue(50.0)}}),
             {}},
            {With(Record(7, 4, 2800), {{"Beta time", TFieldValue(100.0)},
                                       {"Bleach time", TFieldValue(30.0)},
                                       {"Before irrad", TFieldValue(true)}}),
             {}},
            {Record(6, 9, 5), {}},
            {Record(8, 4, 2001), {}},
            {Record(9, 4, 2002), {}},
            {With(Record(9, 5, 2800), {{"Beta time", TFieldValue(20.0)}}), {}},
            {Record(10, 5, 2100), {}},  // device 21: not an OSL run of device 20
        });
        form_->GoToRecord(3);
        QVERIFY(Action("ActionToolsDuplicateDosing")->isEnabled());
        Action("ActionToolsDuplicateDosing")->trigger();
        TBinDataSet& view = View();
        auto value = [&](int row, const char* field) {
            return view.ValueAt(row, view.FieldIndex(field));
        };
        QCOMPARE(std::get<double>(value(0, "Bleach time")), 0.0);  // normalisation run
        QCOMPARE(std::get<double>(value(3, "Beta time")), 100.0);
        QCOMPARE(std::get<double>(value(3, "Bleach time")), 30.0);
        QCOMPARE(std::get<bool>(value(3, "Before irrad")), true);
        QCOMPARE(std::get<double>(value(4, "Beta time")), 0.0);  // run 9 is not run 7 + 1
        QCOMPARE(std::get<double>(value(6, "Beta time")), 0.0);
        QCOMPARE(view.RecNo(), 1);
        QVERIFY(view.Modified());

        form_->SwitchMode();  // the general view: the command needs the DAT view
        QVERIFY(form_->IsGeneralMode());
        Selection().UpdateActions();
        QVERIFY(!Action("ActionToolsDuplicateDosing")->isEnabled());
    }
};

QTEST_MAIN(SelectionCommandsTest)
#include "selection_commands_test.moc"
