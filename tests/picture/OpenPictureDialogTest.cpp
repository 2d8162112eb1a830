#include <QApplication>
#include <QBuffer>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QScreen>
#include <QToolButton>
#include <gtest/gtest.h>

#include "PictureTestSupport.h"
#include "TestSupport.h"
#include "picture/Image.h"
#include "picture/Jpeg.h"
#include "picture/OpenPictureDialog.h"
#include "toolkit/Errors.h"
#include "toolkit/Modal.h"

namespace {

const char* const PictureFilter =
    "Alle Dateien (*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf)|*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf|"
    "JPEG Bilddatei (*.jpg)|*.jpg|JPEG Bilddatei (*.jpeg)|*.jpeg|Bitmaps (*.bmp)|*.bmp|"
    "Symbole (*.ico)|*.ico|Erweiterte Metadateien (*.emf)|*.emf|Metadateien (*.wmf)|*.wmf";

const QRgb Red = qRgb(255, 0, 0);

// Answers every modal dialog with the given function for the lifetime of the object.
class ModalAnswer {
public:
    explicit ModalAnswer(TModalHandler handler) { SetModalHandler(std::move(handler)); }
    ~ModalAnswer() { SetModalHandler({}); }
};

QImage Render(QWidget* widget) {
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

bool Is(const QImage& image, int x, int y, QRgb color) {
    return (image.pixel(x, y) & 0xFFFFFF) == (color & 0xFFFFFF);
}

// The bounding box of the pixels that differ from the top-left pixel (the background).
QRect Drawn(const QImage& image) {
    QRect box;
    const QRgb background = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != background)
                box |= QRect(x, y, 1, 1);
    return box;
}

// Shows the real file dialog (offscreen) so the preview area has its real geometry, selects
// the file as the list view would report it, and leaves the dialog with the given result.
struct Selecting {
    TOpenPictureDialog& Dialog;
    std::function<void(QFileDialog&)> Check;

    int operator()(QDialog& modal) const {
        auto& fileDialog = dynamic_cast<QFileDialog&>(modal);
        fileDialog.show();
        QApplication::processEvents();
        Check(fileDialog);
        fileDialog.hide();
        return QDialog::Rejected;
    }
};

void Select(QFileDialog& dialog, const std::string& path) {
    emit dialog.currentChanged(QString::fromStdString(path));
}

} // namespace

TEST(OpenPictureDialog, PreviewAreaSitsRightOfQtsControlsAndGoesBackAfterwards) {
    TempDir dir;
    TOpenPictureDialog dialog;
    dialog.Filter = PictureFilter;
    dialog.InitialDir = dir.Path().string();
    bool checked = false;
    const auto check = [&](QFileDialog& fileDialog) {
        checked = true;
        EXPECT_EQ(fileDialog.nameFilters().size(), 7);
        EXPECT_EQ(fileDialog.selectedNameFilter(),
                  QString("Alle Dateien (*.jpg *.jpeg *.bmp *.ico *.emf *.wmf)"));
        ASSERT_EQ(dialog.PicturePanel->window(), &fileDialog);
        const QRect panel = dialog.PicturePanel->geometry();
        EXPECT_EQ(panel.width(), 169);
        QLayout* layout = fileDialog.layout();
        for (int i = 0; i < layout->count(); ++i) {
            const QWidget* control = layout->itemAt(i)->widget();
            if (control && control != dialog.PicturePanel) {
                EXPECT_LE(control->geometry().right(), panel.left())
                    << control->metaObject()->className();
            }
        }

        const QRect label = dialog.PictureLabel->geometry();
        const QRect frame = dialog.PaintPanel->geometry();
        EXPECT_EQ(label.topLeft(), QPoint(6, 6));
        EXPECT_EQ(label.height(), 23);
        EXPECT_EQ(frame.top(), 29);
        EXPECT_EQ(frame.x() + frame.width(), 169 - 6);
        EXPECT_EQ(dialog.PaintBox->geometry(),
                  frame.adjusted(2, 2, -2, -2).translated(-frame.topLeft()));
        EXPECT_EQ(dialog.PreviewButton->size(), QSize(23, 22));
        EXPECT_EQ(dialog.PreviewButton->x(), frame.x() + frame.width() - 23 - 2);
        EXPECT_EQ(dialog.PreviewButton->toolTip(), QString("Vorschau"));
        EXPECT_FALSE(dialog.PreviewButton->isEnabled());
        EXPECT_EQ(dialog.PictureLabel->text(), QString());

        const QRect screen = fileDialog.screen()->geometry();
        EXPECT_EQ(fileDialog.x(), screen.left() + (screen.width() - fileDialog.width()) / 2);
        EXPECT_EQ(fileDialog.y(), screen.top() + (screen.height() - fileDialog.height()) / 3);
    };
    ModalAnswer answer(Selecting{dialog, check});
    EXPECT_FALSE(dialog.Execute());
    EXPECT_TRUE(checked);
    // Qt's dialog is gone; the preview area lives on with the component.
    EXPECT_EQ(dialog.PicturePanel->parentWidget(), nullptr);
    EXPECT_EQ(dialog.PictureLabel->parentWidget(), dialog.PicturePanel);

    dialog.Options.insert(ofOldStyleDialog);
    checked = false;
    SetModalHandler([&](QDialog& modal) {
        checked = true;
        EXPECT_NE(dialog.PicturePanel->window(), &modal);
        return int(QDialog::Rejected);
    });
    dialog.Execute();
    EXPECT_TRUE(checked);
}

TEST(OpenPictureDialog, GlyphIsASixteenPixelPictureOnATransparentBackground) {
    const QImage glyph =
        PreviewGlyph().pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(glyph.size(), QSize(16, 16));
    EXPECT_EQ(qAlpha(glyph.pixel(0, 15)), 0);
    EXPECT_EQ(qAlpha(glyph.pixel(15, 0)), 0);
    EXPECT_EQ(glyph.pixel(3, 3), qRgb(255, 255, 255)); // the sheet
    EXPECT_EQ(glyph.pixel(1, 0), qRgb(0, 0, 0));       // its outline
    EXPECT_EQ(glyph.pixel(8, 7), qRgb(0, 255, 255));   // a highlight on the lens
    EXPECT_EQ(glyph.pixel(15, 15), qRgb(0, 0, 0));     // the handle's end
}

TEST(OpenPictureDialog, LargePictureIsScaledToTheAreaWidthFromTheTopLeft) {
    TempDir dir;
    const std::string file = dir.File("gross.bmp");
    WriteFileBytes(file, Bmp24(SolidImage(640, 480, Red)));
    const std::string tall = dir.File("hoch.bmp");
    WriteFileBytes(tall, Bmp24(SolidImage(60, 1000, Red)));
    const std::string square = dir.File("quadrat.bmp");
    WriteFileBytes(square, Bmp24(SolidImage(500, 500, Red)));
    TOpenPictureDialog dialog;
    int events = 0;
    dialog.OnSelectionChange = [&] {
        ++events;
    };
    const auto check = [&](QFileDialog& fileDialog) {
        Select(fileDialog, file);
        EXPECT_EQ(dialog.PictureLabel->text(), QString(" (640x480)"));
        EXPECT_TRUE(dialog.PreviewButton->isEnabled());
        const QImage shown = Render(dialog.PaintBox);
        const int w = shown.width();
        const int bottom = int(std::lround(480.0 * w / 640));
        ASSERT_LT(w, 640);
        ASSERT_LT(bottom, shown.height());
        EXPECT_TRUE(Is(shown, 0, 0, Red));
        EXPECT_TRUE(Is(shown, w - 1, bottom - 1, Red));
        EXPECT_FALSE(Is(shown, w - 1, bottom, Red));
        EXPECT_EQ(Drawn(shown.copy(0, bottom, w, shown.height() - bottom)), QRect());

        // Higher than wide: the full height, and the width in proportion.
        Select(fileDialog, tall);
        const QImage high = Render(dialog.PaintBox);
        const int right = int(std::lround(60.0 * high.height() / 1000));
        EXPECT_TRUE(Is(high, right - 1, high.height() - 1, Red));
        EXPECT_FALSE(Is(high, right, 0, Red));
        EXPECT_EQ(Drawn(high.copy(right, 0, high.width() - right, high.height())), QRect());

        // Square: the area's shorter side decides, so nothing is cut off.
        Select(fileDialog, square);
        const QImage quad = Render(dialog.PaintBox);
        const int side = std::min(quad.width(), quad.height());
        ASSERT_NE(quad.width(), quad.height());
        EXPECT_TRUE(Is(quad, side - 1, side - 1, Red));
        EXPECT_FALSE(
            Is(quad, quad.width() > side ? side : 0, quad.height() > side ? side : 0, Red));
    };
    ModalAnswer answer(Selecting{dialog, check});
    dialog.Execute();
    EXPECT_EQ(events, 3);
}

TEST(OpenPictureDialog, SmallPictureIsDrawnUnscaledInTheCentre) {
    TempDir dir;
    const std::string file = dir.File("klein.BMP");
    WriteFileBytes(file, Bmp24(SolidImage(100, 80, Red)));
    TOpenPictureDialog dialog;
    const auto check = [&](QFileDialog& fileDialog) {
        Select(fileDialog, file);
        EXPECT_EQ(dialog.PictureLabel->text(), QString(" (100x80)"));
        const QImage shown = Render(dialog.PaintBox);
        const QRect expected((shown.width() - 100) / 2, (shown.height() - 80) / 2, 100, 80);
        EXPECT_EQ(Drawn(shown), expected);
        EXPECT_TRUE(Is(shown, expected.left(), expected.top(), Red));
        EXPECT_TRUE(Is(shown, expected.right(), expected.bottom(), Red));
    };
    ModalAnswer answer(Selecting{dialog, check});
    dialog.Execute();
}

TEST(OpenPictureDialog, WhatIsNoPictureShowsGrafikAndLeerWithoutAnyMessage) {
    TempDir dir;
    const std::string good = dir.File("gut.bmp");
    WriteFileBytes(good, Bmp24(SolidImage(20, 10, Red)));
    const std::string gif = dir.File("bild.gif");
    WriteFileBytes(gif, Bmp24(SolidImage(20, 10, Red)));
    const std::string damaged = dir.File("kaputt.bmp");
    WriteFileText(damaged, "XX kein Bitmap");
    const std::string truncated = dir.File("kurz.bmp");
    WriteFileBytes(truncated, {'B', 'M', 0, 0});
    const std::string empty = dir.File("leer.bmp");
    WriteFileBytes(empty, {});
    fs::create_directory(dir.File("ordner.bmp"));

    TOpenPictureDialog dialog;
    int boxes = 0;
    std::vector<std::string> failures;
    const Selecting selecting{
        dialog, [&](QFileDialog& fileDialog) {
            for (const std::string& path :
                 {dir.File("ordner.bmp"), gif, damaged, truncated, empty, dir.File("fehlt.bmp")}) {
                Select(fileDialog, good);
                ASSERT_EQ(dialog.PictureLabel->text(), QString(" (20x10)"));
                Select(fileDialog, path);
                QApplication::processEvents();
                const QImage shown = Render(dialog.PaintBox);
                const QFontMetrics metrics(dialog.PaintBox->font());
                const int textWidth = metrics.horizontalAdvance("(Leer)");
                const QRect text((shown.width() - textWidth) / 2,
                                 (shown.height() - metrics.height()) / 2, textWidth,
                                 metrics.height());
                if (dialog.PictureLabel->text() != "Grafik:" || dialog.PreviewButton->isEnabled() ||
                    dialog.PreviewPicture().Content() || !text.contains(Drawn(shown)) ||
                    Drawn(shown).isEmpty())
                    failures.push_back(path);
            }
        }};
    ModalAnswer answer([&](QDialog& modal) {
        if (qobject_cast<QMessageBox*>(&modal)) {
            ++boxes;
            return int(QMessageBox::Ok);
        }
        return selecting(modal);
    });
    dialog.Execute();
    QApplication::processEvents();
    EXPECT_EQ(failures, std::vector<std::string>{});
    EXPECT_EQ(boxes, 0);
}

TEST(OpenPictureDialog, LargerPreviewShowsThePictureAtItsSizeInsideAFivePixelMargin) {
    TempDir dir;
    const std::string file = dir.File("mittel.bmp");
    WriteFileBytes(file, Bmp24(SolidImage(300, 200, Red)));
    TOpenPictureDialog dialog;
    int previews = 0;
    ModalAnswer answer([&](QDialog& modal) {
        if (auto* fileDialog = qobject_cast<QFileDialog*>(&modal)) {
            Select(*fileDialog, file);
            dialog.PreviewButton->click();
            return int(QDialog::Rejected);
        }
        ++previews;
        EXPECT_EQ(modal.windowTitle(), QString("Vorschau"));
        EXPECT_EQ(modal.windowType(), Qt::Tool);
        modal.show();
        QApplication::processEvents();
        auto* image = modal.findChild<TImage*>();
        auto* panel = modal.findChild<QFrame*>("Panel");
        EXPECT_TRUE(image && panel);
        if (!image || !panel)
            return int(QDialog::Rejected);
        EXPECT_EQ(image->size(), QSize(300, 200));
        EXPECT_EQ(image->geometry().topLeft(), panel->contentsRect().topLeft() + QPoint(5, 5));
        EXPECT_EQ(panel->contentsRect().size(), QSize(310, 210));
        EXPECT_EQ(panel->frameWidth(), 1);

        const QImage shown = Render(&modal);
        const QPoint inside = panel->geometry().topLeft() + panel->contentsRect().topLeft();
        const QRgb window = modal.palette().color(QPalette::Base).rgb();
        EXPECT_TRUE(Is(shown, inside.x(), inside.y(), window));
        EXPECT_TRUE(Is(shown, inside.x() + 4, inside.y() + 4, window));
        EXPECT_TRUE(Is(shown, inside.x() + 5, inside.y() + 5, Red));
        EXPECT_TRUE(Is(shown, inside.x() + 304, inside.y() + 204, Red));
        EXPECT_TRUE(Is(shown, inside.x() + 305, inside.y() + 205, window));

        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(image, &escape);
        EXPECT_FALSE(modal.isVisible());
        return modal.result();
    });
    dialog.Execute();
    EXPECT_EQ(previews, 1);
}

TEST(OpenPictureDialog, ReopeningShowsLeerWhileLabelAndButtonKeepTheLastSelection) {
    TempDir dir;
    const std::string file = dir.File("bild.bmp");
    WriteFileBytes(file, Bmp24(SolidImage(640, 480, Red)));
    TOpenPictureDialog dialog;
    {
        ModalAnswer answer([&](QDialog& modal) {
            Select(dynamic_cast<QFileDialog&>(modal), file);
            return int(QDialog::Rejected);
        });
        dialog.Execute();
    }
    ASSERT_EQ(dialog.PreviewPicture().Width(), 640);

    int previews = 0;
    ModalAnswer answer([&](QDialog& modal) {
        if (auto* fileDialog = qobject_cast<QFileDialog*>(&modal)) {
            fileDialog->show();
            QApplication::processEvents();
            EXPECT_EQ(dialog.PreviewPicture().Content(), nullptr);
            EXPECT_EQ(dialog.PictureLabel->text(), QString(" (640x480)"));
            EXPECT_TRUE(dialog.PreviewButton->isEnabled());
            const QImage shown = Render(dialog.PaintBox);
            EXPECT_FALSE(Drawn(shown).isEmpty());
            EXPECT_FALSE(Is(shown, 0, 0, Red));
            dialog.PreviewButton->click();
            // A double click on the preview opens the window too, whatever the button says.
            dialog.PreviewButton->setEnabled(false);
            QMouseEvent click(QEvent::MouseButtonDblClick, QPointF(5, 5),
                              dialog.PaintBox->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                              Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(dialog.PaintBox, &click);
            fileDialog->hide();
            return int(QDialog::Rejected);
        }
        ++previews;
        auto* image = modal.findChild<TImage*>();
        EXPECT_TRUE(image && image->Picture().Content() == nullptr);
        EXPECT_EQ(modal.size(), QSize(320, 240));
        return int(QDialog::Rejected);
    });
    dialog.Execute();
    EXPECT_EQ(previews, 2);
}

TEST(OpenPictureDialog, DrawingErrorsAreShownNotSwallowed) {
    TOpenPictureDialog dialog;
    TFailingGraphic failing;
    dialog.PreviewPicture().CopyFrom(&failing);
    std::vector<std::string> messages;
    ModalAnswer answer([&](QDialog& modal) {
        if (auto* box = qobject_cast<QMessageBox*>(&modal))
            messages.push_back(box->text().toStdString());
        return int(QMessageBox::Ok);
    });
    // Rendered off screen only: a shown panel would paint again on its own and queue a
    // second error after this test has ended.
    Render(dialog.PaintBox);
    QApplication::processEvents();
    EXPECT_EQ(messages, std::vector<std::string>{"JPEG-Fehlernr. 42."});
}

TEST(OpenPictureDialog, PreviewsExactlyTheCorpusBitmapsThatLoad) {
    SKIP_WITHOUT_CORPUS("bmp");
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(CorpusDir() / "bmp"))
        if (entry.is_regular_file() && entry.path().extension() == ".bmp")
            files.push_back(entry.path().string());
    ASSERT_FALSE(files.empty());

    TOpenPictureDialog dialog;
    int boxes = 0;
    std::vector<std::string> mismatches;
    ModalAnswer answer([&](QDialog& modal) {
        if (qobject_cast<QMessageBox*>(&modal)) {
            ++boxes;
            return int(QMessageBox::Ok);
        }
        for (const std::string& file : files) {
            Select(dynamic_cast<QFileDialog&>(modal), file);
            TPicture picture;
            bool loads = true;
            try {
                picture.LoadByExtension(file);
            } catch (const std::exception&) {
                loads = false;
            }
            const QString expected =
                loads ? QString(" (%1x%2)").arg(picture.Width()).arg(picture.Height()) : "Grafik:";
            if (dialog.PictureLabel->text() != expected ||
                dialog.PreviewButton->isEnabled() != loads)
                mismatches.push_back(file);
        }
        return int(QDialog::Rejected);
    });
    dialog.Execute();
    QApplication::processEvents();
    EXPECT_EQ(mismatches, std::vector<std::string>{});
    EXPECT_EQ(boxes, 0);
}

namespace {
// Red as a JPEG keeps it: within a few levels.
bool IsRedAfterJpeg(const QImage& image, int x, int y) {
    const QRgb pixel = image.pixel(x, y);
    return qRed(pixel) > 230 && qGreen(pixel) < 25 && qBlue(pixel) < 25;
}
} // namespace

TEST(OpenPictureDialog, LargeJpegPreviewsFromAReducedDecodeWithItsFullSizeInTheLabel) {
    RegisterJpegFormat();
    TempDir dir;
    const std::string file = dir.File("foto.jpg");
    ASSERT_TRUE(SolidImage(2400, 1600, Red).save(QString::fromStdString(file), "JPG"));
    TOpenPictureDialog dialog;
    const auto check = [&](QFileDialog& fileDialog) {
        Select(fileDialog, file);
        EXPECT_EQ(dialog.PictureLabel->text(), QString(" (2400x1600)"));
        const QImage shown = Render(dialog.PaintBox);
        const int bottom = int(std::lround(1600.0 * shown.width() / 2400));
        EXPECT_TRUE(IsRedAfterJpeg(shown, 0, 0));
        EXPECT_TRUE(IsRedAfterJpeg(shown, shown.width() - 1, bottom - 1));
        EXPECT_FALSE(IsRedAfterJpeg(shown, shown.width() - 1, bottom + 1));
        // Drawn without decoding the picture the dialog hands on at full size.
        const auto* jpeg = dynamic_cast<TJPEGImage*>(dialog.PreviewPicture().Content());
        ASSERT_NE(jpeg, nullptr);
        EXPECT_FALSE(jpeg->HasDecodedBitmap());
        EXPECT_EQ(dialog.PreviewPicture().Width(), 2400);
    };
    ModalAnswer answer(Selecting{dialog, check});
    dialog.Execute();
    UnregisterJpegFormat();
}

TEST(OpenPictureDialog, LargerPreviewOfAHugeJpegFitsTheScreenInProportion) {
    RegisterJpegFormat();
    TempDir dir;
    const std::string file = dir.File("riesig.jpg");
    ASSERT_TRUE(SolidImage(6000, 4000, Red).save(QString::fromStdString(file), "JPG"));
    TOpenPictureDialog dialog;
    int previews = 0;
    ModalAnswer answer([&](QDialog& modal) {
        if (auto* fileDialog = qobject_cast<QFileDialog*>(&modal)) {
            Select(*fileDialog, file);
            dialog.PreviewButton->click();
            return int(QDialog::Rejected);
        }
        ++previews;
        modal.show();
        QApplication::processEvents();
        const QRect available = modal.screen()->availableGeometry();
        EXPECT_TRUE(available.contains(modal.frameGeometry()));
        auto* image = modal.findChild<TImage*>();
        EXPECT_NE(image, nullptr);
        if (!image)
            return int(QDialog::Rejected);
        EXPECT_NEAR(image->width() * 4000.0 / 6000, image->height(), 1.0);
        const QImage shown = Render(image);
        EXPECT_TRUE(IsRedAfterJpeg(shown, shown.width() - 1, shown.height() - 1));
        // Decoded at the smallest scale that still covers the control: half of it would not.
        auto* jpeg = dynamic_cast<TJPEGImage*>(image->Picture().Content());
        EXPECT_NE(jpeg, nullptr);
        if (!jpeg)
            return int(QDialog::Rejected);
        const TBitmap& decoded = jpeg->DecodedBitmap();
        EXPECT_GE(decoded.PixelWidth(), image->width());
        EXPECT_GE(decoded.PixelHeight(), image->height());
        EXPECT_TRUE(decoded.PixelWidth() / 2 < image->width() ||
                    decoded.PixelHeight() / 2 < image->height() || decoded.PixelWidth() == 750);
        return int(QDialog::Rejected);
    });
    dialog.Execute();
    EXPECT_EQ(previews, 1);
    UnregisterJpegFormat();
}

namespace {
// The JPEG with an Exif block that names the orientation and carries the thumbnail (a
// JPEG file of its own), the thumbnail's offset moved by offsetShift.
std::vector<uint8_t> WithExifThumbnail(const std::vector<uint8_t>& jpeg,
                                       const std::vector<uint8_t>& thumbnail, int orientation,
                                       uint32_t offsetShift = 0) {
    std::vector<uint8_t> tiff = {'I', 'I', 42, 0, 8, 0, 0, 0};
    const auto put = [&](uint32_t value, int size) {
        for (int i = 0; i < size; ++i)
            tiff.push_back(uint8_t(value >> 8 * i));
    };
    // The picture's directory: the orientation, then the thumbnail's directory at 26.
    put(1, 2);
    put(0x0112, 2), put(3, 2), put(1, 4), put(uint32_t(orientation), 4);
    put(26, 4);
    // The thumbnail's directory: where its bytes start (56) and how many there are.
    put(2, 2);
    put(0x0201, 2), put(4, 2), put(1, 4), put(56 + offsetShift, 4);
    put(0x0202, 2), put(4, 2), put(1, 4), put(uint32_t(thumbnail.size()), 4);
    put(0, 4);
    tiff.insert(tiff.end(), thumbnail.begin(), thumbnail.end());
    std::vector<uint8_t> segment = {0xFF, 0xE1, 0, 0, 'E', 'x', 'i', 'f', 0, 0};
    segment.insert(segment.end(), tiff.begin(), tiff.end());
    segment[2] = uint8_t((segment.size() - 2) >> 8);
    segment[3] = uint8_t(segment.size() - 2);
    std::vector<uint8_t> out(jpeg.begin(), jpeg.begin() + 2);
    out.insert(out.end(), segment.begin(), segment.end());
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}

std::vector<uint8_t> JpegBytes(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 95);
    return {bytes.begin(), bytes.end()};
}

bool Near(QRgb shown, QRgb wanted) {
    return std::abs(qRed(shown) - qRed(wanted)) + std::abs(qGreen(shown) - qGreen(wanted)) +
               std::abs(qBlue(shown) - qBlue(wanted)) <
           60;
}
} // namespace

// A red picture whose Exif thumbnail is blue at the left of its stored pixels and green
// at the right: the preview shows the thumbnail only where it covers the preview area in
// the picture's proportions and loads, turned as the picture is; otherwise the picture.
TEST(OpenPictureDialog, ExifThumbnailIsPreviewedWhereItCoversTheAreaInProportion) {
    RegisterJpegFormat();
    const QRgb Blue = qRgb(0, 0, 255), Green = qRgb(0, 255, 0);
    struct TCase {
        const char* Name;
        QSize Thumbnail;
        int Orientation;
        uint32_t OffsetShift;
        QRgb TopRight, BottomLeft; // of the preview, as shown
    };
    const TCase cases[] = {
        {"covering", {240, 160}, 1, 0, Green, Blue},
        {"rounded a pixel", {240, 161}, 1, 0, Green, Blue},
        {"turned", {240, 160}, 6, 0, Blue, Green}, // stored left lands at the top
        {"too small", {120, 80}, 1, 0, Red, Red},
        {"other proportions", {240, 180}, 1, 0, Red, Red},
        {"beyond the block", {240, 160}, 1, 100000, Red, Red},
        {"not decodable", {240, 160}, 1, 0, Red, Red},
    };
    TempDir dir;
    // A thumbnail that fails is no thumbnail: nothing is reported.
    std::vector<std::string> messages;
    ModalAnswer answer([&](QDialog& modal) {
        if (auto* box = qobject_cast<QMessageBox*>(&modal))
            messages.push_back(box->text().toStdString());
        return int(QMessageBox::Ok);
    });
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        QImage thumbnail = SolidImage(c.Thumbnail.width(), c.Thumbnail.height(), Green);
        for (int y = 0; y < thumbnail.height(); ++y)
            for (int x = 0; x < thumbnail.width() / 2; ++x)
                thumbnail.setPixel(x, y, Blue);
        std::vector<uint8_t> thumbnailBytes = JpegBytes(thumbnail);
        if (std::string_view(c.Name) == "not decodable") {
            // The scan names Huffman tables the file never defines: the header reads, the
            // decode fails.
            for (size_t i = 0; i + 6 < thumbnailBytes.size(); ++i)
                if (thumbnailBytes[i] == 0xFF && thumbnailBytes[i + 1] == 0xDA) {
                    thumbnailBytes[i + 6] = 0x33;
                    break;
                }
        }
        const std::string file = dir.File(std::string(c.Name) + ".jpg");
        WriteFileBytes(file, WithExifThumbnail(JpegBytes(SolidImage(1200, 800, Red)),
                                               thumbnailBytes, c.Orientation, c.OffsetShift));
        TOpenPictureDialog dialog;
        dialog.PicturePanel->layout()->activate();
        dialog.PreviewPicture().LoadByExtension(file);
        const QImage shown = Render(dialog.PaintBox);
        // Drawn from the top-left corner, as wide or as high as the area.
        const QSize picture = c.Orientation == 6 ? QSize(800, 1200) : QSize(1200, 800);
        const QSize drawn = picture.scaled(shown.size(), Qt::KeepAspectRatio);
        EXPECT_TRUE(Near(shown.pixel(drawn.width() - 3, 2), c.TopRight));
        EXPECT_TRUE(Near(shown.pixel(2, drawn.height() - 3), c.BottomLeft));
        QApplication::processEvents();
        EXPECT_EQ(messages, std::vector<std::string>{});
    }
    UnregisterJpegFormat();
}
