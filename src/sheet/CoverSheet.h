// The printed cover sheet: for a jewel case the front cover and the back inlay at their real
// sizes on one sheet, side by side on a landscape sheet or stacked on a portrait one; for
// every other case its wrap (back panel, spine, front panel) centred on a landscape sheet.
// With optional cutting frames and fold lines (or, with a bleed, crop marks and fold marks),
// a footer rule and a footer line. The print command and vellacour-export sheet print it
// through the same function.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "picture/Graphic.h"
#include "picture/Placement.h"
#include "sheet/CaseType.h"
#include "sheet/CoverText.h"

class TCanvas;
class TPicture;
class TXPrint;

// The sheet's geometry in tenths of a millimetre from the sheet's top-left corner.
namespace Sheet {
inline constexpr TRect CoverPicture = {100, 500, 1300, 1700}; // 120 × 120 mm
inline constexpr TRect BackPicture = {1330, 520, 2840, 1700}; // 151 × 118 mm
inline constexpr int FoldFromBackLeft = 60;                   // 6.0 mm
inline constexpr int FoldFromBackRight = 70;                  // 7.0 mm
inline constexpr int FooterLeft = 100;
inline constexpr int FooterTop = 1900;
inline constexpr int FooterPoints = 10;
inline constexpr const char* FooterFont = "Arial";
} // namespace Sheet

// The two parts the user cuts out of the sheet; on a wrap its front and back panels.
enum class TSheetPart { Cover, Back, Disc };

// A landscape sheet of paper, in tenths of a millimetre.
struct TPaperSize {
    int Width = 0;
    int Height = 0;
    bool operator==(const TPaperSize&) const = default;
};
namespace Paper {
inline constexpr TPaperSize A4 = {2970, 2100};
inline constexpr TPaperSize Letter = {2794, 2159};
inline constexpr TPaperSize Legal = {3556, 2159};
} // namespace Paper

// A sheet printed to a file keeps its parts this far inside the paper's edges, since
// nearly every printer keeps a margin of 3 to 6 mm.
inline constexpr int FileMargin = 50;

// How the parts stand: side by side on a landscape sheet, or the front cover above the
// back inlay on a portrait sheet, which fits US Letter as well as A4.
enum class TArrangement { Side, Stacked };

// The bleed is given in tenths of a millimetre.
inline constexpr int MaxBleed = 30;
// Side by side, a bleed with its crop marks stays 5 mm inside an A4 sheet up to 1 mm.
inline constexpr int MaxSideBleed = 10;

// What a layout decides of its sheet: the arrangement, how far each picture reaches past
// its part's edges, so that a cut a little off shows no white, and the case with its size;
// and the paper a wrap is centred on (a jewel case's sheet stands at its place whatever the
// paper).
struct TSheetLayout {
    TArrangement Arrangement = TArrangement::Side;
    int Bleed = 0;
    TCaseKind Case = TCaseKind::Jewel;
    TCaseSize Size{};
    TPaperSize Paper = Paper::A4;
    bool IsWrap() const { return Case != TCaseKind::Jewel; }
    bool operator==(const TSheetLayout&) const = default;
};

// The bleed the sheet prints with: side by side no more than MaxSideBleed; on a wrap no
// more than keeps the bleed and its marks FileMargin inside the paper.
int PrintedBleed(const TSheetLayout& layout);

// Where everything stands on the layout's sheet.
struct TSheetGeometry {
    bool Portrait = false;
    // The front cover and the back inlay, or the wrap's front and back panels.
    TRect Cover;
    TRect Back;
    // Where each picture is placed: its part grown by the bleed (on a wrap only past the
    // wrap's outer edges, never into the spine).
    TRect CoverPrinted;
    TRect BackPrinted;
    // The whole wrap, back panel to front panel; empty for a jewel case.
    TRect Wrap;
    // The fold lines, across the back inlay or the wrap.
    std::vector<int> Folds;
    int Bleed = 0;
    bool Footer = true;
    int FooterLeft = 0;
    int FooterRight = 0;
    int FooterTop = 0;
};
TSheetGeometry SheetGeometry(const TSheetLayout& layout);

// Crop marks: short lines in line with a part's edges, this far outside its bleed and
// this long.
inline constexpr int MarkGap = 10;
inline constexpr int MarkLength = 30;

// The rectangle a part covers on the sheet: its picture grown by the bleed, and with
// frames the frame one unit outside it or, with a bleed, its crop marks.
TRect PartArea(TSheetPart part, bool frames, const TSheetLayout& layout = {});

// Where the words go on the layout's sheet: the cover, the two spines of the back inlay
// (each between its edge and its fold line) and the inlay between the folds; on a wrap the
// front panel, its one spine (none on a slim card) and the back panel.
TTextAreas CoverTextAreas(const TSheetLayout& layout = {});

// "Gedruckt mit Vellacour" with the copyright line, web address and contact address.
std::string FooterText();

// What goes on the sheet: the two pictures as they are when each is drawn, whether
// frames and fold lines are wanted, asked at each step that draws them, and the words
// printed over the pictures (none when null).
struct TSheetContent {
    const TPicture& Cover;
    const TPicture& Back;
    std::function<bool()> Frames;
    TPartPlacement CoverPlacement{};
    TPartPlacement BackPlacement{};
    // One picture across a whole wrap, instead of the front and back pictures; none when
    // null or empty.
    const TPicture* Wrap = nullptr;
    TSheetLayout Layout{};
    const TCoverText* Text = nullptr;
};

// The parts as the sheet prints them, in tenths of a millimetre on canvas: each picture
// placed into its part grown by the bleed, the words over them and, when frames are
// wanted, the frames or crop marks and the fold lines; all of the sheet but its footer.
void DrawSheetParts(TCanvas& canvas, const TSheetContent& content);

// Gives the print component the settings the sheet is printed with: tenths of a
// millimetre with (0, 0) at the sheet's corner, bold Times New Roman, landscape.
void ConfigureSheetPrint(TXPrint& print);

// Turns print's paper as the layout's sheet needs: side by side landscape, stacked portrait.
void OrientForSheet(TXPrint& print, const TSheetLayout& layout);

// The layout on the paper print's printer holds, turned as the sheet needs (A4 when the
// device reports no size).
TSheetLayout LayoutOnPaper(TXPrint& print, TSheetLayout layout);

// Prints the sheet as one job of print, in the orientation its arrangement needs (side by
// side landscape, stacked portrait) whatever the printer dialog held. A failure after the job has
// begun abandons the job before it is passed on, so nothing half-drawn is printed and the printer
// is free for the next command.
void PrintCoverSheet(TXPrint& print, const TSheetContent& content);

// Draws a whole sheet, footer included, on the page of print's open job; content's layout
// is already on the paper (LayoutOnPaper, before the job began). For documents of many
// sheets, one a page.
void ComposeSheetPage(TXPrint& print, const TSheetContent& content);
