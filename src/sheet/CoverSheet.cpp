#include "sheet/CoverSheet.h"

#include <algorithm>
#include <cmath>

#include "picture/Canvas.h"
#include "picture/Picture.h"
#include "print/Printer.h"
#include "print/XPrinter.h"
#include "sheet/CoverTextPaint.h"
#include "sheet/Product.h"
#include "toolkit/Errors.h"

namespace Msg {
constexpr TMsg PrintedWith{QT_TRANSLATE_NOOP("Msg", "Gedruckt mit Vellacour - %s - %s - %s")};
}

namespace {
TRect Grown(const TRect& rect, int by) {
    return {rect.Left - by, rect.Top - by, rect.Right + by, rect.Bottom + by};
}

TRect Moved(const TRect& rect, int dx, int dy) {
    return {rect.Left + dx, rect.Top + dy, rect.Right + dx, rect.Bottom + dy};
}

// Between the parts: today's 3 mm side by side and 10 mm stacked, or what two bleeds with
// their crop marks need.
int PartGap(int usual, int bleed) {
    return bleed > 0 ? std::max(usual, 2 * bleed + MarkGap + MarkLength) : usual;
}

// The stacked sheet: the front cover centred above the back inlay, high enough that the
// footer stays clear of a US Letter sheet's lower edge. Its footer is wider than the back
// inlay (the line is some 171 mm long in 10-point Arial): the rule and the line start
// 18 mm from the paper's left edge and the rule ends as far from the right edge of A4.
constexpr int StackedTop = 130;
constexpr int StackedBackLeft = 295;
constexpr int StackedGap = 100;
constexpr int StackedFooterBelow = 90;
constexpr int StackedFooterLeft = 180;
constexpr int StackedFooterRight = 1920;
constexpr int FooterBeyondBack = 20;
} // namespace

namespace {
// The wrap's panels and spine side by side, centred on the landscape paper.
TRect WrapRect(const TSheetLayout& layout) {
    const TCaseSize& size = layout.Size;
    const int left = (layout.Paper.Width - size.Width()) / 2;
    const int top = (layout.Paper.Height - size.PanelHeight) / 2;
    return {left, top, left + size.Width(), top + size.PanelHeight};
}

// Below the wrap, where it fits inside the paper's margin; the line is some 171 mm long.
constexpr int WrapFooterBelow = 90;
constexpr int FooterHeight = 50;
constexpr int MinFooterWidth = 1740;

TSheetGeometry WrapGeometry(const TSheetLayout& layout) {
    TSheetGeometry sheet;
    sheet.Bleed = PrintedBleed(layout);
    const TRect wrap = WrapRect(layout);
    const int panel = layout.Size.PanelWidth;
    sheet.Wrap = wrap;
    sheet.Back = {wrap.Left, wrap.Top, wrap.Left + panel, wrap.Bottom};
    sheet.Cover = {wrap.Right - panel, wrap.Top, wrap.Right, wrap.Bottom};
    const int bleed = sheet.Bleed;
    sheet.BackPrinted = {wrap.Left - bleed, wrap.Top - bleed, sheet.Back.Right,
                         wrap.Bottom + bleed};
    sheet.CoverPrinted = {sheet.Cover.Left, wrap.Top - bleed, wrap.Right + bleed,
                          wrap.Bottom + bleed};
    sheet.Folds = {sheet.Back.Right};
    if (layout.Size.Spine > 0)
        sheet.Folds.push_back(sheet.Cover.Left);
    // The footer's rule as wide as the wrap and at least as long as the line, centred
    // under it; left out where it would come closer to the paper's edge than a part may.
    const int footerWidth = std::max(wrap.Width(), MinFooterWidth);
    sheet.FooterLeft = (wrap.Left + wrap.Right - footerWidth) / 2;
    sheet.FooterRight = sheet.FooterLeft + footerWidth;
    sheet.FooterTop = wrap.Bottom + WrapFooterBelow;
    sheet.Footer = sheet.FooterTop + FooterHeight <= layout.Paper.Height - FileMargin &&
                   sheet.FooterLeft >= FileMargin &&
                   sheet.FooterRight <= layout.Paper.Width - FileMargin;
    return sheet;
}
} // namespace

int PrintedBleed(const TSheetLayout& layout) {
    const int bleed = std::clamp(layout.Bleed, 0, MaxBleed);
    if (layout.IsWrap()) {
        const TRect wrap = WrapRect(layout);
        const int margin = std::min({wrap.Left, layout.Paper.Width - wrap.Right, wrap.Top,
                                     layout.Paper.Height - wrap.Bottom});
        return std::clamp(margin - FileMargin - MarkGap - MarkLength, 0, bleed);
    }
    return layout.Arrangement == TArrangement::Side ? std::min(bleed, MaxSideBleed) : bleed;
}

TSheetGeometry SheetGeometry(const TSheetLayout& layout) {
    if (layout.IsWrap())
        return WrapGeometry(layout);
    TSheetGeometry sheet;
    sheet.Bleed = PrintedBleed(layout);
    const TRect& cover = Sheet::CoverPicture;
    const TRect& back = Sheet::BackPicture;
    if (layout.Arrangement == TArrangement::Side) {
        sheet.Cover = cover;
        const int gap = PartGap(back.Left - cover.Right, sheet.Bleed);
        sheet.Back = Moved(back, cover.Right + gap - back.Left, 0);
        sheet.FooterLeft = Sheet::FooterLeft;
        sheet.FooterTop = Sheet::FooterTop;
        sheet.FooterRight = sheet.Back.Right + FooterBeyondBack;
    } else {
        sheet.Portrait = true;
        const int coverLeft = StackedBackLeft + (back.Width() - cover.Width()) / 2;
        sheet.Cover = Moved(cover, coverLeft - cover.Left, StackedTop - cover.Top);
        const int backTop = sheet.Cover.Bottom + PartGap(StackedGap, sheet.Bleed);
        sheet.Back = Moved(back, StackedBackLeft - back.Left, backTop - back.Top);
        sheet.FooterLeft = StackedFooterLeft;
        sheet.FooterRight = StackedFooterRight;
        sheet.FooterTop = sheet.Back.Bottom + StackedFooterBelow;
    }
    sheet.CoverPrinted = Grown(sheet.Cover, sheet.Bleed);
    sheet.BackPrinted = Grown(sheet.Back, sheet.Bleed);
    sheet.Folds = {sheet.Back.Left + Sheet::FoldFromBackLeft,
                   sheet.Back.Right - Sheet::FoldFromBackRight};
    return sheet;
}

TRect PartArea(TSheetPart part, bool frames, const TSheetLayout& layout) {
    const TSheetGeometry sheet = SheetGeometry(layout);
    const TRect& printed = part == TSheetPart::Cover ? sheet.CoverPrinted : sheet.BackPrinted;
    if (!frames)
        return printed;
    // A frame stands one unit outside the picture on every side; crop marks end this far
    // outside the bleed.
    return Grown(printed, sheet.Bleed > 0 ? MarkGap + MarkLength : 1);
}

TTextAreas CoverTextAreas(const TSheetLayout& layout) {
    const TSheetGeometry sheet = SheetGeometry(layout);
    if (layout.IsWrap()) {
        // The one spine between the panels; a slim card has none.
        const TRect spine = layout.Size.Spine > 0 ? TRect{sheet.Back.Right, sheet.Wrap.Top,
                                                          sheet.Cover.Left, sheet.Wrap.Bottom}
                                                  : TRect{};
        return {sheet.Cover, spine, {}, sheet.Back};
    }
    const TRect& back = sheet.Back;
    const int leftFold = back.Left + Sheet::FoldFromBackLeft;
    const int rightFold = back.Right - Sheet::FoldFromBackRight;
    // A fold line lies in neither of the areas beside it.
    return {sheet.Cover,
            {back.Left, back.Top, leftFold, back.Bottom},
            {rightFold + 1, back.Top, back.Right, back.Bottom},
            {leftFold + 1, back.Top, rightFold, back.Bottom}};
}

namespace {
void Line(TCanvas& canvas, int x1, int y1, int x2, int y2) {
    canvas.MoveTo(x1, y1);
    canvas.LineTo(x2, y2);
}

// Two short lines in line with each edge of the part, outside its bleed at each end.
void CropMarks(TCanvas& canvas, const TRect& part, int bleed) {
    const int near = bleed + MarkGap;
    const int far = near + MarkLength;
    for (const int x : {part.Left, part.Right}) {
        Line(canvas, x, part.Top - far, x, part.Top - near);
        Line(canvas, x, part.Bottom + near, x, part.Bottom + far);
    }
    for (const int y : {part.Top, part.Bottom}) {
        Line(canvas, part.Left - far, y, part.Left - near, y);
        Line(canvas, part.Right + near, y, part.Right + far, y);
    }
}

// The folds of the inlay's two spines or of a wrap: dashed lines across it, or with a
// bleed dashed marks above and below it, outside the picture.
void FoldLines(TCanvas& canvas, const TSheetGeometry& sheet) {
    const TRect& back = sheet.Back;
    const int bleed = sheet.Bleed;
    canvas.Pen.Style = TPenStyle::psDash;
    for (const int x : sheet.Folds) {
        if (bleed == 0) {
            Line(canvas, x, back.Top, x, back.Bottom);
            continue;
        }
        const int near = bleed + MarkGap;
        Line(canvas, x, back.Top - near - MarkLength, x, back.Top - near);
        Line(canvas, x, back.Bottom + near, x, back.Bottom + near + MarkLength);
    }
    canvas.Pen.Style = TPenStyle::psSolid;
}

// Each picture is placed into its part grown by the bleed, after its frame.
void DrawJewelParts(TCanvas& canvas, const TSheetContent& content, const TSheetGeometry& sheet) {
    if (sheet.Bleed == 0 && content.Frames())
        canvas.Rectangle(PartArea(TSheetPart::Cover, true, content.Layout));
    DrawPlaced(canvas, sheet.CoverPrinted, content.Cover.Content(), content.CoverPlacement);
    if (sheet.Bleed == 0 && content.Frames())
        canvas.Rectangle(PartArea(TSheetPart::Back, true, content.Layout));
    DrawPlaced(canvas, sheet.BackPrinted, content.Back.Content(), content.BackPlacement);
}

// One frame around the whole wrap, then one picture across it or the front and back
// pictures on their panels; the spine stays white unless the wrap's picture covers it.
void DrawWrapParts(TCanvas& canvas, const TSheetContent& content, const TSheetGeometry& sheet) {
    if (sheet.Bleed == 0 && content.Frames())
        canvas.Rectangle(Grown(sheet.Wrap, 1));
    if (content.Wrap && content.Wrap->Content()) {
        DrawPlaced(canvas, Grown(sheet.Wrap, sheet.Bleed), content.Wrap->Content(),
                   {.Mode = TPlacementMode::Fill});
        return;
    }
    DrawPlaced(canvas, sheet.CoverPrinted, content.Cover.Content(), content.CoverPlacement);
    DrawPlaced(canvas, sheet.BackPrinted, content.Back.Content(), content.BackPlacement);
}

void ComposeSheet(TXPrint& print, const TSheetContent& content) {
    TCanvas& canvas = print.Canvas();
    DrawSheetParts(canvas, content);
    const TSheetGeometry sheet = SheetGeometry(content.Layout);
    if (!sheet.Footer)
        return;
    Line(canvas, sheet.FooterLeft, sheet.FooterTop, sheet.FooterRight, sheet.FooterTop);
    canvas.Font.Name = Sheet::FooterFont;
    print.SetFontSize(Sheet::FooterPoints);
    canvas.TextOut(sheet.FooterLeft, sheet.FooterTop, FooterText());
}
} // namespace

void DrawSheetParts(TCanvas& canvas, const TSheetContent& content) {
    const TSheetGeometry sheet = SheetGeometry(content.Layout);
    const bool bleed = sheet.Bleed > 0;
    if (content.Layout.IsWrap())
        DrawWrapParts(canvas, content, sheet);
    else
        DrawJewelParts(canvas, content, sheet);
    if (content.Text && !content.Text->Empty())
        DrawTextLayout(canvas.Painter(),
                       LayoutWithFonts(*content.Text, CoverTextAreas(content.Layout)));
    if (content.Frames()) {
        if (bleed && content.Layout.IsWrap()) {
            CropMarks(canvas, sheet.Wrap, sheet.Bleed);
        } else if (bleed) {
            CropMarks(canvas, sheet.Cover, sheet.Bleed);
            CropMarks(canvas, sheet.Back, sheet.Bleed);
        }
        FoldLines(canvas, sheet);
    }
}

void ConfigureSheetPrint(TXPrint& print) {
    // The unit comes before the margins, so these are taken in tenths of a millimetre.
    print.SetScaling(TScaling::pscMetric10);
    print.MarginLeft = 0;
    print.MarginTop = 0;
    print.MarginRight = 0;
    print.MarginBottom = 0;
    TFont& font = print.Font();
    font.CharSet = 1;
    font.Color = Qt::black;
    font.Height = -21;
    font.Name = "Times New Roman";
    font.Style = {.Bold = true};
    print.SetCopies(0);
    print.SetOrientation(TXPrinterOrientation::xpoLandscape);
}

std::string FooterText() {
    return Format(Msg::PrintedWith, Product::Copyright.Text().c_str(), Product::WebAddress,
                  Product::Email);
}

void OrientForSheet(TXPrint& print, const TSheetLayout& layout) {
    print.SetOrientation(SheetGeometry(layout).Portrait ? TXPrinterOrientation::xpoPortrait
                                                        : TXPrinterOrientation::xpoLandscape);
}

TSheetLayout LayoutOnPaper(TXPrint& print, TSheetLayout layout) {
    OrientForSheet(print, layout);
    const TDeviceCaps caps = print.Printer().DeviceCaps();
    if (caps.LogPixelsX > 0 && caps.LogPixelsY > 0 && caps.PhysicalWidth > 0 &&
        caps.PhysicalHeight > 0) {
        const auto tenths = [](int pixels, int perInch) {
            return static_cast<int>(std::lround(pixels * 254.0 / perInch));
        };
        const int width = tenths(caps.PhysicalWidth, caps.LogPixelsX);
        const int height = tenths(caps.PhysicalHeight, caps.LogPixelsY);
        layout.Paper = {std::max(width, height), std::min(width, height)};
    }
    return layout;
}

void ComposeSheetPage(TXPrint& print, const TSheetContent& content) {
    ComposeSheet(print, content);
}

void PrintCoverSheet(TXPrint& print, const TSheetContent& content) {
    TSheetContent onPaper = content;
    onPaper.Layout = LayoutOnPaper(print, content.Layout);
    print.BeginJob();
    try {
        ComposeSheet(print, onPaper);
    } catch (...) {
        print.AbortJob();
        throw;
    }
    print.EndJob();
}
