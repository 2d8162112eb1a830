#include "sheet/CoverText.h"

#include <QRegularExpression>
#include <QString>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <cmath>

#include "toolkit/Errors.h"
#include "toolkit/IniFile.h"

namespace {
// Tenths of a millimetre per point.
constexpr double Tenths = 254.0 / 72.0;
// The spine title keeps clear of the inlay's top and bottom edges.
constexpr double SpineEndMargin = 30;
// Automatic spine type fills half the narrower spine; chosen type at most three quarters, so
// its line always fits across.
constexpr double SpineAutoShare = 0.5;
constexpr double SpineMaxShare = 0.75;
constexpr double SpineLineHeight = 1.2;
// Track list and title keep 5 mm from their part's edges and fold lines.
constexpr double Margin = 50;
constexpr double ColumnGap = 50;
constexpr double LineHeight = 1.25;
// Between a title and its time, in ems.
constexpr double TimeGap = 1.0;
// Shrinking steps of the track list, in points.
constexpr double TrackStep = 0.25;
// A band reaches this far around its text, in ems, and keeps this far (tenths of a
// millimetre) inside its part, so that it never touches a fold line or a cut.
constexpr double BandPad = 0.3;
constexpr double BandInset = 3;
const char* const Ellipsis = "\u2026";

QRectF Inside(const TRect& area, double by) {
    return QRectF(area.Left, area.Top, area.Width(), area.Height()).adjusted(by, by, -by, -by);
}

bool Blank(const std::string& text) {
    return QString::fromStdString(text).trimmed().isEmpty();
}

// The longest start of text, cut between characters, that fits width with an ellipsis.
std::string Elide(const std::string& text, double width, const TTextMeasure& measure,
                  const TTextStyle& style) {
    const QString whole = QString::fromStdString(text);
    std::vector<qsizetype> cuts;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, whole);
    for (qsizetype at = finder.toNextBoundary(); at > 0 && at < whole.size();
         at = finder.toNextBoundary())
        cuts.push_back(at);
    const auto candidate = [&](size_t count) {
        return (count == 0 ? QString() : whole.left(cuts[count - 1])).trimmed().toStdString() +
               Ellipsis;
    };
    size_t low = 0, high = cuts.size();
    while (low < high) {
        const size_t mid = (low + high + 1) / 2;
        if (measure(candidate(mid), style) <= width)
            low = mid;
        else
            high = mid - 1;
    }
    return candidate(low);
}

QRectF BandAround(const TTextStyle& style, const QRectF& text, double pad, const TRect& area) {
    if (style.Band == TTextBand::None)
        return {};
    return text.adjusted(-pad, -pad, pad, pad).intersected(Inside(area, BandInset));
}

void LayoutSpine(const TCoverText& text, const TTextAreas& areas, const TTextMeasure& measure,
                 TTextLayout& layout) {
    if (Blank(text.Spine))
        return;
    const TTextStyle& style = text.SpineStyle;
    // The same type on both spines, sized for the narrower one; a wrap has only one, and
    // a slim card none.
    std::vector<TRect> spines;
    for (const TRect& spine : {areas.LeftSpine, areas.RightSpine})
        if (spine.Width() > 0 && spine.Height() > 0)
            spines.push_back(spine);
    if (spines.empty())
        return;
    double across = spines.front().Width();
    for (const TRect& spine : spines)
        across = std::min<double>(across, spine.Width());
    const double start = std::min(StartEm(style, across * SpineAutoShare), across * SpineMaxShare);
    const double length = spines.front().Height() - 2 * SpineEndMargin;
    const TFitted fitted =
        FitLine(text.Spine, length, start, std::min(start, TextLimits::MinSpinePoints * Tenths),
                measure, style);
    if (fitted.Shortened)
        layout.Warnings.emplace_back(Msg::SpineShortened);
    const double along = measure(fitted.Text, style) * fitted.Em;
    const double thick = fitted.Em * SpineLineHeight;
    for (const TRect& spine : spines) {
        const QPointF centre = Inside(spine, 0).center();
        const QRectF box(centre.x() - thick / 2, centre.y() - along / 2, thick, along);
        TTextBlock block{style, spine, {}, {}};
        // Across the whole spine, so the band reads as a strip rather than a label.
        block.Band = BandAround(style, QRectF(spine.Left, box.top(), spine.Width(), box.height()),
                                BandPad * fitted.Em, spine);
        block.Runs.push_back({fitted.Text, "", box, fitted.Em,
                              text.Direction == TSpineDirection::BottomToTop ? -90.0 : 90.0, true});
        layout.Blocks.push_back(std::move(block));
    }
}

// A track line with a time at its end ("Titel 3:45") sets the time flush right.
struct TTrackLine {
    std::string Title;
    std::string Time;
};
TTrackLine SplitTime(const std::string& line) {
    static const QRegularExpression timed(R"(^(.*\S)\s+(\d{1,2}:\d\d(?::\d\d)?)$)");
    const QRegularExpressionMatch match = timed.match(QString::fromStdString(line));
    if (!match.hasMatch())
        return {line, ""};
    return {match.captured(1).toStdString(), match.captured(2).toStdString()};
}

struct TTrackGrid {
    double Em;
    size_t Columns;
    size_t Rows;
};

double TrackWidth(const TTrackLine& line, const TTextMeasure& measure, const TTextStyle& style) {
    return measure(line.Title, style) +
           (line.Time.empty() ? 0 : TimeGap + measure(line.Time, style));
}

double ColumnWidth(double width, size_t columns) {
    return (width - double(columns - 1) * ColumnGap) / double(columns);
}

// The largest type (and then the fewest columns) at which every line fits its column.
std::optional<TTrackGrid> FitTracks(const std::vector<TTrackLine>& lines, const QRectF& area,
                                    double start, double least, const TTextMeasure& measure,
                                    const TTextStyle& style) {
    double widest = 0;
    for (const TTrackLine& line : lines)
        widest = std::max(widest, TrackWidth(line, measure, style));
    const double step = TrackStep * Tenths;
    const int steps = int(std::ceil((start - least) / step - 1e-9));
    for (int i = 0; i <= steps; ++i) {
        const double em = std::max(least, start - i * step);
        for (size_t columns : {1, 2}) {
            const size_t rows = (lines.size() + columns - 1) / columns;
            if (double(rows) * em * LineHeight <= area.height() &&
                widest * em <= ColumnWidth(area.width(), columns))
                return TTrackGrid{em, columns, rows};
        }
    }
    return std::nullopt;
}

void LayoutTracks(const TCoverText& text, const TTextAreas& areas, const TTextMeasure& measure,
                  TTextLayout& layout) {
    if (std::all_of(text.Tracks.begin(), text.Tracks.end(), Blank))
        return;
    const TTextStyle& style = text.TrackStyle;
    const QRectF area = Inside(areas.Tracks, Margin);
    std::vector<TTrackLine> lines;
    for (const std::string& track : text.Tracks)
        lines.push_back(SplitTime(track));
    const double start = StartEm(style, TextLimits::TrackPoints * Tenths);
    const double least = std::min(start, TextLimits::MinTrackPoints * Tenths);
    std::optional<TTrackGrid> grid = FitTracks(lines, area, start, least, measure, style);
    if (!grid) {
        // Two columns in the smallest type, as many lines as they hold, each cut to fit.
        const size_t rows =
            std::max<size_t>(1, size_t(std::floor(area.height() / (least * LineHeight))));
        const size_t columns = lines.size() > rows ? 2 : 1;
        grid = TTrackGrid{least, columns, std::min(rows, (lines.size() + columns - 1) / columns)};
        const size_t shown = std::min(lines.size(), grid->Rows * columns);
        if (shown < lines.size())
            layout.Warnings.push_back(Format(Msg::TracksDoNotFit, int(shown), int(lines.size())));
        lines.resize(shown);
    }
    const double em = grid->Em;
    const double column = ColumnWidth(area.width(), grid->Columns);
    const double lineHeight = em * LineHeight;
    const double top = area.top() + (area.height() - double(grid->Rows) * lineHeight) / 2;
    TTextBlock block{style, areas.Tracks, {}, {}};
    bool shortened = false;
    QRectF used;
    for (size_t i = 0; i < lines.size(); ++i) {
        // Column by column, top to bottom.
        const size_t columnIndex = i / grid->Rows;
        const size_t row = i % grid->Rows;
        const QRectF box(area.left() + double(columnIndex) * (column + ColumnGap),
                         top + double(row) * lineHeight, column, lineHeight);
        used = used.united(box);
        TTrackLine line = lines[i];
        if (Blank(line.Title) && line.Time.empty())
            continue;
        if (TrackWidth(line, measure, style) * em > column) {
            shortened = true;
            const double timeWidth =
                line.Time.empty() ? 0 : (TimeGap + measure(line.Time, style)) * em;
            line.Title = Elide(line.Title, (column - timeWidth) / em, measure, style);
        }
        block.Runs.push_back({line.Title, line.Time, box, em, 0, false});
    }
    if (shortened)
        layout.Warnings.emplace_back(Msg::TracksShortened);
    block.Band = BandAround(style, used, BandPad * em, areas.Tracks);
    layout.Blocks.push_back(std::move(block));
}

void LayoutTitle(const TCoverText& text, const TTextAreas& areas, const TTextMeasure& measure,
                 TTextLayout& layout) {
    if (Blank(text.Title))
        return;
    const TTextStyle& style = text.TitleStyle;
    const QRectF area = Inside(areas.Cover, Margin);
    const double start = StartEm(style, TextLimits::TitlePoints * Tenths);
    const TFitted fitted =
        FitLine(text.Title, area.width(), start,
                std::min(start, TextLimits::MinTitlePoints * Tenths), measure, style);
    if (fitted.Shortened)
        layout.Warnings.emplace_back(Msg::TitleShortened);
    const double lineHeight = fitted.Em * LineHeight;
    const double top =
        text.TitlePosition == TTitlePosition::Top ? area.top() : area.bottom() - lineHeight;
    const QRectF box(area.left(), top, area.width(), lineHeight);
    TTextBlock block{style, areas.Cover, {}, {}};
    // Across the whole cover, as a strip.
    block.Band = BandAround(style, QRectF(areas.Cover.Left, top, areas.Cover.Width(), lineHeight),
                            BandPad * fitted.Em, areas.Cover);
    block.Runs.push_back({fitted.Text, "", box, fitted.Em, 0, true});
    layout.Blocks.push_back(std::move(block));
}
} // namespace

TFitted FitLine(const std::string& text, double width, double start, double least,
                const TTextMeasure& measure, const TTextStyle& style) {
    const double perEm = measure(text, style);
    if (perEm * start <= width)
        return {text, start, false};
    const double em = width / perEm;
    if (em >= least)
        return {text, em, false};
    return {Elide(text, width / least, measure, style), least, true};
}

double StartEm(const TTextStyle& style, double automatic) {
    return style.Points > 0 ? std::min(style.Points, TextLimits::MaxPoints) * Tenths : automatic;
}

bool TCoverText::Empty() const {
    return *this == TCoverText{};
}

std::string CleanTextLine(std::string_view text) {
    std::string line(text);
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = ' ';
    if (line.size() > IniMaxValueLength) {
        size_t end = IniMaxValueLength;
        // Back to the first byte of a UTF-8 character.
        while (end > 0 && (static_cast<unsigned char>(line[end]) & 0xC0) == 0x80)
            --end;
        line.resize(end);
    }
    return line;
}

std::vector<std::string> TrackLines(std::string_view text) {
    std::vector<std::string> tracks;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos)
            end = text.size();
        tracks.push_back(CleanTextLine(text.substr(pos, end - pos)));
        pos = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    while (!tracks.empty() && tracks.back().empty())
        tracks.pop_back();
    return tracks;
}

TTextLayout LayoutCoverText(const TCoverText& text, const TTextAreas& areas,
                            const TTextMeasure& measure) {
    TTextLayout layout;
    LayoutSpine(text, areas, measure, layout);
    LayoutTracks(text, areas, measure, layout);
    LayoutTitle(text, areas, measure, layout);
    return layout;
}
