// Drawing the words of a cover: the fonts as the machine has them, their measure for the
// fitting, and the text as outlines, so that it is vector on paper and the same size on
// every device.
#pragma once

#include <QFont>
#include <string>
#include <vector>

#include "sheet/CoverText.h"
#include "toolkit/Translation.h"

class QPainter;

namespace Msg {
inline constexpr TMsg FontMissing{QT_TRANSLATE_NOOP(
    "Msg", "Die Schrift „%s“ ist nicht installiert; stattdessen wird „%s“ verwendet.")};
}

// The family a style prints with: the chosen one when installed, else a metric-compatible
// family where one exists (Liberation for the common Windows fonts), else the default sans
// family; with the warning that names the replacement.
struct TResolvedFamily {
    QString Family;
    std::string Warning; // empty when the chosen family is there
};
TResolvedFamily ResolveFamily(const std::string& family);

// The default sans family the empty family stands for.
QString DefaultTextFamily();

// The font of a style at an em height of size pixels.
QFont TextFont(const TTextStyle& style, int size);

// Widths through the fonts installed here.
TTextMeasure FontMeasure();

// The layout of the words in the areas, with the fonts installed here.
TTextLayout LayoutWithFonts(const TCoverText& text, const TTextAreas& areas);

// Every warning of a layout made with the fonts installed here: missing fonts first, then
// what the fitting had to give up.
std::vector<std::string> LayoutWarnings(const TTextLayout& layout);

// Every warning of the text.
std::vector<std::string> CoverTextWarnings(const TCoverText& text, const TTextAreas& areas);

// Draws the laid-out words in the painter's coordinates (tenths of a millimetre on the
// sheet): each block's band, then its lines.
void DrawTextLayout(QPainter& painter, const TTextLayout& layout);
