#include "editor/selection_list.h"

#include <algorithm>

#include "record_store/bin_data_set.h"

bool TRecordSelection::Contains(int32_t id) const {
    return std::find(ids_.begin(), ids_.end(), id) != ids_.end();
}

void TRecordSelection::Add(int32_t id) {
    if (!Contains(id)) ids_.push_back(id);
}

void TRecordSelection::Remove(int32_t id) {
    std::erase(ids_, id);
}

void TRecordSelection::Toggle(int32_t id) {
    if (Contains(id))
        Remove(id);
    else
        ids_.push_back(id);
}

namespace {

// Calls `visit` with each shown record current, then returns to the record that was current.
void WalkShown(TBinDataSet& view, const std::function<void(int32_t)>& visit) {
    if (!view.Active()) return;
    const std::optional<int32_t> current = view.GetBookmark();
    for (bool more = view.First(); more; more = view.Next()) {
        if (auto id = view.GetBookmark()) visit(*id);
    }
    if (current && view.BookmarkValid(*current)) view.GotoBookmark(*current);
}

}  // namespace

void SelectWhere(TBinDataSet& view, TRecordSelection& selection,
                 const std::function<bool(const TBinDataSet&)>& accept) {
    WalkShown(view, [&](int32_t id) {
        if (accept(view))
            selection.Add(id);
        else
            selection.Remove(id);
    });
}

void SelectAllShown(TBinDataSet& view, TRecordSelection& selection) {
    WalkShown(view, [&](int32_t id) { selection.Add(id); });
}

void ToggleShown(TBinDataSet& view, TRecordSelection& selection) {
    WalkShown(view, [&](int32_t id) { selection.Toggle(id); });
}

bool SelectsAsTL(const TBinDataSet& view, bool tl, bool sampleRunsOnly) {
    const TBinField* dev = view.FindField("Dev#");
    const bool isTL = !dev || view.AsInteger(dev->index) < 1000;
    if (isTL != tl) return false;
    if (!sampleRunsOnly) return true;
    const TBinField* run = view.FindField("TL run");
    return !run || view.AsBoolean(run->index);
}
