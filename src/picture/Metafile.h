// The metafile kind: enhanced metafiles (EMF) and placeable Windows metafiles (WMF), read
// from their bytes, sized in 0.01 mm and played by our own player into a rectangle.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "picture/Graphic.h"

namespace Msg {
inline constexpr const char* InvalidMetafile = "Metadatei ist ungültig";
}

enum class TMetafileFormat { Enhanced, Placeable };

// The shared image data of metafiles. Loaded records are never changed; a size change
// makes a graphic its own copy of the small fields and keeps sharing the records.
struct TMetafileImage {
    TMetafileFormat Format = TMetafileFormat::Enhanced;
    // An enhanced metafile from its header on, or a Windows metafile's records after the
    // 22-byte placeable header.
    std::shared_ptr<const std::vector<uint8_t>> Records;
    int MMWidth = 0; // size in 0.01 mm
    int MMHeight = 0;
    int Inch = 0; // units per inch of a placeable metafile; 0 for an enhanced one
    // The placeable header's bounding box, in the metafile's logical units.
    TRect Bounds;
    // The reference device: its size in pixels and in millimetres.
    int DeviceWidth = 0;
    int DeviceHeight = 0;
    int DeviceMMWidth = 0;
    int DeviceMMHeight = 0;
    uint32_t PaletteEntries = 0;
};

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

// Reads an enhanced or placeable metafile from the bytes. Raises EInvalidGraphic
// ("Metadatei ist ungültig") for anything else and EReadError ("Stream-Read-Fehler") when an
// enhanced metafile ends before the size its header gives.
TMetafileImage ReadMetafile(TStream& stream);

// The screen's logical resolution (pixels per inch, vertical), 96 without a screen.
int ScreenLogPixelsY();
