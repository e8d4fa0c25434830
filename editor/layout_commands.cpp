#include "editor/command_hooks.h"

void InstallLayoutCommands(TEdForm1&) {}
