// What an audio file knows about itself: its tags, its length and the cover picture stored
// in it, read with TagLib. A damaged or hostile file never throws from here: what cannot be
// read stays unknown.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// A front-cover picture inside an audio file.
struct TEmbeddedArt {
    std::string Bytes;      // encoded as stored (JPEG stays JPEG, PNG stays PNG)
    std::string Extension;  // "jpg" or "png", from the picture's own bytes
    std::string SourceFile; // the audio file it came from
};

struct TAudioTrack {
    std::string File; // path
    int Disc = 0;     // 0 unknown; from the disc tag, else from the folder (CD2 -> 2)
    int Number = 0;   // 0 unknown
    std::string Title, Artist, Album, AlbumArtist; // UTF-8, without control characters
    int Seconds = -1;    // audio length rounded to whole seconds; -1 unknown
    bool Tagged = false; // any tag read
};

// Pictures above this size are not taken from audio files: no cover needs more, and a
// hostile file could ask for gigabytes.
inline constexpr size_t MaxEmbeddedArtBytes = 32u << 20;

// Reads one audio file's tags and length. A file whose tags cannot be read gives
// Tagged=false and the title from the file name, without a number prefix ("01 - ", "01. ",
// "1-01 ") and extension; the prefix gives the number. Returns nullopt when the file is no
// audio file of a kind read here.
std::optional<TAudioTrack> ReadAudioTrack(const std::string& path);

// The front-cover picture stored in the file (a picture of the front-cover type, else the
// first picture), or nullopt: ID3v2 APIC, FLAC PICTURE, Ogg METADATA_BLOCK_PICTURE, MP4
// covr, APEv2 "Cover Art (Front)". Only JPEG and PNG pictures are taken.
std::optional<TEmbeddedArt> ReadEmbeddedArt(const std::string& path);

// The same on bytes in memory, the kind chosen by the extension ("mp3", "flac", ...).
std::optional<TAudioTrack> ReadAudioTrackFromBytes(std::string_view bytes,
                                                   std::string_view extension);
std::optional<TEmbeddedArt> ReadEmbeddedArtFromBytes(std::string_view bytes,
                                                     std::string_view extension);

// Whether a file name has the extension of an audio kind read here (any letter case).
bool IsAudioFileName(std::string_view name);

// The disc number a folder's name gives ("CD1", "CD 2", "Disc_3", "disk-4", any case), or 0
// when the name is no disc folder's.
int DiscFolderNumber(std::string_view name);
