// The layout file: an INI file whose section (the application's title) names the two
// picture files of a cover layout under the keys "cover" and "back".
#pragma once

#include <string>

struct TLayoutPaths {
    std::string Cover;
    std::string Back;
    bool operator==(const TLayoutPaths&) const = default;
};

// Reads both paths; a missing file, section or key reads as an empty path.
TLayoutPaths ReadLayout(const std::string& fileName);

// Writes both keys in one replacement of the file, keeping every other line. Raises
// EIniFileException ("nach %s kann nicht geschrieben werden") and leaves the file as it
// was when it cannot be written.
void WriteLayout(const std::string& fileName, const TLayoutPaths& paths);

// Whether the layout has unsaved changes: nothing chosen and no file is unchanged; an
// untitled layout with a picture is changed; otherwise the file is read afresh and the
// stored paths are compared byte for byte.
bool LayoutChanged(const std::string& layoutFile, const TLayoutPaths& paths);
