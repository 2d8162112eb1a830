// Pictures for the decoder tests: four coloured quadrants, encoded by the command-line
// encoders (heif-enc, avifenc) when they are installed, and checked by the quadrants' colours.
#pragma once

#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"

inline constexpr QRgb Red = 0xFFDC1E1E;
inline constexpr QRgb Green = 0xFF1EC83C;
inline constexpr QRgb Blue = 0xFF283CD2;
inline constexpr QRgb Yellow = 0xFFF0DC32;

struct TQuadrants {
    QRgb TopLeft, TopRight, BottomLeft, BottomRight;
};

inline constexpr TQuadrants Stored{Red, Green, Blue, Yellow};

inline QImage QuadrantImage(int width, int height, TQuadrants colours = Stored,
                            QImage::Format format = QImage::Format_RGB32) {
    QImage image(width, height, format);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool right = x >= width / 2;
            const bool bottom = y >= height / 2;
            image.setPixel(x, y,
                           bottom ? (right ? colours.BottomRight : colours.BottomLeft)
                                  : (right ? colours.TopRight : colours.TopLeft));
        }
    return image;
}

// Empty when every quadrant's middle has its colour within tolerance, else what differs.
inline std::string CheckQuadrants(const QImage& image, TQuadrants expected, int tolerance) {
    std::ostringstream out;
    const int w = image.width();
    const int h = image.height();
    const struct {
        const char* Name;
        int X, Y;
        QRgb Colour;
    } points[] = {{"top left", w / 4, h / 4, expected.TopLeft},
                  {"top right", w * 3 / 4, h / 4, expected.TopRight},
                  {"bottom left", w / 4, h * 3 / 4, expected.BottomLeft},
                  {"bottom right", w * 3 / 4, h * 3 / 4, expected.BottomRight}};
    for (const auto& point : points) {
        const QRgb actual = image.pixel(point.X, point.Y);
        if (std::abs(qRed(actual) - qRed(point.Colour)) > tolerance ||
            std::abs(qGreen(actual) - qGreen(point.Colour)) > tolerance ||
            std::abs(qBlue(actual) - qBlue(point.Colour)) > tolerance)
            out << point.Name << ": " << std::hex << actual << " instead of " << point.Colour
                << "; ";
    }
    return out.str();
}

inline bool HasTool(const char* name) {
    return !QStandardPaths::findExecutable(name).isEmpty();
}

// Runs a tool with the arguments; the output file's bytes, or nothing when it failed.
inline std::vector<uint8_t> RunEncoder(const QString& tool, const QStringList& arguments,
                                       const std::string& output) {
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0 || !fs::exists(output))
        return {};
    return ReadFileBytes(output);
}

// The picture saved as PNG and encoded by heif-enc (HEIC, or AVIF when the output's name
// ends in .avif) or avifenc, with the extra arguments.
inline std::vector<uint8_t> Encode(const TempDir& dir, const QImage& image, const QString& tool,
                                   const std::string& output, QStringList arguments = {}) {
    const std::string input = dir.File("input.png");
    image.save(QString::fromStdString(input));
    const std::string path = dir.File(output);
    if (tool == "avifenc")
        arguments << QString::fromStdString(input) << QString::fromStdString(path);
    else
        arguments << "-o" << QString::fromStdString(path) << QString::fromStdString(input);
    return RunEncoder(tool, arguments, path);
}

// The colours at the quadrants' middles, to compare one decoder's output with another's.
inline TQuadrants QuadrantsOf(const QImage& image) {
    const int w = image.width();
    const int h = image.height();
    return {image.pixel(w / 4, h / 4), image.pixel(w * 3 / 4, h / 4), image.pixel(w / 4, h * 3 / 4),
            image.pixel(w * 3 / 4, h * 3 / 4)};
}
