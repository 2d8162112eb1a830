// HEVC pictures of a HEIF file through libde265. Each coded image (the picture, or each tile
// of a grid) gets a decoder of its own: the parameter sets of its configuration first, then
// its data, which the file stores as units each behind a big-endian length. The decoded
// planes are converted straight into their place in the output picture, so a grid needs no
// copy of its tiles and the part of the right and bottom tiles past the output is never
// converted.
#include "decoder/formats/HeifDecode.h"

#include <libde265/de265.h>

#include <QTransform>
#include <algorithm>
#include <climits>
#include <functional>
#include <memory>

#include "decoder/formats/HeifContainer.h"
#include "toolkit/ByteReader.h"
#include "toolkit/Errors.h"

namespace {
[[noreturn]] void Invalid() {
    throw EInvalidGraphic(Msg::HeifInvalid);
}

struct TDecoderDeleter {
    void operator()(de265_decoder_context* decoder) const { de265_free_decoder(decoder); }
};
using TDecoder = std::unique_ptr<de265_decoder_context, TDecoderDeleter>;

// The luma weights of a YCbCr matrix, by its number in the nclx colour description. The
// identity matrix stores green, blue and red as they are.
struct TMatrix {
    bool Identity = false;
    float Kr = 0.299f; // BT.601, for unspecified and unknown matrices as well
    float Kb = 0.114f;
};

TMatrix MatrixFor(int coefficients) {
    switch (coefficients) {
    case 0:
        return {true, 0, 0};
    case 1:
        return {false, 0.2126f, 0.0722f}; // BT.709
    case 4:
        return {false, 0.30f, 0.11f}; // FCC
    case 7:
        return {false, 0.212f, 0.087f}; // SMPTE 240M
    case 9:
    case 10:
        return {false, 0.2627f, 0.0593f}; // BT.2020
    default:
        return {};
    }
}

// One plane of a decoded picture, its samples scaled to 0..1 (luma, or a colour as the
// identity matrix stores it) or to -0.5..0.5 (colour difference).
class TPlane {
public:
    TPlane(const de265_image* image, int channel, bool fullRange, bool difference) {
        Data = de265_get_image_plane(image, channel, &Stride);
        Width = de265_get_image_width(image, channel);
        Height = de265_get_image_height(image, channel);
        const int depth = de265_get_bits_per_pixel(image, channel);
        if (!Data || Width <= 0 || Height <= 0 || depth < 8 || depth > 16)
            Invalid();
        Wide = depth > 8;
        const float top = float((1 << depth) - 1);
        if (fullRange) {
            Offset = difference ? float(1 << (depth - 1)) : 0.0f;
            Scale = 1.0f / top;
        } else {
            Offset = float((difference ? 128 : 16) << (depth - 8));
            Scale = 1.0f / float((difference ? 224 : 219) << (depth - 8));
        }
    }

    int Width = 0;
    int Height = 0;

    // The sample at (x, y), clamped to the plane, so that a plane smaller than the picture
    // repeats its last row and column.
    float At(int x, int y) const {
        x = std::min(x, Width - 1);
        y = std::min(y, Height - 1);
        const uint8_t* row = Data + ptrdiff_t(y) * Stride;
        const size_t at = size_t(x);
        const int value = Wide ? row[2 * at] | row[2 * at + 1] << 8 : row[at];
        return (float(value) - Offset) * Scale;
    }

private:
    const uint8_t* Data = nullptr;
    int Stride = 0;
    bool Wide = false;
    float Offset = 0;
    float Scale = 1;
};

uint8_t ToByte(float value) {
    return uint8_t(std::clamp(value * 255.0f + 0.5f, 0.0f, 255.0f));
}

// Converts a decoded picture into the target at (left, top), as far as the target reaches.
// The colour description of the file holds; without one, the one in the coded data.
void Convert(const de265_image* image, const THeifColour& colour, QImage& target, int left,
             int top) {
    const bool fullRange =
        colour.HasNclx ? colour.FullRange : de265_get_image_full_range_flag(image) != 0;
    const TMatrix matrix = MatrixFor(colour.HasNclx ? colour.MatrixCoefficients
                                                    : de265_get_image_matrix_coefficients(image));
    const de265_chroma chroma = de265_get_chroma_format(image);
    const TPlane luma(image, 0, fullRange, false);
    const int shiftX = chroma == de265_chroma_420 || chroma == de265_chroma_422 ? 1 : 0;
    const int shiftY = chroma == de265_chroma_420 ? 1 : 0;
    const int width = std::min(luma.Width, target.width() - left);
    const int height = std::min(luma.Height, target.height() - top);
    if (chroma == de265_chroma_mono) {
        for (int y = 0; y < height; ++y) {
            auto* row = reinterpret_cast<QRgb*>(target.scanLine(top + y)) + left;
            for (int x = 0; x < width; ++x) {
                const uint8_t grey = ToByte(luma.At(x, y));
                row[x] = qRgb(grey, grey, grey);
            }
        }
        return;
    }
    // The identity matrix stores colours at luma's scale, not as differences.
    const TPlane cb(image, 1, fullRange, !matrix.Identity);
    const TPlane cr(image, 2, fullRange, !matrix.Identity);
    const float kg = 1.0f - matrix.Kr - matrix.Kb;
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(target.scanLine(top + y)) + left;
        for (int x = 0; x < width; ++x) {
            const float l = luma.At(x, y);
            const float u = cb.At(x >> shiftX, y >> shiftY);
            const float v = cr.At(x >> shiftX, y >> shiftY);
            if (matrix.Identity) {
                row[x] = qRgb(ToByte(v), ToByte(l), ToByte(u));
                continue;
            }
            const float r = l + 2.0f * (1.0f - matrix.Kr) * v;
            const float b = l + 2.0f * (1.0f - matrix.Kb) * u;
            const float g = (l - matrix.Kr * r - matrix.Kb * b) / kg;
            row[x] = qRgb(ToByte(r), ToByte(g), ToByte(b));
        }
    }
}

void PushUnit(de265_decoder_context* decoder, std::span<const uint8_t> unit) {
    if (unit.size() > size_t(INT_MAX) ||
        !de265_isOK(de265_push_NAL(decoder, unit.data(), int(unit.size()), 0, nullptr)))
        Invalid();
}

// Decodes one coded image and hands its first picture to the caller while the decoder still
// holds it. A picture smaller than its declared size is damaged.
void DecodeCoded(std::span<const std::byte> file, const THeifCodedImage& coded,
                 const std::function<void(const de265_image*)>& use) {
    TDecoder decoder(de265_new_decoder());
    if (!decoder)
        throw EOutOfResources(Msg::OutOfResources);
    for (const std::vector<uint8_t>& set : coded.Hevc.ParameterSets)
        PushUnit(decoder.get(), set);
    const std::vector<uint8_t> data = HeifItemData(file, coded);
    TByteReader units(data);
    try {
        while (units.Remaining() > 0) {
            uint64_t length = 0;
            for (int i = 0; i < coded.Hevc.NalLengthSize; ++i)
                length = length << 8 | units.U8();
            PushUnit(decoder.get(), units.Bytes(length));
        }
    } catch (const EReadError&) {
        Invalid();
    }
    de265_flush_data(decoder.get());
    const de265_image* picture = nullptr;
    for (int more = 1; more && !picture;) {
        more = 0;
        const de265_error error = de265_decode(decoder.get(), &more);
        picture = de265_get_next_picture(decoder.get());
        if (!de265_isOK(error) && error != DE265_ERROR_WAITING_FOR_INPUT_DATA)
            break;
    }
    if (!picture || uint32_t(de265_get_image_width(picture, 0)) < coded.Width ||
        uint32_t(de265_get_image_height(picture, 0)) < coded.Height)
        Invalid();
    use(picture);
}

// Refuses a picture of more than maxPixels pixels, and a grid whose tiles together hold more
// (each tile is decoded whole). The products of two 32-bit sizes cannot overflow.
void CheckPixels(const THeifPicture& picture, const THeifCodedImage& tile, qint64 maxPixels) {
    const uint64_t limit = uint64_t(std::max<qint64>(maxPixels, 0));
    const uint64_t tilePixels = uint64_t(tile.Width) * tile.Height;
    const uint64_t tiles = picture.IsGrid ? picture.Grid.Tiles.size() : 1;
    if (uint64_t(picture.Width) * picture.Height > limit || tilePixels > limit ||
        (tilePixels != 0 && tiles > limit / tilePixels))
        throw EInvalidGraphic(Format(Msg::HeifTooLarge, static_cast<long long>(picture.Width),
                                     static_cast<long long>(picture.Height)));
}

QImage Transformed(QImage image, const std::vector<THeifTransform>& transforms) {
    for (const THeifTransform& transform : transforms) {
        if (transform.Kind == THeifTransform::Rotate)
            image = image.transformed(QTransform().rotate(-90.0 * transform.Value));
        else
            image = image.mirrored(transform.Value == 1, transform.Value == 0);
    }
    return image;
}
} // namespace

QImage DecodeHeif(std::span<const std::byte> file, qint64 maxPixels) {
    const THeifPicture picture = ReadHeifContainer(file);
    const THeifCodedImage& first = picture.IsGrid ? picture.Grid.Tiles.front() : picture.Image;
    if (first.Codec != THeifCodec::Hevc)
        Invalid();
    CheckPixels(picture, first, maxPixels);

    QImage image(int(picture.Width), int(picture.Height), QImage::Format_RGB32);
    if (image.isNull())
        throw EOutOfResources(Msg::OutOfResources);
    if (!picture.IsGrid) {
        DecodeCoded(file, picture.Image, [&](const de265_image* decoded) {
            Convert(decoded, picture.Colour, image, 0, 0);
        });
    } else {
        for (size_t i = 0; i < picture.Grid.Tiles.size(); ++i) {
            const int64_t left = int64_t(i % size_t(picture.Grid.Columns)) * first.Width;
            const int64_t top = int64_t(i / size_t(picture.Grid.Columns)) * first.Height;
            // Tiles wholly past the output hold nothing that shows.
            if (left >= image.width() || top >= image.height())
                continue;
            DecodeCoded(file, picture.Grid.Tiles[i], [&](const de265_image* decoded) {
                Convert(decoded, picture.Colour, image, int(left), int(top));
            });
        }
    }
    return Transformed(std::move(image), picture.Transforms);
}
