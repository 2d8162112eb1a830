#include "sheet/DiscLabelPaint.h"

#include <QPainter>
#include <QPainterPath>

#include "picture/Canvas.h"
#include "picture/Placement.h"
#include "sheet/CoverTextPaint.h"

namespace {
// The area between two circles about centre.
QPainterPath Ring(QPointF centre, double outer, double inner) {
    QPainterPath ring;
    ring.addEllipse(centre, outer, outer);
    ring.addEllipse(centre, inner, inner);
    return ring;
}

TRect Grown(const TRect& rect, int by) {
    return {rect.Left - by, rect.Top - by, rect.Right + by, rect.Bottom + by};
}

// The background and the picture, neither in the hole nor beyond the outer edge, each
// grown by the overprint.
void DrawRing(TCanvas& canvas, QPointF centre, const TDiscLabel& disc, TGraphic* picture,
              int overprint) {
    const QPainterPath printed =
        Ring(centre, disc.Outer / 2.0 + overprint, disc.Hole / 2.0 - overprint);
    QPainter& painter = canvas.Painter();
    painter.save();
    try {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setClipPath(printed, Qt::IntersectClip);
        painter.fillPath(printed, disc.Background);
        DrawPlaced(canvas, Grown(DiscSquare(centre, disc.Outer), overprint), picture,
                   disc.Placement);
    } catch (...) {
        painter.restore();
        throw;
    }
    painter.restore();
}

// Each circle's line lies just outside the ring, so cutting along its inner side leaves
// none of it on the label.
void CuttingCircles(TCanvas& canvas, QPointF centre, const TDiscLabel& disc) {
    QPainter& painter = canvas.Painter();
    QPen pen(canvas.Pen.Color);
    pen.setWidthF(canvas.Pen.Width);
    pen.setCosmetic(canvas.Pen.Width == 0);
    const double half = canvas.Pen.Width / 2.0;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    for (const double radius : {disc.Outer / 2.0 + half, disc.Hole / 2.0 - half})
        painter.drawEllipse(centre, radius, radius);
    painter.restore();
}
} // namespace

TTextLayout LayoutDiscWithFonts(const TDiscLabel& label, QPointF centre) {
    return LayoutDiscText(label, centre, FontMeasure());
}

void DrawDiscLabel(TCanvas& canvas, QPointF centre, const TDiscLabel& label, TGraphic* picture,
                   int overprint, bool cuttingCircles) {
    const TDiscLabel disc = ClampedDiscLabel(label);
    DrawRing(canvas, centre, disc, picture, ClampedOverprint(overprint));
    DrawTextLayout(canvas.Painter(), LayoutDiscWithFonts(disc, centre));
    if (cuttingCircles)
        CuttingCircles(canvas, centre, disc);
}
