#include "editor/records_snapshot_command.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "editor/editor_document.h"
#include "record_store/bin_data_set.h"

std::vector<int32_t> AllRecordIds(const TBinDataSet& view) {
    std::vector<int32_t> ids;
    const int count = std::max(view.RecordCount(), 0);
    ids.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) ids.push_back(view.RecordAt(i).id);
    return ids;
}

TRecordsSnapshotCommand::TRecordsSnapshotCommand(TEditorDocument& document, const QString& text,
                                                 const std::vector<int32_t>& ids)
    : QUndoCommand(text), document_(document), view_(document.ShownView()) {
    if (!view_) return;
    orderBefore_ = AllRecordIds(*view_);
    std::unordered_set<int32_t> seen;
    for (int32_t id : ids) {
        const int index = view_->IndexOfId(id);
        if (index < 0 || !seen.insert(id).second) continue;
        changed_.push_back({id, index, DataOf(index), {}});
    }
}

std::vector<uint8_t> TRecordsSnapshotCommand::DataOf(int index) const {
    const std::vector<uint8_t>& data = view_->RecordAt(index).data;
    const size_t dataEnd = static_cast<size_t>(view_->MainSize() + view_->SubSize());
    return std::vector<uint8_t>(
        data.begin(), data.begin() + static_cast<std::ptrdiff_t>(std::min(dataEnd, data.size())));
}

bool TRecordsSnapshotCommand::CaptureAfter() {
    if (!view_ || !view_->Active()) return false;
    std::vector<TSnapshot> changed;
    for (TSnapshot& s : changed_) {
        const int index = view_->IndexOfId(s.id);
        if (index < 0) {
            deleted_.push_back(std::move(s));
            continue;
        }
        s.after = DataOf(index);
        if (s.after != s.before) changed.push_back(std::move(s));
    }
    changed_ = std::move(changed);
    std::sort(deleted_.begin(), deleted_.end(),
              [](const TSnapshot& a, const TSnapshot& b) { return a.index < b.index; });
    const std::unordered_set<int32_t> before(orderBefore_.begin(), orderBefore_.end());
    for (int i = 0; i < view_->RecordCount(); ++i) {
        const int32_t id = view_->RecordAt(i).id;
        if (!before.count(id)) inserted_.push_back({id, i, {}, DataOf(i)});
    }
    orderBefore_.clear();
    orderBefore_.shrink_to_fit();
    return RecordCount() > 0;
}

int TRecordsSnapshotCommand::RecordCount() const {
    return static_cast<int>(changed_.size() + deleted_.size() + inserted_.size());
}

std::size_t TRecordsSnapshotCommand::Bytes() const {
    std::size_t bytes = orderBefore_.size() * sizeof(int32_t);
    for (const auto* list : {&changed_, &deleted_, &inserted_})
        for (const TSnapshot& s : *list)
            bytes += sizeof(TSnapshot) + s.before.size() + s.after.size();
    return bytes;
}

void TRecordsSnapshotCommand::Restore(bool toBefore) {
    if (!view_ || !view_->Active()) return;
    if (view_->State() != TDataSetState::Browse) view_->Cancel();
    // Take away what the other side does not have, in descending place, then bring back
    // what this side has, in ascending place: every record lands where it was.
    std::vector<TSnapshot>& gone = toBefore ? inserted_ : deleted_;
    std::vector<TSnapshot>& back = toBefore ? deleted_ : inserted_;
    for (auto it = gone.rbegin(); it != gone.rend(); ++it) view_->RemoveRecord(it->id);
    for (const TSnapshot& s : back) {
        TBinRecord record;
        record.id = s.id;
        record.data = toBefore ? s.before : s.after;
        view_->InsertRecordAt(s.index, record);
    }
    for (const TSnapshot& s : changed_)
        view_->ReplaceRecordData(s.id, toBefore ? s.before : s.after);
    document_.NotifyRecordsChanged();
}

void TRecordsSnapshotCommand::undo() {
    Restore(true);
}

void TRecordsSnapshotCommand::redo() {
    if (skipRedo_) {
        skipRedo_ = false;
        return;
    }
    Restore(false);
}

TRecordsChange::TRecordsChange(TEditorDocument* document, const QString& text,
                               const std::vector<int32_t>& ids)
    : document_(document) {
    if (document_ && document_->ShownView())
        command_ = std::make_unique<TRecordsSnapshotCommand>(*document_, text, ids);
}

TRecordsChange::~TRecordsChange() {
    if (!command_) return;
    try {
        if (command_->CaptureAfter()) document_->PushChange(command_.release());
    } catch (...) {
        // Nothing can be reported from here; the change stays made without its undo.
    }
}
