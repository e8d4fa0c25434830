// Saving a record store: the Save/Save As commands and the save when the store closes.
#include <cstring>
#include <memory>

#include "record_store/bin_data_set.h"
#include "record_store/editor_error.h"
#include "record_store/file_names.h"
#include "record_store/record_file_io.h"

void TBinDataSet::SaveToFile(const std::string& target) {
    RequireActive();
    CheckBrowseMode();
    std::string subTarget;
    if (schema_.subSize > 0) {
        const std::string derived = SubfileNameFor(target);
        if (derived.empty())
            throw TEditorError("Error saving data to file: " + target +
                               "\nThe records carry curve data, but the extension of this file "
                               "names no curve subfile to hold it.");
        subTarget = ResolveNameCase(derived);
    }
    WriteFiles(target, target, subTarget, true, false);
}

void TBinDataSet::SaveOnClose() {
    RequireActive();
    CheckBrowseMode();
    std::string subPath;
    if (schema_.subSize > 0) {
        if (subFileName_.empty())
            throw TEditorError("Error saving data to file: " + fileName_ +
                               "\nThe records carry curve data, but the extension of this file "
                               "names no curve subfile to hold it.");
        subPath = ResolveNameCase(subFileName_);
    }
    WriteFiles(fileName_, fileName_, subPath, false, true);
}

void TBinDataSet::WriteFiles(const std::string& errorPath, const std::string& recordPath,
                             const std::string& subPath, bool renumber, bool closeTime) {
    const std::string prefix = "Error saving data to file: " + errorPath + "\n";
    const bool hasSub = schema_.subSize > 0;
    const size_t mainSize = static_cast<size_t>(schema_.mainSize);
    const size_t subSize = static_cast<size_t>(schema_.subSize);
    if (hasSub && records_.size() > static_cast<size_t>(kMaxRecordsWithSubPart))
        throw TEditorError(prefix + "A file with curve data holds at most " +
                           std::to_string(kMaxRecordsWithSubPart) + " records; this one has " +
                           std::to_string(records_.size()) + ".");

    std::unique_ptr<TTempFile> subFile;
    if (hasSub) subFile = std::make_unique<TTempFile>(subPath);
    TTempFile mainFile(recordPath);
    if (subFile && !subFile->Ok()) throw TEditorError(prefix + subFile->Error());
    if (!mainFile.Ok()) throw TEditorError(prefix + mainFile.Error());

    std::vector<uint8_t> main(mainSize);
    for (size_t p = 0; p < records_.size(); ++p) {
        const uint8_t* data = records_[p].data.data();
        const uint8_t* out = data;
        if (renumber && hasSub) {
            std::memcpy(main.data(), data, mainSize);
            main[kPositionWordOffset] = static_cast<uint8_t>(p & 0xFF);
            main[kPositionWordOffset + 1] = static_cast<uint8_t>((p >> 8) & 0xFF);
            out = main.data();
        }
        if (!mainFile.Write(out, mainSize)) break;
        if (hasSub && data[kSubPartFlagOffset] != 0 && !subFile->Write(data + mainSize, subSize))
            break;
    }
    const bool subOk = !subFile || subFile->Finish();
    const bool mainOk = mainFile.Finish();
    if (!subOk) throw TEditorError(prefix + subFile->Error());
    if (!mainOk) throw TEditorError(prefix + mainFile.Error());

    std::vector<TReplacement> items;
    if (subFile) {
        items.push_back({subFile.get(), BackupNameFor(subPath),
                         "Unable to remove old backup (sub) file.",
                         "Unable to create backup (sub) file."});
    }
    items.push_back({&mainFile, BackupNameFor(recordPath), "Unable to remove old backup file.",
                     "Unable to create backup file."});
    try {
        ReplaceWithBackups(items, closeTime);
    } catch (const TEditorError& e) {
        throw TEditorError(prefix + e.what());
    }

    if (renumber && hasSub) {
        for (size_t p = 0; p < records_.size(); ++p) {
            records_[p].data[kPositionWordOffset] = static_cast<uint8_t>(p & 0xFF);
            records_[p].data[kPositionWordOffset + 1] = static_cast<uint8_t>((p >> 8) & 0xFF);
        }
        if (cursor_ >= 0 && cursor_ < static_cast<int>(records_.size())) Fetch(cursor_);
    }
    modified_ = false;
}
