// Averaging a picture down for the printer: exact area weights, every channel of the
// pixel layouts it handles, and the same result in every band of rows.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
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

// The reduction as it was first written, kept only to check the faster one against: exact
// 64-bit area weights on both axes and a rounding in floating point per channel.
QImage ReferenceReduce(const QImage& image, QSize target, int bytes) {
    struct TTaps {
        std::vector<int> First, Count, Offset;
        std::vector<int64_t> Weights;
    };
    const auto makeTaps = [](int source, int count) {
        TTaps taps;
        for (int x = 0; x < count; ++x) {
            const int64_t from = int64_t(x) * source, to = from + source;
            const int first = int(from / count);
            const int last = int((to + count - 1) / count) - 1;
            taps.First.push_back(first);
            taps.Count.push_back(last - first + 1);
            taps.Offset.push_back(int(taps.Weights.size()));
            for (int i = first; i <= last; ++i)
                taps.Weights.push_back(std::min(int64_t(i + 1) * count, to) -
                                       std::max(int64_t(i) * count, from));
        }
        return taps;
    };
    const TTaps columns = makeTaps(image.width(), target.width());
    QImage result(target, image.format());
    const size_t values = size_t(target.width()) * size_t(bytes);
    std::vector<uint32_t> across(values);
    std::vector<uint64_t> down(values, 0);
    const int64_t sourceHeight = image.height(), targetHeight = target.height();
    int output = 0;
    for (int64_t y = 0; y < sourceHeight && output < target.height(); ++y) {
        const uchar* row = image.constScanLine(int(y));
        for (int x = 0; x < target.width(); ++x)
            for (int c = 0; c < bytes; ++c) {
                uint64_t sum = 0;
                for (int i = 0; i < columns.Count[size_t(x)]; ++i)
                    sum += uint64_t(columns.Weights[size_t(columns.Offset[size_t(x)] + i)]) *
                           row[size_t(columns.First[size_t(x)] + i) * size_t(bytes) + size_t(c)];
                across[size_t(x) * size_t(bytes) + size_t(c)] =
                    uint32_t(std::floor(double(sum) * 256.0 / image.width() + 0.5));
            }
        const int64_t rowEnd = (y + 1) * targetHeight;
        for (;;) {
            const int64_t outputEnd = (output + 1) * sourceHeight;
            const uint64_t weight = uint64_t(std::min(rowEnd, outputEnd) -
                                             std::max(y * targetHeight, output * sourceHeight));
            for (size_t i = 0; i < values; ++i)
                down[i] += weight * across[i];
            if (outputEnd > rowEnd)
                break;
            uchar* out = result.scanLine(output);
            for (size_t i = 0; i < values; ++i) {
                out[i] = uchar(std::floor(double(down[i]) / (256.0 * double(sourceHeight)) + 0.5));
                down[i] = 0;
            }
            if (++output == target.height() || outputEnd == rowEnd)
                break;
        }
    }
    return result;
}

int WorstDifference(const QImage& a, const QImage& b, int bytes) {
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int i = 0; i < a.width() * bytes; ++i)
            worst = std::max(worst, std::abs(a.constScanLine(y)[i] - b.constScanLine(y)[i]));
    return worst;
}

// Against the first, slower reduction: random noise (every rounding path), flat white and
// black (no drift at the ends of the scale), and sizes from one pixel to ratios past the
// fixed tap counts, in each averaged layout. At most one step apart anywhere; and a picture
// fed row by row, in uneven batches, comes out exactly as the whole picture does.
TEST(ReduceImage, StaysWithinOneStepOfTheExactReduction) {
    struct TCase {
        QSize Source, Target;
        QImage::Format Format;
        int Bytes;
        int Fill; // -1: random
    };
    const TCase cases[] = {
        {{601, 403}, {283, 190}, QImage::Format_BGR888, 3, -1},
        {{1000, 700}, {999, 699}, QImage::Format_BGR888, 3, -1},
        {{97, 1301}, {13, 129}, QImage::Format_Grayscale8, 1, -1},
        {{300, 200}, {17, 11}, QImage::Format_ARGB32_Premultiplied, 4, -1},
        {{640, 480}, {1, 1}, QImage::Format_RGB32, 4, -1},
        {{1, 500}, {1, 77}, QImage::Format_RGB888, 3, -1},
        {{333, 222}, {120, 80}, QImage::Format_BGR888, 3, 255},
        {{333, 222}, {120, 80}, QImage::Format_BGR888, 3, 0},
    };
    std::mt19937 random(40);
    for (const TCase& c : cases) {
        QImage source(c.Source, c.Format);
        for (int y = 0; y < source.height(); ++y)
            for (int i = 0; i < source.width() * c.Bytes; ++i)
                source.scanLine(y)[i] = uchar(c.Fill >= 0 ? c.Fill : int(random() % 256));
        if (c.Format == QImage::Format_ARGB32_Premultiplied || c.Format == QImage::Format_RGB32)
            // Alpha or padding at 255 keeps the pixels valid in their layout.
            for (int y = 0; y < source.height(); ++y)
                for (int x = 0; x < source.width(); ++x)
                    source.scanLine(y)[x * 4 + 3] = 255;
        const QImage reduced = ReduceImage(source, c.Target);
        const QImage reference = ReferenceReduce(source, c.Target, c.Bytes);
        ASSERT_EQ(reduced.size(), c.Target);
        EXPECT_LE(WorstDifference(reduced, reference, c.Bytes), 1)
            << c.Source.width() << "x" << c.Source.height() << " to " << c.Target.width() << "x"
            << c.Target.height();
        if (c.Fill >= 0) {
            EXPECT_EQ(WorstDifference(reduced, reference, c.Bytes), 0) << "flat " << c.Fill;
        }

        TRowReducer rows(c.Source, c.Format, c.Target);
        for (int y = 0, batch = 1; y < source.height(); y += batch, batch = batch % 7 + 1)
            rows.AddRows(source.constScanLine(y), source.bytesPerLine(),
                         std::min(batch, source.height() - y));
        EXPECT_EQ(rows.Result(), reduced)
            << "row by row, " << c.Source.width() << "x" << c.Source.height();
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
