// What playing a large real enhanced metafile costs. A file of thousands of records from the
// public corpus is played into a 1000 × 1000 image, and reported as records per second. In
// the same run the drawing our player makes of it is recorded once as a QPicture (Qt's own
// list of painter calls) and replayed into the same image, so the ratio shows what reading
// the records and keeping the device context cost on top of the drawing itself.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPicture>
#include <cstdio>
#include <map>
#include <string>

#include "BenchSupport.h"
#include "picture/Canvas.h"
#include "picture/Metafile.h"
#include "picture/Picture.h"
#include "toolkit/ByteReader.h"

namespace {

constexpr int Size = 1000;
const char* const Files[] = {"emf/apache-poi/SimpleEMF_mac.emf", "emf/libemf2svg/emf/test-178.emf"};

std::string CorpusFile(const char* relative) {
    return std::string(VC_CORPUS_DIR) + "/" + relative;
}

// The records of an enhanced metafile, counted by walking their sizes.
int64_t CountRecords(const TMetafile& metafile) {
    TByteReader reader(*metafile.Image()->Records);
    int64_t count = 0;
    while (reader.Remaining() >= 8) {
        reader.Skip(4);
        const uint32_t size = reader.U32();
        if (size < 8 || !reader.CanRead(size - 8))
            break;
        reader.Skip(size - 8);
        ++count;
    }
    return count;
}

void Play(TGraphic* graphic, QPaintDevice& device) {
    QPainter painter(&device);
    TCanvas canvas(painter);
    canvas.DrawStretched({0, 0, Size, Size}, graphic);
}

void BM_PlayMetafile(benchmark::State& state, const char* relative) {
    TPicture picture;
    try {
        picture.LoadByExtension(CorpusFile(relative));
    } catch (const std::exception& error) {
        state.SkipWithError(error.what());
        return;
    }
    const int64_t records = CountRecords(*dynamic_cast<TMetafile*>(picture.Content()));
    QImage image(Size, Size, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        Play(picture.Content(), image);
    }
    state.counters["records/s"] = benchmark::Counter(double(records) * double(state.iterations()),
                                                     benchmark::Counter::kIsRate);
    state.counters["records"] = double(records);
}

void BM_ReplayQPicture(benchmark::State& state, const char* relative) {
    TPicture picture;
    try {
        picture.LoadByExtension(CorpusFile(relative));
    } catch (const std::exception& error) {
        state.SkipWithError(error.what());
        return;
    }
    QPicture recorded;
    Play(picture.Content(), recorded);
    QImage image(Size, Size, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        recorded.play(&painter);
    }
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    for (const char* file : Files) {
        benchmark::RegisterBenchmark((std::string("PlayMetafile/") + file).c_str(), BM_PlayMetafile,
                                     file)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark((std::string("ReplayQPicture/") + file).c_str(),
                                     BM_ReplayQPicture, file)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const char* file : Files)
        reporter.PrintRatio((std::string("player / QPicture replay, ") + file).c_str(),
                            std::string("PlayMetafile/") + file,
                            std::string("ReplayQPicture/") + file);
    benchmark::Shutdown();
    return 0;
}
