#pragma once
// What the fuzz harnesses do with one input; shared with the test that replays the inputs
// once found to fail (tests/data/record_store/fuzz_regressions/).
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "record_store/bin_data_set.h"
#include "record_store/editor_error.h"
#include "record_store/schema.h"
#include "record_store/schema_extension.h"

namespace record_fuzz {

// Schema text: parse it, look up every field line's curve extension and expressions.
inline void SchemaText(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const TSchema schema = ParseSchema(text);
        for (const TSchemaField& f : schema.fields) {
            std::optional<std::string> line = FindSchemaFieldLine(text, f.position);
            TCurveFieldExtension ext = ParseCurveFieldExtension(line ? *line : std::string());
            ParseFieldExpression(ext.countExpr);
            ParseFieldExpression(ext.startExpr);
        }
    } catch (const TEditorError&) {
    }
}

inline void WriteBytes(const std::string& path, const uint8_t* data, size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
}

// Input layout: 2 bytes schema length, 2 bytes record file length (little-endian), then the
// schema text, the record file and, in what is left, the subfile. The three files go into
// folder as S.DAT, DAT.SCH and S.SUB; the store opens them, reads every field of every
// record, edits one record and saves under another name.
inline void RecordFiles(const uint8_t* data, size_t size, const std::string& folder) {
    if (size < 4) return;
    size_t schemaLen = data[0] | data[1] << 8;
    size_t recordLen = data[2] | data[3] << 8;
    data += 4;
    size -= 4;
    schemaLen = std::min(schemaLen, size);
    recordLen = std::min(recordLen, size - schemaLen);
    const std::string schemaPath = folder + "/DAT.SCH";
    const std::string datPath = folder + "/S.DAT";
    WriteBytes(schemaPath, data, schemaLen);
    WriteBytes(datPath, data + schemaLen, recordLen);
    WriteBytes(folder + "/S.SUB", data + schemaLen + recordLen, size - schemaLen - recordLen);

    TBinDataSet ds;
    ds.SetFileName(datPath);
    try {
        ds.Open();
    } catch (const TEditorError&) {
        return;
    }
    try {
        for (bool ok = ds.First(); ok; ok = ds.Next()) {
            for (int i = 0; i < ds.FieldCount(); ++i) {
                try {
                    (void)ds.AsString(i);
                    (void)ds.FieldBytes(i);
                } catch (const TEditorError&) {
                }
            }
        }
        if (ds.FieldCount() > 0) {
            ds.First();
            ds.Edit();
            try {
                ds.SetValue(0, std::string("12345678901234567890"));
            } catch (const TEditorError&) {
            }
            ds.Post();
            ds.Append();
            try {
                ds.SetValue(ds.FieldCount() - 1, 1.0e300);
            } catch (const TEditorError&) {
            }
            ds.Post();
            ds.Delete();
        }
        ds.SaveToFile(folder + "/T.DAT");
        ds.Close();
    } catch (const TEditorError&) {
        ds.SetModified(false);
        ds.Close();
    }
    for (const char* name : {"/T.DAT", "/T.SUB", "/T.~DAT", "/T.~SUB", "/S.~DAT", "/S.~SUB"})
        ::unlink((folder + name).c_str());
}

}  // namespace record_fuzz
