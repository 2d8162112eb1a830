// A print service of the tests' own: the queues a machine is staged with, and a record of
// the documents it was given (or a refusal of each). Held, it stands for a scheduler that
// does not answer: the queues are given only once it is released.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "print/Printer.h"

class TTestPrintService : public TPrintService {
public:
    TTestPrintService(std::vector<std::string> names, std::string defaultName)
        : Staged{std::move(names), std::move(defaultName), {}} {}
    TPrintQueues Queues() override {
        std::unique_lock lock(Mutex);
        ++Asked;
        Changed.notify_all();
        Changed.wait(lock, [this] { return !Held; });
        return Staged;
    }
    std::string Submit(const TSubmission& job) override {
        Submitted.push_back(job);
        return Refusal;
    }
    std::string Name() const override { return "Testdienst"; }

    void Hold() {
        const std::lock_guard lock(Mutex);
        Held = true;
    }
    void Release() {
        const std::lock_guard lock(Mutex);
        Held = false;
        Changed.notify_all();
    }
    // Whether the queues were asked for that often within a few seconds.
    bool WaitUntilAsked(int times) {
        std::unique_lock lock(Mutex);
        return Changed.wait_for(lock, std::chrono::seconds(5), [&] { return Asked >= times; });
    }

    TPrintQueues Staged;
    std::atomic<int> Asked = 0; // how often the queues were asked for
    std::vector<TSubmission> Submitted;
    std::string Refusal; // empty: every document is taken

private:
    std::mutex Mutex;
    std::condition_variable Changed;
    bool Held = false;
};

// A machine with one printer, the default, printing into a PDF file on A4 at the
// resolution, the whole sheet printable.
inline std::unique_ptr<TPrinter> FilePrinter(const std::string& pdf, int dpi,
                                             std::shared_ptr<TTestPrintService> service = nullptr) {
    if (!service)
        service = std::make_shared<TTestPrintService>(std::vector<std::string>{"Testdrucker"},
                                                      "Testdrucker");
    auto printer = std::make_unique<TPrinter>(service);
    printer->SetOutputFile(pdf);
    printer->SetPaper(QPageSize(QPageSize::A4));
    printer->SetResolution(dpi);
    printer->SetFullSheetPrintable();
    return printer;
}
