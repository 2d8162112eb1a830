// Shared by the fuzz targets of picture kinds that load and then draw: loads bytes as the
// kind and draws it into a small image, which is when some kinds choose and decode what
// they hold. The program's own exceptions are the expected answer to bad input; a crash, a
// sanitizer report or a hang is a finding.
#pragma once

#include <QImage>
#include <QPainter>
#include <cstdint>
#include <span>

#include "picture/Canvas.h"
#include "toolkit/Dib.h"
#include "toolkit/Errors.h"
#include "toolkit/Stream.h"

// Mutated headers ask for huge images; decoding the largest allowed one on every run would
// bring the fuzzer to a crawl. 1 MiB still holds a 512 × 512 32-bit image.
inline void LimitPixelsForFuzzing() {
    SetPixelMemoryLimit(uint64_t(1) << 20);
}

template <class TKind> void LoadAndDraw(std::span<const uint8_t> bytes) {
    TKind picture;
    TBytesStream stream(bytes);
    try {
        picture.ReadFrom(stream);
    } catch (const Exception&) {
        return;
    }
    QImage target(40, 40, QImage::Format_ARGB32_Premultiplied);
    target.fill(0);
    QPainter painter(&target);
    TCanvas canvas(painter);
    try {
        canvas.DrawStretched({4, 4, 40, 40}, &picture);
    } catch (const Exception&) {
    }
}
