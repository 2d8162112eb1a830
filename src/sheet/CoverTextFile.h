// The words of a layout in its file: section "Beschriftung" beside the picture paths, one
// UTF-8 line a key. Keys: spine, spineDirection (up|down), title, titlePosition
// (top|bottom), track1 … track99, and for each of spine, title and tracks the style keys
// <part>Font, <part>Size (auto or points), <part>Color (#rrggbb), <part>Bold (0|1) and
// <part>Band (none|white|black|translucent).
#pragma once

#include <string>

#include "sheet/CoverText.h"

// The words the file holds. A missing file or section reads as no words; a malformed
// setting reads as its default, so the words never keep a layout from opening.
TCoverText ReadCoverText(const std::string& fileName);

// Writes the section in one replacement of the file, keeping every other line. A layout
// without words whose file has no such section is left alone, byte for byte. Raises
// EIniFileException ("nach %s kann nicht geschrieben werden") when the file cannot be
// written or a line is longer than a layout reads back.
void WriteCoverText(const std::string& fileName, const TCoverText& text);

// Whether the words differ from what the file holds (for an untitled layout: whether
// there are any).
bool CoverTextChanged(const std::string& layoutFile, const TCoverText& text);
