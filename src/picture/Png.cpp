#include "picture/Png.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <algorithm>

#include "picture/Picture.h"
#include "toolkit/ByteReader.h"
#include "toolkit/Dib.h"
#include "toolkit/Errors.h"
#include "toolkit/Stream.h"

const TGraphicClass TPngImage::Class = {"TPngImage", [] {
                                            return std::unique_ptr<TGraphic>(new TPngImage);
                                        }};

namespace {

// No PNG anyone prints comes near this; refusing it up front keeps a huge file chosen by
// mistake from filling memory before its header is even read.
constexpr uint64_t MaxFileSize = uint64_t(1) << 30;

uint32_t BigEndian32(std::span<const uint8_t> bytes) {
    return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 |
           uint32_t(bytes[3]);
}

// Whether every chunk up to the end chunk lies inside the bytes. libpng reserves memory for
// a chunk's declared length before it reads the chunk, so a damaged length would make it
// reserve up to 2 GiB for data that is not there. Bytes after the end chunk do not count.
bool ChunksInside(std::span<const uint8_t> bytes) {
    TByteReader reader(bytes);
    reader.Skip(8); // the signature
    while (reader.CanRead(8)) {
        const uint64_t length = BigEndian32(reader.Bytes(4));
        const std::span<const uint8_t> type = reader.Bytes(4);
        if (!reader.CanRead(length + 4)) // data and checksum
            return false;
        reader.Skip(length + 4);
        if (std::equal(type.begin(), type.end(), "IEND"))
            break;
    }
    return true;
}

[[noreturn]] void Invalid() {
    throw EInvalidGraphic(Msg::InvalidPng);
}

} // namespace

bool HasPngSignature(std::span<const uint8_t> bytes) {
    static constexpr uint8_t Signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return bytes.size() >= sizeof Signature &&
           std::equal(std::begin(Signature), std::end(Signature), bytes.begin());
}

TBitmapImage ReadPng(std::span<const uint8_t> bytes) {
    if (!HasPngSignature(bytes) || bytes.size() > size_t(INT32_MAX) || !ChunksInside(bytes))
        Invalid();
    // The bytes are read in place; Qt only reads through the buffer.
    const QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                                    qsizetype(bytes.size()));
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    // Only the PNG reader: the name chose the kind, so other formats do not count.
    QImageReader reader(&buffer, "png");
    reader.setAutoDetectImageFormat(false);
    reader.setDecideFormatFromContent(false);

    // The header gives size and pixel format before anything is decoded.
    const QSize size = reader.size();
    const QImage::Format format = reader.imageFormat();
    if (!size.isValid() || size.isEmpty() || format == QImage::Format_Invalid)
        Invalid();
    const uint64_t bitsPerPixel =
        std::max<uint64_t>(1, QImage::toPixelFormat(format).bitsPerPixel());
    const uint64_t pixelBytes = uint64_t(size.width()) * uint64_t(size.height()) * bitsPerPixel / 8;
    if (pixelBytes > PixelMemoryLimit())
        throw EInvalidGraphic(
            Format(Msg::PngTooLarge, unsigned(size.width()), unsigned(size.height())));
    // Qt's own limit (in MiB) would refuse large photographs our limit allows.
    reader.setAllocationLimit(int(std::min<uint64_t>((PixelMemoryLimit() >> 20) + 1, INT32_MAX)));

    TBitmapImage image;
    if (!reader.read(&image.Image) || image.Image.isNull())
        Invalid();
    image.BitCount = image.Image.depth();
    return image;
}

void TPngImage::SetWidth(int) {
    throw EInvalidGraphicOperation(Msg::PngSizeChange);
}

void TPngImage::SetHeight(int) {
    throw EInvalidGraphicOperation(Msg::PngSizeChange);
}

void TPngImage::ReadFrom(TStream& stream) {
    if (stream.Remaining() > MaxFileSize)
        throw EInvalidGraphic(Msg::PngFileTooLarge);
    std::vector<uint8_t> bytes(size_t(stream.Remaining()));
    stream.ReadBuffer(bytes.data(), bytes.size());
    auto image = std::make_shared<TBitmapImage>(ReadPng(bytes));
    Transparent_ = image->Image.hasAlphaChannel();
    PaletteModified = image->Image.colorCount() != 0;
    SetImage(std::move(image));
}

void TPngImage::Assign(const TGraphic& source) {
    Transparent_ = dynamic_cast<const TPngImage&>(source).Transparent_;
    TBitmap::Assign(source);
}

void RegisterPngFormat() {
    TFileFormatsList& formats = TFileFormatsList::Instance();
    formats.RemoveFormats(TPngImage::Class);
    formats.AddFormat("png", Msg::PngDescription.Text(), TPngImage::Class);
}

void UnregisterPngFormat() {
    TFileFormatsList::Instance().RemoveFormats(TPngImage::Class);
}
