#include "toolkit/IniFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#include "toolkit/Errors.h"

namespace {

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char FoldCase(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldCase(a[i]) != FoldCase(b[i]))
            return false;
    return true;
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

// "[name]": the last ']' closes the name, anything after it is ignored.
std::optional<std::string_view> SectionName(std::string_view content) {
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
        (IsBlank(value.front()) || IsBlank(value.back()) ||
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
        return name && SameName(*name, section);
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
        if (SameName(entry->Key, key)) {
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

// Far beyond any INI file; keeps a wrongly chosen huge file from exhausting memory.
constexpr uint64_t MaxFileSize = uint64_t{64} << 20;

TIniBeforeRenameHook BeforeRenameHook;

[[noreturn]] void FailWrite(const std::string& fileName) {
    throw EIniFileException(Format(Msg::IniWriteError, fileName.c_str()));
}

class TFd {
public:
    explicit TFd(int fd) : Fd(fd) {}
    ~TFd() {
        if (Fd >= 0)
            ::close(Fd);
    }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    int Get() const { return Fd; }

private:
    int Fd;
};

bool ReadAll(int fd, std::string& text) {
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        if (text.size() + static_cast<uint64_t>(got) > MaxFileSize)
            return false;
        text.append(buffer, static_cast<size_t>(got));
    }
}

bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t done = ::write(fd, text.data(), text.size());
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        text.remove_prefix(static_cast<size_t>(done));
    }
    return true;
}

// Opens a regular file for reading. Non-blocking, so that a named pipe cannot stall us.
int OpenRegularFile(const std::string& path, struct stat& info) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return -1;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        errno = EISDIR;
        return -1;
    }
    return fd;
}

// Follows symbolic links to the file that is really replaced; a path that does not exist
// (yet) is itself the answer. False for a link loop or an unreadable link.
bool ResolveLinks(std::string& path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0)
            return errno == ENOENT;
        if (!S_ISLNK(info.st_mode))
            return true;
        std::string target(256, '\0');
        for (;;) {
            const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
            if (length <= 0)
                return false;
            if (static_cast<size_t>(length) < target.size()) {
                target.resize(static_cast<size_t>(length));
                break;
            }
            target.resize(target.size() * 2);
        }
        const size_t slash = path.rfind('/');
        if (target.front() == '/' || slash == std::string::npos)
            path = target;
        else
            path = path.substr(0, slash + 1) + target;
    }
    return false;
}

// The temporary file beside the target; removed again unless it was renamed into place.
class TTempFile {
public:
    TTempFile(const std::string& target, mode_t mode) {
        const size_t slash = target.rfind('/');
        const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
        // A shortened base keeps the temporary name within the file system's name limit.
        const std::string base = target.substr(folder.size()).substr(0, 64);
        std::random_device random;
        for (int attempt = 0; attempt < 100; ++attempt) {
            const uint64_t suffix = (uint64_t{random()} << 32) | random();
            std::string name = Format("%s.%s.%016llx.tmp", folder.c_str(), base.c_str(),
                                      static_cast<unsigned long long>(suffix));
            Fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
            if (Fd >= 0) {
                Path = std::move(name);
                return;
            }
            if (errno != EEXIST)
                return;
        }
    }
    ~TTempFile() {
        if (Fd >= 0)
            ::close(Fd);
        if (!Path.empty())
            ::unlink(Path.c_str());
    }
    TTempFile(const TTempFile&) = delete;
    TTempFile& operator=(const TTempFile&) = delete;

    bool Created() const { return Fd >= 0; }
    int Get() const { return Fd; }
    const std::string& Name() const { return Path; }
    bool Close() {
        const int fd = Fd;
        Fd = -1;
        return ::close(fd) == 0;
    }
    bool RenameTo(const std::string& target) {
        if (::rename(Path.c_str(), target.c_str()) != 0)
            return false;
        Path.clear();
        return true;
    }

private:
    int Fd = -1;
    std::string Path;
};

// Makes a finished rename survive a power loss; a failure here loses nothing already done.
void SyncFolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Writes text to a new file beside target and renames it over target. The existing file,
// if any, must be a writable regular file; its permission bits and owner carry over.
bool ReplaceFile(const std::string& target, const std::string& text, const struct stat* existing) {
    TTempFile temp(target, existing ? 0600 : 0666);
    if (!temp.Created())
        return false;
    if (existing) {
        // Fails harmlessly for a caller who may not give the file away; chown also goes
        // first because it may clear set-id bits that chmod then restores.
        [[maybe_unused]] const int ignored =
            ::fchown(temp.Get(), existing->st_uid, existing->st_gid);
        if (::fchmod(temp.Get(), existing->st_mode & 07777) != 0)
            return false;
    }
    if (!WriteAll(temp.Get(), text) || ::fsync(temp.Get()) != 0 || !temp.Close())
        return false;
    if (BeforeRenameHook)
        BeforeRenameHook(temp.Name());
    if (!temp.RenameTo(target))
        return false;
    SyncFolderOf(target);
    return true;
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
            inSection = SameName(*name, section);
            continue;
        }
        if (!inSection)
            continue;
        if (const auto entry = EntryOf(line.Content); entry && SameName(entry->Key, key))
            return std::string(Unquote(entry->Value));
    }
    return std::nullopt;
}

bool IniCanWrite(std::string_view section, std::string_view key, std::string_view value) {
    const auto hasLineBreak = [](std::string_view s) {
        return s.find_first_of("\r\n") != std::string_view::npos;
    };
    section = Trim(section);
    key = Trim(key);
    if (section.empty() || key.empty())
        return false;
    if (hasLineBreak(section) || hasLineBreak(key) || hasLineBreak(value))
        return false;
    return key.find('=') == std::string_view::npos && key.front() != ';' && key.front() != '[';
}

std::string IniSetValues(std::string_view text, std::string_view section,
                         const TIniValues& values) {
    TDocument doc = ParseDocument(text);
    for (const auto& [key, value] : values)
        SetValue(doc, Trim(section), Trim(key), value);
    return JoinDocument(doc);
}

TIniFile::TIniFile(std::string fileName) : FileName_(std::move(fileName)) {}

std::optional<std::string> TIniFile::ReadValue(const std::string& section,
                                               const std::string& key) const {
    struct stat info {};
    const int fd = OpenRegularFile(FileName_, info);
    if (fd < 0)
        return std::nullopt;
    TFd file(fd);
    std::string text;
    if (!ReadAll(file.Get(), text))
        return std::nullopt;
    std::optional<std::string> value = IniFindValue(text, section, key);
    if (value && value->size() > IniMaxValueLength)
        value->resize(IniMaxValueLength);
    return value;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
    return ReadValue(section, key).value_or(defaultValue);
}

void TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
    WriteStrings(section, {{key, value}});
}

void TIniFile::WriteStrings(const std::string& section, const TIniValues& values) {
    for (const auto& [key, value] : values)
        if (!IniCanWrite(section, key, value))
            FailWrite(FileName_);
    std::string target = FileName_;
    if (!ResolveLinks(target))
        FailWrite(FileName_);

    std::string text;
    struct stat info {};
    const int fd = OpenRegularFile(target, info);
    if (fd < 0 && errno != ENOENT)
        FailWrite(FileName_);
    const bool exists = fd >= 0;
    if (exists) {
        TFd file(fd);
        // A cleared owner-write bit counts as read-only for everyone, root included, like
        // the read-only attribute elsewhere.
        if ((info.st_mode & S_IWUSR) == 0 || ::access(target.c_str(), W_OK) != 0 ||
            !ReadAll(file.Get(), text))
            FailWrite(FileName_);
    }
    if (!ReplaceFile(target, IniSetValues(text, section, values), exists ? &info : nullptr))
        FailWrite(FileName_);
}

void SetIniBeforeRenameHook(TIniBeforeRenameHook hook) {
    BeforeRenameHook = std::move(hook);
}
