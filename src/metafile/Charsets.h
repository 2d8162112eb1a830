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
// cannot read. advances, when given, holds an advance per byte and is made one per
// character: the bytes of a double-byte character share it, the sum of their advances.
QString Decoded(std::span<const uint8_t> bytes, uint8_t charset,
                std::vector<double>* advances = nullptr);

} // namespace MetafileText
