// Finding a layout's pictures after the layout or its pictures were moved, and telling a
// file that is no layout from one that is.
#pragma once

#include <optional>
#include <string>
#include <vector>

class TPicture;

namespace Msg {
inline constexpr const char* LayoutMissing = "Die Layoutdatei %s wurde nicht gefunden";
inline constexpr const char* LayoutUnreadable = "Die Layoutdatei %s kann nicht gelesen werden";
inline constexpr const char* NotALayout = "%s ist keine Vellacour-Layoutdatei";
inline constexpr const char* PicturesRelocated =
    "Diese Bilder wurden nicht am gespeicherten Ort, aber im Ordner der Layoutdatei gefunden "
    "und werden von dort verwendet:\n%s\nBeim Speichern wird der neue Ort eingetragen.";
inline constexpr const char* PicturesMissing =
    "Diese Bilder wurden nicht gefunden:\n%s\nDer Teil bleibt leer, bis ein anderes Bild "
    "eingefügt wird; die Layoutdatei behält den Eintrag.";
inline constexpr const char* PrintWithoutMissing =
    "Diese Bilder fehlen und werden leer gedruckt:\n%s\nTrotzdem drucken?";
inline constexpr const char* MissingPlaceholder = "Bild fehlt:\n%s";
inline constexpr const char* PictureFoundBeside =
    "Das Bild %s wurde im Ordner der Layoutdatei gefunden";
inline constexpr const char* SaveOntoPicture =
    "%s ist ein Bild dieses Layouts und wird nicht überschrieben";
} // namespace Msg

// Fails with a message naming the file when it cannot be read as a layout: missing, a
// folder or otherwise unreadable, not text (it holds a zero byte), or without the
// program's section.
void CheckLayoutFile(const std::string& fileName);

// Where a picture named by a layout was found.
enum class TPictureFound {
    Stored,         // at the stored path (a relative one taken from the layout's folder)
    InLayoutFolder, // not there, but a file of its name lies in the layout's folder
    Missing,        // nowhere
};

struct TPictureLocation {
    TPictureFound Found = TPictureFound::Stored;
    // The file to load; for a missing picture the place it was looked for first.
    std::string Path;
};

// Looks for the picture a layout entry names. A relative path counts from the layout
// file's folder, so a layout opened from anywhere finds pictures stored beside it.
TPictureLocation LocateLayoutPicture(const std::string& layoutFile, const std::string& stored);

// Loads the picture of a layout entry into picture. An empty entry leaves it empty and a
// missing key fails as a path without extension does; a picture found nowhere leaves it
// empty too, and pictureFile is what the layout holds for the part afterwards: the entry,
// or the new path of a picture found in the layout's folder.
TPictureFound LoadLayoutEntry(TPicture& picture, const std::string& layoutFile,
                              const std::optional<std::string>& entry, std::string& pictureFile);

// The files a layout's pictures are loaded from, one for each entry that names a picture:
// what writing the layout's sheet or the layout itself must not overwrite.
std::vector<std::string> LayoutPictureFiles(const std::string& layoutFile,
                                            const std::vector<std::string>& entries);
