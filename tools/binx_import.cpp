#include "tools/binx_import.h"

#include <bit>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <span>
#include <system_error>

#include "import/binx_reader.h"
#include "record_store/field_codec.h"
#include "record_store/file_names.h"
#include "record_store/record_file_io.h"
#include "tools/sample_schemas.h"

namespace fs = std::filesystem;

namespace {

// Field writer over one schema: the entries of the fields set, looked up once.
class TRecordEncoder {
public:
    explicit TRecordEncoder(const std::vector<TSampleSchemaField>& fields)
        : layout_(LayoutOf(fields)) {}
    int MainSize() const { return layout_.mainSize; }
    int SubSize() const { return layout_.subSize; }

    struct TSlot {
        TFieldType type = TFieldType::Unknown;
        int offset = -1, width = 0;
        bool sub = false;
    };
    TSlot Slot(const std::string& name) const {
        const TSampleSchemaLayout::Entry* e = layout_.Find(name);
        if (e == nullptr) return {};
        return {FieldTypeFromKeyword(e->field.type), e->offset, e->field.width, e->field.sub};
    }
    static void Put(const TSlot& slot, const TFieldValue& value, uint8_t* main, uint8_t* sub) {
        if (slot.offset < 0) return;
        uint8_t* base = slot.sub ? sub : main;
        EncodeField(slot.type, value,
                    std::span<uint8_t>(base + slot.offset, static_cast<std::size_t>(slot.width)));
    }
    // DOUBLE elements of a curve field, little-endian, as many as fit.
    static void PutDoubles(const TSlot& slot, const TFloatArray& values, uint8_t* main,
                           uint8_t* sub) {
        if (slot.offset < 0) return;
        uint8_t* p = (slot.sub ? sub : main) + slot.offset;
        const std::size_t n = std::min<std::size_t>(values.size(), slot.width / 8);
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(p, values.data(), n * 8);
        } else {
            for (std::size_t k = 0; k < n; ++k) {
                uint64_t u;
                std::memcpy(&u, &values[k], 8);
                for (int b = 0; b < 8; ++b) p[8 * k + b] = static_cast<uint8_t>(u >> (8 * b));
            }
        }
    }

private:
    TSampleSchemaLayout layout_;
};

// The file's bytes in a buffer that is not cleared first: a BINX file of a hundred megabytes
// would otherwise be written twice before it is read.
struct TFileBytes {
    std::unique_ptr<uint8_t[]> data;
    std::size_t size = 0;
    std::span<const uint8_t> Span() const { return {data.get(), size}; }
};

TFileBytes ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) throw TEditorError("Error importing " + path + ": the file cannot be read");
    const std::streamoff size = in.tellg();
    if (size < 0) throw TEditorError("Error importing " + path + ": the file cannot be read");
    TFileBytes bytes;
    bytes.size = static_cast<std::size_t>(size);
    bytes.data = std::make_unique_for_overwrite<uint8_t[]>(bytes.size);
    in.seekg(0);
    if (size > 0 && !in.read(reinterpret_cast<char*>(bytes.data.get()), size))
        throw TEditorError("Error importing " + path + ": the file cannot be read");
    return bytes;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(path, ec);
}

}  // namespace

TImportedBytes EncodeImportedRecords(const TBinxConversion& conversion) {
    const bool das = conversion.singleGrain;
    const TRecordEncoder enc(das ? DasSampleFields() : DatSampleFields());
    using S = TRecordEncoder::TSlot;
    const S run = enc.Slot("Run#"), hole = enc.Slot("Hole#"), disk = enc.Slot("Disk#"),
            position = enc.Slot("Position"), dev = enc.Slot("Dev#"), npt = enc.Slot("NPT"),
            subFlag = enc.Slot("Subfile flag"), natTL = enc.Slot("Nat TL"),
            tlRun = enc.Slot("TL run"), single = enc.Slot("Single aliquot"),
            beforeIrrad = enc.Slot("Before irrad"), norm = enc.Slot("Normalization"),
            second = enc.Slot("Second"), tempHi = enc.Slot("Sample temp hi"),
            temp = enc.Slot("Sample temp"), spacing = enc.Slot("Spacing"),
            maxPoint = enc.Slot("Max point"), tb10 = enc.Slot("Time base 10"),
            tb100 = enc.Slot("Time base 100"), tb1000 = enc.Slot("Time base 1000"),
            tb10000 = enc.Slot("Time base 10000"), ramp = enc.Slot("Ramp"),
            bleachTime = enc.Slot("Bleach time"), betaRate = enc.Slot("Beta rate"),
            betaTime = enc.Slot("Beta time"), betaUnit = enc.Slot("Beta unit"),
            irradDate = enc.Slot("Irrad date"), normFactor = enc.Slot("Normalization factor"),
            remark = enc.Slot("Remark"), raw = enc.Slot("Raw data");
    const std::size_t mainSize = static_cast<std::size_t>(enc.MainSize());
    const std::size_t subSize = static_cast<std::size_t>(enc.SubSize());
    TImportedBytes bytes;
    const std::size_t count = conversion.measurements.size();
    bytes.main.assign(count * mainSize, 0);
    bytes.sub.assign(count * subSize, 0);
    for (std::size_t i = 0; i < count; ++i) {
        const TImportedMeasurement& m = conversion.measurements[i];
        uint8_t* mp = bytes.main.data() + i * mainSize;
        uint8_t* sp = subSize > 0 ? bytes.sub.data() + i * subSize : nullptr;
        const auto put = [&](const S& slot, const TFieldValue& v) {
            TRecordEncoder::Put(slot, v, mp, sp);
        };
        put(run, int64_t{m.run});
        put(hole, int64_t{m.hole});
        put(disk, int64_t{m.disk});
        put(position, static_cast<int64_t>(i));  // the position word a save writes
        put(dev, int64_t{m.device});
        put(npt, int64_t{m.npt});
        put(subFlag, true);
        put(natTL, true);
        put(tlRun, m.sampleRun);
        put(single, m.singleAliquot);
        put(beforeIrrad, m.bleached);
        put(norm, m.testDose);
        put(second, m.bad);
        put(tempHi, int64_t{m.sampleTemp / 256});
        put(temp, int64_t{m.sampleTemp % 256});
        put(spacing, int64_t{m.spacing});
        put(maxPoint, int64_t{100});
        put(tb10, int64_t{m.bases.N10});
        put(tb100, int64_t{m.bases.N100});
        put(tb1000, int64_t{m.bases.N1000});
        put(tb10000, int64_t{m.bases.N10000});
        put(ramp, m.ramp);
        put(bleachTime, m.bleachMinutes);
        if (m.irradiationSeconds > 0) {
            put(betaRate, m.doseRate);
            put(betaTime, m.irradiationSeconds);
            put(betaUnit, std::string(m.doseInSeconds ? "s/s" : "Gy/s"));
        }
        put(irradDate, m.date);
        put(normFactor, 1.0);
        put(remark, m.remark);
        TRecordEncoder::PutDoubles(raw, m.curve, mp, sp);
    }
    return bytes;
}

TBinxImportResult ImportBinxFile(const std::string& binPath, const std::string& outDir,
                                 const TBinxImportOptions& options, bool overwrite,
                                 const TImportProgress& progress) {
    const auto report = [&](double done) {
        if (progress && !progress(done, 100.0)) throw TEditorError(kImportCancelled);
    };
    const std::string prefix = "Error importing " + binPath + ": ";
    report(0);
    const TFileBytes bytes = ReadWholeFile(binPath);
    report(10);
    const TBinxReadResult read = ReadBinx(bytes.Span(), [&](uint64_t done, uint64_t total) {
        return !progress || progress(10.0 + 50.0 * static_cast<double>(done) / total, 100.0);
    });
    if (read.failure == TBinxFailure::Cancelled) throw TEditorError(kImportCancelled);
    if (read.failure == TBinxFailure::NotBinx)
        throw TEditorError(prefix + "not a BIN/BINX file: " + read.Message());
    if (!read.Ok()) throw TEditorError(prefix + "the file is damaged: " + read.Message());
    report(60);

    TBinxConversion conversion = ConvertBinxRecords(read.records, options);
    if (conversion.measurements.empty())
        throw TEditorError(prefix + "the file holds no TL or OSL curve our records can keep");
    const bool das = conversion.singleGrain;
    if (!das && conversion.measurements.size() > 32767) {
        throw TEditorError(prefix + "the file holds " +
                           std::to_string(conversion.measurements.size()) +
                           " measurements; a .DAT file holds at most 32767");
    }
    report(70);

    std::error_code ec;
    fs::create_directories(outDir, ec);
    if (!fs::is_directory(outDir))
        throw TEditorError(prefix + "cannot create the folder " + outDir);
    const std::string base = (fs::path(outDir) / "").string();
    const std::string stem = fs::path(binPath).stem().string();
    const std::string kind = das ? "DAS" : "DAT";
    const std::string recordPath = base + stem + "." + kind;
    const std::string subPath = SubfileNameFor(recordPath);
    std::vector<std::string> existing;
    for (const std::string& path : {recordPath, subPath}) {
        if (!path.empty() && Exists(ResolveNameCase(path)))
            existing.push_back(ResolveNameCase(path));
    }
    if (!existing.empty() && !overwrite) {
        throw TImportTargetExists(
            prefix + existing.front() + " exists already; remove it or import into another folder",
            existing);
    }
    const std::vector<TSampleSchemaField>& fields = das ? DasSampleFields() : DatSampleFields();
    const std::string schemaText =
        SchemaTextOf(fields, das ? "Sample data S12: single-grain files .DAS"
                                 : "Sample data S12: record files .DAT with curve subfiles .SUB");
    const std::string schemaPath = ResolveNameCase(base + kind + ".sch");
    const bool writeSchema = !Exists(schemaPath);
    if (!writeSchema && ReadText(schemaPath) != schemaText) {
        throw TEditorError(prefix + schemaPath +
                           " describes other record files; import into another folder");
    }
    const std::string layoutPath = ResolveNameCase(base + "OV_" + kind + ".INI");
    const bool writeLayout = !Exists(layoutPath);

    const TImportedBytes encoded = EncodeImportedRecords(conversion);
    report(85);

    // Every new file complete under a temporary name, then all moved into place.
    std::vector<std::unique_ptr<TTempFile>> files;
    const auto stage = [&](const std::string& target, const void* data, std::size_t size) {
        files.push_back(std::make_unique<TTempFile>(target, size));
        TTempFile& f = *files.back();
        if (!f.Ok() || !f.Write(data, size) || !f.Finish()) throw TEditorError(prefix + f.Error());
    };
    stage(recordPath, encoded.main.data(), encoded.main.size());
    if (!das) stage(subPath, encoded.sub.data(), encoded.sub.size());
    if (writeSchema) stage(schemaPath, schemaText.data(), schemaText.size());
    const std::string layoutText = das ? FlowLayoutText(fields) : DatLayoutText();
    if (writeLayout) stage(layoutPath, layoutText.data(), layoutText.size());
    report(95);
    std::vector<TReplacement> items;
    for (const auto& f : files) {
        TReplacement r;
        r.file = f.get();
        r.backup = BackupNameFor(f->Target());
        r.removeBackupError = "Unable to remove old backup file.";
        r.createBackupError = "Unable to create backup file.";
        items.push_back(r);
    }
    ReplaceWithBackups(items, false);
    // The files are in place: too late to cancel.
    if (progress) progress(100.0, 100.0);

    TBinxImportResult result;
    result.version = read.records.empty() ? 0 : read.records.front().version;
    result.records = static_cast<int>(conversion.measurements.size());
    for (const auto& f : files) result.written.push_back(f->Target());
    result.positions = conversion.positions;
    result.warnings = read.warnings;
    for (std::string& w : conversion.warnings) result.warnings.push_back(std::move(w));
    return result;
}
