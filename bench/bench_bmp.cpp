// What loading a large BMP costs compared with reading its bytes. A 6000 × 4000 24-bit file
// (72 MB) is loaded through the picture holder and, in the same run, read with plain open()
// and read() into a fresh buffer. The reader puts the rows straight into the image, so the
// ratio of the two should stay close to 1 and must not exceed 2.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "BenchSupport.h"
#include "picture/Picture.h"

namespace {

constexpr int Width = 6000;
constexpr int Height = 4000;
constexpr int RowSize = (Width * 3 + 3) / 4 * 4;

void Put32(uint8_t* out, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<uint8_t>(value >> (8 * i));
}

// Writes the test file once; it is removed when the program ends.
class TLargeBmp {
public:
    TLargeBmp() {
        char name[] = "/tmp/vellacour-bench-XXXXXX.bmp";
        const int fd = mkstemps(name, 4);
        if (fd < 0) {
            std::perror("mkstemps");
            std::exit(1);
        }
        Path = name;
        std::vector<uint8_t> header(54, 0);
        header[0] = 'B';
        header[1] = 'M';
        Put32(&header[2], 54 + RowSize * Height);
        Put32(&header[10], 54);
        Put32(&header[14], 40);
        Put32(&header[18], Width);
        Put32(&header[22], Height);
        header[26] = 1;  // planes
        header[28] = 24; // bits per pixel
        bool ok = ::write(fd, header.data(), header.size()) == ssize_t(header.size());
        std::vector<uint8_t> row(RowSize);
        for (int y = 0; y < Height && ok; ++y) {
            for (int x = 0; x < Width * 3; ++x)
                row[x] = static_cast<uint8_t>(x ^ y);
            ok = ::write(fd, row.data(), row.size()) == ssize_t(row.size());
        }
        ::close(fd);
        if (!ok) {
            std::perror("write");
            std::exit(1);
        }
    }
    ~TLargeBmp() { std::remove(Path.c_str()); }

    std::string Path;
};

const std::string& LargeBmpPath() {
    static const TLargeBmp file;
    return file.Path;
}

void BM_Raw_OpenRead(benchmark::State& state) {
    const std::string& path = LargeBmpPath();
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        const off_t size = ::lseek(fd, 0, SEEK_END);
        ::lseek(fd, 0, SEEK_SET);
        std::unique_ptr<uint8_t[]> buffer(new uint8_t[size]);
        off_t done = 0;
        while (done < size) {
            const ssize_t got = ::read(fd, buffer.get() + done, size - done);
            if (got <= 0)
                break;
            done += got;
        }
        ::close(fd);
        benchmark::DoNotOptimize(buffer.get());
        if (done != size)
            state.SkipWithError("short read");
    }
}
BENCHMARK(BM_Raw_OpenRead)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadByExtension(benchmark::State& state) {
    const std::string& path = LargeBmpPath();
    for (auto _ : state) {
        TPicture picture;
        picture.LoadByExtension(path);
        benchmark::DoNotOptimize(picture.Content());
        if (picture.Width() != Width || picture.Height() != Height)
            state.SkipWithError("wrong size");
    }
}
BENCHMARK(BM_LoadByExtension)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    LargeBmpPath();
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("LoadByExtension / open+read", "BM_LoadByExtension", "BM_Raw_OpenRead");
    benchmark::Shutdown();
    return 0;
}
