// The music layer's failure and its messages: a folder or a CUE sheet that cannot be read,
// and the notes on files and lines passed over.
#pragma once

#include "toolkit/Errors.h"

class EMusicError : public Exception {
public:
    using Exception::Exception;
};

namespace Msg {
inline constexpr TMsg NoAudioFile{
    QT_TRANSLATE_NOOP("Msg", "Im Ordner %s wurde keine lesbare Audiodatei gefunden")};
inline constexpr TMsg FolderUnreadable{
    QT_TRANSLATE_NOOP("Msg", "Der Ordner %s kann nicht gelesen werden")};
inline constexpr TMsg AudioFileSkipped{
    QT_TRANSLATE_NOOP("Msg", "%s übergangen: keine lesbare Audiodatei")};
inline constexpr TMsg CueUnreadable{
    QT_TRANSLATE_NOOP("Msg", "Die CUE-Datei %s kann nicht gelesen werden")};
inline constexpr TMsg CueTooLarge{
    QT_TRANSLATE_NOOP("Msg", "Die CUE-Datei %s ist zu groß (mehr als %d KiB)")};
inline constexpr TMsg CueCut{
    QT_TRANSLATE_NOOP("Msg", "Nur das erste MiB der CUE-Datei wurde gelesen")};
inline constexpr TMsg CueLineSkipped{QT_TRANSLATE_NOOP("Msg", "Zeile %d übergangen: %s")};
inline constexpr TMsg CueTooManyTracks{
    QT_TRANSLATE_NOOP("Msg", "Mehr als %d Titel: die übrigen wurden übergangen")};
} // namespace Msg
