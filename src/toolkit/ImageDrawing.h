// Drawing an image through a painter where Qt's own drawing would read outside it.
#pragma once

class QImage;
class QPainter;
class QRectF;

// Draws the source part of an image into the target rectangle under the painter's
// transform, as QPainter::drawImage does. Qt 6.4's raster engine reads past an image's
// pixels when it scales the image under a transform that mirrors an axis (a turn by 180°
// mirrors both), and a read past the last row can fault. Such an image is drawn mirrored,
// under a transform that mirrors it back, which puts the same pixels in the same place.
void DrawImageUnmirrored(QPainter& painter, const QRectF& target, const QImage& image,
                         const QRectF& source);
