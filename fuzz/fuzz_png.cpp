// Loads arbitrary bytes as a PNG picture and draws it. The program's own exceptions are the
// expected answer to bad input; a crash, a sanitizer report or a hang is a finding.
#include <QImage>
#include <QPainter>
#include <cstddef>
#include <cstdint>
#include <span>

#include "picture/Canvas.h"
#include "picture/Dib.h"
#include "picture/Png.h"
#include "toolkit/Errors.h"
#include "toolkit/Stream.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Qt's PNG reader reports every damaged chunk as a warning; printing them all would
    // cost more time than decoding.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    // Mutated headers ask for huge images; decoding the largest allowed one on every run
    // would bring the fuzzer to a crawl. 1 MiB still holds a 512 × 512 32-bit image.
    SetPixelMemoryLimit(uint64_t(1) << 20);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TPngImage png;
    TBytesStream stream(std::span<const uint8_t>(data, size));
    try {
        png.ReadFrom(stream);
    } catch (const Exception&) {
        return 0;
    }
    QImage target(40, 40, QImage::Format_ARGB32_Premultiplied);
    target.fill(0);
    QPainter painter(&target);
    TCanvas canvas(painter);
    canvas.DrawStretched({4, 4, 40, 40}, &png);
    return 0;
}
