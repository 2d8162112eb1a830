// The printer: the chosen print queue, or a PDF file, with its device settings (paper,
// orientation, resolution, copies), the device's metrics, and one document at a time. It
// keeps a printer's states and messages: a document can be begun only when none is open,
// ended only when one is, and drawing happens only inside a document.
#pragma once

#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "print/PrintJob.h"

class QIODevice;
#include "print/PrintService.h"
#include "toolkit/Translation.h"

class QPrinter;
class TCanvas;
class QWidget;

namespace Msg {
inline constexpr TMsg Printing{QT_TRANSLATE_NOOP("Msg", "Das Drucken ist im Gang")};
inline constexpr TMsg NotPrinting{QT_TRANSLATE_NOOP("Msg", "Der Drucker ist nicht am Drucken")};
inline constexpr TMsg NoDefaultPrinter{
    QT_TRANSLATE_NOOP("Msg", "Zur Zeit ist kein Standard-Drucker gewählt")};
inline constexpr TMsg InvalidPrinter{QT_TRANSLATE_NOOP("Msg", "Ausgewählter Drucker ist ungültig")};
inline constexpr TMsg ServiceSilent{
    QT_TRANSLATE_NOOP("Msg", "Der Druckdienst (%s) antwortet nicht")};
inline constexpr TMsg PrintingUnavailable{
    QT_TRANSLATE_NOOP("Msg", "Drucken ist nicht möglich: %s.")};
} // namespace Msg

enum class TPrinterOrientation { poPortrait, poLandscape };

class TPrinter {
public:
    // How long whatever needs the queues waits for the service's answer.
    static constexpr std::chrono::milliseconds AnswerTimeout{10000};

    // A printer on the service's queues. The service is asked for its queues when
    // StartQueueQuery is called or when something first needs them, whichever is first;
    // what needs them waits up to answerTimeout for the answer.
    explicit TPrinter(std::shared_ptr<TPrintService> service,
                      std::chrono::milliseconds answerTimeout = AnswerTimeout);
    // A printer whose one destination is a PDF file: the paper at the resolution, the
    // whole sheet printable.
    TPrinter(const std::string& file, const QPageSize& paper, int resolution);
    // A printer whose documents are written into device as they are drawn (see
    // TPrintTarget::Device): the paper at the resolution, the whole sheet printable.
    TPrinter(QIODevice* device, const QPageSize& paper, int resolution);
    // A document still open is ended first. A query still waiting for the service is
    // left to itself: the printer does not wait for it.
    ~TPrinter();
    TPrinter(const TPrinter&) = delete;
    TPrinter& operator=(const TPrinter&) = delete;

    // Asks the service for its queues on a thread of its own, so that a window can come up
    // meanwhile; whatever needs the answer waits for it, with the wait cursor, and fails
    // with "Der Druckdienst (…) antwortet nicht" when it has not come within the printer's
    // timeout. Only the first call asks, and the first after a query went unanswered: a
    // scheduler may be back by then, and whichever query answers first is the answer.
    void StartQueueQuery();
    // How many destinations there are: the service's installed queues, or the one file.
    int QueueCount();

    // Selects the default queue, with fresh device settings (one copy, portrait) unless
    // freshSettings is false. Fails with "Das Drucken ist im Gang" during a document,
    // "Drucken ist nicht möglich: …" with the reason when the service cannot be asked at
    // all, and "Zur Zeit ist kein Standard-Drucker gewählt" when no installed queue is the
    // default.
    void SetToDefaultPrinter(bool freshSettings = true);
    // Whether a destination is selected.
    bool HasPrinter() const { return Selected_; }
    // The selected queue's name, also while its output goes into a file; empty while none
    // is selected, for the file printer, and when the user chose a file in the printer
    // set-up dialog.
    std::string PrinterName() const;

    // The selected device's metrics with the current settings; the default queue is
    // selected first when none is. "Ausgewählter Drucker ist ungültig" when there is no
    // usable device.
    TDeviceCaps DeviceCaps();

    // The copy count of the device settings, kept as given (0 included, in 16 bits); a
    // job prints at least one copy.
    int Copies() const { return Copies_; }
    void SetCopies(int copies);
    TPrinterOrientation Orientation() const;
    void SetOrientation(TPrinterOrientation orientation);
    // The document's name for the print service: its first 31 characters are used.
    std::string Title;
    // The files the next document is made from, such as a layout and its pictures: a file
    // destination that is one of them is refused. The next BeginDoc hands them to its
    // document and clears them, so they never apply to a later one.
    std::vector<std::string> Inputs;

    // Begins the document and its only page; the application's pending events are
    // handled meanwhile, as a spooler's abort procedure does. Fails with "Das Drucken ist
    // im Gang" when one is open and "Ausgewählter Drucker ist ungültig" when the device
    // cannot print.
    void BeginDoc();
    // Ends the page and the document, which goes to its queue or file. Fails with "Der
    // Drucker ist nicht am Drucken" when no document is open, and with the reason when
    // the document cannot be written or the queue refuses it; the printer is free again
    // either way.
    void EndDoc();
    // Abandons the open document: nothing is printed, an existing file keeps what it
    // held, and the printer is free again.
    void Abort();
    bool Printing() const { return Printing_; }
    // Ends the page and begins the next one of the open document. Fails with "Der Drucker
    // ist nicht am Drucken" when no document is open and with "Das Dokument konnte nicht
    // erstellt werden" when the next page cannot be begun.
    void NewPage();
    // Whether the last document was abandoned; read until the next one begins.
    bool Aborted() const { return Aborted_; }
    // The page being printed, from 1; after a document, its last page until the next one
    // begins; 0 before the first.
    int PageNumber() const { return PageNumber_; }
    // The document's painter; fails with "Der Drucker ist nicht am Drucken" outside one.
    QPainter& Painter();
    // The canvas over that painter, shared by everything that prints on this printer. On
    // a printer without any destination, drawing on it fails with "Leinwand/Bild erlaubt
    // kein Zeichnen", as on a canvas with no device.
    TCanvas& Canvas();

    // Gives a printer set-up dialog the settings to start from, selecting the default
    // queue first when none is selected.
    void CopySettingsTo(QPrinter& printer);
    // Takes over what the user confirmed in a printer set-up dialog: queue or file,
    // paper, orientation, resolution, copies.
    void TakeSettings(const QPrinter& chosen);

    // Prints into a PDF file instead of the queue, as "print to file" does, and the
    // paper, resolution and margins of the device settings.
    void SetOutputFile(const std::string& path);
    // Whether the output goes into a file rather than to a queue.
    bool PrintsToFile() const { return !OutputFile_.empty(); }
    void SetPaper(const QPageSize& paper);
    void SetResolution(int dotsPerInch);
    void SetFullSheetPrintable();

    // Runs print with this printer's documents drawn into an image instead of going to the
    // queue or file: the selected device's paper, orientation and printable area at
    // dotsPerInch, which DeviceCaps reports meanwhile. Answers the sheet of the last
    // document print completed, a null image when it completed none. Fails with "Das
    // Drucken ist im Gang" during a document.
    QImage DrawPreview(int dotsPerInch, const std::function<void()>& print);

private:
    struct TQueueQuery;

    const TPrintQueues& Queues();
    // The queues of a service that could be asked; "Drucken ist nicht möglich: …" otherwise.
    const TPrintQueues& AvailableQueues();
    void RequireIdle() const;
    void SelectIfNone();
    void ProcessPendingEvents();
    QPageLayout OrientedLayout() const;
    // The resolution documents are drawn at: the preview's while one is drawn.
    int DocumentResolution() const { return Preview_ ? PreviewResolution_ : Resolution_; }

    std::shared_ptr<TPrintService> Service_;
    std::chrono::milliseconds AnswerTimeout_{AnswerTimeout};
    // The answer once it has come; until then the query it comes through, shared with the
    // threads that ask, which may outlive the printer.
    std::optional<TPrintQueues> Queues_;
    std::shared_ptr<TQueueQuery> Query_;
    bool QueryUnanswered_ = false;
    bool Selected_ = false;
    std::string Name_;
    std::string OutputFile_;
    QIODevice* OutputDevice_ = nullptr;
    QPageLayout Layout_;
    int Resolution_ = 0;
    QImage* Preview_ = nullptr;
    int PreviewResolution_ = 0;
    std::unique_ptr<TPrintJob> Job_;
    std::unique_ptr<TCanvas> Canvas_;
    int Copies_ = 1;
    int OrientationCode_ = 1; // portrait 1, landscape 2, as device settings store it
    bool Printing_ = false;
    bool Aborted_ = false;
    int PageNumber_ = 0;
};

// The process-wide printer on the system's print queues, made on first use; a document
// still open at program end is ended first.
TPrinter& Printer();
// Ends the process-wide printer; the next use makes a new one, which selects afresh.
void ReleasePrinter();

// Whether a query for the queues is still waiting for its service, on any printer.
bool QueueQueryPending();
// Ends the process with status, once the program has shut down what it keeps (settings
// saved, printer released). While a query is still waiting for its service the process
// ends at once, without the teardown of the process's static objects: that thread may be
// inside the print service's client library, which must not be torn down under it.
[[noreturn]] void EndProcess(int status);

// The printer set-up dialog: the user chooses printer, paper, orientation, copies or a
// file; what is confirmed applies to this and later jobs. Selects the default queue first
// when none is selected yet (failing with "Zur Zeit ist kein Standard-Drucker gewählt"
// where there is none). Returns false when the user cancels.
bool ExecutePrinterDialog(TPrinter& printer, QWidget* parent);
