#include "print/Printer.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QPrintDialog>
#include <QPrinter>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <thread>
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

// The wait cursor over the application's windows while the window's thread waits.
class TBusyCursor {
public:
    TBusyCursor() {
        const QCoreApplication* app = QCoreApplication::instance();
        Shown_ =
            qobject_cast<const QGuiApplication*>(app) && QThread::currentThread() == app->thread();
        if (Shown_)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~TBusyCursor() {
        if (Shown_)
            QGuiApplication::restoreOverrideCursor();
    }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;

private:
    bool Shown_ = false;
};

// Queries still waiting for their service, over all printers.
std::atomic<int> PendingQueries{0};
} // namespace

// Where the threads asking the service put the first answer. A thread keeps its query
// alive, so a printer ended meanwhile never waits for one.
struct TPrinter::TQueueQuery {
    std::mutex Mutex;
    std::condition_variable Answered;
    std::optional<TPrintQueues> Queues;
    std::exception_ptr Failure;

    bool HasAnswer() const { return Queues || Failure; }

    static void Ask(std::shared_ptr<TPrintService> service, std::shared_ptr<TQueueQuery> query) {
        std::optional<TPrintQueues> queues;
        std::exception_ptr failure;
        try {
            queues = service->Queues();
        } catch (...) {
            failure = std::current_exception();
        }
        {
            const std::lock_guard lock(query->Mutex);
            if (!query->HasAnswer()) {
                query->Queues = std::move(queues);
                query->Failure = failure;
            }
        }
        query->Answered.notify_all();
        // Nothing of the service is touched once the query no longer counts as pending.
        service.reset();
        query.reset();
        PendingQueries.fetch_sub(1, std::memory_order_release);
    }
};

TPrinter::TPrinter(std::shared_ptr<TPrintService> service, std::chrono::milliseconds answerTimeout)
    : Service_(std::move(service)), AnswerTimeout_(answerTimeout),
      Canvas_(std::make_unique<TPrinterCanvas>(*this)) {}

TPrinter::TPrinter(const std::string& file, const QPageSize& paper, int resolution)
    : Selected_(true), OutputFile_(file),
      Layout_(paper, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)), Resolution_(resolution),
      Canvas_(std::make_unique<TPrinterCanvas>(*this)) {}

TPrinter::TPrinter(QIODevice* device, const QPageSize& paper, int resolution)
    : Selected_(true), OutputDevice_(device),
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
    if (!Service_ || Queues_ || (Query_ && !QueryUnanswered_))
        return;
    if (!Query_)
        Query_ = std::make_shared<TQueueQuery>();
    // The thread is never joined: a scheduler that does not answer must hold neither the
    // window nor the end of the program.
    PendingQueries.fetch_add(1, std::memory_order_acq_rel);
    try {
        std::thread(&TQueueQuery::Ask, Service_, Query_).detach();
    } catch (...) {
        PendingQueries.fetch_sub(1, std::memory_order_acq_rel);
        throw;
    }
    QueryUnanswered_ = false;
}

const TPrintQueues& TPrinter::Queues() {
    if (Queues_)
        return *Queues_;
    StartQueueQuery();
    std::unique_lock lock(Query_->Mutex);
    if (!Query_->HasAnswer()) {
        const TBusyCursor busy;
        if (!Query_->Answered.wait_for(lock, AnswerTimeout_,
                                       [this] { return Query_->HasAnswer(); })) {
            lock.unlock();
            QueryUnanswered_ = true;
            throw EPrinter(Format(Msg::ServiceSilent, Service_->Name().c_str()));
        }
    }
    if (Query_->Failure)
        std::rethrow_exception(Query_->Failure);
    Queues_ = *Query_->Queues;
    lock.unlock();
    Query_.reset();
    return *Queues_;
}

const TPrintQueues& TPrinter::AvailableQueues() {
    const TPrintQueues& queues = Queues();
    if (!queues.Unavailable.empty())
        throw EPrinter(Format(Msg::PrintingUnavailable, queues.Unavailable.c_str()));
    return queues;
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
    const TPrintQueues& queues = AvailableQueues();
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
    if (Selected_ || !Service_)
        return;
    // A service that does not answer, or cannot be asked, is said as such.
    AvailableQueues();
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
    TPrintTarget target{.Service = Service_.get(),
                        .Queue = Name_,
                        .File = OutputFile_,
                        .Copies = Copies_,
                        .Image = Preview_,
                        .Device = Preview_ ? nullptr : OutputDevice_,
                        .Inputs = std::exchange(Inputs, {})};
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

void TPrinter::NewPage() {
    if (!Printing_ || !Job_)
        throw EPrinter(Msg::NotPrinting);
    if (!Job_->NewPage())
        throw EPrinter(Msg::DocumentFailed);
    ++PageNumber_;
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
    Printing_ = false;
    job->Finish();
}

void TPrinter::Abort() {
    if (!Printing_)
        throw EPrinter(Msg::NotPrinting);
    std::unique_ptr<TPrintJob> job = std::move(Job_);
    Printing_ = false;
    Aborted_ = true;
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

bool QueueQueryPending() {
    return PendingQueries.load(std::memory_order_acquire) > 0;
}

void EndProcess(int status) {
    if (QueueQueryPending()) {
        std::fflush(nullptr);
        std::quick_exit(status);
    }
    std::exit(status);
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
