#include "picture/Icon.h"

#include "picture/Canvas.h"
#include "picture/IcoReader.h"
#include "toolkit/Errors.h"
#include "toolkit/Stream.h"

const TGraphicClass TIcon::Class = {"TIcon", [] {
                                        return std::unique_ptr<TGraphic>(new TIcon);
                                    }};

namespace {
// No icon comes near this size; refusing it up front keeps a huge file chosen by mistake from
// filling memory.
constexpr uint64_t MaxFileSize = uint64_t(1) << 30;
} // namespace

void TIcon::Render(TCanvas& canvas, const TRect& rect) {
    if (IsEmpty())
        return;
    const QImage& image = Image();
    canvas.StretchDraw({rect.Left, rect.Top, rect.Left + SystemIconSize, rect.Top + SystemIconSize},
                       image);
}

bool TIcon::IsEmpty() const {
    return !Image_ || (Image_->Bytes.empty() && Image_->Image.isNull());
}

int TIcon::PixelWidth() const {
    return SystemIconSize;
}

int TIcon::PixelHeight() const {
    return SystemIconSize;
}

void TIcon::SetWidth(int) {
    throw EInvalidGraphicOperation(Msg::IconSizeChange);
}

void TIcon::SetHeight(int) {
    throw EInvalidGraphicOperation(Msg::IconSizeChange);
}

void TIcon::ReadFrom(TStream& stream) {
    if (stream.Remaining() > MaxFileSize)
        throw EInvalidGraphic(Msg::InvalidIcon);
    auto image = std::make_shared<TIconImage>();
    image->Bytes.resize(static_cast<size_t>(stream.Remaining()));
    stream.ReadBuffer(image->Bytes.data(), image->Bytes.size());
    CheckIconHeader(image->Bytes);
    Image_ = std::move(image);
    NotifyChange();
}

void TIcon::Assign(const TGraphic& source) {
    Image_ = dynamic_cast<const TIcon&>(source).Image_;
    NotifyChange();
}

const QImage& TIcon::Image() {
    if (!Image_)
        throw EOutOfResources(Msg::OutOfResources);
    // Made once for every copy that shares the bytes; a failure is not remembered, so each
    // drawing tries again and reports it again.
    if (Image_->Image.isNull())
        Image_->Image = MakeIconImage(Image_->Bytes, ScreenBitsPerPixel());
    return Image_->Image;
}
