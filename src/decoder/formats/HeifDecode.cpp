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
#include <cmath>
#include <functional>
#include <memory>

#include "decoder/formats/FormatErrors.h"
#include "decoder/formats/HeifContainer.h"
#include "decoder/formats/HevcParameters.h"
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

// One plane of a decoded picture: samples of one or two bytes, rows Stride bytes apart.
struct TPlane {
    TPlane(const de265_image* image, int channel) {
        Data = de265_get_image_plane(image, channel, &Stride);
        Width = de265_get_image_width(image, channel);
        Height = de265_get_image_height(image, channel);
        Depth = de265_get_bits_per_pixel(image, channel);
        if (!Data || Width <= 0 || Height <= 0 || Depth < 8 || Depth > 16)
            Invalid();
    }

    template <class TSample> const TSample* Row(int y) const {
        return reinterpret_cast<const TSample*>(Data + ptrdiff_t(y) * Stride);
    }

    const uint8_t* Data = nullptr;
    int Stride = 0;
    int Width = 0;
    int Height = 0;
    int Depth = 8;
};

// Colours are sums of table entries, in 1/65536 of a step of the 8-bit output, one table per
// sample value, so that a pixel costs a few look-ups and additions.
constexpr int FractionBits = 16;

// A table of factor × the sample scaled to 0..1 (luma, or a colour the identity matrix
// stores) or to -0.5..0.5 (colour difference), by the range the file declares.
std::vector<int32_t> SampleTable(int depth, bool fullRange, bool difference, double factor) {
    const double top = double((1 << depth) - 1);
    double offset = difference ? double(1 << (depth - 1)) : 0.0;
    double scale = 1.0 / top;
    if (!fullRange) {
        offset = double((difference ? 128 : 16) << (depth - 8));
        scale = 1.0 / double((difference ? 224 : 219) << (depth - 8));
    }
    std::vector<int32_t> table(size_t(1) << depth);
    for (size_t sample = 0; sample < table.size(); ++sample)
        table[sample] = int32_t(std::lround((double(sample) - offset) * scale * factor * 255.0 *
                                            double(1 << FractionBits)));
    return table;
}

uint32_t ToByte(int32_t value) {
    return uint32_t(std::clamp((value + (1 << (FractionBits - 1))) >> FractionBits, 0, 255));
}

struct TConversion {
    bool Identity = false;
    int ShiftX = 0;
    int ShiftY = 0;
    std::vector<int32_t> Luma, RedFromCr, GreenFromCb, GreenFromCr, BlueFromCb;
};

// R = Y + 2(1 - Kr)·Cr, B = Y + 2(1 - Kb)·Cb, and G from Y = Kr·R + Kg·G + Kb·B.
TConversion ConversionFor(const TMatrix& matrix, bool fullRange, const TPlane& luma,
                          const TPlane& cb, const TPlane& cr) {
    TConversion conversion;
    conversion.Identity = matrix.Identity;
    conversion.Luma = SampleTable(luma.Depth, fullRange, false, 1.0);
    if (matrix.Identity) {
        conversion.BlueFromCb = SampleTable(cb.Depth, fullRange, false, 1.0);
        conversion.RedFromCr = SampleTable(cr.Depth, fullRange, false, 1.0);
        return conversion;
    }
    const double kr = matrix.Kr;
    const double kb = matrix.Kb;
    const double kg = 1.0 - kr - kb;
    conversion.RedFromCr = SampleTable(cr.Depth, fullRange, true, 2.0 * (1.0 - kr));
    conversion.BlueFromCb = SampleTable(cb.Depth, fullRange, true, 2.0 * (1.0 - kb));
    conversion.GreenFromCr = SampleTable(cr.Depth, fullRange, true, -2.0 * (1.0 - kr) * kr / kg);
    conversion.GreenFromCb = SampleTable(cb.Depth, fullRange, true, -2.0 * (1.0 - kb) * kb / kg);
    return conversion;
}

// Samples beyond a plane's declared depth are masked, so that every look-up stays inside its
// table; a colour plane smaller than its share of the picture repeats its last row and column.
template <class TSample>
void ConvertRows(const TConversion& c, const TPlane& luma, const TPlane& cb, const TPlane& cr,
                 QImage& target, int left, int top, int width, int height) {
    const uint32_t lumaMask = uint32_t(c.Luma.size() - 1);
    const uint32_t cbMask = uint32_t(c.BlueFromCb.size() - 1);
    const uint32_t crMask = uint32_t(c.RedFromCr.size() - 1);
    const int chromaWidth = std::min(cb.Width, cr.Width);
    const int chromaHeight = std::min(cb.Height, cr.Height);
    for (int y = 0; y < height; ++y) {
        auto* out = reinterpret_cast<QRgb*>(target.scanLine(top + y)) + left;
        const TSample* l = luma.Row<TSample>(y);
        const int chromaRow = std::min(y >> c.ShiftY, chromaHeight - 1);
        const TSample* u = cb.Row<TSample>(chromaRow);
        const TSample* v = cr.Row<TSample>(chromaRow);
        for (int x = 0; x < width; ++x) {
            const int chroma = std::min(x >> c.ShiftX, chromaWidth - 1);
            const int32_t ly = c.Luma[l[x] & lumaMask];
            const uint32_t cu = u[chroma] & cbMask;
            const uint32_t cv = v[chroma] & crMask;
            if (c.Identity) {
                out[x] = qRgb(int(ToByte(c.RedFromCr[cv])), int(ToByte(ly)),
                              int(ToByte(c.BlueFromCb[cu])));
                continue;
            }
            out[x] = qRgb(int(ToByte(ly + c.RedFromCr[cv])),
                          int(ToByte(ly + c.GreenFromCb[cu] + c.GreenFromCr[cv])),
                          int(ToByte(ly + c.BlueFromCb[cu])));
        }
    }
}

template <class TSample>
void ConvertGrey(const TPlane& luma, const std::vector<int32_t>& table, QImage& target, int left,
                 int top, int width, int height) {
    const uint32_t mask = uint32_t(table.size() - 1);
    for (int y = 0; y < height; ++y) {
        auto* out = reinterpret_cast<QRgb*>(target.scanLine(top + y)) + left;
        const TSample* l = luma.Row<TSample>(y);
        for (int x = 0; x < width; ++x) {
            const int grey = int(ToByte(table[l[x] & mask]));
            out[x] = qRgb(grey, grey, grey);
        }
    }
}

// Converts a decoded picture into the target at (left, top), as far as the target reaches.
// The colour description of the file holds; without one, the one in the coded data. Colour
// planes of half width or height are sampled at the nearest sample.
void Convert(const de265_image* image, const THeifColour& colour, QImage& target, int left,
             int top) {
    const bool fullRange =
        colour.HasNclx ? colour.FullRange : de265_get_image_full_range_flag(image) != 0;
    const TMatrix matrix = MatrixFor(colour.HasNclx ? colour.MatrixCoefficients
                                                    : de265_get_image_matrix_coefficients(image));
    const de265_chroma chroma = de265_get_chroma_format(image);
    const TPlane luma(image, 0);
    const int width = std::min(luma.Width, target.width() - left);
    const int height = std::min(luma.Height, target.height() - top);
    const bool wide = luma.Depth > 8;
    if (chroma == de265_chroma_mono) {
        const std::vector<int32_t> table = SampleTable(luma.Depth, fullRange, false, 1.0);
        if (wide)
            ConvertGrey<uint16_t>(luma, table, target, left, top, width, height);
        else
            ConvertGrey<uint8_t>(luma, table, target, left, top, width, height);
        return;
    }
    const TPlane cb(image, 1);
    const TPlane cr(image, 2);
    if ((cb.Depth > 8) != wide || (cr.Depth > 8) != wide)
        Invalid();
    TConversion conversion = ConversionFor(matrix, fullRange, luma, cb, cr);
    conversion.ShiftX = chroma == de265_chroma_420 || chroma == de265_chroma_422 ? 1 : 0;
    conversion.ShiftY = chroma == de265_chroma_420 ? 1 : 0;
    if (wide)
        ConvertRows<uint16_t>(conversion, luma, cb, cr, target, left, top, width, height);
    else
        ConvertRows<uint8_t>(conversion, luma, cb, cr, target, left, top, width, height);
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

// Refuses a picture of more than maxPixels pixels, a grid whose tiles together hold more
// (each tile is decoded whole), and a coded picture whose parameter set asks the decoder for
// more, whatever size the item declares. The products of two 32-bit sizes cannot overflow.
void CheckPixels(const THeifPicture& picture, const THeifCodedImage& tile, qint64 maxPixels) {
    const uint64_t limit = uint64_t(std::max<qint64>(maxPixels, 0));
    const uint64_t tilePixels = uint64_t(tile.Width) * tile.Height;
    const uint64_t tiles = picture.IsGrid ? picture.Grid.Tiles.size() : 1;
    bool tooLarge = uint64_t(picture.Width) * picture.Height > limit || tilePixels > limit ||
                    (tilePixels != 0 && tiles > limit / tilePixels);
    for (const THeifCodedImage& coded :
         picture.IsGrid ? picture.Grid.Tiles : std::vector<THeifCodedImage>{picture.Image}) {
        const auto size = HevcCodedSize(coded.Hevc);
        tooLarge = tooLarge || (size && uint64_t(size->first) * size->second > limit);
    }
    if (tooLarge)
        throw EPictureTooLarge(Format(Msg::HeifTooLarge, static_cast<long long>(picture.Width),
                                      static_cast<long long>(picture.Height)),
                               picture.Width, picture.Height);
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
