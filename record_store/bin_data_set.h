#pragma once
// TBinDataSet: a record file held in memory (TRecordStorage: the records, their fields, reading
// and writing with backups) seen through a cursor, with bookmarks (record ids), a filter,
// calculated fields and editing of the current record.
//
// Errors of opening, saving and editing throw TEditorError. Messages that have a path and a
// cause put them on two lines: "Error opening data file: <path>\n<cause>" (the cause line is
// left out when there is none).
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "record_store/bin_record.h"
#include "record_store/field_types.h"
#include "record_store/field_value.h"
#include "record_store/record_storage.h"
#include "record_store/schema.h"

enum class TDataSetState { Inactive, Browse, Edit, Insert };

class TBinDataSet {
public:
    using Callback = std::function<void(TBinDataSet&)>;
    // Called with the candidate record current; return false to hide it.
    using FilterPredicate = std::function<bool(TBinDataSet&)>;
    using FieldChangeCallback = std::function<void(TBinDataSet&, const TBinField&)>;

    TBinDataSet() = default;
    // Drops the records without saving; call Close() to save changes.
    ~TBinDataSet() = default;
    TBinDataSet(const TBinDataSet&) = delete;
    TBinDataSet& operator=(const TBinDataSet&) = delete;

    // --- Files -------------------------------------------------------------------------
    // Also derives the subfile name (empty when the extension names none). Does not reopen.
    void SetFileName(const std::string& path) { storage_.SetFileName(path); }
    const std::string& FileName() const { return storage_.FileName(); }
    const std::string& SubFileName() const { return storage_.SubFileName(); }
    // Empty: derived from the file name at open (DefaultSchemaNameFor).
    void SetSchemaFileName(const std::string& path) { storage_.SetSchemaFileName(path); }
    const std::string& SchemaFileName() const { return storage_.SchemaFileName(); }
    // The schema and subfile paths the last open used (after deriving the names and
    // matching them to existing files without regard to case); the subfile path is empty
    // when no subfile was read.
    const std::string& OpenedSchemaPath() const { return storage_.OpenedSchemaPath(); }
    const std::string& OpenedSubFilePath() const { return storage_.OpenedSubFilePath(); }

    // --- Field set ----------------------------------------------------------------------
    // A fixed field list; empty (the default) makes one data field per schema field.
    void SetFieldDescs(std::vector<TFieldDesc> descs) { storage_.SetFieldDescs(std::move(descs)); }
    const std::vector<TFieldDesc>& FieldDescs() const { return storage_.FieldDescs(); }

    // --- Lifecycle ----------------------------------------------------------------------
    // Reads the schema, binds the fields and loads every record; then the cursor is on the
    // first visible record. Does nothing when already open. On failure nothing stays open
    // and TEditorError("Error opening data file: <path>\n<cause>") is thrown.
    void Open();
    // Saves when modified (close-time save, see SaveOnClose), then drops records and fields.
    // When that save fails the store stays open, with its records and modified flag, and
    // the error is thrown.
    void Close();
    bool Active() const { return active_; }
    TDataSetState State() const { return state_; }

    const TSchema& Schema() const { return storage_.Schema(); }
    int MainSize() const { return storage_.MainSize(); }
    int SubSize() const { return storage_.SubSize(); }
    int CalculatedSize() const { return storage_.CalculatedSize(); }
    int BufferSize() const { return storage_.BufferSize(); }

    // --- Records ------------------------------------------------------------------------
    // All records, ignoring the filter; -1 when closed.
    int RecordCount() const { return active_ ? static_cast<int>(records().size()) : -1; }
    bool IsEmpty() const { return records().empty(); }
    // A stored record by 0-based index among all records (its calculated area is not
    // computed). Throws TEditorError when out of range.
    const TBinRecord& RecordAt(int index) const;
    // A data field's value of a stored record by 0-based index, without moving the cursor.
    TFieldValue ValueAt(int recordIndex, int field) const;
    // 0-based index among all records of the record with that id; -1 when none has it.
    int IndexOfId(int32_t id) const { return storage_.IndexOfId(id); }

    // --- Whole records (undo and redo) --------------------------------------------------
    // These act on stored records by id, outside the edit state machine: the store must be
    // browsing (TEditorError otherwise). Each sets the modified flag and keeps the cursor on
    // the record it was on (a removed current record: the next visible one, else back).
    // Replaces a record's main and sub parts (the calculated area is computed on fetch).
    void ReplaceRecordData(int32_t id, std::span<const uint8_t> data);
    // Puts `record` back at 0-based `index` (clamped) under its own id, which must be free.
    void InsertRecordAt(int index, const TBinRecord& record);
    void RemoveRecord(int32_t id);

    // --- Cursor (visible records) -------------------------------------------------------
    bool First();  // false when no record is visible
    bool Last();
    bool Next();        // false at the last visible record (Eof() then true)
    bool Prior();       // false at the first visible record (Bof() then true)
    int MoveBy(int n);  // returns the number of records actually moved (signed)
    bool Bof() const { return bof_; }
    bool Eof() const { return eof_; }
    // In list order, not consulting the filter; each reports whether it moved.
    bool FindFirst();
    bool FindNext();
    bool FindLast();
    bool FindPrior();
    // 1-based place of the current record among all records; -1 when there is none.
    int RecNo() const;
    // Goes to the record at 1-based place n among all records; other values are ignored.
    void SetRecNo(int n);
    // The raw cursor: -1 before the first record, RecordCount() after the last.
    int CursorIndex() const { return cursor_; }

    // --- Bookmarks ----------------------------------------------------------------------
    // The current record's id; nullopt when there is no current record.
    std::optional<int32_t> GetBookmark() const;
    // Throws TEditorError("Bookmark not found") when no record has that id.
    void GotoBookmark(int32_t id);
    // -1, 0, 1 by id order; a present bookmark sorts before an absent one.
    static int CompareBookmarks(std::optional<int32_t> a, std::optional<int32_t> b);
    bool BookmarkValid(int32_t id) const;

    // --- Editing ------------------------------------------------------------------------
    void Edit();    // current record into edit state (Insert when the store is empty)
    void Insert();  // new zero-filled record, placed at the cursor when posted
    void Append();  // new zero-filled record, placed at the end when posted
    void Post();    // keeps the edit; sets modified
    void Cancel();  // drops the edit
    void Delete();  // removes the current record; sets modified

    // --- Fields -------------------------------------------------------------------------
    int FieldCount() const { return static_cast<int>(storage_.Fields().size()); }
    const std::vector<TBinField>& Fields() const { return storage_.Fields(); }
    const TBinField& Field(int index) const;
    // Throws TEditorError("Field '<name>' not found").
    const TBinField& FieldByName(std::string_view name) const;
    const TBinField* FindField(std::string_view name) const;
    int FieldIndex(std::string_view name) const;  // -1 when absent

    // Value of a field of the current record (the edit buffer while editing). With no
    // current record the value of a zero-filled record.
    TFieldValue GetValue(int field) const;
    TFieldValue GetValue(std::string_view name) const { return GetValue(FieldByName(name).index); }
    // Writes a field of the current record. Data fields need Edit or Insert state (else
    // TEditorError("Dataset not in edit or insert mode")); calculated fields can always be
    // written. Returns false and keeps the field's old bytes when the value cannot be
    // stored (too large for a six-byte real). Text longer than the field is cut.
    // A value that does not convert to the field's kind throws TEditorError.
    bool SetValue(int field, const TFieldValue& value);
    bool SetValue(std::string_view name, const TFieldValue& value) {
        return SetValue(FieldByName(name).index, value);
    }

    int64_t AsInteger(int field) const { return ValueAsInteger(GetValue(field)); }
    double AsFloat(int field) const { return ValueAsFloat(GetValue(field)); }
    std::string AsString(int field) const { return ValueAsString(GetValue(field)); }
    bool AsBoolean(int field) const { return ValueAsBoolean(GetValue(field)); }
    TDate AsDate(int field) const { return ValueAsDate(GetValue(field)); }
    TTime AsTime(int field) const { return ValueAsTime(GetValue(field)); }
    TDateTime AsDateTime(int field) const { return ValueAsDateTime(GetValue(field)); }
    int64_t AsInteger(std::string_view name) const { return ValueAsInteger(GetValue(name)); }
    double AsFloat(std::string_view name) const { return ValueAsFloat(GetValue(name)); }
    std::string AsString(std::string_view name) const { return ValueAsString(GetValue(name)); }
    bool AsBoolean(std::string_view name) const { return ValueAsBoolean(GetValue(name)); }
    TDate AsDate(std::string_view name) const { return ValueAsDate(GetValue(name)); }
    TTime AsTime(std::string_view name) const { return ValueAsTime(GetValue(name)); }
    TDateTime AsDateTime(std::string_view name) const { return ValueAsDateTime(GetValue(name)); }

    bool SetAsInteger(int field, int64_t v) { return SetValue(field, TFieldValue(v)); }
    bool SetAsFloat(int field, double v) { return SetValue(field, TFieldValue(v)); }
    bool SetAsString(int field, const std::string& v) { return SetValue(field, TFieldValue(v)); }
    bool SetAsBoolean(int field, bool v) { return SetValue(field, TFieldValue(v)); }
    bool SetAsInteger(std::string_view name, int64_t v) { return SetValue(name, TFieldValue(v)); }
    bool SetAsFloat(std::string_view name, double v) { return SetValue(name, TFieldValue(v)); }
    bool SetAsString(std::string_view name, const std::string& v) {
        return SetValue(name, TFieldValue(v));
    }
    bool SetAsBoolean(std::string_view name, bool v) { return SetValue(name, TFieldValue(v)); }

    // Raw bytes of a field of the current record (exactly its width).
    std::vector<uint8_t> FieldBytes(int field) const;
    std::vector<uint8_t> FieldBytes(std::string_view name) const {
        return FieldBytes(FieldByName(name).index);
    }
    // The field's bytes in the current record's buffer, without a copy; valid until the
    // record changes. Empty when the buffer does not reach the field.
    std::span<const uint8_t> FieldData(int field) const;
    // The field's bytes in the stored record at 0-based `recordIndex`, without making it
    // current (empty for a calculated field). Valid until the records change.
    std::span<const uint8_t> StoredFieldData(int recordIndex, int field) const;
    // Lets `write` change the field's bytes in place (a span of exactly its width), for
    // writers that encode many values. Same state rule as SetValue.
    template <class Write>
    void EditFieldBytes(int field, Write&& write) {
        const TBinField& f = Field(field);
        RequireWritable(f);
        write(std::span<uint8_t>(buffer_).subspan(static_cast<size_t>(f.offset),
                                                  static_cast<size_t>(f.width)));
        FieldChanged(f);
    }
    // Copies bytes into the field unchanged (fewer bytes than the width: the rest becomes 0;
    // more: the excess is dropped). Same state rule as SetValue.
    void SetFieldBytes(int field, std::span<const uint8_t> bytes);
    void SetFieldBytes(std::string_view name, std::span<const uint8_t> bytes) {
        SetFieldBytes(FieldByName(name).index, bytes);
    }
    // The current record's buffer (main part, sub part, calculated area) and its parts.
    std::span<const uint8_t> Buffer() const { return buffer_; }
    std::span<const uint8_t> MainPart() const;
    std::span<const uint8_t> SubPart() const;
    // Replaces the sub part of the record being edited (same rule as SetFieldBytes).
    void SetSubPart(std::span<const uint8_t> bytes);

    // --- Filter and callbacks ----------------------------------------------------------
    void SetFiltered(bool on);
    // The positions (0-based, file order) of the records the filter lets through; every
    // position while the view is not filtered. A pending edit is posted first, as when
    // moving; the current record stays current.
    std::vector<int> VisibleIndexes();
    bool Filtered() const { return filtered_; }
    void SetFilter(FilterPredicate predicate) { filter_ = std::move(predicate); }
    // Re-fetches the current record (and moves on when the filter now hides it).
    void Refresh();
    void SetOnCalcFields(Callback callback) { onCalcFields_ = std::move(callback); }
    const Callback& OnCalcFields() const { return onCalcFields_; }
    void SetBeforeScroll(Callback callback) { beforeScroll_ = std::move(callback); }
    void SetAfterScroll(Callback callback) { afterScroll_ = std::move(callback); }
    void SetOnFieldChange(FieldChangeCallback callback) { onFieldChange_ = std::move(callback); }

    // --- Modified flag and saving -------------------------------------------------------
    bool Modified() const { return storage_.Modified(); }
    void SetModified(bool modified) { storage_.SetModified(modified); }
    // The Save and Save As commands: writes every record to target (and its subfile, named
    // from target) with backups; the store stays open and keeps its file name. With a sub
    // part the position word of each record is set to its 0-based place. Throws
    // TEditorError("Error saving data to file: <target>\n<cause>"); files and backups are
    // then as they were.
    void SaveToFile(const std::string& target);
    // The save that Close makes when modified: to the current file names, position words
    // unchanged. Same failure rule; the store stays open.
    void SaveOnClose();

    // A file with a sub part holds at most this many records (16-bit positions).
    static constexpr int kMaxRecordsWithSubPart = TRecordStorage::kMaxRecordsWithSubPart;

private:
    bool Visible(int index);
    // The first record the filter lets through from `from` on, stepping by `step` (1 or -1);
    // -1 when there is none.
    int FindVisible(int from, int step);
    // Moves to the first visible record from `next` on, else the last one from `previous`
    // back; with none visible there is no current record (Bof and Eof).
    void MoveToVisibleNear(int next, int previous);
    // Makes `index` current with the given ends flags and tells the after-scroll handler.
    void ArriveAt(int index, bool bof, bool eof);
    bool MoveToEnd(bool first);  // First and Last
    bool Step(int step);         // Next and Prior
    void Fetch(int index);
    void FetchNone();
    void MoveTo(int index);
    void RequireActive() const;
    void RequireCurrent() const;
    void Drop();
    void CheckBrowseMode();
    void RequireBrowsing() const;
    std::vector<TBinRecord>& records() { return storage_.Records(); }
    const std::vector<TBinRecord>& records() const { return storage_.Records(); }
    void RequireWritable(const TBinField& field) const;
    void FieldChanged(const TBinField& field);

    TRecordStorage storage_;
    bool active_ = false;
    TDataSetState state_ = TDataSetState::Inactive;
    int cursor_ = -1;
    bool bof_ = true;
    bool eof_ = true;
    std::vector<uint8_t> buffer_;  // the current record's copy (edit buffer while editing)
    int savedCursor_ = -1;         // cursor before Insert/Append, restored by Cancel
    bool appending_ = false;
    bool recordModified_ = false;  // a field of the edit buffer was written

    bool filtered_ = false;
    FilterPredicate filter_;
    Callback onCalcFields_;
    Callback beforeScroll_;
    Callback afterScroll_;
    FieldChangeCallback onFieldChange_;
};
