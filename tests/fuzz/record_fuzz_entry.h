#pragma once
// What the record-store fuzz harnesses do with one input; shared with the test that replays
// the seeds and the inputs once found to fail (tests/data/fuzz/).
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/record_walk.h"
#include "record_store/bin_data_set.h"
#include "record_store/editor_error.h"
#include "record_store/schema.h"
#include "record_store/schema_extension.h"

namespace record_fuzz {

// A broken property: reported like a crash so that the fuzzer keeps the input.
[[noreturn]] inline void PropertyBroken(const char* what) {
    std::fprintf(stderr, "fuzz property broken: %s\n", what);
    std::abort();
}

// Schema text: parse it, look up every field line's curve extension and expressions.
inline void SchemaText(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const TSchema schema = ParseSchema(text);
        int mainSize = 0, subSize = 0;
        for (const TSchemaField& f : schema.fields) {
            (f.part == TFieldPart::Sub ? subSize : mainSize) += f.width;
            const int64_t partSize = f.part == TFieldPart::Sub ? schema.subSize : schema.mainSize;
            if (f.offset < 0 || f.offset + int64_t{f.width} > partSize)
                PropertyBroken("a field of a parsed schema lies outside its part");
            std::optional<std::string> line = FindSchemaFieldLine(text, f.position);
            TCurveFieldExtension ext = ParseCurveFieldExtension(line ? *line : std::string());
            ParseFieldExpression(ext.countExpr);
            ParseFieldExpression(ext.startExpr);
        }
        if (mainSize != schema.mainSize || subSize != schema.subSize)
            PropertyBroken("part sizes are not the sums of their field widths");
    } catch (const TEditorError&) {
    }
}

inline void WriteBytes(const std::string& path, const uint8_t* data, size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The files a save of an unchanged store must write, worked out from the files it was opened
// from: the record file with (when the records have a sub part) each record's position word
// set to its place, and the subfile holding the sub part of every record whose flag byte is
// set, in record order; a subfile that ended early gives zero sub parts from there on.
inline void ExpectedSave(const TSchema& schema, std::string_view dat, std::string_view sub,
                         std::string& expectedDat, std::string& expectedSub) {
    const size_t mainSize = static_cast<size_t>(schema.mainSize);
    const size_t subSize = static_cast<size_t>(schema.subSize);
    expectedDat.assign(dat);
    expectedSub.clear();
    if (subSize == 0) return;
    size_t subPos = 0;
    for (size_t p = 0; p * mainSize < dat.size(); ++p) {
        expectedDat[p * mainSize + kPositionWordOffset] = static_cast<char>(p & 0xFF);
        expectedDat[p * mainSize + kPositionWordOffset + 1] = static_cast<char>((p >> 8) & 0xFF);
        if (dat[p * mainSize + kSubPartFlagOffset] == 0) continue;
        if (subPos + subSize <= sub.size()) {
            expectedSub.append(sub.substr(subPos, subSize));
            subPos += subSize;
        } else {
            expectedSub.append(subSize, '\0');
            subPos = sub.size();
        }
    }
}

// Input layout: 2 bytes schema length, 2 bytes record file length (little-endian), then the
// schema text, the record file and, in what is left, the subfile. The three files go into
// folder as S.DAT, DAT.SCH and S.SUB. They are opened in the general view and in the DAT, SAD
// and DAS views, and every record and curve of each view is read. The general view then
// saves under another name: the files written must be what ExpectedSave works out. Last the
// store is edited and saved again.
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
    const std::string_view dat(reinterpret_cast<const char*>(data + schemaLen), recordLen);
    const std::string_view sub(reinterpret_cast<const char*>(data + schemaLen + recordLen),
                               size - schemaLen - recordLen);
    WriteBytes(schemaPath, data, schemaLen);
    WriteBytes(datPath, data + schemaLen, recordLen);
    WriteBytes(folder + "/S.SUB", data + schemaLen + recordLen, sub.size());

    for (TViewKind kind : {TViewKind::Dat, TViewKind::Sad, TViewKind::Das}) {
        TBinDataSet view;
        ConfigureWalkedView(view, kind, datPath, schemaPath);
        try {
            view.Open();
        } catch (const TEditorError&) {
            continue;
        }
        WalkView(view, kind);
        view.SetModified(false);
        view.Close();
    }

    TBinDataSet ds;
    ConfigureWalkedView(ds, TViewKind::General, datPath, schemaPath);
    try {
        ds.Open();
    } catch (const TEditorError&) {
        return;
    }
    WalkView(ds, TViewKind::General);
    try {
        bool saved = false;
        try {
            ds.SaveToFile(folder + "/T.DAT");
            saved = true;
        } catch (const TEditorError&) {
            if (ds.RecordCount() <= TBinDataSet::kMaxRecordsWithSubPart || !ds.SubSize())
                PropertyBroken("an unchanged store that opened could not be saved");
        }
        if (saved) {
            std::string expectedDat, expectedSub;
            ExpectedSave(ds.Schema(), dat, sub, expectedDat, expectedSub);
            if (ReadBytes(folder + "/T.DAT") != expectedDat)
                PropertyBroken("the saved record file differs from the one opened");
            if (ds.SubSize() > 0 && ReadBytes(folder + "/T.SUB") != expectedSub)
                PropertyBroken("the saved subfile differs from the one opened");
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
