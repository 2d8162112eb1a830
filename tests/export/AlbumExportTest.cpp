// vellacour-export album and collection: an album folder's sheet is the sheet of the layout
// the window makes from it, and a collection prints one page an album, names the folders
// that failed and answers with their share in its status.
#include <QProcess>
#include <filesystem>
#include <gtest/gtest.h>

#include "RunExport.h"
#include "SheetCheck.h"
#include "TestSupport.h"
#include "music/AlbumFolder.h"
#include "music/AudioFixtures.h"
#include "sheet/AlbumDocument.h"
#include "sheet/LayoutDocument.h"
#include "toolkit/Application.h"

namespace fs = std::filesystem;

namespace {
constexpr QRgb Red = 0xffff0000;
constexpr QRgb Blue = 0xff0000ff;

// An album folder of untagged tracks named as players name them, with art where asked.
std::string MakeAlbum(const TempDir& dir, const std::string& name, int tracks, bool art) {
    const fs::path folder = fs::path(dir.File(name));
    fs::create_directories(folder);
    for (int i = 1; i <= tracks; ++i)
        WriteSilence(
            (folder / ("0" + std::to_string(i) + " Lied " + std::to_string(i) + ".wav")).string());
    if (art) {
        SolidImage(8, 8, Red).save(QString::fromStdString((folder / "Cover.PNG").string()), "PNG");
        SolidImage(8, 4, Blue).save(QString::fromStdString((folder / "back.png").string()), "PNG");
    }
    return folder.string();
}

int PdfPages(const std::string& pdf) {
    QProcess info;
    info.start("pdfinfo", {QString::fromStdString(pdf)});
    info.waitForFinished(60000);
    const QString text = QString::fromUtf8(info.readAllStandardOutput());
    const qsizetype at = text.indexOf("Pages:");
    return at < 0 ? -1 : text.mid(at + 6).section('\n', 0, 0).trimmed().toInt();
}
} // namespace

TEST(ExportAlbum, PrintsTheSheetOfTheLayoutTheFolderGives) {
    TempDir dir;
    const std::string folder = MakeAlbum(dir, "Sommer", 3, true);
    const std::string album = dir.File("album.pdf");
    const ExportResult printed = Export({"album", Q(folder), "-o", Q(album), "--dpi", "150"});
    ASSERT_EQ(printed.Status, 0) << printed.Errors;

    // The same sheet through a layout file made from the folder.
    TApplication::SetTitle("Vellacour");
    const std::string layout = dir.File("album.vco");
    WriteLayoutDocument(layout, AlbumDocument(ReadAlbumFolder(folder), TLayoutDocument{}));
    const std::string sheet = dir.File("sheet.pdf");
    const ExportResult same = Export({"sheet", Q(layout), "-o", Q(sheet), "--dpi", "150"});
    ASSERT_EQ(same.Status, 0) << same.Errors;
    std::string error;
    const QImage fromAlbum = RasterisePdfPage(album, error, 150);
    ASSERT_TRUE(error.empty()) << error;
    const QImage fromSheet = RasterisePdfPage(sheet, error, 150);
    ASSERT_TRUE(error.empty()) << error;
    EXPECT_EQ(CompareImages(fromAlbum, fromSheet), "");
    EXPECT_TRUE(ReadFileText(layout).find("Lied 2") != std::string::npos);

    // A folder without audio fails with its reason and writes nothing.
    const std::string empty = dir.File("leer");
    fs::create_directories(empty);
    const ExportResult failed = Export({"album", Q(empty), "-o", Q(dir.File("leer.pdf"))});
    EXPECT_EQ(failed.Status, 1);
    EXPECT_NE(failed.Errors.find("leer"), std::string::npos) << failed.Errors;
    EXPECT_FALSE(fs::exists(dir.File("leer.pdf")));
}

TEST(ExportCollection, OnePageAnAlbumAndTheFailedFoldersNamed) {
    TempDir dir;
    const std::string root = dir.File("Musik");
    for (int i = 0; i < 200; ++i)
        MakeAlbum(dir, "Musik/Künstler " + std::to_string(i % 7) + "/Album " + std::to_string(i), 1,
                  i % 50 == 0);
    // Two discs are one album; broken and hostile files make three folders fail.
    MakeAlbum(dir, "Musik/Doppel/CD1", 2, false);
    MakeAlbum(dir, "Musik/Doppel/CD2", 2, false);
    for (const char* broken :
         {"Musik/Kaputt/01.mp3", "Musik/Kaputt2/01.flac", "Musik/Kaputt3/01.ogg"}) {
        fs::create_directories(fs::path(dir.File(broken)).parent_path());
        WriteFileText(dir.File(broken), std::string(3000, '\xff'));
    }
    const std::string out = dir.File("alle.pdf");
    WriteFileText(out, "alt");
    const ExportResult run = Export({"collection", Q(root), "-o", Q(out), "--dpi", "72"});
    EXPECT_EQ(run.Status, 3) << run.Errors;
    EXPECT_EQ(PdfPages(out), 201);
    for (const char* name : {"Kaputt:", "Kaputt2:", "Kaputt3:"})
        EXPECT_NE(run.Errors.find(name), std::string::npos) << name << "\n" << run.Errors;
    EXPECT_NE(run.Errors.find("201 von 204"), std::string::npos) << run.Errors;

    // None printed: status 1 and the output as it was.
    WriteFileText(out, "alt");
    const ExportResult none = Export({"collection", Q(dir.File("Musik/Kaputt")), "-o", Q(out)});
    EXPECT_EQ(none.Status, 1) << none.Errors;
    EXPECT_EQ(ReadFileText(out), "alt");
}
