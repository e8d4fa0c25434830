#include "editor/command_hooks.h"

void InstallRoiCommands(TEdForm1&) {}
