#pragma once
// Per-user settings store: keys with string and integer values that can be read, written
// and enumerated. Key paths are relative to the program's own key
// ("SOFTWARE\Halcyon Systems\Orvane Editor") and use "\" between levels, e.g. "TLROIs\Set1".
// The empty key path is the program's key itself.
//
// The desktop program stores them with QSettings (editor/); tests and the command-line tool
// use TMemorySettingsStore.

#include <map>
#include <optional>
#include <string>
#include <vector>

class TSettingsStore {
public:
    virtual ~TSettingsStore() = default;

    virtual std::optional<std::string> ReadString(const std::string& key,
                                                  const std::string& name) const = 0;
    virtual std::optional<int> ReadInteger(const std::string& key,
                                           const std::string& name) const = 0;
    // Return false when the store could not be written.
    virtual bool WriteString(const std::string& key, const std::string& name,
                             const std::string& value) = 0;
    virtual bool WriteInteger(const std::string& key, const std::string& name, int value) = 0;
    // Removes a key with its values and subkeys; false when it could not be removed.
    virtual bool DeleteKey(const std::string& key) = 0;

    virtual bool KeyExists(const std::string& key) const = 0;
    // Immediate subkeys and value names of a key, in the store's order.
    virtual std::vector<std::string> SubKeys(const std::string& key) const = 0;
    virtual std::vector<std::string> ValueNames(const std::string& key) const = 0;
};

// An in-memory store for tests and headless use. Values keep their type; an integer read
// of a string value parses it, a string read of an integer value formats it.
class TMemorySettingsStore : public TSettingsStore {
public:
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

    // When set, every write and delete fails (to test how callers report it).
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }

private:
    struct Value {
        bool isInteger = false;
        std::string text;
        int number = 0;
    };
    // Full value path "key\name" -> value; keys are kept as a set of paths.
    std::map<std::string, std::map<std::string, Value>> keys_;
    bool readOnly_ = false;
};
