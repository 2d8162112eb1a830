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

// The weights of one output pixel add up to this on each axis. With 16-bit weights a row
// averaged across fits 16 bits in 1/256 of a channel step, and the sum down a column of
// those fits 32 bits, so every sum stays in integers the compiler can vectorise.
constexpr int WeightBits = 14;
constexpr uint32_t WeightOne = 1u << WeightBits;
// Averaged across: channel × 2^WeightBits, kept as channel × 256.
constexpr int AcrossShift = WeightBits - 8;
// Averaged down as well: channel × 256 × 2^WeightBits, back to a channel.
constexpr int DownShift = WeightBits + 8;

// The source pixels one output pixel covers on one axis, each weighted by the length it
// covers, measured so that the weights of one output pixel add up to WeightOne exactly.
// Every output pixel has the same number of taps (zero weights pad the short ones), so
// the loop over them has a fixed length.
struct TAxis {
    int Taps = 0;
    std::vector<int> Start;        // first tap of each output pixel
    std::vector<int> Last;         // last source pixel it truly covers
    std::vector<uint16_t> Weights; // Taps per output pixel, from Start on
};

TAxis MakeAxis(int source, int target) {
    TAxis axis;
    axis.Start.resize(size_t(target));
    axis.Last.resize(size_t(target));
    std::vector<int> first(static_cast<size_t>(target));
    for (int x = 0; x < target; ++x) {
        const int64_t from = int64_t(x) * source, to = from + source;
        first[size_t(x)] = int(from / target);
        axis.Last[size_t(x)] = int((to + target - 1) / target) - 1;
        axis.Taps = std::max(axis.Taps, axis.Last[size_t(x)] - first[size_t(x)] + 1);
    }
    axis.Weights.assign(size_t(target) * size_t(axis.Taps), 0);
    for (int x = 0; x < target; ++x) {
        const int64_t from = int64_t(x) * source, to = from + source;
        // Moved back where the taps would run past the last source pixel.
        const int start = std::min(first[size_t(x)], source - axis.Taps);
        axis.Start[size_t(x)] = start;
        // Where a length from the output pixel's start lies on the weight scale: rounding
        // the ends rather than each length keeps the sum exact.
        const auto scaled = [&](int64_t length) {
            return int64_t((uint64_t(length) * WeightOne + uint64_t(source) / 2) /
                           uint64_t(source));
        };
        for (int i = first[size_t(x)]; i <= axis.Last[size_t(x)]; ++i) {
            const int64_t begin = std::max(int64_t(i) * target, from) - from;
            const int64_t end = std::min(int64_t(i + 1) * target, to) - from;
            axis.Weights[size_t(x) * size_t(axis.Taps) + size_t(i - start)] =
                uint16_t(scaled(end) - scaled(begin));
        }
    }
    return axis;
}

// One source row averaged across into out (channel × 256). Taps_ is the tap count when
// known while compiling, 0 when only known at run time.
template <int Bytes, int Taps_>
void AcrossRow(const uchar* row, const TAxis& axis, int width, uint16_t* out) {
    const int taps = Taps_ ? Taps_ : axis.Taps;
    const uint16_t* weight = axis.Weights.data();
    for (int x = 0; x < width; ++x, weight += taps, out += Bytes) {
        const uchar* pixel = row + size_t(axis.Start[size_t(x)]) * Bytes;
        uint32_t sum[Bytes] = {};
        for (int i = 0; i < taps; ++i)
            for (int c = 0; c < Bytes; ++c)
                sum[c] += uint32_t(weight[i]) * pixel[i * Bytes + c];
        for (int c = 0; c < Bytes; ++c)
            out[c] = uint16_t((sum[c] + (1u << (AcrossShift - 1))) >> AcrossShift);
    }
}

using TAcrossRow = void (*)(const uchar*, const TAxis&, int, uint16_t*);

template <int Bytes> TAcrossRow AcrossRowFor(int taps) {
    switch (taps) {
    case 1:
        return AcrossRow<Bytes, 1>;
    case 2:
        return AcrossRow<Bytes, 2>;
    case 3:
        return AcrossRow<Bytes, 3>;
    case 4:
        return AcrossRow<Bytes, 4>;
    case 5:
        return AcrossRow<Bytes, 5>;
    default:
        return AcrossRow<Bytes, 0>;
    }
}

TAcrossRow AcrossRowFor(int bytes, int taps) {
    switch (bytes) {
    case 1:
        return AcrossRowFor<1>(taps);
    case 3:
        return AcrossRowFor<3>(taps);
    default:
        return AcrossRowFor<4>(taps);
    }
}

// The two axes of one reduction, shared by every band of rows.
struct TAxes {
    TAxis Across, Down;
    int Bytes; // per pixel
    QSize Source, Target;
    TAcrossRow Row;

    TAxes(QSize source, QSize target, int bytes)
        : Across(MakeAxis(source.width(), target.width())),
          Down(MakeAxis(source.height(), target.height())), Bytes(bytes), Source(source),
          Target(target), Row(AcrossRowFor(bytes, Across.Taps)) {}
};

// Output rows [from, to), fed the source rows they cover one by one from the top: each
// row is averaged across once and added to the one or two output rows it overlaps, and an
// output row is written as soon as its last source row is in. The pixels are reached
// through plain pointers: QImage's writing accessors are not safe to call from several
// threads at once.
class TBand {
public:
    TBand(const TAxes& axes, uchar* bits, qsizetype stride, int from, int to)
        : Axes(axes), Bits(bits), Stride(stride), Output(from), To(to),
          Values(size_t(axes.Target.width()) * size_t(axes.Bytes)), Across(Values),
          Down(Values, 0) {}

    // The first source row the band needs.
    int FirstRow() const {
        return Output < To ? int(int64_t(Output) * Axes.Source.height() / Axes.Target.height())
                           : Axes.Source.height();
    }
    bool Done() const { return Output >= To; }

    // Source row y, which must follow the row added before (or be FirstRow()).
    void AddRow(const uchar* row, int y) {
        if (Done())
            return;
        Axes.Row(row, Axes.Across, Axes.Target.width(), Across.data());
        const TAxis& down = Axes.Down;
        for (;;) {
            const int tap = y - down.Start[size_t(Output)];
            if (tap >= 0 && tap < down.Taps) {
                const uint32_t weight =
                    down.Weights[size_t(Output) * size_t(down.Taps) + size_t(tap)];
                uint32_t* sum = Down.data();
                const uint16_t* across = Across.data();
                for (size_t i = 0; i < Values; ++i)
                    sum[i] += weight * across[i];
            }
            if (y != down.Last[size_t(Output)])
                return;
            uchar* out = Bits + Output * Stride;
            uint32_t* sum = Down.data();
            for (size_t i = 0; i < Values; ++i) {
                out[i] = uchar((sum[i] + (1u << (DownShift - 1))) >> DownShift);
                sum[i] = 0;
            }
            if (++Output == To)
                return;
        }
    }

private:
    const TAxes& Axes;
    uchar* Bits;
    qsizetype Stride;
    int Output;
    int To;
    size_t Values;
    std::vector<uint16_t> Across;
    std::vector<uint32_t> Down;
};

} // namespace

bool CanReduceRows(QImage::Format format) {
    return AveragedBytesPerPixel(format) != 0;
}

QImage ReduceImage(const QImage& image, QSize target) {
    const int bytes = AveragedBytesPerPixel(image.format());
    if (bytes == 0)
        return image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QImage result(target, image.format());
    if (result.isNull())
        return result;
    result.setDotsPerMeterX(image.dotsPerMeterX());
    result.setDotsPerMeterY(image.dotsPerMeterY());
    const TAxes axes(image.size(), target, bytes);
    uchar* bits = result.bits();
    const qsizetype stride = result.bytesPerLine();
    const auto reduceRows = [&axes, &image, bits, stride](int from, int to) {
        TBand band(axes, bits, stride, from, to);
        for (int y = band.FirstRow(); !band.Done() && y < image.height(); ++y)
            band.AddRow(image.constScanLine(y), y);
    };
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
            workers.emplace_back(reduceRows, bandStart(band), bandStart(band + 1));
    } catch (const std::system_error&) {
        // No thread to spare: this one reduces the bands left over as well.
        reduceRows(bandStart(band), target.height());
    }
    reduceRows(0, bandStart(1));
    // Every band is written before the image leaves this function.
    workers.clear();
    return result;
}

struct TRowReducer::TState {
    TAxes Axes;
    TBand Band;
    int NextRow = 0;

    TState(QSize source, QSize target, int bytes, uchar* bits, qsizetype stride)
        : Axes(source, target, bytes), Band(Axes, bits, stride, 0, target.height()) {}
};

TRowReducer::TRowReducer(QSize source, QImage::Format format, QSize target)
    : Result_(CanReduceRows(format) ? QImage(target, format) : QImage()) {
    if (Result_.isNull())
        return;
    Result_.fill(0);
    State_ = std::make_unique<TState>(source, target, AveragedBytesPerPixel(format), Result_.bits(),
                                      Result_.bytesPerLine());
}

TRowReducer::~TRowReducer() = default;

void TRowReducer::AddRows(const uchar* rows, qsizetype stride, int count) {
    if (!State_)
        return;
    for (int i = 0; i < count && State_->NextRow < State_->Axes.Source.height(); ++i)
        State_->Band.AddRow(rows + i * stride, State_->NextRow++);
}
