// The picture dialog's preview of a 6000 x 4000 baseline JPEG (quality 90), as the dialog
// does it: load the file, then paint the preview area, which decodes at a reduced scale.
// Again for the same picture carrying a 240 x 160 Exif thumbnail, which the preview shows
// instead. Against a full decode of the same file, by the program and by plain
// libjpeg-turbo, in the same run. Prints the time ratios.
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

// The picture with an Exif block whose second directory holds a 240 x 160 JPEG thumbnail,
// as cameras write it.
std::vector<uint8_t> WithExifThumbnail(const std::vector<uint8_t>& jpeg) {
    const std::vector<uint8_t> thumbnail = MakePhotoJpeg(240, 160, 3);
    std::vector<uint8_t> tiff = {'I', 'I', 42, 0, 8, 0, 0, 0};
    const auto put = [&](uint32_t value, int size) {
        for (int i = 0; i < size; ++i)
            tiff.push_back(uint8_t(value >> 8 * i));
    };
    put(0, 2);  // the picture's directory is empty,
    put(14, 4); // the thumbnail's follows it
    put(2, 2);
    put(0x0201, 2), put(4, 2), put(1, 4), put(44, 4); // its bytes start after the directory
    put(0x0202, 2), put(4, 2), put(1, 4), put(uint32_t(thumbnail.size()), 4);
    put(0, 4);
    tiff.insert(tiff.end(), thumbnail.begin(), thumbnail.end());
    std::vector<uint8_t> segment = {0xFF, 0xE1, 0, 0, 'E', 'x', 'i', 'f', 0, 0};
    segment.insert(segment.end(), tiff.begin(), tiff.end());
    segment[2] = uint8_t((segment.size() - 2) >> 8);
    segment[3] = uint8_t(segment.size() - 2);
    std::vector<uint8_t> out(jpeg.begin(), jpeg.begin() + 2);
    out.insert(out.end(), segment.begin(), segment.end());
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}

std::string WriteTemporary(const char* name, const std::vector<uint8_t>& bytes) {
    const std::filesystem::path file = std::filesystem::temp_directory_path() / name;
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return file.string();
}

// The picture as a file, since the dialog loads what the user selects.
const std::string& File() {
    static const std::string path = WriteTemporary("vellacour-bench-preview.jpg", Bytes());
    return path;
}

const std::string& FileWithThumbnail() {
    static const std::string path =
        WriteTemporary("vellacour-bench-preview-thumbnail.jpg", WithExifThumbnail(Bytes()));
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
void Preview(benchmark::State& state, const std::string& file) {
    TOpenPictureDialog dialog;
    dialog.PicturePanel->layout()->activate();
    for (auto _ : state) {
        dialog.PreviewPicture().LoadByExtension(file);
        const QPixmap shown = dialog.PaintBox->grab();
        benchmark::DoNotOptimize(shown.cacheKey());
    }
    state.SetLabel(std::to_string(dialog.PaintBox->width()) + "x" +
                   std::to_string(dialog.PaintBox->height()) + " preview area");
}

void BM_Preview(benchmark::State& state) {
    Preview(state, File());
}

void BM_PreviewThumbnail(benchmark::State& state) {
    Preview(state, FileWithThumbnail());
}

BENCHMARK(BM_LibjpegDecode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadAndDecode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Preview)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PreviewThumbnail)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    RegisterJpegFormat();
    benchmark::Initialize(&argc, argv);
    File();
    FileWithThumbnail();
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("preview / libjpeg full decode", "BM_Preview", "BM_LibjpegDecode");
    reporter.PrintRatio("preview / program's full decode", "BM_Preview", "BM_LoadAndDecode");
    reporter.PrintRatio("preview with Exif thumbnail / libjpeg full decode", "BM_PreviewThumbnail",
                        "BM_LibjpegDecode");
    std::filesystem::remove(File());
    std::filesystem::remove(FileWithThumbnail());
    benchmark::Shutdown();
    return 0;
}
