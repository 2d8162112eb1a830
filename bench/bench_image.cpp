// What a repaint of a stretched picture control costs. The main window's controls are
// 200 × 200 and may hold a camera picture of 6000 × 4000 pixels: once rendered, a repaint
// should cost about what painting a 200 × 200 image costs. The first paint, which scales
// the whole picture, is compared with QPainter scaling the same pixels directly.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>
#include <iostream>
#include <map>
#include <set>

#include <cstdio>
#include <unistd.h>

#include "BenchSupport.h"
#include "picture/Bitmap.h"
#include "picture/Image.h"
#include "picture/Jpeg.h"
#include "toolkit/Stream.h"

namespace {

constexpr int Side = 200;

// The 6000 × 4000 picture, 24 bits per pixel, with some structure so scaling has work.
const std::shared_ptr<TBitmapImage>& LargePicture() {
    static const std::shared_ptr<TBitmapImage> data = [] {
        auto image = std::make_shared<TBitmapImage>();
        image->Image = QImage(6000, 4000, QImage::Format_BGR888);
        for (int y = 0; y < image->Image.height(); ++y) {
            uchar* row = image->Image.scanLine(y);
            for (int x = 0; x < image->Image.width(); ++x) {
                row[3 * x] = static_cast<uchar>(x);
                row[3 * x + 1] = static_cast<uchar>(y);
                row[3 * x + 2] = static_cast<uchar>(x ^ y);
            }
        }
        image->BitCount = 24;
        return image;
    }();
    return data;
}

std::unique_ptr<TBitmap> LargeBitmap() {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetImage(LargePicture());
    return bitmap;
}

// The baseline: a plain widget that paints a 200 × 200 image it already holds.
class TPlainImageWidget : public QWidget {
public:
    // Opaque like the picture control, so neither pays for a background fill.
    explicit TPlainImageWidget(QImage image) : Image(std::move(image)) {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.drawImage(0, 0, Image);
    }

private:
    QImage Image;
};

QImage Target() {
    QImage target(Side, Side, QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::white);
    return target;
}

void BM_Baseline_PlainWidgetRepaint(benchmark::State& state) {
    QImage small(Side, Side, QImage::Format_ARGB32_Premultiplied);
    small.fill(Qt::darkCyan);
    TPlainImageWidget widget(small);
    widget.resize(Side, Side);
    QImage target = Target();
    for (auto _ : state) {
        widget.render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_Baseline_PlainWidgetRepaint)->UseRealTime();

void BM_TImage_CachedRepaint(benchmark::State& state) {
    TImage image;
    image.resize(Side, Side);
    image.SetStretch(true);
    image.Picture().CopyFrom(LargeBitmap().get());
    QImage target = Target();
    image.render(&target);
    for (auto _ : state) {
        image.render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
    if (image.RenderCount() != 1)
        state.SkipWithError("the repaint rendered the picture again");
}
BENCHMARK(BM_TImage_CachedRepaint)->UseRealTime();

// The raw library call for a first paint: QPainter scaling the large picture into 200 × 200.
void BM_Baseline_QPainterScaleLarge(benchmark::State& state) {
    const QImage& large = LargePicture()->Image;
    QImage target = Target();
    for (auto _ : state) {
        QPainter painter(&target);
        painter.drawImage(QRectF(0, 0, Side, Side), large, QRectF(large.rect()));
        painter.end();
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_Baseline_QPainterScaleLarge)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TImage_FirstPaint(benchmark::State& state) {
    TImage image;
    image.resize(Side, Side);
    image.SetStretch(true);
    const auto bitmap = LargeBitmap();
    QImage target = Target();
    for (auto _ : state) {
        // A new content (sharing the same pixels) throws the rendered picture away.
        image.Picture().CopyFrom(bitmap.get());
        image.render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
    state.counters["renders"] = image.RenderCount();
}
BENCHMARK(BM_TImage_FirstPaint)->Unit(benchmark::kMillisecond)->UseRealTime();

// Resident memory of the process in bytes.
double ResidentBytes() {
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE));
}

// One step of dragging a filled 6000 × 4000 JPEG in the back inlay's control: a mouse move
// by two pixels moves the window, and the control shows it anew ("renders" counts how often
// it rendered the picture for that). The decoded picture is the
// one copy of the pixels; "grownMiB" is what the process grew by over all the steps.
void BM_TImage_FillDragStep(benchmark::State& state) {
    TImage image;
    image.resize(241, 192);
    TJPEGImage jpeg;
    const std::vector<uint8_t> bytes = MakePhotoJpeg(6000, 4000);
    TBytesStream stream(bytes);
    jpeg.ReadFrom(stream);
    image.Picture().CopyFrom(&jpeg);
    const QSize part(1510, 1180);
    // Zoomed in, so that the window can travel a long way before it meets the picture's edge.
    TPartPlacement placement{TPlacementMode::Fill, TPlacementView{3000, 3000, 1500, 1500}, 0};
    image.SetPlacement(part, placement);
    image.OnViewChange = [&](const TPlacementView& view) {
        placement.View = view;
        image.SetPlacement(part, placement);
    };
    QImage target(image.size(), QImage::Format_ARGB32_Premultiplied);
    image.render(&target); // decodes once
    const auto send = [&](QEvent::Type type, QPointF at) {
        QMouseEvent event(type, at, at, Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(&image, &event);
    };
    QPointF at(120, 96);
    send(QEvent::MouseButtonPress, at);
    const double before = ResidentBytes();
    int step = 0;
    for (auto _ : state) {
        // Back and forth over 300 pixels, farther than the control is wide, 150 steps each way.
        at.rx() += (step++ / 150) % 2 ? -2 : 2;
        send(QEvent::MouseMove, at);
        image.render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
    state.counters["grownMiB"] = (ResidentBytes() - before) / (1 << 20);
    state.counters["renders"] = image.RenderCount();
    send(QEvent::MouseButtonRelease, at);
}
BENCHMARK(BM_TImage_FillDragStep)->Unit(benchmark::kMillisecond)->UseRealTime();

// Prints the usual table, then each measurement of ours as a multiple of its baseline, in
// wall-clock time (Qt may spread large image work over threads).
class TImageRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        // With repetitions the median stands for the benchmark, otherwise its one run.
        for (const Run& run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.error_occurred || (run.run_type == Run::RT_Aggregate && !median))
                continue;
            const std::string name = run.run_name.function_name;
            if (median || !Medians.contains(name)) {
                Seconds[name] =
                    run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
                if (median)
                    Medians.insert(name);
            }
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        Ratio("BM_TImage_CachedRepaint", "BM_Baseline_PlainWidgetRepaint");
        Ratio("BM_TImage_FirstPaint", "BM_Baseline_PlainWidgetRepaint");
        Ratio("BM_TImage_FirstPaint", "BM_Baseline_QPainterScaleLarge");
        Ratio("BM_TImage_FillDragStep", "BM_TImage_CachedRepaint");
        // A drag step should fit in one frame at 60 Hz.
        if (const auto step = Seconds.find("BM_TImage_FillDragStep"); step != Seconds.end())
            std::cout << "BM_TImage_FillDragStep / 60-Hz frame = " << step->second * 60 << "\n";
    }

private:
    void Ratio(const std::string& ours, const std::string& baseline) {
        const auto a = Seconds.find(ours);
        const auto b = Seconds.find(baseline);
        if (a == Seconds.end() || b == Seconds.end() || b->second <= 0)
            return;
        std::cout << ours << " / " << baseline << " = " << a->second / b->second << "\n";
    }

    std::map<std::string, double> Seconds;
    std::set<std::string> Medians;
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    TImageRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
