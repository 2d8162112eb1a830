#include <gtest/gtest.h>

#include "TestSupport.h"
#include "sheet/LayoutDocument.h"
#include "toolkit/Application.h"
#include "toolkit/Errors.h"
#include "toolkit/IniFile.h"

namespace {
class CoverTextFile : public testing::Test {
protected:
    void SetUp() override { TApplication::SetTitle("Vellacour"); }
    TempDir Dir;
};

TLayoutDocument Document(const std::string& cover, const std::string& back,
                         const TCoverText& text = {}) {
    TLayoutDocument document;
    document.Cover.Entry = cover;
    document.Back.Entry = back;
    document.Text = text;
    return document;
}

// Saves the words into the layout file, its pictures as the file holds them.
void WriteWords(const std::string& file, const TCoverText& text) {
    TLayoutDocument document = ParseLayoutDocument(TIniFile(file).Read());
    document.Text = text;
    WriteLayoutDocument(file, document);
}

TCoverText ReadWords(const std::string& file) {
    return ReadLayoutDocument(file).Text;
}

// Whether the words differ from the file's, its pictures and settings being the file's.
bool WordsChanged(const std::string& file, const TCoverText& text) {
    TLayoutDocument document = file.empty() ? TLayoutDocument{} : ReadLayoutDocument(file);
    document.Text = text;
    return LayoutChanged(file, document);
}
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
        TLayoutDocument document = Document("/b/vorne.jpg", "/b/hinten.png", text);
        document.DiscText = {line,
                             {"Liberation Sans", 30, QColor("#654321"), true},
                             line,
                             {},
                             {line, "", line},
                             {"", 0, Qt::black, true}};
        WriteLayoutDocument(file, document);
        const TLayoutDocument read = ReadLayoutDocument(file);
        EXPECT_EQ(read.Text, text) << line;
        EXPECT_EQ(read.DiscText, document.DiscText) << line;
        EXPECT_FALSE(LayoutChanged(file, read)) << line;
        EXPECT_EQ(read.Cover.File(), "/b/vorne.jpg") << line;
        EXPECT_EQ(read.Back.File(), "/b/hinten.png") << line;
    }
}

TEST_F(CoverTextFile, LayoutWithoutWordsStaysByteForByte) {
    const std::string file = Dir.File("ohne.vco");
    WriteLayoutDocument(file, Document("/a.bmp", ""));
    const std::string before = ReadFileText(file);
    WriteWords(file, {});
    EXPECT_EQ(ReadFileText(file), before);
    EXPECT_EQ(ReadWords(file), TCoverText{});
    EXPECT_FALSE(WordsChanged(file, {}));
    EXPECT_FALSE(WordsChanged("", {}));
    TCoverText words;
    words.Spine = "x";
    EXPECT_TRUE(WordsChanged("", words));
    EXPECT_TRUE(WordsChanged(file, words));
}

TEST_F(CoverTextFile, WhatIsRemovedStaysRemoved) {
    const std::string file = Dir.File("kuerzer.vco");
    TCoverText text;
    text.Spine = "Rücken";
    text.Tracks = {"1", "2", "3", "4", "5"};
    WriteWords(file, text);
    text.Tracks = {"eins", "zwei"};
    WriteWords(file, text);
    EXPECT_EQ(ReadWords(file).Tracks, text.Tracks);
    // A setting alone is kept, and goes when it is set back.
    TCoverText styleOnly;
    styleOnly.TitleStyle.Band = TTextBand::TranslucentWhite;
    for (const TCoverText& next : {styleOnly, TCoverText{}}) {
        WriteWords(file, next);
        EXPECT_EQ(ReadWords(file), next);
    }
}

TEST_F(CoverTextFile, MalformedSettingsReadAsDefaults) {
    const std::string file = Dir.File("kaputt.vco");
    WriteFileText(file, "[Vellacour]\ncover=\nback=\n[beschriftung]\nSPINE=Rücken\n"
                        "spineDirection=seitwärts\nspineSize=groß\nspineColor=red\n"
                        "spineBold=ja\nspineBand=lila\ntitlePosition=mitte\ntitleSize=300\n"
                        "tracksSize=-4\ntracksColor=#12345\ntrack3=drei\ntrack200=zu weit\n"
                        "discTitleSize=0\ndiscSubtitleColor=#12345g\ndiscLinesBold=2\n"
                        "discTitleBand=black\ndiscLine2=zwei\ndiscLine21=zu weit\n");
    TCoverText expected;
    expected.Spine = "Rücken";
    expected.Tracks = {"", "", "drei"};
    TDiscText disc;
    disc.Lines = {"", "zwei"};
    const TLayoutDocument read = ReadLayoutDocument(file);
    EXPECT_EQ(read.Text, expected);
    EXPECT_EQ(read.DiscText, disc);
    EXPECT_EQ(read.Cover.File(), "");
    EXPECT_EQ(read.Back.File(), "");
}

TEST_F(CoverTextFile, LinesTooLongOrBrokenAreRefusedAndTheFileKept) {
    const std::string file = Dir.File("lang.vco");
    WriteLayoutDocument(file, Document("/a.bmp", ""));
    const std::string before = ReadFileText(file);
    TCoverText tooLong;
    tooLong.Title = std::string(2048, 'x');
    TCoverText broken;
    broken.Tracks = {"eins\nzwei"};
    TCoverText tooMany;
    tooMany.Tracks.assign(100, "t");
    for (const TCoverText& text : {tooLong, broken, tooMany}) {
        EXPECT_THROW(WriteLayoutDocument(file, Document("/b.bmp", "", text)), EIniFileException);
        EXPECT_EQ(ReadFileText(file), before);
    }
    TDiscText discTooLong;
    discTooLong.Subtitle = std::string(2048, 'x');
    TDiscText discTooMany;
    discTooMany.Lines.assign(21, "z");
    for (const TDiscText& words : {discTooLong, discTooMany}) {
        TLayoutDocument document = Document("/b.bmp", "");
        document.DiscText = words;
        EXPECT_THROW(WriteLayoutDocument(file, document), EIniFileException);
        EXPECT_EQ(ReadFileText(file), before);
    }
}
