#pragma once
// The records selected in the grid: bookmarks (record ids) in the order in which they were
// selected. The curve tools and graphs work on the selected records in this order.
#include <cstdint>
#include <functional>
#include <vector>

class TBinDataSet;

class TRecordSelection {
public:
    const std::vector<int32_t>& Ids() const { return ids_; }
    bool Empty() const { return ids_.empty(); }
    int Count() const { return static_cast<int>(ids_.size()); }
    bool Contains(int32_t id) const;
    // Appends the record when it is not selected yet.
    void Add(int32_t id);
    void Remove(int32_t id);
    void Toggle(int32_t id);
    void Clear() { ids_.clear(); }

private:
    std::vector<int32_t> ids_;
};

// The walking select commands go over the records the view shows (its filter applies) from
// the first to the last and leave the current record where it was.

// Selects the records the predicate accepts and deselects the others.
void SelectWhere(TBinDataSet& view, TRecordSelection& selection,
                 const std::function<bool(const TBinDataSet&)>& accept);
void SelectAllShown(TBinDataSet& view, TRecordSelection& selection);
void ToggleShown(TBinDataSet& view, TRecordSelection& selection);

// "Select TL" / "Select OSL": TL records have "Dev#" below 1000. With `sampleRunsOnly` (the
// subtracted curves are in use) background runs ("TL run" false) are left out.
bool SelectsAsTL(const TBinDataSet& view, bool tl, bool sampleRunsOnly);
