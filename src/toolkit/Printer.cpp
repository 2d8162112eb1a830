#include "toolkit/Printer.h"

#include <QCoreApplication>
#include <QDir>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryFile>
#include <algorithm>

#include "toolkit/Errors.h"
#include "toolkit/Modal.h"

#ifndef _WIN32
#include <cups/cups.h>
#endif

namespace {
constexpr int PortraitCode = 1;
constexpr int LandscapeCode = 2;
// The print service sees this much of a document's title.
constexpr int TitleLength = 31;

TPrintQueueSource& QueueSource() {
    static TPrintQueueSource source;
    return source;
}

TPrintQueues SystemQueues() {
    TPrintQueues queues;
    for (const QString& name : QPrinterInfo::availablePrinterNames())
        queues.Names.push_back(name.toStdString());
    queues.Default = QPrinterInfo::defaultPrinterName().toStdString();
    return queues;
}

bool IsSystemQueue(const std::string& name) {
    return QPrinterInfo::availablePrinterNames().contains(QString::fromStdString(name));
}

// Hands a finished PDF to a queue of the print service; returns the service's complaint,
// empty when the job was taken.
std::string SubmitToQueue(const std::string& queue, const QString& file, const std::string& title,
                          int copies, const QPageSize& paper) {
#ifndef _WIN32
    cups_option_t* options = nullptr;
    int count = cupsAddOption("copies", std::to_string(copies).c_str(), 0, &options);
    // The paper chosen for the page, by its PPD name ("A4", "Letter").
    if (paper.isValid())
        count = cupsAddOption("media", paper.key().toUtf8().constData(), count, &options);
    const int job = cupsPrintFile(queue.c_str(), QFile::encodeName(file).constData(), title.c_str(),
                                  count, options);
    cupsFreeOptions(count, options);
    if (job > 0)
        return {};
    const char* reason = cupsLastErrorString();
    return reason && *reason ? reason : "?";
#else
    (void)queue, (void)file, (void)title, (void)copies, (void)paper;
    return "kein Druckdienst";
#endif
}
} // namespace

void SetPrintQueueSource(TPrintQueueSource source) {
    QueueSource() = std::move(source);
}

TPrintQueues InstalledPrintQueues() {
    return QueueSource() ? QueueSource()() : SystemQueues();
}

TPrinter::TPrinter() = default;

TPrinter::~TPrinter() {
    if (Printing_) {
        try {
            EndDoc();
        } catch (const std::exception&) {
            // Nothing is left to tell at program end.
        }
    }
}

void TPrinter::RequireIdle() const {
    if (Printing_)
        throw EPrinter(Msg::Printing);
}

void TPrinter::SetToDefaultPrinter(bool freshSettings) {
    RequireIdle();
    const TPrintQueues queues = InstalledPrintQueues();
    const auto found = std::find(queues.Names.begin(), queues.Names.end(), queues.Default);
    if (queues.Default.empty() || found == queues.Names.end())
        throw EPrinter(Msg::NoDefaultPrinter);
    auto device = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (IsSystemQueue(queues.Default)) {
        device->setPrinterName(QString::fromStdString(queues.Default));
    } else {
        // A queue the print service does not know (a file printer): it writes PDF files.
        device->setOutputFormat(QPrinter::PdfFormat);
        device->setPrinterName(QString::fromStdString(queues.Default));
    }
    Device_ = std::move(device);
    Name_ = queues.Default;
    if (freshSettings) {
        Copies_ = 1;
        OrientationCode_ = PortraitCode;
    }
    ApplySettings();
}

std::string TPrinter::PrinterName() const {
    return Device_ ? Name_ : std::string();
}

void TPrinter::ApplySettings() {
    if (!Device_)
        return;
    // Drivers print one copy for a count below one.
    Device_->setCopyCount(std::max(1, Copies_));
    Device_->setPageOrientation(OrientationCode_ == PortraitCode ? QPageLayout::Portrait
                                                                 : QPageLayout::Landscape);
}

TDeviceCaps TPrinter::DeviceCaps() {
    if (!Device_ || !Device_->isValid())
        throw EPrinter(Msg::InvalidPrinter);
    ApplySettings();
    const int resolution = Device_->resolution();
    const QPageLayout layout = Device_->pageLayout();
    const QRect sheet = layout.fullRectPixels(resolution);
    const QRect printable = layout.paintRectPixels(resolution);
    return {resolution,        resolution,         sheet.width(), sheet.height(),
            printable.width(), printable.height(), printable.x(), printable.y()};
}

void TPrinter::SetCopies(int copies) {
    RequireIdle();
    Copies_ = static_cast<int16_t>(copies);
    ApplySettings();
}

TPrinterOrientation TPrinter::Orientation() const {
    return OrientationCode_ == PortraitCode ? TPrinterOrientation::poPortrait
                                            : TPrinterOrientation::poLandscape;
}

void TPrinter::SetOrientation(TPrinterOrientation orientation) {
    RequireIdle();
    OrientationCode_ =
        orientation == TPrinterOrientation::poPortrait ? PortraitCode : LandscapeCode;
    ApplySettings();
}

void TPrinter::ProcessPendingEvents() {
    if (OnAbortProc)
        OnAbortProc();
    else if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

void TPrinter::BeginDoc() {
    RequireIdle();
    if (!Device_ || !Device_->isValid())
        throw EPrinter(Msg::InvalidPrinter);
    ApplySettings();

    // The page goes into a PDF file of ours: the user's file when printing into a file,
    // otherwise a spool file handed to the queue at the end.
    auto job = std::make_unique<QPrinter>(QPrinter::HighResolution);
    job->setOutputFormat(QPrinter::PdfFormat);
    job->setResolution(Device_->resolution());
    job->setPageLayout(Device_->pageLayout());
    job->setFullPage(false);
    job->setDocName(QString::fromStdString(Title).left(TitleLength));
    job->setCreator(QCoreApplication::applicationName());
    std::unique_ptr<QTemporaryFile> spool;
    const bool toFile = Device_->outputFormat() == QPrinter::PdfFormat;
    if (toFile) {
        if (Device_->outputFileName().isEmpty())
            throw EPrinter(Msg::InvalidPrinter);
        job->setOutputFileName(Device_->outputFileName());
    } else {
        spool = std::make_unique<QTemporaryFile>(QDir::tempPath() + "/vellacour-XXXXXX.pdf");
        if (!spool->open())
            throw EPrinter(Msg::InvalidPrinter);
        job->setOutputFileName(spool->fileName());
    }

    Job_ = std::move(job);
    Spool_ = std::move(spool);
    Printing_ = true;
    Aborted_ = false;
    PageNumber_ = 1;
    ProcessPendingEvents();
    // A handler run meanwhile may have ended the document already.
    if (!Printing_)
        throw EAbort();
    if (!Painter_.begin(Job_.get())) {
        Printing_ = false;
        PageNumber_ = 0;
        Job_.reset();
        Spool_.reset();
        throw EPrinter(Msg::InvalidPrinter);
    }
}

QPainter& TPrinter::Painter() {
    if (!Printing_ || !Painter_.isActive())
        throw EPrinter(Msg::NotPrinting);
    return Painter_;
}

void TPrinter::EndDoc() {
    if (!Printing_)
        throw EPrinter(Msg::NotPrinting);
    // The page is spooled: the application goes on handling its events meanwhile.
    ProcessPendingEvents();
    const bool begun = Painter_.isActive();
    if (begun)
        Painter_.end();
    std::string refusal;
    if (Spool_ && begun && !Aborted_) {
        refusal = SubmitToQueue(PrinterName(), Spool_->fileName(),
                                QString::fromStdString(Title).left(TitleLength).toStdString(),
                                std::max(1, Copies_), Device_->pageLayout().pageSize());
    }
    Spool_.reset();
    Job_.reset();
    Printing_ = false;
    Aborted_ = false;
    PageNumber_ = 0;
    if (!refusal.empty())
        throw EPrinter(Format(Msg::JobRefused, PrinterName().c_str(), refusal.c_str()));
}

void TPrinter::Abort() {
    if (!Printing_)
        throw EPrinter(Msg::NotPrinting);
    Aborted_ = true;
    const QString written = Spool_ || !Job_ ? QString() : Job_->outputFileName();
    if (Painter_.isActive())
        Painter_.end();
    // A file the user asked for holds no half page.
    if (!written.isEmpty())
        QFile::remove(written);
    EndDoc();
}

void TPrinter::TakeSettings(const QPrinter& chosen) {
    RequireIdle();
    auto device = std::make_unique<QPrinter>(QPrinter::HighResolution);
    const std::string name = chosen.printerName().toStdString();
    if (chosen.outputFormat() == QPrinter::PdfFormat || !IsSystemQueue(name)) {
        device->setOutputFormat(QPrinter::PdfFormat);
        device->setPrinterName(chosen.printerName());
        device->setOutputFileName(chosen.outputFileName());
    } else {
        device->setPrinterName(chosen.printerName());
    }
    device->setResolution(chosen.resolution());
    device->setPageLayout(chosen.pageLayout());
    Device_ = std::move(device);
    Name_ = name;
    Copies_ = chosen.copyCount();
    OrientationCode_ =
        chosen.pageLayout().orientation() == QPageLayout::Portrait ? PortraitCode : LandscapeCode;
    ApplySettings();
}

void TPrinter::SetOutputFile(const std::string& path) {
    RequireIdle();
    if (Device_) {
        Device_->setOutputFormat(QPrinter::PdfFormat);
        Device_->setOutputFileName(QFile::decodeName(path.c_str()));
    }
}

void TPrinter::SetPaper(int pageSizeId) {
    RequireIdle();
    if (Device_)
        Device_->setPageSize(QPageSize(QPageSize::PageSizeId(pageSizeId)));
}

void TPrinter::SetResolution(int dotsPerInch) {
    RequireIdle();
    if (Device_)
        Device_->setResolution(dotsPerInch);
}

void TPrinter::SetFullSheetPrintable() {
    RequireIdle();
    if (Device_)
        Device_->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

namespace {
std::unique_ptr<TPrinter>& PrinterInstance() {
    static std::unique_ptr<TPrinter> printer;
    return printer;
}

// A dialog of its own works on a copy, so that cancelling it leaves the settings alone.
void CopySettings(QPrinter& from, QPrinter& to) {
    if (from.outputFormat() == QPrinter::PdfFormat) {
        to.setOutputFormat(QPrinter::PdfFormat);
        to.setOutputFileName(from.outputFileName());
    }
    to.setPrinterName(from.printerName());
    to.setResolution(from.resolution());
    to.setPageLayout(from.pageLayout());
    to.setCopyCount(from.copyCount());
}
} // namespace

TPrinter& Printer() {
    auto& printer = PrinterInstance();
    if (!printer) {
        printer = std::make_unique<TPrinter>();
        // Ended while the application still exists, so an open document can still close.
        static bool routineAdded = false;
        if (!routineAdded && QCoreApplication::instance()) {
            qAddPostRoutine(ReleasePrinter);
            routineAdded = true;
        }
    }
    return *printer;
}

void ReleasePrinter() {
    PrinterInstance().reset();
}

bool ExecutePrinterDialog(QWidget* parent) {
    TPrinter& printer = Printer();
    if (!printer.HasPrinter())
        printer.SetToDefaultPrinter(false);
    QPrinter chosen(QPrinter::HighResolution);
    CopySettings(*printer.Device(), chosen);
    QPrintDialog dialog(&chosen, parent);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, false);
    // The dialog writes the user's choice into the copy as it confirms; a confirmation
    // that did not come through the dialog's own button leaves the settings as they were.
    bool confirmed = false;
    QObject::connect(&dialog, qOverload<QPrinter*>(&QPrintDialog::accepted),
                     [&confirmed](QPrinter*) { confirmed = true; });
    if (ExecModal(dialog) != QDialog::Accepted)
        return false;
    if (confirmed)
        printer.TakeSettings(chosen);
    return true;
}
