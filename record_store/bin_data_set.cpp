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

// Records of a file are held in memory whole; beyond this the file is taken to be no record
// file of ours rather than trying to allocate it.
constexpr uint64_t kMaxStoreBytes = uint64_t{1} << 30;

const char* kReadPastEnd = "Read beyond end of file";

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

std::string Format1(const char* pattern, const std::string& a) {
    std::string s(pattern);
    size_t p = s.find("%s");
    if (p != std::string::npos) s.replace(p, 2, a);
    return s;
}

bool IsFile(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec);
}

}  // namespace

void TBinDataSet::SetFileName(const std::string& path) {
    fileName_ = path;
    subFileName_ = SubfileNameFor(path);
}

// --- Open and close -----------------------------------------------------------------------

void TBinDataSet::Open() {
    if (active_) return;
    try {
        const std::string schemaPath = ResolveNameCase(
            schemaFileName_.empty() ? DefaultSchemaNameFor(fileName_) : schemaFileName_);
        std::optional<std::string> text =
            IsFile(schemaPath) ? ReadTextFile(schemaPath) : std::nullopt;
        if (!text) throw TEditorError("");
        schema_ = ParseSchema(*text);
        openedSchemaPath_ = schemaPath;
        BindFields();
        if (!IsFile(fileName_)) throw TEditorError("");
        std::string subPath;
        if (schema_.subSize > 0 && !subFileName_.empty()) {
            subPath = ResolveNameCase(subFileName_);
            if (!IsFile(subPath)) subPath.clear();
        }
        LoadRecords(subPath);
        openedSubFilePath_ = subPath;
    } catch (const TEditorError& e) {
        Drop();
        std::string message = "Error opening data file: " + fileName_;
        if (*e.what()) message += std::string("\n") + e.what();
        throw TEditorError(message);
    } catch (const std::bad_alloc&) {
        Drop();
        throw TEditorError("Error opening data file: " + fileName_ +
                           "\nCannot allocate memory for a record.");
    }
    active_ = true;
    state_ = TDataSetState::Browse;
    cursor_ = -1;
    nextId_ = static_cast<int32_t>(records_.size());
    modified_ = false;
    First();
}

void TBinDataSet::BindFields() {
    fields_.clear();
    calcSize_ = 0;
    for (size_t i = 0; i < schema_.fields.size(); ++i) {
        for (size_t j = 0; j < i; ++j) {
            if (SameFieldName(schema_.fields[i].name, schema_.fields[j].name))
                throw TEditorError(Format1("Duplicate field name '%s'", schema_.fields[i].name));
        }
    }
    auto addData = [&](const TSchemaField& sf, const std::string& name) {
        TBinField f;
        f.name = name;
        f.type = sf.type;
        f.size = sf.size;
        f.position = sf.position;
        f.part = sf.part;
        f.offset = sf.recordOffset;
        f.width = sf.width;
        f.index = static_cast<int>(fields_.size());
        fields_.push_back(f);
    };
    if (fieldDescs_.empty()) {
        for (const TSchemaField& sf : schema_.fields) {
            if (sf.type == TFieldType::Unknown)
                throw TEditorError(Format1("Field '%s' is of an unknown type", sf.name));
            addData(sf, sf.name);
        }
    } else {
        for (size_t i = 0; i < fieldDescs_.size(); ++i) {
            for (size_t j = 0; j < i; ++j) {
                if (SameFieldName(fieldDescs_[i].name, fieldDescs_[j].name))
                    throw TEditorError(Format1("Duplicate field name '%s'", fieldDescs_[i].name));
            }
        }
        const int dataEnd = schema_.mainSize + schema_.subSize;
        for (const TFieldDesc& d : fieldDescs_) {
            if (d.type == TFieldType::Unknown)
                throw TEditorError(Format1("Field '%s' is of an unknown type", d.name));
            if (d.calculated) {
                TBinField f;
                f.name = d.name;
                f.type = d.type;
                f.size = d.size;
                f.calculated = true;
                f.part = TFieldPart::Calculated;
                f.offset = dataEnd + calcSize_;
                f.width = CalculatedFieldWidth(d.type, d.size);
                f.index = static_cast<int>(fields_.size());
                calcSize_ += f.width;
                fields_.push_back(f);
                continue;
            }
            const TSchemaField* sf = schema_.Find(d.name);
            if (!sf) throw TEditorError(Format1("Field '%s' not found", d.name));
            if (sf->type != d.type) {
                char buf[512];
                std::snprintf(buf, sizeof buf,
                              "Type mismatch for field '%s', expecting: %s actual: %s",
                              d.name.c_str(), FieldTypeName(d.type), FieldTypeName(sf->type));
                throw TEditorError(buf);
            }
            if (FieldTypeHasSize(d.type) && d.size != sf->width) {
                char buf[512];
                std::snprintf(buf, sizeof buf,
                              "Size mismatch for field '%s', expecting: %d actual: %d",
                              d.name.c_str(), d.size, static_cast<int>(sf->width));
                throw TEditorError(buf);
            }
            addData(*sf, d.name);
        }
    }
}

void TBinDataSet::LoadRecords(const std::string& subPath) {
    const size_t mainSize = static_cast<size_t>(schema_.mainSize);
    const size_t subSize = static_cast<size_t>(schema_.subSize);
    if (mainSize == 0) throw TEditorError("The schema gives the records no bytes.");
    FilePtr file(std::fopen(fileName_.c_str(), "rb"));
    if (!file) throw TEditorError(std::strerror(errno));
    std::error_code ec;
    const uintmax_t length = fs::file_size(fileName_, ec);
    if (ec) throw TEditorError(ec.message());
    if (length == 0) throw TEditorError("Bookmark not found");
    if (length % mainSize != 0) throw TEditorError(kReadPastEnd);
    const uint64_t count = length / mainSize;
    const uint64_t bufferSize = static_cast<uint64_t>(BufferSize());
    if (count > static_cast<uint64_t>(INT32_MAX) || count * bufferSize > kMaxStoreBytes)
        throw TEditorError("Cannot allocate memory for a record.");

    FilePtr sub;
    if (!subPath.empty()) {
        sub.reset(std::fopen(subPath.c_str(), "rb"));
        if (!sub) throw TEditorError(subPath + ": " + std::strerror(errno));
    }
    std::vector<char> mainBuf(1 << 20), subBuf(1 << 20);
    std::setvbuf(file.get(), mainBuf.data(), _IOFBF, mainBuf.size());
    if (sub) std::setvbuf(sub.get(), subBuf.data(), _IOFBF, subBuf.size());

    records_.clear();
    records_.reserve(static_cast<size_t>(count));
    bool subAtEnd = !sub;
    for (uint64_t i = 0; i < count; ++i) {
        TBinRecord rec;
        rec.id = static_cast<int32_t>(i + 1);
        rec.data.assign(static_cast<size_t>(bufferSize), 0);
        if (std::fread(rec.data.data(), 1, mainSize, file.get()) != mainSize)
            throw TEditorError(kReadPastEnd);
        if (!subAtEnd && rec.data[kSubPartFlagOffset] != 0) {
            size_t got = std::fread(rec.data.data() + mainSize, 1, subSize, sub.get());
            if (got == 0 && std::feof(sub.get())) {
                subAtEnd = true;  // a subfile that ends early leaves zero sub parts
            } else if (got != subSize) {
                throw TEditorError(kReadPastEnd);
            }
        }
        records_.push_back(std::move(rec));
    }
}

void TBinDataSet::Close() {
    if (!active_) return;
    if (state_ == TDataSetState::Edit || state_ == TDataSetState::Insert) Cancel();
    if (modified_) SaveOnClose();
    Drop();
}

void TBinDataSet::Drop() {
    active_ = false;
    state_ = TDataSetState::Inactive;
    records_.clear();
    records_.shrink_to_fit();
    fields_.clear();
    schema_ = TSchema();
    calcSize_ = 0;
    cursor_ = -1;
    bof_ = eof_ = true;
    nextId_ = 0;
    modified_ = false;
    buffer_.clear();
    recordModified_ = false;
}

void TBinDataSet::RequireActive() const {
    if (!active_) throw TEditorError("Cannot perform this operation on a closed dataset");
}

void TBinDataSet::RequireCurrent() const {
    RequireActive();
    if (cursor_ < 0 || cursor_ >= static_cast<int>(records_.size()))
        throw TEditorError("Cannot perform this operation on an empty dataset");
}

// --- Records and cursor ---------------------------------------------------------------------

const TBinRecord& TBinDataSet::RecordAt(int index) const {
    if (index < 0 || index >= static_cast<int>(records_.size()))
        throw TEditorError("Record index out of range");
    return records_[static_cast<size_t>(index)];
}

TFieldValue TBinDataSet::ValueAt(int recordIndex, int field) const {
    const TBinRecord& rec = RecordAt(recordIndex);
    const TBinField& f = Field(field);
    if (f.calculated) return std::monostate{};
    return DecodeField(f.type, std::span<const uint8_t>(rec.data).subspan(
                                   static_cast<size_t>(f.offset), static_cast<size_t>(f.width)));
}

void TBinDataSet::Fetch(int index) {
    buffer_ = records_[static_cast<size_t>(index)].data;
    if (!onCalcFields_) return;
    // The calculated area starts empty for every fetch; the callback sees the record current.
    std::fill(buffer_.begin() + (schema_.mainSize + schema_.subSize), buffer_.end(), 0);
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
    for (int i = from; i >= 0 && i < static_cast<int>(records_.size()); i += step) {
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
        first ? FindVisible(0, 1) : FindVisible(static_cast<int>(records_.size()) - 1, -1);
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
    if (cursor_ < 0 || cursor_ >= static_cast<int>(records_.size())) {
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
    if (records_.empty()) return false;
    if (beforeScroll_) beforeScroll_(*this);
    ArriveAt(0, true, false);
    return true;
}

bool TBinDataSet::FindLast() {
    RequireActive();
    CheckBrowseMode();
    if (records_.empty()) return false;
    if (beforeScroll_) beforeScroll_(*this);
    ArriveAt(static_cast<int>(records_.size()) - 1, false, true);
    return true;
}

bool TBinDataSet::FindNext() {
    RequireActive();
    CheckBrowseMode();
    if (cursor_ < 0 || cursor_ >= static_cast<int>(records_.size()) - 1) return false;
    if (beforeScroll_) beforeScroll_(*this);
    ArriveAt(cursor_ + 1, false, false);
    return true;
}

bool TBinDataSet::FindPrior() {
    RequireActive();
    CheckBrowseMode();
    if (cursor_ <= 0 || cursor_ >= static_cast<int>(records_.size())) return false;
    if (beforeScroll_) beforeScroll_(*this);
    ArriveAt(cursor_ - 1, false, false);
    return true;
}

int TBinDataSet::RecNo() const {
    if (!active_ || cursor_ < 0 || cursor_ >= static_cast<int>(records_.size())) return -1;
    return cursor_ + 1;
}

void TBinDataSet::SetRecNo(int n) {
    RequireActive();
    if (n < 1 || n > static_cast<int>(records_.size())) return;
    CheckBrowseMode();
    if (beforeScroll_) beforeScroll_(*this);
    ArriveAt(n - 1, false, false);
}

// --- Bookmarks ------------------------------------------------------------------------------

std::optional<int32_t> TBinDataSet::GetBookmark() const {
    if (!active_ || cursor_ < 0 || cursor_ >= static_cast<int>(records_.size()))
        return std::nullopt;
    return records_[static_cast<size_t>(cursor_)].id;
}

bool TBinDataSet::BookmarkValid(int32_t id) const {
    return std::any_of(records_.begin(), records_.end(),
                       [id](const TBinRecord& r) { return r.id == id; });
}

void TBinDataSet::GotoBookmark(int32_t id) {
    RequireActive();
    for (size_t i = 0; i < records_.size(); ++i) {
        if (records_[i].id == id) {
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
    if (cursor_ < 0 || cursor_ >= static_cast<int>(records_.size())) {
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
    const int count = static_cast<int>(records_.size());
    if (state_ == TDataSetState::Edit) {
        std::copy(buffer_.begin(), buffer_.end(),
                  records_[static_cast<size_t>(cursor_)].data.begin());
    } else if (state_ == TDataSetState::Insert) {
        TBinRecord rec;
        rec.id = ++nextId_;
        rec.data = buffer_;
        int at = appending_ ? count : std::clamp(savedCursor_, 0, count);
        records_.insert(records_.begin() + at, std::move(rec));
        cursor_ = at;
        bof_ = eof_ = false;
    } else {
        return;
    }
    state_ = TDataSetState::Browse;
    recordModified_ = false;
    modified_ = true;
    Fetch(cursor_);
}

void TBinDataSet::Cancel() {
    if (state_ == TDataSetState::Edit) {
        state_ = TDataSetState::Browse;
        Fetch(cursor_);
    } else if (state_ == TDataSetState::Insert) {
        state_ = TDataSetState::Browse;
        cursor_ = savedCursor_;
        if (cursor_ >= 0 && cursor_ < static_cast<int>(records_.size()))
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
    records_.erase(records_.begin() + cursor_);
    modified_ = true;
    const int count = static_cast<int>(records_.size());
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
    const int count = static_cast<int>(records_.size());
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
    if (index < 0 || index >= static_cast<int>(fields_.size()))
        throw TEditorError("Field index out of range");
    return fields_[static_cast<size_t>(index)];
}

const TBinField* TBinDataSet::FindField(std::string_view name) const {
    for (const TBinField& f : fields_) {
        if (SameFieldName(f.name, name)) return &f;
    }
    return nullptr;
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
        std::min(buffer_.size(), static_cast<size_t>(schema_.mainSize)));
}

std::span<const uint8_t> TBinDataSet::SubPart() const {
    const size_t main = static_cast<size_t>(schema_.mainSize);
    if (buffer_.size() < main + static_cast<size_t>(schema_.subSize)) return {};
    return std::span<const uint8_t>(buffer_).subspan(main, static_cast<size_t>(schema_.subSize));
}

void TBinDataSet::SetSubPart(std::span<const uint8_t> bytes) {
    RequireActive();
    if (state_ != TDataSetState::Edit && state_ != TDataSetState::Insert)
        throw TEditorError("Dataset not in edit or insert mode");
    uint8_t* dst = buffer_.data() + schema_.mainSize;
    const size_t n = std::min(bytes.size(), static_cast<size_t>(schema_.subSize));
    std::copy_n(bytes.begin(), n, dst);
    std::fill(dst + n, dst + schema_.subSize, 0);
    recordModified_ = true;
}
