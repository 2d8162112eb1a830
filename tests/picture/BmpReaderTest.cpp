// The BMP reader on bitmaps built here byte by byte: every depth and header, bit fields,
// run-length codes, the pixel offset, truncation at each stage and every refusal, and the
// same bitmaps as DIBs in memory.
#include <algorithm>
#include <climits>
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "picture/Bitmap.h"
#include "picture/BmpReader.h"
#include "toolkit/Dib.h"
#include "toolkit/Errors.h"
#include "toolkit/Stream.h"

namespace {

// A BMP file in memory. The fields default to a 1 × 1 24-bit info-header bitmap.
struct TBmpBuilder {
    uint32_t HeaderSize = 40;
    int32_t Width = 1;
    int32_t Height = 1;
    uint16_t Planes = 1;
    uint16_t BitCount = 24;
    uint32_t Compression = 0;
    uint32_t ImageSize = 0;
    uint32_t ColorsUsed = 0;
    std::vector<uint32_t> Masks; // after a 40-byte header, inside larger ones
    std::vector<QRgb> Table;
    uint32_t PixelOffset = 0; // in the file header
    size_t Gap = 0;           // unused bytes between the colour table and the pixels
    std::vector<uint8_t> Pixels;

    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> out = {'B', 'M'};
        Put32(out, 0); // file size, reserved: the reader ignores both
        Put32(out, 0);
        Put32(out, PixelOffset);
        Put32(out, HeaderSize);
        if (HeaderSize == 12) {
            Put16(out, static_cast<uint32_t>(Width));
            Put16(out, static_cast<uint32_t>(Height));
            Put16(out, Planes);
            Put16(out, BitCount);
        } else {
            std::vector<uint8_t> header;
            Put32(header, static_cast<uint32_t>(Width));
            Put32(header, static_cast<uint32_t>(Height));
            Put16(header, Planes);
            Put16(header, BitCount);
            for (uint32_t field : {Compression, ImageSize, 0u, 0u, ColorsUsed, 0u})
                Put32(header, field);
            if (HeaderSize > 40)
                for (uint32_t mask : Masks)
                    Put32(header, mask);
            header.resize(std::clamp(HeaderSize, 4u, 124u) - 4);
            out.insert(out.end(), header.begin(), header.end());
            if (HeaderSize == 40)
                for (uint32_t mask : Masks)
                    Put32(out, mask);
        }
        for (QRgb colour : Table) {
            out.insert(out.end(),
                       {uint8_t(qBlue(colour)), uint8_t(qGreen(colour)), uint8_t(qRed(colour))});
            if (HeaderSize != 12)
                out.push_back(0);
        }
        out.resize(out.size() + Gap, 0xEE);
        out.insert(out.end(), Pixels.begin(), Pixels.end());
        return out;
    }
};

// Rows as stored, each padded with zeros to whole 32-bit words.
std::vector<uint8_t> Rows(std::initializer_list<std::vector<uint8_t>> rows) {
    std::vector<uint8_t> out;
    for (const auto& row : rows) {
        out.insert(out.end(), row.begin(), row.end());
        out.resize((out.size() + 3) / 4 * 4);
    }
    return out;
}

TBitmapImage Read(const std::vector<uint8_t>& bytes) {
    TBytesStream stream(bytes);
    return ReadBmp(stream);
}

// The message of the exception of type E the bytes raise; something else says what went wrong.
template <typename E> std::string FailureOf(const std::vector<uint8_t>& bytes) {
    try {
        Read(bytes);
    } catch (const E& error) {
        return error.Message();
    } catch (const std::exception& other) {
        return std::string("other exception: ") + other.what();
    }
    return "no exception";
}

std::string InvalidOf(const TBmpBuilder& bmp) {
    return FailureOf<EInvalidGraphic>(bmp.Bytes());
}

std::vector<uint8_t> Cut(std::vector<uint8_t> bytes, size_t size) {
    bytes.resize(size);
    return bytes;
}

const QRgb Red = qRgb(255, 0, 0);
const QRgb Green = qRgb(0, 255, 0);
const QRgb Blue = qRgb(0, 0, 255);
const QRgb White = qRgb(255, 255, 255);
const QRgb Black = qRgb(0, 0, 0);

TBmpBuilder Paletted(uint16_t bitCount, int width, int height, std::vector<uint8_t> pixels) {
    TBmpBuilder bmp;
    bmp.BitCount = bitCount;
    bmp.Width = width;
    bmp.Height = height;
    bmp.ColorsUsed = 3;
    bmp.Table = {Red, Green, Blue};
    bmp.Pixels = std::move(pixels);
    return bmp;
}

} // namespace

TEST(BmpReader, OneBitIsMonoWithTwoColours) {
    TBmpBuilder bmp = Paletted(1, 3, 2, Rows({{0b10100000}, {0b01000000}}));
    bmp.ColorsUsed = 1;
    bmp.Table = {White};
    const TBitmapImage result = Read(bmp.Bytes());
    ASSERT_EQ(result.Image.format(), QImage::Format_Mono);
    EXPECT_EQ(result.BitCount, 1);
    EXPECT_EQ(result.Image.colorTable(), QList<QRgb>({White, Black}));
    // The first stored row is the bottom one.
    EXPECT_EQ(result.Image.pixelIndex(0, 1), 1);
    EXPECT_EQ(result.Image.pixelIndex(1, 1), 0);
    EXPECT_EQ(result.Image.pixelIndex(2, 1), 1);
    EXPECT_EQ(result.Image.pixelIndex(1, 0), 1);
    EXPECT_TRUE(result.Table.empty());
}

TEST(BmpReader, FourBitExpandsToIndexed8WithSixteenColours) {
    const TBmpBuilder bmp = Paletted(4, 3, 2, Rows({{0x12, 0xF0}, {0x02, 0x10}}));
    const TBitmapImage result = Read(bmp.Bytes());
    ASSERT_EQ(result.Image.format(), QImage::Format_Indexed8);
    EXPECT_EQ(result.BitCount, 4);
    ASSERT_EQ(result.Image.colorCount(), 16);
    EXPECT_EQ(result.Image.pixel(0, 1), Green);
    EXPECT_EQ(result.Image.pixel(1, 1), Blue);
    EXPECT_EQ(result.Image.pixel(2, 1), Black); // index 15 is past the table
    EXPECT_EQ(result.Image.pixel(0, 0), Red);
    EXPECT_EQ(result.Image.pixel(1, 0), Blue);
    EXPECT_EQ(result.Image.pixel(2, 0), Green);
}

TEST(BmpReader, EightBitPadsTheTableWithBlack) {
    const TBmpBuilder bmp = Paletted(8, 5, 2, Rows({{0, 1, 2, 3, 255}, {2, 2, 2, 2, 2}}));
    const TBitmapImage result = Read(bmp.Bytes());
    ASSERT_EQ(result.Image.format(), QImage::Format_Indexed8);
    ASSERT_EQ(result.Image.colorCount(), 256);
    EXPECT_EQ(result.Image.pixel(0, 1), Red);
    EXPECT_EQ(result.Image.pixel(2, 1), Blue);
    EXPECT_EQ(result.Image.pixel(3, 1), Black);
    EXPECT_EQ(result.Image.pixel(4, 1), Black);
    EXPECT_EQ(result.Image.pixel(4, 0), Blue);
}

TEST(BmpReader, TwentyFourBitKeepsTheFileByteOrder) {
    TBmpBuilder bmp;
    bmp.Width = 3;
    bmp.Height = 2;
    bmp.Pixels = Rows({{0, 0, 255, 0, 255, 0, 255, 0, 0}, {255, 255, 255, 0, 0, 0, 1, 2, 3}});
    TBitmapImage result = Read(bmp.Bytes());
    ASSERT_EQ(result.Image.format(), QImage::Format_BGR888);
    EXPECT_EQ(result.BitCount, 24);
    EXPECT_EQ(result.Image.pixel(0, 1), Red);
    EXPECT_EQ(result.Image.pixel(1, 1), Green);
    EXPECT_EQ(result.Image.pixel(2, 1), Blue);
    EXPECT_EQ(result.Image.pixel(0, 0), White);
    EXPECT_EQ(result.Image.pixel(2, 0), qRgb(3, 2, 1));

    bmp.Height = -2; // stored top row first
    result = Read(bmp.Bytes());
    EXPECT_EQ(result.Image.pixel(0, 0), Red);
    EXPECT_EQ(result.Image.pixel(0, 1), White);
}

TEST(BmpReader, ThirtyTwoBitIgnoresTheUnusedByte) {
    TBmpBuilder bmp;
    bmp.BitCount = 32;
    bmp.Width = 2;
    bmp.Pixels = {0x10, 0x20, 0x30, 0x00, 0x40, 0x50, 0x60, 0x7F};
    for (const uint32_t compression : {0u, 3u}) {
        SCOPED_TRACE(compression);
        bmp.Compression = compression;
        bmp.Masks = compression == 3 ? std::vector<uint32_t>{0xFF0000, 0xFF00, 0xFF}
                                     : std::vector<uint32_t>{};
        const TBitmapImage result = Read(bmp.Bytes());
        ASSERT_EQ(result.Image.format(), QImage::Format_RGB32);
        const auto* line = reinterpret_cast<const QRgb*>(result.Image.constScanLine(0));
        EXPECT_EQ(line[0], 0xFF302010u);
        EXPECT_EQ(line[1], 0xFF605040u);
    }
}

TEST(BmpReader, SixteenBitStandardLayoutsReadStraight) {
    TBmpBuilder bmp;
    bmp.BitCount = 16;
    bmp.Width = 2;
    bmp.Pixels = {0xFF, 0x7F, 0x1F, 0x00}; // white and blue in 5-5-5
    TBitmapImage result = Read(bmp.Bytes());
    ASSERT_EQ(result.Image.format(), QImage::Format_RGB555);
    EXPECT_EQ(result.Image.pixel(0, 0), White);
    EXPECT_EQ(result.Image.pixel(1, 0), Blue);

    bmp.Compression = 3;
    bmp.Masks = {0x7C00, 0x3E0, 0x1F};
    EXPECT_EQ(Read(bmp.Bytes()).Image.format(), QImage::Format_RGB555);

    bmp.Masks = {0xF800, 0x7E0, 0x1F};
    bmp.Pixels = {0xE0, 0x07, 0x00, 0xF8}; // green and red in 5-6-5
    result = Read(bmp.Bytes());
    ASSERT_EQ(result.Image.format(), QImage::Format_RGB16);
    EXPECT_EQ(result.Image.pixel(0, 0), Green);
    EXPECT_EQ(result.Image.pixel(1, 0), Red);
}

TEST(BmpReader, OtherMasksScaleEachChannelWithRounding) {
    TBmpBuilder bmp;
    bmp.BitCount = 16;
    bmp.Width = 2;
    bmp.Height = 2;
    bmp.Compression = 3;
    bmp.Masks = {0x0003, 0x001C, 0x0020}; // 2 bits red, 3 green, 1 blue
    bmp.Pixels = Rows({{0x0D, 0x00, 0x3F, 0x00}, {0x00, 0x00, 0x00, 0xFF}});
    TBitmapImage result = Read(bmp.Bytes());
    ASSERT_EQ(result.Image.format(), QImage::Format_RGB32);
    EXPECT_EQ(result.BitCount, 16);
    EXPECT_EQ(result.Image.pixel(0, 1), qRgb(85, 109, 0)); // 1/3, 3/7, 0/1
    EXPECT_EQ(result.Image.pixel(1, 1), White);
    EXPECT_EQ(result.Image.pixel(0, 0), Black);
    EXPECT_EQ(result.Image.pixel(1, 0), Black); // bits outside every mask

    bmp.BitCount = 32;
    bmp.Width = 1;
    bmp.Height = 1;
    bmp.Masks = {0xFF, 0xFF00, 0xFFFF0000}; // swapped order, 16-bit blue
    bmp.Pixels = {0x11, 0x22, 0x00, 0x80};
    result = Read(bmp.Bytes());
    ASSERT_EQ(result.Image.format(), QImage::Format_RGB32);
    EXPECT_EQ(result.Image.pixel(0, 0), qRgb(0x11, 0x22, 128)); // 0x8000 of 0xFFFF rounds up
}

TEST(BmpReader, MasksComeFromWhereTheHeaderKeepsThem) {
    TBmpBuilder bmp;
    bmp.BitCount = 32;
    bmp.Compression = 3;
    bmp.Masks = {0xFF, 0xFF00, 0xFF0000};
    bmp.Pixels = {0x11, 0x22, 0x33, 0x00};
    for (const uint32_t size : {40u, 52u, 56u, 108u, 124u}) {
        SCOPED_TRACE(size);
        bmp.HeaderSize = size;
        EXPECT_EQ(Read(bmp.Bytes()).Image.pixel(0, 0), qRgb(0x11, 0x22, 0x33));
    }
    // Without bit-field compression the masks of a large header mean nothing.
    bmp.Compression = 0;
    EXPECT_EQ(Read(bmp.Bytes()).Image.pixel(0, 0), qRgb(0x33, 0x22, 0x11));
}

TEST(BmpReader, CoreHeaderHasUnsignedSizesAndThreeByteColours) {
    TBmpBuilder bmp = Paletted(8, 0x8001, 1, {});
    bmp.HeaderSize = 12;
    bmp.Table.resize(256, White); // a core header always has the full table
    bmp.Pixels.assign(0x8004, 1);
    bmp.Pixels[0x8000] = 2;
    const TBitmapImage result = Read(bmp.Bytes());
    ASSERT_EQ(result.Image.width(), 0x8001);
    EXPECT_EQ(result.Image.pixel(0, 0), Green);
    EXPECT_EQ(result.Image.pixel(0x8000, 0), Blue);
}

TEST(BmpReader, ShortOs2HeaderDefaultsTheMissingFields) {
    TBmpBuilder bmp = Paletted(8, 1, 1, {1, 0, 0, 0});
    bmp.HeaderSize = 16; // no compression, no colour count: the full table follows
    bmp.Table.resize(256, White);
    EXPECT_EQ(Read(bmp.Bytes()).Image.pixel(0, 0), Green);
}

TEST(BmpReader, ColourTableBeyondTheDepth) {
    // More entries than an 8-bit index reaches: all are read, the first 256 are used.
    TBmpBuilder bmp = Paletted(8, 1, 1, {255, 0, 0, 0});
    bmp.Table.resize(300, White);
    bmp.Table[255] = Blue;
    bmp.ColorsUsed = 300;
    TBitmapImage result = Read(bmp.Bytes());
    EXPECT_EQ(result.Image.colorCount(), 256);
    EXPECT_EQ(result.Image.pixel(0, 0), Blue);
    EXPECT_TRUE(result.Table.empty());

    // A true-colour bitmap keeps its table for a palette.
    bmp = Paletted(24, 1, 1, {1, 2, 3, 0});
    result = Read(bmp.Bytes());
    EXPECT_EQ(result.Table, std::vector<QRgb>({Red, Green, Blue}));
    EXPECT_EQ(result.Image.pixel(0, 0), qRgb(3, 2, 1));
    TBitmap bitmap;
    const std::vector<uint8_t> bytes = bmp.Bytes();
    TBytesStream stream(bytes);
    bitmap.ReadFrom(stream);
    EXPECT_TRUE(bitmap.HasPalette());

    // A huge table is skipped past, not held: the pixels after it still read right.
    bmp = Paletted(24, 1, 1, {1, 2, 3, 0});
    bmp.Table.assign(100000, Green);
    bmp.ColorsUsed = 100000;
    result = Read(bmp.Bytes());
    EXPECT_EQ(result.Table.size(), 256u);
    EXPECT_EQ(result.Image.pixel(0, 0), qRgb(3, 2, 1));
}

TEST(BmpReader, Rle8DecodesRunsLiteralsAndMoves) {
    TBmpBuilder bmp = Paletted(8, 4, 4, {});
    bmp.Compression = 1;
    bmp.Pixels = {
        3, 0,             // row 0: three red
        0, 0,             // end of line
        0, 3, 1, 2, 1, 0, // row 1: literal green, blue, green, padded
        0, 0,             // end of line
        9, 2,             // row 2: a run past the row's end is cut
        0, 0,             // end of line
        0, 2, 1, 0,       // delta: one to the right in row 3
        1, 1,             // one green
        0, 1,             // end of bitmap
        5, 0,             // never reached
    };
    bmp.ImageSize = static_cast<uint32_t>(bmp.Pixels.size());
    TBitmapImage result = Read(bmp.Bytes());
    ASSERT_EQ(result.Image.format(), QImage::Format_RGB32);
    EXPECT_EQ(result.BitCount, 32);
    const QImage& image = result.Image;
    EXPECT_EQ(image.pixel(0, 3), Red);
    EXPECT_EQ(image.pixel(2, 3), Red);
    EXPECT_EQ(image.pixel(3, 3), Black); // left by the end of line
    EXPECT_EQ(image.pixel(0, 2), Green);
    EXPECT_EQ(image.pixel(1, 2), Blue);
    EXPECT_EQ(image.pixel(2, 2), Green);
    EXPECT_EQ(image.pixel(3, 2), Black);
    EXPECT_EQ(image.pixel(0, 1), Blue);
    EXPECT_EQ(image.pixel(3, 1), Blue);
    EXPECT_EQ(image.pixel(0, 0), Black); // skipped by the delta
    EXPECT_EQ(image.pixel(1, 0), Green);
    EXPECT_EQ(image.pixel(2, 0), Black);

    // Codes that leave the bitmap stop the decoding; a truncated code is ignored.
    bmp = Paletted(8, 2, 2, {0, 2, 0, 5, 2, 1, 0, 3, 1});
    bmp.Compression = 1;
    result = Read(bmp.Bytes());
    EXPECT_EQ(result.Image.pixel(0, 0), Black);
    bmp.Pixels = {0, 3, 1, 2};
    bmp.ImageSize = 4;
    result = Read(bmp.Bytes());
    EXPECT_EQ(result.Image.pixel(0, 1), Green);
    EXPECT_EQ(result.Image.pixel(1, 1), Blue);
}

TEST(BmpReader, Rle4AlternatesNibbles) {
    TBmpBuilder bmp = Paletted(4, 5, 2, {});
    bmp.Compression = 2;
    bmp.Pixels = {
        5, 0x12,             // row 0: green blue green blue green
        0, 0,                // end of line
        0, 3,    0x02, 0x10, // row 1: literal red, blue, green in a whole word
        2, 0xF0,             // index 15 is past the table: black
    };
    bmp.ImageSize = static_cast<uint32_t>(bmp.Pixels.size());
    const TBitmapImage result = Read(bmp.Bytes());
    const QImage& image = result.Image;
    EXPECT_EQ(image.pixel(0, 1), Green);
    EXPECT_EQ(image.pixel(1, 1), Blue);
    EXPECT_EQ(image.pixel(4, 1), Green);
    EXPECT_EQ(image.pixel(0, 0), Red);
    EXPECT_EQ(image.pixel(1, 0), Blue);
    EXPECT_EQ(image.pixel(2, 0), Green);
    EXPECT_EQ(image.pixel(3, 0), Black);
    EXPECT_EQ(image.pixel(4, 0), Red);
}

TEST(BmpReader, FileEndingInHeadersOrTableIsAReadError) {
    TBmpBuilder bmp = Paletted(8, 1, 1, {0, 0, 0, 0});
    bmp.Table.resize(256, White);
    bmp.ColorsUsed = 0;
    const std::vector<uint8_t> bytes = bmp.Bytes();
    // Inside the file header, the header size, the info header and the colour table.
    for (const size_t size : {1u, 13u, 14u, 17u, 30u, 53u, 54u, 1000u}) {
        SCOPED_TRACE(size);
        EXPECT_EQ(FailureOf<EReadError>(Cut(bytes, size)), Msg::ReadError);
    }
    TBmpBuilder masks;
    masks.BitCount = 16;
    masks.Compression = 3;
    masks.Masks = {0xF800, 0x7E0, 0x1F};
    EXPECT_EQ(FailureOf<EReadError>(Cut(masks.Bytes(), 60)), Msg::ReadError);

    // A colour count far beyond the file is found short before anything is allocated.
    bmp.ColorsUsed = 305000000;
    EXPECT_EQ(FailureOf<EReadError>(bmp.Bytes()), Msg::ReadError);
}

TEST(BmpReader, MissingPixelsStayZero) {
    TBmpBuilder bmp;
    bmp.Width = 2;
    bmp.Height = 3;
    bmp.Pixels = Rows({{1, 2, 3, 4, 5, 6}, {7, 8, 9}});
    TBitmapImage result = Read(bmp.Bytes());
    EXPECT_EQ(result.Image.pixel(0, 2), qRgb(3, 2, 1));
    EXPECT_EQ(result.Image.pixel(1, 2), qRgb(6, 5, 4));
    EXPECT_EQ(result.Image.pixel(0, 1), qRgb(9, 8, 7));
    EXPECT_EQ(result.Image.pixel(1, 1), Black);
    EXPECT_EQ(result.Image.pixel(0, 0), Black);
    EXPECT_EQ(result.Image.pixel(1, 0), Black);

    // A declared image size ends the pixels even where the file goes on.
    bmp.Pixels = Rows({{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}, {13, 14, 15, 16, 17, 18}});
    bmp.ImageSize = 8;
    result = Read(bmp.Bytes());
    EXPECT_EQ(result.Image.pixel(1, 2), qRgb(6, 5, 4));
    EXPECT_EQ(result.Image.pixel(0, 1), Black);
    EXPECT_EQ(result.Image.pixel(0, 0), Black);

    // Converted formats: a missing 4-bit row is index 0, a missing 32-bit pixel opaque black.
    bmp = Paletted(4, 2, 2, {0x21, 0, 0, 0});
    result = Read(bmp.Bytes());
    EXPECT_EQ(result.Image.pixel(0, 1), Blue);
    EXPECT_EQ(result.Image.pixel(0, 0), Red);
    bmp = TBmpBuilder();
    bmp.BitCount = 32;
    bmp.Height = 2;
    bmp.Pixels = {1, 2, 3, 0};
    result = Read(bmp.Bytes());
    EXPECT_EQ(result.Image.pixel(0, 1), qRgb(3, 2, 1));
    EXPECT_EQ(*reinterpret_cast<const QRgb*>(result.Image.constScanLine(0)), Black);
}

TEST(BmpReader, RefusesWhatIsNoUsableBitmap) {
    std::vector<uint8_t> bytes = TBmpBuilder().Bytes();
    bytes[1] = 'A';
    EXPECT_EQ(FailureOf<EInvalidGraphic>(bytes), Msg::InvalidBitmap);

    const auto with = [](auto change) {
        TBmpBuilder bmp;
        bmp.Pixels = {0, 0, 0, 0};
        change(bmp);
        return InvalidOf(bmp);
    };
    for (const uint32_t size : {0u, 11u, 13u, 15u, 65u, 100u, 125u, 0xFFFFFFFFu})
        EXPECT_EQ(with([=](TBmpBuilder& b) { b.HeaderSize = size; }), Msg::InvalidBitmap) << size;
    for (const uint16_t planes : {0, 2})
        EXPECT_EQ(with([=](TBmpBuilder& b) { b.Planes = planes; }), Msg::InvalidBitmap);
    for (const uint16_t bpp : {0, 2, 3, 7, 15, 48, 64})
        EXPECT_EQ(with([=](TBmpBuilder& b) { b.BitCount = bpp; }), Msg::InvalidBitmap) << bpp;
    for (const auto& [bpp, compression] : std::vector<std::pair<uint16_t, uint32_t>>{
             {24, 1}, {24, 2}, {24, 3}, {4, 1}, {8, 2}, {8, 3}, {24, 4}, {24, 5}, {32, 6}})
        EXPECT_EQ(with([=](TBmpBuilder& b) {
                      b.BitCount = bpp;
                      b.Compression = compression;
                  }),
                  Msg::InvalidBitmap)
            << bpp << "/" << compression;
    for (const int32_t width : {0, -1, INT_MIN})
        EXPECT_EQ(with([=](TBmpBuilder& b) { b.Width = width; }), Msg::InvalidBitmap);
    EXPECT_EQ(with([](TBmpBuilder& b) { b.Height = 0; }), Msg::InvalidBitmap);
    EXPECT_EQ(with([](TBmpBuilder& b) {
                  b.BitCount = 8;
                  b.Compression = 1;
                  b.Height = -1;
              }),
              Msg::InvalidBitmap);
}

TEST(BmpReader, RefusesMoreThanOneGibibyteBeforeAllocating) {
    const auto with = [](int32_t width, int32_t height, uint16_t bpp, uint32_t compression) {
        TBmpBuilder bmp;
        bmp.Width = width;
        bmp.Height = height;
        bmp.BitCount = bpp;
        bmp.Compression = compression;
        bmp.ColorsUsed = 1;
        bmp.Table = {Black};
        bmp.Pixels = {0, 0, 0, 0};
        return InvalidOf(bmp);
    };
    EXPECT_EQ(with(16384, 21846, 24, 0), Msg::InvalidBitmap); // just over 1 GiB
    EXPECT_EQ(with(INT_MAX, INT_MIN, 32, 0), Msg::InvalidBitmap);
    EXPECT_EQ(with(INT_MAX, 1, 32, 0), Msg::InvalidBitmap);
    EXPECT_EQ(with(1, INT_MIN, 1, 0), Msg::InvalidBitmap);
    // Four-bit and run-length bitmaps grow when expanded; the expanded size counts.
    EXPECT_EQ(with(40000, 30000, 4, 0), Msg::InvalidBitmap);
    EXPECT_EQ(with(16385, 16384, 8, 1), Msg::InvalidBitmap);
}

TEST(BmpReader, PixelOffsetIsUsedOnlyAtOrAfterTheTableAndInsideTheFile) {
    // A 2 × 1 8-bit bitmap: 14 + 40 + 3 × 4 = 66 bytes before the pixels.
    struct TCase {
        uint32_t Offset;
        size_t Gap;
        QRgb Left; // pixel 0 of the one row
    };
    const TCase cases[] = {
        {70, 4, Green}, // a gap after the table: the rows start at the offset
        {66, 0, Green}, // the offset right after the table
        {0, 0, Green},  // no offset: the rows follow the table
        {54, 0, Green}, // into the headers: ignored
        {65, 0, Green}, // one byte before the table ends: ignored
        {74, 4, Black}, // past the end of the file: ignored, the gap's bytes are read
        {66, 4, Black}, // the offset says the gap holds the rows
        {69, 4, Black}, // inside the gap
        {71, 4, Blue},  // one byte later than the rows: the second pixel comes first
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "offset " << c.Offset << ", gap " << c.Gap);
        TBmpBuilder bmp = Paletted(8, 2, 1, {1, 2, 0, 0});
        bmp.PixelOffset = c.Offset;
        bmp.Gap = c.Gap;
        // Index 0xEE of the gap's bytes is past the table: black.
        EXPECT_EQ(Read(bmp.Bytes()).Image.pixel(0, 0), c.Left);
    }
}

TEST(BmpReader, DibInMemoryDecodesAsInAFile) {
    const TBmpBuilder bmp = Paletted(8, 5, 2, Rows({{0, 1, 2, 1, 0}, {2, 2, 1, 1, 0}}));
    const std::vector<uint8_t> file = bmp.Bytes();
    const QImage expected = Read(file).Image;
    const std::span<const uint8_t> packed = std::span(file).subspan(14);
    const size_t infoSize = 40 + 3 * 4;
    std::vector<uint8_t> info(packed.begin(), packed.begin() + infoSize);
    info.resize(info.size() + 7, 0xAB); // bytes after the table are not looked at
    EXPECT_EQ(ReadDib(info, packed.subspan(infoSize)).Image, expected);
    EXPECT_EQ(ReadPackedDib(packed).Image, expected);
    EXPECT_EQ(expected.pixel(1, 1), Green);
    EXPECT_EQ(expected.pixel(0, 0), Blue);

    // The info part must hold the whole table; the pixels may run short.
    EXPECT_THROW(ReadDib(std::span(info).first(infoSize - 1), packed.subspan(infoSize)),
                 EReadError);
    const QImage cut = ReadDib(info, packed.subspan(infoSize, 8)).Image;
    EXPECT_EQ(cut.pixel(1, 1), Green);
    EXPECT_EQ(cut.pixel(0, 0), Red);
}

TEST(BmpReader, EmptyStreamIsNoBitmap) {
    TBitmap bitmap;
    TBytesStream stream(std::span<const uint8_t>{});
    EXPECT_THROW(bitmap.ReadFrom(stream), EInvalidGraphic);
    EXPECT_TRUE(bitmap.IsEmpty());
}
