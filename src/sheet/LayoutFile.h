// The layout file: an INI file whose section (the application's title) names the two
// picture files of a cover layout under the keys "cover" and "back".
#pragma once

#include <optional>
#include <string>

#include "sheet/CoverSheet.h"
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

// A setting of the sheet as the layout file holds it. A value the program cannot read
// counts as the default and its text is kept, so that saving leaves it as it is until the
// user changes that setting.
template <typename T> struct TLayoutSetting {
    T Value{};
    std::optional<std::string> Unread;
    void Set(T value) {
        Value = value;
        Unread.reset();
    }
    bool operator==(const TLayoutSetting&) const = default;
};

// The sheet settings of a layout: "bleed" in tenths of a millimetre (0 to 30) and
// "arrangement" ("side" or "stacked"). Only a value other than the default is stored.
struct TSheetSettings {
    TLayoutSetting<int> Bleed;
    TLayoutSetting<TArrangement> Arrangement;
    TSheetLayout Layout() const { return {Arrangement.Value, Bleed.Value}; }
    bool operator==(const TSheetSettings&) const = default;
};

TSheetSettings ReadSheetSettings(const std::string& fileName);

// Writes both keys in one replacement of the file, keeping every other line; of the sheet
// settings a default value removes its key and an unread one leaves it alone. Raises
// EIniFileException ("nach %s kann nicht geschrieben werden") and leaves the file as it
// was when it cannot be written, or when a path is longer than a layout can read back. The
// placement keys go into the same replacement.
void WriteLayout(const std::string& fileName, const TLayoutPaths& paths,
                 const TLayoutPlacements& placements = {}, const TSheetSettings& settings = {});

// Whether the layout has unsaved changes: nothing chosen and no file is unchanged; an
// untitled layout with a picture, a placement or a sheet setting away from the default is
// changed; otherwise the file is read afresh and the stored paths, placements and sheet
// settings are compared, the paths byte for byte.
bool LayoutChanged(const std::string& layoutFile, const TLayoutPaths& paths,
                   const TLayoutPlacements& placements = {}, const TSheetSettings& settings = {});
