// What the clipboard offers as a picture: a copied picture file, or image data from a
// browser or an image editor, encoded as a picture file of a kind we read.
#pragma once

#include <string>

#include "toolkit/Translation.h"

class QMimeData;

namespace Msg {
inline constexpr TMsg NoPictureOnClipboard{
    QT_TRANSLATE_NOOP("Msg", "Die Zwischenablage enthält kein Bild.")};
inline constexpr TMsg PastedOrigin{QT_TRANSLATE_NOOP("Msg", "Aus der Zwischenablage eingefügt")};
} // namespace Msg

struct TPastedPicture {
    // A local picture file that was copied, to be inserted as a file is.
    std::string FileName;
    // Otherwise image data, encoded: JPEG data as it came, PNG data as it came, any other
    // image as PNG; Extension says which ("jpg", "png"). Both empty: nothing usable.
    std::string Bytes;
    std::string Extension;

    bool Empty() const { return FileName.empty() && Bytes.empty(); }
};

// The picture data offers: one local file of a kind we read before image data, JPEG data
// before PNG data before any other image.
TPastedPicture PastedPicture(const QMimeData* data);
