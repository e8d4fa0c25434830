#include "platform/settings_store.h"

#include <algorithm>
#include <charconv>

namespace {

std::string Normalise(const std::string& key) {
    std::string k = key;
    while (!k.empty() && k.front() == '\\') k.erase(k.begin());
    while (!k.empty() && k.back() == '\\') k.pop_back();
    return k;
}

bool IsBelow(const std::string& path, const std::string& key) {
    if (key.empty()) return !path.empty();
    return path.size() > key.size() && path.compare(0, key.size(), key) == 0 &&
           path[key.size()] == '\\';
}

}  // namespace

std::optional<std::string> TMemorySettingsStore::ReadString(const std::string& key,
                                                            const std::string& name) const {
    auto k = keys_.find(Normalise(key));
    if (k == keys_.end()) return std::nullopt;
    auto v = k->second.find(name);
    if (v == k->second.end()) return std::nullopt;
    return v->second.isInteger ? std::to_string(v->second.number) : v->second.text;
}

std::optional<int> TMemorySettingsStore::ReadInteger(const std::string& key,
                                                     const std::string& name) const {
    auto k = keys_.find(Normalise(key));
    if (k == keys_.end()) return std::nullopt;
    auto v = k->second.find(name);
    if (v == k->second.end()) return std::nullopt;
    if (v->second.isInteger) return v->second.number;
    int n = 0;
    const std::string& t = v->second.text;
    auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), n);
    if (ec != std::errc() || ptr != t.data() + t.size()) return std::nullopt;
    return n;
}

bool TMemorySettingsStore::WriteString(const std::string& key, const std::string& name,
                                       const std::string& value) {
    if (readOnly_) return false;
    keys_[Normalise(key)][name] = Value{false, value, 0};
    return true;
}

bool TMemorySettingsStore::WriteInteger(const std::string& key, const std::string& name,
                                        int value) {
    if (readOnly_) return false;
    keys_[Normalise(key)][name] = Value{true, {}, value};
    return true;
}

bool TMemorySettingsStore::DeleteKey(const std::string& key) {
    if (readOnly_) return false;
    const std::string k = Normalise(key);
    for (auto it = keys_.begin(); it != keys_.end();) {
        if (it->first == k || IsBelow(it->first, k))
            it = keys_.erase(it);
        else
            ++it;
    }
    return true;
}

bool TMemorySettingsStore::KeyExists(const std::string& key) const {
    const std::string k = Normalise(key);
    for (const auto& [path, values] : keys_)
        if (path == k || IsBelow(path, k)) return true;
    return false;
}

std::vector<std::string> TMemorySettingsStore::SubKeys(const std::string& key) const {
    const std::string k = Normalise(key);
    std::vector<std::string> result;
    for (const auto& [path, values] : keys_) {
        if (!IsBelow(path, k)) continue;
        std::string rest = k.empty() ? path : path.substr(k.size() + 1);
        std::string child = rest.substr(0, rest.find('\\'));
        if (std::find(result.begin(), result.end(), child) == result.end()) result.push_back(child);
    }
    return result;
}

std::vector<std::string> TMemorySettingsStore::ValueNames(const std::string& key) const {
    std::vector<std::string> result;
    auto k = keys_.find(Normalise(key));
    if (k == keys_.end()) return result;
    for (const auto& [name, value] : k->second) result.push_back(name);
    return result;
}
