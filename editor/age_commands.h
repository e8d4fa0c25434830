#pragma once
// The "Age computation" menu's "Compute age": opens the age dialog for the open record file,
// which keeps its inputs beside that file and offers the last equivalent dose of growth-curve
// mode and the last dose model of the result viewer.
class TEditorShell;

void InstallAgeCommands(TEditorShell& shell);
