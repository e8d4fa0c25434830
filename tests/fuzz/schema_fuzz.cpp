// libFuzzer harness: schema text parsing.
#include "fuzz/record_fuzz_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    record_fuzz::SchemaText(data, size);
    return 0;
}
