// HEIC pictures made by heif-enc in the test, and files built from its coded images with
// rotations, mirrorings and grids; heif-convert, where installed, decodes the same files for
// comparison.
#include <gtest/gtest.h>

#include <functional>

#include "EncodedPictures.h"
#include "HeifWriter.h"
#include "decoder/formats/HeifContainer.h"
#include "decoder/formats/HeifDecode.h"
#include "decoder/formats/HevcParameters.h"
#include "toolkit/Errors.h"

namespace {
constexpr qint64 MaxPixels = 100'000'000;

std::span<const std::byte> AsBytes(const std::vector<uint8_t>& bytes) {
    return std::as_bytes(std::span(bytes));
}

#define SKIP_WITHOUT_HEIF_ENC()                                                                    \
    do {                                                                                           \
        if (!HasTool("heif-enc"))                                                                  \
            GTEST_SKIP() << "heif-enc (libheif-examples) is not installed";                        \
    } while (0)

// The coded image of a file heif-enc made, to build other files from.
THeifWriterItem CodedImageOf(const std::vector<uint8_t>& file) {
    const THeifPicture picture = ReadHeifContainer(AsBytes(file));
    return {picture.Image.Hevc, HeifItemData(AsBytes(file), picture.Image), picture.Width,
            picture.Height};
}

// heif-convert's picture of the same file, or a null image when it is not installed.
QImage ReferenceDecoding(const TempDir& dir, const std::vector<uint8_t>& file) {
    if (!HasTool("heif-convert"))
        return {};
    WriteFileBytes(dir.File("reference.heic"), file);
    const std::string output = dir.File("reference.png");
    if (RunEncoder(
            "heif-convert",
            {QString::fromStdString(dir.File("reference.heic")), QString::fromStdString(output)},
            output)
            .empty())
        return {};
    return QImage(QString::fromStdString(output));
}

void Patch32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (int i = 3; i >= 0; --i, value >>= 8)
        bytes.at(at + size_t(i)) = uint8_t(value);
}

std::string MessageOf(const std::vector<uint8_t>& file, qint64 maxPixels = MaxPixels) {
    try {
        DecodeHeif(AsBytes(file), maxPixels);
    } catch (const EInvalidGraphic& error) {
        return error.Message();
    }
    return "decoded";
}
} // namespace

TEST(HeifDecode, DecodesChromaLayoutsBitDepthsAndMatrices) {
    SKIP_WITHOUT_HEIF_ENC();
    struct TCase {
        const char* Name;
        QStringList Arguments;
        QImage::Format Format;
        int BitDepth;
    };
    const TCase cases[] = {
        {"4:2:0", {"-q", "90"}, QImage::Format_RGB32, 8},
        {"4:2:2", {"-q", "90", "-p", "chroma=422"}, QImage::Format_RGB32, 8},
        {"4:4:4", {"-q", "90", "-p", "chroma=444"}, QImage::Format_RGB32, 8},
        {"BT.709 limited range",
         {"-q", "90", "--matrix_coefficients=1", "--full_range_flag=0"},
         QImage::Format_RGB32,
         8},
        {"10 bits", {"-q", "90", "-b", "10"}, QImage::Format_RGBX64, 10},
        {"identity matrix",
         {"-q", "90", "-p", "chroma=444", "--matrix_coefficients=0"},
         QImage::Format_RGB32,
         8},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TempDir dir;
        const QImage source = QuadrantImage(96, 64).convertToFormat(c.Format);
        const std::vector<uint8_t> file = Encode(dir, source, "heif-enc", "a.heic", c.Arguments);
        ASSERT_FALSE(file.empty()) << "heif-enc failed";
        EXPECT_EQ(ReadHeifContainer(AsBytes(file)).Image.Hevc.BitDepth, c.BitDepth);

        const QImage image = DecodeHeif(AsBytes(file), MaxPixels);
        EXPECT_EQ(image.size(), QSize(96, 64));
        EXPECT_EQ(image.format(), QImage::Format_RGB32);
        EXPECT_EQ(CheckQuadrants(image, Stored, 12), "");
    }
}

// Each transform in the order the file lists it: a quarter turn anticlockwise brings the
// top-right quadrant to the top left; mirroring 0 exchanges top and bottom.
TEST(HeifDecode, AppliesRotationsAndMirroringsInTheirOrder) {
    SKIP_WITHOUT_HEIF_ENC();
    TempDir dir;
    const std::vector<uint8_t> encoded = Encode(dir, QuadrantImage(96, 64), "heif-enc", "a.heic");
    ASSERT_FALSE(encoded.empty()) << "heif-enc failed";
    using T = THeifTransform;
    struct TCase {
        const char* Name;
        std::vector<THeifTransform> Transforms;
        QSize Size;
        TQuadrants Expected;
    };
    const TCase cases[] = {
        {"quarter turn", {{T::Rotate, 1}}, {64, 96}, {Green, Yellow, Red, Blue}},
        {"half turn", {{T::Rotate, 2}}, {96, 64}, {Yellow, Blue, Green, Red}},
        {"three quarters", {{T::Rotate, 3}}, {64, 96}, {Blue, Red, Yellow, Green}},
        {"top and bottom", {{T::Mirror, 0}}, {96, 64}, {Blue, Yellow, Red, Green}},
        {"left and right", {{T::Mirror, 1}}, {96, 64}, {Green, Red, Yellow, Blue}},
        {"turn, then top and bottom",
         {{T::Rotate, 1}, {T::Mirror, 0}},
         {64, 96},
         {Red, Blue, Green, Yellow}},
        {"top and bottom, then turn",
         {{T::Mirror, 0}, {T::Rotate, 1}},
         {64, 96},
         {Yellow, Green, Blue, Red}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        THeifWriter writer;
        writer.Images = {CodedImageOf(encoded)};
        writer.Transforms = c.Transforms;
        const std::vector<uint8_t> file = writer.Build();

        const QImage image = DecodeHeif(AsBytes(file), MaxPixels);
        EXPECT_EQ(image.size(), c.Size);
        EXPECT_EQ(CheckQuadrants(image, c.Expected, 12), "");
        const QImage reference = ReferenceDecoding(dir, file);
        if (!reference.isNull()) {
            EXPECT_EQ(reference.size(), c.Size);
            EXPECT_EQ(CheckQuadrants(image, QuadrantsOf(reference), 6), "") << "heif-convert";
        }
    }
}

// Four tiles of 64 × 64, one colour each, cut to 100 × 90: the right and bottom tiles are
// cropped, and a rotation turns the whole picture, not each tile.
TEST(HeifDecode, AssemblesGridTilesCroppedToTheOutputSize) {
    SKIP_WITHOUT_HEIF_ENC();
    TempDir dir;
    THeifWriter writer;
    for (const QRgb colour : {Red, Green, Blue, Yellow}) {
        const std::vector<uint8_t> tile =
            Encode(dir, SolidImage(64, 64, colour), "heif-enc", "tile.heic", {"-q", "90"});
        ASSERT_FALSE(tile.empty()) << "heif-enc failed";
        writer.Images.push_back(CodedImageOf(tile));
    }
    writer.GridRows = 2;
    writer.GridColumns = 2;
    writer.GridWidth = 100;
    writer.GridHeight = 90;
    writer.Nclx = true;
    struct TCase {
        const char* Name;
        std::vector<THeifTransform> Transforms;
        QSize Size;
        TQuadrants Expected;
    };
    const TCase cases[] = {
        {"upright", {}, {100, 90}, Stored},
        {"quarter turn", {{THeifTransform::Rotate, 1}}, {90, 100}, {Green, Yellow, Red, Blue}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        writer.Transforms = c.Transforms;
        const std::vector<uint8_t> file = writer.Build();

        const QImage image = DecodeHeif(AsBytes(file), MaxPixels);
        ASSERT_EQ(image.size(), c.Size);
        EXPECT_EQ(CheckQuadrants(image, c.Expected, 12), "");
        // The last column and row are the cropped tiles' own.
        const QRgb corner = image.pixel(image.width() - 1, image.height() - 1);
        const QRgb expectedCorner = c.Transforms.empty() ? Yellow : Blue;
        EXPECT_LE(std::abs(qRed(corner) - qRed(expectedCorner)), 12);
        EXPECT_LE(std::abs(qBlue(corner) - qBlue(expectedCorner)), 12);
        const QImage reference = ReferenceDecoding(dir, file);
        if (!reference.isNull()) {
            EXPECT_EQ(CompareImages(image, reference, 6), "") << "heif-convert";
        }
    }
}

// The coded data here is not HEVC at all: a decoder that ran first would fail otherwise.
TEST(HeifDecode, RefusesHugeDeclaredSizesBeforeDecoding) {
    THeifWriterItem garbage;
    garbage.Config.ParameterSets = {{0x40, 0x01}};
    garbage.Data = std::vector<uint8_t>(64, 0xAB);
    struct TCase {
        const char* Name;
        uint32_t TileWidth, TileHeight;
        int Rows, Columns;
        uint32_t Width, Height;
    };
    const TCase cases[] = {
        {"one image of 60000 × 60000", 60000, 60000, 0, 0, 60000, 60000},
        {"a small grid of 16 huge tiles", 8000, 8000, 4, 4, 100, 100},
        {"a grid whose output is too large", 8000, 8000, 2, 2, 16000, 16000},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        THeifWriter writer;
        garbage.Width = c.TileWidth;
        garbage.Height = c.TileHeight;
        writer.Images.assign(c.Rows == 0 ? 1 : size_t(c.Rows * c.Columns), garbage);
        writer.GridRows = c.Rows;
        writer.GridColumns = c.Columns;
        writer.GridWidth = c.Width;
        writer.GridHeight = c.Height;
        EXPECT_EQ(MessageOf(writer.Build()),
                  Format(Msg::HeifTooLarge, static_cast<long long>(c.Width),
                         static_cast<long long>(c.Height)));
    }
}

TEST(HeifDecode, BrokenAndTruncatedFilesGiveTheMessage) {
    SKIP_WITHOUT_HEIF_ENC();
    TempDir dir;
    const std::vector<uint8_t> encoded = Encode(dir, QuadrantImage(96, 64), "heif-enc", "a.heic");
    ASSERT_FALSE(encoded.empty()) << "heif-enc failed";
    THeifWriter writer;
    writer.Images = {CodedImageOf(encoded)};
    const size_t dataLength = writer.Images[0].Data.size();
    const std::vector<uint8_t> file = writer.Build();
    const size_t dataStart = file.size() - dataLength; // the coded data ends the file

    struct TCase {
        const char* Name;
        std::function<void(std::vector<uint8_t>&)> Damage;
    };
    const TCase cases[] = {
        {"empty",
         [](auto& b) {
             b.clear();
         }},
        {"cut in the first box",
         [](auto& b) {
             b.resize(10);
         }},
        {"cut in the meta box",
         [](auto& b) {
             b.resize(100);
         }},
        {"cut in the coded data",
         [](auto& b) {
             b.resize(b.size() - 40);
         }},
        {"unit longer than the data",
         [dataStart](auto& b) {
             Patch32(b, dataStart, 0x7FFFFFFF);
         }},
        {"parameter sets missing",
         [dataStart](auto& b) {
             // An empty first unit where the slices were.
             Patch32(b, dataStart, 0);
             std::fill(b.begin() + long(dataStart) + 4, b.end(), 0);
         }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<uint8_t> damaged = file;
        c.Damage(damaged);
        EXPECT_EQ(MessageOf(damaged), Msg::HeifInvalid.Text());
    }
    // A declared size larger than the coded picture would leave pixels undecoded.
    writer.Images[0].Width = 128;
    EXPECT_EQ(MessageOf(writer.Build()), Msg::HeifInvalid.Text());
}

// Noise in the coded data either decodes into some picture of the declared size or gives the
// message; it never crashes.
TEST(HeifDecode, NoiseInTheCodedDataIsNoCrash) {
    SKIP_WITHOUT_HEIF_ENC();
    TempDir dir;
    const std::vector<uint8_t> encoded = Encode(dir, QuadrantImage(96, 64), "heif-enc", "a.heic");
    ASSERT_FALSE(encoded.empty()) << "heif-enc failed";
    THeifWriter writer;
    writer.Images = {CodedImageOf(encoded)};
    const size_t dataLength = writer.Images[0].Data.size();
    const std::vector<uint8_t> file = writer.Build(); // the coded data ends the file
    uint32_t seed = 12345;
    for (int round = 0; round < 20; ++round) {
        std::vector<uint8_t> damaged = file;
        for (int i = 0; i < 8; ++i) {
            seed = seed * 1103515245 + 12345;
            const size_t at = damaged.size() - 1 - (seed >> 8) % dataLength;
            damaged[at] = uint8_t(seed >> 3);
        }
        try {
            EXPECT_EQ(DecodeHeif(AsBytes(damaged), MaxPixels).size(), QSize(96, 64));
        } catch (const EInvalidGraphic& error) {
            EXPECT_EQ(error.Message(), Msg::HeifInvalid);
        }
    }
}

// The decoder allocates what the parameter set codes, not what the item declares.
TEST(HeifDecode, RefusesACodedSizeOverTheLimitWhateverTheDeclaredSize) {
    SKIP_WITHOUT_HEIF_ENC();
    TempDir dir;
    const std::vector<uint8_t> encoded = Encode(dir, QuadrantImage(96, 64), "heif-enc", "a.heic");
    ASSERT_FALSE(encoded.empty()) << "heif-enc failed";
    THeifWriter writer;
    writer.Images = {CodedImageOf(encoded)};
    const auto coded = HevcCodedSize(writer.Images[0].Config);
    ASSERT_TRUE(coded.has_value());
    EXPECT_EQ(*coded, std::pair(96u, 64u));

    writer.Images[0].Width = 16;
    writer.Images[0].Height = 16;
    const std::vector<uint8_t> file = writer.Build();
    EXPECT_EQ(MessageOf(file, qint64(96) * 64 - 1), Format(Msg::HeifTooLarge, 16LL, 16LL));
    EXPECT_EQ(DecodeHeif(AsBytes(file), qint64(96) * 64).size(), QSize(16, 16));
}
