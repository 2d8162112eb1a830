#include "app/PageGeometry.h"

#include <algorithm>
#include <cmath>

namespace {
// The side-by-side page as the window has always shown it.
constexpr TPageGeometry SidePage = {
    {32, 32, 513, 345}, {32, 72, 200, 200}, {240, 80, 241, 192}, {}};

int Scaled(int tenths, double scale) {
    return static_cast<int>(std::lround(tenths * scale));
}

QRect Scaled(const TRect& rect, double scale) {
    const int left = Scaled(rect.Left, scale), top = Scaled(rect.Top, scale);
    return {left, top, Scaled(rect.Right, scale) - left, Scaled(rect.Bottom, scale) - top};
}
} // namespace

TSheetLayout PageLayout(TSheetLayout layout) {
    layout.Paper =
        layout.IsWrap() && layout.Size.Width() > Paper::A4.Width ? Paper::Legal : Paper::A4;
    return layout;
}

TPageGeometry PageGeometry(const TSheetLayout& layout) {
    const TSheetGeometry sheet = SheetGeometry(PageLayout(layout));
    if (!layout.IsWrap() && !sheet.Portrait)
        return SidePage;
    // Any other sheet is shown whole in the room of the side-by-side page and in its
    // middle, so it fits the window; the parts stand on it where the sheet prints them, all
    // at one scale.
    const TPaperSize paper = PageLayout(layout).Paper;
    const int width = sheet.Portrait ? paper.Height : paper.Width;
    const int height = sheet.Portrait ? paper.Width : paper.Height;
    const QRect room = SidePage.Page;
    const double scale = std::min(double(room.width()) / width, double(room.height()) / height);
    QRect page(0, 0, Scaled(width, scale), Scaled(height, scale));
    page.moveTo(room.center().x() - page.width() / 2,
                room.top() + (room.height() - page.height()) / 2);
    return {page, Scaled(sheet.Cover, scale), Scaled(sheet.Back, scale),
            layout.IsWrap() ? Scaled(sheet.Wrap, scale) : QRect()};
}
