// Shared by the metafile fuzz targets: loads bytes as a metafile and plays it into a small
// image. Any of the program's errors is a fine outcome of loading; playing must never fail.
#pragma once

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdint>
#include <span>

#include "picture/Canvas.h"
#include "picture/Metafile.h"
#include "toolkit/Dib.h"
#include "toolkit/Errors.h"
#include "toolkit/Stream.h"

// Of larger inputs only the first 64 KiB are played: the rest mostly repeats what the start
// reaches, slowly, while the start of a large seed still reaches records no smaller one has.
// The harnesses cut them before they put the header right.
constexpr size_t MaxFuzzInput = 64 * 1024;

inline void LoadAndPlayMetafile(std::span<const uint8_t> bytes) {
    // Text needs fonts, and fonts need the application object.
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* application = [] {
        SetPixelMemoryLimit(uint64_t(1) << 20);
        return new QGuiApplication(argc, argv);
    }();
    (void)application;

    TBytesStream stream(bytes);
    TMetafile metafile;
    try {
        metafile.ReadFrom(stream);
    } catch (const Exception&) {
        return;
    }
    QImage image(64, 64, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    TCanvas canvas(painter);
    canvas.DrawStretched({0, 0, 64, 64}, &metafile);
}
