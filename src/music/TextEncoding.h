// Text whose encoding nobody recorded, as UTF-8.
#pragma once

#include <string>
#include <string_view>

// Whether the bytes are valid UTF-8 (no overlong forms, no surrogates).
bool IsValidUtf8(std::string_view bytes);
// Windows-1252 text as UTF-8; the five bytes the code page leaves undefined become U+FFFD.
std::string Windows1252ToUtf8(std::string_view bytes);
// The bytes as they are when valid UTF-8, else read as Windows-1252.
std::string TextToUtf8(std::string_view bytes);
