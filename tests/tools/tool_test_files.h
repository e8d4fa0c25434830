#pragma once
// Small record files made by the tests of the curve tools: DAT files of a few records with
// known curves, written through the sample generator's record writer under the sample's DAT
// schema, and opened in the DAT view.
#include <array>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "record_store/bin_data_set.h"
#include "record_store/curve_fields.h"
#include "record_store/measurement_codes.h"
#include "record_store/views.h"
#include "temp_folder.h"
#include "tools/sample_generator.h"
#include "tools/sample_schemas.h"

namespace tool_test {

// One record of a crafted file. Raw values are given from index 0 and padded with zeros.
struct TRecordFixture {
    int run = 1;
    int disk = 1;
    bool tlRun = true;  // false: a background run
    bool normalization = false;
    int dev = 0;        // "Dev#": < 1000 TL, else OSL
    int npt = 0;
    int spacing = 5;
    std::array<int, 4> timeBases{0, 0, 0, 0};  // N10, N100, N1000, N10000
    double oslRate = 0;                        // stored in "OSL BGD"
    double factor = 1;
    double shift = 0;
    int maxPoint = 100;
    std::vector<double> raw;
    std::vector<double> subtracted;
};

inline TSampleRecord MakeRecord(const TRecordFixture& s) {
    TSampleRecord r;
    r.Set("Subfile flag", true);  // the record has its curve block in the subfile
    r.Set("Run#", std::int64_t{s.run});
    r.Set("Disk#", std::int64_t{s.disk});
    r.Set("TL run", s.tlRun);
    r.Set("Normalization", s.normalization);
    r.Set("Dev#", std::int64_t{s.dev});
    r.Set("NPT", std::int64_t{s.npt});
    r.Set("Spacing", std::int64_t{s.spacing});
    r.Set("Time base 10", std::int64_t{s.timeBases[0]});
    r.Set("Time base 100", std::int64_t{s.timeBases[1]});
    r.Set("Time base 1000", std::int64_t{s.timeBases[2]});
    r.Set("Time base 10000", std::int64_t{s.timeBases[3]});
    r.Set("OSL BGD", std::int64_t{RateToOslBgd(s.oslRate)});
    r.Set("Normalization factor", s.factor);
    r.Set("Shift", s.shift);
    r.Set("Max point", std::int64_t{s.maxPoint});
    TFloatArray raw = s.raw;
    raw.resize(100, 0.0);
    r.curves.emplace_back("Raw data", raw);
    TFloatArray sub = s.subtracted;
    sub.resize(98, 0.0);
    r.curves.emplace_back("Subtracted data", sub);
    return r;
}

// The sample's DAT fields with one field's schema type and width changed (a signed 4-byte
// "Disk#" can hold the negative disks that a 2-byte one cannot).
inline std::vector<TSampleSchemaField> DatFieldsWith(const std::string& name,
                                                     const std::string& type, int width) {
    std::vector<TSampleSchemaField> fields = DatSampleFields();
    for (TSampleSchemaField& f : fields) {
        if (f.name == name) {
            f.type = type;
            f.width = width;
        }
    }
    return fields;
}

// Writes DAT.sch (with the given fields) and NAME.DAT/.SUB into the folder; returns the
// record file's path.
inline std::string WriteDatFile(const TTempFolder& folder,
                                const std::vector<TRecordFixture>& fixtures,
                                const std::vector<TSampleSchemaField>& fields = DatSampleFields(),
                                const std::string& name = "T.DAT") {
    const std::string schema = folder / "DAT.sch";
    {
        std::FILE* f = std::fopen(schema.c_str(), "wb");
        const std::string text = SchemaTextOf(fields, "test");
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    std::vector<TSampleRecord> records;
    for (const TRecordFixture& s : fixtures) records.push_back(MakeRecord(s));
    const std::string path = folder / name;
    WriteSampleRecords(path, schema, fields, records);
    return path;
}

// A view opened on a record file; the schema defaults to DAT.sch beside it.
inline std::unique_ptr<TBinDataSet> OpenView(const std::string& path, TViewKind kind,
                                             const std::string& schema = "") {
    auto store = std::make_unique<TBinDataSet>();
    ConfigureView(*store, kind);
    store->SetFileName(path);
    store->SetSchemaFileName(
        schema.empty() ? (std::filesystem::path(path).parent_path() / "DAT.sch").string() : schema);
    store->Open();
    return store;
}

inline std::unique_ptr<TBinDataSet> OpenDat(const std::string& path,
                                            const std::string& schema = "") {
    return OpenView(path, TViewKind::Dat, schema);
}

// The two curves of the maker's layout, from the schema lines.
inline TCurveFieldList DatCurves(const TBinDataSet& view) {
    return {ReadCurveFieldInfo(view, "Raw data"), ReadCurveFieldInfo(view, "Subtracted data")};
}

// The message of what `f` throws; empty when it throws nothing.
inline std::string ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return {};
}

// Bookmark of the record at 1-based place n.
inline std::int32_t IdOf(const TBinDataSet& view, int n) {
    return view.RecordAt(n - 1).id;
}

}  // namespace tool_test
