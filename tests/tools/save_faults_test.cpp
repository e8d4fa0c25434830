// Saves of the sample under injected file faults: for every k up to the number of file
// operations a save makes, the k-th one fails. Afterwards the folder holds exactly the files
// it held before (byte for byte, backups included) and the store still holds the user's
// change, or, when only the removal of a parked old backup failed, the save went through.
// The message names the file the failing operation concerned.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>

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

struct TSaveCase {
    const char* name;
    const char* file;    // of the sample, opened in the general view
    const char* target;  // saved to; the file itself for Save
    bool closeTime;      // the save when the store closes
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
        {"Save with subfile", "S12.DAT", "S12.DAT", false},
        {"Save without subfile", "S12.DAS", "S12.DAS", false},
        {"Save as with subfile", "S12.DAT", "COPY.DAT", false},
        {"Save as without subfile", "S12.DAS", "COPY.DAS", false},
        {"Close-time save with subfile", "S12.DAT", "S12.DAT", true},
    };
    for (const TSaveCase& c : cases) {
        SCOPED_TRACE(c.name);
        TTempFolder folder;
        ASSERT_FALSE(folder.path().empty());
        MakeSample(folder.path().string());
        // Old backups and, for Save as, an existing target with its own backups: every step
        // of the backup rotation has something to do.
        const std::string file = folder.File(c.file);
        const std::string target = folder.File(c.target);
        const bool hasSub = std::string(c.file) == "S12.DAT";
        const std::string ext = hasSub ? "DAT" : "DAS";
        const std::string base = target.substr(0, target.size() - 3);
        WriteBytes(base + "~" + ext, "old backup");
        if (hasSub) WriteBytes(base + "~SUB", "old sub backup");
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
            if (c.closeTime)
                store.SaveOnClose();
            else
                store.SaveToFile(target);
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
        EXPECT_GT(operations, hasSub ? 2 * 168 : 24);

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
                EXPECT_FALSE(store.Modified());
                continue;
            }
            EXPECT_EQ(now, before);
            EXPECT_EQ(message.rfind("Error saving data to file: " +
                                        (c.closeTime ? file : target) + "\n",
                                    0),
                      0u)
                << message;
            EXPECT_NE(message.find(faults.FailedSubject()), std::string::npos) << message;
            EXPECT_TRUE(store.Modified());
            EXPECT_EQ(store.RecNo(), 2);
            EXPECT_EQ(store.AsString("Remark"), "changed by the user");
        }
        // The change is still there to be saved.
        WriteFolder(folder.path(), before);
        save();
        EXPECT_EQ(ReadFolder(folder.path()), after);
        store.Close();
    }
}

}  // namespace
