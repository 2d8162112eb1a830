// Feeds enhanced metafiles to the reader and the player. So that mutations reach the
// records instead of failing the header checks, inputs of more than 100 bytes get the
// header's record type, signature and total size put right.
#include <algorithm>
#include <vector>

#include "MetafileFuzz.h"

namespace {

void Put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + size_t(i)] = static_cast<uint8_t>(value >> (8 * i));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + std::min(size, MaxFuzzInput));
    if (bytes.size() > 100) {
        Put32(bytes, 0, 1);
        Put32(bytes, 40, 0x464D4520);
        Put32(bytes, 48, static_cast<uint32_t>(std::min<size_t>(bytes.size(), UINT32_MAX)));
    }
    LoadAndPlayMetafile(bytes);
    return 0;
}
