// The JPEG kind: keeps the whole file in memory, reads only its header when loaded, and
// decodes the image once, into a bitmap of its own, when it is first drawn.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "picture/Bitmap.h"
#include "picture/Graphic.h"
#include "picture/JpegDecoder.h"
#include "toolkit/Translation.h"

namespace Msg {
inline constexpr TMsg JPEGError{QT_TRANSLATE_NOOP("Msg", "JPEG-Fehlernr. %d")};
inline constexpr TMsg JPEGSizeChange{
    QT_TRANSLATE_NOOP("Msg", "Die Größe eines JPEG-Bildes kann nicht verändert werden")};
inline constexpr TMsg JPEGTooLarge{QT_TRANSLATE_NOOP(
    "Msg", "JPEG-Bild ist zu groß (%u x %u Pixel) und kann nicht geladen werden")};
inline constexpr TMsg JPEGFileTooLarge{
    QT_TRANSLATE_NOOP("Msg", "JPEG-Datei ist zu groß und kann nicht geladen werden")};
inline constexpr TMsg JPEGDescription{QT_TRANSLATE_NOOP("Msg", "JPEG Bilddatei")};
} // namespace Msg

// The image data copies of a JPEG image share: the file's bytes and its header facts.
struct TJPEGData {
    std::vector<uint8_t> Bytes;
    int ImageWidth = 0;
    int ImageHeight = 0;
    bool IsGrayscale = false;
    int Orientation = 1; // Exif's: how the stored pixels are shown
};

// The decode settings every new JPEG image starts with.
TJPEGSettings& JPEGDefaults();

class TJPEGImage : public TGraphic {
public:
    static const TGraphicClass Class;
    TJPEGImage();

    const TGraphicClass& ClassType() const override { return Class; }
    void Render(TCanvas& canvas, const TRect& rect) override;
    bool IsEmpty() const override;
    int PixelWidth() const override;
    int PixelHeight() const override;
    bool HasPalette() const override;
    void SetWidth(int width) override;
    void SetHeight(int height) override;
    void ReadFrom(TStream& stream) override;
    void Assign(const TGraphic& source) override;
    // The Exif thumbnail, decoded, with the picture's orientation; none when there is none
    // or it does not load and decode.
    std::unique_ptr<TGraphic> EmbeddedThumbnail() const override;

    // Decodes the image the first time it is asked for, then returns the same bitmap. A
    // failed decode raises once; the bitmap keeps what was decoded (undecoded rows black).
    TBitmap& DecodedBitmap();
    bool HasDecodedBitmap() const { return Bitmap_ != nullptr; }

    // The shared data; none until something was loaded.
    const TJPEGData* Data() const { return Data_.get(); }
    bool MultiScan() const { return MultiScan_; }
    // The Exif orientation the picture is shown and printed in; its pixel size is that of
    // the picture as shown.
    int Orientation() const;

    // Decodes at 1/2^shift of full size from now on; drops a bitmap decoded at another
    // scale, so the next drawing decodes again. The size reported follows the scale.
    void SetScaleShift(int shift);

    // Read at the next decode.
    TJPEGSettings Settings;

private:
    void Decode(TBitmap& bitmap);
    // Draws the stored pixels into the rectangle (in the stored orientation).
    void RenderStored(TCanvas& canvas, const TRect& rect);
    // On a printed page that shows fewer pixels than the picture has: decodes at the
    // smallest scale that still covers them and averages the rest away a band of rows at
    // a time, keeping nothing. False when that does not apply or the decode failed, so the
    // full decode takes over (and reports the failure as it always does).
    bool RenderReduced(TCanvas& canvas, const TRect& rect);
    // The size of the pixels as stored, before the Exif orientation.
    int StoredWidth() const;
    int StoredHeight() const;

    std::shared_ptr<const TJPEGData> Data_;
    std::unique_ptr<TBitmap> Bitmap_;
    bool MultiScan_ = false;
};

// The largest reduction libjpeg offers (0 to 3: output 1/1 to 1/8 of the width × height
// image) whose output still covers an area of the given size in device pixels, so that a
// picture shown smaller than it is needs only part of a full decode.
int CoveringScaleShift(int width, int height, double areaWidth, double areaHeight);

// Adds "jpeg" and "jpg" to the picture file formats (once, however often it is called).
void RegisterJpegFormat();
void UnregisterJpegFormat();
// Fixes the process-wide defaults from the screen's depth: 8-bit output on palette screens.
void InitJpegDefaults(int screenBitsPerPixel);
