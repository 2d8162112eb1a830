// What the commands printing cover sheets share: their options, the pictures of a sheet and
// the printing of one document's sheet with its warnings.
#pragma once

#include <QPageSize>
#include <ostream>
#include <string>
#include <vector>

#include "picture/Picture.h"
#include "toolkit/Translation.h"

struct TLayoutDocument;

namespace Msg {
inline constexpr TMsg ExportWarning{QT_TRANSLATE_NOOP("Msg", "Warnung: ")};
inline constexpr TMsg ExportCreateError{
    QT_TRANSLATE_NOOP("Msg", "Datei %s kann nicht erstellt werden")};
} // namespace Msg

struct TSheetOptions {
    std::string Layout; // the one argument that is no option: a layout, or a folder
    std::string Output;
    bool Frames = false;
    QPageSize::PageSizeId Paper = QPageSize::A4;
    int Dpi = 600;
};

// Reads the options of "sheet", "album" and "collection"; on a usage error writes the
// message and returns false.
bool ParseSheetOptions(const std::vector<std::string>& args, TSheetOptions& options,
                       std::ostream& err);

struct TSheetPictures {
    TPicture Cover;
    TPicture Back;
    TPicture Wrap;
};

// Prints the document's sheet into options.Output exactly as the print command prints it,
// with the warnings about coarse pictures, limited bleed, words that do not fit and parts
// outside a printer's reach. inputs are the files the sheet is made from, which the output
// must not be. Raises with the reason when the sheet cannot be printed or written.
void PrintDocumentSheet(const TSheetOptions& options, const TLayoutDocument& document,
                        const TSheetPictures& pictures, std::vector<std::string> inputs,
                        std::ostream& err);
