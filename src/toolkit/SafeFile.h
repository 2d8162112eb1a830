// Reading and replacing whole files safely: regular files only, bounded reads, and a
// replacement that writes a temporary file beside the target, syncs it and renames it
// over the target, so readers see the old file or the new one and never a torn one.
// The INI writer and the registry store both write through ReplaceFile.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

// Owns a file descriptor.
class TFd {
public:
    explicit TFd(int fd) : Fd(fd) {}
    ~TFd() {
        if (Fd >= 0)
            ::close(Fd);
    }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    int Get() const { return Fd; }

private:
    int Fd;
};

// Reads the rest of fd; false on a read error or when it would exceed maxSize bytes.
bool ReadAll(int fd, std::string& text, uint64_t maxSize);

// Writes all of text to fd, going on after interruptions; false on a write error.
bool WriteAll(int fd, std::string_view text);

// Opens a regular file for reading, without blocking on a named pipe; -1 (errno set)
// for anything else.
int OpenRegularFile(const std::string& path, struct stat& info);

// Follows symbolic links to the file that is really replaced; a path that does not exist
// (yet) is itself the answer. False for a link loop or an unreadable link.
bool ResolveLinks(std::string& path);

// Writes text to a new file beside target, syncs it and renames it over target, then
// syncs the folder. existing is the target's status when it exists: its permission bits
// and owner carry over. False when any step failed; target is then unchanged.
bool ReplaceFile(const std::string& target, std::string_view text, const struct stat* existing);

// Test seam: called with the temporary file's path after it has been written and synced,
// just before it is renamed over the real file. An exception from the hook aborts the
// write as a crash at that moment would, except that the temporary file is removed.
using TBeforeRenameHook = std::function<void(const std::string& tempFile)>;
void SetBeforeRenameHook(TBeforeRenameHook hook);

// Test seam: called with the path of every regular file OpenRegularFile opened, so a test
// can count how often a file is read.
using TOpenHook = std::function<void(const std::string& path)>;
void SetOpenHook(TOpenHook hook);
