#pragma once
// Commands that other parts of the editor add to the main window. The main window calls each
// installer once at the end of its constructor; an installer connects to the window's
// actions (found by object name, e.g. "ActionSelectOSL") and signals.
class TEdForm1;

void InstallLayoutCommands(TEdForm1& form);     // layout files, general editor form
void InstallSelectionCommands(TEdForm1& form);  // record selection and bulk edits
void InstallRoiCommands(TEdForm1& form);        // ROI sets and "System parameters"
