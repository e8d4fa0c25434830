#include "record_store/file_operations.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace {

TFileFaults* activeFaults = nullptr;

bool Injected(TFileOperation operation, const std::string& subject) {
    return activeFaults && activeFaults->Fails(operation, subject);
}

}  // namespace

TFileFaults::TFileFaults(long failAt) : failAt_(failAt), previous_(activeFaults) {
    activeFaults = this;
}

TFileFaults::~TFileFaults() {
    activeFaults = previous_;
}

bool TFileFaults::Fails(TFileOperation operation, const std::string& subject) {
    if (++count_ != failAt_) return false;
    failed_ = true;
    failedOperation_ = operation;
    failedSubject_ = subject;
    errno = EIO;
    return true;
}

int CreateUniqueFile(char* pattern, const std::string& subject) {
    if (Injected(TFileOperation::Create, subject)) return -1;
    return ::mkstemp(pattern);
}

size_t WriteFileBytes(const void* data, size_t size, std::FILE* file, const std::string& subject) {
    if (Injected(TFileOperation::Write, subject)) return 0;
    return std::fwrite(data, 1, size, file);
}

int FlushFile(std::FILE* file, const std::string& subject) {
    if (Injected(TFileOperation::Flush, subject)) return EOF;
    return std::fflush(file);
}

int RenameFile(const std::string& from, const std::string& to, const std::string& subject) {
    if (Injected(TFileOperation::Rename, subject)) return -1;
    return std::rename(from.c_str(), to.c_str());
}

int RemoveFile(const std::string& path, const std::string& subject) {
    if (Injected(TFileOperation::Remove, subject)) return -1;
    return ::unlink(path.c_str());
}
