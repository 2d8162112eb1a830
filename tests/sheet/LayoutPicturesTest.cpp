// Layouts that were moved: pictures found from the layout's folder, and files that are no
// layout told apart from layouts.
#include <gtest/gtest.h>
#include <unistd.h>

#include "TestSupport.h"
#include "picture/Picture.h"
#include "sheet/LayoutFile.h"
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
    const struct {
        std::string File;
        const char* Message; // empty: a layout
    } cases[] = {
        {Dir.File("fehlt.vco"), "Die Layoutdatei %s wurde nicht gefunden"},
        {Dir.File("ordner.vco"), "Die Layoutdatei %s kann nicht gelesen werden"},
        {Dir.File("bild.vco"), "%s ist keine Vellacour-Layoutdatei"},
        {Dir.File("andere.ini"), "%s ist keine Vellacour-Layoutdatei"},
        {Dir.File("grossbuchstaben.vco"), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.File);
        try {
            CheckLayoutFile(c.File);
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
    const std::string layout = Dir.File("mappe/l.vco");
    const std::string beside = fs::absolute(Dir.Path() / "mappe" / "hinten.bmp").string();
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
        {layout, "C:\\Cover\\hinten.bmp", TPictureFound::InLayoutFolder, beside},
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

    const TLayoutEntries entries = ReadLayoutEntries(layout);
    TPicture cover, back;
    std::string coverFile, backFile;
    EXPECT_EQ(LoadLayoutEntry(cover, layout, entries.Cover, coverFile), TPictureFound::Stored);
    EXPECT_EQ(coverFile, "vorne.bmp") << "a relative path stays as it was stored";
    EXPECT_EQ(cover.Width(), 3);
    EXPECT_EQ(LoadLayoutEntry(back, layout, entries.Back, backFile), TPictureFound::InLayoutFolder);
    EXPECT_EQ(backFile, Dir.File("neu/hinten.bmp"));
    EXPECT_EQ(back.Width(), 5);

    // Found nowhere: the part stays empty and keeps its entry.
    fs::remove(Dir.File("neu/vorne.bmp"));
    TPicture missing;
    EXPECT_EQ(LoadLayoutEntry(missing, layout, entries.Cover, coverFile), TPictureFound::Missing);
    EXPECT_EQ(coverFile, "vorne.bmp");
    EXPECT_EQ(missing.Content(), nullptr);
}
