// Runs the decoding helper, vellacour-decode, on a file's bytes: the libraries that read
// WebP, TIFF, GIF, SVG, HEIF and AVIF run there, under memory and time limits, so a file
// that crashes or hangs them costs the helper and not the program. The helper lies beside
// the running program.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <cstdint>
#include <span>
#include <string>

#include "toolkit/Translation.h"

namespace Msg {
inline constexpr TMsg DecodeBroken{
    QT_TRANSLATE_NOOP("Msg", "%s-Datei ist beschädigt oder wird nicht unterstützt")};
inline constexpr TMsg DecodeUnsupported{
    QT_TRANSLATE_NOOP("Msg", "%s-Dateien werden noch nicht unterstützt")};
inline constexpr TMsg DecodeTooLarge{
    QT_TRANSLATE_NOOP("Msg", "%s-Bild ist zu groß (%u x %u Pixel) und kann nicht geladen werden")};
inline constexpr TMsg DecodeFileTooLarge{
    QT_TRANSLATE_NOOP("Msg", "%s-Datei ist zu groß und kann nicht geladen werden")};
inline constexpr TMsg DecodeOverLimit{QT_TRANSLATE_NOOP(
    "Msg", "Das Lesen der %s-Datei braucht mehr Speicher oder Rechenzeit als erlaubt")};
inline constexpr TMsg DecodeTimeout{QT_TRANSLATE_NOOP(
    "Msg", "Das Lesen der %s-Datei wurde abgebrochen, weil es zu lange gedauert hat")};
inline constexpr TMsg DecodeCrashed{
    QT_TRANSLATE_NOOP("Msg", "Das Hilfsprogramm zum Lesen der %s-Datei ist abgestürzt")};
inline constexpr TMsg DecoderMissing{
    QT_TRANSLATE_NOOP("Msg", "Das Hilfsprogramm %s zum Lesen von Bildern fehlt")};
} // namespace Msg

// The helper's limits: the memory limit is the helper's own (it knows whether it runs under
// a sanitizer); the wall-clock time is the program's.
struct TDecodeLimits {
    int TimeoutMs = 30000;
};
TDecodeLimits& DecodeLimits();

// What the helper decoded: pixels, or a recorded drawing with its natural size.
struct TDecoded {
    QImage Image;
    QByteArray Drawing; // a QPicture stream; empty for pixels
    QSize Size;
};

// The helper program's path: beside the running program, found through the application
// object or, in a program without one, through /proc/self/exe.
std::string DecodeHelperPath();

// Decodes the bytes as the kind ("webp", "tiff", ...) in the helper. Raises EInvalidGraphic
// with a message naming the kind (kindName, such as "WebP") for a damaged file, a picture
// too large for PixelMemoryLimit(), a crash, a hang or an over-limit of the helper.
TDecoded DecodeInHelper(const char* kind, const char* kindName, std::span<const uint8_t> bytes);
