// A disc label drawn at 600 dpi and measured from its centre: the picture and the
// background fill the ring and nothing else, the words stay inside the ring's band, and both
// arcs read from left to right. Radii are worked out by hand from the diameters, in
// millimetres.
#include <gtest/gtest.h>

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "PictureTestSupport.h"
#include "TestSupport.h"
#include "picture/Canvas.h"
#include "sheet/DiscLabelPaint.h"

namespace {
constexpr double PixelsPerTenth = 600 / 254.0;
constexpr int DotsPerMetre = 23622; // 600 dpi
// The label stands centred in a 130 mm square.
constexpr int Side = 1300;
const QPointF Centre(650, 650);
// A pixel's centre lies at most this far beyond an edge drawn smoothly (about one pixel).
constexpr double EdgeTolerance = 0.05;

QImage Render(const TDiscLabel& label, TGraphic* picture, int overprint, bool circles = false) {
    const int pixels = static_cast<int>(std::lround(Side * PixelsPerTenth));
    QImage image(pixels, pixels, QImage::Format_RGB32);
    image.setDotsPerMeterX(DotsPerMetre);
    image.setDotsPerMeterY(DotsPerMetre);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(PixelsPerTenth, PixelsPerTenth);
    TCanvas canvas(painter);
    DrawDiscLabel(canvas, Centre, label, picture, overprint, circles);
    return image;
}

bool Ink(QRgb pixel) {
    return std::min({qRed(pixel), qGreen(pixel), qBlue(pixel)}) < 192;
}

// How far from the label's centre ink lies, in millimetres, and how many pixels between
// from and to are not the colour expected there.
struct TInk {
    double Nearest = std::numeric_limits<double>::max();
    double Farthest = 0;
    int Above = 0;
    int Below = 0;
    int Missing = 0;
};
TInk MeasureInk(const QImage& image, double from = 0, double to = 0, QRgb colour = 0) {
    TInk ink;
    const double centre = Centre.x() * PixelsPerTenth;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const double mm = std::hypot(x + 0.5 - centre, y + 0.5 - centre) / PixelsPerTenth / 10;
            if (mm > from && mm < to && (line[x] & 0xffffff) != (colour & 0xffffff))
                ++ink.Missing;
            if (!Ink(line[x]))
                continue;
            ink.Nearest = std::min(ink.Nearest, mm);
            ink.Farthest = std::max(ink.Farthest, mm);
            ++(y + 0.5 < centre ? ink.Above : ink.Below);
        }
    }
    return ink;
}

TDiscLabel Label(int outer, int hole) {
    TDiscLabel label;
    label.Outer = outer;
    label.Hole = hole;
    return label;
}
} // namespace

TEST(DiscLabel, PictureAndBackgroundFillTheRingGrownByTheOverprintAndNothingElse) {
    constexpr QRgb blue = 0x2050c0;
    constexpr QRgb red = 0xc02020;
    const std::unique_ptr<TBitmap> picture = BitmapOf(SolidImage(40, 30, blue));
    const struct {
        const char* Name;
        int Outer, Hole, Overprint;
        TBitmap* Picture;
        QRgb Colour;
        double Inner, Edge; // millimetres from the centre
    } cases[] = {
        {"117 mm with a 41 mm hole", 1170, 410, 0, picture.get(), blue, 20.5, 58.5},
        {"100 mm with a 15 mm hole", 1000, 150, 0, picture.get(), blue, 7.5, 50.0},
        {"1 mm overprint", 1170, 410, 10, picture.get(), blue, 19.5, 59.5},
        {"background alone, overprint beyond 2 mm", 1170, 410, 50, nullptr, red, 18.5, 60.5},
        {"sizes beyond the limits", 1300, 100, 0, picture.get(), blue, 7.5, 60.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TDiscLabel label = Label(c.Outer, c.Hole);
        label.Background = QColor(red);
        const TInk ink = MeasureInk(Render(label, c.Picture, c.Overprint), c.Inner + 0.2,
                                    c.Edge - 0.2, c.Colour);
        EXPECT_GE(ink.Nearest, c.Inner - EdgeTolerance);
        EXPECT_LE(ink.Farthest, c.Edge + EdgeTolerance);
        EXPECT_EQ(ink.Missing, 0);
    }
}

TEST(DiscLabel, CuttingCirclesStandJustOutsideTheRing) {
    const TInk ink = MeasureInk(Render(Label(1170, 410), nullptr, 0, true), 20.6, 58.4, 0xffffff);
    // One tenth wide: from 20.4 to 20.5 mm and from 58.5 to 58.6 mm.
    EXPECT_NEAR(ink.Nearest, 20.4, EdgeTolerance);
    EXPECT_NEAR(ink.Farthest, 58.6, EdgeTolerance);
    EXPECT_EQ(ink.Missing, 0);
}

TEST(DiscLabel, LongWordsShrinkThenAreCutInsideTheRingsBand) {
    const std::string longText =
        "Die gesammelten Aufnahmen aller Konzerte der Sommerreise durch Europa, Asien und "
        "Amerika mit sämtlichen Zugaben";
    std::vector<std::string> tracks;
    for (int i = 1; i <= 40; ++i)
        tracks.push_back("Titel " + std::to_string(i));
    const struct {
        int Outer, Hole;
        double Inner, Edge; // the band: 3 mm outside the hole and inside the edge
        std::vector<std::string> Lines;
        std::vector<std::string> Warnings;
    } cases[] = {
        {1170,
         410,
         23.5,
         55.5,
         {longText, "Live", longText, longText},
         {Msg::DiscTitleShortened, Msg::DiscSubtitleShortened, Msg::DiscLinesShortened}},
        // Between the band's 10.5 mm and the arcs' 8-point cells (3.39 mm) inside its 47 mm,
        // 33.1 mm hold 12 rows of 6-point lines (2.65 mm) on each side.
        {1000,
         150,
         10.5,
         47.0,
         tracks,
         {Msg::DiscTitleShortened, Msg::DiscSubtitleShortened,
          "Die Zeilen passen auch in kleinster Schrift nicht in die Mitte des Disc-Etiketts: 24 "
          "von 40 Zeilen werden gedruckt."}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Outer);
        TDiscLabel label = Label(c.Outer, c.Hole);
        label.Title = longText;
        label.TitleStyle.Points = 20;
        label.Subtitle = longText;
        label.Lines = c.Lines;
        const TInk ink = MeasureInk(Render(label, nullptr, 0));
        EXPECT_GE(ink.Nearest, c.Inner - EdgeTolerance);
        EXPECT_LE(ink.Farthest, c.Edge + EdgeTolerance);
        EXPECT_GT(ink.Above, 0);
        EXPECT_GT(ink.Below, 0);
        const TTextLayout layout = LayoutDiscWithFonts(label, Centre);
        EXPECT_EQ(layout.Warnings, c.Warnings);
        ASSERT_EQ(layout.Blocks.size(), 3u);
        // Both arcs in their least type, 8 points, and cut.
        for (const TTextBlock& arc : {layout.Blocks[0], layout.Blocks[1]}) {
            EXPECT_EQ(arc.Runs.back().Text, "\u2026");
            EXPECT_NEAR(arc.Runs.front().Em, 8 * 254.0 / 72, 1e-9);
        }
    }
}

TEST(DiscLabel, BothArcsReadFromLeftToRight) {
    const struct {
        const char* Name;
        bool Upper;
    } cases[] = {{"title on the upper arc", true}, {"second line on the lower arc", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TDiscLabel label;
        (c.Upper ? label.Title : label.Subtitle) = "Sommer in Wien";
        const TTextLayout layout = LayoutDiscWithFonts(label, Centre);
        ASSERT_EQ(layout.Blocks.size(), 1u);
        const std::vector<TTextRun>& runs = layout.Blocks[0].Runs;
        ASSERT_EQ(runs.size(), 12u); // the letters without the blanks
        // The angle of the letter nearest the top or the bottom.
        double nearestX = std::numeric_limits<double>::max();
        double nearest = 0;
        for (size_t i = 0; i < runs.size(); ++i) {
            const QPointF at = runs[i].Box.center() - Centre;
            if (i > 0) {
                EXPECT_GT(at.x(), runs[i - 1].Box.center().x() - Centre.x());
            }
            EXPECT_EQ(at.y() < 0, c.Upper);
            // Upright at the top, upright at the bottom, turned with the circle between.
            const double tangent = std::atan2(at.x(), std::abs(at.y())) * 180 / std::numbers::pi;
            EXPECT_NEAR(runs[i].Angle, c.Upper ? tangent : -tangent, 0.01);
            if (std::abs(at.x()) < nearestX) {
                nearestX = std::abs(at.x());
                nearest = runs[i].Angle;
            }
        }
        EXPECT_LT(std::abs(nearest), 5);
        const TInk ink = MeasureInk(Render(label, nullptr, 0));
        EXPECT_GT(c.Upper ? ink.Above : ink.Below, 0);
        EXPECT_EQ(c.Upper ? ink.Below : ink.Above, 0);
    }
}
