// Shared by the benchmark programs: a photo-like test JPEG and a reporter that prints
// time ratios between benchmarks of the same run.
#pragma once

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdio>
#include <jpeglib.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

// A folder of this run's own for a benchmark's files, made on first use: in shared memory
// where there is one, so disk speed counts on neither side of a ratio.
std::filesystem::path ScratchFolder(const std::string& name);

// A width × height baseline JPEG (quality 90) of smooth gradients, a few hard edges and
// sensor-like noise; seed varies the picture.
std::vector<uint8_t> MakePhotoJpeg(int width, int height, uint32_t seed = 1);

// libjpeg-turbo alone: decodes into a freshly allocated buffer of the program's bitmap
// layout (blue, green, red; rows padded to 32 bits), as many rows per call as libjpeg
// offers. The bytes come from memory, or from the given source manager.
void LibjpegDecode(const std::vector<uint8_t>& bytes, jpeg_source_mgr* source = nullptr);

// Keeps the mean real and CPU times of every benchmark for the ratios printed at the end.
// On a busy machine the CPU-time ratio is the steadier one.
class TRatioReporter : public benchmark::ConsoleReporter {
public:
    struct TTimes {
        double Real = 0;
        double Cpu = 0;
        int Runs = 0;
    };

    void ReportRuns(const std::vector<Run>& runs) override;

    void PrintRatio(const char* label, const std::string& ours, const std::string& raw) const;

private:
    std::map<std::string, TTimes> Times;
};
