#pragma once
// The "System parameters" dialog of the main window (created once at start-up).
class TEdForm1;
class TPagesDlg;

TPagesDlg* SystemParametersDialog(const TEdForm1& form);
