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

// A disc label's words stand on the picture without a band.
TStyleKeys DiscKeysOf(const std::string& part) {
    return {part + "Font", part + "Size", part + "Color", part + "Bold", ""};
}

std::string TrackKey(size_t index) {
    return "track" + std::to_string(index + 1);
}

std::string DiscLineKey(size_t index) {
    return "discLine" + std::to_string(index + 1);
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

TTextStyle ReadStyle(const TIniText& ini, const TStyleKeys& keys) {
    TTextStyle style;
    style.Family = ini.String(Section, keys.Font, "");
    style.Points = PointsOf(ini.Value(Section, keys.Size));
    // Only "#rrggbb": a name or another form may read differently elsewhere.
    const std::string colour = ini.String(Section, keys.Color, "");
    if (colour.size() == 7 && colour[0] == '#' && QColor::isValidColorName(colour))
        style.Color = QColor::fromString(colour);
    style.Bold = ini.String(Section, keys.Bold, "0") == "1";
    if (!keys.Band.empty())
        style.Band = ValueOf(Bands, ini.Value(Section, keys.Band));
    return style;
}

void AddStyle(TIniValues& values, const TStyleKeys& keys, const TTextStyle& style) {
    values.insert(values.end(),
                  {{keys.Font, style.Family},
                   {keys.Size, style.Points > 0 ? std::to_string(style.Points) : "auto"},
                   {keys.Color, style.Color.name().toStdString()},
                   {keys.Bold, style.Bold ? "1" : "0"}});
    if (!keys.Band.empty())
        values.emplace_back(keys.Band, NameOf(Bands, style.Band));
}

// How many of up to most numbered keys the text holds, the last one counting even when
// empty.
size_t StoredLines(const TIniText& ini, std::string (*keyOf)(size_t), size_t most) {
    size_t count = 0;
    for (size_t i = 0; i < most; ++i)
        if (ini.Value(Section, keyOf(i)))
            count = i + 1;
    return count;
}

// The numbered lines: a missing key in the middle is an empty line; empty lines at the end
// are none.
std::vector<std::string> ReadLines(const TIniText& ini, std::string (*keyOf)(size_t), size_t most) {
    std::vector<std::string> lines;
    const size_t stored = StoredLines(ini, keyOf, most);
    for (size_t i = 0; i < stored; ++i)
        lines.push_back(ini.String(Section, keyOf(i), ""));
    while (!lines.empty() && lines.back().empty())
        lines.pop_back();
    return lines;
}

// The lines as keys; lines the file held beyond the new list are emptied, so they read as
// none.
void AddLines(TIniValues& values, const TIniText& current, const std::vector<std::string>& lines,
              std::string (*keyOf)(size_t), size_t most) {
    const size_t stored = StoredLines(current, keyOf, most);
    for (size_t i = 0; i < std::max(stored, lines.size()); ++i)
        values.emplace_back(keyOf(i), i < lines.size() ? lines[i] : "");
}

bool TooLong(const std::string& line) {
    // A longer line would be cut when read, printing other words than the ones saved.
    return line.size() > IniMaxValueLength;
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
    text.SpineStyle = ReadStyle(ini, KeysOf("spine"));
    text.Title = ini.String(Section, "title", "");
    text.TitlePosition = ValueOf(Positions, ini.Value(Section, "titlePosition"));
    text.TitleStyle = ReadStyle(ini, KeysOf("title"));
    text.TrackStyle = ReadStyle(ini, KeysOf("tracks"));
    text.Tracks = ReadLines(ini, TrackKey, MaxTracks);
    return text;
}

bool CoverTextFits(const TCoverText& text) {
    return !TooLong(text.Spine) && !TooLong(text.Title) && text.Tracks.size() <= MaxTracks &&
           std::none_of(text.Tracks.begin(), text.Tracks.end(), TooLong);
}

std::optional<TIniEdit> CoverTextEdit(const TIniText& current, const TCoverText& text) {
    TIniValues values = {{"spine", text.Spine},
                         {"spineDirection", NameOf(Directions, text.Direction)},
                         {"title", text.Title},
                         {"titlePosition", NameOf(Positions, text.TitlePosition)}};
    AddStyle(values, KeysOf("spine"), text.SpineStyle);
    AddStyle(values, KeysOf("title"), text.TitleStyle);
    AddStyle(values, KeysOf("tracks"), text.TrackStyle);
    AddLines(values, current, text.Tracks, TrackKey, MaxTracks);
    if (text.Empty() && !HoldsAny(current, values))
        return std::nullopt;
    return TIniEdit{Section, std::move(values), {}};
}

TDiscText ReadDiscText(const TIniText& ini) {
    TDiscText text;
    text.Title = ini.String(Section, "discTitle", "");
    text.TitleStyle = ReadStyle(ini, DiscKeysOf("discTitle"));
    text.Subtitle = ini.String(Section, "discSubtitle", "");
    text.SubtitleStyle = ReadStyle(ini, DiscKeysOf("discSubtitle"));
    text.Lines = ReadLines(ini, DiscLineKey, MaxDiscLines);
    text.LinesStyle = ReadStyle(ini, DiscKeysOf("discLines"));
    return text;
}

bool DiscTextFits(const TDiscText& text) {
    return !TooLong(text.Title) && !TooLong(text.Subtitle) && text.Lines.size() <= MaxDiscLines &&
           std::none_of(text.Lines.begin(), text.Lines.end(), TooLong);
}

std::optional<TIniEdit> DiscTextEdit(const TIniText& current, const TDiscText& text) {
    TIniValues values = {{"discTitle", text.Title}, {"discSubtitle", text.Subtitle}};
    AddStyle(values, DiscKeysOf("discTitle"), text.TitleStyle);
    AddStyle(values, DiscKeysOf("discSubtitle"), text.SubtitleStyle);
    AddStyle(values, DiscKeysOf("discLines"), text.LinesStyle);
    AddLines(values, current, text.Lines, DiscLineKey, MaxDiscLines);
    if (text.Empty() && !HoldsAny(current, values))
        return std::nullopt;
    return TIniEdit{Section, std::move(values), {}};
}
