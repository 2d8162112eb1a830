// The metafile kind: sizes and size changes in 0.01 mm and pixels, sharing of the records,
// and drawing through the metafile player.
#include "picture/Metafile.h"

#include <QPainter>
#include <algorithm>

#include "metafile/MetafilePlayer.h"
#include "picture/Canvas.h"

const TGraphicClass TMetafile::Class = {"TMetafile", [] {
                                            return std::unique_ptr<TGraphic>(new TMetafile);
                                        }};

namespace {

int ClampToInt(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

// Size in 0.01 mm to pixels of the reference device, and back; 0 for a device without size.
int64_t MMToPixels(int64_t mm, int64_t devicePixels, int64_t deviceMM) {
    return deviceMM ? mm * devicePixels / (deviceMM * 100) : 0;
}

int64_t PixelsToMM(int64_t pixels, int64_t devicePixels, int64_t deviceMM) {
    // Pixels times millimetres times 100 can pass 64 bits; the result is kept to int anyway.
    if (!devicePixels)
        return 0;
    const double mm = double(pixels) * double(deviceMM) * 100 / double(devicePixels);
    return static_cast<int64_t>(std::clamp(mm, double(INT32_MIN), double(INT32_MAX)));
}

} // namespace

TMetafile::TMetafile() {
    Transparent_ = true;
}

void TMetafile::Render(TCanvas& canvas, const TRect& rect) {
    if (!Image_)
        return;
    // Played into the rectangle made one unit smaller at the right and the bottom.
    PlayMetafile(*Image_, canvas.Painter(),
                 QRectF(QPointF(rect.Left, rect.Top), QPointF(rect.Right - 1, rect.Bottom - 1)));
}

int TMetafile::PixelWidth() const {
    if (!Image_)
        return 0;
    if (Image_->Format == TMetafileFormat::Placeable && Image_->Inch != 0)
        return ClampToInt(int64_t(Image_->MMWidth) * ScreenLogPixelsY() / 2540);
    return ClampToInt(MMToPixels(Image_->MMWidth, Image_->DeviceWidth, Image_->DeviceMMWidth));
}

int TMetafile::PixelHeight() const {
    if (!Image_)
        return 0;
    if (Image_->Format == TMetafileFormat::Placeable && Image_->Inch != 0)
        return ClampToInt(int64_t(Image_->MMHeight) * ScreenLogPixelsY() / 2540);
    return ClampToInt(MMToPixels(Image_->MMHeight, Image_->DeviceHeight, Image_->DeviceMMHeight));
}

bool TMetafile::HasPalette() const {
    return Image_ && Image_->PaletteEntries != 0;
}

// A size change sets the size in 0.01 mm that gives the new pixel size under the rules
// above; the records stay shared.
void TMetafile::SetWidth(int width) {
    if (width == PixelWidth())
        return;
    TMetafileImage& image = Unshared();
    if (image.Format == TMetafileFormat::Placeable && image.Inch != 0)
        image.MMWidth = ClampToInt(int64_t(width) * 2540 / ScreenLogPixelsY());
    else
        image.MMWidth = ClampToInt(PixelsToMM(width, image.DeviceWidth, image.DeviceMMWidth));
    NotifyChange();
}

void TMetafile::SetHeight(int height) {
    if (height == PixelHeight())
        return;
    TMetafileImage& image = Unshared();
    if (image.Format == TMetafileFormat::Placeable && image.Inch != 0)
        image.MMHeight = ClampToInt(int64_t(height) * 2540 / ScreenLogPixelsY());
    else
        image.MMHeight = ClampToInt(PixelsToMM(height, image.DeviceHeight, image.DeviceMMHeight));
    NotifyChange();
}

TMetafileImage& TMetafile::Unshared() {
    if (!Image_)
        Image_ = std::make_shared<TMetafileImage>();
    else if (Image_.use_count() > 1)
        Image_ = std::make_shared<TMetafileImage>(*Image_);
    return *Image_;
}

void TMetafile::ReadFrom(TStream& stream) {
    auto image = std::make_shared<TMetafileImage>(ReadMetafile(stream));
    PaletteModified = image->PaletteEntries != 0;
    Image_ = std::move(image);
    NotifyChange();
}

void TMetafile::Assign(const TGraphic& source) {
    const auto& metafile = dynamic_cast<const TMetafile&>(source);
    Image_ = metafile.Image_;
    PaletteModified = metafile.PaletteModified;
    NotifyChange();
}
