#include "print/PrintService.h"

#ifndef _WIN32
#include <cups/cups.h>
#include <dlfcn.h>
#endif

namespace {
#ifndef _WIN32
// The CUPS client library and what it brings (TLS, Kerberos, Avahi: some twenty libraries)
// are loaded when the queues are first asked for, on the thread that asks for them, not
// when the program starts: the first window does not wait for them. The declarations come
// from the library's own header, so each entry point keeps its exact type.
struct TCupsLibrary {
    decltype(&cupsGetDests2) GetDests2 = nullptr;
    decltype(&cupsFreeDests) FreeDests = nullptr;
    decltype(&cupsAddOption) AddOption = nullptr;
    decltype(&cupsFreeOptions) FreeOptions = nullptr;
    decltype(&cupsPrintFile) PrintFile = nullptr;
    decltype(&cupsLastErrorString) LastErrorString = nullptr;
    // Whether every entry point was found.
    bool Loaded = false;
};

template <typename F> bool Resolve(void* handle, const char* name, F& entry) {
    entry = reinterpret_cast<F>(dlsym(handle, name));
    return entry != nullptr;
}

// Loaded once for the process (the handle is kept: the library stays until the end);
// without it, or without one of its entry points, the system has no queues.
const TCupsLibrary& CupsLibrary() {
    static const TCupsLibrary library = [] {
        TCupsLibrary cups;
        void* handle = dlopen("libcups.so.2", RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            return cups;
        cups.Loaded = Resolve(handle, "cupsGetDests2", cups.GetDests2) &&
                      Resolve(handle, "cupsFreeDests", cups.FreeDests) &&
                      Resolve(handle, "cupsAddOption", cups.AddOption) &&
                      Resolve(handle, "cupsFreeOptions", cups.FreeOptions) &&
                      Resolve(handle, "cupsPrintFile", cups.PrintFile) &&
                      Resolve(handle, "cupsLastErrorString", cups.LastErrorString);
        return cups;
    }();
    return library;
}

// CUPS: the destinations of the default scheduler, and cupsPrintFile for the hand-over.
// Both work on the calling thread's own connection, so the list may be asked for on a
// thread of its own while the window comes up.
class TCupsPrintService : public TPrintService {
public:
    TPrintQueues Queues() override {
        TPrintQueues queues;
        const TCupsLibrary& cups = CupsLibrary();
        if (!cups.Loaded)
            return queues;
        cups_dest_t* dests = nullptr;
        const int count = cups.GetDests2(CUPS_HTTP_DEFAULT, &dests);
        for (int i = 0; i < count; ++i) {
            // An instance ("queue/instance") is a set of options, not a queue of its own.
            if (dests[i].instance)
                continue;
            queues.Names.emplace_back(dests[i].name);
            if (dests[i].is_default)
                queues.Default = dests[i].name;
        }
        cups.FreeDests(count, dests);
        return queues;
    }

    std::string Submit(const TSubmission& job) override {
        const TCupsLibrary& cups = CupsLibrary();
        if (!cups.Loaded)
            return "CUPS-Bibliothek (libcups.so.2) nicht gefunden";
        cups_option_t* options = nullptr;
        int count = cups.AddOption("copies", std::to_string(job.Copies).c_str(), 0, &options);
        if (!job.Media.empty())
            count = cups.AddOption("media", job.Media.c_str(), count, &options);
        const int id =
            cups.PrintFile(job.Queue.c_str(), job.File.c_str(), job.Title.c_str(), count, options);
        cups.FreeOptions(count, options);
        if (id > 0)
            return {};
        const char* reason = cups.LastErrorString();
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
