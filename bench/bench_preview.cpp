// The picture dialog's preview of a 6000 x 4000 baseline JPEG (quality 90), as the dialog
// does it: load the file, then paint the preview area, which decodes at a reduced scale.
// Against a full decode of the same file, by the program and by plain libjpeg-turbo, in the
// same run. Prints the time ratios.
#include <QApplication>
#include <QLayout>
#include <QWidget>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "picture/Jpeg.h"
#include "picture/OpenPictureDialog.h"
#include "picture/Picture.h"

namespace {

constexpr int Width = 6000;
constexpr int Height = 4000;

const std::vector<uint8_t>& Bytes() {
    static const std::vector<uint8_t> bytes = MakePhotoJpeg(Width, Height);
    return bytes;
}

// The picture as a file, since the dialog loads what the user selects.
const std::string& File() {
    static const std::string path = [] {
        const std::filesystem::path file =
            std::filesystem::temp_directory_path() / "vellacour-bench-preview.jpg";
        std::ofstream out(file, std::ios::binary);
        out.write(reinterpret_cast<const char*>(Bytes().data()), std::streamsize(Bytes().size()));
        return file.string();
    }();
    return path;
}

void BM_LibjpegDecode(benchmark::State& state) {
    for (auto _ : state)
        LibjpegDecode(Bytes());
}

// The program's full decode: what the main window and printing do with the file.
void BM_LoadAndDecode(benchmark::State& state) {
    for (auto _ : state) {
        TPicture picture;
        picture.LoadByExtension(File());
        auto& jpeg = dynamic_cast<TJPEGImage&>(*picture.Content());
        benchmark::DoNotOptimize(jpeg.DecodedBitmap().Image().constBits());
    }
}

// Selecting the file in the dialog: its load, and the painting of the preview area at the
// dialog's own size.
void BM_Preview(benchmark::State& state) {
    TOpenPictureDialog dialog;
    dialog.PicturePanel->layout()->activate();
    for (auto _ : state) {
        dialog.PreviewPicture().LoadByExtension(File());
        const QPixmap shown = dialog.PaintBox->grab();
        benchmark::DoNotOptimize(shown.cacheKey());
    }
    state.SetLabel(std::to_string(dialog.PaintBox->width()) + "x" +
                   std::to_string(dialog.PaintBox->height()) + " preview area");
}

BENCHMARK(BM_LibjpegDecode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadAndDecode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Preview)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    RegisterJpegFormat();
    benchmark::Initialize(&argc, argv);
    File();
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("preview / libjpeg full decode", "BM_Preview", "BM_LibjpegDecode");
    reporter.PrintRatio("preview / program's full decode", "BM_Preview", "BM_LoadAndDecode");
    std::filesystem::remove(File());
    benchmark::Shutdown();
    return 0;
}
