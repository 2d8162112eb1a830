// Layouts that were moved: pictures found from the layout's folder, and files that are no
// layout told apart from layouts.
#include <gtest/gtest.h>
#include <unistd.h>

#include "TestSupport.h"
#include "picture/Picture.h"
#include "sheet/LayoutDocument.h"
#include "sheet/LayoutPictures.h"
#include "toolkit/Application.h"
#include "toolkit/Errors.h"

namespace {
class LayoutPictures : public testing::Test {
protected:
    void SetUp() override { TApplication::SetTitle("Vellacour"); }
    TempDir Dir;
};

// Runs in another working folder for as long as it lives.
class WorkingFolder {
public:
    explicit WorkingFolder(const fs::path& folder) : Previous(fs::current_path()) {
        fs::current_path(folder);
    }
    ~WorkingFolder() { fs::current_path(Previous); }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

private:
    fs::path Previous;
};
} // namespace

TEST_F(LayoutPictures, FilesThatAreNoLayoutAreNamedInTheMessage) {
    fs::create_directory(Dir.File("ordner.vco"));
    WriteFileBytes(Dir.File("bild.vco"), {'[', 'V', 0, 0xFF, ']'});
    WriteFileText(Dir.File("andere.ini"), "[Anderes]\ncover=/a.bmp\n");
    WriteFileText(Dir.File("grossbuchstaben.vco"), "[VELLACOUR]\n");
    WriteFileText(Dir.File("zu-gross.vco"), "[Vellacour]\n" + std::string(1 << 20, ';'));
    ::mkfifo(Dir.File("pipe.vco").c_str(), 0600);
    // Zero bytes on a line of their own are that line's bytes: the section after them counts.
    const char zeros[] = "\0\1garbage\n[Vell\0acour]\n";
    WriteFileText(Dir.File("nullen.vco"),
                  std::string(zeros, sizeof zeros - 1) + "[Vellacour]\ncover=\nback=\n");
    const struct {
        std::string File;
        const char* Message; // empty: a layout
    } cases[] = {
        {Dir.File("fehlt.vco"), "Die Layoutdatei %s wurde nicht gefunden"},
        {Dir.File("ordner.vco"), "Die Layoutdatei %s kann nicht gelesen werden"},
        {Dir.File("bild.vco"), "%s ist keine Vellacour-Layoutdatei"},
        {Dir.File("andere.ini"), "%s ist keine Vellacour-Layoutdatei"},
        {Dir.File("grossbuchstaben.vco"), ""},
        {Dir.File("zu-gross.vco"), "%s ist keine Vellacour-Layoutdatei"},
        {Dir.File("pipe.vco"), "Die Layoutdatei %s kann nicht gelesen werden"},
        {Dir.File("nullen.vco"), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.File);
        try {
            ReadLayoutDocument(c.File);
            EXPECT_STREQ(c.Message, "");
        } catch (const EStreamError& error) {
            EXPECT_EQ(error.Message(), Format(c.Message, c.File.c_str()));
        }
    }
}

TEST_F(LayoutPictures, PicturesAreFoundFromTheLayoutsFolder) {
    fs::create_directories(Dir.Path() / "mappe" / "bilder");
    fs::create_directories(Dir.Path() / "anderswo");
    WriteBmp(Dir.File("mappe/bilder/vorne.bmp"), 2, 2, 0xFF0000);
    WriteBmp(Dir.File("mappe/hinten.bmp"), 2, 2, 0x00FF00);
    WriteBmp(Dir.File("mappe/alt\\vorne.bmp"), 2, 2, 0x0000FF);
    const std::string layout = Dir.File("mappe/l.vco");
    const std::string beside = fs::absolute(Dir.Path() / "mappe" / "hinten.bmp").string();
    const std::string besideWithBackslash =
        fs::absolute(Dir.Path() / "mappe" / "alt\\vorne.bmp").string();
    const WorkingFolder elsewhere(Dir.Path() / "anderswo");
    const struct {
        std::string Layout, Stored;
        TPictureFound Found;
        std::string Path;
    } cases[] = {
        {layout, "bilder/vorne.bmp", TPictureFound::Stored, Dir.File("mappe/bilder/vorne.bmp")},
        {"../mappe/l.vco", "bilder/vorne.bmp", TPictureFound::Stored, "../mappe/bilder/vorne.bmp"},
        {layout, Dir.File("mappe/hinten.bmp"), TPictureFound::Stored, Dir.File("mappe/hinten.bmp")},
        {layout, "/alter/ort/hinten.bmp", TPictureFound::InLayoutFolder, beside},
        // A backslash separates folders only in a path written the Windows way; elsewhere
        // it belongs to the name, which must then be found whole.
        {layout, "C:\\Cover\\hinten.bmp", TPictureFound::InLayoutFolder, beside},
        {layout, "d:\\bilder\\hinten.bmp", TPictureFound::InLayoutFolder, beside},
        {layout, "\\\\server\\cover\\hinten.bmp", TPictureFound::InLayoutFolder, beside},
        {layout, "/alter/ort/mit\\hinten.bmp", TPictureFound::Missing,
         "/alter/ort/mit\\hinten.bmp"},
        {layout, "/alter/ort/alt\\vorne.bmp", TPictureFound::InLayoutFolder, besideWithBackslash},
        {layout, "bilder/fehlt.bmp", TPictureFound::Missing, Dir.File("mappe/bilder/fehlt.bmp")},
        {layout, "/alter/ort/", TPictureFound::Missing, "/alter/ort/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Stored);
        const TPictureLocation location = LocateLayoutPicture(c.Layout, c.Stored);
        EXPECT_EQ(location.Found, c.Found);
        EXPECT_EQ(location.Path, c.Path);
    }
}

TEST_F(LayoutPictures, AFolderMovedAsAWholeOpensWithItsPictures) {
    fs::create_directory(Dir.Path() / "alt");
    WriteBmp(Dir.File("alt/vorne.bmp"), 3, 3, 0xFF0000);
    WriteBmp(Dir.File("alt/hinten.bmp"), 5, 4, 0x00FF00);
    const std::string text =
        "[Vellacour]\ncover=vorne.bmp\nback=" + Dir.File("alt/hinten.bmp") + "\n";
    WriteFileText(Dir.File("alt/l.vco"), text);
    fs::rename(Dir.Path() / "alt", Dir.Path() / "neu");
    const std::string layout = Dir.File("neu/l.vco");

    TLayoutDocument document = ReadLayoutDocument(layout);
    TPicturesFound found = LocatePictures(document, layout);
    EXPECT_FALSE(found.CoverMoved);
    EXPECT_EQ(document.Cover.File(), "vorne.bmp") << "a relative path stays as it was stored";
    EXPECT_EQ(document.Cover.Resolved, Dir.File("neu/vorne.bmp"));
    EXPECT_TRUE(found.BackMoved);
    EXPECT_EQ(document.Back.File(), Dir.File("neu/hinten.bmp"));
    EXPECT_EQ(document.Back.Resolved, Dir.File("neu/hinten.bmp"));
    TPicture cover, back;
    cover.LoadByExtension(document.Cover.Resolved);
    back.LoadByExtension(document.Back.Resolved);
    EXPECT_EQ(cover.Width(), 3);
    EXPECT_EQ(back.Width(), 5);

    // Found nowhere: the part stays empty and keeps its entry.
    fs::remove(Dir.File("neu/vorne.bmp"));
    document = ReadLayoutDocument(layout);
    found = LocatePictures(document, layout);
    EXPECT_FALSE(found.CoverMoved);
    EXPECT_TRUE(document.Cover.Missing);
    EXPECT_EQ(document.Cover.File(), "vorne.bmp");
    EXPECT_EQ(document.Cover.Resolved, "");
    EXPECT_FALSE(document.Back.Missing);
}

// A name no picture reader takes is refused as such, before the file is looked for: the
// same message whether the file is there or not, for a value cut to what a layout reads
// and for one ending in a blank. A missing key is a name without extension, unless a wrap
// picture stands in for both parts; an empty entry is no picture.
TEST_F(LayoutPictures, TheExtensionDecidesBeforeTheFileIsLookedFor) {
    WriteBmp(Dir.File("da.bmp"), 2, 2, 0xFF0000);
    WriteFileText(Dir.File("da.x"), "kein Bild");
    WriteBmp(Dir.File("leer.bmp "), 2, 2, 0xFF0000);
    const std::string cut = "/" + std::string(IniMaxValueLength - 4, 'x') + ".bmp";
    const struct {
        std::string Lines;
        const char* Message; // empty: found
    } cases[] = {
        {"cover=fehlt.x\nback=\n", "Unbekannte Bilddateierweiterung (.x)"},
        {"cover=da.x\nback=\n", "Unbekannte Bilddateierweiterung (.x)"},
        {"cover=da.bmp\nback=fehlt.x\n", "Unbekannte Bilddateierweiterung (.x)"},
        {"cover=" + cut + "\nback=\n", "Unbekannte Bilddateierweiterung (.bm)"},
        {"cover=\"leer.bmp \"\nback=\n", "Unbekannte Bilddateierweiterung (.bmp )"},
        {"cover=\"fehlt.bmp \"\nback=\n", "Unbekannte Bilddateierweiterung (.bmp )"},
        {"back=da.bmp\n", "Unbekannte Bilddateierweiterung (.)"},
        {"cover=da.bmp\nback=\n", ""},
        {"cover=\nback=\n", ""},
        // With a wrap picture the front and back keys may be missing; its own name counts.
        {"wrap=da.bmp\n", ""},
        {"cover=da.bmp\nwrap=da.x\n", "Unbekannte Bilddateierweiterung (.x)"},
        {"wrap=\n", "Unbekannte Bilddateierweiterung (.)"},
        // So may they with a disc label alone, a picture or words.
        {"disc=da.bmp\n", ""},
        {"disc=da.x\n", "Unbekannte Bilddateierweiterung (.x)"},
        {"[Beschriftung]\ndiscTitle=Sommer\n", ""},
    };
    const std::string layout = Dir.File("l.vco");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Lines.substr(0, 60));
        WriteFileText(layout, "[Vellacour]\n" + c.Lines);
        const TLayoutDocument read = ReadLayoutDocument(layout);
        TLayoutDocument document = read;
        try {
            LocatePictures(document, layout);
            EXPECT_STREQ(c.Message, "");
            EXPECT_FALSE(document.Cover.Missing || document.Back.Missing);
        } catch (const EInvalidGraphic& error) {
            EXPECT_EQ(error.Message(), c.Message);
            EXPECT_EQ(document, read) << "nothing was looked for";
        }
    }
}
