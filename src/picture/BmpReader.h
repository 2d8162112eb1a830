// Reads a BMP file (file header, core/info/v4/v5 header, colour masks, colour table and
// pixels, uncompressed, bit fields or run-length encoded) into bitmap image data.
#pragma once

#include "picture/Bitmap.h"

class TStream;

namespace Msg {
inline constexpr const char* InvalidBitmap = "Bitmap ist ungültig";
}

// Reads the bitmap in the stream's remaining bytes (at least one). Raises EInvalidGraphic
// ("Bitmap ist ungültig") for what is not a usable bitmap and EReadError
// ("Stream-Read-Fehler") when the file ends inside its headers or colour table; a file that
// ends inside the pixels leaves the missing rows zero.
TBitmapImage ReadBmp(TStream& stream);
