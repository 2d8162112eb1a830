#include "sheet/DiscSheet.h"

#include <algorithm>
#include <cmath>

#include "picture/Picture.h"
#include "print/PrintJob.h"
#include "print/Printer.h"
#include "print/XPrinter.h"
#include "sheet/DiscLabelPaint.h"

namespace {
int Tenths(int pixels, int perInch) {
    return static_cast<int>(std::lround(pixels * 254.0 / perInch));
}

// The upright paper of print's printer in tenths of a millimetre; A4 when the device reports
// no size.
TLabelPaperSize UprightPaper(TXPrint& print) {
    const TDeviceCaps caps = print.Printer().DeviceCaps();
    if (caps.LogPixelsX <= 0 || caps.LogPixelsY <= 0 || caps.PhysicalWidth <= 0 ||
        caps.PhysicalHeight <= 0)
        return LabelPaperSize(TLabelPaper::A4);
    const int width = Tenths(caps.PhysicalWidth, caps.LogPixelsX);
    const int height = Tenths(caps.PhysicalHeight, caps.LogPixelsY);
    return {std::min(width, height), std::max(width, height)};
}

void ComposeDiscSheet(TXPrint& print, const TDiscSheetContent& content) {
    const TLabelPaperSize paper = UprightPaper(print);
    TGraphic* picture = content.Picture ? content.Picture->Content() : nullptr;
    // Plain paper is cut by hand along the circles: nothing reaches beyond them.
    const int overprint = content.Sheet ? ClampedOverprint(content.Overprint) : 0;
    const TDiscLabel label = PrintedDiscLabel(content);
    for (const QPointF centre : DiscCentres(content, paper.Width, paper.Height))
        DrawDiscLabel(print.Canvas(), centre, label, picture, overprint, content.CuttingCircles);
}
} // namespace

std::vector<QPointF> DiscCentres(const TDiscSheetContent& content, int paperWidth,
                                 int paperHeight) {
    if (!content.Sheet)
        return {QPointF(paperWidth / 2.0, paperHeight / 2.0)};
    std::vector<QPointF> centres;
    for (const size_t index : content.Labels) {
        if (index >= content.Sheet->Labels.size())
            continue;
        const TRect square = content.Sheet->Square(index);
        centres.emplace_back((square.Left + square.Right) / 2.0,
                             (square.Top + square.Bottom) / 2.0);
    }
    return centres;
}

TDiscLabel PrintedDiscLabel(const TDiscSheetContent& content) {
    TDiscLabel label = content.Label;
    if (content.Sheet) {
        label.Outer = content.Sheet->Outer;
        label.Hole = content.Sheet->Hole;
    }
    return label;
}

TCalibration DiscSheetCalibration(const TCalibration& stored, const TDeviceCaps& caps) {
    if (caps.LogPixelsX <= 0 || caps.LogPixelsY <= 0)
        return stored;
    const int length = std::max(Tenths(caps.PhysicalWidth, caps.LogPixelsX),
                                Tenths(caps.PhysicalHeight, caps.LogPixelsY));
    return TurnedCalibration(stored, length);
}

void PrintDiscSheet(TXPrint& print, const TDiscSheetContent& content) {
    print.SetOrientation(TXPrinterOrientation::xpoPortrait);
    print.BeginJob();
    try {
        ComposeDiscSheet(print, content);
    } catch (...) {
        print.AbortJob();
        throw;
    }
    print.EndJob();
}
