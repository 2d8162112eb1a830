#include "decoder/HelperProcess.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VC_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define VC_ADDRESS_SANITIZER 1
#endif

namespace {
// Seconds of processor time; the program's wall-clock timeout is the longer one.
constexpr rlim_t CpuSeconds = 20;
constexpr size_t MaxInput = size_t(1) << 30;
} // namespace

void LimitResources() {
    const rlimit cpu{CpuSeconds, CpuSeconds + 1};
    setrlimit(RLIMIT_CPU, &cpu);
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
#ifndef VC_ADDRESS_SANITIZER
    // AddressSanitizer reserves terabytes of address space for its shadow memory. The
    // largest picture (1 GiB of pixels), its converted copy and the libraries fit in this.
    constexpr rlim_t MemoryLimit = rlim_t(4) << 30;
    const rlimit memory{MemoryLimit, MemoryLimit};
    setrlimit(RLIMIT_AS, &memory);
#endif
}

void InjectFault() {
    const char* fault = std::getenv("VELLACOUR_DECODE_FAULT");
    if (!fault)
        return;
    if (std::string_view(fault) == "crash")
        std::raise(SIGSEGV);
    if (std::string_view(fault) == "cpu")
        std::raise(SIGXCPU);
    if (std::string_view(fault) == "hang")
        for (;;)
            pause();
}

TInput::~TInput() {
    if (Mapped)
        munmap(Mapped, MappedSize);
}

bool TInput::Load() {
    struct stat info {};
    if (fstat(0, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
        if (uint64_t(info.st_size) > MaxInput)
            return false;
        const off_t at = lseek(0, 0, SEEK_CUR);
        void* mapped = mmap(nullptr, size_t(info.st_size), PROT_READ, MAP_PRIVATE, 0, 0);
        if (at >= 0 && at <= info.st_size && mapped != MAP_FAILED) {
            Mapped = mapped;
            MappedSize = size_t(info.st_size);
            Bytes_ = {static_cast<const uint8_t*>(mapped) + at, size_t(info.st_size - at)};
            return true;
        }
        if (mapped != MAP_FAILED)
            munmap(mapped, size_t(info.st_size));
    }
    uint8_t chunk[65536];
    for (;;) {
        const ssize_t got = read(0, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 || Read.size() + size_t(got) > MaxInput)
            return false;
        if (got == 0)
            break;
        Read.insert(Read.end(), chunk, chunk + got);
    }
    Bytes_ = Read;
    return true;
}

bool WriteAnswerBytes(const void* data, size_t size) {
    const auto* at = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = write(AnswerFd, at, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        at += written;
        size -= size_t(written);
    }
    return true;
}

bool WriteStatusAnswer(TDecodeStatus status, uint32_t width, uint32_t height) {
    const TDecodeHeader header{
        DecodeMagic, uint32_t(status), uint32_t(TDecodeContent::Rgb32), width, height, 0, 0};
    return ftruncate(AnswerFd, 0) == 0 && lseek(AnswerFd, 0, SEEK_SET) == 0 &&
           WriteAnswerBytes(&header, sizeof header);
}

TPixelAnswer::~TPixelAnswer() {
    if (Mapped)
        munmap(Mapped, Size);
}

bool TPixelAnswer::Open(uint32_t width, uint32_t height) {
    const uint64_t size = sizeof(TDecodeHeader) + uint64_t(width) * height * 4;
    if (size > uint64_t(SIZE_MAX) || ftruncate(AnswerFd, off_t(size)) != 0)
        return false;
    // The pages are written whole right away: taking them in one go costs less than a
    // fault for each. A fresh file's pages are zero already and are not cleared again.
    void* mapped =
        mmap(nullptr, size_t(size), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE, AnswerFd, 0);
    if (mapped == MAP_FAILED)
        return false;
    Mapped = static_cast<uint8_t*>(mapped);
    Size = size_t(size);
    Width = width;
    Height = height;
    return true;
}

bool TPixelAnswer::Finish(TDecodeContent content) {
    const TDecodeHeader header{
        DecodeMagic, uint32_t(TDecodeStatus::Ok), uint32_t(content), Width, Height,
        Stride(),    uint64_t(Stride()) * Height};
    std::memcpy(Mapped, &header, sizeof header);
    return true;
}
