// Replays the fuzz seeds and the inputs kept from fuzzing runs: each must run through without
// a crash or a sanitizer report.
#include <gtest/gtest.h>

#include <filesystem>

#include "fuzz/record_fuzz_entry.h"
#include "record_file_test_util.h"

namespace {

namespace fs = std::filesystem;

void Replay(const fs::path& file) {
    const record_test::Bytes input = record_test::ReadFile(file.string());
    const std::string name = file.filename().string();
    const std::string harness = file.parent_path().filename() == "fuzz_regressions"
                                    ? name.substr(0, name.find('-'))
                                    : file.parent_path().filename().string();
    SCOPED_TRACE(file.string());
    if (harness == "schema") {
        record_fuzz::SchemaText(input.data(), input.size());
    } else if (harness == "record_file") {
        record_test::TempDir dir;
        record_fuzz::RecordFiles(input.data(), input.size(), dir.path());
    } else {
        ADD_FAILURE() << "no harness named " << harness;
    }
}

TEST(FuzzRegressions, KeptInputsAndSeedsRunCleanly) {
    const fs::path root = fs::path(ORVANE_TEST_DATA) / "record_store";
    int replayed = 0;
    for (const char* sub : {"fuzz_regressions", "fuzz_seeds/schema", "fuzz_seeds/record_file"}) {
        for (const auto& entry : fs::directory_iterator(root / sub)) {
            Replay(entry.path());
            ++replayed;
        }
    }
    EXPECT_GE(replayed, 7);
}

}  // namespace
