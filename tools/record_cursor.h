#pragma once
// Moving a view's cursor to records by bookmark for the curve tools: a bookmark-to-position
// table built once (the store's own search is linear per call), and a guard that lifts the
// view's filter for a tool run and puts the filter and the current record back afterwards.
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

class TBinDataSet;

class TRecordPositions {
public:
    explicit TRecordPositions(const TBinDataSet& view);
    // 0-based position among all records, or -1.
    int IndexOf(std::int32_t bookmark) const;
    // Makes the record current; throws TEditorError(message) when no record has the bookmark.
    void Goto(TBinDataSet& view, std::int32_t bookmark,
              const char* message = "Bookmark not found") const;
    // "Record N (run R, disk D)" with N counted from 1 in file order.
    std::string Describe(const TBinDataSet& view, std::int32_t bookmark) const;

private:
    std::unordered_map<std::int32_t, int> index_;
};

// Lifts the filter while alive; on leaving puts the filter back and returns to the record
// that was current (when it still exists).
class TUnfilteredRun {
public:
    explicit TUnfilteredRun(TBinDataSet& view);
    ~TUnfilteredRun();
    TUnfilteredRun(const TUnfilteredRun&) = delete;
    TUnfilteredRun& operator=(const TUnfilteredRun&) = delete;

private:
    TBinDataSet& view_;
    bool filtered_;
    std::optional<std::int32_t> current_;
};
