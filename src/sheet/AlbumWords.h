// The words an album or a CUE sheet gives a cover: one line a track ("07. Titel 3:45", the
// time last so that the track list sets it flush right), the album as the title line and
// "Künstler – Album" on the spine.
#pragma once

#include <string>
#include <vector>

#include "music/AlbumFolder.h"
#include "music/CueSheet.h"
#include "sheet/CoverText.h"

// The album's words over base, whose styles and settings stay. A track whose artist is not
// the album's gets it after its title ("07. Titel – Gast 3:45"); several discs get a line
// "CD 1", "CD 2" before each disc's tracks. At most MaxTracks lines; notes says what was cut.
TCoverText AlbumWords(const TAlbum& album, const TCoverText& base,
                      std::vector<std::string>* notes = nullptr);
TCoverText CueWords(const TCueSheet& cue, const TCoverText& base,
                    std::vector<std::string>* notes = nullptr);

// "3:45", "1:02:03"; empty for a negative length.
std::string TrackTime(int seconds);

namespace Msg {
inline constexpr TMsg TrackLinesCut{QT_TRANSLATE_NOOP(
    "Msg", "Die Titelliste fasst %d Zeilen: %d weitere Zeilen wurden weggelassen.")};
} // namespace Msg
