// Drawing graphics on a canvas: stretched, at natural size, nothing for none, and which
// stretch mode a bitmap chooses for the device behind the canvas.
#include <gtest/gtest.h>

#include <QPainter>

#include "TestSupport.h"
#include "picture/Bitmap.h"
#include "picture/Canvas.h"

namespace {

const QRgb Background = qRgb(128, 128, 128);
const QRgb Colours[] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 255)};

// A bitmap as a reader would deliver it: the given pixels and their depth on disk.
std::unique_ptr<TBitmap> MakeBitmap(const QImage& image, int bitCount) {
    auto data = std::make_shared<TBitmapImage>();
    data->Image = image;
    data->BitCount = bitCount;
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetImage(std::move(data));
    return bitmap;
}

// width × height blocks of block × block pixels, coloured from Colours in reading order.
QImage Blocks(int width, int height, int block) {
    QImage image(width * block, height * block, QImage::Format_BGR888);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, Colours[((y / block) * width + x / block) % 4]);
    return image;
}

QImage Target(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Background);
    return image;
}

// The target as it should look with the image copied pixel by pixel at (left, top).
QImage Expected(int width, int height, const QImage& image, int left, int top) {
    QImage expected = Target(width, height);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            expected.setPixel(left + x, top + y, image.pixel(x, y));
    return expected;
}

// An image that reports the depth of another device, so the canvas over it takes that
// depth as the device's.
class DeviceImage : public QImage {
public:
    using QImage::QImage;
    DeviceImage(const QImage& image) : QImage(image) {}
    int Depth = 32;

protected:
    int metric(PaintDeviceMetric metric) const override {
        return metric == PdmDepth ? Depth : QImage::metric(metric);
    }
};

// Draws on a fresh target through a canvas of the given depth, counting notifications.
struct Drawing {
    DeviceImage Image;
    int Changing = 0;
    int Changed = 0;

    Drawing(int width, int height) : Image(Target(width, height)) {}

    template <class Action> void Draw(Action&& action, int bitsPerPixel = 32) {
        Image.Depth = bitsPerPixel;
        QPainter painter(&Image);
        TCanvas canvas(painter);
        canvas.OnChanging = [this] {
            ++Changing;
        };
        canvas.OnChange = [this] {
            ++Changed;
        };
        action(canvas);
    }
};

} // namespace

TEST(DrawStretched, EnlargesEachPixelToABlock) {
    auto bitmap = MakeBitmap(Blocks(2, 2, 1), 24);
    Drawing d(8, 8);
    d.Draw([&](TCanvas& canvas) { canvas.DrawStretched({2, 2, 6, 6}, bitmap.get()); });
    EXPECT_EQ(CompareImages(d.Image, Expected(8, 8, Blocks(2, 2, 2), 2, 2)), "");
    EXPECT_EQ(d.Changing, 1);
    EXPECT_EQ(d.Changed, 1);
}

TEST(DrawStretched, ShrinksToTheRectangle) {
    auto bitmap = MakeBitmap(Blocks(4, 2, 2), 24);
    Drawing d(6, 4);
    d.Draw([&](TCanvas& canvas) { canvas.DrawStretched({1, 1, 5, 3}, bitmap.get()); });
    EXPECT_EQ(CompareImages(d.Image, Expected(6, 4, Blocks(4, 2, 1), 1, 1)), "");
}

TEST(DrawStretched, RectangleIsInTheCanvasLogicalUnits) {
    // A printer canvas draws in its mapping's units; here one unit is two pixels.
    auto bitmap = MakeBitmap(Blocks(2, 2, 1), 24);
    Drawing d(8, 8);
    d.Draw([&](TCanvas& canvas) {
        canvas.Painter().scale(2, 2);
        canvas.DrawStretched({1, 1, 3, 3}, bitmap.get());
    });
    EXPECT_EQ(CompareImages(d.Image, Expected(8, 8, Blocks(2, 2, 2), 2, 2)), "");
}

TEST(DrawStretched, ReversedEdgesMirrorThePicture) {
    auto bitmap = MakeBitmap(Blocks(2, 2, 1), 24);
    Drawing d(4, 4);
    d.Draw([&](TCanvas& canvas) { canvas.DrawStretched({3, 3, 1, 1}, bitmap.get()); });
    EXPECT_EQ(CompareImages(d.Image, Expected(4, 4, Blocks(2, 2, 1).mirrored(true, true), 1, 1)),
              "");
}

TEST(DrawStretched, NothingForNoneOrAnEmptyBitmap) {
    Drawing d(4, 4);
    d.Draw([&](TCanvas& canvas) {
        canvas.SetStretchMode(TStretchMode::Halftone);
        canvas.DrawStretched({0, 0, 4, 4}, nullptr);
        EXPECT_EQ(canvas.StretchMode(), TStretchMode::Halftone);
    });
    EXPECT_EQ(d.Changing, 0);
    EXPECT_EQ(d.Changed, 0);

    // An empty graphic is not skipped: it is asked to render and draws nothing.
    TBitmap never;
    auto nullImage = MakeBitmap(QImage(), 24);
    d.Draw([&](TCanvas& canvas) {
        canvas.DrawStretched({0, 0, 4, 4}, &never);
        canvas.DrawStretched({0, 0, 4, 4}, nullImage.get());
    });
    EXPECT_EQ(d.Changing, 2);
    EXPECT_EQ(d.Changed, 2);
    EXPECT_EQ(CompareImages(d.Image, Target(4, 4)), "");
}

TEST(DrawStretched, DegenerateRectanglesDrawNothing) {
    auto bitmap = MakeBitmap(Blocks(2, 2, 1), 24);
    Drawing d(4, 4);
    d.Draw([&](TCanvas& canvas) {
        canvas.DrawStretched({1, 1, 1, 3}, bitmap.get());
        canvas.DrawStretched({1, 1, 3, 1}, bitmap.get());
        canvas.DrawStretched({-100, -100, -90, -90}, bitmap.get());
    });
    EXPECT_EQ(CompareImages(d.Image, Target(4, 4)), "");
}

TEST(DrawAt, DrawsAtNaturalSize) {
    const QImage pixels = Blocks(3, 2, 1);
    auto bitmap = MakeBitmap(pixels, 24);
    Drawing d(6, 5);
    d.Draw([&](TCanvas& canvas) { canvas.DrawAt(2, 1, bitmap.get()); });
    EXPECT_EQ(CompareImages(d.Image, Expected(6, 5, pixels, 2, 1)), "");
    EXPECT_EQ(d.Changed, 1);
}

TEST(DrawAt, NothingForNoneOrAnEmptyGraphic) {
    TBitmap empty;
    Drawing d(4, 4);
    d.Draw([&](TCanvas& canvas) {
        canvas.DrawAt(0, 0, nullptr);
        canvas.DrawAt(0, 0, &empty);
    });
    EXPECT_EQ(d.Changing, 0);
    EXPECT_EQ(d.Changed, 0);
    EXPECT_EQ(CompareImages(d.Image, Target(4, 4)), "");
}

TEST(StretchMode, ChosenFromTheDepthsOfDeviceAndBitmap) {
    QImage mono(2, 2, QImage::Format_Mono);
    mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    mono.fill(1);
    QImage indexed(2, 2, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    indexed.fill(1);
    const QImage rgb = Blocks(2, 2, 1);
    const struct {
        int Device;
        const QImage& Pixels;
        int BitCount;
        TStretchMode Before;
        TStretchMode After;
    } cases[] = {
        // A device of at most 8 bits below the bitmap's depth is halftoned.
        {8, rgb, 24, TStretchMode::BlackOnWhite, TStretchMode::Halftone},
        {1, rgb, 24, TStretchMode::DeleteScans, TStretchMode::Halftone},
        {4, indexed, 8, TStretchMode::BlackOnWhite, TStretchMode::Halftone},
        {1, indexed, 4, TStretchMode::BlackOnWhite, TStretchMode::Halftone},
        // Otherwise scans are deleted, undoing an earlier halftone.
        {8, indexed, 8, TStretchMode::Halftone, TStretchMode::DeleteScans},
        {16, rgb, 24, TStretchMode::Halftone, TStretchMode::DeleteScans},
        {32, rgb, 24, TStretchMode::BlackOnWhite, TStretchMode::DeleteScans},
        {32, indexed, 8, TStretchMode::BlackOnWhite, TStretchMode::DeleteScans},
        // A monochrome bitmap on a device that is not below it leaves the mode alone.
        {32, mono, 1, TStretchMode::Halftone, TStretchMode::Halftone},
        {1, mono, 1, TStretchMode::BlackOnWhite, TStretchMode::BlackOnWhite},
        {8, mono, 1, TStretchMode::DeleteScans, TStretchMode::DeleteScans},
    };
    for (const auto& c : cases) {
        auto bitmap = MakeBitmap(c.Pixels, c.BitCount);
        Drawing d(4, 4);
        d.Draw(
            [&](TCanvas& canvas) {
                canvas.SetStretchMode(c.Before);
                canvas.DrawStretched({0, 0, 4, 4}, bitmap.get());
                EXPECT_EQ(canvas.StretchMode(), c.After)
                    << "device " << c.Device << " bits, bitmap " << c.BitCount << " bits";
            },
            c.Device);
    }
}

TEST(StretchMode, HalftoneBlendsWhileDeleteScansKeepsPureColours) {
    QImage pixels(2, 1, QImage::Format_BGR888);
    pixels.setPixel(0, 0, qRgb(0, 0, 0));
    pixels.setPixel(1, 0, qRgb(255, 255, 255));
    auto bitmap = MakeBitmap(pixels, 24);
    const auto greys = [&](int device) {
        Drawing d(16, 1);
        d.Draw([&](TCanvas& canvas) { canvas.DrawStretched({0, 0, 16, 1}, bitmap.get()); }, device);
        int count = 0;
        for (int x = 0; x < 16; ++x) {
            const int grey = qGreen(d.Image.pixel(x, 0));
            count += grey > 10 && grey < 245;
        }
        return count;
    };
    EXPECT_GT(greys(8), 0);
    EXPECT_EQ(greys(32), 0);
}
