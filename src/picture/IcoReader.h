// Reads icon files: the check made at loading, the choice of one directory entry by colour
// count, and the icon image made from that entry (a DIB with its mask, or a PNG stream) at the
// system icon size.
#pragma once

#include "toolkit/Translation.h"
#include <QImage>
#include <cstdint>
#include <span>

namespace Msg {
inline constexpr TMsg InvalidIcon{QT_TRANSLATE_NOOP("Msg", "Ungültiges Symbol")};
inline constexpr TMsg IconSizeChange{
    QT_TRANSLATE_NOOP("Msg", "Die Größe eines Symbols kann nicht geändert werden")};
inline constexpr TMsg IconDescription{QT_TRANSLATE_NOOP("Msg", "Symbole")};
} // namespace Msg

// Icons are drawn at this size, in the target's logical units, whatever the file holds.
inline constexpr int SystemIconSize = 32;

// Checks the 6-byte header: reserved, type, count. Raises EReadError ("Stream-Read-Fehler")
// for fewer bytes and EInvalidGraphic ("Ungültiges Symbol") for a type other than 0 or 1.
// Returns the type.
uint16_t CheckIconHeader(std::span<const uint8_t> bytes);

// One 16-byte directory entry, as far as choosing and finding the image needs it.
struct TIconEntry {
    uint16_t Colours = 0; // the colour-count byte with the reserved byte after it
    uint32_t Size = 0;
    uint32_t Offset = 0; // from the start of the file
};

// The colour count entries are compared with: 0 on a 24-bit screen, else 2 to the power of
// the screen's bits per pixel, kept to 16 bits.
uint16_t ScreenColourCount(int bitsPerPixel);

// The index of the entry to draw (there is at least one): the first whose colours equal the
// screen's count; else the first that does not exceed it, replaced by every later entry with
// more colours than that first one; else the first entry.
size_t ChooseIconEntry(std::span<const TIconEntry> entries, uint16_t screenColours);

// The icon image of a whole icon file whose header CheckIconHeader accepted, for a screen of
// the given depth: a SystemIconSize square in Format_ARGB32, transparent where the icon is.
// Type 0 gives the standard application icon. Raises EInvalidGraphic ("Ungültiges Symbol")
// for no entries, a directory or an image outside the bytes or a DIB that cannot be used;
// a PNG stream raises as ReadPng; EOutOfResources ("Systemressourcen erschöpft.") when the
// memory for the image cannot be had.
QImage MakeIconImage(std::span<const uint8_t> bytes, int screenBitsPerPixel);
