// A collection printed by "vellacour-export collection" against "vellacour-export sheet" of
// each album's layout, on the same generated albums in the same run, per album: reading the
// folders, the tags and the art is what the collection adds. Then the collection's peak
// memory for a few and for four times as many albums, which must stay flat.
#include <QApplication>
#include <QImage>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

#include "BenchSupport.h"
#include "music/AlbumFolder.h"
#include "sheet/AlbumDocument.h"
#include "sheet/LayoutDocument.h"
#include "toolkit/Application.h"

extern char** environ;

namespace {
namespace fs = std::filesystem;

constexpr int Albums = 12;
constexpr int Tracks = 12;

fs::path Folder() {
    static const fs::path folder = ScratchFolder("collection");
    return folder;
}

void WriteSilentWav(const fs::path& path) {
    constexpr uint32_t Rate = 8000, Data = Rate * 2;
    std::ofstream out(path, std::ios::binary);
    const auto put = [&out](uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.put(char((value >> (8 * i)) & 0xff));
    };
    out.write("RIFF", 4);
    put(36 + Data, 4);
    out.write("WAVEfmt ", 8);
    put(16, 4), put(1, 2), put(1, 2), put(Rate, 4), put(Rate * 2, 4), put(2, 2), put(16, 2);
    out.write("data", 4);
    put(Data, 4);
    out << std::string(Data, '\0');
}

// count album folders under root/NAME, each with its tracks and a photo-like front cover,
// and beside each a layout made from it as the window makes it.
fs::path MakeAlbums(const std::string& name, int count) {
    const fs::path root = Folder() / name;
    const std::vector<uint8_t> cover = MakePhotoJpeg(1200, 1200);
    for (int a = 0; a < count; ++a) {
        const fs::path album = root / ("Album " + std::to_string(100 + a));
        fs::create_directories(album);
        for (int t = 1; t <= Tracks; ++t)
            WriteSilentWav(album /
                           ("0" + std::to_string(t) + " Titel " + std::to_string(t) + ".wav"));
        std::ofstream(album / "cover.jpg", std::ios::binary)
            .write(reinterpret_cast<const char*>(cover.data()), std::streamsize(cover.size()));
        WriteLayoutDocument((Folder() / (name + std::to_string(a) + ".vco")).string(),
                            AlbumDocument(ReadAlbumFolder(album.string()), TLayoutDocument{}));
    }
    return root;
}

// Runs the program and waits for it; answers its peak resident memory in KiB, or -1 when
// it failed.
long Run(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    // The collection's progress lines would bury the figures.
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &quiet, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (spawned != 0)
        return -1;
    int status = 0;
    struct rusage usage {};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return usage.ru_maxrss;
}

const std::string Program = VC_EXPORT_PROGRAM;

void BM_Collection(benchmark::State& state) {
    const std::string root = (Folder() / "few").string();
    for (auto _ : state)
        if (Run({Program, "collection", root, "-o", (Folder() / "all.pdf").string()}) < 0)
            state.SkipWithError("collection failed");
    state.SetItemsProcessed(state.iterations() * Albums);
}

void BM_SheetPerAlbum(benchmark::State& state) {
    for (auto _ : state)
        for (int a = 0; a < Albums; ++a)
            if (Run({Program, "sheet", (Folder() / ("few" + std::to_string(a) + ".vco")).string(),
                     "-o", (Folder() / "one.pdf").string()}) < 0)
                state.SkipWithError("sheet failed");
    state.SetItemsProcessed(state.iterations() * Albums);
}

BENCHMARK(BM_Collection)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_SheetPerAlbum)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TApplication::SetTitle("Vellacour");
    benchmark::Initialize(&argc, argv);
    MakeAlbums("few", Albums);
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("collection / sheet of each album's layout", "BM_Collection",
                        "BM_SheetPerAlbum");
    // Peak memory: the same albums, then four times as many.
    const long few = Run({Program, "collection", (Folder() / "few").string(), "-o",
                          (Folder() / "all.pdf").string()});
    MakeAlbums("many", 4 * Albums);
    const long many = Run({Program, "collection", (Folder() / "many").string(), "-o",
                           (Folder() / "all.pdf").string()});
    std::printf("collection peak memory: %ld KiB for %d albums, %ld KiB for %d albums (%.2fx)\n",
                few, Albums, many, 4 * Albums, few > 0 ? double(many) / double(few) : 0.0);
    fs::remove_all(Folder());
    benchmark::Shutdown();
    return 0;
}
