// An album on disk: a folder of audio files, or of disc subfolders ("CD1", "Disc 2") holding
// them, with its cover pictures; and the search for such folders under a root.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "music/AudioTags.h"
#include "music/MusicError.h"

struct TAlbum {
    std::string Folder;
    std::string Title;        // album tag (most common among tracks), else the folder's name
    std::string Artist;       // album artist, else the artist common to all tracks, else empty
    bool Compilation = false; // tracks' artists differ and no album artist
    std::vector<TAudioTrack> Tracks; // ordered by disc, number, then file name
    int Discs = 1;                   // number of distinct discs
    std::string FrontFile; // cover/folder/front/albumart .jpg/.jpeg/.png (any case), most pixels
    std::string BackFile;  // back.jpg/.jpeg/.png
    std::optional<TEmbeddedArt> FrontArt; // only when FrontFile is empty: first track with art
    std::vector<std::string> Notes;       // files passed over and why
};

// Whether the folder holds audio files directly or in disc subfolders.
bool IsAlbumFolder(const std::string& folder);

// Reads the album. Throws EMusicError when the folder cannot be read or holds no readable
// audio file.
TAlbum ReadAlbumFolder(const std::string& folder);

// Calls found(folder) for every album folder under root, root included, sorted by path bytes,
// depth first, as they are found. Disc subfolders belong to their album. A folder reached
// twice (through symbolic links) is visited once. Throws EMusicError when root cannot be read.
void ForEachAlbumFolder(const std::string& root,
                        const std::function<void(const std::string&)>& found);
