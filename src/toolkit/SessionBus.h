// The session bus as the program finds it at start-up. Where no session bus runs and none
// can be started, the bus library still forks the program to search for its launcher, and
// the first window waits for that search: five to nine milliseconds of a start of some
// seventy. Told beforehand, it gives up at once.
#pragma once

#include <string>

// What the bus library goes by when it looks for the session bus.
struct TBusSurroundings {
    std::string Address;    // DBUS_SESSION_BUS_ADDRESS: the bus to use, when set
    std::string RuntimeDir; // XDG_RUNTIME_DIR, where the user's own bus has its socket "bus"
    std::string Display;    // DISPLAY: a bus is started for an X display, never without one
    std::string Path;       // PATH, searched for the launcher after its own folder
    std::string LauncherDir = "/usr/bin";
};

// Whether finding the session bus would mean that fruitless search: no address, no socket of
// the user's bus, an X display, and no executable "dbus-launch" where the library looks.
bool BusLaunchIsFutile(const TBusSurroundings& surroundings);

// Run before the application object exists, while the program has one thread: where the
// search is futile, sets DBUS_SESSION_BUS_ADDRESS to an address that fails at once. Programs
// started from this one inherit it; they would have found no bus either.
void SkipFutileBusLaunch();
