#include "picture/Canvas.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

TCanvas::TCanvas(QPainter& painter)
    : Painter_(painter), BitsPerPixel_(painter.device() ? painter.device()->depth() : 24) {}

TCanvas::TCanvas(QPainter& painter, int bitsPerPixel)
    : Painter_(painter), BitsPerPixel_(bitsPerPixel) {}

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
    if (image.isNull() || rect.Width() == 0 || rect.Height() == 0)
        return;
    Painter_.save();
    Painter_.setRenderHint(QPainter::SmoothPixmapTransform, StretchMode_ == TStretchMode::Halftone);
    Painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    // Negative extents mirror the image, as a stretched copy with reversed edges does.
    Painter_.translate(rect.Left, rect.Top);
    Painter_.scale(rect.Width() < 0 ? -1 : 1, rect.Height() < 0 ? -1 : 1);
    Painter_.drawImage(QRectF(0, 0, std::abs(rect.Width()), std::abs(rect.Height())), image,
                       QRectF(image.rect()));
    Painter_.restore();
}

int ScreenBitsPerPixel() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->depth() : 24;
}
