// vellacour-export disc: the disc label of a layout printed into a PDF file, on plain paper
// or on the chosen labels of a label sheet, each label found on a 600-dpi rendering of the
// page where the sheet's figures put it; and its usage errors.
#include <QColor>
#include <gtest/gtest.h>

#include "RunExport.h"
#include "SheetCheck.h"
#include "TestSupport.h"

namespace {

constexpr QRgb Red = 0xffff0000;
constexpr double PixelsPerMm = SheetDpi / 25.4;

// A layout whose disc picture is solid red, with the lines of more settings.
std::string WriteDiscLayout(const TempDir& dir, const std::string& more = "") {
    const std::string red = dir.File("rot.bmp");
    WriteFileBytes(red, Bmp24(SolidImage(4, 4, Red)));
    std::string layout = dir.File("disc.vco");
    WriteFileText(layout, "[Vellacour]\ncover=\nback=\ndisc=" + red + "\n" + more);
    return layout;
}

bool IsRed(QRgb pixel) {
    return qRed(pixel) > 160 && qGreen(pixel) < 96 && qBlue(pixel) < 96;
}

// The red ink within a square of the page, in millimetres from the page's top-left corner:
// its centroid and its width across.
struct TInk {
    long Pixels = 0;
    double X = 0;
    double Y = 0;
    double Width = 0;
};
TInk InkIn(const QImage& page, double left, double top, double side) {
    const int x0 = std::max(0, int(left * PixelsPerMm));
    const int y0 = std::max(0, int(top * PixelsPerMm));
    const int x1 = std::min(page.width(), int((left + side) * PixelsPerMm));
    const int y1 = std::min(page.height(), int((top + side) * PixelsPerMm));
    TInk ink;
    double sumX = 0, sumY = 0;
    int minX = x1, maxX = x0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (IsRed(page.pixel(x, y))) {
                ++ink.Pixels;
                sumX += x + 0.5;
                sumY += y + 0.5;
                minX = std::min(minX, x);
                maxX = std::max(maxX, x + 1);
            }
    if (ink.Pixels > 0) {
        ink.X = sumX / double(ink.Pixels) / PixelsPerMm;
        ink.Y = sumY / double(ink.Pixels) / PixelsPerMm;
        ink.Width = (maxX - minX) / PixelsPerMm;
    }
    return ink;
}

struct TLabelAt {
    double X, Y; // the centre, mm from the page's top-left corner
};

// Prints the layout with the options and checks the page: upright of the paper's size, a red
// disc of the width given centred at each label, within 0.2 mm, and no ink at the others.
void CheckDiscPage(const std::string& layout, const QStringList& options, double pageWidth,
                   double pageHeight, const std::vector<TLabelAt>& printed,
                   const std::vector<TLabelAt>& blank, double width) {
    const TempDir out;
    const std::string pdf = out.File("disc.pdf");
    const ExportResult result = Export(QStringList{"disc", Q(layout), "-o", Q(pdf)} + options);
    ASSERT_EQ(result.Status, 0) << result.Errors;
    std::string error;
    const QImage page = RasterisePdfPage(pdf, error);
    ASSERT_FALSE(page.isNull()) << error;
    EXPECT_NEAR(page.width() / PixelsPerMm, pageWidth, 0.5);
    EXPECT_NEAR(page.height() / PixelsPerMm, pageHeight, 0.5);
    // A square of 122 mm about each centre holds the label and its overprint.
    for (const TLabelAt& label : printed) {
        SCOPED_TRACE(testing::Message() << "label at " << label.X << ", " << label.Y);
        const TInk ink = InkIn(page, label.X - 61, label.Y - 61, 122);
        ASSERT_GT(ink.Pixels, 0);
        EXPECT_NEAR(ink.X, label.X, 0.2);
        EXPECT_NEAR(ink.Y, label.Y, 0.2);
        EXPECT_NEAR(ink.Width, width, 0.2);
    }
    for (const TLabelAt& label : blank)
        EXPECT_EQ(InkIn(page, label.X - 61, label.Y - 61, 122).Pixels, 0)
            << "ink at the unchosen label at " << label.X << ", " << label.Y;
}
} // namespace

// Each shipped sheet's labels, worked out by hand from the corners of their squares: the
// centre lies half the label's diameter right of and below the corner. The picture reaches
// 1 mm beyond the label's edge.
TEST(ExportDisc, EachLabelSheetPrintsTheChosenLabelsInPlace) {
    const TempDir dir;
    const std::string layout = WriteDiscLayout(dir);
    const struct {
        const char* Sheet;
        double PageWidth, PageHeight;
        TLabelAt First, Second;
        double Outer;
    } sheets[] = {
        {"6015", 210, 297, {105.0, 79.9}, {105.0, 216.9}, 117},
        {"L7676", 210, 297, {105.0, 80.5}, {105.0, 217.5}, 117},
        {"4093", 210, 297, {105.0, 74.5}, {105.0, 222.5}, 116},
        {"5931", 215.9, 279.4, {107.95, 76.25}, {107.95, 203.25}, 117.5},
    };
    for (const auto& sheet : sheets) {
        SCOPED_TRACE(sheet.Sheet);
        CheckDiscPage(layout, {"--sheet", sheet.Sheet, "--positions", "1,2"}, sheet.PageWidth,
                      sheet.PageHeight, {sheet.First, sheet.Second}, {}, sheet.Outer + 2);
        CheckDiscPage(layout, {"--sheet", sheet.Sheet, "--positions", "2"}, sheet.PageWidth,
                      sheet.PageHeight, {sheet.Second}, {sheet.First}, sheet.Outer + 2);
    }
}

// On plain paper the label stands at the centre of the upright page, at the layout's
// diameter, with no overprint; the layout's overprint and --overprint apply to label sheets.
TEST(ExportDisc, PlainPaperCentresTheLabelAndOverprintIsTheSheets) {
    const TempDir dir;
    const std::string layout = WriteDiscLayout(dir, "discOuter=1100\ndiscOverprint=20\n");
    CheckDiscPage(layout, {}, 210, 297, {{105.0, 148.5}}, {}, 110);
    CheckDiscPage(layout, {"--paper", "Letter", "--frames"}, 215.9, 279.4, {{107.95, 139.7}}, {},
                  110);
    CheckDiscPage(layout, {"--sheet", "6015", "--positions", "1"}, 210, 297, {{105.0, 79.9}},
                  {{105.0, 216.9}}, 117 + 4);
    CheckDiscPage(layout, {"--sheet", "6015", "--positions", "1", "--overprint", "0.5"}, 210, 297,
                  {{105.0, 79.9}}, {}, 117 + 1);
}

TEST(ExportDisc, WrongUsageIsStatusTwoWithItsReasonAndWritesNothing) {
    const TempDir dir;
    const std::string layout = WriteDiscLayout(dir);
    const std::string pdf = dir.File("disc.pdf");
    const struct {
        QStringList Options;
        const char* Message;
    } cases[] = {
        {{"--sheet", "6015", "--positions", "3"},
         "Die Position „3“ gibt es auf dem Etikettenbogen 6015 nicht; er hat die Positionen 1 bis "
         "2\n"},
        {{"--sheet", "6015", "--positions", "0"},
         "Die Position „0“ gibt es auf dem Etikettenbogen"},
        {{"--sheet", "6015", "--positions", "2,2"}, "Die Position 2 ist mehrfach angegeben\n"},
        {{"--sheet", "6015", "--paper", "A4"}, "--paper und --sheet schließen sich aus"},
        {{"--sheet", "gibtsnicht"}, "Einen Etikettenbogen namens „gibtsnicht“ gibt es nicht"},
        {{"--paper", "Legal"}, "Unbekanntes Papierformat: Legal\n"},
        {{"--positions", "1"}, "--positions gilt nur für einen Etikettenbogen (mit --sheet)\n"},
        {{"--sheet", "6015", "--overprint", "2.5"}, "Ungültiger Überdruck: 2.5"},
        {{"--sheet", "6015", "--overprint", "1,5"}, "Ungültiger Überdruck: 1,5"},
        {{"--dpi", "10"}, "Ungültige Auflösung: 10\n"},
        {{"--frames", "--bogus"}, "Aufruf: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Options.join(' ').toStdString());
        const ExportResult result =
            Export(QStringList{"disc", Q(layout), "-o", Q(pdf)} + c.Options);
        EXPECT_EQ(result.Status, 2);
        EXPECT_NE(result.Errors.find(c.Message), std::string::npos) << result.Errors;
        EXPECT_FALSE(fs::exists(pdf));
    }
}

// A layout with neither a disc picture nor words for the disc has nothing to print; words
// alone are a label.
TEST(ExportDisc, ALayoutWithoutDiscLabelFailsAndWordsAloneAreALabel) {
    const TempDir dir;
    const std::string pdf = dir.File("disc.pdf");
    const std::string layout = dir.File("leer.vco");
    WriteFileText(layout, "[Vellacour]\ncover=\nback=\n[Beschriftung]\ntitle=Nur Cover\n"
                          "discTitle= \n");
    const ExportResult empty = Export({"disc", Q(layout), "-o", Q(pdf)});
    EXPECT_EQ(empty.Status, 1);
    EXPECT_EQ(empty.Errors, "Die Layoutdatei " + layout +
                                " enthält kein Disc-Etikett: weder ein Disc-Bild noch Text "
                                "dafür.\n");
    EXPECT_FALSE(fs::exists(pdf));
    WriteFileText(layout, "[Vellacour]\ncover=\nback=\n[Beschriftung]\ndiscTitle=Nur Disc\n");
    const ExportResult words = Export({"disc", Q(layout), "-o", Q(pdf)});
    EXPECT_EQ(words.Status, 0) << words.Errors;
    EXPECT_TRUE(fs::exists(pdf));
}

// A picture too coarse for the label's size is a warning naming the part; the label prints.
TEST(ExportDisc, ACoarsePictureIsWarnedOf) {
    const TempDir dir;
    const std::string pdf = dir.File("disc.pdf");
    const ExportResult result = Export({"disc", Q(WriteDiscLayout(dir)), "-o", Q(pdf)});
    EXPECT_EQ(result.Status, 0);
    EXPECT_EQ(result.Errors.rfind("Warnung: Disc-Etikett: ", 0), 0u) << result.Errors;
    EXPECT_TRUE(fs::exists(pdf));
}

// The list names each sheet with its description, the user's own after the shipped ones; an
// entry with a mistake is a warning naming its file and line.
TEST(ExportDisc, SheetsAreListedAndSkippedEntriesWarned) {
    const TempDir config;
    fs::create_directories(config.Path() / "Vellacour/labelsheets");
    const std::string own = config.File("Vellacour/labelsheets/eigen.txt");
    WriteFileText(own, "Meins A4 117 41 46.5,21.4 ; mein Bogen\nKaputt A5 117 41 1,1\n");
    const ExportResult result =
        Export({"disc", "--sheets"}, {"XDG_CONFIG_HOME=" + Q(config.Path().string())});
    EXPECT_EQ(result.Status, 0);
    EXPECT_EQ(result.Output, "6015 A4, 2 Etiketten, großes Loch\n"
                             "L7676 A4, 2 Etiketten, kleines Loch\n"
                             "4093 A4, 2 Etiketten (116 mm), großes Loch\n"
                             "5931 US Letter, 2 Etiketten, großes Loch\n"
                             "Meins mein Bogen\n");
    EXPECT_EQ(result.Errors, "Warnung: Etikettenbogen in " + own +
                                 ", Zeile 2: unbekanntes Papier „A5“ (A4 oder Letter)\n");
}
