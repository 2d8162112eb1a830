#include "print/XPrinter.h"

#include <QPainter>

#include "print/Printer.h"
#include "toolkit/Errors.h"

TXPrint::TXPrint(TPrinter& printer) : Printer_(printer), Canvas_(&printer.Canvas()) {}

TXPrint::~TXPrint() = default;

int TXPrint::PrinterCount() const {
    // Decided once: a printer installed later is not seen, one removed later still counts.
    if (!PrinterCount_)
        PrinterCount_ = Printer_.QueueCount() & 0xFFFF;
    return *PrinterCount_;
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

// Writes reach the printer object without waiting for its list of queues: on a machine
// without printers nothing ever prints with them, and the reads below give the defaults.
bool TXPrint::Aborted() const {
    return HasPrinter() && Printer_.Aborted();
}

int TXPrint::Copies() const {
    return HasPrinter() ? Printer_.Copies() : 1;
}

void TXPrint::SetCopies(int copies) {
    if (!PrinterCount_ || *PrinterCount_ > 0)
        Printer_.SetCopies(copies);
}

std::string TXPrint::Title() const {
    return HasPrinter() ? Printer_.Title : std::string();
}

void TXPrint::SetTitle(const std::string& title) {
    if (!PrinterCount_ || *PrinterCount_ > 0)
        Printer_.Title = title;
}

TXPrinterOrientation TXPrint::Orientation() const {
    if (!HasPrinter() || Printer_.Orientation() == TPrinterOrientation::poPortrait)
        return TXPrinterOrientation::xpoPortrait;
    return TXPrinterOrientation::xpoLandscape;
}

void TXPrint::SetOrientation(TXPrinterOrientation orientation) {
    if (!PrinterCount_ || *PrinterCount_ > 0)
        Printer_.SetOrientation(orientation == TXPrinterOrientation::xpoPortrait
                                    ? TPrinterOrientation::poPortrait
                                    : TPrinterOrientation::poLandscape);
}

bool TXPrint::Printing() const {
    // Before the list of queues has come, nothing can have begun a document.
    return Printer_.Printing();
}

void TXPrint::ReadDeviceMetrics() {
    const TDeviceCaps caps = Printer_.DeviceCaps();
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
    return {Scaling_,         LogPixelsX_,      LogPixelsY_,  PhysicalWidth_, PhysicalHeight_,
            PhysicalOffsetX_, PhysicalOffsetY_, MarginLeft,   MarginTop,      MarginRight,
            MarginBottom,     OriginShiftX,     OriginShiftY, ScaleX,         ScaleY};
}

void TXPrint::ApplyMapping() {
    const TPageExtent page = PageExtent(MappingInput());
    PageWidth_ = page.Width;
    PageHeight_ = page.Height;
    QPainter& painter = Printer_.Painter();
    if (Scaling_ == TScaling::pscDot) {
        // The device's own coordinates stay; only a calibration moves and scales them.
        painter.translate(ShiftToDevice(OriginShiftX, LogPixelsX_),
                          ShiftToDevice(OriginShiftY, LogPixelsY_));
        painter.scale(double(ExactScale) / std::max(1, ScaleX),
                      double(ExactScale) / std::max(1, ScaleY));
        return;
    }
    const TDeviceMapping m = ComputeMapping(MappingInput());
    painter.setWindow(0, 0, m.WindowExtX, m.WindowExtY);
    painter.setViewport(m.OriginX, m.OriginY, m.ViewportExtX, m.ViewportExtY);
}

void TXPrint::BeginJob() {
    if (!HasPrinter())
        return;
    ReadDeviceMetrics();
    Printer_.BeginDoc();
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
    if (!HasPrinter())
        return;
    // Without an open document nothing changes. Once the printer has taken the document,
    // the job is over whatever became of it: the font comes back and the next job can
    // begin, and only then is a failure to write or hand it over passed on.
    if (!Printer_.Printing())
        throw EPrinter(Msg::NotPrinting);
    try {
        Printer_.EndDoc();
    } catch (...) {
        RestoreFont();
        InJob_ = false;
        throw;
    }
    RestoreFont();
    InJob_ = false;
}

void TXPrint::NewPage() {
    if (!HasPrinter())
        return;
    Printer_.NewPage();
    ApplyMapping();
}

void TXPrint::AbortJob() {
    if (!HasPrinter())
        return;
    if (Printer_.Printing())
        Printer_.Abort();
    if (InJob_)
        RestoreFont();
    InJob_ = false;
}

void TXPrint::SetFontSize(int size) {
    if (!HasPrinter())
        return;
    FontSize_ = size;
    TFont& font = Canvas_->Font;
    // Inside a scaled job the height is set in the job's units, rounded once, so that
    // p points are p points on paper at every resolution.
    font.Height = FontHeight(size, Scaling_, InJob_, font.PixelsPerInch);
}
