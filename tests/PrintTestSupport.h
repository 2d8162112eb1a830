// A print service of the tests' own: the queues a machine is staged with, and a record of
// the documents it was given (or a refusal of each).
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "print/Printer.h"

class TTestPrintService : public TPrintService {
public:
    TTestPrintService(std::vector<std::string> names, std::string defaultName)
        : Staged{std::move(names), std::move(defaultName)} {}
    TPrintQueues Queues() override {
        ++Asked;
        return Staged;
    }
    std::string Submit(const TSubmission& job) override {
        Submitted.push_back(job);
        return Refusal;
    }

    TPrintQueues Staged;
    std::atomic<int> Asked = 0; // how often the queues were asked for
    std::vector<TSubmission> Submitted;
    std::string Refusal; // empty: every document is taken
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
