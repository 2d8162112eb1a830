// sheet_words PDF: the words on page 1 of a printed cover sheet, read by OCR, one part a
// line ("Rücken links: …"), for the end-to-end scripts. A portrait page, as a print queue
// may hand over a landscape sheet, is turned back first.
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTransform>
#include <iostream>

#include "SheetCheck.h"
#include "SheetWords.h"

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::cerr << "usage: sheet_words PDF\n";
        return 2;
    }
    std::string error;
    QImage page = RasterisePdfPage(argv[1], error);
    if (page.isNull()) {
        std::cerr << error << "\n";
        return 1;
    }
    // Turned a quarter anticlockwise: turn it a quarter clockwise.
    if (page.height() > page.width())
        page = page.transformed(QTransform().rotate(90));
    QTemporaryDir scratch;
    const TSheetWords words = ReadSheetWords(page, scratch.path().toStdString());
    std::cout << "Rücken links: " << words.LeftSpine << "\nRücken rechts: " << words.RightSpine
              << "\nTitelliste: " << words.Tracks << "\nTitel: " << words.Title << "\n";
    return 0;
}
