#include "editor/age_commands.h"

#include <QAction>

#include "analysis/age_dialog.h"
#include "editor/editor_document.h"
#include "editor/editor_shell.h"

namespace {

const int kAgeHelp = 181;

void OpenAgeDialog(TEditorShell& shell) {
    TEditorDocument& document = shell.Document();
    TAgeDialog dialog(document.FileName(), shell.Window());
    dialog.SetEquivalentDoseSource([&document](double& dose, double& error) {
        return document.LastEquivalentDose(dose, error);
    });
    QObject::connect(&dialog, &TAgeDialog::helpRequested, &dialog,
                     [&shell] { shell.ShowHelpContext(kAgeHelp); });
    dialog.exec();
}

}  // namespace

void InstallAgeCommands(TEditorShell& shell) {
    QAction* compute = shell.Action(TActionId::AgeCompute);
    compute->setEnabled(true);
    QObject::connect(compute, &QAction::triggered, compute, [&shell] { OpenAgeDialog(shell); });
}
