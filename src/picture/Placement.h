// How a picture is placed into the rectangle of a part: stretched over it, fitted whole
// inside it, or filling it with a window of the picture the user chose, turned by quarter
// turns. One function computes the placement, so the picture control and the printed sheet
// show the same window of the same picture.
#pragma once

#include <QRectF>
#include <QSize>
#include <optional>

#include "picture/Graphic.h"

class TCanvas;

enum class TPlacementMode { Stretch, Fit, Fill };

// A window's coordinates are ten-thousandths of the (turned) picture's width and height.
inline constexpr int ViewUnits = 10000;
// The narrowest window is this many times smaller than the largest one.
inline constexpr double MaxZoom = 8.0;

// The visible window of a filled part, left, top, width and height in ten-thousandths.
struct TPlacementView {
    int Left = 0;
    int Top = 0;
    int Width = ViewUnits;
    int Height = ViewUnits;
    bool operator==(const TPlacementView&) const = default;
};

// How one part places its picture. The window stays while the mode is not Fill, so that
// filling again restores it. The turn is clockwise, in degrees: 0, 90, 180 or 270.
struct TPartPlacement {
    TPlacementMode Mode = TPlacementMode::Stretch;
    std::optional<TPlacementView> View = std::nullopt;
    int Turn = 0;
    bool operator==(const TPartPlacement&) const = default;
};

// Which pixels of the turned picture go where: Source in the turned picture's pixels,
// Target in the units of the rectangle placed into.
struct TPlaced {
    QRectF Source;
    QRectF Target;
    int Turn = 0;
};

// The picture's pixel size after a quarter turn of the given degrees.
QSize TurnedSize(QSize size, int turn);

// Places a picture of the given pixel size (before the part's turn) into target.
// A picture without pixels keeps the whole target.
TPlaced PlacePicture(const QRectF& target, QSize pictureSize, const TPartPlacement& placement);

// The window a placement shows, in ten-thousandths of the turned picture.
TPlacementView ViewOf(const TPlaced& placed, QSize pictureSize);

// The window moved by dx, dy in the target's units (dragging the picture to the right
// shows more of its left), and the window zoomed by factor about a point of the target
// (its centre unless given), which keeps showing the same spot of the picture as far as
// the picture's edges allow; the zoom stays between the largest window and MaxZoom times
// smaller, and both windows stay inside the picture.
TPlacementView PanView(const QRectF& target, QSize pictureSize, const TPartPlacement& placement,
                       double dx, double dy);
TPlacementView ZoomView(const QRectF& target, QSize pictureSize, const TPartPlacement& placement,
                        double factor, std::optional<QPointF> about = std::nullopt);

// The placement a quarter turn further clockwise; a stored window turns with the
// picture, so it still shows the same part of it.
TPartPlacement TurnedClockwise(const TPartPlacement& placement);

// Draws the graphic placed into target. A stretched, unturned placement draws exactly as
// DrawStretched does (an icon stays at its own size in the corner); every other one maps
// the turned picture's window onto the placed target and clips to it, unless told to draw
// the rest of the picture around the target as well.
enum class TPlacedClip { ToTarget, None };
void DrawPlaced(TCanvas& canvas, const TRect& target, TGraphic* graphic,
                const TPartPlacement& placement, TPlacedClip clip = TPlacedClip::ToTarget);
