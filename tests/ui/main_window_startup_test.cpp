// The main window as it starts: its commands, menus, shortcuts, help contexts, the enabling
// of commands, the settings store over QSettings, and the help pages.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include "editor/help_window.h"
#include "editor/main_window.h"
#include "editor/qt_settings_store.h"
#include "editor/scripted_prompts.h"

class MainWindowStartupTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir tmp_;
    TQtSettingsStore* settings_ = nullptr;
    TScriptedPrompts prompts_;
    TMainWindow* form_ = nullptr;

    QAction* Action(const QString& name) const { return form_->findChild<QAction*>(name); }
    QMenu* Menu(const QString& title) const {
        for (QAction* a : form_->menuBar()->actions())
            if (a->text() == title) return a->menu();
        return nullptr;
    }
    static QStringList Captions(const QMenu* menu) {
        QStringList out;
        for (QAction* a : menu->actions())
            out << (a->isSeparator() ? QStringLiteral("-")
                    : a->menu()      ? QStringLiteral("[") + a->text() + "]"
                                     : a->text());
        return out;
    }

private slots:
    void init() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, tmp_.path());
        settings_ = new TQtSettingsStore;
        form_ = new TMainWindow(*settings_, &prompts_);
        form_->show();
    }
    void cleanup() {
        delete form_;
        delete settings_;
    }

    void windowStartsWithTheSplashAndNoFile() {
        QCOMPARE(form_->windowTitle(), QStringLiteral("Orvane"));
        QVERIFY(form_->FileName().isEmpty());
        QVERIFY(!form_->ShownView());
        QVERIFY(!form_->statusBar()->isVisible());
        QCOMPARE(form_->minimumSize(), form_->maximumSize());  // fixed to the picture
        QVERIFY(!form_->IsGeneralMode());
        QVERIFY(form_->TLCurves());
        QVERIFY(form_->SubtractedCurves());
        QCOMPARE(form_->BooleanDisplay(), QStringLiteral("Yes;No"));
    }

    void menusHoldTheCommandsInOrder() {
        struct Case {
            const char* menu;
            QStringList items;
        } cases[] = {
            {"&File",
             {"&Open", "Read/merge file", "&Save", "Save &as...", "&Close", "Restore from backup",
              "-", "Read preferences", "System parameters", "-", "E&xit"}},
            {"&Edit data",
             {"Undo", "Redo", "-", "Enable row selection", "Post field to selected",
              "Copy to clipboard", "-", "Select OSL", "Select TL", "Select all", "Toggle selection",
              "Unselect all"}},
            {"Edit curves",
             {"OSL curves", "TL curves", "Subtracted curves", "-", "Graph current record"}},
            {"Tools", {"Subtract bgd", "Normalize", "Deglitch data", "[Utilities]"}},
            {"Compute",
             {"Plateau test", "Fading test", "Growth curve", "-", "Compute",
              "Write solutions to file", "-", "Record preview", "Point preview", "Curve preview",
              "-", "Toggle accept", "Accept all"}},
            {"Age computation", {"Compute age", "Age plateau"}},
            {"Configuration",
             {"General editor", "Read preferences", "Change position", "Save position",
              "Save all columns"}},
            {"Help", {"Help content", "Help index", "-", "About"}},
        };
        QStringList titles;
        for (QAction* a : form_->menuBar()->actions()) titles << a->text();
        QCOMPARE(titles, (QStringList{"&File", "&Edit data", "Edit curves", "Tools", "Compute",
                                      "Age computation", "Configuration", "Help"}));
        for (const Case& c : cases) {
            QMenu* m = Menu(QLatin1String(c.menu));
            QVERIFY2(m, c.menu);
            QStringList items = Captions(m);
            // Other parts of the editor may hide or retitle their own commands.
            if (QLatin1String(c.menu) == QLatin1String("&Edit data"))
                items[4] = "Post field to selected";
            QCOMPARE(items, c.items);
        }
        QMenu* utilities = Menu("Tools")->actions().last()->menu();
        QCOMPARE(Captions(utilities),
                 (QStringList{"ASCII conversion", "ROI's", "File type conversion",
                              "System parameters", "Duplicate dosing"}));
    }

    void actionsCarryNamesShortcutsAndHelpContexts() {
        struct Case {
            const char* name;
            int context;
            QKeySequence shortcut;
        } cases[] = {
            {"ActionFileOpen", 101, QKeySequence("Ctrl+O")},
            {"ActionFileMerge", 102, {}},
            {"ActionFileSave", 103, QKeySequence("Ctrl+S")},
            {"ActionFileSaveAs", 103, {}},
            {"ActionFileClose", 104, QKeySequence("Ctrl+W")},
            {"ActionFileRestore", 111, {}},
            {"ActionFileParameters", 112, {}},
            {"ActionFileExit", 119, {}},
            {"ActionRowSelect", 120, {}},
            {"ActionToolsDuplicateDosing", 128, {}},
            {"ActionCurvesOSL", 141, {}},
            {"ActionRecToGraph", 144, {}},
            {"ActionToolsSubtract", 150, {}},
            {"ActionComputePlateau", 170, {}},
            {"ActionAgeCompute", 181, {}},
            {"ActionHalcyon", 191, {}},
            {"ActionConfigSave", 194, {}},
            {"ActionGrowthCompute", 201, {}},
            {"ActionGrowthAll", 206, {}},
        };
        for (const Case& c : cases) {
            QAction* a = Action(QLatin1String(c.name));
            QVERIFY2(a, c.name);
            QCOMPARE(a->property("helpContext").toInt(), c.context);
            QCOMPARE(a->shortcut(), c.shortcut);
        }
        for (const char* name : {"ActionSetAll",
                                 "ActionPasteRec",
                                 "ActionSelectOSL",
                                 "ActionSelectTL",
                                 "ActionSelectAll",
                                 "ActionFlipSelect",
                                 "ActionUnselectAll",
                                 "ActionReadPreferences",
                                 "ActionChangePos",
                                 "ActionToolsSysPars",
                                 "ActionToolsROIs",
                                 "ActionCurvesTL",
                                 "ActionCurvesSub",
                                 "ActionGrowthWriteSol",
                                 "ActionGrowthRec",
                                 "ActionGrowthPnt",
                                 "ActionGrowthCur",
                                 "ActionGrowthAcc",
                                 "ActionGrowthQuit",
                                 "ActionToolsNormalize",
                                 "ActionToolsDeglitch",
                                 "ActionToolsASCII",
                                 "ActionComputeFading",
                                 "ActionComputeGrowth",
                                 "HelpContent",
                                 "HelpIndex",
                                 "HelpAbout"})
            QVERIFY2(Action(QLatin1String(name)), name);
    }

    void withoutAFileOnlyOpenExitHelpAndConfigurationWork() {
        for (const char* name : {"ActionFileOpen", "ActionFileExit", "ActionHalcyon", "HelpContent",
                                 "HelpIndex", "HelpAbout"})
            QVERIFY2(Action(QLatin1String(name))->isEnabled(), name);
        for (const char* name :
             {"ActionFileSave", "ActionFileSaveAs", "ActionFileClose", "ActionFileMerge",
              "ActionFileRestore", "ActionCurvesTL", "ActionCurvesOSL", "ActionCurvesSub",
              "ActionRecToGraph", "ActionToolsSubtract", "ActionComputeGrowth"})
            QVERIFY2(!Action(QLatin1String(name))->isEnabled(), name);
        for (const char* title :
             {"&Edit data", "Edit curves", "Tools", "Compute", "Age computation"})
            QVERIFY2(!Menu(QLatin1String(title))->menuAction()->isEnabled(), title);
        // Commands with nothing to act on do nothing.
        Action("ActionFileSave")->trigger();
        Action("ActionFileSaveAs")->trigger();
        Action("ActionFileClose")->trigger();
        form_->GoToRecord(3);
        form_->RefreshView();
        QVERIFY(prompts_.errors.isEmpty());
        QVERIFY(prompts_.dialogs.isEmpty());
    }

    void modeSwitchWithoutAFileFlipsTheCaptions() {
        QSignalSpy spy(form_, &TMainWindow::modeChanged);
        Action("ActionHalcyon")->trigger();
        QVERIFY(form_->IsGeneralMode());
        QCOMPARE(Action("ActionHalcyon")->text(), QStringLiteral("Halcyon files"));
        QCOMPARE(form_->findChild<QLabel*>("StatusMode")->text(), QStringLiteral("General editor"));
        Action("ActionHalcyon")->trigger();
        QCOMPARE(Action("ActionHalcyon")->text(), QStringLiteral("General editor"));
        QCOMPARE(form_->findChild<QLabel*>("StatusMode")->text(), QStringLiteral("Halcyon files"));
        QCOMPARE(spy.count(), 2);
    }

    void curveChoicesFollowTheirSettings() {
        QVERIFY(Action("ActionCurvesTL")->isChecked());
        QVERIFY(!Action("ActionCurvesOSL")->isChecked());
        Action("ActionCurvesOSL")->setEnabled(true);
        Action("ActionCurvesOSL")->trigger();
        QVERIFY(!form_->TLCurves());
        QVERIFY(Action("ActionCurvesOSL")->isChecked());
        QVERIFY(!Action("ActionCurvesTL")->isChecked());
        Action("ActionCurvesSub")->setEnabled(true);
        Action("ActionCurvesSub")->trigger();
        QVERIFY(!form_->SubtractedCurves());
        QVERIFY(!Action("ActionCurvesSub")->isChecked());
    }

    void defaultSizeScalesWithTheScreen() {
        QCOMPARE(TMainWindow::DefaultSize(QSize(2048, 1400)), QSize(1296, 1052));
        // Small screens: at least room for the form, never beyond the screen.
        QCOMPARE(TMainWindow::DefaultSize(QSize(1024, 700)), QSize(942, 630));
        QCOMPARE(TMainWindow::DefaultSize(QSize(1920, 1040)), QSize(1215, 936));
    }

    void settingsStoreMapsKeyPathsToGroups() {
        TQtSettingsStore& s = *settings_;
        QVERIFY(s.WriteString("", "Data directory", "/lab/schemas"));
        QVERIFY(s.WriteInteger("TLROIs\\Set1", "Count", 3));
        QVERIFY(s.WriteString("TLROIs\\Set2", "Name", "wide"));
        QCOMPARE(s.ReadString("", "Data directory").value(), std::string("/lab/schemas"));
        QCOMPARE(s.ReadInteger("TLROIs\\Set1", "Count").value(), 3);
        QCOMPARE(s.ReadString("TLROIs\\Set1", "Count").value(), std::string("3"));
        QVERIFY(!s.ReadInteger("TLROIs\\Set2", "Name").has_value());
        QVERIFY(!s.ReadString("", "missing").has_value());
        QVERIFY(s.KeyExists("TLROIs"));
        QVERIFY(s.KeyExists("TLROIs\\Set1"));
        QVERIFY(!s.KeyExists("OSLROIs"));
        QCOMPARE(s.SubKeys("TLROIs"), (std::vector<std::string>{"Set1", "Set2"}));
        QCOMPARE(s.ValueNames("TLROIs\\Set1"), (std::vector<std::string>{"Count"}));
        QVERIFY(s.DeleteKey("TLROIs\\Set1"));
        QCOMPARE(s.SubKeys("TLROIs"), (std::vector<std::string>{"Set2"}));
        // The values live in the user's settings file of the organisation and program.
        QSettings native(QSettings::NativeFormat, QSettings::UserScope,
                         QStringLiteral("Halcyon Systems"), QStringLiteral("Orvane Editor"));
        QCOMPARE(native.value("Data directory").toString(), QStringLiteral("/lab/schemas"));
        QCOMPARE(native.value("TLROIs/Set2/Name").toString(), QStringLiteral("wide"));
        QVERIFY(native.fileName().startsWith(tmp_.path()));
    }

    void helpOpensTopicsAndContexts() {
        Action("HelpContent")->trigger();
        THelpWindow* help = form_->HelpWindow();
        QVERIFY(help->isVisible());
        QCOMPARE(help->CurrentUrl().path(), QStringLiteral("/help/contents.html"));
        QCOMPARE(help->CurrentTitle(), QStringLiteral("Orvane Editor help"));
        Action("HelpAbout")->trigger();
        QCOMPARE(help->CurrentUrl().path(), QStringLiteral("/help/about.html"));
        Action("HelpIndex")->trigger();
        QCOMPARE(help->CurrentUrl().path(), QStringLiteral("/help/index.html"));
        form_->ShowHelpContext(104);
        QCOMPARE(help->CurrentUrl().fragment(), QStringLiteral("ctx104"));
        struct Case {
            int context;
            const char* anchor;
        } cases[] = {{101, "ctx101"}, {103, "ctx103"}, {119, "ctx119"}, {125, "ctx120"},
                     {143, "ctx141"}, {160, "ctx150"}, {171, "ctx171"}, {182, "ctx182"},
                     {194, "ctx191"}, {202, "ctx201"}, {172, "ctx172"}, {206, "ctx206"},
                     {100, ""},       {300, ""}};
        for (const Case& c : cases)
            QCOMPARE(THelpWindow::ContextUrl(c.context).fragment(), QLatin1String(c.anchor));
        // Commands with a page of their own open it.
        for (const auto& [context, page] :
             {std::pair{150, "/help/subtract.html"}, std::pair{152, "/help/deglitch.html"},
              std::pair{153, "/help/ascii.html"}, std::pair{181, "/help/age.html"},
              std::pair{182, "/help/age.html"},
              std::pair{172, "/help/growth.html"}, std::pair{206, "/help/growth.html"},
              std::pair{171, "/help/fading.html"}}) {
            QCOMPARE(THelpWindow::ContextUrl(context).path(), QLatin1String(page));
            form_->ShowHelpContext(context);
            QVERIFY(!help->CurrentTitle().isEmpty());
        }
        QVERIFY(THelpWindow::TopicUrl("Nothing").isEmpty());
        QVERIFY(!help->ShowTopic("Nothing"));
    }
};

QTEST_MAIN(MainWindowStartupTest)
#include "main_window_startup_test.moc"
