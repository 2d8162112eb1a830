// Checks a printed cover sheet: page 1 of a PDF (or an image of it) rasterised at 600 dpi, in
// which every element of the sheet must stand at its place within 0.2 mm. The checker keeps
// its own figures of every sheet, worked out from the cases' sizes in millimetres.
#pragma once

#include <QImage>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

enum class TPaper { A4, Letter, Legal };

// The case the sheet is for: the jewel case's cover and back inlay, or a wrap (back panel,
// spine and front panel side by side, centred on a landscape page) for a slim CD card
// (120 x 120 mm panels, no spine), a DVD keep case (129.5 x 184 mm), a Blu-ray keep case
// (128 x 149 mm) or a case of the user's own size.
enum class TSheetCase { Jewel, Slim, Dvd, Bluray, Custom };

struct TSheetExpectation {
    TPaper Paper = TPaper::A4;
    // Frames around both pictures and the two dashed fold lines ("Hilfsrahmen drucken");
    // with a bleed, crop marks and fold marks instead. On a wrap one frame goes around the
    // whole wrap, and the fold lines (or marks) stand at the spine's edges.
    bool Frames = false;
    // The solid colour each picture was printed in; none means an empty picture. On a wrap
    // the cover is the front panel (right), the back the back panel (left).
    std::optional<QRgb> Cover{};
    std::optional<QRgb> Back{};
    // A print queue may hand the landscape sheet over as a portrait page with the sheet turned
    // a quarter anticlockwise, as PostScript printers take landscape jobs; the checker turns
    // such a page back. Without this a portrait page is a fault.
    bool MayBeTurned = false;
    // How far the whole sheet was printed moved right and down, in millimetres (a printer's
    // calibration); the page is moved back before it is measured.
    double ShiftX = 0;
    double ShiftY = 0;
    // The calibration's scale: the sheet was printed shrunk or stretched about its corner
    // for a printer that prints 100 mm as ScaleX / ScaleY hundredths of a millimetre; it
    // is stretched back (before the shift is undone) before it is measured.
    int ScaleX = 10000;
    int ScaleY = 10000;
    // The stacked sheet ("untereinander") on a portrait page instead of the side-by-side one.
    bool Stacked = false;
    // How far each picture reaches past its part, in millimetres. On a wrap the panels'
    // pictures reach past the wrap's outer edges only, never into the spine.
    double Bleed = 0;
    // A wrap's sheet instead of the jewel case's; the stacked arrangement is the jewel
    // case's alone and is not looked at for a wrap.
    TSheetCase Case = TSheetCase::Jewel;
    // A wrap's spine width in millimetres; none means the case's usual one (slim 0, the
    // others 14). Without a spine the panels meet at one fold line.
    std::optional<double> Spine{};
    // The panel width and height of a custom case, in millimetres.
    double PanelWidth = 129.5;
    double PanelHeight = 184;
    // The solid colour of one picture printed across the whole wrap, spine included; Cover
    // and Back are then not looked at.
    std::optional<QRgb> Wrap{};
};

// The resolution the checker measures at.
constexpr int SheetDpi = 600;

// The problems found on a page image at 600 dpi (landscape, or portrait for the jewel case's
// stacked sheet); empty when the sheet is right.
std::vector<std::string> CheckSheet(const QImage& page, const TSheetExpectation& expected);

// The long rulers of a printer's test sheet, which is never scaled: across the sheet 150 mm
// down from 20 mm to 270 mm, and down the sheet 280 mm from the left from 15 mm to 195 mm,
// each within 0.2 mm, moved by the expectation's shift. Empty when they are right.
std::vector<std::string> CheckTestSheetRulers(const QImage& page,
                                              const TSheetExpectation& expected);

// A page image (PNG) read in full; a null image when it cannot be read.
QImage ReadPageImage(const std::string& png);

// Page 1 of the PDF rasterised by pdftoppm at 600 dpi (or dpi, with further pdftoppm options);
// a null image and the reason on failure.
QImage RasterisePdfPage(const std::string& pdf, std::string& error, int dpi = SheetDpi,
                        const QStringList& options = {});

// CheckSheet on page 1 of the PDF.
std::vector<std::string> CheckSheetPdf(const std::string& pdf, const TSheetExpectation& expected);

// All problems on one line each, for a test's failure message.
std::string JoinProblems(const std::vector<std::string>& problems);
