#include "sheet/LayoutFile.h"

#include "picture/Picture.h"
#include "sheet/CoverSheet.h"
#include "toolkit/Application.h"
#include "toolkit/Errors.h"
#include "toolkit/IniFile.h"

#include <charconv>

namespace {
constexpr const char* CoverKey = "cover";
constexpr const char* BackKey = "back";
constexpr const char* BleedKey = "bleed";
constexpr const char* ArrangementKey = "arrangement";

std::optional<int> ParseBleed(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0 || value > MaxBleed)
        return std::nullopt;
    return value;
}

std::optional<TArrangement> ParseArrangement(std::string_view text) {
    if (text == "side")
        return TArrangement::Side;
    if (text == "stacked")
        return TArrangement::Stacked;
    return std::nullopt;
}

template <typename T>
void ReadSetting(const TIniFile& file, const char* key, TLayoutSetting<T>& setting,
                 std::optional<T> (*parse)(std::string_view)) {
    const std::optional<std::string> text = file.ReadValue(TApplication::Title(), key);
    if (!text)
        return;
    if (const std::optional<T> value = parse(*text))
        setting.Value = *value;
    else
        setting.Unread = text;
}

// Adds the key's value to values, or the key to removed when it holds the default; an
// unread value is left in the file as it is.
template <typename T>
void StoreSetting(const TLayoutSetting<T>& setting, T defaultValue, const char* key,
                  const std::string& text, TIniValues& values, std::vector<std::string>& removed) {
    if (setting.Unread)
        return;
    if (setting.Value == defaultValue)
        removed.emplace_back(key);
    else
        values.emplace_back(key, text);
}
} // namespace

TSheetSettings ReadSheetSettings(const std::string& fileName) {
    const TIniFile file(fileName);
    TSheetSettings settings;
    ReadSetting(file, BleedKey, settings.Bleed, ParseBleed);
    ReadSetting(file, ArrangementKey, settings.Arrangement, ParseArrangement);
    return settings;
}

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
                 const TLayoutPlacements& placements, const TSheetSettings& settings) {
    // A longer path would be cut when read, naming another file than the one saved.
    if (paths.Cover.size() > IniMaxValueLength || paths.Back.size() > IniMaxValueLength)
        throw EIniFileException(Format(Msg::IniWriteError, fileName.c_str()));
    TIniValues values = {{CoverKey, paths.Cover}, {BackKey, paths.Back}};
    std::vector<std::string> removed;
    StoreSetting(settings.Bleed, 0, BleedKey, std::to_string(settings.Bleed.Value), values,
                 removed);
    StoreSetting(settings.Arrangement, TArrangement::Side, ArrangementKey,
                 settings.Arrangement.Value == TArrangement::Stacked ? "stacked" : "side", values,
                 removed);
    TIniFile file(fileName);
    const std::string& section = TApplication::Title();
    AddPlacementEdits(file, section, TSheetPart::Cover, placements.Cover, values, removed);
    AddPlacementEdits(file, section, TSheetPart::Back, placements.Back, values, removed);
    file.WriteStrings(section, values, removed);
}

bool LayoutChanged(const std::string& layoutFile, const TLayoutPaths& paths,
                   const TLayoutPlacements& placements, const TSheetSettings& settings) {
    const TPartPlacement standard;
    if (layoutFile.empty())
        return !paths.Cover.empty() || !paths.Back.empty() ||
               !(placements.Cover.Placement == standard) ||
               !(placements.Back.Placement == standard) || !(settings == TSheetSettings{});
    if (!(ReadLayout(layoutFile) == paths) || !(ReadSheetSettings(layoutFile) == settings))
        return true;
    const TLayoutPlacements stored = ReadLayoutPlacements(layoutFile);
    return !(stored.Cover.Placement == placements.Cover.Placement) ||
           !(stored.Back.Placement == placements.Back.Placement);
}
