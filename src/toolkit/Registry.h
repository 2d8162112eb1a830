// The registry as the recent-files list uses it: keys under predefined roots holding
// named values. On Linux the whole registry of the user is one text file in the format
// of registry export files, ${XDG_CONFIG_HOME:-~/.config}/Vellacour/registry.reg. The
// text rules (RegParse, RegFormat) are pure functions; TRegistry reads the file when it
// opens a key and, after a change, replaces it atomically when it closes the key.
#pragma once

#include "toolkit/Translation.h"
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Msg {
inline constexpr TMsg SettingsReadOnly{QT_TRANSLATE_NOOP(
    "Msg", "Die Einstellungen können nicht gespeichert werden, denn '%s' ist schreibgeschützt.")};
} // namespace Msg

enum class TRegRoot {
    ClassesRoot,
    CurrentUser,
    LocalMachine,
    Users,
    PerformanceData,
    CurrentConfig,
    DynData,
};

// The root's name as the file writes it ("HKEY_CURRENT_USER").
const char* RegRootName(TRegRoot root);

// One value as the file holds it. Text values (REG_SZ, and REG_EXPAND_SZ written as
// hex(2)) keep their text; every other type keeps its data exactly as written after
// the '=' ("dword:00000004"), so that it survives being rewritten.
struct TRegValue {
    enum class TType { String, ExpandString, Other };
    std::string Name; // empty for the key's unnamed value ("@")
    TType Type = TType::String;
    std::string Text; // the text of a String or ExpandString
    std::string Raw;  // the data of an Other value
};

struct TRegKey {
    std::string Path;              // full path with the root, "HKEY_CURRENT_USER\Software\..."
    std::vector<TRegValue> Values; // in the order they were first written
};

using TRegStore = std::vector<TRegKey>;

// Reads the text of a registry file. Lines that cannot be read (a damaged or cut file)
// are skipped, so what cannot be read counts as missing; never fails.
TRegStore RegParse(std::string_view text);
// The text of a registry file holding store; RegParse gives it back unchanged.
std::string RegFormat(const TRegStore& store);

// The folder of the user's own files for the program: ${XDG_CONFIG_HOME:-$HOME/.config}/Vellacour.
std::string ConfigFolder();
// The user's registry file: registry.reg in ConfigFolder().
std::string RegistryFileName();
// False when the registry file, or the folder it would be made in, exists without write
// permission for the user: nothing can then be stored.
bool RegistryWritable();

class TRegStoreLock;

// An accessor with one key open at a time. Names of keys and values are matched without
// regard to ASCII letter case and keep the case they were created with.
class TRegistry {
public:
    explicit TRegistry(TRegRoot root = TRegRoot::CurrentUser);
    ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    TRegRoot RootKey() const { return Root; }
    // Changing the root closes the open key.
    void SetRootKey(TRegRoot root);
    // Stored for callers that set it; the file is synced on every replacement anyway.
    bool LazyWrite = true;

    // Opens key (relative to the root; a leading backslash is dropped), closing the key
    // open before. Without canCreate the key must exist; with it, the key and the
    // missing keys on its path are created, which needs a writable registry file.
    // False when the key cannot be opened: missing, an empty part in the path, or (when
    // creating) a registry file that cannot be written.
    bool OpenKey(const std::string& key, bool canCreate);
    // Opens key as OpenKey(key, true) does and holds the registry file's lock until the
    // key closes, so that what is read and what CloseKey writes form one step that no
    // other program's change can fall between. No other accessor of this process may
    // close a key meanwhile: it would wait for the same lock.
    bool OpenKeyForUpdate(const std::string& key);
    // Applies the values set and deleted since the key was opened to the key as the
    // file holds it now, under the file's lock, then closes the key: values that another
    // program changed meanwhile stay as it left them. Throws ERegistryException ("Konnte
    // Daten für '%s' nicht setzen", naming the value last changed) when the file cannot
    // be replaced, a file without write permission included; it then stays as it was.
    void CloseKey();

    // The open key's path without the root, and a handle that is 0 when none is open.
    std::string CurrentPath() const;
    uintptr_t CurrentKey() const;

    // The names of the open key's values, in the order they were first written.
    std::vector<std::string> GetValueNames() const;
    // The value's text; empty for a missing or empty value. ERegistryException
    // "Ungültiger Datentyp für '%s'" for a value of another type, and "Konnte Daten für
    // '%s' nicht holen" for one whose data cannot be decoded.
    std::string ReadString(const std::string& name) const;
    // Sets the value to text, of type REG_SZ.
    void WriteString(const std::string& name, const std::string& value);
    // Deletes the value; false when there is none.
    bool DeleteValue(const std::string& name);

private:
    // A value set (Value present) or deleted since the key was opened.
    struct TChange {
        std::string Name;
        std::optional<TRegValue> Value;
    };

    // OpenKey without closing first.
    bool ReadKey(const std::string& key, bool canCreate);
    TRegValue* FindValue(const std::string& name);
    const TRegValue* FindValue(const std::string& name) const;

    TRegRoot Root;
    std::optional<TRegKey> Open;  // the open key as read, with this accessor's changes
    std::vector<TChange> Changes; // in the order they were made, applied on close
    bool Created = false;         // the key was missing and is made on close
    std::string OpenPath;         // as the caller named it
    uintptr_t Handle = 0;
    std::unique_ptr<TRegStoreLock> Lock; // held from OpenKeyForUpdate to CloseKey
};
