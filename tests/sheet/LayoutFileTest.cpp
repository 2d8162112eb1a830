#include <gtest/gtest.h>
#include <sys/stat.h>

#include "TestSupport.h"
#include "sheet/LayoutDocument.h"
#include "toolkit/Application.h"
#include "toolkit/Errors.h"
#include "toolkit/IniFile.h"

namespace {
class LayoutFile : public testing::Test {
protected:
    void SetUp() override { TApplication::SetTitle("Vellacour"); }
    TempDir Dir;
};

TPlacementRecord Record(TPartPlacement placement, TPlacementEntries read = {}) {
    return {placement, std::move(read)};
}

// A document naming two pictures, with placements and sheet settings.
TLayoutDocument Document(const std::string& cover, const std::string& back,
                         const TLayoutPlacements& placements = {},
                         const TSheetSettings& settings = {}) {
    TLayoutDocument document;
    document.Cover.Entry = cover;
    document.Back.Entry = back;
    document.Placements = placements;
    document.Settings = settings;
    return document;
}

// The file's pictures' entries as saved.
std::pair<std::string, std::string> Pictures(const std::string& file) {
    const TLayoutDocument document = ReadLayoutDocument(file);
    return {document.Cover.File(), document.Back.File()};
}
} // namespace

TEST_F(LayoutFile, NewFileHasSectionAndBothKeysEvenWhenEmpty) {
    const std::string file = Dir.File("neu.vco");
    WriteLayoutDocument(file, Document("/bilder/vorne.jpg", ""));
    EXPECT_EQ(ReadFileText(file), "[Vellacour]\ncover=/bilder/vorne.jpg\nback=\n");
    WriteLayoutDocument(file, Document("", ""));
    EXPECT_EQ(ReadFileText(file), "[Vellacour]\ncover=\nback=\n");
}

TEST_F(LayoutFile, SavingOverAnotherIniFileKeepsEverythingElse) {
    const std::string file = Dir.File("andere.ini");
    WriteFileText(file, "; Einstellungen\r\n[Allgemein]\r\nSprache=de\r\n\r\n[VELLACOUR]\r\n"
                        "Cover=/alt.bmp\r\nNotiz=bleibt\r\n");
    WriteLayoutDocument(file, Document("/neu.bmp", "/rueck.bmp"));
    EXPECT_EQ(ReadFileText(file), "; Einstellungen\r\n[Allgemein]\r\nSprache=de\r\n\r\n"
                                  "[VELLACOUR]\r\nCover=/neu.bmp\r\nNotiz=bleibt\r\n"
                                  "back=/rueck.bmp\r\n");
    EXPECT_EQ(Pictures(file), (std::pair<std::string, std::string>("/neu.bmp", "/rueck.bmp")));
}

TEST_F(LayoutFile, MissingSectionOrKeyReadsAsNoEntry) {
    EXPECT_EQ(ParseLayoutDocument(TIniText()), TLayoutDocument{});
    EXPECT_EQ(ParseLayoutDocument(TIniText("[Anderes]\ncover=/x.bmp\n")), TLayoutDocument{});
    const TLayoutDocument document = ParseLayoutDocument(TIniText("[vellacour]\nBACK=/r.bmp\n"));
    EXPECT_EQ(document.Cover.Entry, std::nullopt);
    EXPECT_EQ(document.Back.Entry, "/r.bmp");
}

// A file that cannot be written, and a path that would not read back whole, fail with the
// file's name and leave it as it was.
TEST_F(LayoutFile, UnwritableFileOrTooLongPathFailsWithItsNameAndStaysUnchanged) {
    const std::string before = "[Vellacour]\ncover=/a.bmp\nback=/b.bmp\n";
    const std::string longest = "/" + std::string(IniMaxValueLength - 5, 'x') + ".bmp";
    const struct {
        const char* Why;
        bool ReadOnly;
        TLayoutDocument Document;
    } cases[] = {
        {"read-only", true, Document("/c.bmp", "/d.bmp")},
        {"cover too long", false, Document(longest + "x", "/d.bmp")},
        {"back too long", false, Document("/c.bmp", longest + "x")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Why);
        const std::string file = Dir.File(std::string(c.Why) + ".vco");
        WriteFileText(file, before);
        if (c.ReadOnly)
            chmod(file.c_str(), 0444);
        try {
            WriteLayoutDocument(file, c.Document);
            ADD_FAILURE() << "no error";
        } catch (const EIniFileException& error) {
            EXPECT_EQ(std::string(error.what()), "nach " + file + " kann nicht geschrieben werden");
        }
        EXPECT_EQ(ReadFileText(file), before);
    }
    // The longest path a layout reads back is written.
    const std::string file = Dir.File("lang.vco");
    WriteLayoutDocument(file, Document(longest, ""));
    EXPECT_EQ(ReadLayoutDocument(file).Cover.File(), longest);
    EXPECT_THROW(WriteLayoutDocument(Dir.File("fehlt/x.vco"), {}), EIniFileException);
}

TEST_F(LayoutFile, ChangeDetection) {
    EXPECT_FALSE(LayoutChanged("", {}));
    EXPECT_TRUE(LayoutChanged("", Document("/a.bmp", "")));
    EXPECT_TRUE(LayoutChanged("", Document("", "/b.bmp")));
    const std::string file = Dir.File("l.vco");
    WriteLayoutDocument(file, Document("/a.bmp", "/b.bmp"));
    EXPECT_FALSE(LayoutChanged(file, Document("/a.bmp", "/b.bmp")));
    EXPECT_TRUE(LayoutChanged(file, Document("/A.bmp", "/b.bmp"))) << "letter case counts";
    EXPECT_TRUE(LayoutChanged(file, Document("/a.bmp", "")));
    // Read afresh every time: edited or deleted behind the program's back.
    WriteFileText(file, "[Vellacour]\ncover=/a.bmp\nback=/c.bmp\n");
    EXPECT_TRUE(LayoutChanged(file, Document("/a.bmp", "/b.bmp")));
    std::remove(file.c_str());
    EXPECT_TRUE(LayoutChanged(file, Document("/a.bmp", "/b.bmp")));
    EXPECT_FALSE(LayoutChanged(file, {}));

    // Placements count by what they mean, not by the text they were read from.
    WriteFileText(file, "[Vellacour]\ncover=\nback=\ncoverMode=FILL\n");
    TLayoutDocument document = ReadLayoutDocument(file);
    document.Placements.Cover.Read = {};
    EXPECT_FALSE(LayoutChanged(file, document));
    document.Placements.Cover.Placement.Mode = TPlacementMode::Fit;
    EXPECT_TRUE(LayoutChanged(file, document));
    // Words count too, titled or not.
    TLayoutDocument words;
    words.Text.Title = "Titel";
    EXPECT_TRUE(LayoutChanged("", words));
    EXPECT_TRUE(LayoutChanged(file, words));
}

// Every placement key read back as written; only settings away from the default are
// stored, and one set back to the default is removed again.
TEST_F(LayoutFile, PlacementKeysRoundTrip) {
    const std::string file = Dir.File("p.vco");
    const TPartPlacement cover{TPlacementMode::Fill, TPlacementView{2500, 0, 5000, 10000}, 90};
    const TPartPlacement back{TPlacementMode::Fit, std::nullopt, 270};
    WriteLayoutDocument(file, Document("/a.jpg", "/b.jpg", {Record(cover), Record(back), {}}));
    EXPECT_EQ(ReadFileText(file), "[Vellacour]\ncover=/a.jpg\nback=/b.jpg\ncoverMode=fill\n"
                                  "coverView=2500;0;5000;10000\ncoverTurn=90\nbackMode=fit\n"
                                  "backTurn=270\n");
    TLayoutPlacements read = ReadLayoutDocument(file).Placements;
    EXPECT_EQ(read.Cover.Placement, cover);
    EXPECT_EQ(read.Back.Placement, back);
    EXPECT_FALSE(LayoutChanged(file, Document("/a.jpg", "/b.jpg", read)));

    // The window stays while the mode is not fill; the rest goes back to the default.
    read.Cover.Placement.Mode = TPlacementMode::Stretch;
    read.Cover.Placement.Turn = 0;
    read.Back.Placement = {};
    EXPECT_TRUE(LayoutChanged(file, Document("/a.jpg", "/b.jpg", read)));
    WriteLayoutDocument(file, Document("/a.jpg", "/b.jpg", read));
    EXPECT_EQ(ReadFileText(file),
              "[Vellacour]\ncover=/a.jpg\nback=/b.jpg\ncoverView=2500;0;5000;10000\n");
    EXPECT_EQ(ReadLayoutDocument(file).Placements.Cover.Placement.View, cover.View);
}

// A layout without placement keys saves byte for byte as before, whatever its line ends,
// spacing or other keys.
TEST_F(LayoutFile, ALayoutWithoutPlacementsSavesUnchanged) {
    const std::string file = Dir.File("alt.vco");
    const std::string text = "[Vellacour]\r\ncover=/a.bmp\r\nback=/b.bmp\r\n[Sonst]\r\nx=1\r\n";
    WriteFileText(file, text);
    const TLayoutDocument document = ReadLayoutDocument(file);
    WriteLayoutDocument(file, document);
    EXPECT_EQ(ReadFileText(file), text);
    EXPECT_FALSE(LayoutChanged("", Document("", "", document.Placements)));
    TLayoutPlacements fitted;
    fitted.Cover.Placement.Mode = TPlacementMode::Fit;
    EXPECT_TRUE(LayoutChanged("", Document("", "", fitted)));
}

// What cannot be read counts as the default, never stops the layout, and stays in the file
// as it was until that setting is changed.
TEST_F(LayoutFile, UnreadablePlacementValuesAreDefaultsKeptUntilChanged) {
    const struct {
        const char* Key;
        const char* Value;
    } malformed[] = {
        {"coverMode", "zoom"},
        {"coverMode", ""},
        {"coverView", "1;2;3"},
        {"coverView", "1;2;3;4;5"},
        {"coverView", "0;0;0;10000"},
        {"coverView", "5000;0;6000;10000"},
        {"coverView", "-1;0;100;100"},
        {"coverView", "a;0;100;100"},
        {"coverView", "0;0;100;1e4"},
        {"coverTurn", "45"},
        {"coverTurn", "-90"},
        {"coverTurn", "90.0"},
        {"discMode", "zoom"},
        {"discView", "1;2;3"},
        {"discTurn", "45"},
    };
    for (const auto& m : malformed) {
        SCOPED_TRACE(std::string(m.Key) + "=" + m.Value);
        const std::string file = Dir.File("m.vco");
        const std::string text =
            std::string("[Vellacour]\ncover=/a.bmp\nback=\n") + m.Key + "=" + m.Value + "\n";
        WriteFileText(file, text);
        TLayoutPlacements read = ReadLayoutDocument(file).Placements;
        EXPECT_EQ(read.Cover.Placement, TPartPlacement{});
        EXPECT_EQ(read.Disc.Placement, TPartPlacement{});
        EXPECT_FALSE(LayoutChanged(file, Document("/a.bmp", "", read)));
        WriteLayoutDocument(file, Document("/a.bmp", "", read));
        EXPECT_EQ(ReadFileText(file), text);
        // Saved as another file, it goes along unchanged as well.
        WriteLayoutDocument(Dir.File("kopie.vco"), Document("/a.bmp", "", read));
        EXPECT_EQ(ReadFileText(Dir.File("kopie.vco")), text);
        std::remove(Dir.File("kopie.vco").c_str());
        read.Cover.Placement = {TPlacementMode::Fill, TPlacementView{0, 0, 10000, 10000}, 180};
        WriteLayoutDocument(file, Document("/a.bmp", "", read));
        EXPECT_EQ(ReadLayoutDocument(file).Placements.Cover.Placement, read.Cover.Placement);
    }
    // Letter case does not matter to names, as for every key of a layout.
    const std::string file = Dir.File("gross.vco");
    WriteFileText(file, "[Vellacour]\nCOVERMODE=FILL\nbackturn=180\n");
    EXPECT_EQ(ReadLayoutDocument(file).Placements.Cover.Placement.Mode, TPlacementMode::Fill);
    EXPECT_EQ(ReadLayoutDocument(file).Placements.Back.Placement.Turn, 180);
}

TEST_F(LayoutFile, SheetSettingsAreStoredOnlyWhenNotTheDefault) {
    const std::string file = Dir.File("bogen.vco");
    const std::string plain = "[Vellacour]\r\ncover=/a.bmp\r\nback=/b.bmp\r\n";
    WriteFileText(file, plain);
    TSheetSettings settings = ReadLayoutDocument(file).Settings;
    EXPECT_EQ(settings, TSheetSettings{});
    WriteLayoutDocument(file, Document("/a.bmp", "/b.bmp", {}, settings));
    EXPECT_EQ(ReadFileText(file), plain) << "a layout without them saves as it was";

    settings.Bleed.Set(25);
    settings.Arrangement.Set(TArrangement::Stacked);
    WriteLayoutDocument(file, Document("/a.bmp", "/b.bmp", {}, settings));
    EXPECT_EQ(ReadFileText(file), plain + "bleed=25\r\narrangement=stacked\r\n");
    EXPECT_EQ(ReadLayoutDocument(file).Settings, settings);
    EXPECT_FALSE(LayoutChanged(file, Document("/a.bmp", "/b.bmp", {}, settings)));
    EXPECT_TRUE(LayoutChanged(file, Document("/a.bmp", "/b.bmp", {}, {})));

    // Set back to the defaults, the keys go.
    WriteLayoutDocument(file, Document("/a.bmp", "/b.bmp", {}, {}));
    EXPECT_EQ(ReadFileText(file), plain);
}

TEST_F(LayoutFile, UnreadableSettingsReadAsDefaultAndStayUntilChanged) {
    const std::string file = Dir.File("bogen.vco");
    const struct {
        const char* Line;
        TSheetLayout Layout;
    } cases[] = {
        {"bleed=30", {TArrangement::Side, 30}},
        {"bleed=0", {TArrangement::Side, 0}},
        {"bleed=31", {}},
        {"bleed=-1", {}},
        {"bleed=1.5", {}},
        {"bleed=", {}},
        {"bleed=2mm", {}},
        {"arrangement=stacked", {TArrangement::Stacked, 0}},
        {"ARRANGEMENT=side", {}},
        {"arrangement=Stacked", {}},
        {"arrangement=oben", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Line);
        const std::string text = std::string("[Vellacour]\ncover=\nback=\n") + c.Line + "\n";
        WriteFileText(file, text);
        TSheetSettings settings = ReadLayoutDocument(file).Settings;
        EXPECT_EQ(settings.Layout(), c.Layout);
        EXPECT_FALSE(LayoutChanged(file, Document("", "", {}, settings)));
        WriteLayoutDocument(file, Document("", "", {}, settings));
        const bool unread = settings.Bleed.Unread || settings.Arrangement.Unread;
        if (unread) {
            EXPECT_EQ(ReadFileText(file), text) << "kept as it was";
        }
        // Once the user chooses, the chosen value replaces the unread one.
        settings.Bleed.Set(10);
        settings.Arrangement.Set(TArrangement::Stacked);
        WriteLayoutDocument(file, Document("", "", {}, settings));
        EXPECT_EQ(ReadLayoutDocument(file).Settings.Layout(),
                  (TSheetLayout{TArrangement::Stacked, 10}));
    }
}

// The disc label's settings: read when in range, else the default with the text kept until
// the user sets that value; a default is not stored.
TEST_F(LayoutFile, DiscSettingsReadInRangeAndUnreadableOnesStayUntilChanged) {
    const std::string file = Dir.File("disc.vco");
    const struct {
        const char* Line;
        int Outer, Hole;
        QColor Colour;
        int Overprint;
        bool Unread;
    } cases[] = {
        {"discOuter=1000", 1000, 410, Qt::white, 10, false},
        {"discOuter=1200", 1200, 410, Qt::white, 10, false},
        {"discOuter=999", 1170, 410, Qt::white, 10, true},
        {"discOuter=120mm", 1170, 410, Qt::white, 10, true},
        {"discHole=150", 1170, 150, Qt::white, 10, false},
        {"discHole=451", 1170, 410, Qt::white, 10, true},
        {"discColor=#0000ff", 1170, 410, Qt::blue, 10, false},
        {"discColor=blue", 1170, 410, Qt::white, 10, true},
        {"discColor=#00f", 1170, 410, Qt::white, 10, true},
        {"discOverprint=0", 1170, 410, Qt::white, 0, false},
        {"discOverprint=20", 1170, 410, Qt::white, 20, false},
        {"discOverprint=21", 1170, 410, Qt::white, 10, true},
        {"discOverprint=1.5", 1170, 410, Qt::white, 10, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Line);
        const std::string text = std::string("[Vellacour]\ncover=\nback=\n") + c.Line + "\n";
        WriteFileText(file, text);
        TLayoutDocument document = ReadLayoutDocument(file);
        const TDiscLabel label = document.DiscLabel();
        EXPECT_EQ(label.Outer, c.Outer);
        EXPECT_EQ(label.Hole, c.Hole);
        EXPECT_EQ(label.Background, c.Colour);
        EXPECT_EQ(document.DiscSettings.Overprint.Value, c.Overprint);
        const TDiscSettings& read = document.DiscSettings;
        EXPECT_EQ(read.Outer.Unread || read.Hole.Unread || read.Background.Unread ||
                      read.Overprint.Unread,
                  c.Unread);
        WriteLayoutDocument(file, document);
        EXPECT_EQ(ReadFileText(file), text) << "kept as it stood";
        EXPECT_FALSE(LayoutChanged(file, document));
        document.DiscSettings.Outer.Set(1150);
        document.DiscSettings.Hole.Set(DiscLimits::DefaultHole);
        document.DiscSettings.Background.Set(QColor(0x12, 0x34, 0x56));
        document.DiscSettings.Overprint.Set(DiscLimits::DefaultSheetOverprint);
        EXPECT_TRUE(LayoutChanged(file, document));
        WriteLayoutDocument(file, document);
        // The changed values replace the unread text; the defaults are not stored.
        const std::string saved = ReadFileText(file);
        EXPECT_EQ(saved.size(), text.size() - std::string(c.Line).size() + 32) << saved;
        for (const char* line : {"discOuter=1150\n", "discColor=#123456\n"})
            EXPECT_NE(saved.find(line), std::string::npos) << saved;
        EXPECT_EQ(ReadLayoutDocument(file).DiscSettings, document.DiscSettings);
    }
}

TEST_F(LayoutFile, CaseKeysReadAsTheirCaseAndAreSavedAsTheyStand) {
    const std::string file = Dir.File("huelle.vco");
    const TCaseSize dvd = {1295, 1840, 140};
    const struct {
        const char* Lines;
        TCaseKind Case;
        TCaseSize Size;
    } cases[] = {
        {"case=dvd", TCaseKind::Dvd, dvd},
        {"case=dvd\nspineWidth=70", TCaseKind::Dvd, {1295, 1840, 70}},
        // A spine the case does not offer prints as its own, and stays in the file.
        {"case=dvd\nspineWidth=55", TCaseKind::Dvd, dvd},
        {"case=dvd\nspineWidth=1,4", TCaseKind::Dvd, dvd},
        {"case=bluray\nspineWidth=125", TCaseKind::Bluray, {1280, 1490, 125}},
        {"case=slim", TCaseKind::Slim, {1200, 1200, 0}},
        {"case=custom\npanelWidth=1500\npanelHeight=1800\nspineWidth=300",
         TCaseKind::Custom,
         {1500, 1800, 300}},
        // Each panel fits, but the wrap is wider than US Legal holds.
        {"case=custom\npanelWidth=2000\nspineWidth=0", TCaseKind::Custom, dvd},
        {"case=custom\npanelWidth=499", TCaseKind::Custom, dvd},
        {"case=DVD", TCaseKind::Jewel, {}},
        {"case=", TCaseKind::Jewel, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Lines);
        const std::string text = std::string("[Vellacour]\ncover=\nback=\n") + c.Lines + "\n";
        WriteFileText(file, text);
        TSheetSettings settings = ReadLayoutDocument(file).Settings;
        EXPECT_EQ(settings.Layout().Case, c.Case);
        EXPECT_EQ(settings.Layout().Size, c.Size);
        EXPECT_FALSE(LayoutChanged(file, Document("", "", {}, settings)));
        WriteLayoutDocument(file, Document("", "", {}, settings));
        EXPECT_EQ(ReadFileText(file), text) << "kept as it was";
        // Choosing the jewel case removes the case and its spine; a size of one's own stays
        // for when it is chosen again.
        settings.SetCase(TCaseKind::Jewel);
        WriteLayoutDocument(file, Document("", "", {}, settings));
        EXPECT_EQ(ReadFileText(file).find("case="), std::string::npos);
        EXPECT_EQ(ReadFileText(file).find("spineWidth="), std::string::npos);
    }
    // A case's own spine, chosen, is no setting of the layout's.
    TSheetSettings settings;
    settings.SetCase(TCaseKind::Bluray);
    settings.SetSpine(140);
    WriteLayoutDocument(file, Document("", "", {}, settings));
    EXPECT_EQ(ReadFileText(file), "[Vellacour]\ncover=\nback=\ncase=bluray\n");
    EXPECT_FALSE(LayoutChanged(file, Document("", "", {}, settings)));
}
