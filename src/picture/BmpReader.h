// Reads a BMP file (file header, core/info/v4/v5 header, colour masks, colour table and
// pixels, uncompressed, bit fields or run-length encoded) into bitmap image data.
#pragma once

#include "toolkit/Dib.h"

class TStream;

// Reads the bitmap in the stream's remaining bytes (at least one). Raises EInvalidGraphic
// ("Bitmap ist ungültig") for what is not a usable bitmap and EReadError
// ("Stream-Read-Fehler") when the file ends inside its headers or colour table; a file that
// ends inside the pixels leaves the missing rows zero. The pixel bytes are read at the file
// header's offset when it lies inside the file and after the colour table, else directly after
// the table.
TBitmapImage ReadBmp(TStream& stream);
