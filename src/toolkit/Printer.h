// The application's printer: one object for the whole process that holds the chosen print
// queue and its device settings, reports the device's metrics, and runs one document at a
// time on a QPrinter (CUPS on Linux, or a PDF file). It keeps a printer's states and
// messages: a document can be begun only when none is open, ended only when one is, and
// drawing happens only inside a document.
#pragma once

#include <QPainter>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QPrinter;
class QTemporaryFile;
class QWidget;

namespace Msg {
inline constexpr const char* Printing = "Das Drucken ist im Gang";
inline constexpr const char* NotPrinting = "Der Drucker ist nicht am Drucken";
inline constexpr const char* NoDefaultPrinter = "Zur Zeit ist kein Standard-Drucker gewählt";
inline constexpr const char* InvalidPrinter = "Ausgewählter Drucker ist ungültig";
inline constexpr const char* JobRefused =
    "Der Druckauftrag konnte nicht an %s übergeben werden (%s)";
} // namespace Msg

// The installed print queues and the one marked as default (empty for none).
struct TPrintQueues {
    std::vector<std::string> Names;
    std::string Default;
};

// Where the printer learns the installed queues: the system's print service, unless a
// test installed another source. An empty source restores the system's.
using TPrintQueueSource = std::function<TPrintQueues()>;
void SetPrintQueueSource(TPrintQueueSource source);
TPrintQueues InstalledPrintQueues();

// The device's metrics, in device pixels (resolutions in pixels per inch): the whole
// sheet, its printable area and where that area starts on the sheet.
struct TDeviceCaps {
    int LogPixelsX = 0;
    int LogPixelsY = 0;
    int PhysicalWidth = 0;
    int PhysicalHeight = 0;
    int HorzRes = 0;
    int VertRes = 0;
    int PhysicalOffsetX = 0;
    int PhysicalOffsetY = 0;
};

enum class TPrinterOrientation { poPortrait, poLandscape };

class TPrinter {
public:
    TPrinter();
    ~TPrinter();
    TPrinter(const TPrinter&) = delete;
    TPrinter& operator=(const TPrinter&) = delete;

    // Selects the default queue, with fresh device settings (one copy, portrait) unless
    // freshSettings is false. Fails with "Das Drucken ist im Gang" during a document and
    // "Zur Zeit ist kein Standard-Drucker gewählt" when no installed queue is the default.
    void SetToDefaultPrinter(bool freshSettings = true);
    // Whether a queue is selected.
    bool HasPrinter() const { return static_cast<bool>(Device_); }
    // The selected queue's name, a file printer's included; empty while none is selected
    // and when the user chose to print into a file.
    std::string PrinterName() const;

    // The selected device's metrics with the current settings; "Ausgewählter Drucker ist
    // ungültig" when there is no usable device.
    TDeviceCaps DeviceCaps();

    // The copy count of the device settings, kept as given (0 included); a job prints at
    // least one copy.
    int Copies() const { return Copies_; }
    void SetCopies(int copies);
    TPrinterOrientation Orientation() const;
    void SetOrientation(TPrinterOrientation orientation);
    // The document's name for the print service: its first 31 characters are used.
    std::string Title;

    // Begins the document and its only page. Fails with "Das Drucken ist im Gang" when one
    // is open and "Ausgewählter Drucker ist ungültig" when the device cannot print.
    // The page is drawn into a PDF file; EndDoc hands it to the queue, so an aborted
    // document never reaches the printer.
    void BeginDoc();
    // Ends the page and the document, which goes to the print queue. Fails with "Der
    // Drucker ist nicht am Drucken" when no document is open, and with "Der Druckauftrag
    // konnte nicht an %s übergeben werden (%s)" when the queue refuses it.
    void EndDoc();
    // Abandons the open document: nothing is printed, and the printer is free again.
    void Abort();
    bool Printing() const { return Printing_; }
    bool Aborted() const { return Aborted_; }
    int PageNumber() const { return PageNumber_; }
    // The document's painter; fails with "Der Drucker ist nicht am Drucken" outside one.
    QPainter& Painter();

    // The device settings (printer, paper, orientation, copies, output file), for a
    // printer set-up dialog to start from; null while no queue is selected.
    QPrinter* Device() { return Device_.get(); }
    // Takes over what the user confirmed in a printer set-up dialog.
    void TakeSettings(const QPrinter& chosen);

    // Prints into a PDF file instead of the queue, as "print to file" does.
    void SetOutputFile(const std::string& path);
    // Paper size (a QPageSize id), resolution and page margins of the device settings.
    void SetPaper(int pageSizeId);
    void SetResolution(int dotsPerInch);
    void SetFullSheetPrintable();

    // Runs while a document starts or ends, as a spooler's abort procedure does: the
    // application's pending events are handled.
    std::function<void()> OnAbortProc;

private:
    void RequireIdle() const;
    void ApplySettings();
    void ProcessPendingEvents();

    std::unique_ptr<QPrinter> Device_;
    // Qt forgets the name of a queue that writes PDF files; the program keeps it.
    std::string Name_;
    std::unique_ptr<QPrinter> Job_;
    std::unique_ptr<QTemporaryFile> Spool_;
    QPainter Painter_;
    int Copies_ = 1;
    int OrientationCode_ = 1; // portrait 1, landscape 2, as device settings store it
    bool Printing_ = false;
    bool Aborted_ = false;
    int PageNumber_ = 0;
};

// The process-wide printer, made on first use; a document still open at program end is
// ended first.
TPrinter& Printer();
// Ends the process-wide printer; the next use makes a new one, which selects afresh.
void ReleasePrinter();

// The printer set-up dialog: the user chooses printer, paper, orientation, copies or a
// file; what is confirmed applies to this and later jobs. Selects the default queue first
// when none is selected yet (failing with "Zur Zeit ist kein Standard-Drucker gewählt"
// where there is none). Returns false when the user cancels.
bool ExecutePrinterDialog(QWidget* parent);
