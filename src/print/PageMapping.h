// The arithmetic of a print job in physical units: units per inch of each scaling, lengths
// between logical units and device pixels, the usable page, the window and viewport that
// map one logical unit to its physical length with (0, 0) at the top-left margin, and
// font sizes. All of it is 32-bit integer arithmetic; divisions truncate toward zero.
#pragma once

#include <cstdint>

// The unit of every length a print job exchanges with its caller.
enum class TScaling : uint8_t { pscDot, pscMil, pscMetric10, pscMetric100 };

// Logical units per inch: 1 for device pixels, 1000, 254 and 2540 for the others.
int UnitsPerInchOf(TScaling scaling);

// v × logPixels div unitsPerInch and back; unchanged under pscDot. The product is a
// 32-bit one, as a device context computes it.
int ToDevice(int v, int logPixels, int unitsPerInch, TScaling scaling);
int FromDevice(int v, int logPixels, int unitsPerInch, TScaling scaling);

// The window and viewport a job's device context is given: extents and the viewport's
// origin in device pixels, which start at the printable area's top-left corner.
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
    // of a millimetre whatever the scaling.
    int ShiftX = 0;
    int ShiftY = 0;
};

struct TPageExtent {
    int Width = 0;
    int Height = 0;
    bool operator==(const TPageExtent&) const = default;
};

// The distance between the margins on the whole sheet, less one device pixel, in
// logical units.
TPageExtent PageExtent(const TMappingInput& in);

// Extents (halved together while the window's exceeds 32767) and the origin that puts
// logical (0, 0) at the top-left margin, measured from the sheet's corner, moved by the
// calibration.
TDeviceMapping ComputeMapping(const TMappingInput& in);

// A calibration length in tenths of a millimetre as device pixels.
int ShiftToDevice(int tenths, int logPixels);

// Keeps one logical unit equally long on both axes, as an isotropic mapping does: the
// viewport extent of the axis whose unit came out longer is reduced to match the other.
TDeviceMapping Isotropic(TDeviceMapping mapping, int logPixelsX, int logPixelsY);

// The size in points a requested font size becomes: its absolute value, converted to
// logical units inside a scaled job (fontPixelsPerInch is the font's resolution).
int FontPoints(int size, TScaling scaling, bool inJob, int fontPixelsPerInch);
