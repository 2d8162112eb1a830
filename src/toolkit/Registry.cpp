#include "toolkit/Registry.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "toolkit/AsciiText.h"
#include "toolkit/Errors.h"
#include "toolkit/SafeFile.h"
#include "toolkit/Translation.h"

namespace {

namespace RegMsg {
constexpr TMsg InvalidType{QT_TRANSLATE_NOOP("Msg", "Ungültiger Datentyp für '%s'")};
constexpr TMsg GetDataFailed{QT_TRANSLATE_NOOP("Msg", "Konnte Daten für '%s' nicht holen")};
constexpr TMsg SetDataFailed{QT_TRANSLATE_NOOP("Msg", "Konnte Daten für '%s' nicht setzen")};
} // namespace RegMsg

constexpr std::string_view Header = "Windows Registry Editor Version 5.00";
// Far beyond a registry of a few recent files; a larger file is not ours to rewrite.
constexpr uint64_t MaxFileSize = uint64_t{16} << 20;

bool SameName(std::string_view a, std::string_view b) {
    return SameAsciiText(a, b);
}

// A carriage return is left over from a line end, so only the end loses it.
std::string_view Trim(std::string_view s) {
    return TrimEnd(TrimStart(s, " \t"), " \t\r");
}

// A quoted string at the start of s with \\ and \" escapes; s is left after the
// closing quote. Nothing when the quote is not closed.
std::optional<std::string> TakeQuoted(std::string_view& s) {
    if (s.empty() || s.front() != '"')
        return std::nullopt;
    std::string out;
    for (size_t i = 1; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            out += s[++i];
        } else if (s[i] == '"') {
            s.remove_prefix(i + 1);
            return out;
        } else {
            out += s[i];
        }
    }
    return std::nullopt;
}

std::string Quote(std::string_view s) {
    std::string out = "\"";
    for (const char c : s) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + '"';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// "hex(n):" data: comma-separated bytes of UTF-16LE text, ended by the first zero.
std::optional<std::string> DecodeHexText(std::string_view bytes) {
    std::u16string units;
    std::string digits;
    for (const char c : bytes)
        if (c != ',' && c != ' ' && c != '\t' && c != '\\')
            digits += c;
    if (digits.size() % 4 != 0)
        return std::nullopt;
    for (size_t i = 0; i < digits.size(); i += 4) {
        int v[4];
        for (int k = 0; k < 4; ++k)
            if ((v[k] = HexDigit(digits[i + static_cast<size_t>(k)])) < 0)
                return std::nullopt;
        const auto unit = static_cast<char16_t>((v[0] << 4) | v[1] | (v[2] << 12) | (v[3] << 8));
        if (unit == 0)
            break;
        units += unit;
    }
    return QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size())).toStdString();
}

std::string EncodeHexText(std::string_view text) {
    static constexpr char Digits[] = "0123456789abcdef";
    std::u16string units =
        QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toStdU16String();
    units += u'\0';
    std::string out;
    for (const char16_t unit : units)
        for (const unsigned byte : {unsigned{unit} & 0xFFu, unsigned{unit} >> 8u}) {
            if (!out.empty())
                out += ',';
            out += Digits[byte >> 4];
            out += Digits[byte & 15];
        }
    return out;
}

bool StartsWithName(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && SameName(s.substr(0, prefix.size()), prefix);
}

// One value line (continuation lines already joined); nothing when it cannot be read.
std::optional<TRegValue> ParseValue(std::string_view line) {
    TRegValue value;
    if (line.starts_with('@')) {
        line.remove_prefix(1);
    } else {
        auto name = TakeQuoted(line);
        if (!name)
            return std::nullopt;
        value.Name = std::move(*name);
    }
    line = Trim(line);
    if (!line.starts_with('='))
        return std::nullopt;
    line = Trim(line.substr(1));
    if (line.starts_with('"')) {
        auto text = TakeQuoted(line);
        if (!text || !Trim(line).empty())
            return std::nullopt;
        value.Text = std::move(*text);
        return value;
    }
    for (const auto& [prefix, type] : {std::pair{"hex(1):", TRegValue::TType::String},
                                       std::pair{"hex(2):", TRegValue::TType::ExpandString}}) {
        if (StartsWithName(line, prefix)) {
            auto text = DecodeHexText(line.substr(std::string_view(prefix).size()));
            if (!text)
                return std::nullopt;
            value.Type = type;
            value.Text = std::move(*text);
            return value;
        }
    }
    if (line.empty())
        return std::nullopt;
    // A continuation mark with no line after it (a cut file) is dropped.
    while (line.ends_with('\\'))
        line = Trim(line.substr(0, line.size() - 1));
    if (line.empty())
        return std::nullopt;
    value.Type = TRegValue::TType::Other;
    value.Raw = std::string(line);
    return value;
}

TRegKey* FindKey(TRegStore& store, std::string_view path) {
    for (auto& key : store)
        if (SameName(key.Path, path))
            return &key;
    return nullptr;
}

void SetValue(TRegKey& key, TRegValue value) {
    for (auto& old : key.Values)
        if (SameName(old.Name, value.Name)) {
            value.Name = old.Name;
            old = std::move(value);
            return;
        }
    key.Values.push_back(std::move(value));
}

// Splits "A\B\C" into its parts; nothing when a part is empty.
std::optional<std::vector<std::string>> SplitPath(std::string_view path) {
    std::vector<std::string> parts;
    for (;;) {
        const size_t slash = path.find('\\');
        const std::string_view part = path.substr(0, slash);
        if (part.empty())
            return std::nullopt;
        parts.emplace_back(part);
        if (slash == std::string_view::npos)
            return parts;
        path.remove_prefix(slash + 1);
    }
}

std::string FolderOf(const std::string& file) {
    return file.substr(0, file.rfind('/'));
}

bool MakeFolders(const std::string& folder) {
    return QDir().mkpath(QFile::decodeName(folder.c_str()));
}

enum class TReadResult { Read, Missing, Failed };

TReadResult ReadStore(const std::string& fileName, TRegStore& store) {
    struct stat info {};
    const int fd = OpenRegularFile(fileName, info);
    if (fd < 0)
        return errno == ENOENT ? TReadResult::Missing : TReadResult::Failed;
    TFd file(fd);
    std::string text;
    if (!ReadAll(file.Get(), text, MaxFileSize))
        return TReadResult::Failed;
    store = RegParse(text);
    return TReadResult::Read;
}

// The nearest folder of path that exists ("/" at the latest).
std::string ExistingFolderOf(std::string path) {
    do {
        const size_t slash = path.rfind('/');
        path = slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
    } while (path != "/" && ::access(path.c_str(), F_OK) != 0 && errno == ENOENT);
    return path;
}

// Whether fileName can be replaced: the folder it lies in (or would be made in) is
// writable and the file, if present, is a regular file with write permission. A cleared
// owner-write bit counts as read-only for everyone, root included.
bool StoreWritable(const std::string& fileName) {
    return ::access(ExistingFolderOf(fileName).c_str(), W_OK | X_OK) == 0 &&
           ExamineTarget(fileName).Replaceable();
}

bool CanWriteStore(const std::string& fileName) {
    return MakeFolders(FolderOf(fileName)) && StoreWritable(fileName);
}

// The registry file that is really replaced (symbolic links followed), its folder made;
// nothing when either fails.
std::optional<std::string> StoreTarget() {
    std::string fileName = RegistryFileName();
    if (!MakeFolders(FolderOf(fileName)) || !ResolveLinks(fileName))
        return std::nullopt;
    return fileName;
}

// The key at path, made when the store lacks it; the missing keys on its path are made as
// well, empty, before it.
TRegKey& KeyIn(TRegStore& store, const std::string& path) {
    const TRegKey* stored = FindKey(store, path);
    size_t at = stored ? static_cast<size_t>(stored - store.data()) : store.size();
    const auto parts = SplitPath(path);
    std::string parent = (*parts)[0];
    for (size_t i = 1; i + 1 < parts->size(); ++i) {
        parent += "\\" + (*parts)[i];
        if (!FindKey(store, parent))
            store.insert(store.begin() + static_cast<std::ptrdiff_t>(at++), TRegKey{parent, {}});
    }
    if (at == store.size())
        store.push_back(TRegKey{path, {}});
    return store[at];
}

void EraseValue(TRegKey& key, const std::string& name) {
    std::erase_if(key.Values, [&](const TRegValue& value) { return SameName(value.Name, name); });
}

std::atomic<uintptr_t> NextHandle{1};

} // namespace

// Holds an exclusive lock on the lock file beside the registry file, so that programs
// changing keys at once replace the file one after the other.
class TRegStoreLock {
public:
    explicit TRegStoreLock(const std::string& fileName)
        : Fd(::open((fileName + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
        if (Fd >= 0) {
            while (::flock(Fd, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    ~TRegStoreLock() {
        if (Fd >= 0)
            ::close(Fd);
    }
    TRegStoreLock(const TRegStoreLock&) = delete;
    TRegStoreLock& operator=(const TRegStoreLock&) = delete;
    bool Held() const { return Fd >= 0; }

private:
    int Fd;
};

const char* RegRootName(TRegRoot root) {
    switch (root) {
    case TRegRoot::ClassesRoot:
        return "HKEY_CLASSES_ROOT";
    case TRegRoot::CurrentUser:
        return "HKEY_CURRENT_USER";
    case TRegRoot::LocalMachine:
        return "HKEY_LOCAL_MACHINE";
    case TRegRoot::Users:
        return "HKEY_USERS";
    case TRegRoot::PerformanceData:
        return "HKEY_PERFORMANCE_DATA";
    case TRegRoot::CurrentConfig:
        return "HKEY_CURRENT_CONFIG";
    case TRegRoot::DynData:
        return "HKEY_DYN_DATA";
    }
    return "";
}

TRegStore RegParse(std::string_view text) {
    TRegStore store;
    TRegKey* current = nullptr;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        std::string line(Trim(text.substr(pos, end - pos)));
        pos = end == std::string_view::npos ? text.size() : end + 1;
        // Long typed data goes on over lines that end with a backslash.
        while (!line.empty() && line.back() == '\\' && !line.starts_with('[') &&
               line.find('=') != std::string::npos && line.find("=\"") == std::string::npos &&
               pos < text.size()) {
            end = text.find('\n', pos);
            line.pop_back();
            line += Trim(text.substr(pos, end - pos));
            pos = end == std::string_view::npos ? text.size() : end + 1;
        }
        if (line.starts_with('[')) {
            current = nullptr;
            if (line.size() < 3 || line.back() != ']' || line[1] == '-')
                continue;
            const std::string path = line.substr(1, line.size() - 2);
            if (!SplitPath(path))
                continue;
            current = FindKey(store, path);
            if (!current)
                current = &store.emplace_back(TRegKey{path, {}});
        } else if (current && (line.starts_with('"') || line.starts_with('@'))) {
            if (auto value = ParseValue(line))
                SetValue(*current, std::move(*value));
        }
    }
    return store;
}

std::string RegFormat(const TRegStore& store) {
    std::string text = std::string(Header) + "\n";
    for (const auto& key : store) {
        text += "\n[" + key.Path + "]\n";
        for (const auto& value : key.Values) {
            text += value.Name.empty() ? "@" : Quote(value.Name);
            text += '=';
            switch (value.Type) {
            case TRegValue::TType::String: {
                // The text ends at its first zero byte. A line break cannot stand inside
                // quotes; such text goes as hex(1).
                const std::string_view data(value.Text.c_str());
                if (data.find_first_of("\r\n") == std::string_view::npos)
                    text += Quote(data);
                else
                    text += "hex(1):" + EncodeHexText(data);
                break;
            }
            case TRegValue::TType::ExpandString:
                text += "hex(2):" + EncodeHexText(value.Text);
                break;
            case TRegValue::TType::Other:
                text += value.Raw;
                break;
            }
            text += '\n';
        }
    }
    return text;
}

std::string ConfigFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string folder;
    if (config && config[0] == '/')
        folder = config;
    else
        folder = QFile::encodeName(QDir::homePath()).toStdString() + "/.config";
    return folder + "/Vellacour";
}

std::string RegistryFileName() {
    return ConfigFolder() + "/registry.reg";
}

bool RegistryWritable() {
    std::string fileName = RegistryFileName();
    return ResolveLinks(fileName) && StoreWritable(fileName);
}

TRegistry::TRegistry(TRegRoot root) : Root(root) {}

TRegistry::~TRegistry() {
    try {
        CloseKey();
    } catch (const Exception&) {
        // A destructor cannot report; callers who care close the key themselves.
    }
}

void TRegistry::SetRootKey(TRegRoot root) {
    CloseKey();
    Root = root;
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
    CloseKey();
    return ReadKey(key, canCreate);
}

bool TRegistry::OpenKeyForUpdate(const std::string& key) {
    CloseKey();
    const auto fileName = StoreTarget();
    if (!fileName)
        return false;
    Lock = std::make_unique<TRegStoreLock>(*fileName);
    if (Lock->Held() && ReadKey(key, true))
        return true;
    Lock.reset();
    return false;
}

bool TRegistry::ReadKey(const std::string& key, bool canCreate) {
    const std::string relative = key.starts_with('\\') ? key.substr(1) : key;
    if (!SplitPath(relative))
        return false;
    const std::string fileName = RegistryFileName();
    if (canCreate && !CanWriteStore(fileName))
        return false;
    TRegStore store;
    if (ReadStore(fileName, store) == TReadResult::Failed && !canCreate)
        return false;
    const std::string path = std::string(RegRootName(Root)) + "\\" + relative;
    if (TRegKey* found = FindKey(store, path)) {
        Open = std::move(*found);
    } else {
        if (!canCreate)
            return false;
        Open = TRegKey{path, {}};
        Created = true;
    }
    OpenPath = relative;
    Handle = NextHandle++;
    return true;
}

void TRegistry::CloseKey() {
    // The lock goes with the key, whatever happens below.
    std::unique_ptr<TRegStoreLock> lock = std::move(Lock);
    if (!Open)
        return;
    const std::string path = std::move(Open->Path);
    Open.reset();
    OpenPath.clear();
    Handle = 0;
    const std::vector<TChange> changes = std::move(Changes);
    Changes.clear();
    const bool created = std::exchange(Created, false);
    if (changes.empty() && !created)
        return;

    const std::string name = changes.empty() ? "" : changes.back().Name;
    const auto fail = [&] {
        throw ERegistryException(Format(RegMsg::SetDataFailed, name.c_str()));
    };
    const auto fileName = StoreTarget();
    if (!fileName)
        fail();
    if (!lock)
        lock = std::make_unique<TRegStoreLock>(*fileName);
    if (!lock->Held() || !StoreWritable(*fileName))
        fail();
    // Only this accessor's changes go into the key as the file holds it now; what other
    // programs stored since the key was opened, in this key or another, stays.
    TRegStore store;
    if (ReadStore(*fileName, store) == TReadResult::Failed)
        fail();
    TRegKey& key = KeyIn(store, path);
    for (const TChange& change : changes) {
        if (change.Value)
            SetValue(key, *change.Value);
        else
            EraseValue(key, change.Name);
    }
    const TReplaceTarget target = ExamineTarget(*fileName);
    if (!target.Replaceable() ||
        !ReplaceFile(target.Path, RegFormat(store), target.ExistingStatus()))
        fail();
}

std::string TRegistry::CurrentPath() const {
    return OpenPath;
}

uintptr_t TRegistry::CurrentKey() const {
    return Handle;
}

std::vector<std::string> TRegistry::GetValueNames() const {
    std::vector<std::string> names;
    if (Open)
        for (const auto& value : Open->Values)
            names.push_back(value.Name);
    return names;
}

TRegValue* TRegistry::FindValue(const std::string& name) {
    if (Open)
        for (auto& value : Open->Values)
            if (SameName(value.Name, name))
                return &value;
    return nullptr;
}

const TRegValue* TRegistry::FindValue(const std::string& name) const {
    return const_cast<TRegistry*>(this)->FindValue(name);
}

std::string TRegistry::ReadString(const std::string& name) const {
    const TRegValue* value = FindValue(name);
    if (!value)
        return "";
    if (value->Type == TRegValue::TType::Other) {
        // Typed data written as nothing after its type ("dword:") holds no bytes and
        // reads as empty text, like an empty value of any type.
        const size_t colon = value->Raw.find(':');
        if (colon != std::string::npos && Trim(value->Raw.substr(colon + 1)).empty())
            return "";
        if (colon == std::string::npos)
            throw ERegistryException(Format(RegMsg::GetDataFailed, name.c_str()));
        throw ERegistryException(Format(RegMsg::InvalidType, name.c_str()));
    }
    // The data ends at its first zero byte.
    return value->Text.substr(0, value->Text.find('\0'));
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
    if (!Open)
        throw ERegistryException(Format(RegMsg::SetDataFailed, name.c_str()));
    TRegValue entry;
    entry.Name = name;
    entry.Text = value;
    SetValue(*Open, entry);
    Changes.push_back({name, std::move(entry)});
}

bool TRegistry::DeleteValue(const std::string& name) {
    if (!Open)
        return false;
    auto& values = Open->Values;
    for (auto it = values.begin(); it != values.end(); ++it)
        if (SameName(it->Name, name)) {
            values.erase(it);
            Changes.push_back({name, std::nullopt});
            return true;
        }
    return false;
}
