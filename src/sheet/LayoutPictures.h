// Finding a layout's pictures after the layout or its pictures were moved, and the
// messages about layouts that cannot be read and pictures that are not where they were.
#pragma once

#include "toolkit/Translation.h"
#include <string>
#include <string_view>

namespace Msg {
inline constexpr TMsg LayoutMissing{
    QT_TRANSLATE_NOOP("Msg", "Die Layoutdatei %s wurde nicht gefunden")};
inline constexpr TMsg LayoutUnreadable{
    QT_TRANSLATE_NOOP("Msg", "Die Layoutdatei %s kann nicht gelesen werden")};
inline constexpr TMsg NotALayout{QT_TRANSLATE_NOOP("Msg", "%s ist keine Vellacour-Layoutdatei")};
inline constexpr TMsg PicturesRelocated{QT_TRANSLATE_NOOP(
    "Msg",
    "Diese Bilder wurden nicht am gespeicherten Ort, aber im Ordner der Layoutdatei gefunden "
    "und werden von dort verwendet:\n%s\nBeim Speichern wird der neue Ort eingetragen.")};
inline constexpr TMsg PicturesMissing{QT_TRANSLATE_NOOP(
    "Msg", "Diese Bilder wurden nicht gefunden:\n%s\nDer Teil bleibt leer, bis ein anderes Bild "
           "eingefügt wird; die Layoutdatei behält den Eintrag.")};
inline constexpr TMsg PrintWithoutMissing{QT_TRANSLATE_NOOP(
    "Msg", "Diese Bilder fehlen und werden leer gedruckt:\n%s\nTrotzdem drucken?")};
inline constexpr TMsg MissingPlaceholder{QT_TRANSLATE_NOOP("Msg", "Bild fehlt:\n%s")};
inline constexpr TMsg PictureFoundBeside{
    QT_TRANSLATE_NOOP("Msg", "Das Bild %s wurde im Ordner der Layoutdatei gefunden")};
inline constexpr TMsg SaveOntoPicture{
    QT_TRANSLATE_NOOP("Msg", "%s ist ein Bild dieses Layouts und wird nicht überschrieben")};
inline constexpr TMsg PictureWriteError{
    QT_TRANSLATE_NOOP("Msg", "Das Bild %s kann nicht geschrieben werden")};
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
