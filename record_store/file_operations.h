#pragma once
// The file operations of a save (and of a restore from backup): creating, writing, flushing,
// renaming and removing files. They all go through here so that a test can make exactly one
// of them fail and check that the files on disk stay whole.
#include <cstdio>
#include <string>

enum class TFileOperation { Create, Write, Flush, Rename, Remove };

// Each returns what the system call it wraps returns, with errno set on failure. `subject`
// is the file the user knows the operation by (the target of a temporary file, the backup
// being moved aside); a failure message names it.
int CreateUniqueFile(char* pattern, const std::string& subject);  // mkstemp
size_t WriteFileBytes(const void* data, size_t size, std::FILE* file, const std::string& subject);
int FlushFile(std::FILE* file, const std::string& subject);  // fflush
int RenameFile(const std::string& from, const std::string& to, const std::string& subject);
int RemoveFile(const std::string& path, const std::string& subject);  // unlink

// Test seam: while one lives, the operation numbered failAt (1-based, counted from its
// creation) fails with EIO instead of running; failAt 0 fails none. It counts every
// operation and remembers the one it failed.
class TFileFaults {
public:
    explicit TFileFaults(long failAt = 0);
    ~TFileFaults();
    TFileFaults(const TFileFaults&) = delete;
    TFileFaults& operator=(const TFileFaults&) = delete;

    long Count() const { return count_; }
    bool Failed() const { return failed_; }
    TFileOperation FailedOperation() const { return failedOperation_; }
    const std::string& FailedSubject() const { return failedSubject_; }

    // True (errno = EIO) when this operation is the one to fail.
    bool Fails(TFileOperation operation, const std::string& subject);

private:
    long failAt_;
    long count_ = 0;
    bool failed_ = false;
    TFileOperation failedOperation_ = TFileOperation::Create;
    std::string failedSubject_;
    TFileFaults* previous_;
};
