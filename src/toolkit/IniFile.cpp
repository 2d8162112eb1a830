#include "toolkit/IniFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#include "toolkit/AsciiText.h"
#include "toolkit/Errors.h"
#include "toolkit/SafeFile.h"

namespace {

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

constexpr std::string_view Blanks = " \t\v\f";

std::string_view Trim(std::string_view s) {
    return TrimBlanks(s, Blanks);
}

struct TLine {
    std::string_view Content;
    std::string_view Eol;
};

// Takes the line at pos; CR LF, LF and a lone CR all end a line, the last may have none.
bool NextLine(std::string_view text, size_t& pos, TLine& line) {
    if (pos >= text.size())
        return false;
    const size_t end = std::min(text.find_first_of("\r\n", pos), text.size());
    size_t next = end;
    if (next < text.size())
        next += text[next] == '\r' && next + 1 < text.size() && text[next + 1] == '\n' ? 2 : 1;
    line = {text.substr(pos, end - pos), text.substr(end, next - end)};
    pos = next;
    return true;
}

// A line holding a zero byte is neither a section header nor an entry: it stays as it is
// and is read past, so such bytes anywhere else in a file change nothing that is read.
bool HoldsZero(std::string_view content) {
    return content.find('\0') != std::string_view::npos;
}

// "[name]": the last ']' closes the name, anything after it is ignored.
std::optional<std::string_view> SectionName(std::string_view content) {
    if (HoldsZero(content))
        return std::nullopt;
    const std::string_view line = Trim(content);
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    const size_t close = line.rfind(']');
    if (close == std::string_view::npos || close == 0)
        return std::nullopt;
    return Trim(line.substr(1, close - 1));
}

struct TEntry {
    std::string_view Key;
    std::string_view Value;
};

// "key=value", split at the first '='. Comments and lines without '=' are no entries.
// Header lines must be recognised before asking this.
std::optional<TEntry> EntryOf(std::string_view content) {
    if (HoldsZero(content))
        return std::nullopt;
    const std::string_view line = Trim(content);
    if (line.empty() || line.front() == ';')
        return std::nullopt;
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return TEntry{Trim(line.substr(0, equals)), Trim(line.substr(equals + 1))};
}

bool IsQuote(char c) {
    return c == '"' || c == '\'';
}

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// Plain paths are written as they are. A value that reading would change (surrounding
// blanks, or a matching pair of quotes around it) is protected by one pair of double
// quotes, which reading takes off again.
std::string EncodeValue(std::string_view value) {
    const bool changedByReading =
        !value.empty() &&
        (Trim(value).size() != value.size() ||
         (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front()));
    if (changedByReading)
        return "\"" + std::string(value) + "\"";
    return std::string(value);
}

// A text as lines that can be edited; joining gives back the bytes of unedited lines.
struct TDocument {
    struct TEditLine {
        std::string Content;
        std::string Eol;
    };
    std::string Bom;
    std::vector<TEditLine> Lines;
    std::string Eol = "\n";
};

TDocument ParseDocument(std::string_view text) {
    TDocument doc;
    if (text.starts_with(Utf8Bom)) {
        doc.Bom = Utf8Bom;
        text.remove_prefix(Utf8Bom.size());
    }
    bool eolKnown = false;
    size_t pos = 0;
    TLine line;
    while (NextLine(text, pos, line)) {
        doc.Lines.push_back({std::string(line.Content), std::string(line.Eol)});
        if (!eolKnown && !line.Eol.empty()) {
            doc.Eol = line.Eol;
            eolKnown = true;
        }
    }
    return doc;
}

std::string JoinDocument(const TDocument& doc) {
    std::string text = doc.Bom;
    for (const auto& line : doc.Lines)
        text.append(line.Content).append(line.Eol);
    return text;
}

void SetValue(TDocument& doc, std::string_view section, std::string_view key,
              std::string_view value) {
    auto& lines = doc.Lines;
    const auto isHeader = [&](const TDocument::TEditLine& line) {
        const auto name = SectionName(line.Content);
        return name && SameAsciiText(*name, section);
    };
    size_t header = 0;
    while (header < lines.size() && !isHeader(lines[header]))
        ++header;
    if (header == lines.size()) {
        if (!lines.empty() && lines.back().Eol.empty())
            lines.back().Eol = doc.Eol;
        lines.push_back({"[" + std::string(section) + "]", doc.Eol});
    }
    size_t last = header;
    for (size_t i = header + 1; i < lines.size() && !SectionName(lines[i].Content); ++i) {
        const auto entry = EntryOf(lines[i].Content);
        if (!entry)
            continue;
        if (SameAsciiText(entry->Key, key)) {
            lines[i].Content = std::string(entry->Key) + "=" + EncodeValue(value);
            return;
        }
        last = i;
    }
    if (lines[last].Eol.empty())
        lines[last].Eol = doc.Eol;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(last) + 1,
                 {std::string(key) + "=" + EncodeValue(value), doc.Eol});
}

// Takes every line of key out of the first section called section.
void RemoveValue(TDocument& doc, std::string_view section, std::string_view key) {
    auto& lines = doc.Lines;
    size_t i = 0;
    while (i < lines.size() && !(SectionName(lines[i].Content) &&
                                 SameAsciiText(*SectionName(lines[i].Content), section)))
        ++i;
    for (++i; i < lines.size() && !SectionName(lines[i].Content);) {
        const auto entry = EntryOf(lines[i].Content);
        if (entry && SameAsciiText(entry->Key, key))
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
        else
            ++i;
    }
}

// Far beyond any INI file; keeps a wrongly chosen huge file from exhausting memory.
constexpr uint64_t MaxFileSize = uint64_t{64} << 20;

[[noreturn]] void FailWrite(const std::string& fileName) {
    throw EIniFileException(Format(Msg::IniWriteError, fileName.c_str()));
}

} // namespace

std::optional<std::string> IniFindValue(std::string_view text, std::string_view section,
                                        std::string_view key) {
    section = Trim(section);
    key = Trim(key);
    if (text.starts_with(Utf8Bom))
        text.remove_prefix(Utf8Bom.size());
    bool inSection = false;
    size_t pos = 0;
    TLine line;
    while (NextLine(text, pos, line)) {
        if (const auto name = SectionName(line.Content)) {
            // Only the first section of that name counts.
            if (inSection)
                return std::nullopt;
            inSection = SameAsciiText(*name, section);
            continue;
        }
        if (!inSection)
            continue;
        if (const auto entry = EntryOf(line.Content); entry && SameAsciiText(entry->Key, key))
            return std::string(Unquote(entry->Value));
    }
    return std::nullopt;
}

bool IniCanWrite(std::string_view section, std::string_view key, std::string_view value) {
    // A line break ends the line early; a zero byte makes it a line that is read past.
    const auto breaksLine = [](std::string_view s) {
        return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
    };
    section = Trim(section);
    key = Trim(key);
    if (section.empty() || key.empty())
        return false;
    if (breaksLine(section) || breaksLine(key) || breaksLine(value))
        return false;
    return key.find('=') == std::string_view::npos && key.front() != ';' && key.front() != '[';
}

std::string IniSetValues(std::string_view text, std::string_view section, const TIniValues& values,
                         const std::vector<std::string>& removals) {
    return IniApplyEdits(text, {{std::string(section), values, removals}});
}

bool IniHasSection(std::string_view text, std::string_view section) {
    section = Trim(section);
    if (text.starts_with(Utf8Bom))
        text.remove_prefix(Utf8Bom.size());
    size_t pos = 0;
    TLine line;
    while (NextLine(text, pos, line))
        if (const auto name = SectionName(line.Content); name && SameAsciiText(*name, section))
            return true;
    return false;
}

std::string IniApplyEdits(std::string_view text, const std::vector<TIniEdit>& edits) {
    TDocument doc = ParseDocument(text);
    for (const TIniEdit& edit : edits) {
        const std::string_view section = Trim(edit.Section);
        for (const auto& [key, value] : edit.Values)
            SetValue(doc, section, Trim(key), value);
        for (const std::string& key : edit.Removals)
            RemoveValue(doc, section, Trim(key));
    }
    return JoinDocument(doc);
}

TIniText::TIniText(std::string_view text) {
    if (text.starts_with(Utf8Bom))
        text.remove_prefix(Utf8Bom.size());
    // Only the first section of a name counts; lines of a later one are passed over.
    TSection* current = nullptr;
    size_t pos = 0;
    TLine line;
    while (NextLine(text, pos, line)) {
        if (const auto name = SectionName(line.Content)) {
            const bool seen = Find(*name) != nullptr;
            current = seen ? nullptr : &Sections_.emplace_back(TSection{std::string(*name), {}});
            continue;
        }
        if (!current)
            continue;
        if (const auto entry = EntryOf(line.Content)) {
            std::string_view value = Unquote(entry->Value);
            value = value.substr(0, std::min(value.size(), IniMaxValueLength));
            current->Values.emplace(AsciiUpperCase(std::string(entry->Key)), std::string(value));
        }
    }
}

const TIniText::TSection* TIniText::Find(std::string_view section) const {
    section = Trim(section);
    for (const TSection& each : Sections_)
        if (SameAsciiText(each.Name, section))
            return &each;
    return nullptr;
}

std::optional<std::string> TIniText::Value(std::string_view section, std::string_view key) const {
    const TSection* found = Find(section);
    if (!found)
        return std::nullopt;
    const auto value = found->Values.find(AsciiUpperCase(std::string(Trim(key))));
    if (value == found->Values.end())
        return std::nullopt;
    return value->second;
}

std::string TIniText::String(std::string_view section, std::string_view key,
                             const std::string& defaultValue) const {
    return Value(section, key).value_or(defaultValue);
}

bool TIniText::HasSection(std::string_view section) const {
    return Find(section) != nullptr;
}

TIniFile::TIniFile(std::string fileName) : FileName_(std::move(fileName)) {}

TIniText TIniFile::Read() const {
    struct stat info {};
    const int fd = OpenRegularFile(FileName_, info);
    if (fd < 0)
        return {};
    TFd file(fd);
    std::string text;
    if (!ReadAll(file.Get(), text, MaxFileSize))
        return {};
    return TIniText(text);
}

std::optional<std::string> TIniFile::ReadValue(const std::string& section,
                                               const std::string& key) const {
    return Read().Value(section, key);
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
    return ReadValue(section, key).value_or(defaultValue);
}

void TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
    WriteStrings(section, {{key, value}});
}

void TIniFile::WriteStrings(const std::string& section, const TIniValues& values,
                            const std::vector<std::string>& removals) {
    Update([&](const TIniText&) { return std::vector<TIniEdit>{{section, values, removals}}; });
}

void TIniFile::Update(const TEditsOf& editsOf) {
    const TReplaceTarget target = ExamineTarget(FileName_);
    if (!target.Replaceable())
        FailWrite(FileName_);
    std::string text;
    if (target.State == TTargetState::Regular) {
        struct stat info {};
        const int fd = OpenRegularFile(target.Path, info);
        if (fd < 0)
            FailWrite(FileName_);
        TFd file(fd);
        if (!ReadAll(file.Get(), text, MaxFileSize))
            FailWrite(FileName_);
    }
    const std::vector<TIniEdit> edits = editsOf(TIniText(text));
    for (const TIniEdit& edit : edits)
        for (const auto& [key, value] : edit.Values)
            if (!IniCanWrite(edit.Section, key, value))
                FailWrite(FileName_);
    if (edits.empty())
        return;
    if (!ReplaceFile(target.Path, IniApplyEdits(text, edits), target.ExistingStatus()))
        FailWrite(FileName_);
}
