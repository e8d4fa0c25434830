#pragma once
// TModeSwitcher: the one place that turns the window's modes on and off. Each mode is
// registered once with its command; the command then toggles it. The switcher keeps the
// rules: modes of one group replace each other, a mode of another group blocks entering,
// the menus and commands a mode disables stay disabled while it is on, and a mode that is on
// when a file closes is entered again for the next file opened (and after a switch between
// "Halcyon files" and "General editor").
#include <QObject>
#include <QStringList>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "editor/editor_actions.h"
#include "editor/editor_mode.h"

class TEditorDocument;
class TEditorMode;
class TEditorShell;

class TModeSwitcher : public QObject {
    Q_OBJECT

public:
    TModeSwitcher(TEditorShell& shell, TEditorDocument& document, QObject* parent = nullptr);
    ~TModeSwitcher() override;

    // The switcher keeps the mode for the life of the window. A mode registered for a
    // command that already has one takes its place (the one before is left and dropped).
    template <class TMode>
    TMode& Register(std::unique_ptr<TMode> mode) {
        TMode& added = *mode;
        Add(std::unique_ptr<TEditorMode>(std::move(mode)));
        return added;
    }

    // The mode that is on (also while no file is open), or nullptr.
    TEditorMode* Active() const { return active_; }
    bool IsOn(const TEditorMode& mode) const { return active_ == &mode; }

    // The mode's command: turns it off when on, else on (switching off a mode of its group
    // first). Returns whether the mode is on afterwards.
    bool Toggle(TEditorMode& mode);
    // Turns `mode` on; false when it cannot be entered now (after showing why, if it
    // refused itself).
    bool Enter(TEditorMode& mode);
    // Turns the active mode off.
    void Leave();
    // Whether the mode's command can be used now.
    bool CanEnter(const TEditorMode& mode) const;
    // A command the active mode disables.
    bool CommandBlocked(TActionId id) const;
    bool MenuBlocked(TMenuId id) const;
    // The window calls this at the end of its own enabling of commands.
    void UpdateActions();

signals:
    void modeChanged();

private:
    void Add(std::unique_ptr<TEditorMode> mode);
    // Starts the mode's view state (panel, filter, columns, status) and calls Enter.
    bool Start(TEditorMode& mode);
    // Ends the mode's view state and calls Leave (unless it never entered); the mode stays
    // the active one.
    void Stop(bool leaveMode = true);
    void OnClosing();
    void OnOpened();
    void UpdateStatus();

    TEditorShell& shell_;
    TEditorDocument& document_;
    std::vector<std::unique_ptr<TEditorMode>> modes_;
    std::vector<QMetaObject::Connection> commands_;  // each mode's command connection
    TEditorMode* active_ = nullptr;
    bool running_ = false;  // the active mode is entered (a view is open for it)
    QStringList savedColumns_;
    std::map<std::string, std::string> savedTitles_;
    bool columnsChanged_ = false;
};
