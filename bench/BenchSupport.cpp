#include "BenchSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

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

void TRatioReporter::ReportRuns(const std::vector<Run>& runs) {
    for (const Run& run : runs) {
        if (run.run_type != Run::RT_Iteration)
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
