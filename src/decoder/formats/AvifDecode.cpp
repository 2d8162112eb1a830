// AVIF through libavif, which reads the container and hands the AV1 data to its decoder
// (dav1d). The size is checked twice: we refuse a picture over our limit once the container
// is read, before decoding, and libavif's own limit, lowered to ours, holds in the AV1
// decoder whatever the coded data claims.
// libavif reports rotation and mirroring as flags, not in the order the file lists them;
// files made to the image format's rules list the rotation first, so it is applied first.
#include "decoder/formats/AvifDecode.h"

#include <avif/avif.h>

#include <QTransform>
#include <algorithm>
#include <memory>

#include "decoder/formats/FormatErrors.h"
#include "toolkit/Errors.h"

namespace {
struct TDecoderDeleter {
    void operator()(avifDecoder* decoder) const { avifDecoderDestroy(decoder); }
};

[[noreturn]] void Invalid() {
    throw EInvalidGraphic(Msg::AvifInvalid);
}

void Check(avifResult result) {
    if (result != AVIF_RESULT_OK)
        Invalid();
}

QImage Transformed(QImage image, const avifImage& source) {
    if (source.transformFlags & AVIF_TRANSFORM_IROT)
        image = image.transformed(QTransform().rotate(-90.0 * (source.irot.angle & 3)));
    if (source.transformFlags & AVIF_TRANSFORM_IMIR)
        image = image.mirrored(source.imir.mode == 1, source.imir.mode == 0);
    return image;
}
} // namespace

QImage DecodeAvif(std::span<const std::byte> file, qint64 maxPixels) {
    std::unique_ptr<avifDecoder, TDecoderDeleter> decoder(avifDecoderCreate());
    if (!decoder)
        throw EOutOfResources(Msg::OutOfResources);
    decoder->ignoreExif = AVIF_TRUE;
    decoder->ignoreXMP = AVIF_TRUE;
    // What the strict checks refuse (a missing channel description, an odd crop box) does not
    // keep the pixels from being decoded; phones and converters write such files.
    decoder->strictFlags = AVIF_STRICT_DISABLED;
    Check(avifDecoderSetIOMemory(decoder.get(), reinterpret_cast<const uint8_t*>(file.data()),
                                 file.size()));
    Check(avifDecoderParse(decoder.get()));
    const avifImage& parsed = *decoder->image;
    if (uint64_t(parsed.width) * parsed.height > uint64_t(std::max<qint64>(maxPixels, 0)))
        throw EPictureTooLarge(Format(Msg::AvifTooLarge, static_cast<long long>(parsed.width),
                                      static_cast<long long>(parsed.height)),
                               parsed.width, parsed.height);
    // libavif refuses a larger picture while reading the container, without saying why;
    // only now, past our own check, is its limit lowered to ours, for the AV1 decoder.
    decoder->imageSizeLimit =
        uint32_t(std::clamp<qint64>(maxPixels, 1, AVIF_DEFAULT_IMAGE_SIZE_LIMIT));
    Check(avifDecoderNextImage(decoder.get()));
    const avifImage& decoded = *decoder->image;

    const bool alpha = decoded.alphaPlane != nullptr;
    QImage image(int(decoded.width), int(decoded.height),
                 alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull())
        throw EOutOfResources(Msg::OutOfResources);
    // Blue, green, red, alpha in memory is Qt's 32-bit pixel on a little-endian machine.
    avifRGBImage rgb;
    avifRGBImageSetDefaults(&rgb, &decoded);
    rgb.format = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? AVIF_RGB_FORMAT_BGRA : AVIF_RGB_FORMAT_ARGB;
    rgb.depth = 8;
    rgb.alphaPremultiplied = AVIF_FALSE;
    rgb.pixels = image.bits();
    rgb.rowBytes = uint32_t(image.bytesPerLine());
    Check(avifImageYUVToRGB(&decoded, &rgb));
    return Transformed(std::move(image), decoded);
}
