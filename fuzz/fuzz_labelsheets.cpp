// Arbitrary text as a file of label sheets: every sheet read from it lies on its paper with
// its hole inside its label, and every line skipped is named in a message.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sheet/LabelSheet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    TLabelSheets sheets;
    ReadLabelSheets(text, "eigene.txt", sheets);
    for (const TLabelSheet& sheet : sheets.Sheets) {
        const TLabelPaperSize paper = LabelPaperSize(sheet.Paper);
        if (sheet.Labels.empty() || sheet.Hole >= sheet.Outer)
            std::abort();
        for (size_t i = 0; i < sheet.Labels.size(); ++i) {
            const TRect square = sheet.Square(i);
            if (square.Left < 0 || square.Top < 0 || square.Right > paper.Width ||
                square.Bottom > paper.Height)
                std::abort();
        }
    }
    for (const std::string& message : sheets.Messages)
        if (message.find("eigene.txt") == std::string::npos)
            std::abort();
    return 0;
}
