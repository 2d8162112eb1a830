// The JPEG kind: registration, loading only the header, decoding once at the first
// drawing, failures reported once, copies, four-component files, and decoded pixels
// compared with libjpeg-turbo's own decoder program (djpeg) on files made here.
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <thread>

#include <cstdio>
#include <jpeglib.h>

#include "PictureTestSupport.h"
#include "TestSupport.h"
#include "picture/Canvas.h"
#include "picture/Jpeg.h"
#include "picture/Picture.h"
#include "toolkit/Errors.h"
#include "toolkit/Stream.h"

namespace {

// A picture with smooth gradients, hard edges and noise, so that every decoder stage
// (upsampling, smoothing, dithering) has something to do.
QImage TestPicture(int width, int height) {
    QImage image(width, height, QImage::Format_RGB888);
    uint32_t noise = 12345;
    for (int y = 0; y < height; ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            noise = noise * 1103515245 + 12345;
            const int n = int(noise >> 27);
            const bool box = x > width / 3 && x < width * 2 / 3 && y > height / 4;
            row[3 * x + 0] = uchar(box ? 230 : (x * 255 / width + n) & 0xFF);
            row[3 * x + 1] = uchar(box ? 40 : y * 255 / height);
            row[3 * x + 2] = uchar(((x + y) * 3 + n) & 0xFF);
        }
    }
    return image;
}

struct TEncoding {
    int Quality = 90;
    bool Progressive = false;
    bool Grey = false;
    // Four components: inverted CMYK as print programs write it, as YCCK if asked, with or
    // without the Adobe marker that announces the inversion.
    bool Cmyk = false;
    bool Ycck = false;
    bool AdobeMarker = true;
};

// Compresses with libjpeg's own compressor.
std::vector<uint8_t> EncodeJpeg(const QImage& rgb, const TEncoding& how = {}) {
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(rgb.width());
    info.image_height = JDIMENSION(rgb.height());
    info.input_components = how.Grey ? 1 : how.Cmyk ? 4 : 3;
    info.in_color_space = how.Grey ? JCS_GRAYSCALE : how.Cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&info);
    if (how.Ycck)
        jpeg_set_colorspace(&info, JCS_YCCK);
    if (how.Cmyk)
        info.write_Adobe_marker = how.AdobeMarker ? TRUE : FALSE;
    jpeg_set_quality(&info, how.Quality, TRUE);
    if (how.Progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row(size_t(rgb.width()) * 4);
    while (info.next_scanline < info.image_height) {
        const uchar* in = rgb.constScanLine(int(info.next_scanline));
        for (int x = 0; x < rgb.width(); ++x) {
            const int r = in[3 * x], g = in[3 * x + 1], b = in[3 * x + 2];
            if (how.Grey) {
                row[x] = uint8_t((r * 299 + g * 587 + b * 114) / 1000);
            } else if (how.Cmyk) {
                const int k = 255 - std::max({r, g, b});
                const int max = std::max(1, 255 - k);
                const int ink[4] = {(max - r) * 255 / max, (max - g) * 255 / max,
                                    (max - b) * 255 / max, k};
                for (int c = 0; c < 4; ++c)
                    row[4 * x + c] = uint8_t(255 - ink[c]);
            } else {
                std::copy(in + 3 * x, in + 3 * x + 3, row.begin() + 3 * x);
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<uint8_t> bytes(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return bytes;
}

void Load(TJPEGImage& image, const std::vector<uint8_t>& bytes) {
    TBytesStream stream(bytes);
    image.ReadFrom(stream);
}

template <class Action> std::string MessageOf(Action&& action) {
    try {
        action();
    } catch (const Exception& error) {
        return error.Message();
    }
    return "(no error)";
}

std::string JpegError(int code) {
    return Format(Msg::JPEGError, code);
}

// libjpeg's message numbers in the libjpeg-turbo this program links.
constexpr int InputEmpty = 42; // JERR_INPUT_EMPTY
constexpr int NotAJpeg = 53;   // JERR_NO_SOI

#define SKIP_WITHOUT_DJPEG()                                                                       \
    do {                                                                                           \
        if (Djpeg().isEmpty())                                                                     \
            GTEST_SKIP() << "djpeg (libjpeg-turbo-progs) not installed";                           \
    } while (0)

// libjpeg-turbo's reference decode of the bytes with djpeg's options.
QImage ReferenceDecode(const std::vector<uint8_t>& jpeg, QStringList options) {
    TempDir dir;
    WriteFileBytes(dir.File("in.jpg"), jpeg);
    QProcess djpeg;
    djpeg.start(Djpeg(), options << "-pnm"
                                 << "-outfile" << QString::fromStdString(dir.File("out"))
                                 << QString::fromStdString(dir.File("in.jpg")));
    if (!djpeg.waitForFinished(120000))
        return {};
    return ParsePnm(ReadFileBytes(dir.File("out")));
}

QImage AsRgb(const TBitmap& bitmap) {
    return bitmap.Image().convertToFormat(QImage::Format_RGB888);
}

class JpegFormat : public testing::Test {
protected:
    void SetUp() override { RegisterJpegFormat(); }
    void TearDown() override {
        UnregisterJpegFormat();
        InitJpegDefaults(24);
    }
};

} // namespace

TEST_F(JpegFormat, RegistersBothExtensionsAfterTheBuiltInKinds) {
    const auto& entries = TFileFormatsList::Instance().Entries();
    ASSERT_GE(entries.size(), 2u);
    const auto& jpeg = entries[entries.size() - 2];
    const auto& jpg = entries.back();
    EXPECT_EQ(jpeg.Extension, "jpeg");
    EXPECT_EQ(jpg.Extension, "jpg");
    EXPECT_EQ(jpeg.Description, "JPEG Bilddatei");
    EXPECT_EQ(jpg.Description, "JPEG Bilddatei");
    EXPECT_EQ(jpg.Kind, &TJPEGImage::Class);

    const size_t count = entries.size();
    RegisterJpegFormat();
    EXPECT_EQ(TFileFormatsList::Instance().Entries().size(), count);

    UnregisterJpegFormat();
    EXPECT_EQ(TFileFormatsList::Instance().FindKind("jpg"), nullptr);
    EXPECT_EQ(TFileFormatsList::Instance().FindKind("jpeg"), nullptr);
    EXPECT_EQ(TFileFormatsList::Instance().FindKind("bmp"), &TBitmap::Class);
}

TEST_F(JpegFormat, LoadsByExtensionInAnyLetterCase) {
    TempDir dir;
    const auto bytes = EncodeJpeg(TestPicture(40, 30));
    for (const char* name : {"Foto.JPG", "Foto.Jpeg", "foto.jpg", "FOTO.JPEG"}) {
        WriteFileBytes(dir.File(name), bytes);
        TPicture picture;
        picture.LoadByExtension(dir.File(name));
        ASSERT_NE(picture.Content(), nullptr) << name;
        EXPECT_EQ(&picture.Content()->ClassType(), &TJPEGImage::Class) << name;
        EXPECT_EQ(picture.Width(), 40) << name;
        EXPECT_EQ(picture.Height(), 30) << name;
    }
}

TEST_F(JpegFormat, DefaultsFollowTheScreenDepth) {
    InitJpegDefaults(8);
    EXPECT_TRUE(TJPEGImage().Settings.EightBitOutput);
    InitJpegDefaults(4);
    EXPECT_TRUE(TJPEGImage().Settings.EightBitOutput);
    InitJpegDefaults(16);
    EXPECT_FALSE(TJPEGImage().Settings.EightBitOutput);
    const TJPEGSettings settings = TJPEGImage().Settings;
    EXPECT_EQ(settings.ScaleShift, 0);
    EXPECT_FALSE(settings.GrayOutput);
    EXPECT_FALSE(settings.FastMode);
    EXPECT_TRUE(settings.BlockSmoothing);
}

TEST_F(JpegFormat, BytesThatAreNoJpegFailAtLoadAndKeepThePicture) {
    TempDir dir;
    WriteFileBytes(dir.File("good.jpg"), EncodeJpeg(TestPicture(16, 16)));
    // A PNG file's signature and header chunk.
    WriteFileBytes(dir.File("png.jpg"), {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 0x0D,
                                         'I',  'H', 'D', 'R', 0,    0,    0,    1,    0, 0, 0, 1});
    TPicture picture;
    picture.LoadByExtension(dir.File("good.jpg"));
    const TGraphic* before = picture.Content();
    EXPECT_EQ(MessageOf([&] { picture.LoadByExtension(dir.File("png.jpg")); }),
              JpegError(NotAJpeg));
    EXPECT_EQ(picture.Content(), before);
    EXPECT_EQ(picture.Width(), 16);
}

TEST(Jpeg, LoadReadsOnlyTheHeader) {
    const auto bytes = EncodeJpeg(TestPicture(123, 45), {.Progressive = true});
    TJPEGImage image;
    int changes = 0;
    image.OnChange = [&](TGraphic&) {
        ++changes;
    };
    Load(image, bytes);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(image.PaletteModified);
    EXPECT_FALSE(image.HasDecodedBitmap());
    EXPECT_FALSE(image.IsEmpty());
    EXPECT_EQ(image.PixelWidth(), 123);
    EXPECT_EQ(image.PixelHeight(), 45);
    EXPECT_TRUE(image.MultiScan());
    ASSERT_NE(image.Data(), nullptr);
    EXPECT_EQ(image.Data()->Bytes, bytes);
    EXPECT_FALSE(image.Data()->IsGrayscale);

    Load(image, EncodeJpeg(TestPicture(8, 9), {.Grey = true}));
    EXPECT_TRUE(image.Data()->IsGrayscale);
    EXPECT_FALSE(image.MultiScan());
    EXPECT_EQ(image.PixelWidth(), 8);
}

TEST(Jpeg, SizeCannotBeChanged) {
    TJPEGImage image;
    Load(image, EncodeJpeg(TestPicture(10, 10)));
    const std::string message = "Die Größe eines JPEG-Bildes kann nicht verändert werden";
    EXPECT_EQ(MessageOf([&] { image.SetWidth(5); }), message);
    EXPECT_EQ(MessageOf([&] { image.SetHeight(5); }), message);
    EXPECT_THROW(image.SetWidth(5), EInvalidGraphicOperation);
    EXPECT_EQ(image.PixelWidth(), 10);
}

// Patches the frame header to claim another size; libjpeg reads that before any pixel.
static void SetFrameSize(std::vector<uint8_t>& jpeg, unsigned width, unsigned height) {
    for (size_t i = 2; i + 9 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
            jpeg[i + 5] = uint8_t(height >> 8);
            jpeg[i + 6] = uint8_t(height);
            jpeg[i + 7] = uint8_t(width >> 8);
            jpeg[i + 8] = uint8_t(width);
            return;
        }
    }
    FAIL() << "no frame header";
}

TEST(Jpeg, ImageTooLargeForMemoryIsRefusedAtLoad) {
    auto huge = EncodeJpeg(TestPicture(16, 16));
    SetFrameSize(huge, 60000, 60000);
    TJPEGImage image;
    Load(image, EncodeJpeg(TestPicture(16, 16)));
    const TJPEGData* before = image.Data();
    EXPECT_EQ(MessageOf([&] { Load(image, huge); }),
              "JPEG-Bild ist zu groß (60000 x 60000 Pixel) und kann nicht geladen werden");
    EXPECT_EQ(image.Data(), before);
    EXPECT_EQ(image.PixelWidth(), 16);

    // 8-bit output needs a third of the memory, so the same height fits with a larger width.
    auto wide = EncodeJpeg(TestPicture(16, 16), {.Grey = true});
    SetFrameSize(wide, 40000, 20000);
    EXPECT_EQ(MessageOf([&] { Load(image, wide); }), "(no error)");
    SetFrameSize(wide, 60000, 20000);
    EXPECT_EQ(MessageOf([&] { Load(image, wide); }),
              "JPEG-Bild ist zu groß (60000 x 20000 Pixel) und kann nicht geladen werden");
}

TEST(Jpeg, HugeFileIsRefusedBeforeItIsRead) {
    TempDir dir;
    const std::string path = dir.File("riesig.jpg");
    // A sparse file: over a gibibyte long without taking the disk space.
    const auto bytes = EncodeJpeg(TestPicture(16, 16));
    WriteFileBytes(path, bytes);
    fs::resize_file(path, (uint64_t(1) << 30) + 1);
    RegisterJpegFormat();
    TPicture picture;
    EXPECT_EQ(MessageOf([&] { picture.LoadByExtension(path); }),
              "JPEG-Datei ist zu groß und kann nicht geladen werden");
    EXPECT_EQ(picture.Content(), nullptr);
}

TEST(Jpeg, EmptyFileFailsAtLoadAndKeepsThePicture) {
    TempDir dir;
    const std::string good = dir.File("gut.jpg");
    const std::string empty = dir.File("leer.jpg");
    WriteFileBytes(good, EncodeJpeg(TestPicture(16, 8)));
    WriteFileBytes(empty, {});
    RegisterJpegFormat();
    TPicture picture;
    picture.LoadByExtension(good);
    const TGraphic* before = picture.Content();
    EXPECT_EQ(MessageOf([&] { picture.LoadByExtension(empty); }), JpegError(InputEmpty));
    EXPECT_EQ(picture.Content(), before);
    EXPECT_EQ(picture.Width(), 16);

    TJPEGImage image;
    EXPECT_THROW(Load(image, {}), EJPEG);
    EXPECT_TRUE(image.IsEmpty());
}

TEST(Jpeg, NeverLoadedImageIsEmptyAndDrawsNothing) {
    TJPEGImage image;
    EXPECT_TRUE(image.IsEmpty());
    EXPECT_EQ(MessageOf([&] { image.DecodedBitmap(); }), "(no error)");
    EXPECT_TRUE(image.IsEmpty());
}

TEST(Jpeg, DecodesOnceAndDrawsTheDecodedBitmap) {
    QImage solid(64, 48, QImage::Format_RGB888);
    solid.fill(QColor(200, 30, 60));
    TJPEGImage image;
    Load(image, EncodeJpeg(solid, {.Quality = 100}));
    int starts = 0;
    image.OnProgress = [&](TGraphic&, TProgressStage stage, int) {
        starts += stage == TProgressStage::psStarting;
    };

    QImage target(10, 10, QImage::Format_RGB32);
    target.fill(Qt::white);
    QPainter painter(&target);
    TCanvas canvas(painter);
    canvas.DrawStretched({0, 0, 10, 10}, &image);
    const TBitmapImage* decoded = image.DecodedBitmap().SharedImage();
    canvas.DrawStretched({0, 0, 10, 10}, &image);
    painter.end();

    EXPECT_EQ(starts, 1);
    EXPECT_EQ(image.DecodedBitmap().SharedImage(), decoded);
    EXPECT_EQ(image.DecodedBitmap().BitCount(), 24);
    EXPECT_EQ(image.DecodedBitmap().Image().format(), QImage::Format_BGR888);
    const QColor drawn = target.pixelColor(5, 5);
    EXPECT_NEAR(drawn.red(), 200, 2);
    EXPECT_NEAR(drawn.green(), 30, 2);
    EXPECT_NEAR(drawn.blue(), 60, 2);

    // Loading again drops the decoded bitmap.
    Load(image, EncodeJpeg(TestPicture(8, 8)));
    EXPECT_FALSE(image.HasDecodedBitmap());
    EXPECT_EQ(image.PixelWidth(), 8);
}

TEST(Jpeg, CopiesShareTheDataAndTheDecodedBitmapButNotTheSettings) {
    TJPEGImage source;
    source.Settings.EightBitOutput = true;
    Load(source, EncodeJpeg(TestPicture(30, 20)));

    TPicture undecoded;
    undecoded.CopyFrom(&source);
    auto* copy = dynamic_cast<TJPEGImage*>(undecoded.Content());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->Data(), source.Data());
    EXPECT_FALSE(copy->HasDecodedBitmap());
    EXPECT_FALSE(copy->Settings.EightBitOutput);
    EXPECT_EQ(copy->DecodedBitmap().BitCount(), 24);

    source.DecodedBitmap();
    TPicture decoded;
    decoded.CopyFrom(&source);
    auto* second = dynamic_cast<TJPEGImage*>(decoded.Content());
    ASSERT_NE(second, nullptr);
    ASSERT_TRUE(second->HasDecodedBitmap());
    EXPECT_EQ(second->DecodedBitmap().SharedImage(), source.DecodedBitmap().SharedImage());
    EXPECT_EQ(second->DecodedBitmap().BitCount(), 8);
}

TEST(Jpeg, GreyFilesGiveAnEightBitBitmapWithAtMost236GreyLevels) {
    TJPEGImage image;
    ASSERT_FALSE(image.Settings.EightBitOutput);
    Load(image, EncodeJpeg(TestPicture(90, 70), {.Grey = true}));
    const TBitmap& bitmap = image.DecodedBitmap();
    EXPECT_EQ(bitmap.BitCount(), 8);
    EXPECT_EQ(bitmap.Image().format(), QImage::Format_Indexed8);
    const QList<QRgb> table = bitmap.Image().colorTable();
    EXPECT_GT(table.size(), 1);
    EXPECT_LE(table.size(), 236);
    for (QRgb entry : table)
        EXPECT_TRUE(qRed(entry) == qGreen(entry) && qGreen(entry) == qBlue(entry));
    for (int y = 0; y < bitmap.PixelHeight(); ++y)
        for (int x = 0; x < bitmap.PixelWidth(); ++x)
            ASSERT_LT(bitmap.Image().pixelIndex(x, y), table.size());
    EXPECT_TRUE(image.HasPalette());
}

// What the progress target saw, and an optional action for the first running report.
struct TProgressLog {
    std::vector<std::pair<TProgressStage, int>> Events;
    std::function<void()> OnRunning;

    void Attach(TJPEGImage& image) {
        image.OnProgress = [this](TGraphic&, TProgressStage stage, int percent) {
            Events.emplace_back(stage, percent);
            if (stage == TProgressStage::psStarting && OnRunning)
                // Running reports come at most every 500 ms.
                std::this_thread::sleep_for(std::chrono::milliseconds(550));
            if (stage == TProgressStage::psRunning && OnRunning)
                OnRunning();
        };
    }
};

static bool RowIsBlack(const QImage& image, int y) {
    const uchar* row = image.constScanLine(y);
    return std::all_of(row, row + image.width() * 3, [](uchar b) { return b == 0; });
}

TEST(Jpeg, ProgressReportsStartAndEnd) {
    TJPEGImage image;
    Load(image, EncodeJpeg(TestPicture(50, 50)));
    TProgressLog log;
    log.Attach(image);
    image.DecodedBitmap();
    ASSERT_GE(log.Events.size(), 2u);
    EXPECT_EQ(log.Events.front(), std::make_pair(TProgressStage::psStarting, 0));
    EXPECT_EQ(log.Events.back(), std::make_pair(TProgressStage::psEnding, 100));
}

TEST(Jpeg, AbortFromTheProgressTargetEndsDecodingSilently) {
    TJPEGImage image;
    Load(image, EncodeJpeg(TestPicture(64, 400)));
    TProgressLog log;
    log.OnRunning = [] {
        throw EAbort();
    };
    log.Attach(image);
    EXPECT_EQ(MessageOf([&] { image.DecodedBitmap(); }), "(no error)");
    const QImage& pixels = image.DecodedBitmap().Image();
    ASSERT_EQ(pixels.height(), 400);
    EXPECT_FALSE(RowIsBlack(pixels, 0));
    EXPECT_TRUE(RowIsBlack(pixels, 399));
    EXPECT_EQ(log.Events.back(), std::make_pair(TProgressStage::psEnding, 0));
}

TEST(Jpeg, FailureInsideTheDecoderIsReportedOnceAndKeepsTheDecodedRows) {
    TJPEGImage image;
    Load(image, EncodeJpeg(TestPicture(64, 400)));
    TProgressLog log;
    log.OnRunning = [] {
        throw EInvalidOperation("Abbruch im Fortschritt");
    };
    log.Attach(image);
    EXPECT_EQ(MessageOf([&] { image.DecodedBitmap(); }), "Abbruch im Fortschritt");
    EXPECT_EQ(MessageOf([&] { image.DecodedBitmap(); }), "(no error)");
    const QImage& pixels = image.DecodedBitmap().Image();
    ASSERT_EQ(pixels.height(), 400);
    EXPECT_FALSE(RowIsBlack(pixels, 0));
    EXPECT_TRUE(RowIsBlack(pixels, 399));
    EXPECT_EQ(image.PixelWidth(), 64);
}

// Blocks of pure colours, compressed as four-component files the ways print programs do.
TEST(Jpeg, FourComponentFilesBecomeTwentyFourBitColours) {
    const QColor colours[] = {Qt::red,   Qt::green, Qt::blue,
                              Qt::white, Qt::black, QColor(255, 200, 0)};
    QImage blocks(16 * 6, 16, QImage::Format_RGB888);
    for (int i = 0; i < 6; ++i)
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                blocks.setPixelColor(16 * i + x, y, colours[i]);
    const TEncoding kinds[] = {{.Quality = 100, .Cmyk = true},
                               {.Quality = 100, .Cmyk = true, .Ycck = true},
                               {.Quality = 100, .Cmyk = true, .AdobeMarker = false}};
    for (const TEncoding& kind : kinds) {
        TJPEGImage image;
        image.Settings.EightBitOutput = true; // no palette for these; they stay 24-bit
        Load(image, EncodeJpeg(blocks, kind));
        const TBitmap& bitmap = image.DecodedBitmap();
        ASSERT_EQ(bitmap.BitCount(), 24);
        for (int i = 0; i < 6; ++i) {
            const QColor got = bitmap.Image().pixelColor(16 * i + 8, 8);
            EXPECT_NEAR(got.red(), colours[i].red(), 6) << i << " ycck " << kind.Ycck;
            EXPECT_NEAR(got.green(), colours[i].green(), 6) << i << " ycck " << kind.Ycck;
            EXPECT_NEAR(got.blue(), colours[i].blue(), 6) << i << " ycck " << kind.Ycck;
        }
    }
}

// Decoded pixels against djpeg with the matching options: the bitmap must hold exactly
// what libjpeg produces, row for row, in the bitmap's own format.
struct TReferenceCase {
    const char* Name;
    TEncoding Encoding;
    TJPEGSettings Settings;
    QStringList Options;
    int BitCount;
};

class JpegAgainstDjpeg : public testing::TestWithParam<TReferenceCase> {};

TEST_P(JpegAgainstDjpeg, DecodesExactlyAsLibjpeg) {
    SKIP_WITHOUT_DJPEG();
    const TReferenceCase& c = GetParam();
    const auto bytes = EncodeJpeg(TestPicture(203, 117), c.Encoding);
    TJPEGImage image;
    image.Settings = c.Settings;
    Load(image, bytes);
    const QImage expected = ReferenceDecode(bytes, c.Options);
    ASSERT_FALSE(expected.isNull());
    EXPECT_EQ(image.PixelWidth(), expected.width());
    EXPECT_EQ(image.PixelHeight(), expected.height());
    const TBitmap& bitmap = image.DecodedBitmap();
    EXPECT_EQ(bitmap.BitCount(), c.BitCount);
    if (c.BitCount == 8) {
        EXPECT_LE(bitmap.Image().colorCount(), 236);
    }
    EXPECT_EQ(CompareImages(AsRgb(bitmap), expected), "");
}

INSTANTIATE_TEST_SUITE_P(
    Settings, JpegAgainstDjpeg,
    testing::Values(
        TReferenceCase{"Baseline", {}, {}, {}, 24},
        TReferenceCase{"Progressive", {.Progressive = true}, {}, {}, 24},
        TReferenceCase{"LowQuality", {.Quality = 20}, {}, {}, 24},
        TReferenceCase{"EightBit", {}, {.EightBitOutput = true}, {"-colors", "236"}, 8},
        TReferenceCase{"Grey", {.Grey = true}, {}, {"-colors", "236"}, 8},
        TReferenceCase{"GreyOutput", {}, {.GrayOutput = true}, {"-grayscale", "-colors", "236"}, 8},
        TReferenceCase{"Fast", {}, {.FastMode = true}, {"-dct", "fast"}, 24},
        TReferenceCase{"FastEightBit",
                       {},
                       {.EightBitOutput = true, .FastMode = true},
                       {"-dct", "fast", "-onepass", "-dither", "ordered", "-colors", "236"},
                       8},
        TReferenceCase{"ProgressiveLowQuality", {.Quality = 15, .Progressive = true}, {}, {}, 24},
        TReferenceCase{"HalfSize", {}, {.ScaleShift = 1}, {"-scale", "1/2"}, 24},
        TReferenceCase{"EighthSize", {}, {.ScaleShift = 3}, {"-scale", "1/8"}, 24}),
    [](const testing::TestParamInfo<TReferenceCase>& info) { return info.param.Name; });

TEST(Jpeg, TruncatedFileShowsItsUpperPartAsLibjpegFillsIt) {
    SKIP_WITHOUT_DJPEG();
    const QImage picture = TestPicture(160, 240);
    const auto whole = EncodeJpeg(picture);
    const std::vector<uint8_t> cut(whole.begin(), whole.begin() + long(whole.size() / 2));
    TJPEGImage image;
    Load(image, cut);
    EXPECT_EQ(MessageOf([&] { image.DecodedBitmap(); }), "(no error)");
    const QImage decoded = AsRgb(image.DecodedBitmap());
    EXPECT_EQ(CompareImages(decoded, ReferenceDecode(cut, {})), "");

    TJPEGImage full;
    Load(full, whole);
    const QImage top = AsRgb(full.DecodedBitmap()).copy(0, 0, 160, 40);
    EXPECT_EQ(CompareImages(decoded.copy(0, 0, 160, 40), top), "");
}

// Block smoothing only matters where coefficients are missing: a progressive file cut off
// before its refining scans.
TEST(Jpeg, BlockSmoothingIsAppliedToIncompleteProgressiveFiles) {
    SKIP_WITHOUT_DJPEG();
    const auto whole = EncodeJpeg(TestPicture(160, 120), {.Progressive = true});
    const std::vector<uint8_t> cut(whole.begin(), whole.begin() + long(whole.size() / 4));
    const QImage expected = ReferenceDecode(cut, {});
    TJPEGImage smoothed;
    Load(smoothed, cut);
    EXPECT_EQ(CompareImages(AsRgb(smoothed.DecodedBitmap()), expected), "");
    TJPEGImage plain;
    plain.Settings.BlockSmoothing = false;
    Load(plain, cut);
    EXPECT_NE(CompareImages(AsRgb(plain.DecodedBitmap()), expected), "");
}

TEST(Jpeg, CoveringScaleIsTheSmallestThatStillFillsTheArea) {
    struct Case {
        int Width, Height;
        double AreaWidth, AreaHeight;
        int Shift;
    };
    const Case cases[] = {
        {6000, 4000, 153, 102, 3},                            // 750 × 500 at 1/8
        {1000, 1000, 126, 126, 2},                            // 125 at 1/8 falls one pixel short
        {1000, 1000, 125, 125, 3}, {1001, 1001, 126, 126, 3}, // libjpeg rounds 125.125 up
        {640, 480, 320, 241, 0},                              // the height needs the full size
        {640, 480, 320, 240, 1},   {640, 480, 319.5, 239.2, 1}, {640, 480, 640, 480, 0},
        {100, 100, 0, 0, 3},       {6000, 4000, 6000, 1, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CoveringScaleShift(c.Width, c.Height, c.AreaWidth, c.AreaHeight), c.Shift)
            << c.Width << "x" << c.Height << " in " << c.AreaWidth << "x" << c.AreaHeight;
}

TEST(Jpeg, ReducedScaleDecodesAgainAtTheNewSize) {
    TJPEGImage image;
    Load(image, EncodeJpeg(TestPicture(123, 45)));
    image.SetScaleShift(2);
    EXPECT_EQ(image.PixelWidth(), 31);
    EXPECT_EQ(image.DecodedBitmap().PixelWidth(), 31);
    EXPECT_EQ(image.DecodedBitmap().PixelHeight(), 12);
    image.SetScaleShift(2);
    EXPECT_TRUE(image.HasDecodedBitmap());
    image.SetScaleShift(1);
    EXPECT_FALSE(image.HasDecodedBitmap());
    EXPECT_EQ(image.DecodedBitmap().PixelWidth(), 62);
    EXPECT_EQ(image.Data()->ImageWidth, 123);
}

namespace {
// The JPEG with an Exif block naming the orientation, in Motorola or Intel byte order,
// right after the start of image.
std::vector<uint8_t> WithExifOrientation(const std::vector<uint8_t>& jpeg, int orientation,
                                         bool bigEndian) {
    std::vector<uint8_t> tiff;
    const auto put = [&](uint32_t value, int size) {
        for (int i = 0; i < size; ++i)
            tiff.push_back(uint8_t(value >> 8 * (bigEndian ? size - 1 - i : i)));
    };
    tiff.push_back(bigEndian ? 'M' : 'I');
    tiff.push_back(bigEndian ? 'M' : 'I');
    put(42, 2);
    put(8, 4);      // the first directory follows the header
    put(1, 2);      // one entry:
    put(0x0112, 2); // orientation,
    put(3, 2);      // a 16-bit number,
    put(1, 4);      // one of them,
    put(uint32_t(orientation), 2);
    put(0, 2);
    put(0, 4); // no further directory
    std::vector<uint8_t> segment = {0xFF, 0xE1, 0, 0, 'E', 'x', 'i', 'f', 0, 0};
    segment.insert(segment.end(), tiff.begin(), tiff.end());
    segment[2] = uint8_t((segment.size() - 2) >> 8);
    segment[3] = uint8_t(segment.size() - 2);
    std::vector<uint8_t> out(jpeg.begin(), jpeg.begin() + 2);
    out.insert(out.end(), segment.begin(), segment.end());
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}
} // namespace

// A 64 × 32 picture of red, green / blue, white quarters, stored with each Exif
// orientation: drawn at its pixel size, its quarters stand the way the camera was held.
TEST(Jpeg, ExifOrientationTurnsAndMirrorsThePicture) {
    const QRgb R = qRgb(255, 0, 0), G = qRgb(0, 255, 0), B = qRgb(0, 0, 255),
               W = qRgb(255, 255, 255);
    QImage stored(64, 32, QImage::Format_RGB888);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x)
            stored.setPixel(x, y, y < 16 ? (x < 32 ? R : G) : (x < 32 ? B : W));
    const std::vector<uint8_t> plain = EncodeJpeg(stored, {.Quality = 100});
    struct TCase {
        int Orientation;
        bool BigEndian;
        QRgb TopLeft, TopRight, BottomLeft, BottomRight;
    };
    const TCase cases[] = {
        {1, true, R, G, B, W},
        {2, true, G, R, W, B},
        {3, false, W, B, G, R},
        {4, true, B, W, R, G},
        {5, false, R, B, G, W},
        {6, true, B, R, W, G},
        {6, false, B, R, W, G},
        {7, true, W, G, B, R},
        {8, false, G, W, R, B},
        // Values Exif does not define show the pixels as stored.
        {0, true, R, G, B, W},
        {9, false, R, G, B, W},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE("orientation " + std::to_string(c.Orientation) +
                     (c.BigEndian ? " MM" : " II"));
        TJPEGImage image;
        Load(image, WithExifOrientation(plain, c.Orientation, c.BigEndian));
        const bool upright = c.Orientation < 5 || c.Orientation > 8;
        const QSize size = upright ? QSize(64, 32) : QSize(32, 64);
        EXPECT_EQ(QSize(image.PixelWidth(), image.PixelHeight()), size);
        QImage shown(size, QImage::Format_RGB32);
        QPainter painter(&shown);
        TCanvas canvas(painter);
        canvas.DrawStretched({0, 0, size.width(), size.height()}, &image);
        painter.end();
        EXPECT_EQ(QSize(image.PixelWidth(), image.PixelHeight()), size) << "after decoding";
        const auto at = [&](double fx, double fy) {
            const QColor colour = shown.pixelColor(int(fx * size.width()), int(fy * size.height()));
            const QRgb wanted[] = {R, G, B, W};
            for (QRgb w : wanted)
                if (std::abs(colour.red() - qRed(w)) + std::abs(colour.green() - qGreen(w)) +
                        std::abs(colour.blue() - qBlue(w)) <
                    60)
                    return w;
            return colour.rgb();
        };
        EXPECT_EQ(at(0.25, 0.25), c.TopLeft);
        EXPECT_EQ(at(0.75, 0.25), c.TopRight);
        EXPECT_EQ(at(0.25, 0.75), c.BottomLeft);
        EXPECT_EQ(at(0.75, 0.75), c.BottomRight);
    }
    // An Exif block whose directory lies beyond its end names no orientation, and is no
    // error.
    std::vector<uint8_t> cut = WithExifOrientation(plain, 6, true);
    cut[14] = cut[15] = 0xFF; // the directory's offset, after SOI, marker and "Exif"
    TJPEGImage image;
    EXPECT_NO_THROW(Load(image, cut));
    EXPECT_EQ(image.Orientation(), 1);
}

namespace {
// The picture drawn into a rectangle of the given device pixels at the top left of a
// 600-dpi PDF page, rasterised again at 600 dpi.
QImage PrintedAt600Dpi(TGraphic& picture, QSize pixels, const std::string& pdf) {
    {
        QPdfWriter writer(QString::fromStdString(pdf));
        writer.setResolution(600);
        writer.setPageSize(QPageSize(QSizeF(100, 100), QPageSize::Millimeter));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter(&writer);
        TCanvas canvas(painter);
        canvas.DrawStretched({0, 0, pixels.width(), pixels.height()}, &picture);
    }
    const QString pdftoppm = QStandardPaths::findExecutable("pdftoppm");
    QProcess process;
    process.start(pdftoppm, {"-r", "600", "-singlefile", QString::fromStdString(pdf),
                             QString::fromStdString(pdf + ".out")});
    if (!process.waitForFinished(120000))
        return {};
    return ParsePnm(ReadFileBytes(pdf + ".out.ppm")).copy(QRect(QPoint(0, 0), pixels));
}
} // namespace

// A printed picture larger than the page shows is decoded at a reduced scale where that
// still covers the printed pixels, and comes out as the full decode, averaged down, does:
// the same pixels where the full size is needed, close to them where libjpeg halves. The
// reduced decode is not kept, so the picture drawn larger later is decoded in full.
TEST(Jpeg, PrintedPicturesMatchTheFullDecodeAveragedDown) {
    if (QStandardPaths::findExecutable("pdftoppm").isEmpty())
        GTEST_SKIP() << "pdftoppm (poppler-utils) not installed";
    const std::vector<uint8_t> plain = EncodeJpeg(TestPicture(1200, 800), {.Quality = 90});
    struct TCase {
        int Orientation;
        QSize Printed; // device pixels, as shown
        int WorstStep, MeanStepTimes100;
    };
    const TCase cases[] = {
        {1, {700, 467}, 0, 0},    // more than half the pixels: the full size
        {1, {500, 333}, 32, 200}, // decoded at 1/2
        {6, {333, 500}, 32, 200}, // turned by Exif, decoded at 1/2
        {1, {250, 167}, 32, 200}, // decoded at 1/4
    };
    TempDir dir;
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.Printed.width()) + "x" + std::to_string(c.Printed.height()) +
                     ", orientation " + std::to_string(c.Orientation));
        const std::vector<uint8_t> bytes =
            c.Orientation == 1 ? plain : WithExifOrientation(plain, c.Orientation, true);
        TJPEGImage full;
        Load(full, bytes);
        full.DecodedBitmap();
        const QImage expected = PrintedAt600Dpi(full, c.Printed, dir.File("full.pdf"));
        TJPEGImage printed;
        Load(printed, bytes);
        const QImage reduced = PrintedAt600Dpi(printed, c.Printed, dir.File("reduced.pdf"));
        ASSERT_EQ(expected.size(), c.Printed);
        ASSERT_EQ(reduced.size(), c.Printed);
        int worst = 0;
        int64_t total = 0;
        for (int y = 0; y < c.Printed.height(); ++y)
            for (int i = 0; i < c.Printed.width() * 3; ++i) {
                const int step =
                    std::abs(expected.constScanLine(y)[i] - reduced.constScanLine(y)[i]);
                worst = std::max(worst, step);
                total += step;
            }
        EXPECT_LE(worst, c.WorstStep);
        EXPECT_LE(total * 100 / (int64_t(c.Printed.width()) * c.Printed.height() * 3),
                  c.MeanStepTimes100);
        EXPECT_FALSE(printed.HasDecodedBitmap());
        EXPECT_EQ(printed.DecodedBitmap().PixelWidth(), 1200);
    }
}
