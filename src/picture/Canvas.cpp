#include "picture/Canvas.h"

#include <QGuiApplication>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <cmath>

#include "picture/Reduce.h"
#include "toolkit/Errors.h"
#include "toolkit/ImageDrawing.h"

namespace {
// a × b / c rounded to the nearest whole number, halves away from zero.
int MulDiv(int a, int b, int c) {
    if (c == 0)
        return 0;
    const double exact = double(a) * b / c;
    return static_cast<int>(exact < 0 ? std::ceil(exact - 0.5) : std::floor(exact + 0.5));
}

// A printed page: a printer or a PDF file, where image pixels travel with the job.
bool IsVectorDevice(QPainter& painter) {
    const QPaintEngine* engine = painter.paintEngine();
    return engine &&
           (engine->type() == QPaintEngine::Pdf || engine->type() == QPaintEngine::Picture ||
            painter.device()->devType() == QInternal::Printer);
}

// Dash and gap of a dashed line in pen widths: about 0.75 and 0.25 mm at one tenth of a
// millimetre, so a fold line reads as dashed on paper.
const QList<qreal> DashPattern = {7.5, 2.5};
} // namespace

int TFont::Size() const {
    return -MulDiv(Height, 72, PixelsPerInch);
}

void TFont::SetSize(int points) {
    Height = -MulDiv(points, PixelsPerInch, 72);
}

void TFont::Assign(const TFont& source) {
    Color = source.Color;
    Height = source.Height;
    Name = source.Name;
    Pitch = source.Pitch;
    SetSize(source.Size());
    Style = source.Style;
}

QFont TFont::ToQFont() const {
    QFont font;
    // The face name first; where it is missing, fontconfig's metric-compatible
    // substitutes (Liberation) stand in for the Windows names.
    font.setFamilies({QString::fromStdString(Name)});
    font.setBold(Style.Bold);
    font.setItalic(Style.Italic);
    font.setUnderline(Style.Underline);
    font.setStrikeOut(Style.StrikeOut);
    if (Pitch == TFontPitch::fpFixed)
        font.setFixedPitch(true);
    font.setHintingPreference(QFont::PreferNoHinting);
    // A negative height is the em size; a positive one the whole cell (ascent plus
    // descent), scaled to the em size through the face's own proportions; 0 asks for the
    // default height.
    int pixels = Height < 0 ? -Height : Height;
    if (Height > 0) {
        QFont probe = font;
        probe.setPixelSize(1000);
        const QFontMetricsF metrics(probe);
        if (metrics.height() > 0)
            pixels = std::max(1, int(std::lround(Height * 1000 / metrics.height())));
    }
    if (Height == 0)
        pixels = 12;
    font.setPixelSize(std::max(1, pixels));
    return font;
}

QPainter& TCanvas::Handle() {
    if (!Painter_)
        throw EInvalidOperation(Msg::CannotDraw);
    return *Painter_;
}

int TCanvas::BitsPerPixel() {
    const QPaintDevice* device = Handle().device();
    return device ? device->depth() : 24;
}

int TCanvas::PixelsPerInchX() {
    const QPaintDevice* device = Handle().device();
    return device ? device->logicalDpiX() : 96;
}

int TCanvas::PixelsPerInchY() {
    const QPaintDevice* device = Handle().device();
    return device ? device->logicalDpiY() : 96;
}

QSizeF TCanvas::DeviceSize(const TRect& rect) {
    // The lengths of the mapped edges, not the mapped bounding box, so that a quarter turn
    // keeps width with width.
    const QTransform transform = Handle().combinedTransform();
    const QPointF origin = transform.map(QPointF(rect.Left, rect.Top));
    const QPointF right = transform.map(QPointF(rect.Right, rect.Top)) - origin;
    const QPointF down = transform.map(QPointF(rect.Left, rect.Bottom)) - origin;
    return {std::hypot(right.x(), right.y()), std::hypot(down.x(), down.y())};
}

QSize TCanvas::PrintedPixels(const TRect& rect) {
    if (!IsVectorDevice(Handle()))
        return {};
    const QSizeF device = DeviceSize(rect);
    return {std::max(1, int(std::ceil(device.width()))),
            std::max(1, int(std::ceil(device.height())))};
}

void TCanvas::DrawStretched(const TRect& rect, TGraphic* graphic) {
    if (!graphic)
        return;
    if (OnChanging)
        OnChanging();
    graphic->Render(*this, rect);
    if (OnChange)
        OnChange();
}

void TCanvas::DrawAt(int x, int y, TGraphic* graphic) {
    if (!graphic || graphic->IsEmpty())
        return;
    // Background and text colours would colour device-dependent monochrome bitmaps; ours
    // all carry their own colour table, so nothing on the painter needs to change.
    DrawStretched({x, y, x + graphic->PixelWidth(), y + graphic->PixelHeight()}, graphic);
}

void TCanvas::StretchDraw(const TRect& rect, const QImage& image) {
    QPainter& painter = Handle();
    if (image.isNull() || rect.Width() == 0 || rect.Height() == 0)
        return;
    const QImage* source = &image;
    QImage reduced;
    const QSize target = PrintedPixels(rect);
    if (!target.isEmpty() && (image.width() > target.width() || image.height() > target.height())) {
        reduced = ReduceImage(image, target.boundedTo(image.size()));
        source = &reduced;
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform,
                          StretchMode_ == TStretchMode::Halftone || source == &reduced);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    // Negative extents mirror the image, as a stretched copy with reversed edges does.
    painter.translate(rect.Left, rect.Top);
    painter.scale(rect.Width() < 0 ? -1 : 1, rect.Height() < 0 ? -1 : 1);
    DrawImageUnmirrored(painter, QRectF(0, 0, std::abs(rect.Width()), std::abs(rect.Height())),
                        *source, QRectF(source->rect()));
    painter.restore();
}

namespace {
QPen ToQPen(const TPen& pen) {
    QPen result(pen.Color);
    result.setWidthF(pen.Width);
    result.setCosmetic(pen.Width == 0);
    result.setCapStyle(Qt::FlatCap);
    result.setJoinStyle(Qt::MiterJoin);
    if (pen.Style == TPenStyle::psDash)
        result.setDashPattern(DashPattern);
    return result;
}
} // namespace

void TCanvas::Rectangle(const TRect& rect) {
    QPainter& painter = Handle();
    if (OnChanging)
        OnChanging();
    painter.save();
    painter.setPen(ToQPen(Pen));
    painter.setBrush(Brush.Color);
    painter.drawRect(QRectF(rect.Left, rect.Top, rect.Width(), rect.Height()));
    painter.restore();
    if (OnChange)
        OnChange();
}

void TCanvas::MoveTo(int x, int y) {
    PenPos_ = {x, y};
}

void TCanvas::LineTo(int x, int y) {
    QPainter& painter = Handle();
    if (OnChanging)
        OnChanging();
    painter.save();
    painter.setPen(ToQPen(Pen));
    painter.drawLine(QLineF(PenPos_, QPointF(x, y)));
    painter.restore();
    PenPos_ = {x, y};
    if (OnChange)
        OnChange();
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
    QPainter& painter = Handle();
    if (OnChanging)
        OnChanging();
    painter.save();
    const QFont font = Font.ToQFont();
    painter.setFont(font);
    painter.setPen(Font.Color);
    // The text is drawn as a path, so its height is exactly the font's in logical units
    // on every device, and its cell's top edge lies at y.
    QPainterPath path;
    const QFontMetricsF metrics(font);
    path.addText(QPointF(x, y + metrics.ascent()), font, QString::fromUtf8(text));
    painter.setPen(Qt::NoPen);
    painter.setBrush(Font.Color);
    painter.drawPath(path);
    painter.restore();
    if (OnChange)
        OnChange();
}

int ScreenBitsPerPixel() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->depth() : 24;
}
