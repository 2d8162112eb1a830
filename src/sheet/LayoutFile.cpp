#include "sheet/LayoutFile.h"

#include <charconv>

#include "toolkit/IniFile.h"

namespace {
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
void ReadSetting(const TIniText& text, const std::string& section, const char* key,
                 TLayoutSetting<T>& setting, std::optional<T> (*parse)(std::string_view)) {
    const std::optional<std::string> value = text.Value(section, key);
    if (!value)
        return;
    if (const std::optional<T> parsed = parse(*value))
        setting.Value = *parsed;
    else
        setting.Unread = value;
}

// Adds the key's value to values, or the key to removed when it holds the default; an
// unread value is written back as it was read unless current holds it so already.
template <typename T>
void StoreSetting(const TIniText& current, const std::string& section,
                  const TLayoutSetting<T>& setting, T defaultValue, const char* key,
                  const std::string& text, TIniValues& values, std::vector<std::string>& removed) {
    if (setting.Unread) {
        if (current.Value(section, key) != setting.Unread)
            values.emplace_back(key, *setting.Unread);
        return;
    }
    if (setting.Value == defaultValue)
        removed.emplace_back(key);
    else
        values.emplace_back(key, text);
}
} // namespace

TSheetSettings ReadSheetSettings(const TIniText& text, const std::string& section) {
    TSheetSettings settings;
    ReadSetting(text, section, BleedKey, settings.Bleed, ParseBleed);
    ReadSetting(text, section, ArrangementKey, settings.Arrangement, ParseArrangement);
    return settings;
}

void AddSheetSettingEdits(const TIniText& current, const std::string& section,
                          const TSheetSettings& settings, TIniValues& values,
                          std::vector<std::string>& removals) {
    StoreSetting(current, section, settings.Bleed, 0, BleedKey,
                 std::to_string(settings.Bleed.Value), values, removals);
    StoreSetting(current, section, settings.Arrangement, TArrangement::Side, ArrangementKey,
                 settings.Arrangement.Value == TArrangement::Stacked ? "stacked" : "side", values,
                 removals);
}
