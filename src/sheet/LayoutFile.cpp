#include "sheet/LayoutFile.h"

#include <charconv>

#include "toolkit/IniFile.h"

namespace {
constexpr const char* BleedKey = "bleed";
constexpr const char* ArrangementKey = "arrangement";
constexpr const char* CaseKey = "case";
constexpr const char* SpineKey = "spineWidth";
constexpr const char* PanelWidthKey = "panelWidth";
constexpr const char* PanelHeightKey = "panelHeight";
constexpr const char* DiscOuterKey = "discOuter";
constexpr const char* DiscHoleKey = "discHole";
constexpr const char* DiscColorKey = "discColor";
constexpr const char* DiscOverprintKey = "discOverprint";

std::optional<int> ParseTenths(std::string_view text, int low, int high) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high)
        return std::nullopt;
    return value;
}

std::optional<int> ParseBleed(std::string_view text) {
    return ParseTenths(text, 0, MaxBleed);
}

std::optional<int> ParseSpine(std::string_view text) {
    return ParseTenths(text, 0, CustomCase::MaxSpine);
}

std::optional<int> ParsePanel(std::string_view text) {
    return ParseTenths(text, CustomCase::MinPanel, CustomCase::MaxPanel);
}

std::optional<int> ParseDiscOuter(std::string_view text) {
    return ParseTenths(text, DiscLimits::MinOuter, DiscLimits::MaxOuter);
}

std::optional<int> ParseDiscHole(std::string_view text) {
    return ParseTenths(text, DiscLimits::MinHole, DiscLimits::MaxHole);
}

std::optional<int> ParseOverprint(std::string_view text) {
    return ParseTenths(text, 0, DiscLimits::MaxOverprint);
}

// Only "#rrggbb", as the words' colours: a name or another form may read differently
// elsewhere.
std::optional<QColor> ParseColour(std::string_view text) {
    const QString name = QString::fromUtf8(text.data(), qsizetype(text.size()));
    if (text.size() != 7 || text[0] != '#' || !QColor::isValidColorName(name))
        return std::nullopt;
    return QColor::fromString(name);
}

std::optional<TCaseKind> ParseCase(std::string_view text) {
    return CaseKindOfKey(text);
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

TSheetLayout TSheetSettings::Layout() const {
    const TCaseKind kind = Case.Value;
    const int spine = Spine.Value == CaseSpine ? CaseType(kind).Size.Spine : Spine.Value;
    return {.Arrangement = Arrangement.Value,
            .Bleed = Bleed.Value,
            .Case = kind,
            .Size = EffectiveCaseSize(kind, spine, PanelWidth.Value, PanelHeight.Value)};
}

void TSheetSettings::SetCase(TCaseKind kind) {
    Case.Set(kind);
    Spine.Set(CaseSpine);
}

void TSheetSettings::SetSpine(int tenths) {
    Spine.Set(tenths == CaseType(Case.Value).Size.Spine ? CaseSpine : tenths);
}

TSheetSettings ReadSheetSettings(const TIniText& text, const std::string& section) {
    TSheetSettings settings;
    ReadSetting(text, section, BleedKey, settings.Bleed, ParseBleed);
    ReadSetting(text, section, ArrangementKey, settings.Arrangement, ParseArrangement);
    ReadSetting(text, section, CaseKey, settings.Case, ParseCase);
    ReadSetting(text, section, SpineKey, settings.Spine, ParseSpine);
    ReadSetting(text, section, PanelWidthKey, settings.PanelWidth, ParsePanel);
    ReadSetting(text, section, PanelHeightKey, settings.PanelHeight, ParsePanel);
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
    StoreSetting(current, section, settings.Case, TCaseKind::Jewel, CaseKey,
                 CaseType(settings.Case.Value).Key, values, removals);
    // The case's own spine is no setting of the layout's, whether named or not.
    TLayoutSetting<int> spine = settings.Spine;
    const int caseSpine = CaseType(settings.Case.Value).Size.Spine;
    if (spine.Value == TSheetSettings::CaseSpine)
        spine.Value = caseSpine;
    StoreSetting(current, section, spine, caseSpine, SpineKey, std::to_string(spine.Value), values,
                 removals);
    const TCaseSize custom = CaseType(TCaseKind::Custom).Size;
    StoreSetting(current, section, settings.PanelWidth, custom.PanelWidth, PanelWidthKey,
                 std::to_string(settings.PanelWidth.Value), values, removals);
    StoreSetting(current, section, settings.PanelHeight, custom.PanelHeight, PanelHeightKey,
                 std::to_string(settings.PanelHeight.Value), values, removals);
}

TDiscSettings ReadDiscSettings(const TIniText& text, const std::string& section) {
    TDiscSettings settings;
    ReadSetting(text, section, DiscOuterKey, settings.Outer, ParseDiscOuter);
    ReadSetting(text, section, DiscHoleKey, settings.Hole, ParseDiscHole);
    ReadSetting(text, section, DiscColorKey, settings.Background, ParseColour);
    ReadSetting(text, section, DiscOverprintKey, settings.Overprint, ParseOverprint);
    return settings;
}

void AddDiscSettingEdits(const TIniText& current, const std::string& section,
                         const TDiscSettings& settings, TIniValues& values,
                         std::vector<std::string>& removals) {
    const TDiscSettings defaults;
    StoreSetting(current, section, settings.Outer, defaults.Outer.Value, DiscOuterKey,
                 std::to_string(settings.Outer.Value), values, removals);
    StoreSetting(current, section, settings.Hole, defaults.Hole.Value, DiscHoleKey,
                 std::to_string(settings.Hole.Value), values, removals);
    StoreSetting(current, section, settings.Background, defaults.Background.Value, DiscColorKey,
                 settings.Background.Value.name().toStdString(), values, removals);
    StoreSetting(current, section, settings.Overprint, defaults.Overprint.Value, DiscOverprintKey,
                 std::to_string(settings.Overprint.Value), values, removals);
}
