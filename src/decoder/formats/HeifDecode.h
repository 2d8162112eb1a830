// Decodes HEIC pictures: the container through our own reader, the HEVC data through
// libde265, then the colours, the tiles of a grid and the rotation and mirroring the file
// asks for. An alpha plane stored beside the picture is not read: the picture shows opaque.
#pragma once

#include <QImage>
#include <QtGlobal>
#include <cstddef>
#include <span>

#include "toolkit/Translation.h"

namespace Msg {
inline constexpr TMsg HeifTooLarge{
    QT_TRANSLATE_NOOP("Msg", "Das HEIC-Bild ist mit %lld × %lld Pixeln zu groß.")};
} // namespace Msg

// The file's primary picture as Format_RGB32, turned as it is to be shown. Throws
// EInvalidGraphic with Msg::HeifTooLarge, before anything is decoded, when the picture or
// its tiles together hold more than maxPixels pixels, and with Msg::HeifInvalid when the
// file is damaged or holds no picture this decoder reads.
QImage DecodeHeif(std::span<const std::byte> file, qint64 maxPixels);
