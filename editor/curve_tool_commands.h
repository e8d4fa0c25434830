#pragma once
// The curve tools of the Tools menu that work on the current or the selected records without a
// mode of their own: "Normalize" (the dialog "Normalize TL glow curves" or "Change raw
// intensity", one undoable run), "Deglitch data" (the dialog "Deglitching curve data", one undoable run)
// and "ASCII conversion" (the dialog "Select fields for conversion", appending the table to the
// record file's ".ascii" file).
class TEditorShell;

void InstallCurveToolCommands(TEditorShell& shell);
