// Test helpers of the picture layer: a bitmap of given pixels, a graphic that fails to draw,
// and djpeg's output.
#pragma once

#include <QImage>
#include <QStandardPaths>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "picture/Bitmap.h"
#include "picture/Graphic.h"
#include "toolkit/Errors.h"

// A 24-bit bitmap of the image's pixels.
inline std::unique_ptr<TBitmap> BitmapOf(const QImage& image) {
    auto data = std::make_shared<TBitmapImage>();
    data->Image = image.convertToFormat(QImage::Format_BGR888);
    data->BitCount = 24;
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetImage(std::move(data));
    return bitmap;
}

// A kind whose drawing always fails, as a damaged picture decoded at first drawing would.
class TFailingGraphic : public TGraphic {
public:
    static const TGraphicClass Class;

    explicit TFailingGraphic(std::string message = "JPEG-Fehlernr. 42", int width = 50,
                             int height = 40)
        : Message(std::move(message)), Width(width), Height(height) {}

    const TGraphicClass& ClassType() const override { return Class; }
    void Render(TCanvas&, const TRect&) override { throw EJPEG(Message); }
    bool IsEmpty() const override { return false; }
    int PixelWidth() const override { return Width; }
    int PixelHeight() const override { return Height; }
    void SetWidth(int) override {}
    void SetHeight(int) override {}
    void ReadFrom(TStream&) override {}
    void Assign(const TGraphic& source) override {
        const auto& other = dynamic_cast<const TFailingGraphic&>(source);
        Message = other.Message;
        Width = other.Width;
        Height = other.Height;
    }

private:
    std::string Message;
    int Width;
    int Height;
};

inline const TGraphicClass TFailingGraphic::Class = {"TFailingGraphic", [] {
                                                         return std::unique_ptr<TGraphic>(
                                                             new TFailingGraphic);
                                                     }};

// djpeg writes PPM or PGM; parses the binary forms into RGB.
inline QImage ParsePnm(const std::vector<uint8_t>& bytes) {
    std::string header(bytes.begin(), bytes.begin() + std::min<size_t>(bytes.size(), 64));
    char kind = 0;
    int width = 0, height = 0, max = 0, used = 0;
    if (std::sscanf(header.c_str(), "P%c %d %d %d%n", &kind, &width, &height, &max, &used) != 4 ||
        max != 255)
        return {};
    const bool grey = kind == '5';
    const size_t offset = size_t(used) + 1;
    const size_t rowBytes = size_t(width) * (grey ? 1 : 3);
    if (bytes.size() < offset + rowBytes * size_t(height))
        return {};
    QImage image(width, height, grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
        std::memcpy(image.scanLine(y), bytes.data() + offset + rowBytes * size_t(y), rowBytes);
    return image.convertToFormat(QImage::Format_RGB888);
}

// The djpeg program, or an empty string when it is not installed.
inline QString Djpeg() {
    return QStandardPaths::findExecutable("djpeg");
}
