#include "cli/qt/settings_file_reader.h"

#include <QString>
#include <filesystem>
#include <fstream>

#include "editor/qt_settings_store.h"
#include "record_store/editor_error.h"

std::unique_ptr<TSettingsStore> ReadSettingsFile(const std::string& path) {
    const std::string cannot = "Cannot read the settings file " + path;
    std::error_code error;
    if (!std::filesystem::exists(path, error)) throw TEditorError(cannot + ": no such file");
    if (!std::filesystem::is_regular_file(path, error)) throw TEditorError(cannot + ": not a file");
    if (!std::ifstream(path, std::ios::binary)) throw TEditorError(cannot);
    auto store = std::make_unique<TQtSettingsStore>(QString::fromStdString(path));
    if (store->Native().status() != QSettings::NoError)
        throw TEditorError(cannot + ": not a settings file");
    return store;
}
