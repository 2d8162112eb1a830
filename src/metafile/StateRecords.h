// The records that enhanced and Windows metafiles both have and that mean the same in both:
// modes, colours, the mapping, the current position, clipping rectangles, the save stack,
// object selection and the simplest figures. Each is written once, over a record type that
// reads the parameters as its format stores them: TEmfRecord (32-bit values in order) or
// TWmfRecord (16-bit words, most of them last first).
#pragma once

#include "metafile/MetafileDC.h"

namespace MetafileRecords::State {

template <class R> void BkColor(TMetafileDC& dc, R& r) {
    dc.SetBkColor(r.Colour());
}

template <class R> void TextColor(TMetafileDC& dc, R& r) {
    dc.SetTextColor(r.Colour());
}

template <class R> void BkMode(TMetafileDC& dc, R& r) {
    dc.SetBkMode(r.Int());
}

template <class R> void MapMode(TMetafileDC& dc, R& r) {
    dc.SetMapMode(r.Int());
}

template <class R> void Rop2(TMetafileDC& dc, R& r) {
    dc.SetRop2(r.Int());
}

template <class R> void PolyFillMode(TMetafileDC& dc, R& r) {
    dc.SetPolyFillMode(r.Int());
}

template <class R> void TextAlign(TMetafileDC& dc, R& r) {
    dc.SetTextAlign(r.Flags());
}

template <class R> void WindowOrg(TMetafileDC& dc, R& r) {
    dc.SetWindowOrg(r.Point());
}

template <class R> void WindowExt(TMetafileDC& dc, R& r) {
    dc.SetWindowExt(r.Size());
}

template <class R> void ViewportOrg(TMetafileDC& dc, R& r) {
    dc.SetViewportOrg(r.Point());
}

template <class R> void ViewportExt(TMetafileDC& dc, R& r) {
    dc.SetViewportExt(r.Size());
}

template <class R> void ScaleWindowExt(TMetafileDC& dc, R& r) {
    const auto s = r.Scale();
    dc.ScaleWindowExt(s.XNum, s.XDenom, s.YNum, s.YDenom);
}

template <class R> void ScaleViewportExt(TMetafileDC& dc, R& r) {
    const auto s = r.Scale();
    dc.ScaleViewportExt(s.XNum, s.XDenom, s.YNum, s.YDenom);
}

template <class R> void MoveTo(TMetafileDC& dc, R& r) {
    dc.MoveTo(r.Point());
}

template <class R> void LineTo(TMetafileDC& dc, R& r) {
    dc.LineTo(r.Point());
}

template <class R> void ExcludeClipRect(TMetafileDC& dc, R& r) {
    dc.ExcludeClipRect(r.Rect());
}

template <class R> void IntersectClipRect(TMetafileDC& dc, R& r) {
    dc.IntersectClipRect(r.Rect());
}

template <class R> void OffsetClip(TMetafileDC& dc, R& r) {
    dc.OffsetClip(r.Point());
}

template <class R> void SaveDC(TMetafileDC& dc, R&) {
    dc.SaveDC();
}

template <class R> void RestoreDC(TMetafileDC& dc, R& r) {
    dc.RestoreDC(r.Int());
}

template <class R> void SelectObject(TMetafileDC& dc, R& r) {
    dc.SelectObject(r.Index());
}

template <class R> void DeleteObject(TMetafileDC& dc, R& r) {
    dc.DeleteObject(r.Index());
}

template <class R> void Rectangle(TMetafileDC& dc, R& r) {
    dc.Rectangle(r.Rect());
}

template <class R> void Ellipse(TMetafileDC& dc, R& r) {
    dc.Ellipse(r.Rect());
}

} // namespace MetafileRecords::State
