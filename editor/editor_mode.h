#pragma once
// TEditorMode: a mode of the main window that takes over the record form while it is on
// ("Subtract bgd", "Normalize", "Deglitch", "Growth curve", "Plateau test", "Fading test").
// A mode is one class: it names its command, says which group it belongs to, builds its
// panel, and may filter the grid, choose its columns, add a status text and disable menus
// and commands while it is on. TModeSwitcher (mode_switcher.h) is the one place that turns
// modes on and off; the window knows no mode by name.
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "editor/editor_actions.h"

class QWidget;
class TBinDataSet;

// Modes of the same group replace each other: entering one switches the other off first
// (the compute modes). A mode of one group cannot be entered while a mode of another group
// is on: its command is disabled.
enum class TModeGroup { Tool, Compute };

// Thrown by TEditorMode::Enter to stay off without a further message: the mode has told the
// user why itself (a warning of its own), or the user cancelled its start.
class TModeDeclined : public std::runtime_error {
public:
    TModeDeclined() : std::runtime_error("mode declined") {}
};

class TEditorMode {
public:
    virtual ~TEditorMode() = default;

    // The command that toggles the mode; it is checkable and shows a check while on.
    virtual TActionId Command() const = 0;
    virtual TModeGroup Group() const = 0;

    // Called with the shown view open and not empty, after the switcher has shown the panel
    // and applied the filter and columns. Throw TEditorError to refuse: the switcher shows
    // the message and the mode stays off; TModeDeclined stays off without one.
    virtual void Enter() = 0;
    // Called while the view is still open (also when the file closes with the mode on: the
    // mode stays on and is entered again for the next file opened). Must not throw.
    virtual void Leave() = 0;

    // Replaces the record form while the mode is on; nullptr keeps the form.
    virtual QWidget* Panel() { return nullptr; }
    // Records the grid shows while the mode is on; empty shows them all.
    virtual std::function<bool(TBinDataSet&)> GridFilter() { return {}; }
    // Field names of the grid's columns while the mode is on, with titles for some of them;
    // empty keeps the normal columns.
    virtual QStringList GridColumns() const { return {}; }
    virtual std::map<std::string, std::string> GridColumnTitles() const { return {}; }
    // Appended to the name of "Halcyon files" / "General editor" in the status bar
    // (" - subtracing backgrounds"); empty adds nothing.
    virtual QString StatusText() const { return {}; }

    // Menus and commands disabled while the mode is on. The compute modes disable the
    // record-editing menus and the curve tools.
    virtual std::vector<TMenuId> DisabledMenus() const {
        if (Group() != TModeGroup::Compute) return {};
        return {TMenuId::Edit, TMenuId::Curves, TMenuId::Age, TMenuId::Configuration};
    }
    virtual std::vector<TActionId> DisabledCommands() const {
        if (Group() != TModeGroup::Compute) return {};
        return {TActionId::ToolsSubtract, TActionId::ToolsNormalize,
                TActionId::ToolsDeglitch, TActionId::ToolsDuplicateDosing,
                TActionId::RecToGraph,    TActionId::EditUndo,
                TActionId::EditRedo};
    }
};
