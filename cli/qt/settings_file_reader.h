#pragma once
// The reader of the editor's settings file for `--settings FILE`: the window's own settings
// store (QSettings, INI format), so that the command line reads the ROI sets exactly as the
// window does.
#include <memory>
#include <string>

#include "platform/settings_store.h"

// Throws TEditorError naming the file when it is missing, not a file or cannot be read.
std::unique_ptr<TSettingsStore> ReadSettingsFile(const std::string& path);
