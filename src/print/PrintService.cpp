#include "print/PrintService.h"

#ifndef _WIN32
#include <cups/cups.h>
#endif

namespace {
#ifndef _WIN32
// CUPS: the destinations of the default scheduler, and cupsPrintFile for the hand-over.
// Both work on the calling thread's own connection, so the list may be asked for on a
// thread of its own while the window comes up.
class TCupsPrintService : public TPrintService {
public:
    TPrintQueues Queues() override {
        TPrintQueues queues;
        cups_dest_t* dests = nullptr;
        const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
        for (int i = 0; i < count; ++i) {
            // An instance ("queue/instance") is a set of options, not a queue of its own.
            if (dests[i].instance)
                continue;
            queues.Names.emplace_back(dests[i].name);
            if (dests[i].is_default)
                queues.Default = dests[i].name;
        }
        cupsFreeDests(count, dests);
        return queues;
    }

    std::string Submit(const TSubmission& job) override {
        cups_option_t* options = nullptr;
        int count = cupsAddOption("copies", std::to_string(job.Copies).c_str(), 0, &options);
        if (!job.Media.empty())
            count = cupsAddOption("media", job.Media.c_str(), count, &options);
        const int id =
            cupsPrintFile(job.Queue.c_str(), job.File.c_str(), job.Title.c_str(), count, options);
        cupsFreeOptions(count, options);
        if (id > 0)
            return {};
        const char* reason = cupsLastErrorString();
        return reason && *reason ? reason : "?";
    }
};
#else
class TCupsPrintService : public TPrintService {
public:
    TPrintQueues Queues() override { return {}; }
    std::string Submit(const TSubmission&) override { return "kein Druckdienst"; }
};
#endif
} // namespace

std::shared_ptr<TPrintService> SystemPrintService() {
    static const std::shared_ptr<TPrintService> service = std::make_shared<TCupsPrintService>();
    return service;
}
