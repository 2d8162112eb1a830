// The words an album and a CUE sheet give: track lines worked out by hand.
#include <gtest/gtest.h>

#include <QString>

#include "sheet/AlbumWords.h"
#include "sheet/CoverSheet.h"

namespace {

TAudioTrack Track(int disc, int number, const char* title, const char* artist, int seconds) {
    TAudioTrack track;
    track.Disc = disc;
    track.Number = number;
    track.Title = title;
    track.Artist = artist;
    track.Seconds = seconds;
    return track;
}

TAlbum Album(const char* artist, bool compilation, int discs, std::vector<TAudioTrack> tracks) {
    TAlbum album;
    album.Title = "Platte";
    album.Artist = artist;
    album.Compilation = compilation;
    album.Discs = discs;
    album.Tracks = std::move(tracks);
    return album;
}

TEST(AlbumWordsTest, TrackLinesTitleAndSpine) {
    const struct {
        const char* Name;
        TAlbum Album;
        std::vector<std::string> Lines;
        const char* Spine;
    } cases[] = {
        {"one artist",
         Album("Anna", false, 1,
               {Track(0, 1, "Eins", "Anna", 225), Track(0, 2, "Zwei", "Anna", -1)}),
         {"01. Eins 3:45", "02. Zwei"},
         "Anna – Platte"},
        {"compilation",
         Album("", true, 1, {Track(0, 1, "Eins", "Anna", 225), Track(0, 2, "Zwei", "Bert", 59)}),
         {"01. Eins – Anna 3:45", "02. Zwei – Bert 0:59"},
         "Platte"},
        {"album artist and a guest",
         Album("Anna", false, 1,
               {Track(0, 1, "Eins", "Anna", 0), Track(0, 12, "Zwei\nZeilen", "Gast", 3723)}),
         {"01. Eins 0:00", "12. Zwei Zeilen – Gast 1:02:03"},
         "Anna – Platte"},
        {"two discs, numbers missing",
         Album("Anna", false, 2,
               {Track(1, 0, "A", "Anna", 61), Track(1, 0, "B", "", 62), Track(2, 0, "C", "", 63)}),
         {"CD 1", "01. A 1:01", "02. B 1:02", "CD 2", "01. C 1:03"},
         "Anna – Platte"},
    };
    TCoverText base;
    base.TrackStyle.Bold = true;
    base.Direction = TSpineDirection::TopToBottom;
    base.Tracks = {"alt"};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<std::string> notes;
        const TCoverText text = AlbumWords(c.Album, base, &notes);
        EXPECT_EQ(text.Tracks, c.Lines);
        EXPECT_EQ(text.Title, "Platte");
        EXPECT_EQ(text.Spine, c.Spine);
        EXPECT_TRUE(text.TrackStyle.Bold);
        EXPECT_EQ(text.Direction, TSpineDirection::TopToBottom);
        EXPECT_TRUE(notes.empty());
    }
}

TEST(AlbumWordsTest, TimeIsSetFlushRightByTheTrackList) {
    const TCoverText text =
        AlbumWords(Album("", true, 1, {Track(0, 1, "Eins", "Anna", 225)}), TCoverText{});
    const TTextLayout layout =
        LayoutCoverText(text, CoverTextAreas(), [](const std::string& s, const TTextStyle&) {
            return 0.5 * double(QString::fromStdString(s).size());
        });
    bool found = false;
    for (const TTextBlock& block : layout.Blocks)
        for (const TTextRun& run : block.Runs)
            if (run.Right == "3:45") {
                found = true;
                EXPECT_EQ(run.Text, "01. Eins – Anna");
            }
    EXPECT_TRUE(found);
}

TEST(AlbumWordsTest, LinesPastTheListsRoomAreCutWithANote) {
    std::vector<TAudioTrack> tracks;
    for (int i = 1; i <= 97; ++i)
        tracks.push_back(Track(1, i, "T", "", 1));
    for (int i = 1; i <= 5; ++i)
        tracks.push_back(Track(2, i, "U", "", 1));
    std::vector<std::string> notes;
    const TCoverText text = AlbumWords(Album("", false, 2, tracks), TCoverText{}, &notes);
    // "CD 1", 97 tracks, then "CD 2" would be the 99th line: it goes with its tracks.
    ASSERT_EQ(text.Tracks.size(), 98u);
    EXPECT_EQ(text.Tracks.back(), "97. T 0:01");
    EXPECT_EQ(notes, std::vector<std::string>{
                         "Die Titelliste fasst 99 Zeilen: 6 weitere Zeilen wurden weggelassen."});
}

TEST(AlbumWordsTest, CueSheetLines) {
    TCueSheet cue;
    cue.Title = "Live";
    cue.Performer = "Anna";
    cue.Tracks = {{1, "Auf", "Anna", 0, "a.flac"},
                  {2, "Ab", "Bert", 75 * 200, "a.flac"},
                  {3, "", "", 75 * 260, "a.flac"}};
    cue.Tracks.back().FileEndSeconds = 3599;
    const TCoverText text = CueWords(cue, TCoverText{});
    EXPECT_EQ(text.Tracks,
              (std::vector<std::string>{"01. Auf 3:20", "02. Ab – Bert 1:00", "03. 59:59"}));
    EXPECT_EQ(text.Title, "Live");
    EXPECT_EQ(text.Spine, "Anna – Live");
}

TEST(AlbumWordsTest, TrackTimes) {
    const std::pair<int, const char*> cases[] = {
        {-1, ""},        {0, "0:00"},       {59, "0:59"},      {225, "3:45"},
        {3599, "59:59"}, {3600, "1:00:00"}, {3723, "1:02:03"}, {36000 * 3, "30:00:00"}};
    for (const auto& [seconds, time] : cases)
        EXPECT_EQ(TrackTime(seconds), time) << seconds;
}

} // namespace
