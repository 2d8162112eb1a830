// The state half of the device context: the object table, mapping modes, world transforms,
// the save stack, clipping and paths.
#include "metafile/MetafileDC.h"

#include <QPaintEngine>

#include <algorithm>

namespace {

// Save levels and object slots beyond these are refused; real files use a few dozen.
constexpr size_t MaxSaveDepth = 1024;
constexpr size_t MaxObjects = 65536;
// A region that stands for "everything" when something is cut out of no clipping at all.
constexpr double Everywhere = 1e7;

QPainterPath Combine(const std::optional<QPainterPath>& current, const QPainterPath& with,
                     int mode) {
    QPainterPath everything;
    everything.addRect(-Everywhere, -Everywhere, 2 * Everywhere, 2 * Everywhere);
    const QPainterPath base = current ? *current : everything;
    switch (mode) {
    case Gdi::RGN_AND:
        return base.intersected(with);
    case Gdi::RGN_OR:
        return current ? base.united(with) : everything;
    case Gdi::RGN_XOR:
        return base.united(with).subtracted(base.intersected(with));
    case Gdi::RGN_DIFF:
        return base.subtracted(with);
    default:
        return with;
    }
}

// The stock brushes, pens and fonts by their numbers.
TGdiObject StockObject(uint32_t stock) {
    const auto brush = [](QColor color) {
        TGdiBrush b;
        b.Color = color;
        return TGdiObject(b);
    };
    const auto pen = [](QColor color, uint32_t style) {
        TGdiPen p;
        p.Color = color;
        p.Style = style;
        return TGdiObject(p);
    };
    switch (stock) {
    case 0:
        return brush(QColor(255, 255, 255));
    case 1:
        return brush(QColor(192, 192, 192));
    case 2:
        return brush(QColor(128, 128, 128));
    case 3:
        return brush(QColor(64, 64, 64));
    case 4:
        return brush(QColor(0, 0, 0));
    case 5: {
        TGdiBrush b;
        b.Style = Gdi::BS_NULL;
        return b;
    }
    case 6:
        return pen(Qt::white, Gdi::PS_SOLID);
    case 7:
        return pen(Qt::black, Gdi::PS_SOLID);
    case 8:
        return pen(Qt::black, Gdi::PS_NULL);
    case 18:
        return brush(Qt::white); // DC brush
    case 19:
        return pen(Qt::black, Gdi::PS_SOLID); // DC pen
    case 10:
    case 11:
    case 16: {
        TGdiFont f;
        f.Face = "Courier New";
        f.Height = 16;
        return f;
    }
    case 12:
    case 13:
    case 14:
    case 17: {
        TGdiFont f;
        f.Face = "Arial";
        f.Height = 16;
        return f;
    }
    default:
        return std::monostate{};
    }
}

} // namespace

QPainterPath RectsPath(const std::vector<QRectF>& rects) {
    QPainterPath path;
    for (const QRectF& r : rects)
        path.addRect(r.normalized());
    return path.simplified();
}

bool RasterDevice(const QPainter& painter) {
    return painter.paintEngine() && painter.paintEngine()->type() == QPaintEngine::Raster;
}

std::optional<QRectF> AsRect(const QPainterPath& path) {
    if (path.elementCount() < 4 || path.elementCount() > 5)
        return std::nullopt;
    const QRectF bounds = path.boundingRect();
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if ((e.x != bounds.left() && e.x != bounds.right()) ||
            (e.y != bounds.top() && e.y != bounds.bottom()))
            return std::nullopt;
    }
    return bounds;
}

QColor ColorFromRef(uint32_t ref) {
    return QColor(int(ref & 0xFF), int((ref >> 8) & 0xFF), int((ref >> 16) & 0xFF));
}

TMetafileDC::TMetafileDC(QPainter& painter, const QTransform& device, QSizeF pixelsPerMM)
    : Painter_(painter), Origin_(painter.worldTransform()), TextOrigin_(Origin_), Device_(device),
      PixelsPerMM_(pixelsPerMM) {
    Painter_.save();
    // The system rounds coordinates to whole pixels and draws a line at a whole coordinate
    // on the pixel that starts there; QPainter draws aliased figures on the pixels whose
    // centres, half a pixel further on, they cover. Shifting figures by just under half a
    // device pixel puts lines and edges at fractional coordinates on the system's pixels,
    // while edges at whole coordinates keep the pixels they covered. Text is placed on
    // whole pixels by the glyph rasteriser already and stays where it is.
    if (!painter.testRenderHint(QPainter::Antialiasing)) {
        const QTransform toPainter = painter.deviceTransform().inverted();
        const QPointF shift = toPainter.map(QPointF(0.49, 0.49)) - toPainter.map(QPointF());
        Origin_ = QTransform::fromTranslate(shift.x(), shift.y()) * Origin_;
    }
}

TMetafileDC::~TMetafileDC() {
    Painter_.restore();
}

// The table grows as slots are used: headers often claim thousands of slots, and making
// them all for every playback costs more than most metafiles' drawing.
void TMetafileDC::SetTableSize(size_t size) {
    TableSize_ = std::min(size, MaxObjects);
    Objects_.clear();
}

void TMetafileDC::PutObject(uint32_t index, TGdiObject object) {
    if (index >= TableSize_)
        return;
    if (index >= Objects_.size())
        Objects_.resize(size_t(index) + 1);
    Objects_[index] = std::move(object);
}

void TMetafileDC::AddObject(TGdiObject object) {
    for (TGdiObject& slot : Objects_) {
        if (std::holds_alternative<std::monostate>(slot)) {
            slot = std::move(object);
            return;
        }
    }
    if (Objects_.size() < TableSize_)
        Objects_.push_back(std::move(object));
}

const TGdiObject* TMetafileDC::Object(uint32_t index) const {
    return index < Objects_.size() ? &Objects_[index] : nullptr;
}

void TMetafileDC::SelectObject(uint32_t index) {
    if (index & 0x80000000u) {
        SelectStockObject(index & 0x7FFFFFFFu);
        return;
    }
    const TGdiObject* object = Object(index);
    if (!object)
        return;
    if (const auto* pen = std::get_if<TGdiPen>(object))
        S_.Pen = *pen;
    else if (const auto* brush = std::get_if<TGdiBrush>(object))
        S_.Brush = *brush;
    else if (const auto* font = std::get_if<TGdiFont>(object))
        S_.Font = *font;
    else if (const auto* region = std::get_if<TGdiRegion>(object))
        SetClip(Full().map(RectsPath(region->Rects)));
}

void TMetafileDC::SelectStockObject(uint32_t stock) {
    const TGdiObject object = StockObject(stock);
    if (const auto* pen = std::get_if<TGdiPen>(&object))
        S_.Pen = *pen;
    else if (const auto* brush = std::get_if<TGdiBrush>(&object))
        S_.Brush = *brush;
    else if (const auto* font = std::get_if<TGdiFont>(&object))
        S_.Font = *font;
}

void TMetafileDC::DeleteObject(uint32_t index) {
    if (index < Objects_.size())
        Objects_[index] = std::monostate{};
}

// Logical to device coordinates: the window's origin and extents onto the viewport's.
QTransform TMetafileDC::Page() const {
    const double sx = S_.WindowExt.width() != 0 ? S_.ViewportExt.width() / S_.WindowExt.width() : 1;
    const double sy =
        S_.WindowExt.height() != 0 ? S_.ViewportExt.height() / S_.WindowExt.height() : 1;
    return QTransform(sx, 0, 0, sy, S_.ViewportOrg.x() - S_.WindowOrg.x() * sx,
                      S_.ViewportOrg.y() - S_.WindowOrg.y() * sy);
}

void TMetafileDC::SetMapMode(int mode) {
    if (MappingFixed_ || mode < Gdi::MM_TEXT || mode > Gdi::MM_ANISOTROPIC)
        return;
    // The metric modes fix the extents from the reference device's resolution: so many
    // logical units per millimetre, y upwards.
    const double mmX = PixelsPerMM_.width();
    const double mmY = PixelsPerMM_.height();
    const auto metric = [&](double unitsPerMM) {
        S_.WindowExt = QSizeF(unitsPerMM, unitsPerMM);
        S_.ViewportExt = QSizeF(mmX, -mmY);
    };
    switch (mode) {
    case Gdi::MM_TEXT:
        S_.WindowExt = S_.ViewportExt = QSizeF(1, 1);
        break;
    case Gdi::MM_LOMETRIC:
        metric(10);
        break;
    case Gdi::MM_HIMETRIC:
        metric(100);
        break;
    case Gdi::MM_LOENGLISH:
        metric(100 / 25.4);
        break;
    case Gdi::MM_HIENGLISH:
        metric(1000 / 25.4);
        break;
    case Gdi::MM_TWIPS:
        metric(1440 / 25.4);
        break;
    case Gdi::MM_ISOTROPIC:
        if (S_.MapMode != Gdi::MM_ANISOTROPIC)
            metric(10);
        break;
    default:
        break;
    }
    S_.MapMode = mode;
    if (mode == Gdi::MM_ISOTROPIC)
        FixIsotropic();
}

// In the isotropic mode one logical unit is as long in x as in y on the device: the larger
// viewport extent shrinks to match the smaller scale, keeping its sign.
void TMetafileDC::FixIsotropic() {
    if (S_.WindowExt.width() == 0 || S_.WindowExt.height() == 0)
        return;
    const double xdim =
        std::abs(S_.ViewportExt.width() / S_.WindowExt.width() / PixelsPerMM_.width());
    const double ydim =
        std::abs(S_.ViewportExt.height() / S_.WindowExt.height() / PixelsPerMM_.height());
    if (xdim == 0 || ydim == 0)
        return;
    if (xdim > ydim)
        S_.ViewportExt.setWidth(S_.ViewportExt.width() * ydim / xdim);
    else
        S_.ViewportExt.setHeight(S_.ViewportExt.height() * xdim / ydim);
}

void TMetafileDC::SetWindowOrg(QPointF org) {
    S_.WindowOrg = org;
}

void TMetafileDC::SetWindowExt(QSizeF ext) {
    if (ext.width() == 0 || ext.height() == 0)
        return;
    if (MappingFixed_) {
        S_.WindowExt = ext;
        return;
    }
    if (S_.MapMode != Gdi::MM_ISOTROPIC && S_.MapMode != Gdi::MM_ANISOTROPIC)
        return;
    S_.WindowExt = ext;
    if (S_.MapMode == Gdi::MM_ISOTROPIC)
        FixIsotropic();
}

void TMetafileDC::SetViewportOrg(QPointF org) {
    S_.ViewportOrg = org;
}

void TMetafileDC::SetViewportExt(QSizeF ext) {
    if (ext.width() == 0 || ext.height() == 0)
        return;
    if (!MappingFixed_ && S_.MapMode != Gdi::MM_ISOTROPIC && S_.MapMode != Gdi::MM_ANISOTROPIC)
        return;
    S_.ViewportExt = ext;
    if (S_.MapMode == Gdi::MM_ISOTROPIC)
        FixIsotropic();
}

void TMetafileDC::OffsetWindowOrg(QPointF by) {
    S_.WindowOrg += by;
}

void TMetafileDC::OffsetViewportOrg(QPointF by) {
    S_.ViewportOrg += by;
}

void TMetafileDC::ScaleWindowExt(double xNum, double xDenom, double yNum, double yDenom) {
    if (xDenom == 0 || yDenom == 0)
        return;
    SetWindowExt(
        QSizeF(S_.WindowExt.width() * xNum / xDenom, S_.WindowExt.height() * yNum / yDenom));
}

void TMetafileDC::ScaleViewportExt(double xNum, double xDenom, double yNum, double yDenom) {
    if (xDenom == 0 || yDenom == 0)
        return;
    SetViewportExt(
        QSizeF(S_.ViewportExt.width() * xNum / xDenom, S_.ViewportExt.height() * yNum / yDenom));
}

void TMetafileDC::SetWorldTransform(const QTransform& transform) {
    if (transform.isInvertible())
        S_.World = transform;
}

void TMetafileDC::ModifyWorldTransform(const QTransform& transform, int mode) {
    switch (mode) {
    case Gdi::MWT_IDENTITY:
        S_.World.reset();
        break;
    case Gdi::MWT_LEFTMULTIPLY:
        SetWorldTransform(transform * S_.World);
        break;
    case Gdi::MWT_RIGHTMULTIPLY:
        SetWorldTransform(S_.World * transform);
        break;
    case Gdi::MWT_SET:
        SetWorldTransform(transform);
        break;
    default:
        break;
    }
}

void TMetafileDC::SaveDC() {
    if (Saved_.size() < MaxSaveDepth)
        Saved_.push_back(S_);
}

// Negative: so many levels back from the top; positive: the level of that number.
void TMetafileDC::RestoreDC(int which) {
    const int64_t depth = static_cast<int64_t>(Saved_.size());
    const int64_t level = which < 0 ? depth + which : int64_t(which) - 1;
    if (which == 0 || level < 0 || level >= depth)
        return;
    S_ = Saved_[static_cast<size_t>(level)];
    Saved_.resize(static_cast<size_t>(level));
    ClipDirty_ = true;
}

// Clipping -------------------------------------------------------------------------------

void TMetafileDC::SetClip(std::optional<QPainterPath> clip) {
    S_.Clip = std::move(clip);
    ClipDirty_ = true;
}

void TMetafileDC::ApplyClip() {
    if (!ClipDirty_)
        return;
    ClipDirty_ = false;
    // Back to the caller's clipping, then ours within it.
    Painter_.restore();
    Painter_.save();
    std::optional<QPainterPath> clip = S_.Clip;
    if (S_.Meta)
        clip = clip ? clip->intersected(*S_.Meta) : *S_.Meta;
    if (!clip)
        return;
    Painter_.setWorldTransform(Origin_);
    // Rectangles, by far the most common clipping, take QPainter's much faster way.
    if (const std::optional<QRectF> rect = AsRect(*clip))
        Painter_.setClipRect(*rect, Qt::IntersectClip);
    else
        Painter_.setClipPath(*clip, Qt::IntersectClip);
}

void TMetafileDC::IntersectClipRect(const QRectF& r) {
    QPainterPath path;
    path.addRect(r.normalized());
    SetClip(Combine(S_.Clip, Full().map(path), Gdi::RGN_AND));
}

void TMetafileDC::ExcludeClipRect(const QRectF& r) {
    QPainterPath path;
    path.addRect(r.normalized());
    SetClip(Combine(S_.Clip, Full().map(path), Gdi::RGN_DIFF));
}

void TMetafileDC::OffsetClip(QPointF by) {
    if (!S_.Clip)
        return;
    const QTransform full = Full();
    const QPointF shift = full.map(by) - full.map(QPointF(0, 0));
    SetClip(S_.Clip->translated(shift));
}

void TMetafileDC::SelectClipRegion(const std::vector<QRectF>& deviceRects, int mode) {
    if (deviceRects.empty() && mode == Gdi::RGN_COPY) {
        SetClip(std::nullopt);
        return;
    }
    SetClip(Combine(S_.Clip, Device_.map(RectsPath(deviceRects)), mode));
}

void TMetafileDC::SetMetaRegion() {
    if (S_.Clip)
        S_.Meta = S_.Meta ? S_.Meta->intersected(*S_.Clip) : *S_.Clip;
    SetClip(std::nullopt);
}

// Paths -----------------------------------------------------------------------------------

void TMetafileDC::BeginPath() {
    Path_ = QPainterPath();
    InPath_ = true;
    FigureOpen_ = false;
}

void TMetafileDC::AbortPath() {
    Path_ = QPainterPath();
    InPath_ = false;
}

void TMetafileDC::CloseFigure() {
    if (InPath_) {
        Path_.closeSubpath();
        FigureOpen_ = false;
    }
}

void TMetafileDC::FillPath() {
    if (InPath_)
        return;
    Path_.setFillRule(S_.PolyFill == Gdi::WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    if (!DrawingSuppressed()) {
        Painter_.setCompositionMode(Rop2Mode());
        FillDevice(Path_, S_.Brush);
        Painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    Path_ = QPainterPath();
}

void TMetafileDC::StrokePath() {
    if (InPath_)
        return;
    const QTransform full = Full();
    if (full.isInvertible() && !DrawingSuppressed()) {
        // Stroked in logical units, so that the pen's width scales as for any other figure.
        const QPen pen = MakePen(full);
        if (pen.style() != Qt::NoPen && !Measured(Path_.boundingRect())) {
            Use(full);
            Painter_.setCompositionMode(Rop2Mode());
            Painter_.strokePath(full.inverted().map(Path_), pen);
            Painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
        }
    }
    Path_ = QPainterPath();
}

void TMetafileDC::StrokeAndFillPath() {
    if (InPath_)
        return;
    const QPainterPath path = Path_;
    FillPath();
    Path_ = path;
    StrokePath();
}

void TMetafileDC::SelectClipPath(int mode) {
    if (InPath_)
        return;
    Path_.setFillRule(S_.PolyFill == Gdi::WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    SetClip(Combine(S_.Clip, Path_.simplified(), mode));
    Path_ = QPainterPath();
}
