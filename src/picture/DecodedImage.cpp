#include "picture/DecodedImage.h"

#include <QPainter>
#include <vector>

#include "picture/Canvas.h"
#include "picture/DecodeHelper.h"
#include "picture/Picture.h"
#include "toolkit/Errors.h"
#include "toolkit/Stream.h"

namespace {
// No picture file anyone prints comes near this; refusing it up front keeps a huge file
// chosen by mistake from being copied for the helper.
constexpr uint64_t MaxFileSize = uint64_t(1) << 30;

const char* const SvgName = "SVG";

std::vector<uint8_t> FileBytes(TStream& stream, const char* kindName) {
    if (stream.Remaining() > MaxFileSize)
        throw EInvalidGraphic(Format(Msg::DecodeFileTooLarge, kindName));
    std::vector<uint8_t> bytes(size_t(stream.Remaining()));
    stream.ReadBuffer(bytes.data(), bytes.size());
    return bytes;
}

template <const TDecodedKind& Kind> std::unique_ptr<TGraphic> CreateDecoded() {
    return std::make_unique<TDecodedImage>(Kind);
}
} // namespace

const TDecodedKind WebPKind{"WebP", "webp", {"TWebPImage", CreateDecoded<WebPKind>}};
const TDecodedKind TiffKind{"TIFF", "tiff", {"TTiffImage", CreateDecoded<TiffKind>}};
const TDecodedKind GifKind{"GIF", "gif", {"TGifImage", CreateDecoded<GifKind>}};
const TDecodedKind HeifKind{"HEIF", "heif", {"THeifImage", CreateDecoded<HeifKind>}};
const TDecodedKind AvifKind{"AVIF", "avif", {"TAvifImage", CreateDecoded<AvifKind>}};

void TDecodedImage::SetWidth(int) {
    throw EInvalidGraphicOperation(Format(Msg::DecodedSizeChange, Kind_->Name));
}

void TDecodedImage::SetHeight(int) {
    throw EInvalidGraphicOperation(Format(Msg::DecodedSizeChange, Kind_->Name));
}

void TDecodedImage::ReadFrom(TStream& stream) {
    const std::vector<uint8_t> bytes = FileBytes(stream, Kind_->Name);
    TDecoded decoded = DecodeInHelper(Kind_->Helper, Kind_->Name, bytes);
    if (decoded.Image.isNull())
        throw EInvalidGraphic(Format(Msg::DecodeBroken, Kind_->Name));
    auto image = std::make_shared<TBitmapImage>();
    image->Image = std::move(decoded.Image);
    image->BitCount = 32;
    Transparent_ = image->Image.hasAlphaChannel();
    SetImage(std::move(image));
}

void TDecodedImage::Assign(const TGraphic& source) {
    Transparent_ = source.Transparent();
    TBitmap::Assign(source);
}

const TGraphicClass TSvgImage::Class = {"TSvgImage", [] {
                                            return std::unique_ptr<TGraphic>(new TSvgImage);
                                        }};

void TSvgImage::Render(TCanvas& canvas, const TRect& rect) {
    if (!Drawing_ || rect.Width() == 0 || rect.Height() == 0)
        return;
    QPainter& painter = canvas.Painter();
    painter.save();
    // The drawing was recorded at its natural size; the rectangle stretches it.
    painter.translate(rect.Left, rect.Top);
    painter.scale(double(rect.Width()) / Drawing_->Size.width(),
                  double(rect.Height()) / Drawing_->Size.height());
    painter.setClipRect(QRect(QPoint(0, 0), Drawing_->Size), Qt::IntersectClip);
    painter.drawPicture(0, 0, Drawing_->Picture);
    painter.restore();
}

int TSvgImage::PixelWidth() const {
    return Drawing_ ? Drawing_->Size.width() : 0;
}

int TSvgImage::PixelHeight() const {
    return Drawing_ ? Drawing_->Size.height() : 0;
}

void TSvgImage::SetWidth(int) {
    throw EInvalidGraphicOperation(Format(Msg::DecodedSizeChange, SvgName));
}

void TSvgImage::SetHeight(int) {
    throw EInvalidGraphicOperation(Format(Msg::DecodedSizeChange, SvgName));
}

void TSvgImage::ReadFrom(TStream& stream) {
    const std::vector<uint8_t> bytes = FileBytes(stream, SvgName);
    const TDecoded decoded = DecodeInHelper("svg", SvgName, bytes);
    auto drawing = std::make_shared<TSvgDrawing>();
    drawing->Size = decoded.Size;
    if (!decoded.Drawing.isEmpty())
        drawing->Picture.setData(decoded.Drawing.constData(), uint(decoded.Drawing.size()));
    if (drawing->Picture.isNull())
        throw EInvalidGraphic(Format(Msg::DecodeBroken, SvgName));
    Drawing_ = std::move(drawing);
    Transparent_ = true;
    NotifyChange();
}

void TSvgImage::Assign(const TGraphic& source) {
    Drawing_ = dynamic_cast<const TSvgImage&>(source).Drawing_;
    Transparent_ = source.Transparent();
    NotifyChange();
}

void RegisterDecodedFormats() {
    UnregisterDecodedFormats();
    TFileFormatsList& formats = TFileFormatsList::Instance();
    formats.AddFormat("webp", Msg::WebPDescription.Text(), WebPKind.Class);
    formats.AddFormat("tif", Msg::TiffDescription.Text(), TiffKind.Class);
    formats.AddFormat("tiff", Msg::TiffDescription.Text(), TiffKind.Class);
    formats.AddFormat("gif", Msg::GifDescription.Text(), GifKind.Class);
    formats.AddFormat("svg", Msg::SvgDescription.Text(), TSvgImage::Class);
    formats.AddFormat("heic", Msg::HeifDescription.Text(), HeifKind.Class);
    formats.AddFormat("heif", Msg::HeifDescription.Text(), HeifKind.Class);
    formats.AddFormat("avif", Msg::AvifDescription.Text(), AvifKind.Class);
}

void UnregisterDecodedFormats() {
    TFileFormatsList& formats = TFileFormatsList::Instance();
    for (const TDecodedKind* kind : {&WebPKind, &TiffKind, &GifKind, &HeifKind, &AvifKind})
        formats.RemoveFormats(kind->Class);
    formats.RemoveFormats(TSvgImage::Class);
}
