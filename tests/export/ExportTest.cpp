#include <QImage>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "RunExport.h"
#include "TestSupport.h"

namespace {

void WriteBmp24(const std::string& path, int width, int height, const std::vector<QRgb>& pixels) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, pixels[static_cast<size_t>(y * width + x)]);
    WriteFileBytes(path, Bmp24(image));
}
} // namespace

TEST(ExportPicture, WritesThePictureAtItsOwnSize) {
    TempDir dir;
    const std::string bmp = dir.File("zwei.bmp");
    WriteBmp24(bmp, 2, 1, {qRgb(255, 0, 0), qRgb(0, 0, 255)});
    const std::string png = dir.File("out.png");
    const ExportResult result = Export({"picture", Q(bmp), "-o", Q(png)});
    ASSERT_EQ(result.Status, 0) << result.Errors;
    const QImage image(Q(png));
    ASSERT_EQ(image.size(), QSize(2, 1));
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(1, 0), qRgb(0, 0, 255));
}

// The kinds the helper decodes are exported as the others are, and a damaged one gives its
// message.
TEST(ExportPicture, WritesWebPAndSvgPicturesAndNamesADamagedOne) {
    TempDir dir;
    const std::string bmp = dir.File("zwei.bmp"), webp = dir.File("zwei.webp");
    WriteBmp24(bmp, 2, 1, {qRgb(255, 0, 0), qRgb(0, 0, 255)});
    const std::string source = dir.File("zwei.png");
    ASSERT_TRUE(QImage(Q(bmp)).save(Q(source)));
    ASSERT_EQ(QProcess::execute("cwebp", {"-quiet", "-lossless", Q(source), "-o", Q(webp)}), 0);
    const std::string svg = dir.File("zwei.svg");
    WriteFileText(svg, R"(<svg xmlns="http://www.w3.org/2000/svg" width="2" height="1">)"
                       R"(<rect width="1" height="1" fill="#f00"/>)"
                       R"(<rect x="1" width="1" height="1" fill="#00f"/></svg>)");
    for (const std::string& input : {webp, svg}) {
        SCOPED_TRACE(input);
        const std::string png = dir.File("out.png");
        const ExportResult result = Export({"picture", Q(input), "-o", Q(png), "--size", "8x4"});
        ASSERT_EQ(result.Status, 0) << result.Errors;
        const QImage image(Q(png));
        ASSERT_EQ(image.size(), QSize(8, 4));
        EXPECT_EQ(image.pixel(1, 1), qRgb(255, 0, 0));
        EXPECT_EQ(image.pixel(6, 2), qRgb(0, 0, 255));
    }

    const std::string bad = dir.File("kaputt.webp");
    WriteFileText(bad, "RIFF and nothing more");
    const ExportResult result = Export({"picture", Q(bad), "-o", Q(dir.File("kaputt.png"))});
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Errors, "WebP-Datei ist beschädigt oder wird nicht unterstützt.\n");
}

TEST(ExportPicture, StretchesToTheGivenSize) {
    TempDir dir;
    const std::string bmp = dir.File("zwei.bmp");
    WriteBmp24(bmp, 2, 1, {qRgb(255, 0, 0), qRgb(0, 0, 255)});
    const std::string png = dir.File("out.png");
    const ExportResult result = Export({"picture", Q(bmp), "-o", Q(png), "--size", "8x4"});
    ASSERT_EQ(result.Status, 0) << result.Errors;
    const QImage image(Q(png));
    ASSERT_EQ(image.size(), QSize(8, 4));
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(3, 3), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(4, 0), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(7, 3), qRgb(0, 0, 255));
}

TEST(ExportPicture, FailureWritesNothingAndPrintsTheMessageAsTheWindowShowsIt) {
    TempDir dir;
    const std::string png = dir.File("out.png");
    const std::string missing = dir.File("fehlt.bmp");
    ExportResult result = Export({"picture", Q(missing), "-o", Q(png)});
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Errors, "Datei " + missing + " kann nicht geöffnet werden.\n");
    EXPECT_FALSE(fs::exists(png));

    result = Export({"picture", Q(dir.File("bild.XCF")), "-o", Q(png)});
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Errors, "Unbekannte Bilddateierweiterung (.XCF)\n");

    const std::string bad = dir.File("kaputt.bmp");
    WriteFileText(bad, "XX not a bitmap");
    const std::string empty = dir.File("leer.bmp");
    WriteFileBytes(empty, {});
    for (const std::string& broken : {bad, empty}) {
        result = Export({"picture", Q(broken), "-o", Q(png)});
        EXPECT_EQ(result.Status, 1);
        EXPECT_EQ(result.Errors, "Bitmap ist ungültig.\n");
        EXPECT_FALSE(fs::exists(png));
    }

    // A canvas beyond the picture layer's gibibyte is refused before it is made.
    const std::string good = dir.File("gut.bmp");
    WriteFileBytes(good, Bmp24(SolidImage(2, 2, qRgb(1, 2, 3))));
    result = Export({"picture", Q(good), "-o", Q(png), "--size", "30000x30000"});
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Errors, "Ein Bild von 30000 x 30000 Pixeln ist zu groß.\n");
    EXPECT_FALSE(fs::exists(png));
}

TEST(ExportPicture, ExistingOutputSurvivesAFailure) {
    TempDir dir;
    const std::string png = dir.File("out.png");
    WriteFileText(png, "alt");
    const ExportResult result = Export({"picture", Q(dir.File("fehlt.bmp")), "-o", Q(png)});
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(ReadFileText(png), "alt");
}

// Only a regular file or a new name is replaced. A character device takes the same path
// as a pipe; /dev/null is left out so that a broken check could never replace the system's
// one when the tests run as root.
TEST(ExportPicture, AnOutputThatIsNoRegularFileIsRefusedAndLeftAsItWas) {
    TempDir dir;
    const std::string bmp = dir.File("gut.bmp");
    WriteFileBytes(bmp, Bmp24(SolidImage(2, 2, qRgb(1, 2, 3))));
    const std::string fifo = dir.File("rohr.png"), folder = dir.File("ordner.png");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_directory(folder);
    fs::create_symlink("rohr.png", dir.File("verweis.png"));
    for (const std::string& output : {fifo, folder, dir.File("verweis.png")}) {
        SCOPED_TRACE(output);
        const ExportResult result = Export({"picture", Q(bmp), "-o", Q(output)});
        EXPECT_EQ(result.Status, 1);
        EXPECT_EQ(result.Errors, "Die Ausgabedatei " + output + " ist keine gewöhnliche Datei.\n");
    }
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_TRUE(fs::is_empty(folder));
    EXPECT_TRUE(fs::is_symlink(dir.File("verweis.png")));

    fs::create_symlink("schleife.png", dir.File("schleife.png"));
    const ExportResult result = Export({"picture", Q(bmp), "-o", Q(dir.File("schleife.png"))});
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Errors,
              "Datei " + dir.File("schleife.png") + " kann nicht erstellt werden.\n");
    EXPECT_TRUE(fs::is_symlink(dir.File("schleife.png")));
}

TEST(ExportPicture, AnOutputThatIsItsOwnInputIsRefusedAndTheInputKept) {
    TempDir dir;
    const std::string png = dir.File("bild.png");
    ASSERT_TRUE(SolidImage(3, 2, qRgb(10, 20, 30)).save(Q(png), "png"));
    const std::vector<uint8_t> before = ReadFileBytes(png);
    fs::create_hard_link(png, dir.File("hart.png"));
    fs::create_symlink("bild.png", dir.File("weich.png"));
    for (const std::string& output : {png, dir.File("hart.png"), dir.File("weich.png")}) {
        SCOPED_TRACE(output);
        const ExportResult result = Export({"picture", Q(png), "-o", Q(output), "--size", "6x4"});
        EXPECT_EQ(result.Status, 1);
        EXPECT_EQ(result.Errors, "Die Ausgabedatei " + output + " ist eine der Eingabedateien.\n");
        EXPECT_EQ(ReadFileBytes(png), before);
    }
    EXPECT_TRUE(fs::is_symlink(dir.File("weich.png")));
}

// A file system that takes no more than 16 KiB of a file: our message alone, with no line
// of the PNG library before it, and no file.
TEST(ExportPicture, AWriteFailureShowsOnlyOurMessage) {
    TempDir dir;
    QImage noise(200, 200, QImage::Format_RGB32);
    uint32_t state = 1;
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x) {
            state = state * 1103515245u + 12345u;
            noise.setPixel(x, y, 0xff000000u | (state >> 8));
        }
    const std::string bmp = dir.File("rauschen.bmp");
    WriteFileBytes(bmp, Bmp24(noise));
    const std::string png = dir.File("out.png");
    const ExportResult result = Export({"picture", Q(bmp), "-o", Q(png)}, {}, 16);
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Errors, "Datei " + png + " kann nicht erstellt werden.\n");
    EXPECT_FALSE(fs::exists(png));
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir.Path()))
        ++entries;
    EXPECT_EQ(entries, 1) << "a temporary file was left";
}

TEST(ExportPicture, WrongUsageIsRefused) {
    EXPECT_EQ(Export({}).Status, 2);
    EXPECT_EQ(Export({"picture", "a.bmp"}).Status, 2);
    EXPECT_EQ(Export({"bild", "a.bmp", "-o", "b.png"}).Status, 2);
    for (const char* size : {"0x10", "10", "10x", "-5x5", "99999x10", "axb"}) {
        const ExportResult result = Export({"picture", "a.bmp", "-o", "b.png", "--size", size});
        EXPECT_EQ(result.Status, 2) << size;
        EXPECT_NE(result.Errors.find("Ungültige Größe"), std::string::npos) << size;
    }
}

TEST(ExportPicture, SpeaksTheLanguageOfItsEnvironment) {
    TempDir dir;
    const QString missing = Q(dir.File("fehlt.bmp"));
    const struct {
        QStringList Environment;
        const char* Usage;
        const char* Message;
    } cases[] = {
        {{"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG=en_US.UTF-8"}, "Usage: ", "Cannot open file "},
        {{"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG=fr_FR.UTF-8"}, "Usage: ", "Cannot open file "},
        {{"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG=C"},
         "Aufruf: ",
         " kann nicht geöffnet werden"},
        {{"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}, "Aufruf: ", " kann nicht geöffnet werden"},
        {{"LANGUAGE=de:en", "LC_ALL", "LC_MESSAGES", "LANG=en_US.UTF-8"},
         "Aufruf: ",
         " kann nicht geöffnet werden"},
        {{"LANGUAGE=en", "LC_ALL", "LC_MESSAGES", "LANG=C"}, "Usage: ", "Cannot open file "},
    };
    for (const auto& each : cases) {
        const std::string where = each.Environment.join(' ').toStdString();
        const ExportResult usage = Export({"--bogus"}, each.Environment);
        EXPECT_EQ(usage.Status, 2) << where;
        EXPECT_EQ(usage.Errors.rfind(each.Usage, 0), 0u) << where << ": " << usage.Errors;
        const ExportResult failed =
            Export({"picture", missing, "-o", Q(dir.File("b.png"))}, each.Environment);
        EXPECT_EQ(failed.Status, 1) << where;
        EXPECT_NE(failed.Errors.find(each.Message), std::string::npos)
            << where << ": " << failed.Errors;
    }
}

TEST(ExportPicture, JpegFilesLoadInAnyLetterCase) {
    TempDir dir;
    const std::string ppm = dir.File("quelle.ppm");
    WriteFileText(ppm, std::string("P6\n4 4\n255\n") + std::string(48, '\x80'));
    const std::string jpg = dir.File("Foto.JPG");
    const std::string command = "cjpeg -quality 95 -outfile '" + jpg + "' '" + ppm + "'";
    if (std::system(command.c_str()) != 0)
        GTEST_SKIP() << "cjpeg is not installed";
    const std::string png = dir.File("out.png");
    const ExportResult result = Export({"picture", Q(jpg), "-o", Q(png)});
    ASSERT_EQ(result.Status, 0) << result.Errors;
    const QImage image(Q(png));
    ASSERT_EQ(image.size(), QSize(4, 4));
    EXPECT_LE(std::abs(qRed(image.pixel(2, 2)) - 0x80), 2);
}

TEST(ExportPicture, GoodBmpSuiteFilesRenderAsTheirReferences) {
    SKIP_WITHOUT_CORPUS("bmp/bmpsuite-2.8/INDEX.tsv");
    const fs::path suite = CorpusDir() / "bmp/bmpsuite-2.8";
    std::ifstream index(suite / "INDEX.tsv");
    std::string line;
    std::getline(index, line);
    int checked = 0;
    TempDir dir;
    while (std::getline(index, line)) {
        std::vector<std::string> columns;
        size_t start = 0;
        for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
            columns.push_back(line.substr(start, tab - start));
        columns.push_back(line.substr(start));
        if (columns.size() < 4 || columns[1] != "good")
            continue;
        SCOPED_TRACE(columns[0]);
        const std::string png = dir.File("out.png");
        const ExportResult result =
            Export({"picture", Q((suite / columns[0]).string()), "-o", Q(png)});
        ASSERT_EQ(result.Status, 0) << result.Errors;
        const QImage actual(Q(png));
        std::string differences;
        bool matched = false;
        size_t from = 0;
        const std::string& refs = columns[3];
        while (from <= refs.size() && !matched) {
            size_t comma = refs.find(',', from);
            if (comma == std::string::npos)
                comma = refs.size();
            const std::string ref = refs.substr(from, comma - from);
            const std::string difference =
                CompareImages(actual, QImage(Q((suite / "refs" / ref).string())), 1);
            matched = difference.empty();
            differences += ref + ": " + difference + "; ";
            from = comma + 1;
        }
        EXPECT_TRUE(matched) << differences;
        ++checked;
    }
    EXPECT_EQ(checked, 27);
}

TEST(ExportPicture, IconsKeepTheirSystemSizeAtTheTopLeft) {
    // One 32 × 32 entry of 24 bits: red, the right half transparent by the mask.
    std::vector<uint8_t> ico = {0, 0, 1, 0, 1, 0, 32, 32, 0, 0, 0, 0, 0, 0};
    const uint32_t rows = 32 * 32 * 3 + 32 * 4;
    Put32(ico, 40 + rows);
    Put32(ico, 22);
    for (const uint32_t field : {40u, 32u, 64u, 1u | 24u << 16, 0u, 0u, 0u, 0u, 0u, 0u})
        Put32(ico, field);
    for (int i = 0; i < 32 * 32; ++i)
        ico.insert(ico.end(), {0, 0, 255});
    for (int i = 0; i < 32; ++i)
        ico.insert(ico.end(), {0x00, 0x00, 0xFF, 0xFF});
    TempDir dir;
    WriteFileBytes(dir.File("symbol.ico"), ico);
    const std::string png = dir.File("out.png");
    for (const QSize size : {QSize(32, 32), QSize(100, 80)}) {
        QStringList args = {"picture", Q(dir.File("symbol.ico")), "-o", Q(png)};
        if (size.width() != 32)
            args << "--size"
                 << "100x80";
        const ExportResult result = Export(args);
        ASSERT_EQ(result.Status, 0) << result.Errors;
        const QImage image(Q(png));
        ASSERT_EQ(image.size(), size);
        EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
        EXPECT_EQ(image.pixel(15, 31), qRgb(255, 0, 0));
        EXPECT_EQ(image.pixel(16, 0), qRgb(255, 255, 255));
        EXPECT_EQ(image.pixel(size.width() - 1, size.height() - 1), qRgb(255, 255, 255));
    }
}
