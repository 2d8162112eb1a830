// The kinds the helper decodes, end to end through the real helper: sizes, orientation and
// colours of files made here with cwebp, webpmux, ImageMagick, heif-enc and avifenc, what damaged,
// truncated and oversized files say, an SVG that names another file, and a helper that crashes or
// hangs.
#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <cstdlib>
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "picture/Canvas.h"
#include "picture/DecodeHelper.h"
#include "picture/DecodedImage.h"
#include "picture/ExifOrientation.h"
#include "picture/Picture.h"
#include "toolkit/Dib.h"
#include "toolkit/Errors.h"

namespace {

// 64 × 32 pixels stored: the left half red, the right half blue.
QImage TwoHalves() {
    QImage image(64, 32, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QPainter(&image).fillRect(0, 0, 32, 32, Qt::red);
    return image;
}

bool RunTool(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// A TIFF block holding only the orientation (6: "the picture's top is the stored pixels'
// left side"), for the EXIF chunk of a WebP file.
std::vector<uint8_t> ExifOriented(uint32_t orientation) {
    std::vector<uint8_t> exif = {'I', 'I', 42, 0, 8, 0, 0, 0};
    Put16(exif, 1);      // one entry
    Put16(exif, 0x0112); // orientation
    Put16(exif, 3);      // SHORT
    Put32(exif, 1);      // one value
    Put16(exif, orientation);
    Put16(exif, 0);
    Put32(exif, 0); // no next directory
    return exif;
}

// A GIF whose screen and image both declare 65535 × 65535 pixels.
std::vector<uint8_t> HugeGif() {
    std::vector<uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a'};
    Put16(gif, 65535);
    Put16(gif, 65535);
    gif.insert(gif.end(), {0x80, 0, 0, 0, 0, 0, 255, 255, 255, 0x2C});
    Put16(gif, 0);
    Put16(gif, 0);
    Put16(gif, 65535);
    Put16(gif, 65535);
    gif.insert(gif.end(), {0, 2, 2, 0x4C, 0x01, 0, 0x3B});
    return gif;
}

// A baseline TIFF that declares 100000 × 100000 pixels of 8-bit grey.
std::vector<uint8_t> HugeTiff() {
    std::vector<uint8_t> tiff = {'I', 'I', 42, 0, 8, 0, 0, 0};
    const std::vector<std::array<uint32_t, 3>> entries = {
        {256, 4, 100000}, {257, 4, 100000}, {258, 3, 8},      {259, 3, 1}, {262, 3, 1},
        {273, 4, 8},      {277, 3, 1},      {278, 4, 100000}, {279, 4, 1}};
    Put16(tiff, uint32_t(entries.size()));
    for (const auto& [tag, type, value] : entries) {
        Put16(tiff, tag);
        Put16(tiff, type);
        Put32(tiff, 1);
        if (type == 3) {
            Put16(tiff, value);
            Put16(tiff, 0);
        } else {
            Put32(tiff, value);
        }
    }
    Put32(tiff, 0);
    return tiff;
}

// The picture's pixels, row by row, as hexadecimal RGB values (alpha left out).
std::string Pixels(const QImage& image) {
    std::string text;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            text += QString::number(image.pixel(x, y) & 0xFFFFFF, 16).toStdString() + " ";
        text += "/ ";
    }
    return text;
}

// Whether the colours are within 40 of each other in every channel (lossy coding).
bool Near(QRgb actual, QRgb expected) {
    return std::abs(qRed(actual) - qRed(expected)) <= 40 &&
           std::abs(qGreen(actual) - qGreen(expected)) <= 40 &&
           std::abs(qBlue(actual) - qBlue(expected)) <= 40;
}

class DecodedImage : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"cwebp", "webpmux", "convert", "heif-enc", "avifenc"})
            if (QStandardPaths::findExecutable(tool).isEmpty())
                GTEST_SKIP() << tool << " is not installed";
        RegisterDecodedFormats();
        ASSERT_TRUE(TwoHalves().save(QString::fromStdString(Dir.File("halves.png"))));
    }
    void TearDown() override {
        UnregisterDecodedFormats();
        unsetenv("VELLACOUR_DECODE_FAULT");
        DecodeLimits() = TDecodeLimits();
    }

    // The message of loading the file, or "" when it loads.
    std::string LoadMessage(const std::string& path) {
        try {
            Picture.LoadByExtension(path);
        } catch (const std::exception& error) {
            return error.what();
        }
        return "";
    }

    // Makes the file with the tool.
    void Make(const QString& program, const QStringList& args) {
        ASSERT_TRUE(RunTool(program, args)) << program.toStdString();
    }

    QString Path(const char* name) const { return QString::fromStdString(Dir.File(name)); }

    TempDir Dir;
    TPicture Picture;
};

} // namespace

TEST_F(DecodedImage, ReadsEachKindWithItsSizeOrientationAndColours) {
    const QString png = Path("halves.png");
    std::vector<uint8_t> exif = ExifOriented(6);
    WriteFileBytes(Dir.File("rotated.exif"), exif);
    Make("cwebp", {"-quiet", "-q", "90", png, "-o", Path("plain.webp")});
    Make("webpmux",
         {"-set", "exif", Path("rotated.exif"), Path("plain.webp"), "-o", Path("rotated.webp")});
    // Alpha kept as it is, not premultiplied: the right half is blue at half opacity.
    QImage seeThrough = TwoHalves().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < seeThrough.height(); ++y)
        for (int x = 32; x < seeThrough.width(); ++x)
            seeThrough.setPixel(x, y, qRgba(0, 0, 255, 128));
    ASSERT_TRUE(seeThrough.save(Path("alpha.png")));
    Make("cwebp", {"-quiet", "-lossless", "-exact", Path("alpha.png"), "-o", Path("alpha.webp")});
    // An animation shows its first frame, not a later one.
    SolidImage(64, 32, qRgb(0, 255, 0)).save(Path("green.png"));
    Make("cwebp", {"-quiet", Path("green.png"), "-o", Path("green.webp")});
    Make("webpmux", {"-frame", Path("plain.webp"), "+100", "-frame", Path("green.webp"), "+100",
                     "-o", Path("animated.webp")});
    Make("convert", {png, Path("plain.tif")});
    Make("convert", {png, "-orient", "RightTop", Path("rotated.tiff")});
    Make("convert", {png, Path("plain.gif")});
    Make("convert", {png, "-colorspace", "CMYK", Path("cmyk.tif")});
    // The second page is another picture: only the first counts.
    Make("convert", {png, "-size", "10x10", "xc:green", Path("twopages.tif")});
    Make("heif-enc", {"-q", "90", png, "-o", Path("plain.heic")});
    Make("avifenc", {"-s", "10", png, Path("plain.avif")});

    const struct {
        const char* File;
        int Width;
        int Height;
        QRgb TopLeft;
        QRgb BottomRight;
        int BottomRightAlpha = 255;
    } cases[] = {
        {"plain.webp", 64, 32, qRgb(255, 0, 0), qRgb(0, 0, 255)},
        {"rotated.webp", 32, 64, qRgb(255, 0, 0), qRgb(0, 0, 255)},
        {"alpha.webp", 64, 32, qRgb(255, 0, 0), qRgb(0, 0, 255), 128},
        {"animated.webp", 64, 32, qRgb(255, 0, 0), qRgb(0, 0, 255)},
        {"rotated.tiff", 32, 64, qRgb(255, 0, 0), qRgb(0, 0, 255)},
        {"plain.gif", 64, 32, qRgb(255, 0, 0), qRgb(0, 0, 255)},
        {"cmyk.tif", 64, 32, qRgb(255, 0, 0), qRgb(0, 0, 255)},
        {"twopages.tif", 64, 32, qRgb(255, 0, 0), qRgb(0, 0, 255)},
        {"plain.heic", 64, 32, qRgb(255, 0, 0), qRgb(0, 0, 255)},
        {"plain.avif", 64, 32, qRgb(255, 0, 0), qRgb(0, 0, 255)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.File);
        ASSERT_EQ(LoadMessage(Dir.File(c.File)), "");
        const auto* bitmap = dynamic_cast<const TBitmap*>(Picture.Content());
        ASSERT_NE(bitmap, nullptr);
        EXPECT_EQ(Picture.Width(), c.Width);
        EXPECT_EQ(Picture.Height(), c.Height);
        const QImage& image = bitmap->Image();
        EXPECT_TRUE(Near(image.pixel(2, 2), c.TopLeft)) << std::hex << image.pixel(2, 2);
        EXPECT_TRUE(Near(image.pixel(c.Width - 3, c.Height - 3), c.BottomRight))
            << std::hex << image.pixel(c.Width - 3, c.Height - 3);
        EXPECT_EQ(qAlpha(image.pixel(c.Width - 3, c.Height - 3)), c.BottomRightAlpha);
    }
}

TEST_F(DecodedImage, WebPTurnsAndMirrorsAsEachExifOrientationSays) {
    // Every pixel its own colour, stored losslessly, so any turn or mirror taken for
    // another shows; JPEG's orientations are the measure.
    QImage stored(4, 2, QImage::Format_RGB32);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            stored.setPixel(x, y, qRgb(60 * x, 200 * y, 30 + 50 * x));
    ASSERT_TRUE(stored.save(Path("stored.png")));
    Make("cwebp", {"-quiet", "-lossless", "-exact", Path("stored.png"), "-o", Path("stored.webp")});
    for (int orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE(orientation);
        WriteFileBytes(Dir.File("turn.exif"), ExifOriented(uint32_t(orientation)));
        Make("webpmux",
             {"-set", "exif", Path("turn.exif"), Path("stored.webp"), "-o", Path("turned.webp")});
        ASSERT_EQ(LoadMessage(Dir.File("turned.webp")), "");
        const auto* bitmap = dynamic_cast<const TBitmap*>(Picture.Content());
        ASSERT_NE(bitmap, nullptr);
        const QImage expected = stored.transformed(ExifTransform(orientation, stored.size()));
        EXPECT_EQ(Pixels(bitmap->Image()), Pixels(expected));
    }
}

TEST_F(DecodedImage, DamagedTruncatedAndOversizedFilesSayWhatAndKeepThePicture) {
    Make("cwebp", {"-quiet", Path("halves.png"), "-o", Path("good.webp")});
    Make("convert", {Path("halves.png"), Path("good.tif")});
    const std::vector<uint8_t> webp = ReadFileBytes(Dir.File("good.webp"));
    const std::vector<uint8_t> tiff = ReadFileBytes(Dir.File("good.tif"));
    WriteFileBytes(Dir.File("cut.webp"), {webp.begin(), webp.begin() + long(webp.size() / 2)});
    WriteFileBytes(Dir.File("cut.tif"), {tiff.begin(), tiff.begin() + 40});
    WriteFileText(Dir.File("text.gif"), "this is no picture at all");
    WriteFileText(Dir.File("empty.webp"), "");
    WriteFileBytes(Dir.File("huge.gif"), HugeGif());
    WriteFileBytes(Dir.File("huge.tif"), HugeTiff());
    WriteFileText(Dir.File("photo.heic"), "no HEIF file");
    WriteFileText(Dir.File("photo.avif"), "no AVIF file");
    WriteFileText(Dir.File("huge.svg"), R"(<svg xmlns="http://www.w3.org/2000/svg" )"
                                        R"(width="3000000" height="10"/>)");
    WriteFileText(Dir.File("cut.svg"), R"(<svg xmlns="http://www.w3.org/2000/svg" width="10")");

    const struct {
        const char* File;
        const char* Message;
    } cases[] = {
        {"cut.webp", "WebP-Datei ist beschädigt oder wird nicht unterstützt"},
        {"cut.tif", "TIFF-Datei ist beschädigt oder wird nicht unterstützt"},
        {"text.gif", "GIF-Datei ist beschädigt oder wird nicht unterstützt"},
        {"empty.webp", "WebP-Datei ist beschädigt oder wird nicht unterstützt"},
        {"huge.gif", "GIF-Bild ist zu groß (65535 x 65535 Pixel) und kann nicht geladen werden"},
        {"huge.tif", "TIFF-Bild ist zu groß (100000 x 100000 Pixel) und kann nicht geladen werden"},
        {"photo.heic", "HEIF-Datei ist beschädigt oder wird nicht unterstützt"},
        {"photo.avif", "AVIF-Datei ist beschädigt oder wird nicht unterstützt"},
        {"huge.svg", "SVG-Bild ist zu groß (3000000 x 10 Pixel) und kann nicht geladen werden"},
        {"cut.svg", "SVG-Datei ist beschädigt oder wird nicht unterstützt"},
    };
    ASSERT_EQ(LoadMessage(Dir.File("good.webp")), "");
    const TGraphic* held = Picture.Content();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.File);
        EXPECT_EQ(LoadMessage(Dir.File(c.File)), c.Message);
        EXPECT_EQ(Picture.Content(), held);
    }
}

TEST_F(DecodedImage, ThePixelLimitIsTheProgramsAndCheckedBeforeDecoding) {
    Make("cwebp", {"-quiet", Path("halves.png"), "-o", Path("halves.webp")});
    const uint64_t limit = PixelMemoryLimit();
    SetPixelMemoryLimit(64 * 32 * 4 - 1);
    const std::string tooLarge = LoadMessage(Dir.File("halves.webp"));
    SetPixelMemoryLimit(64 * 32 * 4);
    const std::string fits = LoadMessage(Dir.File("halves.webp"));
    SetPixelMemoryLimit(limit);
    EXPECT_EQ(tooLarge, "WebP-Bild ist zu groß (64 x 32 Pixel) und kann nicht geladen werden");
    EXPECT_EQ(fits, "");
}

TEST_F(DecodedImage, TheHelperStartsWithLibwebpAloneAndHandsTheOtherKindsOn) {
    // What the helper links is loaded at every start; for WebP only libwebp is needed.
    if (QStandardPaths::findExecutable("readelf").isEmpty())
        GTEST_SKIP() << "readelf is not installed";
    QProcess readelf;
    readelf.start("readelf", {"--dynamic", QString::fromStdString(DecodeHelperPath())});
    ASSERT_TRUE(readelf.waitForFinished(30000));
    const QString needed = QString::fromUtf8(readelf.readAllStandardOutput());
    EXPECT_TRUE(needed.contains("libwebp")) << needed.toStdString();
    for (const char* library : {"libQt6", "libavif", "libde265"})
        EXPECT_FALSE(needed.contains(library)) << library;
    // The other kinds still decode, through the program it hands them to.
    Make("convert", {Path("halves.png"), Path("good.gif")});
    EXPECT_EQ(LoadMessage(Dir.File("good.gif")), "");
    EXPECT_EQ(Picture.Width(), 64);
}

TEST_F(DecodedImage, AHelperThatCrashesHangsOrOverrunsIsReportedAndThePictureKept) {
    Make("convert", {Path("halves.png"), Path("good.gif")});
    ASSERT_EQ(LoadMessage(Dir.File("good.gif")), "");
    const TGraphic* held = Picture.Content();
    DecodeLimits().TimeoutMs = 1000;

    setenv("VELLACOUR_DECODE_FAULT", "crash", 1);
    EXPECT_EQ(LoadMessage(Dir.File("good.gif")),
              "Das Hilfsprogramm zum Lesen der GIF-Datei ist abgestürzt");
    EXPECT_EQ(Picture.Content(), held);

    setenv("VELLACOUR_DECODE_FAULT", "cpu", 1);
    EXPECT_EQ(LoadMessage(Dir.File("good.gif")),
              "Das Lesen der GIF-Datei braucht mehr Speicher oder Rechenzeit als erlaubt");
    EXPECT_EQ(Picture.Content(), held);

    setenv("VELLACOUR_DECODE_FAULT", "hang", 1);
    EXPECT_EQ(LoadMessage(Dir.File("good.gif")),
              "Das Lesen der GIF-Datei wurde abgebrochen, weil es zu lange gedauert hat");
    EXPECT_EQ(Picture.Content(), held);

    unsetenv("VELLACOUR_DECODE_FAULT");
    EXPECT_EQ(LoadMessage(Dir.File("good.gif")), "");
    EXPECT_NE(Picture.Content(), held);
}

TEST_F(DecodedImage, SvgHasItsNaturalSizeAndDrawsAsVectors) {
    WriteFileText(Dir.File("sized.svg"),
                  R"(<svg xmlns="http://www.w3.org/2000/svg" width="120" height="60">)"
                  R"(<rect width="60" height="60" fill="#0000ff"/></svg>)");
    WriteFileText(Dir.File("viewbox.svg"),
                  R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 300 150">)"
                  R"(<rect x="150" width="150" height="150" fill="#00ff00"/></svg>)");
    ASSERT_EQ(LoadMessage(Dir.File("viewbox.svg")), "");
    EXPECT_EQ(Picture.Width(), 300);
    EXPECT_EQ(Picture.Height(), 150);
    ASSERT_EQ(LoadMessage(Dir.File("sized.svg")), "");
    EXPECT_EQ(Picture.Width(), 120);
    EXPECT_EQ(Picture.Height(), 60);
    EXPECT_EQ(Picture.Content()->PixelMeaning(), TPixelMeaning::Vector);

    // Drawn four times its size: the left half blue, the right half left as it was.
    QImage target(480, 240, QImage::Format_RGB32);
    target.fill(Qt::white);
    {
        QPainter painter(&target);
        TCanvas canvas(painter);
        canvas.DrawStretched({0, 0, 480, 240}, Picture.Content());
    }
    EXPECT_EQ(target.pixel(200, 200), qRgb(0, 0, 255));
    EXPECT_EQ(target.pixel(280, 20), qRgb(255, 255, 255));
}

TEST_F(DecodedImage, SvgNamingAnotherFileDoesNotReadIt) {
    SolidImage(20, 20, qRgb(255, 0, 0)).save(Path("secret.png"));
    const std::string absolute = Dir.File("secret.png");
    WriteFileText(Dir.File("names.svg"),
                  R"(<svg xmlns="http://www.w3.org/2000/svg" )"
                  R"(xmlns:xlink="http://www.w3.org/1999/xlink" width="40" height="20">)"
                  R"(<image width="20" height="20" href="secret.png"/>)"
                  R"(<image x="20" width="20" height="20" xlink:href=")" +
                      absolute + R"("/></svg>)");
    ASSERT_EQ(LoadMessage(Dir.File("names.svg")), "");
    QImage target(40, 20, QImage::Format_RGB32);
    target.fill(Qt::white);
    {
        QPainter painter(&target);
        TCanvas canvas(painter);
        canvas.DrawStretched({0, 0, 40, 20}, Picture.Content());
    }
    EXPECT_EQ(target.pixel(10, 10), qRgb(255, 255, 255));
    EXPECT_EQ(target.pixel(30, 10), qRgb(255, 255, 255));
}
