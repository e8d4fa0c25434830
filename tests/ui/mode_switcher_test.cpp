// Modes of the main window through the one switcher: entering and leaving with panel, grid
// filter and columns and status text; the groups that replace or block each other; menus and
// commands a mode holds disabled; a mode refusing to start; and a mode that is on being
// entered again for the next file opened.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QStackedWidget>
#include <QStatusBar>
#include <QtTest>

#include "editor/bin_data_grid.h"
#include "editor/editor_mode.h"
#include "editor/main_window.h"
#include "editor/mode_switcher.h"
#include "editor/record_form.h"
#include "record_store/bin_data_set.h"
#include "record_store/editor_error.h"
#include "record_store/field_value.h"
#include "ui/sample_window_fixture.h"

namespace {

// A mode that counts its calls, shows a label as its panel, lets only TL records through
// and shows two columns.
class TTestMode : public TEditorMode {
public:
    TTestMode(TActionId command, TModeGroup group) : command_(command), group_(group) {
        panel.setObjectName(QStringLiteral("TestPanel"));
    }
    TActionId Command() const override { return command_; }
    TModeGroup Group() const override { return group_; }
    void Enter() override {
        ++entered;
        if (refuse) throw TEditorError("Nothing to work on.");
    }
    void Leave() override { ++left; }
    QWidget* Panel() override { return &panel; }
    std::function<bool(TBinDataSet&)> GridFilter() override {
        return [](TBinDataSet& v) { return v.AsInteger("Dev#") < 1000; };
    }
    QStringList GridColumns() const override {
        return {QStringLiteral("Run#"), QStringLiteral("Disk#")};
    }
    std::map<std::string, std::string> GridColumnTitles() const override {
        return {{"Disk#", "Aliquot"}};
    }
    QString StatusText() const override { return QStringLiteral(" - testing"); }

    QLabel panel{QStringLiteral("test mode")};
    int entered = 0;
    int left = 0;
    bool refuse = false;

private:
    TActionId command_;
    TModeGroup group_;
};

}  // namespace

class ModeSwitcherTest : public QObject, TSampleWindowFixture {
    Q_OBJECT

private:
    QString Path(const QString& name) const { return dir_ + QLatin1Char('/') + name; }
    QAction* Action(TActionId id) const { return form_->Action(id); }
    TTestMode& AddMode(TActionId command, TModeGroup group) {
        return form_->Modes().Register(std::make_unique<TTestMode>(command, group));
    }
    bool MenuEnabled(TMenuId id) const { return form_->Menu(id)->menuAction()->isEnabled(); }
    QWidget* ShownForm() const { return form_->findChild<QStackedWidget*>()->currentWidget(); }
    QString ModeStatus() const {
        return form_->findChild<QLabel*>(QStringLiteral("StatusMode"))->text();
    }

private slots:
    void init() { QVERIFY(SetUp()); }
    void cleanup() { TearDown(); }

    void theCommandEntersAndLeavesWithPanelFilterColumnsAndStatus() {
        TTestMode& mode = AddMode(TActionId::ToolsSubtract, TModeGroup::Tool);
        QVERIFY(!Action(TActionId::ToolsSubtract)->isEnabled());  // no file yet
        QVERIFY(form_->OpenFile(Path("S12.DAT")));
        const int normalColumns = form_->Grid()->Model()->columnCount();
        QVERIFY(Action(TActionId::ToolsSubtract)->isEnabled());

        Action(TActionId::ToolsSubtract)->trigger();
        QCOMPARE(mode.entered, 1);
        QVERIFY(Action(TActionId::ToolsSubtract)->isChecked());
        QCOMPARE(ShownForm(), &mode.panel);
        TBinDataSet* view = form_->ShownView();
        QVERIFY(view->Filtered());
        QVERIFY(view->First());
        do {
            QVERIFY(view->AsInteger("Dev#") < 1000);
        } while (view->Next());
        TBinDataModel* model = form_->Grid()->Model();
        // The grid shows exactly the records the filter lets through, and a row picked in it
        // makes its own record current.
        std::vector<int64_t> tlRuns;
        for (int i = 0; i < view->RecordCount(); ++i)
            if (ValueAsInteger(view->ValueAt(i, view->FieldIndex("Dev#"))) < 1000)
                tlRuns.push_back(ValueAsInteger(view->ValueAt(i, view->FieldIndex("Run#"))));
        QVERIFY(!tlRuns.empty() && static_cast<int>(tlRuns.size()) < view->RecordCount());
        QCOMPARE(model->rowCount(), static_cast<int>(tlRuns.size()));
        const int last = model->rowCount() - 1;
        QCOMPARE(model->data(model->index(last, 0)).toString(), QString::number(tlRuns.back()));
        form_->GoToRecord(last + 1);
        QCOMPARE(view->AsInteger("Run#"), tlRuns.back());
        QCOMPARE(model->columnCount(), 2);
        QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Aliquot"));
        QCOMPARE(ModeStatus(), QStringLiteral("Halcyon files - testing"));

        Action(TActionId::ToolsSubtract)->trigger();
        QCOMPARE(mode.left, 1);
        QVERIFY(!Action(TActionId::ToolsSubtract)->isChecked());
        QCOMPARE(ShownForm(), static_cast<QWidget*>(form_->RecordForm()));
        QVERIFY(!view->Filtered());
        QCOMPARE(model->columnCount(), normalColumns);
        QCOMPARE(ModeStatus(), QStringLiteral("Halcyon files"));
        QVERIFY(prompts_->errors.isEmpty());
    }

    void computeModesReplaceEachOtherAndHoldBackEditingAndTools() {
        TTestMode& growth = AddMode(TActionId::ComputeGrowth, TModeGroup::Compute);
        TTestMode& fading = AddMode(TActionId::ComputeFading, TModeGroup::Compute);
        TTestMode& subtract = AddMode(TActionId::ToolsSubtract, TModeGroup::Tool);
        QVERIFY(form_->OpenFile(Path("S12.DAT")));
        QVERIFY(Action(TActionId::ToolsDuplicateDosing)->isEnabled());

        Action(TActionId::ComputeGrowth)->trigger();
        QCOMPARE(growth.entered, 1);
        Action(TActionId::ComputeFading)->trigger();  // growth gives way
        QCOMPARE(growth.left, 1);
        QCOMPARE(fading.entered, 1);
        QVERIFY(!Action(TActionId::ComputeGrowth)->isChecked());
        QVERIFY(Action(TActionId::ComputeFading)->isChecked());
        QVERIFY(Action(TActionId::ComputeGrowth)->isEnabled());

        // While a compute mode is on: the record-editing menus, the curve tools and the other
        // group's modes are disabled, also after a controller re-evaluates its commands.
        for (TMenuId m : {TMenuId::Edit, TMenuId::Curves, TMenuId::Age, TMenuId::Configuration})
            QVERIFY(!MenuEnabled(m));
        QVERIFY(MenuEnabled(TMenuId::File));
        QVERIFY(!Action(TActionId::ToolsSubtract)->isEnabled());
        form_->Grid()->setFocus();  // the selection controller re-evaluates on focus changes
        QCoreApplication::processEvents();
        form_->UpdateActions();
        QVERIFY(!Action(TActionId::ToolsDuplicateDosing)->isEnabled());
        QVERIFY(!form_->Modes().Enter(subtract));
        QCOMPARE(subtract.entered, 0);

        Action(TActionId::ComputeFading)->trigger();
        QCOMPARE(form_->Modes().Active(), nullptr);
        for (TMenuId m : {TMenuId::Edit, TMenuId::Curves, TMenuId::Configuration})
            QVERIFY(MenuEnabled(m));
        QVERIFY(Action(TActionId::ToolsDuplicateDosing)->isEnabled());
        QVERIFY(Action(TActionId::ToolsSubtract)->isEnabled());

        // A tool mode blocks the compute modes in turn.
        Action(TActionId::ToolsSubtract)->trigger();
        QVERIFY(!Action(TActionId::ComputeGrowth)->isEnabled());
        QVERIFY(MenuEnabled(TMenuId::Edit));
    }

    void aModeThatIsOnIsEnteredAgainForTheNextFile() {
        TTestMode& mode = AddMode(TActionId::ComputeGrowth, TModeGroup::Compute);
        QVERIFY(form_->OpenFile(Path("S12.DAT")));
        Action(TActionId::ComputeGrowth)->trigger();
        QCOMPARE(mode.entered, 1);

        // Open of another file: the mode leaves the closing view and enters the new one.
        QVERIFY(form_->OpenFile(Path("S12.DAT")));
        QCOMPARE(mode.left, 1);
        QCOMPARE(mode.entered, 2);
        QVERIFY(Action(TActionId::ComputeGrowth)->isChecked());
        QCOMPARE(ShownForm(), &mode.panel);
        QVERIFY(form_->ShownView()->Filtered());

        // Close: the mode stays on without a view; the next Open enters it again.
        QVERIFY(form_->CloseFile());
        QCOMPARE(mode.left, 2);
        QCOMPARE(form_->Modes().Active(), &mode);
        QVERIFY(Action(TActionId::ComputeGrowth)->isChecked());
        QVERIFY(form_->OpenFile(Path("S12.DAT")));
        QCOMPARE(mode.entered, 3);
        QCOMPARE(ShownForm(), &mode.panel);

        // A switch to "General editor" opens another view: the mode follows it.
        form_->SwitchMode();
        QCOMPARE(mode.left, 3);
        QCOMPARE(mode.entered, 4);
        QVERIFY(form_->ShownView()->Filtered());
    }

    void aModeThatRefusesStaysOffWithItsMessage() {
        TTestMode& mode = AddMode(TActionId::ToolsSubtract, TModeGroup::Tool);
        mode.refuse = true;
        QVERIFY(form_->OpenFile(Path("S12.DAT")));
        Action(TActionId::ToolsSubtract)->trigger();
        QCOMPARE(prompts_->errors, QStringList{QStringLiteral("Nothing to work on.")});
        QCOMPARE(mode.left, 0);  // it never entered
        QCOMPARE(form_->Modes().Active(), nullptr);
        QVERIFY(!Action(TActionId::ToolsSubtract)->isChecked());
        QCOMPARE(ShownForm(), static_cast<QWidget*>(form_->RecordForm()));
        QVERIFY(!form_->ShownView()->Filtered());
        QCOMPARE(ModeStatus(), QStringLiteral("Halcyon files"));
    }
};

QTEST_MAIN(ModeSwitcherTest)
#include "mode_switcher_test.moc"
