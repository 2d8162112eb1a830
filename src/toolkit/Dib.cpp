// Decodes device-independent bitmaps. The header and colour table come through a stream in
// small fixed-size pieces whose fields a TByteReader takes apart; the pixel bytes come from a
// stream too, so that a bitmap file's rows can be read straight into the image memory.
#include "toolkit/Dib.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "toolkit/ByteReader.h"
#include "toolkit/Errors.h"
#include "toolkit/Stream.h"

namespace {

uint64_t Limit = uint64_t(1) << 30;

constexpr uint32_t CoreHeaderSize = 12;
constexpr uint32_t InfoHeaderSize = 40;
constexpr size_t MaxHeaderSize = 124;

constexpr uint32_t BI_RGB = 0;
constexpr uint32_t BI_RLE8 = 1;
constexpr uint32_t BI_RLE4 = 2;
constexpr uint32_t BI_BITFIELDS = 3;

// Icons keep a mask below their colour rows and size their colour table by the depth alone.
enum class TLayout { Bitmap, Icon };

[[noreturn]] void Invalid() {
    throw EInvalidGraphic(Msg::InvalidBitmap);
}

// The fields of whichever header the DIB has, widened so that no arithmetic on them can
// overflow.
struct THeader {
    uint32_t Size = 0;
    int64_t Width = 0;
    int64_t Height = 0; // negative: the rows are stored top row first
    uint16_t Planes = 0;
    uint16_t BitCount = 0;
    uint32_t Compression = BI_RGB;
    uint32_t ImageSize = 0;
    uint32_t ColorsUsed = 0;
    uint32_t Masks[3] = {}; // red, green, blue

    bool Core() const { return Size == CoreHeaderSize; }
    bool Rle() const { return Compression == BI_RLE8 || Compression == BI_RLE4; }
    bool TopDown() const { return Height < 0; }
    uint64_t Rows() const { return static_cast<uint64_t>(Height < 0 ? -Height : Height); }
    // Rows are padded to whole 32-bit words.
    uint64_t RowSize() const { return (static_cast<uint64_t>(Width) * BitCount + 31) / 32 * 4; }
    bool HasMasks(uint32_t red, uint32_t green, uint32_t blue) const {
        return Masks[0] == red && Masks[1] == green && Masks[2] == blue;
    }
};

// A header with its masks, and the colour table after it.
struct TDibInfo {
    THeader Header;
    std::vector<QRgb> Table;
};

bool ValidHeaderSize(uint32_t size) {
    return size == CoreHeaderSize || (size >= 16 && size <= 64) || size == 108 || size == 124;
}

THeader ReadHeader(TStream& stream) {
    // Shorter headers leave the fields they lack zero.
    uint8_t raw[MaxHeaderSize] = {};
    stream.ReadBuffer(raw, 4);
    const uint32_t size = TByteReader(std::span<const uint8_t>(raw, 4)).U32();
    if (!ValidHeaderSize(size))
        Invalid();
    stream.ReadBuffer(raw + 4, size - 4);

    TByteReader reader(raw);
    THeader h;
    h.Size = reader.U32();
    if (h.Core()) {
        h.Width = reader.U16();
        h.Height = reader.U16();
        h.Planes = reader.U16();
        h.BitCount = reader.U16();
        return h;
    }
    h.Width = reader.I32();
    h.Height = reader.I32();
    h.Planes = reader.U16();
    h.BitCount = reader.U16();
    h.Compression = reader.U32();
    h.ImageSize = reader.U32();
    reader.Skip(8); // resolution
    h.ColorsUsed = reader.U32();
    reader.Skip(4); // important colours
    for (uint32_t& mask : h.Masks)
        mask = reader.U32();
    return h;
}

void Validate(const THeader& h, TLayout layout) {
    if (h.Planes != 1)
        Invalid();
    const int bpp = h.BitCount;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        Invalid();
    const bool compressionFits = h.Compression == BI_RGB ||
                                 (h.Compression == BI_RLE8 && bpp == 8) ||
                                 (h.Compression == BI_RLE4 && bpp == 4) ||
                                 (h.Compression == BI_BITFIELDS && (bpp == 16 || bpp == 32));
    if (!compressionFits || h.Width <= 0 || h.Height == 0)
        Invalid();
    // Run-length codes count rows from the bottom; there is no top-down form. Nor do they
    // say where an icon's mask would begin.
    if (h.Rle() && (h.TopDown() || layout == TLayout::Icon))
        Invalid();
}

// A plain info header keeps its bit-field masks in the three words after it; the larger
// headers carry them inside.
void ReadMasks(TStream& stream, THeader& h) {
    if (h.Size != InfoHeaderSize || h.Compression != BI_BITFIELDS)
        return;
    uint8_t raw[12];
    stream.ReadBuffer(raw, sizeof raw);
    TByteReader reader(raw);
    for (uint32_t& mask : h.Masks)
        mask = reader.U32();
}

uint64_t ColourCount(const THeader& h, TLayout layout) {
    const uint64_t byDepth = h.BitCount <= 8 ? uint64_t(1) << h.BitCount : 0;
    if (layout == TLayout::Icon || h.ColorsUsed == 0)
        return byDepth;
    return h.ColorsUsed;
}

std::vector<QRgb> ReadColourTable(TStream& stream, const THeader& h, TLayout layout) {
    const uint64_t count = ColourCount(h, layout);
    // Core headers store blue, green, red; the others add a reserved byte.
    const uint64_t entrySize = h.Core() ? 3 : 4;
    if (count * entrySize > stream.Remaining())
        throw EReadError(Msg::ReadError);
    // No bitmap indexes more than 256 colours; the rest of an oversized table is skipped,
    // so a huge colour count in a large file costs no memory.
    const uint64_t kept = std::min<uint64_t>(count, 256);
    std::vector<uint8_t> raw(kept * entrySize);
    stream.ReadBuffer(raw.data(), raw.size());
    stream.Seek(stream.Position() + (count - kept) * entrySize);
    TByteReader reader(raw);
    std::vector<QRgb> table(kept);
    for (QRgb& colour : table) {
        const auto entry = reader.Bytes(entrySize);
        colour = qRgb(entry[2], entry[1], entry[0]);
    }
    return table;
}

TDibInfo ReadInfo(TStream& stream, TLayout layout) {
    TDibInfo info;
    THeader& h = info.Header;
    h = ReadHeader(stream);
    if (layout == TLayout::Icon) {
        // The height counts the mask rows too; the image size, if any, would cover both.
        h.Height /= 2;
        h.ImageSize = 0;
    }
    Validate(h, layout);
    // An icon's colours and mask end up combined in 32-bit pixels; those must fit too.
    if (layout == TLayout::Icon && static_cast<uint64_t>(h.Width) * 4 > Limit / h.Rows())
        Invalid();
    ReadMasks(stream, h);
    info.Table = ReadColourTable(stream, h, layout);
    return info;
}

// The colour table as indexed pixels see it: exactly `size` entries, cut off or padded with
// black, so that every index a pixel can hold has a colour.
QList<QRgb> IndexTable(const std::vector<QRgb>& table, size_t size) {
    QList<QRgb> colours(static_cast<qsizetype>(size), qRgb(0, 0, 0));
    std::copy_n(table.begin(), std::min(size, table.size()), colours.begin());
    return colours;
}

QImage NewImage(const THeader& h, QImage::Format format) {
    const uint64_t depth = QImage::toPixelFormat(format).bitsPerPixel();
    const uint64_t lineBytes = (static_cast<uint64_t>(h.Width) * depth + 31) / 32 * 4;
    if (lineBytes > Limit / h.Rows())
        Invalid();
    QImage image(static_cast<int>(h.Width), static_cast<int>(h.Rows()), format);
    if (image.isNull())
        Invalid();
    return image;
}

// The pixel bytes the stream supplies: the header's image size, or all rows when it gives
// none, but never more than are left.
uint64_t PixelByteCount(const TStream& stream, const THeader& h) {
    const uint64_t declared = h.ImageSize != 0 ? h.ImageSize : h.RowSize() * h.Rows();
    return std::min(declared, stream.Remaining());
}

// Where stored row `row` goes: bottom-up DIBs store the bottom row first.
uint8_t* Line(QImage& image, const THeader& h, uint64_t row) {
    const uint64_t line = h.TopDown() ? row : h.Rows() - 1 - row;
    return image.bits() + line * static_cast<uint64_t>(image.bytesPerLine());
}

// Reads the pixel bytes straight into the scanlines, whose layout matches the stored rows;
// whatever the stream does not supply stays zero.
void ReadDirect(TStream& stream, const THeader& h, QImage& image, uint64_t bytes) {
    const uint64_t rowSize = h.RowSize();
    const uint64_t rows = h.Rows();
    Q_ASSERT(rowSize == static_cast<uint64_t>(image.bytesPerLine()));
    bytes = std::min(bytes, rowSize * rows);
    const uint64_t fullRows = bytes / rowSize;

    constexpr uint64_t Batch = 256;
    uint8_t* lines[Batch];
    uint64_t done = 0;
    for (uint64_t row = 0; row < fullRows && done == row * rowSize;) {
        const uint64_t n = std::min(Batch, fullRows - row);
        for (uint64_t i = 0; i < n; ++i)
            lines[i] = Line(image, h, row + i);
        done += stream.ReadRows(lines, n, rowSize);
        row += n;
    }
    if (done == fullRows * rowSize && fullRows < rows)
        done += stream.Read(Line(image, h, fullRows), bytes - done);

    uint64_t row = done / rowSize;
    if (const uint64_t column = done % rowSize; column != 0)
        std::memset(Line(image, h, row++) + column, 0, rowSize - column);
    for (; row < rows; ++row)
        std::memset(Line(image, h, row), 0, rowSize);
}

// Reads row by row through a small buffer for formats whose scanlines differ from the
// stored rows. A missing row converts as zero bytes, as it would read straight.
template <typename Convert>
void ReadConverted(TStream& stream, const THeader& h, QImage& image, uint64_t bytes,
                   Convert convert) {
    const uint64_t rowSize = h.RowSize();
    std::vector<uint8_t> buffer(rowSize);
    for (uint64_t row = 0, offset = 0; row < h.Rows(); ++row, offset += rowSize) {
        const uint64_t wanted = offset < bytes ? std::min(rowSize, bytes - offset) : 0;
        const size_t got = wanted != 0 ? stream.Read(buffer.data(), wanted) : 0;
        if (got < wanted)
            bytes = offset + got;
        std::memset(buffer.data() + got, 0, rowSize - got);
        convert(buffer.data(), Line(image, h, row));
    }
}

void ExpandNibbles(const uint8_t* source, uint8_t* target, int width) {
    for (int x = 0; x < width; ++x)
        target[x] = x % 2 == 0 ? source[x / 2] >> 4 : source[x / 2] & 0x0F;
}

// One colour channel of a bit-field pixel, widened to 8 bits with rounding.
class TChannel {
public:
    explicit TChannel(uint32_t mask) : Mask(mask) {
        if (mask != 0) {
            while ((mask & 1) == 0) {
                mask >>= 1;
                ++Shift;
            }
            Max = mask;
        }
    }
    int operator()(uint32_t pixel) const {
        if (Mask == 0)
            return 0;
        const uint64_t value = (pixel & Mask) >> Shift;
        return static_cast<int>((value * 255 + Max / 2) / Max);
    }

private:
    uint32_t Mask;
    int Shift = 0;
    uint64_t Max = 1;
};

// The row buffer holds a whole stored row, so every pixel of the width lies inside it.
void ConvertBitFields(const THeader& h, const uint8_t* source, uint8_t* target) {
    const TChannel red(h.Masks[0]), green(h.Masks[1]), blue(h.Masks[2]);
    const size_t pixelSize = h.BitCount / 8;
    TByteReader reader(std::span<const uint8_t>(source, static_cast<size_t>(h.Width) * pixelSize));
    auto* out = reinterpret_cast<QRgb*>(target);
    for (int64_t x = 0; x < h.Width; ++x) {
        const uint32_t pixel = h.BitCount == 16 ? reader.U16() : reader.U32();
        out[x] = qRgb(red(pixel), green(pixel), blue(pixel));
    }
}

bool HasAlpha(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        if (std::any_of(line, line + image.width(), [](QRgb pixel) { return qAlpha(pixel); }))
            return true;
    }
    return false;
}

// The unused top byte of 32-bit pixels may hold anything; the image format wants it 0xFF.
void MakeOpaque(QImage& image) {
    const int width = image.width();
    const int height = image.height();
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] |= 0xFF000000u;
    }
}

QImage::Format UncompressedFormat(const THeader& h) {
    const bool bitFields = h.Compression == BI_BITFIELDS;
    switch (h.BitCount) {
    case 1:
        return QImage::Format_Mono;
    case 4:
    case 8:
        return QImage::Format_Indexed8;
    case 16:
        if (!bitFields || h.HasMasks(0x7C00, 0x3E0, 0x1F))
            return QImage::Format_RGB555;
        return h.HasMasks(0xF800, 0x7E0, 0x1F) ? QImage::Format_RGB16 : QImage::Format_RGB32;
    case 24:
        return QImage::Format_BGR888;
    default:
        return QImage::Format_RGB32;
    }
}

QImage ReadUncompressed(TStream& stream, const THeader& h, const std::vector<QRgb>& table,
                        TLayout layout) {
    const QImage::Format format = UncompressedFormat(h);
    QImage image = NewImage(h, format);
    if (h.BitCount <= 8)
        image.setColorTable(IndexTable(table, size_t(1) << h.BitCount));
    const uint64_t bytes = PixelByteCount(stream, h);
    const int width = image.width();
    if (h.BitCount == 4) {
        ReadConverted(stream, h, image, bytes, [width](const uint8_t* source, uint8_t* target) {
            ExpandNibbles(source, target, width);
        });
    } else if (format == QImage::Format_RGB32 &&
               (h.BitCount == 16 ||
                (h.Compression == BI_BITFIELDS && !h.HasMasks(0xFF0000, 0xFF00, 0xFF)))) {
        ReadConverted(stream, h, image, bytes, [&h](const uint8_t* source, uint8_t* target) {
            ConvertBitFields(h, source, target);
        });
    } else {
        ReadDirect(stream, h, image, bytes);
        // Icons made for alpha blending keep their alpha in the fourth byte; older ones
        // leave it zero and rely on their mask.
        if (format == QImage::Format_RGB32 && layout == TLayout::Icon && HasAlpha(image))
            image.reinterpretAsFormat(QImage::Format_ARGB32);
        else if (format == QImage::Format_RGB32)
            MakeOpaque(image);
    }
    return image;
}

// Decodes run-length codes. Rows count from the bottom; pixels the codes skip keep the black
// the image starts with, and pixels that would land outside the image are dropped.
void DecodeRle(const std::vector<uint8_t>& data, bool rle4, const QList<QRgb>& colours,
               QImage& image) {
    const int64_t width = image.width();
    const int64_t height = image.height();
    int64_t x = 0;
    int64_t y = 0;
    // Pixel k of a run or literal: RLE4 packs two per byte, high nibble first.
    auto index = [rle4](const uint8_t* bytes, int k) -> uint8_t {
        return rle4 ? (k % 2 == 0 ? bytes[k / 2] >> 4 : bytes[k / 2] & 0x0F) : bytes[k];
    };
    auto row = [&]() {
        return reinterpret_cast<QRgb*>(image.bits() + (height - 1 - y) * image.bytesPerLine());
    };
    size_t pos = 0;
    while (pos + 1 < data.size() && y < height) {
        const uint8_t count = data[pos];
        const uint8_t value = data[pos + 1];
        pos += 2;
        if (count != 0) {
            // A run repeats one byte: one index for RLE8, an alternating pair for RLE4.
            const uint8_t pair[2] = {value, value};
            QRgb* line = row();
            for (int k = 0; k < count && x + k < width; ++k)
                line[x + k] = colours[index(pair, k % 2)];
            x += count;
        } else if (value == 0) { // end of line
            x = 0;
            ++y;
        } else if (value == 1) { // end of bitmap
            break;
        } else if (value == 2) { // delta: move right and up
            if (pos + 1 >= data.size())
                break;
            x += data[pos];
            y += data[pos + 1];
            pos += 2;
        } else { // literal pixels, padded to a 16-bit boundary
            const size_t bytes = rle4 ? (value + 1) / 2 : value;
            const size_t present = std::min(bytes, data.size() - pos);
            const int pixels =
                static_cast<int>(rle4 ? std::min<size_t>(value, 2 * present) : present);
            QRgb* line = row();
            for (int k = 0; k < pixels && x + k < width; ++k)
                line[x + k] = colours[index(data.data() + pos, k)];
            x += value;
            pos += bytes + bytes % 2;
        }
    }
}

QImage ReadRle(TStream& stream, const THeader& h, const std::vector<QRgb>& table) {
    QImage image = NewImage(h, QImage::Format_RGB32);
    image.fill(qRgb(0, 0, 0));
    // Codes for a bitmap within the pixel-memory limit never need more bytes than that.
    std::vector<uint8_t> data(std::min(PixelByteCount(stream, h), Limit));
    data.resize(stream.Read(data.data(), data.size()));
    DecodeRle(data, h.Compression == BI_RLE4, IndexTable(table, size_t(1) << h.BitCount), image);
    return image;
}

// Decodes the pixel bytes from the stream's position.
TBitmapImage ReadBits(TStream& stream, TDibInfo info, TLayout layout) {
    const THeader& h = info.Header;
    TBitmapImage result;
    if (h.Rle()) {
        // Run-length bitmaps become device-dependent bitmaps in the screen's format.
        result.Image = ReadRle(stream, h, info.Table);
        result.BitCount = 32;
        return result;
    }
    result.Image = ReadUncompressed(stream, h, info.Table, layout);
    result.BitCount = h.BitCount;
    if (h.BitCount > 8)
        result.Table = std::move(info.Table);
    return result;
}

// The 1-bit mask rows of an icon, laid out as its colour rows are.
QImage ReadMask(TStream& stream, const THeader& colour) {
    THeader h = colour;
    h.BitCount = 1;
    h.Compression = BI_RGB;
    QImage mask = NewImage(h, QImage::Format_Mono);
    mask.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    ReadDirect(stream, h, mask, PixelByteCount(stream, h));
    return mask;
}

} // namespace

uint64_t PixelMemoryLimit() {
    return Limit;
}

void SetPixelMemoryLimit(uint64_t bytes) {
    Limit = bytes;
}

TBitmapImage ReadDib(std::span<const uint8_t> info, std::span<const uint8_t> bits) {
    TBytesStream infoStream(info);
    TDibInfo dib = ReadInfo(infoStream, TLayout::Bitmap);
    TBytesStream bitsStream(bits);
    return ReadBits(bitsStream, std::move(dib), TLayout::Bitmap);
}

TBitmapImage ReadPackedDib(std::span<const uint8_t> packed) {
    TBytesStream stream(packed);
    TDibInfo dib = ReadInfo(stream, TLayout::Bitmap);
    return ReadBits(stream, std::move(dib), TLayout::Bitmap);
}

TBitmapImage ReadDib(TStream& stream, uint64_t bitsOffset) {
    TDibInfo dib = ReadInfo(stream, TLayout::Bitmap);
    // Some writers leave a gap after the colour table; an offset into the headers or past
    // the end is a writer's mistake, and the rows are then taken to follow the table.
    if (bitsOffset >= stream.Position() && bitsOffset < stream.Size())
        stream.Seek(bitsOffset);
    return ReadBits(stream, std::move(dib), TLayout::Bitmap);
}

TIconDib ReadIconDib(std::span<const uint8_t> image) {
    TBytesStream stream(image);
    TDibInfo dib = ReadInfo(stream, TLayout::Icon);
    const THeader header = dib.Header;
    const uint64_t rowsStart = stream.Position();
    TIconDib result;
    result.Colour = ReadBits(stream, std::move(dib), TLayout::Icon);
    stream.Seek(rowsStart + header.RowSize() * header.Rows());
    result.Mask = ReadMask(stream, header);
    return result;
}
