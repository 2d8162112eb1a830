#include "decoder/Decode.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <QPicture>
#include <QSvgRenderer>
#include <algorithm>
#include <array>

#include "decoder/SvgFilter.h"
#include "picture/ExifOrientation.h"
#include "toolkit/Dib.h"

namespace {
THelperAnswer WithStatus(TDecodeStatus status, QSize size = {}) {
    THelperAnswer answer;
    answer.Status = status;
    answer.Size = size;
    return answer;
}

bool FitsPixelLimit(QSize size) {
    return uint64_t(size.width()) * uint64_t(size.height()) * 4 <= PixelMemoryLimit();
}

// Decodes through one of Qt's image readers, after the header has shown that the image
// fits the pixel limit. Orientation is applied by the reader where it knows it (TIFF) and
// from the given Exif orientation otherwise.
THelperAnswer DecodeWithQt(std::span<const uint8_t> bytes, const char* format, int orientation) {
    QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                              qsizetype(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    // Only the kind's reader: the name chose the kind, so other formats do not count.
    QImageReader reader(&buffer, format);
    reader.setAutoDetectImageFormat(false);
    reader.setDecideFormatFromContent(false);
    reader.setAutoTransform(orientation == ExifUpright);

    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        return WithStatus(TDecodeStatus::Broken);
    if (!FitsPixelLimit(size))
        return WithStatus(TDecodeStatus::TooLarge, size);
    // Qt's own limit (in MiB) would refuse large pictures our limit allows.
    reader.setAllocationLimit(int(std::min<uint64_t>((PixelMemoryLimit() >> 20) + 1, INT32_MAX)));
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return WithStatus(TDecodeStatus::Broken);
    if (orientation != ExifUpright)
        image = image.transformed(ExifTransform(orientation, image.size()));
    if (!FitsPixelLimit(image.size()))
        return WithStatus(TDecodeStatus::TooLarge, image.size());
    THelperAnswer answer;
    answer.Image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                                 : QImage::Format_RGB32);
    if (answer.Image.isNull())
        return WithStatus(TDecodeStatus::OutOfMemory);
    answer.Status = TDecodeStatus::Ok;
    answer.Size = answer.Image.size();
    return answer;
}

THelperAnswer DecodeWebP(std::span<const uint8_t> bytes) {
    // Qt's WebP reader ignores the orientation the file's Exif data records.
    return DecodeWithQt(bytes, "webp", WebPExifOrientation(bytes));
}

THelperAnswer DecodeTiff(std::span<const uint8_t> bytes) {
    // A multi-page file shows its first page: the reader starts there.
    return DecodeWithQt(bytes, "tiff", ExifUpright);
}

THelperAnswer DecodeGif(std::span<const uint8_t> bytes) {
    // An animation shows its first frame.
    return DecodeWithQt(bytes, "gif", ExifUpright);
}

// The document, filtered, recorded at its natural size (from width and height, or the
// view box) as a drawing the program plays back.
THelperAnswer DecodeSvg(std::span<const uint8_t> bytes) {
    const std::optional<QByteArray> document =
        FilterSvg(QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
    if (!document)
        return WithStatus(TDecodeStatus::Broken);
    QSvgRenderer renderer(*document);
    const QSize size = renderer.defaultSize();
    if (!renderer.isValid() || size.isEmpty())
        return WithStatus(TDecodeStatus::Broken);
    if (uint32_t(size.width()) > MaxDrawingSide || uint32_t(size.height()) > MaxDrawingSide)
        return WithStatus(TDecodeStatus::TooLarge, size);
    THelperAnswer answer;
    QPicture picture;
    QPainter painter(&picture);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    answer.Drawing = QByteArray(picture.data(), qsizetype(picture.size()));
    answer.Status = answer.Drawing.isEmpty() ? TDecodeStatus::Broken : TDecodeStatus::Ok;
    answer.Size = size;
    return answer;
}

// HEIF and AVIF decoding plugs in here: until then the helper answers that it cannot read
// them.
THelperAnswer DecodeHeif(std::span<const uint8_t>) {
    return WithStatus(TDecodeStatus::Unsupported);
}

THelperAnswer DecodeAvif(std::span<const uint8_t>) {
    return WithStatus(TDecodeStatus::Unsupported);
}

struct TKindDecoder {
    std::string_view Kind;
    THelperAnswer (*Decode)(std::span<const uint8_t>);
};

constexpr std::array<TKindDecoder, 6> Decoders{{
    {"webp", DecodeWebP},
    {"tiff", DecodeTiff},
    {"gif", DecodeGif},
    {"svg", DecodeSvg},
    {"heif", DecodeHeif},
    {"avif", DecodeAvif},
}};
} // namespace

THelperAnswer DecodeFile(std::string_view kind, std::span<const uint8_t> bytes) {
    for (const TKindDecoder& decoder : Decoders)
        if (decoder.Kind == kind)
            return decoder.Decode(bytes);
    return WithStatus(TDecodeStatus::Unsupported);
}
