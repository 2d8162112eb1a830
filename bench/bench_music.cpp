// What reading an album folder costs compared with TagLib alone. A folder of 20 tagged FLAC
// files and a cover picture is made once; the same run reads it with ReadAlbumFolder (tags,
// lengths, order, the cover's size) and, for comparison, opens each file with TagLib's FileRef
// and asks for its tag and its audio properties. The ratio should stay at or below 1.2.
// ReadAudioTrack alone shows what the tracks cost apart from the folder. On a busy machine,
// interleave the runs so that a change of load falls on both alike:
//   bench_music --benchmark_repetitions=20 --benchmark_min_time=0.1 \
//       --benchmark_enable_random_interleaving=true
#include <benchmark/benchmark.h>

#include <QImage>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <taglib/fileref.h>
#include <taglib/tag.h>
#include <vector>

#include "BenchSupport.h"
#include "music/AlbumFolder.h"

namespace {

namespace fs = std::filesystem;

constexpr int Tracks = 20;

void Put(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>(value >> (8 * i));
}

// Three seconds of CD-quality stereo silence.
void WriteSilence(const std::string& path) {
    const uint32_t data = 44100u * 4u * 3u;
    std::string wav = "RIFF";
    Put(wav, 36 + data, 4);
    wav += "WAVEfmt ";
    Put(wav, 16, 4);
    Put(wav, 1, 2);
    Put(wav, 2, 2);
    Put(wav, 44100, 4);
    Put(wav, 44100 * 4, 4);
    Put(wav, 4, 2);
    Put(wav, 16, 2);
    wav += "data";
    Put(wav, data, 4);
    wav.resize(wav.size() + data, '\0');
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || std::fwrite(wav.data(), 1, wav.size(), file) != wav.size()) {
        std::perror(path.c_str());
        std::exit(1);
    }
    std::fclose(file);
}

// The album folder, made once with the flac encoder and removed when the program ends.
class TFlacAlbum {
public:
    TFlacAlbum() {
        char name[] = "/tmp/vellacour-bench-XXXXXX";
        if (!mkdtemp(name)) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        Folder = name;
        const std::string wav = Folder + "/silence.wav";
        WriteSilence(wav);
        for (int i = 1; i <= Tracks; ++i) {
            char file[64];
            std::snprintf(file, sizeof file, "/%02d - Titel %d.flac", i, i);
            const std::string command =
                "flac -s -f -T 'TITLE=Titel " + std::to_string(i) +
                "' -T ARTIST=Anna -T ALBUM=Platte -T ALBUMARTIST=Anna -T TRACKNUMBER=" +
                std::to_string(i) + " -o '" + Folder + file + "' '" + wav + "'";
            if (std::system(command.c_str()) != 0) {
                std::fprintf(stderr, "flac failed: %s\n", command.c_str());
                std::exit(1);
            }
            Files.push_back(Folder + file);
        }
        fs::remove(wav);
        QImage cover(600, 600, QImage::Format_RGB32);
        cover.fill(Qt::darkRed);
        cover.save(QString::fromStdString(Folder + "/cover.jpg"));
    }
    ~TFlacAlbum() { fs::remove_all(Folder); }

    std::string Folder;
    std::vector<std::string> Files;
};

const TFlacAlbum& Album() {
    static const TFlacAlbum album;
    return album;
}

void BM_TagLib_FileRef(benchmark::State& state) {
    const TFlacAlbum& album = Album();
    for (auto _ : state) {
        int seconds = 0;
        for (const std::string& file : album.Files) {
            TagLib::FileRef ref(file.c_str());
            if (ref.isNull() || !ref.tag() || !ref.audioProperties()) {
                state.SkipWithError("TagLib cannot read a track");
                return;
            }
            benchmark::DoNotOptimize(ref.tag()->title());
            seconds += ref.audioProperties()->lengthInSeconds();
        }
        benchmark::DoNotOptimize(seconds);
    }
}
BENCHMARK(BM_TagLib_FileRef)->Unit(benchmark::kMillisecond)->UseRealTime();

// The tracks alone, without listing, ordering or pictures: what the tags cost over TagLib's.
void BM_ReadAudioTrack(benchmark::State& state) {
    const TFlacAlbum& album = Album();
    for (auto _ : state) {
        int seconds = 0;
        for (const std::string& file : album.Files) {
            const std::optional<TAudioTrack> track = ReadAudioTrack(file);
            if (!track) {
                state.SkipWithError("cannot read a track");
                return;
            }
            seconds += track->Seconds;
        }
        benchmark::DoNotOptimize(seconds);
    }
}
BENCHMARK(BM_ReadAudioTrack)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadAlbumFolder(benchmark::State& state) {
    const TFlacAlbum& album = Album();
    for (auto _ : state) {
        const TAlbum read = ReadAlbumFolder(album.Folder);
        if (read.Tracks.size() != Tracks || read.FrontFile.empty()) {
            state.SkipWithError("album read wrongly");
            return;
        }
        benchmark::DoNotOptimize(read.Tracks.data());
    }
}
BENCHMARK(BM_ReadAlbumFolder)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Album();
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("ReadAlbumFolder / TagLib FileRef", "BM_ReadAlbumFolder",
                        "BM_TagLib_FileRef");
    reporter.PrintRatio("ReadAudioTrack / TagLib FileRef", "BM_ReadAudioTrack",
                        "BM_TagLib_FileRef");
    benchmark::Shutdown();
    return 0;
}
