#include "record_store/record_file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "record_store/editor_error.h"
#include "record_store/file_operations.h"

namespace fs = std::filesystem;

namespace {

std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool Exists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

// Backups follow the rule of the files' home platform: a read-only file is protected from
// removal, and so is anything that is not a plain file.
bool Removable(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) return true;
    return S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR);
}

// A fresh empty file of the folder to park an old backup under until the save succeeds.
std::string ReserveName(const std::string& near) {
    std::string pattern = FolderOf(near);
    if (pattern.back() != '/') pattern += '/';
    pattern += '.';
    pattern += NameOf(near);
    pattern += ".old-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    int fd = CreateUniqueFile(buf.data(), near);
    if (fd < 0) return std::string();
    ::close(fd);
    return std::string(buf.data());
}

mode_t NewFileMode(const std::string& target) {
    struct stat st;
    if (::stat(target.c_str(), &st) == 0) return st.st_mode & 07777;
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

TTempFile::TTempFile(const std::string& target, uint64_t expectedBytes) : target_(target) {
    std::string pattern = FolderOf(target);
    if (pattern.back() != '/') pattern += '/';
    pattern += '.';
    pattern += NameOf(target);
    pattern += ".new-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    int fd = CreateUniqueFile(buf.data(), target);
    if (fd < 0) {
        SetError(errno);
        return;
    }
    path_ = buf.data();
    ::fchmod(fd, NewFileMode(target));
    file_ = ::fdopen(fd, "wb");
    if (!file_) {
        SetError(errno);
        ::close(fd);
        return;
    }
    const size_t bufferSize =
        static_cast<size_t>(std::clamp<uint64_t>(expectedBytes, 4096, kWriteBufferSize));
    buffer_ = std::make_unique_for_overwrite<char[]>(bufferSize);
    std::setvbuf(file_, buffer_.get(), _IOFBF, bufferSize);
}

TTempFile::~TTempFile() {
    if (file_) std::fclose(file_);
    if (!released_ && !path_.empty()) RemoveFile(path_, target_);
}

bool TTempFile::Write(const void* data, size_t size) {
    if (!error_.empty() || !file_) return false;
    if (size && WriteFileBytes(data, size, file_, target_) != size) {
        SetError(errno);
        return false;
    }
    return true;
}

bool TTempFile::Finish() {
    if (!file_) return false;
    int rc = FlushFile(file_, target_);
    int err = errno;
    if (std::fclose(file_) != 0 && rc == 0) {
        rc = -1;
        err = errno;
    }
    file_ = nullptr;
    if (rc != 0 && error_.empty()) SetError(err);
    return error_.empty();
}

void TTempFile::SetError(int err) {
    error_ = target_ + ": " + std::strerror(err);
}

void ReplaceWithBackups(const std::vector<TReplacement>& items, bool strictOldBackup) {
    struct Rename {
        std::string from, to;
    };
    std::vector<Rename> done;
    // Parking names of old backups (from: the backup); the backups in them are deleted when
    // all went well.
    std::vector<Rename> reserved;
    auto undo = [&]() {
        for (auto it = done.rbegin(); it != done.rend(); ++it)
            RenameFile(it->to, it->from, it->from);
        for (const Rename& r : reserved) RemoveFile(r.to, r.from);
    };
    // subject: the file a failure names.
    auto move = [&](const std::string& from, const std::string& to, const std::string& subject) {
        if (RenameFile(from, to, subject) != 0) return false;
        done.push_back({from, to});
        return true;
    };
    try {
        for (const TReplacement& item : items) {
            const std::string& target = item.file->Target();
            if (Exists(item.backup)) {
                bool parkedOk = false;
                if (Removable(item.backup)) {
                    std::string park = ReserveName(item.backup);
                    if (!park.empty()) {
                        reserved.push_back({item.backup, park});
                        parkedOk = move(item.backup, park, item.backup);
                    }
                }
                if (!parkedOk && strictOldBackup)
                    throw TEditorError(item.removeBackupError + "\n" + item.backup);
            }
            if (Exists(target)) {
                if (Exists(item.backup) || !move(target, item.backup, item.backup))
                    throw TEditorError(item.createBackupError + "\n" + item.backup);
            }
        }
        for (const TReplacement& item : items) {
            if (!move(item.file->Path(), item.file->Target(), item.file->Target()))
                throw TEditorError(item.file->Target() + ": " + std::strerror(errno));
        }
    } catch (...) {
        // New files moved into place go back to their temporary names, where their owners
        // remove them.
        undo();
        throw;
    }
    for (const TReplacement& item : items) item.file->Release();
    for (const Rename& r : reserved) RemoveFile(r.to, r.from);
}
