#pragma once
// The main window's record-graph command: "Graph current record" (or "Graph selected records"
// while rows are selected) opens the curve editor on the shown view, modally; the window is
// deleted when it closes.
class TEditorShell;

void InstallGraphCommands(TEditorShell& shell);
