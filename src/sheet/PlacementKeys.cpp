#include "sheet/PlacementKeys.h"

#include <array>
#include <charconv>

#include "sheet/CoverSheet.h"
#include "toolkit/AsciiText.h"

namespace {
constexpr std::array<std::pair<TPlacementMode, const char*>, 3> ModeNames = {{
    {TPlacementMode::Stretch, "stretch"},
    {TPlacementMode::Fit, "fit"},
    {TPlacementMode::Fill, "fill"},
}};

TPlacementMode ParseMode(const std::optional<std::string>& text) {
    for (const auto& [mode, name] : ModeNames)
        if (text && SameAsciiText(*text, name))
            return mode;
    return TPlacementMode::Stretch;
}

// A whole number with nothing before or after it.
std::optional<int> ParseNumber(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// Four numbers separated by ';', a window that is not empty and lies inside the picture.
std::optional<TPlacementView> ParseView(const std::optional<std::string>& text) {
    if (!text)
        return std::nullopt;
    std::array<int, 4> numbers{};
    std::string_view rest = *text;
    for (size_t i = 0; i < numbers.size(); ++i) {
        const size_t end = i + 1 < numbers.size() ? rest.find(';') : rest.size();
        if (end == std::string_view::npos)
            return std::nullopt;
        const std::optional<int> number = ParseNumber(rest.substr(0, end));
        if (!number)
            return std::nullopt;
        numbers[i] = *number;
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    const auto [left, top, width, height] = numbers;
    const bool inside = left >= 0 && top >= 0 && width > 0 && height > 0 &&
                        width <= ViewUnits - left && height <= ViewUnits - top;
    if (!inside)
        return std::nullopt;
    return TPlacementView{left, top, width, height};
}

int ParseTurn(const std::optional<std::string>& text) {
    const std::optional<int> turn = text ? ParseNumber(*text) : std::nullopt;
    if (turn == 90 || turn == 180 || turn == 270)
        return *turn;
    return 0;
}

// The text to store for one setting: the text read while the setting is what it says,
// else the new setting's text, or none for the default.
std::optional<std::string> Keep(const std::optional<std::string>& read, bool unchanged,
                                bool isDefault, const std::string& text) {
    if (unchanged)
        return read;
    if (isDefault)
        return std::nullopt;
    return text;
}
} // namespace

TPlacementKeys PlacementKeysOf(TSheetPart part) {
    if (part == TSheetPart::Cover)
        return {"coverMode", "coverView", "coverTurn"};
    if (part == TSheetPart::Disc)
        return DiscPlacementKeys;
    return {"backMode", "backView", "backTurn"};
}

std::string ModeText(TPlacementMode mode) {
    for (const auto& [each, name] : ModeNames)
        if (each == mode)
            return name;
    return ModeNames.front().second;
}

std::string ViewText(const TPlacementView& view) {
    return std::to_string(view.Left) + ";" + std::to_string(view.Top) + ";" +
           std::to_string(view.Width) + ";" + std::to_string(view.Height);
}

TPartPlacement ParsePlacement(const TPlacementEntries& entries) {
    return {ParseMode(entries.Mode), ParseView(entries.View), ParseTurn(entries.Turn)};
}

TPlacementEntries PlacementEntriesToWrite(const TPlacementRecord& record) {
    const TPartPlacement& now = record.Placement;
    const TPartPlacement read = ParsePlacement(record.Read);
    return {
        Keep(record.Read.Mode, now.Mode == read.Mode, now.Mode == TPlacementMode::Stretch,
             ModeText(now.Mode)),
        Keep(record.Read.View, now.View == read.View, !now.View,
             now.View ? ViewText(*now.View) : ""),
        Keep(record.Read.Turn, now.Turn == read.Turn, now.Turn == 0, std::to_string(now.Turn)),
    };
}

TPlacementEntries ReadPlacementEntries(const TIniText& text, const std::string& section,
                                       const TPlacementKeys& keys) {
    return {text.Value(section, keys.Mode), text.Value(section, keys.View),
            text.Value(section, keys.Turn)};
}

TLayoutPlacements ReadLayoutPlacements(const TIniText& text, const std::string& section) {
    TLayoutPlacements placements;
    for (auto [keys, record] : {std::pair{PlacementKeysOf(TSheetPart::Cover), &placements.Cover},
                                std::pair{PlacementKeysOf(TSheetPart::Back), &placements.Back},
                                std::pair{DiscPlacementKeys, &placements.Disc}}) {
        record->Read = ReadPlacementEntries(text, section, keys);
        record->Placement = ParsePlacement(record->Read);
    }
    return placements;
}

void AddPlacementEdits(const TIniText& current, const std::string& section,
                       const TPlacementKeys& keys, const TPlacementRecord& record,
                       TIniValues& values, std::vector<std::string>& removals) {
    const TPlacementEntries wanted = PlacementEntriesToWrite(record);
    const TPlacementEntries held = ReadPlacementEntries(current, section, keys);
    const auto edit = [&](const char* key, const std::optional<std::string>& want,
                          const std::optional<std::string>& has) {
        if (want == has)
            return;
        if (want)
            values.emplace_back(key, *want);
        else
            removals.emplace_back(key);
    };
    edit(keys.Mode, wanted.Mode, held.Mode);
    edit(keys.View, wanted.View, held.View);
    edit(keys.Turn, wanted.Turn, held.Turn);
}
