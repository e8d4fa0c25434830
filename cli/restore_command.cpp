// orvane-cli restore: the record file and its curve subfile trade places with their backups,
// as the editor's "Restore from backup" does; restoring again swaps them back.
#include <ctime>
#include <iostream>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "cli/json_writer.h"
#include "record_store/backup_restore.h"
#include "record_store/bin_data_set.h"
#include "record_store/editor_error.h"
#include "record_store/schema.h"
#include "record_store/views.h"

namespace {

// Local time as YYYY-MM-DDTHH:MM:SS, or "" when unknown.
std::string LocalTimeText(std::optional<std::time_t> when) {
    if (!when) return std::string();
    std::tm local{};
    if (!::localtime_r(&*when, &local)) return std::string();
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

}  // namespace

int RunRestoreCommand(const std::vector<std::string>& args) {
    return RunGuarded([&] {
        const TCommandLine line = ParseCommandLine(args, {"--schema"}, {});
        if (line.help) {
            std::cout << UsageText();
            return static_cast<int>(kExitOk);
        }
        if (line.positional.size() != 1) throw TUsageError{"restore needs one FILE"};
        const std::string& path = line.positional[0];
        const std::string schemaPath = line.Value("--schema").value_or(DerivedSchemaFor(path));

        // The schema says whether the records carry a subfile; the current record file is
        // not read, so a damaged file can be replaced by its backup.
        const std::optional<std::string> schemaText = ReadTextFile(schemaPath);
        if (!schemaText)
            throw TEditorError("Error restoring data file: " + path +
                               "\nThe schema file cannot be read: " + schemaPath);
        TSchema schema;
        try {
            schema = ParseSchema(*schemaText);
        } catch (const TEditorError& e) {
            throw TEditorError("Error restoring data file: " + path + "\n" + e.what());
        }
        const TBackupFiles files = BackupFilesFor(path, schema.HasSubPart());
        const std::optional<std::time_t> restoredTime = BackupTime(files);
        RestoreFromBackup(files, schema.mainSize);

        TBinDataSet store;
        ConfigureView(store, TViewKind::General);
        try {
            OpenRecordFile(store, path, schemaPath);
        } catch (const TEditorError& e) {
            throw TEditorError(std::string(e.what()) +
                               "\nThe backup was restored all the same; restoring again puts "
                               "the previous files back.");
        }
        TJsonWriter json(std::cout);
        json.BeginObject();
        json.Member("file", files.recordFile);
        json.Member("subfile", files.subFile);
        json.Member("backup", files.recordBackup);
        json.Member("subfile_backup", files.subBackup);
        json.Member("restored_time", LocalTimeText(restoredTime));
        json.Member("backup_time", LocalTimeText(BackupTime(files)));
        json.Member("record_count", store.RecordCount());
        json.EndObject();
        json.Finish();
        return CloseRecordFile(store);
    });
}
