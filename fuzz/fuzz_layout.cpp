// Arbitrary text as a layout file: the document read from it, saved into the same text,
// must read back as the same document, and saving it again must change nothing.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sheet/LayoutDocument.h"
#include "toolkit/Application.h"
#include "toolkit/IniFile.h"

namespace {
// What a layout means, leaving out the texts its settings were read from.
bool SameMeaning(const TLayoutDocument& a, const TLayoutDocument& b) {
    return a.Cover.File() == b.Cover.File() && a.Back.File() == b.Back.File() &&
           a.Wrap.File() == b.Wrap.File() && a.Disc.File() == b.Disc.File() &&
           a.Placements.Cover.Placement == b.Placements.Cover.Placement &&
           a.Placements.Back.Placement == b.Placements.Back.Placement &&
           a.Placements.Disc.Placement == b.Placements.Disc.Placement && a.Settings == b.Settings &&
           a.DiscSettings == b.DiscSettings && a.Text == b.Text && a.DiscText == b.DiscText;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool titled = (TApplication::SetTitle("Vellacour"), true);
    (void)titled;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const TLayoutDocument document = ParseLayoutDocument(TIniText(text));
    const std::string saved = IniApplyEdits(text, LayoutDocumentEdits(TIniText(text), document));
    if (!SameMeaning(ParseLayoutDocument(TIniText(saved)), document))
        std::abort();
    if (IniApplyEdits(saved, LayoutDocumentEdits(TIniText(saved), document)) != saved)
        std::abort();
    return 0;
}
