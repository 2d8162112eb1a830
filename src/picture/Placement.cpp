#include "picture/Placement.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "picture/Canvas.h"

namespace {
bool Quarter(int turn) {
    return turn == 90 || turn == 270;
}

// The largest window of the target's proportions inside a picture of the given size.
QSizeF LargestWindow(const QRectF& target, QSizeF picture) {
    const double aspect = target.width() / target.height();
    if (picture.width() > picture.height() * aspect)
        return {picture.height() * aspect, picture.height()};
    return {picture.width(), picture.width() / aspect};
}

// A window of the given size centred on centre, moved as little as needed to lie inside
// the picture.
QRectF WindowAt(QPointF centre, QSizeF size, QSizeF picture) {
    // A window as large as the picture along an axis may come out a rounding larger than
    // it: it then starts at the picture's edge.
    const auto start = [](double middle, double length, double whole) {
        return std::clamp(middle - length / 2, 0.0, std::max(0.0, whole - length));
    };
    return {QPointF(start(centre.x(), size.width(), picture.width()),
                    start(centre.y(), size.height(), picture.height())),
            size};
}

// A stored window rarely has the target's exact proportions (the part may differ from the
// one it was chosen on, and ten-thousandths round): the window used keeps its centre and
// its area, takes the target's proportions and stays inside the picture and the zoom range.
QRectF FittedWindow(const QRectF& target, QSizeF picture,
                    const std::optional<TPlacementView>& view) {
    const QSizeF largest = LargestWindow(target, picture);
    const QPointF middle(picture.width() / 2, picture.height() / 2);
    if (!view || view->Width <= 0 || view->Height <= 0)
        return WindowAt(middle, largest, picture);
    const double kx = picture.width() / ViewUnits;
    const double ky = picture.height() / ViewUnits;
    const QRectF stored(view->Left * kx, view->Top * ky, view->Width * kx, view->Height * ky);
    const double area = stored.width() * stored.height();
    const double zoom =
        std::clamp(std::sqrt(largest.width() * largest.height() / area), 1.0, MaxZoom);
    return WindowAt(stored.center(), largest / zoom, picture);
}

// The window the placement shows now, for panning and zooming it.
QRectF ShownWindow(const QRectF& target, QSize pictureSize, const TPartPlacement& placement) {
    TPartPlacement filled = placement;
    filled.Mode = TPlacementMode::Fill;
    return PlacePicture(target, pictureSize, filled).Source;
}

// Maps the unturned picture's pixels, drawn at (0, 0), onto the turned picture's pixels.
void TurnPainter(QPainter& painter, QSize size, int turn) {
    switch (turn) {
    case 90:
        painter.translate(size.height(), 0);
        break;
    case 180:
        painter.translate(size.width(), size.height());
        break;
    case 270:
        painter.translate(0, size.width());
        break;
    default:
        return;
    }
    painter.rotate(turn);
}
} // namespace

QSize TurnedSize(QSize size, int turn) {
    return Quarter(turn) ? size.transposed() : size;
}

TPlaced PlacePicture(const QRectF& target, QSize pictureSize, const TPartPlacement& placement) {
    const QSizeF picture = TurnedSize(pictureSize, placement.Turn);
    TPlaced placed{QRectF(QPointF(0, 0), picture), target, placement.Turn};
    if (picture.isEmpty() || target.isEmpty())
        return placed;
    switch (placement.Mode) {
    case TPlacementMode::Stretch:
        break;
    case TPlacementMode::Fit: {
        const double scale =
            std::min(target.width() / picture.width(), target.height() / picture.height());
        const QSizeF size = picture * scale;
        placed.Target =
            QRectF(target.center() - QPointF(size.width() / 2, size.height() / 2), size);
        break;
    }
    case TPlacementMode::Fill:
        placed.Source = FittedWindow(target, picture, placement.View);
        break;
    }
    return placed;
}

TPlacementView ViewOf(const TPlaced& placed, QSize pictureSize) {
    const QSize picture = TurnedSize(pictureSize, placed.Turn);
    if (picture.isEmpty())
        return {};
    const double kx = double(ViewUnits) / picture.width();
    const double ky = double(ViewUnits) / picture.height();
    // Right and bottom are rounded themselves, so a window at the picture's edge stays there.
    const QRectF& s = placed.Source;
    const int left = int(std::lround(s.left() * kx));
    const int top = int(std::lround(s.top() * ky));
    return {left, top, int(std::lround(s.right() * kx)) - left,
            int(std::lround(s.bottom() * ky)) - top};
}

TPlacementView PanView(const QRectF& target, QSize pictureSize, const TPartPlacement& placement,
                       double dx, double dy) {
    const QRectF window = ShownWindow(target, pictureSize, placement);
    const QSizeF picture = TurnedSize(pictureSize, placement.Turn);
    if (picture.isEmpty() || target.isEmpty())
        return {};
    const QPointF moved(dx * window.width() / target.width(),
                        dy * window.height() / target.height());
    const QRectF panned = WindowAt(window.center() - moved, window.size(), picture);
    return ViewOf({panned, target, placement.Turn}, pictureSize);
}

TPlacementView ZoomView(const QRectF& target, QSize pictureSize, const TPartPlacement& placement,
                        double factor, std::optional<QPointF> about) {
    const QRectF window = ShownWindow(target, pictureSize, placement);
    const QSizeF picture = TurnedSize(pictureSize, placement.Turn);
    if (picture.isEmpty() || target.isEmpty())
        return {};
    const QSizeF largest = LargestWindow(target, picture);
    const double zoom = std::clamp(largest.width() / window.width() * factor, 1.0, MaxZoom);
    const QSizeF size = largest / zoom;
    // The share of the target's width and height at which the fixed point stands; the
    // spot of the picture there stands at the same share of the zoomed window.
    const QPointF at = about.value_or(target.center()) - target.topLeft();
    const QPointF share(at.x() / target.width(), at.y() / target.height());
    const QPointF spot(window.left() + share.x() * window.width(),
                       window.top() + share.y() * window.height());
    const QPointF centre(spot.x() + (0.5 - share.x()) * size.width(),
                         spot.y() + (0.5 - share.y()) * size.height());
    const QRectF zoomed = WindowAt(centre, size, picture);
    return ViewOf({zoomed, target, placement.Turn}, pictureSize);
}

TPartPlacement TurnedClockwise(const TPartPlacement& placement) {
    TPartPlacement turned = placement;
    turned.Turn = (placement.Turn + 90) % 360;
    if (const std::optional<TPlacementView>& view = placement.View)
        turned.View = TPlacementView{ViewUnits - view->Top - view->Height, view->Left, view->Height,
                                     view->Width};
    return turned;
}

void DrawPlaced(TCanvas& canvas, const TRect& target, TGraphic* graphic,
                const TPartPlacement& placement, TPlacedClip clip) {
    if (!graphic)
        return;
    const QSize size(graphic->PixelWidth(), graphic->PixelHeight());
    const bool asStretched = placement.Mode == TPlacementMode::Stretch && placement.Turn == 0;
    if (asStretched || size.isEmpty()) {
        canvas.DrawStretched(target, graphic);
        return;
    }
    const TPlaced placed = PlacePicture(
        QRectF(target.Left, target.Top, target.Width(), target.Height()), size, placement);
    QPainter& painter = canvas.Painter();
    painter.save();
    try {
        if (clip == TPlacedClip::ToTarget)
            painter.setClipRect(placed.Target, Qt::IntersectClip);
        painter.translate(placed.Target.topLeft());
        painter.scale(placed.Target.width() / placed.Source.width(),
                      placed.Target.height() / placed.Source.height());
        painter.translate(-placed.Source.topLeft());
        TurnPainter(painter, size, placed.Turn);
        canvas.DrawStretched({0, 0, size.width(), size.height()}, graphic);
    } catch (...) {
        painter.restore();
        throw;
    }
    painter.restore();
}
