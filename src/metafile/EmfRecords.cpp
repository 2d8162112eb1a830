// The records of enhanced metafiles, each turned into calls on the device context.
#include <QLinearGradient>
#include <QTransform>
#include <array>

#include "metafile/MetafileRecords.h"
#include "metafile/StateRecords.h"
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
    pen.Plain = true;
    return pen;
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
    r.Skip(3); // precisions, quality
    font.PitchAndFamily = r.U8();
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
    if (wide) {
        text.Text = Utf16(at, count);
    } else {
        text.Bytes = at.Bytes(count);
    }
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

// The alpha of a 32-bit bitmap of plain rows, which the decoder makes opaque: the
// fourth byte of each pixel, premultiplied as AlphaBlend takes it. Colours above their alpha,
// which premultiplied pixels cannot have, are lowered to it. False when the bitmap has no
// such bytes or they are all zero, which AlphaBlend draws as an opaque bitmap.
bool PutAlpha(const TByteReader& record, const TDibPlace& place, QImage& image) {
    TByteReader at(record.From(0));
    at.Seek(place.OffInfo);
    TByteReader header(at.Bytes(place.InfoSize));
    if (place.InfoSize < 40 || image.format() != QImage::Format_RGB32)
        return false;
    header.Skip(8);
    const bool bottomUp = header.I32() > 0;
    header.Skip(2);
    if (header.U16() != 32)
        return false;
    // Bit fields count only with the usual masks, which leave the fourth byte free.
    const uint32_t compression = header.U32();
    if (compression == 3 && place.InfoSize >= 52) {
        header.Seek(40);
        if (header.U32() != 0xFF0000 || header.U32() != 0xFF00 || header.U32() != 0xFF)
            return false;
    } else if (compression != 0) {
        return false;
    }
    const size_t width = size_t(image.width()), rows = size_t(image.height());
    if (place.BitsSize / 4 / width < rows)
        return false;
    at.Seek(place.OffBits);
    const auto bits = at.Bytes(place.BitsSize);
    QImage blended(image.size(), QImage::Format_ARGB32_Premultiplied);
    bool any = false;
    for (size_t y = 0; y < rows; ++y) {
        const uint8_t* from = bits.data() + (bottomUp ? rows - 1 - y : y) * width * 4;
        const auto* pixels = reinterpret_cast<const QRgb*>(image.constScanLine(int(y)));
        auto* to = reinterpret_cast<QRgb*>(blended.scanLine(int(y)));
        for (size_t x = 0; x < width; ++x) {
            const int alpha = from[4 * x + 3];
            any = any || alpha != 0;
            const QRgb p = pixels[x];
            to[x] = qRgba(std::min(qRed(p), alpha), std::min(qGreen(p), alpha),
                          std::min(qBlue(p), alpha), alpha);
        }
    }
    if (any)
        image = blended;
    return any;
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
        if ((rop >> 24) & 1)
            PutAlpha(record, place, image);
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

// Records by family. Each handler reads its record's parameters and calls the context.

void Poly(TMetafileDC& dc, TEmfRecord& e) {
    const bool small = e.Type >= EMR_POLYBEZIER16;
    Poly(dc, small ? e.Type - EMR_POLYBEZIER16 + EMR_POLYBEZIER : e.Type, e.R, small);
}

void PolyPolyline(TMetafileDC& dc, TEmfRecord& e) {
    dc.PolyPolyline(ReadPolyPoly(e.R, e.Type == EMR_POLYPOLYLINE16));
}

void PolyPolygon(TMetafileDC& dc, TEmfRecord& e) {
    dc.PolyPolygon(ReadPolyPoly(e.R, e.Type == EMR_POLYPOLYGON16));
}

void PolyDraw(TMetafileDC& dc, TEmfRecord& e) {
    PolyDraw(dc, e.R, e.Type == EMR_POLYDRAW16);
}

void SetPixel(TMetafileDC& dc, TEmfRecord& e) {
    const QPointF p = e.Point();
    dc.SetPixel(p, e.Colour());
}

void WorldTransform(TMetafileDC& dc, TEmfRecord& e) {
    dc.SetWorldTransform(ReadTransform(e.R));
}

void ModifyWorldTransform(TMetafileDC& dc, TEmfRecord& e) {
    const QTransform transform = ReadTransform(e.R);
    dc.ModifyWorldTransform(transform, e.Int());
}

// Pens, brushes, fonts and palettes go into the slot the record names.
void CreateObject(TMetafileDC& dc, TEmfRecord& e) {
    const uint32_t index = e.Index();
    switch (e.Type) {
    case EMR_CREATEPEN:
        dc.PutObject(index, ReadPen(e.R));
        break;
    case EMR_EXTCREATEPEN:
        dc.PutObject(index, ReadExtPen(e.R));
        break;
    case EMR_CREATEBRUSHINDIRECT: {
        TGdiBrush brush;
        brush.Style = e.R.U32();
        brush.Color = ColorFromRef(e.R.U32());
        brush.Hatch = e.R.U32();
        dc.PutObject(index, brush);
        break;
    }
    case EMR_EXTCREATEFONTINDIRECTW:
        dc.PutObject(index, ReadFont(e.R));
        break;
    case EMR_CREATEMONOBRUSH:
    case EMR_CREATEDIBPATTERNBRUSHPT:
        dc.PutObject(index, PatternBrush(e.Whole, e.R, e.Type == EMR_CREATEMONOBRUSH));
        break;
    default:
        dc.PutObject(index, TGdiPalette{});
        break;
    }
}

void AngleArc(TMetafileDC& dc, TEmfRecord& e) {
    const QPointF center = e.Point();
    const uint32_t radius = e.R.U32();
    const float start = F32(e.R), sweep = F32(e.R);
    dc.AngleArc(center, radius, start, sweep);
}

void RoundRect(TMetafileDC& dc, TEmfRecord& e) {
    const QRectF rect = e.Rect();
    dc.RoundRect(rect, e.Size());
}

void Arc(TMetafileDC& dc, TEmfRecord& e) {
    const QRectF box = e.Rect();
    const QPointF start = e.Point();
    const QPointF end = e.Point();
    const TArcKind kind = e.Type == EMR_ARC     ? TArcKind::Arc
                          : e.Type == EMR_CHORD ? TArcKind::Chord
                          : e.Type == EMR_PIE   ? TArcKind::Pie
                                                : TArcKind::ArcTo;
    dc.Arc(kind, box, start, end);
}

void MiterLimit(TMetafileDC& dc, TEmfRecord& e) {
    // Written as a float by most programs and as an integer by some.
    const uint32_t raw = e.R.U32();
    const float limit = std::bit_cast<float>(raw);
    dc.SetMiterLimit(limit >= 1 && limit < 1e4f ? double(limit) : double(raw));
}

// Path brackets and what is done with the path.
void PathRecord(TMetafileDC& dc, TEmfRecord& e) {
    switch (e.Type) {
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
        dc.SelectClipPath(e.Int());
        break;
    default:
        dc.AbortPath();
        break;
    }
}

void FillOrFrameRegion(TMetafileDC& dc, TEmfRecord& e) {
    TByteReader& r = e.R;
    r.Skip(16);
    const uint32_t size = r.U32();
    bool found = false;
    const TGdiBrush brush = RegionBrush(dc, r.U32(), &found);
    QSizeF frame;
    if (e.Type == EMR_FRAMERGN)
        frame = e.Size();
    TByteReader region = r.Sub(size);
    const std::vector<QRectF> rects = RegionRects(region);
    if (!found)
        return;
    if (e.Type == EMR_FILLRGN)
        dc.FillRects(rects, brush);
    else
        dc.FrameRects(rects, brush, frame);
}

void PaintRegion(TMetafileDC& dc, TEmfRecord& e) {
    e.R.Skip(16);
    const uint32_t size = e.R.U32();
    TByteReader region = e.R.Sub(size);
    dc.PaintRects(RegionRects(region));
}

void SelectClipRegion(TMetafileDC& dc, TEmfRecord& e) {
    const uint32_t size = e.R.U32();
    const int32_t mode = e.Int();
    std::vector<QRectF> rects;
    if (size != 0) {
        TByteReader region = e.R.Sub(size);
        rects = RegionRects(region);
    }
    dc.SelectClipRegion(rects, mode);
}

constexpr uint32_t GM_ADVANCED = 2;

void ExtTextOut(TMetafileDC& dc, TEmfRecord& e) {
    e.R.Skip(16); // bounds
    const bool advanced = e.R.U32() == GM_ADVANCED;
    e.R.Skip(8); // scales
    TGdiText text = ReadText(e.Whole, e.R, e.Type == EMR_EXTTEXTOUTW);
    text.Advanced = advanced;
    dc.Text(text);
}

// Reference point, count, options, graphics mode, scales, an optional clipping rectangle,
// then the characters: bytes with "small chars", UTF-16 otherwise.
void SmallTextOut(TMetafileDC& dc, TEmfRecord& e) {
    constexpr uint32_t NoRect = 0x100, SmallChars = 0x200;
    TGdiText text;
    text.Reference = e.Point();
    const uint32_t count = e.R.U32();
    text.Options = e.R.U32();
    text.Advanced = e.R.U32() == GM_ADVANCED;
    e.R.Skip(8); // scales
    if (!(text.Options & NoRect))
        text.Rect = e.Rect();
    text.Text = text.Options & SmallChars ? Ansi(e.R.Bytes(count)) : Utf16(e.R, count);
    dc.Text(text);
}

void PolyTextOut(TMetafileDC& dc, TEmfRecord& e) {
    e.R.Skip(16);
    const bool advanced = e.R.U32() == GM_ADVANCED;
    e.R.Skip(8);
    const uint32_t strings = e.R.U32();
    Need(e.R, strings, 40);
    for (uint32_t i = 0; i < strings; ++i) {
        TGdiText text = ReadText(e.Whole, e.R, e.Type == EMR_POLYTEXTOUTW);
        text.Advanced = advanced;
        dc.Text(text);
    }
}

void Blt(TMetafileDC& dc, TEmfRecord& e) {
    Blt(dc, e.Type, e.Whole, e.R);
}

void GradientFill(TMetafileDC& dc, TEmfRecord& e) {
    GradientFill(dc, e.R);
}

void DibBits(TMetafileDC& dc, TEmfRecord& e) {
    DibBits(dc, e.Type, e.Whole, e.R);
}

using THandler = void (*)(TMetafileDC&, TEmfRecord&);

// The handlers by record type. Types not in the table (comments, EMF+ among them, palettes,
// colour management and the rest) draw nothing here, as on the system's own playback.
constexpr uint32_t MaxHandledType = EMR_GRADIENTFILL;
constexpr auto Handlers = [] {
    using namespace State;
    using R = TEmfRecord;
    std::array<THandler, MaxHandledType + 1> table{};
    for (const uint32_t type :
         {EMR_POLYBEZIER, EMR_POLYGON, EMR_POLYLINE, EMR_POLYBEZIERTO, EMR_POLYLINETO,
          EMR_POLYBEZIER16, EMR_POLYGON16, EMR_POLYLINE16, EMR_POLYBEZIERTO16, EMR_POLYLINETO16})
        table[type] = Poly;
    table[EMR_POLYPOLYLINE] = table[EMR_POLYPOLYLINE16] = PolyPolyline;
    table[EMR_POLYPOLYGON] = table[EMR_POLYPOLYGON16] = PolyPolygon;
    table[EMR_POLYDRAW] = table[EMR_POLYDRAW16] = PolyDraw;
    table[EMR_SETWINDOWEXTEX] = WindowExt<R>;
    table[EMR_SETWINDOWORGEX] = WindowOrg<R>;
    table[EMR_SETVIEWPORTEXTEX] = ViewportExt<R>;
    table[EMR_SETVIEWPORTORGEX] = ViewportOrg<R>;
    table[EMR_SCALEVIEWPORTEXTEX] = ScaleViewportExt<R>;
    table[EMR_SCALEWINDOWEXTEX] = ScaleWindowExt<R>;
    table[EMR_SETMAPMODE] = MapMode<R>;
    table[EMR_SETBKMODE] = BkMode<R>;
    table[EMR_SETPOLYFILLMODE] = PolyFillMode<R>;
    table[EMR_SETROP2] = Rop2<R>;
    table[EMR_SETTEXTALIGN] = TextAlign<R>;
    table[EMR_SETTEXTCOLOR] = TextColor<R>;
    table[EMR_SETBKCOLOR] = BkColor<R>;
    table[EMR_OFFSETCLIPRGN] = OffsetClip<R>;
    table[EMR_MOVETOEX] = MoveTo<R>;
    table[EMR_LINETO] = LineTo<R>;
    table[EMR_EXCLUDECLIPRECT] = ExcludeClipRect<R>;
    table[EMR_INTERSECTCLIPRECT] = IntersectClipRect<R>;
    table[EMR_SAVEDC] = SaveDC<R>;
    table[EMR_RESTOREDC] = RestoreDC<R>;
    table[EMR_SELECTOBJECT] = SelectObject<R>;
    table[EMR_DELETEOBJECT] = DeleteObject<R>;
    table[EMR_RECTANGLE] = Rectangle<R>;
    table[EMR_ELLIPSE] = Ellipse<R>;
    table[EMR_SETPIXELV] = SetPixel;
    table[EMR_SETMETARGN] = [](TMetafileDC& dc, TEmfRecord&) {
        dc.SetMetaRegion();
    };
    table[EMR_SETARCDIRECTION] = [](TMetafileDC& dc, TEmfRecord& e) {
        dc.SetArcDirection(e.R.U32() == 2);
    };
    table[EMR_SETMITERLIMIT] = MiterLimit;
    table[EMR_SETWORLDTRANSFORM] = WorldTransform;
    table[EMR_MODIFYWORLDTRANSFORM] = ModifyWorldTransform;
    for (const uint32_t type :
         {EMR_CREATEPEN, EMR_EXTCREATEPEN, EMR_CREATEBRUSHINDIRECT, EMR_EXTCREATEFONTINDIRECTW,
          EMR_CREATEPALETTE, EMR_CREATEMONOBRUSH, EMR_CREATEDIBPATTERNBRUSHPT})
        table[type] = CreateObject;
    table[EMR_ANGLEARC] = AngleArc;
    table[EMR_ROUNDRECT] = RoundRect;
    table[EMR_ARC] = table[EMR_CHORD] = table[EMR_PIE] = table[EMR_ARCTO] = Arc;
    for (const uint32_t type :
         {EMR_BEGINPATH, EMR_ENDPATH, EMR_CLOSEFIGURE, EMR_FILLPATH, EMR_STROKEANDFILLPATH,
          EMR_STROKEPATH, EMR_SELECTCLIPPATH, EMR_ABORTPATH})
        table[type] = PathRecord;
    table[EMR_FILLRGN] = table[EMR_FRAMERGN] = FillOrFrameRegion;
    table[EMR_PAINTRGN] = PaintRegion;
    table[EMR_EXTSELECTCLIPRGN] = SelectClipRegion;
    table[EMR_EXTTEXTOUTA] = table[EMR_EXTTEXTOUTW] = ExtTextOut;
    table[EMR_SMALLTEXTOUT] = SmallTextOut;
    table[EMR_POLYTEXTOUTA] = table[EMR_POLYTEXTOUTW] = PolyTextOut;
    table[EMR_BITBLT] = table[EMR_STRETCHBLT] = table[EMR_ALPHABLEND] = table[EMR_TRANSPARENTBLT] =
        Blt;
    table[EMR_GRADIENTFILL] = GradientFill;
    table[EMR_STRETCHDIBITS] = table[EMR_SETDIBITSTODEVICE] = DibBits;
    return table;
}();

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
            TEmfRecord record{type, file.Sub(size)};
            if (type == EMR_EOF)
                return;
            if (type <= MaxHandledType && Handlers[type])
                PlayRecord(Handlers[type], dc, record);
        }
    } catch (const EReadError&) {
        // A header too short for its handle count: nothing to play.
    }
}

} // namespace MetafileRecords
