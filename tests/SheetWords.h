// Reads back the words printed on a cover sheet by OCR (tesseract): each spine turned
// upright (the title reads bottom to top), the track area and the cover. The page is a
// landscape image at the checker's resolution.
#pragma once

#include <QImage>
#include <QRect>
#include <string>

// The parts on such a page: the spines up to their fold lines at 139.0 and 277.0 mm, the
// track area between them, the cover.
struct TSheetWordAreas {
    QRect LeftSpine, RightSpine, Tracks, Cover;
};
TSheetWordAreas SheetWordAreas();

struct TSheetWords {
    std::string LeftSpine, RightSpine, Tracks, Title; // whitespace collapsed
};
// Needs the tesseract program with its German data; scratch is a folder for its input.
TSheetWords ReadSheetWords(const QImage& page, const std::string& scratch);
