#include "graph/graph_commands.h"

#include <QAction>

#include "editor/editor_shell.h"
#include "graph/curve_editor.h"
#include "graph/graph_form.h"

void InstallGraphCommands(TEditorShell& shell) {
    QAction* graph = shell.Action(TActionId::RecToGraph);
    QObject::connect(graph, &QAction::triggered, graph, [&shell] {
        TGrForm1* form = CreateCurveEditor(shell);
        form->exec();
        delete form;
    });
}
