#include "music/AudioTags.h"

#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <sys/stat.h>

#include "AudioFixtures.h"

namespace {

struct TFormat {
    const char* Ext;
    bool DiscAndAlbumArtist; // the tool writes them
    const char* Art;         // the picture kind embedded, or nullptr when the tool cannot
};

const TFormat Formats[] = {
    {"flac", true, "jpg"}, {"ogg", true, nullptr}, {"opus", true, "png"},   {"mp3", true, "jpg"},
    {"m4a", true, "jpg"},  {"wv", true, "jpg"},    {"aiff", true, nullptr}, {"wav", false, nullptr},
};

class AudioTagsTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        Dir = std::make_unique<TempDir>();
        MakePicture(Dir->File("art.jpg"), 4, 3);
        MakePicture(Dir->File("art.png"), 5, 5);
        const TTestTags tags{"Fünf\tSechs ", "Künstlerin", "Das Album", "Alle", 3, 2};
        for (const TFormat& format : Formats) {
            const std::string art = format.Art ? Dir->File(std::string("art.") + format.Art) : "";
            Made[format.Ext] = MakeAudio(Dir->File(std::string("tagged.") + format.Ext), tags, art);
        }
    }
    static void TearDownTestSuite() { Dir.reset(); }
    static inline std::unique_ptr<TempDir> Dir;
    static inline std::map<std::string, bool> Made;
};

TEST_F(AudioTagsTest, ReadsTagsAndLengthOfEveryKind) {
    std::string missing;
    for (const TFormat& format : Formats) {
        SCOPED_TRACE(format.Ext);
        if (!Made[format.Ext]) {
            if (HasTool(EncoderFor(format.Ext)))
                ADD_FAILURE() << "the encoder failed";
            else
                missing += std::string(" ") + EncoderFor(format.Ext);
            continue;
        }
        const std::optional<TAudioTrack> track =
            ReadAudioTrack(Dir->File(std::string("tagged.") + format.Ext));
        ASSERT_TRUE(track);
        EXPECT_TRUE(track->Tagged);
        EXPECT_EQ(track->Title, "Fünf Sechs");
        EXPECT_EQ(track->Artist, "Künstlerin");
        EXPECT_EQ(track->Album, "Das Album");
        EXPECT_EQ(track->Number, 3);
        EXPECT_EQ(track->Disc, format.DiscAndAlbumArtist ? 2 : 0);
        EXPECT_EQ(track->AlbumArtist, format.DiscAndAlbumArtist ? "Alle" : "");
        EXPECT_EQ(track->Seconds, 1);
    }
    if (!missing.empty())
        GTEST_SKIP() << "not installed:" << missing;
}

TEST_F(AudioTagsTest, EmbeddedFrontCoverKeepsItsBytes) {
    for (const TFormat& format : Formats) {
        SCOPED_TRACE(format.Ext);
        if (!Made[format.Ext])
            continue;
        const std::string file = Dir->File(std::string("tagged.") + format.Ext);
        const std::optional<TEmbeddedArt> art = ReadEmbeddedArt(file);
        if (!format.Art) {
            EXPECT_FALSE(art);
            continue;
        }
        ASSERT_TRUE(art);
        EXPECT_EQ(art->Extension, format.Art);
        EXPECT_EQ(art->Bytes, ReadFileText(Dir->File(std::string("art.") + format.Art)));
        EXPECT_EQ(art->SourceFile, file);
    }
}

TEST_F(AudioTagsTest, UntaggedFileTakesTitleAndNumberFromItsName) {
    if (!HasTool("flac"))
        GTEST_SKIP() << "flac missing";
    const struct {
        const char* Name;
        int Number;
        const char* Title;
    } cases[] = {
        {"01 - Intro.flac", 1, "Intro"},        {"02. Zwei Worte.flac", 2, "Zwei Worte"},
        {"1-03 Drei.flac", 3, "Drei"},          {"07_Sieben.flac", 7, "Sieben"},
        {"12 Zwölf.flac", 12, "Zwölf"},         {"1984.flac", 0, "1984"},
        {"Ohne Nummer.flac", 0, "Ohne Nummer"}, {"99.flac", 0, "99"},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        ASSERT_TRUE(MakeAudio(dir.File(c.Name), {}));
        const std::optional<TAudioTrack> track = ReadAudioTrack(dir.File(c.Name));
        ASSERT_TRUE(track);
        EXPECT_FALSE(track->Tagged);
        EXPECT_EQ(track->Title, c.Title);
        EXPECT_EQ(track->Number, c.Number);
        EXPECT_EQ(track->Seconds, 1);
    }
}

TEST_F(AudioTagsTest, WhatIsNoAudioGivesNothingAndDamageNoCrash) {
    TempDir dir;
    WriteFileText(dir.File("text.mp3"), std::string(5000, 'x'));
    WriteFileText(dir.File("text.flac"), "fLaC but nothing more");
    WriteFileText(dir.File("notes.txt"), "Tracklist");
    EXPECT_FALSE(ReadAudioTrack(dir.File("text.mp3")));
    EXPECT_FALSE(ReadAudioTrack(dir.File("text.flac")));
    EXPECT_FALSE(ReadAudioTrack(dir.File("notes.txt")));
    EXPECT_FALSE(ReadAudioTrack(dir.File("missing.flac")));
    // A pipe named like audio would block the reader for good.
    ASSERT_EQ(mkfifo(dir.File("pipe.flac").c_str(), 0600), 0);
    EXPECT_FALSE(ReadAudioTrack(dir.File("pipe.flac")));
    EXPECT_FALSE(ReadEmbeddedArt(dir.File("pipe.flac")));
    EXPECT_FALSE(ReadEmbeddedArt(dir.File("text.mp3")));
    // Each tagged file cut short at several places: read or refused, never a crash.
    for (const TFormat& format : Formats) {
        if (!Made[format.Ext])
            continue;
        const std::string whole = ReadFileText(Dir->File(std::string("tagged.") + format.Ext));
        for (size_t cut : {size_t(12), whole.size() / 3, whole.size() - 1}) {
            const std::string part = whole.substr(0, cut);
            ReadAudioTrackFromBytes(part, format.Ext);
            ReadEmbeddedArtFromBytes(part, format.Ext);
        }
    }
}

TEST_F(AudioTagsTest, BytesInMemoryReadAsTheFile) {
    for (const TFormat& format : Formats) {
        SCOPED_TRACE(format.Ext);
        if (!Made[format.Ext])
            continue;
        const std::string bytes = ReadFileText(Dir->File(std::string("tagged.") + format.Ext));
        const std::optional<TAudioTrack> track = ReadAudioTrackFromBytes(bytes, format.Ext);
        ASSERT_TRUE(track);
        EXPECT_EQ(track->Title, "Fünf Sechs");
        EXPECT_EQ(track->Number, 3);
        EXPECT_EQ(bool(ReadEmbeddedArtFromBytes(bytes, format.Ext)), format.Art != nullptr);
    }
}

// ID3v1 says nothing of its encoding: UTF-8 where the bytes are valid UTF-8, else
// Windows-1252, the code page most old tags were written in.
TEST_F(AudioTagsTest, Id3v1TextInEitherEncoding) {
    if (!HasTool("lame"))
        GTEST_SKIP() << "lame missing";
    TempDir dir;
    ASSERT_TRUE(MakeAudio(dir.File("plain.mp3"), {}));
    const std::string audio = ReadFileText(dir.File("plain.mp3"));
    const struct {
        const char* Name;
        std::string Title;
        const char* Read;
    } cases[] = {
        {"utf8", "Gr\xC3\xBC\xC3\x9F\x65 \xE2\x82\xAC", "Grüße €"},
        {"cp1252", "Gr\xFC\xDF\x65 \x80 \x96", "Grüße € –"},
    };
    for (const auto& c : cases) {
        std::string tag = "TAG" + c.Title;
        tag.resize(3 + 30, '\0');
        tag += std::string("Anna").append(26, '\0') + std::string(30, '\0') + "2001";
        tag += std::string(28, '\0') + '\0' + '\x07' + '\xFF'; // ID3v1.1: track 7
        const std::string path = dir.File(std::string(c.Name) + ".mp3");
        WriteFileText(path, audio + tag);
        const std::optional<TAudioTrack> track = ReadAudioTrack(path);
        ASSERT_TRUE(track) << c.Name;
        EXPECT_EQ(track->Title, c.Read) << c.Name;
        EXPECT_EQ(track->Artist, "Anna") << c.Name;
        EXPECT_EQ(track->Number, 7) << c.Name;
    }
}

TEST(DiscFolderNumberTest, NamesOfDiscFolders) {
    const struct {
        const char* Name;
        int Disc;
    } cases[] = {
        {"CD1", 1},         {"cd 2", 2},  {"Disc_3", 3},    {"DISK-4", 4},
        {"disc 12", 12},    {"CD", 0},    {"CD123", 0},     {"CDx1", 0},
        {"Discography", 0}, {"CD 1 ", 0}, {"Bonus CD1", 0}, {"cd--1", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DiscFolderNumber(c.Name), c.Disc) << c.Name;
}

} // namespace
