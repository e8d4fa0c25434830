#include "tools/record_cursor.h"

#include "record_store/bin_data_set.h"
#include "record_store/editor_error.h"
#include "record_store/measurement_fields.h"

TRecordPositions::TRecordPositions(const TBinDataSet& view) {
    const int count = std::max(view.RecordCount(), 0);
    index_.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) index_.emplace(view.RecordAt(i).id, i);
}

int TRecordPositions::IndexOf(std::int32_t bookmark) const {
    const auto it = index_.find(bookmark);
    return it == index_.end() ? -1 : it->second;
}

void TRecordPositions::Goto(TBinDataSet& view, std::int32_t bookmark, const char* message) const {
    const int index = IndexOf(bookmark);
    if (index < 0 || index >= view.RecordCount() || view.RecordAt(index).id != bookmark)
        throw TEditorError(message);
    if (view.CursorIndex() != index) view.SetRecNo(index + 1);
}

std::string TRecordPositions::Describe(const TBinDataSet& view, std::int32_t bookmark) const {
    const int index = IndexOf(bookmark);
    if (index < 0) return "A record";
    std::string text = "Record " + std::to_string(index + 1);
    const TBinField* run = view.FindField(fields::kRun);
    const TBinField* disk = view.FindField(fields::kDisk);
    if (run && disk) {
        text += " (run " + std::to_string(ValueAsInteger(view.ValueAt(index, run->index))) +
                ", disk " + std::to_string(ValueAsInteger(view.ValueAt(index, disk->index))) + ")";
    }
    return text;
}

TUnfilteredRun::TUnfilteredRun(TBinDataSet& view)
    : view_(view), filtered_(view.Filtered()), current_(view.GetBookmark()) {
    view_.SetFiltered(false);
}

TUnfilteredRun::~TUnfilteredRun() {
    try {
        view_.SetFiltered(filtered_);
        view_.Refresh();
        if (current_ && view_.BookmarkValid(*current_)) view_.GotoBookmark(*current_);
    } catch (...) {
        // Leaving a tool run never adds an error of its own to the one that ended it.
    }
}
