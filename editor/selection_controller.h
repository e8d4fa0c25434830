#pragma once
// Record selection in the main window's grid: row-selection mode, the select commands, "Post
// field to selected", "Copy to clipboard" (also Ctrl+C in the grid of "Halcyon files" mode)
// and "Duplicate dosing".
#include <QObject>
#include <QString>
#include <string>

#include "editor/selection_list.h"

class QAction;
class TEdForm1;

class TSelectionController : public QObject {
    Q_OBJECT

public:
    explicit TSelectionController(TEdForm1& form);
    static TSelectionController* Of(const TEdForm1& form);

    bool RowSelection() const { return rowSelect_; }
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
    QAction* Action(const char* name) const;
    void ApplyToGrid();
    void AfterEdit();
    int32_t IdOfRow(int row) const;
    bool FormAlive() const;

    TEdForm1& form_;
    const QObject* formObject_;
    TRecordSelection selection_;
    bool rowSelect_ = false;
    bool applying_ = false;
};
