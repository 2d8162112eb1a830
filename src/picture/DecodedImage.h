// The kinds decoded by the helper program: WebP, TIFF, GIF, HEIF and AVIF as pixels, SVG as
// a vector drawing played back at print time. Each kind names itself in its messages.
#pragma once

#include <QByteArray>
#include <QPicture>
#include <QSize>
#include <memory>

#include "picture/Bitmap.h"
#include "picture/Graphic.h"
#include "toolkit/Translation.h"

namespace Msg {
inline constexpr TMsg WebPDescription{QT_TRANSLATE_NOOP("Msg", "WebP Bilddatei")};
inline constexpr TMsg TiffDescription{QT_TRANSLATE_NOOP("Msg", "TIFF Bilddatei")};
inline constexpr TMsg GifDescription{QT_TRANSLATE_NOOP("Msg", "GIF Bilddatei")};
inline constexpr TMsg SvgDescription{QT_TRANSLATE_NOOP("Msg", "SVG Vektorgrafik")};
inline constexpr TMsg HeifDescription{QT_TRANSLATE_NOOP("Msg", "HEIF Bilddatei")};
inline constexpr TMsg AvifDescription{QT_TRANSLATE_NOOP("Msg", "AVIF Bilddatei")};
inline constexpr TMsg DecodedSizeChange{
    QT_TRANSLATE_NOOP("Msg", "Die Größe eines %s-Bildes kann nicht verändert werden")};
} // namespace Msg

// A kind the helper decodes: its name in messages, the helper's word for it and its class.
struct TDecodedKind {
    const char* Name;   // "WebP"
    const char* Helper; // "webp"
    TGraphicClass Class;
};

// Pixels decoded by the helper, drawn, sized and shared as every bitmap is, blending over
// the target where the image is transparent.
class TDecodedImage : public TBitmap {
public:
    explicit TDecodedImage(const TDecodedKind& kind) : Kind_(&kind) {}

    const TGraphicClass& ClassType() const override { return Kind_->Class; }
    bool KeepsOwnTransparency() const override { return true; }
    // The size is the file's; changing it fails with EInvalidGraphicOperation.
    void SetWidth(int width) override;
    void SetHeight(int height) override;
    void ReadFrom(TStream& stream) override;
    void Assign(const TGraphic& source) override;

private:
    const TDecodedKind* Kind_;
};

// A vector drawing recorded by the helper, with the natural size of its document.
struct TSvgDrawing {
    QPicture Picture;
    QSize Size;
};

// An SVG document: played back into the rectangle it is drawn in, so it stays vector on
// the printer and in PDF.
class TSvgImage : public TGraphic {
public:
    // cppcheck-suppress duplInheritedMember ; every kind has a class of its own; ClassType() tells
    static const TGraphicClass Class;
    TSvgImage() = default;

    const TGraphicClass& ClassType() const override { return Class; }
    void Render(TCanvas& canvas, const TRect& rect) override;
    bool IsEmpty() const override { return !Drawing_; }
    int PixelWidth() const override;
    int PixelHeight() const override;
    TPixelMeaning PixelMeaning() const override { return TPixelMeaning::Vector; }
    bool KeepsOwnTransparency() const override { return true; }
    void SetWidth(int width) override;
    void SetHeight(int height) override;
    void ReadFrom(TStream& stream) override;
    void Assign(const TGraphic& source) override;

private:
    std::shared_ptr<const TSvgDrawing> Drawing_;
};

extern const TDecodedKind WebPKind;
extern const TDecodedKind TiffKind;
extern const TDecodedKind GifKind;
extern const TDecodedKind HeifKind;
extern const TDecodedKind AvifKind;

// Adds webp, tif, tiff, gif, svg, heic, heif and avif to the picture file formats (once,
// however often it is called).
void RegisterDecodedFormats();
void UnregisterDecodedFormats();
