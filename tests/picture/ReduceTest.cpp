// Averaging a picture down for the printer: exact area weights, every channel of the
// pixel layouts it handles, and the same result in every band of rows.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <vector>

#include "picture/Reduce.h"

namespace {

QImage GreyRow(const std::vector<int>& values) {
    QImage image(int(values.size()), 1, QImage::Format_Grayscale8);
    for (size_t x = 0; x < values.size(); ++x)
        image.scanLine(0)[x] = uchar(values[x]);
    return image;
}

std::vector<int> Row(const QImage& image, int y) {
    std::vector<int> values;
    for (int x = 0; x < image.width(); ++x)
        values.push_back(image.constScanLine(y)[x]);
    return values;
}

// Partly covered pixels count by their share: three pixels into two give each output
// one whole pixel and half of the middle one.
TEST(ReduceImage, WeighsEachSourcePixelByTheShareItCovers) {
    struct TCase {
        std::vector<int> Source;
        int Target;
        std::vector<int> Expected;
    };
    const TCase cases[] = {
        {{0, 90, 180}, 2, {30, 150}},
        {{10, 20, 30, 40}, 2, {15, 35}},
        {{0, 255}, 1, {128}}, // 127.5 rounds up
        {{7, 8, 9}, 3, {7, 8, 9}},
        {{0, 0, 0, 0, 250}, 2, {0, 100}}, // 2.5 pixels of 0, then 1.5 of 0 and 1 of 250
    };
    for (const TCase& c : cases) {
        const QImage across = ReduceImage(GreyRow(c.Source), QSize(c.Target, 1));
        EXPECT_EQ(Row(across, 0), c.Expected)
            << "across, " << c.Source.size() << " to " << c.Target;
        // The same figures down a column.
        const QImage column = GreyRow(c.Source).transformed(QTransform(0, 1, 1, 0, 0, 0));
        const QImage down = ReduceImage(column, QSize(1, c.Target));
        std::vector<int> values;
        for (int y = 0; y < down.height(); ++y)
            values.push_back(down.constScanLine(y)[0]);
        EXPECT_EQ(values, c.Expected) << "down, " << c.Source.size() << " to " << c.Target;
    }
}

// Four pixels into one: each channel is the mean of its own four values, in the layout
// the picture came in; padding stays opaque and premultiplied alpha is averaged too.
TEST(ReduceImage, AveragesEveryChannelInItsOwnLayout) {
    const QRgb pixels[] = {qRgba(200, 0, 40, 255), qRgba(0, 100, 40, 255), qRgba(0, 0, 40, 255),
                           qRgba(0, 0, 0, 255)};
    for (const QImage::Format format :
         {QImage::Format_BGR888, QImage::Format_RGB888, QImage::Format_RGB32,
          QImage::Format_RGBX8888, QImage::Format_ARGB32_Premultiplied}) {
        QImage image(2, 2, format);
        for (int i = 0; i < 4; ++i)
            image.setPixel(i % 2, i / 2, pixels[i]);
        const QImage reduced = ReduceImage(image, QSize(1, 1));
        EXPECT_EQ(reduced.format(), format);
        EXPECT_EQ(reduced.pixel(0, 0), qRgba(50, 25, 30, 255)) << "format " << int(format);
    }
    QImage translucent(2, 1, QImage::Format_ARGB32_Premultiplied);
    translucent.setPixel(0, 0, qRgba(200, 0, 0, 200));
    translucent.setPixel(1, 0, qRgba(0, 0, 0, 0));
    EXPECT_EQ(ReduceImage(translucent, QSize(1, 1)).pixel(0, 0), qRgba(100, 0, 0, 100));
}

// A tall picture is reduced in bands of rows on several threads; every output pixel must
// still be the plain area average, worked out here in floating point.
TEST(ReduceImage, MatchesTheAreaAverageAcrossBands) {
    struct TCase {
        QSize Source, Target;
    };
    const TCase cases[] = {
        {{37, 1001}, {11, 700}}, {{640, 480}, {201, 199}}, {{5, 3000}, {5, 257}}};
    for (const TCase& c : cases) {
        QImage source(c.Source, QImage::Format_Grayscale8);
        for (int y = 0; y < source.height(); ++y)
            for (int x = 0; x < source.width(); ++x)
                source.scanLine(y)[x] = uchar((x * 37 + y * 11 + (x * y) % 17) % 256);
        const QImage reduced = ReduceImage(source, c.Target);
        ASSERT_EQ(reduced.size(), c.Target);
        const double sx = double(c.Source.width()) / c.Target.width();
        const double sy = double(c.Source.height()) / c.Target.height();
        int worst = 0;
        for (int oy = 0; oy < c.Target.height(); ++oy)
            for (int ox = 0; ox < c.Target.width(); ++ox) {
                double sum = 0;
                for (int y = int(oy * sy); y < c.Source.height() && y < (oy + 1) * sy; ++y) {
                    const double h =
                        std::min(y + 1.0, (oy + 1) * sy) - std::max(double(y), oy * sy);
                    for (int x = int(ox * sx); x < c.Source.width() && x < (ox + 1) * sx; ++x) {
                        const double w =
                            std::min(x + 1.0, (ox + 1) * sx) - std::max(double(x), ox * sx);
                        sum += w * h * source.constScanLine(y)[x];
                    }
                }
                const int expected = int(std::lround(sum / (sx * sy)));
                worst = std::max(worst, std::abs(reduced.constScanLine(oy)[ox] - expected));
            }
        EXPECT_LE(worst, 1) << c.Source.width() << "x" << c.Source.height();
    }
}

// Layouts it does not average itself still come out at the size asked for.
TEST(ReduceImage, OtherLayoutsAreScaledToo) {
    QImage indexed(40, 30, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    indexed.fill(1);
    const QImage reduced = ReduceImage(indexed, QSize(10, 7));
    EXPECT_EQ(reduced.size(), QSize(10, 7));
    EXPECT_EQ(reduced.pixel(5, 3), qRgb(255, 255, 255));
}

} // namespace
