// Which parts of the cover sheet a printer cuts, and how the warning names them.
#include <gtest/gtest.h>

#include "print/Printer.h"
#include "sheet/Calibration.h"
#include "sheet/SheetClipping.h"

namespace {
using P = TSheetPart;
using E = TEdge;
} // namespace

TEST(SheetClipping, CutsAreWhatReachesBeyondEachEdge) {
    const struct {
        const char* Name;
        std::vector<TPartArea> Parts;
        TRect Printable;
        std::vector<TCut> Cuts;
    } cases[] = {
        {"inside", {{P::Cover, {100, 500, 1300, 1700}}}, {0, 0, 2970, 2100}, {}},
        {"touching every edge", {{P::Back, {30, 50, 250, 380}}}, {30, 50, 250, 380}, {}},
        {"every edge, named left, right, top, bottom",
         {{P::Cover, {10, 20, 300, 400}}},
         {30, 50, 250, 380},
         {{P::Cover, E::Left, 20},
          {P::Cover, E::Right, 50},
          {P::Cover, E::Top, 30},
          {P::Cover, E::Bottom, 20}}},
        {"parts in their order",
         {{P::Cover, {0, 500, 1300, 1700}}, {P::Back, {1330, 520, 2841, 1701}}},
         {42, 42, 2800, 2058},
         {{P::Cover, E::Left, 42}, {P::Back, E::Right, 41}}},
        {"no printable area known", {{P::Cover, {100, 500, 1300, 1700}}}, {0, 0, 0, 0}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(FindCuts(c.Parts, c.Printable), c.Cuts);
    }
}

TEST(SheetClipping, WarningNamesPartsSidesAndMillimetres) {
    const struct {
        std::vector<TCut> Cuts;
        const char* Text;
    } cases[] = {
        {{{P::Back, E::Right, 46}}, "Rückseite: 4,6 mm rechts"},
        {{{P::Cover, E::Top, 7}}, "Vorderseite: 0,7 mm oben"},
        {{{P::Cover, E::Left, 5}, {P::Cover, E::Bottom, 123}, {P::Back, E::Right, 40}},
         "Vorderseite: 0,5 mm links, 12,3 mm unten; Rückseite: 4,0 mm rechts"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CutsText(c.Cuts), c.Text);
    EXPECT_EQ(OutsidePrintableText({{P::Back, E::Right, 46}}),
              "Ein Teil des Ausdrucks liegt außerhalb des bedruckbaren Bereichs (Rückseite: "
              "4,6 mm rechts).");
}

// The sheet on real papers: device metrics at 600 dpi as a printer reports them.
TEST(SheetClipping, TheSheetOnPapersAndCalibratedPrinters) {
    const TDeviceCaps a4{600, 600, 7016, 4961, 7016, 4961, 0, 0};
    const TDeviceCaps letter{600, 600, 6600, 5100, 6600, 5100, 0, 0};
    // A quarter-inch border: printable from 6,3 mm to 273,0 mm across.
    const TDeviceCaps letterBorder{600, 600, 6600, 5100, 6300, 4800, 150, 150};
    // A border of 100 pixels: printable from 4,2 mm to 292,7 mm across.
    const TDeviceCaps a4Border{600, 600, 7016, 4961, 6816, 4761, 100, 100};
    const struct {
        TDeviceCaps Caps;
        bool Frames;
        TCalibration Calibration;
        const char* Text;
    } cases[] = {
        {a4, true, {}, ""},
        {letter, false, {}, "Rückseite: 4,6 mm rechts"},
        {letter, true, {}, "Rückseite: 4,7 mm rechts"},
        {letterBorder, false, {}, "Rückseite: 10,9 mm rechts"},
        // The cover's frame at 9,9 mm moved 6 mm to the left.
        {a4Border, true, {-60, 0}, "Vorderseite: 0,3 mm links"},
        {a4Border, false, {100, 100}, "Rückseite: 1,2 mm rechts"},
        // A printer that prints 100 mm as 96.5 mm gets a sheet 3.6 % larger: the back's
        // right edge at 294,3 mm.
        {a4Border, false, {0, 0, 9650, 10000}, "Rückseite: 1,5 mm rechts"},
        {a4Border, false, {0, 0, 9800, 9800}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        const std::vector<TCut> cuts =
            FindCuts(SheetPartAreas(c.Frames, c.Calibration), PrintableArea(c.Caps));
        EXPECT_EQ(CutsText(cuts), c.Text);
    }
}

// With a bleed and its crop marks everything stays 5 mm inside the paper: side by side on
// A4 up to 1 mm (more is printed as 1 mm), stacked on Letter and A4 the full 3 mm.
TEST(SheetClipping, BleedAndMarksStayFiveMillimetresInside) {
    // 254 dpi: a pixel is a tenth of a millimetre; a 5 mm border all round.
    const TDeviceCaps a4Landscape{254, 254, 2970, 2100, 2870, 2000, 50, 50};
    const TDeviceCaps letterPortrait{254, 254, 2159, 2794, 2059, 2694, 50, 50};
    const TDeviceCaps a4Portrait{254, 254, 2100, 2970, 2000, 2870, 50, 50};
    const struct {
        TDeviceCaps Caps;
        TSheetLayout Layout;
        const char* Text;
    } cases[] = {
        {a4Landscape, {TArrangement::Side, 10}, ""},
        {a4Landscape, {TArrangement::Side, 30}, ""},
        {letterPortrait, {TArrangement::Stacked, 30}, ""},
        {a4Portrait, {TArrangement::Stacked, 30}, ""},
        // Side by side on Letter is cut as it always was.
        {{254, 254, 2794, 2159, 2694, 2059, 50, 50},
         {TArrangement::Side, 0},
         "Rückseite: 9,7 mm rechts"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Layout.Bleed);
        EXPECT_EQ(CutsText(FindCuts(SheetPartAreas(true, {}, c.Layout), PrintableArea(c.Caps))),
                  c.Text);
    }
    // The limit is reached: 1.1 mm side by side would reach into the border.
    EXPECT_EQ(PrintedBleed({TArrangement::Side, 30}), 10);
    EXPECT_EQ(PrintedBleed({TArrangement::Stacked, 30}), 30);
    const TRect back = PartArea(TSheetPart::Back, true, {TArrangement::Side, 10});
    EXPECT_EQ(back.Right, 2920) << "5 mm from the right edge of A4";
    EXPECT_EQ(PartArea(TSheetPart::Cover, true, {TArrangement::Side, 10}).Left, 50);
}

// A stacked sheet is turned a quarter counter-clockwise relative to the landscape sheet the
// printer was calibrated with: a point drawn on it with the turned correction must land
// where the landscape correction puts the same spot of paper.
TEST(SheetClipping, TurnedCalibrationCorrectsTheSamePaper) {
    const int length = 2794;
    const auto drawn = [](const TCalibration& c, double x, double y) {
        return std::pair{x * ExactScale / c.ScaleX + c.X, y * ExactScale / c.ScaleY + c.Y};
    };
    for (const TCalibration& landscape : {TCalibration{20, -10}, TCalibration{-35, 47, 9900, 10100},
                                          TCalibration{0, 0, 10400, 9600}}) {
        const TCalibration portrait = TurnedCalibration(landscape, length);
        for (const auto& [u, v] : {std::pair{0.0, 0.0}, {450.0, 130.0}, {1805.0, 2610.0}}) {
            // The paper point (u, v) of the portrait sheet is (length - v, u) of the landscape.
            const auto [pu, pv] = drawn(portrait, u, v);
            const auto [lx, ly] = drawn(landscape, length - v, u);
            EXPECT_NEAR(length - pv, lx, 1.0) << u << ", " << v;
            EXPECT_NEAR(pu, ly, 1.0) << u << ", " << v;
        }
    }
}
