#include "app/Icons.h"

#include <algorithm>

#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {
constexpr int Size = 16;
constexpr int ApplicationIconSize = 32;

// An icon drawn in code at its design size, once for each device pixel ratio it is shown at
// (1, 2 or 3), so tool bar, menu and window icons stay sharp on high-density screens: each
// pixmap holds the drawing at its own resolution, not the small one scaled up. A drawing is
// made when first asked for, so start-up draws nothing that is not shown yet, and a screen of
// ratio 1 never needs the larger ones. The drawings are kept in a pixmap icon, which picks
// among them and derives the disabled and selected looks, as it would with all three.
class TDrawnIconEngine : public QIconEngine {
public:
    TDrawnIconEngine(int size, void (*draw)(QPainter&)) : Size(size), Draw(draw) {}

    // Asked for a pixmap without a ratio, a pixmap icon answers with its drawing for ratio 1.
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        DrawAtRatio(1);
        return Drawings.pixmap(size, 1.0, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        if (scale <= 1)
            return pixmap(size, mode, state);
        // At a whole ratio the pixmap icon takes the drawing for it (3 above 3); which one it
        // takes between two ratios, it decides among all three.
        const int whole = static_cast<int>(scale);
        if (whole == scale || whole >= 3) {
            DrawAtRatio(std::min(whole, 3));
        } else {
            for (const int ratio : {1, 2, 3})
                DrawAtRatio(ratio);
        }
        return Drawings.pixmap(size / scale, scale, mode, state);
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal ratio = painter->device()->devicePixelRatio();
        painter->drawPixmap(rect, scaledPixmap(rect.size() * ratio, mode, state, ratio));
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        QSize actual(Size, Size);
        if (actual.width() > size.width() || actual.height() > size.height())
            actual.scale(size, Qt::KeepAspectRatio);
        return actual;
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        if (mode != QIcon::Normal || state != QIcon::Off)
            return {};
        return {QSize(Size, Size), QSize(2 * Size, 2 * Size), QSize(3 * Size, 3 * Size)};
    }
    bool isNull() override { return false; }
    QIconEngine* clone() const override { return new TDrawnIconEngine(*this); }

private:
    void DrawAtRatio(int ratio) {
        if (Drawn & (1u << ratio))
            return;
        QPixmap pixmap(Size * ratio, Size * ratio);
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        Draw(p);
        p.end();
        Drawings.addPixmap(pixmap);
        Drawn |= 1u << ratio;
    }

    int Size;
    void (*Draw)(QPainter&);
    QIcon Drawings;
    unsigned Drawn = 0;
};

QIcon Drawn(int size, void (*draw)(QPainter&)) {
    return QIcon(new TDrawnIconEngine(size, draw));
}

// A sheet of paper with a folded top-right corner.
void DrawSheet(QPainter& p, int left, int top, int width, int height) {
    const int fold = 4;
    QPainterPath sheet;
    sheet.moveTo(left, top);
    sheet.lineTo(left + width - fold, top);
    sheet.lineTo(left + width, top + fold);
    sheet.lineTo(left + width, top + height);
    sheet.lineTo(left, top + height);
    sheet.closeSubpath();
    p.setPen(QColor(40, 40, 40));
    p.setBrush(Qt::white);
    p.drawPath(sheet);
    p.drawLine(left + width - fold, top, left + width - fold, top + fold);
    p.drawLine(left + width - fold, top + fold, left + width, top + fold);
}

// A small landscape: sky, hill and sun, standing for "a picture".
void DrawPicture(QPainter& p, const QRect& r) {
    p.setPen(QColor(30, 30, 60));
    p.setBrush(QColor(120, 180, 240));
    p.drawRect(r);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 150, 60));
    p.drawEllipse(QRect(r.left() - 2, r.center().y() + 1, r.width() + 4, r.height()));
    p.setBrush(QColor(250, 210, 40));
    p.drawEllipse(QRect(r.right() - 4, r.top() + 2, 3, 3));
}

void DrawPlus(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 140, 0));
    p.drawRect(10, 12, 6, 2);
    p.drawRect(12, 10, 2, 6);
}

void DrawInsertCover(QPainter& p) {
    DrawPicture(p, QRect(1, 1, 12, 12));
    DrawPlus(p);
}

void DrawInsertBack(QPainter& p) {
    // The inlay is wider than high, with its two spines marked.
    DrawPicture(p, QRect(0, 3, 14, 9));
    p.setPen(QColor(30, 30, 60));
    p.drawLine(2, 3, 2, 12);
    p.drawLine(12, 3, 12, 12);
    DrawPlus(p);
}

void DrawPrint(QPainter& p) {
    DrawSheet(p, 4, 0, 8, 6);
    p.setPen(QColor(40, 40, 40));
    p.setBrush(QColor(190, 190, 190));
    p.drawRect(1, 6, 14, 6);
    p.setBrush(QColor(120, 120, 120));
    p.drawRect(3, 12, 10, 3);
    p.setPen(QColor(0, 170, 0));
    p.drawPoint(12, 8);
}

void DrawNew(QPainter& p) {
    DrawSheet(p, 3, 1, 10, 14);
}

void DrawOpen(QPainter& p) {
    p.setPen(QColor(120, 90, 10));
    p.setBrush(QColor(240, 200, 80));
    p.drawRect(1, 4, 12, 10);
    p.drawRect(1, 2, 5, 2);
    p.setBrush(QColor(250, 225, 130));
    const QPointF flap[] = {{3, 7}, {15, 7}, {13, 14}, {1, 14}};
    p.drawPolygon(flap, 4);
}

void DrawSave(QPainter& p) {
    p.setPen(QColor(20, 20, 70));
    p.setBrush(QColor(50, 70, 160));
    p.drawRect(1, 1, 14, 14);
    p.setBrush(Qt::white);
    p.drawRect(4, 1, 8, 5);
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(4, 9, 8, 6);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 20, 70));
    p.drawRect(9, 2, 2, 3);
}
// Fills a disc with a gradient through a mask of the antialiased disc. It looks as an
// antialiased gradient fill does, but Qt's raster engine takes well over a millisecond to set
// that fill up the first time, and the window icon is drawn while the program starts.
void FillDisc(QPainter& p, QPointF centre, qreal radius, const QGradient& gradient) {
    const QPaintDevice& device = *p.device();
    QImage disc(device.width(), device.height(), QImage::Format_ARGB32_Premultiplied);
    disc.setDevicePixelRatio(device.devicePixelRatio());
    disc.fill(Qt::transparent);
    QPainter mask(&disc);
    mask.setRenderHint(QPainter::Antialiasing);
    mask.setPen(Qt::NoPen);
    mask.setBrush(Qt::black);
    mask.drawEllipse(centre, radius, radius);
    mask.setRenderHint(QPainter::Antialiasing, false);
    mask.setCompositionMode(QPainter::CompositionMode_SourceIn);
    mask.fillRect(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius)
                      .adjusted(-1, -1, 1, 1),
                  gradient);
    mask.end();
    p.drawImage(QPointF(0, 0), disc);
}
} // namespace

QList<QIcon> CreateImageList() {
    return {Drawn(Size, DrawInsertCover), Drawn(Size, DrawInsertBack), Drawn(Size, DrawPrint),
            Drawn(Size, DrawNew),         Drawn(Size, DrawOpen),       Drawn(Size, DrawSave)};
}

QIcon ApplicationIcon() {
    return Drawn(ApplicationIconSize, [](QPainter& p) {
        p.setRenderHint(QPainter::Antialiasing);
        // A disc in front of a jewel case.
        p.setPen(QColor(40, 40, 40));
        p.setBrush(QColor(230, 230, 240));
        p.drawRect(1, 1, 24, 24);
        QRadialGradient disc(QPointF(18, 18), 13);
        disc.setColorAt(0, QColor(250, 250, 255));
        disc.setColorAt(0.6, QColor(160, 190, 230));
        disc.setColorAt(1, QColor(200, 160, 230));
        FillDisc(p, QPointF(18, 18), 13, disc);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(18, 18), 13, 13);
        p.setBrush(QColor(230, 230, 240));
        p.drawEllipse(QPointF(18, 18), 3, 3);
    });
}
