#include <gtest/gtest.h>
#include <sys/stat.h>

#include "TestSupport.h"
#include "sheet/LayoutFile.h"
#include "toolkit/Application.h"
#include "toolkit/Errors.h"

namespace {
class LayoutFile : public testing::Test {
protected:
    void SetUp() override { TApplication::SetTitle("Vellacour"); }
    TempDir Dir;
};
} // namespace

TEST_F(LayoutFile, NewFileHasSectionAndBothKeysEvenWhenEmpty) {
    const std::string file = Dir.File("neu.vco");
    WriteLayout(file, {"/bilder/vorne.jpg", ""});
    EXPECT_EQ(ReadFileText(file), "[Vellacour]\ncover=/bilder/vorne.jpg\nback=\n");
    WriteLayout(file, {"", ""});
    EXPECT_EQ(ReadFileText(file), "[Vellacour]\ncover=\nback=\n");
}

TEST_F(LayoutFile, SavingOverAnotherIniFileKeepsEverythingElse) {
    const std::string file = Dir.File("andere.ini");
    WriteFileText(file, "; Einstellungen\r\n[Allgemein]\r\nSprache=de\r\n\r\n[VELLACOUR]\r\n"
                        "Cover=/alt.bmp\r\nNotiz=bleibt\r\n");
    WriteLayout(file, {"/neu.bmp", "/rueck.bmp"});
    EXPECT_EQ(ReadFileText(file), "; Einstellungen\r\n[Allgemein]\r\nSprache=de\r\n\r\n"
                                  "[VELLACOUR]\r\nCover=/neu.bmp\r\nNotiz=bleibt\r\n"
                                  "back=/rueck.bmp\r\n");
    EXPECT_EQ(ReadLayout(file), (TLayoutPaths{"/neu.bmp", "/rueck.bmp"}));
}

TEST_F(LayoutFile, MissingFileSectionOrKeyReadsEmpty) {
    EXPECT_EQ(ReadLayout(Dir.File("fehlt.vco")), TLayoutPaths{});
    const std::string file = Dir.File("leer.vco");
    WriteFileText(file, "[Anderes]\ncover=/x.bmp\n");
    EXPECT_EQ(ReadLayout(file), TLayoutPaths{});
    WriteFileText(file, "[vellacour]\nBACK=/r.bmp\n");
    EXPECT_EQ(ReadLayout(file), (TLayoutPaths{"", "/r.bmp"}));
}

TEST_F(LayoutFile, UnwritableFileFailsWithItsNameAndStaysUnchanged) {
    const std::string file = Dir.File("schreibgeschuetzt.vco");
    WriteFileText(file, "[Vellacour]\ncover=/a.bmp\nback=/b.bmp\n");
    chmod(file.c_str(), 0444);
    try {
        WriteLayout(file, {"/c.bmp", "/d.bmp"});
        FAIL() << "no error";
    } catch (const EIniFileException& error) {
        EXPECT_EQ(std::string(error.what()), "nach " + file + " kann nicht geschrieben werden");
    }
    EXPECT_EQ(ReadFileText(file), "[Vellacour]\ncover=/a.bmp\nback=/b.bmp\n");
    EXPECT_THROW(WriteLayout(Dir.File("fehlt/x.vco"), {}), EIniFileException);
}

TEST_F(LayoutFile, ChangeDetection) {
    EXPECT_FALSE(LayoutChanged("", {}));
    EXPECT_TRUE(LayoutChanged("", {"/a.bmp", ""}));
    EXPECT_TRUE(LayoutChanged("", {"", "/b.bmp"}));
    const std::string file = Dir.File("l.vco");
    WriteLayout(file, {"/a.bmp", "/b.bmp"});
    EXPECT_FALSE(LayoutChanged(file, {"/a.bmp", "/b.bmp"}));
    EXPECT_TRUE(LayoutChanged(file, {"/A.bmp", "/b.bmp"})) << "letter case counts";
    EXPECT_TRUE(LayoutChanged(file, {"/a.bmp", ""}));
    // Read afresh every time: edited or deleted behind the program's back.
    WriteFileText(file, "[Vellacour]\ncover=/a.bmp\nback=/c.bmp\n");
    EXPECT_TRUE(LayoutChanged(file, {"/a.bmp", "/b.bmp"}));
    std::remove(file.c_str());
    EXPECT_TRUE(LayoutChanged(file, {"/a.bmp", "/b.bmp"}));
    EXPECT_FALSE(LayoutChanged(file, {}));
}

namespace {
TPlacementRecord Record(TPartPlacement placement, TPlacementEntries read = {}) {
    return {placement, std::move(read)};
}
} // namespace

// Every placement key read back as written; only settings away from the default are
// stored, and one set back to the default is removed again.
TEST_F(LayoutFile, PlacementKeysRoundTrip) {
    const std::string file = Dir.File("p.vco");
    const TPartPlacement cover{TPlacementMode::Fill, TPlacementView{2500, 0, 5000, 10000}, 90};
    const TPartPlacement back{TPlacementMode::Fit, std::nullopt, 270};
    WriteLayout(file, {"/a.jpg", "/b.jpg"}, {Record(cover), Record(back)});
    EXPECT_EQ(ReadFileText(file), "[Vellacour]\ncover=/a.jpg\nback=/b.jpg\ncoverMode=fill\n"
                                  "coverView=2500;0;5000;10000\ncoverTurn=90\nbackMode=fit\n"
                                  "backTurn=270\n");
    TLayoutPlacements read = ReadLayoutPlacements(file);
    EXPECT_EQ(read.Cover.Placement, cover);
    EXPECT_EQ(read.Back.Placement, back);
    EXPECT_FALSE(LayoutChanged(file, {"/a.jpg", "/b.jpg"}, read));

    // The window stays while the mode is not fill; the rest goes back to the default.
    read.Cover.Placement.Mode = TPlacementMode::Stretch;
    read.Cover.Placement.Turn = 0;
    read.Back.Placement = {};
    EXPECT_TRUE(LayoutChanged(file, {"/a.jpg", "/b.jpg"}, read));
    WriteLayout(file, {"/a.jpg", "/b.jpg"}, read);
    EXPECT_EQ(ReadFileText(file),
              "[Vellacour]\ncover=/a.jpg\nback=/b.jpg\ncoverView=2500;0;5000;10000\n");
    EXPECT_EQ(ReadLayoutPlacements(file).Cover.Placement.View, cover.View);
}

// A layout without placement keys saves byte for byte as before, whatever its line ends,
// spacing or other keys.
TEST_F(LayoutFile, ALayoutWithoutPlacementsSavesUnchanged) {
    const std::string file = Dir.File("alt.vco");
    const std::string text = "[Vellacour]\r\ncover=/a.bmp\r\nback=/b.bmp\r\n[Sonst]\r\nx=1\r\n";
    WriteFileText(file, text);
    const TLayoutPlacements placements = ReadLayoutPlacements(file);
    WriteLayout(file, ReadLayout(file), placements);
    EXPECT_EQ(ReadFileText(file), text);
    EXPECT_FALSE(LayoutChanged("", {}, placements));
    TLayoutPlacements fitted;
    fitted.Cover.Placement.Mode = TPlacementMode::Fit;
    EXPECT_TRUE(LayoutChanged("", {}, fitted));
}

// What cannot be read counts as the default, never stops the layout, and stays in the file
// as it was until that setting is changed.
TEST_F(LayoutFile, UnreadablePlacementValuesAreDefaultsKeptUntilChanged) {
    const struct {
        const char* Key;
        const char* Value;
    } malformed[] = {
        {"coverMode", "zoom"},         {"coverMode", ""},
        {"coverView", "1;2;3"},        {"coverView", "1;2;3;4;5"},
        {"coverView", "0;0;0;10000"},  {"coverView", "5000;0;6000;10000"},
        {"coverView", "-1;0;100;100"}, {"coverView", "a;0;100;100"},
        {"coverView", "0;0;100;1e4"},  {"coverTurn", "45"},
        {"coverTurn", "-90"},          {"coverTurn", "90.0"},
    };
    for (const auto& m : malformed) {
        SCOPED_TRACE(std::string(m.Key) + "=" + m.Value);
        const std::string file = Dir.File("m.vco");
        const std::string text =
            std::string("[Vellacour]\ncover=/a.bmp\nback=\n") + m.Key + "=" + m.Value + "\n";
        WriteFileText(file, text);
        TLayoutPlacements read = ReadLayoutPlacements(file);
        EXPECT_EQ(read.Cover.Placement, TPartPlacement{});
        EXPECT_FALSE(LayoutChanged(file, {"/a.bmp", ""}, read));
        WriteLayout(file, {"/a.bmp", ""}, read);
        EXPECT_EQ(ReadFileText(file), text);
        // Saved as another file, it goes along unchanged as well.
        WriteLayout(Dir.File("kopie.vco"), {"/a.bmp", ""}, read);
        EXPECT_EQ(ReadFileText(Dir.File("kopie.vco")), text);
        std::remove(Dir.File("kopie.vco").c_str());
        read.Cover.Placement = {TPlacementMode::Fill, TPlacementView{0, 0, 10000, 10000}, 180};
        WriteLayout(file, {"/a.bmp", ""}, read);
        EXPECT_EQ(ReadLayoutPlacements(file).Cover.Placement, read.Cover.Placement);
    }
    // Letter case does not matter to names, as for every key of a layout.
    const std::string file = Dir.File("gross.vco");
    WriteFileText(file, "[Vellacour]\nCOVERMODE=FILL\nbackturn=180\n");
    EXPECT_EQ(ReadLayoutPlacements(file).Cover.Placement.Mode, TPlacementMode::Fill);
    EXPECT_EQ(ReadLayoutPlacements(file).Back.Placement.Turn, 180);
}

TEST_F(LayoutFile, SheetSettingsAreStoredOnlyWhenNotTheDefault) {
    const std::string file = Dir.File("bogen.vco");
    const std::string plain = "[Vellacour]\r\ncover=/a.bmp\r\nback=/b.bmp\r\n";
    WriteFileText(file, plain);
    TSheetSettings settings = ReadSheetSettings(file);
    EXPECT_EQ(settings, TSheetSettings{});
    WriteLayout(file, {"/a.bmp", "/b.bmp"}, {}, settings);
    EXPECT_EQ(ReadFileText(file), plain) << "a layout without them saves as it was";

    settings.Bleed.Set(25);
    settings.Arrangement.Set(TArrangement::Stacked);
    WriteLayout(file, {"/a.bmp", "/b.bmp"}, {}, settings);
    EXPECT_EQ(ReadFileText(file), plain + "bleed=25\r\narrangement=stacked\r\n");
    EXPECT_EQ(ReadSheetSettings(file), settings);
    EXPECT_FALSE(LayoutChanged(file, {"/a.bmp", "/b.bmp"}, {}, settings));
    EXPECT_TRUE(LayoutChanged(file, {"/a.bmp", "/b.bmp"}, {}, {}));

    // Set back to the defaults, the keys go.
    WriteLayout(file, {"/a.bmp", "/b.bmp"}, {}, {});
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
        TSheetSettings settings = ReadSheetSettings(file);
        EXPECT_EQ(settings.Layout(), c.Layout);
        EXPECT_FALSE(LayoutChanged(file, {}, {}, settings));
        WriteLayout(file, {}, {}, settings);
        const bool unread = settings.Bleed.Unread || settings.Arrangement.Unread;
        if (unread) {
            EXPECT_EQ(ReadFileText(file), text) << "kept as it was";
        }
        // Once the user chooses, the chosen value replaces the unread one.
        settings.Bleed.Set(10);
        settings.Arrangement.Set(TArrangement::Stacked);
        WriteLayout(file, {}, {}, settings);
        EXPECT_EQ(ReadSheetSettings(file).Layout(), (TSheetLayout{TArrangement::Stacked, 10}));
    }
}
