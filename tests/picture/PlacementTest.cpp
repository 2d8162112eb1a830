// Placing a picture into a part: the rectangles each mode gives for pictures of every
// proportion and for stored windows, moving and zooming the window, and the picture
// control showing the same window the sheet prints, moved by real mouse and key events.
#include <gtest/gtest.h>

#include <QPainter>
#include <QTest>
#include <QWheelEvent>

#include "PictureTestSupport.h"
#include "picture/Bitmap.h"
#include "picture/Canvas.h"
#include "picture/Image.h"
#include "picture/Placement.h"

namespace {

const QRgb Red = qRgb(255, 0, 0);
const QRgb Blue = qRgb(0, 0, 255);

// The cover's and the back's rectangles on the sheet, in tenths of a millimetre.
const QRectF CoverPart(100, 500, 1200, 1200);
const QRectF BackPart(1330, 520, 1510, 1180);

std::string Show(const QRectF& r) {
    return "(" + std::to_string(r.x()) + ", " + std::to_string(r.y()) + ", " +
           std::to_string(r.width()) + ", " + std::to_string(r.height()) + ")";
}

bool Near(const QRectF& a, const QRectF& b) {
    const auto close = [](double x, double y) {
        return std::abs(x - y) < 0.01;
    };
    return close(a.x(), b.x()) && close(a.y(), b.y()) && close(a.width(), b.width()) &&
           close(a.height(), b.height());
}

TPartPlacement Mode(TPlacementMode mode, int turn = 0) {
    TPartPlacement placement;
    placement.Mode = mode;
    placement.Turn = turn;
    return placement;
}

TPartPlacement Fill(std::optional<TPlacementView> view = std::nullopt, int turn = 0) {
    return {TPlacementMode::Fill, view, turn};
}

// A picture whose left half is red and right half blue.
std::unique_ptr<TBitmap> Halves(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, x < width / 2 ? Red : Blue);
    return BitmapOf(image);
}

} // namespace

TEST(Placement, ModesProportionsAndWindowsGiveTheirRectangles) {
    struct TCase {
        const char* Name;
        QRectF Part;
        QSize Picture;
        TPartPlacement Placement;
        QRectF Source;
        QRectF Target;
    };
    const TCase cases[] = {
        {"stretch", CoverPart, {200, 100}, {}, {0, 0, 200, 100}, CoverPart},
        {"fit wide",
         CoverPart,
         {200, 100},
         Mode(TPlacementMode::Fit),
         {0, 0, 200, 100},
         {100, 800, 1200, 600}},
        {"fit tall",
         CoverPart,
         {100, 200},
         Mode(TPlacementMode::Fit),
         {0, 0, 100, 200},
         {400, 500, 600, 1200}},
        {"fit square on the back",
         BackPart,
         {100, 100},
         Mode(TPlacementMode::Fit),
         {0, 0, 100, 100},
         {1495, 520, 1180, 1180}},
        {"fill wide", CoverPart, {200, 100}, Fill(), {50, 0, 100, 100}, CoverPart},
        {"fill tall", CoverPart, {100, 200}, Fill(), {0, 50, 100, 100}, CoverPart},
        {"fill square on the back",
         BackPart,
         {100, 100},
         Fill(),
         {0, 10.9272, 100, 78.1457},
         BackPart},
        {"left half",
         CoverPart,
         {200, 100},
         Fill(TPlacementView{0, 0, 5000, 10000}),
         {0, 0, 100, 100},
         CoverPart},
        // Stored windows of other proportions keep their centre and area, within 1× to 8×.
        {"whole picture: no wider than the largest",
         CoverPart,
         {200, 100},
         Fill(TPlacementView{0, 0, 10000, 10000}),
         {50, 0, 100, 100},
         CoverPart},
        {"flat window",
         CoverPart,
         {200, 100},
         Fill(TPlacementView{2500, 0, 5000, 5000}),
         {64.6447, 0, 70.7107, 70.7107},
         CoverPart},
        {"tiny window: 8×",
         CoverPart,
         {200, 100},
         Fill(TPlacementView{0, 0, 100, 100}),
         {0, 0, 12.5, 12.5},
         CoverPart},
        {"2× in a corner",
         CoverPart,
         {200, 100},
         Fill(TPlacementView{7500, 5000, 2500, 5000}),
         {150, 50, 50, 50},
         CoverPart},
        // The turn comes first: the window is one of the turned picture.
        {"stretch turned",
         CoverPart,
         {200, 100},
         Mode(TPlacementMode::Stretch, 90),
         {0, 0, 100, 200},
         CoverPart},
        {"fill turned", CoverPart, {200, 100}, Fill({}, 270), {0, 50, 100, 100}, CoverPart},
        {"fit turned half",
         CoverPart,
         {100, 200},
         Mode(TPlacementMode::Fit, 180),
         {0, 0, 100, 200},
         {400, 500, 600, 1200}},
        {"no pixels", CoverPart, {0, 0}, Fill(), {0, 0, 0, 0}, CoverPart},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const TPlaced placed = PlacePicture(c.Part, c.Picture, c.Placement);
        EXPECT_TRUE(Near(placed.Source, c.Source)) << Show(placed.Source);
        EXPECT_TRUE(Near(placed.Target, c.Target)) << Show(placed.Target);
        EXPECT_EQ(placed.Turn, c.Placement.Turn);
    }
}

TEST(Placement, PanAndZoomStayInsideThePictureAndTheZoomRange) {
    const QSize wide(200, 100);
    struct TCase {
        const char* Name;
        TPlacementView View;
        TPlacementView Expected;
    };
    // Dragging right by half the part shows the picture's left end, and no further.
    const TCase cases[] = {
        {"drag right", PanView(CoverPart, wide, Fill(), 600, 0), {0, 0, 5000, 10000}},
        {"drag far right", PanView(CoverPart, wide, Fill(), 5000, 300), {0, 0, 5000, 10000}},
        {"drag left", PanView(CoverPart, wide, Fill(), -1200, 0), {5000, 0, 5000, 10000}},
        {"zoom in", ZoomView(CoverPart, wide, Fill(), 2), {3750, 2500, 2500, 5000}},
        {"zoom past 8×", ZoomView(CoverPart, wide, Fill(), 100), {4688, 4375, 625, 1250}},
        {"zoom out past 1×", ZoomView(CoverPart, wide, Fill(), 0.1), {2500, 0, 5000, 10000}},
        {"zoomed drag",
         PanView(CoverPart, wide, Fill(TPlacementView{3750, 2500, 2500, 5000}), 0, 600),
         {3750, 0, 2500, 5000}},
        {"zoom about the part's top left",
         ZoomView(CoverPart, wide, Fill(), 2, CoverPart.topLeft()),
         {2500, 0, 2500, 5000}},
        {"zoom about its bottom right",
         ZoomView(CoverPart, wide, Fill(), 2, CoverPart.bottomRight()),
         {5000, 5000, 2500, 5000}},
        {"zoom about a point 3/4 across, 1/4 down",
         ZoomView(CoverPart, wide, Fill(), 2, QPointF(1000, 800)),
         {4375, 1250, 2500, 5000}},
        {"zoom a turned picture",
         ZoomView(CoverPart, wide, Fill({}, 90), 2),
         {2500, 3750, 5000, 2500}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(c.View, c.Expected)
            << c.View.Left << ";" << c.View.Top << ";" << c.View.Width << ";" << c.View.Height;
    }
}

// A picture of exactly its part's proportions fills the part whole; the rounding of its
// window's size must not cross the bounds it is kept in (the build checks std::clamp).
TEST(Placement, APictureOfThePartsExactProportionsFillsItWhole) {
    const QRectF backWithBleed(1320, 510, 1530, 1200);
    const struct {
        QRectF Part;
        QSize Picture;
    } cases[] = {{BackPart, {604, 472}},
                 {BackPart, {1208, 944}},
                 {BackPart, {2416, 1888}},
                 {backWithBleed, {1275, 1000}},
                 {CoverPart, {1000, 1000}}};
    const TPlacementView whole{0, 0, 10000, 10000};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.Picture.width()) + "x" + std::to_string(c.Picture.height()));
        EXPECT_EQ(ViewOf(PlacePicture(c.Part, c.Picture, Fill()), c.Picture), whole);
        EXPECT_EQ(PanView(c.Part, c.Picture, Fill(), 50, -30), whole);
        EXPECT_EQ(ZoomView(c.Part, c.Picture, Fill(), 0.5), whole);
    }
}

TEST(Placement, ATurnTurnsTheWindowWithThePicture) {
    // The left half of a picture is its top half a quarter turn later; the bottom-right
    // quarter becomes the bottom-left one; four turns are none.
    TPartPlacement placement = Fill(TPlacementView{0, 0, 5000, 10000});
    placement = TurnedClockwise(placement);
    EXPECT_EQ(placement.Turn, 90);
    EXPECT_EQ(placement.View, (TPlacementView{0, 0, 10000, 5000}));
    EXPECT_EQ(TurnedClockwise(Fill(TPlacementView{7500, 5000, 2500, 5000})).View,
              (TPlacementView{0, 7500, 5000, 2500}));
    TPartPlacement round = Fill(TPlacementView{1000, 2000, 3000, 4000}, 0);
    for (int i = 0; i < 4; ++i)
        round = TurnedClockwise(round);
    EXPECT_EQ(round, Fill(TPlacementView{1000, 2000, 3000, 4000}, 0));
}

// What DrawPlaced puts on a 120 × 120 part drawn one unit per pixel, read at a few points.
TEST(Placement, DrawsTheWindowTurnedIntoThePart) {
    struct TCase {
        const char* Name;
        TPartPlacement Placement;
        QRgb TopLeft, TopRight, BottomLeft, Middle;
    };
    const QRgb White = qRgb(255, 255, 255);
    const TCase cases[] = {
        {"stretch", {}, Red, Blue, Red, Blue},
        {"fit: white above and below", Mode(TPlacementMode::Fit), White, White, White, Blue},
        {"fill the left half", Fill(TPlacementView{0, 0, 5000, 10000}), Red, Red, Red, Red},
        {"stretch turned clockwise: red on top", Mode(TPlacementMode::Stretch, 90), Red, Red, Blue,
         Blue},
        {"turned the other way: blue on top", Mode(TPlacementMode::Stretch, 270), Blue, Blue, Red,
         Red},
        {"half turn", Mode(TPlacementMode::Stretch, 180), Blue, Red, Blue, Red},
    };
    const auto picture = Halves(200, 100);
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        QImage sheet(140, 140, QImage::Format_RGB32);
        sheet.fill(White);
        QPainter painter(&sheet);
        TCanvas canvas(painter);
        DrawPlaced(canvas, {10, 10, 130, 130}, picture.get(), c.Placement);
        painter.end();
        EXPECT_EQ(sheet.pixel(15, 15), c.TopLeft);
        EXPECT_EQ(sheet.pixel(124, 15), c.TopRight);
        EXPECT_EQ(sheet.pixel(15, 124), c.BottomLeft);
        EXPECT_EQ(sheet.pixel(72, 72), c.Middle);
        // Nothing lands outside the part.
        EXPECT_EQ(sheet.pixel(5, 70), White);
        EXPECT_EQ(sheet.pixel(135, 70), White);
    }
}

// The control stands for the part: where the picture changes colour in the control, it
// changes in the same proportion of the part on the sheet, at rest and while the picture is
// dragged (then moved in whole pixels), and exactly as rendered anew once the drag ends.
TEST(Placement, TheControlShowsTheWindowTheSheetPrints) {
    const auto picture = Halves(300, 100);
    const QSize part(1510, 1180);
    TPartPlacement placement = Fill(TPlacementView{3000, 0, 3000, 10000});
    TImage control;
    control.resize(241, 192);
    control.Picture().CopyFrom(picture.get());
    control.SetPlacement(part, placement);
    control.OnViewChange = [&](const TPlacementView& view) {
        placement.View = view;
        control.SetPlacement(part, placement);
    };
    const auto boundary = [](const QImage& image) {
        int x = 0;
        while (x < image.width() && image.pixel(x, image.height() / 2) != Blue)
            ++x;
        return double(x) / image.width();
    };
    const auto onSheet = [&] {
        QImage sheet(part, QImage::Format_RGB32);
        QPainter painter(&sheet);
        TCanvas canvas(painter);
        DrawPlaced(canvas, {0, 0, part.width(), part.height()}, picture.get(), placement);
        painter.end();
        return boundary(sheet);
    };
    const auto rendered = [&] {
        TImage fresh;
        fresh.resize(control.size());
        fresh.Picture().CopyFrom(picture.get());
        fresh.SetPlacement(part, placement);
        return fresh.grab().toImage();
    };

    control.show();
    const double atRest = onSheet();
    EXPECT_GT(atRest, 0.2);
    EXPECT_LT(atRest, 0.9);
    EXPECT_NEAR(boundary(control.grab().toImage()), atRest, 1.0 / 241 + 0.001);
    // Steps of 7 pixels, far enough for the control to render the larger picture anew.
    QPoint at(200, 96);
    QTest::mousePress(&control, Qt::LeftButton, {}, at);
    for (int step = 0; step < 40; ++step) {
        at.rx() += step < 20 ? -7 : 5;
        QTest::mouseMove(&control, at);
        ASSERT_NEAR(boundary(control.grab().toImage()), onSheet(), 1.0 / 241 + 0.001) << step;
    }
    QTest::mouseRelease(&control, Qt::LeftButton, {}, at);
    EXPECT_NE(placement.View, (TPlacementView{3000, 0, 3000, 10000}));
    EXPECT_EQ(control.grab().toImage(), rendered());
}

// Real events on the control in "Füllen": a drag, the wheel, + and − and the arrow keys
// each ask for the window they lead to; outside "Füllen" they ask for nothing.
TEST(Placement, MouseAndKeysMoveAndZoomTheWindow) {
    const auto picture = Halves(200, 100);
    const QSize part(1200, 1200);
    TImage control;
    control.resize(200, 200);
    control.Picture().CopyFrom(picture.get());
    std::vector<TPlacementView> asked;
    control.OnViewChange = [&](const TPlacementView& view) {
        asked.push_back(view);
        TPartPlacement placement = control.Placement();
        placement.View = view;
        control.SetPlacement(part, placement);
    };
    control.SetPlacement(part, Mode(TPlacementMode::Stretch));
    control.show();
    QTest::mousePress(&control, Qt::LeftButton, {}, {100, 100});
    QTest::mouseMove(&control, {150, 100});
    QTest::mouseRelease(&control, Qt::LeftButton, {}, {150, 100});
    QTest::keyClick(&control, Qt::Key_Plus);
    EXPECT_TRUE(asked.empty());

    control.SetPlacement(part, Fill());
    EXPECT_EQ(control.focusPolicy(), Qt::StrongFocus);
    // Half the control to the right: the window moves half a window to the left.
    QTest::mousePress(&control, Qt::LeftButton, {}, {100, 100});
    QTest::mouseMove(&control, {150, 100});
    QTest::mouseMove(&control, {200, 100});
    QTest::mouseRelease(&control, Qt::LeftButton, {}, {200, 100});
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked.back(), (TPlacementView{0, 0, 5000, 10000}));

    // The wheel zooms about the pointer: the spot under it, 3/4 across and 1/4 down the
    // window (75, 25 of the picture's pixels), stays under it.
    QWheelEvent wheel({150, 50}, control.mapToGlobal(QPointF(150, 50)), {}, {0, 120}, Qt::NoButton,
                      {}, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&control, &wheel);
    ASSERT_EQ(asked.size(), 3u);
    // 1.25× of the largest: 80 of 200 pixels wide, from 15, 5.
    EXPECT_EQ(asked.back(), (TPlacementView{750, 500, 4000, 8000}));
    // − zooms about the window's centre (55, 45): 100 pixels wide from 5, kept inside.
    QTest::keyClick(&control, Qt::Key_Minus);
    EXPECT_EQ(asked.back(), (TPlacementView{250, 0, 5000, 10000}));
    QTest::keyClick(&control, Qt::Key_Left);
    EXPECT_EQ(asked.back().Left, 450); // 8 of 200 control pixels: 4 of 200 picture pixels
    QTest::keyClick(&control, Qt::Key_Right);
    EXPECT_EQ(asked.back().Left, 250);
    EXPECT_EQ(asked.size(), 6u);
}
