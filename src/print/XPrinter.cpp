#include "print/XPrinter.h"

#include <QPainter>

#include "toolkit/Errors.h"
#include "toolkit/Printer.h"

namespace {
class TPrinterCanvas : public TCanvas {
protected:
    QPainter& Handle() override { return Printer().Painter(); }
};
} // namespace

TCanvas& PrinterCanvas() {
    static TPrinterCanvas canvas;
    return canvas;
}

TXPrint::TXPrint() {
    PrinterCount_ = CountPrinters();
    if (PrinterCount_ > 0) {
        Canvas_ = &PrinterCanvas();
        // Without a default printer the window holding the component must still come
        // up; the print command then reports the missing default when it selects one.
        try {
            Printer().SetToDefaultPrinter();
        } catch (const EPrinter&) {
        }
    } else {
        OwnCanvas_ = std::make_unique<TCanvas>();
        Canvas_ = OwnCanvas_.get();
    }
}

TXPrint::~TXPrint() = default;

int TXPrint::CountPrinters() {
    try {
        return static_cast<int>(InstalledPrintQueues().Names.size() & 0xFFFF);
    } catch (const std::exception&) {
        return 0;
    }
}

void TXPrint::SetScaling(TScaling scaling) {
    if (InJob_)
        return;
    const auto toX = [&](int v) {
        return ToDevice(v, LogPixelsX_, UnitsPerInch_, Scaling_);
    };
    const auto toY = [&](int v) {
        return ToDevice(v, LogPixelsY_, UnitsPerInch_, Scaling_);
    };
    const int left = toX(MarginLeft), right = toX(MarginRight);
    const int top = toY(MarginTop), bottom = toY(MarginBottom);
    Scaling_ = scaling;
    UnitsPerInch_ = UnitsPerInchOf(scaling);
    const auto fromX = [&](int v) {
        return FromDevice(v, LogPixelsX_, UnitsPerInch_, Scaling_);
    };
    const auto fromY = [&](int v) {
        return FromDevice(v, LogPixelsY_, UnitsPerInch_, Scaling_);
    };
    MarginLeft = fromX(left);
    MarginRight = fromX(right);
    MarginTop = fromY(top);
    MarginBottom = fromY(bottom);
}

void TXPrint::SetFont(const TFont& font) {
    Canvas_->Font.Assign(font);
}

bool TXPrint::Aborted() const {
    return PrinterCount_ > 0 && Printer().Aborted();
}

int TXPrint::Copies() const {
    return PrinterCount_ > 0 ? Printer().Copies() : 1;
}

void TXPrint::SetCopies(int copies) {
    if (PrinterCount_ > 0)
        Printer().SetCopies(copies);
}

std::string TXPrint::Title() const {
    return PrinterCount_ > 0 ? Printer().Title : std::string();
}

void TXPrint::SetTitle(const std::string& title) {
    if (PrinterCount_ > 0)
        Printer().Title = title;
}

TXPrinterOrientation TXPrint::Orientation() const {
    if (PrinterCount_ == 0 || Printer().Orientation() == TPrinterOrientation::poPortrait)
        return TXPrinterOrientation::xpoPortrait;
    return TXPrinterOrientation::xpoLandscape;
}

void TXPrint::SetOrientation(TXPrinterOrientation orientation) {
    if (PrinterCount_ > 0)
        Printer().SetOrientation(orientation == TXPrinterOrientation::xpoPortrait
                                     ? TPrinterOrientation::poPortrait
                                     : TPrinterOrientation::poLandscape);
}

bool TXPrint::Printing() const {
    return PrinterCount_ > 0 && Printer().Printing();
}

void TXPrint::ReadDeviceMetrics() {
    const TDeviceCaps caps = Printer().DeviceCaps();
    LogPixelsX_ = caps.LogPixelsX;
    LogPixelsY_ = caps.LogPixelsY;
    PhysicalWidth_ = caps.PhysicalWidth;
    PhysicalHeight_ = caps.PhysicalHeight;
    HorzRes_ = caps.HorzRes;
    VertRes_ = caps.VertRes;
    PhysicalOffsetX_ = caps.PhysicalOffsetX;
    PhysicalOffsetY_ = caps.PhysicalOffsetY;
}

TMappingInput TXPrint::MappingInput() const {
    return {Scaling_,         LogPixelsX_,      LogPixelsY_, PhysicalWidth_, PhysicalHeight_,
            PhysicalOffsetX_, PhysicalOffsetY_, MarginLeft,  MarginTop,      MarginRight,
            MarginBottom,     OriginShiftX,     OriginShiftY};
}

void TXPrint::ApplyMapping() {
    const TPageExtent page = PageExtent(MappingInput());
    PageWidth_ = page.Width;
    PageHeight_ = page.Height;
    QPainter& painter = Printer().Painter();
    if (Scaling_ == TScaling::pscDot) {
        // The device's own coordinates stay; only a calibration moves them.
        painter.translate(ShiftToDevice(OriginShiftX, LogPixelsX_),
                          ShiftToDevice(OriginShiftY, LogPixelsY_));
        return;
    }
    const TDeviceMapping m = Isotropic(ComputeMapping(MappingInput()), LogPixelsX_, LogPixelsY_);
    painter.setWindow(0, 0, m.WindowExtX, m.WindowExtY);
    painter.setViewport(m.OriginX, m.OriginY, m.ViewportExtX, m.ViewportExtY);
}

void TXPrint::BeginJob() {
    if (PrinterCount_ == 0)
        return;
    ReadDeviceMetrics();
    Printer().BeginDoc();
    InJob_ = true;
    ApplyMapping();
    // The font's height now means pixels of this printer.
    TFont& font = Canvas_->Font;
    const int points = font.Size();
    font.PixelsPerInch = LogPixelsY_;
    font.SetSize(points);
    SavedFont_ = std::make_unique<TFont>();
    SavedFont_->Assign(font);
    // Text drawn without a further size keeps its nominal size in the job's units.
    SetFontSize(font.Size());
}

void TXPrint::RestoreFont() {
    if (SavedFont_)
        Canvas_->Font.Assign(*SavedFont_);
    SavedFont_.reset();
}

void TXPrint::EndJob() {
    if (PrinterCount_ == 0)
        return;
    Printer().EndDoc();
    RestoreFont();
    InJob_ = false;
}

void TXPrint::AbortJob() {
    if (PrinterCount_ == 0)
        return;
    if (Printer().Printing())
        Printer().Abort();
    if (InJob_)
        RestoreFont();
    InJob_ = false;
}

void TXPrint::SetFontSize(int size) {
    if (PrinterCount_ == 0)
        return;
    FontSize_ = size;
    TFont& font = Canvas_->Font;
    font.SetSize(FontPoints(size, Scaling_, InJob_, font.PixelsPerInch));
}
