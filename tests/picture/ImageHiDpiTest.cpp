// The picture control and the picture dialog's preview on a high-density screen, two
// device pixels to each pixel of layout: they show a picture's own pixels where the screen
// has room for them, not a rendering at layout size scaled up.
#include <QApplication>
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "picture/Image.h"
#include "picture/OpenPictureDialog.h"

namespace {
// How many pixels of the grabbed widget differ from the checker it should show.
int WrongPixels(const QPixmap& shot) {
    const QImage shown = shot.toImage().convertToFormat(QImage::Format_RGB32);
    const QImage expected = CheckerImage(shown.size());
    int wrong = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            wrong += (shown.pixel(x, y) & 0xFFFFFF) != (expected.pixel(x, y) & 0xFFFFFF);
    return wrong;
}
} // namespace

TEST(HighDensityScreen, PictureControlShowsEveryDevicePixelAtItsLayoutSize) {
    ASSERT_EQ(qApp->devicePixelRatio(), 2.0);
    TempDir dir;
    const std::string file = dir.File("karo.bmp");
    WriteFileBytes(file, Bmp24(CheckerImage({200, 120})));
    TImage image;
    image.SetStretch(true);
    image.resize(100, 60);
    image.Picture().LoadByExtension(file);
    image.show();
    QApplication::processEvents();
    const QPixmap shot = image.grab();
    EXPECT_EQ(image.size(), QSize(100, 60));
    EXPECT_EQ(shot.devicePixelRatio(), 2.0);
    EXPECT_EQ(shot.size(), QSize(200, 120));
    EXPECT_EQ(WrongPixels(shot), 0);
    EXPECT_EQ(image.RenderCount(), 1);
}

TEST(HighDensityScreen, DialogPreviewShowsEveryDevicePixel) {
    TempDir dir;
    TOpenPictureDialog dialog;
    dialog.PicturePanel->show();
    QApplication::processEvents();
    const QSize area = dialog.PaintBox->size();
    ASSERT_FALSE(area.isEmpty());
    // Twice the area in each direction fills it exactly, one picture pixel to each
    // device pixel.
    const std::string file = dir.File("karo.bmp");
    WriteFileBytes(file, Bmp24(CheckerImage(area * 2)));
    dialog.PreviewPicture().LoadByExtension(file);
    const QPixmap shot = dialog.PaintBox->grab();
    EXPECT_EQ(shot.size(), area * 2);
    EXPECT_EQ(WrongPixels(shot), 0);
}
