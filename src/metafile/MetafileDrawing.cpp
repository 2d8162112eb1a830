// The drawing half of the device context: pens and brushes as QPainter's, figures, pixels,
// region fills, bitmaps and text.
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPaintEngine>
#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <tuple>

#include "metafile/Charsets.h"
#include "metafile/MetafileDC.h"
#include "metafile/SpareFaces.h"
#include "toolkit/ImageDrawing.h"

namespace {

// Fonts are made at a whole number of painter units, as the system makes them at whole
// pixels, and within these bounds; what is left over is a scale.
constexpr double MinFontPixels = 1;
constexpr double MaxFontPixels = 2048;
// Larger glyphs on the device are drawn as outlines.
constexpr double MaxGlyphPixels = 256;
// Fonts kept from one text to the next, and from one playback to the next.
constexpr size_t MaxKeptFonts = 32;
// Glyph outlines kept from one text to the next, and from one playback to the next.
constexpr size_t MaxKeptOutlines = 4096;
// Faces whose presence on the system is remembered.
constexpr size_t MaxKnownFaces = 256;

double Length(QPointF v) {
    return std::hypot(v.x(), v.y());
}

} // namespace

// Pens and brushes -----------------------------------------------------------------------

// Device pixels per logical unit along the logical x axis.
double TMetafileDC::DeviceScale(const QTransform& full) const {
    bool invertible = false;
    const QTransform world = Painter_.worldTransform().inverted(&invertible);
    const QTransform toDevice =
        full * Origin_ * (invertible ? world * Painter_.combinedTransform() : QTransform());
    return Length(toDevice.map(QPointF(1, 0)) - toDevice.map(QPointF()));
}

QPen TMetafileDC::MakePen(const QTransform& full) const {
    const TGdiPen& p = S_.Pen;
    uint32_t style = p.Style & Gdi::PS_STYLE_MASK;
    if (style == Gdi::PS_NULL)
        return Qt::NoPen;
    // A pen's width is a distance along the logical x axis, drawn on the device as a whole
    // number of pixels and as wide in every direction; narrower than a pixel, it draws one
    // pixel wide.
    double pixels = p.Width * DeviceScale(full);
    // A Windows metafile's pens are first made on the reference device, in its whole pixels.
    const double onReference = p.Width * Length(Page().map(QPointF(1, 0)) - Page().map(QPointF()));
    if (MappingFixed_ && onReference > 0)
        pixels *= std::round(onReference) / onReference;
    bool thin = p.Cosmetic || pixels < 1.0;
    // A plain pen that comes out more than one whole pixel wide draws its dash styles
    // solid; narrower, it draws them with the one-pixel pen's pattern.
    if (p.Plain && style >= Gdi::PS_DASH && style <= Gdi::PS_DASHDOTDOT) {
        if (std::round(pixels) > 1)
            style = Gdi::PS_SOLID;
        else
            thin = true;
    }
    QColor color = p.Color;
    if (S_.Rop2 == Gdi::R2_BLACK)
        color = Qt::black;
    else if (S_.Rop2 == Gdi::R2_WHITE)
        color = Qt::white;
    QPen pen(color);
    pen.setWidthF(thin ? 0 : std::max(1.0, std::round(pixels)));
    pen.setCosmetic(true);
    // Dashes are counted in pen widths; a one-pixel pen has longer ones than a wide pen.
    const bool wide = !thin;
    switch (style) {
    case Gdi::PS_DASH:
        pen.setDashPattern(wide ? QList<qreal>{3, 1} : QList<qreal>{18, 6});
        break;
    case Gdi::PS_DOT:
    case Gdi::PS_ALTERNATE:
        pen.setDashPattern(wide ? QList<qreal>{1, 1} : QList<qreal>{3, 3});
        break;
    case Gdi::PS_DASHDOT:
        pen.setDashPattern(wide ? QList<qreal>{3, 1, 1, 1} : QList<qreal>{9, 6, 3, 6});
        break;
    case Gdi::PS_DASHDOTDOT:
        pen.setDashPattern(wide ? QList<qreal>{3, 1, 1, 1, 1, 1} : QList<qreal>{9, 3, 3, 3, 3, 3});
        break;
    case Gdi::PS_USERSTYLE: {
        // Entries of a wide pen are logical units. An odd number of entries repeats, so
        // that dashes and gaps take turns.
        QList<qreal> pattern;
        const double unit = wide ? pen.widthF() * p.Width / pixels : 1;
        for (const double dash : p.Dashes)
            pattern << std::max(dash / unit, 0.01);
        if (pattern.size() % 2)
            pattern << pattern;
        if (!pattern.isEmpty())
            pen.setDashPattern(pattern);
        break;
    }
    default:
        break;
    }
    switch (p.Style & Gdi::PS_ENDCAP_MASK) {
    case Gdi::PS_ENDCAP_SQUARE:
        pen.setCapStyle(Qt::SquareCap);
        break;
    case Gdi::PS_ENDCAP_FLAT:
        pen.setCapStyle(Qt::FlatCap);
        break;
    default:
        pen.setCapStyle(Qt::RoundCap);
        break;
    }
    switch (p.Style & Gdi::PS_JOIN_MASK) {
    case Gdi::PS_JOIN_BEVEL:
        pen.setJoinStyle(Qt::BevelJoin);
        break;
    case Gdi::PS_JOIN_MITER:
        pen.setJoinStyle(Qt::MiterJoin);
        pen.setMiterLimit(S_.MiterLimit);
        break;
    default:
        pen.setJoinStyle(Qt::RoundJoin);
        break;
    }
    return pen;
}

QBrush TMetafileDC::MakeBrush(const TGdiBrush& b, const QTransform& full) const {
    QColor color = b.Color;
    if (S_.Rop2 == Gdi::R2_BLACK)
        color = Qt::black;
    else if (S_.Rop2 == Gdi::R2_WHITE)
        color = Qt::white;
    QBrush brush;
    switch (b.Style) {
    case Gdi::BS_SOLID:
        return QBrush(color);
    case Gdi::BS_HATCHED: {
        static constexpr Qt::BrushStyle Hatches[] = {Qt::HorPattern,   Qt::VerPattern,
                                                     Qt::FDiagPattern, Qt::BDiagPattern,
                                                     Qt::CrossPattern, Qt::DiagCrossPattern};
        brush = QBrush(color, b.Hatch < 6 ? Hatches[b.Hatch] : Qt::SolidPattern);
        break;
    }
    case Gdi::BS_PATTERN:
    case Gdi::BS_DIBPATTERN:
    case Gdi::BS_DIBPATTERNPT:
        if (b.Pattern.isNull())
            return QBrush(color);
        if (b.Monochrome) {
            QImage pattern = b.Pattern.convertToFormat(QImage::Format_Mono);
            pattern.setColorTable({S_.TextColor.rgb(), S_.BkColor.rgb()});
            brush = QBrush(pattern);
        } else {
            brush = QBrush(b.Pattern);
        }
        break;
    default:
        return Qt::NoBrush;
    }
    // Hatches and patterns keep their size and alignment on the device, whatever the mapping.
    if (full.isInvertible())
        brush.setTransform(full.inverted());
    return brush;
}

// Drawing ---------------------------------------------------------------------------------

// The binary raster operation of pens and fills. QPainter combines with what is there only on
// raster devices; elsewhere pens and brushes are drawn plainly (black and white aside, which
// MakePen and MakeBrush take care of).
QPainter::CompositionMode TMetafileDC::Rop2Mode() const {
    static constexpr QPainter::CompositionMode Modes[] = {
        QPainter::CompositionMode_SourceOver,          // 0: not used
        QPainter::CompositionMode_SourceOver,          // R2_BLACK
        QPainter::RasterOp_NotSourceAndNotDestination, // R2_NOTMERGEPEN
        QPainter::RasterOp_NotSourceAndDestination,    // R2_MASKNOTPEN
        QPainter::RasterOp_NotSource,                  // R2_NOTCOPYPEN
        QPainter::RasterOp_SourceAndNotDestination,    // R2_MASKPENNOT
        QPainter::RasterOp_NotDestination,             // R2_NOT
        QPainter::RasterOp_SourceXorDestination,       // R2_XORPEN
        QPainter::RasterOp_NotSourceOrNotDestination,  // R2_NOTMASKPEN
        QPainter::RasterOp_SourceAndDestination,       // R2_MASKPEN
        QPainter::RasterOp_NotSourceXorDestination,    // R2_NOTXORPEN
        QPainter::CompositionMode_SourceOver,          // R2_NOP
        QPainter::RasterOp_NotSourceOrDestination,     // R2_MERGENOTPEN
        QPainter::CompositionMode_SourceOver,          // R2_COPYPEN
        QPainter::RasterOp_SourceOrNotDestination,     // R2_MERGEPENNOT
        QPainter::RasterOp_SourceOrDestination,        // R2_MERGEPEN
        QPainter::CompositionMode_SourceOver};         // R2_WHITE
    const bool raster = RasterDevice(Painter_);
    if (!raster || S_.Rop2 < 0 || S_.Rop2 > Gdi::R2_WHITE)
        return QPainter::CompositionMode_SourceOver;
    return Modes[S_.Rop2];
}

// While measuring, takes the rectangle into the bounds and tells the caller to draw nothing.
bool TMetafileDC::Measured(const QRectF& painterRect) {
    if (!Measuring_)
        return false;
    // A point or a line along an axis still counts, as a rectangle of no size.
    const QRectF r = painterRect.normalized().adjusted(0, 0, 1e-9, 1e-9);
    Bounds_ = Bounds_.isNull() ? r : Bounds_.united(r);
    return true;
}

void TMetafileDC::Use(const QTransform& transform) {
    ApplyClip();
    Painter_.setWorldTransform(transform * Origin_);
}

// Adds a figure to the open path, continuing the path's last figure when connected. Done
// element by element: QPainterPath's own joining can leave the start of the last figure
// elsewhere, so that closing it draws a line across the picture.
void TMetafileDC::AppendFigure(const QPainterPath& figure, bool connected) {
    for (int i = 0; i < figure.elementCount(); ++i) {
        const QPainterPath::Element e = figure.elementAt(i);
        if (e.isMoveTo()) {
            if (i == 0 && connected && Path_.elementCount() > 0) {
                if (Path_.currentPosition() != QPointF(e))
                    Path_.lineTo(e);
            } else {
                Path_.moveTo(e);
            }
        } else if (e.isLineTo()) {
            Path_.lineTo(e);
        } else if (e.isCurveTo() && i + 2 < figure.elementCount()) {
            Path_.cubicTo(e, figure.elementAt(i + 1), figure.elementAt(i + 2));
            i += 2;
        }
    }
}

// Fills and strokes a figure given in logical units, or adds it to the open path.
void TMetafileDC::Draw(const QPainterPath& logical, bool fill, bool stroke, bool connect) {
    const QTransform full = Full();
    if (InPath_) {
        AppendFigure(full.map(logical), connect && FigureOpen_);
        FigureOpen_ = true;
        return;
    }
    if (DrawingSuppressed())
        return;
    QPainterPath path = logical;
    path.setFillRule(S_.PolyFill == Gdi::WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    if (Measuring_) {
        const bool pen = stroke && (S_.Pen.Style & Gdi::PS_STYLE_MASK) != Gdi::PS_NULL;
        const double pad = pen ? S_.Pen.Width * std::sqrt(std::abs(full.determinant())) / 2 : 0;
        Measured(full.map(path).boundingRect().adjusted(-pad, -pad, pad, pad));
        return;
    }
    Use(full);
    Painter_.setCompositionMode(Rop2Mode());
    if (fill && S_.Brush.Style != Gdi::BS_NULL) {
        if (S_.Brush.Style == Gdi::BS_HATCHED && S_.BkMode == Gdi::OPAQUE)
            Painter_.fillPath(path, S_.BkColor);
        Painter_.fillPath(path, MakeBrush(S_.Brush, full));
    }
    if (stroke) {
        const QPen pen = MakePen(full);
        if (pen.style() != Qt::NoPen) {
            Painter_.setPen(pen);
            Painter_.setBrush(Qt::NoBrush);
            Painter_.drawPath(path);
        }
    }
    Painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TMetafileDC::MoveTo(QPointF p) {
    S_.Current = p;
    if (InPath_) {
        Path_.moveTo(Full().map(p));
        FigureOpen_ = true;
    }
}

void TMetafileDC::LineTo(QPointF p) {
    Line_.clear();
    Line_.moveTo(S_.Current);
    Line_.lineTo(p);
    S_.Current = p;
    Draw(Line_, false, true, true);
}

void TMetafileDC::Polyline(const std::vector<QPointF>& points) {
    if (points.size() < 2)
        return;
    QPainterPath path(points[0]);
    for (size_t i = 1; i < points.size(); ++i)
        path.lineTo(points[i]);
    Draw(path, false, true);
}

void TMetafileDC::PolylineTo(const std::vector<QPointF>& points) {
    if (points.empty())
        return;
    QPainterPath path(S_.Current);
    for (const QPointF& p : points)
        path.lineTo(p);
    S_.Current = points.back();
    Draw(path, false, true, true);
}

void TMetafileDC::PolyBezier(const std::vector<QPointF>& points) {
    if (points.size() < 4)
        return;
    QPainterPath path(points[0]);
    for (size_t i = 1; i + 2 < points.size(); i += 3)
        path.cubicTo(points[i], points[i + 1], points[i + 2]);
    Draw(path, false, true);
}

void TMetafileDC::PolyBezierTo(const std::vector<QPointF>& points) {
    if (points.size() < 3)
        return;
    QPainterPath path(S_.Current);
    size_t i = 0;
    for (; i + 2 < points.size(); i += 3)
        path.cubicTo(points[i], points[i + 1], points[i + 2]);
    S_.Current = points[i - 1];
    Draw(path, false, true, true);
}

void TMetafileDC::PolyPolygon(const std::vector<std::vector<QPointF>>& polygons) {
    QPainterPath path;
    for (const auto& polygon : polygons) {
        if (polygon.size() < 2)
            continue;
        path.moveTo(polygon[0]);
        for (size_t i = 1; i < polygon.size(); ++i)
            path.lineTo(polygon[i]);
        path.closeSubpath();
    }
    Draw(path, true, true);
}

void TMetafileDC::PolyPolyline(const std::vector<std::vector<QPointF>>& polylines) {
    QPainterPath path;
    for (const auto& line : polylines) {
        if (line.size() < 2)
            continue;
        path.moveTo(line[0]);
        for (size_t i = 1; i < line.size(); ++i)
            path.lineTo(line[i]);
    }
    Draw(path, false, true);
}

void TMetafileDC::Rectangle(const QRectF& r) {
    QPainterPath path;
    path.addRect(r.normalized());
    Draw(path, true, true);
}

void TMetafileDC::RoundRect(const QRectF& r, QSizeF corner) {
    QPainterPath path;
    path.addRoundedRect(r.normalized(), std::abs(corner.width()) / 2,
                        std::abs(corner.height()) / 2);
    Draw(path, true, true);
}

void TMetafileDC::Ellipse(const QRectF& r) {
    QPainterPath path;
    path.addEllipse(r.normalized());
    Draw(path, true, true);
}

// The arc runs from where the ray from the centre through start meets the ellipse to where
// the ray through end does, counter-clockwise on the device unless set otherwise.
QPainterPath TMetafileDC::ArcPath(TArcKind kind, const QRectF& box, QPointF start, QPointF end,
                                  QPointF* arcEnd) const {
    const QRectF r = box.normalized();
    const QPointF c = r.center();
    const double rx = r.width() / 2, ry = r.height() / 2;
    QPainterPath path;
    if (rx <= 0 || ry <= 0)
        return path;
    const auto angle = [&](QPointF p) {
        return std::atan2(-(p.y() - c.y()) / ry, (p.x() - c.x()) / rx) * 180 / std::numbers::pi;
    };
    const double a1 = angle(start), a2 = angle(end);
    bool clockwise = S_.Clockwise;
    if (Full().determinant() < 0)
        clockwise = !clockwise;
    double sweep = clockwise ? -(std::fmod(a1 - a2 + 720, 360.0)) : std::fmod(a2 - a1 + 720, 360.0);
    if (sweep == 0)
        sweep = clockwise ? -360 : 360;
    if (kind == TArcKind::Pie)
        path.moveTo(c);
    else if (kind == TArcKind::ArcTo)
        path.moveTo(S_.Current);
    else
        path.arcMoveTo(r, a1);
    path.arcTo(r, a1, sweep);
    if (arcEnd)
        *arcEnd = path.currentPosition();
    if (kind == TArcKind::Pie || kind == TArcKind::Chord)
        path.closeSubpath();
    return path;
}

void TMetafileDC::Arc(TArcKind kind, const QRectF& box, QPointF start, QPointF end) {
    QPointF arcEnd;
    const QPainterPath path = ArcPath(kind, box, start, end, &arcEnd);
    if (path.isEmpty())
        return;
    const bool closed = kind == TArcKind::Pie || kind == TArcKind::Chord;
    if (kind == TArcKind::ArcTo)
        S_.Current = arcEnd;
    Draw(path, closed, true, kind == TArcKind::ArcTo);
}

void TMetafileDC::AngleArc(QPointF center, double radius, double start, double sweep) {
    const QRectF r(center.x() - radius, center.y() - radius, 2 * radius, 2 * radius);
    QPainterPath path(S_.Current);
    path.arcTo(r, start, sweep);
    S_.Current = path.currentPosition();
    Draw(path, false, true, true);
}

void TMetafileDC::SetPixel(QPointF p, uint32_t ref) {
    if (InPath_ || DrawingSuppressed())
        return;
    const QPointF at = Full().map(p);
    if (Measured(QRectF(at, QSizeF(0, 0))))
        return;
    Use(QTransform());
    Painter_.fillRect(QRectF(std::floor(at.x()), std::floor(at.y()), 1, 1), ColorFromRef(ref));
}

void TMetafileDC::FillDevice(const QPainterPath& path, const TGdiBrush& brush) {
    if (brush.Style == Gdi::BS_NULL || Measured(path.boundingRect()))
        return;
    Use(QTransform());
    if (brush.Style == Gdi::BS_HATCHED && S_.BkMode == Gdi::OPAQUE)
        Painter_.fillPath(path, S_.BkColor);
    // Upright rectangles, the most common fill, take QPainter's much faster way.
    if (const std::optional<QRectF> rect = AsRect(path))
        Painter_.fillRect(*rect, MakeBrush(brush, QTransform()));
    else
        Painter_.fillPath(path, MakeBrush(brush, QTransform()));
}

void TMetafileDC::FillLogical(const QPainterPath& logical, const QBrush& brush) {
    if (InPath_ || DrawingSuppressed())
        return;
    const QTransform full = Full();
    if (Measured(full.map(logical).boundingRect()))
        return;
    Use(full);
    Painter_.fillPath(logical, brush);
}

void TMetafileDC::FillRects(const std::vector<QRectF>& rects, const TGdiBrush& brush) {
    if (InPath_ || DrawingSuppressed())
        return;
    FillDevice(Full().map(RectsPath(rects)), brush);
}

void TMetafileDC::FrameRects(const std::vector<QRectF>& rects, const TGdiBrush& brush,
                             QSizeF size) {
    if (InPath_ || DrawingSuppressed())
        return;
    const QTransform full = Full();
    const QPainterPath region = full.map(RectsPath(rects));
    // The frame is the region less the region moved inwards by the frame's size.
    const QPointF d = full.map(QPointF(size.width(), size.height())) - full.map(QPointF(0, 0));
    const double dx = std::abs(d.x()), dy = std::abs(d.y());
    QPainterPath inner = region;
    for (const QPointF shift : {QPointF(dx, 0), QPointF(-dx, 0), QPointF(0, dy), QPointF(0, -dy)})
        inner = inner.intersected(region.translated(shift));
    FillDevice(region.subtracted(inner), brush);
}

void TMetafileDC::PatBlt(const QRectF& r, uint32_t rop) {
    if (InPath_)
        return;
    const QPainterPath device = Full().map([&] {
        QPainterPath p;
        p.addRect(r.normalized());
        return p;
    }());
    TGdiBrush brush = S_.Brush;
    switch (rop) {
    case Gdi::BLACKNESS:
        brush = TGdiBrush{Gdi::BS_SOLID, Qt::black, 0, {}};
        break;
    case Gdi::WHITENESS:
        brush = TGdiBrush{Gdi::BS_SOLID, Qt::white, 0, {}};
        break;
    case Gdi::PATCOPY:
        break;
    default:
        return;
    }
    FillDevice(device, brush);
}

void TMetafileDC::DrawImage(const QRectF& dest, const QImage& image, const QRectF& source,
                            uint32_t rop, double opacity) {
    if (InPath_ || DrawingSuppressed())
        return;
    if (rop == Gdi::BLACKNESS || rop == Gdi::WHITENESS || rop == Gdi::PATCOPY) {
        PatBlt(dest, rop);
        return;
    }
    if (image.isNull() || source.width() == 0 || source.height() == 0)
        return;
    // The source rectangle onto the destination, mirrored where an extent is negative.
    QTransform place = QTransform::fromTranslate(-source.x(), -source.y());
    place *= QTransform::fromScale(dest.width() / source.width(), dest.height() / source.height());
    place *= QTransform::fromTranslate(dest.x(), dest.y());
    if (Measured((place * Full()).mapRect(source.normalized())))
        return;
    Use(place * Full());
    // Raster operations combine with what is there only on raster devices. Elsewhere the
    // usual mask tricks are approximated: a mask ANDed in leaves what is under its white
    // pixels, an image ORed in leaves what is under its black ones.
    const bool raster = RasterDevice(Painter_);
    QImage drawn = image;
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    switch (rop) {
    case Gdi::SRCCOPY:
    case Gdi::MERGECOPY:
        break;
    case Gdi::SRCAND:
        if (raster)
            mode = QPainter::RasterOp_SourceAndDestination;
        else
            drawn = WithoutColour(image, qRgb(255, 255, 255));
        break;
    case Gdi::SRCPAINT:
        if (raster)
            mode = QPainter::RasterOp_SourceOrDestination;
        else
            drawn = WithoutColour(image, qRgb(0, 0, 0));
        break;
    case Gdi::SRCINVERT:
        if (raster)
            mode = QPainter::RasterOp_SourceXorDestination;
        break;
    case Gdi::NOTSRCCOPY:
        drawn = image.convertToFormat(QImage::Format_RGB32);
        drawn.invertPixels();
        break;
    case Gdi::DSPDXAX:
        // The brush where the source is white and what is there elsewhere: labels and
        // symbols stamped through a mask in the brush's colour.
        drawn = Stamp(image, MakeBrush(S_.Brush, Full()).color().rgb());
        break;
    default:
        PatBlt(dest, rop);
        return;
    }
    Painter_.setCompositionMode(mode);
    Painter_.setOpacity(opacity);
    const QRectF from = source.normalized();
    DrawImageUnmirrored(Painter_, from, drawn, from);
    Painter_.setOpacity(1);
    Painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

QImage Stamp(const QImage& mask, QRgb colour) {
    QImage stamp = mask.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < stamp.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(stamp.scanLine(y));
        for (int x = 0; x < stamp.width(); ++x)
            line[x] = (line[x] & 0xFFFFFF) == 0xFFFFFF ? colour : 0;
    }
    return stamp;
}

QImage WithoutColour(const QImage& image, QRgb key) {
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x)
            if ((line[x] & 0xFFFFFF) == (key & 0xFFFFFF))
                line[x] = 0;
    }
    return result;
}

// Text ------------------------------------------------------------------------------------

namespace {

// The face text is drawn in. A face this system does not have is first looked for among the
// spare fonts of its name; failing those, where fontconfig would give its default face, it
// is replaced as the system's font mapper replaces it: by Times New Roman for a roman family,
// Courier New for a fixed pitch or a modern family and Arial otherwise, whose
// metric-compatible stand-ins come with the program. Symbol fonts keep fontconfig's choice.
QString DrawnFace(const TGdiFont& f) {
    QString face = f.Face.isEmpty() ? QStringLiteral("Arial") : f.Face;
    constexpr uint8_t SymbolCharset = 2, FixedPitch = 1, Roman = 0x10, Modern = 0x30;
    // Never destroyed, as the fonts: whether the system has a face is asked once for each
    // of the last few hundred faces.
    struct CaseInsensitiveLess {
        bool operator()(const QString& a, const QString& b) const {
            return a.compare(b, Qt::CaseInsensitive) < 0;
        }
    };
    static auto& has = *new std::map<QString, bool, CaseInsensitiveLess>;
    auto found = has.find(face);
    if (found == has.end()) {
        if (has.size() >= MaxKnownFaces)
            has.clear();
        MetafileFonts::AddSpareFace(face);
        static const QString fallback =
            QFontInfo(QFont(QStringLiteral("No Such Face Anywhere"))).family();
        const QString resolved = QFontInfo(QFont(face)).family();
        found = has.emplace(face, resolved != fallback ||
                                      resolved.compare(face, Qt::CaseInsensitive) == 0)
                    .first;
    }
    if (found->second || f.Charset == SymbolCharset)
        return face;
    if ((f.PitchAndFamily & 3) == FixedPitch || (f.PitchAndFamily & 0xF0) == Modern)
        return QStringLiteral("Courier New");
    if ((f.PitchAndFamily & 0xF0) == Roman)
        return QStringLiteral("Times New Roman");
    return QStringLiteral("Arial");
}

// What is read once of a face and style, whatever the size.
struct TFace {
    // The glyphs at the size they were first asked for. Finding a font asks fontconfig for
    // its file and settings, which took longer than drawing the text where sizes change
    // often; a font of the same face at another size is made from this one.
    QRawFont Glyphs;
    // The cell above and below the baseline, as shares of the pixel size. The system takes
    // it from the font's Windows ascent and descent, which a font may set apart from the
    // typographic ones that the toolkit prefers when the font asks for them (Tahoma's cell
    // is a third taller than its typographic height). Nothing when the font has no such
    // figures.
    std::optional<std::pair<double, double>> Cell;
    // Never given to another face, even after the faces were forgotten: glyph outlines are
    // kept under it.
    uint32_t Id = 0;
};

// The face and style of a font of a family: found once, then kept. What is returned holds
// until the next call.
template <class MakeFont>
const TFace& FaceOf(const QString& family, int weight, bool italic, MakeFont makeFont) {
    // Never destroyed, as the fonts.
    static auto& faces = *new std::map<std::tuple<QString, int, bool>, TFace>;
    static uint32_t lastId = 0;
    auto key = std::tuple(family, weight, italic);
    if (const auto found = faces.find(key); found != faces.end())
        return found->second;
    if (faces.size() >= MaxKnownFaces)
        faces.clear();
    TFace face{QRawFont::fromFont(makeFont()), std::nullopt, ++lastId};
    const QRawFont& raw = face.Glyphs;
    const QByteArray os2 = raw.isValid() ? raw.fontTable("OS/2") : QByteArray();
    const auto word = [&](int offset) {
        return (uint(uint8_t(os2[offset])) << 8) | uint8_t(os2[offset + 1]);
    };
    constexpr int WinAscent = 74, WinDescent = 76;
    if (os2.size() >= WinDescent + 2 && raw.unitsPerEm() > 0 &&
        word(WinAscent) + word(WinDescent) > 0)
        face.Cell =
            std::pair(word(WinAscent) / raw.unitsPerEm(), word(WinDescent) / raw.unitsPerEm());
    return faces.emplace(std::move(key), std::move(face)).first->second;
}

const TFace& FaceOf(const QFont& font) {
    return FaceOf(font.family(), font.weight(), font.italic(), [&] { return font; });
}

int FontWeight(const TGdiFont& f) {
    return std::clamp(f.Weight ? f.Weight : 400, 1, 1000);
}

// The font of a logical font at a size in painter units, not yet looked for.
QFont TextFont(const TGdiFont& f, const QString& face, int pixels) {
    QFont font(face);
    font.setPixelSize(pixels);
    font.setWeight(static_cast<QFont::Weight>(FontWeight(f)));
    font.setItalic(f.Italic);
    font.setUnderline(f.Underline);
    font.setStrikeOut(f.StrikeOut);
    font.setKerning(false);
    font.setHintingPreference(QFont::PreferNoHinting);
    // The system draws metafile text without smoothing its edges, and so do we: smoothed
    // small text comes out bolder and blurred beside the lines it labels.
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

} // namespace

// The cell height (ascent + descent) of a font at a size in painter units. Most faces give
// it as shares of the size, known once for each face: no font of that size is made for it
// then, only for the size the text is drawn at.
double TMetafileDC::CellHeight(const TGdiFont& f, const QString& face, int pixels) {
    const TFace& known =
        FaceOf(face, FontWeight(f), f.Italic, [&] { return TextFont(f, face, pixels); });
    if (const auto& cell = known.Cell)
        return cell->first * pixels + cell->second * pixels;
    const TLaidFont& laid = LayoutFont(f, face, pixels);
    return laid.Ascent + laid.Descent;
}

// The font at a size in painter units. Finding a font is slow, and metafiles use a few fonts
// at a few sizes, again and again and from one playback to the next, so the fonts made last
// are kept for all playbacks.
const TLaidFont& TMetafileDC::LayoutFont(const TGdiFont& f, const QString& face, int pixels) {
    const int weight = FontWeight(f);
    const auto same = [&](const TLaidFont& laid) {
        return laid.Font.pixelSize() == pixels && laid.Font.weight() == weight &&
               laid.Font.italic() == f.Italic && laid.Font.underline() == f.Underline &&
               laid.Font.strikeOut() == f.StrikeOut && laid.Font.family() == face;
    };
    if (Font_ && same(*Font_))
        return *Font_;
    // Never destroyed: fonts must not outlive the application object, which ends first.
    static auto& kept = *new std::vector<std::shared_ptr<TLaidFont>>;
    const auto found =
        std::find_if(kept.begin(), kept.end(), [&](const auto& laid) { return same(*laid); });
    if (found != kept.end()) {
        Font_ = *found;
        return *Font_;
    }
    const QFont font = TextFont(f, face, pixels);
    const TFace& known = FaceOf(font);
    Font_ = std::make_shared<TLaidFont>(
        TLaidFont{font, QFontMetricsF(font), std::nullopt, 0, 0, known.Id, nullptr});
    // Asking the metrics loads the font itself, which text that is only measured, with its
    // advances given, does without: most faces give the cell as shares of the size.
    if (const auto& cell = known.Cell) {
        Font_->Ascent = cell->first * pixels;
        Font_->Descent = cell->second * pixels;
    } else {
        const QRawFont& raw = Glyphs();
        Font_->Ascent = raw.isValid() ? raw.ascent() : Font_->Metrics.ascent();
        Font_->Descent = raw.isValid() ? raw.descent() : Font_->Metrics.descent();
    }
    if (kept.size() >= MaxKeptFonts)
        kept.erase(kept.begin());
    kept.push_back(Font_);
    return *Font_;
}

// The glyphs of the font of the last text, made when first needed.
const QRawFont& TMetafileDC::Glyphs() {
    if (!Font_->Raw) {
        Font_->Raw = FaceOf(Font_->Font).Glyphs;
        if (Font_->Raw->isValid())
            Font_->Raw->setPixelSize(Font_->Font.pixelSize());
    }
    return *Font_->Raw;
}

// The glyph of a character in the font of the last text, and its advance in font units.
// Characters that the font lacks, and non-spacing marks, take the advance of the toolkit,
// which draws them with a fallback font.
std::pair<quint32, double> TMetafileDC::CharGlyph(QChar c) {
    TLaidFont& font = *Font_;
    const char16_t u = c.unicode();
    if (u < 256 && font.Latin && font.Latin->Known[u])
        return {font.Latin->Glyph[u], font.Latin->Advance[u]};
    const QRawFont& raw = Glyphs();
    quint32 glyph = 0;
    int count = 1;
    QPointF advance;
    if (!raw.isValid() || !raw.glyphIndexesForChars(&c, 1, &glyph, &count) || count != 1)
        glyph = 0;
    const bool found = glyph != 0 && raw.advancesForGlyphIndexes(&glyph, &advance, 1) &&
                       c.category() != QChar::Mark_NonSpacing;
    const double width = found ? advance.x() : font.Metrics.horizontalAdvance(c);
    if (u < 256) {
        if (!font.Latin)
            font.Latin = std::make_unique<TLaidFont::TLatin>();
        font.Latin->Glyph[u] = glyph;
        font.Latin->Advance[u] = width;
        font.Latin->Known.set(u);
    }
    return {glyph, width};
}

namespace {
bool HasSurrogates(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isSurrogate(); });
}

// Whether a character is drawn with the glyph the font gives it. Spaces and controls that the
// font lacks take its missing glyph at that glyph's advance, as the toolkit draws controls
// too (all but the null and those that end lines, which it leaves out). Other characters
// that the font lacks need a fallback font.
bool OwnGlyph(quint32 glyph, QChar c) {
    return glyph != 0 || c.isSpace() ||
           (c.category() == QChar::Other_Control && c != u'\0' && c != u'\n' && c != u'\f' &&
            c != u'\r');
}
} // namespace

// The glyphs of the characters of the text being drawn, in the font of the last text: looked
// up once for each text record, when first needed. None when the font gives no glyphs; fewer
// than characters where a pair of surrogates stands for one.
const QList<quint32>& TMetafileDC::TextGlyphs(const QString& text) {
    if (TextGlyphsKnown_)
        return TextGlyphs_;
    TextGlyphsKnown_ = true;
    const QRawFont& raw = Glyphs();
    if (!raw.isValid()) {
        TextGlyphs_.clear();
    } else if (HasSurrogates(text)) {
        TextGlyphs_ = raw.glyphIndexesForString(text);
    } else {
        TextGlyphs_.resize(text.size());
        for (qsizetype i = 0; i < text.size(); ++i)
            TextGlyphs_[i] = CharGlyph(text[i]).first;
    }
    return TextGlyphs_;
}

// The advance of each character in the font of the last text, in font units. Text with
// characters beyond the basic plane takes the toolkit's advances throughout.
void TMetafileDC::FontAdvances(const QString& text, std::vector<double>& advances) {
    advances.resize(size_t(text.size()));
    const bool own = !HasSurrogates(text);
    for (qsizetype i = 0; i < text.size(); ++i)
        advances[size_t(i)] =
            own ? CharGlyph(text[i]).second : Font_->Metrics.horizontalAdvance(text[i]);
}

// The opaque rectangle of a text record, drawn before its characters.
void TMetafileDC::OpaqueTextRect(const TGdiText& t, const QTransform& full) {
    if (InPath_ || !t.Rect || !(t.Options & Gdi::ETO_OPAQUE))
        return;
    QPainterPath box;
    box.addRect(t.Rect->normalized());
    FillDevice(full.map(box), TGdiBrush{Gdi::BS_SOLID, S_.BkColor, 0, {}});
}

// The characters of glyph numbers of the font named, when that font is the one text is drawn
// with: its character map read backwards. Nothing when another font stands in for it, whose
// glyph numbers mean other characters (a spare font of the face's name among them), or when
// a glyph has no character.
namespace {
std::optional<QString> CharactersOfGlyphs(const QString& face, const QString& glyphs) {
    QFont font(face);
    if (face.isEmpty() || MetafileFonts::IsSpareFace(face) ||
        QFontInfo(font).family().compare(face, Qt::CaseInsensitive) != 0)
        return std::nullopt;
    // Never destroyed, as the fonts: read once for each font, then kept.
    static auto& maps = *new std::map<QString, std::map<quint32, char16_t>>;
    auto found = maps.find(face.toLower());
    if (found == maps.end()) {
        const QRawFont raw = QRawFont::fromFont(font);
        std::map<quint32, char16_t> characters;
        for (char32_t c = 0x20; c <= 0xFFFF; ++c) {
            const QChar character(c);
            quint32 glyph = 0;
            int count = 1;
            if (!character.isSurrogate() &&
                raw.glyphIndexesForChars(&character, 1, &glyph, &count) && glyph != 0)
                characters.emplace(glyph, char16_t(c));
        }
        found = maps.emplace(face.toLower(), std::move(characters)).first;
    }
    QString text;
    text.reserve(glyphs.size());
    for (const QChar glyph : glyphs) {
        const auto character = found->second.find(glyph.unicode());
        if (character == found->second.end())
            return std::nullopt;
        text.append(QChar(character->second));
    }
    return text;
}

// Where a text's reference point is from the start of its baseline, in font units, for the
// text alignment: its horizontal part (left, centre, right) and its vertical one (top,
// baseline, bottom of the cell).
std::pair<double, double> AlignedOrigin(uint32_t align, double width, const TLaidFont& laid) {
    double dx = 0, dy = 0;
    if ((align & Gdi::TA_HMASK) == Gdi::TA_RIGHT)
        dx = -width;
    else if ((align & Gdi::TA_HMASK) == Gdi::TA_CENTER)
        dx = -width / 2;
    if ((align & Gdi::TA_VMASK) == Gdi::TA_BOTTOM)
        dy = -laid.Descent;
    else if ((align & Gdi::TA_VMASK) != Gdi::TA_BASELINE)
        dy = laid.Ascent;
    return {dx, dy};
}
} // namespace

void TMetafileDC::Text(const TGdiText& t) {
    if (!InPath_ && DrawingSuppressed())
        return;
    const QTransform full = Full();
    // 8-bit text is read in the font's character set, and glyph numbers become characters,
    // into buffers kept from one record to the next; other records are drawn as read.
    const bool glyphIndex = t.Options & Gdi::ETO_GLYPH_INDEX;
    const QString* chars = &t.Text;
    const std::vector<double>* advances = &t.Dx;
    if (!t.Bytes.empty()) {
        // Glyph numbers given as bytes are numbers, whatever the font's character set.
        MetafileText::Decode(t.Bytes, glyphIndex ? 0 : S_.Font.Charset, TextChars_, t.Dx, TextDx_);
        chars = &TextChars_;
        advances = &TextDx_;
    }
    if (glyphIndex) {
        TextChars_ = CharactersOfGlyphs(S_.Font.Face, *chars).value_or(QString());
        chars = &TextChars_;
    }
    const QString& text = *chars;
    const std::vector<double>& spacing = *advances;
    // Records without characters, often only there to fill their rectangle, need no font.
    if (text.isEmpty()) {
        OpaqueTextRect(t, full);
        return;
    }
    const TGdiFont& f = S_.Font;
    const bool updateCP = S_.TextAlign & Gdi::TA_UPDATECP;
    const QPointF reference = updateCP ? S_.Current : t.Reference;

    // How long one logical unit is on the painter along x and along y.
    const double sx = Length(full.map(QPointF(1, 0)) - full.map(QPointF(0, 0)));
    const double sy = Length(full.map(QPointF(0, 1)) - full.map(QPointF(0, 0)));
    if (sx <= 0 || sy <= 0 || !std::isfinite(sx) || !std::isfinite(sy))
        return;

    // A negative height is the em height; a positive one the cell height (ascent + descent),
    // which takes a look at the font's proportions first.
    const auto wholePixels = [](double size) {
        return int(std::clamp(std::round(size), MinFontPixels, MaxFontPixels));
    };
    const QString face = DrawnFace(f);
    double em = f.Height ? std::abs(double(f.Height)) : 12;
    if (f.Height > 0) {
        const int probe = wholePixels(em * sy);
        if (const double cell = CellHeight(f, face, probe); cell > 0)
            em = double(f.Height) * probe / cell;
    }
    if (!std::isfinite(em * sy))
        return;
    const int pixels = wholePixels(em * sy);
    const TLaidFont& laid = LayoutFont(f, face, pixels);
    TextGlyphsKnown_ = false;
    const QFont& font = laid.Font;
    const double k = em * sy / pixels; // font units to painter units: 1 unless out of bounds
    double stretch = sx / sy;
    double average = 0;
    if (f.Width > 0) {
        const QRawFont& raw = Glyphs();
        average = raw.isValid() ? raw.averageCharWidth() : laid.Metrics.averageCharWidth();
    }
    if (average > 0)
        stretch = f.Width * sx / (average * k);
    if (k <= 0 || !std::isfinite(k) || !std::isfinite(stretch) || stretch <= 0)
        return;
    const double unitX = sx / (k * stretch); // one logical unit along x, in font units

    // Positions of the characters along the baseline, in font units.
    std::vector<double>& x = TextX_;
    x.assign(size_t(text.size()) + 1, 0);
    if (spacing.size() < size_t(text.size()))
        FontAdvances(text, TextAdvances_);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const double advance = size_t(i) < spacing.size()
                                   ? spacing[size_t(i)] * unitX
                                   : TextAdvances_[size_t(i)] + S_.CharExtra * unitX;
        x[size_t(i) + 1] = x[size_t(i)] + advance;
    }
    const double width = x.back();
    const auto [dx, dy] = AlignedOrigin(S_.TextAlign, width, laid);

    const QTransform placed = PlaceText(t, reference, full, QSizeF(k * stretch / sx, k / sy));
    const QRectF box(dx, dy - laid.Ascent, width, laid.Ascent + laid.Descent);
    if (InPath_) {
        // Within a path bracket the text adds the outlines of its characters.
        Path_.addPath(placed.map(TextOutlines(text, QPointF(dx, dy), x)));
        FigureOpen_ = false;
    } else {
        OpaqueTextRect(t, full);
        // Where a Windows metafile's drawing is measured, text on its baseline counts a
        // whole cell's height above the baseline, as the system's bounds of such text do.
        QRectF counted = box;
        if (Measuring_ && (S_.TextAlign & Gdi::TA_VMASK) == Gdi::TA_BASELINE)
            counted.setTop(dy - laid.Ascent - laid.Descent);
        if (!Measured(placed.mapRect(counted)))
            DrawText(t, text, font, placed, QPointF(dx, dy), box, x);
    }
    if (updateCP) {
        const double logicalWidth = width / unitX;
        if ((S_.TextAlign & Gdi::TA_HMASK) == 0)
            S_.Current.rx() += logicalWidth;
        else if ((S_.TextAlign & Gdi::TA_HMASK) == Gdi::TA_RIGHT)
            S_.Current.rx() -= logicalWidth;
    }
}

// Font units to painter coordinates. Opaque and clipping rectangles are always logical. In
// the advanced graphics mode the characters are logical figures too: the world transform
// and the mapping turn, shear and mirror them. In the compatible mode they stand upright on
// the device, turned by the escapement counter-clockwise, or clockwise where the mapping
// mirrors one axis, so that text along a logical direction follows it. A world transform that
// turns or shears without mirroring, which files set around text of the compatible mode too,
// turns and shears that text with the rest of the drawing; the characters stay right side up.
QTransform TMetafileDC::PlaceText(const TGdiText& t, QPointF reference, const QTransform& full,
                                  QSizeF unitsPerFontUnit) const {
    const double escapement = double(S_.Font.Escapement) / 10;
    const QTransform& world = S_.World;
    const bool worldTurns = (world.m12() != 0 || world.m21() != 0) &&
                            world.m11() * world.m22() > world.m12() * world.m21();
    if (t.Advanced || worldTurns) {
        const bool upsideDown = !t.Advanced && full.determinant() < 0;
        QTransform placed =
            QTransform::fromScale(unitsPerFontUnit.width(), upsideDown ? -unitsPerFontUnit.height()
                                                                       : unitsPerFontUnit.height());
        placed *= QTransform().rotate(-escapement);
        placed *= QTransform::fromTranslate(reference.x(), reference.y());
        return placed * full;
    }
    const double sx =
        unitsPerFontUnit.width() * Length(full.map(QPointF(1, 0)) - full.map(QPointF()));
    const double sy =
        unitsPerFontUnit.height() * Length(full.map(QPointF(0, 1)) - full.map(QPointF()));
    const bool mirrored = full.determinant() < 0;
    const QPointF origin = full.map(reference);
    QTransform placed = QTransform::fromScale(sx, sy);
    placed *= QTransform().rotate(mirrored ? escapement : -escapement);
    placed *= QTransform::fromTranslate(origin.x(), origin.y());
    return placed;
}

namespace {
// Where the underline and the strike-out of text in a font run, from a point on the baseline
// for a width: where the toolkit's outlines of text put them.
template <class Add>
void ForEachBar(const QRawFont& raw, const QFont& font, QPointF origin, double width, Add add) {
    if (font.underline())
        add(QRectF(origin.x(), origin.y() + raw.underlinePosition(), width, raw.lineThickness()));
    if (font.strikeOut())
        add(QRectF(origin.x(), origin.y() - raw.ascent() / 3, width, raw.lineThickness()));
}
} // namespace

// The outlines of the characters of a text in the font of the last text, each at its place
// along the baseline from the point. A glyph's outline is read once for each face and style
// and kept in em units: reading it runs the font's hinting program at the font's design size,
// which costs more than all the rest of drawing the text. Characters that the font lacks come
// from the toolkit's fallback fonts, one by one.
QPainterPath TMetafileDC::TextOutlines(const QString& text, QPointF at,
                                       const std::vector<double>& x,
                                       const std::optional<QRectF>& within) {
    const QFont& font = Font_->Font;
    const QRawFont& raw = Glyphs();
    const QList<quint32>& glyphs = TextGlyphs(text);
    QPainterPath outlines;
    if (glyphs.size() != text.size() || raw.pixelSize() <= 0) {
        for (qsizetype i = 0; i < text.size(); ++i)
            outlines.addText(at + QPointF(x[size_t(i)], 0), font, text.mid(i, 1));
        return outlines;
    }
    // Never destroyed, as the fonts.
    static auto& kept = *new std::map<std::pair<uint32_t, quint32>, TGlyphOutline>;
    if (kept.size() + size_t(glyphs.size()) > MaxKeptOutlines)
        kept.clear();
    const double pixels = raw.pixelSize();
    // Underline and strike-out run under each character for its advance, as the toolkit's
    // own outlines of text draw them.
    const bool decorated = font.underline() || font.strikeOut();
    const QList<QPointF> advances =
        decorated ? raw.advancesForGlyphIndexes(glyphs) : QList<QPointF>();
    // The outlines to add, found first so that the path grows once.
    std::vector<std::pair<QPointF, const TGlyphOutline*>> placed;
    placed.reserve(size_t(glyphs.size()));
    int elements = 0;
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
        const QPointF origin = at + QPointF(x[size_t(i)], 0);
        if (glyphs[i] == 0 && (decorated || !OwnGlyph(0, text[i]))) {
            outlines.addText(origin, font, text.mid(i, 1));
            continue;
        }
        if (decorated)
            ForEachBar(raw, font, origin, advances[i].x(),
                       [&](const QRectF& bar) { outlines.addRect(bar); });
        auto found = kept.find(std::pair(Font_->FaceId, glyphs[i]));
        if (found == kept.end()) {
            const QTransform toEm = QTransform::fromScale(1 / pixels, 1 / pixels);
            QPainterPath em = toEm.map(raw.pathForGlyph(glyphs[i]));
            const QRectF bounds = em.controlPointRect();
            found =
                kept.emplace(std::pair(Font_->FaceId, glyphs[i]), TGlyphOutline{em, bounds}).first;
        }
        const TGlyphOutline& glyph = found->second;
        // A glyph wholly outside what the painter shows adds nothing to the picture.
        const QRectF drawn(origin + glyph.Bounds.topLeft() * pixels, glyph.Bounds.size() * pixels);
        if (glyph.Em.isEmpty() || (within && !within->intersects(drawn)))
            continue;
        placed.emplace_back(origin, &glyph);
        elements += glyph.Em.elementCount();
    }
    outlines.reserve(outlines.elementCount() + elements);
    for (const auto& item : placed) {
        const QPainterPath& em = item.second->Em;
        const QPointF origin = item.first;
        const auto point = [&](int i) {
            const QPainterPath::Element e = em.elementAt(i);
            return origin + QPointF(e.x, e.y) * pixels;
        };
        for (int i = 0; i < em.elementCount(); ++i) {
            switch (em.elementAt(i).type) {
            case QPainterPath::MoveToElement:
                outlines.moveTo(point(i));
                break;
            case QPainterPath::LineToElement:
                outlines.lineTo(point(i));
                break;
            case QPainterPath::CurveToElement:
                if (i + 2 < em.elementCount())
                    outlines.cubicTo(point(i), point(i + 1), point(i + 2));
                i += 2;
                break;
            default:
                break;
            }
        }
    }
    return outlines;
}

// Characters at positions of their own, drawn as one run of glyphs of the font, which is much
// faster than one text for each. False when a character needs a glyph of another font.
bool TMetafileDC::DrawGlyphs(const QString& text, QPointF at, const std::vector<double>& x) {
    const QRawFont& raw = Glyphs();
    const QList<quint32>& glyphs = TextGlyphs(text);
    if (glyphs.size() != text.size())
        return false;
    QList<QPointF> positions;
    positions.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!OwnGlyph(glyphs[i], text[i]))
            return false;
        positions.append(at + QPointF(x[size_t(i)], 0));
    }
    QGlyphRun run;
    run.setRawFont(raw);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    Painter_.drawGlyphRun(QPointF(), run);
    // Underline and strike-out run the length of the text, where the toolkit's outlines of
    // text put them; a run of glyphs would put them in the wrong place under a transform.
    ForEachBar(raw, Font_->Font, at + QPointF(x[0], 0), x[size_t(text.size())] - x[0],
               [&](const QRectF& bar) { Painter_.fillRect(bar, TextPen_.color()); });
    return true;
}

// Whether a text has characters of scripts whose glyphs are chosen and placed by shaping:
// right-to-left, joining and stacking scripts, or controls of joining and direction.
bool TMetafileDC::NeedsShaping(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= 0x0590 && u <= 0x1DFF) || (u >= 0x200C && u <= 0x200F) ||
               (u >= 0x202A && u <= 0x202E) || (u >= 0xA800 && u <= 0xABFF) ||
               (u >= 0xFB1D && u <= 0xFEFF) || c.isSurrogate();
    });
}

// The pixels of an image or pixmap, a pixel more all round, in the coordinates that device
// maps to them: what lies outside cannot be seen. Nothing for other devices, such as a
// printer, whose drawing is not cut to its page here.
std::optional<QRectF> TMetafileDC::Shown(const QTransform& device) const {
    const QPaintDevice* target = Painter_.device();
    if (!RasterDevice(Painter_) || !target || !device.isInvertible())
        return std::nullopt;
    return device.inverted().mapRect(QRectF(-1, -1, target->width() + 2, target->height() + 2));
}

void TMetafileDC::DrawText(const TGdiText& t, const QString& text, const QFont& font,
                           const QTransform& placed, QPointF at, const QRectF& box,
                           const std::vector<double>& x) {
    const QTransform full = Full();
    Use(QTransform());
    if (t.Rect && (t.Options & Gdi::ETO_CLIPPED)) {
        // Most text lies inside its clipping rectangle; only text that does not is clipped.
        QPainterPath clip;
        clip.addRect(t.Rect->normalized());
        clip = full.map(clip);
        if (!clip.contains(placed.mapRect(box))) {
            Painter_.setWorldTransform(Origin_);
            if (const std::optional<QRectF> rect = AsRect(clip))
                Painter_.setClipRect(*rect, Qt::IntersectClip);
            else
                Painter_.setClipPath(clip, Qt::IntersectClip);
            ClipDirty_ = true;
        }
    }
    Painter_.setWorldTransform(placed * TextOrigin_);
    if (S_.BkMode == Gdi::OPAQUE && !text.isEmpty())
        Painter_.fillRect(box, S_.BkColor);
    if (TextPen_.color() != S_.TextColor)
        TextPen_.setColor(S_.TextColor);
    Painter_.setPen(TextPen_);
    // Glyphs that would be very large or much distorted on the device are filled as outlines:
    // the glyph rasteriser is not made for them.
    const QTransform device = Painter_.deviceTransform();
    const double wide = Length(device.map(QPointF(font.pixelSize(), 0)) - device.map(QPointF()));
    const double high = Length(device.map(QPointF(0, font.pixelSize())) - device.map(QPointF()));
    if (wide > MaxGlyphPixels || high > MaxGlyphPixels || wide > 2 * high || high > 2 * wide) {
        Painter_.fillPath(TextOutlines(text, at, x, Shown(device)), S_.TextColor);
        return;
    }
    // Text is drawn as a run of glyphs at the positions worked out for it, as the system
    // draws it: without ligatures and kerning. Text of a script whose characters join, stack
    // or run from right to left, and given no advances, is left to the toolkit to shape.
    const bool plain = t.Dx.empty() && S_.CharExtra == 0;
    if (!(plain && NeedsShaping(text)) && DrawGlyphs(text, at, x))
        return;
    Painter_.setFont(font);
    if (plain) {
        Painter_.drawText(at, text);
        return;
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size();
        Painter_.drawText(at + QPointF(x[size_t(i)], 0), text.mid(i, pair ? 2 : 1));
        if (pair)
            ++i;
    }
}
