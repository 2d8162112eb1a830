// Track lines from what the music knows.
#include "sheet/AlbumWords.h"

#include <cstdio>

namespace {

// "07. Titel – Gast 3:45": the number (its place on the disc where the file has none), the
// title, the artist where it is not the album's, the time.
std::string TrackLine(int number, const std::string& title, const std::string& artist,
                      int seconds) {
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "%02d. ", number);
    std::string line = prefix + title;
    if (title.empty())
        line.pop_back();
    if (!artist.empty())
        line += " – " + artist;
    if (const std::string time = TrackTime(seconds); !time.empty())
        line += " " + time;
    return CleanTextLine(line);
}

std::string SpineTitle(const std::string& artist, const std::string& album) {
    if (artist.empty())
        return album;
    if (album.empty())
        return artist;
    return artist + " – " + album;
}

// The lines, cut to what a track list holds; a disc's heading is not left without tracks
// (track lines begin with their number, headings with "CD").
std::vector<std::string> Fitted(std::vector<std::string> lines, std::vector<std::string>* notes) {
    if (lines.size() <= MaxTracks)
        return lines;
    const size_t all = lines.size();
    lines.resize(MaxTracks);
    if (lines.back().starts_with("CD "))
        lines.pop_back();
    const size_t cut = all - lines.size();
    if (notes)
        notes->push_back(Format(Msg::TrackLinesCut, int(MaxTracks), int(cut)));
    return lines;
}

TCoverText WithWords(const TCoverText& base, std::vector<std::string> tracks,
                     const std::string& title, const std::string& spine) {
    TCoverText text = base;
    text.Tracks = std::move(tracks);
    text.Title = CleanTextLine(title);
    text.Spine = CleanTextLine(spine);
    return text;
}

} // namespace

std::string TrackTime(int seconds) {
    if (seconds < 0)
        return {};
    char time[32];
    if (seconds >= 3600)
        std::snprintf(time, sizeof time, "%d:%02d:%02d", seconds / 3600, seconds / 60 % 60,
                      seconds % 60);
    else
        std::snprintf(time, sizeof time, "%d:%02d", seconds / 60, seconds % 60);
    return time;
}

TCoverText AlbumWords(const TAlbum& album, const TCoverText& base,
                      std::vector<std::string>* notes) {
    std::vector<std::string> lines;
    int disc = -1;
    int place = 0;
    for (const TAudioTrack& track : album.Tracks) {
        if (track.Disc != disc) {
            disc = track.Disc;
            place = 0;
            if (album.Discs > 1 && disc > 0)
                lines.push_back("CD " + std::to_string(disc));
        }
        ++place;
        const bool ownArtist =
            !track.Artist.empty() && (album.Compilation || track.Artist != album.Artist);
        lines.push_back(TrackLine(track.Number > 0 ? track.Number : place, track.Title,
                                  ownArtist ? track.Artist : "", track.Seconds));
    }
    return WithWords(base, Fitted(std::move(lines), notes), album.Title,
                     SpineTitle(album.Artist, album.Title));
}

TCoverText CueWords(const TCueSheet& cue, const TCoverText& base, std::vector<std::string>* notes) {
    std::vector<std::string> lines;
    const std::vector<int> seconds = cue.Seconds();
    for (size_t i = 0; i < cue.Tracks.size(); ++i) {
        const TCueTrack& track = cue.Tracks[i];
        const bool ownArtist = !track.Performer.empty() && track.Performer != cue.Performer;
        lines.push_back(TrackLine(track.Number > 0 ? track.Number : int(i) + 1, track.Title,
                                  ownArtist ? track.Performer : "", seconds[i]));
    }
    return WithWords(base, Fitted(std::move(lines), notes), cue.Title,
                     SpineTitle(cue.Performer, cue.Title));
}
