#include "picture/Reduce.h"

#include <algorithm>
#include <cstdint>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// Bytes a pixel takes in a layout whose channels can be averaged one by one: every
// channel a colour or premultiplied alpha, or padding that is always 0xFF.
int AveragedBytesPerPixel(QImage::Format format) {
    switch (format) {
    case QImage::Format_Grayscale8:
        return 1;
    case QImage::Format_RGB888:
    case QImage::Format_BGR888:
        return 3;
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32_Premultiplied:
    case QImage::Format_RGBX8888:
    case QImage::Format_RGBA8888_Premultiplied:
        return 4;
    default:
        return 0;
    }
}

// The source pixels one output pixel covers on one axis, with whole-number weights: the
// length of each overlap measured in 1/(source × target) of the axis, so the weights of
// one output pixel add up to the source length exactly.
struct TTaps {
    std::vector<int> First;  // first source pixel of each output pixel
    std::vector<int> Count;  // how many source pixels it covers
    std::vector<int> Offset; // where its weights start in Weights
    std::vector<int64_t> Weights;
};

TTaps MakeTaps(int source, int target) {
    TTaps taps;
    taps.First.resize(size_t(target));
    taps.Count.resize(size_t(target));
    taps.Offset.resize(size_t(target));
    for (int x = 0; x < target; ++x) {
        const int64_t from = int64_t(x) * source, to = from + source;
        const int first = int(from / target);
        const int last = int((to + target - 1) / target) - 1;
        taps.First[size_t(x)] = first;
        taps.Count[size_t(x)] = last - first + 1;
        taps.Offset[size_t(x)] = int(taps.Weights.size());
        for (int i = first; i <= last; ++i) {
            const int64_t begin = std::max(int64_t(i) * target, from);
            const int64_t end = std::min(int64_t(i + 1) * target, to);
            taps.Weights.push_back(end - begin);
        }
    }
    return taps;
}

// The pixels are reached through plain pointers: QImage's writing accessors are not safe
// to call from several threads at once.
struct TReduction {
    const QImage& Source;
    uchar* TargetBits;
    qsizetype TargetStride;
    QSize Target;
    int Bytes; // per pixel
    TTaps Columns;

    // One source row averaged across, in 1/256 of a channel step.
    template <int Bytes_> void ReduceRow(const uchar* row, uint32_t* across) const {
        const int width = Target.width();
        const double scale = 256.0 / Source.width();
        for (int x = 0; x < width; ++x, across += Bytes_) {
            const uchar* pixel = row + size_t(Columns.First[size_t(x)]) * Bytes_;
            const int64_t* weight = Columns.Weights.data() + Columns.Offset[size_t(x)];
            const int count = Columns.Count[size_t(x)];
            uint64_t sum[Bytes_] = {};
            for (int i = 0; i < count; ++i, pixel += Bytes_)
                for (int c = 0; c < Bytes_; ++c)
                    sum[c] += uint64_t(weight[i]) * pixel[c];
            // Sums are never negative: adding a half and truncating rounds to nearest.
            for (int c = 0; c < Bytes_; ++c)
                // NOLINTNEXTLINE(bugprone-incorrect-roundings)
                across[c] = uint32_t(double(sum[c]) * scale + 0.5);
        }
    }

    void ReduceRow(const uchar* row, std::vector<uint32_t>& across) const {
        switch (Bytes) {
        case 1:
            return ReduceRow<1>(row, across.data());
        case 3:
            return ReduceRow<3>(row, across.data());
        default:
            return ReduceRow<4>(row, across.data());
        }
    }

    // Output rows [from, to): the source rows they cover, each averaged across once and
    // added to the one or two output rows it overlaps.
    void ReduceRows(int from, int to) const {
        const int64_t sourceHeight = Source.height(), targetHeight = Target.height();
        const size_t values = size_t(Target.width()) * size_t(Bytes);
        std::vector<uint32_t> across(values);
        std::vector<uint64_t> down(values, 0);
        const double scale = 1.0 / (256.0 * double(sourceHeight));
        int y = int(int64_t(from) * sourceHeight / targetHeight);
        int output = from;
        while (output < to) {
            ReduceRow(Source.constScanLine(y), across);
            const int64_t rowEnd = (y + 1) * targetHeight;
            for (;;) {
                const int64_t outputEnd = (output + 1) * sourceHeight;
                const uint64_t weight = uint64_t(std::min(rowEnd, outputEnd) -
                                                 std::max(y * targetHeight, output * sourceHeight));
                for (size_t i = 0; i < values; ++i)
                    down[i] += weight * across[i];
                if (outputEnd > rowEnd)
                    break;
                uchar* out = TargetBits + output * TargetStride;
                for (size_t i = 0; i < values; ++i) {
                    // NOLINTNEXTLINE(bugprone-incorrect-roundings): never negative, as above
                    out[i] = uchar(double(down[i]) * scale + 0.5);
                    down[i] = 0;
                }
                if (++output == to || outputEnd == rowEnd)
                    break;
            }
            ++y;
        }
    }
};

} // namespace

QImage ReduceImage(const QImage& image, QSize target) {
    const int bytes = AveragedBytesPerPixel(image.format());
    if (bytes == 0)
        return image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QImage result(target, image.format());
    if (result.isNull())
        return result;
    result.setDotsPerMeterX(image.dotsPerMeterX());
    result.setDotsPerMeterY(image.dotsPerMeterY());
    const TReduction reduction{image,  result.bits(), result.bytesPerLine(),
                               target, bytes,         MakeTaps(image.width(), target.width())};
    // Bands of output rows are independent: each reads the source rows it covers. A band
    // of at least 64 rows is worth a thread.
    const int bands = std::clamp(std::min(int(std::thread::hardware_concurrency()), 4), 1,
                                 std::max(1, target.height() / 64));
    const auto bandStart = [&](int band) {
        return int(int64_t(target.height()) * band / bands);
    };
    std::vector<std::jthread> workers;
    int band = 1;
    try {
        for (; band < bands; ++band)
            workers.emplace_back([&reduction, from = bandStart(band), to = bandStart(band + 1)] {
                reduction.ReduceRows(from, to);
            });
    } catch (const std::system_error&) {
        // No thread to spare: this one reduces the bands left over as well.
        reduction.ReduceRows(bandStart(band), target.height());
    }
    reduction.ReduceRows(0, bandStart(1));
    // Every band is written before the image leaves this function.
    workers.clear();
    return result;
}
