// Saves and restores of the sample under injected file faults: for every k up to the number
// of file operations one makes, the k-th one fails. Afterwards the folder holds exactly the
// files it held before (byte for byte, backups included) and the store still holds the
// user's change, or, when only the removal of a parked old backup failed, the command went
// through. The message names the file the failing operation concerned.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>

#include "record_store/backup_restore.h"
#include "record_store/bin_data_set.h"
#include "record_store/editor_error.h"
#include "record_store/file_operations.h"
#include "record_store/views.h"
#include "temp_folder.h"
#include "tools/sample_generator.h"

namespace {

namespace fs = std::filesystem;

using TFolderState = std::map<std::string, std::string>;  // file name -> bytes

TFolderState ReadFolder(const fs::path& folder) {
    TFolderState state;
    for (const auto& entry : fs::directory_iterator(folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        state[entry.path().filename().string()] =
            std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return state;
}

void WriteFolder(const fs::path& folder, const TFolderState& state) {
    for (const auto& entry : fs::directory_iterator(folder))
        if (!state.count(entry.path().filename().string())) fs::remove(entry.path());
    for (const auto& [name, bytes] : state) {
        std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
        out << bytes;
    }
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// The folder without the files whose names start with a dot (temporary and parked files).
TFolderState Visible(TFolderState state) {
    std::erase_if(state, [](const auto& item) { return item.first.front() == '.'; });
    return state;
}

enum class TCommand { Save, CloseTimeSave, Restore };

struct TSaveCase {
    const char* name;
    const char* file;    // of the sample, opened in the general view
    const char* target;  // saved to; the file itself for Save
    TCommand command;
};

const char* OperationName(TFileOperation operation) {
    switch (operation) {
    case TFileOperation::Create: return "create";
    case TFileOperation::Write: return "write";
    case TFileOperation::Flush: return "flush";
    case TFileOperation::Rename: return "rename";
    case TFileOperation::Remove: return "remove";
    }
    return "?";
}

TEST(SaveFaults, EveryFailingFileOperationLeavesTheOldFilesOrTheNewOnes) {
    const TSaveCase cases[] = {
        {"Save with subfile", "S12.DAT", "S12.DAT", TCommand::Save},
        {"Save without subfile", "S12.DAS", "S12.DAS", TCommand::Save},
        {"Save as with subfile", "S12.DAT", "COPY.DAT", TCommand::Save},
        {"Save as without subfile", "S12.DAS", "COPY.DAS", TCommand::Save},
        {"Close-time save with subfile", "S12.DAT", "S12.DAT", TCommand::CloseTimeSave},
        {"Restore from backup with subfile", "S12.DAT", "S12.DAT", TCommand::Restore},
        {"Restore from backup without subfile", "S12.DAS", "S12.DAS", TCommand::Restore},
    };
    for (const TSaveCase& c : cases) {
        SCOPED_TRACE(c.name);
        TTempFolder folder;
        ASSERT_FALSE(folder.path().empty());
        MakeSample(folder.path().string());
        // Old backups and, for Save as, an existing target with its own backups: every step
        // of the backup rotation has something to do. A restore gets backups that hold the
        // first records of the sample and their curve blocks.
        const std::string file = folder.File(c.file);
        const std::string target = folder.File(c.target);
        const bool hasSub = std::string(c.file) == "S12.DAT";
        const std::string ext = hasSub ? "DAT" : "DAS";
        const std::string base = target.substr(0, target.size() - 3);
        const bool restore = c.command == TCommand::Restore;
        const TFolderState sample = ReadFolder(folder.path());
        WriteBytes(base + "~" + ext, restore ? sample.at(c.file).substr(0, (hasSub ? 213 : 996) * 5)
                                             : "old backup");
        if (hasSub)
            WriteBytes(base + "~SUB", restore ? sample.at("S12.SUB").substr(0, 1584 * 5)
                                              : "old sub backup");
        if (target != file) {
            WriteBytes(target, "older copy");
            if (hasSub) WriteBytes(base + "SUB", "older copy sub");
        }
        const TFolderState before = ReadFolder(folder.path());

        TBinDataSet store;
        ConfigureView(store, TViewKind::General);
        store.SetFileName(file);
        store.Open();
        ASSERT_EQ(store.SubSize() > 0, hasSub);
        store.SetRecNo(2);
        store.Edit();
        store.SetValue("Remark", std::string("changed by the user"));
        store.Post();
        auto save = [&] {
            if (c.command == TCommand::CloseTimeSave)
                store.SaveOnClose();
            else if (c.command == TCommand::Save)
                store.SaveToFile(target);
            else
                RestoreFromBackup(BackupFilesFor(file, hasSub), store.MainSize());
        };

        long operations = 0;
        {
            TFileFaults count;
            save();
            operations = count.Count();
        }
        const TFolderState after = ReadFolder(folder.path());
        ASSERT_NE(after, before);
        ASSERT_EQ(Visible(after), after) << "a save without faults leaves no temporary file";
        // A save writes record by record; a restore copies the backups in large blocks.
        EXPECT_GT(operations, restore ? (hasSub ? 10 : 5) : (hasSub ? 2 * 168 : 24));

        for (long k = 1; k <= operations; ++k) {
            WriteFolder(folder.path(), before);
            store.SetModified(true);
            std::string message;
            TFileFaults faults(k);
            try {
                save();
            } catch (const TEditorError& e) {
                message = e.what();
            }
            ASSERT_TRUE(faults.Failed());
            SCOPED_TRACE("operation " + std::to_string(k) + " of " + std::to_string(operations) +
                         ": " + OperationName(faults.FailedOperation()) + " of " +
                         faults.FailedSubject());
            const TFolderState now = ReadFolder(folder.path());
            if (message.empty()) {
                // Only cleaning up after a save that went through can fail unseen: the parked
                // old backup stays under its hidden name.
                EXPECT_EQ(faults.FailedOperation(), TFileOperation::Remove);
                EXPECT_EQ(Visible(now), after);
                EXPECT_EQ(now.size(), after.size() + 1);
                if (!restore) {
                    EXPECT_FALSE(store.Modified());
                }
                continue;
            }
            EXPECT_EQ(now, before);
            const std::string failure =
                restore ? "Error restoring data file: " : "Error saving data to file: ";
            EXPECT_EQ(message.rfind(failure + target + "\n", 0), 0u) << message;
            EXPECT_NE(message.find(faults.FailedSubject()), std::string::npos) << message;
            EXPECT_TRUE(store.Modified());
            EXPECT_EQ(store.RecNo(), 2);
            EXPECT_EQ(store.AsString("Remark"), "changed by the user");
        }
        // The change is still there to be saved.
        WriteFolder(folder.path(), before);
        save();
        EXPECT_EQ(ReadFolder(folder.path()), after);
        store.SetModified(false);
        store.Close();
    }
}

}  // namespace
