// The helper's decoding: one function per kind, chosen by the kind's word on the command
// line. Pixels come back as 32-bit rows, an SVG document as a recorded QPicture.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <cstdint>
#include <span>
#include <string_view>

#include "picture/DecodeProtocol.h"

struct THelperAnswer {
    TDecodeStatus Status = TDecodeStatus::Broken;
    QSize Size;         // the picture's, or the declared one of a picture too large
    QImage Image;       // Format_RGB32 or Format_ARGB32
    QByteArray Drawing; // a QPicture stream
};

// Decodes the bytes as the kind ("tiff", "gif", "svg", "heif", "avif"); an unknown kind is
// Unsupported. WebP is decoded without Qt, by AnswerWebP (WebPDecode.h).
THelperAnswer DecodeFile(std::string_view kind, std::span<const uint8_t> bytes);
