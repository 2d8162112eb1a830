#include "print/Printer.h"

#include <QCoreApplication>
#include <QFile>
#include <QPrintDialog>
#include <QPrinter>
#include <algorithm>
#include <utility>

#include "picture/Canvas.h"
#include "toolkit/Errors.h"
#include "toolkit/Modal.h"

namespace {
constexpr int PortraitCode = 1;
constexpr int LandscapeCode = 2;
// The print service sees this much of a document's title.
constexpr int TitleLength = 31;

std::string ShortTitle(const std::string& title) {
    return QString::fromStdString(title).left(TitleLength).toStdString();
}

class TPrinterCanvas : public TCanvas {
public:
    explicit TPrinterCanvas(TPrinter& printer) : Printer_(printer) {}

protected:
    QPainter& Handle() override {
        if (Printer_.QueueCount() == 0)
            return TCanvas::Handle();
        return Printer_.Painter();
    }

private:
    TPrinter& Printer_;
};
} // namespace

TPrinter::TPrinter(std::shared_ptr<TPrintService> service)
    : Service_(std::move(service)), Canvas_(std::make_unique<TPrinterCanvas>(*this)) {}

TPrinter::TPrinter(const std::string& file, const QPageSize& paper, int resolution)
    : Selected_(true), OutputFile_(file),
      Layout_(paper, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)), Resolution_(resolution),
      Canvas_(std::make_unique<TPrinterCanvas>(*this)) {}

TPrinter::~TPrinter() {
    if (Printing_) {
        try {
            EndDoc();
        } catch (const std::exception&) {
            // Nothing is left to tell at program end.
        }
    }
}

void TPrinter::StartQueueQuery() {
    if (Service_ && !Queues_.valid())
        Queues_ = std::async(std::launch::async, [service = Service_] {
                      return service->Queues();
                  }).share();
}

const TPrintQueues& TPrinter::Queues() {
    StartQueueQuery();
    return Queues_.get();
}

int TPrinter::QueueCount() {
    if (!Service_)
        return 1;
    return static_cast<int>(Queues().Names.size());
}

void TPrinter::RequireIdle() const {
    if (Printing_)
        throw EPrinter(Msg::Printing);
}

void TPrinter::SetToDefaultPrinter(bool freshSettings) {
    RequireIdle();
    if (!Service_)
        return;
    const TPrintQueues& queues = Queues();
    const auto found = std::find(queues.Names.begin(), queues.Names.end(), queues.Default);
    if (queues.Default.empty() || found == queues.Names.end())
        throw EPrinter(Msg::NoDefaultPrinter);
    // Qt reads the queue's paper, printable area and resolution from its driver.
    QPrinter device(QPrinter::HighResolution);
    device.setPrinterName(QString::fromStdString(queues.Default));
    Layout_ = device.pageLayout();
    Resolution_ = device.resolution();
    Name_ = queues.Default;
    OutputFile_.clear();
    Selected_ = true;
    if (freshSettings) {
        Copies_ = 1;
        OrientationCode_ = PortraitCode;
    }
}

void TPrinter::SelectIfNone() {
    if (Selected_)
        return;
    // As a printer object that found no default when it was made: it stays without a
    // device, and whatever needs one says the printer is invalid.
    try {
        SetToDefaultPrinter(false);
    } catch (const EPrinter&) {
    }
}

std::string TPrinter::PrinterName() const {
    return Selected_ ? Name_ : std::string();
}

QPageLayout TPrinter::OrientedLayout() const {
    QPageLayout layout = Layout_;
    layout.setOrientation(OrientationCode_ == PortraitCode ? QPageLayout::Portrait
                                                           : QPageLayout::Landscape);
    return layout;
}

TDeviceCaps TPrinter::DeviceCaps() {
    SelectIfNone();
    if (!Selected_ || Resolution_ <= 0 || !Layout_.isValid())
        throw EPrinter(Msg::InvalidPrinter);
    return DeviceCapsOf(OrientedLayout(), DocumentResolution());
}

void TPrinter::SetCopies(int copies) {
    RequireIdle();
    Copies_ = static_cast<int16_t>(copies);
}

TPrinterOrientation TPrinter::Orientation() const {
    return OrientationCode_ == PortraitCode ? TPrinterOrientation::poPortrait
                                            : TPrinterOrientation::poLandscape;
}

void TPrinter::SetOrientation(TPrinterOrientation orientation) {
    RequireIdle();
    OrientationCode_ =
        orientation == TPrinterOrientation::poPortrait ? PortraitCode : LandscapeCode;
}

void TPrinter::ProcessPendingEvents() {
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

void TPrinter::BeginDoc() {
    RequireIdle();
    SelectIfNone();
    if (!Selected_ || Resolution_ <= 0 || !Layout_.isValid())
        throw EPrinter(Msg::InvalidPrinter);
    TPrintTarget target{Service_.get(), Name_,    OutputFile_,
                        Copies_,        Preview_, std::exchange(Inputs, {})};
    auto job = std::make_unique<TPrintJob>(std::move(target), OrientedLayout(),
                                           DocumentResolution(), ShortTitle(Title));
    if (!job->Active())
        throw EPrinter(Msg::InvalidPrinter);
    Job_ = std::move(job);
    Printing_ = true;
    Aborted_ = false;
    PageNumber_ = 1;
    ProcessPendingEvents();
    // A handler run meanwhile may have ended the document already.
    if (!Printing_)
        throw EAbort();
}

QPainter& TPrinter::Painter() {
    if (!Printing_ || !Job_ || !Job_->Active())
        throw EPrinter(Msg::NotPrinting);
    return Job_->Painter();
}

TCanvas& TPrinter::Canvas() {
    return *Canvas_;
}

void TPrinter::EndDoc() {
    if (!Printing_)
        throw EPrinter(Msg::NotPrinting);
    // The page is spooled: the application goes on handling its events meanwhile.
    ProcessPendingEvents();
    if (!Printing_)
        return; // ended or abandoned by a handler meanwhile
    std::unique_ptr<TPrintJob> job = std::move(Job_);
    const bool aborted = Aborted_;
    Printing_ = false;
    Aborted_ = false;
    PageNumber_ = 0;
    if (aborted)
        job->Abandon();
    else
        job->Finish();
}

void TPrinter::Abort() {
    if (!Printing_)
        throw EPrinter(Msg::NotPrinting);
    std::unique_ptr<TPrintJob> job = std::move(Job_);
    Printing_ = false;
    Aborted_ = false;
    PageNumber_ = 0;
    job->Abandon();
}

void TPrinter::CopySettingsTo(QPrinter& printer) {
    if (!Selected_)
        SetToDefaultPrinter(false);
    if (!OutputFile_.empty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QFile::decodeName(OutputFile_.c_str()));
    } else {
        printer.setPrinterName(QString::fromStdString(Name_));
    }
    printer.setResolution(Resolution_);
    printer.setPageLayout(OrientedLayout());
    printer.setCopyCount(std::max(1, Copies_));
}

void TPrinter::TakeSettings(const QPrinter& chosen) {
    RequireIdle();
    Name_ = chosen.printerName().toStdString();
    if (chosen.outputFormat() == QPrinter::PdfFormat && !chosen.outputFileName().isEmpty())
        OutputFile_ = QFile::encodeName(chosen.outputFileName()).toStdString();
    else
        OutputFile_.clear();
    Layout_ = chosen.pageLayout();
    Resolution_ = chosen.resolution();
    Copies_ = static_cast<int16_t>(chosen.copyCount());
    OrientationCode_ =
        chosen.pageLayout().orientation() == QPageLayout::Portrait ? PortraitCode : LandscapeCode;
    Selected_ = true;
}

void TPrinter::SetOutputFile(const std::string& path) {
    RequireIdle();
    SelectIfNone();
    OutputFile_ = path;
}

void TPrinter::SetPaper(const QPageSize& paper) {
    RequireIdle();
    Layout_.setPageSize(paper);
}

void TPrinter::SetResolution(int dotsPerInch) {
    RequireIdle();
    Resolution_ = dotsPerInch;
}

void TPrinter::SetFullSheetPrintable() {
    RequireIdle();
    Layout_.setMinimumMargins(QMarginsF(0, 0, 0, 0));
    Layout_.setMargins(QMarginsF(0, 0, 0, 0));
}

QImage TPrinter::DrawPreview(int dotsPerInch, const std::function<void()>& print) {
    RequireIdle();
    QImage sheet;
    Preview_ = &sheet;
    PreviewResolution_ = dotsPerInch;
    const auto restore = [this] {
        // A document print left open goes nowhere.
        if (Printing_)
            Abort();
        Preview_ = nullptr;
    };
    try {
        print();
    } catch (...) {
        restore();
        throw;
    }
    restore();
    return sheet;
}

namespace {
std::unique_ptr<TPrinter>& PrinterInstance() {
    static std::unique_ptr<TPrinter> printer;
    return printer;
}
} // namespace

TPrinter& Printer() {
    auto& printer = PrinterInstance();
    if (!printer) {
        printer = std::make_unique<TPrinter>(SystemPrintService());
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

bool ExecutePrinterDialog(TPrinter& printer, QWidget* parent) {
    // The dialog works on a copy, so that cancelling it leaves the settings alone.
    QPrinter chosen(QPrinter::HighResolution);
    printer.CopySettingsTo(chosen);
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
