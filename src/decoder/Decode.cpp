#include "decoder/Decode.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <QPicture>
#include <QSvgRenderer>
#include <algorithm>
#include <array>

#include "decoder/SvgFilter.h"
#include "decoder/formats/AvifDecode.h"
#include "decoder/formats/FormatErrors.h"
#include "decoder/formats/HeifDecode.h"
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

// The decoded picture as the program takes it: 32 bits a pixel, within the limit.
THelperAnswer Decoded(const QImage& image) {
    if (image.isNull())
        return WithStatus(TDecodeStatus::Broken);
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
    return Decoded(image);
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

int ClampedSide(qint64 side) {
    return int(std::clamp<qint64>(side, 0, INT32_MAX));
}

// Decodes through one of our format decoders, which check the pixel limit before decoding.
THelperAnswer DecodeWithFormat(QImage (*decode)(std::span<const std::byte>, qint64),
                               std::span<const uint8_t> bytes) {
    try {
        return Decoded(decode(std::as_bytes(bytes), qint64(PixelMemoryLimit() / 4)));
    } catch (const EPictureTooLarge& error) {
        return WithStatus(TDecodeStatus::TooLarge,
                          QSize(ClampedSide(error.Width), ClampedSide(error.Height)));
    } catch (const EOutOfResources&) {
        return WithStatus(TDecodeStatus::OutOfMemory);
    } catch (const EInvalidGraphic&) {
        return WithStatus(TDecodeStatus::Broken);
    }
}

THelperAnswer DecodeHeifFile(std::span<const uint8_t> bytes) {
    return DecodeWithFormat(DecodeHeif, bytes);
}

THelperAnswer DecodeAvifFile(std::span<const uint8_t> bytes) {
    return DecodeWithFormat(DecodeAvif, bytes);
}

struct TKindDecoder {
    std::string_view Kind;
    THelperAnswer (*Decode)(std::span<const uint8_t>);
};

constexpr std::array<TKindDecoder, 5> Decoders{{
    {"tiff", DecodeTiff},
    {"gif", DecodeGif},
    {"svg", DecodeSvg},
    {"heif", DecodeHeifFile},
    {"avif", DecodeAvifFile},
}};
} // namespace

THelperAnswer DecodeFile(std::string_view kind, std::span<const uint8_t> bytes) {
    for (const TKindDecoder& decoder : Decoders)
        if (decoder.Kind == kind)
            return decoder.Decode(bytes);
    return WithStatus(TDecodeStatus::Unsupported);
}
