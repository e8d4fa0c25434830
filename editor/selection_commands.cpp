#include "editor/selection_commands.h"

#include "editor/command_hooks.h"
#include "editor/main_window.h"
#include "editor/selection_controller.h"

void InstallSelectionCommands(TEdForm1& form) {
    new TSelectionController(form);
}

std::vector<int32_t> SelectedRecords(const TEdForm1& form) {
    const TSelectionController* s = TSelectionController::Of(form);
    if (!s || !s->RowSelection()) return {};
    return s->Selection().Ids();
}

bool RowSelectionOn(const TEdForm1& form) {
    const TSelectionController* s = TSelectionController::Of(form);
    return s && s->RowSelection();
}
