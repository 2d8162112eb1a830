// Printer calibration: many printers put the page a millimetre or two off its place, and
// print it half a percent to two percent too large or too small. For each printer the
// user can store how far everything printed must move to land where it belongs and what
// the printer makes of 100 mm on each axis, and print a test sheet to measure both. The
// corrections live in the user's registry under the program's key, one value per printer
// name.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "print/PageMapping.h"

class TXPrint;

// How far a printer's output is moved right (X) and down (Y), in tenths of a millimetre,
// and the length the printer prints where 100 mm were asked for, across (ScaleX) and down
// (ScaleY), in hundredths of a millimetre: ExactScale (10000) needs no correction.
struct TCalibration {
    int X = 0;
    int Y = 0;
    int ScaleX = ExactScale;
    int ScaleY = ExactScale;
    bool operator==(const TCalibration&) const = default;
};

// The largest correction of the place either way: 10 mm.
inline constexpr int CalibrationLimit = 100;
// The scales accepted: 95 to 105 mm printed for 100 mm.
inline constexpr int MinScale = 9500;
inline constexpr int MaxScale = 10500;

// The long rulers of the test sheet, across and down, whose printed lengths the user
// measures, in tenths of a millimetre.
inline constexpr int RulerAcross = 2500;
inline constexpr int RulerDown = 1800;

// The scale for a ruler of nominal tenths measured as measured tenths on paper; nothing
// when the measurement lies outside what a printer can be corrected for.
std::optional<int> ScaleFromMeasurement(int nominal, int measured);

// The key below the program's key that holds one value per printer name.
std::string CalibrationKeyPath();

// A stored value: "X;Y" (a place without scale) or "X;Y;ScaleX;ScaleY". Nothing when the
// text is anything else, a place lies outside ±CalibrationLimit or a scale outside
// MinScale to MaxScale.
std::optional<TCalibration> ParseCalibration(std::string_view text);
std::string FormatCalibration(const TCalibration& calibration);

// The printer's stored correction; none (0, 0) when nothing usable is stored, the
// printer has no name, or the store cannot be read.
TCalibration ReadCalibration(const std::string& printer);
// Stores the printer's correction; (0, 0) removes the printer's value. Fails with the
// registry's error when the store cannot be written.
void WriteCalibration(const std::string& printer, const TCalibration& calibration);

// A printer is calibrated with landscape sheets, which the print system turns a quarter
// counter-clockwise onto the paper. A portrait sheet needs the same physical correction
// with its axes turned: across it is the landscape's down, down it the landscape's
// leftwards, and the landscape's scale about its corner (the paper's lower left corner)
// becomes one about the portrait's corner. paperLength is the paper's long side in tenths of
// a millimetre.
TCalibration TurnedCalibration(const TCalibration& landscape, int paperLength);

// Gives a job the correction: the place and the scale.
void ApplyCalibration(TXPrint& print, const TCalibration& calibration);

// Prints the test sheet on print's printer, moved by calibration's place but never
// scaled, so that what it shows is the printer itself: rulers with millimetre marks along
// the top and left edges of the sheet, a cross at CrossPosition from both, the long
// rulers to measure the scale, and a scale across each centre line to read the place
// where a fold of the sheet crosses it.
void PrintCalibrationSheet(TXPrint& print, const std::string& printer,
                           const TCalibration& calibration);

// Where the cross of the test sheet stands, in tenths of a millimetre from the left and
// from the top edge.
inline constexpr int CrossPosition = 500;
