#include "sheet/PrintResolution.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "picture/Picture.h"

namespace {
constexpr double TenthsPerInch = 254.0;

// Pixels per inch across a printed length; 0 when there is no length.
double Dpi(int pixels, int tenths) {
    return tenths > 0 ? pixels * TenthsPerInch / tenths : 0;
}
} // namespace

TPrintResolution DescribePrintResolution(std::string_view path, TPixelMeaning meaning, int width,
                                         int height, const TRect& printed) {
    TPrintResolution result;
    result.Text = std::filesystem::path(path).filename().string();
    if (meaning == TPixelMeaning::None || width <= 0 || height <= 0)
        return result;
    result.Text += " – " + std::to_string(width) + " × " + std::to_string(height) + " Pixel";
    if (meaning != TPixelMeaning::Stretched || printed.Width() <= 0 || printed.Height() <= 0)
        return result;
    // A picture stretched unevenly is only as sharp as its coarser direction.
    const long dpi =
        std::lround(std::min(Dpi(width, printed.Width()), Dpi(height, printed.Height())));
    result.Text += ", " + std::to_string(dpi) + " dpi";
    result.Low = dpi < LowResolutionDpi;
    if (result.Low)
        result.Text += Msg::LowResolution;
    return result;
}

std::optional<TPrintResolution>
DescribePrintResolution(std::string_view path, const TPicture& picture, const TRect& printed) {
    const TGraphic* content = picture.Content();
    if (!content)
        return std::nullopt;
    return DescribePrintResolution(path, content->PixelMeaning(), picture.Width(), picture.Height(),
                                   printed);
}
