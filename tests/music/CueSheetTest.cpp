#include "music/CueSheet.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "AudioFixtures.h"

namespace {

std::vector<std::string> TrackTexts(const TCueSheet& sheet) {
    std::vector<std::string> texts;
    for (const TCueTrack& track : sheet.Tracks)
        texts.push_back(std::to_string(track.Number) + " " + track.Title + " / " + track.Performer +
                        " @" + std::to_string(track.StartFrames) + " " + track.File);
    return texts;
}

TEST(CueSheetTest, ReadsDiscAndTracksInEitherEncoding) {
    // The same sheet in UTF-8 with a byte order mark and in Windows-1252, CR LF line ends,
    // quoted and bare values, comments and lines of garbage.
    const std::string body = "REM GENRE Pop\r\n"
                             "PERFORMER \"Die Ärzte\"\r\n"
                             "TITLE \"Café – Live\"\r\n"
                             "FILE \"Live.flac\" WAVE\r\n"
                             "  TRACK 01 AUDIO\r\n"
                             "    TITLE \"Grüße\"\r\n"
                             "    INDEX 00 00:00:00\r\n"
                             "    INDEX 01 00:00:32\r\n"
                             "Müll in der Zeile\r\n"
                             "  TRACK 02 AUDIO\r\n"
                             "    TITLE Ohne_Anführung\r\n"
                             "    PERFORMER \"Gast €\"\r\n"
                             "    INDEX 01 03:45:32\r\n"
                             "    INDEX 01 99:99:99\r\n"
                             "FILE \"Zwei.flac\" WAVE\r\n"
                             "  TRACK 3 AUDIO\r\n"
                             "    TITLE \"Letzter \"\r\n"
                             "    INDEX 01 00:00:00\r\n";
    const std::vector<std::string> tracks{"1 Grüße /  @32 Live.flac",
                                          "2 Ohne_Anführung / Gast € @16907 Live.flac",
                                          "3 Letzter  /  @0 Zwei.flac"};
    // Windows-1252: Ä C4, é E9, – 96, ü FC, ß DF, € 80.
    std::string cp1252 = body;
    for (const auto& [utf8, byte] :
         std::initializer_list<std::pair<std::string, std::string>>{{"Ä", "\xC4"},
                                                                    {"é", "\xE9"},
                                                                    {"–", "\x96"},
                                                                    {"ü", "\xFC"},
                                                                    {"ß", "\xDF"},
                                                                    {"€", "\x80"}})
        for (size_t at; (at = cp1252.find(utf8)) != std::string::npos;)
            cp1252.replace(at, utf8.size(), byte);
    for (const std::string& bytes : {"\xEF\xBB\xBF" + body, cp1252}) {
        const TCueSheet sheet = ParseCueSheet(bytes);
        EXPECT_EQ(sheet.Performer, "Die Ärzte");
        EXPECT_EQ(sheet.Title, "Café – Live");
        EXPECT_EQ(TrackTexts(sheet), tracks);
        EXPECT_EQ(sheet.Notes, (std::vector<std::string>{"Zeile 9 übergangen: Müll in der Zeile",
                                                         "Zeile 14 übergangen:     INDEX 01 "
                                                         "99:99:99"}));
        // 3:45:00 after 0:00:32: 225 s less 0.43 s; the next track is in another file.
        EXPECT_EQ(sheet.Seconds(), (std::vector<int>{225, -1, -1}));
    }
}

TEST(CueSheetTest, KeepsNinetyNineTracksAndNotesTheRest) {
    std::string text = "TITLE x\n";
    for (int i = 1; i <= 120; ++i)
        text += "TRACK " + std::to_string(i % 100) + " AUDIO\nTITLE \"T" + std::to_string(i) +
                "\"\nINDEX 01 00:" + std::to_string(i % 60) + ":00\n";
    const TCueSheet sheet = ParseCueSheet(text);
    ASSERT_EQ(sheet.Tracks.size(), 99u);
    EXPECT_EQ(sheet.Tracks.back().Title, "T99");
    EXPECT_EQ(sheet.Notes,
              std::vector<std::string>{"Mehr als 99 Titel: die übrigen wurden übergangen"});
}

TEST(CueSheetTest, GarbageAndHugeInputEndQuietly) {
    const struct {
        const char* Name;
        std::string Bytes;
        size_t Tracks;
        size_t Notes;
    } cases[] = {
        {"empty", "", 0, 0},
        {"binary", std::string("\0\x01\xff\xfe TRACK", 11), 0, 1},
        {"unclosed quote", "TRACK 01 AUDIO\nTITLE \"offen", 1, 0},
        {"track number too large", "TRACK 100 AUDIO\nTITLE weg\n", 0, 1},
        {"index outside a track", "INDEX 01 00:00:00\n", 0, 1},
        {"two megabytes of blanks", std::string(2u << 20, ' '), 0, 1},
    };
    for (const auto& c : cases) {
        const TCueSheet sheet = ParseCueSheet(c.Bytes);
        EXPECT_EQ(sheet.Tracks.size(), c.Tracks) << c.Name;
        EXPECT_EQ(sheet.Notes.size(), c.Notes) << c.Name;
    }
}

TEST(CueSheetTest, LastTrackOfEachFileTakesItsLengthFromTheAudio) {
    if (!HasTool("flac"))
        GTEST_SKIP() << "flac missing";
    TempDir dir;
    ASSERT_TRUE(MakeAudio(dir.File("Ganz.flac"), {}, "", 5));
    fs::create_directories(dir.File("Teil"));
    ASSERT_TRUE(MakeAudio(dir.File("Eins.flac"), {}, "", 2));
    ASSERT_TRUE(MakeAudio(dir.File("Teil/Zwei.flac"), {}, "", 1));
    const struct {
        const char* Name;
        const char* Text;
        std::vector<int> Seconds;
    } cases[] = {
        {"Ganz.cue",
         "FILE \"Ganz.flac\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n"
         "TRACK 02 AUDIO\nINDEX 01 00:02:00\n",
         {2, 3}},
        {"Einzeln.cue",
         "FILE \"Eins.flac\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n"
         "FILE \"Teil\\Zwei.flac\" WAVE\nTRACK 02 AUDIO\nINDEX 01 00:00:00\n",
         {2, 1}},
        {"Umbenannt.cue", "FILE \"Ganz.wav\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:01:00\n", {4}},
        {"Fehlt.cue", "FILE \"Fehlt.flac\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n", {-1}},
    };
    for (const auto& c : cases) {
        WriteFileText(dir.File(c.Name), c.Text);
        EXPECT_EQ(ReadCueSheet(dir.File(c.Name)).Seconds(), c.Seconds) << c.Name;
    }
}

TEST(CueSheetTest, UnreadableOrHugeSheetIsAnError) {
    TempDir dir;
    WriteFileText(dir.File("Riesig.cue"), std::string(MaxCueBytes + 1, ' '));
    ASSERT_EQ(mkfifo(dir.File("Rohr.cue").c_str(), 0600), 0);
    for (const char* name : {"Riesig.cue", "Nirgends.cue", "Rohr.cue"}) {
        try {
            ReadCueSheet(dir.File(name));
            ADD_FAILURE() << name;
        } catch (const EMusicError& error) {
            EXPECT_NE(error.Message().find(dir.File(name)), std::string::npos) << error.Message();
        }
    }
}

} // namespace
