// The page arithmetic of a print job: a logical unit is exactly its physical length at
// every resolution, lengths round, and text is as high as its size in points.
#include <climits>
#include <cmath>
#include <gtest/gtest.h>

#include "picture/Canvas.h"
#include "print/PageMapping.h"

namespace {
// Where the mapping puts a logical point, in device pixels, as QPainter computes it.
double DeviceX(const TDeviceMapping& m, int x) {
    return m.OriginX + double(x) * m.ViewportExtX / m.WindowExtX;
}
double DeviceY(const TDeviceMapping& m, int y) {
    return m.OriginY + double(y) * m.ViewportExtY / m.WindowExtY;
}
} // namespace

// The sheet's far corner (286.0 mm, 190.0 mm) lands on its true device pixel at every
// resolution, including those that do not divide 7200, on each axis of its own.
TEST(PageMapping, ALogicalUnitIsItsPhysicalLengthAtEveryResolution) {
    const struct {
        TScaling Scaling;
        int DpiX, DpiY;
        int X, Y;                // logical point
        double DeviceX, DeviceY; // where it belongs, worked out by hand
    } cases[] = {
        {TScaling::pscMetric10, 600, 600, 2860, 1900, 6755.906, 4488.189},
        {TScaling::pscMetric10, 500, 500, 2860, 1900, 5629.921, 3740.157},
        {TScaling::pscMetric10, 1000, 1000, 1200, 1200, 4724.409, 4724.409},
        {TScaling::pscMetric10, 1016, 1016, 1200, 1200, 4800.000, 4800.000},
        {TScaling::pscMetric10, 1600, 1600, 2860, 1900, 18015.748, 11968.504},
        {TScaling::pscMetric10, 2000, 2000, 1200, 1200, 9448.819, 9448.819},
        {TScaling::pscMetric10, 2880, 2880, 1200, 1200, 13606.299, 13606.299},
        {TScaling::pscMetric10, 5760, 5760, 2860, 1900, 64856.693, 43086.614},
        {TScaling::pscMetric10, 10000, 10000, 2860, 1900, 112598.425, 74803.150},
        {TScaling::pscMetric10, 1, 1, 2540, 254, 10.000, 1.000},
        {TScaling::pscMetric10, 720, 360, 1000, 1000, 2834.646, 1417.323},
        {TScaling::pscMetric100, 1016, 1016, 25400, 12700, 10160.000, 5080.000},
        {TScaling::pscMil, 1200, 1200, 1000, 500, 1200.000, 600.000},
    };
    for (const auto& c : cases) {
        TMappingInput in;
        in.Scaling = c.Scaling;
        in.LogPixelsX = c.DpiX;
        in.LogPixelsY = c.DpiY;
        const TDeviceMapping m = ComputeMapping(in);
        EXPECT_NEAR(DeviceX(m, c.X), c.DeviceX, 0.001) << c.DpiX;
        EXPECT_NEAR(DeviceY(m, c.Y), c.DeviceY, 0.001) << c.DpiY;
    }
}

// Where 7200 is a whole multiple of the resolution, sheets printed before this mapping
// keep every device position: they were mapped at 7200 / ((7200 / dpi) × 254) device
// pixels per tenth of a millimetre, which equals dpi / 254 there.
TEST(PageMapping, ResolutionsThatDivide7200KeepEveryDevicePosition) {
    for (const int dpi : {72, 144, 300, 360, 600, 720, 1200, 1440, 2400, 3600, 7200}) {
        TMappingInput in;
        in.Scaling = TScaling::pscMetric10;
        in.LogPixelsX = in.LogPixelsY = dpi;
        const TDeviceMapping m = ComputeMapping(in);
        const double before = 7200.0 / ((7200 / dpi) * 254);
        for (const int x : {99, 1301, 1390, 2770, 2860})
            EXPECT_NEAR(DeviceX(m, x), x * before, 1e-9) << dpi;
    }
}

TEST(PageMapping, OriginAndCalibrationRoundToDevicePixels) {
    const struct {
        TScaling Scaling;
        int Dpi;
        int MarginLeft, MarginTop;
        int ShiftX, ShiftY;
        int OriginX, OriginY;
    } cases[] = {
        {TScaling::pscMetric10, 600, 0, 0, 0, 0, -100, -120},
        {TScaling::pscMetric10, 600, 254, 127, 0, 0, 500, 180},
        {TScaling::pscMetric10, 600, 0, 0, 25, -15, -100 + 59, -120 - 35},
        {TScaling::pscMetric10, 300, 0, 0, 100, -100, -100 + 118, -120 - 118},
        {TScaling::pscMil, 600, 0, 0, 10, 10, -100 + 24, -120 + 24},
        {TScaling::pscMetric10, 1000, 5, 3, 0, 0, -100 + 20, -120 + 12},
    };
    for (const auto& c : cases) {
        TMappingInput in;
        in.Scaling = c.Scaling;
        in.LogPixelsX = in.LogPixelsY = c.Dpi;
        in.PhysicalOffsetX = 100;
        in.PhysicalOffsetY = 120;
        in.MarginLeft = c.MarginLeft;
        in.MarginTop = c.MarginTop;
        in.ShiftX = c.ShiftX;
        in.ShiftY = c.ShiftY;
        const TDeviceMapping m = ComputeMapping(in);
        EXPECT_EQ(m.OriginX, c.OriginX) << c.Dpi << " " << c.ShiftX;
        EXPECT_EQ(m.OriginY, c.OriginY) << c.Dpi << " " << c.ShiftY;
    }
}

// A printer that prints 100 mm as 100.3 mm across and 99.8 mm down gets a sheet that
// much smaller and larger, about the corner; the shift moves the scaled sheet.
TEST(PageMapping, ScaleCorrectsEachAxisAboutTheCorner) {
    TMappingInput in;
    in.Scaling = TScaling::pscMetric10;
    in.LogPixelsX = in.LogPixelsY = 600;
    in.ScaleX = 10030;
    in.ScaleY = 9980;
    in.ShiftX = 254; // 600 device pixels
    const TDeviceMapping m = ComputeMapping(in);
    EXPECT_NEAR(DeviceX(m, 0), 600, 1e-9);
    EXPECT_NEAR(DeviceX(m, 2540) - 600, 6000 / 1.003, 1e-6);
    EXPECT_NEAR(DeviceY(m, 2540), 6000 / 0.998, 1e-6);
}

TEST(PageMapping, PageIsTheSpanBetweenTheMarginsLessOneDevicePixel) {
    TMappingInput in;
    in.Scaling = TScaling::pscMetric10;
    in.LogPixelsX = in.LogPixelsY = 600;
    in.PhysicalWidth = 7016;
    in.PhysicalHeight = 4961;
    EXPECT_EQ(PageExtent(in), (TPageExtent{2969, 2099}));
    in.MarginLeft = in.MarginRight = 100; // 236.2 device pixels each
    EXPECT_EQ(PageExtent(in).Width, (7016 - 236 - 236 - 1) * 254 / 600);
    // In device pixels the margins shrink the page as they are.
    in.Scaling = TScaling::pscDot;
    EXPECT_EQ(PageExtent(in), (TPageExtent{6815, 4960}));
}

// Rounding keeps a margin's length when the unit is written again (5 stays 5, where
// truncation made it 4) and saturates instead of wrapping.
TEST(PageMapping, LengthsRoundBothWaysAndStayUnderDots) {
    const struct {
        bool ToDevice;
        int Value, Dpi, Units;
        int Expected;
    } cases[] = {
        {true, 5, 300, 254, 6},           {false, 6, 300, 254, 5},
        {false, 100, 300, 254, 85},       {true, -7, 600, 254, -17},
        {false, 100, 0, 254, 0},          {true, INT_MAX, 10000, 1, INT_MAX},
        {true, INT_MIN, 600, 1, INT_MIN},
    };
    for (const auto& c : cases) {
        const int got = c.ToDevice ? ToDevice(c.Value, c.Dpi, c.Units, TScaling::pscMetric10)
                                   : FromDevice(c.Value, c.Dpi, c.Units, TScaling::pscMetric10);
        EXPECT_EQ(got, c.Expected) << c.Value << " at " << c.Dpi;
    }
    EXPECT_EQ(ToDevice(123, 600, 1, TScaling::pscDot), 123);
    EXPECT_EQ(FromDevice(123, 600, 1, TScaling::pscDot), 123);
}

// 10 points are 3.53 mm: 35 tenths of a millimetre inside a job at every resolution.
TEST(PageMapping, FontHeightIsTheSizeInPointsAtEveryResolution) {
    const struct {
        int Size;
        TScaling Scaling;
        bool InJob;
        int Dpi;
        int Height;
    } cases[] = {
        {10, TScaling::pscMetric10, true, 600, -35},  {10, TScaling::pscMetric10, true, 720, -35},
        {10, TScaling::pscMetric10, true, 1000, -35}, {10, TScaling::pscMetric10, true, 5760, -35},
        {-10, TScaling::pscMetric10, true, 300, -35}, {6, TScaling::pscMetric10, true, 2880, -21},
        {1, TScaling::pscMetric10, true, 4800, -4},   {16, TScaling::pscMetric100, true, 600, -564},
        {10, TScaling::pscMil, true, 1200, -139},     {0, TScaling::pscMetric10, true, 600, 0},
        {10, TScaling::pscMetric10, false, 600, -83}, {10, TScaling::pscDot, true, 600, -83},
        {1, TScaling::pscDot, true, 10, -1},
    };
    // The largest size there is still gives a height, not an overflow.
    EXPECT_LT(FontHeight(INT_MIN, TScaling::pscMetric10, true, 600), 0);
    for (const auto& c : cases) {
        EXPECT_EQ(FontHeight(c.Size, c.Scaling, c.InJob, c.Dpi), c.Height)
            << c.Size << " pt at " << c.Dpi;
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
