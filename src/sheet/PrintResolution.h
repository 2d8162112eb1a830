// What a picture is made of, measured against the part it is printed on: its file name,
// its size in pixels and the resolution those pixels give at the part's real size, with a
// note when that is too low to print well.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "picture/Graphic.h"
#include "picture/Placement.h"
#include "toolkit/Translation.h"

class TPicture;

namespace Msg {
inline constexpr TMsg PixelSize{QT_TRANSLATE_NOOP("Msg", "%d × %d Pixel")};
inline constexpr TMsg LowResolution{QT_TRANSLATE_NOOP("Msg", ", geringe Auflösung")};
inline constexpr TMsg VectorGraphic{QT_TRANSLATE_NOOP("Msg", "Vektorgrafik")};
} // namespace Msg

// Below this a printed picture shows its pixels.
inline constexpr int LowResolutionDpi = 150;

struct TPrintResolution {
    // "cover.jpg – 1417 × 1417 Pixel, 300 dpi", with ", geringe Auflösung" when low.
    std::string Text;
    bool Low = false;
};

// The description of a picture file of the given pixel size and kind printed into the
// rectangle (tenths of a millimetre). Only stretched rasters have a resolution; a raster
// drawn at its own size is named with its size, a vector graphic as one ("logo.svg –
// Vektorgrafik"), a metafile by its name alone, and so is a picture without pixels.
TPrintResolution DescribePrintResolution(std::string_view path, TPixelMeaning meaning, int width,
                                         int height, const TRect& printed);

// The same for what the picture holds placed into the rectangle: only the pixels that
// print count. None when it holds nothing.
std::optional<TPrintResolution> DescribePrintResolution(std::string_view path,
                                                        const TPicture& picture,
                                                        const TRect& printed,
                                                        const TPartPlacement& placement = {});
