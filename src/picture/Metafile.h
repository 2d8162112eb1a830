// The metafile kind: enhanced metafiles (EMF) and placeable Windows metafiles (WMF), read
// from their bytes, sized in 0.01 mm and played by our own player into a rectangle.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "metafile/MetafileImage.h"
#include "picture/Graphic.h"

class TMetafile : public TGraphic {
public:
    static const TGraphicClass Class;
    TMetafile();

    const TGraphicClass& ClassType() const override { return Class; }
    void Render(TCanvas& canvas, const TRect& rect) override;
    bool IsEmpty() const override { return false; }
    int PixelWidth() const override;
    int PixelHeight() const override;
    TPixelMeaning PixelMeaning() const override { return TPixelMeaning::None; }
    bool HasPalette() const override;
    // A metafile draws only what its records draw; the control does not decide that.
    bool KeepsOwnTransparency() const override { return true; }
    void SetWidth(int width) override;
    void SetHeight(int height) override;
    void ReadFrom(TStream& stream) override;
    void Assign(const TGraphic& source) override;

    // The shared image data; none until something has been loaded.
    const TMetafileImage* Image() const { return Image_.get(); }

private:
    TMetafileImage& Unshared();

    std::shared_ptr<TMetafileImage> Image_;
};
