#include "record_store/record_storage.h"

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
#include "record_store/record_file_io.h"

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

void TRecordStorage::SetFileName(const std::string& path) {
    fileName_ = path;
    subFileName_ = SubfileNameFor(path);
}

// --- Loading --------------------------------------------------------------------------------

void TRecordStorage::Load() {
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
        ReadRecords(subPath);
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
    lastId_ = static_cast<int32_t>(records_.size());
    modified_ = false;
}

std::size_t TRecordStorage::TNoCaseHash::operator()(std::string_view name) const {
    std::size_t h = 1469598103934665603ull;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        h = (h ^ static_cast<std::size_t>(u >= 'a' && u <= 'z' ? u - ('a' - 'A') : u)) *
            1099511628211ull;
    }
    return h;
}

int TRecordStorage::FieldIndexOf(std::string_view name) const {
    const auto found = fieldIndexes_.find(name);
    return found == fieldIndexes_.end() ? -1 : found->second;
}

void TRecordStorage::BindFields() {
    fields_.clear();
    fieldIndexes_.clear();
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
    for (const TBinField& f : fields_) fieldIndexes_.emplace(f.name, f.index);
}

void TRecordStorage::ReadRecords(const std::string& subPath) {
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
    // Large reads for large files; a small file needs no more buffer than the bytes it gives.
    constexpr uint64_t kReadBufferSize = 1 << 20;
    const size_t mainBufSize = static_cast<size_t>(std::min<uint64_t>(length, kReadBufferSize));
    const size_t subBufSize =
        static_cast<size_t>(std::clamp<uint64_t>(count * subSize, 1, kReadBufferSize));
    auto mainBuf = std::make_unique_for_overwrite<char[]>(mainBufSize);
    std::setvbuf(file.get(), mainBuf.get(), _IOFBF, mainBufSize);
    std::unique_ptr<char[]> subBuf;
    if (sub) {
        subBuf = std::make_unique_for_overwrite<char[]>(subBufSize);
        std::setvbuf(sub.get(), subBuf.get(), _IOFBF, subBufSize);
    }

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

void TRecordStorage::Drop() {
    records_.clear();
    records_.shrink_to_fit();
    fields_.clear();
    fieldIndexes_.clear();
    schema_ = TSchema();
    calcSize_ = 0;
    lastId_ = 0;
    modified_ = false;
}

int TRecordStorage::IndexOfId(int32_t id) const {
    for (size_t i = 0; i < records_.size(); ++i)
        if (records_[i].id == id) return static_cast<int>(i);
    return -1;
}

// --- Writing --------------------------------------------------------------------------------

void TRecordStorage::WriteTo(const std::string& target) {
    std::string subTarget;
    if (schema_.subSize > 0) {
        const std::string derived = SubfileNameFor(target);
        if (derived.empty())
            throw TEditorError("Error saving data to file: " + target +
                               "\nThe records carry curve data, but the extension of this file "
                               "names no curve subfile to hold it.");
        subTarget = ResolveNameCase(derived);
    }
    WriteFiles(target, target, subTarget, true, false);
}

void TRecordStorage::WriteOnClose() {
    std::string subPath;
    if (schema_.subSize > 0) {
        if (subFileName_.empty())
            throw TEditorError("Error saving data to file: " + fileName_ +
                               "\nThe records carry curve data, but the extension of this file "
                               "names no curve subfile to hold it.");
        subPath = ResolveNameCase(subFileName_);
    }
    WriteFiles(fileName_, fileName_, subPath, false, true);
}

void TRecordStorage::WriteFiles(const std::string& errorPath, const std::string& recordPath,
                                const std::string& subPath, bool renumber, bool closeTime) {
    const std::string prefix = "Error saving data to file: " + errorPath + "\n";
    const bool hasSub = schema_.subSize > 0;
    const size_t mainSize = static_cast<size_t>(schema_.mainSize);
    const size_t subSize = static_cast<size_t>(schema_.subSize);
    if (hasSub && records_.size() > static_cast<size_t>(kMaxRecordsWithSubPart))
        throw TEditorError(prefix + "A file with curve data holds at most " +
                           std::to_string(kMaxRecordsWithSubPart) + " records; this one has " +
                           std::to_string(records_.size()) + ".");

    std::unique_ptr<TTempFile> subFile;
    if (hasSub) subFile = std::make_unique<TTempFile>(subPath, records_.size() * subSize);
    TTempFile mainFile(recordPath, records_.size() * mainSize);
    if (subFile && !subFile->Ok()) throw TEditorError(prefix + subFile->Error());
    if (!mainFile.Ok()) throw TEditorError(prefix + mainFile.Error());

    std::vector<uint8_t> main(mainSize);
    for (size_t p = 0; p < records_.size(); ++p) {
        const uint8_t* data = records_[p].data.data();
        const uint8_t* out = data;
        if (renumber && hasSub) {
            std::memcpy(main.data(), data, mainSize);
            main[kPositionWordOffset] = static_cast<uint8_t>(p & 0xFF);
            main[kPositionWordOffset + 1] = static_cast<uint8_t>((p >> 8) & 0xFF);
            out = main.data();
        }
        if (!mainFile.Write(out, mainSize)) break;
        if (hasSub && data[kSubPartFlagOffset] != 0 && !subFile->Write(data + mainSize, subSize))
            break;
    }
    const bool subOk = !subFile || subFile->Finish();
    const bool mainOk = mainFile.Finish();
    if (!subOk) throw TEditorError(prefix + subFile->Error());
    if (!mainOk) throw TEditorError(prefix + mainFile.Error());

    std::vector<TReplacement> items;
    if (subFile) {
        items.push_back({subFile.get(), BackupNameFor(subPath),
                         "Unable to remove old backup (sub) file.",
                         "Unable to create backup (sub) file."});
    }
    items.push_back({&mainFile, BackupNameFor(recordPath), "Unable to remove old backup file.",
                     "Unable to create backup file."});
    try {
        ReplaceWithBackups(items, closeTime);
    } catch (const TEditorError& e) {
        throw TEditorError(prefix + e.what());
    }

    if (renumber && hasSub) {
        for (size_t p = 0; p < records_.size(); ++p) {
            records_[p].data[kPositionWordOffset] = static_cast<uint8_t>(p & 0xFF);
            records_[p].data[kPositionWordOffset + 1] = static_cast<uint8_t>((p >> 8) & 0xFF);
        }
    }
    modified_ = false;
}
