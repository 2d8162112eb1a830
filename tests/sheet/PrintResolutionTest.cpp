// The resolution of a picture printed at its part's real size, and how it is named.
#include <gtest/gtest.h>

#include "picture/Picture.h"
#include "sheet/PrintResolution.h"

namespace {
// The printed parts in tenths of a millimetre: 120 × 120 mm and 151 × 118 mm.
constexpr TRect CoverPart = {100, 500, 1300, 1700};
constexpr TRect BackPart = {1330, 520, 2840, 1700};
} // namespace

TEST(PrintResolution, NamesFilePixelsAndDpiAndMarksLowResolution) {
    struct Case {
        const char* Path;
        TPixelMeaning Meaning;
        int Width;
        int Height;
        TRect Printed;
        const char* Text;
        bool Low;
    };
    const Case cases[] = {
        {"/home/anna/cover.jpg", TPixelMeaning::Stretched, 1417, 1417, CoverPart,
         "cover.jpg – 1417 × 1417 Pixel, 300 dpi", false},
        {"/home/anna/back.jpg", TPixelMeaning::Stretched, 600, 400, BackPart,
         "back.jpg – 600 × 400 Pixel, 86 dpi, geringe Auflösung", true},
        // 150.07 and 149.86 dpi both read 150 and are not low; 149.43 is.
        {"grenze.bmp", TPixelMeaning::Stretched, 709, 709, CoverPart,
         "grenze.bmp – 709 × 709 Pixel, 150 dpi", false},
        {"knapp.bmp", TPixelMeaning::Stretched, 708, 708, CoverPart,
         "knapp.bmp – 708 × 708 Pixel, 150 dpi", false},
        {"darunter.bmp", TPixelMeaning::Stretched, 706, 706, CoverPart,
         "darunter.bmp – 706 × 706 Pixel, 149 dpi, geringe Auflösung", true},
        // Stretched unevenly: 423 dpi across, 127 down.
        {"/tmp/breit.png", TPixelMeaning::Stretched, 2000, 600, CoverPart,
         "breit.png – 2000 × 600 Pixel, 127 dpi, geringe Auflösung", true},
        {"/tmp/hoch.png", TPixelMeaning::Stretched, 1800, 4000, BackPart,
         "hoch.png – 1800 × 4000 Pixel, 303 dpi", false},
        {"/daten/symbol.ico", TPixelMeaning::OwnSize, 32, 32, CoverPart,
         "symbol.ico – 32 × 32 Pixel", false},
        {"/daten/logo.emf", TPixelMeaning::None, 480, 320, BackPart, "logo.emf", false},
        {"/daten/logo.svg", TPixelMeaning::Vector, 120, 60, BackPart, "logo.svg – Vektorgrafik",
         false},
        {"/daten/leer.bmp", TPixelMeaning::Stretched, 0, 0, CoverPart, "leer.bmp", false},
        {"/daten/mit leerzeichen/ä.jpeg", TPixelMeaning::Stretched, 3000, 2400, BackPart,
         "ä.jpeg – 3000 × 2400 Pixel, 505 dpi", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Path);
        const TPrintResolution result =
            DescribePrintResolution(c.Path, c.Meaning, c.Width, c.Height, c.Printed);
        EXPECT_EQ(result.Text, c.Text);
        EXPECT_EQ(result.Low, c.Low);
    }
}

TEST(PrintResolution, EmptyPictureHasNoDescription) {
    const TPicture picture;
    EXPECT_FALSE(DescribePrintResolution("/daten/cover.jpg", picture, CoverPart).has_value());
}
