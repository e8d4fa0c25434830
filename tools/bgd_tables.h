#pragma once
// The background assignment of background subtraction: which background run each sample
// record of the current curve kind (TL or OSL) is subtracted with.
//
// Background runs are the records whose "TL run" is false. The default assignment gives a
// sample the first background after it of the same disk, failing that the nearest background
// before it, failing that the nearest after it. OSL samples may use their own background
// (the rate stored in "OSL BGD"), which every OSL sample gets when the file has no
// background runs.
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class TBinDataSet;

// One record of the current curve kind, in file order.
struct TBuildupEntry {
    std::int32_t run = 0;
    std::int32_t disk = 0;
    // Background entry: its position in the background list (-1 when it is not listed, its
    // disk being negative). Sample entry: index of the entry of its default background, -1
    // for own background or none.
    std::int32_t link = -1;
    bool sample = false;  // "TL run"
    bool osl = false;     // built while "TL curves" was off
    std::int32_t bookmark = 0;
};
using TBuildupTable = std::vector<TBuildupEntry>;

// The assignment of one sample record.
struct TBGDLookupEntry {
    std::int32_t run = 0;
    std::int32_t disk = 0;
    std::int32_t record = 0;       // the sample record's bookmark
    std::int32_t background = -1;  // the background record's bookmark; -1: own background
    std::string label;             // the background's list line, or "own background"
    std::int32_t listIndex = -1;   // position in the background list; -1: own background
};
using TBGDLookupTable = std::vector<TBGDLookupEntry>;

// Bookmarks of the background records in the order of the background list.
using TBGDBookmarkTable = std::vector<std::int32_t>;

inline constexpr const char* kOwnBackgroundLabel = "own background";

// The 20-character line of a background in the list: "BGD  d.      r.     " with the disk
// written over it from position 8 and the run from position 16 (1-based), cut to 20.
std::string BackgroundListLine(std::int64_t disk, std::int64_t run);

class TBackgroundAssignment {
public:
    // Builds the default assignment of the view's records of one curve kind ("Dev#" < 1000
    // for TL). Reads the stored records without moving the cursor or consulting the filter.
    static TBackgroundAssignment Default(const TBinDataSet& view, bool tlCurves);

    bool TLCurves() const { return tlCurves_; }
    const TBuildupTable& Buildup() const { return buildup_; }
    const TBGDLookupTable& Lookup() const { return lookup_; }
    const TBGDBookmarkTable& Bookmarks() const { return bookmarks_; }
    // The background list: one line per entry of Bookmarks().
    const std::vector<std::string>& ListLines() const { return listLines_; }

    // The entry of a sample record (searched from the last entry), or nullptr.
    const TBGDLookupEntry* EntryFor(std::int32_t recordBookmark) const;
    // The label of the last entry of that run and disk, or empty text (the grid's
    // "Background" column).
    std::string LabelFor(long long run, long long disk) const;

    // Gives the sample record the background at `listIndex` of the list, or its own
    // background for -1 (OSL only). False when the record has no entry, the index is outside
    // the list, or own background is asked for TL curves.
    bool Assign(std::int32_t recordBookmark, int listIndex);
    // The list position of a background record, or -1.
    int ListIndexOf(std::int32_t backgroundBookmark) const;

private:
    bool tlCurves_ = true;
    TBuildupTable buildup_;
    TBGDLookupTable lookup_;
    TBGDBookmarkTable bookmarks_;
    std::vector<std::string> listLines_;
    // Sample bookmark -> its (last) entry in lookup_, so that a run over every record does
    // not search the table once per record.
    std::unordered_map<std::int32_t, std::size_t> entryIndex_;
};
