#include "music/AlbumFolder.h"

#include <gtest/gtest.h>

#include "AudioFixtures.h"

namespace {

class AlbumFolderTest : public testing::Test {
protected:
    void SetUp() override {
        if (!HasTool("flac"))
            GTEST_SKIP() << "flac missing";
    }
    TempDir Dir;
    std::string Make(const std::string& relative, const TTestTags& tags,
                     const std::string& art = "") {
        const std::string path = Dir.File(relative);
        fs::create_directories(fs::path(path).parent_path());
        EXPECT_TRUE(MakeAudio(path, tags, art)) << relative;
        return path;
    }
};

std::vector<std::string> Titles(const TAlbum& album) {
    std::vector<std::string> titles;
    for (const TAudioTrack& track : album.Tracks)
        titles.push_back(std::to_string(track.Disc) + "/" + std::to_string(track.Number) + " " +
                         track.Title);
    return titles;
}

TEST_F(AlbumFolderTest, ArtistAndCompilationFromWhatTracksAgreeOn) {
    const struct {
        const char* Name;
        std::vector<std::string> Artists;
        std::vector<std::string> AlbumArtists;
        const char* Artist;
        bool Compilation;
    } cases[] = {
        {"one artist", {"A", "A", "A"}, {"", "", ""}, "A", false},
        {"various", {"A", "B", "C"}, {"", "", ""}, "", true},
        {"album artist", {"A", "B", "C"}, {"V", "V", ""}, "V", false},
        {"one without artist", {"A", "", "A"}, {"", "", ""}, "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        for (size_t i = 0; i < c.Artists.size(); ++i)
            Make(std::string(c.Name) + "/" + std::to_string(i) + ".flac",
                 {"T" + std::to_string(i), c.Artists[i], i == 2 ? "Anders" : "Platte",
                  c.AlbumArtists[i], int(i) + 1});
        const TAlbum album = ReadAlbumFolder(Dir.File(c.Name));
        EXPECT_EQ(album.Title, "Platte");
        EXPECT_EQ(album.Artist, c.Artist);
        EXPECT_EQ(album.Compilation, c.Compilation);
        EXPECT_EQ(album.Discs, 1);
        EXPECT_EQ(album.Tracks.size(), 3u);
    }
}

TEST_F(AlbumFolderTest, DiscSubfoldersMakeOneAlbumInDiscOrder) {
    // Disc numbers from the folders; tags from only some tracks, numbers from names.
    Make("Doppel/CD2/01 - Zwei Eins.flac", {});
    Make("Doppel/cd 1/02 - Eins Zwei.flac", {});
    Make("Doppel/cd 1/01 - Eins Eins.flac", {});
    Make("Doppel/Disc 3/b.flac", {"Drei B", "", "", "", 2});
    Make("Doppel/Disc 3/a.flac", {"Drei A", "", "", "", 1});
    Make("Doppel/Disc 3/c.flac", {"Vier", "", "", "", 1, 4}); // its own disc tag wins
    fs::create_directories(Dir.File("Doppel/Scans"));
    ASSERT_TRUE(IsAlbumFolder(Dir.File("Doppel")));
    EXPECT_FALSE(IsAlbumFolder(Dir.File("Doppel/Scans")));
    const TAlbum album = ReadAlbumFolder(Dir.File("Doppel"));
    EXPECT_EQ(Titles(album),
              (std::vector<std::string>{"1/1 Eins Eins", "1/2 Eins Zwei", "2/1 Zwei Eins",
                                        "3/1 Drei A", "3/2 Drei B", "4/1 Vier"}));
    EXPECT_EQ(album.Discs, 4);
    EXPECT_EQ(album.Title, "Doppel"); // no album tag: the folder's name
}

TEST_F(AlbumFolderTest, FolderPictureWithMostPixelsElseEmbeddedArt) {
    MakePicture(Dir.File("art.jpg"), 6, 6);
    Make("Bilder/2.flac", {"Zwei", "", "", "", 2}, Dir.File("art.jpg"));
    Make("Bilder/1.flac", {"Eins", "", "", "", 1});
    Make("Bilder/3.flac", {"Drei", "", "", "", 3}, Dir.File("art.jpg"));
    const std::string folder = Dir.File("Bilder");

    TAlbum album = ReadAlbumFolder(folder);
    EXPECT_EQ(album.FrontFile, "");
    ASSERT_TRUE(album.FrontArt);
    EXPECT_EQ(album.FrontArt->SourceFile, folder + "/2.flac"); // the first track with art
    EXPECT_EQ(album.FrontArt->Extension, "jpg");

    MakePicture(folder + "/Cover.JPG", 30, 30);
    MakePicture(folder + "/folder.png", 40, 20);
    MakePicture(folder + "/FRONT.jpeg", 10, 10);
    MakePicture(folder + "/cover-klein.jpg", 100, 100); // not a cover's name
    MakePicture(folder + "/Back.PNG", 8, 8);
    album = ReadAlbumFolder(folder);
    EXPECT_EQ(album.FrontFile, folder + "/Cover.JPG");
    EXPECT_EQ(album.BackFile, folder + "/Back.PNG");
    EXPECT_FALSE(album.FrontArt);
}

TEST_F(AlbumFolderTest, UnreadableFilesAreNotedAndNoAudioFails) {
    Make("Kaputt/01 - Gut.flac", {});
    WriteFileText(Dir.File("Kaputt/02 - Kaputt.mp3"), std::string(3000, 'x'));
    WriteFileText(Dir.File("Kaputt/liesmich.txt"), "Text");
    const TAlbum album = ReadAlbumFolder(Dir.File("Kaputt"));
    EXPECT_EQ(Titles(album), std::vector<std::string>{"0/1 Gut"});
    ASSERT_EQ(album.Notes.size(), 1u);
    EXPECT_NE(album.Notes[0].find("02 - Kaputt.mp3"), std::string::npos);

    fs::remove(Dir.File("Kaputt/01 - Gut.flac"));
    try {
        ReadAlbumFolder(Dir.File("Kaputt"));
        ADD_FAILURE() << "no error";
    } catch (const EMusicError& error) {
        EXPECT_EQ(error.Message(),
                  "Im Ordner " + Dir.File("Kaputt") + " wurde keine lesbare Audiodatei gefunden");
    }
    EXPECT_THROW(ReadAlbumFolder(Dir.File("fehlt")), EMusicError);
}

TEST_F(AlbumFolderTest, CollectionWalkFindsAlbumsInOrderOnce) {
    Make("B/Zweites/1.flac", {});
    Make("A/Erstes/1.flac", {});
    Make("A/Mehrteilig/CD1/1.flac", {});
    Make("A/Mehrteilig/CD2/1.flac", {});
    Make("A/Erstes/Bonus/1.flac", {}); // an album inside an album is an album of its own
    fs::create_directories(Dir.File("C/leer"));
    fs::create_symlink(Dir.Path(), Dir.File("C/zurück")); // a loop
    std::vector<std::string> found;
    ForEachAlbumFolder(Dir.Path().string(), [&](const std::string& f) { found.push_back(f); });
    const std::string root = Dir.Path().string();
    EXPECT_EQ(found, (std::vector<std::string>{root + "/A/Erstes", root + "/A/Erstes/Bonus",
                                               root + "/A/Mehrteilig", root + "/B/Zweites"}));
    EXPECT_THROW(ForEachAlbumFolder(Dir.File("fehlt"), [](const std::string&) {}), EMusicError);
}

} // namespace
