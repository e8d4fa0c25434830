// libFuzzer harness: a record file with its schema and subfile opened in every view, walked,
// saved back unchanged (byte for byte what was read), edited and saved again.
#include <cstdlib>
#include <filesystem>

#include "fuzz/record_fuzz_entry.h"

namespace {

// The folder the files of each input are written to; removed when the run ends.
struct TFuzzFolder {
    std::string path;
    TFuzzFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "orvane-fuzz-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
    }
    ~TFuzzFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

const std::string& Folder() {
    static const TFuzzFolder folder;
    return folder.path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    record_fuzz::RecordFiles(data, size, Folder());
    return 0;
}
