// The words from the music in the window: an album folder or a CUE sheet fills the words
// dialog, and what the user confirms there replaces the words and pictures in one step.
#include <QImage>
#include <filesystem>
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "TestSupport.h"
#include "app/MainForm.h"
#include "app/TextForm.h"
#include "picture/Jpeg.h"
#include "music/AudioFixtures.h"
#include "print/Printer.h"
#include "toolkit/Application.h"

namespace fs = std::filesystem;

namespace {
class MusicImport : public testing::Test {
protected:
    void SetUp() override {
        TApplication::SetTitle("Vellacour");
        RegisterJpegFormat();
        Form = std::make_unique<TfrmMain>(Printer());
    }

    // Confirms the words dialog, noting the track list it showed.
    DialogScript& Confirm(DialogScript& script) {
        return script.Then([this](QDialog& dialog) {
            Shown = dynamic_cast<TfrmText&>(dialog).mmTracks->toPlainText().toStdString();
            return int(QDialog::Accepted);
        });
    }

    TempDir Dir;
    std::unique_ptr<TfrmMain> Form;
    std::string Shown;
};
} // namespace

TEST_F(MusicImport, AnAlbumFolderFillsWordsAndPicturesInOneStep) {
    const std::string folder = Dir.File("Herbst");
    fs::create_directories(folder);
    WriteSilence(folder + "/02 - Nebel.wav", 2);
    WriteSilence(folder + "/01 - Laub.wav", 1);
    QImage(16, 16, QImage::Format_RGB32)
        .save(QString::fromStdString(folder + "/folder.jpg"), "JPG");

    // Cancelled in the words dialog, nothing changes.
    DialogScript script;
    script.Choose(folder).Cancel();
    Form->AusMusikordnerClick();
    EXPECT_TRUE(Form->Document.Text.Empty());
    EXPECT_FALSE(Form->Changed());

    Confirm(script.Choose(folder));
    Form->AusMusikordnerClick();
    EXPECT_NE(Shown.find("Laub"), std::string::npos) << Shown;
    ASSERT_EQ(Form->Document.Text.Tracks.size(), 2u);
    EXPECT_NE(Form->Document.Text.Tracks[0].find("Laub"), std::string::npos);
    EXPECT_NE(Form->Document.Text.Tracks[1].find("Nebel 0:02"), std::string::npos);
    EXPECT_EQ(Form->Document.Text.Title, "Herbst");
    EXPECT_EQ(Form->Document.Cover.File(), folder + "/folder.jpg");

    EXPECT_EQ(Form->Rueckgaengig->text(), QString::fromUtf8("&Rückgängig: Aus Musikordner"));
    Form->Rueckgaengig->trigger();
    EXPECT_TRUE(Form->Document.Text.Empty());
    EXPECT_TRUE(Form->Document.Cover.File().empty());
    EXPECT_EQ(script.Pending(), 0);
}

TEST_F(MusicImport, ACueSheetInWindows1252FillsTheTracks) {
    const std::string cue = Dir.File("live.cue");
    WriteFileText(
        cue, "PERFORMER \"Die B\xe4nde\"\r\nTITLE \"Caf\xe9 live\"\r\nFILE \"live.wav\" WAVE\r\n"
             "  TRACK 01 AUDIO\r\n    TITLE \"Auftakt\"\r\n    INDEX 01 00:00:00\r\n"
             "  TRACK 02 AUDIO\r\n    TITLE \"Zugabe\"\r\n    INDEX 01 01:30:00\r\n");
    WriteSilence(Dir.File("live.wav"), 100);
    DialogScript script;
    Confirm(script.Choose(cue));
    Form->AusCueDateiClick();
    ASSERT_EQ(Form->Document.Text.Tracks.size(), 2u) << Shown;
    EXPECT_NE(Form->Document.Text.Tracks[0].find("Auftakt 1:30"), std::string::npos);
    EXPECT_NE(Form->Document.Text.Tracks[1].find("Zugabe 0:10"), std::string::npos);
    EXPECT_EQ(Form->Document.Text.Title, "Café live");
    EXPECT_EQ(Form->Document.Text.Spine, "Die Bände – Café live");
    EXPECT_EQ(script.Pending(), 0);
}

TEST_F(MusicImport, EmbeddedArtIsSavedBesideTheLayoutAndTravelsWithItsFolder) {
    const std::string album = Dir.File("Platte");
    fs::create_directories(album);
    const std::string art = Dir.File("art.jpg");
    MakePicture(art, 24, 24);
    if (!MakeAudio(album + "/01.flac", {"Eins", "Band", "Platte", "", 1, 0}, art))
        GTEST_SKIP() << "flac is not installed";

    DialogScript script;
    Confirm(script.Choose(album));
    Form->AusMusikordnerClick();
    ASSERT_TRUE(Form->Document.Cover.Held);
    EXPECT_EQ(Form->Document.Cover.Held->Extension, "jpg");
    EXPECT_EQ(Form->Document.Cover.Held->Origin, "Cover-Bild aus 01.flac");

    const std::string layoutFolder = Dir.File("Layouts");
    fs::create_directories(layoutFolder);
    Form->SaveCover(layoutFolder + "/platte.vco");
    const std::string saved = Form->Document.Cover.File();
    EXPECT_TRUE(fs::exists(fs::path(layoutFolder) / saved)) << saved;

    // The folder copied whole elsewhere opens with its picture.
    const std::string copy = Dir.File("Kopie");
    fs::copy(layoutFolder, copy, fs::copy_options::recursive);
    fs::remove_all(layoutFolder);
    Form->LoadCover(copy + "/platte.vco");
    EXPECT_EQ(Form->Document.Cover.Resolved, copy + "/" + saved);
    EXPECT_FALSE(Form->Document.Cover.Missing);
    EXPECT_EQ(script.Pending(), 0);
}
