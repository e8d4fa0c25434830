#pragma once
// `--settings FILE`: the editor's settings file, of which the commands read the user's ROI
// sets. The file is the one the window writes through QSettings; reading it needs Qt, which
// the command library does not link: the program installs the reader at start, and
// --settings is refused without one.
#include <memory>
#include <string>

#include "platform/settings_store.h"

// Opens the settings file for reading; throws TEditorError naming the file when it cannot be
// read.
using TSettingsFileReader = std::unique_ptr<TSettingsStore> (*)(const std::string& path);

void SetSettingsFileReader(TSettingsFileReader reader);
TSettingsFileReader SettingsFileReader();
