// The PNG kind: the file is decoded by Qt's PNG reader when it is loaded, after its header
// has shown that the image fits the pixel-memory limit. What is transparent in the file
// stays transparent, so the picture is drawn over whatever lies below it.
#pragma once

#include <cstdint>
#include <span>

#include "picture/Bitmap.h"
#include "picture/Graphic.h"
#include "toolkit/Translation.h"

namespace Msg {
inline constexpr TMsg InvalidPng{QT_TRANSLATE_NOOP("Msg", "PNG-Bild ist ungültig")};
inline constexpr TMsg PngTooLarge{
    QT_TRANSLATE_NOOP("Msg", "PNG-Bild ist zu groß (%u x %u Pixel) und kann nicht geladen werden")};
inline constexpr TMsg PngFileTooLarge{
    QT_TRANSLATE_NOOP("Msg", "PNG-Datei ist zu groß und kann nicht geladen werden")};
inline constexpr TMsg PngSizeChange{
    QT_TRANSLATE_NOOP("Msg", "Die Größe eines PNG-Bildes kann nicht verändert werden")};
inline constexpr TMsg PngDescription{QT_TRANSLATE_NOOP("Msg", "PNG Bilddatei")};
} // namespace Msg

// Whether the bytes start with the PNG signature.
bool HasPngSignature(std::span<const uint8_t> bytes);

// Decodes a complete PNG file. Raises EInvalidGraphic: "PNG-Bild ist ungültig" for bytes
// Qt's PNG reader does not take, "PNG-Bild ist zu groß ..." before decoding an image whose
// pixels would need more than PixelMemoryLimit().
TBitmapImage ReadPng(std::span<const uint8_t> bytes);

// A bitmap read from a PNG file: drawn, sized and shared as every bitmap is, blending over
// the target where the image is transparent.
class TPngImage : public TBitmap {
public:
    // cppcheck-suppress duplInheritedMember ; every kind has a class of its own; ClassType() tells
    static const TGraphicClass Class;
    TPngImage() = default;

    const TGraphicClass& ClassType() const override { return Class; }
    // Transparent exactly when the image has an alpha channel, whatever the control says.
    bool KeepsOwnTransparency() const override { return true; }
    // A PNG image keeps its size; changing it fails with EInvalidGraphicOperation.
    void SetWidth(int width) override;
    void SetHeight(int height) override;
    void ReadFrom(TStream& stream) override;
    void Assign(const TGraphic& source) override;
};

// Adds "png" to the picture file formats (once, however often it is called).
void RegisterPngFormat();
void UnregisterPngFormat();
