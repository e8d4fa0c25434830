#pragma once
// The ROI commands of the main window: "System parameters" (File and Tools menus) and
// "ROI's" open the ROI sets dialog, which is made once at start-up.
class TEditorShell;
class TRoiSetsDlg;

// Makes the dialog (a child of the shell's window) and connects the commands to it.
TRoiSetsDlg* InstallRoiCommands(TEditorShell& shell);
