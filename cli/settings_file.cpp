#include "cli/settings_file.h"

namespace {

TSettingsFileReader g_reader = nullptr;

}  // namespace

void SetSettingsFileReader(TSettingsFileReader reader) {
    g_reader = reader;
}

TSettingsFileReader SettingsFileReader() {
    return g_reader;
}
