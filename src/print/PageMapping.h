// The arithmetic of a print job in physical units: units per inch of each scaling, lengths
// between logical units and device pixels, the usable page, the window and viewport that
// map one logical unit to exactly its physical length with (0, 0) at the top-left margin,
// and font heights. Lengths are converted with rounding in 64 bits, so no resolution from
// 1 to 10,000 pixels per inch makes a sheet larger or smaller than it is.
#pragma once

#include <cstdint>

// The unit of every length a print job exchanges with its caller.
enum class TScaling : uint8_t { pscDot, pscMil, pscMetric10, pscMetric100 };

// Logical units per inch: 1 for device pixels, 1000, 254 and 2540 for the others.
int UnitsPerInchOf(TScaling scaling);

// v × logPixels / unitsPerInch and back, rounded to the nearest whole number (halves away
// from zero); unchanged under pscDot.
int ToDevice(int v, int logPixels, int unitsPerInch, TScaling scaling);
int FromDevice(int v, int logPixels, int unitsPerInch, TScaling scaling);

// The printed length of 100 mm in hundredths of a millimetre: what a printer that prints
// exactly makes of 100 mm.
inline constexpr int ExactScale = 10000;

// The window and viewport a job's painter is given: WindowExt logical units are
// ViewportExt device pixels, and logical (0, 0) is device pixel (OriginX, OriginY),
// counted from the printable area's top-left corner.
struct TDeviceMapping {
    int WindowExtX = 1;
    int WindowExtY = 1;
    int ViewportExtX = 1;
    int ViewportExtY = 1;
    int OriginX = 0;
    int OriginY = 0;
    bool operator==(const TDeviceMapping&) const = default;
};

struct TMappingInput {
    TScaling Scaling = TScaling::pscDot;
    int LogPixelsX = 300;
    int LogPixelsY = 300;
    int PhysicalWidth = 0;
    int PhysicalHeight = 0;
    int PhysicalOffsetX = 0;
    int PhysicalOffsetY = 0;
    int MarginLeft = 0;
    int MarginTop = 0;
    int MarginRight = 0;
    int MarginBottom = 0;
    // A printer's calibration: how far everything printed moves right and down, in tenths
    // of a millimetre whatever the scaling, and what the printer makes of 100 mm on each
    // axis (ExactScale for a printer that needs no correction).
    int ShiftX = 0;
    int ShiftY = 0;
    int ScaleX = ExactScale;
    int ScaleY = ExactScale;
};

struct TPageExtent {
    int Width = 0;
    int Height = 0;
    bool operator==(const TPageExtent&) const = default;
};

// The distance between the margins on the whole sheet, less one device pixel, in
// logical units (whole units: the part of a unit that does not fit is not counted).
TPageExtent PageExtent(const TMappingInput& in);

// One logical unit is 1 / UnitsPerInch inch on each axis, shrunk or stretched by the
// calibration's scale about the sheet's corner; logical (0, 0) is the top-left margin,
// measured from the sheet's corner and then moved by the calibration's shift.
TDeviceMapping ComputeMapping(const TMappingInput& in);

// A calibration length in tenths of a millimetre as device pixels.
int ShiftToDevice(int tenths, int logPixels);

// The font height (negative: the character height without internal leading) that sets
// size points in a job's units: p points are p / 72 inch, rounded to whole units; a
// non-zero size is never less than one unit. Outside a job or under pscDot the height is
// in pixels of the font's own resolution.
int FontHeight(int size, TScaling scaling, bool inJob, int fontPixelsPerInch);
