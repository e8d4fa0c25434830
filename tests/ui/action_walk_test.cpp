// Every command of the main window: one that is enabled does something (its action is
// connected), triggering each with the sample open does not crash, and the commands that
// have no behaviour yet are disabled and say so in their status tip.
#include <QAction>
#include <QApplication>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include "analysis/age_dialog.h"
#include "editor/editor_actions.h"
#include "editor/editor_document.h"
#include "editor/main_window.h"
#include "record_store/bin_data_set.h"
#include "ui/sample_window_fixture.h"

namespace {

// QObject::receivers is protected; naming it through a class that makes it public gives a
// pointer to the member that applies to any QObject.
struct TReceivers : QObject {
    using QObject::receivers;
};

int Receivers(const QAction* action) {
    auto count = &TReceivers::receivers;
    return (action->*count)(SIGNAL(triggered(bool))) + (action->*count)(SIGNAL(toggled(bool)));
}

}  // namespace

class ActionWalkTest : public QObject, TSampleWindowFixture {
    Q_OBJECT

private:
    QString Dat() const { return dir_ + QStringLiteral("/S12.DAT"); }

private slots:
    void init() { QVERIFY(SetUp()); }
    void cleanup() { TearDown(); }

    void commandsWithoutBehaviourAreDisabledAndSaySo() {
        QVERIFY(form_->OpenFile(Dat()));
        for (TActionId id :
             {TActionId::FileMerge, TActionId::ConfigSaveColumns}) {
            QAction* a = form_->Action(id);
            QVERIFY2(!a->isEnabled(), ActionDef(id).name);
            QCOMPARE(a->statusTip(), QStringLiteral("Not available in this version."));
        }
    }

    // "Compute age" opens the age dialog for the open file, which offers the last equivalent
    // dose of the file and keeps its inputs beside it.
    void computeAgeOpensTheDialogForTheOpenFile() {
        QVERIFY(form_->OpenFile(Dat()));
        form_->Document().SetLastEquivalentDose(41.93, 2.1);
        QAction* compute = form_->Action(TActionId::AgeCompute);
        QVERIFY(compute->isEnabled());
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<TAgeDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) return;
            auto* fromGrowth = dialog->findChild<QPushButton*>(QStringLiteral("fromGrowthButton"));
            seen = fromGrowth != nullptr && fromGrowth->isEnabled();
            if (seen) fromGrowth->click();
            seen = seen &&
                   dialog->findChild<QDoubleSpinBox*>(QStringLiteral("deEdit"))->value() == 41.93;
            dialog->reject();
        });
        compute->trigger();
        QVERIFY(seen);
        // Another file forgets the dose.
        QVERIFY(form_->OpenFile(dir_ + QStringLiteral("/S12.DAT")));
        double dose = 0, error = 0;
        QVERIFY(!form_->Document().LastEquivalentDose(dose, error));
    }

    void everyEnabledCommandIsConnectedAndRunsWithAFileOpen() {
        // Dialogs that a command opens modally are closed again at once.
        QTimer closer;
        connect(&closer, &QTimer::timeout, [] {
            if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
        });
        closer.start(50);
        for (bool general : {false, true}) {
            QVERIFY(form_->OpenFile(Dat()));
            if (form_->IsGeneralMode() != general) form_->SwitchMode();
            for (std::size_t i = 0; i < kActionCount; ++i) {
                const auto id = static_cast<TActionId>(i);
                if (id == TActionId::FileExit) continue;  // ends the program: last
                QAction* a = form_->Action(id);
                if (!a->isEnabled()) continue;
                QVERIFY2(Receivers(a) > 0, ActionDef(id).name);
                a->trigger();
                // Commands may close the file (Close) or switch the mode: open it again.
                if (!form_->ShownView()) QVERIFY(form_->OpenFile(Dat()));
                if (form_->IsGeneralMode() != general) form_->SwitchMode();
                QVERIFY(form_->ShownView());
            }
        }
        QAction* exit = form_->Action(TActionId::FileExit);
        QVERIFY(Receivers(exit) > 0);
        exit->trigger();
        QVERIFY(!form_->isVisible());
    }
};

QTEST_MAIN(ActionWalkTest)
#include "action_walk_test.moc"
