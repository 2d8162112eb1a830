// The system's print service: which print queues are installed, which one is the
// default, and the hand-over of a finished document to a queue. On Linux this is CUPS.
#pragma once

#include "toolkit/Translation.h"
#include <memory>
#include <string>
#include <vector>

namespace Msg {
inline constexpr TMsg CupsLibraryMissing{
    QT_TRANSLATE_NOOP("Msg", "die CUPS-Bibliothek lässt sich nicht laden (%s)")};
inline constexpr TMsg CupsLibraryNotFound{
    QT_TRANSLATE_NOOP("Msg", "CUPS-Bibliothek (libcups.so.2) nicht gefunden")};
inline constexpr TMsg NoPrintService{QT_TRANSLATE_NOOP("Msg", "kein Druckdienst")};
} // namespace Msg

// The installed print queues and the one marked as default (empty for none).
struct TPrintQueues {
    std::vector<std::string> Names;
    std::string Default;
    // Why the service cannot be asked at all (its client library is missing), as a clause
    // that completes "Drucken ist nicht möglich: "; empty when it could be asked.
    std::string Unavailable;
};

// What a queue is given with a document.
struct TSubmission {
    std::string Queue;
    std::string File;  // a finished PDF file
    std::string Title; // the document's name in the queue
    int Copies = 1;
    std::string Media; // the paper by its PPD name ("A4", "Letter"); empty for the queue's own
};

class TPrintService {
public:
    virtual ~TPrintService() = default;
    // The queues as the service lists them now; none when it cannot be reached.
    virtual TPrintQueues Queues() = 0;
    // Hands the document to its queue; the service's complaint when it refuses, empty
    // when the job was taken.
    virtual std::string Submit(const TSubmission& job) = 0;
    // The scheduler the queues are asked of, for a message that it does not answer
    // ("CUPS, localhost:631"). Answers at once whatever a query is doing.
    virtual std::string Name() const = 0;
};

// The system's own print service.
std::shared_ptr<TPrintService> SystemPrintService();
