// Feeds placeable Windows metafiles to the reader and the player. So that mutations reach
// the records instead of failing the header checks, inputs of at least 22 bytes get the
// placeable key and checksum put right.
#include <algorithm>
#include <vector>

#include "MetafileFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + std::min(size, MaxFuzzInput));
    if (bytes.size() >= 22) {
        const uint8_t key[] = {0xD7, 0xCD, 0xC6, 0x9A};
        std::copy(std::begin(key), std::end(key), bytes.begin());
        uint16_t checksum = 0;
        for (size_t i = 0; i < 20; i += 2)
            checksum ^= static_cast<uint16_t>(bytes[i] | bytes[i + 1] << 8);
        bytes[20] = static_cast<uint8_t>(checksum);
        bytes[21] = static_cast<uint8_t>(checksum >> 8);
    }
    LoadAndPlayMetafile(bytes);
    return 0;
}
