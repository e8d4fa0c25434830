// libFuzzer harness: editor layout files (OV_<kind>.INI): reading, placing, Save position.
#include "fuzz/layout_fuzz_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    layout_fuzz::LayoutText(data, size);
    return 0;
}
