#pragma once
// The per-user settings store over QSettings (organisation "Halcyon Systems", application
// "Orvane Editor"; on Linux ~/.config/Halcyon Systems/Orvane Editor.conf). Key paths with
// "\" between levels become QSettings groups.
#include <QSettings>

#include "platform/settings_store.h"

class TQtSettingsStore : public TSettingsStore {
public:
    TQtSettingsStore();
    // A store over a given settings file (tests).
    explicit TQtSettingsStore(const QString& fileName);

    std::optional<std::string> ReadString(const std::string& key,
                                          const std::string& name) const override;
    std::optional<int> ReadInteger(const std::string& key, const std::string& name) const override;
    bool WriteString(const std::string& key, const std::string& name,
                     const std::string& value) override;
    bool WriteInteger(const std::string& key, const std::string& name, int value) override;
    bool DeleteKey(const std::string& key) override;
    bool KeyExists(const std::string& key) const override;
    std::vector<std::string> SubKeys(const std::string& key) const override;
    std::vector<std::string> ValueNames(const std::string& key) const override;

    QSettings& Native() { return settings_; }

private:
    mutable QSettings settings_;
};
