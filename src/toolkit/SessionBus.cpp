#include "toolkit/SessionBus.h"

#include <cstdlib>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsExecutable(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           access(path.c_str(), X_OK) == 0;
}

// Whether the launcher is in one of the PATH's folders; an empty entry is the current
// folder, as it is for execvp.
bool OnPath(std::string_view path) {
    while (true) {
        const size_t colon = path.find(':');
        const std::string_view dir = path.substr(0, colon);
        if (IsExecutable((dir.empty() ? std::string(".") : std::string(dir)) + "/dbus-launch"))
            return true;
        if (colon == std::string_view::npos)
            return false;
        path.remove_prefix(colon + 1);
    }
}

std::string Variable(const char* name, const char* unset = "") {
    const char* value = std::getenv(name);
    return value ? value : unset;
}

} // namespace

bool BusLaunchIsFutile(const TBusSurroundings& s) {
    if (!s.Address.empty() || s.Display.empty())
        return false;
    struct stat info {};
    if (!s.RuntimeDir.empty() && stat((s.RuntimeDir + "/bus").c_str(), &info) == 0 &&
        S_ISSOCK(info.st_mode))
        return false;
    return !IsExecutable(s.LauncherDir + "/dbus-launch") && !OnPath(s.Path);
}

void SkipFutileBusLaunch() {
    const TBusSurroundings surroundings{Variable("DBUS_SESSION_BUS_ADDRESS"),
                                        Variable("XDG_RUNTIME_DIR"), Variable("DISPLAY"),
                                        // Without a PATH, execvp searches these folders.
                                        Variable("PATH", "/bin:/usr/bin")};
    if (BusLaunchIsFutile(surroundings))
        setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
}
