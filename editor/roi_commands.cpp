#include "editor/roi_commands.h"

#include <QAction>

#include "editor/editor_document.h"
#include "editor/editor_shell.h"
#include "roi/roi_sets_dialog.h"

namespace {

const int kSystemParametersHelp = 112;

void UpdateEnabled(TEditorShell& shell) {
    for (TActionId id : {TActionId::ToolsSysPars, TActionId::FileParameters})
        shell.Action(id)->setEnabled(!shell.Document().GeneralMode());
}

}  // namespace

TRoiSetsDlg* InstallRoiCommands(TEditorShell& shell) {
    // The computations read the current sets from the start, before the dialog is opened.
    ProgramROISets().Load(shell.Settings());
    auto* dialog = new TRoiSetsDlg(ProgramROISets(), shell.Settings(), shell.Window());
    QObject::connect(dialog, &TRoiSetsDlg::helpRequested, dialog,
                     [&shell] { shell.ShowHelpContext(kSystemParametersHelp); });
    auto open = [dialog](bool tlPage) {
        if (tlPage) dialog->ShowPage(TROIKind::TL);
        dialog->exec();
    };
    for (TActionId id : {TActionId::ToolsSysPars, TActionId::FileParameters})
        QObject::connect(shell.Action(id), &QAction::triggered, dialog, [open] { open(false); });
    QObject::connect(shell.Action(TActionId::ToolsROIs), &QAction::triggered, dialog,
                     [open] { open(true); });
    QObject::connect(&shell.Document(), &TEditorDocument::viewModeChanged, dialog,
                     [&shell] { UpdateEnabled(shell); });
    UpdateEnabled(shell);
    return dialog;
}
