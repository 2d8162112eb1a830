#include "sheet/LayoutFile.h"

#include "picture/Picture.h"
#include "sheet/CoverSheet.h"
#include "toolkit/Application.h"
#include "toolkit/Errors.h"
#include "toolkit/IniFile.h"

namespace {
constexpr const char* CoverKey = "cover";
constexpr const char* BackKey = "back";
} // namespace

TLayoutPaths ReadLayout(const std::string& fileName) {
    const TLayoutEntries entries = ReadLayoutEntries(fileName);
    return {entries.Cover.value_or(""), entries.Back.value_or("")};
}

TLayoutEntries ReadLayoutEntries(const std::string& fileName) {
    const TIniFile file(fileName);
    const std::string& section = TApplication::Title();
    return {file.ReadValue(section, CoverKey), file.ReadValue(section, BackKey)};
}

TLayoutPlacements ReadLayoutPlacements(const std::string& fileName) {
    const TIniFile file(fileName);
    const std::string& section = TApplication::Title();
    TLayoutPlacements placements;
    for (auto [part, record] : {std::pair{TSheetPart::Cover, &placements.Cover},
                                std::pair{TSheetPart::Back, &placements.Back}}) {
        record->Read = ReadPlacementEntries(file, section, part);
        record->Placement = ParsePlacement(record->Read);
    }
    return placements;
}

void LoadLayoutPicture(TPicture& picture, const std::optional<std::string>& entry) {
    if (entry && entry->empty())
        return;
    picture.LoadByExtension(entry.value_or(""));
}

void WriteLayout(const std::string& fileName, const TLayoutPaths& paths,
                 const TLayoutPlacements& placements) {
    // A longer path would be cut when read, naming another file than the one saved.
    if (paths.Cover.size() > IniMaxValueLength || paths.Back.size() > IniMaxValueLength)
        throw EIniFileException(Format(Msg::IniWriteError, fileName.c_str()));
    TIniFile file(fileName);
    const std::string& section = TApplication::Title();
    TIniValues values{{CoverKey, paths.Cover}, {BackKey, paths.Back}};
    std::vector<std::string> removals;
    AddPlacementEdits(file, section, TSheetPart::Cover, placements.Cover, values, removals);
    AddPlacementEdits(file, section, TSheetPart::Back, placements.Back, values, removals);
    file.WriteStrings(section, values, removals);
}

bool LayoutChanged(const std::string& layoutFile, const TLayoutPaths& paths,
                   const TLayoutPlacements& placements) {
    const TPartPlacement standard;
    if (layoutFile.empty())
        return !paths.Cover.empty() || !paths.Back.empty() ||
               !(placements.Cover.Placement == standard) ||
               !(placements.Back.Placement == standard);
    if (!(ReadLayout(layoutFile) == paths))
        return true;
    const TLayoutPlacements stored = ReadLayoutPlacements(layoutFile);
    return !(stored.Cover.Placement == placements.Cover.Placement) ||
           !(stored.Back.Placement == placements.Back.Placement);
}
