#include "sheet/CoverSheet.h"

#include "picture/Canvas.h"
#include "picture/Picture.h"
#include "print/XPrinter.h"
#include "sheet/CoverTextPaint.h"
#include "sheet/Product.h"

TRect PartArea(TSheetPart part, bool frames) {
    const TRect& picture = part == TSheetPart::Cover ? Sheet::CoverPicture : Sheet::BackPicture;
    if (!frames)
        return picture;
    // A frame stands one unit outside the picture on every side.
    return {picture.Left - 1, picture.Top - 1, picture.Right + 1, picture.Bottom + 1};
}

TTextAreas CoverTextAreas() {
    const TRect& back = Sheet::BackPicture;
    const int leftFold = back.Left + Sheet::FoldFromBackLeft;
    const int rightFold = back.Right - Sheet::FoldFromBackRight;
    // A fold line lies in neither of the areas beside it.
    return {Sheet::CoverPicture,
            {back.Left, back.Top, leftFold, back.Bottom},
            {rightFold + 1, back.Top, back.Right, back.Bottom},
            {leftFold + 1, back.Top, rightFold, back.Bottom}};
}

namespace {
void ComposeSheet(TXPrint& print, const TSheetContent& content) {
    TCanvas& canvas = print.Canvas();
    if (content.Frames())
        canvas.Rectangle(PartArea(TSheetPart::Cover, true));
    canvas.DrawStretched(Sheet::CoverPicture, content.Cover.Content());
    if (content.Frames())
        canvas.Rectangle(PartArea(TSheetPart::Back, true));
    canvas.DrawStretched(Sheet::BackPicture, content.Back.Content());
    if (content.Text && !content.Text->Empty())
        DrawTextLayout(canvas.Painter(), LayoutWithFonts(*content.Text, CoverTextAreas()));
    if (content.Frames()) {
        const TRect& back = Sheet::BackPicture;
        canvas.Pen.Style = TPenStyle::psDash;
        canvas.MoveTo(back.Left + Sheet::FoldFromBackLeft, back.Top);
        canvas.LineTo(back.Left + Sheet::FoldFromBackLeft, back.Bottom);
        canvas.MoveTo(back.Right - Sheet::FoldFromBackRight, back.Top);
        canvas.LineTo(back.Right - Sheet::FoldFromBackRight, back.Bottom);
        canvas.Pen.Style = TPenStyle::psSolid;
    }
    canvas.MoveTo(Sheet::FooterLeft, Sheet::FooterTop);
    canvas.LineTo(Sheet::FooterRight, Sheet::FooterTop);
    canvas.Font.Name = Sheet::FooterFont;
    print.SetFontSize(Sheet::FooterPoints);
    canvas.TextOut(Sheet::FooterLeft, Sheet::FooterTop, FooterText());
}
} // namespace

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
    return std::string("Gedruckt mit Vellacour - ") + Product::Copyright + " - " +
           Product::WebAddress + " - " + Product::Email;
}

void PrintCoverSheet(TXPrint& print, const TSheetContent& content) {
    print.BeginJob();
    try {
        ComposeSheet(print, content);
    } catch (...) {
        print.AbortJob();
        throw;
    }
    print.EndJob();
}
