// A part's placement in the layout file: the keys "coverMode", "coverView", "coverTurn"
// and their "back…" and "disc…" twins (the disc label's picture). Only settings away from the
// default are stored, so a layout that places nothing saves as it always did; a value the program
// cannot read counts as the default and is written back unchanged until the user changes that
// setting.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "picture/Placement.h"
#include "toolkit/IniFile.h"

enum class TSheetPart;

// Each key's text as the file holds it; none when the key is missing.
struct TPlacementEntries {
    std::optional<std::string> Mode;
    std::optional<std::string> View;
    std::optional<std::string> Turn;
    bool operator==(const TPlacementEntries&) const = default;
};

// A part's placement together with the entries it was read from.
struct TPlacementRecord {
    TPartPlacement Placement;
    TPlacementEntries Read;
    bool operator==(const TPlacementRecord&) const = default;
};

struct TLayoutPlacements {
    TPlacementRecord Cover;
    TPlacementRecord Back;
    TPlacementRecord Disc;
    bool operator==(const TLayoutPlacements&) const = default;
};

// The placement the entries describe; what cannot be read is the default.
TPartPlacement ParsePlacement(const TPlacementEntries& entries);

// The entries to store: a setting still as read keeps its text, a changed one gets its
// canonical text, or none (the key removed) when it is back at its default.
TPlacementEntries PlacementEntriesToWrite(const TPlacementRecord& record);

// The keys of one placement.
struct TPlacementKeys {
    const char* Mode;
    const char* View;
    const char* Turn;
};
TPlacementKeys PlacementKeysOf(TSheetPart part);
inline constexpr TPlacementKeys DiscPlacementKeys = {"discMode", "discView", "discTurn"};

// The placement's entries in the layout's section of text.
TPlacementEntries ReadPlacementEntries(const TIniText& text, const std::string& section,
                                       const TPlacementKeys& keys);

// The three placements (front, back, disc) with the entries they were read from.
TLayoutPlacements ReadLayoutPlacements(const TIniText& text, const std::string& section);

// Adds the placement's keys to the values to set and the keys to remove, leaving out those
// the current text already holds as wanted, so an unchanged line keeps its bytes.
void AddPlacementEdits(const TIniText& current, const std::string& section,
                       const TPlacementKeys& keys, const TPlacementRecord& record,
                       TIniValues& values, std::vector<std::string>& removals);

// "stretch", "fit" or "fill", and the window as "left;top;width;height".
std::string ModeText(TPlacementMode mode);
std::string ViewText(const TPlacementView& view);
