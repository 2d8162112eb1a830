#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "toolkit/SessionBus.h"

namespace {

void MakeFile(const std::string& path, mode_t mode) {
    std::ofstream(path) << "#!/bin/sh\n";
    ASSERT_EQ(chmod(path.c_str(), mode), 0);
}

void MakeSocket(const std::string& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof(address.sun_path));
    path.copy(address.sun_path, path.size());
    EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    close(fd);
}

} // namespace

// The launch is futile only where the bus library would fork and find no launcher: each row
// takes away one of the things that let it find or start a bus, or that spare the fork.
TEST(SessionBus, LaunchIsFutileOnlyWithoutAddressSocketOrLauncher) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const std::string root = temp.path().toStdString();
    for (const char* dir : {"/run", "/empty", "/bin", "/plain", "/launcher"})
        ASSERT_EQ(mkdir((root + dir).c_str(), 0700), 0);
    MakeSocket(root + "/run/bus");
    MakeFile(root + "/empty/bus", 0600);         // a file, not a socket
    MakeFile(root + "/plain/dbus-launch", 0644); // not executable
    MakeFile(root + "/launcher/dbus-launch", 0755);
    ASSERT_EQ(mkdir((root + "/bin/dbus-launch").c_str(), 0700), 0); // a folder of that name

    const std::string none = root + "/bin", plain = root + "/plain";
    struct Row {
        TBusSurroundings Surroundings;
        bool Futile;
    } rows[] = {
        {{"", "", ":0", plain + ":" + none, none}, true},
        {{"", root + "/empty", ":0", none, none}, true},
        {{"unix:path=/run/user/0/bus", "", ":0", none, none}, false},
        {{"", "", "", none, none}, false}, // no display: no launcher is looked for
        {{"", root + "/run", ":0", none, none}, false},
        {{"", "", ":0", none, root + "/launcher"}, false},
        {{"", "", ":0", plain + ":" + root + "/launcher", none}, false},
        {{"", "", ":0", none + ":", none}, false}, // the current folder, below
    };
    const std::string before = std::filesystem::current_path();
    ASSERT_EQ(chdir((root + "/launcher").c_str()), 0);
    for (const Row& row : rows)
        EXPECT_EQ(BusLaunchIsFutile(row.Surroundings), row.Futile)
            << "PATH " << row.Surroundings.Path << ", launcher folder "
            << row.Surroundings.LauncherDir;
    ASSERT_EQ(chdir(before.c_str()), 0);
}
