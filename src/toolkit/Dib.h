// Device-independent bitmaps (DIBs) as bitmap files, icons and metafile records store them: a
// header (core, info, OS/2 v2, v4 or v5), bit-field masks, a colour table and the pixel
// bytes (uncompressed rows, bit fields or run-length codes), decoded into bitmap image data.
#pragma once

#include "toolkit/Translation.h"
#include <QImage>
#include <cstdint>
#include <span>
#include <vector>

class TStream;

// Decoded bitmap image data, shared by the bitmap kinds that hold it. Loaded data are never
// changed, so copies share one.
struct TBitmapImage {
    QImage Image;            // the pixels, top row first; null for an empty bitmap
    int BitCount = 0;        // bits per pixel of the bitmap as stored (1, 4, 8, 16, 24, 32)
    std::vector<QRgb> Table; // the colour table the file carried, if any
};

namespace Msg {
inline constexpr TMsg InvalidBitmap{QT_TRANSLATE_NOOP("Msg", "Bitmap ist ungültig")};
}

// The most pixel memory one decoded bitmap may take, 1 GiB unless lowered; larger bitmaps are
// refused before anything is allocated for them. Fuzz targets lower it so that mutated
// headers cannot make every run slow.
uint64_t PixelMemoryLimit();
void SetPixelMemoryLimit(uint64_t bytes);

// Decodes a DIB whose two parts lie in memory.
//   info: the header, whose first 32-bit value is its size (12, 16..64, 108 or 124); after a
//         40-byte header with compression 3, the red, green and blue masks; then the colour
//         table: the header's used-colour count of entries, or 2, 16 or 256 for 1, 4 or 8
//         bits per pixel when that count is 0. Entries are blue, green, red, plus a reserved
//         byte except after a 12-byte header. Bytes after the table are ignored.
//   bits: the pixel rows, bottom row first unless the height is negative, each padded to
//         a multiple of 4 bytes; or the run-length codes of compression 1 (8 bits per
//         pixel) and 2 (4 bits). A non-zero image size in the header limits how many are used.
// Returns the pixels top row first, in the QImage format that matches the stored rows. Raises
// EInvalidGraphic ("Bitmap ist ungültig") for a header it cannot use (planes not 1, an unknown
// depth or compression, width <= 0, height 0, top-down run-length codes, more pixel memory
// than PixelMemoryLimit()) and EReadError ("Stream-Read-Fehler") when `info` ends inside the
// header, the masks or the colour table. Rows that `bits` does not hold stay zero.
TBitmapImage ReadDib(std::span<const uint8_t> info, std::span<const uint8_t> bits);

// A packed DIB: one block whose pixel bytes follow the colour table directly (a clipboard DIB,
// the bitmap of a metafile's DIB records). Otherwise as ReadDib above.
TBitmapImage ReadPackedDib(std::span<const uint8_t> packed);

// The DIB of a BMP file, from the stream's position just after the 14-byte file header. The
// pixel bytes start at bitsOffset (a position in the stream) when it lies inside the stream
// and not before the end of the colour table, and directly after the table otherwise. The
// rows go straight from the stream into the image memory.
TBitmapImage ReadDib(TStream& stream, uint64_t bitsOffset);

// The image of an icon: a packed DIB whose header height counts the colour rows and the
// 1-bit mask rows after them together, and whose colour table has 2^bits entries for up to 8
// bits per pixel (none above) whatever the used-colour count says. Run-length codes are
// refused. Colour has half the header's height; a 32-bit image whose fourth bytes are not all
// zero keeps them as its alpha channel (Format_ARGB32). Mask is a Format_Mono image of the
// same size whose bit 1 marks transparent pixels; rows missing from the bytes stay 0
// (opaque). Raises as ReadDib.
struct TIconDib {
    TBitmapImage Colour;
    QImage Mask;
};
TIconDib ReadIconDib(std::span<const uint8_t> image);
