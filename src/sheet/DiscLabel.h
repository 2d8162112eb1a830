// A disc label: the ring stuck on a CD or DVD, with its picture, the colour of the ring
// where the picture does not reach, and its words, as one value; and where its words go.
// Pure layout, as for the cover's words: the width of a text comes from a measure the
// caller passes. Sizes are in tenths of a millimetre.
#pragma once

#include <QColor>
#include <QPointF>
#include <string>
#include <vector>

#include "picture/Placement.h"
#include "sheet/CoverText.h"
#include "toolkit/Translation.h"

// Labels are a little smaller than the disc's 120 mm; their holes range from a small hub's
// 15 mm to a large hub's 45 mm.
namespace DiscLimits {
inline constexpr int MinOuter = 1000;
inline constexpr int MaxOuter = 1200;
inline constexpr int DefaultOuter = 1170;
inline constexpr int MinHole = 150;
inline constexpr int MaxHole = 450;
inline constexpr int DefaultHole = 410;
// How far the picture may reach beyond the outer edge and into the hole, so that a label
// cut a little off shows no white rim.
inline constexpr int MaxOverprint = 20;
// On a label sheet the picture reaches this far unless the layout says otherwise; on plain
// paper, cut by hand along the cutting circles, it reaches nowhere beyond them.
inline constexpr int DefaultSheetOverprint = 10;
// The words keep this far inside the outer edge and outside the hole.
inline constexpr int TextMargin = 30;
// Type sizes in points: "automatisch", and the least a long text shrinks to.
inline constexpr double TitlePoints = 16;
inline constexpr double MinTitlePoints = 8;
inline constexpr double SubtitlePoints = 12;
inline constexpr double MinSubtitlePoints = 8;
inline constexpr double LinePoints = 10;
inline constexpr double MinLinePoints = 6;
} // namespace DiscLimits

struct TDiscLabel {
    int Outer = DiscLimits::DefaultOuter;
    int Hole = DiscLimits::DefaultHole;
    // The picture is placed into the label's square.
    TPartPlacement Placement{};
    QColor Background = Qt::white;
    // Along the upper arc and along the lower arc, each centred and reading from left to
    // right.
    std::string Title;
    TTextStyle TitleStyle;
    std::string Subtitle;
    TTextStyle SubtitleStyle;
    // Straight lines beside the hole: the first half above it, the rest below it.
    std::vector<std::string> Lines;
    TTextStyle LinesStyle;
    bool operator==(const TDiscLabel&) const = default;
};

// The words of a disc label as a layout stores them.
struct TDiscText {
    std::string Title;
    TTextStyle TitleStyle;
    std::string Subtitle;
    TTextStyle SubtitleStyle;
    std::vector<std::string> Lines;
    TTextStyle LinesStyle;
    // No words and every style at its default: nothing is stored.
    bool Empty() const { return *this == TDiscText{}; }
    // Any words to print.
    bool HasWords() const;
    bool operator==(const TDiscText&) const = default;
};

// The label with its diameters within the limits.
TDiscLabel ClampedDiscLabel(TDiscLabel label);

// The overprint within 0 and MaxOverprint.
int ClampedOverprint(int overprint);

// The smallest square on whole tenths that holds a circle of diameter side about centre
// (a tenth wider when centre lies between tenths): where the picture is placed.
TRect DiscSquare(QPointF centre, int side);

namespace Msg {
inline constexpr TMsg DiscTitleShortened{
    QT_TRANSLATE_NOOP("Msg", "Der Titel ist zu lang für das Disc-Etikett und wird gekürzt.")};
inline constexpr TMsg DiscSubtitleShortened{QT_TRANSLATE_NOOP(
    "Msg", "Die zweite Zeile ist zu lang für das Disc-Etikett und wird gekürzt.")};
inline constexpr TMsg DiscLinesShortened{
    QT_TRANSLATE_NOOP("Msg", "Zu lange Zeilen in der Mitte des Disc-Etiketts werden gekürzt.")};
inline constexpr TMsg DiscLinesDoNotFit{QT_TRANSLATE_NOOP(
    "Msg", "Die Zeilen passen auch in kleinster Schrift nicht in die Mitte des Disc-Etiketts: "
           "%d von %d Zeilen werden gedruckt.")};
} // namespace Msg

// Fits the words onto the (clamped) label centred on centre: the title and the second line
// one run per character along the arcs, their cells between the hole and the outer edge
// less TextMargin; the lines centred above and below the hole, inside the arcs. Long words
// shrink to their least size, then are cut.
TTextLayout LayoutDiscText(const TDiscLabel& label, QPointF centre, const TTextMeasure& measure);
