// The print job component: prints one page on the application's printer in physical
// units. The owner starts a job, draws on Canvas in the unit chosen by Scaling (with
// (0, 0) at the top-left margin of the sheet), gives text sizes in points and ends the
// job. Whether any printer is installed is decided once, when first needed (the printer
// asks the print service in the background meanwhile): without one, every printer
// operation quietly does nothing and the printer properties read fixed defaults, so a
// window holding the component works on a machine without printers.
#pragma once

#include <memory>
#include <string>

#include <optional>

#include "picture/Canvas.h"
#include "print/PageMapping.h"

class TPrinter;

enum class TXPrinterOrientation { xpoPortrait, xpoLandscape };

class TXPrint {
public:
    // A component printing on printer, which outlives it.
    explicit TXPrint(TPrinter& printer);
    ~TXPrint();
    TXPrint(const TXPrint&) = delete;
    TXPrint& operator=(const TXPrint&) = delete;

    // Writing converts the margins so they keep their physical length; ignored in a job.
    TScaling Scaling() const { return Scaling_; }
    void SetScaling(TScaling scaling);

    // Distance of the usable page from each edge of the sheet, in the unit of Scaling.
    int MarginLeft = 0;
    int MarginTop = 0;
    int MarginRight = 0;
    int MarginBottom = 0;

    // The correction for a printer that puts the page off its place or prints it a
    // little too large or small: everything a job prints moves this far right and down,
    // in tenths of a millimetre whatever the scaling, after being scaled about the
    // sheet's corner so that 100 mm come out as 100 mm on a printer that prints them
    // ScaleX / ScaleY hundredths of a millimetre long. Read at BeginJob.
    int OriginShiftX = 0;
    int OriginShiftY = 0;
    int ScaleX = ExactScale;
    int ScaleY = ExactScale;

    // The canvas font itself; writing copies colour, height, face name, pitch, size and
    // style into it (not the character set).
    TFont& Font() { return Canvas_->Font; }
    void SetFont(const TFont& font);

    bool Aborted() const;
    int Copies() const;
    void SetCopies(int copies);
    std::string Title() const;
    void SetTitle(const std::string& title);
    TXPrinterOrientation Orientation() const;
    void SetOrientation(TXPrinterOrientation orientation);

    TCanvas& Canvas() { return *Canvas_; }
    // Whether the printer has a document open; false without printer.
    bool Printing() const;
    int PageWidth() const { return PageWidth_; }
    int PageHeight() const { return PageHeight_; }

    // Reads the device, begins the document and its page and maps the canvas to Scaling.
    void BeginJob();
    // Ends the page and the document and restores the canvas font.
    void EndJob();
    // Abandons the job: nothing is printed, the canvas font is restored and the printer
    // is free for the next job.
    void AbortJob();
    // Ends the job's page and begins the next, mapped as the first.
    void NewPage();
    // Sizes the canvas font in points; inside a scaled job converted to logical units.
    void SetFontSize(int size);

    // The printer the component prints on.
    TPrinter& Printer() { return Printer_; }

    // The state behind the properties. The number of printers is known once the printer
    // has its list of queues; asking for it waits for that.
    int PrinterCount() const;
    int LogPixelsX() const { return LogPixelsX_; }
    int LogPixelsY() const { return LogPixelsY_; }
    int PhysicalWidth() const { return PhysicalWidth_; }
    int PhysicalHeight() const { return PhysicalHeight_; }
    int PhysicalOffsetX() const { return PhysicalOffsetX_; }
    int PhysicalOffsetY() const { return PhysicalOffsetY_; }
    int UnitsPerInch() const { return UnitsPerInch_; }
    int FontSize() const { return FontSize_; }
    bool InJob() const { return InJob_; }

private:
    bool HasPrinter() const { return PrinterCount() > 0; }
    void ReadDeviceMetrics();
    void ApplyMapping();
    void RestoreFont();
    TMappingInput MappingInput() const;

    TScaling Scaling_ = TScaling::pscDot;
    int PageWidth_ = 0;
    int PageHeight_ = 0;
    TPrinter& Printer_;
    mutable std::optional<int> PrinterCount_;
    int LogPixelsX_ = 300;
    int LogPixelsY_ = 300;
    int PhysicalWidth_ = 0;
    int PhysicalHeight_ = 0;
    int HorzRes_ = 0;
    int VertRes_ = 0;
    int PhysicalOffsetX_ = 0;
    int PhysicalOffsetY_ = 0;
    int UnitsPerInch_ = 1;
    std::unique_ptr<TFont> SavedFont_;
    int FontSize_ = 0;
    bool InJob_ = false;
    // The printer's canvas: it draws on the open document, fails with "Der Drucker ist
    // nicht am Drucken" outside one and, without printers, with "Leinwand/Bild erlaubt
    // kein Zeichnen".
    TCanvas* Canvas_ = nullptr;
};
