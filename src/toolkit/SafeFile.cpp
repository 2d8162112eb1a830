#include "toolkit/SafeFile.h"

#include <cerrno>
#include <fcntl.h>
#include <random>
#include <unistd.h>

#include "toolkit/Errors.h"

namespace {

TBeforeRenameHook BeforeRenameHook;
TOpenHook OpenHook;

// The temporary file beside the target; removed again unless it was renamed into place.
class TTempFile {
public:
    TTempFile(const std::string& target, mode_t mode) {
        const size_t slash = target.rfind('/');
        const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
        // A shortened base keeps the temporary name within the file system's name limit.
        const std::string base = target.substr(folder.size()).substr(0, 64);
        std::random_device random;
        for (int attempt = 0; attempt < 100; ++attempt) {
            const uint64_t suffix = (uint64_t{random()} << 32) | random();
            std::string name = Format("%s.%s.%016llx.tmp", folder.c_str(), base.c_str(),
                                      static_cast<unsigned long long>(suffix));
            Fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
            if (Fd >= 0) {
                Path = std::move(name);
                return;
            }
            if (errno != EEXIST)
                return;
        }
    }
    ~TTempFile() {
        if (Fd >= 0)
            ::close(Fd);
        if (!Path.empty())
            ::unlink(Path.c_str());
    }
    TTempFile(const TTempFile&) = delete;
    TTempFile& operator=(const TTempFile&) = delete;

    bool Created() const { return Fd >= 0; }
    int Get() const { return Fd; }
    const std::string& Name() const { return Path; }
    bool Close() {
        const int fd = Fd;
        Fd = -1;
        return ::close(fd) == 0;
    }
    bool RenameTo(const std::string& target) {
        if (::rename(Path.c_str(), target.c_str()) != 0)
            return false;
        Path.clear();
        return true;
    }

private:
    int Fd = -1;
    std::string Path;
};

// Makes a finished rename survive a power loss; a failure here loses nothing already done.
void SyncFolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Whether what is at path now may be renamed over: a regular file or nothing.
bool MayRenameOver(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return errno == ENOENT;
    return S_ISREG(info.st_mode);
}

} // namespace

bool ReadAll(int fd, std::string& text, uint64_t maxSize) {
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        if (text.size() + static_cast<uint64_t>(got) > maxSize)
            return false;
        text.append(buffer, static_cast<size_t>(got));
    }
}

bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t done = ::write(fd, text.data(), text.size());
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        text.remove_prefix(static_cast<size_t>(done));
    }
    return true;
}

// Opens a regular file for reading. Non-blocking, so that a named pipe cannot stall us.
int OpenRegularFile(const std::string& path, struct stat& info) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return -1;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        errno = EISDIR;
        return -1;
    }
    if (OpenHook)
        OpenHook(path);
    return fd;
}

// Follows symbolic links to the file that is really replaced; a path that does not exist
// (yet) is itself the answer. False for a link loop or an unreadable link.
bool ResolveLinks(std::string& path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0)
            return errno == ENOENT;
        if (!S_ISLNK(info.st_mode))
            return true;
        std::string target(256, '\0');
        for (;;) {
            const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
            if (length <= 0)
                return false;
            if (static_cast<size_t>(length) < target.size()) {
                target.resize(static_cast<size_t>(length));
                break;
            }
            target.resize(target.size() * 2);
        }
        const size_t slash = path.rfind('/');
        if (target.front() == '/' || slash == std::string::npos)
            path = target;
        else
            path.replace(slash + 1, std::string::npos, target);
    }
    return false;
}

TReplaceTarget ExamineTarget(const std::string& path) {
    TReplaceTarget target;
    target.Path = path;
    if (!ResolveLinks(target.Path))
        return target;
    if (::lstat(target.Path.c_str(), &target.Existing) != 0) {
        if (errno == ENOENT)
            target.State = TTargetState::New;
        return target;
    }
    if (!S_ISREG(target.Existing.st_mode))
        target.State = TTargetState::NotRegular;
    else if ((target.Existing.st_mode & S_IWUSR) == 0 || ::access(target.Path.c_str(), W_OK) != 0)
        target.State = TTargetState::ReadOnly;
    else
        target.State = TTargetState::Regular;
    return target;
}

bool SameFile(const std::string& first, const std::string& second) {
    struct stat one {
    }, other{};
    return ::stat(first.c_str(), &one) == 0 && ::stat(second.c_str(), &other) == 0 &&
           one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

// Writes text to a new file beside target and renames it over target. The existing file,
// if any, must be a writable regular file; its permission bits and owner carry over.
bool ReplaceFile(const std::string& target, std::string_view text, const struct stat* existing) {
    return ReplaceFileWith(
        target, [text](int fd) { return WriteAll(fd, text); }, existing);
}

bool ReplaceFileWith(const std::string& target, const std::function<bool(int fd)>& write,
                     const struct stat* existing) {
    TTempFile temp(target, existing ? 0600 : 0666);
    if (!temp.Created())
        return false;
    if (existing) {
        // Fails harmlessly for a caller who may not give the file away; chown also goes
        // first because it may clear set-id bits that chmod then restores.
        [[maybe_unused]] const int ignored =
            ::fchown(temp.Get(), existing->st_uid, existing->st_gid);
        if (::fchmod(temp.Get(), existing->st_mode & 07777) != 0)
            return false;
    }
    if (!write(temp.Get()) || ::fsync(temp.Get()) != 0 || !temp.Close())
        return false;
    if (BeforeRenameHook)
        BeforeRenameHook(temp.Name());
    // Checked again at the last moment, so that a pipe, device or link that took the name
    // meanwhile is not replaced.
    if (!MayRenameOver(target) || !temp.RenameTo(target))
        return false;
    SyncFolderOf(target);
    return true;
}

TOutputResult ReplaceOutputFile(const std::string& path, std::string_view bytes,
                                const std::vector<std::string>& inputs) {
    return ReplaceOutputFileWith(path, inputs, [bytes](int fd) { return WriteAll(fd, bytes); });
}

TOutputResult ReplaceOutputFileWith(const std::string& path, const std::vector<std::string>& inputs,
                                    const std::function<bool(int fd)>& write) {
    for (const std::string& input : inputs)
        if (SameFile(path, input))
            return TOutputResult::IsInput;
    const TReplaceTarget target = ExamineTarget(path);
    if (target.State == TTargetState::NotRegular)
        return TOutputResult::NotRegular;
    if (!target.Replaceable() || !ReplaceFileWith(target.Path, write, target.ExistingStatus()))
        return TOutputResult::Failed;
    return TOutputResult::Written;
}

void SetBeforeRenameHook(TBeforeRenameHook hook) {
    BeforeRenameHook = std::move(hook);
}

void SetOpenHook(TOpenHook hook) {
    OpenHook = std::move(hook);
}
