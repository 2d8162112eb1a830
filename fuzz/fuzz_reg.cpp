// Arbitrary text through the registry file rules: reading must never fail, and what the
// writer makes of it must read back to the very same file.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "toolkit/Registry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string written = RegFormat(RegParse(text));
    if (RegFormat(RegParse(written)) != written)
        std::abort();
    return 0;
}
