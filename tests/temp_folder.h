#pragma once
// A fresh temporary folder for one test, removed with everything in it afterwards. The name
// comes from mkdtemp, so tests running in parallel processes never share a folder.
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

class TTempFolder {
public:
    TTempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "orvane-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~TTempFolder() {
        if (path_.empty()) return;
        std::error_code ec;
        // A test may have made the folder read-only to provoke a failure.
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    // Empty when the folder could not be made.
    const std::filesystem::path& path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    std::string operator/(const std::string& name) const { return File(name); }
    // Names of all entries, sorted.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(path_))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::filesystem::path path_;
};
