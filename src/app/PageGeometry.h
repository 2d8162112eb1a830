// Where the main window's white page and its two picture controls stand: side by side on a
// landscape page, or the front cover above the back inlay on a portrait one, as the sheet
// will print.
#pragma once

#include <QRect>

#include "sheet/CoverSheet.h"

// In the coordinates of the main panel (the page) and of the page (the controls).
struct TPageGeometry {
    QRect Page;
    QRect Cover;
    QRect Back;
};

TPageGeometry PageGeometry(TArrangement arrangement);
