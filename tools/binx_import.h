#pragma once
// Import of a BIN/BINX data file: read it (import/binx_reader.h), convert its measurements
// (binx_conversion.h) and write them as our record file into a folder: <stem>.DAT with its
// curve subfile <stem>.SUB, or <stem>.DAS for a single-grain file, beside the schema and the
// editor layout of that kind (the same as the bundled sample's; written only when missing).
// Every file is written completely under a temporary name first, so a failure leaves nothing
// behind.
#include <functional>
#include <string>
#include <vector>

#include "record_store/editor_error.h"
#include "tools/binx_conversion.h"

struct TBinxImportResult {
    int version = 0;  // of the first record
    int records = 0;  // records written
    std::vector<std::string> written;  // paths, record file first
    std::vector<int> positions;
    std::vector<std::string> warnings;
};

// A record file (or its subfile) the import would write exists already.
class TImportTargetExists : public TEditorError {
public:
    TImportTargetExists(const std::string& message, std::vector<std::string> paths)
        : TEditorError(message), paths_(std::move(paths)) {}
    const std::vector<std::string>& Paths() const { return paths_; }

private:
    std::vector<std::string> paths_;
};

// Called with the work done so far and the whole (arbitrary units); false cancels.
using TImportProgress = std::function<bool(double done, double total)>;

inline constexpr const char* kImportCancelled = "Import cancelled";

// The import into `outDir` (created when missing). Throws TEditorError: "Error importing
// <path>: <cause>" for a file that cannot be read, is no BIN/BINX file or is damaged (the
// cause names the record and its byte offset), TImportTargetExists when the record file or its
// subfile exists and `overwrite` is false (with it the old files become backups), and
// kImportCancelled when the progress callback said so.
TBinxImportResult ImportBinxFile(const std::string& binPath, const std::string& outDir,
                                 const TBinxImportOptions& options, bool overwrite = false,
                                 const TImportProgress& progress = {});

// The bytes of the converted records in the layout of the .DAT (main parts, sub parts) or
// .DAS schema (main parts only).
struct TImportedBytes {
    std::vector<uint8_t> main, sub;
};
TImportedBytes EncodeImportedRecords(const TBinxConversion& conversion);
