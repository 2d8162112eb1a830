// The layout document: everything a layout file holds for Vellacour as one value (the
// pictures' entries, how each part places its picture, the sheet's settings, the words and
// the disc label), read from the file in one read and written back in one replacement that changes
// only its own keys. The window keeps one document, and earlier ones for undo.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sheet/CoverSheet.h"
#include "sheet/CoverText.h"
#include "sheet/HeldPicture.h"
#include "sheet/LayoutFile.h"
#include "sheet/PlacementKeys.h"

class TIniText;
class TPicture;
struct TIniEdit;

// A picture of the layout: what the file holds for its part and where it was found.
struct TLayoutPicture {
    // The entry as the layout holds it: a path as written (a relative one counts from the
    // layout's folder), empty for no picture; nothing while the file has no such key.
    std::optional<std::string> Entry;
    // The file the picture is loaded from; empty for no picture and for one found nowhere.
    std::string Resolved;
    // Named, but found neither at its path nor in the layout's folder: the part stays empty
    // and the entry is kept.
    bool Missing = false;
    // Set while the picture is these bytes and no file yet: Entry is then the name it will
    // get beside the layout and Resolved is empty. Shared between the documents of the
    // undo history, so a step costs no copy of the bytes.
    std::shared_ptr<const THeldPicture> Held;
    // Whether the program made the picture's file beside the layout (from held bytes):
    // such a file goes along when the layout is saved into another folder.
    bool Made = false;

    // The entry as it is saved: empty for no picture.
    std::string File() const { return Entry.value_or(""); }
    // Held pictures compare by content, so two documents holding the same bytes are equal.
    bool operator==(const TLayoutPicture& other) const;
};

// A part's picture made of encoded bytes (a kind the picture layer reads by extension),
// with where they came from for the tooltip. Its entry is "Bild.<hash>.<extension>" until
// the layout it is saved with gives it that layout's name.
TLayoutPicture HeldLayoutPicture(std::string bytes, const std::string& extension,
                                 std::string origin);

// The name a held picture gets beside layoutFile: "NAME.<hash>.<extension>", NAME the
// layout's base name, or "Bild" while the layout is untitled.
std::string HeldPictureName(const std::string& layoutFile, const THeldPicture& held);

// Loads the part's picture into picture: its held bytes, else the file it was found at.
// A part without a picture, or with one found nowhere, leaves picture as it was.
void LoadLayoutPicture(TPicture& picture, const TLayoutPicture& part);

struct TLayoutDocument {
    TLayoutPicture Cover;
    TLayoutPicture Back;
    // One picture across a whole wrap ("wrap"); while it is set, the front and back pictures
    // are kept but not drawn.
    TLayoutPicture Wrap;
    // The disc label's picture ("disc"), placed by Placements.Disc.
    TLayoutPicture Disc;
    TLayoutPlacements Placements;
    TSheetSettings Settings;
    TCoverText Text;
    TDiscSettings DiscSettings;
    TDiscText DiscText;

    TLayoutPicture& Picture(TSheetPart part) {
        return part == TSheetPart::Cover ? Cover : part == TSheetPart::Back ? Back : Disc;
    }
    const TLayoutPicture& Picture(TSheetPart part) const {
        return part == TSheetPart::Cover ? Cover : part == TSheetPart::Back ? Back : Disc;
    }
    // Whether the sheet shows the wrap's picture instead of the front and back pictures.
    bool ShowsWrap() const { return Settings.Layout().IsWrap() && !Wrap.File().empty(); }
    TPlacementRecord& Placement(TSheetPart part) {
        return part == TSheetPart::Cover  ? Placements.Cover
               : part == TSheetPart::Back ? Placements.Back
                                          : Placements.Disc;
    }
    const TPlacementRecord& Placement(TSheetPart part) const {
        return part == TSheetPart::Cover  ? Placements.Cover
               : part == TSheetPart::Back ? Placements.Back
                                          : Placements.Disc;
    }
    // The disc label the layout describes.
    TDiscLabel DiscLabel() const;
    // Whether there is a disc label to print: a picture or words.
    bool HasDisc() const { return !Disc.File().empty() || DiscText.HasWords(); }
    bool operator==(const TLayoutDocument&) const = default;
};

// The document a layout's text holds. Its pictures are not looked for yet: Resolved is
// empty and nothing is Missing. What cannot be read counts as its default and keeps its
// text (placements, sheet settings), or reads as its default (words).
TLayoutDocument ParseLayoutDocument(const TIniText& text);

// The layout file's document, from one read of the file. Fails with a message naming the
// file when it is missing ("Die Layoutdatei %s wurde nicht gefunden"), a folder or
// otherwise unreadable ("… kann nicht gelesen werden") or too large or without the
// program's section ("%s ist keine Vellacour-Layoutdatei"). A line holding a zero byte is
// read past as a line that is no section and no key.
TLayoutDocument ReadLayoutDocument(const std::string& fileName);

// Which pictures of a document opened from layoutFile were not where their entries say.
struct TPicturesFound {
    bool CoverMoved = false; // found in the layout's folder: its entry now names it there
    bool BackMoved = false;
    bool WrapMoved = false;
    bool DiscMoved = false;
};

// Looks for the document's named pictures: at the entry's path (a relative one from the
// layout's folder), else a file of that name in the layout's folder, whose path then
// becomes the entry; a picture found nowhere is Missing. An entry whose extension no
// picture reader knows fails first, with the picture layer's message, whether or not the
// file exists; so does a missing front or back key, as a path without extension, unless the
// layout names a wrap picture. A disc picture is checked only when named.
TPicturesFound LocatePictures(TLayoutDocument& document, const std::string& layoutFile);

// What saving the document changes in a layout's text as current holds it: the
// "Vellacour" section's keys, and the words' section where there are words or the text
// holds it.
std::vector<TIniEdit> LayoutDocumentEdits(const TIniText& current, const TLayoutDocument& document);

// Writes the document into fileName in one replacement of the file, keeping every line
// that is not one of its keys, and answers the document as the file now holds it (each
// placement's and sheet setting's entries as written). Pictures are written as their
// entries; of the sheet settings and placements only what differs from the default, an
// unread value left as it is; the words' section only when there are words or the file
// holds it. Raises EIniFileException ("nach %s kann nicht geschrieben werden") and leaves
// the file as it was when it cannot be written, or when a path or a line is longer than a
// layout can read back.
TLayoutDocument WriteLayoutDocument(const std::string& fileName, const TLayoutDocument& document);

// Saves the document as fileName with its pictures, as one step: first each held picture
// is written into the layout's folder as "NAME.<hash>.<extension>" (NAME the layout's base
// name; an identical file already there is used as it is, another file of that name is
// never overwritten), and each picture the program made that lies in another folder (the
// layout came from oldFile's folder, or an undone step named it there) is copied there
// under its name; then the layout, with other
// relative entries rebased as RebasedDocument does. When the layout cannot be written,
// the picture files written in this step are removed again and the error is raised as
// WriteLayoutDocument raises it; a picture that cannot be written raises EWriteError
// naming it. Answers the document as saved: every picture a file (Held cleared, Resolved
// set) and those the program made marked Made.
TLayoutDocument SaveLayoutDocument(const std::string& fileName, const TLayoutDocument& document,
                                   const std::string& oldFile = {});
// Whether the document differs from what layoutFile holds now, read afresh: a held picture
// (not saved yet) is a change, then the pictures' entries byte for byte, the placements, the sheet
// settings and the words. An untitled layout (no file) is changed when anything is away from the
// empty document.
bool LayoutChanged(const std::string& layoutFile, const TLayoutDocument& document);

// The files the document's pictures are loaded from: what writing its sheet, or the layout
// itself, must not overwrite.
inline std::vector<std::string> PictureFiles(const TLayoutDocument& document) {
    std::vector<std::string> files;
    for (const TLayoutPicture* picture :
         {&document.Cover, &document.Back, &document.Wrap, &document.Disc})
        if (!picture->Resolved.empty())
            files.push_back(picture->Resolved);
    return files;
}

// The document as saved under newFile instead of oldFile: a relative entry is rewritten
// relative to newFile's folder so it names the same file (or made absolute where no
// relative path leads there); absolute entries and held pictures stay as they are.
TLayoutDocument RebasedDocument(const TLayoutDocument& document, const std::string& oldFile,
                                const std::string& newFile);
