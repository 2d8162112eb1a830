// Loading and first drawing of a 6000 x 4000 baseline JPEG (quality 90) as the program
// does it, against a plain libjpeg-turbo decode of the same bytes into a buffer, in the
// same run. Prints the time ratios and the peak memory of one load and first drawing.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <jpeglib.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "picture/Canvas.h"
#include "picture/Jpeg.h"
#include "toolkit/Stream.h"

namespace {

constexpr int Width = 6000;
constexpr int Height = 4000;

const std::vector<uint8_t>& Bytes() {
    static const std::vector<uint8_t> bytes = MakePhotoJpeg(Width, Height);
    return bytes;
}

// A source handing libjpeg the bytes in blocks of 4096, as the program's source does. The
// Huffman decoder of libjpeg-turbo takes its fast path only while a few kilobytes are
// buffered, so the block size alone costs time; this shows how much.
struct TBlockSource {
    jpeg_source_mgr Pub{};
    const uint8_t* Data = nullptr;
    size_t Size = 0;
    size_t Position = 0;
};

boolean FillBlock(j_decompress_ptr info) {
    static const JOCTET EndOfImage[2] = {0xFF, JPEG_EOI};
    auto* source = reinterpret_cast<TBlockSource*>(info->src);
    const size_t count = std::min<size_t>(4096, source->Size - source->Position);
    source->Pub.next_input_byte = count ? source->Data + source->Position : EndOfImage;
    source->Pub.bytes_in_buffer = count ? count : 2;
    source->Position += count;
    return TRUE;
}

void SkipBlocks(j_decompress_ptr info, long count) {
    jpeg_source_mgr& source = *info->src;
    while (count > long(source.bytes_in_buffer)) {
        count -= long(source.bytes_in_buffer);
        FillBlock(info);
    }
    if (count > 0) {
        source.next_input_byte += count;
        source.bytes_in_buffer -= size_t(count);
    }
}

void NoSourceAction(j_decompress_ptr) {}

// libjpeg-turbo alone: decode into a freshly allocated buffer of the same layout as the
// program's bitmap (blue, green, red; rows padded to 32 bits), as many rows per call as
// libjpeg offers; the bytes given all at once, or in blocks of 4096.
void RawDecode(const std::vector<uint8_t>& bytes, bool blocks) {
    jpeg_decompress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_decompress(&info);
    TBlockSource source;
    if (blocks) {
        source.Data = bytes.data();
        source.Size = bytes.size();
        source.Pub.init_source = NoSourceAction;
        source.Pub.fill_input_buffer = FillBlock;
        source.Pub.skip_input_data = SkipBlocks;
        source.Pub.resync_to_restart = jpeg_resync_to_restart;
        source.Pub.term_source = NoSourceAction;
        info.src = &source.Pub;
    } else {
        jpeg_mem_src(&info, bytes.data(), bytes.size());
    }
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&info);
    const size_t stride = (size_t(info.output_width) * 3 + 3) / 4 * 4;
    std::unique_ptr<uint8_t[]> pixels(new uint8_t[stride * info.output_height]);
    std::vector<JSAMPROW> rows(info.output_height);
    for (size_t y = 0; y < rows.size(); ++y)
        rows[y] = pixels.get() + y * stride;
    while (info.output_scanline < info.output_height)
        jpeg_read_scanlines(&info, rows.data() + info.output_scanline,
                            info.output_height - info.output_scanline);
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    benchmark::DoNotOptimize(pixels.get());
}

// The program: load (header only), then the first drawing, which decodes and stretches
// the bitmap into a small target as the picture controls do.
void LoadAndDraw(const std::vector<uint8_t>& bytes, bool draw) {
    TJPEGImage image;
    TBytesStream stream(bytes);
    image.ReadFrom(stream);
    if (!draw) {
        benchmark::DoNotOptimize(image.DecodedBitmap().Image().constBits());
        return;
    }
    QImage target(200, 200, QImage::Format_RGB32);
    QPainter painter(&target);
    TCanvas canvas(painter);
    canvas.DrawStretched({0, 0, 200, 200}, &image);
    painter.end();
    benchmark::DoNotOptimize(target.constBits());
}

void BM_LibjpegDecode(benchmark::State& state) {
    for (auto _ : state)
        RawDecode(Bytes(), false);
}

void BM_LibjpegDecodeBlocks(benchmark::State& state) {
    for (auto _ : state)
        RawDecode(Bytes(), true);
}

void BM_LoadAndDecode(benchmark::State& state) {
    for (auto _ : state)
        LoadAndDraw(Bytes(), false);
}

void BM_LoadAndFirstDrawing(benchmark::State& state) {
    for (auto _ : state)
        LoadAndDraw(Bytes(), true);
}

BENCHMARK(BM_LibjpegDecode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LibjpegDecodeBlocks)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadAndDecode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadAndFirstDrawing)->Unit(benchmark::kMillisecond)->UseRealTime();

long StatusKilobytes(const char* field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(std::string(field).size()));
    return -1;
}

// Peak memory of one load and first drawing above what the process held before, measured
// by resetting the kernel's high-water mark.
void ReportPeakMemory() {
    const std::vector<uint8_t>& bytes = Bytes();
    std::ofstream("/proc/self/clear_refs") << "5";
    const long before = StatusKilobytes("VmHWM:");
    LoadAndDraw(bytes, true);
    const long peak = StatusKilobytes("VmHWM:");
    const double bitmap = double(Width) * 3 * Height / 1048576;
    const double compressed = double(bytes.size()) / 1048576;
    std::printf("memory: peak %.1f MiB above start; compressed %.1f MiB + bitmap %.1f MiB = "
                "%.1f MiB\n",
                double(peak - before) / 1024, compressed, bitmap, compressed + bitmap);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    ReportPeakMemory();
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("load + first drawing / libjpeg decode", "BM_LoadAndFirstDrawing",
                        "BM_LibjpegDecode");
    reporter.PrintRatio("load + decode / libjpeg decode", "BM_LoadAndDecode", "BM_LibjpegDecode");
    reporter.PrintRatio("load + decode / libjpeg decode in 4096-byte blocks", "BM_LoadAndDecode",
                        "BM_LibjpegDecodeBlocks");
    benchmark::Shutdown();
    return 0;
}
