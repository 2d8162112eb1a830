// The icon kind: the bytes of an icon file, checked only for their type at loading; the
// icon image is made from them at the first drawing and drawn, never stretched, at the
// system icon size in the top-left corner of the rectangle.
#pragma once

#include <QImage>
#include <memory>
#include <vector>

#include "picture/Graphic.h"

// The shared image data of icons: the file's bytes, and the icon image once made.
struct TIconImage {
    std::vector<uint8_t> Bytes;
    QImage Image; // null until first drawn, and after every failure to make it
};

class TIcon : public TGraphic {
public:
    static const TGraphicClass Class;
    TIcon() { Transparent_ = true; }

    const TGraphicClass& ClassType() const override { return Class; }
    void Render(TCanvas& canvas, const TRect& rect) override;
    bool IsEmpty() const override;
    int PixelWidth() const override;
    int PixelHeight() const override;
    TPixelMeaning PixelMeaning() const override { return TPixelMeaning::OwnSize; }
    bool KeepsOwnTransparency() const override { return true; }
    // An icon's size is the system's; changing it fails with EInvalidGraphicOperation.
    void SetWidth(int width) override;
    void SetHeight(int height) override;
    void ReadFrom(TStream& stream) override;
    void Assign(const TGraphic& source) override;

    // The icon image, made now if it has not been; raises EOutOfResources when it cannot be.
    const QImage& Image();
    // Identity of the shared image data, for tests that check sharing.
    const TIconImage* SharedImage() const { return Image_.get(); }

private:
    std::shared_ptr<TIconImage> Image_;
};
