#include "app/LayoutFile.h"

#include "toolkit/Application.h"
#include "toolkit/IniFile.h"

namespace {
constexpr const char* CoverKey = "cover";
constexpr const char* BackKey = "back";
} // namespace

TLayoutPaths ReadLayout(const std::string& fileName) {
    const TIniFile file(fileName);
    const std::string& section = TApplication::Title();
    return {file.ReadString(section, CoverKey, ""), file.ReadString(section, BackKey, "")};
}

void WriteLayout(const std::string& fileName, const TLayoutPaths& paths) {
    TIniFile file(fileName);
    file.WriteStrings(TApplication::Title(), {{CoverKey, paths.Cover}, {BackKey, paths.Back}});
}

bool LayoutChanged(const std::string& layoutFile, const TLayoutPaths& paths) {
    if (layoutFile.empty())
        return !paths.Cover.empty() || !paths.Back.empty();
    return !(ReadLayout(layoutFile) == paths);
}
