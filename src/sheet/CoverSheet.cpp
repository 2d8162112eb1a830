#include "sheet/CoverSheet.h"

#include <algorithm>

#include "picture/Canvas.h"
#include "picture/Picture.h"
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

int PrintedBleed(const TSheetLayout& layout) {
    const int bleed = std::clamp(layout.Bleed, 0, MaxBleed);
    return layout.Arrangement == TArrangement::Side ? std::min(bleed, MaxSideBleed) : bleed;
}

TSheetGeometry SheetGeometry(const TSheetLayout& layout) {
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
    return sheet;
}

TRect PartArea(TSheetPart part, bool frames, const TSheetLayout& layout) {
    const TSheetGeometry sheet = SheetGeometry(layout);
    const TRect& picture = part == TSheetPart::Cover ? sheet.Cover : sheet.Back;
    if (!frames)
        return Grown(picture, sheet.Bleed);
    // A frame stands one unit outside the picture on every side; crop marks end this far
    // outside the bleed.
    return Grown(picture, sheet.Bleed > 0 ? sheet.Bleed + MarkGap + MarkLength : 1);
}

TTextAreas CoverTextAreas(const TSheetLayout& layout) {
    const TSheetGeometry sheet = SheetGeometry(layout);
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

// The inlay's two spines: dashed lines across it, or with a bleed dashed marks above and
// below it, outside the picture.
void FoldLines(TCanvas& canvas, const TRect& back, int bleed) {
    canvas.Pen.Style = TPenStyle::psDash;
    for (const int x :
         {back.Left + Sheet::FoldFromBackLeft, back.Right - Sheet::FoldFromBackRight}) {
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

void ComposeSheet(TXPrint& print, const TSheetContent& content) {
    TCanvas& canvas = print.Canvas();
    DrawSheetParts(canvas, content);
    const TSheetGeometry sheet = SheetGeometry(content.Layout);
    Line(canvas, sheet.FooterLeft, sheet.FooterTop, sheet.FooterRight, sheet.FooterTop);
    canvas.Font.Name = Sheet::FooterFont;
    print.SetFontSize(Sheet::FooterPoints);
    canvas.TextOut(sheet.FooterLeft, sheet.FooterTop, FooterText());
}
} // namespace

void DrawSheetParts(TCanvas& canvas, const TSheetContent& content) {
    const TSheetGeometry sheet = SheetGeometry(content.Layout);
    const bool bleed = sheet.Bleed > 0;
    if (!bleed && content.Frames())
        canvas.Rectangle(PartArea(TSheetPart::Cover, true, content.Layout));
    // Each picture is placed into its part grown by the bleed.
    DrawPlaced(canvas, Grown(sheet.Cover, sheet.Bleed), content.Cover.Content(),
               content.CoverPlacement);
    if (!bleed && content.Frames())
        canvas.Rectangle(PartArea(TSheetPart::Back, true, content.Layout));
    DrawPlaced(canvas, Grown(sheet.Back, sheet.Bleed), content.Back.Content(),
               content.BackPlacement);
    if (content.Text && !content.Text->Empty())
        DrawTextLayout(canvas.Painter(),
                       LayoutWithFonts(*content.Text, CoverTextAreas(content.Layout)));
    if (content.Frames()) {
        if (bleed) {
            CropMarks(canvas, sheet.Cover, sheet.Bleed);
            CropMarks(canvas, sheet.Back, sheet.Bleed);
        }
        FoldLines(canvas, sheet.Back, sheet.Bleed);
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

void PrintCoverSheet(TXPrint& print, const TSheetContent& content) {
    OrientForSheet(print, content.Layout);
    print.BeginJob();
    try {
        ComposeSheet(print, content);
    } catch (...) {
        print.AbortJob();
        throw;
    }
    print.EndJob();
}
