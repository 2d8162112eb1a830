// Label sheets as data: sheets of paper with round disc labels punched in them, the labels'
// size and where each one sits. The sheets shipped with the program come from a text file
// built in as the resource ":/sheet/labelsheets.txt"; the user's own come from files named
// *.txt in the folder "labelsheets" of the settings folder. Both are read the first time a
// sheet is needed, never at start-up.
//
// The format, one sheet a line (the shipped file's head says the same at more length):
//
//     NAME  PAPER  OUTER  HOLE  X,Y [X,Y ...]  ; DESCRIPTION
//
// NAME has no blanks and is unique without regard to ASCII letter case; PAPER is A4 or
// Letter (upright); OUTER (100–120) and HOLE (15–45, smaller) are the label's diameters;
// each X,Y is the top-left corner of one label's square (side OUTER) from the paper's
// top-left corner, in the order the positions are numbered. Lengths are millimetres with at
// most one decimal and a point. Lines starting with # are comments. A sheet of the user's
// cannot take a name already read (a shipped sheet's or an earlier file's): the entry is
// skipped, so a name always means the same figures.
//
// An entry with a mistake is skipped with a message naming the file and the line; the
// other entries still load.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "picture/Graphic.h"
#include "toolkit/Translation.h"

namespace Msg {
inline constexpr TMsg LabelSheetEntry{
    QT_TRANSLATE_NOOP("Msg", "Etikettenbogen in %s, Zeile %d: %s")};
inline constexpr TMsg LabelSheetIncomplete{QT_TRANSLATE_NOOP(
    "Msg", "unvollständig; eine Zeile lautet: Name Papier Außendurchmesser Loch x,y …")};
inline constexpr TMsg LabelSheetPaper{
    QT_TRANSLATE_NOOP("Msg", "unbekanntes Papier „%s“ (A4 oder Letter)")};
inline constexpr TMsg LabelSheetNameBlanks{
    QT_TRANSLATE_NOOP("Msg", "der Name „%s“ enthält Leerzeichen")};
inline constexpr TMsg LabelSheetNumber{QT_TRANSLATE_NOOP(
    "Msg", "„%s“ ist keine Länge in Millimetern (mit Punkt, höchstens eine Nachkommastelle)")};
inline constexpr TMsg LabelSheetHoleNotSmaller{QT_TRANSLATE_NOOP(
    "Msg", "das Loch (%s mm) ist nicht kleiner als der Außendurchmesser (%s mm)")};
inline constexpr TMsg LabelSheetOuterRange{
    QT_TRANSLATE_NOOP("Msg", "der Außendurchmesser %s mm liegt nicht zwischen 100 und 120 mm")};
inline constexpr TMsg LabelSheetHoleRange{
    QT_TRANSLATE_NOOP("Msg", "das Loch %s mm liegt nicht zwischen 15 und 45 mm")};
inline constexpr TMsg LabelSheetPosition{
    QT_TRANSLATE_NOOP("Msg", "„%s“ ist keine Position x,y in Millimetern")};
inline constexpr TMsg LabelSheetOffPaper{
    QT_TRANSLATE_NOOP("Msg", "das Etikett bei %s liegt nicht ganz auf dem Papier")};
inline constexpr TMsg LabelSheetOverlap{
    QT_TRANSLATE_NOOP("Msg", "die Etiketten bei %s und bei %s überdecken sich")};
inline constexpr TMsg LabelSheetDuplicate{
    QT_TRANSLATE_NOOP("Msg", "einen Etikettenbogen namens „%s“ gibt es schon")};
inline constexpr TMsg LabelSheetFileTooLarge{QT_TRANSLATE_NOOP(
    "Msg", "Die Datei %s ist zu groß für eine Liste von Etikettenbögen und wird nicht gelesen")};
inline constexpr TMsg LabelPositionsMissing{
    QT_TRANSLATE_NOOP("Msg", "Es ist keine Etikettenposition angegeben")};
inline constexpr TMsg LabelPositionUnknown{QT_TRANSLATE_NOOP(
    "Msg", "Die Position „%s“ gibt es auf dem Etikettenbogen %s nicht; er hat die Positionen 1 "
           "bis %d")};
inline constexpr TMsg LabelPositionRepeated{
    QT_TRANSLATE_NOOP("Msg", "Die Position %d ist mehrfach angegeben")};
} // namespace Msg

// The papers label sheets come on.
enum class TLabelPaper { A4, Letter };

// A sheet of paper upright, in tenths of a millimetre.
struct TLabelPaperSize {
    int Width = 0;
    int Height = 0;
    bool operator==(const TLabelPaperSize&) const = default;
};
TLabelPaperSize LabelPaperSize(TLabelPaper paper);

// Where a label sits: the top-left corner of the square around it, in tenths of a
// millimetre from the paper's top-left corner.
struct TLabelPlace {
    int X = 0;
    int Y = 0;
    bool operator==(const TLabelPlace&) const = default;
};

struct TLabelSheet {
    std::string Name;        // what the user picks it by; no blanks
    std::string Description; // German, UTF-8, as the file has it
    TLabelPaper Paper = TLabelPaper::A4;
    int Outer = 0;                   // the label's diameter, tenths of a millimetre
    int Hole = 0;                    // the hole's diameter
    std::vector<TLabelPlace> Labels; // position 1, 2, … in this order

    // The square around label index (0 for position 1).
    TRect Square(size_t index) const;
};

// Sheets as read, in the order read, and the entries skipped on the way.
struct TLabelSheets {
    std::vector<TLabelSheet> Sheets;
    std::vector<std::string> Messages; // one for each entry or file skipped, in the chosen language

    // The sheet of that name, compared without regard to ASCII letter case; null if none.
    const TLabelSheet* Find(std::string_view name) const;
};

// Adds the sheets the text holds to sheets; an entry with a mistake, or with a name the
// list holds already, is skipped with a message naming fileName and the line.
void ReadLabelSheets(std::string_view text, const std::string& fileName, TLabelSheets& sheets);

// The folder of the user's own sheet files: "labelsheets" in the settings folder.
std::string UserLabelSheetFolder();

// The shipped sheets and the user's, read on the first call and kept for the run (from the
// main thread).
const TLabelSheets& LabelSheets();
// Reads the files again, for a test that changed them; references LabelSheets() gave before
// are no longer valid.
const TLabelSheets& ReloadLabelSheets();

// The labels a text such as "1,2" or "2" chooses on sheet: their indices in sheet.Labels,
// ascending. A position the sheet lacks, 0, a repeated one or an empty text is refused with
// the reason in Error and no labels.
struct TLabelChoice {
    std::vector<size_t> Labels;
    std::string Error; // empty when the text is good
};
TLabelChoice ParseLabelPositions(std::string_view text, const TLabelSheet& sheet);
