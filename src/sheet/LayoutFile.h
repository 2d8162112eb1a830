// The layout file: an INI file whose section (the application's title) names the two
// picture files of a cover layout under the keys "cover" and "back".
#pragma once

#include <optional>
#include <string>

#include "sheet/PlacementKeys.h"

class TPicture;

struct TLayoutPaths {
    std::string Cover;
    std::string Back;
    bool operator==(const TLayoutPaths&) const = default;
};

// Reads both paths; a missing file, section or key reads as an empty path.
TLayoutPaths ReadLayout(const std::string& fileName);

// What the file says of each picture: a path, an empty path for "no picture", or nothing
// when the key (or the file) is missing.
struct TLayoutEntries {
    std::optional<std::string> Cover;
    std::optional<std::string> Back;
};
TLayoutEntries ReadLayoutEntries(const std::string& fileName);

// How each part places its picture, with the entries it was read from.
TLayoutPlacements ReadLayoutPlacements(const std::string& fileName);

// Loads the picture an entry names into picture, by extension. An empty entry leaves the
// picture empty; a missing one fails as a path without extension does.
void LoadLayoutPicture(TPicture& picture, const std::optional<std::string>& entry);

// Writes both keys in one replacement of the file, keeping every other line. Raises
// EIniFileException ("nach %s kann nicht geschrieben werden") and leaves the file as it
// was when it cannot be written, or when a path is longer than a layout can read back. The
// placement keys go into the same replacement.
void WriteLayout(const std::string& fileName, const TLayoutPaths& paths,
                 const TLayoutPlacements& placements = {});

// Whether the layout has unsaved changes: nothing chosen and no file is unchanged; an
// untitled layout with a picture is changed; otherwise the file is read afresh and the
// stored paths are compared byte for byte. A placement away from the default changes an
// untitled layout; a titled one is changed when its placements differ from the file's.
bool LayoutChanged(const std::string& layoutFile, const TLayoutPaths& paths,
                   const TLayoutPlacements& placements = {});
