#include "graph/viewer_windows.h"

#include <QAction>
#include <QMenu>
#include <QWidget>
#include <memory>

#include "analysis/graph_messages.h"

#include "editor/editor_document.h"
#include "editor/editor_shell.h"
#include "graph/dose_model_dialog.h"
#include "graph/graph_form.h"
#include "graph/viewer_role.h"

namespace {

constexpr int kDoseModelsHelp = 183;

// The doses of the last Range or All over aliquots or grains can be combined.
bool HasAliquotDoses(const TEditorDocument& document) {
    const TEditorDocument::TLastPlateau* last = document.LastPlateau();
    return last && last->DataKind == gkDisk;
}

// "Dose models..." in the result viewer's Graph menu: enabled while the last plateau holds
// the doses of aliquots or grains; opens the dialog beside the viewer (one at a time).
void AddDoseModelsCommand(TEditorShell& shell, TGrForm1& form) {
    QAction* action = new QAction(QStringLiteral("Dose models..."), &form);
    action->setObjectName(QStringLiteral("DoseModels"));
    form.GraphMenu()->addSeparator();
    form.GraphMenu()->addAction(action);
    QObject::connect(form.GraphMenu(), &QMenu::aboutToShow, action,
                     [action, &shell] { action->setEnabled(HasAliquotDoses(shell.Document())); });
    QObject::connect(action, &QAction::triggered, &form, [&shell, &form] {
        if (!HasAliquotDoses(shell.Document())) {
            shell.ShowError(QStringLiteral("No doses of aliquots to combine: compute a Range or "
                                           "All over aliquots in growth-curve mode first."));
            return;
        }
        auto* dialog = form.findChild<TDoseModelDialog*>(QString(), Qt::FindDirectChildrenOnly);
        if (!dialog) {
            dialog = new TDoseModelDialog(shell, &form);
            dialog->setObjectName(QStringLiteral("DoseModelDialog"));
            QObject::connect(dialog, &TDoseModelDialog::helpRequested, dialog,
                             [&shell] { shell.ShowHelpContext(kDoseModelsHelp); });
        }
        dialog->show();
        dialog->raise();
        dialog->activateWindow();
    });
}

}  // namespace

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
        if (name == kGraphEditor) AddDoseModelsCommand(shell, *form);
    }
    if (form->isHidden()) form->show();
    return form;
}
