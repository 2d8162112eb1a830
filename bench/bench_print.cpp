// Printing the cover sheet with two 6000 x 4000 JPEG pictures into a 600-dpi and a 300-dpi
// PDF, as the print command does (load, decode, scale to the printer's resolution, write
// the page), against a plain libjpeg-turbo decode of the same two files, in the same run.
// Prints the time ratios and the 600-dpi PDF's size against the two JPEG files.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPageSize>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "picture/Jpeg.h"
#include "picture/Picture.h"
#include "print/Printer.h"
#include "print/XPrinter.h"
#include "sheet/CoverSheet.h"

namespace {

struct TFiles {
    QTemporaryDir Dir;
    std::string Cover, Back, Pdf;
    std::vector<uint8_t> CoverBytes, BackBytes;

    TFiles() {
        Cover = Dir.filePath("cover.jpg").toStdString();
        Back = Dir.filePath("back.jpg").toStdString();
        Pdf = Dir.filePath("sheet.pdf").toStdString();
        CoverBytes = MakePhotoJpeg(6000, 4000, 1);
        BackBytes = MakePhotoJpeg(6000, 4000, 7);
        std::ofstream(Cover, std::ios::binary)
            .write(reinterpret_cast<const char*>(CoverBytes.data()), long(CoverBytes.size()));
        std::ofstream(Back, std::ios::binary)
            .write(reinterpret_cast<const char*>(BackBytes.data()), long(BackBytes.size()));
    }
};

TFiles& Files() {
    static TFiles files;
    return files;
}

void PrintSheet(int dpi) {
    TPicture cover, back;
    cover.LoadByExtension(Files().Cover);
    back.LoadByExtension(Files().Back);
    TPrinter printer(Files().Pdf, QPageSize(QPageSize::A4), dpi);
    TXPrint print(printer);
    ConfigureSheetPrint(print);
    PrintCoverSheet(print, {cover, back, [] {
                                return true;
                            }});
}

void BM_LibjpegDecodeBoth(benchmark::State& state) {
    for (auto _ : state) {
        LibjpegDecode(Files().CoverBytes);
        LibjpegDecode(Files().BackBytes);
    }
}

void BM_PrintPage(benchmark::State& state) {
    for (auto _ : state)
        PrintSheet(600);
}

void BM_PrintPage300(benchmark::State& state) {
    for (auto _ : state)
        PrintSheet(300);
}

BENCHMARK(BM_LibjpegDecodeBoth)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PrintPage300)->Unit(benchmark::kMillisecond)->UseRealTime();
// Last, so the PDF measured below is the 600-dpi page.
BENCHMARK(BM_PrintPage)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    RegisterJpegFormat();
    InitJpegDefaults(24);
    benchmark::Initialize(&argc, argv);
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("print page / libjpeg decode of both pictures", "BM_PrintPage",
                        "BM_LibjpegDecodeBoth");
    reporter.PrintRatio("print page at 300 dpi / libjpeg decode of both pictures",
                        "BM_PrintPage300", "BM_LibjpegDecodeBoth");
    const double pdf = double(QFileInfo(QString::fromStdString(Files().Pdf)).size());
    const double jpegs = double(Files().CoverBytes.size() + Files().BackBytes.size());
    std::printf("size: PDF %.1f MiB, the two JPEG files %.1f MiB, ratio %.3f\n", pdf / 1048576,
                jpegs / 1048576, pdf / jpegs);
    benchmark::Shutdown();
    return 0;
}
