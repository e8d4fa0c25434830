#include "record_store/backup_restore.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>
#include <vector>

#include "record_store/editor_error.h"
#include "record_store/file_names.h"
#include "record_store/record_file_io.h"

namespace {

bool Exists(const std::string& path) {
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

std::string NameOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Copies a backup into a new temporary file for its target and gives the new file the
// backup's modification time, so the restored file keeps the date of its content.
std::unique_ptr<TTempFile> CopyBackup(const std::string& backup, const std::string& target) {
    std::ifstream in(backup, std::ios::binary);
    if (!in) throw TEditorError(backup + ": " + std::strerror(errno));
    auto file = std::make_unique<TTempFile>(target);
    if (!file->Ok()) throw TEditorError(file->Error());
    std::vector<char> chunk(1 << 20);
    while (in) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        const std::streamsize got = in.gcount();
        if (got > 0 && !file->Write(chunk.data(), static_cast<size_t>(got))) break;
    }
    if (in.bad()) throw TEditorError(backup + ": the file could not be read.");
    if (!file->Finish()) throw TEditorError(file->Error());
    struct stat st;
    if (::stat(backup.c_str(), &st) == 0) {
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        ::utimensat(AT_FDCWD, file->Path().c_str(), times, 0);
    }
    return file;
}

}  // namespace

TBackupFiles BackupFilesFor(const std::string& recordPath, bool hasSubPart) {
    TBackupFiles files;
    files.recordFile = recordPath;
    files.recordBackup = ResolveNameCase(BackupNameFor(recordPath));
    if (hasSubPart) {
        const std::string sub = SubfileNameFor(recordPath);
        if (!sub.empty()) {
            files.subFile = ResolveNameCase(sub);
            files.subBackup = ResolveNameCase(BackupNameFor(files.subFile));
        }
    }
    return files;
}

std::string MissingBackup(const TBackupFiles& files) {
    if (!Exists(files.recordBackup))
        return "There is no backup of " + NameOf(files.recordFile) + ".";
    if (!files.subFile.empty() && Exists(files.subFile) && !Exists(files.subBackup))
        return "There is no backup of the curve subfile " + NameOf(files.subFile) +
               "; restoring " + NameOf(files.recordFile) +
               " alone would pair its old records with newer curve data.";
    return std::string();
}

std::optional<std::time_t> BackupTime(const TBackupFiles& files) {
    struct stat st;
    if (files.recordBackup.empty() || ::stat(files.recordBackup.c_str(), &st) != 0)
        return std::nullopt;
    return st.st_mtime;
}

void RestoreFromBackup(const TBackupFiles& files, int mainSize) {
    const std::string prefix = "Error restoring data file: " + files.recordFile + "\n";
    try {
        const std::string missing = MissingBackup(files);
        if (!missing.empty()) throw TEditorError(missing);
        struct stat st;
        if (mainSize > 0 && ::stat(files.recordBackup.c_str(), &st) == 0 &&
            (st.st_size == 0 || st.st_size % mainSize != 0))
            throw TEditorError("The backup " + NameOf(files.recordBackup) +
                               " does not hold whole records of " + std::to_string(mainSize) +
                               " bytes.");

        // A subfile backup without a current subfile still takes the subfile's place; a
        // record file whose records carry no curves has no subfile pair at all.
        std::unique_ptr<TTempFile> subFile;
        if (!files.subFile.empty() && Exists(files.subBackup))
            subFile = CopyBackup(files.subBackup, files.subFile);
        std::unique_ptr<TTempFile> recordFile = CopyBackup(files.recordBackup, files.recordFile);

        std::vector<TReplacement> items;
        if (subFile)
            items.push_back({subFile.get(), files.subBackup,
                             "Unable to remove old backup (sub) file.",
                             "Unable to create backup (sub) file."});
        items.push_back({recordFile.get(), files.recordBackup,
                         "Unable to remove old backup file.", "Unable to create backup file."});
        ReplaceWithBackups(items, true);
    } catch (const TEditorError& e) {
        throw TEditorError(prefix + e.what());
    }
}
