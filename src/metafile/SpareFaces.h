// Faces that Windows metafiles often name and a Linux system seldom has, taken from free
// fonts that carry the same names where they are installed.
#pragma once

#include <QString>

namespace MetafileFonts {

// Adds the fonts of a face to this program's own fonts, once, when the system lacks the face
// and font files of that name are present.
void AddSpareFace(const QString& face);

// Whether a face was added from spare fonts: it draws the characters of the face, but its
// glyph numbers are its own.
bool IsSpareFace(const QString& face);

} // namespace MetafileFonts
