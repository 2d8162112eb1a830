// The placement keys of a layout on the printed sheet: a picture whose left half is red and
// right half blue, placed, filled with a window or turned, measured on a 600-dpi rendering
// of the PDF that vellacour-export writes.
#include <gtest/gtest.h>

#include "RunExport.h"
#include "SheetCheck.h"
#include "TestSupport.h"

namespace {

constexpr QRgb Red = 0xffff0000;
constexpr QRgb Blue = 0xff0000ff;

QImage Halves(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, x < width / 2 ? Red : Blue);
    return image;
}

// A stretch of one colour along a line, in millimetres from the sheet's corner.
struct TRun {
    QRgb Colour;
    double From;
    double To;
};

double Px(double mm) {
    return mm * SheetDpi / 25.4;
}

// The red and blue stretches along the line from (x0, y0) to (x1, y1), which runs across
// or down the sheet; stretches shorter than half a millimetre are edges, not stretches.
std::vector<TRun> Runs(const QImage& page, double x0, double y0, double x1, double y1) {
    const bool across = y0 == y1;
    const int from = int(Px(across ? x0 : y0)), to = int(Px(across ? x1 : y1));
    const int fixed = int(Px(across ? y0 : x0));
    const auto kind = [](QRgb p) -> QRgb {
        const int r = qRed(p), g = qGreen(p), b = qBlue(p);
        if (r > 200 && g < 60 && b < 60)
            return Red;
        if (b > 200 && r < 60 && g < 60)
            return Blue;
        return 0;
    };
    std::vector<TRun> runs;
    int start = from;
    QRgb current = 0;
    for (int i = from; i <= to; ++i) {
        const QRgb k = i < to ? kind(across ? page.pixel(i, fixed) : page.pixel(fixed, i)) : 0;
        if (k == current)
            continue;
        if (current && i - start > Px(0.5))
            runs.push_back({current, start * 25.4 / SheetDpi, i * 25.4 / SheetDpi});
        current = k;
        start = i;
    }
    return runs;
}

std::string Show(const std::vector<TRun>& runs) {
    std::string text;
    for (const TRun& r : runs)
        text += std::string(r.Colour == Red ? "rot " : "blau ") + std::to_string(r.From) + "–" +
                std::to_string(r.To) + "  ";
    return text;
}

} // namespace

TEST(SheetPlacement, EachModeWindowAndTurnPrintsWhereItShould) {
    struct TLine {
        double X0, Y0, X1, Y1;
        std::vector<TRun> Expected;
    };
    struct TCase {
        const char* Keys;
        std::vector<TLine> Lines;
    };
    // The cover spans 10–130 mm across and 50–170 mm down, the back 133–284 and 52–170.
    const TCase cases[] = {
        {"",
         {{5, 110, 131.5, 110, {{Red, 10, 70}, {Blue, 70, 130}}},
          {40, 45, 40, 175, {{Red, 50, 170}}}}},
        // 2:1 fitted into the square: 60 mm high, centred.
        {"coverMode=fit\n",
         {{5, 110, 131.5, 110, {{Red, 10, 70}, {Blue, 70, 130}}},
          {40, 45, 40, 175, {{Red, 80, 140}}}}},
        {"coverMode=fill\ncoverView=0;0;5000;10000\n",
         {{5, 110, 131.5, 110, {{Red, 10, 130}}}, {40, 45, 40, 175, {{Red, 50, 170}}}}},
        {"coverMode=fill\ncoverView=5000;0;5000;10000\n",
         {{5, 110, 131.5, 110, {{Blue, 10, 130}}}}},
        // The default window is the middle square: half red, half blue.
        {"coverMode=fill\n", {{5, 110, 131.5, 110, {{Red, 10, 70}, {Blue, 70, 130}}}}},
        // A quarter turn clockwise puts the left half on top.
        {"coverTurn=90\n",
         {{5, 80, 131.5, 80, {{Red, 10, 130}}},
          {70, 45, 70, 175, {{Red, 50, 110}, {Blue, 110, 170}}}}},
        // Turned and fitted on the back: 59 × 118 mm in the middle of the inlay.
        {"backMode=fit\nbackTurn=90\n",
         {{208.5, 47, 208.5, 175, {{Red, 52, 111}, {Blue, 111, 170}}},
          {131, 140, 290, 140, {{Blue, 179, 238}}}}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Keys);
        TempDir dir;
        const std::string picture = dir.File("halb.bmp");
        WriteFileBytes(picture, Bmp24(Halves(1000, 500)));
        const std::string layout = dir.File("cover.vco");
        WriteFileText(layout,
                      "[Vellacour]\ncover=" + picture + "\nback=" + picture + "\n" + c.Keys);
        const std::string pdf = dir.File("bogen.pdf");
        const ExportResult result = Export({"sheet", Q(layout), "-o", Q(pdf)});
        ASSERT_EQ(result.Status, 0) << result.Errors;
        std::string error;
        const QImage page = RasterisePdfPage(pdf, error);
        ASSERT_FALSE(page.isNull()) << error;
        for (const TLine& line : c.Lines) {
            const std::vector<TRun> runs = Runs(page, line.X0, line.Y0, line.X1, line.Y1);
            ASSERT_EQ(runs.size(), line.Expected.size()) << Show(runs);
            for (size_t i = 0; i < runs.size(); ++i) {
                EXPECT_EQ(runs[i].Colour, line.Expected[i].Colour) << Show(runs);
                // The renderer blends neighbouring pixels of the picture, also across the
                // edge of a window: every edge within one pixel (0.24 mm filled on the
                // cover), and where red meets blue within two.
                EXPECT_NEAR(runs[i].From, line.Expected[i].From, i == 0 ? 0.3 : 0.5) << Show(runs);
                EXPECT_NEAR(runs[i].To, line.Expected[i].To, i + 1 == runs.size() ? 0.3 : 0.5)
                    << Show(runs);
            }
        }
    }
}
