// Loads arbitrary bytes as a JPEG picture and decodes it, as the first drawing would. Any
// of the program's errors is a fine outcome; a crash, a leak or a hang is not.
#include <cstddef>
#include <cstdint>
#include <span>

#include "picture/Jpeg.h"
#include "toolkit/Dib.h"
#include "toolkit/Errors.h"
#include "toolkit/Stream.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Mutated headers ask for pictures up to the program's gibibyte; a small cap keeps the
    // time on parsing and decoding instead of on zeroing memory.
    SetPixelMemoryLimit(uint64_t(1) << 20);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TJPEGImage image;
    TBytesStream stream(std::span<const uint8_t>(data, size));
    try {
        image.ReadFrom(stream);
    } catch (const Exception&) {
        return 0;
    }
    try {
        image.DecodedBitmap();
    } catch (const Exception&) {
    }
    return 0;
}
