#include "app/CommandLine.h"

#include <filesystem>

const TMsg ProgramUsage{QT_TRANSLATE_NOOP("Msg", "Aufruf: vellacour [LAYOUT.vco]\n"
                                                 "        vellacour --help | --version\n")};

namespace {
std::string AbsolutePath(const std::string& path) {
    const std::filesystem::path given(path);
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::current_path(error);
    // Without a current folder (it was removed) the path is kept as given.
    if (given.is_absolute() || error)
        return path;
    return (folder / given).lexically_normal().string();
}
} // namespace

TCommandLine ParseCommandLine(const std::vector<std::string>& args) {
    using enum TCommandLine::TAction;
    if (args.empty())
        return {Run, ""};
    if (args.size() > 1)
        return {Usage, ""};
    const std::string& arg = args[0];
    if (arg == "--help")
        return {Help, ""};
    if (arg == "--version")
        return {Version, ""};
    if (arg.empty() || arg[0] == '-')
        return {Usage, ""};
    return {Run, AbsolutePath(arg)};
}
