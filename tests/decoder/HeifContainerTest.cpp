// The container reader on files written by the tests' own writer, whose coded data is a
// stand-in: the reader never decodes it.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "HeifWriter.h"
#include "decoder/formats/HeifContainer.h"
#include "toolkit/Errors.h"

namespace {
std::span<const std::byte> AsBytes(const std::vector<uint8_t>& bytes) {
    return std::as_bytes(std::span(bytes));
}

// A stand-in coded image: a parameter set and data whose bytes say which image they are.
THeifWriterItem FakeImage(uint8_t mark, uint32_t width = 64, uint32_t height = 48) {
    THeifWriterItem item;
    item.Config.ParameterSets = {{0x40, 0x01, mark}, {0x42, 0x01, mark, mark}};
    item.Data = std::vector<uint8_t>(20 + mark, mark);
    item.Width = width;
    item.Height = height;
    return item;
}

THeifWriter SinglePicture() {
    THeifWriter writer;
    writer.Images = {FakeImage(1)};
    return writer;
}

THeifWriter Grid(int rows, int columns, uint32_t width, uint32_t height) {
    THeifWriter writer;
    for (int i = 0; i < rows * columns; ++i)
        writer.Images.push_back(FakeImage(uint8_t(i + 1)));
    writer.GridRows = rows;
    writer.GridColumns = columns;
    writer.GridWidth = width;
    writer.GridHeight = height;
    return writer;
}

size_t Find(const std::vector<uint8_t>& bytes, const char* type) {
    for (size_t i = 0; i + 4 <= bytes.size(); ++i)
        if (std::memcmp(&bytes[i], type, 4) == 0)
            return i;
    ADD_FAILURE() << type << " not in the file";
    return 0;
}

void Patch(std::vector<uint8_t>& bytes, size_t at, uint64_t value, int size) {
    for (int i = size - 1; i >= 0; --i, value >>= 8)
        bytes.at(at + size_t(i)) = uint8_t(value);
}
} // namespace

TEST(HeifContainer, DescribesASinglePictureWithItsDataTransformsAndColours) {
    THeifWriter writer = SinglePicture();
    writer.Transforms = {{THeifTransform::Mirror, 0}, {THeifTransform::Rotate, 3}};
    writer.Nclx = true;
    writer.Matrix = 1;
    writer.FullRange = false;
    const std::vector<uint8_t> file = writer.Build();

    const THeifPicture picture = ReadHeifContainer(AsBytes(file));
    EXPECT_FALSE(picture.IsGrid);
    EXPECT_EQ(picture.Width, 64u);
    EXPECT_EQ(picture.Height, 48u);
    EXPECT_EQ(HeifItemData(AsBytes(file), picture.Image), std::vector<uint8_t>(21, 1));
    const std::vector<std::vector<uint8_t>> sets = {{0x40, 0x01, 1}, {0x42, 0x01, 1, 1}};
    EXPECT_EQ(picture.Image.Hevc.ParameterSets, sets);
    EXPECT_EQ(picture.Image.Hevc.NalLengthSize, 4);
    ASSERT_EQ(picture.Transforms.size(), 2u);
    EXPECT_EQ(picture.Transforms[0].Kind, THeifTransform::Mirror);
    EXPECT_EQ(picture.Transforms[0].Value, 0);
    EXPECT_EQ(picture.Transforms[1].Kind, THeifTransform::Rotate);
    EXPECT_EQ(picture.Transforms[1].Value, 3);
    EXPECT_TRUE(picture.Colour.HasNclx);
    EXPECT_EQ(picture.Colour.MatrixCoefficients, 1);
    EXPECT_FALSE(picture.Colour.FullRange);
    EXPECT_TRUE(picture.Thumbnails.empty());
}

// The location box in each version and field width writers use, the grid's description in
// the item data box or among the coded data.
TEST(HeifContainer, ReadsGridsInEveryLocationLayout) {
    struct TCase {
        int Version;
        int OffsetSize;
        bool GridInItemData;
    };
    for (const TCase c : {TCase{0, 4, false}, TCase{1, 4, true}, TCase{1, 8, false},
                          TCase{2, 8, true}, TCase{2, 4, false}}) {
        SCOPED_TRACE(testing::Message() << "iloc version " << c.Version << ", offsets of "
                                        << c.OffsetSize << ", in idat " << c.GridInItemData);
        THeifWriter writer = Grid(2, 3, 150, 90);
        writer.LocationVersion = c.Version;
        writer.OffsetSize = c.OffsetSize;
        writer.GridInItemData = c.GridInItemData;
        const std::vector<uint8_t> file = writer.Build();

        const THeifPicture picture = ReadHeifContainer(AsBytes(file));
        ASSERT_TRUE(picture.IsGrid);
        EXPECT_EQ(picture.Grid.Rows, 2);
        EXPECT_EQ(picture.Grid.Columns, 3);
        EXPECT_EQ(picture.Width, 150u);
        EXPECT_EQ(picture.Height, 90u);
        ASSERT_EQ(picture.Grid.Tiles.size(), 6u);
        for (size_t i = 0; i < 6; ++i) {
            const uint8_t mark = uint8_t(i + 1);
            EXPECT_EQ(HeifItemData(AsBytes(file), picture.Grid.Tiles[i]),
                      std::vector<uint8_t>(20 + mark, mark));
        }
    }
}

TEST(HeifContainer, RecordsThumbnailsOfThePicture) {
    THeifWriter writer = SinglePicture();
    writer.Images.push_back(FakeImage(7, 32, 24));
    writer.Thumbnail = true;
    const std::vector<uint8_t> file = writer.Build();

    const THeifPicture picture = ReadHeifContainer(AsBytes(file));
    EXPECT_EQ(picture.Width, 64u);
    ASSERT_EQ(picture.Thumbnails.size(), 1u);
    EXPECT_EQ(picture.Thumbnails[0].Width, 32u);
    EXPECT_EQ(HeifItemData(AsBytes(file), picture.Thumbnails[0]), std::vector<uint8_t>(27, 7));
}

TEST(HeifContainer, RefusesDamagedFilesWithTheMessage) {
    struct TCase {
        const char* Name;
        std::function<std::vector<uint8_t>()> Make;
    };
    auto patched = [](const THeifWriter& writer,
                      const std::function<void(std::vector<uint8_t>&)>& patch) {
        return [writer, patch] {
            std::vector<uint8_t> bytes = writer.Build();
            patch(bytes);
            return bytes;
        };
    };
    const TCase cases[] = {
        {"empty",
         [] {
             return std::vector<uint8_t>{};
         }},
        {"first box not ftyp",
         patched(SinglePicture(), [](auto& b) { std::memcpy(&b[4], "free", 4); })},
        {"no meta box",
         patched(SinglePicture(), [](auto& b) { std::memcpy(&b[Find(b, "meta")], "free", 4); })},
        {"handler not of pictures",
         patched(SinglePicture(), [](auto& b) { std::memcpy(&b[Find(b, "pict")], "vide", 4); })},
        {"box smaller than its header",
         patched(SinglePicture(), [](auto& b) { Patch(b, Find(b, "meta") - 4, 4, 4); })},
        {"box past the end of the file",
         patched(SinglePicture(), [](auto& b) { Patch(b, Find(b, "meta") - 4, 0xFFFFFF00, 4); })},
        {"box of 64-bit size past the end", patched(SinglePicture(),
                                                    [](auto& b) {
                                                        Patch(b, Find(b, "mdat") - 4, 1, 4);
                                                        b.insert(b.end(), 8, 0xFF);
                                                    })},
        {"truncated inside the coded data",
         patched(SinglePicture(), [](auto& b) { b.pop_back(); })},
        {"primary item without a location",
         patched(SinglePicture(), [](auto& b) { Patch(b, Find(b, "pitm") + 8, 99, 2); })},
        {"location box of an unknown version",
         patched(SinglePicture(), [](auto& b) { Patch(b, Find(b, "iloc") + 4, 3, 1); })},
        {"extent past the end of the file",
         patched(SinglePicture(),
                 [](auto& b) {
                     // The item's extent is the last field of the location box.
                     const size_t iloc = Find(b, "iloc");
                     const size_t end = iloc - 4 + (b[iloc - 2] << 8 | b[iloc - 1]);
                     Patch(b, end - 4, 1000, 4);
                 })},
        {"item count beyond the limit",
         patched(SinglePicture(), [](auto& b) { Patch(b, Find(b, "iinf") + 8, 0xFFFF, 2); })},
        {"property index past the list",
         patched(SinglePicture(),
                 [](auto& b) {
                     const size_t ipma = Find(b, "ipma");
                     const size_t end = ipma - 4 + (b[ipma - 2] << 8 | b[ipma - 1]);
                     b[end - 1] = 0xFF;
                 })},
        {"unit length field of three bytes",
         [] {
             THeifWriter writer = SinglePicture();
             writer.Images[0].Config.NalLengthSize = 3;
             return writer.Build();
         }},
        {"grid with a tile missing",
         [] {
             THeifWriter writer = Grid(2, 2, 100, 80);
             writer.Images.pop_back();
             return writer.Build();
         }},
        {"grid larger than its tiles",
         [] {
             return Grid(2, 2, 129, 80).Build();
         }},
        {"grid of tiles of different sizes",
         [] {
             THeifWriter writer = Grid(1, 2, 100, 40);
             writer.Images[1].Width = 63;
             return writer.Build();
         }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::vector<uint8_t> file = c.Make();
        try {
            ReadHeifContainer(AsBytes(file));
            ADD_FAILURE() << "read without complaint";
        } catch (const EInvalidGraphic& error) {
            EXPECT_EQ(error.Message(), Msg::HeifInvalid);
        }
    }
}
