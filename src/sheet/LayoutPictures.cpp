#include "sheet/LayoutPictures.h"

#include <filesystem>
#include <sys/stat.h>

#include "picture/Picture.h"
#include "sheet/LayoutFile.h"
#include "toolkit/Application.h"
#include "toolkit/Errors.h"
#include "toolkit/IniFile.h"
#include "toolkit/SafeFile.h"

namespace fs = std::filesystem;

namespace {
// A layout is a few lines; anything this large is some other file.
constexpr uint64_t MaxLayoutSize = uint64_t{1} << 20;

bool Exists(const fs::path& path) {
    std::error_code error;
    return fs::exists(path, error);
}

// The file name after the last separator, either kind, so that a layout written on
// another system still names its pictures.
std::string FileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
} // namespace

void CheckLayoutFile(const std::string& fileName) {
    const char* name = fileName.c_str();
    std::error_code error;
    const fs::file_status status = fs::status(fileName, error);
    if (!fs::exists(status))
        throw EFOpenError(Format(Msg::LayoutMissing, name));
    struct stat info {};
    const int fd = fs::is_regular_file(status) ? OpenRegularFile(fileName, info) : -1;
    if (fd < 0)
        throw EFOpenError(Format(Msg::LayoutUnreadable, name));
    TFd file(fd);
    std::string text;
    if (!ReadAll(file.Get(), text, MaxLayoutSize))
        throw EReadError(Format(
            info.st_size > off_t(MaxLayoutSize) ? Msg::NotALayout : Msg::LayoutUnreadable, name));
    if (text.find('\0') != std::string::npos || !IniHasSection(text, TApplication::Title()))
        throw EReadError(Format(Msg::NotALayout, name));
}

TPictureLocation LocateLayoutPicture(const std::string& layoutFile, const std::string& stored) {
    const fs::path folder = fs::path(layoutFile).parent_path();
    const fs::path path(stored);
    const fs::path resolved = path.is_relative() ? folder / path : path;
    if (Exists(resolved))
        return {TPictureFound::Stored, resolved.string()};
    const std::string name = FileNameOf(stored);
    if (!name.empty() && Exists(folder / name)) {
        std::error_code error;
        const fs::path absolute = fs::absolute(folder / name, error);
        return {TPictureFound::InLayoutFolder, (error ? folder / name : absolute).string()};
    }
    return {TPictureFound::Missing, resolved.string()};
}

TPictureFound LoadLayoutEntry(TPicture& picture, const std::string& layoutFile,
                              const std::optional<std::string>& entry, std::string& pictureFile) {
    pictureFile = entry.value_or("");
    if (!entry || entry->empty()) {
        LoadLayoutPicture(picture, entry);
        return TPictureFound::Stored;
    }
    const TPictureLocation location = LocateLayoutPicture(layoutFile, *entry);
    if (location.Found == TPictureFound::Missing)
        return location.Found;
    picture.LoadByExtension(location.Path);
    if (location.Found == TPictureFound::InLayoutFolder)
        pictureFile = location.Path;
    return location.Found;
}

std::vector<std::string> LayoutPictureFiles(const std::string& layoutFile,
                                            const std::vector<std::string>& entries) {
    std::vector<std::string> files;
    for (const std::string& entry : entries)
        if (!entry.empty())
            files.push_back(LocateLayoutPicture(layoutFile, entry).Path);
    return files;
}
