// Loads arbitrary bytes as an icon and draws it, which is when the directory is read, an
// entry chosen and its DIB or PNG image decoded.
#include "GraphicFuzz.h"
#include "picture/Icon.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    LimitPixelsForFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    LoadAndDraw<TIcon>({data, size});
    return 0;
}
