// Reading and replacing whole files safely: regular files only, bounded reads, and a
// replacement that writes a temporary file beside the target, syncs it and renames it
// over the target, so readers see the old file or the new one and never a torn one.
// Every file the programs write goes through ReplaceFile: the INI writer, the registry
// store, print to file and the picture export. Only a regular file or a new name is
// replaced; a folder, pipe, socket or device never is.
#pragma once

#include "toolkit/Translation.h"
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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

namespace Msg {
inline constexpr TMsg OutputNotRegular{
    QT_TRANSLATE_NOOP("Msg", "Die Ausgabedatei %s ist keine gewöhnliche Datei")};
inline constexpr TMsg OutputIsInput{
    QT_TRANSLATE_NOOP("Msg", "Die Ausgabedatei %s ist eine der Eingabedateien")};
} // namespace Msg

// What stands where a file is to be replaced.
enum class TTargetState {
    New,          // nothing yet: the file is made
    Regular,      // a regular file the user may write
    ReadOnly,     // a regular file the user may not write
    NotRegular,   // a folder, pipe, socket or device, never replaced
    Unresolvable, // a link loop, an unreadable link, or a path that cannot be examined
};

struct TReplaceTarget {
    TTargetState State = TTargetState::Unresolvable;
    // The file really replaced: the path with its symbolic links followed.
    std::string Path;
    // The file's status when it exists.
    struct stat Existing {};

    bool Replaceable() const {
        return State == TTargetState::New || State == TTargetState::Regular;
    }
    // What ReplaceFile carries over: the existing file's status, or none for a new file.
    const struct stat* ExistingStatus() const {
        return State == TTargetState::Regular ? &Existing : nullptr;
    }
};

// Examines path as a file to be replaced, following its links. A cleared owner-write bit
// counts as read-only for everyone, root included. A character device such as /dev/null
// is not regular: it is refused, not written into.
TReplaceTarget ExamineTarget(const std::string& path);

// Whether both paths name one existing file (same device and inode, links followed), so
// that a hard link or a symbolic link to a file counts as the file. False when either
// cannot be examined.
bool SameFile(const std::string& first, const std::string& second);

// Writes text to a new file beside target, syncs it and renames it over target, then
// syncs the folder. existing is the target's status when it exists: its permission bits
// and owner carry over. target is a path with its links followed (ExamineTarget's Path).
// False when any step failed, or when target is then anything but a regular file or a
// new name; target is then unchanged.
bool ReplaceFile(const std::string& target, std::string_view text, const struct stat* existing);
// The same with the content written by write into the new file's descriptor, for content
// made while it is written, such as a document of many pages; false from write, or an
// exception from it, leaves target unchanged and removes the new file.
bool ReplaceFileWith(const std::string& target, const std::function<bool(int fd)>& write,
                     const struct stat* existing);

// How writing an output file of an export or of print to file went.
enum class TOutputResult { Written, IsInput, NotRegular, Failed };

// Writes an output file in one replacement, refusing a path that is the same file as one
// of inputs (the files the output is made from) or that is not a regular file. Failed
// covers a link loop, a read-only file and a failed write; the file is then unchanged.
TOutputResult ReplaceOutputFile(const std::string& path, std::string_view bytes,
                                const std::vector<std::string>& inputs);
// The same with the content written by write, as ReplaceFileWith writes it.
TOutputResult ReplaceOutputFileWith(const std::string& path, const std::vector<std::string>& inputs,
                                    const std::function<bool(int fd)>& write);

// Test seam: called with the temporary file's path after it has been written and synced,
// just before it is renamed over the real file. An exception from the hook aborts the
// write as a crash at that moment would, except that the temporary file is removed.
using TBeforeRenameHook = std::function<void(const std::string& tempFile)>;
void SetBeforeRenameHook(TBeforeRenameHook hook);

// Test seam: called with the path of every regular file OpenRegularFile opened, so a test
// can count how often a file is read.
using TOpenHook = std::function<void(const std::string& path)>;
void SetOpenHook(TOpenHook hook);
