#include "sheet/DiscLabel.h"

#include <QString>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "toolkit/Errors.h"

namespace {
// Tenths of a millimetre per point.
constexpr double Tenths = 254.0 / 72.0;
// Each arc's words stay within this angle about the top or the bottom, so that the two
// never meet at the sides.
constexpr double ArcSpan = 140 * std::numbers::pi / 180;
// A character's cell across the arc, in ems; the arc runs through the cells' middle.
constexpr double ArcCell = 1.2;
// An arc's type takes at most this share of the band between the hole and the outer edge.
constexpr double ArcMaxShare = 0.5;
constexpr double LineHeight = 1.25;
// Shrinking steps of the lines, in points.
constexpr double LineStep = 0.25;

// Where the words may go: between two circles about the label's centre.
struct TBand {
    QPointF Centre;
    double Inner;
    double Outer;
};

bool Blank(const std::string& text) {
    return QString::fromStdString(text).trimmed().isEmpty();
}

// The upper arc and the lines above the hole, or the lower arc and the lines below it.
enum class TSide { Top, Bottom };

struct TArcText {
    const std::string& Text;
    const TTextStyle& Style;
    TSide Side;
    double Automatic;
    double Least;
    TMsg Shortened;
};

// One run per character, centred on the arc of the given radius. The upper arc reads
// clockwise with the characters' tops outward, the lower one counter-clockwise with their
// tops toward the centre: both from left to right.
std::vector<TTextRun> ArcRuns(const TArcText& arc, const std::string& text, double em,
                              double radius, QPointF centre, const TTextMeasure& measure) {
    const QString whole = QString::fromStdString(text);
    const auto width = [&](const QString& part) {
        return measure(part.toStdString(), arc.Style) * em;
    };
    const double length = width(whole);
    const double down = arc.Side == TSide::Top ? -1 : 1;
    std::vector<TTextRun> runs;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, whole);
    qsizetype start = 0;
    for (qsizetype end = finder.toNextBoundary(); end > 0;
         start = end, end = finder.toNextBoundary()) {
        const QString character = whole.mid(start, end - start);
        if (character.trimmed().isEmpty())
            continue;
        const double advance = width(character);
        // The text up to and with this character, so that the pair kerned before it keeps
        // its spacing.
        const double along = width(whole.left(end)) - advance / 2 - length / 2;
        const double turn = along / radius;
        const QPointF at =
            centre + QPointF(radius * std::sin(turn), down * radius * std::cos(turn));
        const double degrees = turn * 180 / std::numbers::pi;
        const QSizeF cell(advance, em * ArcCell);
        runs.push_back({character.toStdString(), "",
                        QRectF(at - QPointF(cell.width() / 2, cell.height() / 2), cell), em,
                        arc.Side == TSide::Top ? degrees : -degrees, true});
    }
    return runs;
}

// The text along its arc, the cells' outer side on the band's outer edge. Returns how far
// from the centre its cells reach inward: the band's outer edge when there is no text.
double LayoutArc(const TArcText& arc, const TBand& band, const TRect& area,
                 const TTextMeasure& measure, TTextLayout& layout) {
    if (Blank(arc.Text))
        return band.Outer;
    const double start = std::min(StartEm(arc.Style, arc.Automatic * Tenths),
                                  (band.Outer - band.Inner) * ArcMaxShare / ArcCell);
    // At an em height em the arc through the cells' middle is band.Outer - em * ArcCell / 2
    // from the centre, and the text fits when width * em <= that radius * ArcSpan, that is
    // when (width + ArcCell / 2 * ArcSpan) * em <= band.Outer * ArcSpan: a measure grown by
    // a constant fits the line with the spine's and the cover's fitting.
    const double grown = ArcCell / 2 * ArcSpan;
    const TTextMeasure fitting = [&](const std::string& text, const TTextStyle& style) {
        return measure(text, style) + grown;
    };
    const TFitted fitted = FitLine(arc.Text, band.Outer * ArcSpan, start,
                                   std::min(start, arc.Least * Tenths), fitting, arc.Style);
    if (fitted.Shortened)
        layout.Warnings.emplace_back(arc.Shortened);
    const double radius = band.Outer - fitted.Em * ArcCell / 2;
    layout.Blocks.push_back(
        {arc.Style, area, {}, ArcRuns(arc, fitted.Text, fitted.Em, radius, band.Centre, measure)});
    return band.Outer - fitted.Em * ArcCell;
}

// A row of the lines: its box's top, and how far its far side is from the centre.
struct TRow {
    double Top;
    double Far;
};

// Where the lines go: above the hole up to the upper arc's cells, below it down to the lower
// arc's.
struct TLinesArea {
    TBand Band;
    double UpperEdge;
    double LowerEdge;

    double Edge(TSide side) const { return side == TSide::Top ? UpperEdge : LowerEdge; }

    size_t Capacity(double height, TSide side) const {
        return size_t(std::max(0.0, std::floor((Edge(side) - Band.Inner) / height + 1e-9)));
    }

    // Count rows of the given height centred between the hole and the side's edge, from top
    // to bottom.
    std::vector<TRow> Rows(size_t count, double height, TSide side) const {
        const double middle = (Band.Inner + Edge(side)) / 2;
        const double block = double(count) * height;
        std::vector<TRow> rows;
        for (size_t i = 0; i < count; ++i) {
            if (side == TSide::Top) {
                const double far = middle + block / 2 - double(i) * height;
                rows.push_back({Band.Centre.y() - far, far});
            } else {
                const double near = middle - block / 2 + double(i) * height;
                rows.push_back({Band.Centre.y() + near, near + height});
            }
        }
        return rows;
    }

    // Across a row, inside the circle of the side's edge.
    double Width(const TRow& row, TSide side) const {
        const double edge = Edge(side);
        return row.Far < edge ? 2 * std::sqrt(edge * edge - row.Far * row.Far) : 0;
    }
};

// Whether count lines from first on fit the rows of a side at an em height em.
bool SideFits(const std::vector<std::string>& lines, size_t first, size_t count, TSide side,
              double em, const TLinesArea& area, const TTextMeasure& measure,
              const TTextStyle& style) {
    const double height = em * LineHeight;
    if (count > area.Capacity(height, side))
        return false;
    const std::vector<TRow> rows = area.Rows(count, height, side);
    for (size_t i = 0; i < count; ++i)
        if (measure(lines[first + i], style) * em > area.Width(rows[i], side))
            return false;
    return true;
}

// The largest em height from start down to least, in steps, at which the first above lines
// fit above the hole and the rest below it; least when none does.
double LinesEm(const std::vector<std::string>& lines, size_t above, const TLinesArea& area,
               double start, double least, const TTextMeasure& measure, const TTextStyle& style) {
    const double step = LineStep * Tenths;
    const int steps = int(std::ceil((start - least) / step - 1e-9));
    for (int i = 0; i <= steps; ++i) {
        const double em = std::max(least, start - i * step);
        if (SideFits(lines, 0, above, TSide::Top, em, area, measure, style) &&
            SideFits(lines, above, lines.size() - above, TSide::Bottom, em, area, measure, style))
            return em;
    }
    return least;
}

// The first half of the lines above the hole, the rest below it, in one size; where even
// the least size does not hold them all, as many as its rows hold, each cut to fit.
void LayoutLines(const TDiscLabel& label, const TLinesArea& area, const TRect& part,
                 const TTextMeasure& measure, TTextLayout& layout) {
    const std::vector<std::string>& lines = label.Lines;
    if (std::all_of(lines.begin(), lines.end(), Blank))
        return;
    const TTextStyle& style = label.LinesStyle;
    const double start = StartEm(style, DiscLimits::LinePoints * Tenths);
    const double least = std::min(start, DiscLimits::MinLinePoints * Tenths);
    const size_t half = (lines.size() + 1) / 2;
    const double em = LinesEm(lines, half, area, start, least, measure, style);
    const double height = em * LineHeight;
    const size_t above = std::min(half, area.Capacity(height, TSide::Top));
    const size_t below = std::min(lines.size() - above, area.Capacity(height, TSide::Bottom));
    if (above + below < lines.size())
        layout.Warnings.push_back(
            Format(Msg::DiscLinesDoNotFit, int(above + below), int(lines.size())));
    TTextBlock block{style, part, {}, {}};
    bool shortened = false;
    const auto place = [&](size_t first, size_t count, TSide side) {
        const std::vector<TRow> rows = area.Rows(count, height, side);
        for (size_t i = 0; i < count; ++i) {
            const std::string& line = lines[first + i];
            if (Blank(line))
                continue;
            const double width = area.Width(rows[i], side);
            const TFitted fitted = FitLine(line, width, em, em, measure, style);
            shortened = shortened || fitted.Shortened;
            block.Runs.push_back(
                {fitted.Text, "",
                 QRectF(area.Band.Centre.x() - width / 2, rows[i].Top, width, height), em, 0,
                 true});
        }
    };
    place(0, above, TSide::Top);
    place(above, below, TSide::Bottom);
    if (shortened)
        layout.Warnings.emplace_back(Msg::DiscLinesShortened);
    if (!block.Runs.empty())
        layout.Blocks.push_back(std::move(block));
}
} // namespace

bool TDiscText::HasWords() const {
    const auto blank = [](const std::string& line) {
        return line.find_first_not_of(' ') == std::string::npos;
    };
    return !blank(Title) || !blank(Subtitle) || !std::all_of(Lines.begin(), Lines.end(), blank);
}

TDiscLabel ClampedDiscLabel(TDiscLabel label) {
    label.Outer = std::clamp(label.Outer, DiscLimits::MinOuter, DiscLimits::MaxOuter);
    label.Hole = std::clamp(label.Hole, DiscLimits::MinHole, DiscLimits::MaxHole);
    return label;
}

int ClampedOverprint(int overprint) {
    return std::clamp(overprint, 0, DiscLimits::MaxOverprint);
}

TRect DiscSquare(QPointF centre, int side) {
    const double half = side / 2.0;
    return {static_cast<int>(std::floor(centre.x() - half)),
            static_cast<int>(std::floor(centre.y() - half)),
            static_cast<int>(std::ceil(centre.x() + half)),
            static_cast<int>(std::ceil(centre.y() + half))};
}

TTextLayout LayoutDiscText(const TDiscLabel& label, QPointF centre, const TTextMeasure& measure) {
    const TDiscLabel disc = ClampedDiscLabel(label);
    const TBand band{centre, disc.Hole / 2.0 + DiscLimits::TextMargin,
                     disc.Outer / 2.0 - DiscLimits::TextMargin};
    const TRect area = DiscSquare(centre, disc.Outer);
    TTextLayout layout;
    const double upperEdge =
        LayoutArc({disc.Title, disc.TitleStyle, TSide::Top, DiscLimits::TitlePoints,
                   DiscLimits::MinTitlePoints, Msg::DiscTitleShortened},
                  band, area, measure, layout);
    const double lowerEdge =
        LayoutArc({disc.Subtitle, disc.SubtitleStyle, TSide::Bottom, DiscLimits::SubtitlePoints,
                   DiscLimits::MinSubtitlePoints, Msg::DiscSubtitleShortened},
                  band, area, measure, layout);
    LayoutLines(disc, {band, upperEdge, lowerEdge}, area, measure, layout);
    return layout;
}
