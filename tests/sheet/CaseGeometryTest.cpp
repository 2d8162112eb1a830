// Where each case's parts stand on paper. The figures are worked out by hand from the cases'
// millimetres: a wrap is back panel, spine and front panel side by side, centred on the
// landscape paper (a half tenth to the left and top), so that a wrong figure in the case
// table cannot confirm itself.
#include <gtest/gtest.h>
#include <vector>

#include "sheet/CoverSheet.h"
#include "sheet/SheetClipping.h"

namespace {
TSheetLayout Wrap(TCaseKind kind, TCaseSize size, TPaperSize paper = Paper::A4, int bleed = 0) {
    return {.Bleed = bleed, .Case = kind, .Size = size, .Paper = paper};
}
} // namespace

TEST(CaseGeometry, EachCaseStandsWhereItsMillimetresPutIt) {
    const struct {
        const char* Name;
        TSheetLayout Layout;
        TRect Back, Cover;
        std::vector<int> Folds;
        bool Footer;
    } cases[] = {
        // 129.5 + 14 + 129.5 = 273 mm of 297: 12 mm either side; 184 of 210 high: 13 mm.
        {"DVD on A4",
         Wrap(TCaseKind::Dvd, {1295, 1840, 140}),
         {120, 130, 1415, 1970},
         {1555, 130, 2850, 1970},
         {1415, 1555},
         false},
        // 266 mm of 279.4 leave 6.7 mm; 184 of 215.9 leave 15.95 mm.
        {"slim DVD on Letter",
         Wrap(TCaseKind::Dvd, {1295, 1840, 70}, Paper::Letter),
         {67, 159, 1362, 1999},
         {1432, 159, 2727, 1999},
         {1362, 1432},
         false},
        // 268.5 mm of 297 leave 14.25 mm; 149 of 210 leave 30.5 mm, room for the footer.
        {"Blu-ray on A4",
         Wrap(TCaseKind::Bluray, {1280, 1490, 125}),
         {142, 305, 1422, 1795},
         {1547, 305, 2827, 1795},
         {1422, 1547},
         true},
        // Two panels of 120 mm and one fold between them.
        {"slim CD on A4",
         Wrap(TCaseKind::Slim, {1200, 1200, 0}),
         {285, 450, 1485, 1650},
         {1485, 450, 2685, 1650},
         {1485},
         true},
        // 150 + 30 + 150 = 330 mm on US Legal's 355.6.
        {"own size on Legal",
         Wrap(TCaseKind::Custom, {1500, 1800, 300}, Paper::Legal),
         {128, 179, 1628, 1979},
         {1928, 179, 3428, 1979},
         {1628, 1928},
         false},
        // The jewel case stands where it always stood, whatever the paper.
        {"jewel case on Legal",
         {.Paper = Paper::Legal},
         {1330, 520, 2840, 1700},
         {100, 500, 1300, 1700},
         {1390, 2770},
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const TSheetGeometry sheet = SheetGeometry(c.Layout);
        EXPECT_EQ(sheet.Back, c.Back);
        EXPECT_EQ(sheet.Cover, c.Cover);
        EXPECT_EQ(sheet.Folds, c.Folds);
        EXPECT_EQ(sheet.Footer, c.Footer);
        EXPECT_FALSE(sheet.Portrait);
        // The words: the title on the front panel, the tracks on the back one, the spine
        // title on the spine alone (a slim card has none).
        const TTextAreas areas = CoverTextAreas(c.Layout);
        EXPECT_EQ(areas.Cover, c.Cover);
        if (c.Layout.IsWrap()) {
            EXPECT_EQ(areas.Tracks, c.Back);
            const TRect spine = c.Layout.Size.Spine > 0
                                    ? TRect{c.Back.Right, c.Back.Top, c.Cover.Left, c.Back.Bottom}
                                    : TRect{};
            EXPECT_EQ(areas.LeftSpine, spine);
            EXPECT_EQ(areas.RightSpine, TRect{});
        }
    }
}

TEST(CaseGeometry, AWrapsBleedAndMarksStayFiveMillimetresInsideThePaper) {
    const struct {
        const char* Name;
        TSheetLayout Layout;
        int Printed;
        const char* FileCuts;
    } cases[] = {
        // 12 mm beside the DVD wrap on A4: 3 mm of bleed and 4 mm of marks leave 5 mm.
        {"DVD on A4", Wrap(TCaseKind::Dvd, {1295, 1840, 140}, Paper::A4, 30), 30, ""},
        // 6.7 mm beside the slim one on Letter: room for its frame, none for a bleed.
        {"slim DVD on Letter", Wrap(TCaseKind::Dvd, {1295, 1840, 70}, Paper::Letter, 30), 0, ""},
        // 3.2 mm beside the standard one: its frame 1.9 mm too close on either side.
        {"standard DVD on Letter", Wrap(TCaseKind::Dvd, {1295, 1840, 140}, Paper::Letter), 0,
         "Vorderseite: 1,9 mm rechts; Rückseite: 1,9 mm links"},
        // 14.2 mm beside the Blu-ray wrap: room for the whole 3 mm.
        {"Blu-ray on A4", Wrap(TCaseKind::Bluray, {1280, 1490, 125}, Paper::A4, 30), 30, ""},
        // The largest wrap of one's own on Legal keeps 5.3 mm, no room for marks.
        {"largest own size on Legal", Wrap(TCaseKind::Custom, {1725, 2000, 0}, Paper::Legal, 20), 0,
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const TSheetLayout& layout = c.Layout;
        EXPECT_EQ(PrintedBleed(layout), c.Printed);
        const TRect inside = {FileMargin, FileMargin, layout.Paper.Width - FileMargin,
                              layout.Paper.Height - FileMargin};
        EXPECT_EQ(CutsText(FindCuts(SheetPartAreas(true, {}, layout), inside)), c.FileCuts);
    }
}

TEST(CaseGeometry, ACutWrapNamesThePaperItFits) {
    const auto cuts = [](const TSheetLayout&) {
        return std::vector<TCut>{};
    };
    EXPECT_EQ(FitAdvice(Wrap(TCaseKind::Dvd, {1295, 1840, 140}, Paper::Letter), true, cuts),
              "Auf Papier im Format A4 oder US Legal passt der Bogen.");
    // 330 mm fit only US Legal.
    EXPECT_EQ(FitAdvice(Wrap(TCaseKind::Custom, {1500, 1800, 300}, Paper::A4), true, cuts),
              "Auf Papier im Format US Legal passt der Bogen.");
    // On US Legal already, and too wide for A4: nothing to advise.
    EXPECT_EQ(FitAdvice(Wrap(TCaseKind::Custom, {1725, 2000, 0}, Paper::Legal), true, cuts), "");
}
