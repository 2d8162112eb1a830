// The words of a layout in its file: section "Beschriftung" beside the picture paths, one
// UTF-8 line a key. Keys: spine, spineDirection (up|down), title, titlePosition
// (top|bottom), track1 … track99, and for each of spine, title and tracks the style keys
// <part>Font, <part>Size (auto or points), <part>Color (#rrggbb), <part>Bold (0|1) and
// <part>Band (none|white|black|translucent). The disc label's words: discTitle,
// discSubtitle, discLine1 … discLine20, and for each of discTitle, discSubtitle and
// discLines the style keys <part>Font, <part>Size, <part>Color and <part>Bold.
#pragma once

#include <optional>
#include <string>

#include "sheet/CoverText.h"
#include "sheet/DiscLabel.h"
#include "toolkit/IniFile.h"

// The words the text holds. A missing section reads as no words; a malformed setting
// reads as its default, so the words never keep a layout from opening.
TCoverText ReadCoverText(const TIniText& text);

// Whether every line fits what a layout reads back and the tracks are not too many.
bool CoverTextFits(const TCoverText& text);

// The edit that stores the words over what current holds: every key of the section, and
// the tracks current holds beyond the new list emptied so they read as none. Nothing for a
// layout without words whose text has none of the section's keys, so that such a file is
// left alone, byte for byte.
std::optional<TIniEdit> CoverTextEdit(const TIniText& current, const TCoverText& text);

// A disc label holds at most this many straight lines, one key each.
inline constexpr size_t MaxDiscLines = 20;

// The disc label's words, read as the cover's are.
TDiscText ReadDiscText(const TIniText& text);

// Whether every line fits what a layout reads back and the lines are not too many.
bool DiscTextFits(const TDiscText& text);

// The edit that stores the disc label's words, as CoverTextEdit stores the cover's: nothing
// for a layout without them whose text has none of their keys.
std::optional<TIniEdit> DiscTextEdit(const TIniText& current, const TDiscText& text);
