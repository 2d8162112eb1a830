#include <gtest/gtest.h>

#include "TestSupport.h"
#include "sheet/CoverTextFile.h"
#include "sheet/LayoutFile.h"
#include "toolkit/Application.h"
#include "toolkit/Errors.h"

namespace {
class CoverTextFile : public testing::Test {
protected:
    void SetUp() override { TApplication::SetTitle("Vellacour"); }
    TempDir Dir;
};
} // namespace

TEST_F(CoverTextFile, WordsComeBackAsTyped) {
    const std::string lines[] = {
        "Künstler – Ägäis Öl Übermaß",
        "\"in Anführungszeichen\"",
        "'einfach'",
        "a=b=c",
        "; kein Kommentar",
        "[Vellacour]",
        "track2=Zeile wie ein Eintrag",
        "  mit Leerzeichen  ",
        "[",
        "\"",
    };
    const std::string file = Dir.File("worte.vco");
    for (const std::string& line : lines) {
        TCoverText text;
        text.Spine = line;
        text.Title = line;
        text.Tracks = {line, "", line};
        text.TitlePosition = TTitlePosition::Bottom;
        text.Direction = TSpineDirection::TopToBottom;
        text.TrackStyle = {"Liberation Serif", 9, QColor("#123456"), true, TTextBand::Black};
        WriteLayout(file, {"/b/vorne.jpg", "/b/hinten.png"});
        WriteCoverText(file, text);
        EXPECT_EQ(ReadCoverText(file), text) << line;
        EXPECT_FALSE(CoverTextChanged(file, text)) << line;
        EXPECT_EQ(ReadLayout(file), (TLayoutPaths{"/b/vorne.jpg", "/b/hinten.png"})) << line;
    }
}

TEST_F(CoverTextFile, LayoutWithoutWordsStaysByteForByte) {
    const std::string file = Dir.File("ohne.vco");
    WriteLayout(file, {"/a.bmp", ""});
    const std::string before = ReadFileText(file);
    WriteCoverText(file, {});
    EXPECT_EQ(ReadFileText(file), before);
    EXPECT_EQ(ReadCoverText(file), TCoverText{});
    EXPECT_FALSE(CoverTextChanged(file, {}));
    EXPECT_FALSE(CoverTextChanged("", {}));
    TCoverText words;
    words.Spine = "x";
    EXPECT_TRUE(CoverTextChanged("", words));
    EXPECT_TRUE(CoverTextChanged(file, words));
}

TEST_F(CoverTextFile, WhatIsRemovedStaysRemoved) {
    const std::string file = Dir.File("kuerzer.vco");
    TCoverText text;
    text.Spine = "Rücken";
    text.Tracks = {"1", "2", "3", "4", "5"};
    WriteCoverText(file, text);
    text.Tracks = {"eins", "zwei"};
    WriteCoverText(file, text);
    EXPECT_EQ(ReadCoverText(file).Tracks, text.Tracks);
    // A setting alone is kept, and goes when it is set back.
    TCoverText styleOnly;
    styleOnly.TitleStyle.Band = TTextBand::TranslucentWhite;
    for (const TCoverText& next : {styleOnly, TCoverText{}}) {
        WriteCoverText(file, next);
        EXPECT_EQ(ReadCoverText(file), next);
    }
}

TEST_F(CoverTextFile, MalformedSettingsReadAsDefaults) {
    const std::string file = Dir.File("kaputt.vco");
    WriteFileText(file, "[Vellacour]\ncover=\nback=\n[beschriftung]\nSPINE=Rücken\n"
                        "spineDirection=seitwärts\nspineSize=groß\nspineColor=red\n"
                        "spineBold=ja\nspineBand=lila\ntitlePosition=mitte\ntitleSize=300\n"
                        "tracksSize=-4\ntracksColor=#12345\ntrack3=drei\ntrack200=zu weit\n");
    TCoverText expected;
    expected.Spine = "Rücken";
    expected.Tracks = {"", "", "drei"};
    EXPECT_EQ(ReadCoverText(file), expected);
    EXPECT_EQ(ReadLayout(file), TLayoutPaths{});
}

TEST_F(CoverTextFile, LinesTooLongOrBrokenAreRefusedAndTheFileKept) {
    const std::string file = Dir.File("lang.vco");
    WriteLayout(file, {"/a.bmp", ""});
    const std::string before = ReadFileText(file);
    TCoverText tooLong;
    tooLong.Title = std::string(2048, 'x');
    TCoverText broken;
    broken.Tracks = {"eins\nzwei"};
    TCoverText tooMany;
    tooMany.Tracks.assign(100, "t");
    for (const TCoverText& text : {tooLong, broken, tooMany}) {
        EXPECT_THROW(WriteCoverText(file, text), EIniFileException);
        EXPECT_EQ(ReadFileText(file), before);
    }
}
