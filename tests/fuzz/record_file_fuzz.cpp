// libFuzzer harness: a record file with its schema and subfile opened in every view, walked,
// saved back unchanged (byte for byte what was read), edited and saved again.
#include <cstdlib>
#include <filesystem>

#include "fuzz/record_fuzz_entry.h"

namespace {

std::string Folder() {
    static const std::string folder = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "orvane-fuzz-XXXXXX").string();
        return std::string(::mkdtemp(pattern.data()));
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    record_fuzz::RecordFiles(data, size, Folder());
    return 0;
}
