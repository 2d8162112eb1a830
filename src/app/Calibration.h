// Printer calibration: many printers put the page a millimetre or two off its place. For
// each printer the user can store how far everything printed must move to land where it
// belongs, and print a test sheet to measure it. The corrections live in the user's
// registry under the program's key, one value per printer name.
#pragma once

#include <optional>
#include <string>
#include <string_view>

class TXPrint;

// How far a printer's output is moved right (X) and down (Y), in tenths of a millimetre.
struct TCalibration {
    int X = 0;
    int Y = 0;
    bool operator==(const TCalibration&) const = default;
};

// The largest correction either way: 10 mm.
inline constexpr int CalibrationLimit = 100;

// The key below the program's key that holds one value per printer name.
std::string CalibrationKeyPath();

// A stored value: two whole numbers, "X;Y". Nothing when the text is anything else or a
// number lies outside ±CalibrationLimit.
std::optional<TCalibration> ParseCalibration(std::string_view text);
std::string FormatCalibration(const TCalibration& calibration);

// The printer's stored correction; none (0, 0) when nothing usable is stored, the
// printer has no name, or the store cannot be read.
TCalibration ReadCalibration(const std::string& printer);
// Stores the printer's correction; (0, 0) removes the printer's value. Fails with the
// registry's error when the store cannot be written.
void WriteCalibration(const std::string& printer, const TCalibration& calibration);

// Prints the test sheet on print's printer, moved by calibration: rulers with millimetre
// marks along the top and left edges of the sheet and a cross at CrossPosition from both.
void PrintCalibrationSheet(TXPrint& print, const std::string& printer,
                           const TCalibration& calibration);

// Where the cross of the test sheet stands, in tenths of a millimetre from the left and
// from the top edge.
inline constexpr int CrossPosition = 500;
