// CUE sheets: the disc's and the tracks' titles and performers, and where each track starts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "music/MusicError.h"

struct TCueTrack {
    int Number = 0;
    std::string Title, Performer;
    int StartFrames = -1; // INDEX 01 within its file, in frames of 1/75 s; -1 none
    std::string File;     // the FILE the track is in, as the sheet names it
    // The length of the last track of a FILE, from the audio file's length where that is
    // known; -1 otherwise.
    int FileEndSeconds = -1;
};

struct TCueSheet {
    std::string Title, Performer;
    std::vector<TCueTrack> Tracks;  // at most MaxCueTracks
    std::vector<std::string> Notes; // lines passed over and why

    // Each track's length in whole seconds, from its start to the next track's start in the
    // same file; the last track of a file has its FileEndSeconds.
    std::vector<int> Seconds() const;
};

inline constexpr size_t MaxCueTracks = 99;
// A CUE sheet is a few kilobytes; more than this is not read.
inline constexpr size_t MaxCueBytes = 1u << 20;

// Parses a sheet in UTF-8 (a byte order mark allowed), or in Windows-1252 when the bytes are
// no valid UTF-8. Lines it does not understand are noted and passed over.
TCueSheet ParseCueSheet(std::string_view bytes);

// Reads the sheet from the file, and the length of each FILE's last track from that audio
// file (named relative to the sheet, or the same name with another audio extension), where
// it can be read: one file for the whole disc or one for each track. Throws EMusicError when the
// file cannot be read or is larger than MaxCueBytes.
TCueSheet ReadCueSheet(const std::string& path);
