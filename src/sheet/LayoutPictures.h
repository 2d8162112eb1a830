// Finding a layout's pictures after the layout or its pictures were moved, and the
// messages about layouts that cannot be read and pictures that are not where they were.
#pragma once

#include <string>
#include <string_view>

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

// Whether a stored path was written the Windows way: a drive letter ("C:") or a network
// share ("\\server") at its start. Only in such a path is a backslash a separator.
bool IsWindowsPath(std::string_view path);

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
