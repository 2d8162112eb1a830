// The device context that metafile records play into: mapping mode, window and viewport,
// world transform, selected pen, brush and font, the object table, the save stack, the
// clipping region and the path. Enhanced and Windows metafile records both end up here;
// it draws through QPainter in the painter's own coordinates.
#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QString>
#include <QTransform>
#include <array>
#include <bitset>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <variant>
#include <vector>

namespace Gdi {
// Mapping modes.
enum {
    MM_TEXT = 1,
    MM_LOMETRIC,
    MM_HIMETRIC,
    MM_LOENGLISH,
    MM_HIENGLISH,
    MM_TWIPS,
    MM_ISOTROPIC,
    MM_ANISOTROPIC
};
// Pen styles, end caps, joins and types.
enum : uint32_t {
    PS_SOLID = 0,
    PS_DASH,
    PS_DOT,
    PS_DASHDOT,
    PS_DASHDOTDOT,
    PS_NULL,
    PS_INSIDEFRAME,
    PS_USERSTYLE,
    PS_ALTERNATE,
    PS_STYLE_MASK = 0xF,
    PS_ENDCAP_SQUARE = 0x100,
    PS_ENDCAP_FLAT = 0x200,
    PS_ENDCAP_MASK = 0xF00,
    PS_JOIN_BEVEL = 0x1000,
    PS_JOIN_MITER = 0x2000,
    PS_JOIN_MASK = 0xF000,
    PS_GEOMETRIC = 0x10000
};
// Brush styles.
enum : uint32_t {
    BS_SOLID = 0,
    BS_NULL = 1,
    BS_HATCHED = 2,
    BS_PATTERN = 3,
    BS_DIBPATTERN = 5,
    BS_DIBPATTERNPT = 6
};
// Background modes, fill modes, text alignment, text output options.
enum { TRANSPARENT = 1, OPAQUE = 2 };
enum { ALTERNATE = 1, WINDING = 2 };
enum : uint32_t {
    TA_UPDATECP = 1,
    TA_RIGHT = 2,
    TA_CENTER = 6,
    TA_HMASK = 6,
    TA_BOTTOM = 8,
    TA_BASELINE = 24,
    TA_VMASK = 24
};
enum : uint32_t { ETO_OPAQUE = 2, ETO_CLIPPED = 4, ETO_GLYPH_INDEX = 0x10, ETO_PDY = 0x2000 };
// Binary raster operations that change what is drawn.
enum { R2_BLACK = 1, R2_NOP = 11, R2_COPYPEN = 13, R2_WHITE = 16 };
// Region combination modes.
enum { RGN_AND = 1, RGN_OR, RGN_XOR, RGN_DIFF, RGN_COPY };
// World transform modification modes.
enum { MWT_IDENTITY = 1, MWT_LEFTMULTIPLY, MWT_RIGHTMULTIPLY, MWT_SET };
// Ternary raster operations the player knows.
enum : uint32_t {
    SRCCOPY = 0xCC0020,
    SRCPAINT = 0xEE0086,
    SRCAND = 0x8800C6,
    SRCINVERT = 0x660046,
    PATCOPY = 0xF00021,
    PATINVERT = 0x5A0049,
    DSTINVERT = 0x550009,
    BLACKNESS = 0x42,
    WHITENESS = 0xFF0062,
    NOTSRCCOPY = 0x330008,
    MERGECOPY = 0xC000CA,
    DSPDXAX = 0xE20746
};
} // namespace Gdi

// A colour as metafiles store it: 0x00BBGGRR.
QColor ColorFromRef(uint32_t ref);

// The union of rectangles, as one path.
QPainterPath RectsPath(const std::vector<QRectF>& rects);

// Whether the painter draws into pixels, where raster operations combine with what is
// there. The PDF engine claims raster operations too, but does not carry them out.
bool RasterDevice(const QPainter& painter);

// The rectangle a path outlines, if it is an upright rectangle.
std::optional<QRectF> AsRect(const QPainterPath& path);

// The colour where the mask is white, transparent elsewhere.
QImage Stamp(const QImage& mask, QRgb colour);

// A copy of the image whose pixels of the key colour are transparent.
QImage WithoutColour(const QImage& image, QRgb key);

struct TGdiPen {
    uint32_t Style = Gdi::PS_SOLID;
    double Width = 0; // logical units; 0 is one device pixel
    bool Cosmetic = true;
    bool Plain = false; // made by CreatePen: dashes only where it is one pixel wide
    QColor Color = Qt::black;
    std::vector<double> Dashes; // user style, in logical units
};

struct TGdiBrush {
    uint32_t Style = Gdi::BS_SOLID;
    QColor Color = Qt::white;
    uint32_t Hatch = 0;
    QImage Pattern; // pattern brushes
    // A monochrome pattern draws its 0 bits in the text colour and its 1 bits in the
    // background colour current when it is used.
    bool Monochrome = false;
};

struct TGdiFont {
    int Height = 0;
    int Width = 0;
    int Escapement = 0; // tenths of a degree, counter-clockwise
    int Weight = 400;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    uint8_t Charset = 0;
    uint8_t PitchAndFamily = 0;
    QString Face;
};

struct TGdiPalette {};

struct TGdiRegion {
    std::vector<QRectF> Rects;
};

using TGdiObject =
    std::variant<std::monostate, TGdiPen, TGdiBrush, TGdiFont, TGdiPalette, TGdiRegion>;

// A font made for text at one size in painter units, with what text needs of it.
struct TLaidFont {
    QFont Font;
    QFontMetricsF Metrics;
    std::optional<QRawFont> Raw; // the font the glyphs come from, made when first needed
    // The character cell above and below the baseline, in painter units, as the system
    // measures it for the alignment and the cell height of a font.
    double Ascent = 0;
    double Descent = 0;
    uint32_t FaceId = 0; // the face and style, whatever the size
    // The glyph and the advance of each Latin-1 character, in font units, found when first
    // drawn: most text is of these, and asking the font for each again cost more than
    // drawing it.
    struct TLatin {
        std::array<quint32, 256> Glyph{};
        std::array<double, 256> Advance{};
        std::bitset<256> Known;
    };
    std::unique_ptr<TLatin> Latin;
};

// A glyph's outline in em units, with the rectangle its control points span.
struct TGlyphOutline {
    QPainterPath Em;
    QRectF Bounds;
};

// Text to draw at a reference point, with optional spacing per character.
struct TGdiText {
    QPointF Reference;
    QString Text;
    // 8-bit characters, read in the font's character set when drawn: a view of the record.
    std::span<const uint8_t> Bytes;
    std::vector<double> Dx; // advance of each character (or byte) in logical units, or empty
    uint32_t Options = 0;
    std::optional<QRectF> Rect; // opaque or clipping rectangle, logical units
    bool Advanced = false;      // drawn in the advanced graphics mode
};

class TMetafileDC {
public:
    // device: maps the metafile's device coordinates to the painter's; pixelsPerMM: the
    // reference device's resolution, for the metric mapping modes.
    TMetafileDC(QPainter& painter, const QTransform& device, QSizeF pixelsPerMM);
    ~TMetafileDC();
    TMetafileDC(const TMetafileDC&) = delete;
    TMetafileDC& operator=(const TMetafileDC&) = delete;

    // Windows metafiles are played in the anisotropic mode whatever mode they ask for: their
    // window and viewport records always apply.
    void FixMapping() { MappingFixed_ = true; }
    // Collects the bounds of what would be drawn, in painter coordinates, instead of drawing.
    void Measure() { Measuring_ = true; }
    const QRectF& Bounds() const { return Bounds_; }

    // Object table: enhanced metafiles name the slot, Windows metafiles take the first free.
    void SetTableSize(size_t size);
    void PutObject(uint32_t index, TGdiObject object);
    void AddObject(TGdiObject object);
    void SelectObject(uint32_t index);
    void SelectStockObject(uint32_t stock);
    void DeleteObject(uint32_t index);
    const TGdiObject* Object(uint32_t index) const;

    void SetMapMode(int mode);
    void SetWindowOrg(QPointF org);
    void SetWindowExt(QSizeF ext);
    void SetViewportOrg(QPointF org);
    void SetViewportExt(QSizeF ext);
    void OffsetWindowOrg(QPointF by);
    void OffsetViewportOrg(QPointF by);
    void ScaleWindowExt(double xNum, double xDenom, double yNum, double yDenom);
    void ScaleViewportExt(double xNum, double xDenom, double yNum, double yDenom);
    void SetWorldTransform(const QTransform& transform);
    void ModifyWorldTransform(const QTransform& transform, int mode);
    void SaveDC();
    void RestoreDC(int which);

    void SetTextColor(uint32_t ref) { S_.TextColor = ColorFromRef(ref); }
    void SetBkColor(uint32_t ref) { S_.BkColor = ColorFromRef(ref); }
    void SetBkMode(int mode) { S_.BkMode = mode; }
    void SetPolyFillMode(int mode) { S_.PolyFill = mode; }
    void SetTextAlign(uint32_t align) { S_.TextAlign = align; }
    void SetRop2(int rop) { S_.Rop2 = rop; }
    void SetArcDirection(bool clockwise) { S_.Clockwise = clockwise; }
    void SetMiterLimit(double limit) { S_.MiterLimit = limit; }
    void SetTextCharExtra(int extra) { S_.CharExtra = extra; }

    void MoveTo(QPointF p);
    void LineTo(QPointF p);
    void Polyline(const std::vector<QPointF>& points);
    void PolylineTo(const std::vector<QPointF>& points);
    void PolyBezier(const std::vector<QPointF>& points);
    void PolyBezierTo(const std::vector<QPointF>& points);
    void PolyPolygon(const std::vector<std::vector<QPointF>>& polygons);
    void PolyPolyline(const std::vector<std::vector<QPointF>>& polylines);
    void Rectangle(const QRectF& r);
    void RoundRect(const QRectF& r, QSizeF corner);
    void Ellipse(const QRectF& r);
    enum class TArcKind { Arc, Chord, Pie, ArcTo };
    void Arc(TArcKind kind, const QRectF& box, QPointF start, QPointF end);
    void AngleArc(QPointF center, double radius, double start, double sweep);
    void SetPixel(QPointF p, uint32_t ref);
    void FillRects(const std::vector<QRectF>& rects, const TGdiBrush& brush);
    void PaintRects(const std::vector<QRectF>& rects) { FillRects(rects, S_.Brush); }
    // Fills a figure in logical units with a brush of its own, without pen or raster operation.
    void FillLogical(const QPainterPath& logical, const QBrush& brush);
    void FrameRects(const std::vector<QRectF>& rects, const TGdiBrush& brush, QSizeF size);
    void Text(const TGdiText& text);
    // Pattern fills and the raster operations without a source: blackness, whiteness, patcopy.
    void PatBlt(const QRectF& r, uint32_t rop);
    // A bitmap stretched into a rectangle with a raster operation.
    void DrawImage(const QRectF& dest, const QImage& image, const QRectF& source, uint32_t rop,
                   double opacity = 1);

    void BeginPath();
    void EndPath() { InPath_ = false; }
    void AbortPath();
    void CloseFigure();
    void FillPath();
    void StrokePath();
    void StrokeAndFillPath();
    void SelectClipPath(int mode);

    void IntersectClipRect(const QRectF& r);
    void ExcludeClipRect(const QRectF& r);
    void OffsetClip(QPointF by);
    // rects in device coordinates; none with RGN_COPY resets the clipping.
    void SelectClipRegion(const std::vector<QRectF>& deviceRects, int mode);
    void SetMetaRegion();

private:
    struct TState {
        int MapMode = Gdi::MM_TEXT;
        QPointF WindowOrg, ViewportOrg;
        QSizeF WindowExt{1, 1}, ViewportExt{1, 1};
        QTransform World;
        TGdiPen Pen;
        TGdiBrush Brush;
        TGdiFont Font;
        QColor TextColor = Qt::black;
        QColor BkColor = Qt::white;
        int BkMode = Gdi::OPAQUE;
        int PolyFill = Gdi::ALTERNATE;
        uint32_t TextAlign = 0;
        int Rop2 = Gdi::R2_COPYPEN;
        bool Clockwise = false;
        double MiterLimit = 10;
        int CharExtra = 0;
        QPointF Current;
        std::optional<QPainterPath> Clip; // painter coordinates; none: no clipping
        std::optional<QPainterPath> Meta;
    };

    QTransform Page() const;
    QTransform Full() const { return S_.World * Page() * Device_; }
    void FixIsotropic();
    void Draw(const QPainterPath& logical, bool fill, bool stroke, bool connect = false);
    void AppendFigure(const QPainterPath& figure, bool connected);
    void FillDevice(const QPainterPath& path, const TGdiBrush& brush);
    bool DrawingSuppressed() const { return S_.Rop2 == Gdi::R2_NOP; }
    bool Measured(const QRectF& painterRect);
    QPainter::CompositionMode Rop2Mode() const;
    double DeviceScale(const QTransform& full) const;
    QPen MakePen(const QTransform& full) const;
    QBrush MakeBrush(const TGdiBrush& brush, const QTransform& full) const;
    void SetClip(std::optional<QPainterPath> clip);
    void ApplyClip();
    void Use(const QTransform& transform);
    // face: the face that stands in for the logical font's (DrawnFace).
    const TLaidFont& LayoutFont(const TGdiFont& font, const QString& face, int pixels);
    double CellHeight(const TGdiFont& font, const QString& face, int pixels);
    void OpaqueTextRect(const TGdiText& t, const QTransform& full);
    const QRawFont& Glyphs();
    const QList<quint32>& TextGlyphs(const QString& text);
    std::pair<quint32, double> CharGlyph(QChar c);
    void FontAdvances(const QString& text, std::vector<double>& advances);
    static bool NeedsShaping(const QString& text);
    bool DrawGlyphs(const QString& text, QPointF at, const std::vector<double>& x);
    // within: where glyphs can be seen, in the coordinates of at; the others are left out.
    QPainterPath TextOutlines(const QString& text, QPointF at, const std::vector<double>& x,
                              const std::optional<QRectF>& within = std::nullopt);
    std::optional<QRectF> Shown(const QTransform& device) const;
    QTransform PlaceText(const TGdiText& t, QPointF reference, const QTransform& full,
                         QSizeF unitsPerFontUnit) const;
    // text: the record's characters as read; t.Dx is empty when the record gives no advances.
    void DrawText(const TGdiText& t, const QString& text, const QFont& font,
                  const QTransform& placed, QPointF at, const QRectF& box,
                  const std::vector<double>& x);
    QPainterPath ArcPath(TArcKind kind, const QRectF& box, QPointF start, QPointF end,
                         QPointF* arcEnd) const;

    QPainter& Painter_;
    QTransform Origin_;     // the painter's own transform when playback began, for figures
    QTransform TextOrigin_; // the same without the shift that rounds figures as the system does
    QTransform Device_;
    QSizeF PixelsPerMM_;
    bool MappingFixed_ = false;
    TState S_;
    std::vector<TState> Saved_;
    size_t TableSize_ = 0;
    std::vector<TGdiObject> Objects_; // the slots up to the last one used
    bool InPath_ = false;
    bool FigureOpen_ = false;
    QPainterPath Path_; // painter coordinates
    bool ClipDirty_ = false;
    std::shared_ptr<TLaidFont> Font_; // the font of the last text
    // Kept from one record to the next so that lines and text make no new ones each time.
    QPainterPath Line_;
    QPen TextPen_;
    std::vector<double> TextX_;
    std::vector<double> TextAdvances_; // of the font, for characters given none
    QList<quint32> TextGlyphs_;        // of the text record being drawn, in its font
    bool TextGlyphsKnown_ = false;
    QString TextChars_;          // the characters of 8-bit or glyph-number text
    std::vector<double> TextDx_; // and their advances, one per character
    bool Measuring_ = false;
    QRectF Bounds_;
};
