// The picture kinds as a family: every kind (bitmap, JPEG, ...) derives from TGraphic,
// loads itself from a stream, reports its size and renders into a rectangle of a canvas.
#pragma once

#include <functional>
#include <memory>
#include <string>

class TCanvas;
class TGraphic;
class TStream;

// A rectangle as left, top, right and bottom edges (right and bottom exclusive).
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool operator==(const TRect&) const = default;
};

enum class TProgressStage { psStarting, psRunning, psEnding };

// What a kind's pixel size says about a drawing of it: raster pixels stretched over the
// rectangle, a raster drawn at its own size whatever the rectangle, nothing at all (a
// drawing whose size is only its frame's), or nothing but that the picture is a vector
// graphic, sharp at any size.
enum class TPixelMeaning { Stretched, OwnSize, None, Vector };

using TGraphicNotify = std::function<void(TGraphic& sender)>;
using TProgressEvent = std::function<void(TGraphic& sender, TProgressStage stage, int percentDone)>;

// A picture kind as a value: a name and the virtual constructor that makes an empty
// graphic of the kind. The registry holds these; the address is the kind's identity.
struct TGraphicClass {
    const char* Name;
    std::unique_ptr<TGraphic> (*Create)();
};

class TGraphic {
public:
    virtual ~TGraphic() = default;
    TGraphic(const TGraphic&) = delete;
    TGraphic& operator=(const TGraphic&) = delete;

    virtual const TGraphicClass& ClassType() const = 0;

    // Marks the graphic modified and tells the change target.
    void NotifyChange();

    virtual void Render(TCanvas& canvas, const TRect& rect) = 0;
    virtual bool IsEmpty() const = 0;
    virtual int PixelWidth() const = 0;
    virtual int PixelHeight() const = 0;
    virtual TPixelMeaning PixelMeaning() const { return TPixelMeaning::Stretched; }
    virtual bool HasPalette() const { return false; }
    bool Transparent() const { return Transparent_; }
    // Whether the kind keeps its own transparency flag (icons, metafiles) instead of taking
    // the one of the picture control that shows it.
    virtual bool KeepsOwnTransparency() const { return false; }
    virtual void SetWidth(int width) = 0;
    virtual void SetHeight(int height) = 0;
    virtual void SetTransparent(bool transparent);
    // A small copy of the picture that its file carries ready-made (a JPEG's Exif
    // thumbnail), shown the way the picture is shown; none when the kind or the file has
    // none. Each kind that stores such a copy offers it here.
    virtual std::unique_ptr<TGraphic> EmbeddedThumbnail() const { return nullptr; }

    // Opens the file for reading and calls ReadFrom from its start.
    virtual void ReadFile(const std::string& path);
    // Replaces the graphic with the picture in the stream's remaining bytes.
    virtual void ReadFrom(TStream& stream) = 0;
    // Takes over another graphic of the same kind, sharing its image data.
    virtual void Assign(const TGraphic& source) = 0;

    TGraphicNotify OnChange;
    TProgressEvent OnProgress;
    bool Modified = false;
    bool PaletteModified = false;

protected:
    TGraphic() = default;
    void Progress(TProgressStage stage, int percentDone);

    bool Transparent_ = false;
};
