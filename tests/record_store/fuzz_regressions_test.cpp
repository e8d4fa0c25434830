// Replays the seeds of the record-store fuzz harnesses and the inputs kept from fuzzing runs
// (tests/data/fuzz/) in this build: each must run through without a crash, a sanitizer report
// or a broken harness property.
#include <gtest/gtest.h>

#include <filesystem>

#include "fuzz/layout_fuzz_entry.h"
#include "fuzz/record_fuzz_entry.h"
#include "record_file_test_util.h"

namespace {

namespace fs = std::filesystem;

TEST(FuzzRegressions, KeptInputsAndSeedsRunCleanly) {
    const fs::path root = fs::path(ORVANE_TEST_DATA) / "fuzz";
    int replayed = 0;
    for (const char* harness : {"schema", "record_file", "layout"}) {
        for (const char* kind : {"seeds", "regressions"}) {
            const fs::path folder = root / kind / harness;
            if (!fs::is_directory(folder)) continue;
            for (const auto& entry : fs::directory_iterator(folder)) {
                SCOPED_TRACE(entry.path().string());
                const record_test::Bytes input = record_test::ReadFile(entry.path().string());
                if (std::string(harness) == "schema") {
                    record_fuzz::SchemaText(input.data(), input.size());
                } else if (std::string(harness) == "record_file") {
                    record_test::TempDir dir;
                    record_fuzz::RecordFiles(input.data(), input.size(), dir.path());
                } else {
                    layout_fuzz::LayoutText(input.data(), input.size());
                }
                ++replayed;
            }
        }
    }
    EXPECT_GE(replayed, 15);
}

}  // namespace
