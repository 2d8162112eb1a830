// A drawing surface over QPainter: the screen, an image or the printer. Rectangles are in
// the painter's logical coordinates, so a printer canvas with a metric mapping draws in
// its own units.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <functional>

#include "picture/Graphic.h"

class QPainter;

// How stretched bitmaps are resampled: as GDI's stretch modes, mapped to QPainter's
// fast (nearest pixel) and smooth transformations.
enum class TStretchMode { BlackOnWhite, DeleteScans, Halftone };

class TCanvas {
public:
    // Draws through the painter; depth and resolution are those of the painter's device.
    explicit TCanvas(QPainter& painter);
    // bitsPerPixel: the depth of the device behind the painter (bits per pixel × planes).
    TCanvas(QPainter& painter, int bitsPerPixel);

    QPainter& Painter() { return Painter_; }
    int BitsPerPixel() const { return BitsPerPixel_; }

    // Draws the graphic into the rectangle; nothing at all for none.
    void DrawStretched(const TRect& rect, TGraphic* graphic);
    // Draws the graphic at its own size with its top-left corner at (x, y).
    void DrawAt(int x, int y, TGraphic* graphic);

    // Copies an image into the rectangle with the current stretch mode.
    void StretchDraw(const TRect& rect, const QImage& image);

    TStretchMode StretchMode() const { return StretchMode_; }
    void SetStretchMode(TStretchMode mode) { StretchMode_ = mode; }

    QColor BrushColor = Qt::white;
    QFont Font;
    std::function<void()> OnChanging;
    std::function<void()> OnChange;

private:
    QPainter& Painter_;
    int BitsPerPixel_;
    TStretchMode StretchMode_ = TStretchMode::BlackOnWhite;
};

// The colour depth of the screen, as GDI reports bits per pixel × planes.
int ScreenBitsPerPixel();
