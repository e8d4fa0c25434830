// Layout files on the main window: finding and reading them when a file opens, the general
// record form they build, moving its controls and saving their places; with real files and
// a real QSettings file in a temporary folder.
#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>

#include "editor/bin_data_grid.h"
#include "editor/layout_controller.h"
#include "editor/layout_field_edit.h"
#include "editor/main_window.h"
#include "editor/qt_settings_store.h"
#include "editor/user_prompts.h"
#include "record_store/bin_data_set.h"

namespace {

class TTestPrompts : public TUserPrompts {
public:
    TAnswer AskSaveChanges(QWidget*) override { return TAnswer::No; }
    void ShowError(QWidget*, const QString& message) override { errors << message; }
    QString OpenFileName(QWidget*, const QString& title, const QString& directory,
                         const QString& filter) override {
        opens << title + "|" + directory + "|" + filter;
        return openAnswer;
    }
    QString SaveFileName(QWidget*, const QString& title, const QString& proposed, const QString&,
                         const QString& suffix) override {
        saves << title + "|" + proposed + "|" + suffix;
        return saveAnswer;
    }
    QStringList errors, opens, saves;
    QString openAnswer, saveAnswer;
};

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& text) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
}

const char* const kLayout =
    "[MAIN]\r\nLeft=20\r\nTop=10\r\nWidth=900\r\nHeight=640\r\nBooleanDisplay=Ja;\r\n"
    "[FIELDS]\r\n"
    "Run#=Ja, 0, 100, 40, 60, 24\r\nL_Run#=Run number, LEFT\r\n"
    "Disk#=Ja\r\n"
    "Remark=false, 0, 4, 200\r\n"
    "Ramp=ja, 3\r\nL_Ramp=Heating rate, BOTTOM\r\n"
    "Nat TL=Ja\r\nL_Nat TL=Natural\r\n"
    "Raw data=False\r\nL_Raw data=CURVE raw\r\n"
    "[LABELS]\r\nL_Title=Sample S12, 300, 8\r\n";

}  // namespace

class LayoutFormTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    std::unique_ptr<TQtSettingsStore> settings_;
    TTestPrompts prompts_;
    std::unique_ptr<TMainWindow> form_;
    QString datPath_;

    TLayoutController& Layout() { return form_->LayoutController(); }
    QAction* Action(const char* name) {
        return form_->findChild<QAction*>(QString::fromLatin1(name));
    }
    QString Ini() const { return dir_.path() + "/OV_DAT.INI"; }
    QWidget* Control(const char* name) {
        return form_->GeneralFormArea()->findChild<QWidget*>(QString::fromLatin1(name));
    }
    QString ColumnTitle(const char* field) {
        const TBinDataModel* model = form_->Grid()->Model();
        const int column = model->ColumnOfField(QString::fromLatin1(field));
        return column < 0 ? QString() : model->headerData(column, Qt::Horizontal).toString();
    }
    // The commands a complete Open enables, and whether each is enabled now.
    QStringList EnabledFileCommands() {
        QStringList enabled;
        for (const char* name : {"ActionFileSave", "ActionFileSaveAs", "ActionRowSelect",
                                 "ActionPasteRec", "ActionChangePos"})
            if (Action(name)->isEnabled()) enabled << QString::fromLatin1(name);
        for (const char* name : {"EditMenu", "CurvesMenu", "ToolsMenu"})
            if (form_->findChild<QMenu*>(QString::fromLatin1(name))->menuAction()->isEnabled())
                enabled << QString::fromLatin1(name);
        return enabled;
    }

    void NewForm(bool general) {
        form_ = std::make_unique<TMainWindow>(*settings_, &prompts_);
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
        if (general) form_->SwitchMode();
        QCOMPARE(form_->IsGeneralMode(), general);
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path());
        settings_ = std::make_unique<TQtSettingsStore>();
        settings_->WriteString("", "Data directory", dir_.path().toStdString());
        QVERIFY(QFile::copy(QStringLiteral(ORVANE_TEST_DATA "/layout/DAT.sch"),
                            dir_.path() + "/DAT.sch"));
        datPath_ = dir_.path() + "/L.DAT";
        std::ofstream(datPath_.toStdString(), std::ios::binary) << std::string(2 * 213, '\0');
        TBinDataSet store;
        store.SetFileName(datPath_.toStdString());
        store.SetSchemaFileName((dir_.path() + "/DAT.sch").toStdString());
        store.Open();
        store.Edit();
        store.SetValue("Run#", TFieldValue(int64_t{12}));
        store.SetValue("Ramp", TFieldValue(2.5));
        store.Post();
        store.SaveToFile(datPath_.toStdString());
        store.Close();
    }
    void init() {
        WriteAll(Ini(), kLayout);
        QFile::remove(dir_.path() + "/OV_DAT.~INI");
    }
    void cleanup() {
        form_.reset();
        prompts_ = TTestPrompts();
    }

    void theLayoutFileBuildsTheGeneralForm() {
        NewForm(true);
        QVERIFY(form_->OpenFile(datPath_));
        QVERIFY(prompts_.opens.isEmpty());
        QVERIFY(prompts_.errors.isEmpty());
        QCOMPARE(Layout().LayoutFile(), Ini().toStdString());
        QCOMPARE(form_->BooleanDisplay(), QStringLiteral("Ja;False"));
        QCOMPARE(form_->size(), QSize(900, 640));

        // Given place; the label right-aligned two pixels left of the edit.
        QWidget* run = Control("dbeRunnumber");
        QVERIFY(run);
        QCOMPARE(run->geometry(), QRect(100, 40, 60, 24));
        QCOMPARE(static_cast<QLineEdit*>(run)->text(), QStringLiteral("12"));
        auto* runLabel = qobject_cast<QLabel*>(Control("lblRunnumber"));
        QCOMPARE(runLabel->text(), QStringLiteral("Run number"));
        QCOMPARE(runLabel->geometry().right() + 1, 98);
        QCOMPARE(runLabel->buddy(), run);
        // The next edit flows on from there; labels above by default.
        QWidget* disk = Control("dbeDisk");
        QVERIFY(disk);
        QCOMPARE(disk->pos(), QPoint(168, 40));
        QCOMPARE(Control("lblDisk")->geometry().bottom() + 1, 38);
        QWidget* natural = Control("dbeNatural");
        QCOMPARE(natural->pos(), QPoint(disk->geometry().right() + 1 + 8, 40));
        QWidget* ramp = Control("dbeHeatingrate");
        QCOMPARE(ramp->x(), natural->geometry().right() + 1 + 8);
        QCOMPARE(static_cast<QLineEdit*>(ramp)->text(), QLocale().toString(2.5));
        QCOMPARE(Control("lblHeatingrate")->y(), ramp->geometry().bottom() + 1 + 2);
        QCOMPARE(static_cast<QLineEdit*>(Control("dbeNatural"))->text(), QStringLiteral("False"));
        // Hidden fields and fields without a line get no edit.
        QVERIFY(!Control("dbeRemark"));
        QVERIFY(!Control("dbeRawdata"));
        QVERIFY(!Control("dbeNPT"));
        QCOMPARE(Layout().Edits().size(), 4u);
        QVERIFY(run->isVisible());
        // The curve mark of a hidden field.
        QCOMPARE(form_->Document().CurveFields().size(), 1u);
        QCOMPARE(form_->Document().CurveFields()[0].name, std::string("Raw data"));
        QCOMPARE(form_->Document().CurveFields()[0].countExpr, std::string("100"));
        // The free label.
        QCOMPARE(Layout().FreeLabels().size(), 1u);
        QCOMPARE(Layout().FreeLabels()[0]->text(), QStringLiteral("Sample S12"));
        QCOMPARE(Layout().FreeLabels()[0]->pos(), QPoint(300, 8));

        const QByteArray dir = qgetenv("ORVANE_SCREENSHOTS");
        if (!dir.isEmpty()) form_->grab().save(QString::fromLocal8Bit(dir) + "/general_form.png");

        // Typing into an edit stores the field.
        auto* edit = static_cast<TLayoutFieldEdit*>(disk);
        edit->setText(QStringLiteral("7"));
        QVERIFY(edit->StoreText());
        QCOMPARE(form_->ShownView()->AsInteger("Disk#"), int64_t{7});

        // In "Halcyon files" mode the controls exist but stay hidden.
        form_->SwitchMode();
        QVERIFY(Control("dbeRunnumber"));
        QVERIFY(!Control("dbeRunnumber")->isVisible());
        QVERIFY(!Layout().FreeLabels()[0]->isVisible());
    }

    void aMissingLayoutFileIsAskedForAndRemembered() {
        QVERIFY(QFile::rename(Ini(), dir_.path() + "/OV_DAT_LAB.INI"));
        prompts_.openAnswer = dir_.path() + "/OV_DAT_LAB.INI";
        NewForm(true);
        QVERIFY(form_->OpenFile(datPath_));
        QCOMPARE(prompts_.opens.size(), 1);
        QCOMPARE(prompts_.opens[0], "Open configuration file|" + dir_.path() +
                                        "|Configuration files (*.ini)|OV_DAT*.ini;OV_DAT*.INI");
        QCOMPARE(Layout().IniList().Get("DAT"), prompts_.openAnswer.toStdString());
        QVERIFY(Control("dbeRunnumber"));
        // The table is kept for the rest of the run: no question at the next opening.
        QVERIFY(form_->OpenFile(datPath_));
        QCOMPARE(prompts_.opens.size(), 1);

        // Cancelled: no layout file, every field gets an edit.
        form_.reset();
        prompts_.openAnswer.clear();
        NewForm(true);
        QVERIFY(form_->OpenFile(datPath_));
        QCOMPARE(prompts_.opens.size(), 2);
        QVERIFY(Layout().LayoutFile().empty());
        QVERIFY(Control("dbeRemark"));
        QCOMPARE(Layout().Edits().size(), form_->ShownView()->Fields().size());
        QVERIFY(form_->Document().CurveFields().empty());
        QVERIFY(QFile::rename(dir_.path() + "/OV_DAT_LAB.INI", Ini()));
    }

    void aFieldThatCannotBeBuiltIsReported() {
        WriteAll(Ini(), "[FIELDS]\r\nRun#=Yes\r\nRamp=Yes, x\r\nDisk#=Yes\r\nRemark=Yes\r\n");
        NewForm(true);
        form_->OpenFile(datPath_);
        QCOMPARE(prompts_.errors,
                 QStringList{"INI File Error: Error processing field Ramp in INI file"});
        // Fields before it in the view's order were built, later ones not.
        QVERIFY(Control("dbeRun"));
        QVERIFY(Control("dbeDisk"));
        QVERIFY(!Control("dbeRamp"));
        QVERIFY(!Control("dbeRemark"));
        form_.reset();
        prompts_ = TTestPrompts();
        WriteAll(Ini(), "[FIELDS]\r\nRun#=Yes\r\n[LABELS]\r\nL_A=A, 1, x\r\n");
        NewForm(true);
        form_->OpenFile(datPath_);
        QCOMPARE(prompts_.errors, QStringList{"'x' is not a valid integer value"});
    }

    void theCaptionsTitleTheGeneralGrid() {
        NewForm(true);
        QVERIFY(form_->OpenFile(datPath_));
        struct {
            const char* field;
            const char* title;
        } general[] = {
            {"Run#", "Run number"},     // caption of its label line
            {"Ramp", "Heating rate"},   //
            {"Raw data", "CURVE raw"},  // hidden in the form, still a grid column
            {"Disk#", "Disk#"},         // field line without label line: the field name
            {"NPT", "NPT"},             // no field line
        };
        for (const auto& c : general) QCOMPARE(ColumnTitle(c.field), QString::fromLatin1(c.title));
        // The maker's view keeps its fixed titles; back in general mode the captions return.
        form_->SwitchMode();
        QCOMPARE(ColumnTitle("Run#"), QStringLiteral("Run"));
        QCOMPARE(ColumnTitle("NPT"), QStringLiteral("Points"));
        form_->SwitchMode();
        QCOMPARE(ColumnTitle("Run#"), QStringLiteral("Run number"));
        // Another file without a layout file: the field names.
        form_->CloseFile();
        QVERIFY(QFile::rename(Ini(), Ini() + ".off"));
        QVERIFY(form_->OpenFile(datPath_));
        QCOMPARE(ColumnTitle("Run#"), QStringLiteral("Run#"));
        QVERIFY(QFile::rename(Ini() + ".off", Ini()));
    }

    void aLayoutErrorLeavesTheFileOpenWithItsCommandsDisabled() {
        // "Change position" moves the controls a layout file builds: "General editor" only.
        const QStringList generalAll{"ActionFileSave", "ActionFileSaveAs", "ActionRowSelect",
                                     "ActionPasteRec", "ActionChangePos", "EditMenu",
                                     "CurvesMenu",     "ToolsMenu"};
        QStringList halcyonAll = generalAll;
        halcyonAll.removeAll(QStringLiteral("ActionChangePos"));
        const QByteArray broken[] = {
            "[FIELDS]\r\nRun#=Yes\r\nRamp=Yes, x\r\n",              // a field
            // a free label, after one that is kept
            "[FIELDS]\r\nRun#=Yes\r\n[LABELS]\r\nL_T=T, 5, 6\r\nL_A=A, 1, x\r\n",
        };
        for (bool general : {true, false}) {
            for (const QByteArray& text : broken) {
                WriteAll(Ini(), text);
                NewForm(general);
                QVERIFY(!form_->OpenFile(datPath_));
                QCOMPARE(prompts_.errors.size(), 1);
                if (text.contains("L_T=")) {
                    QCOMPARE(prompts_.errors[0], QStringLiteral("'x' is not a valid integer value"));
                    QCOMPARE(Layout().FreeLabels().size(), 1u);
                    QCOMPARE(Layout().FreeLabels()[0]->text(), QStringLiteral("T"));
                    QCOMPARE(Layout().FreeLabels()[0]->pos(), QPoint(5, 6));
                }
                QCOMPARE(form_->FileName(), QFileInfo(datPath_).absoluteFilePath());
                QVERIFY(form_->ShownView());
                QVERIFY(!form_->FileCommandsEnabled());
                QCOMPARE(EnabledFileCommands(), QStringList());
                QVERIFY(Action("ActionFileClose")->isEnabled());
                // The commands stay off when focus and record change.
                form_->Grid()->setFocus();
                form_->GoToRecord(1);
                QCOMPARE(EnabledFileCommands(), QStringList());

                // A sound layout file makes the next Open complete.
                WriteAll(Ini(), kLayout);
                QVERIFY(form_->OpenFile(datPath_));
                QVERIFY(form_->FileCommandsEnabled());
                QCOMPARE(EnabledFileCommands(), general ? generalAll : halcyonAll);
                form_.reset();
                prompts_ = TTestPrompts();
            }
        }
    }

    void aModeSwitchUsesTheLayoutFileOfTheOpen() {
        // Cancelled on Open: not asked again when the mode switches, asked on the next Open.
        QVERIFY(QFile::rename(Ini(), Ini() + ".off"));
        NewForm(false);
        QVERIFY(form_->OpenFile(datPath_));
        QCOMPARE(prompts_.opens.size(), 1);
        form_->SwitchMode();
        form_->SwitchMode();
        form_->SwitchMode();
        QCOMPARE(prompts_.opens.size(), 1);
        QVERIFY(Layout().LayoutFile().empty());
        QCOMPARE(Layout().Edits().size(), form_->ShownView()->Fields().size());
        QVERIFY(Control("dbeRemark")->isVisible());
        QVERIFY(form_->OpenFile(datPath_));
        QCOMPARE(prompts_.opens.size(), 2);
        QVERIFY(QFile::rename(Ini() + ".off", Ini()));

        // Found on Open: read again for the other mode's view, the window left where it is.
        form_.reset();
        NewForm(false);
        QVERIFY(form_->OpenFile(datPath_));
        QCOMPARE(form_->size(), QSize(900, 640));
        form_->resize(700, 500);
        form_->SwitchMode();
        QCOMPARE(form_->size(), QSize(700, 500));
        QCOMPARE(prompts_.opens.size(), 2);
        QCOMPARE(Layout().LayoutFile(), Ini().toStdString());
        QVERIFY(Control("dbeRunnumber")->isVisible());
        QCOMPARE(static_cast<QLineEdit*>(Control("dbeRunnumber"))->text(), QStringLiteral("12"));
        QCOMPARE(form_->Document().CurveFields().size(), 1u);
        QVERIFY(form_->FileCommandsEnabled());
    }

    void movingControlsSnapsThemToTheGrid() {
        NewForm(true);
        QVERIFY(form_->OpenFile(datPath_));
        QVERIFY(!Action("ActionConfigSave")->isEnabled());
        Action("ActionChangePos")->trigger();
        QVERIFY(Layout().Moving());
        QVERIFY(Action("ActionChangePos")->isChecked());
        QWidget* disk = Control("dbeDisk");
        // Dropped on itself: moved by the drop offset, 168 + 15 = 183 -> 184, 40 + 9 -> 52.
        QTest::mousePress(disk, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
        QTest::mouseRelease(disk, Qt::LeftButton, Qt::NoModifier, QPoint(17, 11));
        QCOMPARE(disk->pos(), QPoint(184, 52));
        // The control follows the mouse while it is dragged, and lands on the grid where it
        // is let go: from (184, 52) by (15, 9) to (199, 61), snapped to (200, 64).
        QTest::mousePress(disk, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
        QTest::mouseMove(disk, QPoint(17, 11));
        QCOMPARE(disk->pos(), QPoint(199, 61));
        QTest::mouseRelease(disk, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
        QCOMPARE(disk->pos(), QPoint(200, 64));
        QVERIFY(Action("ActionConfigSave")->isEnabled());
        // Dropped elsewhere: to the drop point, x 37 -> 40 and 35 -> 36.
        Layout().DropControl(disk, QPoint(190, 55), QPoint(37, 35));
        QCOMPARE(disk->pos(), QPoint(40, 36));
        QWidget* label = Control("lblDisk");
        Layout().DropControl(label, QPoint(0, 0), QPoint(400, 300));
        QCOMPARE(label->pos(), QPoint(404, 304));
        Action("ActionChangePos")->trigger();
        QVERIFY(!Layout().Moving());

        // The fixed form of "Halcyon files" mode has nothing that moves: the command is off,
        // and a switch to that mode ends moving.
        Action("ActionChangePos")->trigger();
        QVERIFY(Layout().Moving());
        form_->SwitchMode();
        QVERIFY(!form_->IsGeneralMode());
        QVERIFY(!Layout().Moving());
        QVERIFY(!Action("ActionChangePos")->isEnabled());
        form_->SwitchMode();
        QVERIFY(Action("ActionChangePos")->isEnabled());
    }

    void savePositionRewritesTheFileAndKeepsABackup() {
        NewForm(true);
        QVERIFY(form_->OpenFile(datPath_));
        Action("ActionChangePos")->trigger();
        Layout().DropControl(Control("dbeDisk"), QPoint(0, 0), QPoint(37, 99));
        Layout().DropControl(Control("lblDisk"), QPoint(0, 0), QPoint(3, 99));
        Layout().DropControl(Layout().FreeLabels()[0], QPoint(0, 0), QPoint(497, 17));
        prompts_.saveAnswer = Ini();
        Action("ActionConfigSave")->trigger();
        QVERIFY(prompts_.errors.isEmpty());
        QCOMPARE(prompts_.saves, QStringList{"Save configuration file|" + Ini() + "|INI"});
        QCOMPARE(ReadAll(dir_.path() + "/OV_DAT.~INI"), QByteArray(kLayout));
        QVERIFY(!Action("ActionConfigSave")->isEnabled());

        auto geometry = [&](const char* name) {
            const QRect r = Control(name)->geometry();
            return QStringLiteral("%1, %2, %3, %4")
                .arg(r.x())
                .arg(r.y())
                .arg(r.width())
                .arg(r.height());
        };
        const QString expected =
            QStringLiteral("[MAIN]\r\nLeft=%1\r\nTop=%2\r\nWidth=%3\r\nHeight=%4\r\n")
                .arg(form_->x())
                .arg(form_->y())
                .arg(form_->width())
                .arg(form_->height()) +
            "BooleanDisplay=Ja;\r\n[FIELDS]\r\n"
            "Run#=Ja, 0, 100, 40, 60, 24\r\nL_Run#=Run number, LEFT\r\n"
            "Disk#=Ja, 0, 40, 100, " +
            geometry("dbeDisk").section(", ", 2) +
            "\r\n"
            "L_Disk#=Disk#, LEFT\r\n"
            "Remark=false, 0, 4, 200\r\n"
            "Ramp=Ja, 3, " +
            geometry("dbeHeatingrate") +
            "\r\nL_Ramp=Heating rate, BOTTOM\r\n"
            "Nat TL=Ja, 0, " +
            geometry("dbeNatural") +
            "\r\nL_Nat TL=Natural, TOP\r\n"
            "Raw data=False\r\nL_Raw data=CURVE raw\r\n"
            "[LABELS]\r\nL_Sample S12=Sample S12, 500, 20\r\nL_Title=Sample S12, 300, 8\r\n";
        QCOMPARE(QString::fromLatin1(ReadAll(Ini())), expected);
    }

    void savingInHalcyonModeKeepsTheFieldsVisible() {
        NewForm(false);
        QVERIFY(form_->OpenFile(datPath_));
        QVERIFY(!Control("dbeRunnumber")->isVisible());
        prompts_.saveAnswer = Ini();
        Layout().SavePosition();
        const QByteArray text = ReadAll(Ini());
        QVERIFY(text.contains("\r\nRun#=Ja, 0, 100, 40, 60, 24\r\n"));
        QVERIFY(text.contains("\r\nDisk#=Ja, 0, 168, 40, "));
        QVERIFY(text.contains("\r\nRemark=false, 0, 4, 200\r\n"));
    }

    void savingToAMissingFileFails() {
        NewForm(true);
        QVERIFY(form_->OpenFile(datPath_));
        prompts_.saveAnswer = dir_.path() + "/none/OV_DAT.INI";
        Layout().SavePosition();
        QCOMPARE(prompts_.errors,
                 QStringList{"INI File Error: cannot make new INI file: " + prompts_.saveAnswer});
    }

    void readPreferencesRemembersTheKindOfTheName() {
        WriteAll(dir_.path() + "/OV_SADX.INI", "[MAIN]\r\n");
        WriteAll(dir_.path() + "/MYLAYOUT.INI", "[MAIN]\r\n");
        NewForm(false);
        prompts_.openAnswer = dir_.path() + "/MYLAYOUT.INI";
        Action("ActionReadPreferences")->trigger();
        QCOMPARE(Layout().IniList().Count(), 0);
        prompts_.openAnswer = dir_.path() + "/OV_SADX.INI";
        Action("ActionReadPreferences")->trigger();
        QCOMPARE(Layout().IniList().Get("SAD"), prompts_.openAnswer.toStdString());
        QVERIFY(prompts_.opens[0].endsWith("|Configuration files (*.ini)|OV_*.ini;OV_*.INI"));
    }
};

QTEST_MAIN(LayoutFormTest)
#include "layout_form_test.moc"
