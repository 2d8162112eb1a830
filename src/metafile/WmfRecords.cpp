// The records of Windows metafiles, each turned into calls on the same device context as
// the enhanced records. Parameters are 16-bit words, most of them stored last first.
#include <QTransform>
#include <array>

#include "metafile/Charsets.h"
#include "metafile/MetafileRecords.h"
#include "metafile/StateRecords.h"
#include "toolkit/Dib.h"

namespace MetafileRecords {
namespace {

enum : uint16_t {
    META_EOF = 0x0000,
    META_SETBKCOLOR = 0x0201,
    META_SETBKMODE = 0x0102,
    META_SETMAPMODE = 0x0103,
    META_SETROP2 = 0x0104,
    META_SETPOLYFILLMODE = 0x0106,
    META_SETTEXTCHAREXTRA = 0x0108,
    META_SETTEXTCOLOR = 0x0209,
    META_SETWINDOWORG = 0x020B,
    META_SETWINDOWEXT = 0x020C,
    META_SETVIEWPORTORG = 0x020D,
    META_SETVIEWPORTEXT = 0x020E,
    META_OFFSETWINDOWORG = 0x020F,
    META_SCALEWINDOWEXT = 0x0410,
    META_OFFSETVIEWPORTORG = 0x0211,
    META_SCALEVIEWPORTEXT = 0x0412,
    META_LINETO = 0x0213,
    META_MOVETO = 0x0214,
    META_EXCLUDECLIPRECT = 0x0415,
    META_INTERSECTCLIPRECT = 0x0416,
    META_ARC = 0x0817,
    META_ELLIPSE = 0x0418,
    META_PIE = 0x081A,
    META_RECTANGLE = 0x041B,
    META_ROUNDRECT = 0x061C,
    META_PATBLT = 0x061D,
    META_SAVEDC = 0x001E,
    META_SETPIXEL = 0x041F,
    META_OFFSETCLIPRGN = 0x0220,
    META_TEXTOUT = 0x0521,
    META_BITBLT = 0x0922,
    META_STRETCHBLT = 0x0B23,
    META_POLYGON = 0x0324,
    META_POLYLINE = 0x0325,
    META_RESTOREDC = 0x0127,
    META_FILLREGION = 0x0228,
    META_FRAMEREGION = 0x0429,
    META_PAINTREGION = 0x012B,
    META_SELECTCLIPREGION = 0x012C,
    META_SELECTOBJECT = 0x012D,
    META_SETTEXTALIGN = 0x012E,
    META_CHORD = 0x0830,
    META_EXTTEXTOUT = 0x0A32,
    META_SETDIBTODEV = 0x0D33,
    META_POLYPOLYGON = 0x0538,
    META_DIBBITBLT = 0x0940,
    META_DIBSTRETCHBLT = 0x0B41,
    META_DIBCREATEPATTERNBRUSH = 0x0142,
    META_STRETCHDIB = 0x0F43,
    META_DELETEOBJECT = 0x01F0,
    META_CREATEPALETTE = 0x00F7,
    META_CREATEPATTERNBRUSH = 0x01F9,
    META_CREATEPENINDIRECT = 0x02FA,
    META_CREATEFONTINDIRECT = 0x02FB,
    META_CREATEBRUSHINDIRECT = 0x02FC,
    META_CREATEREGION = 0x06FF
};

constexpr uint64_t HeaderSize = 18;
constexpr uint64_t ObjectCountOffset = 10;
constexpr uint64_t RecordHeaderSize = 6;

using TArcKind = TMetafileDC::TArcKind;

TGdiFont ReadFont(TByteReader& r) {
    TGdiFont font;
    font.Height = r.I16();
    font.Width = r.I16();
    font.Escapement = r.I16();
    r.Skip(2); // orientation
    font.Weight = r.I16();
    font.Italic = r.U8();
    font.Underline = r.U8();
    font.StrikeOut = r.U8();
    font.Charset = r.U8();
    r.Skip(3); // precisions, quality
    font.PitchAndFamily = r.U8();
    const auto face = r.Bytes(std::min<uint64_t>(r.Remaining(), 32));
    size_t length = 0;
    while (length < face.size() && face[length] != 0)
        ++length;
    font.Face = MetafileText::Decoded(face.first(length), font.Charset);
    return font;
}

// A region object: scans of equal height, each with pairs of left and right edges.
TGdiRegion ReadRegion(TByteReader& r) {
    r.Skip(2 + 2 + 4 + 2); // next in chain, type, count, size
    const int16_t scans = r.I16();
    r.Skip(2 + 8); // longest scan, bounds
    TGdiRegion region;
    for (int16_t s = 0; s < scans; ++s) {
        const uint16_t count = r.U16();
        const uint16_t top = r.U16();
        const uint16_t bottom = r.U16();
        Need(r, count, 2);
        for (uint16_t i = 0; i + 1 < count; i += 2) {
            const uint16_t left = r.U16();
            const uint16_t right = r.U16();
            region.Rects.emplace_back(QPointF(left, top), QPointF(right, bottom));
        }
        if (count % 2)
            r.Skip(2);
        r.Skip(2); // the count again
    }
    return region;
}

const TGdiRegion* RegionObject(const TMetafileDC& dc, uint16_t index) {
    const TGdiObject* object = dc.Object(index);
    return object ? std::get_if<TGdiRegion>(object) : nullptr;
}

const TGdiBrush* BrushObject(const TMetafileDC& dc, uint16_t index) {
    const TGdiObject* object = dc.Object(index);
    return object ? std::get_if<TGdiBrush>(object) : nullptr;
}

void Text(TMetafileDC& dc, TByteReader& r, bool extended) {
    TGdiText text;
    if (extended) {
        text.Reference = ReversedPoint(r);
        const int16_t count = r.I16();
        text.Options = r.U16();
        if (text.Options & (Gdi::ETO_OPAQUE | Gdi::ETO_CLIPPED)) {
            const int16_t left = r.I16(), top = r.I16(), right = r.I16(), bottom = r.I16();
            text.Rect = QRectF(QPointF(left, top), QPointF(right, bottom));
        }
        if (count <= 0)
            return;
        text.Bytes = r.Bytes(uint64_t(count));
        if (count % 2)
            r.Skip(1);
        if (r.CanRead(uint64_t(count) * 2)) {
            for (int16_t i = 0; i < count; ++i)
                text.Dx.push_back(r.I16());
        }
    } else {
        const int16_t count = r.I16();
        if (count <= 0)
            return;
        text.Bytes = r.Bytes(uint64_t(count));
        if (count % 2)
            r.Skip(1);
        text.Reference = ReversedPoint(r);
    }
    dc.Text(text);
}

void PolyPolygon(TMetafileDC& dc, TByteReader& r) {
    const uint16_t polys = r.U16();
    Need(r, polys, 2);
    std::vector<uint16_t> counts(polys);
    uint64_t sum = 0;
    for (uint16_t& count : counts)
        sum += count = r.U16();
    Need(r, sum, 4);
    std::vector<std::vector<QPointF>> polygons;
    polygons.reserve(polys);
    for (const uint16_t count : counts)
        polygons.push_back(Points(r, count, true));
    dc.PolyPolygon(polygons);
}

// The bitmap records: the raster operation and the destination come last; the source rectangle
// is present in all but SetDIBitsToDevice; the bitmap follows as a packed DIB. Records without
// a bitmap are pattern fills.
void Bitmap(TMetafileDC& dc, uint16_t function, TByteReader& r, uint64_t words) {
    const bool stretch = function == META_STRETCHDIB || function == META_DIBSTRETCHBLT ||
                         function == META_STRETCHBLT;
    if (function == META_SETDIBTODEV) {
        r.Skip(2); // colour usage
        r.Skip(4); // scans, start scan
        const QPointF src = ReversedPoint(r);
        const QSizeF size = ReversedSize(r);
        const QPointF dst = ReversedPoint(r);
        const TBitmapImage dib = ReadPackedDib(r.Bytes(r.Remaining()));
        const double top = dib.Image.height() - src.y() - size.height();
        dc.DrawImage(QRectF(dst, size), dib.Image, QRectF(QPointF(src.x(), top), size),
                     Gdi::SRCCOPY);
        return;
    }
    const uint32_t rop = r.U32();
    if (function == META_STRETCHDIB)
        r.Skip(2); // colour usage
    QSizeF srcSize;
    if (stretch)
        srcSize = ReversedSize(r);
    const QPointF src = ReversedPoint(r);
    // Without a bitmap the record carries one more (reserved) word before the destination.
    const bool withBitmap = words * 2 > RecordHeaderSize + (stretch ? 22u : 18u);
    if (!withBitmap)
        r.Skip(2);
    const QSizeF dstSize = ReversedSize(r);
    const QPointF dst = ReversedPoint(r);
    if (!stretch)
        srcSize = dstSize;
    if (!withBitmap) {
        dc.PatBlt(QRectF(dst, dstSize), rop);
        return;
    }
    if (function == META_BITBLT || function == META_STRETCHBLT)
        return; // device-dependent bitmaps of the oldest files are not drawn
    const TBitmapImage dib = ReadPackedDib(r.Bytes(r.Remaining()));
    // StretchDIBits counts the source's y from the bottom row.
    const double top =
        function == META_STRETCHDIB ? dib.Image.height() - src.y() - srcSize.height() : src.y();
    dc.DrawImage(QRectF(dst, dstSize), dib.Image, QRectF(QPointF(src.x(), top), srcSize), rop);
}

// Records by family. Each handler reads its record's parameters and calls the context.

void Arc(TMetafileDC& dc, TWmfRecord& w) {
    const QPointF end = w.Point();
    const QPointF start = w.Point();
    const QRectF box = w.Rect();
    const TArcKind kind = w.Function == META_ARC   ? TArcKind::Arc
                          : w.Function == META_PIE ? TArcKind::Pie
                                                   : TArcKind::Chord;
    dc.Arc(kind, box, start, end);
}

void RoundRect(TMetafileDC& dc, TWmfRecord& w) {
    const QSizeF corner = w.Size();
    dc.RoundRect(w.Rect(), corner);
}

void PatBlt(TMetafileDC& dc, TWmfRecord& w) {
    const uint32_t rop = w.R.U32();
    const QSizeF size = w.Size();
    dc.PatBlt(QRectF(w.Point(), size), rop);
}

void SetPixel(TMetafileDC& dc, TWmfRecord& w) {
    const uint32_t color = w.Colour();
    dc.SetPixel(w.Point(), color);
}

void PolyOrLine(TMetafileDC& dc, TWmfRecord& w) {
    const int16_t count = w.R.I16();
    const std::vector<QPointF> points = Points(w.R, uint64_t(std::max<int16_t>(count, 0)), true);
    if (w.Function == META_POLYGON)
        dc.PolyPolygon({points});
    else
        dc.Polyline(points);
}

// A region in logical units becomes the clipping; anything else removes it.
void SelectClipRegion(TMetafileDC& dc, TWmfRecord& w) {
    const uint16_t index = w.R.U16();
    if (RegionObject(dc, index))
        dc.SelectObject(index);
    else
        dc.SelectClipRegion({}, Gdi::RGN_COPY);
}

// Objects take the first free slot of the table.
void CreateObject(TMetafileDC& dc, TWmfRecord& w) {
    TByteReader& r = w.R;
    switch (w.Function) {
    case META_CREATEPENINDIRECT: {
        TGdiPen pen;
        pen.Style = r.U16() & Gdi::PS_STYLE_MASK;
        pen.Width = r.I16();
        r.Skip(2);
        pen.Color = ColorFromRef(r.U32());
        pen.Cosmetic = pen.Width <= 0;
        pen.Plain = true;
        dc.AddObject(pen);
        break;
    }
    case META_CREATEBRUSHINDIRECT: {
        TGdiBrush brush;
        brush.Style = r.U16();
        brush.Color = ColorFromRef(r.U32());
        brush.Hatch = r.U16();
        dc.AddObject(brush);
        break;
    }
    case META_CREATEFONTINDIRECT:
        dc.AddObject(ReadFont(r));
        break;
    case META_CREATEPATTERNBRUSH:
        dc.AddObject(TGdiBrush{});
        break;
    default:
        dc.AddObject(TGdiPalette{});
        break;
    }
}

// A region that cannot be read still takes its slot, as an empty region.
void CreateRegion(TMetafileDC& dc, TWmfRecord& w) {
    TGdiRegion region;
    try {
        region = ReadRegion(w.R);
    } catch (const EReadError&) {
    }
    dc.AddObject(region);
}

void CreateDibPatternBrush(TMetafileDC& dc, TWmfRecord& w) {
    const uint16_t style = w.R.U16();
    w.R.Skip(2); // colour usage
    TGdiBrush brush;
    brush.Style = Gdi::BS_DIBPATTERNPT;
    // A pattern brush carries its bitmap as a device-independent one here, too.
    if (style == Gdi::BS_PATTERN || style == Gdi::BS_DIBPATTERN || style == Gdi::BS_DIBPATTERNPT) {
        try {
            brush.Pattern = ReadPackedDib(w.R.Bytes(w.R.Remaining())).Image;
        } catch (const EInvalidGraphic&) {
            brush.Style = Gdi::BS_SOLID;
        }
    }
    dc.AddObject(brush);
}

void PaintRegion(TMetafileDC& dc, TWmfRecord& w) {
    if (const TGdiRegion* region = RegionObject(dc, w.R.U16()))
        dc.PaintRects(region->Rects);
}

void FillOrFrameRegion(TMetafileDC& dc, TWmfRecord& w) {
    const TGdiRegion* region = RegionObject(dc, w.R.U16());
    const TGdiBrush* brush = BrushObject(dc, w.R.U16());
    QSizeF frame;
    if (w.Function == META_FRAMEREGION)
        frame = w.Size();
    if (!region || !brush)
        return;
    if (w.Function == META_FILLREGION)
        dc.FillRects(region->Rects, *brush);
    else
        dc.FrameRects(region->Rects, *brush, frame);
}

void Bitmap(TMetafileDC& dc, TWmfRecord& w) {
    try {
        Bitmap(dc, w.Function, w.R, w.Words);
    } catch (const EInvalidGraphic&) {
        // A bitmap we cannot decode is left out; the records after it still play.
    }
}

using THandler = void (*)(TMetafileDC&, TWmfRecord&);

struct TEntry {
    uint16_t Function = 0;
    THandler Handler = nullptr;
};

// The handlers by the low byte of the function, which tells the records apart; the whole
// function must match. Functions not in the table draw nothing.
constexpr auto Handlers = [] {
    using namespace State;
    using R = TWmfRecord;
    std::array<TEntry, 256> table{};
    const auto put = [&table](uint16_t function, THandler handler) {
        table[function & 0xFF] = {function, handler};
    };
    put(META_SETBKCOLOR, BkColor<R>);
    put(META_SETBKMODE, BkMode<R>);
    put(META_SETMAPMODE, MapMode<R>);
    put(META_SETROP2, Rop2<R>);
    put(META_SETPOLYFILLMODE, PolyFillMode<R>);
    put(META_SETTEXTCHAREXTRA,
        [](TMetafileDC& dc, TWmfRecord& w) { dc.SetTextCharExtra(w.Int()); });
    put(META_SETTEXTCOLOR, TextColor<R>);
    put(META_SETTEXTALIGN, TextAlign<R>);
    put(META_SETWINDOWORG, WindowOrg<R>);
    put(META_SETWINDOWEXT, WindowExt<R>);
    put(META_SETVIEWPORTORG, ViewportOrg<R>);
    put(META_SETVIEWPORTEXT, ViewportExt<R>);
    put(META_OFFSETWINDOWORG,
        [](TMetafileDC& dc, TWmfRecord& w) { dc.OffsetWindowOrg(w.Point()); });
    put(META_OFFSETVIEWPORTORG,
        [](TMetafileDC& dc, TWmfRecord& w) { dc.OffsetViewportOrg(w.Point()); });
    put(META_SCALEWINDOWEXT, ScaleWindowExt<R>);
    put(META_SCALEVIEWPORTEXT, ScaleViewportExt<R>);
    put(META_LINETO, LineTo<R>);
    put(META_MOVETO, MoveTo<R>);
    put(META_EXCLUDECLIPRECT, ExcludeClipRect<R>);
    put(META_INTERSECTCLIPRECT, IntersectClipRect<R>);
    put(META_OFFSETCLIPRGN, OffsetClip<R>);
    put(META_ARC, Arc);
    put(META_PIE, Arc);
    put(META_CHORD, Arc);
    put(META_ELLIPSE, Ellipse<R>);
    put(META_RECTANGLE, Rectangle<R>);
    put(META_ROUNDRECT, RoundRect);
    put(META_PATBLT, PatBlt);
    put(META_SAVEDC, SaveDC<R>);
    put(META_RESTOREDC, RestoreDC<R>);
    put(META_SETPIXEL, SetPixel);
    put(META_TEXTOUT, [](TMetafileDC& dc, TWmfRecord& w) { Text(dc, w.R, false); });
    put(META_EXTTEXTOUT, [](TMetafileDC& dc, TWmfRecord& w) { Text(dc, w.R, true); });
    put(META_POLYGON, PolyOrLine);
    put(META_POLYLINE, PolyOrLine);
    put(META_POLYPOLYGON, [](TMetafileDC& dc, TWmfRecord& w) { PolyPolygon(dc, w.R); });
    put(META_SELECTOBJECT, SelectObject<R>);
    put(META_SELECTCLIPREGION, SelectClipRegion);
    put(META_DELETEOBJECT, DeleteObject<R>);
    for (const uint16_t function :
         {META_CREATEPENINDIRECT, META_CREATEBRUSHINDIRECT, META_CREATEFONTINDIRECT,
          META_CREATEPALETTE, META_CREATEPATTERNBRUSH})
        put(function, CreateObject);
    put(META_CREATEREGION, CreateRegion);
    put(META_DIBCREATEPATTERNBRUSH, CreateDibPatternBrush);
    put(META_PAINTREGION, PaintRegion);
    put(META_FILLREGION, FillOrFrameRegion);
    put(META_FRAMEREGION, FillOrFrameRegion);
    for (const uint16_t function : {META_BITBLT, META_STRETCHBLT, META_DIBBITBLT,
                                    META_DIBSTRETCHBLT, META_STRETCHDIB, META_SETDIBTODEV})
        put(function, Bitmap);
    return table;
}();

} // namespace

void PlayWindows(std::span<const uint8_t> bytes, TMetafileDC& dc) {
    TByteReader file(bytes);
    try {
        file.Seek(ObjectCountOffset);
        dc.SetTableSize(file.U16());
        file.Seek(HeaderSize);
        while (file.Remaining() >= RecordHeaderSize) {
            const uint64_t start = file.Position();
            const uint64_t words = file.U32();
            const uint16_t function = file.U16();
            if (words < 3 || !file.CanRead(words * 2 - RecordHeaderSize))
                return;
            file.Seek(start);
            TByteReader record = file.Sub(words * 2);
            if (function == META_EOF)
                return;
            record.Skip(RecordHeaderSize);
            const TEntry& entry = Handlers[function & 0xFF];
            if (entry.Function == function && entry.Handler) {
                TWmfRecord params{function, words, record};
                PlayRecord(entry.Handler, dc, params);
            }
        }
    } catch (const EReadError&) {
        // A header too short for its object count: nothing to play.
    }
}

} // namespace MetafileRecords
