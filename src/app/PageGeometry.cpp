#include "app/PageGeometry.h"

#include <cmath>

namespace {
// The side-by-side page as the window has always shown it.
constexpr TPageGeometry SidePage = {{32, 32, 513, 345}, {32, 72, 200, 200}, {240, 80, 241, 192}};

// A portrait A4 sheet, in tenths of a millimetre.
constexpr int PortraitWidth = 2100;
constexpr int PortraitHeight = 2970;

int Scaled(int tenths, double scale) {
    return static_cast<int>(std::lround(tenths * scale));
}

QRect Scaled(const TRect& rect, double scale) {
    const int left = Scaled(rect.Left, scale), top = Scaled(rect.Top, scale);
    return {left, top, Scaled(rect.Right, scale) - left, Scaled(rect.Bottom, scale) - top};
}
} // namespace

TPageGeometry PageGeometry(TArrangement arrangement) {
    if (arrangement == TArrangement::Side)
        return SidePage;
    // The portrait page is as high as the landscape one and stands in its middle, so it fits
    // the window; the parts stand on it where the stacked sheet prints them, at its scale.
    const double scale = double(SidePage.Page.height()) / PortraitHeight;
    const TSheetGeometry sheet = SheetGeometry({TArrangement::Stacked, 0});
    QRect page(0, SidePage.Page.top(), Scaled(PortraitWidth, scale), SidePage.Page.height());
    page.moveLeft(SidePage.Page.center().x() - page.width() / 2);
    return {page, Scaled(sheet.Cover, scale), Scaled(sheet.Back, scale)};
}
