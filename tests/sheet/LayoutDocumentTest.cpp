// The layout document as a whole: one read and one replacement of the file, every byte of
// what it does not change kept, and entries rebased when the layout is saved elsewhere.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "sheet/LayoutDocument.h"
#include "toolkit/Application.h"
#include "toolkit/Errors.h"
#include "toolkit/SafeFile.h"

namespace {
class LayoutDocument : public testing::Test {
protected:
    void SetUp() override { TApplication::SetTitle("Vellacour"); }
    void TearDown() override {
        SetOpenHook(nullptr);
        SetBeforeRenameHook(nullptr);
    }
    TempDir Dir;
};

// Counts the opens of one file and every replacement while it lives.
class FileCounter {
public:
    explicit FileCounter(std::string path) : Path(std::move(path)) {
        SetOpenHook([this](const std::string& opened) { Opens += opened == Path; });
        SetBeforeRenameHook([this](const std::string&) { ++Replacements; });
    }
    ~FileCounter() {
        SetOpenHook(nullptr);
        SetBeforeRenameHook(nullptr);
    }
    FileCounter(const FileCounter&) = delete;
    FileCounter& operator=(const FileCounter&) = delete;
    int Opens = 0;
    int Replacements = 0;

private:
    std::string Path;
};

// Every key of both sections, with values that are odd but each in the form the program
// writes, among lines of other programs, in CR LF.
const std::string EveryKey =
    "; von Hand\r\n[Vellacour]\r\ncover=\"  Cover mit Leerzeichen.jpg  \"\r\n"
    "back=../Bilder/Rück=seite;1.png\r\ncoverMode=FILL\r\ncoverView=0;0;10000;10000\r\n"
    "coverTurn=270\r\nbackMode=zoom\r\nbackView=1;2;3\r\nbackTurn=90\r\nbleed=30\r\n"
    "arrangement=Stacked\r\nfremd=bleibt\r\ndisc=Etikett.png\r\ndiscMode=fill\r\n"
    "discView=0;0;5000;5000\r\ndiscTurn=180\r\ndiscOuter=1180\r\ndiscHole=zwei\r\n"
    "discColor=#102030\r\ndiscOverprint=0\r\n[Beschriftung]\r\nspine=\"'Rücken'\"\r\n"
    "spineDirection=down\r\ntitle=; kein Kommentar\r\ntitlePosition=bottom\r\n"
    "spineFont=Liberation Serif\r\nspineSize=12\r\nspineColor=#a0b1c2\r\nspineBold=1\r\n"
    "spineBand=translucent\r\ntitleFont=\r\ntitleSize=auto\r\ntitleColor=#000000\r\n"
    "titleBold=0\r\ntitleBand=black\r\ntracksFont=DejaVu Sans\r\ntracksSize=72\r\n"
    "tracksColor=#ffffff\r\ntracksBold=0\r\ntracksBand=white\r\ntrack1=Eins = 1\r\n"
    "track2=\r\ntrack3=[Drei]\r\ndiscTitle=Über den Rand\r\ndiscSubtitle=\r\n"
    "discTitleFont=Liberation Sans\r\ndiscTitleSize=20\r\ndiscTitleColor=#ff0000\r\n"
    "discTitleBold=1\r\ndiscSubtitleFont=\r\ndiscSubtitleSize=auto\r\n"
    "discSubtitleColor=#000000\r\ndiscSubtitleBold=0\r\ndiscLinesFont=\r\n"
    "discLinesSize=7\r\ndiscLinesColor=#000000\r\ndiscLinesBold=0\r\ndiscLine1=\r\n"
    "discLine2=Zwei = 2\r\n[Andere]\r\ncover=nicht unsere\r\n";
} // namespace

TEST_F(LayoutDocument, ReadingSavingAndComparingEachOpenTheFileOnce) {
    const std::string file = Dir.File("l.vco");
    WriteFileText(file, EveryKey);
    FileCounter counter(file);
    TLayoutDocument document = ReadLayoutDocument(file);
    EXPECT_EQ(counter.Opens, 1);
    EXPECT_FALSE(LayoutChanged(file, document));
    EXPECT_EQ(counter.Opens, 2);
    // Pictures, placements, settings and words all go into the one replacement.
    document.Cover.Entry = "/neu.bmp";
    document.Placements.Back.Placement.Turn = 180;
    document.Settings.Bleed.Set(0);
    document.Text.Tracks = {"Eins"};
    WriteLayoutDocument(file, document);
    EXPECT_EQ(counter.Opens, 3);
    EXPECT_EQ(counter.Replacements, 1);
    const TLayoutDocument read = ReadLayoutDocument(file);
    EXPECT_EQ(read.Cover.File(), "/neu.bmp");
    EXPECT_EQ(read.Placements.Back.Placement.Turn, 180);
    EXPECT_EQ(read.Settings.Bleed.Value, 0);
    EXPECT_EQ(read.Text.Tracks, std::vector<std::string>{"Eins"});
    // The disc label's keys come along, the unreadable hole as it stood.
    EXPECT_EQ(read.Disc.File(), "Etikett.png");
    EXPECT_EQ(read.Placements.Disc.Placement,
              (TPartPlacement{TPlacementMode::Fill, TPlacementView{0, 0, 5000, 5000}, 180}));
    EXPECT_EQ(read.DiscSettings.Outer.Value, 1180);
    EXPECT_EQ(read.DiscSettings.Hole.Value, 410);
    EXPECT_EQ(read.DiscSettings.Hole.Unread, "zwei");
    EXPECT_EQ(read.DiscSettings.Background.Value, QColor(0x10, 0x20, 0x30));
    EXPECT_EQ(read.DiscSettings.Overprint.Value, 0);
    EXPECT_EQ(read.DiscText.Title, "Über den Rand");
    EXPECT_EQ(read.DiscText.TitleStyle, (TTextStyle{"Liberation Sans", 20, Qt::red, true}));
    EXPECT_EQ(read.DiscText.LinesStyle.Points, 7);
    EXPECT_EQ(read.DiscText.Lines, (std::vector<std::string>{"", "Zwei = 2"}));
}

TEST_F(LayoutDocument, SavingWhatWasReadKeepsEveryByte) {
    const std::string cases[] = {
        EveryKey,
        "[Vellacour]\ncover=/a.bmp\nback=/b.bmp\n",
        "[Vellacour]\r\ncover=\r\nback=\r\n",
        "[Vellacour]\ncover=vorne.jpg\nback=\n[Sonst]\nx=1",
        "[Vellacour]\ncover=\nback=\ndisc=/etikett.bmp\ndiscTurn=90\n",
        "[Vellacour]\ncover=\nback=\ndiscOuter=1201\ndiscColor=weiß\n",
    };
    const std::string file = Dir.File("l.vco");
    for (const std::string& text : cases) {
        SCOPED_TRACE(text);
        WriteFileText(file, text);
        const TLayoutDocument read = ReadLayoutDocument(file);
        const TLayoutDocument written = WriteLayoutDocument(file, read);
        EXPECT_EQ(ReadFileText(file), text);
        EXPECT_EQ(written, read) << "the file holds what was read";
        EXPECT_FALSE(LayoutChanged(file, written));
        // Saved as a new file, it reads back as the same document.
        const std::string copy = Dir.File("kopie.vco");
        WriteLayoutDocument(copy, read);
        EXPECT_EQ(ReadLayoutDocument(copy), read);
        fs::remove(copy);
    }
}

// Another program edits the file while the layout is open: its lines stay, in both
// sections and beside them, and only the document's own keys change.
TEST_F(LayoutDocument, LinesAnotherProgramWroteSinceReadingAreKept) {
    const std::string file = Dir.File("l.vco");
    WriteFileText(file, "[Vellacour]\ncover=/a.bmp\nback=/b.bmp\n");
    TLayoutDocument document = ReadLayoutDocument(file);
    WriteFileText(file, "; Notiz\n[Vellacour]\ncover=/a.bmp\nnotiz=fremd\nback=/b.bmp\n"
                        "coverTurn=90\n[Beschriftung]\nspineKerning=2\n[Andere]\nk=v\n");
    document.Back.Entry = "/c.bmp";
    document.Text.Title = "Titel";
    WriteLayoutDocument(file, document);
    const std::string saved = ReadFileText(file);
    for (const char* line :
         {"; Notiz\n[Vellacour]\ncover=/a.bmp\nnotiz=fremd\nback=/c.bmp\n",
          "[Beschriftung]\nspineKerning=2\n", "title=Titel\n", "[Andere]\nk=v\n"})
        EXPECT_NE(saved.find(line), std::string::npos) << line << " missing from\n" << saved;
    // A placement the document holds at its default is removed, whoever wrote it.
    EXPECT_EQ(saved.find("coverTurn"), std::string::npos) << saved;
}

// Saved into another folder, a relative entry names the same file from there; absolute
// entries, Windows paths and empty entries stay as they are.
TEST_F(LayoutDocument, EntriesAreRebasedWhenSavedIntoAnotherFolder) {
    const std::string root = Dir.Path().lexically_normal().string();
    const struct {
        const char* Entry;
        const char* NewFile; // from the old layout's folder
        std::string Rebased;
    } cases[] = {
        {"bilder/vorne.jpg", "cd/neu.vco", "../bilder/vorne.jpg"},
        {"bilder/vorne.jpg", "../neu.vco", "alt/bilder/vorne.jpg"},
        {"bilder/vorne.jpg", "bilder/neu.vco", "vorne.jpg"},
        {"bilder/vorne.jpg", "tief/neu.vco", "../bilder/vorne.jpg"},
        {"../vorne.jpg", "cd/x/neu.vco", "../../../vorne.jpg"},
        {"./bilder/../vorne.jpg", "bilder/neu.vco", "../vorne.jpg"},
        {"bilder/vorne.jpg", "anders.vco", "bilder/vorne.jpg"},
        {"./bilder/../vorne.jpg", "anders.vco", "./bilder/../vorne.jpg"},
        {"/bilder/vorne.jpg", "cd/neu.vco", "/bilder/vorne.jpg"},
        {"C:\\Bilder\\vorne.jpg", "cd/neu.vco", "C:\\Bilder\\vorne.jpg"},
        {"\\\\server\\vorne.jpg", "cd/neu.vco", "\\\\server\\vorne.jpg"},
        {"", "cd/neu.vco", ""},
    };
    const std::string oldFile = Dir.File("alt/l.vco");
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Entry) + " -> " + c.NewFile);
        TLayoutDocument document;
        document.Cover.Entry = c.Entry;
        document.Cover.Resolved = root + "/alt/" + c.Entry;
        document.Back.Entry = std::nullopt;
        const TLayoutDocument rebased =
            RebasedDocument(document, oldFile, Dir.File("alt/" + std::string(c.NewFile)));
        EXPECT_EQ(rebased.Cover.Entry, c.Rebased);
        EXPECT_EQ(rebased.Cover.Resolved, document.Cover.Resolved);
        EXPECT_EQ(rebased.Back.Entry, std::nullopt);
    }
}

// A layout saved from a relative path into another folder still finds its pictures there.
TEST_F(LayoutDocument, ARebasedLayoutFindsItsPicturesFromItsNewFolder) {
    fs::create_directories(Dir.Path() / "alt" / "bilder");
    fs::create_directories(Dir.Path() / "neu");
    WriteBmp(Dir.File("alt/bilder/vorne.bmp"), 2, 2, 0xFF0000);
    const std::string oldFile = Dir.File("alt/l.vco");
    WriteFileText(oldFile, "[Vellacour]\ncover=bilder/vorne.bmp\nback=\n");
    TLayoutDocument document = ReadLayoutDocument(oldFile);
    const std::string newFile = Dir.File("neu/l.vco");
    WriteLayoutDocument(newFile, RebasedDocument(document, oldFile, newFile));
    EXPECT_EQ(ReadFileText(newFile), "[Vellacour]\ncover=../alt/bilder/vorne.bmp\nback=\n");
    TLayoutDocument moved = ReadLayoutDocument(newFile);
    const TPicturesFound found = LocatePictures(moved, newFile);
    EXPECT_FALSE(found.CoverMoved);
    EXPECT_FALSE(moved.Cover.Missing);
    EXPECT_TRUE(fs::equivalent(moved.Cover.Resolved, Dir.File("alt/bilder/vorne.bmp")));
}

// Held pictures become files beside the layout named after their content: another picture
// gets another name and leaves the first file alone, the same picture (an undone step saved
// again) finds its file, and a stranger's file that has taken the name is never overwritten.
TEST_F(LayoutDocument, HeldPicturesAreSavedBesideTheLayoutUnderTheirContent) {
    fs::create_directories(Dir.Path() / "cd");
    const std::string layout = Dir.File("cd/Album.vco");
    const std::string firstName = "Album." + PictureHash("erstes") + ".png";
    const std::string secondName = "Album." + PictureHash("zweites") + ".jpg";
    // Someone else's file under the name the third picture would get first.
    const std::string thirdName = "Album." + PictureHash("drittes") + ".png";
    WriteFileText(Dir.File("cd/" + thirdName), "fremd");
    const struct {
        const char* Bytes;
        const char* Extension;
        std::string Entry;
    } saves[] = {
        {"erstes", "png", firstName},
        {"zweites", "JPG", secondName},
        {"erstes", "png", firstName},
        {"drittes", "png", "Album." + PictureHash("drittes") + "-2.png"},
    };
    for (const auto& save : saves) {
        SCOPED_TRACE(save.Bytes);
        TLayoutDocument document;
        document.Cover = HeldLayoutPicture(save.Bytes, save.Extension, "eingefügt");
        EXPECT_TRUE(LayoutChanged(layout, document));
        const TLayoutDocument saved = SaveLayoutDocument(layout, document);
        EXPECT_EQ(saved.Cover.Entry, save.Entry);
        EXPECT_EQ(saved.Cover.Held, nullptr);
        EXPECT_TRUE(saved.Cover.Made);
        EXPECT_TRUE(fs::equivalent(saved.Cover.Resolved, Dir.File("cd/" + save.Entry)));
        EXPECT_EQ(ReadFileText(Dir.File("cd/" + save.Entry)), save.Bytes);
        EXPECT_EQ(ReadFileText(layout),
                  "[Vellacour]\ncover=" + save.Entry + "\nback=\nmade=cover\n");
        EXPECT_FALSE(LayoutChanged(layout, saved));
    }
    EXPECT_EQ(ReadFileText(Dir.File("cd/" + firstName)), "erstes");
    EXPECT_EQ(ReadFileText(Dir.File("cd/" + thirdName)), "fremd");
    EXPECT_EQ(std::distance(fs::directory_iterator(Dir.Path() / "cd"), fs::directory_iterator()),
              5);
}

// A layout that cannot be written leaves no picture files made for it, and says so as a
// layout write always does.
TEST_F(LayoutDocument, AFailedLayoutWriteLeavesNoPictureFiles) {
    fs::create_directories(Dir.Path() / "cd" / "Album.vco");
    TLayoutDocument document;
    document.Cover = HeldLayoutPicture("vorne", "png", "eingefügt");
    document.Disc = HeldLayoutPicture("disc", "jpg", "eingebettet");
    EXPECT_THROW(SaveLayoutDocument(Dir.File("cd/Album.vco"), document), EIniFileException);
    for (const auto& entry : fs::directory_iterator(Dir.Path() / "cd"))
        EXPECT_EQ(entry.path().filename(), "Album.vco");
}

// Pictures the program made go with their layout: a folder copied whole reopens with them,
// and saving into another folder copies them there (other relative entries are rebased).
TEST_F(LayoutDocument, MadePicturesTravelWithTheirLayout) {
    fs::create_directories(Dir.Path() / "alt" / "bilder");
    fs::create_directories(Dir.Path() / "neu");
    WriteBmp(Dir.File("alt/bilder/hinten.bmp"), 2, 2, 0xFF0000);
    const std::string oldFile = Dir.File("alt/Album.vco");
    const std::string name = "Album." + PictureHash("vorne") + ".bmp";
    TLayoutDocument document;
    document.Cover = HeldLayoutPicture("vorne", "bmp", "eingebettet");
    document.Back.Entry = "bilder/hinten.bmp";
    document.Back.Resolved = Dir.File("alt/bilder/hinten.bmp");
    const TLayoutDocument saved = SaveLayoutDocument(oldFile, document);

    fs::copy(Dir.Path() / "alt", Dir.Path() / "kopie", fs::copy_options::recursive);
    TLayoutDocument copied = ReadLayoutDocument(Dir.File("kopie/Album.vco"));
    LocatePictures(copied, Dir.File("kopie/Album.vco"));
    EXPECT_TRUE(copied.Cover.Made);
    EXPECT_FALSE(copied.Back.Made);
    EXPECT_TRUE(fs::equivalent(copied.Cover.Resolved, Dir.File("kopie/" + name)));
    EXPECT_TRUE(fs::equivalent(copied.Back.Resolved, Dir.File("kopie/bilder/hinten.bmp")));

    const std::string newFile = Dir.File("neu/Anders.vco");
    const TLayoutDocument moved = SaveLayoutDocument(newFile, saved, oldFile);
    EXPECT_EQ(ReadFileText(newFile),
              "[Vellacour]\ncover=" + name + "\nback=../alt/bilder/hinten.bmp\nmade=cover\n");
    EXPECT_EQ(ReadFileText(Dir.File("neu/" + name)), "vorne");
    EXPECT_TRUE(fs::equivalent(moved.Cover.Resolved, Dir.File("neu/" + name)));
    EXPECT_EQ(ReadFileText(Dir.File("alt/" + name)), "vorne");

    // A step of the history still names the picture in the old folder: saved, it is
    // brought beside the layout too.
    fs::remove(Dir.File("neu/" + name));
    const TLayoutDocument undone = RebasedDocument(saved, oldFile, newFile);
    ASSERT_EQ(undone.Cover.Entry, "../alt/" + name);
    SaveLayoutDocument(newFile, undone, newFile);
    EXPECT_EQ(ReadFileText(Dir.File("neu/" + name)), "vorne");
    EXPECT_EQ(ReadFileText(newFile),
              "[Vellacour]\ncover=" + name + "\nback=../alt/bilder/hinten.bmp\nmade=cover\n");
}
