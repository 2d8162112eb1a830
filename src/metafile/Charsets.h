// 8-bit text of a metafile, read in the character set of the font it is drawn with.
#pragma once

#include <QString>
#include <cstdint>
#include <span>
#include <vector>

namespace MetafileText {

// The characters of 8-bit text in a font's character set: the code page of a double-byte set
// (Japanese, Korean, Chinese) or of a single-byte one (Greek, Cyrillic, Hebrew...), the
// Windows ANSI code page for the western, default and symbol sets and any set the system
// cannot read. Written into text, and the advances, one per byte, into joined, one per
// character: the bytes of a double-byte character share one, the sum of theirs. Both keep
// their storage from one call to the next.
void Decode(std::span<const uint8_t> bytes, uint8_t charset, QString& text,
            std::span<const double> advances, std::vector<double>& joined);

// The characters of 8-bit text in a font's character set, as above.
QString Decoded(std::span<const uint8_t> bytes, uint8_t charset);

} // namespace MetafileText
