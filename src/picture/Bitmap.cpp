#include "picture/Bitmap.h"

#include "picture/BmpReader.h"
#include "picture/Canvas.h"
#include "toolkit/Errors.h"
#include "toolkit/Stream.h"

const TGraphicClass TBitmap::Class = {"TBitmap", [] {
                                          return std::unique_ptr<TGraphic>(new TBitmap);
                                      }};

namespace {
const QImage NullImage;
} // namespace

void TBitmap::Render(TCanvas& canvas, const TRect& rect) {
    const int target = canvas.BitsPerPixel();
    const int source = BitCount();
    if (target <= 8 && target < source)
        canvas.SetStretchMode(TStretchMode::Halftone);
    else if (!Monochrome())
        canvas.SetStretchMode(TStretchMode::DeleteScans);
    canvas.StretchDraw(rect, Image());
}

bool TBitmap::IsEmpty() const {
    return !Image_ || Image_->Image.isNull();
}

int TBitmap::PixelWidth() const {
    return IsEmpty() ? 0 : Image_->Image.width();
}

int TBitmap::PixelHeight() const {
    return IsEmpty() ? 0 : Image_->Image.height();
}

bool TBitmap::HasPalette() const {
    return Image_ && BitCount() > 8 && !Image_->Table.empty();
}

const QImage& TBitmap::Image() const {
    return Image_ ? Image_->Image : NullImage;
}

int TBitmap::BitCount() const {
    return IsEmpty() ? 0 : Image_->BitCount;
}

void TBitmap::SetWidth(int width) {
    Resize(width, PixelHeight());
}

void TBitmap::SetHeight(int height) {
    Resize(PixelWidth(), height);
}

void TBitmap::Resize(int width, int height) {
    if (width == PixelWidth() && height == PixelHeight())
        return;
    auto image = std::make_shared<TBitmapImage>();
    if (width > 0 && height > 0) {
        image->BitCount = IsEmpty() ? 24 : BitCount();
        const QImage::Format format = IsEmpty() ? QImage::Format_BGR888 : Image_->Image.format();
        image->Image = QImage(width, height, format);
        image->Image.fill(Qt::white);
        if (!IsEmpty()) {
            image->Image.setColorTable(Image_->Image.colorTable());
            image->Table = Image_->Table;
        }
    }
    SetImage(std::move(image));
}

void TBitmap::ReadFrom(TStream& stream) {
    // An empty file is no bitmap, as it is no picture of any other kind: loading it must not
    // replace what was shown with nothing and report success.
    if (stream.Remaining() == 0)
        throw EInvalidGraphic(Msg::InvalidBitmap);
    auto image = std::make_shared<TBitmapImage>(ReadBmp(stream));
    PaletteModified = !image->Table.empty() || image->Image.colorCount() != 0;
    SetImage(std::move(image));
}

void TBitmap::Assign(const TGraphic& source) {
    const auto& bitmap = dynamic_cast<const TBitmap&>(source);
    Image_ = bitmap.Image_;
    PaletteModified = bitmap.PaletteModified;
    NotifyChange();
}

void TBitmap::SetImage(std::shared_ptr<TBitmapImage> image) {
    Image_ = std::move(image);
    NotifyChange();
}

QImage& TBitmap::MutableImage() {
    if (!Image_)
        Image_ = std::make_shared<TBitmapImage>();
    else if (Image_.use_count() > 1)
        Image_ = std::make_shared<TBitmapImage>(*Image_);
    return Image_->Image;
}
