#include "print/PageMapping.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace {
// a × b / c rounded to the nearest whole number (halves away from zero), in 64 bits and
// kept within 32; 0 for a device that reports no resolution.
int MulDivRound(int64_t a, int64_t b, int64_t c) {
    if (c == 0)
        return 0;
    if (c < 0)
        a = -a, c = -c;
    const int64_t product = a * b;
    const int64_t rounded = product >= 0 ? (product + c / 2) / c : -((-product + c / 2) / c);
    return static_cast<int>(std::clamp<int64_t>(rounded, INT_MIN, INT_MAX));
}

// a × b / c truncated toward zero, in 64 bits and kept within 32.
int MulDivTrunc(int64_t a, int64_t b, int64_t c) {
    if (c == 0)
        return 0;
    return static_cast<int>(std::clamp<int64_t>(a * b / c, INT_MIN, INT_MAX));
}

constexpr int PointsPerInch = 72;
constexpr int TenthsPerInch = 254;
} // namespace

int UnitsPerInchOf(TScaling scaling) {
    switch (scaling) {
    case TScaling::pscMil:
        return 1000;
    case TScaling::pscMetric10:
        return 254;
    case TScaling::pscMetric100:
        return 2540;
    case TScaling::pscDot:
        break;
    }
    return 1;
}

int ToDevice(int v, int logPixels, int unitsPerInch, TScaling scaling) {
    if (scaling == TScaling::pscDot)
        return v;
    return MulDivRound(v, logPixels, unitsPerInch);
}

int FromDevice(int v, int logPixels, int unitsPerInch, TScaling scaling) {
    if (scaling == TScaling::pscDot)
        return v;
    return MulDivRound(v, unitsPerInch, logPixels);
}

TPageExtent PageExtent(const TMappingInput& in) {
    if (in.Scaling == TScaling::pscDot)
        return {in.PhysicalWidth - in.MarginLeft - in.MarginRight - 1,
                in.PhysicalHeight - in.MarginTop - in.MarginBottom - 1};
    const int units = UnitsPerInchOf(in.Scaling);
    const int64_t width = int64_t{in.PhysicalWidth} -
                          ToDevice(in.MarginLeft, in.LogPixelsX, units, in.Scaling) -
                          ToDevice(in.MarginRight, in.LogPixelsX, units, in.Scaling) - 1;
    const int64_t height = int64_t{in.PhysicalHeight} -
                           ToDevice(in.MarginTop, in.LogPixelsY, units, in.Scaling) -
                           ToDevice(in.MarginBottom, in.LogPixelsY, units, in.Scaling) - 1;
    return {MulDivTrunc(width, units, in.LogPixelsX), MulDivTrunc(height, units, in.LogPixelsY)};
}

TDeviceMapping ComputeMapping(const TMappingInput& in) {
    const int units = UnitsPerInchOf(in.Scaling);
    // A unit is LogPixels / UnitsPerInch device pixels, times ExactScale / Scale for a
    // printer that prints Scale hundredths of a millimetre where 100 mm were asked for.
    // Both products stay within 32 bits for resolutions up to 10,000 and scales up to
    // 10,500.
    TDeviceMapping m;
    m.WindowExtX = units * std::max(1, in.ScaleX);
    m.WindowExtY = units * std::max(1, in.ScaleY);
    m.ViewportExtX = in.LogPixelsX * ExactScale;
    m.ViewportExtY = in.LogPixelsY * ExactScale;
    m.OriginX = ToDevice(in.MarginLeft, in.LogPixelsX, units, in.Scaling) - in.PhysicalOffsetX +
                ShiftToDevice(in.ShiftX, in.LogPixelsX);
    m.OriginY = ToDevice(in.MarginTop, in.LogPixelsY, units, in.Scaling) - in.PhysicalOffsetY +
                ShiftToDevice(in.ShiftY, in.LogPixelsY);
    return m;
}

int ShiftToDevice(int tenths, int logPixels) {
    return MulDivRound(tenths, logPixels, TenthsPerInch);
}

int FontHeight(int size, TScaling scaling, bool inJob, int fontPixelsPerInch) {
    const int64_t points = std::llabs(int64_t{size});
    const int perInch =
        scaling == TScaling::pscDot || !inJob ? fontPixelsPerInch : UnitsPerInchOf(scaling);
    const int height = MulDivRound(points, perInch, PointsPerInch);
    return -(points > 0 ? std::max(1, height) : 0);
}
