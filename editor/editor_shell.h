#pragma once
// TEditorShell: what controllers and modes may ask of the window that hosts them: its
// actions and menus, the grid and record forms, the user's settings and prompts, and a few
// window-wide services. The main window implements it; controllers and modes hold a
// TEditorShell& and the TEditorDocument&, never the window class.
#include <QString>
#include <string>

#include "editor/editor_actions.h"

class QMenu;
class QWidget;
class TBinDataGrid;
class TEditorDocument;
class TRecordForm;
class TSettingsStore;
class TUserPrompts;

class TEditorShell {
public:
    virtual ~TEditorShell() = default;

    virtual TEditorDocument& Document() = 0;
    virtual const TEditorDocument& Document() const = 0;
    // The window itself: the parent of dialogs and the widget whose geometry layouts keep.
    virtual QWidget* Window() = 0;
    virtual QAction* Action(TActionId id) const = 0;
    virtual QMenu* Menu(TMenuId id) const = 0;

    virtual TBinDataGrid* Grid() const = 0;
    // The fixed record form of "Halcyon files" mode.
    virtual TRecordForm* RecordForm() const = 0;
    // The container of the edit controls built from a layout file ("General editor" mode).
    virtual QWidget* GeneralFormArea() const = 0;
    // Shows `panel` in place of the record form (a mode's panel); nullptr shows the form of
    // the current mode again.
    virtual void ShowPanel(QWidget* panel) = 0;

    virtual TSettingsStore& Settings() = 0;
    virtual TUserPrompts& Prompts() = 0;
    // "Data directory" with a trailing separator, or empty when not set.
    virtual std::string DataDirectory() const = 0;
    // "True;False" texts of boolean fields, e.g. "Yes;No".
    virtual QString BooleanDisplay() const = 0;
    virtual void SetBooleanDisplay(const QString& yesNo) = 0;
    virtual bool TLCurves() const = 0;
    virtual bool SubtractedCurves() const = 0;
    // A file is open and every step of its Open was carried out.
    virtual bool FileCommandsEnabled() const = 0;

    // Re-reads the shown view into grid and form (after bulk edits).
    virtual void RefreshView() = 0;
    // Moves the shown view's cursor to the record at 1-based position n (grid row n - 1).
    virtual void GoToRecord(int position) = 0;
    // The second status-bar panel: the mode's name, or `text` while a mode wants its own.
    virtual void SetModeStatus(const QString& text) = 0;
    // A command the mode that is on holds disabled: controllers that enable commands of
    // their own check this first.
    virtual bool CommandBlocked(TActionId id) const = 0;
    // Re-evaluates which commands are enabled.
    virtual void UpdateActions() = 0;
    virtual void ShowError(const QString& message) = 0;
    virtual void ShowHelpContext(int context) = 0;
    // Called by a step run on `opened(true)` that failed after showing its error: the rest
    // of Open is not carried out, so the file stays open with its file commands disabled.
    virtual void AbandonOpen() = 0;
    // Opens a record file as "Open" does (asking to save a changed file first); false when it
    // was not opened.
    virtual bool OpenFile(const QString& path) = 0;
};
