// One printed document: its page is drawn into a PDF held in memory and, once complete,
// delivered to its target, a print queue or a PDF file. Nothing reaches the target before
// the document is complete, so an abandoned or failed document prints nothing and leaves
// an existing file as it was.
#pragma once

#include "toolkit/Translation.h"
#include <QBuffer>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <memory>
#include <string>
#include <vector>

class TPrintService;

namespace Msg {
inline constexpr TMsg JobRefused{
    QT_TRANSLATE_NOOP("Msg", "Der Druckauftrag konnte nicht an %s übergeben werden (%s)")};
inline constexpr TMsg SpoolFailed{
    QT_TRANSLATE_NOOP("Msg", "Der Druckauftrag konnte nicht zwischengespeichert werden (%s)")};
inline constexpr TMsg OutputFailed{
    QT_TRANSLATE_NOOP("Msg", "Der Ausdruck konnte nicht nach %s geschrieben werden")};
inline constexpr TMsg DocumentFailed{
    QT_TRANSLATE_NOOP("Msg", "Der Ausdruck konnte nicht erzeugt werden")};
} // namespace Msg

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

// The metrics of a sheet: its page layout (paper, orientation, unprintable margins) at
// a resolution.
TDeviceCaps DeviceCapsOf(const QPageLayout& layout, int resolution);

// Where a document goes: the named queue of a print service, the file when File is set,
// or, when Image is set, that image (then neither Service nor File is used). The image gets
// the whole sheet, white where the device's margins keep the printer from printing.
// Inputs are the files the document is made from, which File must not be.
struct TPrintTarget {
    TPrintService* Service = nullptr;
    std::string Queue;
    std::string File;
    int Copies = 1;
    QImage* Image = nullptr;
    // When set, the PDF is written into this device as it is drawn, page by page, and
    // nothing is delivered: the device's owner decides what becomes of it. A document of
    // many pages then never sits in memory whole.
    QIODevice* Device = nullptr;
    std::vector<std::string> Inputs;
};

class TPrintJob {
public:
    // Begins the document and its one page at the layout's paper and resolution; the
    // painter's origin is the printable area's top-left corner.
    TPrintJob(TPrintTarget target, const QPageLayout& layout, int resolution,
              const std::string& title);
    // A job neither finished nor abandoned is abandoned.
    ~TPrintJob();
    TPrintJob(const TPrintJob&) = delete;
    TPrintJob& operator=(const TPrintJob&) = delete;

    // Whether the page could be begun.
    bool Active() const { return Painter_.isActive(); }
    QPainter& Painter() { return Painter_; }
    const TDeviceCaps& Caps() const { return Caps_; }

    // Ends the page and delivers the document: a file is replaced in one step (its
    // permissions kept), a queue gets a spool file that is removed again afterwards, an
    // image target gets the sheet.
    // Fails with the reason when the document cannot be completed, written or handed
    // over, and when the file is not a regular file or is one of the inputs; the target is
    // then untouched.
    void Finish();
    // Ends the page and throws the document away.
    void Abandon();
    // Ends the page and begins the next one; false for an image target, which has one page.
    bool NewPage();

private:
    void Deliver(const QByteArray& document);
    void DeliverFile(const QByteArray& document);
    void DeliverImage();

    TPrintTarget Target_;
    std::string Title_;
    TDeviceCaps Caps_;
    QBuffer Buffer_;
    std::unique_ptr<QPdfWriter> Writer_;
    // The printable area drawn for an image target.
    QImage Printable_;
    QPainter Painter_;
    bool Done_ = false;
};
