#include "sheet/Calibration.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <vector>

#include "picture/Canvas.h"
#include "print/XPrinter.h"
#include "sheet/Product.h"
#include "toolkit/AsciiText.h"
#include "toolkit/Errors.h"
#include "toolkit/Registry.h"

// The test sheet's words.
namespace Msg {
constexpr TMsg TestSheetTitle{
    QT_TRANSLATE_NOOP("Msg", "Vellacour - Prüfbogen für die Druckerkorrektur")};
constexpr TMsg TestSheetPrinter{QT_TRANSLATE_NOOP("Msg", "Drucker: %s")};
constexpr TMsg TestSheetCorrection{QT_TRANSLATE_NOOP(
    "Msg", "Gedruckt mit der Korrektur %s mm nach rechts, %s mm nach unten, ohne Maßstab.")};
constexpr TMsg TestSheetCross{QT_TRANSLATE_NOOP(
    "Msg", "Richtig steht das Kreuz %s mm vom linken und %s mm vom oberen Blattrand.")};
constexpr TMsg TestSheetFurther{QT_TRANSLATE_NOOP(
    "Msg", "Steht es weiter rechts oder tiefer, die Abweichung von der Korrektur abziehen,")};
constexpr TMsg TestSheetNearer{QT_TRANSLATE_NOOP(
    "Msg", "steht es weiter links oder höher, sie hinzuzählen (in Zehntelmillimetern).")};
constexpr TMsg TestSheetFold1{QT_TRANSLATE_NOOP(
    "Msg", "Ohne Lineal: das Blatt Kante auf Kante falten; die Zahl, bei der der Falz die")};
constexpr TMsg TestSheetFold2{QT_TRANSLATE_NOOP(
    "Msg", "mittlere Skala kreuzt, zur Korrektur hinzuzählen (links auf rechts: nach rechts,")};
constexpr TMsg TestSheetFold3{
    QT_TRANSLATE_NOOP("Msg", "oben auf unten: nach unten; in Millimetern).")};
constexpr TMsg TestSheetScale{QT_TRANSLATE_NOOP(
    "Msg",
    "Maßstab: die langen Lineale (%d mm waagerecht, %d mm senkrecht) nachmessen und eintragen.")};
} // namespace Msg

namespace {
constexpr const char* KeyName = "Druckerkorrektur";

// Rulers: marks a tenth of their numbering apart; longer ones at the half and the whole.
constexpr int MarkLength = 20;
constexpr int FiveLength = 35;
constexpr int TenLength = 50;
constexpr int RulerPoints = 6;
// Far more marks than any paper has millimetres; keeps a broken device from looping long.
constexpr int MaxMarks = 2000;
constexpr int CrossArm = 200;
constexpr int TextLeft = 800;
constexpr int TextTop = 250;
constexpr int TextLine = 55;
constexpr int TextPoints = 10;
constexpr const char* TextFont = "Arial";
// The long rulers: across the sheet 150 mm down, down the sheet 280 mm from the left,
// each with its marks and numbers on the side away from the other's end.
constexpr int AcrossLeft = 200;
constexpr int AcrossTop = 1500;
constexpr int DownLeft = 2800;
constexpr int DownTop = 150;
// The scales across the centre lines: 10 mm either side, a mark every half millimetre,
// a number every 5 mm at the longest marks (numbers any closer run into one another at
// this size); the one read by folding left on right stands 100 mm down, the one read by
// folding top on bottom 220 mm from the left.
constexpr int FoldReach = 100;
constexpr int FoldStep = 5;
constexpr int FoldNumbers = 50;
constexpr int FoldAcrossTop = 1000;
constexpr int FoldDownLeft = 2200;

std::optional<int> Number(std::string_view text, int min, int max) {
    text = TrimBlanks(text, " ");
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < min ||
        value > max)
        return std::nullopt;
    return value;
}

std::vector<std::string_view> Fields(std::string_view text) {
    std::vector<std::string_view> fields;
    for (size_t separator; (separator = text.find(';')) != std::string_view::npos;) {
        fields.push_back(text.substr(0, separator));
        text.remove_prefix(separator + 1);
    }
    fields.push_back(text);
    return fields;
}

// Tenths of a millimetre, signed, with the language's decimal separator: "-1,5".
std::string SignedMillimetres(int tenths) {
    const int size = std::abs(tenths);
    return std::string(tenths < 0 ? "-" : "") + std::to_string(size / 10) + DecimalSeparator() +
           std::to_string(size % 10);
}

// A ruler along one axis: marks every step from first to last (tenths of a millimetre),
// reaching right or down from fixed on the other axis, numbered every numberEvery with the
// distance from zero in whole millimetres, beyond the longest marks.
struct TRuler {
    bool Across;
    int Fixed;
    int First;
    int Last;
    int Zero;
    int Step;
    int NumberEvery;
};

void DrawRuler(TCanvas& canvas, const TRuler& ruler) {
    const int tenStep = ruler.Step * 10;
    int marks = 0;
    for (int at = ruler.First; at <= ruler.Last && marks < MaxMarks; at += ruler.Step, ++marks) {
        const int from = at - ruler.Zero;
        const int length = from % tenStep == 0         ? TenLength
                           : from % (tenStep / 2) == 0 ? FiveLength
                                                       : MarkLength;
        const int end = ruler.Fixed + length;
        if (ruler.Across) {
            canvas.MoveTo(at, ruler.Fixed);
            canvas.LineTo(at, end);
        } else {
            canvas.MoveTo(ruler.Fixed, at);
            canvas.LineTo(end, at);
        }
        if (from % ruler.NumberEvery != 0)
            continue;
        const std::string label = std::to_string(from / 10);
        if (ruler.Across)
            canvas.TextOut(at + 5, ruler.Fixed + TenLength, label);
        else
            canvas.TextOut(ruler.Fixed + TenLength + 5, at + 5, label);
    }
}

void DrawRulers(TXPrint& print) {
    TCanvas& canvas = print.Canvas();
    canvas.Font.Name = TextFont;
    print.SetFontSize(RulerPoints);
    // Along the top and left edges, for the place.
    DrawRuler(canvas, {true, 0, 0, print.PageWidth(), 0, 10, 100});
    DrawRuler(canvas, {false, 0, 0, print.PageHeight(), 0, 10, 100});
    // The long rulers, for the scale.
    DrawRuler(canvas, {true, AcrossTop, AcrossLeft, AcrossLeft + RulerAcross, AcrossLeft, 10, 100});
    canvas.MoveTo(AcrossLeft, AcrossTop);
    canvas.LineTo(AcrossLeft + RulerAcross, AcrossTop);
    DrawRuler(canvas, {false, DownLeft, DownTop, DownTop + RulerDown, DownTop, 10, 100});
    canvas.MoveTo(DownLeft, DownTop);
    canvas.LineTo(DownLeft, DownTop + RulerDown);
    // Across the centre lines of the paper, for reading the place at a fold.
    const int centreX = FromDevice(print.PhysicalWidth(), print.LogPixelsX(), print.UnitsPerInch(),
                                   print.Scaling()) /
                        2;
    const int centreY = FromDevice(print.PhysicalHeight(), print.LogPixelsY(), print.UnitsPerInch(),
                                   print.Scaling()) /
                        2;
    DrawRuler(canvas, {true, FoldAcrossTop, centreX - FoldReach, centreX + FoldReach, centreX,
                       FoldStep, FoldNumbers});
    DrawRuler(canvas, {false, FoldDownLeft, centreY - FoldReach, centreY + FoldReach, centreY,
                       FoldStep, FoldNumbers});
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
        Msg::TestSheetTitle,
        Format(Msg::TestSheetPrinter, printer.c_str()),
        Format(Msg::TestSheetCorrection, SignedMillimetres(calibration.X).c_str(),
               SignedMillimetres(calibration.Y).c_str()),
        Format(Msg::TestSheetCross, at.c_str(), at.c_str()),
        Msg::TestSheetFurther,
        Msg::TestSheetNearer,
        Msg::TestSheetFold1,
        Msg::TestSheetFold2,
        Msg::TestSheetFold3,
        Format(Msg::TestSheetScale, RulerAcross / 10, RulerDown / 10),
    };
    int y = TextTop;
    for (const std::string& line : lines) {
        canvas.TextOut(TextLeft, y, line);
        y += TextLine;
    }
}
} // namespace

std::optional<int> ScaleFromMeasurement(int nominal, int measured) {
    if (nominal <= 0 || measured <= 0)
        return std::nullopt;
    const int64_t scale = (int64_t{measured} * ExactScale + nominal / 2) / nominal;
    if (scale < MinScale || scale > MaxScale)
        return std::nullopt;
    return static_cast<int>(scale);
}

std::string CalibrationKeyPath() {
    return std::string(Product::RegistryKey) + "\\" + KeyName;
}

std::optional<TCalibration> ParseCalibration(std::string_view text) {
    const std::vector<std::string_view> fields = Fields(text);
    if (fields.size() != 2 && fields.size() != 4)
        return std::nullopt;
    TCalibration calibration;
    const auto x = Number(fields[0], -CalibrationLimit, CalibrationLimit);
    const auto y = Number(fields[1], -CalibrationLimit, CalibrationLimit);
    if (!x || !y)
        return std::nullopt;
    calibration.X = *x;
    calibration.Y = *y;
    if (fields.size() == 4) {
        const auto scaleX = Number(fields[2], MinScale, MaxScale);
        const auto scaleY = Number(fields[3], MinScale, MaxScale);
        if (!scaleX || !scaleY)
            return std::nullopt;
        calibration.ScaleX = *scaleX;
        calibration.ScaleY = *scaleY;
    }
    return calibration;
}

std::string FormatCalibration(const TCalibration& calibration) {
    std::string text = std::to_string(calibration.X) + ";" + std::to_string(calibration.Y);
    // A place alone keeps the two fields that every earlier value has.
    if (calibration.ScaleX != ExactScale || calibration.ScaleY != ExactScale)
        text += ";" + std::to_string(calibration.ScaleX) + ";" + std::to_string(calibration.ScaleY);
    return text;
}

TCalibration TurnedCalibration(const TCalibration& landscape, int paperLength) {
    // Landscape x = length - portrait y: drawn x = x * 10000 / ScaleX + X becomes drawn
    // y = y * 10000 / ScaleX + length * (1 - 10000 / ScaleX) - X.
    const double corner = paperLength * (1.0 - double(ExactScale) / landscape.ScaleX);
    return {landscape.Y, static_cast<int>(std::lround(corner)) - landscape.X, landscape.ScaleY,
            landscape.ScaleX};
}

void ApplyCalibration(TXPrint& print, const TCalibration& calibration) {
    print.OriginShiftX = calibration.X;
    print.OriginShiftY = calibration.Y;
    print.ScaleX = calibration.ScaleX;
    print.ScaleY = calibration.ScaleY;
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
    ApplyCalibration(print, {calibration.X, calibration.Y, ExactScale, ExactScale});
    // The test sheet is drawn for landscape paper, whatever the last sheet printed needed:
    // on portrait paper its rulers would run off the sheet and the offsets read from it
    // would be wrong.
    print.SetOrientation(TXPrinterOrientation::xpoLandscape);
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
