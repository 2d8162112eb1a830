// Pictures decoded by the decoding helper, as the program loads them, against the libraries'
// own command-line decoders on the same file in the same run: a 12 MP HEIC against
// heif-convert and a 12 MP WebP against dwebp, each writing raw pixels (y4m, PPM) to a file
// in memory, so neither side pays for encoding. A 1 × 1 WebP through the helper is its
// fixed cost: starting a process, mapping the answer. Skips what a missing tool cannot make.
#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "BenchSupport.h"
#include "picture/DecodedImage.h"
#include "picture/Picture.h"

namespace {
namespace fs = std::filesystem;

constexpr int Width = 4000;
constexpr int Height = 3000;

fs::path Folder() {
    static const fs::path folder = ScratchFolder("helper");
    return folder;
}

bool Run(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    return process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

QString Path(const char* name) {
    return QString::fromStdString((Folder() / name).string());
}

// Makes the test files once: a photo-like JPEG encoded as HEIC and as WebP, and a 1 × 1 WebP.
bool MakeFiles() {
    const std::vector<uint8_t> jpeg = MakePhotoJpeg(Width, Height);
    std::ofstream(Folder() / "photo.jpg", std::ios::binary)
        .write(reinterpret_cast<const char*>(jpeg.data()), std::streamsize(jpeg.size()));
    const std::vector<uint8_t> dot = MakePhotoJpeg(16, 16);
    std::ofstream(Folder() / "dot.jpg", std::ios::binary)
        .write(reinterpret_cast<const char*>(dot.data()), std::streamsize(dot.size()));
    return Run("heif-enc", {"-q", "80", Path("photo.jpg"), "-o", Path("photo.heic")}) &&
           Run("cwebp", {"-quiet", "-q", "80", Path("photo.jpg"), "-o", Path("photo.webp")}) &&
           Run("cwebp", {"-quiet", "-resize", "1", "1", Path("dot.jpg"), "-o", Path("dot.webp")});
}

void Load(benchmark::State& state, const char* name) {
    const std::string file = (Folder() / name).string();
    for (auto _ : state) {
        TPicture picture;
        picture.LoadByExtension(file);
        benchmark::DoNotOptimize(picture.Width());
    }
}

void Tool(benchmark::State& state, const QString& program, const QStringList& args) {
    if (QStandardPaths::findExecutable(program).isEmpty()) {
        state.SkipWithError((program + " is not installed").toUtf8().constData());
        return;
    }
    for (auto _ : state)
        if (!Run(program, args))
            state.SkipWithError((program + " failed").toUtf8().constData());
}

void BM_HelperHeic(benchmark::State& state) {
    Load(state, "photo.heic");
}
void BM_HeifConvert(benchmark::State& state) {
    Tool(state, "heif-convert", {Path("photo.heic"), Path("out.y4m")});
}
void BM_HelperWebP(benchmark::State& state) {
    Load(state, "photo.webp");
}
void BM_Dwebp(benchmark::State& state) {
    Tool(state, "dwebp", {"-quiet", Path("photo.webp"), "-ppm", "-o", Path("out.ppm")});
}
void BM_HelperStart(benchmark::State& state) {
    Load(state, "dot.webp");
}

BENCHMARK(BM_HelperStart)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HelperHeic)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HeifConvert)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HelperWebP)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Dwebp)->Unit(benchmark::kMillisecond)->UseRealTime();
} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    RegisterDecodedFormats();
    benchmark::Initialize(&argc, argv);
    if (!MakeFiles()) {
        std::fprintf(stderr, "heif-enc or cwebp could not make the test files\n");
        fs::remove_all(Folder());
        return 1;
    }
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("HEIC through the helper / heif-convert", "BM_HelperHeic",
                        "BM_HeifConvert");
    reporter.PrintRatio("WebP through the helper / dwebp", "BM_HelperWebP", "BM_Dwebp");
    reporter.PrintRatio("helper's fixed cost / HEIC through the helper", "BM_HelperStart",
                        "BM_HelperHeic");
    fs::remove_all(Folder());
    benchmark::Shutdown();
    return 0;
}
