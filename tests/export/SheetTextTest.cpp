// The words of a layout on the sheet vellacour-export prints: ink only inside the spines,
// the track area and the cover, nothing on or across a fold line, and the words read back
// by OCR (tesseract) as they were typed, the spine turned upright first.
#include <QImage>
#include <QRegion>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include "RunExport.h"
#include "SheetCheck.h"
#include "SheetWords.h"
#include "TestSupport.h"

namespace {
// Tenths of a millimetre on the sheet as pixels at the checker's resolution.
QRect Area(int left, int top, int right, int bottom) {
    const auto px = [](int tenths) {
        return int(tenths * SheetDpi / 254.0 + 0.5);
    };
    return QRect(QPoint(px(left), px(top)), QPoint(px(right) - 1, px(bottom) - 1));
}

bool Ink(QRgb pixel) {
    return qGray(pixel) < 160;
}

int InkIn(const QImage& page, const QRect& area) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += Ink(page.pixel(x, y));
    return count;
}

// Ink anywhere above the footer that no part holds.
int InkOutsideParts(const QImage& page) {
    const TSheetWordAreas areas = SheetWordAreas();
    const QRegion parts = QRegion(areas.LeftSpine) + areas.RightSpine + areas.Tracks + areas.Cover;
    int count = 0;
    // Above the footer rule at 190 mm.
    for (int y = 0; y < Area(0, 0, 1, 1850).bottom(); y += 2)
        for (int x = 0; x < page.width(); x += 2)
            count += Ink(page.pixel(x, y)) && !parts.contains(QPoint(x, y));
    return count;
}

std::string PrintLayout(const TempDir& dir, const std::string& words) {
    const std::string layout = dir.File("worte.vco");
    WriteFileText(layout, "[Vellacour]\ncover=\nback=\n[Beschriftung]\n" + words);
    const std::string pdf = dir.File("bogen.pdf");
    const ExportResult result = Export({"sheet", Q(layout), "-o", Q(pdf)});
    EXPECT_EQ(result.Status, 0) << result.Errors;
    return pdf;
}

const char* const Words = "spine=Grüne Wiese\ntitle=Sommerlieder\n"
                          "track1=1. Morgenlicht 3:45\ntrack2=2. Abendrot 4:10\n"
                          "track3=3. Nachtfahrt 5:02\n";
} // namespace

TEST(SheetText, InkStaysInsideItsParts) {
    // Black bands show best whether anything reaches a fold line.
    for (const std::string bands : {"", "spineBand=black\ntracksBand=black\ntitleBand=black\n"}) {
        SCOPED_TRACE(bands);
        TempDir dir;
        std::string error;
        const QImage page = RasterisePdfPage(PrintLayout(dir, Words + bands), error);
        ASSERT_FALSE(page.isNull()) << error;
        const TSheetWordAreas areas = SheetWordAreas();
        for (const QRect& area : {areas.LeftSpine, areas.RightSpine, areas.Tracks, areas.Cover})
            EXPECT_GT(InkIn(page, area), 1000);
        // 0.2 mm either side of each fold line.
        EXPECT_EQ(InkIn(page, Area(1388, 520, 1393, 1700)), 0);
        EXPECT_EQ(InkIn(page, Area(2768, 520, 2773, 1700)), 0);
        EXPECT_EQ(InkOutsideParts(page), 0);
    }
}

TEST(SheetText, PrintedWordsReadBackAsTyped) {
    if (QStandardPaths::findExecutable("tesseract").isEmpty())
        GTEST_SKIP() << "tesseract is not installed";
    TempDir dir;
    std::string error;
    const QImage page = RasterisePdfPage(PrintLayout(dir, Words), error);
    ASSERT_FALSE(page.isNull()) << error;
    const TSheetWords words = ReadSheetWords(page, dir.Path().string());
    EXPECT_EQ(words.LeftSpine, "Grüne Wiese");
    EXPECT_EQ(words.RightSpine, "Grüne Wiese");
    EXPECT_EQ(words.Title, "Sommerlieder");
    EXPECT_EQ(words.Tracks, "1. Morgenlicht 3:45 2. Abendrot 4:10 3. Nachtfahrt 5:02");
}

TEST(SheetText, MissingFontsAreNamedWithTheirReplacement) {
    TempDir dir;
    const std::string layout = dir.File("schrift.vco");
    WriteFileText(
        layout,
        "[Vellacour]\ncover=\nback=\n[Beschriftung]\nspine=Rücken\nspineFont=Times New Roman\n"
        "title=Titel\ntitleFont=Gibt es nicht\n");
    const ExportResult result = Export({"sheet", Q(layout), "-o", Q(dir.File("bogen.pdf"))});
    EXPECT_EQ(result.Status, 0);
    EXPECT_EQ(result.Errors,
              "Warnung: Die Schrift „Times New Roman“ ist nicht installiert; stattdessen wird "
              "„Liberation Serif“ verwendet.\n"
              "Warnung: Die Schrift „Gibt es nicht“ ist nicht installiert; stattdessen wird "
              "„Liberation Sans“ verwendet.\n");
}
