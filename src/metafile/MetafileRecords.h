// Reading helpers shared by the enhanced and the Windows metafile records. Every read goes
// through TByteReader, limited to its record, so a record whose content claims more than the
// record holds raises EReadError, and the playback skips that record.
#pragma once

#include <QPointF>
#include <QRectF>
#include <QString>
#include <bit>
#include <span>
#include <vector>

#include "metafile/MetafileDC.h"
#include "toolkit/ByteReader.h"
#include "toolkit/Errors.h"

namespace MetafileRecords {

[[noreturn]] inline void Damaged() {
    throw EReadError(Msg::ReadError);
}

// Plays one record whose size fits the file. A record damaged within that size is left out
// and the playback goes on with the next one, as the system does: the size alone says where
// the next record begins.
template <typename THandler, typename TRecord>
void PlayRecord(THandler handler, TMetafileDC& dc, TRecord& record) {
    try {
        handler(dc, record);
    } catch (const EReadError&) {
    }
}

// Refuses a count of items before anything is allocated for them.
inline void Need(const TByteReader& r, uint64_t count, uint64_t itemSize) {
    if (!r.CanRead(count * itemSize))
        Damaged();
}

inline float F32(TByteReader& r) {
    return std::bit_cast<float>(r.U32());
}

inline QPointF Point32(TByteReader& r) {
    const int32_t x = r.I32();
    return QPointF(x, r.I32());
}

inline QPointF Point16(TByteReader& r) {
    const int16_t x = r.I16();
    return QPointF(x, r.I16());
}

inline std::vector<QPointF> Points(TByteReader& r, uint64_t count, bool small) {
    Need(r, count, small ? 4 : 8);
    std::vector<QPointF> points;
    points.reserve(count);
    for (uint64_t i = 0; i < count; ++i)
        points.push_back(small ? Point16(r) : Point32(r));
    return points;
}

// Left, top, right, bottom as 32-bit values.
inline QRectF Rect32(TByteReader& r) {
    const int32_t left = r.I32(), top = r.I32(), right = r.I32(), bottom = r.I32();
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

// UTF-16 text of count code units.
inline QString Utf16(TByteReader& r, uint64_t count) {
    Need(r, count, 2);
    QString text;
    text.reserve(qsizetype(count));
    for (uint64_t i = 0; i < count; ++i)
        text.append(QChar(r.U16()));
    return text;
}

// Text in the Windows ANSI code page: Latin-1, with the page's own characters at 0x80..0x9F.
// Written into text, whose storage is reused.
inline void ReadAnsi(std::span<const uint8_t> bytes, QString& text) {
    static constexpr char16_t High[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    text.resize(qsizetype(bytes.size()));
    QChar* out = text.data();
    for (const uint8_t b : bytes)
        *out++ = QChar(b >= 0x80 && b < 0xA0 ? High[b - 0x80] : char16_t(b));
}

inline QString Ansi(std::span<const uint8_t> bytes) {
    QString text;
    ReadAnsi(bytes, text);
    return text;
}

// A region's rectangles (RGNDATA: a 32-byte header, then the rectangles).
inline std::vector<QRectF> RegionRects(TByteReader& r) {
    r.Skip(8); // header size, type
    const uint32_t count = r.U32();
    r.Skip(4 + 16); // region size, bounds
    Need(r, count, 16);
    std::vector<QRectF> rects;
    rects.reserve(count);
    for (uint32_t i = 0; i < count; ++i)
        rects.push_back(Rect32(r));
    return rects;
}

// The four numbers of a record that scales the window's or the viewport's extents.
struct TScale {
    double XNum = 1, XDenom = 1, YNum = 1, YDenom = 1;
};

// An enhanced metafile record: its type, the whole record (the offsets inside it count from
// its start) and a reader at its parameters, which are 32-bit values in order.
struct TEmfRecord {
    uint32_t Type = 0;
    TByteReader Whole;
    TByteReader R = TByteReader(Whole.From(8));

    int32_t Int() { return R.I32(); }
    uint32_t Flags() { return R.U32(); }
    uint32_t Colour() { return R.U32(); }
    uint32_t Index() { return R.U32(); }
    QPointF Point() { return Point32(R); }
    QSizeF Size() {
        const QPointF p = Point32(R);
        return QSizeF(p.x(), p.y());
    }
    QRectF Rect() { return Rect32(R); }
    TScale Scale() {
        const double xNum = R.I32(), xDenom = R.I32(), yNum = R.I32(), yDenom = R.I32();
        return {xNum, xDenom, yNum, yDenom};
    }
};

// Windows metafiles store points y first, sizes height first and rectangles bottom first.
inline QPointF ReversedPoint(TByteReader& r) {
    const int16_t y = r.I16();
    return QPointF(r.I16(), y);
}

inline QSizeF ReversedSize(TByteReader& r) {
    const int16_t y = r.I16();
    return QSizeF(r.I16(), y);
}

inline QRectF ReversedRect(TByteReader& r) {
    const int16_t bottom = r.I16(), right = r.I16(), top = r.I16(), left = r.I16();
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

// A Windows metafile record: its function, its size in 16-bit words and a reader at its
// parameters, 16-bit words with points, sizes and rectangles stored last value first.
struct TWmfRecord {
    uint16_t Function = 0;
    uint64_t Words = 0;
    TByteReader R;

    int32_t Int() { return R.I16(); }
    uint32_t Flags() { return R.U16(); }
    uint32_t Colour() { return R.U32(); }
    uint32_t Index() { return R.U16(); }
    QPointF Point() { return ReversedPoint(R); }
    QSizeF Size() { return ReversedSize(R); }
    QRectF Rect() { return ReversedRect(R); }
    TScale Scale() {
        const double yDenom = R.I16(), yNum = R.I16(), xDenom = R.I16(), xNum = R.I16();
        return {xNum, xDenom, yNum, yDenom};
    }
};

// Plays the records of an enhanced metafile (from its header on) into the context.
void PlayEnhanced(std::span<const uint8_t> bytes, TMetafileDC& dc);
// Plays a Windows metafile (from its 18-byte header on) into the context.
void PlayWindows(std::span<const uint8_t> bytes, TMetafileDC& dc);

} // namespace MetafileRecords
