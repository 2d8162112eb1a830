// ASCII letter case and blanks, for names that compare without regard to case (INI sections
// and keys, registry keys and values, file extensions) and for text read from files. Bytes
// outside ASCII are left as they are: the callers' names are byte strings in whatever
// encoding the file or the system used.
#pragma once

#include <string>
#include <string_view>

constexpr char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

inline std::string AsciiLowerCase(std::string_view s) {
    std::string lower(s);
    for (char& c : lower)
        c = AsciiLower(c);
    return lower;
}

inline std::string AsciiUpperCase(std::string_view s) {
    std::string upper(s);
    for (char& c : upper)
        c = AsciiUpper(c);
    return upper;
}

// Whether the two are the same but for the case of ASCII letters.
constexpr bool SameAsciiText(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    return true;
}

// The text without the given blank characters at its start, at its end, or at both.
constexpr std::string_view TrimStart(std::string_view s, std::string_view blanks) {
    const size_t first = s.find_first_not_of(blanks);
    return first == std::string_view::npos ? std::string_view() : s.substr(first);
}

constexpr std::string_view TrimEnd(std::string_view s, std::string_view blanks) {
    const size_t last = s.find_last_not_of(blanks);
    return last == std::string_view::npos ? std::string_view() : s.substr(0, last + 1);
}

constexpr std::string_view TrimBlanks(std::string_view s, std::string_view blanks) {
    return TrimEnd(TrimStart(s, blanks), blanks);
}
