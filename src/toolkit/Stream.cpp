#include "toolkit/Stream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include "toolkit/Errors.h"

uint64_t TStream::Remaining() const {
    const uint64_t size = Size();
    const uint64_t position = Position();
    return position < size ? size - position : 0;
}

void TStream::ReadBuffer(void* buffer, size_t count) {
    if (count != 0 && Read(buffer, count) != count)
        throw EReadError(Msg::ReadError);
}

uint64_t TStream::ReadRows(uint8_t* const* rows, size_t count, size_t rowBytes) {
    uint64_t total = 0;
    for (size_t i = 0; i < count; ++i) {
        const size_t got = Read(rows[i], rowBytes);
        total += got;
        if (got != rowBytes)
            break;
    }
    return total;
}

TFileStream::TFileStream(const std::string& path) {
    // Non-blocking open so that a named pipe cannot stall the program; only regular
    // files are accepted afterwards.
    Fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat info {};
    if (Fd < 0 || ::fstat(Fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (Fd >= 0)
            ::close(Fd);
        throw EFOpenError(Format(Msg::FOpenError, path.c_str()));
    }
    Size_ = static_cast<uint64_t>(info.st_size);
}

TFileStream::~TFileStream() {
    ::close(Fd);
}

size_t TFileStream::Read(void* buffer, size_t count) {
    auto* out = static_cast<uint8_t*>(buffer);
    size_t done = 0;
    while (done < count) {
        const ssize_t got = ::pread(Fd, out + done, count - done, static_cast<off_t>(Position_));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += static_cast<size_t>(got);
        Position_ += static_cast<uint64_t>(got);
    }
    return done;
}

uint64_t TFileStream::ReadRows(uint8_t* const* rows, size_t count, size_t rowBytes) {
    // One system call per batch of rows instead of one per row.
    if (rowBytes == 0)
        return 0;
    constexpr size_t Batch = 512;
    iovec vectors[Batch];
    uint64_t total = 0;
    size_t row = 0;
    while (row < count) {
        const size_t n = std::min(Batch, count - row);
        for (size_t i = 0; i < n; ++i)
            vectors[i] = {rows[row + i], rowBytes};
        const ssize_t got =
            ::preadv(Fd, vectors, static_cast<int>(n), static_cast<off_t>(Position_));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        total += static_cast<uint64_t>(got);
        Position_ += static_cast<uint64_t>(got);
        const uint64_t wanted = static_cast<uint64_t>(n) * rowBytes;
        if (static_cast<uint64_t>(got) < wanted) {
            // A short vector read: finish the partial row, then carry on row by row.
            const size_t full = static_cast<size_t>(got) / rowBytes;
            const size_t partial = static_cast<size_t>(got) % rowBytes;
            row += full;
            if (partial != 0) {
                const size_t rest = Read(rows[row] + partial, rowBytes - partial);
                total += rest;
                if (rest != rowBytes - partial)
                    return total;
                ++row;
            }
            continue;
        }
        row += n;
    }
    return total;
}

size_t TBytesStream::Read(void* buffer, size_t count) {
    if (Position_ >= Bytes.size())
        return 0;
    const size_t n = static_cast<size_t>(std::min<uint64_t>(count, Bytes.size() - Position_));
    std::memcpy(buffer, Bytes.data() + Position_, n);
    Position_ += n;
    return n;
}
