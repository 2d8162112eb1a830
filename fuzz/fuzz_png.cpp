// Loads arbitrary bytes as a PNG picture and draws it.
#include "GraphicFuzz.h"
#include "picture/Png.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Qt's PNG reader reports every damaged chunk as a warning; printing them all would
    // cost more time than decoding.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    LimitPixelsForFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    LoadAndDraw<TPngImage>({data, size});
    return 0;
}
