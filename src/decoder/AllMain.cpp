// vellacour-decode-all: the decoding helper's every kind (vellacour-decode hands it all but
// WebP), linking Qt, its image plugins, Qt SVG, libavif and libde265. Same usage, input
// and answer as vellacour-decode.
#include <QGuiApplication>
#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>
#include <vector>

#include "decoder/Decode.h"
#include "decoder/HelperProcess.h"
#include "decoder/WebPDecode.h"
#include "picture/DecodeProtocol.h"
#include "toolkit/Dib.h"

namespace {
// The kinds decoded through Qt's readers or Qt SVG, which want an application object.
bool NeedsApplication(std::string_view kind) {
    return kind == "svg" || kind == "tiff" || kind == "gif";
}

bool WriteAnswer(const THelperAnswer& answer) {
    const auto width = uint32_t(std::max(0, answer.Size.width()));
    const auto height = uint32_t(std::max(0, answer.Size.height()));
    if (answer.Status != TDecodeStatus::Ok) {
        const std::vector<uint8_t> header =
            DecodeHeaderBytes(answer.Status, TDecodeContent::Rgb32, width, height, 0, 0);
        return WriteAnswerBytes(header.data(), header.size());
    }
    if (!answer.Drawing.isEmpty()) {
        const std::vector<uint8_t> header =
            DecodeHeaderBytes(TDecodeStatus::Ok, TDecodeContent::Drawing, width, height, 0,
                              uint64_t(answer.Drawing.size()));
        return WriteAnswerBytes(header.data(), header.size()) &&
               WriteAnswerBytes(answer.Drawing.constData(), size_t(answer.Drawing.size()));
    }
    const QImage& image = answer.Image;
    const uint32_t stride = width * 4;
    const std::vector<uint8_t> header = DecodeHeaderBytes(
        TDecodeStatus::Ok,
        image.format() == QImage::Format_ARGB32 ? TDecodeContent::Argb32 : TDecodeContent::Rgb32,
        width, height, stride, uint64_t(stride) * height);
    if (!WriteAnswerBytes(header.data(), header.size()))
        return false;
    for (int y = 0; y < image.height(); ++y)
        if (!WriteAnswerBytes(image.constScanLine(y), stride))
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
    TInput input;
    if (!input.Load())
        return 3;
    if (std::string_view(argv[1]) == "webp")
        std::_Exit(AnswerWebP(input.Bytes(), pixelLimit) ? 0 : 4);
    // Recording a drawing lays out text, which needs the fonts of a GUI application; no
    // window system is involved. The other kinds start faster without one.
    std::unique_ptr<QGuiApplication> app;
    int qtArgc = 1;
    if (NeedsApplication(argv[1])) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(qtArgc, argv);
    }
    THelperAnswer answer;
    try {
        answer = DecodeFile(argv[1], input.Bytes());
    } catch (const std::bad_alloc&) {
        answer = THelperAnswer{TDecodeStatus::OutOfMemory, {}, {}, {}};
    }
    // The answer is all the program wants: the application object and the libraries are
    // not torn down, which would only cost time (and, in a sanitizer build, report the
    // caches the libraries keep on purpose as leaks).
    std::_Exit(WriteAnswer(answer) ? 0 : 4);
}
