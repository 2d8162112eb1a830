// vellacour-decode: decodes one picture file for the program, so that a library that
// crashes, hangs or runs out of memory on a hostile file takes only this process down.
// The file's bytes arrive on standard input; the answer (DecodeProtocol.h) goes into the
// shared-memory file on descriptor 3. Usage: vellacour-decode KIND PIXEL_LIMIT, the limit
// being the most bytes of pixels a picture may need.
#include <QGuiApplication>
#include <charconv>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <new>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

#include "decoder/Decode.h"
#include "picture/DecodeProtocol.h"
#include "toolkit/Dib.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VC_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define VC_ADDRESS_SANITIZER 1
#endif

namespace {
constexpr int AnswerFd = 3;
// The largest picture (1 GiB of pixels), its converted copy and the libraries fit in this.
constexpr rlim_t MemoryLimit = rlim_t(4) << 30;
// Seconds of processor time; the program's wall-clock timeout is the longer one.
constexpr rlim_t CpuSeconds = 20;
constexpr size_t MaxInput = size_t(1) << 30;

void LimitResources() {
    const rlimit cpu{CpuSeconds, CpuSeconds + 1};
    setrlimit(RLIMIT_CPU, &cpu);
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
#ifndef VC_ADDRESS_SANITIZER
    // AddressSanitizer reserves terabytes of address space for its shadow memory.
    const rlimit memory{MemoryLimit, MemoryLimit};
    setrlimit(RLIMIT_AS, &memory);
#endif
}

// Tests make the helper fail the ways a library could: VELLACOUR_DECODE_FAULT=crash, hang,
// or cpu (ended as the processor-time limit ends it). Without the variable nothing changes.
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

bool ReadInput(std::vector<uint8_t>& bytes) {
    uint8_t chunk[65536];
    for (;;) {
        const ssize_t got = read(0, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 || bytes.size() + size_t(got) > MaxInput)
            return false;
        if (got == 0)
            return true;
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
}

bool WriteAll(const void* data, size_t size) {
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

bool WriteAnswer(const THelperAnswer& answer) {
    const auto width = uint32_t(std::max(0, answer.Size.width()));
    const auto height = uint32_t(std::max(0, answer.Size.height()));
    if (answer.Status != TDecodeStatus::Ok) {
        const std::vector<uint8_t> header =
            DecodeHeaderBytes(answer.Status, TDecodeContent::Rgb32, width, height, 0, 0);
        return WriteAll(header.data(), header.size());
    }
    if (!answer.Drawing.isEmpty()) {
        const std::vector<uint8_t> header =
            DecodeHeaderBytes(TDecodeStatus::Ok, TDecodeContent::Drawing, width, height, 0,
                              uint64_t(answer.Drawing.size()));
        return WriteAll(header.data(), header.size()) &&
               WriteAll(answer.Drawing.constData(), size_t(answer.Drawing.size()));
    }
    const QImage& image = answer.Image;
    const uint32_t stride = width * 4;
    const std::vector<uint8_t> header = DecodeHeaderBytes(
        TDecodeStatus::Ok,
        image.format() == QImage::Format_ARGB32 ? TDecodeContent::Argb32 : TDecodeContent::Rgb32,
        width, height, stride, uint64_t(stride) * height);
    if (!WriteAll(header.data(), header.size()))
        return false;
    for (int y = 0; y < image.height(); ++y)
        if (!WriteAll(image.constScanLine(y), stride))
            return false;
    return true;
}
} // namespace

int main(int argc, char** argv) {
    uint64_t pixelLimit = 0;
    if (argc != 3 ||
        std::from_chars(argv[2], argv[2] + std::strlen(argv[2]), pixelLimit).ec != std::errc())
        return 2;
    SetPixelMemoryLimit(pixelLimit);
    LimitResources();
    InjectFault();
    std::vector<uint8_t> input;
    if (!ReadInput(input))
        return 3;
    // Recording a drawing lays out text, which needs the fonts of a GUI application; no
    // window system is involved.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    THelperAnswer answer;
    try {
        answer = DecodeFile(argv[1], input);
    } catch (const std::bad_alloc&) {
        answer = THelperAnswer{TDecodeStatus::OutOfMemory, {}, {}, {}};
    }
    // The answer is all the program wants: the application object and the libraries are
    // not torn down, which would only cost time (and, in a sanitizer build, report the
    // caches the libraries keep on purpose as leaks).
    std::_Exit(WriteAnswer(answer) ? 0 : 4);
}
