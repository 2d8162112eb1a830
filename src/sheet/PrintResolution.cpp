#include "sheet/PrintResolution.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "picture/Picture.h"

namespace {
constexpr double TenthsPerInch = 254.0;

// Pixels per inch across a printed length; 0 when there is no length.
double Dpi(double pixels, double tenths) {
    return tenths > 0 ? pixels * TenthsPerInch / tenths : 0;
}

// A picture of the given size whose printed pixels cover the printed size (in tenths of
// a millimetre).
TPrintResolution Describe(std::string_view path, TPixelMeaning meaning, QSize size, QSizeF pixels,
                          QSizeF printed) {
    TPrintResolution result;
    result.Text = std::filesystem::path(path).filename().string();
    if (meaning == TPixelMeaning::Vector) {
        result.Text += " – " + Msg::VectorGraphic.Text();
        return result;
    }
    if (meaning == TPixelMeaning::None || size.width() <= 0 || size.height() <= 0)
        return result;
    result.Text += " – " + Format(Msg::PixelSize, size.width(), size.height());
    if (meaning != TPixelMeaning::Stretched || printed.width() <= 0 || printed.height() <= 0)
        return result;
    // A picture stretched unevenly is only as sharp as its coarser direction.
    const long dpi = std::lround(
        std::min(Dpi(pixels.width(), printed.width()), Dpi(pixels.height(), printed.height())));
    result.Text += ", " + std::to_string(dpi) + " dpi";
    result.Low = dpi < LowResolutionDpi;
    if (result.Low)
        result.Text += Msg::LowResolution.Text();
    return result;
}
} // namespace

TPrintResolution DescribePrintResolution(std::string_view path, TPixelMeaning meaning, int width,
                                         int height, const TRect& printed) {
    return Describe(path, meaning, QSize(width, height), QSizeF(width, height),
                    QSizeF(printed.Width(), printed.Height()));
}

std::optional<TPrintResolution> DescribePrintResolution(std::string_view path,
                                                        const TPicture& picture,
                                                        const TRect& printed,
                                                        const TPartPlacement& placement) {
    const TGraphic* content = picture.Content();
    if (!content)
        return std::nullopt;
    const QSize size(picture.Width(), picture.Height());
    // Only the window that prints counts, at the size it prints: the part's turn turns
    // the window with the picture.
    const TPlaced placed = PlacePicture(
        QRectF(printed.Left, printed.Top, printed.Width(), printed.Height()), size, placement);
    return Describe(path, content->PixelMeaning(), size, placed.Source.size(),
                    placed.Target.size());
}
