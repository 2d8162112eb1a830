// The container of a HEIF file is a tree of boxes, each a 32-bit size and a four-letter type
// before its body. The picture's description sits in the top-level `meta` box: the handler,
// the primary item, the item types (`iinf`), where each item's bytes lie (`iloc`), how items
// refer to each other (`iref`), and the properties shared among items (`iprp`). Only the
// levels that hold these are read, so the nesting is bounded by the code; the counts of boxes,
// items and extents are bounded by constants, and every number from the file is checked
// before it is used.
#include "decoder/formats/HeifContainer.h"

#include <map>
#include <optional>

#include "toolkit/ByteReader.h"
#include "toolkit/Errors.h"

namespace {
constexpr uint32_t FourCC(const char (&name)[5]) {
    return uint32_t(uint8_t(name[0])) << 24 | uint32_t(uint8_t(name[1])) << 16 |
           uint32_t(uint8_t(name[2])) << 8 | uint32_t(uint8_t(name[3]));
}

// Far beyond what cameras write (a 48-megapixel grid has 48 tiles and a handful of other
// items), yet small enough that a file claiming millions costs nothing.
constexpr int MaxBoxesPerLevel = 4096;
constexpr size_t MaxItems = 4096;
constexpr uint32_t MaxExtentsPerItem = 256;
constexpr size_t MaxProperties = 4096;
// A grid's description is eight or twelve bytes.
constexpr uint64_t MaxGridDataLength = 64;

[[noreturn]] void Invalid() {
    throw EInvalidGraphic(Msg::HeifInvalid);
}

void Require(bool condition) {
    if (!condition)
        Invalid();
}

struct TBox {
    uint32_t Type;
    TByteReader Body;
};

// The next box of a level; a size of 0 means the box runs to the end of its level.
TBox NextBox(TByteReader& level) {
    const uint64_t start = level.Position();
    uint64_t size = level.U32BE();
    const uint32_t type = level.U32BE();
    if (size == 1)
        size = level.U64BE();
    else if (size == 0)
        size = level.Size() - start;
    if (type == FourCC("uuid"))
        level.Skip(16);
    const uint64_t header = level.Position() - start;
    Require(size >= header);
    return {type, level.Sub(size - header)};
}

template <class TVisit> void ForEachBox(TByteReader level, TVisit visit) {
    for (int count = 0; level.Remaining() > 0; ++count) {
        Require(count < MaxBoxesPerLevel);
        TBox box = NextBox(level);
        visit(box);
    }
}

struct TFullBox {
    int Version;
    uint32_t Flags;
};

TFullBox ReadFullBox(TByteReader& body) {
    const uint32_t value = body.U32BE();
    return {int(value >> 24), value & 0xFFFFFF};
}

// A field whose width (0, 4 or 8 bytes) the box states.
uint64_t ReadSized(TByteReader& body, int size) {
    switch (size) {
    case 0:
        return 0;
    case 4:
        return body.U32BE();
    case 8:
        return body.U64BE();
    default:
        Invalid();
    }
}

uint64_t CheckedAdd(uint64_t a, uint64_t b) {
    Require(a + b >= a);
    return a + b;
}

struct TItem {
    uint32_t Type = 0;
    bool Protected = false;
    bool Located = false;
    int ConstructionMethod = 0;
    uint16_t DataReference = 0;
    uint64_t BaseOffset = 0;
    std::vector<THeifExtent> Extents; // as stored, relative to the base offset
    std::vector<uint16_t> Properties; // indices into the property list, in association order
};

struct TReference {
    uint32_t Type;
    uint32_t From;
    std::vector<uint32_t> To;
};

struct TProperty {
    uint32_t Type;
    std::span<const uint8_t> Body;
};

class TMetaReader {
public:
    explicit TMetaReader(std::span<const uint8_t> file) : File(file) {}

    void Read(TByteReader body);
    THeifPicture Describe();

private:
    TItem& ItemAt(uint32_t id);
    const TItem& ExistingItem(uint32_t id) const;
    std::vector<TProperty> PropertiesOf(const TItem& item) const;
    std::optional<TProperty> FirstProperty(const TItem& item, uint32_t type) const;

    void ReadHandler(TByteReader body);
    void ReadPrimary(TByteReader body);
    void ReadItemInfo(TByteReader body);
    void ReadItemEntry(TByteReader body);
    void ReadLocations(TByteReader body);
    void ReadReferences(TByteReader body);
    void ReadProperties(TByteReader body);
    void ReadAssociations(TByteReader body);

    std::vector<THeifExtent> FileExtents(const TItem& item) const;
    THeifCodedImage CodedImage(uint32_t id) const;
    std::vector<uint32_t> Referenced(uint32_t type, uint32_t from) const;
    void DescribeGrid(uint32_t id, THeifPicture& picture) const;
    void DescribeProperties(const TItem& item, bool withTransforms, THeifPicture& picture) const;
    void DescribeThumbnails(uint32_t primary, THeifPicture& picture) const;

    std::span<const uint8_t> File;
    bool PictureHandler = false;
    std::optional<uint32_t> Primary;
    std::map<uint32_t, TItem> Items;
    std::vector<TReference> References;
    std::vector<TProperty> Properties;
    std::optional<std::span<const uint8_t>> ItemDataBox;
};

void TMetaReader::Read(TByteReader body) {
    ReadFullBox(body);
    ForEachBox(body, [this](TBox& box) {
        switch (box.Type) {
        case FourCC("hdlr"):
            return ReadHandler(box.Body);
        case FourCC("pitm"):
            return ReadPrimary(box.Body);
        case FourCC("iinf"):
            return ReadItemInfo(box.Body);
        case FourCC("iloc"):
            return ReadLocations(box.Body);
        case FourCC("iref"):
            return ReadReferences(box.Body);
        case FourCC("iprp"):
            return ReadProperties(box.Body);
        case FourCC("idat"):
            ItemDataBox = box.Body.From(0);
            return;
        default:
            return;
        }
    });
}

TItem& TMetaReader::ItemAt(uint32_t id) {
    TItem& item = Items[id];
    Require(Items.size() <= MaxItems);
    return item;
}

const TItem& TMetaReader::ExistingItem(uint32_t id) const {
    const auto found = Items.find(id);
    Require(found != Items.end());
    return found->second;
}

void TMetaReader::ReadHandler(TByteReader body) {
    ReadFullBox(body);
    body.Skip(4); // pre_defined
    PictureHandler = body.U32BE() == FourCC("pict");
}

void TMetaReader::ReadPrimary(TByteReader body) {
    const TFullBox header = ReadFullBox(body);
    Primary = header.Version == 0 ? body.U16BE() : body.U32BE();
}

void TMetaReader::ReadItemInfo(TByteReader body) {
    const TFullBox header = ReadFullBox(body);
    const uint32_t count = header.Version == 0 ? body.U16BE() : body.U32BE();
    Require(count <= MaxItems);
    ForEachBox(body, [this](TBox& box) {
        if (box.Type == FourCC("infe"))
            ReadItemEntry(box.Body);
    });
}

// Entries of versions 0 and 1 name no item type and describe no picture; they are passed over.
void TMetaReader::ReadItemEntry(TByteReader body) {
    const TFullBox header = ReadFullBox(body);
    if (header.Version < 2)
        return;
    const uint32_t id = header.Version == 2 ? body.U16BE() : body.U32BE();
    const uint16_t protection = body.U16BE();
    TItem& item = ItemAt(id);
    Require(item.Type == 0);
    item.Type = body.U32BE();
    item.Protected = protection != 0;
}

void TMetaReader::ReadLocations(TByteReader body) {
    const TFullBox header = ReadFullBox(body);
    Require(header.Version <= 2);
    const uint8_t sizes = body.U8();
    const int offsetSize = sizes >> 4;
    const int lengthSize = sizes & 15;
    const uint8_t moreSizes = body.U8();
    const int baseOffsetSize = moreSizes >> 4;
    const int indexSize = header.Version >= 1 ? moreSizes & 15 : 0;
    const uint32_t count = header.Version < 2 ? body.U16BE() : body.U32BE();
    Require(count <= MaxItems);
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t id = header.Version < 2 ? body.U16BE() : body.U32BE();
        TItem& item = ItemAt(id);
        Require(!item.Located);
        item.Located = true;
        item.ConstructionMethod = header.Version >= 1 ? body.U16BE() & 15 : 0;
        item.DataReference = body.U16BE();
        item.BaseOffset = ReadSized(body, baseOffsetSize);
        const uint16_t extents = body.U16BE();
        Require(extents <= MaxExtentsPerItem);
        for (uint16_t e = 0; e < extents; ++e) {
            ReadSized(body, indexSize);
            THeifExtent extent;
            extent.Offset = ReadSized(body, offsetSize);
            extent.Length = ReadSized(body, lengthSize);
            item.Extents.push_back(extent);
        }
    }
}

void TMetaReader::ReadReferences(TByteReader body) {
    const TFullBox header = ReadFullBox(body);
    const bool wide = header.Version != 0;
    ForEachBox(body, [this, wide](TBox& box) {
        TReference reference{box.Type, wide ? box.Body.U32BE() : box.Body.U16BE(), {}};
        const uint16_t count = box.Body.U16BE();
        for (uint16_t i = 0; i < count; ++i)
            reference.To.push_back(wide ? box.Body.U32BE() : box.Body.U16BE());
        References.push_back(std::move(reference));
        Require(References.size() <= MaxItems);
    });
}

void TMetaReader::ReadProperties(TByteReader body) {
    ForEachBox(body, [this](TBox& box) {
        if (box.Type == FourCC("ipco")) {
            ForEachBox(box.Body, [this](TBox& property) {
                Require(Properties.size() < MaxProperties);
                Properties.push_back({property.Type, property.Body.From(0)});
            });
        } else if (box.Type == FourCC("ipma")) {
            ReadAssociations(box.Body);
        }
    });
}

// Each association names a property by its place in the list, counted from 1 (0 names none);
// the top bit only marks the property as essential.
void TMetaReader::ReadAssociations(TByteReader body) {
    const TFullBox header = ReadFullBox(body);
    const uint32_t count = body.U32BE();
    Require(count <= MaxItems);
    for (uint32_t i = 0; i < count; ++i) {
        TItem& item = ItemAt(header.Version < 1 ? body.U16BE() : body.U32BE());
        const uint8_t associations = body.U8();
        for (uint8_t a = 0; a < associations; ++a) {
            const uint16_t index = (header.Flags & 1) ? body.U16BE() & 0x7FFF : body.U8() & 0x7F;
            if (index != 0)
                item.Properties.push_back(index);
        }
    }
}

std::vector<TProperty> TMetaReader::PropertiesOf(const TItem& item) const {
    std::vector<TProperty> result;
    for (const uint16_t index : item.Properties) {
        Require(index <= Properties.size());
        result.push_back(Properties[index - 1]);
    }
    return result;
}

std::optional<TProperty> TMetaReader::FirstProperty(const TItem& item, uint32_t type) const {
    for (const TProperty& property : PropertiesOf(item))
        if (property.Type == type)
            return property;
    return std::nullopt;
}

// Where the item's extents lie in the file: in the file itself (construction method 0) or in
// the `idat` box (method 1); a length of 0 stands for the rest of the data. Taken together an
// item's extents may not be longer than the file, so repeated extents cannot multiply it.
std::vector<THeifExtent> TMetaReader::FileExtents(const TItem& item) const {
    Require(item.Located && !item.Extents.empty() && item.DataReference == 0);
    uint64_t base = 0;
    uint64_t size = File.size();
    if (item.ConstructionMethod == 1) {
        Require(ItemDataBox.has_value());
        base = uint64_t(ItemDataBox->data() - File.data());
        size = ItemDataBox->size();
    } else {
        Require(item.ConstructionMethod == 0);
    }
    std::vector<THeifExtent> result;
    uint64_t total = 0;
    for (const THeifExtent& stored : item.Extents) {
        const uint64_t offset = CheckedAdd(item.BaseOffset, stored.Offset);
        Require(offset <= size);
        const uint64_t length = stored.Length == 0 ? size - offset : stored.Length;
        Require(length <= size - offset);
        total = CheckedAdd(total, length);
        Require(total <= File.size());
        result.push_back({base + offset, length});
    }
    return result;
}

THeifHevcConfig ReadHevcConfig(std::span<const uint8_t> bytes) {
    TByteReader body(bytes);
    THeifHevcConfig config;
    body.Skip(16); // version, profile, tier, level, segmentation, parallelism
    config.ChromaFormat = body.U8() & 3;
    config.BitDepth = (body.U8() & 7) + 8;
    body.Skip(3); // chroma bit depth, frame rate
    config.NalLengthSize = (body.U8() & 3) + 1;
    Require(config.NalLengthSize != 3);
    const uint8_t arrays = body.U8();
    for (uint8_t a = 0; a < arrays; ++a) {
        body.Skip(1); // completeness, unit type
        const uint16_t units = body.U16BE();
        for (uint16_t u = 0; u < units; ++u) {
            const auto unit = body.Bytes(body.U16BE());
            config.ParameterSets.emplace_back(unit.begin(), unit.end());
        }
    }
    return config;
}

THeifCodedImage TMetaReader::CodedImage(uint32_t id) const {
    const TItem& item = ExistingItem(id);
    Require(!item.Protected);
    THeifCodedImage image;
    image.ItemId = id;
    if (item.Type == FourCC("hvc1")) {
        const std::optional<TProperty> config = FirstProperty(item, FourCC("hvcC"));
        Require(config.has_value());
        image.Codec = THeifCodec::Hevc;
        image.Hevc = ReadHevcConfig(config->Body);
    } else {
        Require(item.Type == FourCC("av01") && FirstProperty(item, FourCC("av1C")).has_value());
        image.Codec = THeifCodec::Av1;
    }
    const std::optional<TProperty> size = FirstProperty(item, FourCC("ispe"));
    Require(size.has_value());
    TByteReader body(size->Body);
    ReadFullBox(body);
    image.Width = body.U32BE();
    image.Height = body.U32BE();
    Require(image.Width > 0 && image.Height > 0);
    image.Extents = FileExtents(item);
    return image;
}

std::vector<uint32_t> TMetaReader::Referenced(uint32_t type, uint32_t from) const {
    std::vector<uint32_t> result;
    for (const TReference& reference : References)
        if (reference.Type == type && reference.From == from)
            result.insert(result.end(), reference.To.begin(), reference.To.end());
    return result;
}

// A grid item's data: version 0, flags (bit 0: 32-bit sizes), rows and columns less one,
// then the output size; its tiles are the items it refers to as derived-image inputs.
void TMetaReader::DescribeGrid(uint32_t id, THeifPicture& picture) const {
    const TItem& item = ExistingItem(id);
    std::vector<uint8_t> data;
    for (const THeifExtent& extent : FileExtents(item)) {
        Require(CheckedAdd(data.size(), extent.Length) <= MaxGridDataLength);
        const auto bytes = File.subspan(size_t(extent.Offset), size_t(extent.Length));
        data.insert(data.end(), bytes.begin(), bytes.end());
    }
    TByteReader body(data);
    Require(body.U8() == 0);
    const bool wide = body.U8() & 1;
    picture.Grid.Rows = body.U8() + 1;
    picture.Grid.Columns = body.U8() + 1;
    picture.Width = wide ? body.U32BE() : body.U16BE();
    picture.Height = wide ? body.U32BE() : body.U16BE();
    Require(picture.Width > 0 && picture.Height > 0);

    const std::vector<uint32_t> tiles = Referenced(FourCC("dimg"), id);
    Require(tiles.size() == size_t(picture.Grid.Rows) * size_t(picture.Grid.Columns));
    for (const uint32_t tile : tiles) {
        picture.Grid.Tiles.push_back(CodedImage(tile));
        const THeifCodedImage& first = picture.Grid.Tiles.front();
        const THeifCodedImage& last = picture.Grid.Tiles.back();
        Require(last.Codec == first.Codec && last.Width == first.Width &&
                last.Height == first.Height);
    }
    const THeifCodedImage& tile = picture.Grid.Tiles.front();
    Require(picture.Width <= uint64_t(tile.Width) * uint64_t(picture.Grid.Columns) &&
            picture.Height <= uint64_t(tile.Height) * uint64_t(picture.Grid.Rows));
}

// Rotations and mirrorings apply in the order the item lists them; the first colour and
// channel description count.
void TMetaReader::DescribeProperties(const TItem& item, bool withTransforms,
                                     THeifPicture& picture) const {
    for (const TProperty& property : PropertiesOf(item)) {
        TByteReader body(property.Body);
        if (property.Type == FourCC("irot") && withTransforms) {
            picture.Transforms.push_back({THeifTransform::Rotate, body.U8() & 3});
        } else if (property.Type == FourCC("imir") && withTransforms) {
            picture.Transforms.push_back({THeifTransform::Mirror, body.U8() & 1});
        } else if (property.Type == FourCC("colr") && !picture.Colour.HasNclx &&
                   body.U32BE() == FourCC("nclx")) {
            body.Skip(4); // primaries, transfer characteristics
            picture.Colour.MatrixCoefficients = body.U16BE();
            picture.Colour.FullRange = body.U8() & 0x80;
            picture.Colour.HasNclx = true;
        } else if (property.Type == FourCC("pixi") && picture.BitDepth == 0) {
            ReadFullBox(body);
            if (body.U8() > 0)
                picture.BitDepth = body.U8();
        }
    }
}

// A thumbnail that cannot be described is left out: it must not keep the picture from
// showing.
void TMetaReader::DescribeThumbnails(uint32_t primary, THeifPicture& picture) const {
    for (const TReference& reference : References) {
        if (reference.Type != FourCC("thmb"))
            continue;
        for (const uint32_t to : reference.To) {
            if (to != primary)
                continue;
            try {
                picture.Thumbnails.push_back(CodedImage(reference.From));
            } catch (const EStreamError&) {
            } catch (const EInvalidGraphic&) {
            }
            break;
        }
    }
}

THeifPicture TMetaReader::Describe() {
    Require(PictureHandler && Primary.has_value());
    const TItem& item = ExistingItem(*Primary);
    Require(!item.Protected);
    THeifPicture picture;
    if (item.Type == FourCC("grid")) {
        picture.IsGrid = true;
        DescribeGrid(*Primary, picture);
    } else {
        picture.Image = CodedImage(*Primary);
        picture.Width = picture.Image.Width;
        picture.Height = picture.Image.Height;
    }
    DescribeProperties(item, true, picture);
    // Grid writers put the colour description on the tiles as often as on the grid; a tile's
    // own rotation would turn one tile, not the picture, and is not taken.
    if (picture.IsGrid)
        DescribeProperties(ExistingItem(picture.Grid.Tiles.front().ItemId), false, picture);
    DescribeThumbnails(*Primary, picture);
    return picture;
}
} // namespace

THeifPicture ReadHeifContainer(std::span<const std::byte> file) {
    const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(file.data()),
                                         file.size());
    try {
        TMetaReader meta(bytes);
        bool first = true;
        bool hasMeta = false;
        ForEachBox(TByteReader(bytes), [&](TBox& box) {
            Require(!first || box.Type == FourCC("ftyp"));
            first = false;
            if (box.Type == FourCC("meta")) {
                Require(!hasMeta);
                hasMeta = true;
                meta.Read(box.Body);
            }
        });
        Require(hasMeta);
        return meta.Describe();
    } catch (const EStreamError&) {
        Invalid();
    }
}

std::vector<uint8_t> HeifItemData(std::span<const std::byte> file, const THeifCodedImage& image) {
    std::vector<uint8_t> data;
    for (const THeifExtent& extent : image.Extents) {
        Require(extent.Offset <= file.size() && extent.Length <= file.size() - extent.Offset);
        const auto bytes = file.subspan(size_t(extent.Offset), size_t(extent.Length));
        const auto* begin = reinterpret_cast<const uint8_t*>(bytes.data());
        data.insert(data.end(), begin, begin + bytes.size());
    }
    return data;
}
