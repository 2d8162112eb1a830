// The words on a cover: the spine title on both spines of the back inlay, the track list
// between them and the title line on the front cover, and how they are fitted into their
// parts. Pure layout: the width of a text comes from a measure the caller passes, so the
// fitting is the same for the window, the printer and a test.
#pragma once

#include <QColor>
#include <QRectF>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "picture/Graphic.h"
#include "toolkit/Translation.h"

// A background band behind a text, so that it stays readable on any picture.
enum class TTextBand { None, White, Black, TranslucentWhite };

// Which way the spine title reads when the case stands upright: bottom to top is what
// commercial CDs in continental Europe print.
enum class TSpineDirection { BottomToTop, TopToBottom };

enum class TTitlePosition { Top, Bottom };

struct TTextStyle {
    std::string Family; // empty: the default sans family
    int Points = 0;     // 0: "automatisch", fitted to the part
    QColor Color = Qt::black;
    bool Bold = false;
    TTextBand Band = TTextBand::None;
    bool operator==(const TTextStyle&) const = default;
};

// A track list holds at most this many lines, one key each in the layout file.
inline constexpr size_t MaxTracks = 99;

struct TCoverText {
    std::string Spine;
    TSpineDirection Direction = TSpineDirection::BottomToTop;
    TTextStyle SpineStyle;
    std::vector<std::string> Tracks;
    TTextStyle TrackStyle;
    std::string Title;
    TTitlePosition TitlePosition = TTitlePosition::Top;
    TTextStyle TitleStyle;

    // No words and every setting at its default: nothing is printed and nothing stored.
    bool Empty() const;
    bool operator==(const TCoverText&) const = default;
};

// One line as it can be stored: line breaks and other control characters become spaces,
// and the text is cut (at a character's boundary) to what a layout file reads back.
std::string CleanTextLine(std::string_view text);

// Tracks from text, one title a line (any line end), cleaned; trailing empty lines go.
std::vector<std::string> TrackLines(std::string_view text);

// Where the words may go, in tenths of a millimetre on the sheet: the front cover, the two
// spines (each between the inlay's edge and its fold line) and the inlay between the folds.
// A wrap has one spine (the right one empty), a slim card none: an empty spine gets no title.
struct TTextAreas {
    TRect Cover;
    TRect LeftSpine;
    TRect RightSpine;
    TRect Tracks;
};

// The width of text in the style at an em height of 1.
using TTextMeasure = std::function<double(const std::string& text, const TTextStyle& style)>;

// One line placed on the sheet. Box is the line's footprint on the sheet; a turned line
// runs along the box's height. Right holds a time set flush right in the box.
struct TTextRun {
    std::string Text;
    std::string Right;
    QRectF Box;
    double Em = 0; // em height in tenths of a millimetre
    // Degrees clockwise: 0, or -90 (reads bottom to top) or 90 (top to bottom); a character
    // on a disc label's arc stands at any angle, centred on its box.
    double Angle = 0;
    bool Centred = false;
};

struct TTextBlock {
    TTextStyle Style;
    TRect Area;  // the part the block must stay inside
    QRectF Band; // empty when the style has no band
    std::vector<TTextRun> Runs;
};

struct TTextLayout {
    std::vector<TTextBlock> Blocks;
    // What could not be set as typed, in German, for the dialog and for stderr.
    std::vector<std::string> Warnings;
};

namespace Msg {
inline constexpr TMsg SpineShortened{
    QT_TRANSLATE_NOOP("Msg", "Der Rückentitel ist zu lang für den Rücken und wird gekürzt.")};
inline constexpr TMsg TitleShortened{
    QT_TRANSLATE_NOOP("Msg", "Der Titel ist zu lang für das Cover und wird gekürzt.")};
inline constexpr TMsg TracksDoNotFit{QT_TRANSLATE_NOOP(
    "Msg", "Die Titelliste passt auch in kleinster Schrift nicht auf die Rückseite: %d von %d "
           "Titeln werden gedruckt.")};
inline constexpr TMsg TracksShortened{QT_TRANSLATE_NOOP("Msg", "Zu lange Titel werden gekürzt.")};
} // namespace Msg

// Limits of the fitting, in points.
namespace TextLimits {
inline constexpr double MinSpinePoints = 5;
inline constexpr double TrackPoints = 10; // "automatisch"
inline constexpr double MinTrackPoints = 6;
inline constexpr double TitlePoints = 16; // "automatisch"
inline constexpr double MinTitlePoints = 8;
inline constexpr int MaxPoints = 72;
} // namespace TextLimits

// A line fitted to a width: at the em height start when it fits, else shrunk until it does
// but never below least, and at least cut with an ellipsis to fit.
struct TFitted {
    std::string Text;
    double Em;
    bool Shortened;
};
TFitted FitLine(const std::string& text, double width, double start, double least,
                const TTextMeasure& measure, const TTextStyle& style);

// The em height a style starts from, in tenths of a millimetre: its chosen size (at most
// MaxPoints), or automatic.
double StartEm(const TTextStyle& style, double automatic);

// Fits the words into the areas: nothing for empty input, the spine title on both spines,
// the track list in one or two columns, the title line at the top or the bottom of the cover.
TTextLayout LayoutCoverText(const TCoverText& text, const TTextAreas& areas,
                            const TTextMeasure& measure);
