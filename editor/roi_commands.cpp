#include "editor/roi_commands.h"

#include <QAction>

#include "editor/command_hooks.h"
#include "editor/main_window.h"
#include "roi/roi_pages_dialog.h"

namespace {

const int kSystemParametersHelp = 112;

void UpdateEnabled(TEdForm1& form) {
    for (const char* name : {"ActionToolsSysPars", "ActionFileParameters"})
        if (QAction* a = form.findChild<QAction*>(QString::fromLatin1(name)))
            a->setEnabled(!form.IsGeneralMode());
}

}  // namespace

void InstallRoiCommands(TEdForm1& form) {
    // The computations read the current sets from the start, before the dialog is opened.
    ProgramROISets().Load(form.Settings());
    auto* dialog = new TPagesDlg(ProgramROISets(), form.Settings(), &form);
    QObject::connect(dialog, &TPagesDlg::helpRequested, &form,
                     [&form] { form.ShowHelpContext(kSystemParametersHelp); });
    auto open = [dialog](bool tlPage) {
        if (tlPage) dialog->ShowPage(TROIKind::TL);
        dialog->exec();
    };
    for (const char* name : {"ActionToolsSysPars", "ActionFileParameters"})
        if (QAction* a = form.findChild<QAction*>(QString::fromLatin1(name)))
            QObject::connect(a, &QAction::triggered, dialog, [open] { open(false); });
    if (QAction* a = form.findChild<QAction*>(QStringLiteral("ActionToolsROIs")))
        QObject::connect(a, &QAction::triggered, dialog, [open] { open(true); });
    QObject::connect(&form, &TEdForm1::modeChanged, dialog, [&form] { UpdateEnabled(form); });
    UpdateEnabled(form);
}

TPagesDlg* SystemParametersDialog(const TEdForm1& form) {
    return form.findChild<TPagesDlg*>(QStringLiteral("PagesDlg"));
}
