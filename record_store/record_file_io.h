#pragma once
// Writing a set of files so that either all of them take their new content, with the old
// content kept as backups, or nothing changes: each new file is first written completely
// under a temporary name in its own folder, and only then are backups rotated and the new
// files moved into place, undoing every step when one fails.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

// A new file written under a temporary name beside its target; removed again by the
// destructor unless it was moved into place.
class TTempFile {
public:
    // `expectedBytes`, when known, sizes the write buffer: a small file needs no large one.
    explicit TTempFile(const std::string& target, uint64_t expectedBytes = kWriteBufferSize);
    ~TTempFile();
    TTempFile(const TTempFile&) = delete;
    TTempFile& operator=(const TTempFile&) = delete;

    // False (with Error() set: "<target>: <system message>") when the file could not be
    // created or written.
    bool Ok() const { return error_.empty(); }
    bool Write(const void* data, size_t size);
    // Flushes and closes the file; false when any write failed.
    bool Finish();
    const std::string& Path() const { return path_; }
    const std::string& Target() const { return target_; }
    const std::string& Error() const { return error_; }
    // The file now lives under another name and is no longer removed.
    void Release() { released_ = true; }

private:
    void SetError(int err);  // "<target>: <system message>"

    std::string target_;
    std::string path_;
    std::string error_;
    std::FILE* file_ = nullptr;
    static constexpr size_t kWriteBufferSize = 1 << 20;
    std::unique_ptr<char[]> buffer_;
    bool released_ = false;
};

struct TReplacement {
    TTempFile* file = nullptr;      // the complete new content; its Target() is replaced
    std::string backup;             // the backup name of the target
    std::string removeBackupError;  // cause when an old backup cannot be removed
    std::string createBackupError;  // cause when the target cannot become the backup
};

// Rotates backups and moves the new files into place, in list order: an existing backup is
// removed, the target renamed to the backup name, then every new file takes its target's
// name. An old backup that is read-only or no plain file cannot be removed: with
// strictOldBackup that fails with removeBackupError, otherwise it is left and the rename of
// the target onto the (still present) backup name fails with createBackupError. On failure
// every step taken is undone and TEditorError(cause) is thrown; a backup message is followed by
// a line with the backup's path, a failed move by "<target>: <system message>".
void ReplaceWithBackups(const std::vector<TReplacement>& items, bool strictOldBackup);
