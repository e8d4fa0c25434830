#include "record_store/bin_data_set.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>

#include "record_store/editor_error.h"
#include "record_store/field_codec.h"
#include "record_store/file_names.h"

namespace fs = std::filesystem;

namespace {

std::string Format1(const char* pattern, const std::string& a) {
    std::string s(pattern);
    size_t p = s.find("%s");
    if (p != std::string::npos) s.replace(p, 2, a);
    return s;
}

}  // namespace

// --- Open and close -----------------------------------------------------------------------

void TBinDataSet::Open() {
    if (active_) return;
    storage_.Load();
    active_ = true;
    state_ = TDataSetState::Browse;
    cursor_ = -1;
    First();
}

void TBinDataSet::Close() {
    if (!active_) return;
    if (state_ == TDataSetState::Edit || state_ == TDataSetState::Insert) Cancel();
    if (storage_.Modified()) SaveOnClose();
    Drop();
}

void TBinDataSet::Drop() {
    active_ = false;
    state_ = TDataSetState::Inactive;
    storage_.Drop();
    cursor_ = -1;
    bof_ = eof_ = true;
    buffer_.clear();
    recordModified_ = false;
}

void TBinDataSet::RequireActive() const {
    if (!active_) throw TEditorError("Cannot perform this operation on a closed dataset");
}

void TBinDataSet::RequireCurrent() const {
    RequireActive();
    if (cursor_ < 0 || cursor_ >= static_cast<int>(records().size()))
        throw TEditorError("Cannot perform this operation on an empty dataset");
}

// --- Records and cursor ---------------------------------------------------------------------

const TBinRecord& TBinDataSet::RecordAt(int index) const {
    if (index < 0 || index >= static_cast<int>(records().size()))
        throw TEditorError("Record index out of range");
    return records()[static_cast<size_t>(index)];
}

TFieldValue TBinDataSet::ValueAt(int recordIndex, int field) const {
    const TBinRecord& rec = RecordAt(recordIndex);
    const TBinField& f = Field(field);
    if (f.calculated) return std::monostate{};
    return DecodeField(f.type, std::span<const uint8_t>(rec.data).subspan(
                                   static_cast<size_t>(f.offset), static_cast<size_t>(f.width)));
}

std::span<const uint8_t> TBinDataSet::StoredFieldData(int recordIndex, int field) const {
    const TBinRecord& rec = RecordAt(recordIndex);
    const TBinField& f = Field(field);
    if (f.calculated || rec.data.size() < static_cast<size_t>(f.offset + f.width)) return {};
    return std::span<const uint8_t>(rec.data).subspan(static_cast<size_t>(f.offset),
                                                      static_cast<size_t>(f.width));
}

void TBinDataSet::Fetch(int index) {
    buffer_ = records()[static_cast<size_t>(index)].data;
    if (!onCalcFields_) return;
    // The calculated area starts empty for every fetch; the callback sees the record current.
    std::fill(buffer_.begin() + (storage_.Schema().mainSize + storage_.Schema().subSize),
              buffer_.end(), 0);
    const int saved = cursor_;
    cursor_ = index;
    onCalcFields_(*this);
    cursor_ = saved;
}

void TBinDataSet::FetchNone() {
    buffer_.assign(static_cast<size_t>(BufferSize()), 0);
}

bool TBinDataSet::Visible(int index) {
    if (!filtered_ || !filter_) return true;
    Fetch(index);
    const int saved = cursor_;
    cursor_ = index;
    bool ok = filter_(*this);
    cursor_ = saved;
    return ok;
}

std::vector<int> TBinDataSet::VisibleIndexes() {
    std::vector<int> indexes;
    if (!active_) return indexes;
    const int count = static_cast<int>(records().size());
    indexes.reserve(static_cast<size_t>(count));
    if (!filtered_ || !filter_) {
        for (int i = 0; i < count; ++i) indexes.push_back(i);
        return indexes;
    }
    CheckBrowseMode();
    for (int i = 0; i < count; ++i)
        if (Visible(i)) indexes.push_back(i);
    // Visible fetched the records it looked at: the current one goes back into the buffer.
    if (cursor_ >= 0 && cursor_ < count)
        Fetch(cursor_);
    else
        FetchNone();
    return indexes;
}

void TBinDataSet::MoveTo(int index) {
    cursor_ = index;
    Fetch(index);
}

void TBinDataSet::CheckBrowseMode() {
    if (state_ == TDataSetState::Edit || state_ == TDataSetState::Insert) {
        if (recordModified_)
            Post();
        else
            Cancel();
    }
}

int TBinDataSet::FindVisible(int from, int step) {
    for (int i = from; i >= 0 && i < static_cast<int>(records().size()); i += step) {
        if (Visible(i)) return i;
    }
    return -1;
}

void TBinDataSet::MoveToVisibleNear(int next, int previous) {
    int found = FindVisible(next, 1);
    if (found < 0) found = FindVisible(previous, -1);
    if (found >= 0) {
        MoveTo(found);
        return;
    }
    cursor_ = -1;
    bof_ = eof_ = true;
    FetchNone();
}

void TBinDataSet::ArriveAt(int index, bool bof, bool eof) {
    bof_ = bof;
    eof_ = eof;
    MoveTo(index);
    if (afterScroll_) afterScroll_(*this);
}

bool TBinDataSet::MoveToEnd(bool first) {
    RequireActive();
    CheckBrowseMode();
    if (beforeScroll_) beforeScroll_(*this);
    const int found =
        first ? FindVisible(0, 1) : FindVisible(static_cast<int>(records().size()) - 1, -1);
    if (found < 0) {
        cursor_ = -1;
        bof_ = eof_ = true;
        FetchNone();
        return false;
    }
    ArriveAt(found, first, !first);
    return true;
}

bool TBinDataSet::Step(int step) {
    RequireActive();
    CheckBrowseMode();
    bool& end = step > 0 ? eof_ : bof_;
    if (cursor_ < 0 || cursor_ >= static_cast<int>(records().size())) {
        end = true;
        return false;
    }
    if (beforeScroll_) beforeScroll_(*this);
    const int found = FindVisible(cursor_ + step, step);
    if (found < 0) {
        end = true;
        Fetch(cursor_);
        return false;
    }
    ArriveAt(found, false, false);
    return true;
}

bool TBinDataSet::First() {
    return MoveToEnd(true);
}

bool TBinDataSet::Last() {
    return MoveToEnd(false);
}

bool TBinDataSet::Next() {
    return Step(1);
}

bool TBinDataSet::Prior() {
    return Step(-1);
}

int TBinDataSet::MoveBy(int n) {
    int moved = 0;
    while (n > 0 && Next()) {
        --n;
        ++moved;
    }
    while (n < 0 && Prior()) {
        ++n;
        --moved;
    }
    return moved;
}

bool TBinDataSet::FindFirst() {
    RequireActive();
    CheckBrowseMode();
    if (records().empty()) return false;
    if (beforeScroll_) beforeScroll_(*this);
    ArriveAt(0, true, false);
    return true;
}

bool TBinDataSet::FindLast() {
    RequireActive();
    CheckBrowseMode();
    if (records().empty()) return false;
    if (beforeScroll_) beforeScroll_(*this);
    ArriveAt(static_cast<int>(records().size()) - 1, false, true);
    return true;
}

bool TBinDataSet::FindNext() {
    RequireActive();
    CheckBrowseMode();
    if (cursor_ < 0 || cursor_ >= static_cast<int>(records().size()) - 1) return false;
    if (beforeScroll_) beforeScroll_(*this);
    ArriveAt(cursor_ + 1, false, false);
    return true;
}

bool TBinDataSet::FindPrior() {
    RequireActive();
    CheckBrowseMode();
    if (cursor_ <= 0 || cursor_ >= static_cast<int>(records().size())) return false;
    if (beforeScroll_) beforeScroll_(*this);
    ArriveAt(cursor_ - 1, false, false);
    return true;
}

int TBinDataSet::RecNo() const {
    if (!active_ || cursor_ < 0 || cursor_ >= static_cast<int>(records().size())) return -1;
    return cursor_ + 1;
}

void TBinDataSet::SetRecNo(int n) {
    RequireActive();
    if (n < 1 || n > static_cast<int>(records().size())) return;
    CheckBrowseMode();
    if (beforeScroll_) beforeScroll_(*this);
    ArriveAt(n - 1, false, false);
}

// --- Bookmarks ------------------------------------------------------------------------------

std::optional<int32_t> TBinDataSet::GetBookmark() const {
    if (!active_ || cursor_ < 0 || cursor_ >= static_cast<int>(records().size()))
        return std::nullopt;
    return records()[static_cast<size_t>(cursor_)].id;
}

bool TBinDataSet::BookmarkValid(int32_t id) const {
    return std::any_of(records().begin(), records().end(),
                       [id](const TBinRecord& r) { return r.id == id; });
}

void TBinDataSet::GotoBookmark(int32_t id) {
    RequireActive();
    for (size_t i = 0; i < records().size(); ++i) {
        if (records()[i].id == id) {
            CheckBrowseMode();
            if (beforeScroll_) beforeScroll_(*this);
            bof_ = eof_ = false;
            MoveTo(static_cast<int>(i));
            if (afterScroll_) afterScroll_(*this);
            return;
        }
    }
    throw TEditorError("Bookmark not found");
}

int TBinDataSet::CompareBookmarks(std::optional<int32_t> a, std::optional<int32_t> b) {
    if (!a && !b) return 0;
    if (!a) return 1;
    if (!b) return -1;
    return *a < *b ? -1 : (*a > *b ? 1 : 0);
}

// --- Editing --------------------------------------------------------------------------------

void TBinDataSet::Edit() {
    RequireActive();
    if (state_ == TDataSetState::Edit || state_ == TDataSetState::Insert) return;
    if (cursor_ < 0 || cursor_ >= static_cast<int>(records().size())) {
        Insert();
        return;
    }
    state_ = TDataSetState::Edit;
    recordModified_ = false;
}

void TBinDataSet::Insert() {
    RequireActive();
    CheckBrowseMode();
    savedCursor_ = cursor_;
    appending_ = false;
    state_ = TDataSetState::Insert;
    recordModified_ = false;
    FetchNone();
}

void TBinDataSet::Append() {
    Insert();
    appending_ = true;
}

void TBinDataSet::Post() {
    RequireActive();
    const int count = static_cast<int>(records().size());
    if (state_ == TDataSetState::Edit) {
        std::copy(buffer_.begin(), buffer_.end(),
                  records()[static_cast<size_t>(cursor_)].data.begin());
    } else if (state_ == TDataSetState::Insert) {
        TBinRecord rec;
        rec.id = storage_.NewId();
        rec.data = buffer_;
        int at = appending_ ? count : std::clamp(savedCursor_, 0, count);
        records().insert(records().begin() + at, std::move(rec));
        cursor_ = at;
        bof_ = eof_ = false;
    } else {
        return;
    }
    state_ = TDataSetState::Browse;
    recordModified_ = false;
    storage_.SetModified(true);
    // The buffer is the record as posted; only calculated fields need working out again.
    if (onCalcFields_) Fetch(cursor_);
}

void TBinDataSet::Cancel() {
    if (state_ == TDataSetState::Edit) {
        state_ = TDataSetState::Browse;
        Fetch(cursor_);
    } else if (state_ == TDataSetState::Insert) {
        state_ = TDataSetState::Browse;
        cursor_ = savedCursor_;
        if (cursor_ >= 0 && cursor_ < static_cast<int>(records().size()))
            Fetch(cursor_);
        else
            FetchNone();
    }
    recordModified_ = false;
}

void TBinDataSet::Delete() {
    RequireActive();
    if (state_ == TDataSetState::Insert) {
        Cancel();
        return;
    }
    RequireCurrent();
    state_ = TDataSetState::Browse;
    recordModified_ = false;
    records().erase(records().begin() + cursor_);
    storage_.SetModified(true);
    const int count = static_cast<int>(records().size());
    if (cursor_ == count) --cursor_;
    MoveToVisibleNear(cursor_, cursor_ - 1);
}

// --- Filter -----------------------------------------------------------------------------

void TBinDataSet::SetFiltered(bool on) {
    if (filtered_ == on) return;
    filtered_ = on;
    if (active_) First();
}

void TBinDataSet::Refresh() {
    RequireActive();
    CheckBrowseMode();
    const int count = static_cast<int>(records().size());
    if (cursor_ < 0 || cursor_ >= count) {
        First();
        return;
    }
    if (Visible(cursor_)) {
        Fetch(cursor_);
        return;
    }
    // The current record is hidden now: move on to the next visible one, else back.
    MoveToVisibleNear(cursor_ + 1, cursor_ - 1);
}

// --- Fields ---------------------------------------------------------------------------------

const TBinField& TBinDataSet::Field(int index) const {
    if (index < 0 || index >= FieldCount()) throw TEditorError("Field index out of range");
    return storage_.Fields()[static_cast<size_t>(index)];
}

const TBinField* TBinDataSet::FindField(std::string_view name) const {
    const int index = storage_.FieldIndexOf(name);
    return index < 0 ? nullptr : &storage_.Fields()[static_cast<size_t>(index)];
}

int TBinDataSet::FieldIndex(std::string_view name) const {
    const TBinField* f = FindField(name);
    return f ? f->index : -1;
}

const TBinField& TBinDataSet::FieldByName(std::string_view name) const {
    const TBinField* f = FindField(name);
    if (!f) throw TEditorError(Format1("Field '%s' not found", std::string(name)));
    return *f;
}

TFieldValue TBinDataSet::GetValue(int field) const {
    const TBinField& f = Field(field);
    if (buffer_.size() < static_cast<size_t>(f.offset + f.width)) {
        std::vector<uint8_t> zeros(static_cast<size_t>(f.width), 0);
        return DecodeField(f.type, zeros);
    }
    return DecodeField(f.type, std::span<const uint8_t>(buffer_).subspan(
                                   static_cast<size_t>(f.offset), static_cast<size_t>(f.width)));
}

void TBinDataSet::RequireWritable(const TBinField& field) const {
    RequireActive();
    if (!field.calculated && state_ != TDataSetState::Edit && state_ != TDataSetState::Insert)
        throw TEditorError("Dataset not in edit or insert mode");
}

void TBinDataSet::FieldChanged(const TBinField& field) {
    if (!field.calculated) recordModified_ = true;
    if (onFieldChange_) onFieldChange_(*this, field);
}

bool TBinDataSet::SetValue(int field, const TFieldValue& value) {
    const TBinField& f = Field(field);
    RequireWritable(f);
    std::span<uint8_t> bytes = std::span<uint8_t>(buffer_).subspan(static_cast<size_t>(f.offset),
                                                                   static_cast<size_t>(f.width));
    // The calculated area keeps text with its length byte; a data field keeps its schema form.
    if (!EncodeField(f.type, value, bytes)) return false;
    FieldChanged(f);
    return true;
}

std::vector<uint8_t> TBinDataSet::FieldBytes(int field) const {
    const TBinField& f = Field(field);
    if (buffer_.size() < static_cast<size_t>(f.offset + f.width))
        return std::vector<uint8_t>(static_cast<size_t>(f.width), 0);
    auto b = buffer_.begin() + f.offset;
    return std::vector<uint8_t>(b, b + f.width);
}

std::span<const uint8_t> TBinDataSet::FieldData(int field) const {
    const TBinField& f = Field(field);
    if (buffer_.size() < static_cast<size_t>(f.offset + f.width)) return {};
    return std::span<const uint8_t>(buffer_).subspan(static_cast<size_t>(f.offset),
                                                     static_cast<size_t>(f.width));
}

void TBinDataSet::SetFieldBytes(int field, std::span<const uint8_t> bytes) {
    const TBinField& f = Field(field);
    RequireWritable(f);
    uint8_t* dst = buffer_.data() + f.offset;
    const size_t n = std::min(bytes.size(), static_cast<size_t>(f.width));
    std::copy_n(bytes.begin(), n, dst);
    std::fill(dst + n, dst + f.width, 0);
    FieldChanged(f);
}

std::span<const uint8_t> TBinDataSet::MainPart() const {
    return std::span<const uint8_t>(buffer_).first(
        std::min(buffer_.size(), static_cast<size_t>(storage_.Schema().mainSize)));
}

std::span<const uint8_t> TBinDataSet::SubPart() const {
    const size_t main = static_cast<size_t>(storage_.Schema().mainSize);
    if (buffer_.size() < main + static_cast<size_t>(storage_.Schema().subSize)) return {};
    return std::span<const uint8_t>(buffer_).subspan(
        main, static_cast<size_t>(storage_.Schema().subSize));
}

void TBinDataSet::SetSubPart(std::span<const uint8_t> bytes) {
    RequireActive();
    if (state_ != TDataSetState::Edit && state_ != TDataSetState::Insert)
        throw TEditorError("Dataset not in edit or insert mode");
    uint8_t* dst = buffer_.data() + storage_.Schema().mainSize;
    const size_t n = std::min(bytes.size(), static_cast<size_t>(storage_.Schema().subSize));
    std::copy_n(bytes.begin(), n, dst);
    std::fill(dst + n, dst + storage_.Schema().subSize, 0);
    recordModified_ = true;
}

// --- Whole records --------------------------------------------------------------------------

void TBinDataSet::RequireBrowsing() const {
    RequireActive();
    if (state_ != TDataSetState::Browse)
        throw TEditorError("Cannot change records while a record is being edited");
}

void TBinDataSet::ReplaceRecordData(int32_t id, std::span<const uint8_t> data) {
    RequireBrowsing();
    const int index = storage_.IndexOfId(id);
    if (index < 0) throw TEditorError("Bookmark not found");
    std::vector<uint8_t>& bytes = records()[static_cast<size_t>(index)].data;
    const size_t dataEnd = static_cast<size_t>(MainSize() + SubSize());
    const size_t n = std::min(data.size(), dataEnd);
    std::copy_n(data.begin(), n, bytes.begin());
    std::fill(bytes.begin() + static_cast<std::ptrdiff_t>(n), bytes.end(), 0);
    storage_.SetModified(true);
    if (index == cursor_) Fetch(cursor_);
}

void TBinDataSet::InsertRecordAt(int index, const TBinRecord& record) {
    RequireBrowsing();
    if (storage_.IndexOfId(record.id) >= 0) throw TEditorError("Duplicate bookmark");
    const int count = static_cast<int>(records().size());
    const int at = std::clamp(index, 0, count);
    TBinRecord copy = record;
    copy.data.resize(static_cast<size_t>(BufferSize()), 0);
    records().insert(records().begin() + at, std::move(copy));
    storage_.NoteId(record.id);
    storage_.SetModified(true);
    if (cursor_ >= at && cursor_ < count) {
        ++cursor_;
    } else if (cursor_ < 0 || cursor_ >= count) {
        // No record was current (an empty store): the restored one is.
        MoveToVisibleNear(at, at - 1);
        bof_ = eof_ = cursor_ < 0;
        return;
    }
    Fetch(cursor_);
}

void TBinDataSet::RemoveRecord(int32_t id) {
    RequireBrowsing();
    const int index = storage_.IndexOfId(id);
    if (index < 0) throw TEditorError("Bookmark not found");
    records().erase(records().begin() + index);
    storage_.SetModified(true);
    const int count = static_cast<int>(records().size());
    if (index < cursor_) {
        --cursor_;
        Fetch(cursor_);
    } else if (index == cursor_) {
        const int at = std::min(cursor_, count - 1);
        MoveToVisibleNear(at, at - 1);
        bof_ = eof_ = cursor_ < 0;
    }
}
