#include "BenchSupport.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <memory>

std::vector<uint8_t> MakePhotoJpeg(int width, int height, uint32_t seed) {
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = width;
    info.image_height = height;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row(width * 3);
    uint32_t noise = seed;
    while (info.next_scanline < info.image_height) {
        const int y = int(info.next_scanline);
        for (int x = 0; x < width; ++x) {
            noise = noise * 1103515245 + 12345;
            const int n = int(noise >> 28) - 8;
            const bool edge = (x / 700 + y / 500) % 3 == 0;
            row[3 * x + 0] = uint8_t(std::clamp(x * 255 / width + n + (edge ? 40 : 0), 0, 255));
            row[3 * x + 1] = uint8_t(std::clamp(y * 255 / height + n, 0, 255));
            row[3 * x + 2] = uint8_t(std::clamp(128 + (x - y) / 64 + n, 0, 255));
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<uint8_t> bytes(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return bytes;
}

void LibjpegDecode(const std::vector<uint8_t>& bytes, jpeg_source_mgr* source) {
    jpeg_decompress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_decompress(&info);
    if (source)
        info.src = source;
    else
        jpeg_mem_src(&info, bytes.data(), bytes.size());
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

void TRatioReporter::ReportRuns(const std::vector<Run>& runs) {
    for (const Run& run : runs) {
        if (run.run_type != Run::RT_Iteration || run.error_occurred)
            continue;
        TTimes& times = Times[run.run_name.function_name];
        times.Real += run.GetAdjustedRealTime();
        times.Cpu += run.GetAdjustedCPUTime();
        ++times.Runs;
    }
    ConsoleReporter::ReportRuns(runs);
}

void TRatioReporter::PrintRatio(const char* label, const std::string& ours,
                                const std::string& raw) const {
    const auto a = Times.find(ours);
    const auto b = Times.find(raw);
    if (a == Times.end() || b == Times.end())
        return;
    std::printf("ratio %s: %.3f real, %.3f CPU\n", label,
                (a->second.Real / a->second.Runs) / (b->second.Real / b->second.Runs),
                (a->second.Cpu / a->second.Runs) / (b->second.Cpu / b->second.Runs));
}

std::filesystem::path ScratchFolder(const std::string& name) {
    namespace fs = std::filesystem;
    fs::path path = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    path /= "vellacour-bench-" + name + "-" + std::to_string(getpid());
    fs::create_directories(path);
    return path;
}
