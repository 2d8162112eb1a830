#include "sheet/CoverTextFile.h"

#include <algorithm>
#include <charconv>

#include "toolkit/AsciiText.h"
#include "toolkit/Errors.h"
#include "toolkit/IniFile.h"

namespace {
constexpr const char* Section = "Beschriftung";

// Each setting's words in the file, the first being the default.
template <typename T> struct TName {
    T Value;
    const char* Text;
};
constexpr TName<TSpineDirection> Directions[] = {{TSpineDirection::BottomToTop, "up"},
                                                 {TSpineDirection::TopToBottom, "down"}};
constexpr TName<TTitlePosition> Positions[] = {{TTitlePosition::Top, "top"},
                                               {TTitlePosition::Bottom, "bottom"}};
constexpr TName<TTextBand> Bands[] = {{TTextBand::None, "none"},
                                      {TTextBand::White, "white"},
                                      {TTextBand::Black, "black"},
                                      {TTextBand::TranslucentWhite, "translucent"}};

template <typename T, size_t N> const char* NameOf(const TName<T> (&names)[N], T value) {
    for (const auto& name : names)
        if (name.Value == value)
            return name.Text;
    return names[0].Text;
}

template <typename T, size_t N>
T ValueOf(const TName<T> (&names)[N], const std::optional<std::string>& text) {
    for (const auto& name : names)
        if (text && SameAsciiText(*text, name.Text))
            return name.Value;
    return names[0].Value;
}

struct TStyleKeys {
    std::string Font, Size, Color, Bold, Band;
};
TStyleKeys KeysOf(const std::string& part) {
    return {part + "Font", part + "Size", part + "Color", part + "Bold", part + "Band"};
}

std::string TrackKey(size_t index) {
    return "track" + std::to_string(index + 1);
}

int PointsOf(const std::optional<std::string>& text) {
    int points = 0;
    if (!text)
        return 0;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), points);
    if (error != std::errc() || end != text->data() + text->size() || points < 1 ||
        points > TextLimits::MaxPoints)
        return 0;
    return points;
}

TTextStyle ReadStyle(const TIniText& ini, const std::string& part) {
    const TStyleKeys keys = KeysOf(part);
    TTextStyle style;
    style.Family = ini.String(Section, keys.Font, "");
    style.Points = PointsOf(ini.Value(Section, keys.Size));
    // Only "#rrggbb": a name or another form may read differently elsewhere.
    const std::string colour = ini.String(Section, keys.Color, "");
    if (colour.size() == 7 && colour[0] == '#' && QColor::isValidColorName(colour))
        style.Color = QColor::fromString(colour);
    style.Bold = ini.String(Section, keys.Bold, "0") == "1";
    style.Band = ValueOf(Bands, ini.Value(Section, keys.Band));
    return style;
}

void AddStyle(TIniValues& values, const std::string& part, const TTextStyle& style) {
    const TStyleKeys keys = KeysOf(part);
    values.insert(values.end(),
                  {{keys.Font, style.Family},
                   {keys.Size, style.Points > 0 ? std::to_string(style.Points) : "auto"},
                   {keys.Color, style.Color.name().toStdString()},
                   {keys.Bold, style.Bold ? "1" : "0"},
                   {keys.Band, NameOf(Bands, style.Band)}});
}

// How many track keys the text holds, the last one counting even when empty.
size_t StoredTracks(const TIniText& ini) {
    size_t count = 0;
    for (size_t i = 0; i < MaxTracks; ++i)
        if (ini.Value(Section, TrackKey(i)))
            count = i + 1;
    return count;
}

// Whether the text holds any of the keys.
bool HoldsAny(const TIniText& ini, const TIniValues& values) {
    return std::any_of(values.begin(), values.end(),
                       [&](const auto& value) { return ini.Value(Section, value.first); });
}
} // namespace

TCoverText ReadCoverText(const TIniText& ini) {
    TCoverText text;
    text.Spine = ini.String(Section, "spine", "");
    text.Direction = ValueOf(Directions, ini.Value(Section, "spineDirection"));
    text.SpineStyle = ReadStyle(ini, "spine");
    text.Title = ini.String(Section, "title", "");
    text.TitlePosition = ValueOf(Positions, ini.Value(Section, "titlePosition"));
    text.TitleStyle = ReadStyle(ini, "title");
    text.TrackStyle = ReadStyle(ini, "tracks");
    // A missing key in the middle is an empty line; empty lines at the end are none.
    const size_t stored = StoredTracks(ini);
    for (size_t i = 0; i < stored; ++i)
        text.Tracks.push_back(ini.String(Section, TrackKey(i), ""));
    while (!text.Tracks.empty() && text.Tracks.back().empty())
        text.Tracks.pop_back();
    return text;
}

bool CoverTextFits(const TCoverText& text) {
    // A longer line would be cut when read, printing other words than the ones saved.
    const auto tooLong = [](const std::string& line) {
        return line.size() > IniMaxValueLength;
    };
    return !tooLong(text.Spine) && !tooLong(text.Title) && text.Tracks.size() <= MaxTracks &&
           std::none_of(text.Tracks.begin(), text.Tracks.end(), tooLong);
}

std::optional<TIniEdit> CoverTextEdit(const TIniText& current, const TCoverText& text) {
    TIniValues values = {{"spine", text.Spine},
                         {"spineDirection", NameOf(Directions, text.Direction)},
                         {"title", text.Title},
                         {"titlePosition", NameOf(Positions, text.TitlePosition)}};
    AddStyle(values, "spine", text.SpineStyle);
    AddStyle(values, "title", text.TitleStyle);
    AddStyle(values, "tracks", text.TrackStyle);
    // Tracks the file held beyond the new list are emptied, so they read as none.
    const size_t stored = StoredTracks(current);
    for (size_t i = 0; i < std::max(stored, text.Tracks.size()); ++i)
        values.emplace_back(TrackKey(i), i < text.Tracks.size() ? text.Tracks[i] : "");
    if (text.Empty() && !HoldsAny(current, values))
        return std::nullopt;
    return TIniEdit{Section, std::move(values), {}};
}
