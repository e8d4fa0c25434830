#pragma once
// One record of a record store in memory.
#include <cstdint>
#include <vector>

enum class TBookmarkFlag : uint8_t { Current, Bof, Eof, Inserted };

struct TBinRecord {
    int32_t id = 0;  // unique within the store while it is open; the record's bookmark
    TBookmarkFlag bookmarkFlag = TBookmarkFlag::Current;
    // Main part, then sub part, then the area of calculated fields; zero-filled when created.
    std::vector<uint8_t> data;
};
