// vellacour-decode: decodes one picture file for the program, so that a library that
// crashes, hangs or runs out of memory on a hostile file takes only this process down.
// The file's bytes arrive on standard input; the answer (DecodeProtocol.h) goes into the
// shared-memory file on descriptor 3. Usage: vellacour-decode KIND PIXEL_LIMIT, the limit
// being the most bytes of pixels a picture may need.
//
// This program links only libwebp, so a WebP file costs no more start-up than libwebp's
// own tools; every other kind is handed, with the same arguments and descriptors, to
// vellacour-decode-all beside it, which links Qt and the other libraries.
#include <charconv>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <unistd.h>

#include "decoder/HelperProcess.h"
#include "decoder/WebPDecode.h"

namespace {
// Exit statuses the program reports as a crashed helper.
constexpr int BadArguments = 2;
constexpr int UnreadableInput = 3;
constexpr int UnwritableAnswer = 4;
constexpr int MissingHelper = 5;

[[noreturn]] void HandOn(char** argv) {
    std::error_code error;
    const std::string path = (std::filesystem::read_symlink("/proc/self/exe", error).parent_path() /
                              "vellacour-decode-all")
                                 .string();
    argv[0] = const_cast<char*>(path.c_str());
    execv(path.c_str(), argv);
    _exit(MissingHelper);
}
} // namespace

int main(int argc, char** argv) {
    if (argc != 3)
        return BadArguments;
    if (std::string_view(argv[1]) != "webp")
        HandOn(argv);
    uint64_t pixelLimit = 0;
    if (std::from_chars(argv[2], argv[2] + std::strlen(argv[2]), pixelLimit).ec != std::errc())
        return BadArguments;
    LimitResources();
    InjectFault();
    TInput input;
    if (!input.Load())
        return UnreadableInput;
    return AnswerWebP(input.Bytes(), pixelLimit) ? 0 : UnwritableAnswer;
}
