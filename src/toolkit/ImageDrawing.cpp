#include "toolkit/ImageDrawing.h"

#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QRectF>
#include <QTransform>

void DrawImageUnmirrored(QPainter& painter, const QRectF& target, const QImage& image,
                         const QRectF& source) {
    const QTransform world = painter.worldTransform();
    const bool mirrorX = world.m11() < 0, mirrorY = world.m22() < 0;
    // Turns by other angles, shears and the engines of printers and PDF files take other
    // ways, which stay inside the image.
    const QPaintEngine* engine = painter.paintEngine();
    if (world.type() != QTransform::TxScale || (!mirrorX && !mirrorY) || !engine ||
        engine->type() != QPaintEngine::Raster) {
        painter.drawImage(target, image, source);
        return;
    }
    QRectF from = source;
    if (mirrorX)
        from.moveLeft(image.width() - from.right());
    if (mirrorY)
        from.moveTop(image.height() - from.bottom());
    // Mirrors the target rectangle onto itself before the painter's own transform.
    const QTransform back(mirrorX ? -1 : 1, 0, 0, mirrorY ? -1 : 1,
                          mirrorX ? target.left() + target.right() : 0,
                          mirrorY ? target.top() + target.bottom() : 0);
    painter.setWorldTransform(back * world);
    painter.drawImage(target, image.mirrored(mirrorX, mirrorY), from);
    painter.setWorldTransform(world);
}
