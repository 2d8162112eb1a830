#include "decoder/WebPDecode.h"

#include <cstring>
#include <memory>
#include <new>
#include <webp/decode.h>
#include <webp/demux.h>

#include "decoder/HelperProcess.h"
#include "picture/ExifOrientation.h"

namespace {
// Copies the stored width × height pixels onto the picture as shown, turned or mirrored
// as the Exif orientation says.
void Orient(const uint32_t* stored, uint32_t width, uint32_t height, int orientation,
            uint8_t* shownRows) {
    auto* shown = reinterpret_cast<uint32_t*>(shownRows);
    const uint32_t shownWidth = ExifSwapsSides(orientation) ? height : width;
    for (uint32_t y = 0; y < height; ++y) {
        const uint32_t* row = stored + size_t(y) * width;
        for (uint32_t x = 0; x < width; ++x) {
            uint32_t toX = x;
            uint32_t toY = y;
            switch (orientation) {
            case 2:
                toX = width - 1 - x;
                break;
            case 3:
                toX = width - 1 - x;
                toY = height - 1 - y;
                break;
            case 4:
                toY = height - 1 - y;
                break;
            case 5:
                toX = y;
                toY = x;
                break;
            case 6:
                toX = height - 1 - y;
                toY = x;
                break;
            case 7:
                toX = height - 1 - y;
                toY = width - 1 - x;
                break;
            case 8:
                toX = y;
                toY = width - 1 - x;
                break;
            default:
                break;
            }
            shown[size_t(toY) * shownWidth + toX] = row[x];
        }
    }
}

TDecodeStatus StatusOf(VP8StatusCode code) {
    return code == VP8_STATUS_OUT_OF_MEMORY ? TDecodeStatus::OutOfMemory : TDecodeStatus::Broken;
}

// Decodes a still picture into rows of 32-bit pixels (blue, green, red, alpha in memory,
// which is QImage's ARGB32 on this machine), opaque pixels with full alpha.
TDecodeStatus DecodeStill(std::span<const uint8_t> bytes, uint8_t* rows, uint32_t width,
                          uint32_t height) {
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config))
        return TDecodeStatus::Broken;
    config.output.colorspace = MODE_BGRA;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = rows;
    config.output.u.RGBA.stride = int(width * 4);
    config.output.u.RGBA.size = size_t(width) * height * 4;
    // The filtering runs beside the decoding on a second processor where there is one.
    config.options.use_threads = 1;
    const VP8StatusCode code = WebPDecode(bytes.data(), bytes.size(), &config);
    WebPFreeDecBuffer(&config.output);
    return code == VP8_STATUS_OK ? TDecodeStatus::Ok : StatusOf(code);
}

// An animation's first frame, composed on its canvas as the animation shows it.
TDecodeStatus DecodeFirstFrame(std::span<const uint8_t> bytes, uint8_t* rows, uint32_t width,
                               uint32_t height) {
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options))
        return TDecodeStatus::Broken;
    options.color_mode = MODE_BGRA;
    options.use_threads = 0;
    const WebPData data{bytes.data(), bytes.size()};
    const std::unique_ptr<WebPAnimDecoder, void (*)(WebPAnimDecoder*)> decoder(
        WebPAnimDecoderNew(&data, &options), WebPAnimDecoderDelete);
    WebPAnimInfo info;
    if (!decoder || !WebPAnimDecoderGetInfo(decoder.get(), &info) || info.canvas_width != width ||
        info.canvas_height != height)
        return TDecodeStatus::Broken;
    uint8_t* canvas = nullptr;
    int timestamp = 0;
    if (!WebPAnimDecoderGetNext(decoder.get(), &canvas, &timestamp) || !canvas)
        return TDecodeStatus::Broken;
    std::memcpy(rows, canvas, size_t(width) * height * 4);
    return TDecodeStatus::Ok;
}
} // namespace

bool AnswerWebP(std::span<const uint8_t> bytes, uint64_t pixelLimit) {
    WebPBitstreamFeatures features;
    if (WebPGetFeatures(bytes.data(), bytes.size(), &features) != VP8_STATUS_OK ||
        features.width <= 0 || features.height <= 0)
        return WriteStatusAnswer(TDecodeStatus::Broken);
    const auto width = uint32_t(features.width);
    const auto height = uint32_t(features.height);
    if (uint64_t(width) * height * 4 > pixelLimit)
        return WriteStatusAnswer(TDecodeStatus::TooLarge, width, height);

    // libwebp does not read the Exif orientation; the pixels are turned after decoding.
    const int orientation = WebPExifOrientation(bytes);
    const bool turned = orientation != ExifUpright;
    const bool swapped = ExifSwapsSides(orientation);
    TPixelAnswer answer;
    if (!answer.Open(swapped ? height : width, swapped ? width : height))
        return WriteStatusAnswer(TDecodeStatus::OutOfMemory);
    std::unique_ptr<uint32_t[]> stored;
    if (turned) {
        stored.reset(new (std::nothrow) uint32_t[size_t(width) * height]);
        if (!stored)
            return WriteStatusAnswer(TDecodeStatus::OutOfMemory);
    }
    uint8_t* rows = turned ? reinterpret_cast<uint8_t*>(stored.get()) : answer.Pixels();
    const TDecodeStatus status = features.has_animation
                                     ? DecodeFirstFrame(bytes, rows, width, height)
                                     : DecodeStill(bytes, rows, width, height);
    if (status != TDecodeStatus::Ok)
        return WriteStatusAnswer(status);
    if (turned)
        Orient(stored.get(), width, height, orientation, answer.Pixels());
    return answer.Finish(features.has_alpha ? TDecodeContent::Argb32 : TDecodeContent::Rgb32);
}
