#pragma once
// The viewer windows of the main window: one graph window per name ("PointViewer",
// "CurveViewer", "GraphEditor" for results), created when first needed, registered with the
// document's graph messages, and shown when hidden. Closing one hides it; the next plot of
// its role reuses it.
#include <string>

class TEditorShell;
class TGrForm1;

// The window named `name`, created and registered when it does not exist yet, and shown.
TGrForm1* ShowGraphViewer(TEditorShell& shell, const std::string& name);
// The window named `name` when it exists, else nullptr.
TGrForm1* FindGraphViewer(TEditorShell& shell, const std::string& name);
