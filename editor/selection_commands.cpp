#include "editor/command_hooks.h"

void InstallSelectionCommands(TEdForm1&) {}
