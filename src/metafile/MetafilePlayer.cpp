// Sets up the device context for one playback: where the metafile's device coordinates lie
// on the painter, then hands the records to the enhanced or the Windows record player.
#include "metafile/MetafilePlayer.h"

#include <QPaintEngine>

#include "metafile/MetafileDC.h"
#include "metafile/MetafileImage.h"
#include "metafile/MetafileRecords.h"

namespace {

constexpr uint64_t FrameOffset = 24;
constexpr double MMPerInch = 25.4;
// The image a metafile is played through may not take more memory than a decoded picture.
constexpr uint64_t MaxPixelMemory = uint64_t(1) << 30;

// A reference device without a size is taken as a screen of 96 pixels per inch.
double PixelsPerMM(int pixels, int mm) {
    return pixels > 0 && mm > 0 ? double(pixels) / mm : 96 / MMPerInch;
}

void PlayEnhanced(const TMetafileImage& image, QPainter& painter, const QRectF& target) {
    const std::span<const uint8_t> bytes(*image.Records);
    TByteReader header(bytes);
    header.Seek(FrameOffset);
    const double left = header.I32(), top = header.I32(), right = header.I32(),
                 bottom = header.I32();
    const QSizeF perMM(PixelsPerMM(image.DeviceWidth, image.DeviceMMWidth),
                       PixelsPerMM(image.DeviceHeight, image.DeviceMMHeight));
    // The frame, in 0.01 mm, in the reference device's pixels.
    const QRectF frame(QPointF(left * perMM.width() / 100, top * perMM.height() / 100),
                       QPointF(right * perMM.width() / 100, bottom * perMM.height() / 100));
    if (frame.width() == 0 || frame.height() == 0)
        return;
    QTransform device = QTransform::fromTranslate(-frame.left(), -frame.top());
    device *=
        QTransform::fromScale(target.width() / frame.width(), target.height() / frame.height());
    device *= QTransform::fromTranslate(target.left(), target.top());
    TMetafileDC dc(painter, device, perMM);
    MetafileRecords::PlayEnhanced(bytes, dc);
}

// A Windows metafile is played as the system converts it: its window (at first the
// placeable header's bounding box) covers the whole reference device, and what it draws
// there, not the window, becomes the frame that covers the rectangle. So a first pass
// measures what is drawn; the records may move and resize the window and the viewport but
// not change the mapping mode.
void PlayWindows(const TMetafileImage& image, QPainter& painter, const QRectF& target) {
    const QSizeF perMM(PixelsPerMM(image.DeviceWidth, image.DeviceMMWidth),
                       PixelsPerMM(image.DeviceHeight, image.DeviceMMHeight));
    const auto play = [&](const QTransform& device, bool measure) {
        TMetafileDC dc(painter, device, perMM);
        dc.FixMapping();
        if (measure)
            dc.Measure();
        dc.SetWindowOrg(image.Bounds.topLeft());
        dc.SetWindowExt(image.Bounds.size());
        // The viewport is the reference device, in its pixels.
        dc.SetViewportExt(QSizeF(std::max(image.DeviceWidth, 1), std::max(image.DeviceHeight, 1)));
        MetafileRecords::PlayWindows(*image.Records, dc);
        return dc.Bounds();
    };
    // Measured in the reference device's pixels.
    QRectF drawn = play(QTransform(), true);
    if (!(drawn.width() > 0 && drawn.height() > 0) || !drawn.isValid())
        drawn = QRectF(0, 0, 1, 1);
    QTransform device = QTransform::fromTranslate(-drawn.left(), -drawn.top());
    device *=
        QTransform::fromScale(target.width() / drawn.width(), target.height() / drawn.height());
    device *= QTransform::fromTranslate(target.left(), target.top());
    play(device, false);
}

// Raster operations that combine with what is already drawn; only raster devices do that.
bool Combines(uint32_t rop) {
    return rop != Gdi::SRCCOPY && rop != Gdi::PATCOPY && rop != Gdi::BLACKNESS &&
           rop != Gdi::WHITENESS && rop != Gdi::MERGECOPY;
}

bool Rop2Combines(uint32_t rop) {
    return rop != Gdi::R2_COPYPEN && rop != Gdi::R2_NOP && rop != Gdi::R2_BLACK &&
           rop != Gdi::R2_WHITE;
}

// Whether any record of the metafile asks for a raster operation that combines.
bool NeedsRaster(const TMetafileImage& image) {
    TByteReader file(*image.Records);
    try {
        if (image.Format == TMetafileFormat::Enhanced) {
            while (file.Remaining() >= 8) {
                const uint32_t type = file.U32();
                const uint32_t size = file.U32();
                if (size < 8 || !file.CanRead(size - 8))
                    return false;
                TByteReader record = file.Sub(size - 8);
                // SetROP2; BitBlt and StretchBlt (after bounds and destination); StretchDIBits.
                if ((type == 20 && Rop2Combines(record.U32())) ||
                    ((type == 76 || type == 77) && (record.Skip(32), Combines(record.U32()))) ||
                    (type == 81 && (record.Skip(60), Combines(record.U32()))))
                    return true;
            }
            return false;
        }
        file.Seek(18);
        while (file.Remaining() >= 6) {
            const uint64_t words = file.U32();
            const uint16_t function = file.U16();
            if (words < 3 || !file.CanRead(words * 2 - 6))
                return false;
            TByteReader record = file.Sub(words * 2 - 6);
            const bool bitmap = function == 0x0922 || function == 0x0B23 || function == 0x0940 ||
                                function == 0x0B41 || function == 0x0F43 || function == 0x061D;
            if ((function == 0x0104 && Rop2Combines(record.U16())) ||
                (bitmap && Combines(record.U32())))
                return true;
        }
    } catch (const EReadError&) {
    }
    return false;
}

void Play(const TMetafileImage& image, QPainter& painter, const QRectF& frame) {
    if (image.Format == TMetafileFormat::Enhanced)
        PlayEnhanced(image, painter, frame);
    else
        PlayWindows(image, painter, frame);
}

// Plays the metafile into an image at the device's resolution, on white, and draws that, so
// that a printer or a PDF file shows what the screen shows. False when the image would be
// too large; the metafile is then played directly.
bool PlayThroughImage(const TMetafileImage& image, QPainter& painter, const QRectF& frame) {
    const QTransform toDevice = painter.combinedTransform();
    const QRect area = toDevice.mapRect(frame.adjusted(0, 0, 1, 1)).toAlignedRect();
    if (area.isEmpty() || uint64_t(area.width()) * uint64_t(area.height()) * 4 > MaxPixelMemory)
        return false;
    QImage pixels(area.size(), QImage::Format_RGB32);
    if (pixels.isNull())
        return false;
    pixels.fill(Qt::white);
    {
        QPainter offscreen(&pixels);
        offscreen.setRenderHints(painter.renderHints());
        offscreen.setTransform(toDevice * QTransform::fromTranslate(-area.left(), -area.top()));
        Play(image, offscreen, frame);
    }
    painter.save();
    painter.resetTransform();
    painter.drawImage(area.topLeft(), pixels);
    painter.restore();
    return true;
}

} // namespace

void PlayMetafile(const TMetafileImage& image, QPainter& painter, const QRectF& frame) {
    if (!image.Records)
        return;
    const bool raster = RasterDevice(painter);
    if (!raster && NeedsRaster(image) && PlayThroughImage(image, painter, frame))
        return;
    Play(image, painter, frame);
}
