#include "picture/Jpeg.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include <QPainter>

#include "picture/Canvas.h"
#include "picture/ExifOrientation.h"
#include "picture/Picture.h"
#include "picture/Reduce.h"
#include "toolkit/Errors.h"
#include "toolkit/Stream.h"

const TGraphicClass TJPEGImage::Class = {"TJPEGImage", [] {
                                             return std::unique_ptr<TGraphic>(new TJPEGImage);
                                         }};

namespace {

// A bitmap whose pixels are zero (black) until rows are written. calloc hands out large
// blocks as fresh zero pages, so rows that are never decoded cost nothing.
std::shared_ptr<TBitmapImage> NewZeroedImage(unsigned width, unsigned height, int bitCount) {
    CheckDecodedSize(width, height, bitCount);
    const uint64_t stride = BitmapRowBytes(width, bitCount);
    auto image = std::make_shared<TBitmapImage>();
    image->BitCount = bitCount;
    if (width == 0 || height == 0)
        return image;
    void* bits = std::calloc(size_t(stride * height), 1);
    if (!bits)
        throw EOutOfResources(Msg::OutOfResources);
    const QImage::Format format = bitCount == 8 ? QImage::Format_Indexed8 : QImage::Format_BGR888;
    image->Image = QImage(
        static_cast<uchar*>(bits), int(width), int(height), qsizetype(stride), format,
        [](void* memory) { std::free(memory); }, bits);
    if (image->Image.isNull()) {
        std::free(bits);
        throw EOutOfResources(Msg::OutOfResources);
    }
    return image;
}

} // namespace

TJPEGSettings& JPEGDefaults() {
    static TJPEGSettings defaults;
    return defaults;
}

TJPEGImage::TJPEGImage() : Settings(JPEGDefaults()) {}

void TJPEGImage::Render(TCanvas& canvas, const TRect& rect) {
    const int orientation = Orientation();
    if (orientation == ExifUpright) {
        RenderStored(canvas, rect);
        return;
    }
    const QSize stored(StoredWidth(), StoredHeight());
    if (stored.isEmpty()) {
        RenderStored(canvas, rect);
        return;
    }
    // The stored pixels are turned or mirrored into the picture as shown, which is then
    // stretched over the rectangle.
    const QSize shown = ExifSwapsSides(orientation) ? stored.transposed() : stored;
    QPainter& painter = canvas.Painter();
    painter.save();
    try {
        painter.translate(rect.Left, rect.Top);
        painter.scale(double(rect.Width()) / shown.width(), double(rect.Height()) / shown.height());
        painter.setTransform(ExifTransform(orientation, stored), true);
        RenderStored(canvas, {0, 0, stored.width(), stored.height()});
    } catch (...) {
        painter.restore();
        throw;
    }
    painter.restore();
}

void TJPEGImage::RenderStored(TCanvas& canvas, const TRect& rect) {
    if (!Bitmap_ && RenderReduced(canvas, rect))
        return;
    canvas.DrawStretched(rect, &DecodedBitmap());
}

bool TJPEGImage::RenderReduced(TCanvas& canvas, const TRect& rect) {
    if (!Data_ || Data_->Bytes.empty() || Settings.EightBitOutput || Settings.GrayOutput)
        return false;
    const QSize target = canvas.PrintedPixels(rect);
    if (target.isEmpty())
        return false;
    const QSize full(StoredWidth(), StoredHeight());
    if (full.isEmpty() || (full.width() <= target.width() && full.height() <= target.height()))
        return false;
    // Only the halvings: measured on a 6000 x 4000 photo, libjpeg's 7/8 and 6/8 take as
    // long as a full decode and 3/8 as long as 1/2; 5/8 saves a third, but only for sizes
    // between a half and five eighths, which the halvings then cover with 1/1.
    TJPEGSettings settings = Settings;
    settings.ScaleShift =
        std::max(Settings.ScaleShift, CoveringScaleShift(Data_->ImageWidth, Data_->ImageHeight,
                                                         target.width(), target.height()));
    auto image = std::make_shared<TBitmapImage>();
    image->BitCount = 24;
    try {
        TJpegDecoder decoder(
            Data_->Bytes, [this](TProgressStage stage, int percent) { Progress(stage, percent); });
        decoder.Setup(settings);
        // Palette output (grey files) is drawn from a full decode, as on the screen.
        if (decoder.BitCount() != 24)
            return false;
        decoder.Start();
        const QSize decoded(int(decoder.OutputWidth()), int(decoder.OutputHeight()));
        TRowReducer reducer(decoded, QImage::Format_BGR888, target.boundedTo(decoded));
        if (reducer.Result().isNull())
            throw EOutOfResources(Msg::OutOfResources);
        // One band of rows, used again and again: libjpeg hands out a few rows at a time
        // anyway, and a small buffer stays in the cache.
        constexpr unsigned BandRows = 16;
        const size_t stride = size_t(BitmapRowBytes(decoder.OutputWidth(), 24));
        std::vector<uint8_t> band(stride * BandRows);
        try {
            while (const unsigned rows = decoder.ReadNextRows(band.data(), stride, BandRows))
                reducer.AddRows(band.data(), qsizetype(stride), int(rows));
            decoder.Finish();
        } catch (const EAbort&) {
            // Stopped on request: what was reduced is drawn, the rest stays black, as a
            // stopped full decode leaves it.
            Progress(TProgressStage::psEnding, 0);
            image->Image = reducer.Result();
            TBitmap partial;
            partial.SetImage(std::move(image));
            canvas.DrawStretched(rect, &partial);
            return true;
        }
        image->Image = reducer.Result();
    } catch (const std::exception&) {
        // Failed, or stopped before a row was read: the full decode does what it always
        // does with the picture.
        Progress(TProgressStage::psEnding, 0);
        return false;
    }
    Progress(TProgressStage::psEnding, 100);
    TBitmap reduced;
    reduced.SetImage(std::move(image));
    canvas.DrawStretched(rect, &reduced);
    return true;
}

int TJPEGImage::Orientation() const {
    return Data_ ? Data_->Orientation : ExifUpright;
}

bool TJPEGImage::IsEmpty() const {
    return !Data_ && (!Bitmap_ || Bitmap_->IsEmpty());
}

int TJPEGImage::PixelWidth() const {
    return ExifSwapsSides(Orientation()) ? StoredHeight() : StoredWidth();
}

int TJPEGImage::PixelHeight() const {
    return ExifSwapsSides(Orientation()) ? StoredWidth() : StoredHeight();
}

int TJPEGImage::StoredWidth() const {
    if (Bitmap_)
        return Bitmap_->PixelWidth();
    if (!Data_ || Data_->Bytes.empty() || Settings.ScaleShift == 0)
        return Data_ ? Data_->ImageWidth : 0;
    return int(ReadJpegHeader(Data_->Bytes, Settings).OutputWidth);
}

int TJPEGImage::StoredHeight() const {
    if (Bitmap_)
        return Bitmap_->PixelHeight();
    if (!Data_ || Data_->Bytes.empty() || Settings.ScaleShift == 0)
        return Data_ ? Data_->ImageHeight : 0;
    return int(ReadJpegHeader(Data_->Bytes, Settings).OutputHeight);
}

bool TJPEGImage::HasPalette() const {
    return Bitmap_ && !Bitmap_->Image().colorTable().isEmpty();
}

void TJPEGImage::SetWidth(int) {
    throw EInvalidGraphicOperation(Msg::JPEGSizeChange);
}

void TJPEGImage::SetHeight(int) {
    throw EInvalidGraphicOperation(Msg::JPEGSizeChange);
}

void TJPEGImage::ReadFrom(TStream& stream) {
    // A compressed file this large is no picture anyone prints; refusing it up front keeps
    // a huge file chosen by mistake from filling memory before its header is even read.
    if (stream.Remaining() > MaxDecodedBitmapBytes)
        throw EJPEG(Msg::JPEGFileTooLarge);
    auto data = std::make_shared<TJPEGData>();
    data->Bytes.resize(size_t(stream.Remaining()));
    stream.ReadBuffer(data->Bytes.data(), data->Bytes.size());
    // An empty file has no header: it fails here, with libjpeg's code for empty input,
    // like every other unreadable header, and the picture held before stays.
    if (data->Bytes.empty())
        throw EJPEG(Format(Msg::JPEGError, JpegInputEmpty));
    const TJpegHeader header = ReadJpegHeader(data->Bytes, Settings);
    CheckDecodedSize(header.OutputWidth, header.OutputHeight, header.BitCount);
    data->ImageWidth = int(header.ImageWidth);
    data->ImageHeight = int(header.ImageHeight);
    data->IsGrayscale = header.IsGrayscale;
    data->Orientation = ExifOrientation(data->Bytes);
    const bool multiScan = header.MultiScan;
    Data_ = std::move(data);
    Bitmap_.reset();
    MultiScan_ = multiScan;
    PaletteModified = true;
    NotifyChange();
}

std::unique_ptr<TGraphic> TJPEGImage::EmbeddedThumbnail() const {
    if (!Data_)
        return nullptr;
    const std::span<const uint8_t> bytes = ExifThumbnail(Data_->Bytes);
    if (bytes.empty())
        return nullptr;
    auto thumbnail = std::make_unique<TJPEGImage>();
    thumbnail->Settings = Settings;
    thumbnail->Settings.ScaleShift = 0;
    // Decoded at once (it is small): a thumbnail that does not decode is none, so it never
    // keeps the picture itself from showing.
    try {
        TBytesStream stream(bytes);
        thumbnail->ReadFrom(stream);
        thumbnail->DecodedBitmap();
    } catch (const std::exception&) {
        return nullptr;
    }
    // The thumbnail's pixels are stored as the picture's are: it is shown turned the same way.
    auto data = std::make_shared<TJPEGData>(*thumbnail->Data_);
    data->Orientation = Orientation();
    thumbnail->Data_ = std::move(data);
    return thumbnail;
}

void TJPEGImage::SetScaleShift(int shift) {
    if (shift == Settings.ScaleShift)
        return;
    Settings.ScaleShift = shift;
    Bitmap_.reset();
}

void TJPEGImage::Assign(const TGraphic& source) {
    const auto& jpeg = dynamic_cast<const TJPEGImage&>(source);
    std::unique_ptr<TBitmap> bitmap;
    if (jpeg.Bitmap_) {
        bitmap = std::make_unique<TBitmap>();
        bitmap->Assign(*jpeg.Bitmap_);
    }
    Data_ = jpeg.Data_;
    Bitmap_ = std::move(bitmap);
    MultiScan_ = jpeg.MultiScan_;
    PaletteModified = jpeg.PaletteModified;
    NotifyChange();
}

TBitmap& TJPEGImage::DecodedBitmap() {
    if (Bitmap_)
        return *Bitmap_;
    Bitmap_ = std::make_unique<TBitmap>();
    try {
        Decode(*Bitmap_);
    } catch (const EAbort&) {
    }
    return *Bitmap_;
}

void TJPEGImage::Decode(TBitmap& bitmap) {
    // An image nothing was loaded into has nothing to decode; a loaded empty file has,
    // and fails.
    if (!Data_)
        return;
    try {
        TJpegDecoder decoder(
            Data_->Bytes, [this](TProgressStage stage, int percent) { Progress(stage, percent); });
        decoder.Setup(Settings);
        decoder.Start();
        std::shared_ptr<TBitmapImage> image =
            NewZeroedImage(decoder.OutputWidth(), decoder.OutputHeight(), decoder.BitCount());
        if (decoder.BitCount() == 8) {
            image->Table = decoder.ColorTable();
            image->Image.setColorTable(QList<QRgb>(image->Table.begin(), image->Table.end()));
            PaletteModified = true;
        }
        bitmap.SetImage(std::move(image));
        if (!bitmap.IsEmpty()) {
            QImage& pixels = bitmap.MutableImage();
            decoder.ReadRows(pixels.bits(), size_t(pixels.bytesPerLine()));
        }
        decoder.Finish();
    } catch (...) {
        Progress(TProgressStage::psEnding, 0);
        throw;
    }
    Progress(TProgressStage::psEnding, 100);
    if (PaletteModified)
        NotifyChange();
}

int CoveringScaleShift(int width, int height, double areaWidth, double areaHeight) {
    const uint64_t wantedWidth = uint64_t(std::max(0.0, std::ceil(areaWidth)));
    const uint64_t wantedHeight = uint64_t(std::max(0.0, std::ceil(areaHeight)));
    int shift = 0;
    // libjpeg rounds a reduced size up: ceil(size / 2^shift).
    auto reduced = [](int size, int by) {
        return (uint64_t(std::max(size, 0)) + (1u << by) - 1) >> by;
    };
    while (shift < 3 && reduced(width, shift + 1) >= wantedWidth &&
           reduced(height, shift + 1) >= wantedHeight)
        ++shift;
    return shift;
}

void RegisterJpegFormat() {
    TFileFormatsList& formats = TFileFormatsList::Instance();
    formats.RemoveFormats(TJPEGImage::Class);
    formats.AddFormat("jpeg", Msg::JPEGDescription.Text(), TJPEGImage::Class);
    formats.AddFormat("jpg", Msg::JPEGDescription.Text(), TJPEGImage::Class);
}

void UnregisterJpegFormat() {
    TFileFormatsList::Instance().RemoveFormats(TJPEGImage::Class);
}

void InitJpegDefaults(int screenBitsPerPixel) {
    JPEGDefaults() = TJPEGSettings{};
    JPEGDefaults().EightBitOutput = screenBitsPerPixel <= 8;
}
