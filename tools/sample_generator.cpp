#include "tools/sample_generator.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "record_store/bin_data_set.h"
#include "record_store/curve_elements.h"
#include "record_store/editor_error.h"
#include "import/binx_writer.h"
#include "record_store/file_names.h"
#include "tools/sample_sar.h"

namespace fs = std::filesystem;

void TSampleRecord::Set(std::string name, TFieldValue value) {
    for (auto& [n, v] : values) {
        if (n == name) {
            v = std::move(value);
            return;
        }
    }
    values.emplace_back(std::move(name), std::move(value));
}

const TFieldValue* TSampleRecord::Find(std::string_view name) const {
    for (const auto& [n, v] : values) {
        if (n == name) return &v;
    }
    return nullptr;
}

const TFloatArray* TSampleRecord::FindCurve(std::string_view name) const {
    for (const auto& [n, c] : curves) {
        if (n == name) return &c;
    }
    return nullptr;
}

double TSampleRecord::Number(std::string_view name) const {
    const TFieldValue* v = Find(name);
    if (v == nullptr) return 0.0;
    if (const auto* i = std::get_if<int64_t>(v)) return static_cast<double>(*i);
    if (const auto* d = std::get_if<double>(v)) return *d;
    if (const auto* b = std::get_if<bool>(v)) return *b ? 1.0 : 0.0;
    return 0.0;
}

namespace {

void RemoveIfPresent(const std::string& path) {
    if (path.empty()) return;
    std::error_code ec;
    fs::remove(path, ec);
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw TEditorError("Error saving data to file: " + path);
}

// A curve's values in the element type of its field, zero-filled to the field's width.
std::vector<uint8_t> EncodeCurve(const TSampleSchemaField& field, const TFloatArray& values) {
    std::vector<uint8_t> bytes(field.width, 0);
    const TCurveElementType type = CurveElementTypeFromName(field.elementType);
    const std::size_t size = CurveElementSize(type);
    if (size == 0) return bytes;
    for (std::size_t k = 0; k < values.size() && (k + 1) * size <= bytes.size(); ++k) {
        EncodeCurveElement(type, values[k], bytes.data() + k * size);
    }
    return bytes;
}

}  // namespace

void WriteSampleRecords(const std::string& recordPath, const std::string& schemaPath,
                        const std::vector<TSampleSchemaField>& fields,
                        const std::vector<TSampleRecord>& records) {
    if (records.empty()) throw TEditorError("Error saving data to file: " + recordPath);
    const TSampleSchemaLayout layout = LayoutOf(fields);
    const std::string subPath = SubfileNameFor(recordPath);
    for (const std::string& path : {recordPath, subPath}) {
        if (path.empty()) continue;
        RemoveIfPresent(path);
        RemoveIfPresent(BackupNameFor(path));
    }
    // The store opens only a file that holds a record: start from one zero-filled record,
    // which becomes the first record of the sample.
    WriteBytes(recordPath, std::string(layout.mainSize, '\0'));

    TBinDataSet store;
    store.SetFileName(recordPath);
    store.SetSchemaFileName(schemaPath);
    store.Open();
    for (size_t i = 0; i < records.size(); ++i) {
        if (i == 0) {
            store.First();
            store.Edit();
        } else {
            store.Append();
        }
        for (const auto& [name, value] : records[i].values) store.SetValue(name, value);
        for (const auto& [name, values] : records[i].curves) {
            const TSampleSchemaLayout::Entry* entry = layout.Find(name);
            if (entry == nullptr) throw TEditorError("Field '" + name + "' not found");
            store.SetFieldBytes(name, EncodeCurve(entry->field, values));
        }
        store.Post();
    }
    store.SaveToFile(recordPath);
    store.SetModified(false);
    store.Close();
    // The placeholder record file went to the backup; the sample has no history.
    RemoveIfPresent(BackupNameFor(recordPath));
    if (!subPath.empty()) RemoveIfPresent(BackupNameFor(subPath));
}

std::vector<std::string> SampleFileNames() {
    return {"DAT.sch",   "OV_DAT.INI",        "S12.DAT",          "S12.SUB",
            "SAD.sch",   "OV_SAD.INI",        "S12.SAD",          "S12.SAB",
            "DAS.sch",   "OV_DAS.INI",        "S12.DAS",          "SAR12.DAT",
            "SAR12.SUB", "SAR12.DAS",         "SAR12-reader.binx", "SAR12G-reader.bin"};
}

void MakeSample(const std::string& dir) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (!fs::is_directory(dir)) throw TEditorError("Cannot create the folder " + dir);
    const std::string base = (fs::path(dir) / "").string();

    WriteBytes(base + "DAT.sch",
               SchemaTextOf(DatSampleFields(),
                            "Sample data S12: record files .DAT with curve subfiles .SUB"));
    WriteBytes(base + "OV_DAT.INI", DatLayoutText());
    std::vector<TSampleRecord> dat;
    for (TSampleMeasurement& m : SimulateDatMeasurements()) dat.push_back(std::move(m.record));
    WriteSampleRecords(base + "S12.DAT", base + "DAT.sch", DatSampleFields(), dat);

    WriteBytes(base + "SAD.sch",
               SchemaTextOf(SadSampleFields(),
                            "Sample data S12: single-aliquot files .SAD with subfiles .SAB"));
    WriteBytes(base + "OV_SAD.INI", FlowLayoutText(SadSampleFields()));
    WriteSampleRecords(base + "S12.SAD", base + "SAD.sch", SadSampleFields(), SimulateSadRecords());

    WriteBytes(base + "DAS.sch",
               SchemaTextOf(DasSampleFields(), "Sample data S12: single-grain files .DAS"));
    WriteBytes(base + "OV_DAS.INI", FlowLayoutText(DasSampleFields()));
    WriteSampleRecords(base + "S12.DAS", base + "DAS.sch", DasSampleFields(), SimulateDasRecords());

    // The realistic SAR measurement: our records and the reader's files of the same truth.
    WriteSampleRecords(base + "SAR12.DAT", base + "DAT.sch", DatSampleFields(), SarDatRecords());
    WriteSampleRecords(base + "SAR12.DAS", base + "DAS.sch", DasSampleFields(), SarDasRecords());
    const auto writeBinx = [&](const std::string& name, bool singleGrain) {
        const std::vector<uint8_t> bytes = EncodeBinxFile(SarBinxRecords(singleGrain));
        WriteBytes(base + name, std::string(bytes.begin(), bytes.end()));
    };
    writeBinx("SAR12-reader.binx", false);
    writeBinx("SAR12G-reader.bin", true);
}
