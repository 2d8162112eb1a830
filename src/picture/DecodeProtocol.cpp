#include "picture/DecodeProtocol.h"

#include <cstring>

#include "toolkit/Dib.h"

namespace {
// Pixels are bounded by the pixel limit; a side as long as a drawing's may be is far beyond.
constexpr uint32_t MaxSide = MaxDrawingSide;

bool ValidPixels(const TDecodeHeader& header) {
    if (header.Width == 0 || header.Height == 0 || header.Width > MaxSide ||
        header.Height > MaxSide)
        return false;
    const uint64_t rowBytes = uint64_t(header.Width) * 4;
    if (header.Stride != rowBytes)
        return false;
    const uint64_t pixelBytes = rowBytes * header.Height;
    return pixelBytes <= PixelMemoryLimit() && header.PayloadSize == pixelBytes;
}

bool ValidDrawing(const TDecodeHeader& header) {
    return header.Width > 0 && header.Height > 0 && header.Width <= MaxSide &&
           header.Height <= MaxSide && header.Stride == 0 && header.PayloadSize > 0;
}
} // namespace

std::vector<uint8_t> DecodeHeaderBytes(TDecodeStatus status, TDecodeContent content, uint32_t width,
                                       uint32_t height, uint32_t stride, uint64_t payloadSize) {
    const TDecodeHeader header{DecodeMagic, uint32_t(status), uint32_t(content), width,
                               height,      stride,           payloadSize};
    std::vector<uint8_t> bytes(sizeof header);
    std::memcpy(bytes.data(), &header, sizeof header);
    return bytes;
}

std::optional<TDecodeAnswer> ParseDecodeAnswer(std::span<const uint8_t> bytes) {
    TDecodeHeader header;
    if (bytes.size() < sizeof header)
        return std::nullopt;
    std::memcpy(&header, bytes.data(), sizeof header);
    const std::span<const uint8_t> rest = bytes.subspan(sizeof header);
    if (header.Magic != DecodeMagic || header.PayloadSize > rest.size())
        return std::nullopt;

    TDecodeAnswer answer;
    answer.Width = header.Width;
    answer.Height = header.Height;
    switch (TDecodeStatus(header.Status)) {
    case TDecodeStatus::Broken:
    case TDecodeStatus::Unsupported:
    case TDecodeStatus::OutOfMemory:
    case TDecodeStatus::TooLarge:
        answer.Status = TDecodeStatus(header.Status);
        return answer;
    case TDecodeStatus::Ok:
        break;
    default:
        return std::nullopt;
    }
    answer.Status = TDecodeStatus::Ok;
    switch (TDecodeContent(header.Content)) {
    case TDecodeContent::Rgb32:
    case TDecodeContent::Argb32:
        if (!ValidPixels(header))
            return std::nullopt;
        break;
    case TDecodeContent::Drawing:
        if (!ValidDrawing(header))
            return std::nullopt;
        break;
    default:
        return std::nullopt;
    }
    answer.Content = TDecodeContent(header.Content);
    answer.Stride = header.Stride;
    answer.Payload = rest.first(size_t(header.PayloadSize));
    return answer;
}
