#pragma once
// "Restore from backup": the record file and its curve subfile trade places with the
// backups the last save left (.~DAT, .~SUB ...). The swap goes through the same
// write-temporaries-then-rename path as a save, so it is all or nothing, and a restore is
// itself undone by restoring again.
#include <ctime>
#include <optional>
#include <string>

// The files a restore swaps. The subfile pair is empty when the records carry no sub part.
struct TBackupFiles {
    std::string recordFile;
    std::string recordBackup;
    std::string subFile;
    std::string subBackup;
};

// The files of a record file as the save commands name them: the subfile from the
// extension (subfile and backups matched to existing files without regard to case), used
// only when the schema has a sub part.
TBackupFiles BackupFilesFor(const std::string& recordPath, bool hasSubPart);

// Empty when a restore can go ahead; otherwise the reason it cannot, for the user: no
// backup of the record file, or a subfile whose backup is missing (restoring the record
// file alone would pair old records with newer curve data).
std::string MissingBackup(const TBackupFiles& files);
inline bool HasBackup(const TBackupFiles& files) {
    return MissingBackup(files).empty();
}

// When the record file's backup was last written (its modification time); nullopt when
// there is no backup.
std::optional<std::time_t> BackupTime(const TBackupFiles& files);

// Swaps the files with their backups: each backup's content is written to a temporary file
// beside its target (keeping the backup's modification time), then the current files become
// the backups and the temporaries take their names. mainSize (> 0) checks that the record
// backup holds whole records before anything changes. On failure nothing has changed and
// TEditorError("Error restoring data file: <record file>\n<cause>") is thrown.
void RestoreFromBackup(const TBackupFiles& files, int mainSize);
