#pragma once
// Reading a BIN/BINX data file (versions 03 to 08): a plain run of little-endian records
// without a file header. Every record is checked against its version's framing before any of
// it is read: the version byte, the header size, LENGTH against NPOINTS, and the bytes the file
// still holds, so that a lying length or a huge count never reads outside the file nor
// allocates more than the file could hold. The reader never throws.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "import/binx_layout.h"
#include "import/binx_record.h"

enum class TBinxFailure {
    None,
    NotBinx,  // the first record is no BIN/BINX record (or the file is empty)
    Damaged,  // a record breaks the framing or is cut short
    Cancelled,
};

struct TBinxReadResult {
    std::vector<TBinxRecord> records;
    std::vector<std::string> warnings;
    TBinxFailure failure = TBinxFailure::None;
    // For a damaged record: its number (1-based) and byte offset, and what is wrong.
    int failedRecord = 0;
    uint64_t failedOffset = 0;
    std::string failureText;
    bool Ok() const { return failure == TBinxFailure::None; }
    // "record 12 at byte 3264: LENGTH 999 does not match NPOINTS 250 (1447 bytes)", or the
    // reason the file is no BIN/BINX file.
    std::string Message() const;
};



// Called with the bytes read so far and the total; false cancels.
using TBinxProgress = std::function<bool(uint64_t done, uint64_t total)>;

TBinxReadResult ReadBinx(std::span<const uint8_t> bytes, const TBinxProgress& progress = {});
