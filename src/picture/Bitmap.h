// The bitmap kind: device-independent pixels (with an optional colour table) held in a
// QImage whose layout QPainter reads directly, shared between copies by reference count.
#pragma once

#include <QImage>
#include <memory>
#include <vector>

#include "picture/Graphic.h"
#include "toolkit/Dib.h"

class TBitmap : public TGraphic {
public:
    static const TGraphicClass Class;
    TBitmap() = default;

    const TGraphicClass& ClassType() const override { return Class; }
    void Render(TCanvas& canvas, const TRect& rect) override;
    bool IsEmpty() const override;
    int PixelWidth() const override;
    int PixelHeight() const override;
    bool HasPalette() const override;
    void SetWidth(int width) override;
    void SetHeight(int height) override;
    void ReadFrom(TStream& stream) override;
    void Assign(const TGraphic& source) override;

    // The pixels as drawn; a null image when the bitmap is empty.
    const QImage& Image() const;
    int BitCount() const;
    bool Monochrome() const { return BitCount() == 1; }

    // Installs new image data (readers and decoders build them) and tells the change target.
    void SetImage(std::shared_ptr<TBitmapImage> image);
    // Writable access for a decoder filling the pixels in place; unshares first.
    QImage& MutableImage();
    // Identity of the shared image data, for tests that check sharing.
    const TBitmapImage* SharedImage() const { return Image_.get(); }

private:
    void Resize(int width, int height);

    std::shared_ptr<TBitmapImage> Image_;
};
