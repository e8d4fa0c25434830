#pragma once
// "File type conversion" (Tools | Utilities): a BIN/BINX data file of the reader converted into
// our record files beside it (tools/binx_import.h), with the dose rate of the beta source the
// user types in the locale's notation, a progress dialog with Cancel, a question before any
// existing file is replaced, the warnings shown, and the result opened.
class TEditorShell;

inline constexpr int kImportHelp = 155;

void InstallImportCommand(TEditorShell& shell);
