// The main window on a high-density screen, two device pixels to each pixel of layout:
// every size of the layout stays, while the front cover and the icons are drawn in device
// pixels.
#include <QApplication>
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "TestSupport.h"
#include "app/Icons.h"
#include "app/InfoForm.h"
#include "app/MainForm.h"
#include "print/Printer.h"
#include "toolkit/Application.h"

namespace {
// Whether the image has detail finer than a pixel of layout: some aligned 2 × 2 block of
// device pixels that is not one colour. A drawing made at layout size and scaled up has
// none.
bool HasDevicePixelDetail(const QImage& image) {
    for (int y = 0; y + 1 < image.height(); y += 2)
        for (int x = 0; x + 1 < image.width(); x += 2) {
            const QRgb corner = image.pixel(x, y);
            if (image.pixel(x + 1, y) != corner || image.pixel(x, y + 1) != corner ||
                image.pixel(x + 1, y + 1) != corner)
                return true;
        }
    return false;
}

class HighDensityScreen : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(qApp->devicePixelRatio(), 2.0);
        TApplication::SetTitle("Vellacour");
        Form = std::make_unique<TfrmMain>(Printer());
        Form->show();
        QApplication::processEvents();
    }
    std::unique_ptr<TfrmMain> Form;
};
} // namespace

TEST_F(HighDensityScreen, LayoutKeepsItsSizes) {
    EXPECT_EQ(Form->centralWidget()->size(), QSize(578, 433));
    EXPECT_EQ(Form->pnlPage->geometry(), QRect(32, 32, 513, 345));
    EXPECT_EQ(Form->Cover->geometry(), QRect(32, 72, 200, 200));
    EXPECT_EQ(Form->Back->geometry(), QRect(240, 80, 241, 192));
    EXPECT_EQ(Form->btnNew->size(), QSize(23, 22));
    EXPECT_EQ(Form->btnNew->iconSize(), QSize(16, 16));
}

TEST_F(HighDensityScreen, IconsAreDrawnInDevicePixels) {
    struct Case {
        const char* What;
        QIcon Icon;
        int Size;
    };
    std::vector<Case> cases;
    for (int i = 0; i < Form->ImageList.size(); ++i)
        cases.push_back({"tool bar image", Form->ImageList[i], 16});
    cases.push_back({"application icon", Form->windowIcon(), 32});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        const QPixmap pixmap = c.Icon.pixmap(QSize(c.Size, c.Size), 2.0);
        EXPECT_EQ(pixmap.size(), QSize(2 * c.Size, 2 * c.Size));
        EXPECT_EQ(pixmap.devicePixelRatio(), 2.0);
        EXPECT_TRUE(HasDevicePixelDetail(pixmap.toImage()));
    }
    // And so the tool bar shows them.
    const QImage button = Form->btnPrint->grab().toImage();
    EXPECT_EQ(button.size(), QSize(46, 44));
    EXPECT_TRUE(HasDevicePixelDetail(button));
}

TEST_F(HighDensityScreen, CoverShowsThePicturesDevicePixels) {
    TempDir dir;
    const std::string file = dir.File("karo.bmp");
    WriteFileBytes(file, Bmp24(CheckerImage({400, 400})));
    Form->Cover->Picture().LoadByExtension(file);
    const QImage shown = Form->Cover->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), QSize(400, 400));
    EXPECT_EQ(shown, CheckerImage({400, 400}));
}

TEST_F(HighDensityScreen, InfoWindowShowsTheWholeCopyrightLine) {
    TfrmInfo info;
    info.show();
    ExpectCopyrightLineWhole(info);
}
