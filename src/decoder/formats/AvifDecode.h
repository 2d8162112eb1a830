// Decodes AVIF pictures through libavif: 8-, 10- and 12-bit, to 8 bits a channel, with the
// rotation and mirroring the file asks for.
#pragma once

#include <QImage>
#include <QtGlobal>
#include <cstddef>
#include <span>

#include "toolkit/Translation.h"

namespace Msg {
inline constexpr TMsg AvifInvalid{
    QT_TRANSLATE_NOOP("Msg", "Die AVIF-Datei ist beschädigt oder wird nicht unterstützt.")};
inline constexpr TMsg AvifTooLarge{
    QT_TRANSLATE_NOOP("Msg", "Das AVIF-Bild ist mit %lld × %lld Pixeln zu groß.")};
} // namespace Msg

// The file's picture, Format_ARGB32 when it has an alpha plane and Format_RGB32 otherwise,
// turned as it is to be shown. Throws EInvalidGraphic with Msg::AvifTooLarge, before the
// pixels are decoded, when the picture holds more than maxPixels pixels, and with
// Msg::AvifInvalid when the file is damaged or not read by libavif.
QImage DecodeAvif(std::span<const std::byte> file, qint64 maxPixels);
