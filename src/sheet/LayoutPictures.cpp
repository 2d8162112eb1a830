#include "sheet/LayoutPictures.h"

#include <filesystem>

#include "toolkit/AsciiText.h"

namespace fs = std::filesystem;

namespace {
bool Exists(const fs::path& path) {
    std::error_code error;
    return fs::exists(path, error);
}

// The file name after the last separator, so that a layout written on another system
// still names its pictures. A backslash separates only in a Windows path: on this system
// it is an ordinary character of a name.
std::string FileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of(IsWindowsPath(path) ? "/\\" : "/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
} // namespace

bool IsWindowsPath(std::string_view path) {
    const char letter = AsciiLower(path.empty() ? '\0' : path[0]);
    const bool drive = path.size() >= 2 && letter >= 'a' && letter <= 'z' && path[1] == ':';
    return drive || path.starts_with("\\\\");
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
