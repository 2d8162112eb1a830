// Icons built here byte by byte: what loading checks, every depth with its mask, alpha, PNG
// entries, the choice of entry by colour count, broken directories, and where an icon lands
// on a canvas, on a page in tenths of a millimetre and in a picture control.
#include <QBuffer>
#include <QPainter>
#include <functional>
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "picture/Bitmap.h"
#include "picture/Canvas.h"
#include "picture/IcoReader.h"
#include "picture/Icon.h"
#include "picture/Image.h"
#include "picture/Picture.h"
#include "toolkit/Errors.h"
#include "toolkit/Stream.h"

namespace {

const QRgb Red = qRgb(255, 0, 0);
const QRgb Blue = qRgb(0, 0, 255);
const QRgb Green = qRgb(0, 255, 0);
const QRgb Yellow = qRgb(255, 255, 0);
const QRgb Grey = qRgb(128, 128, 128);
const QRgb Clear = qRgba(0, 0, 0, 0);

// The stored value of the pixel at (x, y) (a colour index, or 0xAARRGGBB), and whether the
// mask makes it transparent. y counts from the top.
using TPixelFunction = std::function<uint32_t(int x, int y)>;
using TMaskFunction = std::function<bool(int x, int y)>;

// An icon image as a DIB: a 40-byte header whose height counts both row sets, a colour table
// of 2^bits entries for up to 8 bits, the colour rows and the mask rows, bottom row first.
std::vector<uint8_t> IconDib(int size, int bits, std::vector<QRgb> table, TPixelFunction pixel,
                             TMaskFunction transparent) {
    std::vector<uint8_t> out;
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(size));
    Put32(out, static_cast<uint32_t>(2 * size));
    Put16(out, 1);
    Put16(out, static_cast<uint32_t>(bits));
    for (int i = 0; i < 6; ++i)
        Put32(out, 0);
    if (bits <= 8) {
        table.resize(size_t(1) << bits, qRgb(0, 0, 0));
        for (QRgb colour : table)
            out.insert(out.end(),
                       {uint8_t(qBlue(colour)), uint8_t(qGreen(colour)), uint8_t(qRed(colour)), 0});
    }
    auto pad = [&out] {
        out.resize((out.size() + 3) / 4 * 4, 0);
    };
    for (int y = size - 1; y >= 0; --y) {
        std::vector<uint8_t> row((size * bits + 7) / 8, 0);
        for (int x = 0; x < size; ++x) {
            const uint32_t value = pixel(x, y);
            if (bits < 8)
                row[x * bits / 8] |= uint8_t(value << (8 - bits - x * bits % 8));
            else
                for (int b = 0; b < bits / 8; ++b)
                    row[x * bits / 8 + b] = uint8_t(value >> (8 * b));
        }
        out.insert(out.end(), row.begin(), row.end());
        pad();
    }
    for (int y = size - 1; y >= 0; --y) {
        std::vector<uint8_t> row((size + 7) / 8, 0);
        for (int x = 0; x < size; ++x)
            if (transparent(x, y))
                row[x / 8] |= uint8_t(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
        pad();
    }
    return out;
}

// A 24-bit icon image of one colour without transparent pixels.
std::vector<uint8_t> SolidDib(int size, QRgb colour) {
    return IconDib(
        size, 24, {}, [colour](int, int) { return colour & 0xFFFFFF; },
        [](int, int) { return false; });
}

std::vector<uint8_t> Png(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return {bytes.begin(), bytes.end()};
}

struct TEntry {
    uint16_t Colours;
    std::vector<uint8_t> Image;
};

// An icon file of type 1 with the entries' images after the directory, in order.
std::vector<uint8_t> IconFile(const std::vector<TEntry>& entries) {
    std::vector<uint8_t> out;
    Put16(out, 0);
    Put16(out, 1);
    Put16(out, static_cast<uint32_t>(entries.size()));
    uint32_t offset = static_cast<uint32_t>(6 + 16 * entries.size());
    for (const TEntry& entry : entries) {
        out.insert(out.end(), {32, 32});
        Put16(out, entry.Colours);
        Put32(out, 0); // planes, bits per pixel
        Put32(out, static_cast<uint32_t>(entry.Image.size()));
        Put32(out, offset);
        offset += static_cast<uint32_t>(entry.Image.size());
    }
    for (const TEntry& entry : entries)
        out.insert(out.end(), entry.Image.begin(), entry.Image.end());
    return out;
}

std::unique_ptr<TIcon> LoadIcon(const std::vector<uint8_t>& bytes) {
    auto icon = std::make_unique<TIcon>();
    TBytesStream stream(bytes);
    icon->ReadFrom(stream);
    return icon;
}

// The message of the exception E that running the action raises.
template <typename E, typename Action> std::string FailureOf(Action&& action) {
    try {
        action();
    } catch (const E& error) {
        return error.Message();
    } catch (const std::exception& other) {
        return std::string("other exception: ") + other.what();
    }
    return "no exception";
}

QImage Target(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Grey);
    return image;
}

// Whether the target shows the icon's colour only inside the square of `side` pixels at
// (left, top), and the background everywhere else.
std::string SquareAt(const QImage& image, int left, int top, int side, QRgb colour) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const bool inside = x >= left && x < left + side && y >= top && y < top + side;
            const QRgb want = inside ? colour : Grey;
            if (image.pixel(x, y) != want)
                return "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ")";
        }
    return {};
}

} // namespace

TEST(IconLoad, ChecksOnlyTheTypeAndKeepsTheSystemSize) {
    struct TCase {
        std::vector<uint8_t> Bytes;
        std::string Failure; // empty: loads
    };
    const TCase cases[] = {
        {{0, 0, 1, 0, 1, 0}, ""},
        {{0, 0, 0, 0, 0, 0}, ""},                  // the standard icon
        {{7, 7, 1, 0, 0, 0}, ""},                  // reserved and count are not tested
        {{0, 0, 1, 0, 200, 0, 'x'}, ""},           // nor the directory
        {{0, 0, 2, 0, 1, 0}, "Ungültiges Symbol"}, // a cursor
        {{0, 0, 0, 1, 1, 0}, "Ungültiges Symbol"}, // type 256
        {{'B', 'M', 0x36, 0x10, 0, 0, 0, 0}, "Ungültiges Symbol"}, // a bitmap named .ico
        {{0, 0, 1, 0, 1}, "Stream-Read-Fehler"},
        {{}, "Stream-Read-Fehler"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.Bytes));
        const std::string failure = FailureOf<Exception>([&] { LoadIcon(c.Bytes); });
        EXPECT_EQ(failure, c.Failure.empty() ? "no exception" : c.Failure);
    }
    const auto icon = LoadIcon({0, 0, 1, 0, 0, 0});
    EXPECT_FALSE(icon->IsEmpty());
    EXPECT_TRUE(icon->Transparent());
    EXPECT_EQ(icon->PixelWidth(), 32);
    EXPECT_EQ(icon->PixelHeight(), 32);
    EXPECT_TRUE(TIcon().IsEmpty());
    EXPECT_EQ(TIcon().PixelWidth(), 32);
    EXPECT_EQ(FailureOf<EInvalidGraphicOperation>([&] { icon->SetWidth(64); }),
              "Die Größe eines Symbols kann nicht geändert werden");
    EXPECT_EQ(FailureOf<EInvalidGraphicOperation>([&] { icon->SetHeight(32); }),
              "Die Größe eines Symbols kann nicht geändert werden");
}

TEST(IconImage, EveryDepthCombinesColoursWithItsMaskAtTheSystemSize) {
    // Left half red, right half blue, the bottom-right quadrant transparent by the mask.
    struct TCase {
        int Bits;
        int Size;
        uint32_t Left, Right; // stored values: indexes up to 8 bits
    };
    const TCase cases[] = {
        {1, 32, 0, 1},
        {4, 16, 3, 12},   // scaled up
        {8, 48, 200, 17}, // scaled down
        {24, 32, 0xFF0000, 0x0000FF},
        {32, 32, 0xFF0000, 0x0000FF}, // no alpha at all: the mask decides
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Bits);
        std::vector<QRgb> table(256, Green);
        if (c.Bits <= 8) {
            table[c.Left] = Red;
            table[c.Right] = Blue;
        }
        const int half = c.Size / 2;
        const auto dib = IconDib(
            c.Size, c.Bits, table, [&](int x, int) { return x < half ? c.Left : c.Right; },
            [half](int x, int y) { return x >= half && y >= half; });
        const QImage image = MakeIconImage(IconFile({{0, dib}}), 32);
        ASSERT_EQ(image.size(), QSize(32, 32));
        EXPECT_EQ(image.pixel(4, 4), Red);
        EXPECT_EQ(image.pixel(4, 27), Red);
        EXPECT_EQ(image.pixel(27, 4), Blue);
        EXPECT_EQ(image.pixel(27, 27), Clear);
    }
}

TEST(IconImage, AlphaOfThirtyTwoBitImagesWinsOverTheMask) {
    // Opaque red at the top, half-transparent blue below; the mask says the opposite.
    const auto dib = IconDib(
        32, 32, {}, [](int, int y) { return y < 16 ? 0xFFFF0000u : 0x800000FFu; },
        [](int, int y) { return y < 16; });
    const QImage image = MakeIconImage(IconFile({{0, dib}}), 32);
    EXPECT_EQ(image.pixel(5, 5), Red);
    EXPECT_EQ(image.pixel(5, 20), qRgba(0, 0, 255, 0x80));
}

TEST(IconImage, PngEntriesDecodeWithTheirAlpha) {
    QImage picture(32, 32, QImage::Format_ARGB32);
    picture.fill(Clear);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 16; ++x)
            picture.setPixel(x, y, Green);
    QImage image = MakeIconImage(IconFile({{0, Png(picture)}}), 32);
    EXPECT_EQ(image.pixel(3, 3), Green);
    EXPECT_EQ(image.pixel(20, 3), Clear);

    QImage large(256, 256, QImage::Format_RGB32);
    large.fill(Yellow);
    image = MakeIconImage(IconFile({{0, Png(large)}}), 32);
    ASSERT_EQ(image.size(), QSize(32, 32));
    EXPECT_EQ(image.pixel(16, 16), Yellow);
}

TEST(IconImage, EntryIsChosenByTheScreensColourCount) {
    struct TDepth {
        int Bits;
        uint16_t Count;
    };
    for (const TDepth d : {TDepth{1, 2}, {4, 16}, {8, 256}, {15, 32768}, {16, 0}, {24, 0}, {32, 1}})
        EXPECT_EQ(ScreenColourCount(d.Bits), d.Count) << d.Bits;

    const QRgb colours[] = {Red, Blue, Green, Yellow};
    struct TCase {
        std::vector<uint16_t> Colours; // of each entry, in order
        int ScreenBits;
        size_t Chosen;
    };
    const TCase cases[] = {
        {{16, 256, 0}, 8, 1},   // equal to the screen's count
        {{0, 16, 256}, 8, 2},   // equal wins even after a candidate
        {{256, 2, 0, 8}, 4, 3}, // more colours than the first candidate, within the screen
        {{2, 256}, 4, 1},       // more than the first candidate, though beyond the screen
        {{2, 0, 16, 8}, 1, 0},  // equal at once
        {{256, 16}, 1, 0},      // nothing fits: the first
        {{16, 0, 256}, 32, 2},  // 32 bits count 1: 0 fits, then 256 exceeds it
        {{16, 0, 256}, 24, 1},  // 24 bits count 0
        {{16, 0, 256}, 16, 1},  // and so do 16
        {{0, 0, 0}, 32, 0},     // equal colours never replace the candidate
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << testing::PrintToString(c.Colours) << " on " << c.ScreenBits << " bits");
        std::vector<TEntry> entries;
        for (size_t i = 0; i < c.Colours.size(); ++i)
            entries.push_back({c.Colours[i], SolidDib(32, colours[i])});
        EXPECT_EQ(MakeIconImage(IconFile(entries), c.ScreenBits).pixel(10, 10), colours[c.Chosen]);
    }
}

TEST(IconImage, BrokenFilesFailAtEveryDrawingWithoutReadingOutside) {
    const auto good = IconFile({{0, SolidDib(32, Red)}});
    const auto with = [&good](size_t at, std::vector<uint8_t> patch) {
        std::vector<uint8_t> bytes = good;
        std::copy(patch.begin(), patch.end(), bytes.begin() + static_cast<long>(at));
        return bytes;
    };
    std::vector<uint8_t> cut = good;
    cut.resize(6 + 10);
    QImage huge(1, 1, QImage::Format_RGB32);
    auto hugePng = Png(huge);
    hugePng[16] = hugePng[20] = 0x7F; // IHDR: 2^31 × 2^31 pixels
    auto badPng = Png(huge);
    badPng.resize(40);
    // A PNG chunk claiming more bytes than the file holds.
    auto longChunk = Png(huge);
    longChunk[33] = 0x7F;
    const std::string invalid = "Ungültiges Symbol";
    struct TCase {
        const char* What;
        std::vector<uint8_t> Bytes;
        std::string Failure;
    };
    const TCase cases[] = {
        {"no entries", {0, 0, 1, 0, 0, 0}, invalid},
        {"directory cut short", cut, invalid},
        {"offset past the end", with(18, {0xFF, 0xFF, 0, 0}), invalid},
        {"size past the end", with(14, {0xFF, 0xFF, 0xFF, 0xFF}), invalid},
        {"offset and size overflow 32 bits", with(14, {0xF0, 0xFF, 0xFF, 0xFF, 0x20, 0, 0, 0x10}),
         invalid},
        {"size 0", with(14, {0, 0, 0, 0}), invalid},
        {"no usable depth", with(22 + 14, {3}), invalid},
        {"planes 0", with(22 + 12, {0}), invalid},
        {"height 1 leaves no colour row", with(22 + 8, {1, 0, 0, 0}), invalid},
        {"run-length codes", with(22 + 14, {8, 0, 1}), invalid},
        {"absurd PNG size, its header's checksum broken", IconFile({{0, hugePng}}),
         "PNG-Bild ist ungültig"},
        {"PNG cut short", IconFile({{0, badPng}}), "PNG-Bild ist ungültig"},
        {"PNG chunk longer than the file", IconFile({{0, longChunk}}), "PNG-Bild ist ungültig"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        const auto icon = LoadIcon(c.Bytes);
        QImage target = Target(40, 40);
        QPainter painter(&target);
        TCanvas canvas(painter);
        for (int drawing = 0; drawing < 2; ++drawing)
            EXPECT_EQ(FailureOf<Exception>([&] {
                          canvas.DrawStretched({0, 0, 40, 40}, icon.get());
                      }),
                      c.Failure);
        painter.end();
        EXPECT_EQ(SquareAt(target, 0, 0, 0, Red), "");
    }
}

TEST(IconImage, TypeZeroIsTheStandardApplicationIcon) {
    const QImage image = MakeIconImage(std::vector<uint8_t>{0, 0, 0, 0, 0, 0}, 32);
    ASSERT_EQ(image.size(), QSize(32, 32));
    int opaque = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            opaque += qAlpha(image.pixel(x, y)) == 255;
    EXPECT_GT(opaque, 100);
}

TEST(IconDrawing, LandsUnstretchedAtTheTopLeftInLogicalUnits) {
    const auto icon = LoadIcon(IconFile({{0, SolidDib(16, Red)}}));
    // On an image: the rectangle's corner, 32 × 32 pixels, whatever the rectangle's size.
    for (const TRect rect : {TRect{10, 20, 90, 95}, TRect{5, 5, 6, 6}, TRect{0, 0, 200, 200}}) {
        QImage target = Target(100, 100);
        QPainter painter(&target);
        TCanvas canvas(painter);
        canvas.DrawStretched(rect, icon.get());
        painter.end();
        EXPECT_EQ(SquareAt(target, rect.Left, rect.Top, 32, Red), "") << rect.Left;
    }
    // On a page mapped as the printed sheet is, one unit being 0.1 mm at 254 dpi: two pixels.
    QImage page = Target(200, 200);
    QPainter painter(&page);
    painter.setWindow(0, 0, 100, 100);
    painter.setViewport(0, 0, 200, 200);
    TCanvas canvas(painter);
    canvas.DrawStretched({30, 10, 130, 110}, icon.get());
    painter.end();
    EXPECT_EQ(SquareAt(page, 60, 20, 64, Red), "");
}

TEST(IconDrawing, PictureControlShowsItAtTheTopLeftOverItsParent) {
    QWidget parent;
    parent.resize(220, 220);
    QPalette palette = parent.palette();
    palette.setColor(QPalette::Window, QColor(Grey));
    parent.setPalette(palette);
    parent.setAutoFillBackground(true);
    auto* control = new TImage(&parent);
    control->setGeometry(10, 10, 200, 200);
    control->SetStretch(true);
    control->Picture().CopyFrom(LoadIcon(IconFile({{0, SolidDib(32, Red)}})).get());

    EXPECT_FALSE(control->Opaque());
    const QImage shown = parent.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(SquareAt(shown, 10, 10, 32, Red), "");

    // The control gives a bitmap its own transparency, but leaves the icon's alone.
    EXPECT_TRUE(control->Picture().Content()->Transparent());
    TBitmap bitmap;
    control->Picture().CopyFrom(&bitmap);
    control->SetTransparent(true);
    EXPECT_TRUE(control->Picture().Content()->Transparent());
}

TEST(IconKind, RegisteredBeforeBitmapsAndLoadedByExtension) {
    const auto& entries = TFileFormatsList::Instance().Entries();
    const auto ico = std::find_if(entries.begin(), entries.end(),
                                  [](const auto& entry) { return entry.Extension == "ico"; });
    ASSERT_NE(ico, entries.end());
    EXPECT_EQ(ico->Description, "Symbole");
    EXPECT_EQ(ico->Kind, &TIcon::Class);
    ASSERT_NE(ico + 1, entries.end());
    EXPECT_EQ((ico + 1)->Extension, "bmp");

    TempDir dir;
    WriteFileBytes(dir.File("Symbol.ICO"), IconFile({{0, SolidDib(32, Blue)}}));
    TPicture picture;
    picture.LoadByExtension(dir.File("Symbol.ICO"));
    ASSERT_NE(dynamic_cast<TIcon*>(picture.Content()), nullptr);
    EXPECT_EQ(picture.Width(), 32);

    // Copies share the bytes and the image made at the first drawing.
    TPicture copy;
    copy.CopyFrom(&picture);
    auto* original = static_cast<TIcon*>(picture.Content());
    auto* shared = static_cast<TIcon*>(copy.Content());
    EXPECT_EQ(shared->SharedImage(), original->SharedImage());
    EXPECT_EQ(original->Image().pixel(0, 0), Blue);
    EXPECT_EQ(&shared->Image(), &original->Image());

    WriteFileBytes(dir.File("cursor.ico"), {0, 0, 2, 0, 1, 0});
    EXPECT_EQ(FailureOf<EInvalidGraphic>([&] { picture.LoadByExtension(dir.File("cursor.ico")); }),
              "Ungültiges Symbol");
    EXPECT_EQ(picture.Content(), original);
}
