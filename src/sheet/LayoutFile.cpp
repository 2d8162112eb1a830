#include "sheet/LayoutFile.h"

#include "picture/Picture.h"
#include "toolkit/Application.h"
#include "toolkit/Errors.h"
#include "toolkit/IniFile.h"

namespace {
constexpr const char* CoverKey = "cover";
constexpr const char* BackKey = "back";
} // namespace

TLayoutPaths ReadLayout(const std::string& fileName) {
    const TLayoutEntries entries = ReadLayoutEntries(fileName);
    return {entries.Cover.value_or(""), entries.Back.value_or("")};
}

TLayoutEntries ReadLayoutEntries(const std::string& fileName) {
    const TIniFile file(fileName);
    const std::string& section = TApplication::Title();
    return {file.ReadValue(section, CoverKey), file.ReadValue(section, BackKey)};
}

void LoadLayoutPicture(TPicture& picture, const std::optional<std::string>& entry) {
    if (entry && entry->empty())
        return;
    picture.LoadByExtension(entry.value_or(""));
}

void WriteLayout(const std::string& fileName, const TLayoutPaths& paths) {
    // A longer path would be cut when read, naming another file than the one saved.
    if (paths.Cover.size() > IniMaxValueLength || paths.Back.size() > IniMaxValueLength)
        throw EIniFileException(Format(Msg::IniWriteError, fileName.c_str()));
    TIniFile file(fileName);
    file.WriteStrings(TApplication::Title(), {{CoverKey, paths.Cover}, {BackKey, paths.Back}});
}

bool LayoutChanged(const std::string& layoutFile, const TLayoutPaths& paths) {
    if (layoutFile.empty())
        return !paths.Cover.empty() || !paths.Back.empty();
    return !(ReadLayout(layoutFile) == paths);
}
