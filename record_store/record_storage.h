#pragma once
// TRecordStorage: the records of one record file and its curve subfile held in memory, with
// the schema and the bound fields they are read through, and the writing of them back to disk
// with backups. It knows nothing of a cursor, an edit buffer or a filter: TBinDataSet puts
// those on top.
//
// Errors throw TEditorError with the user's message: "Error opening data file: <path>\n<cause>"
// and "Error saving data to file: <path>\n<cause>" (the cause line is left out when there is
// none).
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "record_store/bin_record.h"
#include "record_store/field_types.h"
#include "record_store/schema.h"

// A field the owner asks for (a fixed field list). A data field binds at open to the schema
// field of the same name (case-insensitive); a calculated field lives in the calculated area
// and is set by the calculation callback.
struct TFieldDesc {
    std::string name;
    TFieldType type = TFieldType::Unknown;
    int size = 0;  // text and bytes fields: must equal the schema width (data fields)
    bool calculated = false;
};

// A field of an open store.
struct TBinField {
    std::string name;
    TFieldType type = TFieldType::Unknown;
    int size = 0;  // text and bytes fields: width (calculated text: declared size)
    bool calculated = false;
    int position = 0;  // 1-based position of the schema field (0 for calculated fields)
    TFieldPart part = TFieldPart::Main;
    int offset = 0;  // first byte in the record buffer
    int width = 0;   // bytes in the record buffer
    int index = 0;   // 0-based index in the store's field list
};

class TRecordStorage {
public:
    // --- Files -------------------------------------------------------------------------
    // Also derives the subfile name (empty when the extension names none).
    void SetFileName(const std::string& path);
    const std::string& FileName() const { return fileName_; }
    const std::string& SubFileName() const { return subFileName_; }
    // Empty: derived from the file name at load (DefaultSchemaNameFor).
    void SetSchemaFileName(const std::string& path) { schemaFileName_ = path; }
    const std::string& SchemaFileName() const { return schemaFileName_; }
    const std::string& OpenedSchemaPath() const { return openedSchemaPath_; }
    const std::string& OpenedSubFilePath() const { return openedSubFilePath_; }

    // --- Field set ----------------------------------------------------------------------
    void SetFieldDescs(std::vector<TFieldDesc> descs) { fieldDescs_ = std::move(descs); }
    const std::vector<TFieldDesc>& FieldDescs() const { return fieldDescs_; }

    // --- Loading ------------------------------------------------------------------------
    // Reads the schema, binds the fields and reads every record. On failure nothing stays
    // loaded and TEditorError("Error opening data file: <path>\n<cause>") is thrown.
    void Load();
    // Drops records, fields and schema; the file names stay.
    void Drop();

    const TSchema& Schema() const { return schema_; }
    int MainSize() const { return schema_.mainSize; }
    int SubSize() const { return schema_.subSize; }
    int CalculatedSize() const { return calcSize_; }
    int BufferSize() const { return schema_.mainSize + schema_.subSize + calcSize_; }
    const std::vector<TBinField>& Fields() const { return fields_; }
    // 0-based index of the field of that name, letter case ignored; -1 when none has it.
    int FieldIndexOf(std::string_view name) const;

    // --- Records ------------------------------------------------------------------------
    std::vector<TBinRecord>& Records() { return records_; }
    const std::vector<TBinRecord>& Records() const { return records_; }
    // 0-based index of the record with that id; -1 when none has it.
    int IndexOfId(int32_t id) const;
    // An id no record has had in this store.
    int32_t NewId() { return ++lastId_; }
    // Keeps NewId above an id that comes back into the store (a restored record).
    void NoteId(int32_t id) {
        if (id > lastId_) lastId_ = id;
    }

    // --- Modified flag and writing ------------------------------------------------------
    bool Modified() const { return modified_; }
    void SetModified(bool modified) { modified_ = modified; }
    // Save and Save As: every record to `target` and its subfile (named from `target`) with
    // backups; with a sub part each record's position word is set to its 0-based place,
    // in the files and in memory. Files and backups stay as they were on failure.
    void WriteTo(const std::string& target);
    // The save when the store closes: to the current names, position words unchanged.
    void WriteOnClose();

    // A file with a sub part holds at most this many records (16-bit positions).
    static constexpr int kMaxRecordsWithSubPart = 32767;

private:
    void BindFields();
    void ReadRecords(const std::string& subPath);
    void WriteFiles(const std::string& errorPath, const std::string& recordPath,
                    const std::string& subPath, bool renumber, bool closeTime);

    std::string fileName_;
    std::string subFileName_;
    std::string schemaFileName_;
    std::vector<TFieldDesc> fieldDescs_;
    std::string openedSchemaPath_;
    std::string openedSubFilePath_;

    TSchema schema_;
    std::vector<TBinField> fields_;
    // Field names are looked up for every record a tool touches: hashed, not scanned.
    struct TNoCaseHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view name) const;
    };
    struct TNoCaseEqual {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const {
            return SameFieldName(a, b);
        }
    };
    std::unordered_map<std::string, int, TNoCaseHash, TNoCaseEqual> fieldIndexes_;
    int calcSize_ = 0;
    std::vector<TBinRecord> records_;
    int32_t lastId_ = 0;
    bool modified_ = false;
};
