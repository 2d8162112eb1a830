// The records of enhanced metafiles, each turned into calls on the device context.
#include <QLinearGradient>
#include <QTransform>

#include "metafile/MetafileRecords.h"
#include "toolkit/Dib.h"

namespace MetafileRecords {
namespace {

enum : uint32_t {
    EMR_HEADER = 1,
    EMR_POLYBEZIER,
    EMR_POLYGON,
    EMR_POLYLINE,
    EMR_POLYBEZIERTO,
    EMR_POLYLINETO,
    EMR_POLYPOLYLINE,
    EMR_POLYPOLYGON,
    EMR_SETWINDOWEXTEX,
    EMR_SETWINDOWORGEX,
    EMR_SETVIEWPORTEXTEX,
    EMR_SETVIEWPORTORGEX,
    EMR_SETBRUSHORGEX,
    EMR_EOF,
    EMR_SETPIXELV,
    EMR_SETMAPPERFLAGS,
    EMR_SETMAPMODE,
    EMR_SETBKMODE,
    EMR_SETPOLYFILLMODE,
    EMR_SETROP2,
    EMR_SETSTRETCHBLTMODE,
    EMR_SETTEXTALIGN,
    EMR_SETCOLORADJUSTMENT,
    EMR_SETTEXTCOLOR,
    EMR_SETBKCOLOR,
    EMR_OFFSETCLIPRGN,
    EMR_MOVETOEX,
    EMR_SETMETARGN,
    EMR_EXCLUDECLIPRECT,
    EMR_INTERSECTCLIPRECT,
    EMR_SCALEVIEWPORTEXTEX,
    EMR_SCALEWINDOWEXTEX,
    EMR_SAVEDC,
    EMR_RESTOREDC,
    EMR_SETWORLDTRANSFORM,
    EMR_MODIFYWORLDTRANSFORM,
    EMR_SELECTOBJECT,
    EMR_CREATEPEN,
    EMR_CREATEBRUSHINDIRECT,
    EMR_DELETEOBJECT,
    EMR_ANGLEARC,
    EMR_ELLIPSE,
    EMR_RECTANGLE,
    EMR_ROUNDRECT,
    EMR_ARC,
    EMR_CHORD,
    EMR_PIE,
    EMR_SELECTPALETTE,
    EMR_CREATEPALETTE,
    EMR_SETPALETTEENTRIES,
    EMR_RESIZEPALETTE,
    EMR_REALIZEPALETTE,
    EMR_EXTFLOODFILL,
    EMR_LINETO,
    EMR_ARCTO,
    EMR_POLYDRAW,
    EMR_SETARCDIRECTION,
    EMR_SETMITERLIMIT,
    EMR_BEGINPATH,
    EMR_ENDPATH,
    EMR_CLOSEFIGURE,
    EMR_FILLPATH,
    EMR_STROKEANDFILLPATH,
    EMR_STROKEPATH,
    EMR_FLATTENPATH,
    EMR_WIDENPATH,
    EMR_SELECTCLIPPATH,
    EMR_ABORTPATH,
    EMR_GDICOMMENT = 70,
    EMR_FILLRGN,
    EMR_FRAMERGN,
    EMR_INVERTRGN,
    EMR_PAINTRGN,
    EMR_EXTSELECTCLIPRGN,
    EMR_BITBLT,
    EMR_STRETCHBLT,
    EMR_MASKBLT,
    EMR_PLGBLT,
    EMR_SETDIBITSTODEVICE,
    EMR_STRETCHDIBITS,
    EMR_EXTCREATEFONTINDIRECTW,
    EMR_EXTTEXTOUTA,
    EMR_EXTTEXTOUTW,
    EMR_POLYBEZIER16,
    EMR_POLYGON16,
    EMR_POLYLINE16,
    EMR_POLYBEZIERTO16,
    EMR_POLYLINETO16,
    EMR_POLYPOLYLINE16,
    EMR_POLYPOLYGON16,
    EMR_POLYDRAW16,
    EMR_CREATEMONOBRUSH,
    EMR_CREATEDIBPATTERNBRUSHPT,
    EMR_EXTCREATEPEN,
    EMR_POLYTEXTOUTA,
    EMR_POLYTEXTOUTW,
    EMR_SMALLTEXTOUT = 108,
    EMR_ALPHABLEND = 114,
    EMR_GRADIENTFILL = 118,
    EMR_TRANSPARENTBLT = 116
};

constexpr uint64_t RecordHeaderSize = 8;
constexpr uint64_t HandleCountOffset = 56;

using TArcKind = TMetafileDC::TArcKind;

TGdiPen ReadPen(TByteReader& r) {
    TGdiPen pen;
    pen.Style = r.U32();
    pen.Width = r.I32();
    r.Skip(4); // the width's unused y
    pen.Color = ColorFromRef(r.U32());
    // A plain pen is one pixel wide at width 0 and otherwise as wide as its logical width,
    // with round ends and joins.
    pen.Cosmetic = pen.Width <= 0;
    pen.Style &= Gdi::PS_STYLE_MASK;
    return WidePensSolid(pen);
}

TGdiPen ReadExtPen(TByteReader& r) {
    r.Skip(16); // the pattern bitmap's offsets and sizes
    TGdiPen pen;
    pen.Style = r.U32();
    pen.Width = r.U32();
    r.Skip(4); // brush style
    pen.Color = ColorFromRef(r.U32());
    r.Skip(4); // hatch
    const uint32_t entries = r.U32();
    Need(r, entries, 4);
    for (uint32_t i = 0; i < entries; ++i)
        pen.Dashes.push_back(r.U32());
    pen.Cosmetic = !(pen.Style & Gdi::PS_GEOMETRIC) || pen.Width == 0;
    return pen;
}

TGdiFont ReadFont(TByteReader& r) {
    TGdiFont font;
    font.Height = r.I32();
    font.Width = r.I32();
    font.Escapement = r.I32();
    r.Skip(4); // orientation
    font.Weight = r.I32();
    font.Italic = r.U8();
    font.Underline = r.U8();
    font.StrikeOut = r.U8();
    font.Charset = r.U8();
    r.Skip(4); // precisions, quality, pitch and family
    QString face = Utf16(r, 32);
    font.Face = face.left(face.indexOf(QChar(0)) < 0 ? 32 : face.indexOf(QChar(0)));
    return font;
}

// EMRTEXT at the reader's position; offsets count from the record's start.
TGdiText ReadText(TByteReader& record, TByteReader& r, bool wide) {
    TGdiText text;
    text.Reference = Point32(r);
    const uint32_t count = r.U32();
    const uint32_t offString = r.U32();
    text.Options = r.U32();
    const QRectF rect = Rect32(r);
    const uint32_t offDx = r.U32();
    if (text.Options & (Gdi::ETO_OPAQUE | Gdi::ETO_CLIPPED))
        text.Rect = rect;
    if (count == 0)
        return text;
    TByteReader at(record.From(0));
    at.Seek(offString);
    text.Text = wide ? Utf16(at, count) : Ansi(at.Bytes(count));
    if (offDx) {
        at.Seek(offDx);
        const uint64_t step = text.Options & Gdi::ETO_PDY ? 2 : 1;
        Need(at, count * step, 4);
        text.Dx.reserve(count);
        for (uint32_t i = 0; i < count; ++i) {
            text.Dx.push_back(at.I32());
            if (step == 2)
                at.Skip(4);
        }
    }
    return text;
}

std::vector<std::vector<QPointF>> ReadPolyPoly(TByteReader& r, bool small) {
    r.Skip(16); // bounds
    const uint32_t polys = r.U32();
    const uint32_t total = r.U32();
    Need(r, polys, 4);
    std::vector<uint32_t> counts(polys);
    uint64_t sum = 0;
    for (uint32_t& count : counts) {
        count = r.U32();
        sum += count;
    }
    if (sum > total)
        Damaged();
    Need(r, sum, small ? 4 : 8);
    std::vector<std::vector<QPointF>> result;
    result.reserve(polys);
    for (const uint32_t count : counts)
        result.push_back(Points(r, count, small));
    return result;
}

// PolyDraw: points with a type each (move, line, Bézier, and a flag closing the figure).
void PolyDraw(TMetafileDC& dc, TByteReader& r, bool small) {
    r.Skip(16);
    const uint32_t count = r.U32();
    const std::vector<QPointF> points = Points(r, count, small);
    const auto types = r.Bytes(count);
    for (uint32_t i = 0; i < count; ++i) {
        switch (types[i] & ~1u) {
        case 6:
            dc.MoveTo(points[i]);
            break;
        case 2:
            dc.LineTo(points[i]);
            break;
        case 4:
            if (i + 2 < count) {
                dc.PolyBezierTo({points[i], points[i + 1], points[i + 2]});
                i += 2;
            }
            break;
        default:
            break;
        }
        if (types[i] & 1)
            dc.CloseFigure();
    }
}

void Poly(TMetafileDC& dc, uint32_t type, TByteReader& r, bool small) {
    r.Skip(16); // bounds
    const uint32_t count = r.U32();
    const std::vector<QPointF> points = Points(r, count, small);
    switch (type) {
    case EMR_POLYBEZIER:
        dc.PolyBezier(points);
        break;
    case EMR_POLYGON:
        dc.PolyPolygon({points});
        break;
    case EMR_POLYLINE:
        dc.Polyline(points);
        break;
    case EMR_POLYBEZIERTO:
        dc.PolyBezierTo(points);
        break;
    case EMR_POLYLINETO:
        dc.PolylineTo(points);
        break;
    default:
        break;
    }
}

QTransform ReadTransform(TByteReader& r) {
    const float m11 = F32(r), m12 = F32(r), m21 = F32(r), m22 = F32(r), dx = F32(r), dy = F32(r);
    return QTransform(m11, m12, m21, m22, dx, dy);
}

// The brush of a region record: a stock object or the table's brush.
TGdiBrush RegionBrush(TMetafileDC& dc, uint32_t index, bool* found) {
    *found = true;
    if (index & 0x80000000u) {
        static constexpr int Greys[] = {255, 192, 128, 64, 0};
        const uint32_t stock = index & 0x7FFFFFFFu;
        if (stock < 5)
            return TGdiBrush{
                Gdi::BS_SOLID, QColor(Greys[stock], Greys[stock], Greys[stock]), 0, {}};
        *found = stock == 5;
        return TGdiBrush{Gdi::BS_NULL, Qt::white, 0, {}};
    }
    const TGdiObject* object = dc.Object(index);
    const auto* brush = object ? std::get_if<TGdiBrush>(object) : nullptr;
    *found = brush != nullptr;
    return brush ? *brush : TGdiBrush{};
}

// Where a record's bitmap lies: header and pixels at offsets from the record's start.
struct TDibPlace {
    uint32_t OffInfo = 0, InfoSize = 0, OffBits = 0, BitsSize = 0;
    bool Present() const { return InfoSize != 0; }
};

TDibPlace ReadPlace(TByteReader& r) {
    TDibPlace place;
    place.OffInfo = r.U32();
    place.InfoSize = r.U32();
    place.OffBits = r.U32();
    place.BitsSize = r.U32();
    return place;
}

// The bitmap, or a null image when it cannot be decoded; offsets outside the record are
// damage and end the playback. A monochrome brush's bitmap may come without colours (its
// bits choose between the text and the background colour where it is used), so it gets a
// black and white table after its header; a table of its own comes first and wins.
QImage RecordDib(const TByteReader& record, const TDibPlace& place, bool* bottomUp = nullptr,
                 bool monochrome = false) {
    TByteReader at(record.From(0));
    at.Seek(place.OffInfo);
    const auto info = at.Bytes(place.InfoSize);
    at.Seek(place.OffBits);
    const auto bits = at.Bytes(place.BitsSize);
    if (bottomUp) {
        TByteReader header(info);
        const uint32_t size = header.U32();
        *bottomUp =
            size == 12 ? (header.Skip(2), header.I16() > 0) : (header.Skip(4), header.I32() > 0);
    }
    std::vector<uint8_t> withTable;
    if (monochrome) {
        withTable.assign(info.begin(), info.end());
        withTable.insert(withTable.end(), {0, 0, 0, 0, 255, 255, 255, 0});
    }
    try {
        return ReadDib(monochrome ? std::span<const uint8_t>(withTable) : info, bits).Image;
    } catch (const EInvalidGraphic&) {
    } catch (const EReadError&) {
        // A header or colour table cut short: the bitmap is left out, the records go on.
    }
    return {};
}

// BitBlt, StretchBlt, AlphaBlend and TransparentBlt share one layout; the last three add the
// source's size.
void Blt(TMetafileDC& dc, uint32_t type, TByteReader& record, TByteReader& r) {
    r.Skip(16); // bounds
    const QRectF dest = [&] {
        const int32_t x = r.I32(), y = r.I32(), w = r.I32(), h = r.I32();
        return QRectF(x, y, w, h);
    }();
    const uint32_t rop = r.U32();
    const int32_t xSrc = r.I32(), ySrc = r.I32();
    r.Skip(24 + 4 + 4); // source transform, background colour, colour usage
    const TDibPlace place = ReadPlace(r);
    QSizeF srcSize = dest.size();
    if (type != EMR_BITBLT) {
        const int32_t w = r.I32();
        srcSize = QSizeF(w, r.I32());
    }
    if (!place.Present()) {
        dc.PatBlt(dest, rop);
        return;
    }
    QImage image = RecordDib(record, place);
    if (image.isNull())
        return;
    const QRectF source(QPointF(xSrc, ySrc), srcSize);
    if (type == EMR_ALPHABLEND) {
        // The blend function: operation, flags, constant alpha, whether the source has alpha.
        const double opacity = ((rop >> 16) & 0xFF) / 255.0;
        if ((rop >> 24) & 1 && image.depth() == 32)
            image.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
        dc.DrawImage(dest, image, source, Gdi::SRCCOPY, opacity);
    } else if (type == EMR_TRANSPARENTBLT) {
        dc.DrawImage(dest, WithoutColour(image, ColorFromRef(rop).rgb()), source, Gdi::SRCCOPY);
    } else {
        dc.DrawImage(dest, image, source, rop);
    }
}

// StretchDIBits and SetDIBitsToDevice: the source's y counts from the bottom row of a
// bottom-up bitmap.
void DibBits(TMetafileDC& dc, uint32_t type, TByteReader& record, TByteReader& r) {
    r.Skip(16);
    const int32_t xDest = r.I32(), yDest = r.I32(), xSrc = r.I32(), ySrc = r.I32();
    const int32_t cxSrc = r.I32(), cySrc = r.I32();
    const TDibPlace place = ReadPlace(r);
    r.Skip(4); // colour usage
    uint32_t rop = Gdi::SRCCOPY;
    QSizeF destSize(cxSrc, cySrc);
    if (type == EMR_STRETCHDIBITS) {
        rop = r.U32();
        const int32_t cx = r.I32();
        destSize = QSizeF(cx, r.I32());
    }
    const QRectF dest(QPointF(xDest, yDest), destSize);
    if (!place.Present()) {
        dc.PatBlt(dest, rop);
        return;
    }
    bool bottomUp = true;
    const QImage image = RecordDib(record, place, &bottomUp);
    if (image.isNull())
        return;
    const double top = bottomUp ? double(image.height()) - ySrc - cySrc : ySrc;
    dc.DrawImage(dest, image, QRectF(xSrc, top, cxSrc, cySrc), rop);
}

// Rectangles shaded from one edge to the other, or triangles. Triangles are filled with the
// mean of their corners' colours: QPainter has no three-colour gradient.
void GradientFill(TMetafileDC& dc, TByteReader& r) {
    r.Skip(16);
    const uint32_t vertices = r.U32();
    const uint32_t shapes = r.U32();
    const uint32_t mode = r.U32();
    Need(r, vertices, 16);
    std::vector<std::pair<QPointF, QColor>> corners;
    corners.reserve(vertices);
    for (uint32_t i = 0; i < vertices; ++i) {
        const QPointF p = Point32(r);
        const int red = r.U16() >> 8, green = r.U16() >> 8, blue = r.U16() >> 8;
        r.Skip(2); // alpha, not used
        corners.emplace_back(p, QColor(red, green, blue));
    }
    const bool triangles = mode == 2;
    Need(r, shapes, triangles ? 12 : 8);
    for (uint32_t i = 0; i < shapes; ++i) {
        const uint32_t a = r.U32(), b = r.U32(), c = triangles ? r.U32() : 0;
        if (a >= vertices || b >= vertices || c >= vertices)
            continue;
        QPainterPath path;
        if (triangles) {
            path.addPolygon(QPolygonF({corners[a].first, corners[b].first, corners[c].first}));
            const auto mean = [&](int (QColor::*part)() const) {
                return ((corners[a].second.*part)() + (corners[b].second.*part)() +
                        (corners[c].second.*part)()) /
                       3;
            };
            dc.FillLogical(path,
                           QColor(mean(&QColor::red), mean(&QColor::green), mean(&QColor::blue)));
            continue;
        }
        const QPointF from = corners[a].first, to = corners[b].first;
        path.addRect(QRectF(from, to).normalized());
        QLinearGradient gradient(from,
                                 mode == 1 ? QPointF(from.x(), to.y()) : QPointF(to.x(), from.y()));
        gradient.setColorAt(0, corners[a].second);
        gradient.setColorAt(1, corners[b].second);
        dc.FillLogical(path, gradient);
    }
}

TGdiBrush PatternBrush(TByteReader& record, TByteReader& r, bool monochrome) {
    r.Skip(4); // colour usage
    const TDibPlace place = ReadPlace(r);
    TGdiBrush brush;
    brush.Style = Gdi::BS_DIBPATTERNPT;
    brush.Color = Qt::black;
    brush.Monochrome = monochrome;
    if (place.Present())
        brush.Pattern = RecordDib(record, place, nullptr, monochrome);
    return brush;
}

void Play(TMetafileDC& dc, uint32_t type, TByteReader& record) {
    TByteReader r(record.From(RecordHeaderSize));
    switch (type) {
    case EMR_POLYBEZIER:
    case EMR_POLYGON:
    case EMR_POLYLINE:
    case EMR_POLYBEZIERTO:
    case EMR_POLYLINETO:
        Poly(dc, type, r, false);
        break;
    case EMR_POLYBEZIER16:
    case EMR_POLYGON16:
    case EMR_POLYLINE16:
    case EMR_POLYBEZIERTO16:
    case EMR_POLYLINETO16:
        Poly(dc, type - EMR_POLYBEZIER16 + EMR_POLYBEZIER, r, true);
        break;
    case EMR_POLYPOLYLINE:
        dc.PolyPolyline(ReadPolyPoly(r, false));
        break;
    case EMR_POLYPOLYGON:
        dc.PolyPolygon(ReadPolyPoly(r, false));
        break;
    case EMR_POLYPOLYLINE16:
        dc.PolyPolyline(ReadPolyPoly(r, true));
        break;
    case EMR_POLYPOLYGON16:
        dc.PolyPolygon(ReadPolyPoly(r, true));
        break;
    case EMR_POLYDRAW:
        PolyDraw(dc, r, false);
        break;
    case EMR_POLYDRAW16:
        PolyDraw(dc, r, true);
        break;
    case EMR_SETWINDOWEXTEX: {
        const QPointF p = Point32(r);
        dc.SetWindowExt(QSizeF(p.x(), p.y()));
        break;
    }
    case EMR_SETWINDOWORGEX:
        dc.SetWindowOrg(Point32(r));
        break;
    case EMR_SETVIEWPORTEXTEX: {
        const QPointF p = Point32(r);
        dc.SetViewportExt(QSizeF(p.x(), p.y()));
        break;
    }
    case EMR_SETVIEWPORTORGEX:
        dc.SetViewportOrg(Point32(r));
        break;
    case EMR_SETPIXELV: {
        const QPointF p = Point32(r);
        dc.SetPixel(p, r.U32());
        break;
    }
    case EMR_SETMAPMODE:
        dc.SetMapMode(r.I32());
        break;
    case EMR_SETBKMODE:
        dc.SetBkMode(r.I32());
        break;
    case EMR_SETPOLYFILLMODE:
        dc.SetPolyFillMode(r.I32());
        break;
    case EMR_SETROP2:
        dc.SetRop2(r.I32());
        break;
    case EMR_SETTEXTALIGN:
        dc.SetTextAlign(r.U32());
        break;
    case EMR_SETTEXTCOLOR:
        dc.SetTextColor(r.U32());
        break;
    case EMR_SETBKCOLOR:
        dc.SetBkColor(r.U32());
        break;
    case EMR_OFFSETCLIPRGN:
        dc.OffsetClip(Point32(r));
        break;
    case EMR_MOVETOEX:
        dc.MoveTo(Point32(r));
        break;
    case EMR_SETMETARGN:
        dc.SetMetaRegion();
        break;
    case EMR_EXCLUDECLIPRECT:
        dc.ExcludeClipRect(Rect32(r));
        break;
    case EMR_INTERSECTCLIPRECT:
        dc.IntersectClipRect(Rect32(r));
        break;
    case EMR_SCALEVIEWPORTEXTEX:
    case EMR_SCALEWINDOWEXTEX: {
        const int32_t xNum = r.I32(), xDenom = r.I32(), yNum = r.I32(), yDenom = r.I32();
        if (type == EMR_SCALEVIEWPORTEXTEX)
            dc.ScaleViewportExt(xNum, xDenom, yNum, yDenom);
        else
            dc.ScaleWindowExt(xNum, xDenom, yNum, yDenom);
        break;
    }
    case EMR_SAVEDC:
        dc.SaveDC();
        break;
    case EMR_RESTOREDC:
        dc.RestoreDC(r.I32());
        break;
    case EMR_SETWORLDTRANSFORM:
        dc.SetWorldTransform(ReadTransform(r));
        break;
    case EMR_MODIFYWORLDTRANSFORM: {
        const QTransform transform = ReadTransform(r);
        dc.ModifyWorldTransform(transform, r.I32());
        break;
    }
    case EMR_SELECTOBJECT:
        dc.SelectObject(r.U32());
        break;
    case EMR_CREATEPEN: {
        const uint32_t index = r.U32();
        dc.PutObject(index, ReadPen(r));
        break;
    }
    case EMR_EXTCREATEPEN: {
        const uint32_t index = r.U32();
        dc.PutObject(index, ReadExtPen(r));
        break;
    }
    case EMR_CREATEBRUSHINDIRECT: {
        const uint32_t index = r.U32();
        TGdiBrush brush;
        brush.Style = r.U32();
        brush.Color = ColorFromRef(r.U32());
        brush.Hatch = r.U32();
        dc.PutObject(index, brush);
        break;
    }
    case EMR_EXTCREATEFONTINDIRECTW: {
        const uint32_t index = r.U32();
        dc.PutObject(index, ReadFont(r));
        break;
    }
    case EMR_CREATEPALETTE:
        dc.PutObject(r.U32(), TGdiPalette{});
        break;
    case EMR_DELETEOBJECT:
        dc.DeleteObject(r.U32());
        break;
    case EMR_ANGLEARC: {
        const QPointF center = Point32(r);
        const uint32_t radius = r.U32();
        const float start = F32(r), sweep = F32(r);
        dc.AngleArc(center, radius, start, sweep);
        break;
    }
    case EMR_ELLIPSE:
        dc.Ellipse(Rect32(r));
        break;
    case EMR_RECTANGLE:
        dc.Rectangle(Rect32(r));
        break;
    case EMR_ROUNDRECT: {
        const QRectF rect = Rect32(r);
        const QPointF corner = Point32(r);
        dc.RoundRect(rect, QSizeF(corner.x(), corner.y()));
        break;
    }
    case EMR_ARC:
    case EMR_CHORD:
    case EMR_PIE:
    case EMR_ARCTO: {
        const QRectF box = Rect32(r);
        const QPointF start = Point32(r);
        const QPointF end = Point32(r);
        const TArcKind kind = type == EMR_ARC     ? TArcKind::Arc
                              : type == EMR_CHORD ? TArcKind::Chord
                              : type == EMR_PIE   ? TArcKind::Pie
                                                  : TArcKind::ArcTo;
        dc.Arc(kind, box, start, end);
        break;
    }
    case EMR_LINETO:
        dc.LineTo(Point32(r));
        break;
    case EMR_SETMITERLIMIT: {
        // Written as a float by most programs and as an integer by some.
        const uint32_t raw = r.U32();
        const float limit = std::bit_cast<float>(raw);
        dc.SetMiterLimit(limit >= 1 && limit < 1e4f ? double(limit) : double(raw));
        break;
    }
    case EMR_SETARCDIRECTION:
        dc.SetArcDirection(r.U32() == 2);
        break;
    case EMR_BEGINPATH:
        dc.BeginPath();
        break;
    case EMR_ENDPATH:
        dc.EndPath();
        break;
    case EMR_CLOSEFIGURE:
        dc.CloseFigure();
        break;
    case EMR_FILLPATH:
        dc.FillPath();
        break;
    case EMR_STROKEANDFILLPATH:
        dc.StrokeAndFillPath();
        break;
    case EMR_STROKEPATH:
        dc.StrokePath();
        break;
    case EMR_SELECTCLIPPATH:
        dc.SelectClipPath(r.I32());
        break;
    case EMR_ABORTPATH:
        dc.AbortPath();
        break;
    case EMR_FILLRGN:
    case EMR_FRAMERGN: {
        r.Skip(16);
        const uint32_t size = r.U32();
        bool found = false;
        const TGdiBrush brush = RegionBrush(dc, r.U32(), &found);
        QSizeF frame;
        if (type == EMR_FRAMERGN) {
            const int32_t w = r.I32();
            frame = QSizeF(w, r.I32());
        }
        TByteReader region = r.Sub(size);
        const std::vector<QRectF> rects = RegionRects(region);
        if (!found)
            break;
        if (type == EMR_FILLRGN)
            dc.FillRects(rects, brush);
        else
            dc.FrameRects(rects, brush, frame);
        break;
    }
    case EMR_PAINTRGN: {
        r.Skip(16);
        const uint32_t size = r.U32();
        TByteReader region = r.Sub(size);
        dc.PaintRects(RegionRects(region));
        break;
    }
    case EMR_EXTSELECTCLIPRGN: {
        const uint32_t size = r.U32();
        const int32_t mode = r.I32();
        std::vector<QRectF> rects;
        if (size != 0) {
            TByteReader region = r.Sub(size);
            rects = RegionRects(region);
        }
        dc.SelectClipRegion(rects, mode);
        break;
    }
    case EMR_EXTTEXTOUTA:
    case EMR_EXTTEXTOUTW: {
        r.Skip(16 + 12); // bounds, graphics mode, scales
        const TGdiText text = ReadText(record, r, type == EMR_EXTTEXTOUTW);
        if (!(text.Options & Gdi::ETO_GLYPH_INDEX))
            dc.Text(text);
        break;
    }
    case EMR_SMALLTEXTOUT: {
        // Reference point, count, options, graphics mode, scales, an optional clipping
        // rectangle, then the characters: bytes with "small chars", UTF-16 otherwise.
        constexpr uint32_t NoRect = 0x100, SmallChars = 0x200;
        TGdiText text;
        text.Reference = Point32(r);
        const uint32_t count = r.U32();
        text.Options = r.U32();
        r.Skip(12);
        if (!(text.Options & NoRect))
            text.Rect = Rect32(r);
        text.Text = text.Options & SmallChars ? Ansi(r.Bytes(count)) : Utf16(r, count);
        if (!(text.Options & Gdi::ETO_GLYPH_INDEX))
            dc.Text(text);
        break;
    }
    case EMR_POLYTEXTOUTA:
    case EMR_POLYTEXTOUTW: {
        r.Skip(16 + 12);
        const uint32_t strings = r.U32();
        Need(r, strings, 40);
        for (uint32_t i = 0; i < strings; ++i) {
            const TGdiText text = ReadText(record, r, type == EMR_POLYTEXTOUTW);
            if (!(text.Options & Gdi::ETO_GLYPH_INDEX))
                dc.Text(text);
        }
        break;
    }
    case EMR_BITBLT:
    case EMR_STRETCHBLT:
    case EMR_ALPHABLEND:
    case EMR_TRANSPARENTBLT:
        Blt(dc, type, record, r);
        break;
    case EMR_GRADIENTFILL:
        GradientFill(dc, r);
        break;
    case EMR_STRETCHDIBITS:
    case EMR_SETDIBITSTODEVICE:
        DibBits(dc, type, record, r);
        break;
    case EMR_CREATEMONOBRUSH:
    case EMR_CREATEDIBPATTERNBRUSHPT: {
        const uint32_t index = r.U32();
        dc.PutObject(index, PatternBrush(record, r, type == EMR_CREATEMONOBRUSH));
        break;
    }
    default:
        // Comments (EMF+ among them), palettes, colour management and the rest draw
        // nothing here, as on the system's own playback.
        break;
    }
}

} // namespace

void PlayEnhanced(std::span<const uint8_t> bytes, TMetafileDC& dc) {
    TByteReader file(bytes);
    try {
        TByteReader header(bytes);
        header.Seek(HandleCountOffset);
        dc.SetTableSize(header.U16());
        while (file.Remaining() >= RecordHeaderSize) {
            const uint64_t start = file.Position();
            const uint32_t type = file.U32();
            const uint32_t size = file.U32();
            if (size < RecordHeaderSize || size % 4 != 0 || !file.CanRead(size - RecordHeaderSize))
                return;
            file.Seek(start);
            TByteReader record = file.Sub(size);
            if (type == EMR_EOF)
                return;
            Play(dc, type, record);
        }
    } catch (const EReadError&) {
        // A record that claims more than it holds ends the playback here.
    }
}

} // namespace MetafileRecords
