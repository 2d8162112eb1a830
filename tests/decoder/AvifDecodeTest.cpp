// AVIF pictures made by avifenc in the test: bit depths, the rotation and
// mirroring stored in the file, the size limit, broken and truncated files.
#include <gtest/gtest.h>

#include "EncodedPictures.h"
#include "decoder/formats/AvifDecode.h"
#include "toolkit/Errors.h"

namespace {
constexpr qint64 MaxPixels = 100'000'000;

std::span<const std::byte> AsBytes(const std::vector<uint8_t>& bytes) {
    return std::as_bytes(std::span(bytes));
}

#define SKIP_WITHOUT_AVIFENC()                                                                     \
    do {                                                                                           \
        if (!HasTool("avifenc"))                                                                   \
            GTEST_SKIP() << "avifenc (libavif-bin) is not installed";                              \
    } while (0)

std::string MessageOf(const std::vector<uint8_t>& file, qint64 maxPixels = MaxPixels) {
    try {
        DecodeAvif(AsBytes(file), maxPixels);
    } catch (const EInvalidGraphic& error) {
        return error.Message();
    }
    return "decoded";
}
} // namespace

TEST(AvifDecode, DecodesEightTenAndTwelveBits) {
    SKIP_WITHOUT_AVIFENC();
    struct TCase {
        const char* Name;
        QStringList Arguments;
    };
    const TCase cases[] = {
        {"8 bits", {"--min", "0", "--max", "10"}},
        {"10 bits", {"-d", "10", "--min", "0", "--max", "10"}},
        {"12 bits, 4:4:4", {"-d", "12", "-y", "444", "--min", "0"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TempDir dir;
        // A 16-bit source, so that the higher depths carry more than 8 bits of it.
        const QImage source = QuadrantImage(96, 64).convertToFormat(QImage::Format_RGBX64);
        const std::vector<uint8_t> file = Encode(dir, source, "avifenc", "a.avif", c.Arguments);
        ASSERT_FALSE(file.empty()) << "encoder failed";

        const QImage image = DecodeAvif(AsBytes(file), MaxPixels);
        EXPECT_EQ(image.size(), QSize(96, 64));
        EXPECT_EQ(image.format(), QImage::Format_RGB32);
        EXPECT_EQ(CheckQuadrants(image, Stored, 12), "");
    }
}

// A quarter turn anticlockwise brings the top-right quadrant to the top left; mirroring 0
// exchanges top and bottom, 1 left and right; the turn comes first.
TEST(AvifDecode, AppliesTheStoredRotationAndMirroringOnce) {
    SKIP_WITHOUT_AVIFENC();
    struct TCase {
        const char* Name;
        QStringList Arguments;
        QSize Size;
        TQuadrants Expected;
    };
    const TCase cases[] = {
        {"quarter turn", {"--irot", "1"}, {64, 96}, {Green, Yellow, Red, Blue}},
        {"three quarters", {"--irot", "3"}, {64, 96}, {Blue, Red, Yellow, Green}},
        {"top and bottom", {"--imir", "0"}, {96, 64}, {Blue, Yellow, Red, Green}},
        {"left and right", {"--imir", "1"}, {96, 64}, {Green, Red, Yellow, Blue}},
        {"turn, then top and bottom",
         {"--irot", "1", "--imir", "0"},
         {64, 96},
         {Red, Blue, Green, Yellow}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TempDir dir;
        const std::vector<uint8_t> file =
            Encode(dir, QuadrantImage(96, 64), "avifenc", "a.avif",
                   c.Arguments + QStringList{"--min", "0", "--max", "10"});
        ASSERT_FALSE(file.empty()) << "avifenc failed";

        const QImage image = DecodeAvif(AsBytes(file), MaxPixels);
        EXPECT_EQ(image.size(), c.Size);
        EXPECT_EQ(CheckQuadrants(image, c.Expected, 12), "");
    }
}

TEST(AvifDecode, KeepsAnAlphaPlane) {
    SKIP_WITHOUT_AVIFENC();
    TempDir dir;
    QImage source = QuadrantImage(96, 64, Stored, QImage::Format_ARGB32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 96; ++x)
            source.setPixel(x, y,
                            qRgba(qRed(source.pixel(x, y)), qGreen(source.pixel(x, y)),
                                  qBlue(source.pixel(x, y)), 0));
    const std::vector<uint8_t> file =
        Encode(dir, source, "avifenc", "a.avif", {"--min", "0", "--max", "10"});
    ASSERT_FALSE(file.empty()) << "avifenc failed";

    const QImage image = DecodeAvif(AsBytes(file), MaxPixels);
    EXPECT_EQ(image.format(), QImage::Format_ARGB32);
    EXPECT_EQ(qAlpha(image.pixel(10, 10)), 0);
    EXPECT_EQ(qAlpha(image.pixel(10, 50)), 255);
    EXPECT_EQ(CheckQuadrants(image, Stored, 12).find("bottom"), std::string::npos);
}

TEST(AvifDecode, RefusesPicturesOverTheLimitBeforeDecoding) {
    SKIP_WITHOUT_AVIFENC();
    TempDir dir;
    const std::vector<uint8_t> file = Encode(dir, QuadrantImage(96, 64), "avifenc", "a.avif");
    ASSERT_FALSE(file.empty()) << "avifenc failed";
    EXPECT_EQ(MessageOf(file, qint64(96) * 64 - 1), Format(Msg::AvifTooLarge, 96LL, 64LL));
    EXPECT_EQ(MessageOf(file, qint64(96) * 64), "decoded");
}

TEST(AvifDecode, BrokenAndTruncatedFilesGiveTheMessage) {
    SKIP_WITHOUT_AVIFENC();
    TempDir dir;
    const std::vector<uint8_t> file = Encode(dir, QuadrantImage(96, 64), "avifenc", "a.avif");
    ASSERT_FALSE(file.empty()) << "avifenc failed";
    for (const size_t length :
         {size_t(0), size_t(10), size_t(100), file.size() / 2, file.size() - 1}) {
        SCOPED_TRACE(length);
        EXPECT_EQ(MessageOf({file.begin(), file.begin() + long(length)}), Msg::AvifInvalid.Text());
    }
    std::vector<uint8_t> noise = file;
    std::fill(noise.end() - 100, noise.end(), 0xFF);
    const std::string message = MessageOf(noise);
    EXPECT_TRUE(message == "decoded" || message == Msg::AvifInvalid.Text()) << message;
}
