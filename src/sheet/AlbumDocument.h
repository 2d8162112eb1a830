// The layout an album gives: what the window's music import and "vellacour-export album"
// put on the sheet from an album folder or a CUE sheet.
#pragma once

#include <string>
#include <vector>

#include "sheet/LayoutDocument.h"
#include "toolkit/Translation.h"

struct TAlbum;
struct TCueSheet;

namespace Msg {
inline constexpr TMsg ArtEmbeddedIn{QT_TRANSLATE_NOOP("Msg", "Cover-Bild aus %s")};
} // namespace Msg

// base with the album's words (AlbumWords, in base's styles) and pictures: the front from
// the folder's cover file or else the art embedded in its files (held until the layout is
// saved, its origin naming the audio file), the back from the folder's back file. A part
// the album has no picture for keeps base's. A wrap's picture is left as it is; notes gets
// what the words had to leave out.
TLayoutDocument AlbumDocument(const TAlbum& album, const TLayoutDocument& base,
                              std::vector<std::string>* notes = nullptr);

// base with the CUE sheet's words (CueWords, in base's styles); its pictures stay.
TLayoutDocument CueDocument(const TCueSheet& cue, const TLayoutDocument& base,
                            std::vector<std::string>* notes = nullptr);
