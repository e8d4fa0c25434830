#include "editor/age_commands.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>

#include "analysis/age_dialog.h"
#include "editor/age_plateau_dialog.h"
#include "editor/editor_document.h"
#include "editor/editor_shell.h"

namespace {

const int kAgeHelp = 181;

void OpenAgeDialog(TEditorShell& shell) {
    TEditorDocument& document = shell.Document();
    TAgeDialog dialog(document.FileName(), shell.Window());
    dialog.SetEquivalentDoseSource([&document](double& dose, double& error, std::string& unit) {
        return document.LastEquivalentDose(dose, error, unit);
    });
    dialog.SetDoseModelSource(
        [&document](double& dose, double& error, std::string& unit, std::string& summary) {
            const TEditorDocument::TLastDoseModel* model = document.LastDoseModel();
            if (!model) return false;
            dose = model->De;
            error = model->DeError;
            unit = model->Unit;
            summary = model->Summary;
            return true;
        });
    QObject::connect(&dialog, &TAgeDialog::helpRequested, &dialog,
                     [&shell] { shell.ShowHelpContext(kAgeHelp); });
    dialog.exec();
}

// The ages of the last plateau, with the inputs "Compute age" keeps beside the data file; when
// there are none yet, "Compute age" opens to enter them first.
void OpenAgePlateau(TEditorShell& shell) {
    TEditorDocument& document = shell.Document();
    if (!document.LastPlateau()) {
        shell.ShowError(QStringLiteral(
            "No plateau to turn into ages: compute a Range or All in growth-curve mode first."));
        return;
    }
    const QString side = TAgeDialog::SideFilePath(document.FileName());
    if (!QFileInfo::exists(side)) OpenAgeDialog(shell);
    QFile file(side);
    if (!file.open(QIODevice::ReadOnly)) {
        shell.ShowError(QStringLiteral("Enter the sample's dose-rate inputs in \"Compute age\" "
                                       "first; they are kept in %1.")
                            .arg(QFileInfo(side).fileName()));
        return;
    }
    TDoseRateInputs inputs;
    TAgeFileExtras extras;
    std::string message;
    if (!ParseDoseRateInputsJson(file.readAll().toStdString(), inputs, extras, message)) {
        shell.ShowError(QFileInfo(side).fileName() + QStringLiteral(": ") +
                        QString::fromStdString(message));
        return;
    }
    TAgePlateauDialog dialog(shell, inputs, shell.Window());
    QObject::connect(&dialog, &TAgePlateauDialog::helpRequested, &dialog,
                     [&shell] { shell.ShowHelpContext(kAgeHelp); });
    if (dialog.Compute()) dialog.exec();
}

}  // namespace

void InstallAgeCommands(TEditorShell& shell) {
    QAction* plateau = shell.Action(TActionId::AgePlateau);
    plateau->setEnabled(true);
    QObject::connect(plateau, &QAction::triggered, plateau, [&shell] { OpenAgePlateau(shell); });
    QAction* compute = shell.Action(TActionId::AgeCompute);
    compute->setEnabled(true);
    QObject::connect(compute, &QAction::triggered, compute, [&shell] { OpenAgeDialog(shell); });
}
