// The libjpeg side of the JPEG kind: reading a header and decoding the whole image from
// bytes in memory. libjpeg reports errors by calling back into us; those callbacks jump
// back into this file, so no C++ exception ever unwinds through libjpeg's C frames.
#pragma once

#include <QRgb>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "picture/Graphic.h"

// How a JPEG image is decoded. Each image copies the process-wide defaults when created.
struct TJPEGSettings {
    int ScaleShift = 0;          // output is 1/2^ScaleShift of full size (0..3)
    bool EightBitOutput = false; // 8 bits per pixel with libjpeg's palette instead of 24
    bool GrayOutput = false;     // force grey output
    bool FastMode = false;       // prefer speed to quality
    bool BlockSmoothing = true;
};

// libjpeg's error code for input without a single byte.
inline constexpr int JpegInputEmpty = 42;

// A compressed file larger than this is refused before it is read: it would exhaust memory
// long before it could be shown.
inline constexpr uint64_t MaxDecodedBitmapBytes = uint64_t(1) << 30;

// Bytes of one bitmap row: whole 32-bit units, as device-independent bitmaps keep them.
inline uint64_t BitmapRowBytes(uint64_t width, int bitCount) {
    return (width * uint64_t(bitCount) + 31) / 32 * 4;
}

struct TJpegHeader {
    unsigned ImageWidth = 0;
    unsigned ImageHeight = 0;
    unsigned OutputWidth = 0; // at the requested scale
    unsigned OutputHeight = 0;
    int Components = 0;
    bool IsGrayscale = false;
    bool MultiScan = false;
    int BitCount = 24; // what the decoded bitmap will hold with the given settings
};

// Reads the header of the JPEG image in bytes (at least one byte) with a decompressor of
// its own. Raises EJPEG for anything libjpeg rejects.
TJpegHeader ReadJpegHeader(std::span<const uint8_t> bytes, const TJPEGSettings& settings);

// Raises EJPEG when a decoded bitmap of that size would exceed the picture layer's
// pixel memory limit (PixelMemoryLimit).
void CheckDecodedSize(unsigned width, unsigned height, int bitCount);

// One full decode. Every method that enters libjpeg raises EJPEG ("JPEG-Fehlernr. %d")
// when libjpeg fails, or passes on whatever the progress target raised, after libjpeg has
// been left. The decompressor is released when the object goes.
class TJpegDecoder {
public:
    using TProgress = std::function<void(TProgressStage stage, int percentDone)>;

    TJpegDecoder(std::span<const uint8_t> bytes, TProgress progress);
    ~TJpegDecoder();
    TJpegDecoder(const TJpegDecoder&) = delete;
    TJpegDecoder& operator=(const TJpegDecoder&) = delete;

    // Reads the header and applies the settings.
    void Setup(const TJPEGSettings& settings);
    // Reports the start of progress and starts decompressing (the first pass of a
    // two-pass quantization runs here); the output size is known afterwards.
    void Start();

    unsigned OutputWidth() const;
    unsigned OutputHeight() const;
    int BitCount() const; // 8 (palette) or 24 (blue, green, red)
    // libjpeg's colour map as a palette; empty unless libjpeg quantizes.
    std::vector<QRgb> ColorTable() const;

    // Decodes every row straight into the image whose top row starts at bits, rows
    // stride bytes apart. Rows before a failure stay written.
    void ReadRows(uint8_t* bits, size_t stride);
    // Decodes the next rows, at most count of them, into the rows starting at bits, stride
    // bytes apart, so a picture can be taken a band at a time into one reused buffer.
    // Returns how many were written; 0 once every row is out.
    unsigned ReadNextRows(uint8_t* bits, size_t stride, unsigned count);
    void Finish();

    struct TSession;

private:
    friend TJpegHeader ReadJpegHeader(std::span<const uint8_t>, const TJPEGSettings&);
    std::unique_ptr<TSession> Session;
};
