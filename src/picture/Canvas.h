// A drawing surface over QPainter: the screen, an image, a PDF file or the printer.
// Coordinates are the painter's logical ones, so a printer canvas with a metric mapping
// draws in its own units. The canvas keeps its own font, pen and brush, which outlive any
// one painter; a canvas without a device refuses to draw.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <functional>
#include <string>

#include "picture/Graphic.h"
#include "toolkit/Translation.h"

class QPainter;

namespace Msg {
inline constexpr TMsg CannotDraw{QT_TRANSLATE_NOOP("Msg", "Leinwand/Bild erlaubt kein Zeichnen")};
}

// How stretched bitmaps are resampled: as GDI's stretch modes, mapped to QPainter's
// fast (nearest pixel) and smooth transformations.
enum class TStretchMode { BlackOnWhite, DeleteScans, Halftone };

enum class TPenStyle { psSolid, psDash };

struct TPen {
    QColor Color = Qt::black;
    int Width = 1; // in logical units; 0 draws one device pixel wide
    TPenStyle Style = TPenStyle::psSolid;
};

struct TBrush {
    QColor Color = Qt::white;
};

enum class TFontPitch { fpDefault, fpVariable, fpFixed };

struct TFontStyles {
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    bool operator==(const TFontStyles&) const = default;
};

// A font as a device context sees it: a face name and a height in the device's units,
// negative for the character height without internal leading. The size in points is
// derived from the height through the font's pixels per inch.
class TFont {
public:
    std::string Name = "MS Sans Serif";
    QColor Color = Qt::black;
    int Height = -11;
    TFontPitch Pitch = TFontPitch::fpDefault;
    TFontStyles Style;
    int CharSet = 1; // the default character set
    int PixelsPerInch = 96;

    int Size() const;
    void SetSize(int points);
    // Copies colour, height, face name, pitch, size and style, in that order: the size,
    // taken after the height, decides the height at this font's resolution. The character
    // set stays.
    void Assign(const TFont& source);

    // The font for QPainter in the units the height is given in.
    QFont ToQFont() const;
};

class TCanvas {
public:
    // A canvas with no device: every drawing fails with EInvalidOperation.
    TCanvas() = default;
    // Draws through the painter; depth and resolution are those of the painter's device.
    explicit TCanvas(QPainter& painter) : Painter_(&painter) {}
    virtual ~TCanvas() = default;
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    // The painter to draw with; fails when there is no device to draw on.
    QPainter& Painter() { return Handle(); }

    // The depth of the device: bits per pixel.
    int BitsPerPixel();
    // The device's resolution in pixels per inch.
    int PixelsPerInchX();
    int PixelsPerInchY();
    // The size in device pixels that a logical rectangle covers.
    QSizeF DeviceSize(const TRect& rect);

    // On a printer or PDF device, the device pixels a logical rectangle covers, each side
    // rounded up to whole pixels: the most any picture drawn into it can show there. An
    // empty size on other devices, which take a picture's pixels as they are.
    QSize PrintedPixels(const TRect& rect);

    // Draws the graphic into the rectangle; nothing at all for none.
    void DrawStretched(const TRect& rect, TGraphic* graphic);
    // Draws the graphic at its own size with its top-left corner at (x, y).
    void DrawAt(int x, int y, TGraphic* graphic);
    // Copies an image into the rectangle with the current stretch mode. On a printer or
    // PDF device an image larger than the rectangle's device pixels is first scaled down
    // smoothly, so the job carries what the device can show and no more.
    void StretchDraw(const TRect& rect, const QImage& image);

    // The outline with the pen, the inside filled with the brush; right and bottom are
    // the outline's far edges.
    void Rectangle(const TRect& rect);
    void MoveTo(int x, int y);
    // A line with the pen from the current position, which then moves to (x, y).
    void LineTo(int x, int y);
    // One line of text with the font, its cell's top-left corner at (x, y).
    void TextOut(int x, int y, const std::string& text);

    TStretchMode StretchMode() const { return StretchMode_; }
    void SetStretchMode(TStretchMode mode) { StretchMode_ = mode; }

    TFont Font;
    TPen Pen;
    TBrush Brush;
    std::function<void()> OnChanging;
    std::function<void()> OnChange;

protected:
    // The painter of the device, or the failure of drawing without one.
    virtual QPainter& Handle();

private:
    QPainter* Painter_ = nullptr;
    QPoint PenPos_;
    TStretchMode StretchMode_ = TStretchMode::BlackOnWhite;
};

// The colour depth of the screen, as GDI reports bits per pixel × planes.
int ScreenBitsPerPixel();
