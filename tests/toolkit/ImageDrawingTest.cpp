#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <cmath>
#include <sys/mman.h>
#include <unistd.h>

#include "toolkit/ImageDrawing.h"

namespace {

// Pixels of an image that end where an unreadable page begins, with another before them:
// a read outside the pixels faults instead of passing unnoticed.
class TGuardedImage {
public:
    TGuardedImage(int width, int height, QImage::Format format) {
        const size_t bytes = size_t(width) * 4 * size_t(height);
        const size_t page = size_t(sysconf(_SC_PAGESIZE));
        Span = (bytes + page - 1) / page * page + 2 * page;
        Base = static_cast<char*>(
            mmap(nullptr, Span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        mprotect(Base, page, PROT_NONE);
        mprotect(Base + Span - page, page, PROT_NONE);
        auto* pixels = reinterpret_cast<uchar*>(Base + Span - page - bytes);
        Image = QImage(pixels, width, height, width * 4, format);
    }
    ~TGuardedImage() { munmap(Base, Span); }
    TGuardedImage(const TGuardedImage&) = delete;
    TGuardedImage& operator=(const TGuardedImage&) = delete;

    QImage Image;

private:
    char* Base = nullptr;
    size_t Span = 0;
};

} // namespace

// Every device pixel shows the source pixel that the transform puts there, whichever axes
// the transform mirrors, for the whole image and for a part of it.
TEST(ImageDrawing, MirroringTransformsPutEverySourcePixelWhereItBelongs) {
    struct TCase {
        double ScaleX, ScaleY;
        QRectF Target, Source;
    };
    const TCase cases[] = {
        {3, 2, {0, 0, 4, 3}, {0, 0, 4, 3}},   {-3, 2, {0, 0, 4, 3}, {0, 0, 4, 3}},
        {3, -2, {0, 0, 4, 3}, {0, 0, 4, 3}},  {-3, -2, {0, 0, 4, 3}, {0, 0, 4, 3}},
        {-3, -2, {0, 0, 2, 2}, {1, 1, 2, 2}}, {2, -3, {1, 0, 3, 2}, {1, 0, 3, 2}},
        {-2, -3, {0, 0, 3, 2}, {0, 1, 3, 2}},
    };
    TGuardedImage source(4, 3, QImage::Format_RGB32);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            source.Image.setPixel(x, y, qRgb(40 * x + 10, 60 * y + 10, 200));
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.ScaleX << " x " << c.ScaleY);
        QImage device(60, 40, QImage::Format_RGB32);
        device.fill(Qt::white);
        const QTransform world = QTransform::fromTranslate(30, 20).scale(c.ScaleX, c.ScaleY);
        QPainter painter(&device);
        painter.setTransform(world);
        DrawImageUnmirrored(painter, c.Target, source.Image, c.Source);
        EXPECT_EQ(painter.transform(), world);
        painter.end();
        const QTransform back = world.inverted();
        for (int y = 0; y < device.height(); ++y) {
            for (int x = 0; x < device.width(); ++x) {
                const QPointF at = back.map(QPointF(x + 0.5, y + 0.5));
                QRgb expected = qRgb(255, 255, 255);
                if (c.Target.contains(at)) {
                    const double sx = c.Source.x() +
                                      (at.x() - c.Target.x()) * c.Source.width() / c.Target.width();
                    const double sy = c.Source.y() + (at.y() - c.Target.y()) * c.Source.height() /
                                                         c.Target.height();
                    expected = source.Image.pixel(int(std::floor(sx)), int(std::floor(sy)));
                }
                ASSERT_EQ(device.pixel(x, y), expected) << "at " << x << ", " << y;
            }
        }
    }
}

// Drawings under which Qt's own scaled copy reads past the image's last row: each, drawn
// plainly, faults on the guard page. Both are thinner than a pixel, so they may leave no
// pixel painted; what counts is that drawing them ends.
TEST(ImageDrawing, MirroredScaledDrawingsStayInsideTheImage) {
    struct TCase {
        int Width, Height;
        QImage::Format Format;
        QTransform World;
        QRectF Target;
    };
    const TCase cases[] = {
        {29,
         31,
         QImage::Format_RGB32,
         QTransform::fromTranslate(57.679710444374123, 64.16272789756934)
             .scale(3.6485807252383489, -0.88242709090717708),
         {-1.1798004698854441, -1.4365424004542096, 17.483736059800187, 0.8557666783153246}},
        {32,
         32,
         QImage::Format_ARGB32_Premultiplied,
         QTransform::fromTranslate(23.895488194221493, 54.091630688066942)
             .scale(-0.4477060915717706, 2.6733210848067621),
         {3.6142944677224182, -3.3134913179082544, 1.7353318525463703, 42.156030977955602}},
    };
    for (const TCase& c : cases) {
        TGuardedImage source(c.Width, c.Height, c.Format);
        source.Image.fill(0xff336699);
        QImage device(120, 120, QImage::Format_RGB32);
        device.fill(0);
        QPainter painter(&device);
        painter.setTransform(c.World);
        DrawImageUnmirrored(painter, c.Target, source.Image, QRectF(source.Image.rect()));
        EXPECT_EQ(painter.transform(), c.World);
    }
}
