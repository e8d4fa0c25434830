#include "record_store/file_names.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

size_t NameStart(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

// Position of the extension's dot, or npos.
size_t ExtensionDot(const std::string& path) {
    size_t start = NameStart(path);
    size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot < start) return std::string::npos;
    return dot;
}

std::string Folder(const std::string& path) {
    return path.substr(0, NameStart(path));
}

bool InRange(char c, char lo, char hi) {
    return c >= lo && c <= hi;
}

}  // namespace

std::string FileExtension(const std::string& path) {
    size_t dot = ExtensionDot(path);
    return dot == std::string::npos ? std::string() : path.substr(dot);
}

std::string SubfileNameFor(const std::string& recordPath) {
    const std::string ext = Upper(FileExtension(recordPath));
    if (ext.size() < 4) return std::string();
    const std::string head = ext.substr(0, 3);
    const char c = ext[3];
    std::string subExt;
    if (head == ".DA" && (InRange(c, '1', '9') || InRange(c, 'A', 'E') || c == 'T')) {
        subExt = ext == ".DAT" ? std::string(".SUB") : std::string(".SU") + c;
    } else if (ext == ".SAD") {
        subExt = ".SAB";
    } else if (head == ".SD" && (InRange(c, '1', '9') || InRange(c, 'A', 'E'))) {
        subExt = std::string(".SB") + c;
    } else {
        return std::string();
    }
    return recordPath.substr(0, ExtensionDot(recordPath)) + subExt;
}

std::string DefaultSchemaNameFor(const std::string& recordPath) {
    std::string ext = FileExtension(recordPath);
    if (!ext.empty()) ext.erase(0, 1);
    return Folder(recordPath) + ext + ".SCH";
}

std::string EditorSchemaNameFor(const std::string& recordPath, const std::string& schemaDir) {
    std::string ext = Upper(FileExtension(recordPath));
    if (!ext.empty()) ext.erase(0, 1);
    std::string dir = schemaDir.empty() ? Folder(recordPath) : schemaDir;
    if (!dir.empty() && dir.back() != '/') dir += '/';
    return dir + ext + ".sch";
}

std::string BackupNameFor(const std::string& path) {
    size_t dot = ExtensionDot(path);
    if (dot == std::string::npos) return path + ".~";
    return path.substr(0, dot + 1) + "~" + path.substr(dot + 1);
}

std::string ResolveNameCase(const std::string& path) {
    std::error_code ec;
    if (path.empty() || fs::exists(path, ec)) return path;
    const std::string folder = Folder(path);
    const std::string wanted = Upper(path.substr(NameStart(path)));
    std::vector<std::string> matches;
    fs::directory_iterator it(folder.empty() ? fs::path(".") : fs::path(folder), ec);
    if (ec) return path;
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (Upper(name) == wanted) matches.push_back(name);
    }
    if (matches.empty()) return path;
    std::sort(matches.begin(), matches.end());
    return folder + matches.front();
}
