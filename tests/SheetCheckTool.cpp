// sheet_check: the sheet checker for shell scripts. Prints each problem on a line of its own
// and exits with 1 when there are any, 0 when the sheet is right, 2 on wrong usage.
//
//   sheet_check FILE.pdf|FILE.png [--frames] [--paper A4|Letter|Legal] [--cover RRGGBB|none]
//               [--back RRGGBB|none] [--may-be-turned] [--calibration X;Y;SX;SY]
//               [--test-sheet] [--stacked] [--bleed MM]
//               [--case jewel|slim|dvd|bluray|custom] [--spine MM] [--panel WxH]
//               [--wrap RRGGBB|none]
//   sheet_check FILE.pdf|FILE.png --measure RRGGBB
//
// --case checks the wrap of a slim CD card, a DVD or Blu-ray keep case or a custom case
// (back panel, spine and front panel on a landscape page) instead of the jewel case's sheet;
// --cover is then the front panel and --back the back panel. --spine is the wrap's spine
// width in millimetres (without it the case's usual one: slim 0, the others 14), --panel a
// custom case's panel width and height in millimetres (129.5x184 without it), --wrap the
// colour of one picture across the whole wrap. These three need a wrap case, --panel the
// custom one, and --stacked the jewel case.
//
// --measure prints, in millimetres, the page's width and height and the left, top, width
// and height of what is printed in the colour (within a few steps of it), as the page came.
//
// --test-sheet checks the long rulers of a printer's test sheet instead of a cover sheet.
//
// --calibration takes a printer's correction as the registry stores it (tenths of a
// millimetre right and down, the printed length of 100 mm in hundredths).
#include <QCoreApplication>
#include <QImage>
#include <QRect>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "SheetCheck.h"

namespace {
int Usage() {
    std::fprintf(stderr,
                 "usage: sheet_check FILE.pdf|FILE.png [--frames] [--paper A4|Letter|Legal] "
                 "[--cover RRGGBB|none] [--back RRGGBB|none] [--may-be-turned] "
                 "[--calibration X;Y;SX;SY] [--test-sheet] [--stacked] [--bleed MM] "
                 "[--case jewel|slim|dvd|bluray|custom] [--spine MM] [--panel WxH] "
                 "[--wrap RRGGBB|none]\n"
                 "       sheet_check FILE.pdf|FILE.png --measure RRGGBB\n");
    return 2;
}

double Millimetres(int pixels) {
    return pixels * 25.4 / SheetDpi;
}

// The page's size and the box of the colour's pixels; 1 when the colour is nowhere.
int Measure(const QImage& image, QRgb colour) {
    constexpr int Tolerance = 48;
    const QImage page = image.convertToFormat(QImage::Format_RGB32);
    QRect box;
    for (int y = 0; y < page.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(page.constScanLine(y));
        for (int x = 0; x < page.width(); ++x)
            if (std::abs(qRed(row[x]) - qRed(colour)) <= Tolerance &&
                std::abs(qGreen(row[x]) - qGreen(colour)) <= Tolerance &&
                std::abs(qBlue(row[x]) - qBlue(colour)) <= Tolerance)
                box |= QRect(x, y, 1, 1);
    }
    if (box.isEmpty()) {
        std::printf("the colour is nowhere on the page\n");
        return 1;
    }
    std::printf("%.2f %.2f %.2f %.2f %.2f %.2f\n", Millimetres(page.width()),
                Millimetres(page.height()), Millimetres(box.left()), Millimetres(box.top()),
                Millimetres(box.width()), Millimetres(box.height()));
    return 0;
}

bool ParseColour(const char* text, std::optional<QRgb>& colour) {
    if (std::strcmp(text, "none") == 0) {
        colour.reset();
        return true;
    }
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 16);
    if (std::strlen(text) != 6 || *end != '\0')
        return false;
    colour = qRgb((value >> 16) & 0xff, (value >> 8) & 0xff, value & 0xff);
    return true;
}
bool ParseCalibration(const char* text, TSheetExpectation& expected) {
    int x = 0, y = 0, scaleX = 0, scaleY = 0;
    char tail = 0;
    if (std::sscanf(text, "%d;%d;%d;%d%c", &x, &y, &scaleX, &scaleY, &tail) != 4 || scaleX <= 0 ||
        scaleY <= 0)
        return false;
    expected.ShiftX = x / 10.0;
    expected.ShiftY = y / 10.0;
    expected.ScaleX = scaleX;
    expected.ScaleY = scaleY;
    return true;
}
bool ParseBleed(const char* text, TSheetExpectation& expected) {
    char* end = nullptr;
    expected.Bleed = std::strtod(text, &end);
    return *text != '\0' && *end == '\0' && expected.Bleed >= 0 && expected.Bleed <= 3;
}
bool ParseCase(const char* text, TSheetExpectation& expected) {
    const std::pair<const char*, TSheetCase> cases[] = {
        {"jewel", TSheetCase::Jewel},   {"slim", TSheetCase::Slim},     {"dvd", TSheetCase::Dvd},
        {"bluray", TSheetCase::Bluray}, {"custom", TSheetCase::Custom},
    };
    for (const auto& [name, kind] : cases)
        if (std::strcmp(text, name) == 0) {
            expected.Case = kind;
            return true;
        }
    return false;
}
// Spines and panels within what a custom case allows: a spine up to 40 mm, panels of 50 to
// 200 mm either way.
bool ParseSpine(const char* text, TSheetExpectation& expected) {
    char* end = nullptr;
    const double spine = std::strtod(text, &end);
    if (*text == '\0' || *end != '\0' || !(spine >= 0 && spine <= 40))
        return false;
    expected.Spine = spine;
    return true;
}
bool ParsePanel(const char* text, TSheetExpectation& expected) {
    double width = 0, height = 0;
    char tail = 0;
    if (std::sscanf(text, "%lfx%lf%c", &width, &height, &tail) != 2 ||
        !(width >= 50 && width <= 200 && height >= 50 && height <= 200))
        return false;
    expected.PanelWidth = width;
    expected.PanelHeight = height;
    return true;
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return Usage();
    const std::string file = argv[1];
    TSheetExpectation expected;
    bool testSheet = false, panel = false;
    std::optional<QRgb> measured;
    for (int i = 2; i < argc; ++i) {
        const std::string option = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (option == "--test-sheet") {
            testSheet = true;
            continue;
        }
        if (option == "--frames" || option == "--may-be-turned" || option == "--stacked") {
            (option == "--frames"    ? expected.Frames
             : option == "--stacked" ? expected.Stacked
                                     : expected.MayBeTurned) = true;
            continue;
        }
        if (!value)
            return Usage();
        ++i;
        panel = panel || option == "--panel";
        if (option == "--paper" && std::strcmp(value, "A4") == 0)
            expected.Paper = TPaper::A4;
        else if (option == "--paper" && std::strcmp(value, "Letter") == 0)
            expected.Paper = TPaper::Letter;
        else if (option == "--paper" && std::strcmp(value, "Legal") == 0)
            expected.Paper = TPaper::Legal;
        else if (!(option == "--cover" && ParseColour(value, expected.Cover)) &&
                 !(option == "--back" && ParseColour(value, expected.Back)) &&
                 !(option == "--calibration" && ParseCalibration(value, expected)) &&
                 !(option == "--bleed" && ParseBleed(value, expected)) &&
                 !(option == "--case" && ParseCase(value, expected)) &&
                 !(option == "--spine" && ParseSpine(value, expected)) &&
                 !(option == "--panel" && ParsePanel(value, expected)) &&
                 !(option == "--wrap" && ParseColour(value, expected.Wrap)) &&
                 !(option == "--measure" && ParseColour(value, measured) && measured))
            return Usage();
    }
    const bool wrap = expected.Case != TSheetCase::Jewel;
    if ((!wrap && (expected.Spine || expected.Wrap)) || (wrap && expected.Stacked) ||
        (panel && expected.Case != TSheetCase::Custom))
        return Usage();
    std::string error;
    const QImage page = file.size() > 4 && file.compare(file.size() - 4, 4, ".png") == 0
                            ? ReadPageImage(file)
                            : RasterisePdfPage(file, error);
    if (measured && !page.isNull())
        return Measure(page, *measured);
    std::vector<std::string> problems;
    if (page.isNull())
        problems.push_back("cannot read " + file + (error.empty() ? "" : ": " + error));
    else
        problems = testSheet ? CheckTestSheetRulers(page, expected) : CheckSheet(page, expected);
    for (const std::string& problem : problems)
        std::printf("%s\n", problem.c_str());
    if (problems.empty())
        std::printf("%s: the sheet is right\n", file.c_str());
    return problems.empty() ? 0 : 1;
}
