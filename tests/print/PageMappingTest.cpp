// The page arithmetic of a print job, on the figures a device context would produce.
#include <gtest/gtest.h>

#include "picture/Canvas.h"
#include "print/PageMapping.h"

TEST(PageMapping, ExtentsHalveTogetherUntilTheWindowFitsSixteenBits) {
    const struct {
        TScaling Scaling;
        int Dpi;
        int Window;
        int Viewport;
    } cases[] = {
        {TScaling::pscMetric10, 600, 3048, 7200},   {TScaling::pscMetric10, 300, 6096, 7200},
        {TScaling::pscMetric100, 300, 30480, 3600}, {TScaling::pscMetric100, 72, 31750, 900},
        {TScaling::pscMil, 72, 25000, 1800},        {TScaling::pscMetric10, 1016, 1778, 7200},
    };
    for (const auto& c : cases) {
        TMappingInput in;
        in.Scaling = c.Scaling;
        in.LogPixelsX = in.LogPixelsY = c.Dpi;
        const TDeviceMapping m = ComputeMapping(in);
        EXPECT_EQ(m.WindowExtX, c.Window) << c.Dpi;
        EXPECT_EQ(m.WindowExtY, c.Window) << c.Dpi;
        EXPECT_EQ(m.ViewportExtX, c.Viewport) << c.Dpi;
        EXPECT_EQ(m.ViewportExtY, c.Viewport) << c.Dpi;
    }
}

TEST(PageMapping, OriginPutsTheMarginCornerAtZeroMeasuredFromTheSheet) {
    TMappingInput in;
    in.Scaling = TScaling::pscMetric10;
    in.LogPixelsX = in.LogPixelsY = 600;
    in.PhysicalOffsetX = 100;
    in.PhysicalOffsetY = 120;
    EXPECT_EQ(ComputeMapping(in).OriginX, -100);
    EXPECT_EQ(ComputeMapping(in).OriginY, -120);
    in.MarginLeft = 254; // one inch
    in.MarginTop = 127;
    EXPECT_EQ(ComputeMapping(in).OriginX, 500);
    EXPECT_EQ(ComputeMapping(in).OriginY, 180);
}

// A calibration in tenths of a millimetre moves the origin by whole device pixels,
// truncated toward zero, whatever the scaling.
TEST(PageMapping, CalibrationMovesTheOriginByItsDevicePixels) {
    const struct {
        TScaling Scaling;
        int Dpi;
        int ShiftX, ShiftY;
        int OriginX, OriginY;
    } cases[] = {
        {TScaling::pscMetric10, 600, 0, 0, -100, -120},
        {TScaling::pscMetric10, 600, 25, -15, -100 + 59, -120 - 35},
        {TScaling::pscMetric10, 300, 100, -100, -100 + 118, -120 - 118},
        {TScaling::pscMil, 600, 10, 10, -100 + 23, -120 + 23},
    };
    for (const auto& c : cases) {
        TMappingInput in;
        in.Scaling = c.Scaling;
        in.LogPixelsX = in.LogPixelsY = c.Dpi;
        in.PhysicalOffsetX = 100;
        in.PhysicalOffsetY = 120;
        in.ShiftX = c.ShiftX;
        in.ShiftY = c.ShiftY;
        const TDeviceMapping m = ComputeMapping(in);
        EXPECT_EQ(m.OriginX, c.OriginX) << c.ShiftX;
        EXPECT_EQ(m.OriginY, c.OriginY) << c.ShiftY;
    }
}

TEST(PageMapping, PageIsTheSpanBetweenTheMarginsLessOneDevicePixel) {
    TMappingInput in;
    in.Scaling = TScaling::pscMetric10;
    in.LogPixelsX = in.LogPixelsY = 600;
    in.PhysicalWidth = 7016;
    in.PhysicalHeight = 4961;
    EXPECT_EQ(PageExtent(in), (TPageExtent{2969, 2099}));
    in.MarginLeft = in.MarginRight = 100; // 236 device pixels each
    EXPECT_EQ(PageExtent(in).Width, (7016 - 236 - 236 - 1) * 254 / 600);
    // In device pixels the margins shrink the page as they are.
    in.Scaling = TScaling::pscDot;
    EXPECT_EQ(PageExtent(in), (TPageExtent{6815, 4960}));
}

TEST(PageMapping, LengthsTruncateBothWaysAndStayUnderDots) {
    EXPECT_EQ(ToDevice(5, 300, 254, TScaling::pscMetric10), 5);
    EXPECT_EQ(FromDevice(5, 300, 254, TScaling::pscMetric10), 4);
    EXPECT_EQ(FromDevice(100, 300, 254, TScaling::pscMetric10), 84);
    EXPECT_EQ(ToDevice(-7, 600, 254, TScaling::pscMetric10), -16);
    EXPECT_EQ(ToDevice(123, 600, 1, TScaling::pscDot), 123);
    EXPECT_EQ(FromDevice(123, 600, 1, TScaling::pscDot), 123);
    // A broken device reporting no resolution divides by nothing instead of crashing.
    EXPECT_EQ(FromDevice(100, 0, 254, TScaling::pscMetric10), 0);
}

TEST(PageMapping, IsotropicKeepsTheShorterUnitOnBothAxes) {
    // 600 × 300 pixels per inch with extents that disagree: x comes out 2 × as long.
    TDeviceMapping m{100, 100, 400, 100, 0, 0};
    const TDeviceMapping fixed = Isotropic(m, 600, 300);
    EXPECT_EQ(fixed.ViewportExtX, 200);
    EXPECT_EQ(fixed.ViewportExtY, 100);
    // Extents that already agree stay as they are.
    const TDeviceMapping agreed{3048, 3048, 7200, 7200, 0, 0};
    EXPECT_EQ(Isotropic(agreed, 600, 600), agreed);
}

TEST(PageMapping, FontSizeBecomesLogicalUnitsOnlyInsideAScaledJob) {
    const struct {
        int Size;
        TScaling Scaling;
        bool InJob;
        int Dpi;
        int Points;
        int Height;
    } cases[] = {
        {10, TScaling::pscMetric10, true, 600, 4, -33},
        {10, TScaling::pscMetric10, true, 300, 8, -33},
        {10, TScaling::pscMetric10, true, 360, 7, -35},
        {10, TScaling::pscMetric10, true, 720, 3, -30},
        {-10, TScaling::pscMetric10, true, 600, 4, -33},
        {1, TScaling::pscMetric10, true, 600, 0, 0},
        {10, TScaling::pscMetric10, false, 600, 10, -83},
        {10, TScaling::pscDot, true, 600, 10, -83},
    };
    for (const auto& c : cases) {
        const int points = FontPoints(c.Size, c.Scaling, c.InJob, c.Dpi);
        EXPECT_EQ(points, c.Points) << c.Size << " pt at " << c.Dpi;
        TFont font;
        font.PixelsPerInch = c.Dpi;
        font.SetSize(points);
        EXPECT_EQ(font.Height, c.Height) << c.Size << " pt at " << c.Dpi;
    }
}

TEST(Font, AssignTakesTheSizeAtItsOwnResolutionAndKeepsTheCharacterSet) {
    TFont screen;
    screen.Name = "Times New Roman";
    screen.Height = -21; // 16 points at 96 pixels per inch
    screen.Style.Bold = true;
    screen.CharSet = 0;
    TFont printer;
    printer.PixelsPerInch = 600;
    printer.CharSet = 2;
    printer.Assign(screen);
    EXPECT_EQ(printer.Name, "Times New Roman");
    EXPECT_TRUE(printer.Style.Bold);
    EXPECT_EQ(printer.Size(), 16);
    EXPECT_EQ(printer.Height, -133);
    EXPECT_EQ(printer.CharSet, 2);
}
