#include "app/Calibration.h"

#include <algorithm>
#include <charconv>

#include "app/Product.h"
#include "picture/Canvas.h"
#include "print/XPrinter.h"
#include "toolkit/AsciiText.h"
#include "toolkit/Errors.h"
#include "toolkit/Registry.h"

namespace {
constexpr const char* KeyName = "Druckerkorrektur";

// Rulers: a mark every millimetre, longer ones every 5 and 10 mm, numbered every 10 mm.
constexpr int MarkLength = 20;
constexpr int FiveLength = 35;
constexpr int TenLength = 50;
constexpr int RulerPoints = 6;
// Far more than any paper's side in millimetres; keeps a broken device from looping long.
constexpr int MaxRulerMillimetres = 2000;
constexpr int CrossArm = 200;
constexpr int TextLeft = 800;
constexpr int TextTop = 800;
constexpr int TextLine = 55;
constexpr int TextPoints = 10;
constexpr const char* TextFont = "Arial";

std::optional<int> Tenths(std::string_view text) {
    text = TrimBlanks(text, " ");
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        value < -CalibrationLimit || value > CalibrationLimit)
        return std::nullopt;
    return value;
}

// Tenths of a millimetre, signed, with a decimal comma: "-1,5".
std::string SignedMillimetres(int tenths) {
    const int size = std::abs(tenths);
    return std::string(tenths < 0 ? "-" : "") + std::to_string(size / 10) + "," +
           std::to_string(size % 10);
}

void DrawRulers(TXPrint& print) {
    TCanvas& canvas = print.Canvas();
    canvas.Font.Name = TextFont;
    print.SetFontSize(RulerPoints);
    const auto length = [](int mm) {
        return mm % 10 == 0 ? TenLength : mm % 5 == 0 ? FiveLength : MarkLength;
    };
    for (int mm = 0; mm * 10 <= print.PageWidth() && mm <= MaxRulerMillimetres; ++mm) {
        canvas.MoveTo(mm * 10, 0);
        canvas.LineTo(mm * 10, length(mm));
        if (mm % 10 == 0 && mm > 0)
            canvas.TextOut(mm * 10 + 5, TenLength, std::to_string(mm));
    }
    for (int mm = 0; mm * 10 <= print.PageHeight() && mm <= MaxRulerMillimetres; ++mm) {
        canvas.MoveTo(0, mm * 10);
        canvas.LineTo(length(mm), mm * 10);
        if (mm % 10 == 0 && mm > 0)
            canvas.TextOut(TenLength + 5, mm * 10 + 5, std::to_string(mm));
    }
}

void DrawCross(TCanvas& canvas) {
    canvas.MoveTo(CrossPosition - CrossArm, CrossPosition);
    canvas.LineTo(CrossPosition + CrossArm, CrossPosition);
    canvas.MoveTo(CrossPosition, CrossPosition - CrossArm);
    canvas.LineTo(CrossPosition, CrossPosition + CrossArm);
    const std::string at = SignedMillimetres(CrossPosition);
    canvas.TextOut(CrossPosition + 30, CrossPosition + 30, at + " mm / " + at + " mm");
}

void DrawExplanation(TXPrint& print, const std::string& printer, const TCalibration& calibration) {
    TCanvas& canvas = print.Canvas();
    print.SetFontSize(TextPoints);
    const std::string at = SignedMillimetres(CrossPosition);
    const std::string lines[] = {
        "Vellacour - Prüfbogen für die Druckerkorrektur",
        "Drucker: " + printer,
        "Gedruckt mit der Korrektur " + SignedMillimetres(calibration.X) + " mm nach rechts, " +
            SignedMillimetres(calibration.Y) + " mm nach unten.",
        "Richtig steht das Kreuz " + at + " mm vom linken und " + at + " mm vom oberen Blattrand.",
        "Steht es weiter rechts oder tiefer, die Abweichung von der Korrektur abziehen,",
        "steht es weiter links oder höher, sie hinzuzählen (in Zehntelmillimetern).",
    };
    int y = TextTop;
    for (const std::string& line : lines) {
        canvas.TextOut(TextLeft, y, line);
        y += TextLine;
    }
}
} // namespace

std::string CalibrationKeyPath() {
    return std::string(Product::RegistryKey) + "\\" + KeyName;
}

std::optional<TCalibration> ParseCalibration(std::string_view text) {
    const size_t separator = text.find(';');
    if (separator == std::string_view::npos)
        return std::nullopt;
    const auto x = Tenths(text.substr(0, separator));
    const auto y = Tenths(text.substr(separator + 1));
    if (!x || !y)
        return std::nullopt;
    return TCalibration{*x, *y};
}

std::string FormatCalibration(const TCalibration& calibration) {
    return std::to_string(calibration.X) + ";" + std::to_string(calibration.Y);
}

TCalibration ReadCalibration(const std::string& printer) {
    if (printer.empty())
        return {};
    TRegistry registry;
    if (!registry.OpenKey(CalibrationKeyPath(), false))
        return {};
    try {
        return ParseCalibration(registry.ReadString(printer)).value_or(TCalibration{});
    } catch (const ERegistryException&) {
        // A value of another type, written by hand: no correction rather than no printing.
        return {};
    }
}

void WriteCalibration(const std::string& printer, const TCalibration& calibration) {
    // The unnamed value is no printer's.
    if (printer.empty())
        return;
    TRegistry registry;
    if (calibration == TCalibration{}) {
        if (registry.OpenKey(CalibrationKeyPath(), false)) {
            registry.DeleteValue(printer);
            registry.CloseKey();
        }
        return;
    }
    // When the key cannot be opened, writing fails with the registry's own message.
    registry.OpenKey(CalibrationKeyPath(), true);
    registry.WriteString(printer, FormatCalibration(calibration));
    registry.CloseKey();
}

void PrintCalibrationSheet(TXPrint& print, const std::string& printer,
                           const TCalibration& calibration) {
    print.OriginShiftX = calibration.X;
    print.OriginShiftY = calibration.Y;
    print.BeginJob();
    try {
        DrawRulers(print);
        DrawCross(print.Canvas());
        DrawExplanation(print, printer, calibration);
    } catch (...) {
        print.AbortJob();
        throw;
    }
    print.EndJob();
}
