// The libFuzzer entry of one target: TIEBA_FUZZ_ENTRY names its function in fuzz_targets.h.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TIEBA_FUZZ_ENTRY(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
