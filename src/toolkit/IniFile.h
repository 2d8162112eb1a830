// Private-profile (INI) files as the Windows functions read and write them: sections in
// square brackets, "key=value" lines, names matched regardless of ASCII letter case.
// The text rules live in pure functions (text in, value or new text out); TIniFile adds
// the file: reading leniently, and writing by replacing the whole file atomically, so an
// existing file is never left half-written.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using TIniValues = std::vector<std::pair<std::string, std::string>>;

// A value read from a file is cut to this many bytes, as a 2048-byte buffer with its
// terminator would hold.
inline constexpr size_t IniMaxValueLength = 2047;

// The value of key in the first section called section, unquoted and without surrounding
// blanks but not cut; nothing when the section or the key is missing.
std::optional<std::string> IniFindValue(std::string_view text, std::string_view section,
                                        std::string_view key);

// Whether section, key and value can be written so that they read back unchanged: names
// must be non-empty, no part may hold a line break, and a key may neither contain '=' nor
// begin like a comment or a section header.
bool IniCanWrite(std::string_view section, std::string_view key, std::string_view value);

// The text with each key of values set in section, in the given order. Every other line
// keeps its bytes; new lines take the text's own line end (LF for a text without one).
// Every entry must pass IniCanWrite.
// Then each key of removals is taken out of that section (every line of it there); a
// key that is not there changes nothing.
std::string IniSetValues(std::string_view text, std::string_view section, const TIniValues& values,
                         const std::vector<std::string>& removals = {});

// Whether the text has a section of that name.
bool IniHasSection(std::string_view text, std::string_view section);

// A text read once into its sections, for reading many values without reading the text
// again: each value as IniFindValue gives it, cut to IniMaxValueLength as a value read
// from a file is.
class TIniText {
public:
    TIniText() = default;
    explicit TIniText(std::string_view text);
    // The value of key in section; nothing when the section or the key is missing.
    std::optional<std::string> Value(std::string_view section, std::string_view key) const;
    // The value, or defaultValue when it is missing.
    std::string String(std::string_view section, std::string_view key,
                       const std::string& defaultValue) const;
    bool HasSection(std::string_view section) const;

private:
    // A section's name and its keys' values, each key upper-cased and with its first value.
    struct TSection {
        std::string Name;
        std::map<std::string, std::string, std::less<>> Values;
    };
    const TSection* Find(std::string_view section) const;
    std::vector<TSection> Sections_;
};

// What one replacement of a file sets and removes in one section.
struct TIniEdit {
    std::string Section;
    TIniValues Values;
    std::vector<std::string> Removals;
};

// The text with every edit applied in turn, as IniSetValues applies one.
std::string IniApplyEdits(std::string_view text, const std::vector<TIniEdit>& edits);

class TIniFile {
public:
    explicit TIniFile(std::string fileName);
    const std::string& FileName() const { return FileName_; }
    // The whole file in one read; a missing or unreadable file, a folder or a pipe reads as
    // an empty text.
    TIniText Read() const;
    // Reads the file once, asks edits what to change in what it holds and writes the
    // result in one atomic replacement, every other line kept as it was; nothing is
    // written when edits asks for no change. Raises EIniFileException ("nach %s kann nicht
    // geschrieben werden") and leaves the file as it was when it cannot be written.
    using TEditsOf = std::function<std::vector<TIniEdit>(const TIniText& current)>;
    void Update(const TEditsOf& edits);
    // The value of key in section, or defaultValue when the file, section or key is missing.
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;
    // The value of key in section; nothing when the file, section or key is missing.
    std::optional<std::string> ReadValue(const std::string& section, const std::string& key) const;
    // Sets one key (one atomic replacement of the file).
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    // Sets several keys of one section in a single atomic replacement of the file, in the
    // given order.
    // Keys in removals are taken out of the section in the same replacement.
    void WriteStrings(const std::string& section, const TIniValues& values,
                      const std::vector<std::string>& removals = {});

private:
    std::string FileName_;
};
