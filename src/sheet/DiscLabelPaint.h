// Drawing a disc label: the ring filled with its colour, the picture clipped to the ring,
// the words with the fonts installed here, and the lines to cut it out along.
#pragma once

#include <QPointF>

#include "sheet/DiscLabel.h"

class TCanvas;
class TGraphic;

// The layout of the label's words with the fonts installed here; LayoutWarnings gives its
// warnings, missing fonts first.
TTextLayout LayoutDiscWithFonts(const TDiscLabel& label, QPointF centre);

// Draws the (clamped) label centred on centre, in tenths of a millimetre on canvas: the
// ring grown by the overprint (0 to MaxOverprint) beyond the outer edge and into the hole
// filled with the background colour, the picture placed into the label's square grown by
// the overprint and clipped to that ring, the words over it; with cutting circles, thin
// circles in the canvas's pen just outside the outer edge and just inside the hole.
void DrawDiscLabel(TCanvas& canvas, QPointF centre, const TDiscLabel& label, TGraphic* picture,
                   int overprint, bool cuttingCircles);
