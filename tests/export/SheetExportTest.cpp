// vellacour-export sheet: the printed sheet of a layout as a PDF file, checked on a 600-dpi
// rendering of its page; and its failures, which leave no file behind.
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

#include "RunExport.h"
#include "SheetCheck.h"
#include "TestSupport.h"
#include "export/Export.h"
#include "toolkit/Application.h"
#include "toolkit/SafeFile.h"

namespace {

constexpr QRgb Red = 0xffff0000;
constexpr QRgb Blue = 0xff0000ff;

// A layout of a red cover and a blue back, or none where a path is empty, with the lines
// of more settings.
std::string WriteLayout(const TempDir& dir, bool cover, bool back, const std::string& more = "") {
    const std::string red = dir.File("rot.bmp"), blue = dir.File("blau.bmp");
    WriteFileBytes(red, Bmp24(SolidImage(4, 4, Red)));
    WriteFileBytes(blue, Bmp24(SolidImage(6, 3, Blue)));
    const std::string layout = dir.File("cover.vco");
    WriteFileText(layout, "[Vellacour]\ncover=" + (cover ? red : "") +
                              "\nback=" + (back ? blue : "") + "\n" + more);
    return layout;
}
} // namespace

TEST(ExportSheet, PrintsEveryElementInPlace) {
    struct TCase {
        QStringList Options;
        bool Frames;
        TPaper Paper;
        bool Cover;
        bool Back;
    };
    const TCase cases[] = {
        {{}, false, TPaper::A4, true, true},
        {{"--frames"}, true, TPaper::A4, true, true},
        {{"--frames", "--paper", "A4", "--dpi", "300"}, true, TPaper::A4, true, true},
        {{"--paper", "Letter"}, false, TPaper::Letter, true, true},
        {{"--frames", "--paper", "Letter"}, true, TPaper::Letter, true, true},
        // A layout saved with the back alone prints the back alone; an empty one still
        // prints the footer, the frames and the fold lines.
        {{"--frames"}, true, TPaper::A4, false, true},
        {{"--frames"}, true, TPaper::A4, false, false},
    };
    // Every resolution a printer may have, whether or not it divides 7200, gives the sheet
    // at its real size.
    std::vector<TCase> all(std::begin(cases), std::end(cases));
    for (const char* dpi : {"72", "150", "360", "500", "720", "1000", "1016", "1200", "1600",
                            "2000", "2400", "2880", "4800"})
        all.push_back({{"--frames", "--dpi", dpi}, true, TPaper::A4, true, true});
    for (const TCase& c : all) {
        SCOPED_TRACE(c.Options.join(' ').toStdString() + (c.Cover ? "" : " (no cover)") +
                     (c.Back ? "" : " (no back)"));
        TempDir dir;
        const std::string pdf = dir.File("bogen.pdf");
        const ExportResult result = Export(
            QStringList{"sheet", Q(WriteLayout(dir, c.Cover, c.Back)), "-o", Q(pdf)} + c.Options);
        ASSERT_EQ(result.Status, 0) << result.Errors;
        const auto colour = [](bool present, QRgb rgb) {
            return present ? std::optional<QRgb>(rgb) : std::nullopt;
        };
        const TSheetExpectation expected{c.Paper, c.Frames, colour(c.Cover, Red),
                                         colour(c.Back, Blue)};
        const std::vector<std::string> problems = CheckSheetPdf(pdf, expected);
        EXPECT_TRUE(problems.empty()) << JoinProblems(problems);
    }
}

// The stacked sheet fits US Letter without a warning; a bleed prints crop marks instead of
// frames, and side by side it is held to 1 mm, which the export says.
TEST(ExportSheet, StackedSheetAndBleedWithCropMarks) {
    const std::string coarse =
        "Warnung: Vorderseite: rot.bmp – 4 × 4 Pixel, 1 dpi, geringe Auflösung\n"
        "Warnung: Rückseite: blau.bmp – 6 × 3 Pixel, 1 dpi, geringe Auflösung\n";
    const struct {
        const char* Settings;
        QStringList Options;
        TSheetExpectation Expected;
        std::string Errors;
    } cases[] = {
        {"arrangement=stacked\n",
         {"--paper", "Letter"},
         {.Paper = TPaper::Letter, .Stacked = true},
         ""},
        {"arrangement=stacked\nbleed=20\n",
         {"--paper", "Letter", "--frames"},
         {.Paper = TPaper::Letter, .Frames = true, .Stacked = true, .Bleed = 2.0},
         ""},
        {"arrangement=stacked\n", {"--frames"}, {.Frames = true, .Stacked = true}, ""},
        {"bleed=20\n",
         {"--frames"},
         {.Frames = true, .Bleed = 1.0},
         "Warnung: Nebeneinander ist die Beschnittzugabe auf 1 mm begrenzt; „untereinander“ "
         "erlaubt 3 mm.\n"},
        {"bleed=5\n", {}, {.Bleed = 0.5}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Settings + c.Options.join(' ').toStdString());
        TempDir dir;
        const std::string pdf = dir.File("bogen.pdf");
        const ExportResult result =
            Export(QStringList{"sheet", Q(WriteLayout(dir, true, true, c.Settings)), "-o", Q(pdf)} +
                   c.Options);
        ASSERT_EQ(result.Status, 0) << result.Errors;
        EXPECT_EQ(result.Errors, coarse + c.Errors);
        TSheetExpectation expected = c.Expected;
        expected.Cover = Red;
        expected.Back = Blue;
        const std::vector<std::string> problems = CheckSheetPdf(pdf, expected);
        EXPECT_TRUE(problems.empty()) << JoinProblems(problems);
    }
}

// A part beyond the paper's edge, or closer to it than the 5 mm nearly every printer keeps, is
// named in a warning; the sheet is written all the same.
TEST(ExportSheet, WarnsOfPartsThePaperCuts) {
    // The layout's tiny pictures are named first, as too coarse for their parts.
    const std::string coarse =
        "Warnung: Vorderseite: rot.bmp – 4 × 4 Pixel, 1 dpi, geringe Auflösung\n"
        "Warnung: Rückseite: blau.bmp – 6 × 3 Pixel, 1 dpi, geringe Auflösung\n";
    const struct {
        QStringList Options;
        std::string Errors;
    } cases[] = {
        {{"--frames"}, ""},
        {{"--paper", "Letter"},
         "Warnung: Ein Teil des Ausdrucks liegt außerhalb des bedruckbaren Bereichs "
         "(Rückseite: 9,6 mm rechts). Mit der Anordnung „untereinander“ passt der Bogen auf "
         "dieses Papier.\n"},
        {{"--paper", "Letter", "--frames"},
         "Warnung: Ein Teil des Ausdrucks liegt außerhalb des bedruckbaren Bereichs "
         "(Rückseite: 9,7 mm rechts). Mit der Anordnung „untereinander“ passt der Bogen auf "
         "dieses Papier.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Options.join(' ').toStdString());
        TempDir dir;
        const std::string pdf = dir.File("bogen.pdf");
        const ExportResult result =
            Export(QStringList{"sheet", Q(WriteLayout(dir, true, true)), "-o", Q(pdf)} + c.Options);
        EXPECT_EQ(result.Status, 0);
        EXPECT_EQ(result.Errors, coarse + c.Errors);
        EXPECT_TRUE(fs::exists(pdf));
    }
}

TEST(ExportSheet, FailureLeavesNoFileAndPrintsTheMessage) {
    TempDir dir;
    const std::string pdf = dir.File("bogen.pdf");
    ExportResult result = Export({"sheet", Q(dir.File("fehlt.vco")), "-o", Q(pdf)});
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Errors,
              "Die Layoutdatei " + dir.File("fehlt.vco") + " wurde nicht gefunden.\n");
    EXPECT_FALSE(fs::exists(pdf));

    const std::string layout = WriteLayout(dir, true, true);
    fs::remove(dir.File("blau.bmp"));
    result = Export({"sheet", Q(layout), "-o", Q(pdf), "--frames"});
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Errors, "Datei " + dir.File("blau.bmp") + " kann nicht geöffnet werden.\n");
    EXPECT_FALSE(fs::exists(pdf));

    WriteFileText(pdf, "alt");
    result = Export({"sheet", Q(layout), "-o", Q(pdf)});
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(ReadFileText(pdf), "alt");

    // A name no picture reader takes is refused as such, whether or not the file is there.
    fs::remove(pdf);
    WriteFileText(layout, "[Vellacour]\ncover=" + dir.File("fehlt.x") + "\nback=\n");
    result = Export({"sheet", Q(layout), "-o", Q(pdf)});
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Errors, "Unbekannte Bilddateierweiterung (.x)\n");
    EXPECT_FALSE(fs::exists(pdf));
}

// The layout is read in one open, whatever it holds: pictures, placements, settings, words.
TEST(ExportSheet, ReadsTheLayoutOnce) {
    TempDir dir;
    const std::string layout =
        WriteLayout(dir, true, true,
                    "coverMode=fit\nbackTurn=180\narrangement=stacked\nbleed=5\n"
                    "[Beschriftung]\nspine=Rücken\ntitle=Titel\ntrack1=Eins\ntrack2=Zwei\n");
    TApplication::SetTitle("Vellacour"); // as the program's start sets it
    int opens = 0;
    SetOpenHook([&](const std::string& path) { opens += path == layout; });
    std::ostringstream out, err;
    const int status = RunExport({"sheet", layout, "-o", dir.File("bogen.pdf")}, out, err);
    SetOpenHook(nullptr);
    EXPECT_EQ(status, 0) << err.str();
    EXPECT_EQ(opens, 1);
    EXPECT_TRUE(fs::exists(dir.File("bogen.pdf")));
}

// A file system that takes no more than 16 KiB of a file (as a full disk would): the sheet
// cannot be written whole, which is an error, and nothing truncated takes the file's place.
TEST(ExportSheet, AWriteFailureIsAnErrorAndLeavesTheFileAsItWas) {
    TempDir dir;
    const std::string layout = WriteLayout(dir, true, true);
    for (const bool existed : {false, true}) {
        SCOPED_TRACE(existed ? "over an existing file" : "a new file");
        const std::string pdf = dir.File("bogen.pdf");
        if (existed)
            WriteFileText(pdf, "alt");
        const ExportResult result = Export({"sheet", Q(layout), "-o", Q(pdf), "--frames"}, {}, 16);
        EXPECT_EQ(result.Status, 1);
        // After the warnings of the coarse test pictures.
        const std::string& errors = result.Errors;
        EXPECT_TRUE(
            errors.ends_with("\nDer Ausdruck konnte nicht nach " + pdf + " geschrieben werden.\n"))
            << errors;
        EXPECT_EQ(fs::exists(pdf), existed);
        if (existed) {
            EXPECT_EQ(ReadFileText(pdf), "alt");
        }
        int entries = 0;
        for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir.Path()))
            ++entries;
        EXPECT_EQ(entries, existed ? 4 : 3) << "a temporary file was left";
    }
}

// The sheet must not take the place of the layout or of one of its pictures, however the
// output names it.
TEST(ExportSheet, AnOutputThatIsOneOfItsInputsIsRefusedAndTheInputKept) {
    TempDir dir;
    const std::string layout = WriteLayout(dir, true, true);
    fs::create_symlink("blau.bmp", dir.File("verweis.pdf"));
    fs::create_hard_link(layout, dir.File("hart.pdf"));
    const std::vector<std::string> inputs = {layout, dir.File("rot.bmp"), dir.File("blau.bmp")};
    std::vector<std::vector<uint8_t>> before;
    for (const std::string& input : inputs)
        before.push_back(ReadFileBytes(input));
    for (const std::string& output :
         {layout, dir.File("rot.bmp"), dir.File("verweis.pdf"), dir.File("hart.pdf")}) {
        SCOPED_TRACE(output);
        const ExportResult result = Export({"sheet", Q(layout), "-o", Q(output)});
        EXPECT_EQ(result.Status, 1);
        // After the warnings of the coarse test pictures.
        EXPECT_TRUE(result.Errors.ends_with("\nDie Ausgabedatei " + output +
                                            " ist eine der Eingabedateien.\n"))
            << result.Errors;
        for (size_t i = 0; i < inputs.size(); ++i)
            EXPECT_EQ(ReadFileBytes(inputs[i]), before[i]) << inputs[i];
    }
    EXPECT_TRUE(fs::is_symlink(dir.File("verweis.pdf")));
}

TEST(ExportSheet, AnOutputThatIsNoRegularFileIsRefused) {
    TempDir dir;
    const std::string layout = WriteLayout(dir, true, true);
    const std::string fifo = dir.File("rohr.pdf");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ExportResult result = Export({"sheet", Q(layout), "-o", Q(fifo)});
    EXPECT_EQ(result.Status, 1);
    EXPECT_TRUE(
        result.Errors.ends_with("\nDie Ausgabedatei " + fifo + " ist keine gewöhnliche Datei.\n"))
        << result.Errors;
    EXPECT_TRUE(fs::is_fifo(fifo));

    const std::string loop = dir.File("schleife.pdf");
    fs::create_symlink("schleife.pdf", loop);
    result = Export({"sheet", Q(layout), "-o", Q(loop)});
    EXPECT_EQ(result.Status, 1);
    EXPECT_TRUE(result.Errors.ends_with("\nDer Ausdruck konnte nicht nach " + loop +
                                        " geschrieben werden.\n"))
        << result.Errors;
    EXPECT_TRUE(fs::is_symlink(loop));
}

TEST(ExportSheet, WarnsOfEachPictureTooCoarseForItsPartAndPrintsAllTheSame) {
    struct Case {
        QSize Cover;
        QSize Back;
        const char* Warnings;
    };
    // 150 dpi and more is fine: 709 pixels over the cover's 120 mm, 898 × 698 over the
    // back's 151 × 118 mm. 600 pixels over 120 mm are 127 dpi, 400 over 118 mm 86 dpi.
    const Case cases[] = {
        {{709, 709}, {898, 698}, ""},
        {{600, 600},
         {898, 698},
         "Warnung: Vorderseite: vorne.bmp – 600 × 600 Pixel, 127 dpi, geringe Auflösung\n"},
        {{709, 2000},
         {600, 400},
         "Warnung: Rückseite: hinten.bmp – 600 × 400 Pixel, 86 dpi, geringe Auflösung\n"},
        {{600, 600},
         {600, 400},
         "Warnung: Vorderseite: vorne.bmp – 600 × 600 Pixel, 127 dpi, geringe Auflösung\n"
         "Warnung: Rückseite: hinten.bmp – 600 × 400 Pixel, 86 dpi, geringe Auflösung\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Warnings);
        TempDir dir;
        const std::string cover = dir.File("vorne.bmp"), back = dir.File("hinten.bmp");
        WriteFileBytes(cover, Bmp24(SolidImage(c.Cover.width(), c.Cover.height(), Red)));
        WriteFileBytes(back, Bmp24(SolidImage(c.Back.width(), c.Back.height(), Blue)));
        const std::string layout = dir.File("cover.vco");
        WriteFileText(layout, "[Vellacour]\ncover=" + cover + "\nback=" + back + "\n");
        const std::string pdf = dir.File("bogen.pdf");
        const ExportResult result = Export({"sheet", Q(layout), "-o", Q(pdf), "--dpi", "72"});
        EXPECT_EQ(result.Status, 0);
        EXPECT_EQ(result.Errors, c.Warnings);
        EXPECT_TRUE(fs::exists(pdf) && fs::file_size(pdf) > 0);
    }
}

// Every case's wrap centred on its paper at its real size, at 600 dpi and at resolutions
// that do not divide it; a DVD wrap on US Letter is printed all the same, with a warning
// that names the papers it fits.
TEST(ExportSheet, EachCasePrintsItsWrapInPlace) {
    constexpr QRgb Green = 0xff00a000;
    const struct {
        const char* Settings;
        QStringList Options;
        TSheetExpectation Expected;
        const char* Warning; // the last line of the messages; empty: no cut parts
    } cases[] = {
        {"case=dvd\n", {"--frames"}, {.Frames = true, .Case = TSheetCase::Dvd}, ""},
        {"case=dvd\nspineWidth=270\n",
         {"--frames", "--dpi", "1016"},
         {.Frames = true, .Case = TSheetCase::Dvd, .Spine = 27.0},
         ""},
        {"case=slim\n",
         {"--frames", "--dpi", "500"},
         {.Frames = true, .Case = TSheetCase::Slim},
         ""},
        {"case=bluray\nspineWidth=110\nbleed=20\n",
         {"--frames"},
         {.Frames = true, .Bleed = 2.0, .Case = TSheetCase::Bluray, .Spine = 11.0},
         ""},
        {"case=custom\npanelWidth=1600\npanelHeight=1000\nspineWidth=200\n",
         {"--paper", "Legal", "--dpi", "720"},
         {.Paper = TPaper::Legal,
          .Case = TSheetCase::Custom,
          .Spine = 20.0,
          .PanelWidth = 160.0,
          .PanelHeight = 100.0},
         ""},
        {"case=dvd\nspineWidth=70\nwrap=gruen.bmp\n",
         {"--frames", "--dpi", "1016"},
         {.Frames = true, .Case = TSheetCase::Dvd, .Spine = 7.0, .Wrap = Green},
         ""},
        {"case=dvd\n",
         {"--frames", "--paper", "Letter"},
         {.Paper = TPaper::Letter, .Frames = true, .Case = TSheetCase::Dvd},
         "Warnung: Ein Teil des Ausdrucks liegt außerhalb des bedruckbaren Bereichs "
         "(Vorderseite: 1,9 mm rechts; Rückseite: 1,9 mm links). Auf Papier im Format A4 oder "
         "US Legal passt der Bogen.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Settings + c.Options.join(' ').toStdString());
        TempDir dir;
        WriteFileBytes(dir.File("gruen.bmp"), Bmp24(SolidImage(40, 27, Green)));
        const std::string pdf = dir.File("bogen.pdf");
        const ExportResult result =
            Export(QStringList{"sheet", Q(WriteLayout(dir, true, true, c.Settings)), "-o", Q(pdf)} +
                   c.Options);
        ASSERT_EQ(result.Status, 0) << result.Errors;
        const std::string warning = c.Warning;
        EXPECT_EQ(result.Errors.find("bedruckbaren") == std::string::npos, warning.empty())
            << result.Errors;
        if (!warning.empty()) {
            EXPECT_TRUE(result.Errors.ends_with(warning)) << result.Errors;
        }
        TSheetExpectation expected = c.Expected;
        if (!expected.Wrap) {
            expected.Cover = Red;
            expected.Back = Blue;
        }
        const std::vector<std::string> problems = CheckSheetPdf(pdf, expected);
        EXPECT_TRUE(problems.empty()) << JoinProblems(problems);
    }
}

// An SVG cover is printed as the vector drawing it is: in place and in its colour at every
// resolution, with no picture of pixels in the PDF.
TEST(ExportSheet, PrintsAnSvgCoverAsVectors) {
    TempDir dir;
    const std::string svg = dir.File("rot.svg");
    WriteFileText(svg, R"(<svg xmlns="http://www.w3.org/2000/svg" width="120" height="120">)"
                       R"(<rect width="120" height="120" fill="#ff0000"/></svg>)");
    const std::string layout = dir.File("cover.vco");
    WriteFileText(layout, "[Vellacour]\ncover=" + svg + "\nback=\n");
    for (const char* dpi : {"600", "2400"}) {
        SCOPED_TRACE(dpi);
        const std::string pdf = dir.File(std::string("bogen-") + dpi + ".pdf");
        const ExportResult result =
            Export(QStringList{"sheet", Q(layout), "-o", Q(pdf), "--frames", "--dpi", dpi});
        ASSERT_EQ(result.Status, 0) << result.Errors;
        const std::vector<std::string> problems =
            CheckSheetPdf(pdf, {TPaper::A4, true, Red, std::nullopt});
        EXPECT_TRUE(problems.empty()) << JoinProblems(problems);

        QProcess images;
        images.start("pdfimages", {"-list", Q(pdf)});
        ASSERT_TRUE(images.waitForFinished(30000));
        // The listing's two header lines and nothing else.
        const QStringList lines =
            QString::fromUtf8(images.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        EXPECT_EQ(lines.size(), 2) << lines.join('\n').toStdString();
    }
}
