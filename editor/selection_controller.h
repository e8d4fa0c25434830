#pragma once
// Record selection in the main window's grid: row-selection mode, the select commands, "Post
// field to selected", "Copy to clipboard" (also Ctrl+C in the grid of "Halcyon files" mode)
// and "Duplicate dosing".
#include <QObject>
#include <QString>
#include <string>

#include "editor/editor_actions.h"
#include "editor/selection_list.h"

class QAction;
class TEditorDocument;
class TEditorShell;
class TLayoutController;

class TSelectionController : public QObject {
    Q_OBJECT

public:
    // Connects itself to the shell's selection commands and the document's signals. The
    // selection itself is the document's.
    explicit TSelectionController(TEditorShell& shell);
    // Reads the layout's boolean texts for the clipboard.
    void SetLayoutController(const TLayoutController* layout) { layout_ = layout; }

    bool RowSelection() const;
    const TRecordSelection& Selection() const { return selection_; }

    // The commands (the actions call them; tests too).
    void SetRowSelection(bool on);
    void SelectTL(bool tl);
    void SelectAll();
    void UnselectAll();
    void ToggleSelection();
    void PostFieldToSelected();
    void CopyToClipboard();
    void DuplicateDosing();
    // Clicking a row indicator: plain selects that row alone, Ctrl toggles it, Shift extends
    // the selection from the current row to it.
    void ClickRowIndicator(int row, Qt::KeyboardModifiers modifiers);
    // The clipboard text the copy command would put there.
    QString ClipboardText();
    // The field of the record form's edit that has the focus; empty when none.
    std::string FocusedField() const;
    void UpdateActions();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* Action(TActionId id) const;
    void ApplyToGrid();
    void AfterEdit();
    int32_t IdOfRow(int row) const;
    bool WindowAlive() const;

    TEditorShell& shell_;
    TEditorDocument& document_;
    TRecordSelection& selection_;
    const QObject* windowObject_;
    const TLayoutController* layout_ = nullptr;
    bool applying_ = false;
};
