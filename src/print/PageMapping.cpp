#include "print/PageMapping.h"

#include <cmath>
#include <cstdlib>

namespace {
// A 32-bit product, wrapping as the device's integer arithmetic does.
int32_t Mul32(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}

// Truncating division that survives a zero or INT_MIN / -1 from a broken device.
int32_t Div32(int32_t a, int32_t b) {
    if (b == 0)
        return 0;
    if (b == -1)
        return static_cast<int32_t>(0u - static_cast<uint32_t>(a));
    return a / b;
}

void Halve(int& window, int& viewport) {
    while (window > 32767) {
        window /= 2;
        viewport /= 2;
    }
}
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
    return Div32(Mul32(v, logPixels), unitsPerInch);
}

int FromDevice(int v, int logPixels, int unitsPerInch, TScaling scaling) {
    if (scaling == TScaling::pscDot)
        return v;
    return Div32(Mul32(v, unitsPerInch), logPixels);
}

TPageExtent PageExtent(const TMappingInput& in) {
    if (in.Scaling == TScaling::pscDot)
        return {in.PhysicalWidth - in.MarginLeft - in.MarginRight - 1,
                in.PhysicalHeight - in.MarginTop - in.MarginBottom - 1};
    const int units = UnitsPerInchOf(in.Scaling);
    const auto toX = [&](int v) {
        return ToDevice(v, in.LogPixelsX, units, in.Scaling);
    };
    const auto toY = [&](int v) {
        return ToDevice(v, in.LogPixelsY, units, in.Scaling);
    };
    const int width = in.PhysicalWidth - toX(in.MarginLeft) - toX(in.MarginRight) - 1;
    const int height = in.PhysicalHeight - toY(in.MarginTop) - toY(in.MarginBottom) - 1;
    return {Div32(Mul32(width, units), in.LogPixelsX), Div32(Mul32(height, units), in.LogPixelsY)};
}

TDeviceMapping ComputeMapping(const TMappingInput& in) {
    const int units = UnitsPerInchOf(in.Scaling);
    TDeviceMapping m;
    m.WindowExtX = Mul32(Div32(7200, in.LogPixelsX), units);
    m.ViewportExtX = 7200;
    Halve(m.WindowExtX, m.ViewportExtX);
    m.WindowExtY = Mul32(Div32(7200, in.LogPixelsY), units);
    m.ViewportExtY = 7200;
    Halve(m.WindowExtY, m.ViewportExtY);
    m.OriginX = Div32(Mul32(in.MarginLeft, in.LogPixelsX), units) - in.PhysicalOffsetX +
                ShiftToDevice(in.ShiftX, in.LogPixelsX);
    m.OriginY = Div32(Mul32(in.MarginTop, in.LogPixelsY), units) - in.PhysicalOffsetY +
                ShiftToDevice(in.ShiftY, in.LogPixelsY);
    return m;
}

int ShiftToDevice(int tenths, int logPixels) {
    return ToDevice(tenths, logPixels, UnitsPerInchOf(TScaling::pscMetric10),
                    TScaling::pscMetric10);
}

TDeviceMapping Isotropic(TDeviceMapping m, int logPixelsX, int logPixelsY) {
    if (m.WindowExtX == 0 || m.WindowExtY == 0 || logPixelsX <= 0 || logPixelsY <= 0)
        return m;
    // The physical length of one logical unit on each axis, in inches.
    const double unitX = std::abs(double(m.ViewportExtX) / (double(m.WindowExtX) * logPixelsX));
    const double unitY = std::abs(double(m.ViewportExtY) / (double(m.WindowExtY) * logPixelsY));
    if (unitX > unitY) {
        const int reduced = int(std::floor(m.ViewportExtX * unitY / unitX + 0.5));
        m.ViewportExtX = reduced != 0 ? reduced : (m.ViewportExtX >= 0 ? 1 : -1);
    } else if (unitY > unitX) {
        const int reduced = int(std::floor(m.ViewportExtY * unitX / unitY + 0.5));
        m.ViewportExtY = reduced != 0 ? reduced : (m.ViewportExtY >= 0 ? 1 : -1);
    }
    return m;
}

int FontPoints(int size, TScaling scaling, bool inJob, int fontPixelsPerInch) {
    const int points = size < 0 ? static_cast<int>(0u - static_cast<uint32_t>(size)) : size;
    if (scaling == TScaling::pscDot || !inJob)
        return points;
    return Div32(Mul32(points, UnitsPerInchOf(scaling)), fontPixelsPerInch);
}
