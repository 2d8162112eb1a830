// The printed cover sheet: the front cover and the back inlay at their real sizes on one
// landscape sheet, with optional cutting frames and fold lines, a footer rule and a footer
// line. The print command and vellacour-export sheet print it through the same function.
#pragma once

#include <functional>
#include <string>

#include "picture/Graphic.h"
#include "sheet/CoverText.h"

class TPicture;
class TXPrint;

// The sheet's geometry in tenths of a millimetre from the sheet's top-left corner.
namespace Sheet {
inline constexpr TRect CoverPicture = {100, 500, 1300, 1700}; // 120 × 120 mm
inline constexpr TRect BackPicture = {1330, 520, 2840, 1700}; // 151 × 118 mm
inline constexpr int FoldFromBackLeft = 60;                   // 6.0 mm
inline constexpr int FoldFromBackRight = 70;                  // 7.0 mm
inline constexpr int FooterLeft = 100;
inline constexpr int FooterRight = 2860;
inline constexpr int FooterTop = 1900;
inline constexpr int FooterPoints = 10;
inline constexpr const char* FooterFont = "Arial";
} // namespace Sheet

// The two parts the user cuts out of the sheet.
enum class TSheetPart { Cover, Back };

// The rectangle a part covers on the sheet: its picture, or with frames the frame one
// unit outside it.
TRect PartArea(TSheetPart part, bool frames);

// Where the words go: the cover, the two spines of the back inlay (each between its edge
// and its fold line) and the inlay between the folds.
TTextAreas CoverTextAreas();

// "Gedruckt mit Vellacour" with the copyright line, web address and contact address.
std::string FooterText();

// What goes on the sheet: the two pictures as they are when each is drawn, whether
// frames and fold lines are wanted, asked at each step that draws them, and the words
// printed over the pictures (none when null).
struct TSheetContent {
    const TPicture& Cover;
    const TPicture& Back;
    std::function<bool()> Frames;
    const TCoverText* Text = nullptr;
};

// Gives the print component the settings the sheet is printed with: tenths of a
// millimetre with (0, 0) at the sheet's corner, bold Times New Roman, landscape.
void ConfigureSheetPrint(TXPrint& print);

// Prints the sheet as one job of print. A failure after the job has begun abandons the
// job before it is passed on, so nothing half-drawn is printed and the printer is free
// for the next command.
void PrintCoverSheet(TXPrint& print, const TSheetContent& content);
