// What the decoding helper hands back to the program through shared memory: a fixed
// header, then the pixels (rows of 32-bit pixels, top row first) or a recorded vector
// drawing (a QPicture stream). Writing and checking the header are pure functions, so the
// program's reading of a helper's answer can be tested and fuzzed without a process.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// How decoding went, as the helper reports it.
enum class TDecodeStatus : uint32_t {
    Ok = 0,
    Broken = 1,      // the file is damaged or of a variant the libraries do not read
    Unsupported = 2, // no decoder for the kind in this helper yet
    TooLarge = 3,    // Width and Height give the size the file declares
    OutOfMemory = 4, // the helper's memory limit stopped the decoding
};

// What follows the header when decoding went well.
enum class TDecodeContent : uint32_t {
    Rgb32 = 0,   // opaque pixels, QImage::Format_RGB32
    Argb32 = 1,  // pixels with alpha, QImage::Format_ARGB32 (not premultiplied)
    Drawing = 2, // a QPicture stream; Width and Height are its natural size in pixels
};

// The header as it lies in memory, in the machine's byte order (both ends run on the same
// machine, from the same build).
struct TDecodeHeader {
    uint32_t Magic = 0;
    uint32_t Status = 0;
    uint32_t Content = 0;
    uint32_t Width = 0;
    uint32_t Height = 0;
    uint32_t Stride = 0; // bytes per row of pixels; 0 for a drawing
    uint64_t PayloadSize = 0;
};
static_assert(sizeof(TDecodeHeader) == 32);

inline constexpr uint32_t DecodeMagic = 0x48444356; // "VCDH"

// A drawing's natural size is only a frame; a side beyond this is no picture anyone prints,
// and keeping within it keeps the arithmetic of drawing it far from overflow.
inline constexpr uint32_t MaxDrawingSide = 1u << 20;

// A checked answer: every field within its range, the payload inside the bytes and of the
// size the header gives.
struct TDecodeAnswer {
    TDecodeStatus Status = TDecodeStatus::Broken;
    TDecodeContent Content = TDecodeContent::Rgb32;
    uint32_t Width = 0;
    uint32_t Height = 0;
    uint32_t Stride = 0;
    std::span<const uint8_t> Payload;
};

// The header and payload of an answer, ready to be written after one another.
std::vector<uint8_t> DecodeHeaderBytes(TDecodeStatus status, TDecodeContent content, uint32_t width,
                                       uint32_t height, uint32_t stride, uint64_t payloadSize);

// Checks an answer as the helper left it; none when it is not one a working helper writes
// (wrong magic, unknown status or content, sizes that disagree, pixels beyond
// PixelMemoryLimit()), so the program never trusts a helper that has gone wrong.
std::optional<TDecodeAnswer> ParseDecodeAnswer(std::span<const uint8_t> bytes);
