#include "editor/layout_commands.h"

#include <QAction>
#include <QMenu>

#include "editor/command_hooks.h"
#include "editor/layout_controller.h"
#include "editor/main_window.h"

void InstallLayoutCommands(TEdForm1& form) {
    auto* layout = new TLayoutController(form);
    QObject::connect(&form, &TEdForm1::viewOpened, layout, [layout, &form](bool fileOpened) {
        if (!layout->LoadForOpenedView(fileOpened) && fileOpened) form.AbandonOpen();
    });
    QObject::connect(&form, &TEdForm1::viewClosing, layout, [layout] {
        layout->SetMoving(false);
        layout->RemoveControls();
    });
    QObject::connect(&form, &TEdForm1::currentRecordChanged, layout,
                     [layout] { layout->RefreshEdits(); });
    if (QAction* a = form.findChild<QAction*>(QStringLiteral("ActionReadPreferences")))
        QObject::connect(a, &QAction::triggered, layout, [layout] { layout->ReadPreferences(); });
    if (QAction* a = form.findChild<QAction*>(QStringLiteral("ActionChangePos"))) {
        a->setCheckable(true);
        a->setEnabled(false);
        QObject::connect(a, &QAction::toggled, layout,
                         [layout](bool on) { layout->SetMoving(on); });
    }
    if (QAction* a = form.findChild<QAction*>(QStringLiteral("ActionConfigSave"))) {
        a->setEnabled(false);
        QObject::connect(a, &QAction::triggered, layout, [layout] { layout->SavePosition(); });
    }
}

const TCurveFieldList& OpenFileCurveFields(const TEdForm1& form) {
    static const TCurveFieldList none;
    const TLayoutController* layout = TLayoutController::Of(form);
    return layout ? layout->CurveFields() : none;
}

std::string CurrentLayoutFile(const TEdForm1& form) {
    const TLayoutController* layout = TLayoutController::Of(form);
    return layout ? layout->LayoutFile() : std::string();
}

bool LayoutGaveBooleanTexts(const TEdForm1& form, const std::string& field) {
    const TLayoutController* layout = TLayoutController::Of(form);
    return layout && layout->HasLayoutBooleanTexts(field);
}
