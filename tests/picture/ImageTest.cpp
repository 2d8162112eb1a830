// The picture control on the offscreen platform: where it draws its picture, when it counts
// as opaque, that it renders once per size and content, and that a failing paint is shown
// as an error instead of escaping.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include "PictureTestSupport.h"
#include "TestSupport.h"
#include "picture/Bitmap.h"
#include "picture/Canvas.h"
#include "picture/Image.h"
#include "toolkit/Application.h"
#include "toolkit/Errors.h"
#include "toolkit/Modal.h"

namespace {

const QRgb Page = qRgb(255, 255, 0);
const QRgb Red = qRgb(255, 0, 0);
const QRgb Green = qRgb(0, 255, 0);
const QRgb Blue = qRgb(0, 0, 255);
const QRgb White = qRgb(255, 255, 255);

// A bitmap of 2 × 2 blocks (red, green / blue, white), each block × block pixels.
std::unique_ptr<TBitmap> MakeBitmap(int block = 1) {
    QImage image(2 * block, 2 * block, QImage::Format_BGR888);
    const QRgb colours[] = {Red, Green, Blue, White};
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, colours[(y / block) * 2 + x / block]);
    return BitmapOf(image);
}

std::unique_ptr<TBitmap> MakeSizedBitmap(int width, int height) {
    QImage image(width, height, QImage::Format_BGR888);
    image.fill(Red);
    return BitmapOf(image);
}

// A kind that fails its first drawing and fills its rectangle blue afterwards, as a picture
// whose decoding fails at first drawing and then draws what it got.
class TFailOnceGraphic : public TFailingGraphic {
public:
    static const TGraphicClass Class;
    TFailOnceGraphic() : TFailingGraphic("Erstes Zeichnen gescheitert", 4, 4) {}
    const TGraphicClass& ClassType() const override { return Class; }
    void Render(TCanvas& canvas, const TRect& rect) override {
        if (!FailedOnce) {
            FailedOnce = true;
            throw EInvalidGraphic("Erstes Zeichnen gescheitert");
        }
        canvas.Painter().fillRect(rect.Left, rect.Top, rect.Width(), rect.Height(), QColor(Blue));
    }

private:
    bool FailedOnce = false;
};

const TGraphicClass TFailOnceGraphic::Class = {"TFailOnceGraphic", [] {
                                                   return std::unique_ptr<TGraphic>(
                                                       new TFailOnceGraphic);
                                               }};

template <class Condition> bool ProcessEventsUntil(Condition&& done, int milliseconds = 2000) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// A yellow page holding one picture control at (10, 10), 40 × 30, stretched as on the
// main window.
struct PageWithImage : testing::Test {
    QWidget Parent;
    TImage* Image;

    PageWithImage() {
        Parent.resize(100, 80);
        QPalette palette = Parent.palette();
        palette.setColor(QPalette::Window, QColor(Page));
        Parent.setPalette(palette);
        Parent.setAutoFillBackground(true);
        Image = new TImage(&Parent);
        Image->setGeometry(10, 10, 40, 30);
        Image->SetStretch(true);
    }

    // The page as the screen shows it, after every pending repaint.
    QImage OnScreen() {
        if (!Parent.isVisible()) {
            Parent.show();
            EXPECT_TRUE(ProcessEventsUntil([&] { return Parent.windowHandle()->isExposed(); }));
        }
        QCoreApplication::processEvents();
        return Parent.screen()->grabWindow(Parent.winId()).toImage();
    }

    // Red, green, blue and white in the control's four corners.
    static void ExpectCornersFilled(const QImage& page) {
        EXPECT_EQ(page.pixel(10, 10), Red);
        EXPECT_EQ(page.pixel(49, 10), Green);
        EXPECT_EQ(page.pixel(10, 39), Blue);
        EXPECT_EQ(page.pixel(49, 39), White);
        EXPECT_EQ(page.pixel(9, 9), Page);
        EXPECT_EQ(page.pixel(50, 40), Page);
    }

    static void ExpectPageOnly(const QImage& page) {
        QImage expected(page.size(), QImage::Format_RGB32);
        expected.fill(Page);
        EXPECT_EQ(CompareImages(page, expected), "");
    }
};

} // namespace

TEST_F(PageWithImage, StretchFillsTheWholeControl) {
    Image->Picture().CopyFrom(MakeBitmap().get());
    ExpectCornersFilled(Parent.grab().toImage());
    ExpectCornersFilled(OnScreen());
}

TEST_F(PageWithImage, EmptyPictureShowsThePage) {
    ExpectPageOnly(Parent.grab().toImage());
    ExpectPageOnly(OnScreen());
}

TEST_F(PageWithImage, EmptyingTheControlRemovesThePictureFromScreen) {
    Image->Picture().CopyFrom(MakeBitmap().get());
    ExpectCornersFilled(OnScreen());
    TPicture never;
    Image->SetPicture(never);
    ExpectPageOnly(OnScreen());
}

TEST_F(PageWithImage, FailedLoadLeavesThePreviousPictureOnScreen) {
    TempDir dir;
    WriteFileBytes(dir.File("kaputt.bmp"), std::vector<uint8_t>(20, 'x'));
    Image->Picture().CopyFrom(MakeBitmap().get());
    ExpectCornersFilled(OnScreen());
    const int renders = Image->RenderCount();
    EXPECT_THROW(Image->Picture().LoadByExtension(dir.File("kaputt.bmp")), EInvalidGraphic);
    WriteFileBytes(dir.File("leer.bmp"), {});
    EXPECT_THROW(Image->Picture().LoadByExtension(dir.File("leer.bmp")), EInvalidGraphic);
    EXPECT_THROW(Image->Picture().LoadByExtension(dir.File("fehlt.bmp")), EFOpenError);
    ExpectCornersFilled(OnScreen());
    EXPECT_EQ(Image->RenderCount(), renders);
}

TEST_F(PageWithImage, TargetRectFollowsStretchAndCenter) {
    Image->Picture().CopyFrom(MakeSizedBitmap(10, 6).get());
    EXPECT_EQ(Image->TargetRect(), (TRect{0, 0, 40, 30}));
    Image->SetCenter(true);
    EXPECT_EQ(Image->TargetRect(), (TRect{0, 0, 40, 30}));
    Image->SetStretch(false);
    EXPECT_EQ(Image->TargetRect(), (TRect{15, 12, 25, 18}));
    Image->resize(41, 31);
    EXPECT_EQ(Image->TargetRect(), (TRect{15, 12, 25, 18}));
    // Offsets round toward zero when the picture is larger than the control.
    Image->Picture().CopyFrom(MakeSizedBitmap(46, 35).get());
    EXPECT_EQ(Image->TargetRect(), (TRect{-2, -2, 44, 33}));
    Image->SetCenter(false);
    EXPECT_EQ(Image->TargetRect(), (TRect{0, 0, 46, 35}));
    Image->Picture().CopyFrom(static_cast<TGraphic*>(nullptr));
    EXPECT_EQ(Image->TargetRect(), (TRect{0, 0, 0, 0}));
}

TEST_F(PageWithImage, CenteredPictureKeepsItsSize) {
    Image->SetStretch(false);
    Image->SetCenter(true);
    Image->Picture().CopyFrom(MakeBitmap(5).get());
    const QImage page = Parent.grab().toImage();
    EXPECT_EQ(page.pixel(25, 20), Red);
    EXPECT_EQ(page.pixel(34, 29), White);
    EXPECT_EQ(page.pixel(24, 19), Page);
    EXPECT_EQ(page.pixel(35, 30), Page);
}

TEST_F(PageWithImage, SetPictureCopiesInsteadOfSharingThePicture) {
    TPicture source;
    source.CopyFrom(MakeBitmap().get());
    Image->SetPicture(source);
    auto* shown = dynamic_cast<TBitmap*>(Image->Picture().Content());
    ASSERT_NE(shown, nullptr);
    EXPECT_NE(&Image->Picture(), &source);
    EXPECT_NE(shown, source.Content());
    EXPECT_EQ(shown->SharedImage(), static_cast<TBitmap*>(source.Content())->SharedImage());
    source.CopyFrom(static_cast<TGraphic*>(nullptr));
    EXPECT_EQ(Image->Picture().Content(), shown);
    ExpectCornersFilled(Parent.grab().toImage());
}

TEST_F(PageWithImage, OpaqueOnlyWhenThePictureCoversTheControl) {
    EXPECT_FALSE(Image->Opaque());
    Image->Picture().CopyFrom(MakeSizedBitmap(10, 6).get());
    EXPECT_TRUE(Image->Opaque());
    EXPECT_FALSE(Image->Picture().Content()->Transparent());

    Image->SetStretch(false);
    EXPECT_FALSE(Image->Opaque());
    Image->Picture().CopyFrom(MakeSizedBitmap(40, 30).get());
    EXPECT_TRUE(Image->Opaque());

    // A bitmap takes the control's transparency and is then no longer opaque.
    Image->SetTransparent(true);
    EXPECT_TRUE(Image->Picture().Content()->Transparent());
    EXPECT_FALSE(Image->Opaque());
    Image->SetTransparent(false);
    EXPECT_TRUE(Image->Opaque());

    Image->Picture().CopyFrom(static_cast<TGraphic*>(nullptr));
    EXPECT_FALSE(Image->Opaque());
}

TEST_F(PageWithImage, AutoSizeTakesThePictureSize) {
    Image->SetStretch(false);
    Image->SetAutoSize(true);
    Image->Picture().CopyFrom(MakeSizedBitmap(17, 9).get());
    EXPECT_EQ(Image->size(), QSize(17, 9));
    Image->Picture().CopyFrom(static_cast<TGraphic*>(nullptr));
    EXPECT_EQ(Image->size(), QSize(17, 9));
}

TEST_F(PageWithImage, RendersOncePerSizeAndContent) {
    Image->Picture().CopyFrom(MakeBitmap().get());
    EXPECT_EQ(Image->RenderCount(), 0);
    Image->grab();
    EXPECT_EQ(Image->RenderCount(), 1);
    Image->grab();
    ExpectCornersFilled(Parent.grab().toImage());
    EXPECT_EQ(Image->RenderCount(), 1);

    Image->resize(50, 30);
    Image->grab();
    EXPECT_EQ(Image->RenderCount(), 2);
    EXPECT_EQ(Parent.grab().toImage().pixel(59, 10), Green);
    EXPECT_EQ(Image->RenderCount(), 2);

    Image->Picture().CopyFrom(MakeBitmap(3).get());
    Image->grab();
    EXPECT_EQ(Image->RenderCount(), 3);

    // On screen as well: repainting an unchanged control reuses what was rendered.
    OnScreen();
    const int shown = Image->RenderCount();
    Image->repaint();
    Parent.repaint();
    EXPECT_EQ(Image->RenderCount(), shown);
}

TEST_F(PageWithImage, FailingPaintIsShownAsAnError) {
    TApplication::SetTitle("Vellacour");
    std::vector<std::tuple<QString, QString, QMessageBox::Icon>> boxes;
    SetModalHandler([&](QDialog& dialog) {
        auto* box = qobject_cast<QMessageBox*>(&dialog);
        if (box)
            boxes.emplace_back(box->windowTitle(), box->text(), box->icon());
        return static_cast<int>(QMessageBox::Ok);
    });
    TFailingGraphic failing("Zeichnen gescheitert", 4, 4);
    Image->Picture().CopyFrom(&failing);
    EXPECT_NO_THROW(Image->grab());
    EXPECT_EQ(Image->RenderCount(), 0);
    EXPECT_TRUE(ProcessEventsUntil([&] { return !boxes.empty(); }));
    SetModalHandler({});
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(std::get<0>(boxes[0]), "Vellacour");
    EXPECT_EQ(std::get<1>(boxes[0]), "Zeichnen gescheitert.");
    EXPECT_EQ(std::get<2>(boxes[0]), QMessageBox::Critical);
}

// Collects the error boxes the control's paint failures end in.
struct PageWithErrors : PageWithImage {
    std::vector<QString> Boxes;
    PageWithErrors() {
        TApplication::SetTitle("Vellacour");
        SetModalHandler([this](QDialog& dialog) {
            if (auto* box = qobject_cast<QMessageBox*>(&dialog))
                Boxes.push_back(box->text());
            return static_cast<int>(QMessageBox::Ok);
        });
    }
    ~PageWithErrors() override { SetModalHandler({}); }
};

TEST_F(PageWithErrors, PictureFailingItsFirstDrawingReplacesThePreviousOneOnScreen) {
    Image->Picture().CopyFrom(MakeBitmap().get());
    ExpectCornersFilled(OnScreen());
    TFailOnceGraphic graphic;
    Image->Picture().CopyFrom(&graphic);
    EXPECT_TRUE(ProcessEventsUntil([&] { return !Boxes.empty(); }));
    const QImage page = OnScreen();
    for (const QPoint corner : {QPoint(10, 10), QPoint(49, 10), QPoint(10, 39), QPoint(49, 39)})
        EXPECT_EQ(page.pixel(corner), Blue) << corner.x() << "," << corner.y();
    EXPECT_EQ(page.pixel(9, 9), Page);
    EXPECT_EQ(Boxes, std::vector<QString>{"Erstes Zeichnen gescheitert."});
}

TEST_F(PageWithErrors, PictureThatNeverDrawsShowsThePageWithoutEndlessErrors) {
    Image->Picture().CopyFrom(MakeBitmap().get());
    ExpectCornersFilled(OnScreen());
    TFailingGraphic graphic("Zeichnen gescheitert", 4, 4);
    Image->Picture().CopyFrom(&graphic);
    ProcessEventsUntil([&] { return Boxes.size() > 2; }, 500);
    ExpectPageOnly(OnScreen());
    EXPECT_GE(Boxes.size(), 1u);
    EXPECT_LE(Boxes.size(), 2u);
}
