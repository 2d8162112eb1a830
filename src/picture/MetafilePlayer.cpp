// Sets up the device context for one playback: where the metafile's device coordinates lie
// on the painter, then hands the records to the enhanced or the Windows record player.
#include "picture/MetafilePlayer.h"

#include "picture/Metafile.h"
#include "picture/MetafileDC.h"
#include "picture/MetafileRecords.h"

namespace {

constexpr uint64_t FrameOffset = 24;
constexpr double MMPerInch = 25.4;

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
// measures what is drawn; the records may move and resize the window but not the viewport.
void PlayWindows(const TMetafileImage& image, QPainter& painter, const QRectF& target) {
    const QSizeF perMM(PixelsPerMM(image.DeviceWidth, image.DeviceMMWidth),
                       PixelsPerMM(image.DeviceHeight, image.DeviceMMHeight));
    const auto play = [&](const QTransform& device, bool measure) {
        TMetafileDC dc(painter, device, perMM);
        dc.FixViewport();
        if (measure)
            dc.Measure();
        dc.SetWindowOrg(QPointF(image.Bounds.Left, image.Bounds.Top));
        dc.SetWindowExt(QSizeF(image.Bounds.Width(), image.Bounds.Height()));
        MetafileRecords::PlayWindows(*image.Records, dc);
        return dc.Bounds();
    };
    // The window is the unit square while measuring.
    QRectF drawn = play(QTransform(), true);
    if (!(drawn.width() > 0 && drawn.height() > 0) || !drawn.isValid())
        drawn = QRectF(0, 0, 1, 1);
    QTransform device = QTransform::fromTranslate(-drawn.left(), -drawn.top());
    device *=
        QTransform::fromScale(target.width() / drawn.width(), target.height() / drawn.height());
    device *= QTransform::fromTranslate(target.left(), target.top());
    play(device, false);
}

} // namespace

void PlayMetafile(const TMetafileImage& image, QPainter& painter, const QRectF& frame) {
    if (!image.Records)
        return;
    if (image.Format == TMetafileFormat::Enhanced)
        PlayEnhanced(image, painter, frame);
    else
        PlayWindows(image, painter, frame);
}
