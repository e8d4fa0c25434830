#include "graph/viewer_windows.h"

#include <QWidget>
#include <memory>

#include "editor/editor_document.h"
#include "editor/editor_shell.h"
#include "graph/graph_form.h"
#include "graph/viewer_role.h"

TGrForm1* FindGraphViewer(TEditorShell& shell, const std::string& name) {
    QWidget* window = shell.Window();
    if (!window) return nullptr;
    return window->findChild<TGrForm1*>(QString::fromStdString(name), Qt::FindDirectChildrenOnly);
}

TGrForm1* ShowGraphViewer(TEditorShell& shell, const std::string& name) {
    TGrForm1* form = FindGraphViewer(shell, name);
    if (!form) {
        form = new TGrForm1(shell, shell.Window());
        form->setObjectName(QString::fromStdString(name));
        form->setModal(false);
        auto role = std::make_unique<TViewerRole>(*form, shell.Document().GraphMessages(), name,
                                                  &shell.Document());
        role->SetPlateauPicked(
            [document = &shell.Document()](int row) { document->SetPickedPlateauRow(row); });
        form->SetRole(std::move(role));
    }
    if (form->isHidden()) form->show();
    return form;
}
