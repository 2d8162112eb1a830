// Feeds arbitrary bytes to the BMP reader. The program's own exceptions are the expected
// answer to bad input; anything else (a crash, a sanitizer report, another exception type)
// is a finding. Reading some pixels afterwards makes reads of memory the reader never filled
// or never allocated visible to the sanitizers.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "picture/Bitmap.h"
#include "toolkit/Dib.h"
#include "toolkit/Errors.h"
#include "toolkit/Stream.h"

namespace {

// Sums the bytes at both ends of the first, middle and last scanline, and the colour
// table. Only the ends, so that a wide picture does not slow the fuzzer down; the result is
// kept so that the reads are not optimised away.
unsigned TouchPixels(const QImage& image) {
    if (image.isNull())
        return 0;
    constexpr qsizetype Span = 64;
    const qsizetype lineBytes = image.bytesPerLine();
    const qsizetype span = std::min(Span, lineBytes);
    unsigned sum = 0;
    for (const int y : {0, image.height() / 2, image.height() - 1}) {
        const uchar* line = image.constScanLine(y);
        for (qsizetype x = 0; x < span; ++x)
            sum += line[x] + line[lineBytes - 1 - x];
    }
    for (const QRgb colour : image.colorTable())
        sum += colour;
    return sum;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Mutated headers legitimately ask for pictures up to the program's gibibyte; a small
    // cap keeps the time on parsing instead of on zeroing memory.
    SetPixelMemoryLimit(uint64_t(1) << 20);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TBytesStream stream(std::span<const uint8_t>(data, size));
    TBitmap bitmap;
    try {
        bitmap.ReadFrom(stream);
    } catch (const Exception&) {
        return 0;
    }
    volatile unsigned sink = TouchPixels(bitmap.Image());
    (void)sink;
    return 0;
}
