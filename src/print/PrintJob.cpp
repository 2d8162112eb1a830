#include "print/PrintJob.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "print/PrintService.h"
#include "toolkit/Errors.h"
#include "toolkit/SafeFile.h"

namespace {
// The reason a system call failed, for a message.
std::string SystemReason(int error) {
    return error != 0 ? std::strerror(error) : "?";
}

// Writes the document into a new file of the temporary folder; its path, or the failure.
std::string WriteSpoolFile(const QByteArray& document) {
    // Qt answers an empty path for a temporary folder that does not exist.
    QString folder = QDir::tempPath();
    if (folder.isEmpty())
        folder = QStringLiteral("/tmp");
    const QByteArray pattern = QFile::encodeName(folder + "/vellacour-XXXXXX.pdf");
    std::string path(pattern.constData(), size_t(pattern.size()));
    const int fd = ::mkstemps(path.data(), 4);
    if (fd < 0)
        throw EPrinter(Format(Msg::SpoolFailed, SystemReason(errno).c_str()));
    TFd file(fd);
    if (!WriteAll(fd, std::string_view(document.constData(), size_t(document.size()))) ||
        ::fsync(fd) != 0) {
        const int error = errno;
        ::unlink(path.c_str());
        throw EPrinter(Format(Msg::SpoolFailed, SystemReason(error).c_str()));
    }
    return path;
}
} // namespace

TDeviceCaps DeviceCapsOf(const QPageLayout& layout, int resolution) {
    const QRect sheet = layout.fullRectPixels(resolution);
    const QRect printable = layout.paintRectPixels(resolution);
    return {resolution,        resolution,         sheet.width(), sheet.height(),
            printable.width(), printable.height(), printable.x(), printable.y()};
}

TPrintJob::TPrintJob(TPrintTarget target, const QPageLayout& layout, int resolution,
                     const std::string& title)
    : Target_(std::move(target)), Title_(title), Caps_(DeviceCapsOf(layout, resolution)) {
    if (Target_.Image) {
        // Only the printable area is drawn on, so whatever falls outside it is cut as the
        // printer cuts it; the painter's origin is that area's corner, as on paper.
        Printable_ =
            QImage(std::max(1, Caps_.HorzRes), std::max(1, Caps_.VertRes), QImage::Format_RGB32);
        if (Printable_.isNull())
            return; // too large to hold: the page cannot be begun
        const int dotsPerMeter = qRound(resolution / 0.0254);
        Printable_.setDotsPerMeterX(dotsPerMeter);
        Printable_.setDotsPerMeterY(dotsPerMeter);
        Printable_.fill(Qt::white);
        Painter_.begin(&Printable_);
        return;
    }
    Buffer_.open(QIODevice::WriteOnly);
    Writer_ = std::make_unique<QPdfWriter>(Target_.Device ? Target_.Device : &Buffer_);
    Writer_->setResolution(resolution);
    Writer_->setPageLayout(layout);
    Writer_->setTitle(QString::fromStdString(title));
    Writer_->setCreator(QCoreApplication::applicationName());
    Painter_.begin(Writer_.get());
}

TPrintJob::~TPrintJob() {
    if (!Done_)
        Abandon();
}

void TPrintJob::Abandon() {
    Done_ = true;
    if (Painter_.isActive())
        Painter_.end();
    Buffer_.close();
    Buffer_.setData(QByteArray());
    Printable_ = QImage();
}

bool TPrintJob::NewPage() {
    return Writer_ && Painter_.isActive() && Writer_->newPage();
}

void TPrintJob::Finish() {
    Done_ = true;
    // A painter that could not end (or never began) has no complete document.
    if (!Painter_.isActive() || !Painter_.end())
        throw EPrinter(Msg::DocumentFailed);
    if (Target_.Image) {
        DeliverImage();
        return;
    }
    if (Target_.Device)
        return;
    Buffer_.close();
    const QByteArray document = Buffer_.data();
    Buffer_.setData(QByteArray());
    Deliver(document);
}

void TPrintJob::DeliverImage() {
    QImage sheet(std::max(1, Caps_.PhysicalWidth), std::max(1, Caps_.PhysicalHeight),
                 QImage::Format_RGB32);
    if (sheet.isNull())
        throw EPrinter(Msg::DocumentFailed);
    sheet.setDotsPerMeterX(Printable_.dotsPerMeterX());
    sheet.setDotsPerMeterY(Printable_.dotsPerMeterY());
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    painter.drawImage(Caps_.PhysicalOffsetX, Caps_.PhysicalOffsetY, Printable_);
    painter.end();
    Printable_ = QImage();
    *Target_.Image = std::move(sheet);
}

void TPrintJob::DeliverFile(const QByteArray& document) {
    const char* name = Target_.File.c_str();
    switch (ReplaceOutputFile(Target_.File,
                              std::string_view(document.constData(), size_t(document.size())),
                              Target_.Inputs)) {
    case TOutputResult::Written:
        return;
    case TOutputResult::IsInput:
        throw EPrinter(Format(Msg::OutputIsInput, name));
    case TOutputResult::NotRegular:
        throw EPrinter(Format(Msg::OutputNotRegular, name));
    case TOutputResult::Failed:
        break;
    }
    throw EPrinter(Format(Msg::OutputFailed, name));
}

void TPrintJob::Deliver(const QByteArray& document) {
    if (!Target_.File.empty()) {
        DeliverFile(document);
        return;
    }
    const std::string spool = WriteSpoolFile(document);
    std::string refusal = Msg::NoPrintService;
    if (Target_.Service) {
        const QPageSize paper = Writer_->pageLayout().pageSize();
        refusal =
            Target_.Service->Submit({Target_.Queue, spool, Title_, std::max(1, Target_.Copies),
                                     paper.isValid() ? paper.key().toStdString() : ""});
    }
    ::unlink(spool.c_str());
    if (!refusal.empty())
        throw EPrinter(Format(Msg::JobRefused, Target_.Queue.c_str(), refusal.c_str()));
}
