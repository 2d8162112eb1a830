#include "picture/DecodeHelper.h"

#include <QCoreApplication>
#include <QFile>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "picture/DecodeProtocol.h"
#include "toolkit/Dib.h"
#include "toolkit/Errors.h"

extern char** environ; // NOLINT(readability-redundant-declaration): POSIX declares it nowhere

namespace {
constexpr const char* HelperName = "vellacour-decode";
// The descriptor the helper writes its answer to; 0 carries the file's bytes.
constexpr int AnswerFd = 3;
// A drawing's stream has no pixel bound of its own; this one is far above any cover's.
constexpr uint64_t MaxDrawingBytes = uint64_t(256) << 20;

// A descriptor closed when it goes out of scope.
class TFd {
public:
    explicit TFd(int fd) : Fd(fd) {}
    ~TFd() {
        if (Fd >= 0)
            close(Fd);
    }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    int Fd;
};

// A shared-memory file holding the bytes, read from its start.
int SharedCopy(const char* name, std::span<const uint8_t> bytes) {
    const int fd = memfd_create(name, MFD_CLOEXEC);
    if (fd < 0)
        return -1;
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            close(fd);
            return -1;
        }
        done += size_t(written);
    }
    lseek(fd, 0, SEEK_SET);
    return fd;
}

[[noreturn]] void Fail(TMsg message, const char* kindName) {
    throw EInvalidGraphic(Format(message, kindName));
}

// Starts the helper with the input as its standard input and the answer file as
// descriptor 3; its own output goes nowhere, so library chatter stays out of ours. The
// helper refuses pictures beyond the program's pixel limit, as the program's own readers do.
pid_t Spawn(const std::string& path, const char* kind, int input, int answer) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input, 0);
    posix_spawn_file_actions_adddup2(&actions, answer, AnswerFd);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::string limit = std::to_string(PixelMemoryLimit());
    char* argv[] = {const_cast<char*>(path.c_str()), const_cast<char*>(kind), limit.data(),
                    nullptr};
    pid_t pid = -1;
    const int error = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? pid : -1;
}

// Ends the helper that outlived the timeout and collects it.
void Kill(pid_t pid) {
    kill(pid, SIGKILL);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

// The helper's wait status, or none when it outlived the timeout (it is then killed).
// Where the kernel gives a descriptor for the process, the wait ends the moment the helper
// does; otherwise the helper is looked at in growing pauses.
std::optional<int> WaitFor(pid_t pid, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    const TFd process(int(syscall(SYS_pidfd_open, pid, 0)));
    auto pause = std::chrono::microseconds(200);
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid)
            return status;
        if (done < 0 && errno != EINTR)
            return status;
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            Kill(pid);
            return std::nullopt;
        }
        if (process.Fd >= 0) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
            pollfd ended{process.Fd, POLLIN, 0};
            poll(&ended, 1, int(std::min<int64_t>(left, INT32_MAX)));
            continue;
        }
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::microseconds(10000));
    }
}

// The answer's pixels or drawing, once the helper has ended well.
TDecoded ReadAnswer(int answer, const char* kindName) {
    struct stat info {};
    if (fstat(answer, &info) != 0 || info.st_size < off_t(sizeof(TDecodeHeader)) ||
        uint64_t(info.st_size) > PixelMemoryLimit() + MaxDrawingBytes)
        Fail(Msg::DecodeCrashed, kindName);
    const size_t size = size_t(info.st_size);
    void* mapped = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, answer, 0);
    if (mapped == MAP_FAILED)
        Fail(Msg::DecodeCrashed, kindName);
    struct TUnmap {
        void* Address;
        size_t Size;
        ~TUnmap() {
            if (Address)
                munmap(Address, Size);
        }
    } unmap{mapped, size};

    const std::optional<TDecodeAnswer> parsed =
        ParseDecodeAnswer({static_cast<const uint8_t*>(mapped), size});
    if (!parsed)
        Fail(Msg::DecodeCrashed, kindName);
    switch (parsed->Status) {
    case TDecodeStatus::Ok:
        break;
    case TDecodeStatus::TooLarge:
        throw EInvalidGraphic(Format(Msg::DecodeTooLarge, kindName, parsed->Width, parsed->Height));
    case TDecodeStatus::Unsupported:
        Fail(Msg::DecodeUnsupported, kindName);
    case TDecodeStatus::OutOfMemory:
        Fail(Msg::DecodeOverLimit, kindName);
    case TDecodeStatus::Broken:
        Fail(Msg::DecodeBroken, kindName);
    }

    TDecoded decoded;
    decoded.Size = QSize(int(parsed->Width), int(parsed->Height));
    if (parsed->Content == TDecodeContent::Drawing) {
        decoded.Drawing = QByteArray(reinterpret_cast<const char*>(parsed->Payload.data()),
                                     qsizetype(parsed->Payload.size()));
        return decoded;
    }
    // The pixels stay where the helper wrote them, read-only: the image reads the mapping,
    // which goes with the image's last copy, so a large picture is neither copied nor given
    // fresh pages. A change to the image detaches it first, as Qt does.
    auto* mapping = new TUnmap{mapped, size};
    unmap.Address = nullptr;
    decoded.Image = QImage(
        parsed->Payload.data(), decoded.Size.width(), decoded.Size.height(),
        qsizetype(parsed->Stride),
        parsed->Content == TDecodeContent::Argb32 ? QImage::Format_ARGB32 : QImage::Format_RGB32,
        [](void* info) { delete static_cast<TUnmap*>(info); }, mapping);
    if (decoded.Image.isNull()) {
        delete mapping;
        Fail(Msg::DecodeOverLimit, kindName);
    }
    return decoded;
}
} // namespace

TDecodeLimits& DecodeLimits() {
    static TDecodeLimits limits;
    return limits;
}

std::string DecodeHelperPath() {
    std::filesystem::path folder;
    if (QCoreApplication::instance()) {
        folder = QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
    } else {
        std::error_code error;
        folder = std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
    }
    return (folder / HelperName).string();
}

TDecoded DecodeInHelper(const char* kind, const char* kindName, std::span<const uint8_t> bytes) {
    const TFd input(SharedCopy("vellacour-input", bytes));
    const TFd answer(memfd_create("vellacour-answer", MFD_CLOEXEC));
    if (input.Fd < 0 || answer.Fd < 0)
        Fail(Msg::DecodeOverLimit, kindName);
    const std::string path = DecodeHelperPath();
    const pid_t pid = Spawn(path, kind, input.Fd, answer.Fd);
    if (pid < 0)
        throw EInvalidGraphic(Format(Msg::DecoderMissing, path.c_str()));
    const std::optional<int> status = WaitFor(pid, DecodeLimits().TimeoutMs);
    if (!status)
        Fail(Msg::DecodeTimeout, kindName);
    // The helper's CPU limit ends it with SIGXCPU, or SIGKILL past the hard limit.
    if (WIFSIGNALED(*status) && (WTERMSIG(*status) == SIGXCPU || WTERMSIG(*status) == SIGKILL))
        Fail(Msg::DecodeOverLimit, kindName);
    if (!WIFEXITED(*status) || WEXITSTATUS(*status) != 0)
        Fail(Msg::DecodeCrashed, kindName);
    return ReadAnswer(answer.Fd, kindName);
}
