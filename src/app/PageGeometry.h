// Where the main window's white page and its picture controls stand: side by side on a
// landscape page, or the front cover above the back inlay on a portrait one, as the jewel
// case's sheet will print; for every other case the wrap's back and front panels (and the
// control of a picture across the whole wrap) where the wrap stands on a landscape sheet.
#pragma once

#include <QRect>

#include "sheet/CoverSheet.h"

// In the coordinates of the main panel (the page) and of the page (the controls).
struct TPageGeometry {
    QRect Page;
    QRect Cover;
    QRect Back;
    // The whole wrap, from the back panel's left edge to the front panel's right one; empty
    // for the jewel case.
    QRect Wrap;
};

// The layout on the paper the window shows it on: A4, or US Legal for a wrap wider than A4.
TSheetLayout PageLayout(TSheetLayout layout);

TPageGeometry PageGeometry(const TSheetLayout& layout);
