// The PNG kind: loading through the format list, what bad files say, the pixel limit,
// transparency over the page, sharing between copies, and the public reference PNGs.
#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "picture/Canvas.h"
#include "picture/Jpeg.h"
#include "picture/Picture.h"
#include "picture/Png.h"
#include "toolkit/Dib.h"
#include "toolkit/Errors.h"

namespace {

std::vector<uint8_t> PngBytes(const QImage& image) {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, "PNG"));
    return std::vector<uint8_t>(data.begin(), data.end());
}

// The message of loading the file, or "" when it loads.
std::string LoadMessage(TPicture& picture, const std::string& path) {
    try {
        picture.LoadByExtension(path);
    } catch (const std::exception& error) {
        return error.what();
    }
    return "";
}

class Png : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterJpegFormat();
        RegisterPngFormat();
    }
    void TearDown() override {
        UnregisterPngFormat();
        UnregisterJpegFormat();
    }
    TempDir Dir;
};

} // namespace

TEST_F(Png, IsRegisteredOnceAfterTheOtherFormatsAndOnlyForPng) {
    RegisterPngFormat();
    const auto& entries = TFileFormatsList::Instance().Entries();
    ASSERT_GE(entries.size(), 7u);
    EXPECT_EQ(entries[3].Extension, "bmp");
    EXPECT_EQ(entries[entries.size() - 2].Extension, "jpg");
    EXPECT_EQ(entries.back().Extension, "png");
    EXPECT_EQ(entries.back().Description, "PNG Bilddatei");

    const std::vector<uint8_t> png = PngBytes(SolidImage(3, 2, qRgb(0, 0, 255)));
    struct Case {
        const char* Name;
        std::string Message;
    };
    const Case cases[] = {
        {"Bild.png", ""},
        {"BILD.PNG", ""},
        {"bild.gif", "Unbekannte Bilddateierweiterung (.gif)"},
    };
    for (const Case& c : cases) {
        const std::string path = Dir.File(c.Name);
        WriteFileBytes(path, png);
        TPicture picture;
        EXPECT_EQ(LoadMessage(picture, path), c.Message) << c.Name;
        if (c.Message.empty()) {
            EXPECT_EQ(picture.Width(), 3) << c.Name;
            EXPECT_EQ(picture.Height(), 2) << c.Name;
        }
    }
}

TEST_F(Png, BadFilesFailWithAGermanMessageAndKeepThePictureShown) {
    const std::vector<uint8_t> good = PngBytes(SolidImage(40, 30, qRgb(10, 200, 30)));
    std::vector<uint8_t> truncated(good.begin(), good.begin() + long(good.size() / 2));
    std::vector<uint8_t> badCrc = good;
    badCrc[29] ^= 0xFF; // inside the header chunk's checksum
    const std::vector<uint8_t> signatureOnly(good.begin(), good.begin() + 8);
    const std::vector<uint8_t> bmp = Bmp24(SolidImage(4, 4, qRgb(1, 2, 3)));
    const std::string invalid = "PNG-Bild ist ungültig";
    struct Case {
        const char* Name;
        std::vector<uint8_t> Bytes;
    };
    const Case cases[] = {
        {"leer", {}},
        {"nur-signatur", signatureOnly},
        {"abgeschnitten", truncated},
        {"pruefsumme", badCrc},
        {"bitmap", bmp},
    };
    TPicture picture;
    const std::string shown = Dir.File("gut.png");
    WriteFileBytes(shown, good);
    picture.LoadByExtension(shown);
    const TGraphic* before = picture.Content();
    for (const Case& c : cases) {
        const std::string path = Dir.File(std::string(c.Name) + ".png");
        WriteFileBytes(path, c.Bytes);
        EXPECT_EQ(LoadMessage(picture, path), invalid) << c.Name;
        EXPECT_EQ(picture.Content(), before) << c.Name;
        EXPECT_EQ(picture.Width(), 40) << c.Name;
    }
}

TEST_F(Png, ImagesOverThePixelLimitAreRefusedBeforeDecoding) {
    const std::string path = Dir.File("gross.png");
    // 600 × 600 at 32 bits is 1 440 000 bytes of pixels; the header alone says so.
    QImage image(600, 600, QImage::Format_ARGB32);
    image.fill(qRgba(0, 0, 0, 128));
    WriteFileBytes(path, PngBytes(image));
    const uint64_t limit = PixelMemoryLimit();
    SetPixelMemoryLimit(1'440'000 - 1);
    TPicture picture;
    EXPECT_EQ(LoadMessage(picture, path),
              "PNG-Bild ist zu groß (600 x 600 Pixel) und kann nicht geladen werden");
    SetPixelMemoryLimit(1'440'000);
    EXPECT_EQ(LoadMessage(picture, path), "");
    SetPixelMemoryLimit(limit);

    // Larger than Qt's own default allocation limit of 128 MiB, well within ours.
    QImage photo(6000, 6000, QImage::Format_RGB32);
    photo.fill(qRgb(90, 120, 150));
    WriteFileBytes(path, PngBytes(photo));
    EXPECT_EQ(LoadMessage(picture, path), "");
    EXPECT_EQ(picture.Width(), 6000);
}

TEST_F(Png, TransparentPixelsShowThePageBelow) {
    QImage image(3, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(255, 0, 0, 255));
    image.setPixel(1, 0, qRgba(255, 0, 0, 0));
    image.setPixel(2, 0, qRgba(0, 0, 0, 128));
    const std::string path = Dir.File("alpha.png");
    WriteFileBytes(path, PngBytes(image));
    const std::string opaquePath = Dir.File("deckend.png");
    WriteFileBytes(opaquePath, PngBytes(SolidImage(3, 1, qRgb(0, 0, 255))));

    TPicture picture;
    picture.LoadByExtension(path);
    EXPECT_TRUE(picture.Content()->Transparent());
    QImage page(30, 10, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        TCanvas canvas(painter);
        canvas.DrawStretched({0, 0, 30, 10}, picture.Content());
    }
    EXPECT_EQ(page.pixel(5, 5), qRgb(255, 0, 0));
    EXPECT_EQ(page.pixel(15, 5), qRgb(255, 255, 255));
    const QRgb half = page.pixel(25, 5);
    EXPECT_NEAR(qRed(half), 127, 2);
    EXPECT_NEAR(qGreen(half), 127, 2);

    TPicture opaque;
    opaque.LoadByExtension(opaquePath);
    EXPECT_FALSE(opaque.Content()->Transparent());
}

TEST_F(Png, CopiesShareTheDecodedImageAndKeepTheirSize) {
    const std::string path = Dir.File("teilen.png");
    WriteFileBytes(path, PngBytes(SolidImage(7, 5, qRgb(1, 2, 3))));
    TPicture picture;
    picture.LoadByExtension(path);
    TPicture copy;
    copy.CopyFrom(&picture);
    const auto& source = dynamic_cast<const TPngImage&>(*picture.Content());
    const auto& target = dynamic_cast<const TPngImage&>(*copy.Content());
    EXPECT_EQ(target.SharedImage(), source.SharedImage());
    EXPECT_EQ(copy.Width(), 7);
    EXPECT_THROW(copy.Content()->SetWidth(3), EInvalidGraphicOperation);
    EXPECT_EQ(copy.Width(), 7);
}

TEST_F(Png, ReferencePngsOfTheCorpusLoadAsQtDecodesThem) {
    SKIP_WITHOUT_CORPUS("");
    int loaded = 0;
    for (const auto& entry : fs::recursive_directory_iterator(CorpusDir())) {
        if (!entry.is_regular_file() || entry.path().extension() != ".png")
            continue;
        const std::string path = entry.path().string();
        const QImage expected(QString::fromStdString(path), "PNG");
        TPicture picture;
        const std::string message = LoadMessage(picture, path);
        if (expected.isNull()) {
            EXPECT_EQ(message, "PNG-Bild ist ungültig") << path;
            continue;
        }
        ASSERT_EQ(message, "") << path;
        const auto& png = dynamic_cast<const TPngImage&>(*picture.Content());
        EXPECT_EQ(png.Image().convertToFormat(QImage::Format_ARGB32),
                  expected.convertToFormat(QImage::Format_ARGB32))
            << path;
        ++loaded;
    }
    EXPECT_GT(loaded, 100);
}
