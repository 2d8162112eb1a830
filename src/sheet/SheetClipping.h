// Whether a printer cuts a part of the cover sheet: the parts' rectangles against the
// printable area of the chosen paper, both in tenths of a millimetre from the sheet's
// top-left corner, and the warning that names what would be lost.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "sheet/Calibration.h"
#include "sheet/CoverSheet.h"
#include "toolkit/Translation.h"

struct TDeviceCaps;

namespace Msg {
inline constexpr TMsg OutsidePrintable{QT_TRANSLATE_NOOP(
    "Msg", "Ein Teil des Ausdrucks liegt außerhalb des bedruckbaren Bereichs (%s).")};
inline constexpr TMsg PrintAnyway{QT_TRANSLATE_NOOP("Msg", "Trotzdem drucken?")};
inline constexpr TMsg StackedWouldFit{QT_TRANSLATE_NOOP(
    "Msg", "Mit der Anordnung „untereinander“ passt der Bogen auf dieses Papier.")};
inline constexpr TMsg BleedLimited{QT_TRANSLATE_NOOP(
    "Msg",
    "Nebeneinander ist die Beschnittzugabe auf 1 mm begrenzt; „untereinander“ erlaubt 3 mm.")};
inline constexpr TMsg PaperWouldFit{
    QT_TRANSLATE_NOOP("Msg", "Auf Papier im Format %s passt der Bogen.")};
inline constexpr TMsg PaperOr{QT_TRANSLATE_NOOP("Msg", "%s oder %s")};
inline constexpr TMsg WrapBleedLimited{QT_TRANSLATE_NOOP(
    "Msg", "Auf diesem Papier ist die Beschnittzugabe auf %s mm begrenzt, damit sie mit den "
           "Schnittmarken 5 mm innerhalb des Papierrands bleibt.")};
inline constexpr TMsg FrontPart{QT_TRANSLATE_NOOP("Msg", "Vorderseite")};
inline constexpr TMsg BackPart{QT_TRANSLATE_NOOP("Msg", "Rückseite")};
inline constexpr TMsg DiscPart{QT_TRANSLATE_NOOP("Msg", "Disc-Etikett")};
inline constexpr TMsg EdgeLeft{QT_TRANSLATE_NOOP("Msg", "links")};
inline constexpr TMsg EdgeRight{QT_TRANSLATE_NOOP("Msg", "rechts")};
inline constexpr TMsg EdgeTop{QT_TRANSLATE_NOOP("Msg", "oben")};
inline constexpr TMsg EdgeBottom{QT_TRANSLATE_NOOP("Msg", "unten")};
} // namespace Msg

// The part's name in warnings: "Vorderseite" or "Rückseite".
std::string PartName(TSheetPart part);

// The edges of a part, in the order the warning names them.
enum class TEdge { Left, Right, Top, Bottom };

struct TPartArea {
    TSheetPart Part;
    TRect Area; // right and bottom just outside
};

// How far a part reaches beyond one edge of the printable area, in tenths of a millimetre.
struct TCut {
    TSheetPart Part;
    TEdge Edge;
    int Tenths;
    bool operator==(const TCut&) const = default;
};

// The cuts, part by part in the given order and within a part left, right, top, bottom;
// none when the printable area is empty.
std::vector<TCut> FindCuts(const std::vector<TPartArea>& parts, const TRect& printable);

// The device's printable area in tenths of a millimetre from the sheet's corner; empty
// for a device that reports no resolution.
TRect PrintableArea(const TDeviceCaps& caps);

// The parts as the sheet draws them (with their frames or crop marks when frames are
// printed), scaled and moved by a printer's calibration.
std::vector<TPartArea> SheetPartAreas(bool frames, const TCalibration& calibration = {},
                                      const TSheetLayout& layout = {});

// What a sheet printed into a file keeps to: the device's paper less FileMargin on every side,
// in tenths of a millimetre; empty for a device that reports no resolution.
TRect FilePrintableArea(const TDeviceCaps& caps);

// Where the sheet would fit when the paper cuts it, as a sentence to add to the warning: the
// jewel case's stacked sheet ("Mit der Anordnung „untereinander“ …") when its side-by-side one
// is cut, a wrap's A4 or US Legal ("Auf Papier im Format A4 oder US Legal …") other than the
// paper it is on, where its parts stay FileMargin inside; empty when nothing would.
// cutsOf answers the cuts of a layout on the paper in hand.
std::string FitAdvice(const TSheetLayout& layout, bool frames,
                      const std::function<std::vector<TCut>(const TSheetLayout&)>& cutsOf);

// The message when the layout's bleed is printed smaller than it asks for; empty when not.
std::string BleedLimitedText(const TSheetLayout& layout);

// A printer's stored calibration as the layout's sheet needs it: turned for a portrait
// sheet on the device's paper.
TCalibration SheetCalibration(const TCalibration& stored, const TSheetLayout& layout,
                              const TDeviceCaps& caps);

// "Rückseite: 4,6 mm rechts": each part with its edges joined by ", ", parts by "; ".
std::string CutsText(const std::vector<TCut>& cuts);
// "Ein Teil des Ausdrucks liegt außerhalb des bedruckbaren Bereichs (…)."
std::string OutsidePrintableText(const std::vector<TCut>& cuts);
