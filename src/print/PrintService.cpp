#include "print/PrintService.h"

#include <atomic>

#include "toolkit/Errors.h"

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
    decltype(&cupsServer) Server = nullptr;
    decltype(&ippPort) Port = nullptr;
    // Whether every entry point was found; the loader's message when not.
    bool Loaded = false;
    std::string Error;
};

template <typename F> bool Resolve(void* handle, const char* name, F& entry) {
    entry = reinterpret_cast<F>(dlsym(handle, name));
    return entry != nullptr;
}

// The library once it is loaded, for what must not wait while another thread loads it.
std::atomic<const TCupsLibrary*> LoadedLibrary{nullptr};

// Loaded once for the process (the handle is kept: the library stays until the end);
// without it, or without one of its entry points, the system has no queues, and the
// loader's message says why.
const TCupsLibrary& CupsLibrary() {
    static const TCupsLibrary library = [] {
        TCupsLibrary cups;
        void* handle = dlopen("libcups.so.2", RTLD_NOW | RTLD_LOCAL);
        if (handle)
            cups.Loaded = Resolve(handle, "cupsGetDests2", cups.GetDests2) &&
                          Resolve(handle, "cupsFreeDests", cups.FreeDests) &&
                          Resolve(handle, "cupsAddOption", cups.AddOption) &&
                          Resolve(handle, "cupsFreeOptions", cups.FreeOptions) &&
                          Resolve(handle, "cupsPrintFile", cups.PrintFile) &&
                          Resolve(handle, "cupsLastErrorString", cups.LastErrorString) &&
                          Resolve(handle, "cupsServer", cups.Server) &&
                          Resolve(handle, "ippPort", cups.Port);
        if (!cups.Loaded) {
            const char* error = dlerror();
            cups.Error = error ? error : "libcups.so.2";
        }
        return cups;
    }();
    LoadedLibrary.store(&library, std::memory_order_release);
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
        if (!cups.Loaded) {
            queues.Unavailable = Format(Msg::CupsLibraryMissing, cups.Error.c_str());
            return queues;
        }
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
            return Msg::CupsLibraryNotFound;
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

    std::string Name() const override {
        // Before the library is loaded (or while a query is still loading it) the
        // scheduler goes by the service's name alone.
        const TCupsLibrary* cups = LoadedLibrary.load(std::memory_order_acquire);
        const char* server = cups && cups->Loaded ? cups->Server() : nullptr;
        if (!server || !*server)
            return "CUPS";
        // A scheduler on this machine may be reached through a local socket, without a port.
        if (*server == '/')
            return Format("CUPS, %s", server);
        return Format("CUPS, %s:%d", server, cups->Port());
    }
};
#else
class TCupsPrintService : public TPrintService {
public:
    TPrintQueues Queues() override { return {}; }
    std::string Submit(const TSubmission&) override { return Msg::NoPrintService; }
    std::string Name() const override { return Msg::NoPrintService; }
};
#endif
} // namespace

std::shared_ptr<TPrintService> SystemPrintService() {
    static const std::shared_ptr<TPrintService> service = std::make_shared<TCupsPrintService>();
    return service;
}
