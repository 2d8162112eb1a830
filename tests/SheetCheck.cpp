#include "SheetCheck.h"

#include <QImageReader>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <cstdio>

// The sheet in millimetres from its top-left corner, as the print command composes it. A
// line's band is where a one-unit (0.1 mm) pen puts its ink; every element may stand up to
// 0.2 mm off its place.
namespace {

constexpr double Tolerance = 0.2;
// "Arial" 10 points bold as the sheet prints it: an em of 3.53 mm. The first word
// ("Gedruckt") stands from the ascenders' top to the baseline, 0.73 em in Arial's metrics.
constexpr double TextEm = 10 * 25.4 / 72;
constexpr double WordHeightPerEm = 0.73;
// It is 4.34 em wide in bold, 4.0 em in regular letters.
constexpr double WordShape = 4.34 / WordHeightPerEm;

struct TBox {
    double Left, Top, Right, Bottom; // right and bottom just outside
    TBox Grown(double by) const { return {Left - by, Top - by, Right + by, Bottom + by}; }
    bool Contains(double x, double y) const {
        return x >= Left && x < Right && y >= Top && y < Bottom;
    }
};

// Where the parts, the fold lines (6 mm and 7 mm inside the back's left and right edges),
// the footer rule and the footer text stand. On a wrap the cover and back are its front and
// back panels, the fold lines stand at the spine's edges, and there may be no footer.
struct TGeometry {
    TBox Cover, Back;
    double FoldLeft, FoldRight, FoldTop, FoldBottom;
    double RuleY, RuleLeft, RuleRight;
    double TextLeft, TextTop;
    double Bleed;
    std::optional<TBox> Wrap{};
    bool Footer = true;

    // The fold lines by name: a wrap without a spine has one, between its panels.
    std::vector<std::pair<const char*, double>> Folds() const {
        if (FoldLeft == FoldRight)
            return {{"fold line", FoldLeft}};
        return {{"left fold line", FoldLeft}, {"right fold line", FoldRight}};
    }
};

// Side by side: the cover at 10 mm, 50 mm; the back 3 mm to its right (with a bleed, two
// bleeds and 4 mm for the crop marks), 2 mm lower, sharing the bottom edge; the rule at
// 190 mm to 2 mm past the back. Stacked: the cover centred above the back, both centred
// on 105 mm across, the cover 13 mm from the top, the back 10 mm below it, the rule 9 mm
// below the back, from 18 mm to 192 mm across (the footer line is wider than the back).
TGeometry GeometryOf(const TSheetExpectation& e) {
    const double b = e.Bleed;
    if (e.Stacked)
        return {{45.0, 13.0, 165.0, 133.0},
                {29.5, 143.0, 180.5, 261.0},
                35.5,
                173.5,
                143.0,
                261.0,
                270.0,
                18.0,
                192.0,
                18.0,
                270.0,
                b};
    const double backLeft = 130.0 + (b > 0 ? std::max(3.0, 2 * b + 4.0) : 3.0);
    return {{10.0, 50.0, 130.0, 170.0},
            {backLeft, 52.0, backLeft + 151.0, 170.0},
            backLeft + 6.0,
            backLeft + 144.0,
            52.0,
            170.0,
            190.0,
            10.0,
            backLeft + 153.0,
            10.0,
            190.0,
            b};
}

// A paper's name and its sides in tenths of a millimetre.
struct TPaperSize {
    const char* Name;
    int Long, Short;
};

TPaperSize PaperSizeOf(TPaper paper) {
    switch (paper) {
    case TPaper::Letter:
        return {"Letter", 2794, 2159};
    case TPaper::Legal:
        return {"Legal", 3556, 2159};
    case TPaper::A4:
        break;
    }
    return {"A4", 2970, 2100};
}

// A wrap's panel width and height and its spine, in millimetres.
struct TWrapSize {
    double PanelWidth, PanelHeight, Spine;
};

TWrapSize WrapSizeOf(const TSheetExpectation& e) {
    TWrapSize size{e.PanelWidth, e.PanelHeight, 14.0};
    switch (e.Case) {
    case TSheetCase::Slim:
        size = {120.0, 120.0, 0.0};
        break;
    case TSheetCase::Dvd:
        size = {129.5, 184.0, 14.0};
        break;
    case TSheetCase::Bluray:
        size = {128.0, 149.0, 14.0};
        break;
    case TSheetCase::Custom:
    case TSheetCase::Jewel:
        break;
    }
    size.Spine = e.Spine.value_or(size.Spine);
    return size;
}

// A wrap: back panel, spine and front panel side by side, centred on the landscape paper, the
// halves of what is left over truncated to whole tenths of a millimetre (so a wrap wider than
// the paper stands out on both sides). The footer's rule stands 9 mm below the wrap, as wide
// as the wrap but at least 174 mm (the line is some 171 mm long), centred under it, the line
// starting at its left end; it is printed only where it and its 5 mm of height keep 5 mm clear
// of the paper's edges.
TGeometry WrapGeometryOf(const TSheetExpectation& e, const TPaperSize& paper) {
    const TWrapSize size = WrapSizeOf(e);
    const auto tenths = [](double mm) {
        return static_cast<int>(std::lround(mm * 10));
    };
    const int panel = tenths(size.PanelWidth), height = tenths(size.PanelHeight);
    const int spine = tenths(size.Spine), width = 2 * panel + spine;
    const int left = (paper.Long - width) / 2, top = (paper.Short - height) / 2;
    const int footerTop = top + height + 90;
    const int footerWidth = std::max(width, 1740);
    const int footerLeft = (2 * left + width - footerWidth) / 2;
    const bool footer = footerTop + 50 <= paper.Short - 50 && footerLeft >= 50 &&
                        footerLeft + footerWidth <= paper.Long - 50;
    const auto mm = [](int tenths) {
        return tenths / 10.0;
    };
    const TBox wrap{mm(left), mm(top), mm(left + width), mm(top + height)};
    const double foldLeft = mm(left + panel), foldRight = mm(left + panel + spine);
    return {{foldRight, wrap.Top, wrap.Right, wrap.Bottom},
            {wrap.Left, wrap.Top, foldLeft, wrap.Bottom},
            foldLeft,
            foldRight,
            wrap.Top,
            wrap.Bottom,
            mm(footerTop),
            mm(footerLeft),
            mm(footerLeft + footerWidth),
            mm(footerLeft),
            mm(footerTop),
            e.Bleed,
            wrap,
            footer};
}

double Px(double mm) {
    return mm / 25.4 * SheetDpi;
}
double Mm(double px) {
    return px * 25.4 / SheetDpi;
}

template <typename... Args> std::string Format(const char* format, Args... args) {
    char text[300];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

struct TRun {
    int Begin, End; // pixels, end just outside
    double Centre() const { return (Begin + End) / 2.0; }
};

class TPage {
public:
    TPage(const QImage& image, double widthMm, double heightMm)
        : Image(image), WidthMm(widthMm), HeightMm(heightMm) {}

    const QImage& Image;
    const double WidthMm, HeightMm;

    QRgb Pixel(int x, int y) const {
        return reinterpret_cast<const QRgb*>(Image.constScanLine(y))[x];
    }
    static bool Dark(QRgb p) { return qRed(p) < 128 && qGreen(p) < 128 && qBlue(p) < 128; }
    static bool Ink(QRgb p) { return qRed(p) < 200 || qGreen(p) < 200 || qBlue(p) < 200; }
    static bool Near(QRgb p, QRgb colour) {
        return std::abs(qRed(p) - qRed(colour)) < 64 && std::abs(qGreen(p) - qGreen(colour)) < 64 &&
               std::abs(qBlue(p) - qBlue(colour)) < 64;
    }

    // Pixel range [first, last) of a span in millimetres, clipped to the image.
    std::pair<int, int> Span(double fromMm, double toMm, int size) const {
        const int first = std::clamp(static_cast<int>(std::floor(Px(fromMm))), 0, size);
        const int last = std::clamp(static_cast<int>(std::ceil(Px(toMm))), 0, size);
        return {first, last};
    }
    int Row(double mm) const { return std::clamp(static_cast<int>(Px(mm)), 0, Image.height() - 1); }
    int Column(double mm) const {
        return std::clamp(static_cast<int>(Px(mm)), 0, Image.width() - 1);
    }

    // Runs of pixels for which test holds along a row or a column, between two positions.
    template <typename Test>
    std::vector<TRun> Runs(bool alongRow, int fixed, double fromMm, double toMm, Test test) const {
        const auto [first, last] = Span(fromMm, toMm, alongRow ? Image.width() : Image.height());
        std::vector<TRun> runs;
        for (int i = first; i < last; ++i) {
            if (!test(alongRow ? Pixel(i, fixed) : Pixel(fixed, i)))
                continue;
            if (!runs.empty() && runs.back().End == i)
                runs.back().End = i + 1;
            else
                runs.push_back({i, i + 1});
        }
        return runs;
    }

    // The first pixel in a rectangle for which test holds, sampled every step pixels.
    template <typename Test>
    std::optional<QPoint> Find(double left, double top, double right, double bottom, Test test,
                               int step = 3) const {
        const auto [x0, x1] = Span(left, right, Image.width());
        const auto [y0, y1] = Span(top, bottom, Image.height());
        for (int y = y0; y < y1; y += step)
            for (int x = x0; x < x1; x += step)
                if (test(Pixel(x, y)))
                    return QPoint(x, y);
        return std::nullopt;
    }
};

std::string Where(QPoint p) {
    return Format("(%.1f mm, %.1f mm)", Mm(p.x() + 0.5), Mm(p.y() + 0.5));
}

using TProblems = std::vector<std::string>;

// Fold lines cross the back picture only without a bleed.
bool NearFold(const TGeometry& g, double x, bool frames) {
    return frames && g.Bleed == 0 &&
           (std::abs(x - g.FoldLeft) < 0.6 || std::abs(x - g.FoldRight) < 0.6);
}

// A picture of one colour must fill its box, clipped by the paper, to within the tolerance:
// its edges are measured along five rows and five columns, its inside on a 1 mm grid. The
// edges are looked for within `searched`; without it, 2 mm either side of the box, as the
// other picture, perhaps of the same colour, is 3 mm away.
void CheckPicture(const TPage& page, const TGeometry& g, const char* name, const TBox& box,
                  std::optional<QRgb> colour, bool frames, TProblems& problems,
                  std::optional<TBox> searched = std::nullopt) {
    const double left = std::max(box.Left, 0.0), top = std::max(box.Top, 0.0);
    const double right = std::min(box.Right, page.WidthMm);
    const double bottom = std::min(box.Bottom, page.HeightMm);
    // The inside on a 1 mm grid: the picture's colour throughout, or white for an empty one.
    int points = 0, wrong = 0;
    std::optional<QPoint> first;
    for (double y = top + 0.3; y < bottom - 0.3; y += 1.0)
        for (double x = left + 0.3; x < right - 0.3; x += 1.0) {
            if (NearFold(g, x, frames))
                continue;
            ++points;
            const QPoint p(page.Column(x), page.Row(y));
            const QRgb pixel = page.Pixel(p.x(), p.y());
            if (colour ? !TPage::Near(pixel, *colour) : TPage::Ink(pixel)) {
                ++wrong;
                if (!first)
                    first = p;
            }
        }
    if (wrong)
        problems.push_back(Format("%s: %d of %d points inside are not %s, first at ", name, wrong,
                                  points, colour ? "its colour" : "white (no picture)") +
                           Where(*first));
    if (!colour)
        return;
    const auto isColour = [&](QRgb p) {
        return TPage::Near(p, *colour);
    };
    // Worst deviation of each edge: left, right, top, bottom.
    const char* edgeNames[4] = {"left", "right", "top", "bottom"};
    const double expected[4] = {left, right, top, bottom};
    double worst[4] = {0, 0, 0, 0};
    double measured[4] = {expected[0], expected[1], expected[2], expected[3]};
    int missing = 0;
    const TBox reach = searched.value_or(box.Grown(2));
    const auto measure = [&](bool alongRow, int fixed, int edge) {
        const double from = alongRow ? reach.Left : reach.Top;
        const double to = std::min(alongRow ? reach.Right : reach.Bottom,
                                   alongRow ? page.WidthMm : page.HeightMm);
        const auto runs = page.Runs(alongRow, fixed, from, to, isColour);
        if (runs.empty()) {
            ++missing;
            return;
        }
        const double edges[2] = {Mm(runs.front().Begin), Mm(runs.back().End)};
        for (int i = 0; i < 2; ++i) {
            const double deviation = edges[i] - expected[edge + i];
            if (std::abs(deviation) > std::abs(worst[edge + i])) {
                worst[edge + i] = deviation;
                measured[edge + i] = edges[i];
            }
        }
    };
    for (double f : {0.1, 0.3, 0.5, 0.7, 0.9}) {
        measure(true, page.Row(top + f * (bottom - top)), 0);
        const double x = left + f * (right - left);
        measure(false, page.Column(NearFold(g, x, frames) ? x + 1 : x), 2);
    }
    if (missing) {
        problems.push_back(
            Format("%s: its colour is missing on %d of 10 lines across it", name, missing));
        return;
    }
    for (int edge = 0; edge < 4; ++edge)
        if (std::abs(worst[edge]) > Tolerance)
            problems.push_back(Format("%s: %s edge at %.2f mm, expected %.2f mm", name,
                                      edgeNames[edge], measured[edge], expected[edge]));
}

// A straight solid line whose ink must lie in [band0, band1] across it (plus the tolerance),
// sampled every 2 mm along it from `from` to `to`. Only the part on the paper is checked.
struct TLine {
    std::string Name;
    bool Vertical;
    double Band0, Band1;
    double From, To;
};

void CheckLinePresent(const TPage& page, const TGeometry& g, const TLine& line, double before,
                      double after, bool skipFolds, TProblems& problems) {
    const double paperAcross = line.Vertical ? page.WidthMm : page.HeightMm;
    const double paperAlong = line.Vertical ? page.HeightMm : page.WidthMm;
    if (line.Band0 > paperAcross - Tolerance || line.Band1 < Tolerance)
        return; // off the paper
    int samples = 0, missing = 0, misplaced = 0;
    double worstBegin = 0, worstEnd = 0;
    const double centre = (line.Band0 + line.Band1) / 2;
    for (double s = std::max(line.From, 0.0) + 1; s < std::min(line.To, paperAlong) - 0.5;
         s += 2.0) {
        if (!line.Vertical && NearFold(g, s, skipFolds))
            continue;
        ++samples;
        const int fixed = line.Vertical ? page.Row(s) : page.Column(s);
        const auto runs = page.Runs(line.Vertical, fixed, line.Band0 - before, line.Band1 + after,
                                    [](QRgb p) { return TPage::Dark(p); });
        if (runs.empty()) {
            ++missing;
            continue;
        }
        const auto nearest = std::min_element(runs.begin(), runs.end(), [&](auto& a, auto& b) {
            return std::abs(Mm(a.Centre()) - centre) < std::abs(Mm(b.Centre()) - centre);
        });
        const double begin = Mm(nearest->Begin), end = Mm(nearest->End);
        if (begin < line.Band0 - Tolerance || end > line.Band1 + Tolerance) {
            if (!misplaced++ || std::abs(begin - centre) > std::abs(worstBegin - centre)) {
                worstBegin = begin;
                worstEnd = end;
            }
        }
    }
    if (missing)
        problems.push_back(
            Format("%s: missing at %d of %d places", line.Name.c_str(), missing, samples));
    if (misplaced)
        problems.push_back(Format("%s: ink at %.2f-%.2f mm, expected within %.2f-%.2f mm",
                                  line.Name.c_str(), worstBegin, worstEnd, line.Band0, line.Band1));
}

void CheckLineAbsent(const TPage& page, const TLine& line, TProblems& problems) {
    const auto dark = [](QRgb p) {
        return TPage::Dark(p);
    };
    const double from = line.From + 0.5, to = line.To - 0.5;
    const auto found = line.Vertical
                           ? page.Find(line.Band0 - 0.3, from, line.Band1 + 0.3, to, dark, 1)
                           : page.Find(from, line.Band0 - 0.3, to, line.Band1 + 0.3, dark, 1);
    if (found)
        problems.push_back(line.Name + ": drawn although no frames are expected, at " +
                           Where(*found));
}

std::vector<TLine> FrameSides(const char* name, const TBox& box) {
    // A frame lies one unit outside its picture: its ink is the 0.1 mm just outside each edge.
    const std::string prefix = std::string(name) + " frame, ";
    return {
        {prefix + "left side", true, box.Left - 0.1, box.Left, box.Top - 0.1, box.Bottom + 0.1},
        {prefix + "right side", true, box.Right, box.Right + 0.1, box.Top - 0.1, box.Bottom + 0.1},
        {prefix + "top side", false, box.Top - 0.1, box.Top, box.Left - 0.1, box.Right + 0.1},
        {prefix + "bottom side", false, box.Bottom, box.Bottom + 0.1, box.Left - 0.1,
         box.Right + 0.1},
    };
}

// A dashed vertical fold line from FoldTop to FoldBottom: ink and gaps alternate along it.
void CheckFoldLine(const TPage& page, const TGeometry& g, const char* name, double x,
                   TProblems& problems) {
    const double FoldTop = g.FoldTop, FoldBottom = g.FoldBottom;
    const auto dark = [](QRgb p) {
        return TPage::Dark(p);
    };
    // Rows next to the frame's top and bottom sides are left out: the frame crosses there.
    const int first = page.Row(FoldTop + 0.2), last = page.Row(FoldBottom - 0.2);
    std::vector<bool> ink;
    double centres = 0;
    int inkRows = 0;
    for (int y = first; y < last; ++y) {
        const auto runs = page.Runs(true, y, x - 1.5, x + 1.6, dark);
        ink.push_back(!runs.empty());
        if (runs.empty())
            continue;
        ++inkRows;
        const auto nearest = std::min_element(runs.begin(), runs.end(), [&](auto& a, auto& b) {
            return std::abs(Mm(a.Centre()) - x) < std::abs(Mm(b.Centre()) - x);
        });
        centres += Mm(nearest->Centre());
    }
    if (!inkRows) {
        problems.push_back(Format("%s: missing", name));
        return;
    }
    const double centre = centres / inkRows;
    if (centre < x - Tolerance || centre > x + 0.1 + Tolerance)
        problems.push_back(
            Format("%s: at %.2f mm, expected %.2f-%.2f mm", name, centre, x, x + 0.1));
    int dashes = 0, longestGap = 0, gap = 0, firstInk = -1, lastInk = -1;
    for (size_t i = 0; i < ink.size(); ++i) {
        if (ink[i]) {
            if (i == 0 || !ink[i - 1])
                ++dashes;
            if (firstInk < 0)
                firstInk = static_cast<int>(i);
            lastInk = static_cast<int>(i);
            gap = 0;
        } else if (firstInk >= 0) {
            longestGap = std::max(longestGap, ++gap);
        }
    }
    const double share = static_cast<double>(inkRows) / ink.size();
    if (dashes < 20 || share < 0.2 || share > 0.9)
        problems.push_back(
            Format("%s: not dashed (%d dashes, %.0f%% ink)", name, dashes, share * 100));
    if (Mm(longestGap) > 2.0)
        problems.push_back(Format("%s: a gap of %.1f mm", name, Mm(longestGap)));
    const double starts = Mm(first + firstInk), ends = Mm(first + lastInk + 1);
    if (starts > FoldTop + 1.2 || ends < FoldBottom - 1.2)
        problems.push_back(Format("%s: runs from %.1f to %.1f mm, expected %.1f to %.1f mm", name,
                                  starts, ends, FoldTop, FoldBottom));
    const auto beyond = [&](double top, double bottom) {
        return page.Find(x - 0.5, top, x + 0.6, bottom, dark, 1);
    };
    if (const auto p = beyond(FoldTop - 1.5, FoldTop - 0.3))
        problems.push_back(std::string(name) + ": ink above its top end at " + Where(*p));
    if (const auto p = beyond(FoldBottom + 0.3, FoldBottom + 2.0))
        problems.push_back(std::string(name) + ": ink below its bottom end at " + Where(*p));
}

void CheckRule(const TPage& page, const TGeometry& g, TProblems& problems) {
    // The rule under a wrap wider than the paper begins at the paper's edge.
    const double RuleY = g.RuleY, RuleLeft = std::max(g.RuleLeft, 0.0), RuleRight = g.RuleRight;
    const TLine rule{"footer rule", false, RuleY, RuleY + 0.1, RuleLeft, RuleRight};
    // Below the rule the footer text begins; it is measured on its own.
    CheckLinePresent(page, g, rule, 1.0, 0.25, false, problems);
    // Its ends, on the row through its middle 10 mm in.
    const auto runs = page.Runs(false, page.Column(RuleLeft + 10), RuleY - 1.0, RuleY + 0.35,
                                [](QRgb p) { return TPage::Dark(p); });
    if (runs.empty())
        return;
    const auto nearest = std::min_element(runs.begin(), runs.end(), [&](auto& a, auto& b) {
        return std::abs(Mm(a.Centre()) - RuleY) < std::abs(Mm(b.Centre()) - RuleY);
    });
    const int row = static_cast<int>(nearest->Centre());
    const auto along =
        page.Runs(true, row, RuleLeft - 3, page.WidthMm, [](QRgb p) { return TPage::Dark(p); });
    const auto through = std::find_if(along.begin(), along.end(), [&](const TRun& r) {
        return Mm(r.Begin) <= RuleLeft + 10 && Mm(r.End) >= RuleLeft + 10;
    });
    if (through == along.end())
        return;
    const double right = std::min(RuleRight, page.WidthMm);
    if (std::abs(Mm(through->Begin) - RuleLeft) > Tolerance ||
        std::abs(Mm(through->End) - right) > Tolerance)
        problems.push_back(
            Format("footer rule: runs from %.2f to %.2f mm, expected %.2f to %.2f mm",
                   Mm(through->Begin), Mm(through->End), RuleLeft, right));
}

// The footer text's ink starts just below the rule at the left edge of the cover; the height
// of its first word tells the size of the letters. A footer that begins left of the paper,
// under a wrap wider than the paper, is cut: only its height and its end are checked.
void CheckFooterText(const TPage& page, const TGeometry& g, TProblems& problems) {
    const double TextLeft = g.TextLeft, TextTop = g.TextTop;
    const auto [x0, x1] = page.Span(TextLeft - 1.0, page.WidthMm, page.Image.width());
    const auto [y0, y1] = page.Span(TextTop + 0.35, TextTop + 8.0, page.Image.height());
    std::vector<std::pair<int, int>> columns; // top and bottom ink row per column, or -1
    for (int x = x0; x < x1; ++x) {
        int top = -1, bottom = -1;
        for (int y = y0; y < y1; ++y)
            if (TPage::Dark(page.Pixel(x, y))) {
                if (top < 0)
                    top = y;
                bottom = y + 1;
            }
        columns.push_back({top, bottom});
    }
    const auto firstInk =
        std::find_if(columns.begin(), columns.end(), [](auto& c) { return c.first >= 0; });
    if (firstInk == columns.end()) {
        problems.push_back("footer text: missing");
        return;
    }
    const int begin = static_cast<int>(firstInk - columns.begin());
    // The first word ends at the first gap of 0.6 mm (a space; letters stand closer).
    int end = begin, gap = 0, top = columns[begin].first, bottom = columns[begin].second;
    for (int i = begin; i < static_cast<int>(columns.size()) && Mm(gap) < 0.6; ++i) {
        if (columns[i].first < 0) {
            ++gap;
            continue;
        }
        gap = 0;
        end = i + 1;
        top = std::min(top, columns[i].first);
        bottom = std::max(bottom, columns[i].second);
    }
    int textTop = top;
    for (const auto& c : columns)
        if (c.first >= 0)
            textTop = std::min(textTop, c.first);
    const auto lastInk =
        std::find_if(columns.rbegin(), columns.rend(), [](auto& c) { return c.first >= 0; });
    const double right = Mm(x0 + int(columns.rend() - lastInk));
    if (right > std::min(g.RuleRight, page.WidthMm) + Tolerance)
        problems.push_back(
            Format("footer text: ends at x = %.2f mm, past its rule's end at %.2f mm", right,
                   g.RuleRight));
    const double left = Mm(x0 + begin), inkTop = Mm(textTop);
    if (inkTop < TextTop + 0.1 || inkTop > TextTop + 1.2)
        problems.push_back(
            Format("footer text: ink starts at y = %.2f mm, expected just below %.1f mm", inkTop,
                   TextTop));
    if (TextLeft < 0)
        return;
    if (left < TextLeft - Tolerance || left > TextLeft + 0.6)
        problems.push_back(Format(
            "footer text: starts at x = %.2f mm, expected just right of %.1f mm", left, TextLeft));
    const double em = Mm(bottom - top) / WordHeightPerEm;
    if (std::abs(em - TextEm) > 0.2)
        problems.push_back(Format("footer text: first word %.2f mm high and %.2f mm wide, an em "
                                  "of about %.2f mm, expected %.1f mm",
                                  Mm(bottom - top), Mm(end - begin), em, TextEm));
    const double shape = static_cast<double>(end - begin) / (bottom - top);
    if (shape < WordShape - 0.25 || shape > WordShape + 0.25)
        problems.push_back(Format("footer text: first word %.2f times as wide as high, expected "
                                  "about %.2f (bold Arial)",
                                  shape, WordShape));
}

// Where nothing is drawn the paper stays white: outside the parts or the wrap (with their
// frames or crop and fold marks), the footer rule and the footer text, sampled every third
// pixel.
void CheckBlank(const TPage& page, const TGeometry& g, bool frames, TProblems& problems) {
    const double around = !frames ? g.Bleed + 0.5 : g.Bleed > 0 ? g.Bleed + 4.5 : 0.6;
    std::vector<TBox> drawn;
    if (g.Wrap)
        drawn.push_back(g.Wrap->Grown(around));
    else
        drawn = {g.Cover.Grown(around), g.Back.Grown(around)};
    if (g.Footer) {
        drawn.push_back({g.RuleLeft - 0.5, g.RuleY - 0.5, g.RuleRight + 0.5, g.RuleY + 0.6});
        drawn.push_back({g.TextLeft - 1.0, g.TextTop, page.WidthMm, g.TextTop + 8.0});
    }
    const auto [x1, y1] = std::pair{page.Image.width(), page.Image.height()};
    for (int y = 0; y < y1; y += 3)
        for (int x = 0; x < x1; x += 3) {
            const double xMm = Mm(x + 0.5), yMm = Mm(y + 0.5);
            if (!TPage::Ink(page.Pixel(x, y)) ||
                std::any_of(drawn.begin(), drawn.end(),
                            [&](const TBox& box) { return box.Contains(xMm, yMm); }))
                continue;
            problems.push_back("ink where nothing belongs, at " + Where(QPoint(x, y)));
            return;
        }
}

// With a bleed: two crop marks in line with each edge of a part (or of the wrap), 1 to 4 mm
// outside its bleed, and the fold marks above and below the back (or the wrap), dashed.
void CheckMarks(const TPage& page, const TGeometry& g, const char* name, const TBox& box,
                TProblems& problems) {
    const double near = g.Bleed + 1.0, far = near + 3.0;
    const std::string part = std::string(name) + " crop mark ";
    std::vector<TLine> marks;
    for (const double x : {box.Left, box.Right}) {
        marks.push_back({part + "above", true, x, x + 0.1, box.Top - far, box.Top - near});
        marks.push_back({part + "below", true, x, x + 0.1, box.Bottom + near, box.Bottom + far});
    }
    for (const double y : {box.Top, box.Bottom}) {
        marks.push_back({part + "left", false, y, y + 0.1, box.Left - far, box.Left - near});
        marks.push_back({part + "right", false, y, y + 0.1, box.Right + near, box.Right + far});
    }
    for (const TLine& mark : marks)
        CheckLinePresent(page, g, mark, 0.3, 0.3, false, problems);
}

void CheckFoldMarks(const TPage& page, const TGeometry& g, TProblems& problems) {
    const double near = g.Bleed + 1.0, far = near + 3.0;
    for (const auto& fold : g.Folds())
        for (const auto& [top, bottom] : {std::pair{g.Back.Top - far, g.Back.Top - near},
                                          std::pair{g.Back.Bottom + near, g.Back.Bottom + far}})
            if (!page.Find(fold.second - 0.2, top, fold.second + 0.3, bottom, TPage::Dark, 1))
                problems.push_back(Format("fold mark at %.1f mm between %.1f and %.1f mm: missing",
                                          fold.second, top, bottom));
}

// One picture across the wrap runs on over the spine without a seam: the spine's middle
// column holds its colour from the wrap's top to its bottom (bleed included, less the
// tolerance at each end). On a spine narrower than 1.2 mm with fold lines across it, the
// columns just outside the fold lines are read instead.
void CheckSpineColumn(const TPage& page, const TGeometry& g, QRgb colour, bool frames,
                      TProblems& problems) {
    const double middle = (g.FoldLeft + g.FoldRight) / 2;
    std::vector<double> columns{middle};
    if (NearFold(g, middle, frames))
        columns = {g.FoldLeft - 0.3, g.FoldRight + 0.4};
    const TBox wrap = g.Wrap->Grown(g.Bleed);
    for (const double x : columns) {
        const auto other =
            page.Runs(false, page.Column(x), wrap.Top + Tolerance, wrap.Bottom - Tolerance,
                      [&](QRgb p) { return !TPage::Near(p, colour); });
        if (other.empty())
            continue;
        int length = 0;
        for (const TRun& run : other)
            length += run.End - run.Begin;
        problems.push_back(Format("spine: not the wrap picture's colour for %.1f mm of its "
                                  "column at x = %.1f mm, first at ",
                                  Mm(length), x) +
                           Where(QPoint(page.Column(x), other.front().Begin)));
    }
}

// A wrap's pictures: one across the whole wrap, grown by the bleed on every side; or the back
// panel on the left and the front panel on the right, each grown by the bleed on its outer
// sides only, with the spine between them white. A panel's edges are looked for only up to
// the spine's middle, so that panels of one colour meeting at a narrow spine are told apart.
void CheckWrapPictures(const TPage& page, const TGeometry& g, const TSheetExpectation& e,
                       bool frames, TProblems& problems) {
    const double b = g.Bleed;
    if (e.Wrap) {
        CheckPicture(page, g, "wrap picture", g.Wrap->Grown(b), e.Wrap, frames, problems);
        CheckSpineColumn(page, g, *e.Wrap, frames, problems);
        return;
    }
    const double middle = (g.FoldLeft + g.FoldRight) / 2;
    const TBox back{g.Back.Left - b, g.Back.Top - b, g.Back.Right, g.Back.Bottom + b};
    const TBox front{g.Cover.Left, g.Cover.Top - b, g.Cover.Right + b, g.Cover.Bottom + b};
    TBox backSearched = back.Grown(2), frontSearched = front.Grown(2);
    backSearched.Right = std::min(backSearched.Right, middle);
    frontSearched.Left = std::max(frontSearched.Left, middle);
    CheckPicture(page, g, "back panel", back, e.Back, frames, problems, backSearched);
    CheckPicture(page, g, "front panel", front, e.Cover, frames, problems, frontSearched);
    if (g.FoldRight > g.FoldLeft)
        CheckPicture(page, g, "spine", {g.FoldLeft, back.Top, g.FoldRight, back.Bottom},
                     std::nullopt, frames, problems);
}

} // namespace

// The longest run of dark pixels along the rows (or columns) within 0.3 mm of a line, in
// millimetres; none when there is no ink.
std::optional<std::pair<double, double>> LongestLine(const TPage& page, bool alongRow, double atMm,
                                                     double fromMm, double toMm) {
    std::optional<TRun> best;
    const auto at = [&](double mm) {
        return alongRow ? page.Row(mm) : page.Column(mm);
    };
    for (int fixed = at(atMm - 0.3); fixed <= at(atMm + 0.3); ++fixed)
        for (const TRun& run : page.Runs(alongRow, fixed, fromMm, toMm, TPage::Dark))
            if (!best || run.End - run.Begin > best->End - best->Begin)
                best = run;
    if (!best)
        return std::nullopt;
    return std::pair{Mm(best->Begin), Mm(best->End)};
}

std::vector<std::string> CheckTestSheetRulers(const QImage& image,
                                              const TSheetExpectation& expected) {
    QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    if (expected.MayBeTurned && rgb.height() > rgb.width())
        rgb = rgb.transformed(QTransform().rotate(90));
    const TPage page(rgb, Mm(rgb.width()), Mm(rgb.height()));
    const struct {
        const char* Name;
        bool Across;
        double At, From, To, Shift, AtShift;
    } rulers[] = {
        {"ruler across", true, 150.0, 20.0, 270.0, expected.ShiftX, expected.ShiftY},
        {"ruler down", false, 280.0, 15.0, 195.0, expected.ShiftY, expected.ShiftX},
    };
    std::vector<std::string> problems;
    for (const auto& r : rulers) {
        const auto line =
            LongestLine(page, r.Across, r.At + r.AtShift, r.From + r.Shift - 5, r.To + r.Shift + 5);
        if (!line) {
            problems.push_back(Format("%s: missing", r.Name));
            continue;
        }
        const auto [from, to] = *line;
        if (std::abs(from - (r.From + r.Shift)) > Tolerance ||
            std::abs(to - (r.To + r.Shift)) > Tolerance)
            problems.push_back(Format("%s: from %.2f to %.2f mm (%.2f mm long), expected %.1f to "
                                      "%.1f mm",
                                      r.Name, from, to, to - from, r.From + r.Shift,
                                      r.To + r.Shift));
    }
    return problems;
}

std::vector<std::string> CheckSheet(const QImage& image, const TSheetExpectation& expected) {
    const TPaperSize paper = PaperSizeOf(expected.Paper);
    const double longMm = paper.Long / 10.0, shortMm = paper.Short / 10.0;
    const bool wrap = expected.Case != TSheetCase::Jewel;
    const bool portrait = expected.Stacked && !wrap;
    const double widthMm = portrait ? shortMm : longMm, heightMm = portrait ? longMm : shortMm;
    QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    if (expected.MayBeTurned && !portrait && rgb.height() > rgb.width())
        rgb = rgb.transformed(QTransform().rotate(90));
    const int width = static_cast<int>(std::lround(Px(widthMm)));
    const int height = static_cast<int>(std::lround(Px(heightMm)));
    if (std::abs(rgb.width() - width) > 2 || std::abs(rgb.height() - height) > 2)
        return {Format("page is %d x %d pixels, expected about %d x %d (%s %s at %d dpi)",
                       rgb.width(), rgb.height(), width, height, paper.Name,
                       portrait ? "portrait" : "landscape", SheetDpi)};
    if (expected.ShiftX != 0 || expected.ShiftY != 0 || expected.ScaleX != 10000 ||
        expected.ScaleY != 10000) {
        QImage moved(rgb.size(), QImage::Format_RGB32);
        moved.fill(Qt::white);
        QPainter painter(&moved);
        painter.scale(expected.ScaleX / 10000.0, expected.ScaleY / 10000.0);
        painter.drawImage(
            QPointF(-std::round(Px(expected.ShiftX)), -std::round(Px(expected.ShiftY))), rgb);
        painter.end();
        rgb = moved;
    }
    const TPage page(rgb, widthMm, heightMm);
    const TGeometry g = wrap ? WrapGeometryOf(expected, paper) : GeometryOf(expected);
    const bool frames = expected.Frames && g.Bleed == 0;
    const bool marks = expected.Frames && g.Bleed > 0;
    TProblems problems;
    if (wrap) {
        CheckWrapPictures(page, g, expected, frames, problems);
    } else {
        CheckPicture(page, g, "cover picture", g.Cover.Grown(g.Bleed), expected.Cover, frames,
                     problems);
        CheckPicture(page, g, "back picture", g.Back.Grown(g.Bleed), expected.Back, frames,
                     problems);
    }
    // What frames and crop marks go around: the two parts, or the whole wrap.
    std::vector<std::pair<const char*, TBox>> framed{{"cover", g.Cover}, {"back", g.Back}};
    if (wrap)
        framed = {{"wrap", *g.Wrap}};
    for (const auto& [name, box] : framed)
        for (const TLine& side : FrameSides(name, box)) {
            if (frames)
                CheckLinePresent(page, g, side, 1.0, 1.0, true, problems);
            else if (side.Band0 < widthMm - Tolerance)
                CheckLineAbsent(page, side, problems);
        }
    for (const auto& [name, x] : g.Folds()) {
        if (frames)
            CheckFoldLine(page, g, name, x, problems);
        else
            CheckLineAbsent(page, {name, true, x, x + 0.1, g.FoldTop, g.FoldBottom}, problems);
    }
    if (marks) {
        for (const auto& [name, box] : framed)
            CheckMarks(page, g, name, box, problems);
        CheckFoldMarks(page, g, problems);
    }
    if (g.Footer) {
        CheckRule(page, g, problems);
        CheckFooterText(page, g, problems);
    }
    CheckBlank(page, g, expected.Frames, problems);
    return problems;
}

QImage ReadPageImage(const std::string& png) {
    // A page at 600 dpi needs about 140 MB, more than Qt reads by default.
    QImageReader::setAllocationLimit(std::max(QImageReader::allocationLimit(), 512));
    return QImage(QString::fromStdString(png));
}

QImage RasterisePdfPage(const std::string& pdf, std::string& error, int dpi,
                        const QStringList& options) {
    QTemporaryDir dir;
    const QString prefix = dir.filePath("page");
    QProcess process;
    process.start("pdftoppm", options + QStringList{"-r", QString::number(dpi), "-f", "1", "-l",
                                                    "1", "-singlefile", "-png",
                                                    QString::fromStdString(pdf), prefix});
    if (!process.waitForFinished(180000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        error = "pdftoppm could not rasterise " + pdf + ": " +
                process.readAllStandardError().trimmed().toStdString() +
                process.errorString().toStdString();
        return {};
    }
    QImage page = ReadPageImage((prefix + ".png").toStdString());
    if (page.isNull())
        error = "pdftoppm wrote no page image for " + pdf;
    return page;
}

std::vector<std::string> CheckSheetPdf(const std::string& pdf, const TSheetExpectation& expected) {
    std::string error;
    const QImage page = RasterisePdfPage(pdf, error);
    if (page.isNull())
        return {error};
    return CheckSheet(page, expected);
}

std::string JoinProblems(const std::vector<std::string>& problems) {
    std::string text;
    for (const std::string& problem : problems)
        text += "\n  " + problem;
    return text;
}
