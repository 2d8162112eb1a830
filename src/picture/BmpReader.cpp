// Reads BMP files: the 14-byte file header, then the device-independent bitmap after it. The
// pixel bytes start where the file header's offset says when that lies inside the file and
// after the colour table; an offset that does not (zero, or into the headers, as careless
// writers leave it) is passed over and the rows are taken to follow the table directly.
#include "picture/BmpReader.h"

#include "toolkit/ByteReader.h"
#include "toolkit/Dib.h"
#include "toolkit/Errors.h"
#include "toolkit/Stream.h"

namespace {
constexpr size_t FileHeaderSize = 14;
}

TBitmapImage ReadBmp(TStream& stream) {
    const uint64_t start = stream.Position();
    uint8_t raw[FileHeaderSize];
    stream.ReadBuffer(raw, sizeof raw);
    TByteReader reader(raw);
    if (reader.U16() != 0x4D42) // "BM"
        throw EInvalidGraphic(Msg::InvalidBitmap);
    reader.Skip(8); // file size, reserved
    const uint64_t bitsOffset = reader.U32();
    return ReadDib(stream, start + bitsOffset);
}
